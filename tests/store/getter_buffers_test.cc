// The cached getters share a record that another getter holds instead of
// reading it again, without ever letting a shared buffer change under a
// getter that still holds it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "store/work_files.h"
#include "support/scratch_dir.h"

namespace kinloom {
namespace {

using testing::ScratchDir;

class GetterBuffersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(store.Open(), std::nullopt);
    for (std::int32_t n = 1; n <= 3; ++n) {
      IndividualRecord r;
      r.number = n;
      r.name = "Name " + std::to_string(n) + " /of a length that needs the heap/";
      r.birthDate = "born " + std::to_string(n);
      r.deathPlace = "place " + std::to_string(n);
      store.PutIndividual(n, n, r);
      FamilyRecord f;
      f.number = n;
      f.husband = n * 10;
      f.marriagePlace = "married " + std::to_string(n);
      store.PutFamily(n, n, f);
    }
  }
  void TearDown() override { store.CloseAndDelete(); }

  ScratchDir dir;
  WorkFiles store;
};

TEST_F(GetterBuffersTest, AGetterTakesTheRecordAnotherGetterHoldsWithoutReading) {
  EXPECT_EQ(store.IndividualName(1), "Name 1 /of a length that needs the heap/");
  const long long reads = store.file_reads();
  EXPECT_EQ(store.IndividualBirthDate(1), "born 1");
  EXPECT_EQ(store.IndividualDeathPlace(1), "place 1");
  EXPECT_EQ(store.IndividualSpouseFamily(1, 0), 0);
  EXPECT_EQ(store.file_reads(), reads);

  EXPECT_EQ(store.FamilyHusband(2), 20);
  const long long family_reads = store.file_reads();
  EXPECT_EQ(store.FamilyMarriagePlace(2), "married 2");
  EXPECT_EQ(store.file_reads(), family_reads);
}

TEST_F(GetterBuffersTest, ARecordNoGetterHoldsAnyMoreIsReadAgain) {
  store.IndividualName(1);
  store.IndividualName(2);  // the only holder of 1 moves on
  const long long reads = store.file_reads();
  EXPECT_EQ(store.IndividualBirthDate(1), "born 1");
  EXPECT_GT(store.file_reads(), reads);
}

TEST_F(GetterBuffersTest, ATextStaysValidWhileOtherGettersMoveThroughOtherRecords) {
  const std::string& name = store.IndividualName(1);
  const std::string& date = store.IndividualBirthDate(1);  // shares the buffer of 1
  // Every other getter goes through other numbers, again and again.
  for (int round = 0; round < 3; ++round) {
    for (std::int32_t n : {2, 3, 1, 3, 2}) {
      store.IndividualNumber(n);
      store.IndividualBirthPlace(n);
      store.IndividualDeathDate(n);
      store.IndividualDeathPlace(n);
      store.IndividualSource(n);
      store.IndividualBirthSource(n);
      store.IndividualDeathSource(n);
      store.IndividualNote(n);
      store.IndividualSpouseFamily(n, 0);
      store.IndividualParentFamily(n, 0);
      store.IndividualPhoto(n, 0);
    }
  }
  EXPECT_EQ(name, "Name 1 /of a length that needs the heap/");
  EXPECT_EQ(date, "born 1");
  // The name getter moves on; the date getter still holds record 1.
  EXPECT_EQ(store.IndividualName(2), "Name 2 /of a length that needs the heap/");
  store.IndividualDeathPlace(3);
  EXPECT_EQ(date, "born 1");
}

TEST_F(GetterBuffersTest, APutIsSeenByGettersThatSharedTheOldRecord) {
  store.IndividualName(2);
  store.IndividualBirthDate(2);
  IndividualRecord changed;
  changed.number = 2;
  changed.name = "Changed";
  changed.birthDate = "later";
  store.PutIndividual(2, 2, changed);
  EXPECT_EQ(store.IndividualName(2), "Changed");
  EXPECT_EQ(store.IndividualBirthDate(2), "later");
}

}  // namespace
}  // namespace kinloom
