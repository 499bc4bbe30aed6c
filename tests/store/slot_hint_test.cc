// Reading by number right after a slot reader found that number takes the
// record from the slot, skipping the index, but only while that is sure to
// give the same record; and source titles come from buffers of their own
// that a Put never leaves stale.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "store/work_files.h"
#include "support/scratch_dir.h"

namespace kinloom {
namespace {

using testing::ScratchDir;

IndividualRecord Individual(std::int32_t number, const std::string& name) {
  IndividualRecord r;
  r.number = number;
  r.name = name;
  return r;
}

class SlotHintTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(store.Open(), std::nullopt); }
  void TearDown() override { store.CloseAndDelete(); }

  // Reads that a by-number read costs right after the slot reader.
  long long ReadsOfNameAfterSlot(std::int32_t slot) {
    const std::int32_t number = store.IndividualNumberAt(slot);
    const long long before = store.file_reads();
    store.IndividualName(number);
    return store.file_reads() - before;
  }

  ScratchDir dir;
  WorkFiles store;
};

TEST_F(SlotHintTest, ANumberFoundAtASlotIsReadFromThatSlotWithoutTheIndex) {
  for (std::int32_t n = 1; n <= 3; ++n)
    store.PutIndividual(n, n, Individual(n, "#" + std::to_string(n)));
  EXPECT_EQ(ReadsOfNameAfterSlot(2), 1);
  EXPECT_EQ(store.IndividualName(2), "#2");
  // Another number than the one found reads through the index as always.
  store.IndividualNumberAt(1);
  const long long before = store.file_reads();
  EXPECT_EQ(store.IndividualName(3), "#3");
  EXPECT_EQ(store.file_reads() - before, 2);
}

TEST_F(SlotHintTest, ANumberStoredTwiceAlwaysGivesTheCopyItsIndexEntryLeadsTo) {
  store.PutIndividual(4, 1, Individual(4, "Earlier"));
  store.PutIndividual(5, 2, Individual(5, "Other"));
  store.PutIndividual(4, 3, Individual(4, "Later"));
  EXPECT_EQ(store.IndividualNumberAt(1), 4);
  EXPECT_EQ(store.IndividualName(4), "Later");
  IndividualRecord record;
  store.IndividualNumberAt(1);
  store.GetIndividual(4, record);
  EXPECT_EQ(record.name, "Later");
  // Every other number of the run reads through the index too.
  EXPECT_EQ(ReadsOfNameAfterSlot(2), 2);
}

TEST_F(SlotHintTest, ARecordStoredUnderAnotherNumberIsNotTheRecordOfItsOwnNumber) {
  store.PutIndividual(5, 1, Individual(7, "Seven under five"));
  EXPECT_EQ(store.IndividualNumberAt(1), 7);
  EXPECT_EQ(store.IndividualName(7), "");  // no index entry for 7
  EXPECT_EQ(store.IndividualNumber(7), 0);
  EXPECT_EQ(store.IndividualName(5), "Seven under five");
}

TEST_F(SlotHintTest, MovedRecordsAreFoundWhereTheyAreNow) {
  store.PutIndividual(1, 1, Individual(1, "One"));
  store.PutIndividual(2, 2, Individual(2, "Two"));
  store.PutIndividual(3, 3, Individual(3, "Three"));
  EXPECT_EQ(store.IndividualNumberAt(1), 1);
  store.SwapIndividuals(1, 2);
  EXPECT_EQ(store.IndividualName(1), "One");
  EXPECT_EQ(store.IndividualNumberAt(3), 3);
  store.PermuteIndividuals(1, {2, 0, 1});
  EXPECT_EQ(store.IndividualName(3), "Three");
  EXPECT_EQ(store.IndividualNameAt(1), "Three");
  EXPECT_EQ(ReadsOfNameAfterSlot(2), 1);
  EXPECT_EQ(store.IndividualName(1), "One");
}

TEST_F(SlotHintTest, APutOverTheFoundSlotIsSeen) {
  store.PutIndividual(1, 1, Individual(1, "Old"));
  EXPECT_EQ(store.IndividualNumberAt(1), 1);
  store.PutIndividual(2, 1, Individual(2, "New"));
  EXPECT_EQ(store.IndividualName(1), "New");  // the entry of 1 still leads to slot 1
  EXPECT_EQ(store.IndividualNumber(1), 2);
  EXPECT_EQ(store.IndividualNumberAt(1), 2);
  EXPECT_EQ(store.IndividualName(2), "New");
}

TEST_F(SlotHintTest, EveryRunStartsWithHintsOnAgain) {
  store.PutIndividual(4, 1, Individual(4, "A"));
  store.PutIndividual(4, 2, Individual(4, "B"));
  EXPECT_EQ(ReadsOfNameAfterSlot(1), 2);
  ASSERT_EQ(store.Open(), std::nullopt);
  store.PutIndividual(4, 1, Individual(4, "A"));
  EXPECT_EQ(ReadsOfNameAfterSlot(1), 1);
}

TEST_F(SlotHintTest, FamiliesFoundAtASlotToo) {
  for (std::int32_t n = 1; n <= 2; ++n) {
    FamilyRecord f;
    f.number = n;
    f.husband = 10 * n;
    store.PutFamily(n, n, f);
  }
  FamilyRecord twice;
  twice.number = 1;
  twice.husband = 99;
  store.PutFamily(1, 3, twice);
  EXPECT_EQ(store.FamilyNumberAt(1), 1);
  EXPECT_EQ(store.FamilyHusband(1), 99);
  EXPECT_EQ(store.FamilyNumberAt(2), 2);
  EXPECT_EQ(store.FamilyHusband(2), 20);
}

TEST_F(SlotHintTest, SourceTitlesOfNumbersSharingABufferAndAfterAPut) {
  // Numbers 16384 apart share a buffer of the title getter.
  for (std::int32_t n : {1, 16385, 32769, 7}) {
    store.PutSource(n, ++store.counters.SourceCount, SourceRecord{n, "S" + std::to_string(n)});
  }
  for (int round = 0; round < 2; ++round) {
    for (std::int32_t n : {1, 16385, 32769, 7, 1}) {
      EXPECT_EQ(store.SourceTitle(n), "S" + std::to_string(n)) << n;
    }
  }
  store.PutSource(7, 4, SourceRecord{7, "Changed"});
  EXPECT_EQ(store.SourceTitle(7), "Changed");
  EXPECT_EQ(store.SourceTitle(3), "");
}

}  // namespace
}  // namespace kinloom
