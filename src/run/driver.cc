#include "run/driver.h"

#include <string>

#include "gedcom/reader.h"
#include "pages/phases.h"
#include "platform/platform.h"

namespace kinloom {

namespace {

void MakeDirectory(const std::string& path) {
  // An existing directory is used as it is; other failures show up later
  // as a page that cannot be created.
  (void)platform::MakeDirectory(path);
}

// True when both paths name one existing file (through links too).
bool SameFile(const std::string& a, const char* b) { return platform::SameFile(a, b); }

// A work file that lost a write (a full disk) no longer holds what the
// phases stored in it, so nothing built from it can be trusted: the run
// stops as for a file it cannot write.
int CheckWorkFiles(Run& run) {
  // What the phase stored goes to the files now, so that a write the disk
  // refuses shows here and not when a later phase needs the record.
  run.store.Flush();
  const auto failed = run.store.WriteFailure();
  if (!failed) return kResultOk;
  run.log.LogFormatted("Unable to write work file %s.", *failed);
  return kResultCannotWrite;
}

}  // namespace

int OpenKinloomFiles(Run& run) {
  run.log.LogLine(">OpenKinloomFiles");
  // Creating a work file empties it, and closing deletes it: never when it
  // is the GEDCOM file itself.
  for (const char* name : kWorkFileNames) {
    if (SameFile(run.settings.gedfile, name)) {
      run.log.LogFormatted("Unable to create work file %s.", name);
      return kResultCannotWrite;
    }
  }
  if (auto failed = run.store.Open()) {
    run.log.LogFormatted("Unable to create work file %s.", *failed);
    return kResultCannotWrite;
  }
  MakeDirectory("html");
  if (run.settings.subdirs == 'Y') {
    for (const char* dir : {"fam", "ind", "nti", "ntf", "ped", "pho"}) {
      MakeDirectory(std::string("html") + platform::DirectorySeparator() + dir);
    }
  }
  run.log.LogLine("<OpenKinloomFiles");
  return kResultOk;
}

void CloseKinloomFiles(Run& run) {
  run.log.LogLine(">CloseKinloomFiles");
  run.store.CloseAndDelete();
  run.log.LogLine("<CloseKinloomFiles");
}

int CreateKinloom(Run& run) {
  const Settings& s = run.settings;
  const RunLog& log = run.log;
  run.user_files = {};  // read afresh by the first page of this run
  run.output.ResetCounters();
  run.progress = {};
  if (run.write_in_background) run.output.StartBackground();
  run.EnterPhase("CreateKinloom");
  log.LogLine(">CreateKinloom");
  log.LogLine(kLogSeparator);
  log.LogFormatted("version=%s", kVersionText);
  log.LogFormatted("gedfile=%s", s.gedfile);
  log.LogFormatted("notes=%c", s.notes);
  log.LogFormatted("ucsurname=%c", s.ucsurname);
  log.LogFormatted("soundex=%c", s.soundex);
  log.LogFormatted("sources=%c", s.sources);
  log.LogFormatted("pedigreelist=%s", s.pedigreelist);
  log.LogFormatted("pedigreeall=%c", s.pedigreeall);
  log.LogFormatted("background=%c", s.background);
  log.LogFormatted("extension=%s", s.extension);
  log.LogLine(kLogSeparator);

  int result = OpenKinloomFiles(run);
  if (result == kResultOk) {
    if (s.email == kPlaceholderEmail) {
      result = kResultPlaceholderEmail;
    } else if (s.home == kPlaceholderHome) {
      result = kResultPlaceholderHome;
    } else {
      run.EnterPhase("ReadGedcom");
      // The reader fills the work files while their blocks go to disk.
      if (run.write_in_background) run.store.StartWriteBehind();
      result = ReadGedcom(run);
      run.store.StopWriteBehind();
      if (result == kResultOk) result = CheckWorkFiles(run);
    }
    struct Phase {
      const char* name;
      bool wanted;
      int (*call)(Run&);
    };
    const Phase phases[] = {
        {"IsValidGedcom", true, IsValidGedcom},
        {"BuildFamilyGroupRecords", true, BuildFamilyGroupRecords},
        {"BuildIndividualNotes", s.notes == 'Y', BuildIndividualNotes},
        {"BuildFamilyNotes", s.notes == 'Y', BuildFamilyNotes},
        {"BuildPhotoPages", s.photos == 'Y', BuildPhotoPages},
        {"BuildPedigreeCharts", true, BuildPedigreeCharts},
        {"BuildSurnamesPages", true, BuildSurnamesPages},
        {"BuildGendexFile", true, BuildGendexFile},
    };
    for (const Phase& phase : phases) {
      if (result != kResultOk) break;
      if (!phase.wanted) continue;
      run.EnterPhase(phase.name);
      result = phase.call(run);
      // A page written in the background may have failed after the phase
      // went on; then the run ended there, whatever it returned. The
      // writer may still be busy with the phase's last pages while the
      // next one begins: what a later phase asks for after such a failure
      // is dropped, so the run ends the same as if it had stopped at once.
      if (run.output.stopped()) result = kResultCannotWrite;
      if (result == kResultOk) result = CheckWorkFiles(run);
      // From here on the page phases only read the store, so the names
      // sort can be worked out meanwhile, on the core that the page
      // building leaves mostly idle.
      if (result == kResultOk && phase.call == IsValidGedcom && run.write_in_background) {
        StartNamesSort(run);
      }
    }
    // A run that ended early no longer needs the sort.
    run.names_sort = std::jthread();
    run.names_order.reset();
    run.gendex_lines.reset();
    run.names_index.reset();
    run.output.Drain();
    if (run.output.stopped()) result = kResultCannotWrite;
    run.output.Resume();
    run.ReportProgress();
    // A page that the run went on without still leaves the site unfinished.
    if (result == kResultOk && run.progress.pages_failed > 0) result = kResultCannotWrite;
  }
  CloseKinloomFiles(run);
  log.LogFormatted("<CreateKinloom %d", static_cast<long>(result));
  run.output.StopBackground();
  return result;
}

void KeepLargeBlocksApart() { platform::ReturnLargeBlocksWhenFreed(); }

ResultMessage RunResultMessage(int result) {
  switch (result) {
    case kResultOk:
      return {"        Finished!", MessageIcon::kNone};
    case kResultGedcomNotOpened:
      return {"Error opening GEDCOM file.\nVerify filename, and path are correct.",
              MessageIcon::kWarning};
    case kResultLongTags:
      return {"Gedcom has non-abbreviated tags.", MessageIcon::kWarning};
    case kResultPlaceholderEmail:
      return {"You forgot to fill in your E-mail address", MessageIcon::kWarning};
    case kResultPlaceholderHome:
      return {"You forgot to fill in your homepage address", MessageIcon::kWarning};
    case kResultInvalidGedcom:
      return {"Your gedcom file is invalid! See kinloom.log file.", MessageIcon::kWarning};
    case kResultCannotWrite:
      return {"Error opening file for write.\nSee kinloom.log file.", MessageIcon::kWarning};
    default:
      return {"Undefined Kinloom Error. See kinloom.log file.", MessageIcon::kWarning};
  }
}

void LogCannotWriteFollowUp(const RunLog& log) {
  log.LogLine("Windows has a limit of 32767 files in a single directory.");
  log.LogLine("You have most likely surpassed it.");
}

}  // namespace kinloom
