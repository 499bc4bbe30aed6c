// The surnames page, and through it the names pages.

#include <cstdint>
#include <optional>
#include <string>

#include "pages/frame.h"
#include "pages/names_sort.h"
#include "pages/phases.h"
#include "pages/surnames_walk.h"

namespace kinloom {

int BuildSurnamesPages(Run& run) {
  const Settings& settings = run.settings;
  const std::int32_t count = run.store.counters.IndividualCount;
  run.log.LogLine(">BuildSurnamesPages");
  run.log.LogLine(">QsortIndividuals");
  QsortIndividuals(run, 1, count);
  run.log.LogLine("<QsortIndividuals");
  run.EnterPhase("BuildNamesPages");  // for the progress display only

  constexpr PageOutcome kSurnamesPage{"Unable to create new SURNAMES file.", false, true,
                                      "<BuildSurnamesPages"};
  PageFile page(run);
  if (!page.Create(PagePath(settings, "", "surnames." + settings.extension), kSurnamesPage)) {
    return kResultCannotWrite;
  }
  page.Write("<HTML>\n");
  page.Write("<HEAD>\n");
  page.Write("<TITLE>Surnames Index Page</TITLE>\n");
  WriteBodyStart(run, page);
  page.Write("<CENTER><H1>" + run.Text(Label::kAllSurnames) + "</H1>\n");
  page.Write("<HR NOSHADE SIZE=2>\n");
  page.Write(run.Text(Label::kTotals1) + " " + std::to_string(count) + " " +
             run.Text(Label::kTotals2) + " " + std::to_string(run.store.counters.FamilyCount) +
             " " + run.Text(Label::kTotals3) + "<BR>\n");

  std::optional<NamesIndexAhead> ahead;
  if (run.names_sort) ahead = run.names_sort->TakeNamesIndex(run.store.individual_generation());
  if (ahead) {
    page.WriteFrom(ahead->surnames);
    int page_number = 1;
    // Names pages report their own failures; this page links on.
    for (const NamesIndexAhead::NamesPage& names : ahead->pages) {
      BuildNamesPages(run, page_number++, names, ahead->entries);
    }
  } else {
    SurnamesWalk walk(settings);
    auto close = [&run](int page_number, std::int32_t first, std::int32_t last) {
      // Names pages report their own failures; this page links on.
      BuildNamesPages(run, page_number, first, last);
    };
    std::string text;
    for (std::int32_t slot = 1; slot <= count; ++slot) {
      const std::int32_t number = run.store.IndividualNumberAt(slot);
      if (number == 0) continue;
      text.clear();
      walk.Add(slot, ExtractSurname(settings, run.store.IndividualName(number)), text, close);
      page.Write(text);
    }
    walk.Finish(close);
  }

  page.Write("</CENTER><HR NOSHADE SIZE=2>");
  WritePageFoot(run, page, 'N', "");
  return FinishPage(run, page) ? kResultOk : kResultCannotWrite;
}

}  // namespace kinloom
