#include "run/driver.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "gedcom/reader.h"
#include "pages/frame.h"
#include "pages/names_sort.h"
#include "pages/phases.h"
#include "platform/platform.h"
#include "publish/changed_pages.h"
#include "publish/page_inputs.h"
#include "run/background_picture.h"

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
  run.notices.Add("Cannot write the work file " + *failed + " in this folder.");
  return kResultCannotWrite;
}

// A file of the run's record that could not be written: its log line and
// the cause the front end shows.
int ReportUnwritable(Run& run, const platform::FileFault& fault) {
  run.log.LogFormatted("Unable to write file %s.", fault.path);
  run.notices.Add(CannotWriteNotice(fault.path, fault.error));
  return kResultCannotWrite;
}

// With CHANGEDONLY, pages from here on go through the record of what the
// previous run wrote.
int StartChangedPages(Run& run, std::optional<ChangedPages>& changed) {
  changed.emplace(run.on_warning);
  if (const auto fault = changed->Begin()) {
    changed.reset();
    return ReportUnwritable(run, *fault);
  }
  run.output.UseChangedPages(&*changed);
  return kResultOk;
}

// Between the phases that edit the store and those that only read it.
// With CHANGEDONLY, pages made from records that did not change since the
// previous run are kept from here on. The names sort is worked out
// meanwhile, on the core that the page building leaves mostly idle; the
// records are hashed before it starts, so that the two do not hold their
// memory at once.
void BeginPagePhases(Run& run, std::optional<ChangedPages>& changed,
                     std::optional<PageInputs>& inputs) {
  const Settings& s = run.settings;
  if (changed) {
    inputs.emplace(run.store, run.log, *changed);
    std::function<bool(std::int32_t)> is_living;
    if (s.privacy == 'Y') {
      is_living = [&run](std::int32_t number) { return run.living.IsLiving(number); };
    }
    inputs->Prepare(PagesFingerprint(run), is_living);
    run.page_inputs = &*inputs;
  }
  if (run.test_options.write_in_background) {
    // A run that keeps pages has the names sort to wait for: the sort goes
    // at the run's pace then.
    StartNamesSort(run, inputs && inputs->usable());
  }
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
  if (const auto fault = run.store.Open()) {
    run.log.LogFormatted("Unable to create work file %s.", fault->path);
    run.notices.Add("Cannot create the work file " + fault->path + " in this folder.");
    return kResultCannotWrite;
  }
  MakeDirectory("html");
  if (run.settings.subdirs == 'Y') {
    for (const char* dir : kPageDirectories) {
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
  run.notices = {};
  run.user_files = {};  // read afresh by the first page of this run
  run.output.ResetCounters();
  run.progress = {};
  run.missing_records.Clear();
  run.living.Clear();
  if (run.test_options.write_in_background) run.output.StartBackground();
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
  if (s.privacy == 'Y') log.LogFormatted("privacy=%c", s.privacy);
  log.LogLine(kLogSeparator);

  int result = OpenKinloomFiles(run);
  bool pages_begun = false;  // the site's pages are being written
  std::optional<ChangedPages> changed;
  std::optional<PageInputs> inputs;
  if (result == kResultOk) {
    if (s.email == kPlaceholderEmail) {
      result = kResultPlaceholderEmail;
    } else if (s.home == kPlaceholderHome) {
      result = kResultPlaceholderHome;
    } else if (s.changedonly == 'Y') {
      result = StartChangedPages(run, changed);
    }
    if (result == kResultOk) {
      run.EnterPhase("ReadGedcom");
      // The reader fills the work files while their blocks go to disk.
      if (run.test_options.write_in_background) run.store.StartWriteBehind();
      result = ReadGedcom(run);
      run.store.StopWriteBehind();
      if (result == kResultOk) result = CheckWorkFiles(run);
      // The previous record was read meanwhile; what there is to say of it
      // is said now.
      if (changed) changed->WaitForPrevious();
    }
    struct Phase {
      const char* name;
      bool wanted;
      int (*call)(Run&);
    };
    auto run_phases = [&run, &result](std::span<const Phase> phases) {
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
      }
    };
    // The phases that check and still edit the store.
    const Phase store_phases[] = {
        {"IsValidGedcom", true, IsValidGedcom},
        {"HideLivingIndividuals", s.privacy == 'Y', HideLivingIndividuals},
    };
    // The phases that write the pages: they only read the store.
    const Phase page_phases[] = {
        {"BuildFamilyGroupRecords", true, BuildFamilyGroupRecords},
        {"BuildIndividualNotes", s.notes == 'Y', BuildIndividualNotes},
        {"BuildFamilyNotes", s.notes == 'Y', BuildFamilyNotes},
        {"BuildPhotoPages", s.photos == 'Y', BuildPhotoPages},
        {"BuildPedigreeCharts", true, BuildPedigreeCharts},
        {"BuildSurnamesPages", true, BuildSurnamesPages},
        {"BuildGendexFile", true, BuildGendexFile},
    };
    run_phases(store_phases);
    if (result == kResultOk) {
      BeginPagePhases(run, changed, inputs);
      pages_begun = true;
      run_phases(page_phases);
    }
    // A run that ended early no longer needs the sort.
    run.names_sort.reset();
    run.output.Drain();
    if (run.output.stopped()) result = kResultCannotWrite;
    run.output.Resume();
    run.ReportProgress();
    // A page that the run went on without still leaves the site unfinished.
    if (result == kResultOk && run.progress.pages_failed > 0) result = kResultCannotWrite;
    run.page_inputs = nullptr;
    if (changed) {
      run.output.UseChangedPages(nullptr);
      const auto fault =
          changed->Finish(result == kResultOk, [&inputs](long long count, std::uint64_t check) {
            if (inputs) inputs->Seal(count, check);
          });
      if (fault && result == kResultOk) result = ReportUnwritable(run, *fault);
    }
    if (const auto& failure = run.output.first_failure()) {
      run.notices.Add(CannotWriteNotice(failure->path, failure->error));
    }
    if (pages_begun) BackgroundPicture(s, run.installed).Place(run.notices);
    if (result == kResultInvalidGedcom) {
      run.notices.Add(MissingRecordsNotice(run.missing_records.found()));
    }
  }
  CloseKinloomFiles(run);
  if (const long skipped = run.missing_records.skipped(); skipped > 0) {
    log.LogLine(SkippedReferencesText(skipped));
  }
  log.LogFormatted("<CreateKinloom %d", static_cast<long>(result));
  run.output.StopBackground();
  return result;
}

int TakeRunLock(RunLock& lock, RunNotices& notices) {
  switch (lock.Take()) {
    case RunLock::Outcome::kTaken:
      return kResultOk;
    case RunLock::Outcome::kHeldElsewhere:
      return kResultRunLocked;
    case RunLock::Outcome::kUnavailable:
      break;
  }
  std::error_code no_folder;
  const std::filesystem::path folder = std::filesystem::current_path(no_folder);
  notices.Add("Cannot write \"" + std::string(RunLock::kLockFile) + "\" in " +
              (no_folder ? std::string("this folder") : folder.string()) + ": " +
              ReasonText(lock.error()) + ".");
  return kResultCannotWrite;
}

void KeepLargeBlocksApart() { platform::ReturnLargeBlocksWhenFreed(); }

std::string_view PhaseTitle(std::string_view phase) {
  struct Title {
    std::string_view phase;
    std::string_view title;
  };
  static constexpr Title kTitles[] = {
      {"ReadGedcom", "Reading GEDCOM file"},       {"IsValidGedcom", "Checking cross-references"},
      {"BuildFamilyGroupRecords", "Family pages"}, {"BuildIndividualNotes", "Notes pages"},
      {"BuildFamilyNotes", "Notes pages"},         {"BuildPhotoPages", "Photo pages"},
      {"BuildPedigreeCharts", "Pedigree charts"},  {"BuildSurnamesPages", "Sorting names"},
      {"BuildNamesPages", "Names index"},          {"BuildGendexFile", "Surnames and GENDEX"},
  };
  for (const Title& t : kTitles) {
    if (t.phase == phase) return t.title;
  }
  return {};
}

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
    case kResultRunLocked:
      return {"Another Kinloom run is working in this folder.", MessageIcon::kWarning};
    default:
      return {"Undefined Kinloom Error. See kinloom.log file.", MessageIcon::kWarning};
  }
}

std::string SkippedReferencesText(long skipped) {
  return "Skipped " + std::to_string(skipped) +
         (skipped == 1 ? " reference without a record." : " references without records.");
}

std::string MissingRecordsNotice(long found) {
  const bool one = found == 1;
  return "The GEDCOM file has " + std::to_string(found) +
         (one ? " reference without a record" : " references without records") +
         " (listed in kinloom.log). Skip Missing Records (SKIPMISSING=Y) publishes the tree with " +
         (one ? "it" : "them") + " left out.";
}

void LogCannotWriteFollowUp(const Run& run) {
  const RunLog& log = run.log;
  if (const auto& failure = run.output.first_failure()) {
    log.LogLine(CannotWriteNotice(failure->path, failure->error));
  }
  log.LogLine("Windows has a limit of 32767 files in a single directory.");
  log.LogLine("You have most likely surpassed it.");
}

}  // namespace kinloom
