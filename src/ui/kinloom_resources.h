// Kinloom's resources: the main dialog, about box, colour picker, caption
// editor and pictures folder templates, the main menu, the string table and the program icon,
// with the IDs the dialog procedures use.
#ifndef KINLOOM_UI_KINLOOM_RESOURCES_H_
#define KINLOOM_UI_KINLOOM_RESOURCES_H_

#include <array>
#include <string_view>

#include "run/settings.h"
#include "ui/resources.h"

namespace kinloom::ui {

// Dialog templates.
inline constexpr int kMainDialog = 1;
inline constexpr int kAboutDialog = 2;
inline constexpr int kColourDialog = 3;
inline constexpr int kEditTextDialog = 5;
inline constexpr int kPicturesDialog = 6;

// Main dialog controls and menu items.
namespace id {
inline constexpr int kColoredBackground = 101;
inline constexpr int kGraphicBackground = 102;
inline constexpr int kBgColor = 103;
inline constexpr int kCreatePage = 104;
inline constexpr int kGedFile = 105;
inline constexpr int kBgPic = 106;
inline constexpr int kHome = 107;
inline constexpr int kLinkColor = 108;
inline constexpr int kQuit = 109;
inline constexpr int kTextColor = 110;
inline constexpr int kVlinkColor = 111;
inline constexpr int kNotes = 112;
inline constexpr int kUcSurname = 113;
inline constexpr int kSoundex = 114;
inline constexpr int kSources = 115;
inline constexpr int kBrowse = 116;
inline constexpr int kPickBgColor = 117;
inline constexpr int kPickTextColor = 118;
inline constexpr int kPickLinkColor = 119;
inline constexpr int kPickVlinkColor = 120;
inline constexpr int kEmail = 121;
inline constexpr int kPedigreeList = 122;
inline constexpr int kPedigreeAll = 123;
inline constexpr int kPhotos = 124;
inline constexpr int kHtmlExtension = 125;
inline constexpr int kSubDirs = 126;
inline constexpr int kHideLiving = 127;
inline constexpr int kChangedOnly = 128;
inline constexpr int kSkipMissing = 129;

inline constexpr int kMenuExit = 131;
inline constexpr int kMenuHelp = 132;
inline constexpr int kMenuAbout = 133;
inline constexpr int kMenuEditText = 135;
inline constexpr int kMenuPicturesFolder = 136;

// About box.
inline constexpr int kAboutOk = 121;

// Colour picker: one button per colour, kFirstColour + n for colour n.
inline constexpr int kFirstColour = 201;
inline constexpr int kLastColour = 236;

// Caption editor.
inline constexpr int kEditTextOk = 425;
inline constexpr int kEditTextCancel = 426;

// Pictures folder.
inline constexpr int kPicturesFolder = 441;
inline constexpr int kPicturesBrowse = 442;
inline constexpr int kPicturesOk = 443;
inline constexpr int kPicturesCancel = 444;
}  // namespace id

// String table.
inline constexpr unsigned kGedcomFilterString = 2;
inline constexpr unsigned kPicturesFilterString = 3;

inline constexpr std::string_view kIconName = "KINLOOM";

// The window class of the main dialog on Windows, registered with the
// program's icon so that its title bar and the task bar show it.
inline constexpr const char* kMainDialogClass = "KinloomDialog";

struct PickerColour {
  std::string_view caption;
  std::string_view value;  // RRGGBB, upper-case hexadecimal
};
// Colour n has button ID id::kFirstColour + n; the buttons are this wide
// (dialog units), in three columns.
inline constexpr short kColourButtonWidth = 68;
inline constexpr std::array<PickerColour, 36> kPickerColours = {{
    {"White", "FFFFFF"},         {"Red", "FF0000"},        {"Green", "00FF00"},
    {"Blue", "0000FF"},          {"Magenta", "FF00FF"},    {"Cyan", "00FFFF"},
    {"Yellow", "FFFF00"},        {"Black", "000000"},      {"Aquamarine", "66CC99"},
    {"Blue Violet", "9999FF"},   {"Brown", "996633"},      {"Bronze", "996666"},
    {"Copper", "CC6666"},        {"Dark Green", "006633"}, {"Dark Purple", "660066"},
    {"Forest Green", "669933"},  {"Gold", "FFCC00"},       {"Grey", "999999"},
    {"Light Blue", "99FFFF"},    {"Lime Green", "99FF33"}, {"Maroon", "660033"},
    {"Midnight Blue", "000099"}, {"Neon Blue", "0066FF"},  {"Neon Pink", "FF00CC"},
    {"Orange", "FF6600"},        {"Pink", "FF33CC"},       {"Scarlet", "993333"},
    {"Silver", "CCCCCC"},        {"Sky Blue", "99CCFF"},   {"Spicy Pink", "FF00CC"},
    {"Tan", "CC9999"},           {"Turquoise", "66FFCC"},  {"Very Dark Brown", "663333"},
    {"Violet", "663366"},        {"Violet Red", "990066"}, {"Off White", "FFFFCC"},
}};

// One field of the caption editor: its control, the caption text it shows,
// and where it lies (dialog units; every field is kLabelFieldHeight units
// high, which gives it a whole border on Windows). The fields lie in three
// columns 54 units apart and rows 14 apart, 4 units in from the dialog's
// edges; a wide field spans two or three columns.
inline constexpr short kLabelFieldHeight = 12;
struct LabelField {
  int id;
  Label label;
  short x, y, cx;
};
// In tab order.
inline constexpr std::array<LabelField, kLabelCount> kLabelFields = {{
    {401, Label::kHusband, 4, 4, 50},
    {402, Label::kWife, 58, 4, 50},
    {403, Label::kName, 112, 4, 50},
    {404, Label::kBorn, 4, 18, 50},
    {405, Label::kMarried, 58, 18, 50},
    {406, Label::kDied, 112, 18, 50},
    {407, Label::kAt, 4, 32, 50},
    {408, Label::kFather, 58, 32, 50},
    {409, Label::kMother, 112, 32, 50},
    {410, Label::kOtherSpouses, 4, 46, 104},
    {411, Label::kSpouses, 112, 46, 50},
    {412, Label::kNotes, 4, 60, 50},
    {413, Label::kFamilyNotes, 58, 60, 104},
    {414, Label::kChildren, 4, 74, 50},
    {427, Label::kEmail, 112, 74, 50},
    {415, Label::kSources, 58, 74, 50},
    {416, Label::kHome, 4, 88, 50},
    {417, Label::kSurnames, 58, 88, 50},
    {418, Label::kNames, 112, 88, 50},
    {419, Label::kNotesFor, 4, 102, 50},
    {432, Label::kLiving, 58, 102, 50},
    {433, Label::kRepeat, 112, 102, 50},
    {420, Label::kAllSurnames, 4, 116, 158},
    {421, Label::kAllNames, 4, 130, 158},
    {422, Label::kTotals1, 4, 144, 158},
    {423, Label::kTotals2, 4, 158, 158},
    {424, Label::kTotals3, 4, 172, 158},
    {428, Label::kPedigreeFor, 4, 186, 104},
    {429, Label::kPedigree, 112, 186, 50},
    {430, Label::kPhotoFor, 4, 200, 104},
    {431, Label::kPhotos, 112, 200, 50},
}};

// The resources an instance handle of the program stands for.
const ResourceModule& KinloomResources();

}  // namespace kinloom::ui

#endif  // KINLOOM_UI_KINLOOM_RESOURCES_H_
