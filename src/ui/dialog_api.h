// The dialog calls that Kinloom's dialog procedures use: modal dialogs built
// from templates, their controls, message boxes, the wait cursor, the string
// table, the open-file dialog and the shell. The names, argument shapes and
// numbers are those of the Windows user interface, so the procedures compile
// unchanged against <windows.h>; elsewhere a back end provides them:
//   dialog_fltk.cc      real windows drawn with FLTK (the `kinloom` program)
//   dialog_headless.cc  no windows at all; tests drive the dialogs (headless.h)
// Exactly one back end is linked into a program.
//
// An instance handle locates the program's resources (dialog templates,
// menus, strings, icons): see resources.h. A window handle names a dialog or
// one of its controls.
#ifndef KINLOOM_UI_DIALOG_API_H_
#define KINLOOM_UI_DIALOG_API_H_

#ifdef _WIN32
// windows.h first: the other two build on it. No min and max macros, which
// would break std::min and std::max in the code that includes this.
#ifndef NOMINMAX
#define NOMINMAX
#endif
// clang-format off
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
// clang-format on
#else

#include <cstdint>

using BOOL = int;
using INT = int;
using UINT = unsigned int;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LPSTR = char*;
using LPCSTR = const char*;

struct HWND__;
using HWND = HWND__*;
struct HINSTANCE__;  // defined in resources.h
using HINSTANCE = HINSTANCE__*;
struct HICON__;  // never defined: a cursor handle is a number
using HCURSOR = HICON__*;

#define CALLBACK
#define WINAPI

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

using DLGPROC = INT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);

inline constexpr WORD LOWORD(UINT_PTR value) { return static_cast<WORD>(value & 0xFFFF); }
inline constexpr WORD HIWORD(UINT_PTR value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }
inline constexpr WPARAM MAKEWPARAM(WORD low, WORD high) {
  return static_cast<WPARAM>(low) | (static_cast<WPARAM>(high) << 16);
}
// A resource named by a number rather than a text.
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
inline bool IS_INTRESOURCE(LPCSTR name) { return (reinterpret_cast<ULONG_PTR>(name) >> 16) == 0; }

// Messages.
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_COMMAND = 0x0111;

// Notification codes in the high word of a WM_COMMAND's wParam.
inline constexpr WORD BN_CLICKED = 0;
inline constexpr WORD EN_CHANGE = 0x0300;

// Standard command IDs: Enter without a default button, and Escape.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Per-dialog storage for the dialog procedure's own pointer.
inline constexpr int DWLP_USER = 16;

inline constexpr UINT BST_UNCHECKED = 0;
inline constexpr UINT BST_CHECKED = 1;

inline constexpr UINT MB_OK = 0x00000000;
inline constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
inline constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr UINT MB_ICONINFORMATION = 0x00000040;
inline constexpr UINT MB_ICONMASK = 0x000000F0;

#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_WAIT MAKEINTRESOURCEA(32514)

inline constexpr INT SW_SHOWNORMAL = 1;
// ShellExecuteA returns a value above 32 on success; these below.
inline constexpr INT_PTR SE_ERR_FNF = 2;
inline constexpr INT_PTR SE_ERR_NOASSOC = 31;

using LPOFNHOOKPROC = UINT_PTR(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);

struct OPENFILENAMEA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;  // pairs of NUL-ended texts, description then
                       // pattern, closed by an empty text
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;  // 1-based pair shown first
  LPSTR lpstrFile;     // in: initial name; out: the chosen full path
  DWORD nMaxFile;      // size of lpstrFile, NUL included
  LPSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir;
  LPCSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCSTR lpTemplateName;
  void* pvReserved;
  DWORD dwReserved;
  DWORD FlagsEx;
};
using LPOPENFILENAMEA = OPENFILENAMEA*;

inline constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
inline constexpr DWORD OFN_SHOWHELP = 0x00000010;
inline constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
inline constexpr DWORD OFN_EXPLORER = 0x00080000;

// Runs the dialog of template `name` (a number made with MAKEINTRESOURCEA)
// modally over `owner` (none: a top-level window). `proc` gets WM_INITDIALOG
// with `init` as lParam before the dialog shows. Returns the value passed to
// EndDialog, or -1 when the dialog could not be made.
INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc,
                               LPARAM init);
// Ends the modal loop of `dialog` once its procedure returns.
BOOL WINAPI EndDialog(HWND dialog, INT_PTR result);
HWND WINAPI GetDlgItem(HWND dialog, int id);
// Copies at most size - 1 characters of the control's text and a NUL into
// buffer; returns the number of characters copied.
UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size);
BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check);
UINT WINAPI IsDlgButtonChecked(HWND dialog, int id);
// Checks `check` and unchecks every other button with an ID in first..last.
BOOL WINAPI CheckRadioButton(HWND dialog, int first, int last, int check);
// Returns TRUE when the window was disabled before the call.
BOOL WINAPI EnableWindow(HWND window, BOOL enable);
// Sets a dialog's title (or a control's text).
BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text);
LONG_PTR WINAPI SetWindowLongPtrA(HWND dialog, int index, LONG_PTR value);
LONG_PTR WINAPI GetWindowLongPtrA(HWND dialog, int index);
// Shows a modal message box over `owner`; returns the button pressed (IDOK).
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
// Only the system cursors (instance nullptr, IDC_ARROW or IDC_WAIT).
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name);
// Shows `cursor` over the program's windows; returns the one shown before.
HCURSOR WINAPI SetCursor(HCURSOR cursor);
// Copies string `id` of the string table, cut to size - 1 characters, and a
// NUL into buffer; returns its length, or 0 when there is no such string.
// One for both back ends, in resources.cc.
int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size);
// The open-file dialog. TRUE when the user chose a file; its full path is in
// lpstrFile. Unless OFN_NOCHANGEDIR is given the chosen file's directory
// becomes the current directory, as on the platform this API comes from.
// FALSE on cancel, and when the path does not fit in nMaxFile.
BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA options);
// Opens `file` with the desktop's program for it (operation nullptr: the
// default one). Returns a value above 32 on success, as an instance handle.
HINSTANCE WINAPI ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters,
                               LPCSTR directory, INT show);

#endif  // _WIN32

#endif  // KINLOOM_UI_DIALOG_API_H_
