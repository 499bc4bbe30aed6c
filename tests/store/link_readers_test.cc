// The link readers give, for every number, exactly what the cached getters
// give: also for absent numbers, a number stored twice, a record stored
// under another number than its own, and a slot the file does not reach.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "store/work_files.h"
#include "support/scratch_dir.h"

namespace kinloom {
namespace {

using testing::ScratchDir;

IndividualRecord Individual(std::int32_t number, std::int32_t first_family) {
  IndividualRecord r;
  r.number = number;
  r.name = "Name " + std::to_string(number);
  r.birthPlace = "Place";
  for (int i = 0; i < kListEntries; ++i) {
    r.spouseFamilies[i] = first_family + i;
    r.parentFamilies[i] = -first_family - i;
  }
  return r;
}

FamilyRecord Family(std::int32_t number, std::int32_t first_child) {
  FamilyRecord r;
  r.number = number;
  r.husband = first_child + 100;
  r.wife = first_child + 200;
  r.marriagePlace = "Church";
  for (int i = 0; i < kListEntries; ++i) r.children[i] = first_child + i;
  return r;
}

class LinkReadersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(store.Open(), std::nullopt);
    store.PutIndividual(1, 1, Individual(1, 10));
    store.PutIndividual(2, 2, Individual(2, 20));
    store.PutIndividual(2, 3, Individual(2, 30));  // number 2 stored twice
    store.PutIndividual(7, 4, Individual(5, 40));  // under another number
    store.PutIndividual(0, 5, Individual(0, 50));  // no digits: entry 0
    store.PutFamily(1, 1, Family(1, 1));
    store.PutFamily(3, 2, Family(4, 30));
    store.PutFamily(3, 3, Family(3, 60));
    // An index entry that leads past the end of the data file.
    store.PutFamily(9, 40, Family(9, 90));
    store.PutFamily(9, 4, Family(9, 99));
    store.Flush();
  }
  void TearDown() override { store.CloseAndDelete(); }

  ScratchDir dir;
  WorkFiles store;
};

TEST_F(LinkReadersTest, IndividualLinksAndNumbersMatchTheGetters) {
  for (std::int32_t n = -1; n <= 9; ++n) {
    WorkFiles::IndividualLinks links;
    store.GetIndividualLinks(n, links);
    EXPECT_EQ(links.number, store.IndividualNumber(n)) << "number " << n;
    EXPECT_EQ(store.StoredIndividualNumber(n), store.IndividualNumber(n)) << "number " << n;
    for (int i = 0; i < kListEntries; ++i) {
      EXPECT_EQ(links.spouseFamilies[i], store.IndividualSpouseFamily(n, i)) << n << " " << i;
      EXPECT_EQ(links.parentFamilies[i], store.IndividualParentFamily(n, i)) << n << " " << i;
    }
  }
}

TEST_F(LinkReadersTest, FamilyLinksAndNumbersMatchTheGetters) {
  for (std::int32_t n = -1; n <= 10; ++n) {
    WorkFiles::FamilyLinks links;
    store.GetFamilyLinks(n, links);
    EXPECT_EQ(links.number, store.FamilyNumber(n)) << "number " << n;
    EXPECT_EQ(store.StoredFamilyNumber(n), store.FamilyNumber(n)) << "number " << n;
    EXPECT_EQ(links.husband, store.FamilyHusband(n)) << "number " << n;
    EXPECT_EQ(links.wife, store.FamilyWife(n)) << "number " << n;
    for (int i = 0; i < kListEntries; ++i) {
      EXPECT_EQ(links.children[i], store.FamilyChild(n, i)) << n << " " << i;
    }
  }
}

TEST_F(LinkReadersTest, LinksAfterASlotReaderComeFromTheRecordOfTheNumber) {
  // Slot 2 holds a copy of number 2 that its index entry no longer leads to.
  const std::int32_t number = store.IndividualNumberAt(2);
  WorkFiles::IndividualLinks links;
  store.GetIndividualLinks(number, links);
  EXPECT_EQ(links.spouseFamilies[0], 30);
}

TEST_F(LinkReadersTest, NameIntoAStringMatchesTheNameAtTheSlot) {
  std::string name = "left over from before";
  for (std::int32_t slot = 0; slot <= 6; ++slot) {
    store.IndividualNameAt(slot, name);
    EXPECT_EQ(name, store.IndividualNameAt(slot)) << "slot " << slot;
  }
}

}  // namespace
}  // namespace kinloom
