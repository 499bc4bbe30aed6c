// The program's resources written out for the Windows resource compiler:
// a resource script (dialog templates, menus, string table, icons) and the
// icon files it names, so that the Windows program carries the very layout
// the other dialog back ends read from the same data.
#ifndef KINLOOM_UI_RESOURCE_SCRIPT_H_
#define KINLOOM_UI_RESOURCE_SCRIPT_H_

#include <string>
#include <string_view>

#include "ui/resources.h"

namespace kinloom::ui {

struct ResourceScriptOptions {
  // The dialog whose window belongs to `dialog_class` (a class the program
  // registers before showing it, to give it the program's icon); 0: none.
  int classed_dialog = 0;
  std::string_view dialog_class;
  // The program's manifest (the system's dialog controls of today, no
  // elevation, sharp text at any display scale), a file looked for beside
  // the script or in the resource compiler's include directories; empty:
  // none.
  std::string_view manifest_file;
};

// Windows draws a template's "System" font as the old bitmap system font;
// the script asks for the face of today's dialogs instead, at this size.
inline constexpr std::string_view kShellDialogFont = "MS Shell Dlg";
inline constexpr int kShellDialogPoints = 8;

// The resource script for `module`. Resource names are written in capitals,
// as the resource compiler stores them; each icon is read from the file
// IconFileName(icon), looked for beside the script.
[[nodiscard]] std::string ResourceScript(const ResourceModule& module,
                                         const ResourceScriptOptions& options);

// "<name>.ico", the name in small letters.
[[nodiscard]] std::string IconFileName(const IconTemplate& icon);

// The icon as the bytes of a .ico file: one 16-colour image, its palette,
// its pixels bottom row first, and the mask of its transparent pixels.
[[nodiscard]] std::string IconFile(const IconTemplate& icon);

}  // namespace kinloom::ui

#endif  // KINLOOM_UI_RESOURCE_SCRIPT_H_
