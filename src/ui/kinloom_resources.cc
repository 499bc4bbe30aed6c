#include "ui/kinloom_resources.h"

#include <cstdint>

namespace kinloom::ui {

namespace {

using style::kAutoRadioButton;
using style::kCheckBox;
using style::kDefaultPushButton;
using style::kEditAutoHScroll;
using style::kGroup;
using style::kLeftText;
using style::kPushButton;
using style::kStaticCenter;
using style::kStaticIcon;
using style::kStaticLeft;
using style::kTabStop;

constexpr ControlTemplate Button(int id, std::string_view text, std::uint32_t kind, short x,
                                 short y, short cx, short cy) {
  return {id, ControlClass::kButton, text, kind | kTabStop, x, y, cx, cy};
}
constexpr ControlTemplate Edit(int id, std::uint32_t extra, short x, short y, short cx, short cy) {
  return {id, ControlClass::kEdit, {}, extra | kTabStop | kGroup | style::kBorder, x, y, cx, cy};
}
constexpr ControlTemplate Text(std::string_view text, std::uint32_t kind, short x, short y,
                               short cx, short cy) {
  return {kUnaddressed, ControlClass::kStatic, text, kind | kGroup, x, y, cx, cy};
}
constexpr ControlTemplate LeftTextCheckBox(int id, std::string_view text, short x, short y,
                                           short cx) {
  return Button(id, text, kCheckBox | kLeftText, x, y, cx, 12);
}

// Template 1: the main dialog. The radio pair forms one group; every edit
// field starts a new group, which closes it. The left column holds the
// colours and the fields, the right one the check boxes, each as wide as
// the widest needs, its box at the column's right edge.
constexpr ControlTemplate kMainControls[] = {
    {id::kColoredBackground, ControlClass::kButton, "Colored Background",
     kAutoRadioButton | kTabStop | kGroup, 3, 3, 88, 12},
    Button(id::kGraphicBackground, "Graphic Background", kAutoRadioButton, 3, 16, 88, 12),
    Edit(id::kBgColor, 0, 95, 3, 40, 12),
    Button(id::kPickBgColor, "Pick", kPushButton, 139, 3, 37, 12),
    Edit(id::kBgPic, kEditAutoHScroll, 95, 16, 81, 12),
    Edit(id::kTextColor, 0, 95, 29, 40, 12),
    Button(id::kPickTextColor, "Pick", kPushButton, 139, 29, 37, 12),
    Edit(id::kLinkColor, 0, 95, 42, 40, 12),
    Button(id::kPickLinkColor, "Pick", kPushButton, 139, 42, 37, 12),
    Edit(id::kVlinkColor, 0, 95, 55, 40, 12),
    Button(id::kPickVlinkColor, "Pick", kPushButton, 139, 55, 37, 12),
    Edit(id::kHome, kEditAutoHScroll, 12, 81, 164, 12),
    Edit(id::kEmail, kEditAutoHScroll, 12, 108, 164, 12),
    Edit(id::kGedFile, kEditAutoHScroll, 12, 136, 164, 12),
    Button(id::kBrowse, "Browse", kPushButton, 136, 124, 40, 11),
    Edit(id::kPedigreeList, kEditAutoHScroll, 12, 160, 134, 12),
    LeftTextCheckBox(id::kPedigreeAll, "All", 150, 160, 26),
    LeftTextCheckBox(id::kUcSurname, "Uppercase Surnames", 188, 4, 100),
    LeftTextCheckBox(id::kHtmlExtension, ".html Extensions", 188, 20, 100),
    LeftTextCheckBox(id::kNotes, "Include Notes", 188, 36, 100),
    LeftTextCheckBox(id::kSoundex, "Soundex Codes", 188, 52, 100),
    LeftTextCheckBox(id::kSources, "Include Sources", 188, 68, 100),
    LeftTextCheckBox(id::kPhotos, "Include Photos", 188, 84, 100),
    Button(id::kCreatePage, "Create Page", kDefaultPushButton, 60, 176, 76, 14),
    Button(id::kQuit, "Quit", kPushButton, 156, 176, 76, 14),
    Text("Gedcom File Name", kStaticLeft, 12, 127, 76, 8),
    Text("Home Page URL", kStaticLeft, 12, 72, 76, 8),
    Text("Normal Text Color", kStaticLeft, 10, 30, 82, 8),
    Text("Link Text Color", kStaticLeft, 10, 43, 82, 8),
    Text("Visited Link Text Color", kStaticLeft, 10, 56, 82, 8),
    Text("E-Mail Address", kStaticLeft, 12, 100, 76, 8),
    Text("Pedigree List", kStaticLeft, 12, 152, 76, 8),
    LeftTextCheckBox(id::kSubDirs, "Sub Directories", 188, 100, 100),
    LeftTextCheckBox(id::kHideLiving, "Hide Living People", 188, 116, 100),
    LeftTextCheckBox(id::kChangedOnly, "Only Changed Pages", 188, 132, 100),
    LeftTextCheckBox(id::kSkipMissing, "Skip Missing Records", 188, 148, 100),
};

// Template 2: the about box.
constexpr ControlTemplate kAboutControls[] = {
    Text(kIconName, kStaticIcon, 5, 5, 0, 0),
    Text(kVersionText, kStaticCenter, 20, 5, 120, 8),
    Text("For updated versions, visit:", kStaticCenter, 0, 35, 154, 8),
    Text(kGeneratorHome, kStaticCenter, 0, 45, 154, 8),
    Button(id::kAboutOk, "Ok", kDefaultPushButton, 106, 57, 44, 14),
};

// Template 3: the colour picker, 36 buttons of kColourButtonWidth x 14 in 3
// columns.
constexpr std::array<ControlTemplate, kPickerColours.size()> MakeColourButtons() {
  std::array<ControlTemplate, kPickerColours.size()> buttons{};
  for (std::size_t n = 0; n < kPickerColours.size(); ++n) {
    const int column = static_cast<int>(n % 3);
    const int row = static_cast<int>(n / 3);
    buttons[n] = Button(id::kFirstColour + static_cast<int>(n), kPickerColours[n].caption,
                        kPushButton, static_cast<short>(kColourButtonWidth * column),
                        static_cast<short>(14 * row), kColourButtonWidth, 14);
  }
  return buttons;
}
constexpr auto kColourControls = MakeColourButtons();

// Template 5: the caption editor, one unlabelled field per caption text.
constexpr std::array<ControlTemplate, kLabelCount + 2> MakeEditTextControls() {
  std::array<ControlTemplate, kLabelCount + 2> controls{};
  for (std::size_t n = 0; n < kLabelFields.size(); ++n) {
    const LabelField& field = kLabelFields[n];
    controls[n] = Edit(field.id, kEditAutoHScroll, field.x, field.y, field.cx, kLabelFieldHeight);
  }
  controls[kLabelCount] = Button(id::kEditTextOk, "OK", kDefaultPushButton, 24, 218, 52, 14);
  controls[kLabelCount + 1] = Button(id::kEditTextCancel, "Cancel", kPushButton, 90, 218, 52, 14);
  return controls;
}
constexpr auto kEditTextControls = MakeEditTextControls();

// Template 6: the pictures folder, a field and Browse.
constexpr ControlTemplate kPicturesControls[] = {
    Text("Pictures Folder (empty: the GEDCOM file's folder)", kStaticLeft, 6, 6, 200, 8),
    Edit(id::kPicturesFolder, kEditAutoHScroll, 6, 17, 158, 12),
    Button(id::kPicturesBrowse, "Browse", kPushButton, 168, 17, 40, 12),
    Button(id::kPicturesOk, "OK", kDefaultPushButton, 50, 36, 52, 14),
    Button(id::kPicturesCancel, "Cancel", kPushButton, 112, 36, 52, 14),
};

constexpr std::uint32_t kDialogStyle = style::kPopup | style::kCaption | style::kSystemMenu;

constexpr DialogTemplate kDialogs[] = {
    {kMainDialog, "Kinloom", "kinloommenu", kDialogStyle | style::kMinimizeBox | style::kModalFrame,
     5, 13, 292, 198, "System", 0, kMainControls},
    {kAboutDialog, "", "",
     style::kPopup | style::kDialogFrame | style::kSystemModal | style::kSetFont, 22, 17, 154, 75,
     "System", 8, kAboutControls},
    {kColourDialog, "Colors", "", kDialogStyle | style::kModalFrame, 10, 7, 3 * kColourButtonWidth,
     168, "System", 0, kColourControls},
    {kEditTextDialog, "Edit Text", "", kDialogStyle | style::kModalFrame, 3, 11, 166, 238, "System",
     0, kEditTextControls},
    {kPicturesDialog, "Pictures Folder", "", kDialogStyle | style::kModalFrame, 20, 40, 214, 56,
     "System", 0, kPicturesControls},
};

constexpr MenuItemTemplate kMainMenuItems[] = {
    {"&File", "E&xit", id::kMenuExit},
    {"&Edit", "&Edit All Text", id::kMenuEditText},
    {"&Edit", "&Pictures Folder...", id::kMenuPicturesFolder},
    {"&Help", "&Help", id::kMenuHelp},
    {"&Help", "&About Kinloom", id::kMenuAbout},
};

constexpr MenuTemplate kMenus[] = {{"KINLOOMMENU", kMainMenuItems}};

constexpr StringTableEntry kStrings[] = {{kGedcomFilterString, "Gedcom Files(*.GED)|*.ged|"},
                                         {kPicturesFilterString, "All Files(*.*)|*.*|"}};

// The sixteen standard colours.
constexpr std::uint32_t kIconPalette[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

// A family group on a card: two parents joined, a line of descent, three
// children.
// clang-format off
constexpr std::string_view kIconRows[32] = {
    "................................",
    "..6666666666666666666666666666..",
    ".6AAAAAAAAAAAAAAAAAAAAAAAAAAAA6.",
    ".6AAAAAAAAAAAAAAAAAAAAAAAAAAAA6.",
    ".622222222222222222222222222226.",
    ".6FFFFFFFFFFFFFFFFFFFFFFFFFFFF6.",
    ".6FFFFFFFFFFFFFFFFFFFFFFFFFFFF6.",
    ".6FF444444444FFFFFF111111111FF6.",
    ".6FF4CCCCCCC4FFFFFF199999991FF6.",
    ".6FF4CCFFFCC4FFFFFF199FFF991FF6.",
    ".6FF4CCFFFCC4000000199FFF991FF6.",
    ".6FF4CCCCCCC4FF00FF199999991FF6.",
    ".6FF4CCCCCCC4FF00FF199999991FF6.",
    ".6FF444444444FF00FF111111111FF6.",
    ".6FFFFFFFFFFFFF00FFFFFFFFFFFFF6.",
    ".6FFFFFFFFFFFFF00FFFFFFFFFFFFF6.",
    ".6FFFFFFFFFFFFF00FFFFFFFFFFFFF6.",
    ".6FFF0000000000000000000000FFF6.",
    ".6FFF0FFFFFFFFF00FFFFFFFFF0FFF6.",
    ".6FFF0FFFFFFFFF00FFFFFFFFF0FFF6.",
    ".6FFF0FFFFFFFFF00FFFFFFFFF0FFF6.",
    ".633333333FF22222222FF333333336.",
    ".63BBBBBB3FF2AAAAAA2FF3BBBBBB36.",
    ".63BBFFBB3FF2AAFFAA2FF3BBFFBB36.",
    ".63BBFFBB3FF2AAFFAA2FF3BBFFBB36.",
    ".63BBBBBB3FF2AAAAAA2FF3BBBBBB36.",
    ".63BBBBBB3FF2AAAAAA2FF3BBBBBB36.",
    ".633333333FF22222222FF333333336.",
    ".6FFFFFFFFFFFFFFFFFFFFFFFFFFFF6.",
    ".6FFFFFFFFFFFFFFFFFFFFFFFFFFFF6.",
    "..6666666666666666666666666666..",
    "................................",
};
// clang-format on

constexpr IconTemplate kIcons[] = {{kIconName, 32, 32, kIconPalette, kIconRows}};

constexpr ResourceModule kModule{kDialogs, kMenus, kStrings, kIcons};

}  // namespace

const ResourceModule& KinloomResources() { return kModule; }

}  // namespace kinloom::ui
