#include <array>
#include <string>

#include "ui/kinloom_resources.h"
#include "ui/program.h"

namespace kinloom::ui {

namespace {

// Room for a caption text of kLabelCapacity characters and its NUL.
constexpr int kLabelBuffer = static_cast<int>(kLabelCapacity) + 1;
// Room for PHOTODIR and its NUL.
constexpr int kPhotoDirBuffer = static_cast<int>(kPhotoDirCapacity) + 1;

ProgramState& StateOf(HWND dialog) {
  return *reinterpret_cast<ProgramState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

INT_PTR RunDialog(ProgramState& state, int dialog, HWND owner, DLGPROC proc) {
  return DialogBoxParamA(state.instance, MAKEINTRESOURCEA(dialog), owner, proc,
                         reinterpret_cast<LPARAM>(&state));
}

}  // namespace

std::string PickColour(ProgramState& state, HWND owner) {
  // A picker that cannot be shown must not hand back the previous choice.
  state.picked_colour.clear();
  RunDialog(state, kColourDialog, owner, ColourPickerProc);
  return state.picked_colour;
}

INT_PTR CALLBACK ColourPickerProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lparam);
      return TRUE;
    case WM_COMMAND:
      // The whole wParam must be the button's ID: only a plain click counts.
      if (wparam >= static_cast<WPARAM>(id::kFirstColour) &&
          wparam <= static_cast<WPARAM>(id::kLastColour)) {
        StateOf(dialog).picked_colour =
            std::string(kPickerColours[wparam - id::kFirstColour].value);
        EndDialog(dialog, 1);
        return TRUE;
      }
      return FALSE;  // Escape included: the picker stays open
    case WM_CLOSE:
      StateOf(dialog).picked_colour.clear();
      EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

void EditLabelTexts(ProgramState& state, HWND owner) {
  RunDialog(state, kEditTextDialog, owner, EditTextProc);
}

INT_PTR CALLBACK EditTextProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrA(dialog, DWLP_USER, lparam);
      const LabelTexts& labels = reinterpret_cast<ProgramState*>(lparam)->labels;
      for (const LabelField& field : kLabelFields) {
        SetDlgItemTextA(dialog, field.id, labels[field.label].c_str());
      }
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == id::kEditTextOk) {
        LabelTexts& labels = StateOf(dialog).labels;
        for (const LabelField& field : kLabelFields) {
          std::array<char, kLabelBuffer> buffer{};
          GetDlgItemTextA(dialog, field.id, buffer.data(), kLabelBuffer);
          labels.Set(field.label, buffer.data());
        }
        EndDialog(dialog, 1);
      } else if (LOWORD(wparam) == id::kEditTextCancel) {
        EndDialog(dialog, 0);
      }
      return TRUE;  // Escape and the fields' notifications are ignored
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

void EditPicturesFolder(ProgramState& state, HWND owner) {
  RunDialog(state, kPicturesDialog, owner, PicturesFolderProc);
}

namespace {

// Lets the user choose a file in the pictures folder; its folder goes into
// the field. The current directory stays as it is.
void BrowsePicturesFolder(HWND dialog, ProgramState& state) {
  constexpr int kFilterSize = 64;
  char filter[kFilterSize] = {};
  const int length = LoadStringA(state.instance, kPicturesFilterString, filter, kFilterSize);
  if (length <= 0) return;
  const char separator = filter[length - 1];
  for (int i = 0; i < length; ++i) {
    if (filter[i] == separator) filter[i] = '\0';
  }
  std::array<char, kPhotoDirBuffer> shown{};
  GetDlgItemTextA(dialog, id::kPicturesFolder, shown.data(), kPhotoDirBuffer);
  const std::string initial = shown[0] != '\0' ? std::string(shown.data()) : CurrentDirectory();
  std::array<char, 1024> file{};
  OPENFILENAMEA options = {};
  options.lStructSize = sizeof(options);
  options.hwndOwner = dialog;
  options.lpstrFilter = filter;
  options.nFilterIndex = 1;
  options.lpstrFile = file.data();
  options.nMaxFile = static_cast<DWORD>(file.size());
  options.lpstrInitialDir = initial.c_str();
  options.lpstrTitle = "A Picture in the Pictures Folder";
  options.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&options)) return;
  std::string folder(file.data(), options.nFileOffset);
  // "C:\" and "/" keep their separator; other folders lose it.
  if (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\') &&
      folder[folder.size() - 2] != ':') {
    folder.pop_back();
  }
  if (folder.size() > kPhotoDirCapacity) {
    MessageBoxA(dialog, kPicturesPathTooLong, kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  SetDlgItemTextA(dialog, id::kPicturesFolder, folder.c_str());
}

}  // namespace

INT_PTR CALLBACK PicturesFolderProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lparam);
      SetDlgItemTextA(dialog, id::kPicturesFolder,
                      reinterpret_cast<ProgramState*>(lparam)->settings.photodir.c_str());
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case id::kPicturesOk: {
          std::array<char, kPhotoDirBuffer> buffer{};
          GetDlgItemTextA(dialog, id::kPicturesFolder, buffer.data(), kPhotoDirBuffer);
          StateOf(dialog).settings.photodir = buffer.data();
          EndDialog(dialog, 1);
          break;
        }
        case id::kPicturesCancel:
          EndDialog(dialog, 0);
          break;
        case id::kPicturesBrowse:
          BrowsePicturesFolder(dialog, StateOf(dialog));
          break;
        default:
          break;
      }
      return TRUE;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

void ShowAboutBox(ProgramState& state, HWND owner) {
  RunDialog(state, kAboutDialog, owner, AboutProc);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;  // all content comes from the template
    case WM_COMMAND:
      if (LOWORD(wparam) == id::kAboutOk) EndDialog(dialog, 1);
      return TRUE;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace kinloom::ui
