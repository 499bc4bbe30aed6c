// The desktop program: the main dialog, the program's only window and main
// loop, and the colour picker, caption editor and about box it opens.
//
// Everything the program keeps between messages lives in one ProgramState,
// created by WinMain and handed to each dialog as the lParam of its
// WM_INITDIALOG; each procedure keeps the pointer in its dialog's DWLP_USER
// slot. Nothing else holds state.
#ifndef KINLOOM_UI_PROGRAM_H_
#define KINLOOM_UI_PROGRAM_H_

#include <functional>
#include <optional>
#include <string>

#include "run/installed_data.h"
#include "run/run.h"
#include "run/settings.h"
#include "ui/dialog_api.h"

namespace kinloom::ui {

struct ProgramState {
  HINSTANCE instance = nullptr;  // the program's resources
  Settings settings;
  LabelTexts labels;
  // The colour picker's result: six hex digits, or empty when the picker
  // was closed without a choice.
  std::string picked_colour;
  // Where the files that come with the program are (help.htm, the default
  // background picture).
  InstalledData installed;
  // kinloom.cfg could not be read when the dialog opened: the message of a
  // run that stops at a placeholder address says so.
  std::optional<std::string> missing_configuration;
  // What Create Page runs; empty: CreateKinloom. Tests put a stand-in here.
  std::function<int(Run& run)> create_kinloom;
  // The directory that holds the program file, where Help looks for its
  // document when the current directory has none; empty: Help asks for
  // help.htm by that bare name, which the shell looks for in the current
  // directory.
  std::string program_directory;
  // Where each run's date comes from (SOURCE_DATE_EPOCH, read at start-up).
  RunDate date;
};

// Readies the window system for the program before its main dialog shows,
// and fills in what only the window system knows (program_directory).
// Each dialog back end has its own; WinMain calls it.
void PrepareWindows(ProgramState& state);

// Runs the main dialog (template 1) with no owner until it closes. On the
// way in it deletes kinloom.log and loads kinloom.cfg into state; on the way
// out it saves state to kinloom.cfg. Returns the dialog's result (1).
INT_PTR RunMainDialog(ProgramState& state);

INT_PTR CALLBACK MainDlgBoxProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Copies the main dialog's nine edit fields into settings, each cut to what
// its field holds (6 characters for a colour, 149 for BGPIC and GEDFILE, 99
// for HOME, EMAIL and PEDIGREELIST). A GEDCOM path in double quotes loses
// them, in the field too.
void CopyFieldsToSettings(HWND dialog, Settings& settings);

// The Browse command: lets the user choose the GEDCOM file. A chosen path
// becomes GEDFILE and shows in its field (relative to the current directory
// when it lies under it), unless it is longer than the field
// holds: then a warning says so and GEDFILE keeps its value. The current
// directory is the same afterwards. Returns 1 when the open-file dialog was
// shown, 0 when its filter could not be loaded.
int BrowseGedcomFile(HWND dialog, ProgramState& state);

// The document Help opens: help.htm of the current directory; when there
// is none there, help.htm in program_directory if that has one. Named in
// full when program_directory is given.
[[nodiscard]] std::string HelpDocument(const std::string& program_directory);

// The absolute path of the current directory.
std::string CurrentDirectory();

// path as the settings keep it: relative to folder when it lies under it
// ("tree/family.ged"), otherwise as it is.
[[nodiscard]] std::string PathFromWorkingFolder(const std::string& path, const std::string& folder);

// Runs the colour picker over owner; returns the chosen colour's six hex
// digits, or an empty text when it was closed without a choice.
std::string PickColour(ProgramState& state, HWND owner);
INT_PTR CALLBACK ColourPickerProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Runs the caption editor over owner. OK stores every field, cut to 99
// characters, as its caption text; Cancel and the close box change nothing.
void EditLabelTexts(ProgramState& state, HWND owner);
INT_PTR CALLBACK EditTextProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Runs the pictures folder dialog over owner. OK stores the field, cut to
// 150 characters, as PHOTODIR; Cancel and the close box change nothing.
// Browse lets the user choose a file in the folder and puts its folder in
// the field.
void EditPicturesFolder(ProgramState& state, HWND owner);
INT_PTR CALLBACK PicturesFolderProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Runs the about box over owner.
void ShowAboutBox(ProgramState& state, HWND owner);
INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Message texts of the main dialog's own warnings.
inline constexpr const char* kProgramTitle = "Kinloom";
inline constexpr const char* kCannotSaveSettings = "Settings could not be saved to kinloom.cfg.";
inline constexpr const char* kGedcomPathTooLong = "The path of the GEDCOM file is too long.";
inline constexpr const char* kPicturesPathTooLong = "The path of the pictures folder is too long.";

}  // namespace kinloom::ui

// The program: runs the main dialog with the resources of `instance` and
// returns 0 when it closes. The other arguments are not used.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show);

#endif  // KINLOOM_UI_PROGRAM_H_
