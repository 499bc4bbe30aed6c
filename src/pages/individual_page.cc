// Individual pages: the page of an individual who belongs to no family,
// written on demand just before another page links to it.
#include "pages/frame.h"
#include "pages/html_text.h"
#include "pages/phases.h"
#include "text/strings.h"

namespace kinloom {

std::string LandingPageLink(Run& run, std::int32_t number, std::string_view fam_dir,
                            std::string_view ind_dir, bool* is_individual_page) {
  return LandingPageLink(run.settings, number, run.store.IndividualSpouseFamily(number, 0),
                         run.store.IndividualParentFamily(number, 0), fam_dir, ind_dir,
                         is_individual_page);
}

std::string LandingPageLink(const Settings& s, std::int32_t number, std::int32_t spouse_family,
                            std::int32_t parent_family, std::string_view fam_dir,
                            std::string_view ind_dir, bool* is_individual_page) {
  // A spouse is shown on the page of the first family founded, a child on
  // the parents' page; only someone in no family has a page of their own.
  const std::int32_t family = spouse_family > 0 ? spouse_family : parent_family;
  if (is_individual_page != nullptr) *is_individual_page = family <= 0;
  if (family <= 0) return PageLink(s, ind_dir, PageFileName(s, "ind", number));
  return PageLink(s, fam_dir, PageFileName(s, "fam", family));
}

int BuildIndividualPage(Run& run, std::int32_t number) {
  const Settings& s = run.settings;
  const WorkFiles& store = run.store;
  run.log.LogLine(">BuildIndividualPage");
  run.page.sources.clear();

  // A page that fails is logged and counted; the run goes on.
  constexpr PageOutcome kIndividualPage{"Unable to create new IND file.", true, false,
                                        "<BuildIndividualPage"};
  PageFile page(run);
  if (!page.CreateOrKeep(PagePath(s, "ind", PageFileName(s, "ind", number)), kIndividualPage)) {
    return kResultCannotWrite;
  }
  if (page.kept()) return kResultOk;
  const std::string name = store.IndividualName(number);
  const std::string display = FormatName(s, name);
  WritePageStart(run, page, display);
  page.Write("<PRE>\n");

  // Footnote numbers are handed out in the order name, birth, death.
  std::string name_field = HtmlText(display);
  if (s.sources == 'Y' && store.IndividualSource(number) != 0) {
    name_field += " " + SourceMark(SourceNumber(run, store.IndividualSource(number)));
  }
  if (s.soundex == 'Y') name_field += " " + HtmlText(SoundexCode(ExtractSurname(s, name)));
  std::string birth_mark;
  if (s.sources == 'Y' && store.IndividualBirthSource(number) != 0) {
    birth_mark = " " + SourceMark(SourceNumber(run, store.IndividualBirthSource(number))) + " ";
  }
  std::string death_mark;
  if (s.sources == 'Y' && store.IndividualDeathSource(number) != 0) {
    death_mark = " " + SourceMark(SourceNumber(run, store.IndividualDeathSource(number))) + " ";
  }

  page.Write("<HR NOSHADE SIZE=3>");
  page.Write("<B>" + RightAligned(run.Text(Label::kName), 7) + ": " + name_field + "</B>\n");
  page.Write("<HR NOSHADE SIZE=3>");
  WriteEventLine(page, run.Text(Label::kBorn), store.IndividualBirthDate(number),
                 run.Text(Label::kAt), store.IndividualBirthPlace(number), birth_mark);
  WriteEventLine(page, run.Text(Label::kDied), store.IndividualDeathDate(number),
                 run.Text(Label::kAt), store.IndividualDeathPlace(number), death_mark);
  page.Write("\n");
  page.Write("<HR NOSHADE SIZE=1>");
  WriteSourceList(run, page);
  page.Write("</PRE>\n");
  WritePageFoot(run, page, 'Y', "../");
  return FinishPage(run, page) ? kResultOk : kResultCannotWrite;
}

}  // namespace kinloom
