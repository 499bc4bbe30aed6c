// The dialog calls drawn with FLTK 1.3 on X11.
//
// Layout. Every dialog uses one font, FLTK's Helvetica at 12 pixels, which
// stands in for the templates' system font. Its base units are measured
// once per dialog: the average width of the 52 letters A-Z a-z, rounded, and
// FLTK's line height for the font. Dialog units are turned into pixels with
// them (resources.h), so the templates keep their proportions. The labels
// are drawn in the same font; the templates give each room for its text
// (label_fit.h measures it). A menu bar, when the template names a menu,
// sits above the template's client area.
//
// Controls. Push buttons answer Enter when they have the focus; otherwise
// Enter goes to the dialog's default button. Check boxes and radio buttons
// are drawn here, since the plain kinds must not change themselves: the
// dialog procedure sets them. An edit field that does not scroll refuses
// text that would outgrow its visible width. Labels are drawn as plain text,
// without FLTK's symbol and shortcut markup.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Return_Button.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "ui/dialog_api.h"
#include "ui/fltk_display.h"
#include "ui/label_fit.h"
#include "ui/program.h"
#include "ui/resources.h"

namespace kinloom::ui {
class FltkDialog;
}

// A window handle: a dialog, or one control of it.
struct HWND__ {
  kinloom::ui::FltkDialog* dialog;
  Fl_Widget* widget;
  const kinloom::ui::ControlTemplate* source;  // nullptr for the dialog itself
};

namespace kinloom::ui {

namespace {

constexpr Fl_Font kDialogFont = FL_HELVETICA;
constexpr Fl_Fontsize kDialogFontSize = 12;
constexpr int kMessagePadding = 14;

BaseUnits MeasureBaseUnits() {
  fl_font(kDialogFont, kDialogFontSize);
  const double width = fl_width("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return BaseUnitsFromLetters(static_cast<int>(width + 0.5), fl_height());
}

void UseDialogFont(Fl_Widget* widget) {
  widget->labelfont(kDialogFont);
  widget->labelsize(kDialogFontSize);
}

// The side of a check box's or radio button's mark, the gap between mark
// and label, and the room the label has beside the mark, for a control h
// pixels high and w wide (the mark stands 1 pixel in from the edge).
int CheckMarkSize(int h) { return std::min(h - 2, 11); }
constexpr int kCheckLabelGap = 3;
int CheckLabelRoom(int w, int h) { return w - 1 - CheckMarkSize(h) - kCheckLabelGap; }
constexpr int kPushButtonPadding = 8;

// Whether the control shows its template's text: edit fields and icons do
// not.
bool HasLabel(const ControlTemplate& control) {
  if (control.control_class == ControlClass::kEdit) return false;
  return control.control_class != ControlClass::kStatic ||
         (control.style & style::kStaticKindMask) != style::kStaticIcon;
}

// The room a control's label has, in pixels. FLTK draws the default push
// button's return arrow, min(h, w / 3) wide, 4 pixels in from its right
// edge, and centres the label in the width less the arrow plus 4: a label
// clear of the arrow is at most w - arrow - 12 wide.
int LabelRoom(const ControlTemplate& control, BaseUnits units) {
  const PixelRect r = DialogUnitsToPixels(control.x, control.y, control.cx, control.cy, units);
  if (control.control_class == ControlClass::kStatic) return r.w;
  if (ButtonKind(control) == style::kDefaultPushButton) {
    return r.w - std::min(r.h, r.w / 3) - 12 - kPushButtonPadding;
  }
  if (IsPushButton(control)) return r.w - kPushButtonPadding;
  return CheckLabelRoom(r.w, r.h);
}

HCURSOR ArrowCursor() { return reinterpret_cast<HCURSOR>(IDC_ARROW); }
HCURSOR WaitCursor() { return reinterpret_cast<HCURSOR>(IDC_WAIT); }

// Every window of the program: it remembers the cursor shown over it.
class KinloomWindow : public Fl_Double_Window {
 public:
  KinloomWindow(int w, int h, const char* title) : Fl_Double_Window(w, h, title) {}
  HCURSOR shown_cursor = ArrowCursor();
};

// Draws text as it is (no symbols, no shortcut underlines) within the box.
void DrawPlainText(const char* text, int x, int y, int w, int h, Fl_Align align, Fl_Font font,
                   Fl_Fontsize size) {
  fl_font(font, size);
  fl_draw(text, x, y, w, h, align | FL_ALIGN_INSIDE | FL_ALIGN_CLIP, nullptr, 0);
}

// A label; a message box's text wraps at its width instead.
class PlainText : public Fl_Widget {
 public:
  PlainText(int x, int y, int w, int h, Fl_Align align, bool wrap = false)
      : Fl_Widget(x, y, w, h), align_(align), wrap_(wrap) {
    UseDialogFont(this);
  }
  void draw() override {
    const char* text = label() == nullptr ? "" : label();
    fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
    if (wrap_) {
      fl_font(labelfont(), labelsize());
      fl_draw(text, x(), y(), w(), h(), align_ | FL_ALIGN_INSIDE | FL_ALIGN_WRAP, nullptr, 0);
    } else {
      DrawPlainText(text, x(), y(), w(), h(), align_, labelfont(), labelsize());
    }
  }
  int handle(int) override { return 0; }

 private:
  Fl_Align align_;
  bool wrap_;
};

// A push button that also answers Enter while it has the focus.
class PushButton : public Fl_Button {
 public:
  using Fl_Button::Fl_Button;
  int handle(int event) override {
    if (event == FL_KEYBOARD && Fl::focus() == this &&
        (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter)) {
      simulate_key_action();
      do_callback();
      return 1;
    }
    return Fl_Button::handle(event);
  }
};

// The default push button: Enter anywhere in its dialog, unless another
// push button has the focus.
class DefaultButton : public Fl_Return_Button {
 public:
  using Fl_Return_Button::Fl_Return_Button;
  int handle(int event) override {
    if (event == FL_KEYBOARD && Fl::focus() == this &&
        (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter)) {
      do_callback();
      return 1;
    }
    return Fl_Return_Button::handle(event);
  }
};

// A check box or radio button whose state only changes when told to.
class CheckControl : public Fl_Widget {
 public:
  CheckControl(int x, int y, int w, int h, bool round, bool left_text)
      : Fl_Widget(x, y, w, h), round_(round), left_text_(left_text) {
    UseDialogFont(this);
  }
  bool checked() const { return checked_; }
  void checked(bool on) {
    if (on != checked_) {
      checked_ = on;
      redraw();
    }
  }

  void draw() override {
    draw_box(FL_FLAT_BOX, parent() ? parent()->color() : FL_BACKGROUND_COLOR);
    const int size = CheckMarkSize(h());
    const int box_x = left_text_ ? x() + w() - size - 1 : x() + 1;
    const int box_y = y() + (h() - size) / 2;
    const Fl_Color ink = active_r() ? FL_FOREGROUND_COLOR : fl_inactive(FL_FOREGROUND_COLOR);
    if (round_) {
      fl_color(FL_BACKGROUND2_COLOR);
      fl_pie(box_x, box_y, size, size, 0, 360);
      fl_color(ink);
      fl_arc(box_x, box_y, size, size, 0, 360);
      if (checked_) fl_pie(box_x + 3, box_y + 3, size - 6, size - 6, 0, 360);
    } else {
      fl_draw_box(FL_DOWN_BOX, box_x, box_y, size, size, FL_BACKGROUND2_COLOR);
      if (checked_) {
        fl_color(ink);
        fl_line_style(FL_SOLID, 2);
        fl_line(box_x + 3, box_y + size / 2, box_x + size / 2 - 1, box_y + size - 4,
                box_x + size - 3, box_y + 3);
        fl_line_style(0);
      }
    }
    const int text_x = left_text_ ? x() : box_x + size + kCheckLabelGap;
    const int text_w = CheckLabelRoom(w(), h());
    fl_color(ink);
    DrawPlainText(label() == nullptr ? "" : label(), text_x, y(), text_w, h(), FL_ALIGN_LEFT,
                  labelfont(), labelsize());
    if (Fl::focus() == this) draw_focus(FL_NO_BOX, text_x - 1, y(), text_w + 2, h());
  }

  int handle(int event) override {
    switch (event) {
      case FL_PUSH:
        if (Fl::visible_focus()) take_focus();
        return 1;
      case FL_RELEASE:
        if (Fl::event_inside(this)) do_callback();
        return 1;
      case FL_FOCUS:
      case FL_UNFOCUS:
        redraw();
        return 1;
      case FL_KEYBOARD:
        if (Fl::focus() == this && Fl::event_key() == ' ') {
          do_callback();
          return 1;
        }
        return 0;
      default:
        return 0;
    }
  }

 private:
  bool round_;
  bool left_text_;
  bool checked_ = false;
};

// An edit field; one that does not scroll keeps its text within its width.
class EditField : public Fl_Input {
 public:
  EditField(int x, int y, int w, int h, bool scrolls) : Fl_Input(x, y, w, h), scrolls_(scrolls) {
    UseDialogFont(this);
    textfont(kDialogFont);
    textsize(kDialogFontSize);
  }
  int handle(int event) override {
    if (scrolls_ || (event != FL_KEYBOARD && event != FL_PASTE)) return Fl_Input::handle(event);
    const std::string before = value();
    const int position = this->position();
    const int result = Fl_Input::handle(event);
    fl_font(textfont(), textsize());
    if (fl_width(value()) > w() - Fl::box_dw(box()) - 4) {
      value(before.c_str());
      this->position(position);
    }
    return result;
  }

 private:
  bool scrolls_;
};

}  // namespace

// A modal dialog made from its template.
class FltkDialog : public KinloomWindow {
 public:
  FltkDialog(const DialogTemplate& source, const ResourceModule& resources, HWND owner,
             DLGPROC proc)
      : KinloomWindow(1, 1, nullptr), source_(source), proc_(proc) {
    handle_ = {this, this, nullptr};
    copy_label(std::string(source.caption).c_str());
    color(FL_BACKGROUND_COLOR);
    const BaseUnits units = MeasureBaseUnits();
    const PixelRect frame = DialogUnitsToPixels(source.x, source.y, source.cx, source.cy, units);

    begin();
    int top = 0;
    const MenuTemplate* menu = source.menu.empty() ? nullptr : resources.FindMenu(source.menu);
    if (menu != nullptr) {
      top = units.y + 10;
      auto* bar = new Fl_Menu_Bar(0, 0, frame.w, top);
      bar->textfont(kDialogFont);
      bar->textsize(kDialogFontSize);
      bar->box(FL_FLAT_BOX);
      for (const MenuItemTemplate& item : menu->items) {
        const std::string path = std::string(item.popup) + "/" + std::string(item.text);
        bar->add(path.c_str(), 0, MenuChosen,
                 reinterpret_cast<void*>(static_cast<std::intptr_t>(item.id)));
      }
    }
    for (const ControlTemplate& control : source.controls) {
      const PixelRect r = DialogUnitsToPixels(control.x, control.y, control.cx, control.cy, units);
      Fl_Widget* widget = MakeControl(control, resources, r.x, r.y + top, r.w, r.h);
      if ((control.style & style::kDisabled) != 0) widget->deactivate();
      controls_.push_back(std::make_unique<HWND__>(HWND__{this, widget, &control}));
      widget->user_data(controls_.back().get());
    }
    end();

    size(frame.w, frame.h + top);
    int left = frame.x;
    int upper = frame.y;
    if (owner != nullptr) {
      left += owner->dialog->x();
      upper += owner->dialog->y();
    }
    position(left, upper);
    if ((source.style & style::kCaption) != style::kCaption) {
      // No title bar: the dialog frame is drawn here.
      clear_border();
      box(FL_UP_BOX);
    }
    callback(WindowClosing);
    if (!resources.icons.empty()) {
      icon_pixels_ = IconPixels(resources.icons.front());
      SetIcon(resources.icons.front());
    }
  }

  HWND handle() { return &handle_; }
  HWND Control(int id) {
    for (auto& control : controls_) {
      if (control->source->id == id) return control.get();
    }
    return nullptr;
  }

  INT_PTR Deliver(UINT message, WPARAM wparam, LPARAM lparam) {
    return proc_(&handle_, message, wparam, lparam);
  }

  // The modal loop: returns the EndDialog value, or -1 when the window went
  // away without one.
  INT_PTR RunModal(LPARAM init) {
    Deliver(WM_INITDIALOG, 0, init);
    if (!ended_) {
      set_modal();
      show();
      while (!ended_ && shown()) Fl::wait();
    }
    hide();
    return ended_ ? result_ : -1;
  }

  void End(INT_PTR result) {
    ended_ = true;
    result_ = result;
  }

  LONG_PTR user = 0;

 private:
  Fl_Widget* MakeControl(const ControlTemplate& control, const ResourceModule& resources, int x,
                         int y, int w, int h) {
    const std::string text(control.text);
    switch (control.control_class) {
      case ControlClass::kEdit: {
        auto* edit = new EditField(x, y, w, h, (control.style & style::kEditAutoHScroll) != 0);
        edit->when(FL_WHEN_CHANGED);
        edit->callback(EditChanged);
        return edit;
      }
      case ControlClass::kStatic: {
        if ((control.style & style::kStaticKindMask) == style::kStaticIcon) {
          auto* box = new Fl_Box(x, y, 32, 32);
          if (const IconTemplate* icon = resources.FindIcon(control.text)) {
            static_icon_pixels_ = ToRgba(IconPixels(*icon));
            static_icon_ = std::make_unique<Fl_RGB_Image>(static_icon_pixels_.data(), icon->width,
                                                          icon->height, 4);
            box->image(static_icon_.get());
          }
          return box;
        }
        const bool centred = (control.style & style::kStaticKindMask) == style::kStaticCenter;
        auto* label =
            new PlainText(x, y, w, h, centred ? FL_ALIGN_TOP : FL_ALIGN_TOP | FL_ALIGN_LEFT);
        label->copy_label(text.c_str());
        return label;
      }
      case ControlClass::kButton:
        break;
    }
    Fl_Widget* widget = nullptr;
    switch (ButtonKind(control)) {
      case style::kDefaultPushButton:
        widget = new DefaultButton(x, y, w, h);
        break;
      case style::kPushButton:
        widget = new PushButton(x, y, w, h);
        break;
      default: {
        const std::uint32_t kind = ButtonKind(control);
        const bool round = kind == style::kRadioButton || kind == style::kAutoRadioButton;
        widget = new CheckControl(x, y, w, h, round, (control.style & style::kLeftText) != 0);
        break;
      }
    }
    UseDialogFont(widget);
    widget->copy_label(text.c_str());
    widget->callback(ButtonPressed);
    return widget;
  }

  static std::vector<unsigned char> ToRgba(const std::vector<std::uint32_t>& pixels) {
    std::vector<unsigned char> rgba;
    rgba.reserve(pixels.size() * 4);
    for (std::uint32_t p : pixels) {
      rgba.push_back(static_cast<unsigned char>(p >> 16));
      rgba.push_back(static_cast<unsigned char>(p >> 8));
      rgba.push_back(static_cast<unsigned char>(p));
      rgba.push_back(static_cast<unsigned char>(p >> 24));
    }
    return rgba;
  }

  void SetIcon(const IconTemplate& icon) {
    const std::vector<unsigned char> rgba = ToRgba(icon_pixels_);
    Fl_RGB_Image image(rgba.data(), icon.width, icon.height, 4);
    this->icon(&image);  // copied
  }

  static HWND__* HandleOf(Fl_Widget* widget) { return static_cast<HWND__*>(widget->user_data()); }

  static void ButtonPressed(Fl_Widget* widget, void*) {
    HWND__* control = HandleOf(widget);
    FltkDialog* dialog = control->dialog;
    if (ButtonKind(*control->source) == style::kAutoCheckBox) {
      auto* box = static_cast<CheckControl*>(widget);
      box->checked(!box->checked());
    } else if (ButtonKind(*control->source) == style::kAutoRadioButton) {
      const std::span<const ControlTemplate> all = dialog->source_.controls;
      const auto index = static_cast<std::size_t>(control->source - all.data());
      const auto [first, last] = GroupAround(all, index);
      for (std::size_t i = first; i < last; ++i) {
        if (ButtonKind(all[i]) == style::kAutoRadioButton) {
          static_cast<CheckControl*>(dialog->controls_[i]->widget)->checked(i == index);
        }
      }
    }
    dialog->Deliver(WM_COMMAND, MAKEWPARAM(static_cast<WORD>(control->source->id), BN_CLICKED),
                    reinterpret_cast<LPARAM>(control));
  }

  static void EditChanged(Fl_Widget* widget, void*) {
    HWND__* control = HandleOf(widget);
    control->dialog->Deliver(WM_COMMAND,
                             MAKEWPARAM(static_cast<WORD>(control->source->id), EN_CHANGE),
                             reinterpret_cast<LPARAM>(control));
  }

  static void MenuChosen(Fl_Widget* widget, void* data) {
    auto* dialog = static_cast<FltkDialog*>(widget->window());
    const auto id = static_cast<WORD>(reinterpret_cast<std::intptr_t>(data));
    dialog->Deliver(WM_COMMAND, MAKEWPARAM(id, 0), 0);
  }

  // The close box sends WM_CLOSE, Escape the IDCANCEL command; a procedure
  // that leaves WM_CLOSE alone gets IDCANCEL too.
  static void WindowClosing(Fl_Widget* widget, void*) {
    auto* dialog = static_cast<FltkDialog*>(widget);
    if (Fl::event() == FL_CLOSE) {
      if (!dialog->Deliver(WM_CLOSE, 0, 0) && !dialog->ended_) {
        dialog->Deliver(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      }
    } else if (Fl::event_key() == FL_Escape) {
      dialog->Deliver(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
  }

  const DialogTemplate& source_;
  DLGPROC proc_;
  HWND__ handle_{};
  std::vector<std::unique_ptr<HWND__>> controls_;  // in template order
  std::vector<std::uint32_t> icon_pixels_;
  std::vector<unsigned char> static_icon_pixels_;
  std::unique_ptr<Fl_RGB_Image> static_icon_;
  bool ended_ = false;
  INT_PTR result_ = 0;
};

namespace {

CheckControl* CheckOf(HWND control) {
  if (control == nullptr || control->source == nullptr || !IsCheckable(*control->source)) {
    return nullptr;
  }
  return static_cast<CheckControl*>(control->widget);
}

HWND ControlOf(HWND dialog, int id) {
  return dialog == nullptr || dialog->source != nullptr ? nullptr : dialog->dialog->Control(id);
}

Fl_Window* OwnerWindow(HWND owner) { return owner == nullptr ? nullptr : owner->dialog; }

}  // namespace

bool OpenDisplay(std::string* problem) {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') {
    *problem = "DISPLAY is not set";
    return false;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    *problem = std::string("cannot open display ") + name;
    return false;
  }
  fl_open_display(display);
  Fl::scheme("gtk+");
  Fl::visible_focus(1);
  return true;
}

// The display is opened by the program before WinMain; Help looks only in
// the current directory.
void PrepareWindows(ProgramState&) {}

LabelMeasurement MeasureLabels(HINSTANCE instance, int dialog) {
  LabelMeasurement result;
  const DialogTemplate* source = instance == nullptr || instance->resources == nullptr
                                     ? nullptr
                                     : instance->resources->FindDialog(dialog);
  if (source == nullptr) {
    result.problem = "no dialog template " + std::to_string(dialog);
    return result;
  }
  fl_open_display();
  const BaseUnits units = MeasureBaseUnits();
  const int margin = DialogUnitsToPixels(0, 0, kLabelMarginUnits, 0, units).w;
  fl_font(kDialogFont, kDialogFontSize);
  for (const ControlTemplate& control : source->controls) {
    if (!HasLabel(control) || control.text.empty()) continue;
    const double width = fl_width(control.text.data(), static_cast<int>(control.text.size()));
    result.labels.push_back({control.id, std::string(control.text),
                             static_cast<int>(std::ceil(width)), LabelRoom(control, units),
                             margin});
  }
  return result;
}

}  // namespace kinloom::ui

using kinloom::ui::FltkDialog;

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc,
                               LPARAM init) {
  if (instance == nullptr || instance->resources == nullptr || proc == nullptr ||
      !IS_INTRESOURCE(name)) {
    return -1;
  }
  const auto* source =
      instance->resources->FindDialog(static_cast<int>(reinterpret_cast<ULONG_PTR>(name)));
  if (source == nullptr) return -1;
  fl_open_display();
  auto dialog = std::make_unique<FltkDialog>(*source, *instance->resources, owner, proc);
  return dialog->RunModal(init);
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
  if (dialog == nullptr || dialog->source != nullptr) return FALSE;
  dialog->dialog->End(result);
  return TRUE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) { return kinloom::ui::ControlOf(dialog, id); }

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size) {
  HWND control = kinloom::ui::ControlOf(dialog, id);
  std::string text;
  if (control != nullptr) {
    if (control->source->control_class == kinloom::ui::ControlClass::kEdit) {
      text = static_cast<Fl_Input*>(control->widget)->value();
    } else if (control->widget->label() != nullptr) {
      text = control->widget->label();
    }
  }
  return static_cast<UINT>(kinloom::ui::CopyToBuffer(text, buffer, size));
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  HWND control = kinloom::ui::ControlOf(dialog, id);
  if (control == nullptr) return FALSE;
  const char* value = text == nullptr ? "" : text;
  if (control->source->control_class == kinloom::ui::ControlClass::kEdit) {
    static_cast<Fl_Input*>(control->widget)->value(value);
  } else {
    control->widget->copy_label(value);
    control->widget->redraw();
  }
  return TRUE;
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check) {
  kinloom::ui::CheckControl* box = kinloom::ui::CheckOf(kinloom::ui::ControlOf(dialog, id));
  if (box == nullptr) return FALSE;
  box->checked(check == BST_CHECKED);
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id) {
  kinloom::ui::CheckControl* box = kinloom::ui::CheckOf(kinloom::ui::ControlOf(dialog, id));
  return box != nullptr && box->checked() ? BST_CHECKED : BST_UNCHECKED;
}

BOOL WINAPI CheckRadioButton(HWND dialog, int first, int last, int check) {
  if (dialog == nullptr || dialog->source != nullptr) return FALSE;
  for (int id = first; id <= last; ++id) {
    if (kinloom::ui::CheckControl* box = kinloom::ui::CheckOf(dialog->dialog->Control(id))) {
      box->checked(id == check);
    }
  }
  return TRUE;
}

BOOL WINAPI EnableWindow(HWND window, BOOL enable) {
  if (window == nullptr) return FALSE;
  const BOOL was_disabled = window->widget->active() ? FALSE : TRUE;
  if (enable) {
    window->widget->activate();
  } else {
    window->widget->deactivate();
  }
  return was_disabled;
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
  if (window == nullptr) return FALSE;
  if (window->source != nullptr) {
    window->widget->copy_label(text == nullptr ? "" : text);
    window->widget->redraw();
  } else {
    window->dialog->copy_label(text == nullptr ? "" : text);
  }
  return TRUE;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND dialog, int index, LONG_PTR value) {
  if (dialog == nullptr || dialog->source != nullptr || index != DWLP_USER) return 0;
  return std::exchange(dialog->dialog->user, value);
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND dialog, int index) {
  if (dialog == nullptr || dialog->source != nullptr || index != DWLP_USER) return 0;
  return dialog->dialog->user;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  using kinloom::ui::kMessagePadding;
  fl_open_display();
  const char* message = text == nullptr ? "" : text;
  fl_font(kinloom::ui::kDialogFont, kinloom::ui::kDialogFontSize);
  int text_w = 0;
  int text_h = 0;
  fl_measure(message, text_w, text_h, 0);
  const bool warning = (type & MB_ICONMASK) == MB_ICONEXCLAMATION;
  const int icon = warning ? 36 : 0;
  const int button_w = 80;
  const int least_w = 240;
  const int button_h = fl_height() + 12;
  const int body_h = std::max(text_h, icon);
  const int w =
      std::max(kMessagePadding * 2 + (icon ? icon + kMessagePadding : 0) + text_w, least_w);
  const int h = kMessagePadding * 3 + body_h + button_h;

  kinloom::ui::KinloomWindow window(w, h, nullptr);
  window.copy_label(caption == nullptr ? "Error" : caption);
  int text_x = kMessagePadding;
  if (warning) {
    auto* mark = new Fl_Box(kMessagePadding, kMessagePadding, icon, icon, "!");
    mark->box(FL_THIN_UP_BOX);
    mark->color(FL_YELLOW);
    mark->labelfont(FL_HELVETICA_BOLD);
    mark->labelsize(28);
    text_x += icon + kMessagePadding;
  }
  auto* body = new kinloom::ui::PlainText(text_x, kMessagePadding + (body_h - text_h) / 2,
                                          text_w + 4, text_h, FL_ALIGN_LEFT | FL_ALIGN_TOP, true);
  body->copy_label(message);
  bool done = false;
  auto* ok = new Fl_Return_Button((w - button_w) / 2, h - kMessagePadding - button_h, button_w,
                                  button_h, "OK");
  kinloom::ui::UseDialogFont(ok);
  ok->callback([](Fl_Widget*, void* flag) { *static_cast<bool*>(flag) = true; }, &done);
  window.callback([](Fl_Widget*, void* flag) { *static_cast<bool*>(flag) = true; }, &done);
  window.end();
  if (Fl_Window* parent = kinloom::ui::OwnerWindow(owner)) {
    window.position(parent->x() + (parent->w() - w) / 2, parent->y() + (parent->h() - h) / 2);
  }
  window.set_modal();
  window.show();
  while (!done && window.shown()) Fl::wait();
  window.hide();
  return IDOK;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (instance != nullptr || !IS_INTRESOURCE(name)) return nullptr;
  if (name != IDC_ARROW && name != IDC_WAIT) return nullptr;
  return reinterpret_cast<HCURSOR>(const_cast<LPSTR>(name));
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  HCURSOR previous = kinloom::ui::ArrowCursor();
  bool first = true;
  for (Fl_Window* window = Fl::first_window(); window != nullptr;
       window = Fl::next_window(window)) {
    auto* ours = dynamic_cast<kinloom::ui::KinloomWindow*>(window);
    if (ours == nullptr) continue;
    if (first) previous = ours->shown_cursor;
    first = false;
    ours->shown_cursor = cursor;
    ours->cursor(cursor == kinloom::ui::WaitCursor() ? FL_CURSOR_WAIT : FL_CURSOR_DEFAULT);
  }
  // The run that follows keeps the loop from drawing: show the cursor now.
  Fl::flush();
  return previous;
}

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA options) {
  namespace fs = std::filesystem;
  if (options == nullptr || options->lpstrFile == nullptr || options->nMaxFile == 0) return FALSE;
  std::string filter;
  for (const auto& [description, pattern] : kinloom::ui::FilterPairs(options->lpstrFilter)) {
    if (!filter.empty()) filter += '\n';
    // FLTK matches file names without regard to case, as the platform's
    // open-file dialog does.
    filter += description + "\t" + pattern;
  }
  Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_FILE);
  chooser.title(options->lpstrTitle != nullptr ? options->lpstrTitle : "Open");
  if (!filter.empty()) {
    chooser.filter(filter.c_str());
    if (options->nFilterIndex >= 1)
      chooser.filter_value(static_cast<int>(options->nFilterIndex) - 1);
  }
  if (options->lpstrInitialDir != nullptr) chooser.directory(options->lpstrInitialDir);
  if (options->lpstrFile[0] != '\0') chooser.preset_file(options->lpstrFile);

  std::error_code error;
  fs::path chosen;
  for (;;) {
    if (chooser.show() != 0 || chooser.filename() == nullptr || *chooser.filename() == '\0') {
      return FALSE;
    }
    chosen = fs::absolute(chooser.filename(), error);
    const bool must_exist = (options->Flags & OFN_FILEMUSTEXIST) != 0;
    if (!must_exist || fs::is_regular_file(chosen, error)) break;
    const std::string warning =
        chosen.string() + "\nFile not found.\nCheck the file name and try again.";
    MessageBoxA(options->hwndOwner, warning.c_str(), "Open", MB_OK | MB_ICONEXCLAMATION);
  }
  const std::string path = chosen.string();
  if (path.size() + 1 > options->nMaxFile) return FALSE;  // the buffer is too small
  kinloom::ui::CopyToBuffer(path, options->lpstrFile, static_cast<int>(options->nMaxFile));
  const std::string name = chosen.filename().string();
  options->nFileOffset = static_cast<WORD>(path.size() - name.size());
  const std::size_t dot = name.rfind('.');
  options->nFileExtension =
      static_cast<WORD>(dot == std::string::npos ? path.size() : options->nFileOffset + dot + 1);
  if (options->lpstrFileTitle != nullptr) {
    kinloom::ui::CopyToBuffer(name, options->lpstrFileTitle,
                              static_cast<int>(options->nMaxFileTitle));
  }
  if ((options->Flags & OFN_NOCHANGEDIR) == 0) fs::current_path(chosen.parent_path(), error);
  return TRUE;
}

HINSTANCE WINAPI ShellExecuteA(HWND, LPCSTR operation, LPCSTR file, LPCSTR, LPCSTR directory, INT) {
  auto code = [](INT_PTR value) { return reinterpret_cast<HINSTANCE>(value); };
  if (file == nullptr) return code(SE_ERR_FNF);
  if (operation != nullptr && std::string(operation) != "open") return code(SE_ERR_NOASSOC);
  std::filesystem::path path = file;
  if (directory != nullptr && path.is_relative()) path = std::filesystem::path(directory) / path;
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return code(SE_ERR_FNF);
  const std::string target = path.string();
  // Two forks, so that the desktop's program outlives nothing of ours and
  // leaves no zombie behind.
  const pid_t child = fork();
  if (child < 0) return code(SE_ERR_NOASSOC);
  if (child == 0) {
    if (fork() == 0) {
      setsid();
      execlp("xdg-open", "xdg-open", target.c_str(), static_cast<char*>(nullptr));
    }
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return code(42);
}
