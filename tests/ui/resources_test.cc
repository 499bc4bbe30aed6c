#include "ui/resources.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ui/kinloom_resources.h"

namespace kinloom::ui {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

// --- Template arithmetic ------------------------------------------------------

TEST(BaseUnitsTest, AverageLetterWidthIsRoundedToNearest) {
  const struct {
    int total;
    int expected;
  } cases[] = {{312, 6}, {337, 6}, {338, 7}, {364, 7}, {0, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(BaseUnitsFromLetters(c.total, 15).x, c.expected) << "total " << c.total;
    EXPECT_EQ(BaseUnitsFromLetters(c.total, 15).y, 15);
  }
}

TEST(DialogUnitsTest, QuarterAverageWidthAndEighthLineHeight) {
  const struct {
    int x, y, cx, cy;
    BaseUnits units;
    PixelRect expected;
  } cases[] = {
      // 8 x 16 base units: every dialog unit is two pixels.
      {5, 13, 265, 198, {8, 16}, {10, 26, 530, 396}},
      // 6 x 13: x * 1.5 and y * 1.625, halves rounded up.
      {5, 13, 265, 198, {6, 13}, {8, 21, 398, 322}},
      {0, 0, 56, 14, {7, 15}, {0, 0, 98, 26}},
      {3, 3, 1, 1, {4, 8}, {3, 3, 1, 1}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DialogUnitsToPixels(c.x, c.y, c.cx, c.cy, c.units), c.expected)
        << c.x << "," << c.y << " " << c.cx << "x" << c.cy << " at " << c.units.x << "x"
        << c.units.y;
  }
}

TEST(CopyToBufferTest, CopiesAtMostSizeMinusOneAndTerminates) {
  const struct {
    const char* text;
    int size;
    const char* expected;
    int count;
  } cases[] = {
      {"abcdef", 7, "abcdef", 6},
      {"abcdefg", 7, "abcdef", 6},
      {"abc", 7, "abc", 3},
      {"abc", 1, "", 0},
      {"", 5, "", 0},
  };
  for (const auto& c : cases) {
    char buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), '#');
    EXPECT_EQ(CopyToBuffer(c.text, buffer, c.size), c.count) << c.text << " into " << c.size;
    EXPECT_STREQ(buffer, c.expected) << c.text << " into " << c.size;
    EXPECT_EQ(buffer[c.size], '#') << "wrote past the buffer: " << c.text << " into " << c.size;
  }
  char untouched = '#';
  EXPECT_EQ(CopyToBuffer("abc", &untouched, 0), 0);
  EXPECT_EQ(untouched, '#');
}

TEST(FilterPairsTest, ReadsPairsUpToTheEmptyText) {
  using Pair = std::pair<std::string, std::string>;
  EXPECT_THAT(FilterPairs("Gedcom\0*.ged\0All\0*\0"),
              ElementsAre(Pair("Gedcom", "*.ged"), Pair("All", "*")));
  EXPECT_THAT(FilterPairs("Gedcom\0\0"), ElementsAre());
  EXPECT_THAT(FilterPairs(""), ElementsAre());
  EXPECT_THAT(FilterPairs(nullptr), ElementsAre());
}

TEST(IconPixelsTest, PaletteIndexesTransparencyAndShortRows) {
  constexpr std::uint32_t palette[] = {0x000000, 0x123456};
  constexpr std::string_view rows[] = {"01.", "1", "G0"};
  const IconTemplate icon{"T", 3, 3, palette, rows};
  EXPECT_THAT(IconPixels(icon), ElementsAre(0xFF000000u, 0xFF123456u, 0u,  //
                                            0xFF123456u, 0u, 0u,           // short row
                                            0u, 0xFF000000u, 0u));         // bad character
}

TEST(GroupAroundTest, GroupRunsFromItsStartToTheNextStart) {
  const ControlTemplate controls[] = {
      {1, ControlClass::kButton, "a", style::kAutoRadioButton | style::kGroup},
      {2, ControlClass::kButton, "b", style::kAutoRadioButton},
      {3, ControlClass::kEdit, "", style::kGroup},
      {4, ControlClass::kButton, "c", style::kAutoRadioButton | style::kGroup},
  };
  EXPECT_EQ(GroupAround(controls, 0), (std::pair<std::size_t, std::size_t>(0, 2)));
  EXPECT_EQ(GroupAround(controls, 1), (std::pair<std::size_t, std::size_t>(0, 2)));
  EXPECT_EQ(GroupAround(controls, 3), (std::pair<std::size_t, std::size_t>(3, 4)));
}

// --- Kinloom's resources ------------------------------------------------------

const DialogTemplate& Dialog(int id) {
  const DialogTemplate* dialog = KinloomResources().FindDialog(id);
  if (dialog == nullptr) throw std::runtime_error("no dialog " + std::to_string(id));
  return *dialog;
}

std::vector<int> Ids(const DialogTemplate& dialog) {
  std::vector<int> ids;
  for (const ControlTemplate& control : dialog.controls) ids.push_back(control.id);
  return ids;
}

TEST(KinloomResourcesTest, ControlsLieInsideTheirDialogWithUniqueIds) {
  for (int id : {kMainDialog, kAboutDialog, kColourDialog, kEditTextDialog, kPicturesDialog}) {
    const DialogTemplate& dialog = Dialog(id);
    std::set<int> seen;
    for (const ControlTemplate& c : dialog.controls) {
      EXPECT_GE(c.x, 0) << "dialog " << id << " control " << c.id;
      EXPECT_GE(c.y, 0) << "dialog " << id << " control " << c.id;
      EXPECT_LE(c.x + c.cx, dialog.cx) << "dialog " << id << " control " << c.id;
      EXPECT_LE(c.y + c.cy, dialog.cy) << "dialog " << id << " control " << c.id;
      if (c.id != kUnaddressed) {
        EXPECT_TRUE(seen.insert(c.id).second) << "twice: " << c.id;
      }
    }
  }
}

TEST(KinloomResourcesTest, ControlsOfADialogDoNotOverlap) {
  for (int id : {kMainDialog, kColourDialog, kEditTextDialog, kPicturesDialog}) {
    const auto& controls = Dialog(id).controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
      for (std::size_t j = i + 1; j < controls.size(); ++j) {
        const ControlTemplate& a = controls[i];
        const ControlTemplate& b = controls[j];
        const bool apart =
            a.x + a.cx <= b.x || b.x + b.cx <= a.x || a.y + a.cy <= b.y || b.y + b.cy <= a.y;
        EXPECT_TRUE(apart) << "dialog " << id << ": \"" << a.text << "\" (" << a.id << ") and \""
                           << b.text << "\" (" << b.id << ")";
      }
    }
  }
}

TEST(KinloomResourcesTest, ColourButtonsFillAThreeByTwelveGrid) {
  const DialogTemplate& picker = Dialog(kColourDialog);
  ASSERT_EQ(picker.controls.size(), 36u);
  for (int n = 0; n < 36; ++n) {
    const ControlTemplate& button = picker.controls[static_cast<std::size_t>(n)];
    EXPECT_EQ(button.id, 201 + n);
    EXPECT_EQ(button.x, 68 * (n % 3)) << "button " << n;
    EXPECT_EQ(button.y, 14 * (n / 3)) << "button " << n;
    EXPECT_EQ(button.cx, 68);
    EXPECT_EQ(button.cy, 14);
    EXPECT_EQ(ButtonKind(button), style::kPushButton);
  }
  EXPECT_EQ(picker.cx, 204);
  EXPECT_EQ(picker.cy, 168);
}

TEST(KinloomResourcesTest, CaptionEditorTabOrder) {
  EXPECT_THAT(Ids(Dialog(kEditTextDialog)),
              ElementsAreArray({401, 402, 403, 404, 405, 406, 407, 408, 409, 410, 411,
                                412, 413, 414, 427, 415, 416, 417, 418, 419, 432, 433,
                                420, 421, 422, 423, 424, 428, 429, 430, 431, 425, 426}));
}

TEST(KinloomResourcesTest, MainDialogTabOrder) {
  EXPECT_THAT(Ids(Dialog(kMainDialog)),
              ElementsAreArray({101, 102, 103, 117, 106, 110, 118, 108, 119, 111, 120, 107,
                                121, 105, 116, 122, 123, 113, 125, 112, 114, 115, 124, 104,
                                109, -1,  -1,  -1,  -1,  -1,  -1,  -1,  126, 127, 128, 129}));
}

TEST(KinloomResourcesTest, OneDefaultButtonWhereEnterHasAMeaning) {
  const struct {
    int dialog;
    std::vector<int> defaults;
  } cases[] = {
      {kMainDialog, {104}}, {kAboutDialog, {121}}, {kColourDialog, {}}, {kEditTextDialog, {425}}};
  for (const auto& c : cases) {
    std::vector<int> defaults;
    for (const ControlTemplate& control : Dialog(c.dialog).controls) {
      if (control.control_class == ControlClass::kButton &&
          ButtonKind(control) == style::kDefaultPushButton) {
        defaults.push_back(control.id);
      }
    }
    EXPECT_EQ(defaults, c.defaults) << "dialog " << c.dialog;
  }
}

TEST(KinloomResourcesTest, MainDialogControlKinds) {
  for (const ControlTemplate& control : Dialog(kMainDialog).controls) {
    SCOPED_TRACE(control.id);
    if (control.id == 101 || control.id == 102) {
      EXPECT_EQ(ButtonKind(control), style::kAutoRadioButton);
    } else if (control.id == 123 || (control.id >= 112 && control.id <= 115) || control.id >= 124) {
      // The procedure sets these boxes itself.
      EXPECT_EQ(ButtonKind(control), style::kCheckBox);
      EXPECT_NE(control.style & style::kLeftText, 0u);
    } else if (control.control_class == ControlClass::kEdit) {
      const bool colour =
          control.id == 103 || control.id == 108 || control.id == 110 || control.id == 111;
      EXPECT_EQ((control.style & style::kEditAutoHScroll) == 0, colour);
    }
  }
}

TEST(KinloomResourcesTest, MainMenuAndStringTable) {
  const MenuTemplate* menu = KinloomResources().FindMenu(Dialog(kMainDialog).menu);
  ASSERT_NE(menu, nullptr);
  std::vector<std::string> items;
  for (const MenuItemTemplate& item : menu->items) {
    items.push_back(std::string(item.popup) + "/" + std::string(item.text) + "=" +
                    std::to_string(item.id));
  }
  EXPECT_THAT(items, ElementsAre("&File/E&xit=131", "&Edit/&Edit All Text=135",
                                 "&Edit/&Pictures Folder...=136", "&Help/&Help=132",
                                 "&Help/&About Kinloom=133"));
  const StringTableEntry* filter = KinloomResources().FindString(2);
  ASSERT_NE(filter, nullptr);
  EXPECT_EQ(filter->text, "Gedcom Files(*.GED)|*.ged|");
}

TEST(KinloomResourcesTest, IconIsA32By32SixteenColourPicture) {
  const IconTemplate* icon = KinloomResources().FindIcon("kinloom");
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->width, 32);
  EXPECT_EQ(icon->height, 32);
  EXPECT_EQ(icon->palette.size(), 16u);
  ASSERT_EQ(icon->rows.size(), 32u);
  for (std::string_view row : icon->rows) {
    EXPECT_EQ(row.size(), 32u) << row;
    EXPECT_EQ(row.find_first_not_of(".0123456789ABCDEF"), std::string_view::npos) << row;
  }
}

}  // namespace
}  // namespace kinloom::ui
