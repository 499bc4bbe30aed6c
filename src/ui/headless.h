// The headless dialog back end: the calls of dialog_api.h without any
// window, for tests. Dialogs are made from their templates and kept as
// plain control records; a test acts on them as a user would (clicks,
// typing, Enter, Escape, the close box, menu items) and reads back each
// control's text, check state and enabled state.
//
// A modal dialog cannot wait for a user here, so every dialog that a
// procedure opens must have a script waiting for it: the script runs once
// the dialog has handled WM_INITDIALOG and has to end the dialog. Message
// boxes are recorded and answered with OK; the open-file dialog takes the
// next queued answer.
//
// The dialog calls reach the HeadlessDesktop object that is alive at the
// time (at most one exists at once), as the real calls reach the one screen.
#ifndef KINLOOM_UI_HEADLESS_H_
#define KINLOOM_UI_HEADLESS_H_

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/dialog_api.h"

namespace kinloom::ui {

class HeadlessDesktop {
 public:
  using DialogScript = std::function<void(HWND dialog)>;

  struct MessageBoxCall {
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT type = 0;
  };
  struct OpenFileCall {
    HWND owner = nullptr;
    std::vector<std::pair<std::string, std::string>> filter;
    DWORD filter_index = 0;
    std::string initial_file;  // lpstrFile on the way in
    std::string initial_dir;
    std::string title;  // empty when none was given
    std::string default_extension;
    DWORD flags = 0;
    DWORD max_file = 0;
    DWORD max_file_title = 0;
  };
  struct ShellCall {
    HWND owner = nullptr;
    std::string operation;  // empty: the default one
    std::string file;
    std::string parameters;
    std::string directory;
    INT show = 0;
  };

  HeadlessDesktop();
  ~HeadlessDesktop();
  HeadlessDesktop(const HeadlessDesktop&) = delete;
  HeadlessDesktop& operator=(const HeadlessDesktop&) = delete;

  // The next dialog made from template `template_id` runs `script`. Scripts
  // for the same template are used in the order given. A dialog without a
  // script is not made (DialogBoxParamA returns -1), and a script that
  // leaves its dialog open makes DialogBoxParamA return -1; both are listed
  // in problems().
  void ExpectDialog(int template_id, DialogScript script);

  // Called while each message box is up, before it is answered with OK.
  void OnMessageBox(std::function<void(const MessageBoxCall&)> hook);

  // Answers for the open-file dialogs to come, in order: a chosen file, or
  // a cancel. A file the dialog requires to exist must exist.
  void AnswerOpenFile(std::string path);
  void CancelOpenFile();

  // --- Acting on an open dialog, as a user would ---------------------
  // Each returns false, doing nothing, when the dialog is not open, is not
  // the topmost one, or the control does not exist or is disabled.
  //
  // A push button sends its command; a check box or radio button first
  // changes itself if it is automatic; clicking a label or field sends
  // nothing.
  bool Click(HWND dialog, int id);
  // Replaces an edit field's text and notifies the dialog (EN_CHANGE).
  bool Type(HWND dialog, int id, std::string_view text);
  bool ChooseMenu(HWND dialog, int id);
  // Enter: the command of the default push button.
  bool PressEnter(HWND dialog);
  // Escape: the IDCANCEL command.
  bool PressEscape(HWND dialog);
  // The close box: WM_CLOSE (IDCANCEL when the procedure leaves it).
  bool CloseBox(HWND dialog);
  // Any message, straight to the dialog procedure; its result.
  INT_PTR Send(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

  // --- Reading -----------------------------------------------------------
  // Empty, false and false for a control that does not exist.
  std::string Text(HWND dialog, int id) const;
  bool IsChecked(HWND dialog, int id) const;
  bool IsEnabled(HWND dialog, int id) const;
  bool HasControl(HWND dialog, int id) const;
  std::string Caption(HWND dialog) const;
  bool IsOpen(HWND dialog) const;

  HCURSOR cursor() const;
  // Every cursor set, in order.
  const std::vector<HCURSOR>& cursors_set() const;
  const std::vector<MessageBoxCall>& message_boxes() const;
  const std::vector<OpenFileCall>& open_file_calls() const;
  const std::vector<ShellCall>& shell_calls() const;
  // Template IDs of the dialogs made, in order.
  const std::vector<int>& dialogs_shown() const;
  // Misuse found: a dialog without a script, one left open, an open-file
  // dialog without an answer, a call on a window that does not exist.
  const std::vector<std::string>& problems() const;
  // The problems found so far, for a test that provokes them; clears them.
  std::vector<std::string> TakeProblems();

  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace kinloom::ui

#endif  // KINLOOM_UI_HEADLESS_H_
