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
// field starts a new group, which closes it.
constexpr ControlTemplate kMainControls[] = {
    {id::kColoredBackground, ControlClass::kButton, "Colored Background",
     kAutoRadioButton | kTabStop | kGroup, 3, 3, 81, 12},
    Button(id::kGraphicBackground, "Graphic Background", kAutoRadioButton, 3, 16, 81, 12),
    Edit(id::kBgColor, 0, 88, 3, 39, 12),
    Button(id::kPickBgColor, "Pick", kPushButton, 131, 3, 37, 12),
    Edit(id::kBgPic, kEditAutoHScroll, 88, 16, 60, 12),
    Edit(id::kTextColor, 0, 88, 29, 39, 12),
    Button(id::kPickTextColor, "Pick", kPushButton, 131, 29, 37, 12),
    Edit(id::kLinkColor, 0, 88, 42, 39, 12),
    Button(id::kPickLinkColor, "Pick", kPushButton, 131, 42, 37, 12),
    Edit(id::kVlinkColor, 0, 88, 55, 39, 12),
    Button(id::kPickVlinkColor, "Pick", kPushButton, 131, 55, 37, 12),
    Edit(id::kHome, kEditAutoHScroll, 12, 81, 157, 12),
    Edit(id::kEmail, kEditAutoHScroll, 12, 108, 157, 12),
    Edit(id::kGedFile, kEditAutoHScroll, 12, 136, 157, 12),
    Button(id::kBrowse, "Browse", kPushButton, 127, 125, 40, 10),
    Edit(id::kPedigreeList, kEditAutoHScroll, 12, 160, 134, 12),
    LeftTextCheckBox(id::kPedigreeAll, "All", 152, 160, 17),
    LeftTextCheckBox(id::kUcSurname, "Uppercase Surnames", 176, 4, 80),
    LeftTextCheckBox(id::kHtmlExtension, ".html Extensions", 188, 20, 68),
    LeftTextCheckBox(id::kNotes, "Include Notes", 200, 36, 56),
    LeftTextCheckBox(id::kSoundex, "Soundex Codes", 192, 52, 64),
    LeftTextCheckBox(id::kSources, "Include Sources", 192, 68, 64),
    LeftTextCheckBox(id::kPhotos, "Include Photos", 196, 84, 60),
    Button(id::kCreatePage, "Create Page", kDefaultPushButton, 48, 176, 68, 14),
    Button(id::kQuit, "Quit", kPushButton, 152, 176, 68, 14),
    Text("Gedcom File Name", kStaticLeft, 12, 127, 64, 8),
    Text("Home Page URL", kStaticLeft, 12, 72, 55, 8),
    Text("Normal Text Color", kStaticLeft, 10, 30, 74, 8),
    Text("Link Text Color", kStaticLeft, 10, 43, 74, 8),
    Text("Visited Link Text Color", kStaticLeft, 10, 56, 74, 8),
    Text("E-Mail Address", kStaticLeft, 12, 100, 55, 8),
    Text("Pedigree List", kStaticLeft, 12, 152, 55, 8),
    LeftTextCheckBox(id::kSubDirs, "Sub Directories", 192, 100, 64),
    LeftTextCheckBox(id::kHideLiving, "Hide Living People", 176, 116, 80),
    LeftTextCheckBox(id::kChangedOnly, "Only Changed Pages", 176, 132, 80),
    LeftTextCheckBox(id::kSkipMissing, "Skip Missing Records", 168, 148, 88),
};

// Template 2: the about box.
constexpr ControlTemplate kAboutControls[] = {
    Text(kIconName, kStaticIcon, 5, 5, 0, 0),
    Text(kVersionText, kStaticCenter, 20, 5, 120, 8),
    Text("For updated versions, visit:", kStaticCenter, 0, 35, 154, 8),
    Text(kGeneratorHome, kStaticCenter, 0, 45, 154, 8),
    Button(id::kAboutOk, "Ok", kDefaultPushButton, 120, 59, 32, 14),
};

// Template 3: the colour picker, 36 buttons of 56 x 14 in 3 columns.
constexpr std::array<ControlTemplate, kPickerColours.size()> MakeColourButtons() {
  std::array<ControlTemplate, kPickerColours.size()> buttons{};
  for (std::size_t n = 0; n < kPickerColours.size(); ++n) {
    const int column = static_cast<int>(n % 3);
    const int row = static_cast<int>(n / 3);
    buttons[n] =
        Button(id::kFirstColour + static_cast<int>(n), kPickerColours[n].caption, kPushButton,
               static_cast<short>(56 * column), static_cast<short>(14 * row), 56, 14);
  }
  return buttons;
}
constexpr auto kColourControls = MakeColourButtons();

// Template 5: the caption editor, one unlabelled field per caption text.
constexpr std::array<ControlTemplate, kLabelCount + 2> MakeEditTextControls() {
  std::array<ControlTemplate, kLabelCount + 2> controls{};
  for (std::size_t n = 0; n < kLabelFields.size(); ++n) {
    const LabelField& field = kLabelFields[n];
    controls[n] = Edit(field.id, kEditAutoHScroll, field.x, field.y, field.cx, 9);
  }
  controls[kLabelCount] = Button(id::kEditTextOk, "OK", kDefaultPushButton, 18, 156, 52, 14);
  controls[kLabelCount + 1] = Button(id::kEditTextCancel, "Cancel", kPushButton, 87, 156, 52, 14);
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
     5, 13, 265, 198, "System", 0, kMainControls},
    {kAboutDialog, "", "",
     style::kPopup | style::kDialogFrame | style::kSystemModal | style::kSetFont, 22, 17, 154, 75,
     "System", 8, kAboutControls},
    {kColourDialog, "Colors", "", kDialogStyle | style::kModalFrame, 10, 7, 168, 168, "System", 0,
     kColourControls},
    {kEditTextDialog, "Edit Text", "", kDialogStyle | style::kModalFrame, 3, 11, 158, 176, "System",
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
