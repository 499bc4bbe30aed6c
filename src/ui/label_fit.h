// How the labels of a dialog fit their controls as a dialog back end draws
// them: the width of each control's text at the font the back end draws it
// in, against the room the control leaves for it. The FLTK back end
// measures with FLTK's text widths at its dialog font, the Windows one
// creates the dialog hidden and measures with the system's text extents at
// the font the dialog gave each control.
#ifndef KINLOOM_UI_LABEL_FIT_H_
#define KINLOOM_UI_LABEL_FIT_H_

#include <string>
#include <vector>

#include "ui/dialog_api.h"

namespace kinloom::ui {

// Dialog units a label keeps free beyond its text, so that it touches
// neither its control's edge nor a check box's mark: one average letter.
inline constexpr int kLabelMarginUnits = 4;

struct LabelFit {
  int control = 0;  // the control's ID (kUnaddressed for a label)
  std::string text;
  int text_width = 0;  // pixels
  // Pixels the control leaves for its text: its width less a push button's
  // edges, or less a check box's or radio button's mark and the gap beside
  // it.
  int room = 0;
  int margin = 0;  // kLabelMarginUnits in pixels

  [[nodiscard]] bool Fits() const { return text_width + margin <= room; }
};

struct LabelMeasurement {
  // Every control of the dialog that shows a text (edit fields and icons
  // do not), in tab order.
  std::vector<LabelFit> labels;
  // Why the dialog could not be measured; empty when it was.
  std::string problem;
};

// Measures the labels of dialog template `dialog` of `instance`'s
// resources. Needs the display: OpenDisplay (FLTK) first; on Windows the
// dialog's window class must be registered (PrepareWindows).
[[nodiscard]] LabelMeasurement MeasureLabels(HINSTANCE instance, int dialog);

#ifdef _WIN32
// The running program's own module, whose compiled resources hold the
// dialog templates.
[[nodiscard]] HINSTANCE OwnModule();
#endif

}  // namespace kinloom::ui

#endif  // KINLOOM_UI_LABEL_FIT_H_
