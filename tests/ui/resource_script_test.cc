#include "ui/resource_script.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "ui/kinloom_resources.h"

namespace kinloom::ui {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// Bytes from hexadecimal text; blanks are skipped.
std::string Bytes(std::string_view hex) {
  std::string bytes;
  int high = -1;
  for (char c : hex) {
    int value = -1;
    if (c >= '0' && c <= '9') value = c - '0';
    if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    if (value < 0) continue;
    if (high < 0) {
      high = value;
    } else {
      bytes += static_cast<char>(high * 16 + value);
      high = -1;
    }
  }
  return bytes;
}

// --- The resource script -------------------------------------------------------

constexpr ControlTemplate kFirstControls[] = {
    {9, ControlClass::kButton, "O\\K", style::kDefaultPushButton | style::kTabStop, 1, 2, 3, 4},
    {kUnaddressed, ControlClass::kStatic, "Name", style::kStaticLeft | style::kGroup, 5, 6, 7, 8},
    {10, ControlClass::kEdit, "", style::kBorder | style::kTabStop, 9, 10, 11, 12},
    {11, ControlClass::kEdit, "", style::kBorder | style::kTabStop, 9, 22, 11, 11},
    {12, ControlClass::kEdit, "", style::kTabStop, 9, 33, 11, 9},
};
constexpr DialogTemplate kDialogs[] = {
    {7, "Say \"hi\"", "mainMenu", style::kPopup | style::kCaption, 1, 2, 30, 40, "System", 0,
     kFirstControls},
    {8, "", "", style::kPopup | style::kSetFont, 0, 0, 10, 10, "Arial", 10, {}},
};
constexpr MenuItemTemplate kMenuItems[] = {
    {"&File", "E&xit", 1}, {"&File", "&Open", 2}, {"&Help", "&About", 3}};
constexpr MenuTemplate kMenus[] = {{"mainMenu", kMenuItems}};
constexpr StringTableEntry kStrings[] = {{2, "a|b|"}, {5, "x"}};
constexpr std::uint32_t kPalette[] = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
// A short second row and a character that is no palette index: both give
// transparent pixels.
constexpr std::string_view kRows[] = {"12.", "3Z"};
constexpr IconTemplate kIcons[] = {{"Pic", 3, 2, kPalette, kRows}};
constexpr ResourceModule kModule{kDialogs, kMenus, kStrings, kIcons};

TEST(ResourceScriptTest, WholeScriptOfASmallModule) {
  EXPECT_EQ(ResourceScript(kModule, {7, "Cls", "p.manifest"}),
            "// Written by kinloom-rc from the program's resource data.\n"
            "\n"
            "PIC ICON \"pic.ico\"\n"
            "\n"
            "1 24 \"p.manifest\"\n"
            "\n"
            "MAINMENU MENU\n"
            "BEGIN\n"
            "  POPUP \"&File\"\n"
            "  BEGIN\n"
            "    MENUITEM \"E&xit\", 1\n"
            "    MENUITEM \"&Open\", 2\n"
            "  END\n"
            "  POPUP \"&Help\"\n"
            "  BEGIN\n"
            "    MENUITEM \"&About\", 3\n"
            "  END\n"
            "END\n"
            "\n"
            // The system font becomes the dialog font of today's Windows.
            "7 DIALOGEX 1, 2, 30, 40\n"
            "STYLE 0x80C00040\n"
            "CAPTION \"Say \"\"hi\"\"\"\n"
            "MENU MAINMENU\n"
            "CLASS \"Cls\"\n"
            "FONT 8, \"MS Shell Dlg\", 400, 0, 1\n"
            "BEGIN\n"
            "  CONTROL \"O\\\\K\", 9, \"Button\", 0x50010001, 1, 2, 3, 4\n"
            "  CONTROL \"Name\", -1, \"Static\", 0x50020000, 5, 6, 7, 8\n"
            "  CONTROL \"\", 10, \"Edit\", 0x50810000, 9, 10, 11, 12\n"
            // A low bordered field gets a thin edge instead of the border.
            "  CONTROL \"\", 11, \"Edit\", 0x50010000, 9, 22, 11, 11, 0x00020000\n"
            "  CONTROL \"\", 12, \"Edit\", 0x50010000, 9, 33, 11, 9\n"
            "END\n"
            "\n"
            // Any other font is kept; no caption, menu or class when none.
            "8 DIALOGEX 0, 0, 10, 10\n"
            "STYLE 0x80000040\n"
            "FONT 10, \"Arial\", 400, 0, 1\n"
            "BEGIN\n"
            "END\n"
            "\n"
            "STRINGTABLE\n"
            "BEGIN\n"
            "  2, \"a|b|\"\n"
            "  5, \"x\"\n"
            "END\n");
}

TEST(ResourceScriptTest, OnlyTheMainDialogOfKinloomHasTheProgramsWindowClass) {
  const std::string script =
      ResourceScript(KinloomResources(), {kMainDialog, kMainDialogClass, ""});
  const std::string main_dialog = "\n1 DIALOGEX 5, 13, 292, 198\n";
  ASSERT_THAT(script, HasSubstr(main_dialog));
  const std::size_t start = script.find(main_dialog);
  const std::size_t next = script.find(" DIALOGEX ", start + main_dialog.size());
  EXPECT_THAT(script.substr(start, next - start),
              HasSubstr("MENU KINLOOMMENU\nCLASS \"KinloomDialog\"\n"));
  EXPECT_EQ(script.find("CLASS "), script.rfind("CLASS "));
  EXPECT_THAT(script, HasSubstr("KINLOOM ICON \"kinloom.ico\"\n"));
  EXPECT_THAT(script, Not(HasSubstr("\"System\"")));
}

// --- The icon file ----------------------------------------------------------------

TEST(IconFileTest, WholeFileOfASmallIcon) {
  EXPECT_EQ(IconFileName(kIcons[0]), "pic.ico");
  const std::string expected = Bytes(
      // One icon image: 3 x 2, 16 colours, 1 plane, 4 bits, 120 bytes at 22.
      "0000 0100 0100 03 02 10 00 0100 0400 78000000 16000000"
      // Its header: 40 bytes, 3 wide, 2 * 2 high, 1 plane, 4 bits, not
      // compressed, 16 bytes of pixels, 16 colours.
      "28000000 03000000 04000000 0100 0400 00000000 10000000 00000000 00000000"
      "10000000 00000000"
      // The palette as blue, green, red, 0; the missing colours black.
      "00000000 0000ff00 00ff0000 ff000000"
      "00000000 00000000 00000000 00000000 00000000 00000000"
      "00000000 00000000 00000000 00000000 00000000 00000000"
      // Colour rows, bottom first, each padded to 4 bytes: "3Z", "12.".
      "30000000 12000000"
      // Mask rows, bottom first: set bits are transparent pixels.
      "60000000 20000000");
  EXPECT_EQ(IconFile(kIcons[0]), expected);
}

TEST(IconFileTest, KinloomIconIsA32By32SixteenColourIcon) {
  const IconTemplate& icon = *KinloomResources().FindIcon(kIconName);
  const std::string file = IconFile(icon);
  // 22 bytes of directory, 40 of header, 64 of palette, 32 rows of 16
  // colour bytes and 32 rows of 4 mask bytes.
  ASSERT_EQ(file.size(), 22u + 40 + 64 + 32 * 16 + 32 * 4);
  EXPECT_EQ(file.substr(6, 4), Bytes("20 20 10 00"));
  // The corners are transparent: bottom left in the first mask row, top
  // right in the last.
  const std::size_t mask = 22 + 40 + 64 + 32 * 16;
  EXPECT_EQ(static_cast<unsigned char>(file[mask]) & 0x80, 0x80);
  EXPECT_EQ(static_cast<unsigned char>(file[file.size() - 1]) & 0x01, 0x01);
}

}  // namespace
}  // namespace kinloom::ui
