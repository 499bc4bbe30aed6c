// Pedigree charts: one page per selected individual, the ancestors drawn
// sideways as text inside a <pre> block, the father's side above the
// individual and the mother's side below.
//
// The tree is drawn by three texts handed down the recursion: the prefix
// (what stands before the leads of the ancestors above this line), the
// lead of the individual's own line, and the next prefix (what stands
// before the leads below it). A father's branch gets "   " / "+--" / "|  "
// appended to the prefix, a mother's branch "|  " / "+--" / "   " appended
// to the next prefix, so every generation indents by three columns and a
// vertical bar joins each parent to its child's line.
//
// Ancestry loops (someone recorded as their own ancestor) would recurse
// forever; the chart depth is counted per chart, the individuals visited
// beyond depth 130 are logged, and past depth 150 the chart stops growing
// and reports 7. Every call above the one that stopped still writes its own
// line, so the page ends in an orderly way.
#include <cstdint>
#include <string>
#include <string_view>

#include "pages/frame.h"
#include "pages/html_text.h"
#include "pages/phases.h"

namespace kinloom {

namespace {

constexpr int kLoopReportDepth = 130;
constexpr int kMaximumDepth = 150;

// One chart being written: its page and the depth of the branch call that
// is running.
struct Chart {
  Run& run;
  PageFile& page;
  int depth = 0;
};

// " (birth-death)", or empty when both dates are empty.
std::string LifeSpan(const WorkFiles& store, std::int32_t number) {
  const std::string birth = store.IndividualBirthDate(number);
  const std::string death = store.IndividualDeathDate(number);
  if (birth.empty() && death.empty()) return {};
  return " (" + HtmlText(birth) + "-" + HtmlText(death) + ")";
}

void WriteOwnLine(Chart& chart, std::int32_t number, std::string_view lead) {
  Run& run = chart.run;
  const std::string target = LandingPageLink(run, number, "../fam", "../ind");
  const std::string name = HtmlText(FormatName(run.settings, run.store.IndividualName(number)));
  std::string line(lead);
  line += "<b><A HREF=\"";
  line += target;
  line += "\">";
  line += name;
  line += "</A> ";
  line += LifeSpan(run.store, number);
  line += "</b>\n";
  chart.page.Write(line);
}

int WritePedigreeBranch(Chart& chart, std::int32_t number, const std::string& prefix,
                        const std::string& lead, const std::string& next_prefix) {
  Run& run = chart.run;
  ++chart.depth;
  int result = kResultOk;
  if (chart.depth > kLoopReportDepth) {
    if (chart.depth == kLoopReportDepth + 1) run.log.LogLine("Possible ancestry loop involving:");
    // An absent parent has no record to read; its name is the empty text.
    const std::string name = number > 0 ? run.store.IndividualName(number) : std::string();
    run.log.LogLine(FormatName(run.settings, name));
    if (chart.depth > kMaximumDepth) {
      run.log.LogLine(
          "Pedigree chart exceeded depth of 150. Someone is likely their own ancestor.");
      result = kResultPedigreeDepth;
    }
  }
  if (number > 0) {
    const std::int32_t family = run.store.IndividualParentFamily(number, 0);
    if (family > 0) {
      if (result == kResultOk) {
        const std::int32_t father = run.store.FamilyHusband(family);
        result = WritePedigreeBranch(chart, father, prefix + "   ", prefix + "+--", prefix + "|  ");
      }
      WriteOwnLine(chart, number, lead);
      if (result == kResultOk) {
        const std::int32_t mother = run.store.FamilyWife(family);
        result = WritePedigreeBranch(chart, mother, next_prefix + "|  ", next_prefix + "+--",
                                     next_prefix + "   ");
      }
    } else {
      WriteOwnLine(chart, number, lead);
    }
  }
  --chart.depth;
  return result;
}

}  // namespace

int PedigreeChart(Run& run, std::int32_t number) {
  // A number with no stored individual (a stray entry of the pedigree list)
  // has nothing to chart.
  if (number <= 0 || run.store.IndividualNumber(number) != number) return kResultOk;
  // Nor does anyone presumed living.
  if (run.living.IsLiving(number)) return kResultOk;

  run.log.LogLine(">PedigreeChart");
  const std::string file_name = PageFileName(run.settings, "ped", number);
  // Every chart that fails is counted; with PEDIGREEALL "Y" it also ends
  // the phase, while a chart of the list only leaves the run unfinished.
  const PageOutcome outcome{"Unable to create new PED file.", true, run.settings.pedigreeall == 'Y',
                            "<PedigreeChart"};
  PageFile page(run);
  if (!page.CreateOrKeep(PagePath(run.settings, "ped", file_name), outcome)) {
    return kResultCannotWrite;
  }
  if (page.kept()) return kResultOk;
  page.Write("<HTML>\n");
  page.Write("<HEAD>\n");
  page.Write("<TITLE>" + run.Text(Label::kPedigreeFor) + " " +
             HtmlText(FormatName(run.settings, run.store.IndividualName(number))) + "</TITLE>\n");
  WriteBodyStart(run, page);
  page.Write("<HR NOSHADE SIZE=3>");
  page.Write("<pre>\n");

  Chart chart{run, page};
  const int result = WritePedigreeBranch(chart, number, "", "", "");

  page.Write("</pre>\n");
  page.Write("<HR NOSHADE SIZE=1>");
  WritePageFoot(run, page, 'Y', "../");
  if (!FinishPage(run, page)) return kResultCannotWrite;
  return result;
}

int BuildPedigreeCharts(Run& run) {
  run.log.LogLine(">BuildPedigreeCharts");
  if (run.settings.pedigreeall == 'Y') {
    const std::int32_t count = run.store.counters.IndividualCount;
    for (std::int32_t slot = 1; slot <= count; ++slot) {
      const std::int32_t number = run.store.IndividualNumberAt(slot);
      if (number == 0) continue;
      const int result = PedigreeChart(run, number);
      if (result != kResultOk) return result;
    }
  } else {
    // Charts named in the list are extras: one that fails is logged by
    // PedigreeChart and the others are still written.
    for (std::int32_t number : ParsePedigreeList(run.settings.pedigreelist)) {
      PedigreeChart(run, number);
    }
  }
  run.log.LogLine("<BuildPedigreeCharts");
  return kResultOk;
}

}  // namespace kinloom
