// The names sort and the surnames page.
//
// The sort puts the individual records of indv.dat in the order of one
// particular quicksort: middle element as pivot, two inward scans, equal
// keys swapped, then the left part sorted before the right part. Its order
// of equal keys is part of the site's output (the names pages and
// gendex.txt list individuals in slot order), so that quicksort is followed
// step by step; only two things differ from a plain recursive version, and
// neither changes the result:
//
//  * The steps run on a table of the keys in memory, each key built once
//    from the record in its slot; the records are then moved into the final
//    order in one pass over the file (PermuteIndividuals), each read and
//    written once, instead of a SwapIndividuals for every exchange of the
//    quicksort.
//  * After a partition the two parts are disjoint, so the order in which
//    they are sorted does not matter: the smaller part is sorted by a
//    recursive call and the larger one by the loop, which bounds the depth
//    of recursion by log2 of the number of slots on any input.
//
// Moving records keeps every number's index entry on the record it points
// to, so the index ends the same whichever exchanges brought the records
// into place.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pages/frame.h"
#include "pages/phases.h"
#include "text/strings.h"

namespace kinloom {

std::string NameSortKey(const Settings& settings, std::string_view name) {
  if (name.empty()) return " ";
  const int first_slash = FindOccurrence(name, "/", 1);
  const int second_slash = FindOccurrence(name, "/", 2);
  // As in IndexName: without slashes the whole name counts as given names,
  // without a closing slash the rest of the name is the surname.
  std::string given;
  std::string surname;
  if (first_slash < 0) {
    given = std::string(name);
  } else {
    given = SubText(name, 0, first_slash);
    surname = second_slash < 0 ? std::string(name.substr(static_cast<std::size_t>(first_slash) + 1))
                               : SubText(name, first_slash + 1, second_slash - first_slash - 1);
  }
  std::string key = FoldForSorting(UppercaseSurname(settings, surname));
  key += ", ";
  key += FoldForSorting(UppercaseSurname(settings, TrimTrailingSpaces(given)));
  return key;
}

namespace {

// The records of a range of slots while they are being sorted. Positions
// count from 0 within the range; a record is known by its id, its position
// before the sort.
class SortTable {
 public:
  SortTable(Run& run, std::int32_t first_slot, std::int32_t last_slot) : first_slot_(first_slot) {
    const auto size = static_cast<std::size_t>(last_slot - first_slot + 1);
    starts_.reserve(size + 1);
    order_.reserve(size);
    for (std::int32_t slot = first_slot; slot <= last_slot; ++slot) {
      starts_.push_back(bytes_.size());
      bytes_ += NameSortKey(run.settings, run.store.IndividualNameAt(slot));
      order_.push_back(static_cast<std::int32_t>(order_.size()));
    }
    starts_.push_back(bytes_.size());
  }

  std::int32_t size() const { return static_cast<std::int32_t>(order_.size()); }

  // Key of the record now at position p.
  std::string_view KeyAt(std::int32_t p) const {
    const auto id = static_cast<std::size_t>(order_[static_cast<std::size_t>(p)]);
    return std::string_view(bytes_).substr(starts_[id], starts_[id + 1] - starts_[id]);
  }

  // One exchange of the quicksort.
  void Exchange(std::int32_t a, std::int32_t b) {
    std::swap(order_[static_cast<std::size_t>(a)], order_[static_cast<std::size_t>(b)]);
  }

  // Moves the records of the store into the order reached. The keys are
  // no longer needed and are let go first, so that the table never holds
  // both them and the store's bookkeeping of the move.
  void Apply(Run& run) {
    std::string().swap(bytes_);
    std::vector<std::size_t>().swap(starts_);
    run.store.PermuteIndividuals(first_slot_, order_);
  }

 private:
  std::int32_t first_slot_;
  std::string bytes_;                // all keys, one after another
  std::vector<std::size_t> starts_;  // key of id k: bytes_[starts_[k], starts_[k + 1])
  std::vector<std::int32_t> order_;  // by position: the id of the record there
};

// Sorts positions lo to hi (lo < hi) of the table.
void SortPositions(SortTable& table, std::int32_t lo, std::int32_t hi) {
  while (lo < hi) {
    // The pivot's key stays in the table's buffer, unchanged by exchanges.
    const std::string_view pivot = table.KeyAt(lo + (hi - lo) / 2);
    std::int32_t i = lo;
    std::int32_t j = hi;
    do {
      // The bounds never stop a scan (the pivot's own key stops it first);
      // they only keep a scan inside the range whatever the keys.
      while (i <= hi && table.KeyAt(i) < pivot) ++i;
      while (j >= lo && pivot < table.KeyAt(j)) --j;
      if (i <= j) {
        table.Exchange(i, j);
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - lo < hi - i) {
      if (lo < j) SortPositions(table, lo, j);
      lo = i;
    } else {
      if (i < hi) SortPositions(table, i, hi);
      hi = j;
    }
  }
}

}  // namespace

void QsortIndividuals(Run& run, std::int32_t first_slot, std::int32_t last_slot) {
  // Only stored slots take part: slots past the end hold no record.
  first_slot = std::max<std::int32_t>(first_slot, 1);
  last_slot = std::min(last_slot, run.store.counters.IndividualCount);
  if (first_slot >= last_slot) return;
  SortTable table(run, first_slot, last_slot);
  SortPositions(table, 0, table.size() - 1);
  table.Apply(run);
}

int BuildSurnamesPages(Run& run) {
  const Settings& settings = run.settings;
  const std::int32_t count = run.store.counters.IndividualCount;
  run.log.LogLine(">BuildSurnamesPages");
  run.log.LogLine(">QsortIndividuals");
  QsortIndividuals(run, 1, count);
  run.log.LogLine("<QsortIndividuals");

  PageFile page;
  if (!page.Create(PagePath(settings, "", "surnames." + settings.extension))) {
    run.log.LogLine("Unable to create new SURNAMES file.");
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

  // A names page is closed at a change of surname once it holds more than
  // this many individuals, so one surname never spans two pages.
  constexpr int kPageLimit = 1000;
  auto names_file = [&settings](int page_number) {
    return "names" + std::to_string(page_number) + "." + settings.extension;
  };
  int page_number = 1;
  std::int32_t first = 1;
  std::int32_t last = 0;
  int on_page = 0;
  std::string previous_surname;
  std::string link_file = names_file(page_number);
  for (std::int32_t slot = 1; slot <= count; ++slot) {
    const std::int32_t number = run.store.IndividualNumberAt(slot);
    if (number == 0) continue;
    std::string surname = ExtractSurname(settings, run.store.IndividualName(number));
    if (surname.substr(0, 1) != previous_surname.substr(0, 1)) page.Write("<br>\n");
    if (surname != previous_surname) {
      previous_surname = surname;
      if (on_page > kPageLimit) {
        // Names pages report their own failures; this page links on.
        BuildNamesPages(run, page_number, first, last);
        first = slot;
        ++page_number;
        on_page = 0;
        link_file = names_file(page_number);
      }
      page.Write("<A HREF=\"" + link_file + "#" + surname + "\">" + surname + "</a>&nbsp;&nbsp;\n");
    }
    last = slot;
    ++on_page;
  }
  if (on_page > 0) BuildNamesPages(run, page_number, first, last);

  page.Write("</CENTER><HR NOSHADE SIZE=2>");
  WritePageFoot(run, page, 'N', "");
  page.Write("</BODY>\n");
  page.Write("</HTML>\n");
  if (!page.Close()) {
    run.log.LogLine("Unable to create new SURNAMES file.");
    return kResultCannotWrite;
  }
  run.PageWritten();
  run.log.LogLine("<BuildSurnamesPages");
  return kResultOk;
}

}  // namespace kinloom
