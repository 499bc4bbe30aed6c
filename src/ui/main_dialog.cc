#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/platform.h"
#include "run/driver.h"
#include "run/installed_data.h"
#include "run/log.h"
#include "run/notices.h"
#include "run/run_lock.h"
#include "text/strings.h"
#include "ui/config.h"
#include "ui/kinloom_resources.h"
#include "ui/program.h"

namespace kinloom::ui {

namespace {

// Buffer sizes given to GetDlgItemTextA, the NUL included: a field yields
// one character less.
constexpr int kColourBuffer = 7;
constexpr int kPathBuffer = 150;
constexpr int kTextBuffer = 100;

// The nine edit fields, in the order they are copied into Settings.
struct EditField {
  int id;
  std::string Settings::*field;
  int buffer;
};
constexpr EditField kEditFields[] = {
    {id::kBgColor, &Settings::bgcolor, kColourBuffer},
    {id::kBgPic, &Settings::bgpic, kPathBuffer},
    {id::kGedFile, &Settings::gedfile, kPathBuffer},
    {id::kHome, &Settings::home, kTextBuffer},
    {id::kEmail, &Settings::email, kTextBuffer},
    {id::kLinkColor, &Settings::linkc, kColourBuffer},
    {id::kTextColor, &Settings::textc, kColourBuffer},
    {id::kVlinkColor, &Settings::vlinkc, kColourBuffer},
    {id::kPedigreeList, &Settings::pedigreelist, kTextBuffer},
};

// The check boxes that toggle a flag and nothing else.
struct FlagBox {
  int id;
  char Settings::*flag;
};
constexpr FlagBox kFlagBoxes[] = {
    {id::kNotes, &Settings::notes},
    {id::kUcSurname, &Settings::ucsurname},
    {id::kSoundex, &Settings::soundex},
    {id::kSources, &Settings::sources},
    {id::kPhotos, &Settings::photos},
    {id::kSubDirs, &Settings::subdirs},
    {id::kHideLiving, &Settings::privacy},
    {id::kChangedOnly, &Settings::changedonly},
    {id::kSkipMissing, &Settings::skipmissing},
};

struct PickButton {
  int id;
  int edit;
  std::string Settings::*field;
};
constexpr PickButton kPickButtons[] = {
    {id::kPickBgColor, id::kBgColor, &Settings::bgcolor},
    {id::kPickTextColor, id::kTextColor, &Settings::textc},
    {id::kPickLinkColor, id::kLinkColor, &Settings::linkc},
    {id::kPickVlinkColor, id::kVlinkColor, &Settings::vlinkc},
};

// The Browse dialog's file-name buffer: room for any path the system
// allows, so that a path too long for GEDFILE is refused with a word rather
// than failing inside the open-file dialog.
constexpr int kChosenFileBufferSize = 4096;
constexpr int kFilterBufferSize = 256;
constexpr int kFileTitleBufferSize = 256;

ProgramState& StateOf(HWND dialog) {
  return *reinterpret_cast<ProgramState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

UINT CheckState(bool checked) { return checked ? BST_CHECKED : BST_UNCHECKED; }

void ShowBackgroundChoice(HWND dialog, bool picture) {
  EnableWindow(GetDlgItem(dialog, id::kBgPic), picture ? TRUE : FALSE);
  EnableWindow(GetDlgItem(dialog, id::kBgColor), picture ? FALSE : TRUE);
  EnableWindow(GetDlgItem(dialog, id::kPickBgColor), picture ? FALSE : TRUE);
}

// Flips a check box and returns its new flag value.
char ToggleCheckBox(HWND dialog, int id) {
  if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) {
    CheckDlgButton(dialog, id, BST_UNCHECKED);
    return 'N';
  }
  CheckDlgButton(dialog, id, BST_CHECKED);
  return 'Y';
}

void InitMainDialog(HWND dialog, ProgramState& state) {
  // The log holds only the runs made since the program started; while
  // another run works in this folder, its log is left alone.
  {
    RunLock lock;
    if (lock.TryTake()) RunLog().Clear();
  }
  LoadConfiguration(state.settings, state.labels);
  state.missing_configuration = MissingConfigurationNotice();
  const Settings& s = state.settings;
  // Where the settings, the log and the site are.
  SetWindowTextA(dialog, (std::string(kProgramTitle) + " - " + CurrentDirectory()).c_str());

  for (const EditField& edit : kEditFields) {
    SetDlgItemTextA(dialog, edit.id, (s.*edit.field).c_str());
  }
  const bool picture = s.background == 'G';
  CheckRadioButton(dialog, id::kColoredBackground, id::kGraphicBackground,
                   picture ? id::kGraphicBackground : id::kColoredBackground);
  ShowBackgroundChoice(dialog, picture);
  for (const FlagBox& box : kFlagBoxes) {
    CheckDlgButton(dialog, box.id, CheckState(s.*box.flag == 'Y'));
  }
  CheckDlgButton(dialog, id::kPedigreeAll, CheckState(s.pedigreeall == 'Y'));
  EnableWindow(GetDlgItem(dialog, id::kPedigreeList), s.pedigreeall == 'Y' ? FALSE : TRUE);
  CheckDlgButton(dialog, id::kHtmlExtension, CheckState(s.extension == "html"));

  // Lines of kinloom.cfg that set nothing: on standard error, and once here.
  std::string warnings;
  for (const std::string& warning : ConfigurationWarnings()) {
    std::fprintf(stderr, "%s\n", warning.c_str());
    if (!warnings.empty()) warnings += '\n';
    warnings += warning;
  }
  if (!warnings.empty()) {
    MessageBoxA(dialog, warnings.c_str(), kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
  }
}

// The result's message, and under it what names the cause: a missing
// kinloom.cfg explains a stop at a placeholder address (the fields show the
// defaults it left), and the run's own notices.
std::string ResultMessageText(const ResultMessage& message, const ProgramState& state,
                              const RunNotices& notices, int result) {
  std::string text(message.text);
  const bool placeholder = result == kResultPlaceholderEmail || result == kResultPlaceholderHome;
  if (placeholder && state.missing_configuration) text += "\n" + *state.missing_configuration;
  if (!notices.empty()) text += "\n" + notices.Text();
  return text;
}

void CreatePage(HWND dialog, ProgramState& state) {
  const HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  CopyFieldsToSettings(dialog, state.settings);
  Run run(state.settings, state.labels);
  run.installed = state.installed;
  run.date = state.date;
  int result = kResultOk;
  {
    // Held until the run's last log lines are written, and no longer: a
    // run started meanwhile elsewhere need not wait for the message box.
    RunLock lock;
    RunNotices lock_notices;
    result = TakeRunLock(lock, lock_notices);
    if (result == kResultOk) {
      result = state.create_kinloom ? state.create_kinloom(run) : CreateKinloom(run);
      if (result == kResultCannotWrite) LogCannotWriteFollowUp(run);
    } else {
      run.notices = std::move(lock_notices);
    }
  }
  SetCursor(previous);

  const ResultMessage message = RunResultMessage(result);
  const UINT icon = message.icon == MessageIcon::kWarning ? MB_ICONEXCLAMATION : 0;
  std::string text = ResultMessageText(message, state, run.notices, result);
  if (const long skipped = run.missing_records.skipped(); skipped > 0) {
    text += '\n';
    text += SkippedReferencesText(skipped);
  }
  if (result == kResultOk) {
    text += "\nThe site is in " + CurrentDirectory() + platform::DirectorySeparator() + "html.";
  }
  MessageBoxA(dialog, text.c_str(), std::string(kResultMessageTitle).c_str(), MB_OK | icon);
}

// Help: the user guide in the desktop's browser, or a word on where it was
// looked for and why it did not show.
void ShowHelp(HWND dialog, const ProgramState& state) {
  // The user's own help.htm first, as always; else the one beside the
  // program (Windows), else the installed guide.
  std::string help = HelpDocument(state.program_directory);
  if (help == kHelpFileName) {
    if (const auto installed = HelpFilePath(state.installed)) help = *installed;
  }
  std::error_code error;
  if (!std::filesystem::is_regular_file(help, error)) {
    std::vector<std::string> places{CurrentDirectory()};
    if (!state.program_directory.empty()) places.push_back(state.program_directory);
    for (const std::string& folder : state.installed.folders()) places.push_back(folder);
    std::string text =
        std::string("The user guide ") + kHelpFileName + " was not found. Help looked in:";
    for (std::size_t i = 0; i < places.size(); ++i) {
      if (std::find(places.begin(), places.begin() + static_cast<long>(i), places[i]) ==
          places.begin() + static_cast<long>(i)) {
        text += "\n" + places[i];
      }
    }
    MessageBoxA(dialog, text.c_str(), kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  const HINSTANCE shown =
      ShellExecuteA(dialog, nullptr, help.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(shown) <= 32) {
    const std::string text = "The user guide " + help +
                             " could not be shown: the system has no program to open it. Open it "
                             "in a web browser.";
    MessageBoxA(dialog, text.c_str(), kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
  }
}

void CloseMainDialog(HWND dialog, ProgramState& state) {
  CopyFieldsToSettings(dialog, state.settings);
  if (!SaveConfiguration(state.settings, state.labels)) {
    const std::string text = std::string(kCannotSaveSettings) + "\n" +
                             CannotWriteNotice(kConfigFileName, platform::LastError());
    MessageBoxA(dialog, text.c_str(), kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
  }
  EndDialog(dialog, 1);
}

void OnCommand(HWND dialog, ProgramState& state, int command) {
  Settings& s = state.settings;
  for (const FlagBox& box : kFlagBoxes) {
    if (command == box.id) {
      s.*box.flag = ToggleCheckBox(dialog, box.id);
      return;
    }
  }
  for (const PickButton& pick : kPickButtons) {
    if (command == pick.id) {
      const std::string colour = PickColour(state, dialog);
      if (!colour.empty()) {
        s.*pick.field = colour;
        SetDlgItemTextA(dialog, pick.edit, colour.c_str());
      }
      return;
    }
  }
  switch (command) {
    case id::kColoredBackground:
      s.background = 'C';
      ShowBackgroundChoice(dialog, false);
      break;
    case id::kGraphicBackground:
      s.background = 'G';
      ShowBackgroundChoice(dialog, true);
      break;
    case id::kPedigreeAll:
      s.pedigreeall = ToggleCheckBox(dialog, id::kPedigreeAll);
      // The list keeps its text while disabled.
      EnableWindow(GetDlgItem(dialog, id::kPedigreeList), s.pedigreeall == 'Y' ? FALSE : TRUE);
      break;
    case id::kHtmlExtension:
      s.extension = ToggleCheckBox(dialog, id::kHtmlExtension) == 'Y' ? "html" : "htm";
      break;
    case id::kBrowse:
      BrowseGedcomFile(dialog, state);
      break;
    case id::kCreatePage:
      CreatePage(dialog, state);
      break;
    case id::kQuit:
    case id::kMenuExit:
      CloseMainDialog(dialog, state);
      break;
    case id::kMenuHelp:
      ShowHelp(dialog, state);
      break;
    case id::kMenuAbout:
      ShowAboutBox(state, dialog);
      break;
    case id::kMenuEditText:
      EditLabelTexts(state, dialog);
      break;
    case id::kMenuPicturesFolder:
      EditPicturesFolder(state, dialog);
      break;
    default:
      break;
  }
}

}  // namespace

INT_PTR RunMainDialog(ProgramState& state) {
  return DialogBoxParamA(state.instance, MAKEINTRESOURCEA(kMainDialog), nullptr, MainDlgBoxProc,
                         reinterpret_cast<LPARAM>(&state));
}

INT_PTR CALLBACK MainDlgBoxProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lparam);
      InitMainDialog(dialog, *reinterpret_cast<ProgramState*>(lparam));
      return TRUE;
    case WM_COMMAND:
      // Only the ID counts, never the notification code.
      OnCommand(dialog, StateOf(dialog), LOWORD(wparam));
      return TRUE;
    case WM_CLOSE:
      CloseMainDialog(dialog, StateOf(dialog));
      return TRUE;
    default:
      return FALSE;
  }
}

void CopyFieldsToSettings(HWND dialog, Settings& settings) {
  for (const EditField& edit : kEditFields) {
    std::vector<char> buffer(static_cast<std::size_t>(edit.buffer), '\0');
    GetDlgItemTextA(dialog, edit.id, buffer.data(), edit.buffer);
    settings.*edit.field = buffer.data();
  }
  // A path pasted as Explorer copies it, in double quotes: the field shows
  // what is used.
  const std::string_view unquoted = WithoutSurroundingQuotes(settings.gedfile);
  if (unquoted.size() != settings.gedfile.size()) {
    settings.gedfile = std::string(unquoted);
    SetDlgItemTextA(dialog, id::kGedFile, settings.gedfile.c_str());
  }
}

std::string HelpDocument(const std::string& program_directory) {
  constexpr const char* kHelpFile = "help.htm";
  if (program_directory.empty()) return kHelpFile;
  // Named in full: the shell may look for a bare name elsewhere first.
  std::error_code error;
  const std::filesystem::path here = std::filesystem::absolute(kHelpFile, error);
  if (!error && std::filesystem::exists(here, error)) return here.string();
  const std::filesystem::path beside = std::filesystem::path(program_directory) / kHelpFile;
  return std::filesystem::is_regular_file(beside, error) ? beside.string() : kHelpFile;
}

std::string PathFromWorkingFolder(const std::string& path, const std::string& folder) {
  if (folder.empty()) return path;
  const std::filesystem::path relative =
      std::filesystem::path(path).lexically_relative(std::filesystem::path(folder));
  if (relative.empty() || *relative.begin() == "..") return path;
  return relative.string();
}

std::string CurrentDirectory() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::current_path(error);
  return error ? std::string() : path.string();
}

int BrowseGedcomFile(HWND dialog, ProgramState& state) {
  const std::string remembered = CurrentDirectory();

  char filter[kFilterBufferSize] = {};
  const int length = LoadStringA(state.instance, kGedcomFilterString, filter, kFilterBufferSize);
  if (length <= 0) return 0;
  // The string's last character separates the entries; each becomes a NUL,
  // and the NUL after the string closes the list.
  const char separator = filter[length - 1];
  for (int i = 0; i < length; ++i) {
    if (filter[i] == separator) filter[i] = '\0';
  }

  std::vector<char> file(kChosenFileBufferSize, '\0');
  std::vector<char> title(kFileTitleBufferSize, '\0');
  OPENFILENAMEA options = {};
  options.lStructSize = sizeof(options);
  options.hwndOwner = dialog;
  options.lpstrFilter = filter;
  options.nFilterIndex = 1;
  options.lpstrFile = file.data();
  options.nMaxFile = kChosenFileBufferSize;
  options.lpstrFileTitle = title.data();
  options.nMaxFileTitle = kFileTitleBufferSize;
  options.lpstrInitialDir = remembered.c_str();
  options.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;

  if (GetOpenFileNameA(&options)) {
    const std::string path = PathFromWorkingFolder(file.data(), remembered);
    // GEDFILE reaches Settings through its field, which holds one character
    // less than the buffer it is read with.
    if (path.size() > static_cast<std::size_t>(kPathBuffer - 1)) {
      MessageBoxA(dialog, kGedcomPathTooLong, kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
    } else {
      state.settings.gedfile = path;
      SetDlgItemTextA(dialog, id::kGedFile, path.c_str());
    }
  }
  // The open-file dialog may have moved the current directory; the
  // configuration, the log, the work files and the html tree stay here.
  std::error_code ignored;
  if (!remembered.empty()) std::filesystem::current_path(remembered, ignored);
  return 1;
}

}  // namespace kinloom::ui

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  kinloom::ui::ProgramState state;
  state.instance = instance;
  kinloom::ui::PrepareWindows(state);
  state.installed = kinloom::InstalledData::ForExecutable(kinloom::platform::ExecutablePath());
  const kinloom::EpochValue epoch = kinloom::ParseSourceDateEpoch(std::getenv("SOURCE_DATE_EPOCH"));
  if (!epoch.problem.empty()) std::fprintf(stderr, "kinloom: %s\n", epoch.problem.c_str());
  state.date.fixed_epoch = epoch.seconds;
  kinloom::ui::RunMainDialog(state);
  return 0;
}
