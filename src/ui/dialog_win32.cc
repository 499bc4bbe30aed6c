// The Windows dialog back end. On Windows the dialog calls of dialog_api.h
// are the system's own (USER32, COMDLG32, SHELL32), and the templates, the
// menu, the string table and the icon are the program's resources, compiled
// from the script kinloom-rc writes from the same resource data the other
// back ends read. What is left here is what the program does once as it
// starts.
#include <string>

// clang-format off
#include "ui/dialog_api.h"
#include <commctrl.h>  // after windows.h, which dialog_api.h includes
// clang-format on
#include "ui/kinloom_resources.h"
#include "ui/program.h"

namespace kinloom::ui {

namespace {

// The directory of the running program, without a separator at the end;
// empty when the system cannot say.
std::string ProgramDirectory(HINSTANCE instance) {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(instance, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    // Cut to fit: try a larger buffer, up to the longest path there is.
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  const std::size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

}  // namespace

void PrepareWindows(ProgramState& state) {
  // The manifest asks for the system's dialog controls of today; they come
  // from the common controls library, which is loaded here.
  InitCommonControls();

  // The main dialog is a window of its own class, which differs from the
  // system's dialog class only in carrying the program's icon.
  const HINSTANCE instance = state.instance;
  const std::string icon_name(kIconName);
  WNDCLASSEXA dialog_class = {};
  dialog_class.cbSize = sizeof(dialog_class);
  dialog_class.style = CS_DBLCLKS;
  dialog_class.lpfnWndProc = DefDlgProcA;
  dialog_class.cbWndExtra = DLGWINDOWEXTRA;
  dialog_class.hInstance = instance;
  dialog_class.hIcon = LoadIconA(instance, icon_name.c_str());
  dialog_class.hIconSm = static_cast<HICON>(
      LoadImageA(instance, icon_name.c_str(), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                 GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  dialog_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  dialog_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  dialog_class.lpszClassName = kMainDialogClass;
  RegisterClassExA(&dialog_class);

  state.program_directory = ProgramDirectory(instance);
}

}  // namespace kinloom::ui
