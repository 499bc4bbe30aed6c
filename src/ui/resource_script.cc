#include "ui/resource_script.h"

#include <cstdint>
#include <cstdio>

namespace kinloom::ui {

namespace {

// Styles every control of a dialog has.
constexpr std::uint32_t kChild = 0x40000000;

// Windows draws a bordered edit field with a sunken edge two pixels wide on
// each side, which leaves a field less than 12 dialog units high too little
// room for a line of the dialog font: such a field gets a thin edge, one
// pixel wide, instead of the border.
constexpr short kRoomyEditHeight = 12;
constexpr std::uint32_t kThinEdge = 0x00020000;  // extended style

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string ResourceName(std::string_view name) {
  std::string upper;
  for (char c : name) upper += Upper(c);
  return upper;
}

// A text in double quotes: a quote is doubled and a backslash escaped, as
// the resource compiler reads them.
std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    if (c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(value));
  return text;
}

std::string Rect(short x, short y, short cx, short cy) {
  return std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(cx) + ", " +
         std::to_string(cy);
}

const char* ClassName(ControlClass control_class) {
  switch (control_class) {
    case ControlClass::kButton:
      return "Button";
    case ControlClass::kEdit:
      return "Edit";
    case ControlClass::kStatic:
      break;
  }
  return "Static";
}

void WriteDialog(const DialogTemplate& dialog, const ResourceScriptOptions& options,
                 std::string& out) {
  const bool system_font = ResourceName(dialog.font_name) == "SYSTEM";
  const std::string_view face = system_font ? kShellDialogFont : dialog.font_name;
  const int points =
      system_font || dialog.font_points <= 0 ? kShellDialogPoints : dialog.font_points;

  out += std::to_string(dialog.id) + " DIALOGEX " + Rect(dialog.x, dialog.y, dialog.cx, dialog.cy);
  out += "\nSTYLE " + Hex(dialog.style | style::kSetFont) + "\n";
  if (!dialog.caption.empty()) out += "CAPTION " + Quoted(dialog.caption) + "\n";
  if (!dialog.menu.empty()) out += "MENU " + ResourceName(dialog.menu) + "\n";
  if (options.classed_dialog != 0 && dialog.id == options.classed_dialog) {
    out += "CLASS " + Quoted(options.dialog_class) + "\n";
  }
  // Weight 400, not italic, the default character set.
  out += "FONT " + std::to_string(points) + ", " + Quoted(face) + ", 400, 0, 1\nBEGIN\n";
  for (const ControlTemplate& control : dialog.controls) {
    std::uint32_t control_style = control.style | kChild | style::kVisible;
    const bool thin_edge = control.control_class == ControlClass::kEdit &&
                           (control_style & style::kBorder) != 0 && control.cy < kRoomyEditHeight;
    if (thin_edge) control_style &= ~style::kBorder;
    out += "  CONTROL " + Quoted(control.text) + ", " + std::to_string(control.id) + ", " +
           Quoted(ClassName(control.control_class)) + ", " + Hex(control_style) + ", " +
           Rect(control.x, control.y, control.cx, control.cy);
    out += thin_edge ? ", " + Hex(kThinEdge) + "\n" : "\n";
  }
  out += "END\n\n";
}

void WriteMenu(const MenuTemplate& menu, std::string& out) {
  out += ResourceName(menu.name) + " MENU\nBEGIN\n";
  std::string_view open_popup;
  bool open = false;
  for (const MenuItemTemplate& item : menu.items) {
    if (!open || item.popup != open_popup) {
      if (open) out += "  END\n";
      out += "  POPUP " + Quoted(item.popup) + "\n  BEGIN\n";
      open_popup = item.popup;
      open = true;
    }
    out += "    MENUITEM " + Quoted(item.text) + ", " + std::to_string(item.id) + "\n";
  }
  if (open) out += "  END\n";
  out += "END\n\n";
}

void Put16(std::string& out, unsigned value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// Bytes in a bitmap row of `width` pixels of `bits` each: whole 32-bit words.
std::uint32_t RowBytes(int width, int bits) {
  return ((static_cast<std::uint32_t>(width) * bits + 31) / 32) * 4;
}

}  // namespace

std::string ResourceScript(const ResourceModule& module, const ResourceScriptOptions& options) {
  std::string out = "// Written by kinloom-rc from the program's resource data.\n\n";
  for (const IconTemplate& icon : module.icons) {
    out += ResourceName(icon.name) + " ICON " + Quoted(IconFileName(icon)) + "\n";
  }
  if (!module.icons.empty()) out += "\n";
  if (!options.manifest_file.empty()) {
    // Resource 1 of type 24: the manifest the system reads as it starts
    // the program.
    out += "1 24 " + Quoted(options.manifest_file) + "\n\n";
  }
  for (const MenuTemplate& menu : module.menus) WriteMenu(menu, out);
  for (const DialogTemplate& dialog : module.dialogs) WriteDialog(dialog, options, out);
  if (!module.strings.empty()) {
    out += "STRINGTABLE\nBEGIN\n";
    for (const StringTableEntry& entry : module.strings) {
      out += "  " + std::to_string(entry.id) + ", " + Quoted(entry.text) + "\n";
    }
    out += "END\n";
  }
  return out;
}

std::string IconFileName(const IconTemplate& icon) {
  std::string name;
  for (char c : icon.name) name += Lower(c);
  return name + ".ico";
}

std::string IconFile(const IconTemplate& icon) {
  constexpr int kColours = 16;
  constexpr std::uint32_t kDirectorySize = 6 + 16;
  constexpr std::uint32_t kHeaderSize = 40;
  const int width = icon.width > 0 ? icon.width : 0;
  const int height = icon.height > 0 ? icon.height : 0;
  const std::uint32_t colour_row = RowBytes(width, 4);
  const std::uint32_t mask_row = RowBytes(width, 1);
  const std::uint32_t pixel_bytes = (colour_row + mask_row) * static_cast<std::uint32_t>(height);
  const std::uint32_t image_size = kHeaderSize + kColours * 4 + pixel_bytes;

  std::string out;
  // The directory: one image.
  Put16(out, 0);
  Put16(out, 1);  // an icon, not a cursor
  Put16(out, 1);
  out += static_cast<char>(width >= 256 ? 0 : width);  // 0 stands for 256
  out += static_cast<char>(height >= 256 ? 0 : height);
  out += static_cast<char>(kColours);
  out += '\0';
  Put16(out, 1);  // planes
  Put16(out, 4);  // bits per pixel
  Put32(out, image_size);
  Put32(out, kDirectorySize);

  // The image: a bitmap header whose height counts the colour rows and the
  // mask rows together.
  Put32(out, kHeaderSize);
  Put32(out, static_cast<std::uint32_t>(width));
  Put32(out, static_cast<std::uint32_t>(height) * 2);
  Put16(out, 1);
  Put16(out, 4);
  Put32(out, 0);  // not compressed
  Put32(out, pixel_bytes);
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, kColours);
  Put32(out, 0);
  for (int n = 0; n < kColours; ++n) {
    const std::uint32_t rgb = n < static_cast<int>(icon.palette.size()) ? icon.palette[n] : 0;
    out += static_cast<char>(rgb & 0xFF);
    out += static_cast<char>((rgb >> 8) & 0xFF);
    out += static_cast<char>((rgb >> 16) & 0xFF);
    out += '\0';
  }
  for (int row = height - 1; row >= 0; --row) {
    std::string bytes(colour_row, '\0');
    for (int column = 0; column < width; ++column) {
      const int index = IconColourIndex(icon, row, column);
      if (index <= 0) continue;  // transparent pixels are black under the mask
      bytes[column / 2] =
          static_cast<char>(bytes[column / 2] | (column % 2 == 0 ? index << 4 : index));
    }
    out += bytes;
  }
  for (int row = height - 1; row >= 0; --row) {
    std::string bytes(mask_row, '\0');
    for (int column = 0; column < width; ++column) {
      if (IconColourIndex(icon, row, column) >= 0) continue;
      bytes[column / 8] = static_cast<char>(bytes[column / 8] | (0x80 >> (column % 8)));
    }
    out += bytes;
  }
  return out;
}

}  // namespace kinloom::ui
