// Every label of every dialog fits its control with a margin, measured as
// the back end this program is linked with draws it: FLTK's (on a virtual
// X server, tests/ui/label_fit.sh) or Windows' own (under Wine, from the
// resources compiled into this program).
#include "ui/label_fit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/kinloom_resources.h"
#include "ui/program.h"

#ifndef _WIN32
#include "ui/fltk_display.h"
#endif

namespace kinloom::ui {
namespace {

// The texts a dialog's template shows on its controls, in tab order.
std::vector<std::string> TemplateLabels(const DialogTemplate& dialog) {
  std::vector<std::string> texts;
  for (const ControlTemplate& control : dialog.controls) {
    const bool icon = control.control_class == ControlClass::kStatic &&
                      (control.style & style::kStaticKindMask) == style::kStaticIcon;
    if (control.control_class == ControlClass::kEdit || icon || control.text.empty()) continue;
    texts.emplace_back(control.text);
  }
  return texts;
}

TEST(LabelFitTest, EveryLabelOfEveryDialogFitsItsControlWithAMargin) {
#ifdef _WIN32
  const HINSTANCE instance = OwnModule();
#else
  std::string problem;
  ASSERT_TRUE(OpenDisplay(&problem)) << problem;
  HINSTANCE__ module{&KinloomResources()};
  const HINSTANCE instance = &module;
#endif
  ProgramState state;
  state.instance = instance;
  PrepareWindows(state);

  ASSERT_EQ(KinloomResources().dialogs.size(), 5u);
  for (const DialogTemplate& dialog : KinloomResources().dialogs) {
    SCOPED_TRACE("dialog " + std::to_string(dialog.id));
    const LabelMeasurement measured = MeasureLabels(instance, dialog.id);
    ASSERT_EQ(measured.problem, "");
    std::vector<std::string> texts;
    for (const LabelFit& label : measured.labels) texts.push_back(label.text);
    // Each label was measured, none left out.
    EXPECT_EQ(texts, TemplateLabels(dialog));
    for (const LabelFit& label : measured.labels) {
      EXPECT_GT(label.text_width, 0) << label.text;
      EXPECT_GT(label.margin, 0);
      EXPECT_TRUE(label.Fits()) << "\"" << label.text << "\" (" << label.control << ") is "
                                << label.text_width << " pixels wide and keeps " << label.margin
                                << " free: its control has room for " << label.room;
    }
  }
}

}  // namespace
}  // namespace kinloom::ui
