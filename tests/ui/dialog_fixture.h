// A scratch directory as the current directory, the headless desktop and a
// ProgramState bound to Kinloom's resources: what each dialog test needs.
#ifndef KINLOOM_TESTS_UI_DIALOG_FIXTURE_H_
#define KINLOOM_TESTS_UI_DIALOG_FIXTURE_H_

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "support/scratch_dir.h"
#include "ui/headless.h"
#include "ui/kinloom_resources.h"
#include "ui/program.h"

namespace kinloom::ui {

class DialogTest : public ::testing::Test {
 protected:
  DialogTest() { state.instance = &instance; }

  // Every test leaves the desktop without misuse: no dialog without its
  // script, none left open, no open-file dialog without an answer.
  void TearDown() override { EXPECT_THAT(desktop.problems(), ::testing::IsEmpty()); }

  // Runs the main dialog with `script`; returns the dialog's result.
  INT_PTR RunMain(HeadlessDesktop::DialogScript script) {
    desktop.ExpectDialog(kMainDialog, std::move(script));
    return RunMainDialog(state);
  }

  // Runs the main dialog, lets `act` work on it, then quits.
  void WithMainDialog(const std::function<void(HWND)>& act) {
    RunMain([&](HWND dialog) {
      act(dialog);
      if (desktop.IsOpen(dialog)) desktop.Click(dialog, id::kQuit);
    });
  }

  kinloom::testing::ScratchDir scratch;
  HINSTANCE__ instance{&KinloomResources()};
  HeadlessDesktop desktop;
  ProgramState state;
};

inline HCURSOR WaitCursor() { return LoadCursorA(nullptr, IDC_WAIT); }
inline HCURSOR ArrowCursor() { return LoadCursorA(nullptr, IDC_ARROW); }

}  // namespace kinloom::ui

#endif  // KINLOOM_TESTS_UI_DIALOG_FIXTURE_H_
