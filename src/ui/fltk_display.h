// Start-up of the FLTK dialog back end (dialog_fltk.cc).
#ifndef KINLOOM_UI_FLTK_DISPLAY_H_
#define KINLOOM_UI_FLTK_DISPLAY_H_

#include <string>

namespace kinloom::ui {

// Connects to the X display that DISPLAY names, for every dialog call to
// come. Returns false, with the reason in *problem, when DISPLAY is not set
// or the display cannot be opened; nothing has been shown then.
bool OpenDisplay(std::string* problem);

}  // namespace kinloom::ui

#endif  // KINLOOM_UI_FLTK_DISPLAY_H_
