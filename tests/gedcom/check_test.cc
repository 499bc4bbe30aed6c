// The cross-reference check between families and individuals.
#include <gtest/gtest.h>

#include <string>

#include "gedcom/reader.h"
#include "gedcom/reader_fixture.h"
#include "run/driver.h"

namespace kinloom::testing {
namespace {

class CheckTest : public ReaderTest {
 protected:
  CheckTest() { EXPECT_FALSE(run_.store.Open()); }

  void AddIndividual(std::int32_t number, RecordList fams, RecordList famc) {
    IndividualRecord record;
    record.number = number;
    record.spouseFamilies = fams;
    record.parentFamilies = famc;
    const std::int32_t slot = ++run_.store.counters.IndividualCount;
    run_.store.PutIndividual(number, slot, record);
  }
  void AddFamily(std::int32_t number, std::int32_t husband, std::int32_t wife,
                 RecordList children) {
    FamilyRecord record;
    record.number = number;
    record.husband = husband;
    record.wife = wife;
    record.children = children;
    const std::int32_t slot = ++run_.store.counters.FamilyCount;
    run_.store.PutFamily(number, slot, record);
  }

  // Family 1 lacks its husband 99, its wife 98 and a child 97 that stands
  // after an empty entry and before a stored child 5; family 2 lacks child
  // 96. Individual 3 lacks its spouse family 8 and its parent families 7
  // and 6.
  void AddTreeWithBrokenLinks() {
    AddFamily(1, 99, 98, {3, 0, 97, 5});
    AddFamily(2, 3, 0, {96});
    AddIndividual(3, {2, 8}, {7, 1, 6});
    AddIndividual(5, {}, {});
  }
  static constexpr const char* kBrokenLinksLog =
      ">IsValidGedcom\n"
      "INDV rec 99 from FAM rec 1 does not exist\n"
      "INDV rec 98 from FAM rec 1 does not exist\n"
      "INDV rec 97 from FAM rec 1 does not exist\n"
      "INDV rec 96 from FAM rec 2 does not exist\n"
      "FAM rec 8 for INDV rec 3 does not exist\n"
      "FAM rec 7 for INDV rec 3 does not exist\n"
      "FAM rec 6 for INDV rec 3 does not exist\n"
      "<IsValidGedcom\n";
};

TEST_F(CheckTest, ValidTreeLogsOnlyEntryAndExit) {
  AddIndividual(1, {4}, {});
  AddIndividual(2, {}, {4});
  AddFamily(4, 1, 0, {2});
  EXPECT_EQ(kResultOk, IsValidGedcom(run_));
  EXPECT_EQ(">IsValidGedcom\n<IsValidGedcom\n", LogText());
}

TEST_F(CheckTest, EveryBrokenLinkIsLoggedInOrder) {
  AddTreeWithBrokenLinks();
  EXPECT_EQ(kResultInvalidGedcom, IsValidGedcom(run_));
  EXPECT_EQ(kBrokenLinksLog, LogText());
}

TEST_F(CheckTest, SkippingLogsTheSameLinesAndLeavesOnlyStoredRecordsInTheLinks) {
  AddTreeWithBrokenLinks();
  run_.settings.skipmissing = 'Y';
  EXPECT_EQ(kResultOk, IsValidGedcom(run_));
  EXPECT_EQ(kBrokenLinksLog, LogText());
  EXPECT_EQ(run_.missing_records.skipped(), 7);
  // The empty entry stays, child 5 moves up past the missing one, and so
  // does the stored parent family between two missing ones.
  EXPECT_EQ(Family(1).children, (RecordList{3, 0, 5}));
  EXPECT_EQ(Describe(Family(1)), "#1 chil 3");  // a list shows up to its first 0
  EXPECT_EQ(Describe(Family(2)), "#2 husb 3");
  EXPECT_EQ(Describe(Individual(3)), "#3 \"\" sex \"\\x00\" fams 2 famc 1");
  // Mended once, the tree passes the check.
  EXPECT_EQ(kResultOk, IsValidGedcom(run_));
  EXPECT_EQ(run_.missing_records.found(), 0);
}

TEST_F(CheckTest, LinksNeedNotAgreeInBothDirections) {
  AddIndividual(1, {}, {});
  AddIndividual(2, {}, {});
  AddFamily(4, 1, 2, {});
  EXPECT_EQ(kResultOk, IsValidGedcom(run_));
}

TEST_F(CheckTest, SlotThatWasNeverWrittenIsSkipped) {
  AddIndividual(1, {}, {});
  ++run_.store.counters.IndividualCount;  // counted but never stored
  EXPECT_EQ(kResultOk, IsValidGedcom(run_));
}

TEST_F(CheckTest, ReadTreeWithDanglingPointersFails) {
  ASSERT_EQ(kResultOk, Read(Gedcom({
                           "0 @F1@ FAM",
                           "1 HUSB @I99@",
                           "0 @I3@ INDI",
                           "1 FAMC @F7@",
                           "0 TRLR",
                       })));
  EXPECT_EQ(kResultInvalidGedcom, IsValidGedcom(run_));
  const std::string log = LogText();
  EXPECT_EQ(
      ">IsValidGedcom\n"
      "INDV rec 99 from FAM rec 1 does not exist\n"
      "FAM rec 7 for INDV rec 3 does not exist\n"
      "<IsValidGedcom\n",
      log.substr(log.find(">IsValidGedcom")));
}

// The whole run: the reader's result codes end it before any page.
class ImportRunTest : public ReaderTest {
 protected:
  ImportRunTest() {
    run_.settings.email = "ann@example.net";
    run_.settings.home = "http://www.example.net/~ann/";
  }
  int Create(const std::string& bytes) {
    if (!bytes.empty()) WriteFile("tree.ged", bytes);
    return CreateKinloom(run_);
  }
  static std::string LogTail() {
    const std::string log = LogText();
    return log.substr(log.find(">OpenKinloomFiles"));
  }
};

TEST_F(ImportRunTest, MissingFileEndsTheRunWithOne) {
  run_.settings.gedfile = "missing.ged";
  EXPECT_EQ(kResultGedcomNotOpened, Create(""));
  EXPECT_EQ(
      ">OpenKinloomFiles\n<OpenKinloomFiles\n>ReadGedcom\n"
      ">CloseKinloomFiles\n<CloseKinloomFiles\n<CreateKinloom 1\n",
      LogTail());
}

TEST_F(ImportRunTest, SpelledOutTagsEndTheRunWithTwo) {
  EXPECT_EQ(kResultLongTags, Create("0 @I1@ INDIVIDUAL\n1 FAMILY_SPOUSE @F1@\n"));
  EXPECT_EQ(
      ">OpenKinloomFiles\n<OpenKinloomFiles\n>ReadGedcom\n"
      ">CloseKinloomFiles\n<CloseKinloomFiles\n<CreateKinloom 2\n",
      LogTail());
}

TEST_F(ImportRunTest, DanglingReferencesEndTheRunWithFiveBeforeAnyPage) {
  EXPECT_EQ(kResultInvalidGedcom, Create("0 @F1@ FAM\n1 HUSB @I99@\n1 WIFE @I98@\n0 TRLR\n"));
  const std::string tail = LogTail();
  EXPECT_NE(std::string::npos, tail.find("<ReadGedcom\n>IsValidGedcom\n"
                                         "INDV rec 99 from FAM rec 1 does not exist\n"
                                         "INDV rec 98 from FAM rec 1 does not exist\n"
                                         "<IsValidGedcom\n>CloseKinloomFiles\n<CloseKinloomFiles\n"
                                         "<CreateKinloom 5\n"))
      << tail;
  EXPECT_FALSE(FileExists("html/fam00001.htm"));
}

}  // namespace
}  // namespace kinloom::testing
