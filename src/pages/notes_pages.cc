// Notes pages: one page per note key, named by the key ("nti" for notes of
// individuals, "ntf" for notes of families), with a heading that links back
// to the owner and the note text as flowing HTML.
//
// A note record may be pointed to from either side of the tree while the
// reader filed its lines under one notes file only, so a page shows the
// lines of its own side when there are any and those of the other side
// otherwise.
#include "pages/frame.h"
#include "pages/html_text.h"
#include "pages/phases.h"

namespace kinloom {

namespace {

enum class Side { kIndividual, kFamily };

// NOTE and CONT lines start a new line on the page; CONC pieces and the
// text of a note record's own line continue the line before. The note is
// put together whole and then rebuilt (HtmlNote), so that a tag split
// over CONC pieces is read as one.
void WriteNoteText(Run& run, PageFile& page, std::int32_t key, Side side) {
  const WorkFiles& store = run.store;
  const bool individual_lines =
      side == Side::kIndividual ? store.HasIndividualNote(key) : !store.HasFamilyNote(key);
  std::string note;
  for (std::int32_t line = 1;; ++line) {
    const std::string* text =
        individual_lines ? store.IndividualNoteText(key, line) : store.FamilyNoteText(key, line);
    if (text == nullptr) break;
    const std::string copy = *text;
    const std::int32_t kind =
        individual_lines ? store.IndividualNoteKind(key, line) : store.FamilyNoteKind(key, line);
    if (kind == kNoteKindNote || kind == kNoteKindCont) note += '\n';
    note += copy;
  }
  page.Write(HtmlNote(note));
}

void WriteNotesHeading(Run& run, PageFile& page, std::string_view link, std::string_view owner) {
  page.Write("<CENTER><B>" + run.Text(Label::kNotesFor) + " <A HREF=\"" + std::string(link) +
             "\">" + HtmlText(owner) + "</A></B></CENTER>\n");
  page.Write("<HR NOSHADE SIZE=3>\n");
}

void WriteNotesEnd(Run& run, PageFile& page) {
  page.Write("<HR NOSHADE SIZE=1>");
  WritePageFoot(run, page, 'Y', "../");
}

// The page of note key for individual person; 0, or 6 when it cannot be
// written whole.
int WriteIndividualNotesPage(Run& run, std::int32_t person, std::int32_t key) {
  const Settings& s = run.settings;
  constexpr PageOutcome kNotesPage{"Unable to create new NTI file.", false, true, {}};
  PageFile page(run);
  if (!page.CreateOrKeep(PagePath(s, "nti", PageFileName(s, "nti", key)), kNotesPage)) {
    return kResultCannotWrite;
  }
  if (page.kept()) return kResultOk;
  const std::string owner = FormatName(s, run.store.IndividualName(person));
  WritePageStart(run, page, "Notes for " + owner);
  page.Write("<HR NOSHADE SIZE=3>");
  bool individual_page = false;
  const std::string link = LandingPageLink(run, person, "../fam", "../ind", &individual_page);
  // The heading links to the individual's own page only once it exists.
  if (individual_page) BuildIndividualPage(run, person);
  WriteNotesHeading(run, page, link, owner);
  WriteNoteText(run, page, key, Side::kIndividual);
  WriteNotesEnd(run, page);
  return FinishPage(run, page) ? kResultOk : kResultCannotWrite;
}

int WriteFamilyNotesPage(Run& run, std::int32_t family, std::int32_t key) {
  const Settings& s = run.settings;
  constexpr PageOutcome kNotesPage{"Unable to create new NTF file.", false, true, {}};
  PageFile page(run);
  if (!page.CreateOrKeep(PagePath(s, "ntf", PageFileName(s, "ntf", key)), kNotesPage)) {
    return kResultCannotWrite;
  }
  if (page.kept()) return kResultOk;
  const std::string couple =
      CoupleName(run, run.store.FamilyHusband(family), run.store.FamilyWife(family));
  WritePageStart(run, page, "Notes for " + couple);
  page.Write("<HR NOSHADE SIZE=3>");
  WriteNotesHeading(run, page, PageLink(s, "../fam", PageFileName(s, "fam", family)), couple);
  WriteNoteText(run, page, key, Side::kFamily);
  WriteNotesEnd(run, page);
  return FinishPage(run, page) ? kResultOk : kResultCannotWrite;
}

}  // namespace

int BuildIndividualNotes(Run& run) {
  run.log.LogLine(">BuildIndividualNotes");
  for (std::int32_t slot = 1; slot <= run.store.counters.IndividualCount; ++slot) {
    const std::int32_t person = run.store.IndividualNumberAt(slot);
    if (person == 0) continue;
    const std::int32_t key = run.store.IndividualNote(person);
    if (key == 0) continue;
    if (WriteIndividualNotesPage(run, person, key) != kResultOk) return kResultCannotWrite;
  }
  run.log.LogLine("<BuildIndividualNotes");
  return kResultOk;
}

int BuildFamilyNotes(Run& run) {
  run.log.LogLine(">BuildFamilyNotes");
  for (std::int32_t slot = 1; slot <= run.store.counters.FamilyCount; ++slot) {
    const std::int32_t family = run.store.FamilyNumberAt(slot);
    if (family == 0) continue;
    const std::int32_t key = run.store.FamilyNote(family);
    if (key == 0) continue;
    if (WriteFamilyNotesPage(run, family, key) != kResultOk) return kResultCannotWrite;
  }
  run.log.LogLine("<BuildFamilyNotes");
  return kResultOk;
}

}  // namespace kinloom
