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
#include "ui/label_fit.h"
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

// The procedure of a dialog created only to be measured.
INT_PTR CALLBACK InertDialogProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Pixels a push button keeps between its edge and its text on each side:
// its raised edge, two pixels, and the focus rectangle drawn inside it.
constexpr int kPushButtonInset = 4;
// Pixels between a check box's or radio button's mark and its text.
constexpr int kCheckTextGap = 4;

std::string WindowText(HWND window) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

bool SameClass(HWND window, const char* name) {
  char class_name[32] = {};
  GetClassNameA(window, class_name, sizeof(class_name));
  return lstrcmpiA(class_name, name) == 0;
}

// The width of text in the font the dialog gave the control.
int TextWidth(HWND control, const std::string& text) {
  HDC dc = GetDC(control);
  const auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  const HGDIOBJ before = font != nullptr ? SelectObject(dc, font) : nullptr;
  SIZE size = {};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  if (before != nullptr) SelectObject(dc, before);
  ReleaseDC(control, dc);
  return size.cx;
}

}  // namespace

HINSTANCE OwnModule() { return GetModuleHandleA(nullptr); }

LabelMeasurement MeasureLabels(HINSTANCE instance, int dialog) {
  LabelMeasurement result;
  // The templates are not visible: the dialog stays hidden.
  HWND window = CreateDialogParamA(instance, MAKEINTRESOURCEA(dialog), nullptr, InertDialogProc, 0);
  if (window == nullptr) {
    result.problem = "dialog " + std::to_string(dialog) + " could not be created (error " +
                     std::to_string(GetLastError()) + ")";
    return result;
  }
  RECT margin = {0, 0, kLabelMarginUnits, 0};
  MapDialogRect(window, &margin);
  for (HWND control = GetWindow(window, GW_CHILD); control != nullptr;
       control = GetWindow(control, GW_HWNDNEXT)) {
    const auto control_style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
    const bool button = SameClass(control, "Button");
    if (!button && !SameClass(control, "Static")) continue;
    if (!button && (control_style & SS_TYPEMASK) == SS_ICON) continue;
    const std::string text = WindowText(control);
    if (text.empty()) continue;
    RECT client = {};
    GetClientRect(control, &client);
    int room = client.right - client.left;
    if (button) {
      const DWORD kind = control_style & BS_TYPEMASK;
      if (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON) {
        room -= 2 * kPushButtonInset;
      } else {
        room -= GetSystemMetrics(SM_CXMENUCHECK) + kCheckTextGap;
      }
    }
    result.labels.push_back({GetDlgCtrlID(control), text, TextWidth(control, text), room,
                             static_cast<int>(margin.right - margin.left)});
  }
  DestroyWindow(window);
  return result;
}

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
