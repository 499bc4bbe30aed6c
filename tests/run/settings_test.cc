#include "run/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kinloom {
namespace {

TEST(PedigreeListTest, ReadsNumbersUntilTheFirstEmptyOrNonPositiveEntry) {
  struct Case {
    std::string list;
    std::vector<std::int32_t> expected;
  };
  const Case cases[] = {
      {"1,2,3,4", {1, 2, 3, 4}},
      {"12, 7", {12, 7}},
      {"5,,9", {5}},
      {"3x,4", {3, 4}},
      {"-2,5", {}},
      {"", {}},
      {"0,5", {}},
      {" +8 ,9", {8, 9}},
      {"7", {7}},
      {"7,", {7}},
      {"99999999999999,3", {2147483647, 3}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParsePedigreeList(c.list), c.expected) << "list: \"" << c.list << "\"";
  }
}

TEST(PedigreeListTest, HundredCharacterListHoldsFiftyNumbers) {
  std::string list;
  for (int i = 0; i < 50; ++i) list += (i ? "," : "") + std::to_string(i % 9 + 1);
  ASSERT_EQ(list.size(), 99u);
  EXPECT_EQ(ParsePedigreeList(list).size(), 50u);
}

TEST(PedigreeSelectionTest, FollowsListAndAllFlag) {
  Settings settings;
  PedigreeSelection selection;
  settings.pedigreelist = "4,9";
  EXPECT_TRUE(selection.InPedigreeSelection(settings, 4));
  EXPECT_TRUE(selection.InPedigreeSelection(settings, 9));
  EXPECT_FALSE(selection.InPedigreeSelection(settings, 5));

  // A changed list is parsed again.
  settings.pedigreelist = "5";
  EXPECT_TRUE(selection.InPedigreeSelection(settings, 5));
  EXPECT_FALSE(selection.InPedigreeSelection(settings, 4));

  // "Y" and nothing else selects everyone.
  settings.pedigreeall = 'y';
  EXPECT_FALSE(selection.InPedigreeSelection(settings, 77));
  settings.pedigreeall = 'Y';
  EXPECT_TRUE(selection.InPedigreeSelection(settings, 77));
  EXPECT_TRUE(selection.InPedigreeSelection(settings, 0));
}

TEST(SettingsTest, DefaultsAreThoseOfAFreshInstallation) {
  Settings settings;
  LabelTexts labels;
  settings.notes = 'x';
  labels.Set(Label::kHusband, "Mari");
  SetDefaultSettings(settings, labels);
  EXPECT_EQ(settings.background, 'G');
  EXPECT_EQ(settings.bgpic, "sand1.jpg");
  EXPECT_EQ(settings.bgcolor, "FFFFEF");
  EXPECT_EQ(settings.vlinkc, "200080");
  EXPECT_EQ(settings.gedfile, "smith.ged");
  EXPECT_EQ(settings.notes, 'Y');
  EXPECT_EQ(settings.ucsurname, 'N');
  EXPECT_EQ(settings.photos, ' ');
  EXPECT_EQ(settings.extension, "htm");
  EXPECT_EQ(settings.email, kPlaceholderEmail);
  EXPECT_EQ(settings.home, kPlaceholderHome);
  EXPECT_EQ(labels[Label::kHusband], "Husband");
  EXPECT_EQ(labels[Label::kTotals2], "individuals, in");
  EXPECT_EQ(labels[Label::kPhotoFor], "Photo for");
}

TEST(SettingsTest, LabelTextsAndFieldsAreCutToTheirCapacity) {
  LabelTexts labels;
  labels.Set(Label::kAt, std::string(150, 'a'));
  EXPECT_EQ(labels[Label::kAt].size(), 99u);

  Settings settings;
  settings.bgcolor = "123456789";
  settings.gedfile = std::string(400, 'g');
  settings.extension = "abcdefghijklmnop";
  CutSettingsToCapacity(settings);
  EXPECT_EQ(settings.bgcolor, "1234567");
  EXPECT_EQ(settings.gedfile.size(), 150u);
  EXPECT_EQ(settings.extension, "abcdefghij");
}

}  // namespace
}  // namespace kinloom
