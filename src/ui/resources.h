// A program's resources as data: dialog templates, menus, a string table and
// icons, laid out as the platform's resource compiler would lay them out
// (positions and sizes in dialog units, control IDs, window styles), plus
// the small pieces of template arithmetic that both dialog back ends share.
//
// Dialog units. A dialog's font gives two base units: the average width of
// its letters and its line height, in pixels. One horizontal dialog unit is
// a quarter of the first, one vertical unit an eighth of the second, so a
// layout keeps its proportions whatever font draws it.
#ifndef KINLOOM_UI_RESOURCES_H_
#define KINLOOM_UI_RESOURCES_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/dialog_api.h"

namespace kinloom::ui {

// Window and control styles, with the values the platform gives them.
namespace style {
inline constexpr std::uint32_t kPopup = 0x80000000;
inline constexpr std::uint32_t kVisible = 0x10000000;
inline constexpr std::uint32_t kDisabled = 0x08000000;
inline constexpr std::uint32_t kCaption = 0x00C00000;  // title bar
inline constexpr std::uint32_t kBorder = 0x00800000;
inline constexpr std::uint32_t kDialogFrame = 0x00400000;
inline constexpr std::uint32_t kSystemMenu = 0x00080000;
inline constexpr std::uint32_t kGroup = 0x00020000;  // starts a group of controls
inline constexpr std::uint32_t kTabStop = 0x00010000;
inline constexpr std::uint32_t kMinimizeBox = 0x00020000;  // on a dialog window
inline constexpr std::uint32_t kSystemModal = 0x00000002;
inline constexpr std::uint32_t kSetFont = 0x00000040;
inline constexpr std::uint32_t kModalFrame = 0x00000080;

// Buttons: the low four bits give the kind.
inline constexpr std::uint32_t kButtonKindMask = 0x0000000F;
inline constexpr std::uint32_t kPushButton = 0x00000000;
inline constexpr std::uint32_t kDefaultPushButton = 0x00000001;
inline constexpr std::uint32_t kCheckBox = 0x00000002;      // the procedure sets its state
inline constexpr std::uint32_t kAutoCheckBox = 0x00000003;  // toggles itself
inline constexpr std::uint32_t kRadioButton = 0x00000004;
inline constexpr std::uint32_t kAutoRadioButton = 0x00000009;  // selects itself in its group
inline constexpr std::uint32_t kLeftText = 0x00000020;         // caption left of the box

// Edit fields.
inline constexpr std::uint32_t kEditAutoHScroll = 0x00000080;  // text may outgrow the field

// Static controls.
inline constexpr std::uint32_t kStaticKindMask = 0x0000001F;
inline constexpr std::uint32_t kStaticLeft = 0x00000000;
inline constexpr std::uint32_t kStaticCenter = 0x00000001;
inline constexpr std::uint32_t kStaticIcon = 0x00000003;
}  // namespace style

// The ID of a control that is never addressed (labels).
inline constexpr int kUnaddressed = -1;

enum class ControlClass { kButton, kEdit, kStatic };

struct ControlTemplate {
  int id = kUnaddressed;
  ControlClass control_class = ControlClass::kStatic;
  std::string_view text;  // caption; for an icon control the icon's name
  std::uint32_t style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;  // dialog units
};

struct DialogTemplate {
  int id = 0;
  std::string_view caption;
  std::string_view menu;  // name of the menu resource; empty for none
  std::uint32_t style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;  // dialog units, x and y from the owner
  std::string_view font_name;
  int font_points = 0;
  std::span<const ControlTemplate> controls;  // in tab order
};

struct MenuItemTemplate {
  std::string_view popup;  // caption of the popup the item belongs to
  std::string_view text;
  int id = 0;
};

struct MenuTemplate {
  std::string_view name;
  std::span<const MenuItemTemplate> items;  // popups in order of first item
};

struct StringTableEntry {
  unsigned id = 0;
  std::string_view text;
};

// A 16-colour icon: one text per row, one character per pixel: a hex digit
// is an index into the palette, '.' a transparent pixel.
struct IconTemplate {
  std::string_view name;
  int width = 0, height = 0;
  std::span<const std::uint32_t> palette;  // 0xRRGGBB
  std::span<const std::string_view> rows;
};

struct ResourceModule {
  std::span<const DialogTemplate> dialogs;
  std::span<const MenuTemplate> menus;
  std::span<const StringTableEntry> strings;
  std::span<const IconTemplate> icons;

  const DialogTemplate* FindDialog(int id) const;
  // Names compare without regard to case, as resource names do.
  const MenuTemplate* FindMenu(std::string_view name) const;
  const StringTableEntry* FindString(unsigned id) const;
  const IconTemplate* FindIcon(std::string_view name) const;
};

}  // namespace kinloom::ui

#ifndef _WIN32
// What an instance handle stands for: the program's resources.
struct HINSTANCE__ {
  const kinloom::ui::ResourceModule* resources;
};
#endif

namespace kinloom::ui {

// --- Shared by the dialog back ends -------------------------------------

struct BaseUnits {
  int x = 0;  // average letter width in pixels
  int y = 0;  // line height in pixels
};

// The base units of a font whose 52 letters A-Z a-z measure total_width
// pixels together: their average width, rounded to the nearest pixel.
BaseUnits BaseUnitsFromLetters(int total_width, int line_height);

struct PixelRect {
  int x = 0, y = 0, w = 0, h = 0;
  bool operator==(const PixelRect&) const = default;
};

// Converts a rectangle in dialog units to pixels (rounding to nearest).
PixelRect DialogUnitsToPixels(int x, int y, int cx, int cy, BaseUnits units);

// Copies text into buffer as GetDlgItemTextA and LoadStringA do: at most
// size - 1 characters and a NUL; nothing when size < 1. Returns the count.
int CopyToBuffer(std::string_view text, char* buffer, int size);

// The kind of a button control (style::kPushButton ... kAutoRadioButton).
inline std::uint32_t ButtonKind(const ControlTemplate& control) {
  return control.style & style::kButtonKindMask;
}
bool IsPushButton(const ControlTemplate& control);
bool IsCheckable(const ControlTemplate& control);  // check box or radio button

// The index range [first, last) of the controls that make up the radio group
// of controls[index]: from the nearest control at or before it that starts a
// group (style::kGroup), up to the next one that does.
std::pair<std::size_t, std::size_t> GroupAround(std::span<const ControlTemplate> controls,
                                                std::size_t index);

// The (description, pattern) pairs of an open-file filter: texts ended by NUL,
// closed by an empty text.
std::vector<std::pair<std::string, std::string>> FilterPairs(const char* filter);

// The palette index of the icon's pixel at row, column (from the top left),
// or -1 for a transparent one: '.', a character that is not a palette
// index, or a place outside the rows given.
int IconColourIndex(const IconTemplate& icon, int row, int column);

// The icon as width * height pixels 0xAARRGGBB, transparent ones 0. A row
// shorter than the width, or a character that is neither a palette index
// nor '.', gives transparent pixels.
std::vector<std::uint32_t> IconPixels(const IconTemplate& icon);

}  // namespace kinloom::ui

#endif  // KINLOOM_UI_RESOURCES_H_
