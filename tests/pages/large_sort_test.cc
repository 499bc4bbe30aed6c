// The names sort on a tree large enough that its key table spans many
// chunks: the order is still exactly that of the described quicksort,
// equal keys included, and every number still finds its own record.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "pages/names_sort.h"
#include "pages/page_fixture.h"
#include "pages/phases.h"

namespace kinloom::testing {
namespace {

// The quicksort over keys in memory, middle element as pivot, two inward
// scans, C-string comparison of unsigned bytes.
void ReferenceSort(std::vector<std::pair<std::string, std::string>>& items,  // key, name
                   std::int32_t lo, std::int32_t hi) {
  auto less = [](const std::string& a, const std::string& b) {
    for (std::size_t k = 0;; ++k) {
      if (k == b.size()) return false;
      if (k == a.size()) return true;
      const auto ca = static_cast<unsigned char>(a[k]);
      const auto cb = static_cast<unsigned char>(b[k]);
      if (ca != cb) return ca < cb;
    }
  };
  auto key = [&items](std::int32_t p) -> const std::string& {
    return items[static_cast<std::size_t>(p)].first;
  };
  const std::string pivot = key(lo + (hi - lo) / 2);
  std::int32_t i = lo;
  std::int32_t j = hi;
  do {
    while (less(key(i), pivot)) ++i;
    while (less(pivot, key(j))) --j;
    if (i <= j) {
      std::swap(items[static_cast<std::size_t>(i)], items[static_cast<std::size_t>(j)]);
      ++i;
      --j;
    }
  } while (i <= j);
  if (lo < j) ReferenceSort(items, lo, j);
  if (i < hi) ReferenceSort(items, i, hi);
}

// How the sort is done: in the run's thread, worked out ahead by the
// sort's own thread and taken up when it is done, or stopped early and
// finished in the run's thread.
enum class Way { kInPlace, kAhead, kStoppedEarly };

class LargeSortTest : public PageTest {
 protected:
  void SortAndCheck(Way way);
};

TEST_F(LargeSortTest, ManyChunksOfKeysSortAsTheDescribedQuicksort) { SortAndCheck(Way::kInPlace); }

TEST_F(LargeSortTest, TheOrderWorkedOutAheadIsTheSame) { SortAndCheck(Way::kAhead); }

TEST_F(LargeSortTest, ASortStoppedBeforeItIsDoneGivesTheSameOrder) {
  SortAndCheck(Way::kStoppedEarly);
}

void LargeSortTest::SortAndCheck(Way way) {
  constexpr int kCount = 50000;
  std::mt19937 random(8);
  const char* surnames[] = {"Smith",     "Smith Jones", "Smithers", "\xC6rlig",
                            "M\xFCller", "Vance",       "Van Dyke"};
  const char* given[] = {"Al", "Bo", "\xC9va", "stra\xDF"};
  std::vector<std::pair<std::string, std::string>> items;
  std::vector<std::string> name_of(kCount + 1);
  for (int k = 0; k < kCount; ++k) {
    std::string name = given[random() % 4];
    // Some names reach the field's 99 characters.
    if (random() % 50 == 0) name += std::string(60, 'x');
    name += " /" + std::string(surnames[random() % 7]) + "/";
    // The suffix tells records of equal keys apart without being part of the key.
    name += " " + std::to_string(k);
    if (name.size() > kNameCapacity) name.resize(kNameCapacity);
    AddIndividual(Person(k + 1, name));
    name_of[static_cast<std::size_t>(k + 1)] = name;
    items.emplace_back(NameSortKey(run_.settings, name), name);
  }
  ReferenceSort(items, 0, kCount - 1);

  if (way != Way::kInPlace) {
    run_.store.Flush();
    run_.test_options.always_wait_for_names_sort = way == Way::kAhead;
    StartNamesSort(run_);
    ASSERT_TRUE(run_.names_sort && run_.names_sort->running());
  }
  QsortIndividuals(run_, 1, kCount);
  EXPECT_FALSE(run_.names_sort && run_.names_sort->running());

  for (std::int32_t slot = 1; slot <= kCount; ++slot) {
    ASSERT_EQ(run_.store.IndividualNameAt(slot), items[static_cast<std::size_t>(slot - 1)].second)
        << "slot " << slot;
  }
  for (std::int32_t number = 1; number <= kCount; number += 97) {
    ASSERT_EQ(run_.store.IndividualName(number), name_of[static_cast<std::size_t>(number)])
        << "number " << number;
  }
}

}  // namespace
}  // namespace kinloom::testing
