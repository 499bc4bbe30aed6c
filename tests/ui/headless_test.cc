// The headless back end stands in for the window system in every dialog
// test, so its own rules are checked here on a small dialog of its own.
#include "ui/headless.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/resources.h"

namespace kinloom::ui {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr ControlTemplate kControls[] = {
    {10, ControlClass::kButton, "auto", style::kAutoCheckBox | style::kGroup},
    {11, ControlClass::kButton, "plain", style::kCheckBox},
    {20, ControlClass::kButton, "r1", style::kAutoRadioButton | style::kGroup},
    {21, ControlClass::kButton, "r2", style::kAutoRadioButton},
    {22, ControlClass::kButton, "r3", style::kAutoRadioButton | style::kGroup},
    {30, ControlClass::kEdit, "template text", style::kGroup},
    {40, ControlClass::kButton, "off", style::kPushButton | style::kDisabled},
    {41, ControlClass::kButton, "go", style::kDefaultPushButton},
    {kUnaddressed, ControlClass::kStatic, "label", style::kStaticLeft},
};
constexpr DialogTemplate kDialogs[] = {
    {7, "Test", "", 0, 0, 0, 100, 100, "System", 0, kControls},
    {8, "Child", "", 0, 0, 0, 50, 50, "System", 0, {}},
};
constexpr StringTableEntry kStrings[] = {{5, "Hello, world"}};
constexpr ResourceModule kModule{kDialogs, {}, kStrings, {}};

// Records every command; leaves WM_CLOSE unhandled, ends on command 41.
struct Recorder {
  std::vector<std::pair<int, int>> commands;  // id, notification
  bool handle_close = false;
};

INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lparam);
    return TRUE;
  }
  auto* recorder = reinterpret_cast<Recorder*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (message == WM_COMMAND) {
    recorder->commands.emplace_back(LOWORD(wparam), HIWORD(wparam));
    if (LOWORD(wparam) == 41 || LOWORD(wparam) == IDCANCEL) EndDialog(dialog, LOWORD(wparam));
    return TRUE;
  }
  return FALSE;
}

class HeadlessTest : public ::testing::Test {
 protected:
  INT_PTR Run(int id, HeadlessDesktop::DialogScript script, HWND owner = nullptr) {
    desktop.ExpectDialog(id, std::move(script));
    return DialogBoxParamA(&instance, MAKEINTRESOURCEA(id), owner, RecordingProc,
                           reinterpret_cast<LPARAM>(&recorder));
  }

  HINSTANCE__ instance{&kModule};
  HeadlessDesktop desktop;
  Recorder recorder;
};

TEST_F(HeadlessTest, OnlyAutomaticCheckBoxesChangeThemselves) {
  Run(7, [&](HWND dialog) {
    desktop.Click(dialog, 10);
    desktop.Click(dialog, 11);
    EXPECT_TRUE(desktop.IsChecked(dialog, 10));
    EXPECT_FALSE(desktop.IsChecked(dialog, 11));
    EXPECT_EQ(IsDlgButtonChecked(dialog, 10), BST_CHECKED);
    desktop.Click(dialog, 41);
  });
  EXPECT_THAT(recorder.commands,
              ElementsAre(std::pair(10, BN_CLICKED), std::pair(11, BN_CLICKED), std::pair(41, 0)));
}

TEST_F(HeadlessTest, AutomaticRadioButtonClearsOnlyItsOwnGroup) {
  Run(7, [&](HWND dialog) {
    desktop.Click(dialog, 22);
    desktop.Click(dialog, 20);
    desktop.Click(dialog, 21);
    EXPECT_FALSE(desktop.IsChecked(dialog, 20));
    EXPECT_TRUE(desktop.IsChecked(dialog, 21));
    EXPECT_TRUE(desktop.IsChecked(dialog, 22));
    CheckRadioButton(dialog, 20, 22, 20);
    EXPECT_TRUE(desktop.IsChecked(dialog, 20));
    EXPECT_FALSE(desktop.IsChecked(dialog, 21));
    EXPECT_FALSE(desktop.IsChecked(dialog, 22));
    desktop.PressEnter(dialog);
  });
}

TEST_F(HeadlessTest, DisabledControlsCannotBeUsed) {
  const INT_PTR result = Run(7, [&](HWND dialog) {
    EXPECT_FALSE(desktop.Click(dialog, 40));
    EXPECT_FALSE(desktop.Click(dialog, 99));  // no such control
    EXPECT_EQ(EnableWindow(GetDlgItem(dialog, 30), FALSE), FALSE);
    EXPECT_EQ(EnableWindow(GetDlgItem(dialog, 30), FALSE), TRUE);  // was disabled already
    EXPECT_FALSE(desktop.Type(dialog, 30, "x"));
    EnableWindow(GetDlgItem(dialog, 40), TRUE);
    EXPECT_TRUE(desktop.Click(dialog, 40));
    EXPECT_TRUE(desktop.PressEnter(dialog));
  });
  EXPECT_EQ(result, 41);
  EXPECT_THAT(recorder.commands, ElementsAre(std::pair(40, 0), std::pair(41, 0)));
}

TEST_F(HeadlessTest, TextsAreCutToTheCallersBuffer) {
  Run(7, [&](HWND dialog) {
    EXPECT_EQ(desktop.Text(dialog, 30), "");  // edits start empty
    desktop.Type(dialog, 30, "abcdefgh");
    char buffer[8] = "#######";
    EXPECT_EQ(GetDlgItemTextA(dialog, 30, buffer, 5), 4u);
    EXPECT_STREQ(buffer, "abcd");
    SetDlgItemTextA(dialog, 41, "Start");
    EXPECT_EQ(desktop.Text(dialog, 41), "Start");
    EXPECT_EQ(LoadStringA(&instance, 5, buffer, 6), 5);
    EXPECT_STREQ(buffer, "Hello");
    EXPECT_EQ(LoadStringA(&instance, 6, buffer, 6), 0);
    desktop.Click(dialog, 41);
  });
  EXPECT_THAT(recorder.commands, ElementsAre(std::pair(30, EN_CHANGE), std::pair(41, 0)));
}

TEST_F(HeadlessTest, UnhandledCloseBoxBecomesCancel) {
  const INT_PTR result = Run(7, [&](HWND dialog) { desktop.CloseBox(dialog); });
  EXPECT_EQ(result, IDCANCEL);
}

TEST_F(HeadlessTest, OwnerCannotBeUsedWhileItsChildIsOpen) {
  Run(7, [&](HWND dialog) {
    Recorder child_recorder;
    desktop.ExpectDialog(8, [&](HWND child) {
      EXPECT_FALSE(desktop.Click(dialog, 41));
      EXPECT_FALSE(desktop.PressEnter(dialog));
      desktop.PressEscape(child);
    });
    EXPECT_EQ(DialogBoxParamA(&instance, MAKEINTRESOURCEA(8), dialog, RecordingProc,
                              reinterpret_cast<LPARAM>(&child_recorder)),
              IDCANCEL);
    desktop.Click(dialog, 41);
  });
  EXPECT_THAT(desktop.problems(), IsEmpty());
}

TEST_F(HeadlessTest, MisusedDialogsFailAndAreReported) {
  EXPECT_EQ(DialogBoxParamA(&instance, MAKEINTRESOURCEA(7), nullptr, RecordingProc,
                            reinterpret_cast<LPARAM>(&recorder)),
            -1);
  EXPECT_EQ(Run(7, [](HWND) {}), -1);
  EXPECT_EQ(Run(9, [](HWND) {}), -1);
  EXPECT_THAT(desktop.TakeProblems(),
              ElementsAre(HasSubstr("without a script"), HasSubstr("left open"),
                          HasSubstr("no dialog template 9")));
}

TEST_F(HeadlessTest, CursorsAreSystemCursorsOnly) {
  const HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
  ASSERT_NE(wait, nullptr);
  EXPECT_NE(wait, LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(LoadCursorA(&instance, IDC_WAIT), nullptr);
  const HCURSOR before = SetCursor(wait);
  EXPECT_EQ(before, LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(SetCursor(before), wait);
}

}  // namespace
}  // namespace kinloom::ui
