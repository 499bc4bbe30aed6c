// Pedigree charts: one page per selected individual, the ancestors drawn
// sideways as text inside a <pre> block, the father's side above the
// individual and the mother's side below.
//
// Each line stands after a lead of three columns per generation. A
// father's branch gets "   " / "+--" / "|  " as the texts before the leads
// above his line, his own lead and the texts before the leads below it; a
// mother's branch gets "|  " / "+--" / "   ", so that a vertical bar joins
// each parent to its child's line. What stands before a parent's lead is
// therefore the child's own texts plus three columns: one string, the
// base, grows and shrinks by three columns as the walk goes up and down a
// branch.
//
// The walk keeps its own stack (one small frame per generation of the
// branch it is in), so a line of any length is drawn whole without deep
// recursion. Each ancestor is drawn once per chart: one met again (an
// ancestor reached through two children, as where cousins married) gets
// their line followed by the caption SREPEAT, and their ancestors are not
// drawn again. Someone met again on their own branch is recorded as their
// own ancestor: the chart marks them the same way, and the log and the
// run's notices name them once per run.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "pages/frame.h"
#include "pages/html_text.h"
#include "pages/phases.h"

namespace kinloom {

namespace {

// " (birth-death)", or empty when both dates are empty.
std::string LifeSpan(const WorkFiles& store, std::int32_t number) {
  const std::string birth = store.IndividualBirthDate(number);
  const std::string death = store.IndividualDeathDate(number);
  if (birth.empty() && death.empty()) return {};
  return " (" + HtmlText(birth) + "-" + HtmlText(death) + ")";
}

void WriteOwnLine(Run& run, PageFile& page, std::int32_t number, const std::string& base,
                  std::string_view lead, bool repeat) {
  const std::string target = LandingPageLink(run, number, "../fam", "../ind");
  const std::string name = HtmlText(FormatName(run.settings, run.store.IndividualName(number)));
  std::string line(base);
  line += lead;
  line += "<b><A HREF=\"";
  line += target;
  line += "\">";
  line += name;
  line += "</A> ";
  line += LifeSpan(run.store, number);
  line += "</b>";
  if (repeat && !run.Text(Label::kRepeat).empty()) {
    line += ' ';
    line += run.Text(Label::kRepeat);
  }
  line += '\n';
  page.Write(line);
}

// Names, once per run, someone found on their own branch.
void ReportLoop(Run& run, std::int32_t number) {
  const std::string text =
      "Ancestry loop: " + FormatName(run.settings, run.store.IndividualName(number)) + " (@I" +
      std::to_string(number) + "@) is recorded as their own ancestor.";
  const std::vector<std::string>& said = run.notices.lines();
  if (std::find(said.begin(), said.end(), text) != said.end()) return;
  run.log.LogLine(text);
  run.notices.Add(text);
}

// Where a frame stands in the chart.
enum class Side : std::uint8_t { kRoot, kFather, kMother };

// One generation of the branch being drawn.
struct Frame {
  std::int32_t number;
  std::int32_t family = 0;  // the parents' family, once entered
  Side side;
  std::uint8_t step = 0;  // 0: to enter; 1: father drawn; 2: mother drawn
};

// The three columns a parent's texts add to the child's, by the child's
// side and the parent's: "   " on the outer side of a branch, "|  " on
// the side that faces the child's own line.
std::string_view Columns(Side child, Side parent) {
  if (child == Side::kRoot) return {};
  return child == parent ? "   " : "|  ";
}

void DrawChart(Run& run, PageFile& page, std::int32_t root) {
  // Individuals met in this chart: true while their branch is being drawn.
  std::unordered_map<std::int32_t, bool> met;
  std::string base;
  std::vector<Frame> stack{{root, 0, Side::kRoot}};
  auto push_parent = [&](const Frame& child, std::int32_t parent, Side side) {
    base += Columns(child.side, side);
    stack.push_back({parent, 0, side});
  };
  auto pop_parent = [&](const Frame& child, Side side) {
    base.resize(base.size() - Columns(child.side, side).size());
  };
  while (!stack.empty()) {
    Frame& frame = stack.back();
    const std::string_view lead = frame.side == Side::kRoot ? "" : "+--";
    if (frame.step == 0) {
      // An absent parent draws nothing.
      if (frame.number <= 0) {
        stack.pop_back();
        continue;
      }
      const auto [entry, first] = met.try_emplace(frame.number, true);
      if (!first) {
        if (entry->second) ReportLoop(run, frame.number);
        WriteOwnLine(run, page, frame.number, base, lead, true);
        stack.pop_back();
        continue;
      }
      frame.family = run.store.IndividualParentFamily(frame.number, 0);
      if (frame.family <= 0) {
        WriteOwnLine(run, page, frame.number, base, lead, false);
        entry->second = false;
        stack.pop_back();
        continue;
      }
      frame.step = 1;
      const Frame child = frame;  // frame moves when the stack grows
      push_parent(child, run.store.FamilyHusband(child.family), Side::kFather);
    } else if (frame.step == 1) {
      pop_parent(frame, Side::kFather);
      WriteOwnLine(run, page, frame.number, base, lead, false);
      frame.step = 2;
      const Frame child = frame;
      push_parent(child, run.store.FamilyWife(child.family), Side::kMother);
    } else {
      pop_parent(frame, Side::kMother);
      met[frame.number] = false;
      stack.pop_back();
    }
  }
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

  DrawChart(run, page, number);

  page.Write("</pre>\n");
  page.Write("<HR NOSHADE SIZE=1>");
  WritePageFoot(run, page, 'Y', "../");
  if (!FinishPage(run, page)) return kResultCannotWrite;
  return kResultOk;
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
