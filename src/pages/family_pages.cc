// Family group pages: one page per family, the couple with their events,
// parents and other marriages, then the children, then the sources cited.
//
// Each person's block is built in full before any of it is written, in the
// order name, birth, marriage, death, parents, spouses, notes, pedigree,
// photos. That order is also the order in which citations get their
// footnote numbers, so the husband's sources come first, then the wife's,
// then each child's.
#include <string>

#include "pages/frame.h"
#include "pages/html_text.h"
#include "pages/phases.h"
#include "text/strings.h"

namespace kinloom {

namespace {

enum class Role { kHusband, kWife, kChild };

struct PersonBlock {
  std::string name;
  std::string birth_date, birth_place, birth_mark;
  std::string marriage_date, marriage_place, marriage_mark;
  std::string death_date, death_place, death_mark;
  std::string father, mother;
  std::string spouses;
  std::string notes_link;
  std::string pedigree_link;
  std::string photo_line;
};

std::string Link(std::string_view href, std::string_view text, std::string_view close) {
  std::string link = "<A HREF=\"";
  link += href;
  link += "\">";
  link += text;
  link += close;
  return link;
}

class FamilyPageWriter {
 public:
  FamilyPageWriter(Run& run, std::int32_t family) : run_(run), s_(run.settings), family_(family) {}

  // Builds the block of person (> 0) in the given role on this family's page.
  PersonBlock Build(std::int32_t person, Role role);
  // The name of an individual for display, escaped.
  std::string DisplayName(std::int32_t person) {
    return HtmlText(FormatName(s_, run_.store.IndividualName(person)));
  }

 private:
  // The footnote link of source, with the blanks this block uses around
  // event marks: before and after for the husband, after only otherwise.
  std::string EventMark(std::int32_t source, Role role);
  std::string PhotoLine(std::int32_t person);

  Run& run_;
  const Settings& s_;
  std::int32_t family_;
};

std::string FamilyPageWriter::EventMark(std::int32_t source, Role role) {
  if (s_.sources != 'Y' || source == 0) return {};
  std::string mark = SourceMark(SourceNumber(run_, source)) + " ";
  if (role == Role::kHusband) mark.insert(0, " ");
  return mark;
}

std::string FamilyPageWriter::PhotoLine(std::int32_t person) {
  const WorkFiles& store = run_.store;
  if (s_.photos != 'Y' || store.IndividualPhoto(person, 0) == 0) return {};
  // A photo without a file name has no page and gets no link; the others
  // keep the number of their slot. The caption stands whenever the first
  // slot holds a photo.
  std::string links;
  for (int k = 0; k < kListEntries; ++k) {
    const std::int32_t photo = store.IndividualPhoto(person, k);
    if (photo == 0 || store.PhotoFile(photo).empty()) continue;
    links += " <a href=\"" + PageLink(s_, "../pho", PageFileName(s_, "pho", photo)) + "\">" +
             std::to_string(k + 1) + "</a>";
  }
  return run_.Text(Label::kPhotos) + ":" + links + "\n";
}

PersonBlock FamilyPageWriter::Build(std::int32_t person, Role role) {
  const WorkFiles& store = run_.store;
  PersonBlock b;
  const std::string name = store.IndividualName(person);
  const std::int32_t own_family = store.IndividualSpouseFamily(person, 0);

  const std::string shown = HtmlText(FormatName(s_, name));
  if (role == Role::kChild) {
    b.name = own_family != 0 ? Link(PageFileName(s_, "fam", own_family), shown, "</A>") : shown;
  } else {
    b.name = "<B>" + shown + "</B>";
  }
  if (s_.sources == 'Y' && store.IndividualSource(person) != 0) {
    b.name += " " + SourceMark(SourceNumber(run_, store.IndividualSource(person)));
  }
  if (role != Role::kChild && s_.soundex == 'Y') {
    b.name += " " + HtmlText(SoundexCode(ExtractSurname(s_, name)));
  }

  b.birth_date = store.IndividualBirthDate(person);
  b.birth_place = store.IndividualBirthPlace(person);
  b.birth_mark = EventMark(store.IndividualBirthSource(person), role);

  std::int32_t marriage = 0;
  if (role == Role::kHusband) marriage = family_;
  if (role == Role::kChild && own_family > 0) marriage = own_family;
  if (marriage != 0) {
    b.marriage_date = store.FamilyMarriageDate(marriage);
    b.marriage_place = store.FamilyMarriagePlace(marriage);
    b.marriage_mark = EventMark(store.FamilyMarriageSource(marriage), role);
  }

  b.death_date = store.IndividualDeathDate(person);
  b.death_place = store.IndividualDeathPlace(person);
  b.death_mark = EventMark(store.IndividualDeathSource(person), role);

  if (role != Role::kChild) {
    const std::int32_t parents = store.IndividualParentFamily(person, 0);
    if (parents != 0) {
      const std::string parents_page = PageFileName(s_, "fam", parents);
      if (const std::int32_t father = store.FamilyHusband(parents); father != 0) {
        b.father = Link(parents_page, DisplayName(father), "</a>");
      }
      if (const std::int32_t mother = store.FamilyWife(parents); mother != 0) {
        b.mother = Link(parents_page, DisplayName(mother), "</a>");
      }
    }
  }

  for (int i = 0; i < kListEntries; ++i) {
    const std::int32_t other = store.IndividualSpouseFamily(person, i);
    if (other <= 0 || other == family_) continue;
    std::int32_t partner;
    if (role == Role::kHusband) {
      partner = store.FamilyWife(other);
    } else if (role == Role::kWife) {
      partner = store.FamilyHusband(other);
    } else {
      partner = store.FamilyHusband(other) == person ? store.FamilyWife(other)
                                                     : store.FamilyHusband(other);
    }
    b.spouses += Link(PageFileName(s_, "fam", other),
                      partner == 0 ? std::string("?") : DisplayName(partner), "</a>  ");
  }

  if (s_.notes == 'Y' && store.IndividualNote(person) != 0) {
    b.notes_link =
        Link(PageLink(s_, "../nti", PageFileName(s_, "nti", store.IndividualNote(person))),
             run_.Text(Label::kNotes), "</a>  ");
  }
  if (run_.InPedigreeSelection(person)) {
    b.pedigree_link = Link(PageLink(s_, "../ped", PageFileName(s_, "ped", person)),
                           run_.Text(Label::kPedigree), "</a>  ");
  }
  b.photo_line = PhotoLine(person);
  return b;
}

void WriteSpouseBlock(Run& run, PageFile& page, const PersonBlock& b, Role role) {
  const LabelTexts& l = run.labels;
  page.Write("<HR NOSHADE SIZE=3>");
  page.Write(RightAligned(role == Role::kHusband ? l[Label::kHusband] : l[Label::kWife], 7) + ": " +
             b.name + "\n");
  page.Write("<HR NOSHADE SIZE=3>");
  WriteEventLine(page, l[Label::kBorn], b.birth_date, l[Label::kAt], b.birth_place, b.birth_mark);
  if (role == Role::kHusband) {
    WriteEventLine(page, l[Label::kMarried], b.marriage_date, l[Label::kAt], b.marriage_place,
                   b.marriage_mark);
  }
  WriteEventLine(page, l[Label::kDied], b.death_date, l[Label::kAt], b.death_place, b.death_mark);
  page.Write(RightAligned(l[Label::kFather], 7) + ":" + b.father + "\n");
  page.Write(RightAligned(l[Label::kMother], 7) + ":" + b.mother + "\n");
  page.Write(RightAligned(l[Label::kOtherSpouses], 21) + ": " + b.spouses + "\n");
  page.Write(b.pedigree_link + b.notes_link);
  page.Write(b.photo_line);
}

void WriteChildBlock(Run& run, PageFile& page, const PersonBlock& b) {
  const LabelTexts& l = run.labels;
  page.Write("<HR NOSHADE SIZE=1>");
  page.Write(RightAligned(l[Label::kName], 7) + ": " + b.name + "\n");
  WriteEventLine(page, l[Label::kBorn], b.birth_date, l[Label::kAt], b.birth_place, b.birth_mark);
  WriteEventLine(page, l[Label::kMarried], b.marriage_date, l[Label::kAt], b.marriage_place,
                 b.marriage_mark);
  WriteEventLine(page, l[Label::kDied], b.death_date, l[Label::kAt], b.death_place, b.death_mark);
  page.Write(RightAligned(l[Label::kSpouses], 7) + ": " + b.spouses + "\n");
  page.Write(b.pedigree_link + b.notes_link);
  page.Write(b.photo_line);
}

constexpr PageOutcome kFamilyPage{"Unable to create new FAM file.", false, true, {}};

// Writes the page of one family; 0, or 6 when it cannot be written whole.
int WriteFamilyPage(Run& run, std::int32_t family) {
  const Settings& s = run.settings;
  const WorkFiles& store = run.store;
  run.page.sources.clear();
  PageFile page(run);
  if (!page.CreateOrKeep(PagePath(s, "fam", PageFileName(s, "fam", family)), kFamilyPage)) {
    return kResultCannotWrite;
  }
  if (page.kept()) return kResultOk;
  const std::int32_t husband = store.FamilyHusband(family);
  const std::int32_t wife = store.FamilyWife(family);
  WritePageStart(run, page, CoupleName(run, husband, wife));
  page.Write("<PRE>\n");

  FamilyPageWriter writer(run, family);
  // A missing husband or wife still gets the captions of the block.
  WriteSpouseBlock(run, page, husband > 0 ? writer.Build(husband, Role::kHusband) : PersonBlock{},
                   Role::kHusband);
  WriteSpouseBlock(run, page, wife > 0 ? writer.Build(wife, Role::kWife) : PersonBlock{},
                   Role::kWife);
  page.Write("<HR NOSHADE SIZE=3>");

  if (store.FamilyChild(family, 0) != 0) {
    page.Write("<B>" + run.Text(Label::kChildren) + "</B>\n");
  }
  for (int i = 0; i < kListEntries; ++i) {
    const std::int32_t child = store.FamilyChild(family, i);
    if (child > 0) WriteChildBlock(run, page, writer.Build(child, Role::kChild));
  }
  page.Write("<HR NOSHADE SIZE=1>");

  WriteSourceList(run, page);
  if (s.notes == 'Y' && store.FamilyNote(family) != 0) {
    page.Write(Link(PageLink(s, "../ntf", PageFileName(s, "ntf", store.FamilyNote(family))),
                    run.Text(Label::kFamilyNotes), "</a>\n"));
  }
  page.Write("</PRE>\n");
  WritePageFoot(run, page, 'Y', "../");
  return FinishPage(run, page) ? kResultOk : kResultCannotWrite;
}

}  // namespace

int BuildFamilyGroupRecords(Run& run) {
  run.log.LogLine(">BuildFamilyGroupRecords");
  for (const auto& [family, partner] : run.extra_partners) {
    run.log.LogLine("Family @F" + std::to_string(family) + "@ has more than two partners; " +
                    FormatName(run.settings, run.store.IndividualName(partner)) + " is not shown.");
  }
  for (std::int32_t slot = 1; slot <= run.store.counters.FamilyCount; ++slot) {
    if (WriteFamilyPage(run, run.store.FamilyNumberAt(slot)) != kResultOk) {
      return kResultCannotWrite;  // logged by the page
    }
  }
  run.log.LogLine("<BuildFamilyGroupRecords");
  return kResultOk;
}

}  // namespace kinloom
