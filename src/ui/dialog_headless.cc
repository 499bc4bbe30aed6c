// The dialog calls without windows: see headless.h.
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "ui/dialog_api.h"
#include "ui/headless.h"
#include "ui/program.h"
#include "ui/resources.h"

namespace kinloom::ui {
struct HeadlessDialog;
}

// A window handle points at one of these, inside its dialog's records.
struct HWND__ {
  kinloom::ui::HeadlessDialog* dialog;
  int control;  // index into the dialog's controls; -1 for the dialog
};

namespace kinloom::ui {

struct HeadlessControl {
  const ControlTemplate* source;
  HWND__ handle;
  std::string text;
  bool checked = false;
  bool enabled = true;
};

struct HeadlessDialog {
  const DialogTemplate* source = nullptr;
  const MenuTemplate* menu = nullptr;
  DLGPROC proc = nullptr;
  HWND owner = nullptr;
  HWND__ handle{};
  std::deque<HeadlessControl> controls;  // stable addresses for the handles
  LONG_PTR user = 0;
  bool enabled = true;
  bool ended = false;
  INT_PTR result = 0;
  std::optional<std::string> caption;  // set by SetWindowTextA
};

struct HeadlessDesktop::State {
  std::deque<std::pair<int, DialogScript>> scripts;
  std::function<void(const MessageBoxCall&)> message_box_hook;
  std::deque<std::optional<std::string>> open_file_answers;

  std::vector<HeadlessDialog*> open;  // modal stack, topmost last
  HCURSOR cursor = reinterpret_cast<HCURSOR>(IDC_ARROW);
  std::vector<HCURSOR> cursors_set;
  std::vector<MessageBoxCall> message_boxes;
  std::vector<OpenFileCall> open_file_calls;
  std::vector<ShellCall> shell_calls;
  std::vector<int> dialogs_shown;
  std::vector<std::string> problems;

  // The dialog a handle belongs to, if that dialog is open; never follows a
  // handle that is not one of ours.
  HeadlessDialog* DialogOf(HWND window) const {
    for (HeadlessDialog* dialog : open) {
      if (window == &dialog->handle) return dialog;
      for (const HeadlessControl& control : dialog->controls) {
        if (window == &control.handle) return dialog;
      }
    }
    return nullptr;
  }

  // The dialog itself, when `window` is a dialog's handle.
  HeadlessDialog* Dialog(HWND window, const char* call) {
    HeadlessDialog* dialog = DialogOf(window);
    if (dialog == nullptr || window != &dialog->handle) {
      problems.push_back(std::string(call) + ": not an open dialog");
      return nullptr;
    }
    return dialog;
  }

  static HeadlessControl* Control(HeadlessDialog* dialog, int id) {
    if (dialog == nullptr) return nullptr;
    for (HeadlessControl& control : dialog->controls) {
      if (control.source->id == id) return &control;
    }
    return nullptr;
  }

  bool IsTopmost(const HeadlessDialog* dialog) const {
    return !open.empty() && open.back() == dialog;
  }

  INT_PTR Deliver(HeadlessDialog* dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    return dialog->proc(&dialog->handle, message, wparam, lparam);
  }
};

namespace {

HeadlessDesktop::State* g_screen = nullptr;  // the desktop the calls act on

HeadlessDesktop::State& Screen() {
  // Calling the dialog API with no HeadlessDesktop alive is a test's bug.
  if (g_screen == nullptr) std::abort();
  return *g_screen;
}

int IntResource(LPCSTR name) {
  return IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(name)) : -1;
}

}  // namespace

HeadlessDesktop::HeadlessDesktop() : state_(std::make_unique<State>()) {
  if (g_screen != nullptr) std::abort();  // one desktop at a time
  g_screen = state_.get();
}

HeadlessDesktop::~HeadlessDesktop() { g_screen = nullptr; }

void HeadlessDesktop::ExpectDialog(int template_id, DialogScript script) {
  state_->scripts.emplace_back(template_id, std::move(script));
}

void HeadlessDesktop::OnMessageBox(std::function<void(const MessageBoxCall&)> hook) {
  state_->message_box_hook = std::move(hook);
}

void HeadlessDesktop::AnswerOpenFile(std::string path) {
  state_->open_file_answers.emplace_back(std::move(path));
}

void HeadlessDesktop::CancelOpenFile() { state_->open_file_answers.emplace_back(std::nullopt); }

bool HeadlessDesktop::Click(HWND window, int id) {
  HeadlessDialog* dialog = state_->DialogOf(window);
  HeadlessControl* control = State::Control(dialog, id);
  if (control == nullptr || !state_->IsTopmost(dialog) || !dialog->enabled || !control->enabled) {
    return false;
  }
  const ControlTemplate& source = *control->source;
  if (source.control_class != ControlClass::kButton) return true;  // focus only
  switch (ButtonKind(source)) {
    case style::kAutoCheckBox:
      control->checked = !control->checked;
      break;
    case style::kAutoRadioButton: {
      const auto [first, last] =
          GroupAround(dialog->source->controls, static_cast<std::size_t>(control->handle.control));
      for (std::size_t i = first; i < last; ++i) {
        HeadlessControl& other = dialog->controls[i];
        if (ButtonKind(*other.source) == style::kAutoRadioButton) other.checked = false;
      }
      control->checked = true;
      break;
    }
    default:
      break;
  }
  state_->Deliver(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                  reinterpret_cast<LPARAM>(&control->handle));
  return true;
}

bool HeadlessDesktop::Type(HWND window, int id, std::string_view text) {
  HeadlessDialog* dialog = state_->DialogOf(window);
  HeadlessControl* control = State::Control(dialog, id);
  if (control == nullptr || !state_->IsTopmost(dialog) || !dialog->enabled || !control->enabled ||
      control->source->control_class != ControlClass::kEdit) {
    return false;
  }
  control->text = std::string(text);
  state_->Deliver(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), EN_CHANGE),
                  reinterpret_cast<LPARAM>(&control->handle));
  return true;
}

bool HeadlessDesktop::ChooseMenu(HWND window, int id) {
  HeadlessDialog* dialog = state_->DialogOf(window);
  if (dialog == nullptr || !state_->IsTopmost(dialog) || dialog->menu == nullptr) return false;
  const auto& items = dialog->menu->items;
  if (std::none_of(items.begin(), items.end(), [id](const auto& item) { return item.id == id; })) {
    return false;
  }
  state_->Deliver(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), 0), 0);
  return true;
}

bool HeadlessDesktop::PressEnter(HWND window) {
  HeadlessDialog* dialog = state_->DialogOf(window);
  if (dialog == nullptr || !state_->IsTopmost(dialog)) return false;
  for (HeadlessControl& control : dialog->controls) {
    if (control.source->control_class == ControlClass::kButton &&
        ButtonKind(*control.source) == style::kDefaultPushButton) {
      return Click(window, control.source->id);
    }
  }
  state_->Deliver(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return true;
}

bool HeadlessDesktop::PressEscape(HWND window) {
  HeadlessDialog* dialog = state_->DialogOf(window);
  if (dialog == nullptr || !state_->IsTopmost(dialog)) return false;
  state_->Deliver(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  return true;
}

bool HeadlessDesktop::CloseBox(HWND window) {
  HeadlessDialog* dialog = state_->DialogOf(window);
  if (dialog == nullptr || !state_->IsTopmost(dialog)) return false;
  if (!state_->Deliver(dialog, WM_CLOSE, 0, 0) && !dialog->ended) {
    state_->Deliver(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  }
  return true;
}

INT_PTR HeadlessDesktop::Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  HeadlessDialog* dialog = state_->Dialog(window, "Send");
  return dialog == nullptr ? 0 : state_->Deliver(dialog, message, wparam, lparam);
}

std::string HeadlessDesktop::Text(HWND dialog, int id) const {
  const HeadlessControl* control = State::Control(state_->DialogOf(dialog), id);
  return control == nullptr ? std::string() : control->text;
}

bool HeadlessDesktop::IsChecked(HWND dialog, int id) const {
  const HeadlessControl* control = State::Control(state_->DialogOf(dialog), id);
  return control != nullptr && control->checked;
}

bool HeadlessDesktop::IsEnabled(HWND dialog, int id) const {
  const HeadlessControl* control = State::Control(state_->DialogOf(dialog), id);
  return control != nullptr && control->enabled;
}

bool HeadlessDesktop::HasControl(HWND dialog, int id) const {
  return State::Control(state_->DialogOf(dialog), id) != nullptr;
}

std::string HeadlessDesktop::Caption(HWND window) const {
  const HeadlessDialog* dialog = state_->DialogOf(window);
  if (dialog == nullptr) return std::string();
  return dialog->caption ? *dialog->caption : std::string(dialog->source->caption);
}

bool HeadlessDesktop::IsOpen(HWND window) const {
  const HeadlessDialog* dialog = state_->DialogOf(window);
  return dialog != nullptr && !dialog->ended;
}

HCURSOR HeadlessDesktop::cursor() const { return state_->cursor; }
const std::vector<HCURSOR>& HeadlessDesktop::cursors_set() const { return state_->cursors_set; }
const std::vector<HeadlessDesktop::MessageBoxCall>& HeadlessDesktop::message_boxes() const {
  return state_->message_boxes;
}
const std::vector<HeadlessDesktop::OpenFileCall>& HeadlessDesktop::open_file_calls() const {
  return state_->open_file_calls;
}
const std::vector<HeadlessDesktop::ShellCall>& HeadlessDesktop::shell_calls() const {
  return state_->shell_calls;
}
const std::vector<int>& HeadlessDesktop::dialogs_shown() const { return state_->dialogs_shown; }
const std::vector<std::string>& HeadlessDesktop::problems() const { return state_->problems; }
std::vector<std::string> HeadlessDesktop::TakeProblems() {
  return std::exchange(state_->problems, {});
}

// Nothing to ready; tests that need a program directory put it in the
// state themselves.
void PrepareWindows(ProgramState&) {}

}  // namespace kinloom::ui

using kinloom::ui::HeadlessControl;
using kinloom::ui::HeadlessDesktop;
using kinloom::ui::HeadlessDialog;
using kinloom::ui::Screen;

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc,
                               LPARAM init) {
  HeadlessDesktop::State& screen = Screen();
  const int template_id = kinloom::ui::IntResource(name);
  const kinloom::ui::DialogTemplate* source = instance == nullptr || instance->resources == nullptr
                                                  ? nullptr
                                                  : instance->resources->FindDialog(template_id);
  if (source == nullptr || proc == nullptr) {
    screen.problems.push_back("no dialog template " + std::to_string(template_id));
    return -1;
  }
  if (owner != nullptr && screen.DialogOf(owner) == nullptr) {
    screen.problems.push_back("dialog " + std::to_string(template_id) + ": owner is not open");
    return -1;
  }
  auto script = std::find_if(screen.scripts.begin(), screen.scripts.end(),
                             [template_id](const auto& s) { return s.first == template_id; });
  if (script == screen.scripts.end()) {
    screen.problems.push_back("dialog " + std::to_string(template_id) + " shown without a script");
    return -1;
  }
  HeadlessDesktop::DialogScript run = std::move(script->second);
  screen.scripts.erase(script);

  auto dialog = std::make_unique<HeadlessDialog>();
  dialog->source = source;
  dialog->menu = source->menu.empty() ? nullptr : instance->resources->FindMenu(source->menu);
  dialog->proc = proc;
  dialog->owner = owner;
  dialog->handle = {dialog.get(), -1};
  for (std::size_t i = 0; i < source->controls.size(); ++i) {
    const kinloom::ui::ControlTemplate& control = source->controls[i];
    dialog->controls.push_back({&control,
                                {dialog.get(), static_cast<int>(i)},
                                std::string(control.text),
                                false,
                                (control.style & kinloom::ui::style::kDisabled) == 0});
    if (control.control_class == kinloom::ui::ControlClass::kEdit)
      dialog->controls.back().text.clear();
  }
  screen.dialogs_shown.push_back(template_id);
  screen.open.push_back(dialog.get());

  screen.Deliver(dialog.get(), WM_INITDIALOG, 0, init);
  if (!dialog->ended) run(&dialog->handle);
  INT_PTR result = dialog->result;
  if (!dialog->ended) {
    screen.problems.push_back("dialog " + std::to_string(template_id) + " left open by its script");
    result = -1;
  }
  screen.open.erase(std::find(screen.open.begin(), screen.open.end(), dialog.get()));
  return result;
}

BOOL WINAPI EndDialog(HWND window, INT_PTR result) {
  HeadlessDialog* dialog = Screen().Dialog(window, "EndDialog");
  if (dialog == nullptr) return FALSE;
  dialog->ended = true;
  dialog->result = result;
  return TRUE;
}

HWND WINAPI GetDlgItem(HWND window, int id) {
  HeadlessControl* control =
      HeadlessDesktop::State::Control(Screen().Dialog(window, "GetDlgItem"), id);
  return control == nullptr ? nullptr : &control->handle;
}

UINT WINAPI GetDlgItemTextA(HWND window, int id, LPSTR buffer, int size) {
  HeadlessControl* control =
      HeadlessDesktop::State::Control(Screen().Dialog(window, "GetDlgItemTextA"), id);
  return static_cast<UINT>(
      kinloom::ui::CopyToBuffer(control == nullptr ? "" : control->text, buffer, size));
}

BOOL WINAPI SetDlgItemTextA(HWND window, int id, LPCSTR text) {
  HeadlessControl* control =
      HeadlessDesktop::State::Control(Screen().Dialog(window, "SetDlgItemTextA"), id);
  if (control == nullptr) return FALSE;
  control->text = text == nullptr ? "" : text;
  return TRUE;
}

BOOL WINAPI CheckDlgButton(HWND window, int id, UINT check) {
  HeadlessControl* control =
      HeadlessDesktop::State::Control(Screen().Dialog(window, "CheckDlgButton"), id);
  if (control == nullptr || !kinloom::ui::IsCheckable(*control->source)) return FALSE;
  control->checked = check == BST_CHECKED;
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND window, int id) {
  HeadlessControl* control =
      HeadlessDesktop::State::Control(Screen().Dialog(window, "IsDlgButtonChecked"), id);
  return control != nullptr && control->checked ? BST_CHECKED : BST_UNCHECKED;
}

BOOL WINAPI CheckRadioButton(HWND window, int first, int last, int check) {
  HeadlessDialog* dialog = Screen().Dialog(window, "CheckRadioButton");
  if (dialog == nullptr) return FALSE;
  for (HeadlessControl& control : dialog->controls) {
    const int id = control.source->id;
    if (id >= first && id <= last && kinloom::ui::IsCheckable(*control.source)) {
      control.checked = id == check;
    }
  }
  return TRUE;
}

BOOL WINAPI EnableWindow(HWND window, BOOL enable) {
  HeadlessDesktop::State& screen = Screen();
  HeadlessDialog* dialog = screen.DialogOf(window);
  if (dialog == nullptr) {
    screen.problems.push_back("EnableWindow: no such window");
    return FALSE;
  }
  bool& enabled = window == &dialog->handle
                      ? dialog->enabled
                      : dialog->controls[static_cast<std::size_t>(window->control)].enabled;
  const BOOL was_disabled = enabled ? FALSE : TRUE;
  enabled = enable != FALSE;
  return was_disabled;
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
  HeadlessDesktop::State& screen = Screen();
  HeadlessDialog* dialog = screen.DialogOf(window);
  if (dialog == nullptr) {
    screen.problems.push_back("SetWindowTextA: no such window");
    return FALSE;
  }
  const std::string value = text == nullptr ? "" : text;
  if (window == &dialog->handle) {
    dialog->caption = value;
  } else {
    dialog->controls[static_cast<std::size_t>(window->control)].text = value;
  }
  return TRUE;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
  HeadlessDialog* dialog = Screen().Dialog(window, "SetWindowLongPtrA");
  if (dialog == nullptr || index != DWLP_USER) return 0;
  return std::exchange(dialog->user, value);
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index) {
  HeadlessDialog* dialog = Screen().Dialog(window, "GetWindowLongPtrA");
  return dialog == nullptr || index != DWLP_USER ? 0 : dialog->user;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  HeadlessDesktop::State& screen = Screen();
  if (owner != nullptr && screen.DialogOf(owner) == nullptr) {
    screen.problems.push_back("MessageBoxA: owner is not open");
  }
  screen.message_boxes.push_back(
      {owner, text == nullptr ? "" : text, caption == nullptr ? "Error" : caption, type});
  if (screen.message_box_hook) screen.message_box_hook(screen.message_boxes.back());
  return IDOK;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (instance != nullptr || !IS_INTRESOURCE(name)) return nullptr;
  if (name != IDC_ARROW && name != IDC_WAIT) return nullptr;
  return reinterpret_cast<HCURSOR>(const_cast<LPSTR>(name));
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  HeadlessDesktop::State& screen = Screen();
  screen.cursors_set.push_back(cursor);
  return std::exchange(screen.cursor, cursor);
}

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA options) {
  HeadlessDesktop::State& screen = Screen();
  if (options == nullptr || options->lpstrFile == nullptr || options->nMaxFile == 0) return FALSE;
  HeadlessDesktop::OpenFileCall call;
  call.owner = options->hwndOwner;
  call.filter = kinloom::ui::FilterPairs(options->lpstrFilter);
  call.filter_index = options->nFilterIndex;
  call.initial_file =
      std::string(options->lpstrFile,
                  std::find(options->lpstrFile, options->lpstrFile + options->nMaxFile, '\0'));
  call.initial_dir = options->lpstrInitialDir == nullptr ? "" : options->lpstrInitialDir;
  call.title = options->lpstrTitle == nullptr ? "" : options->lpstrTitle;
  call.default_extension = options->lpstrDefExt == nullptr ? "" : options->lpstrDefExt;
  call.flags = options->Flags;
  call.max_file = options->nMaxFile;
  call.max_file_title = options->nMaxFileTitle;
  screen.open_file_calls.push_back(call);

  if (screen.open_file_answers.empty()) {
    screen.problems.push_back("open-file dialog shown without an answer");
    return FALSE;
  }
  std::optional<std::string> answer = std::move(screen.open_file_answers.front());
  screen.open_file_answers.pop_front();
  if (!answer) return FALSE;

  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path chosen = fs::absolute(*answer, error);
  if ((options->Flags & OFN_FILEMUSTEXIST) != 0 && !fs::is_regular_file(chosen, error)) {
    screen.problems.push_back("open-file dialog answered with a missing file: " + *answer);
    return FALSE;
  }
  const std::string path = chosen.string();
  if (path.size() + 1 > options->nMaxFile) return FALSE;  // as the platform: buffer too small
  kinloom::ui::CopyToBuffer(path, options->lpstrFile, static_cast<int>(options->nMaxFile));
  const std::string name = chosen.filename().string();
  options->nFileOffset = static_cast<WORD>(path.size() - name.size());
  const std::size_t dot = name.rfind('.');
  options->nFileExtension =
      static_cast<WORD>(dot == std::string::npos ? path.size() : options->nFileOffset + dot + 1);
  if (options->lpstrFileTitle != nullptr) {
    kinloom::ui::CopyToBuffer(name, options->lpstrFileTitle,
                              static_cast<int>(options->nMaxFileTitle));
  }
  if ((options->Flags & OFN_NOCHANGEDIR) == 0) fs::current_path(chosen.parent_path(), error);
  return TRUE;
}

HINSTANCE WINAPI ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                               LPCSTR directory, INT show) {
  HeadlessDesktop::State& screen = Screen();
  screen.shell_calls.push_back(
      {owner, operation == nullptr ? "" : operation, file == nullptr ? "" : file,
       parameters == nullptr ? "" : parameters, directory == nullptr ? "" : directory, show});
  std::error_code error;
  std::filesystem::path path = file == nullptr ? "" : file;
  if (directory != nullptr && path.is_relative()) path = std::filesystem::path(directory) / path;
  const bool found = file != nullptr && std::filesystem::exists(path, error);
  return reinterpret_cast<HINSTANCE>(found ? INT_PTR{42} : SE_ERR_FNF);
}
