// Moving all individual records into a new order at once must leave the
// data and index files exactly as the equivalent series of swaps does,
// duplicate numbers included; an order that is no permutation of stored
// slots changes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <random>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "store/work_files.h"
#include "support/scratch_dir.h"
#include "support/windows_skip.h"

namespace kinloom {
namespace {

using testing::ReadFile;
using testing::ScratchDir;

IndividualRecord Individual(std::int32_t number, const std::string& name) {
  IndividualRecord r;
  r.number = number;
  r.name = name;
  r.sex = ' ';
  r.birthDate = "slot of " + name;
  return r;
}

struct Files {
  std::string data;
  std::string index;
  bool operator==(const Files&) const = default;
};

// Stores the numbers in slots 1, 2, ... of a fresh store in its own
// directory, applies change, and returns both files.
template <typename Change>
Files After(const std::vector<std::int32_t>& numbers, Change change) {
  ScratchDir dir;
  WorkFiles store;
  EXPECT_EQ(store.Open(), std::nullopt);
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    const auto slot = static_cast<std::int32_t>(i + 1);
    store.PutIndividual(numbers[i], slot, Individual(numbers[i], "#" + std::to_string(slot)));
  }
  change(store);
  store.Flush();
  Files files{ReadFile("indv.dat"), ReadFile("indv.idx")};
  store.CloseAndDelete();
  return files;
}

// The swaps of a selection sort that bring the records into order: slot
// first + p receives the record that was at slot first + order[p].
void SwapInto(WorkFiles& store, std::int32_t first, const std::vector<std::int32_t>& order) {
  std::vector<std::int32_t> at(order.size());     // at[p]: original position now at p
  std::vector<std::int32_t> where(order.size());  // where[q]: where original position q is now
  for (std::size_t p = 0; p < at.size(); ++p) at[p] = where[p] = static_cast<std::int32_t>(p);
  for (std::size_t p = 0; p < order.size(); ++p) {
    const auto from = static_cast<std::size_t>(where[static_cast<std::size_t>(order[p])]);
    if (from == p) continue;
    store.SwapIndividuals(first + static_cast<std::int32_t>(p),
                          first + static_cast<std::int32_t>(from));
    std::swap(at[p], at[from]);
    where[static_cast<std::size_t>(at[p])] = static_cast<std::int32_t>(p);
    where[static_cast<std::size_t>(at[from])] = static_cast<std::int32_t>(from);
  }
}

TEST(PermuteIndividualsTest, EndsAsTheSwapsDo) {
  struct Case {
    const char* what;
    std::vector<std::int32_t> numbers;  // by slot
    std::int32_t first;
    std::vector<std::int32_t> order;
  } cases[] = {
      {"reversal", {1, 2, 3, 4, 5}, 1, {4, 3, 2, 1, 0}},
      {"identity", {7, 3, 9}, 1, {0, 1, 2}},
      {"one cycle and a fixed slot", {10, 20, 30, 40}, 1, {1, 2, 0, 3}},
      {"part of the file", {5, 6, 7, 8, 9}, 2, {2, 0, 1}},
      {"duplicate number, index on the later copy", {4, 5, 4}, 1, {2, 0, 1}},
      {"duplicate number, copies trade places", {4, 5, 4}, 1, {2, 1, 0}},
      {"duplicate number, only the earlier copy moves", {4, 5, 4}, 1, {1, 0, 2}},
      {"number 0 and a large number", {0, 3, 100000}, 1, {2, 0, 1}},
  };
  for (const Case& c : cases) {
    const Files permuted =
        After(c.numbers, [&](WorkFiles& s) { s.PermuteIndividuals(c.first, c.order); });
    const Files swapped = After(c.numbers, [&](WorkFiles& s) { SwapInto(s, c.first, c.order); });
    EXPECT_TRUE(permuted == swapped) << c.what;
  }
}

TEST(PermuteIndividualsTest, RandomOrdersOfManyRecordsEndAsTheSwapsDo) {
  std::mt19937 random(99);
  for (int round = 0; round < 4; ++round) {
    // Enough records to spread over many blocks, with some numbers twice.
    std::vector<std::int32_t> numbers(600);
    for (std::size_t i = 0; i < numbers.size(); ++i) {
      numbers[i] = static_cast<std::int32_t>(i + 1);
      if (i % 37 == 5) numbers[i] = static_cast<std::int32_t>(i / 2 + 1);
    }
    std::vector<std::int32_t> order(numbers.size());
    for (std::size_t p = 0; p < order.size(); ++p) order[p] = static_cast<std::int32_t>(p);
    std::shuffle(order.begin(), order.end(), random);
    const Files permuted = After(numbers, [&](WorkFiles& s) { s.PermuteIndividuals(1, order); });
    const Files swapped = After(numbers, [&](WorkFiles& s) { SwapInto(s, 1, order); });
    EXPECT_TRUE(permuted == swapped) << "round " << round;
  }
}

// Ranges larger than what is put in order in memory at once go through a
// scratch file, or, where none can be made, move record by record.
TEST(PermuteIndividualsTest, LargeRangesEndAsTheSwapsDoWithAndWithoutAScratchFile) {
  std::mt19937 random(7);
  std::vector<std::int32_t> numbers(7500);
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    numbers[i] = static_cast<std::int32_t>(i + 1);
    if (i % 101 == 3) numbers[i] = static_cast<std::int32_t>(i / 3 + 1);
  }
  // Slot 1 and the last slots stay out of the range.
  std::vector<std::int32_t> order(numbers.size() - 11);
  for (std::size_t p = 0; p < order.size(); ++p) order[p] = static_cast<std::int32_t>(p);
  std::shuffle(order.begin(), order.end(), random);
  const Files swapped = After(numbers, [&](WorkFiles& s) { SwapInto(s, 2, order); });
  EXPECT_TRUE(After(numbers, [&](WorkFiles& s) { s.PermuteIndividuals(2, order); }) == swapped);
  EXPECT_TRUE(After(numbers, [&](WorkFiles& s) {
                s.set_scratch_directory("no/such/directory");
                s.PermuteIndividuals(2, order);
              }) == swapped);
}

TEST(PermuteIndividualsTest, GettersSeeEveryNumberUnchangedAfterTheMove) {
  ScratchDir dir;
  WorkFiles store;
  ASSERT_EQ(store.Open(), std::nullopt);
  for (std::int32_t n = 1; n <= 4; ++n) store.PutIndividual(n, n, Individual(n, std::to_string(n)));
  EXPECT_EQ(store.IndividualName(2), "2");  // cached before the move
  store.PermuteIndividuals(1, {3, 2, 1, 0});
  EXPECT_EQ(store.IndividualNameAt(1), "4");
  EXPECT_EQ(store.IndividualNumberAt(4), 1);
  for (std::int32_t n = 1; n <= 4; ++n) EXPECT_EQ(store.IndividualName(n), std::to_string(n));
  store.CloseAndDelete();
}

TEST(PermuteIndividualsTest, AnOrderThatIsNoPermutationOfStoredSlotsChangesNothing) {
  const std::vector<std::int32_t> numbers = {1, 2, 3};
  const Files untouched = After(numbers, [](WorkFiles&) {});
  struct Case {
    const char* what;
    std::int32_t first;
    std::vector<std::int32_t> order;
  } cases[] = {
      {"repeated position", 1, {0, 0, 2}},
      {"position out of range", 1, {0, 1, 3}},
      {"negative position", 1, {0, -1, 2}},
      {"range beyond the file", 2, {1, 0, 2}},
      {"slot 0", 0, {1, 0}},
      {"empty order", 1, {}},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(After(numbers, [&](WorkFiles& s) { s.PermuteIndividuals(c.first, c.order); }) ==
                untouched)
        << c.what;
  }
}

// The order worked out in a second thread: prepared from the files while
// they are only read, then adopted in the store's thread.
bool PrepareAndAdopt(WorkFiles& store, const std::vector<std::int32_t>& order) {
  std::optional<IndividualOrder> prepared;
  const std::uint64_t generation = store.individual_generation();
  store.Flush();
  std::thread([&] { prepared = store.PrepareIndividualOrder(order, generation, {}); }).join();
  return prepared && store.AdoptIndividualOrder(std::move(*prepared));
}

TEST(IndividualOrderTest, PreparedOrderEndsAsTheSwapsDoSmallAndLarge) {
  KINLOOM_SKIP_ON_WINDOWS("a file without a name cannot be given one; the run sorts in place");
  std::mt19937 random(11);
  // In memory at once, and over many windows of the scratch file.
  for (const std::size_t count : {std::size_t{5}, std::size_t{600}, std::size_t{7500}}) {
    std::vector<std::int32_t> numbers(count);
    for (std::size_t i = 0; i < count; ++i) {
      numbers[i] = static_cast<std::int32_t>(i + 1);
      if (i % 37 == 3) numbers[i] = static_cast<std::int32_t>(i / 2 + 1);  // stored twice
    }
    std::vector<std::int32_t> order(count);
    for (std::size_t p = 0; p < count; ++p) order[p] = static_cast<std::int32_t>(p);
    std::shuffle(order.begin(), order.end(), random);
    bool adopted = false;
    const Files prepared = After(numbers, [&](WorkFiles& s) {
      s.counters.IndividualCount = static_cast<std::int32_t>(count);
      s.IndividualName(numbers[0]);  // a getter holds a record across the move
      adopted = PrepareAndAdopt(s, order);
      EXPECT_EQ(s.IndividualName(numbers[0]), "#1");
      EXPECT_EQ(s.IndividualNumberAt(1), numbers[static_cast<std::size_t>(order[0])]);
    });
    EXPECT_TRUE(adopted) << count;
    const Files swapped = After(numbers, [&](WorkFiles& s) { SwapInto(s, 1, order); });
    EXPECT_TRUE(prepared == swapped) << count;
    EXPECT_FALSE(std::filesystem::exists("indv.new"));
  }
}

TEST(IndividualOrderTest, NothingChangesWhenTheOrderCannotBeUsed) {
  const std::vector<std::int32_t> numbers = {1, 2, 3, 4};
  const std::vector<std::int32_t> reversal = {3, 2, 1, 0};
  const Files untouched = After(numbers, [](WorkFiles&) {});
  auto with_count = [&](auto change) {
    return After(numbers, [&](WorkFiles& s) {
      s.counters.IndividualCount = static_cast<std::int32_t>(numbers.size());
      change(s);
    });
  };
  // Not a permutation of every slot.
  EXPECT_TRUE(with_count([](WorkFiles& s) {
                EXPECT_FALSE(s.PrepareIndividualOrder({0, 1, 2}, s.individual_generation(), {}));
                EXPECT_FALSE(
                    s.PrepareIndividualOrder({0, 1, 1, 3}, s.individual_generation(), {}));
              }) == untouched);
  // Counted slots that the file does not hold.
  EXPECT_TRUE(After(numbers, [&](WorkFiles& s) {
                s.counters.IndividualCount = 5;
                EXPECT_FALSE(
                    s.PrepareIndividualOrder({4, 3, 2, 1, 0}, s.individual_generation(), {}));
              }) == untouched);
  // No scratch file, or a stop asked for before the work.
  EXPECT_TRUE(with_count([&](WorkFiles& s) {
                std::stop_source stop;
                stop.request_stop();
                EXPECT_FALSE(s.PrepareIndividualOrder(reversal, s.individual_generation(),
                                                      stop.get_token()));
                s.set_scratch_directory("no/such/directory");
                EXPECT_FALSE(s.PrepareIndividualOrder(reversal, s.individual_generation(), {}));
              }) == untouched);
  // A record stored or moved after the order was taken: the order may no
  // longer fit the records, so it is refused.
  EXPECT_TRUE(with_count([&](WorkFiles& s) {
                std::optional<IndividualOrder> prepared =
                    s.PrepareIndividualOrder(reversal, s.individual_generation(), {});
                ASSERT_TRUE(prepared);
                s.PutIndividual(2, 2, Individual(2, "#2"));
                EXPECT_FALSE(s.AdoptIndividualOrder(std::move(*prepared)));
              }) == untouched);
  const Files swapped = After(numbers, [](WorkFiles& s) { s.SwapIndividuals(1, 2); });
  EXPECT_TRUE(with_count([&](WorkFiles& s) {
                std::optional<IndividualOrder> prepared =
                    s.PrepareIndividualOrder(reversal, s.individual_generation(), {});
                s.SwapIndividuals(1, 2);
                EXPECT_FALSE(s.AdoptIndividualOrder(std::move(*prepared)));
              }) == swapped);
}

TEST(IndividualOrderTest, VisitedNamesAreTheNamesAtEachSlot) {
  ScratchDir dir;
  WorkFiles store;
  ASSERT_EQ(store.Open(), std::nullopt);
  const std::vector<std::string> names = {"Ann /Lee/", "", std::string(kNameCapacity, 'x'),
                                          "B /C/ Jr."};
  // Enough records for more than one piece of the file.
  const std::int32_t count = 5000;
  for (std::int32_t slot = 1; slot <= count; ++slot) {
    store.PutIndividual(slot, slot, Individual(slot, names[static_cast<std::size_t>(slot) % 4]));
  }
  store.counters.IndividualCount = count;
  store.Flush();
  std::vector<std::string> visited;
  EXPECT_TRUE(store.VisitIndividualNames(
      [&](std::string_view name) { visited.emplace_back(name); }, {}));
  ASSERT_EQ(visited.size(), static_cast<std::size_t>(count));
  for (std::int32_t slot = 1; slot <= count; ++slot) {
    EXPECT_EQ(visited[static_cast<std::size_t>(slot - 1)], store.IndividualNameAt(slot)) << slot;
  }
  std::stop_source stop;
  stop.request_stop();
  EXPECT_FALSE(store.VisitIndividualNames([](std::string_view) {}, stop.get_token()));
  store.CloseAndDelete();
}

}  // namespace
}  // namespace kinloom
