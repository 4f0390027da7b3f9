#pragma once
// A modeless dialog window of the program (properties, machine correction,
// software information): a caption bar with a close box around a fixed client
// area, never topmost. The dialog that owns it fills it with its controls.

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/chord.h"
#include "base/pixel_scale.h"

namespace rc::platform {

// The kinds of control a dialog is built from.
enum class ControlKind {
  Label,         // static text
  TextBox,       // one-line edit box
  ReadOnlyText,  // text the user can select and copy but not change; wraps
  Button,        // push button
  Frame,         // captioned group frame; controls name it as their parent
  DropDownList,  // choose-only list (no typing)
  ScrollBar,     // horizontal scroll bar, one position per arrow or trough click
  ColourBox,     // a box filled with one colour, sunken border
  Swatch,        // a small box filled with one colour, single-line border; reports clicks
  Picture,       // a bitmap resource at its natural size
  ShortcutBox,   // the system's hotkey box: one key chord typed in; Backspace or Delete clears it
  CheckBox,      // a box the user ticks or clears, with its caption beside it
};

inline constexpr std::uint32_t kWindowTextColour = 0xFFFFFFFF;  // the system's text colour

struct DialogFont {
  std::wstring_view face;  // empty: the dialog's own font
  float points = 0;
};

// One control, as a row of a dialog's control table. Positions and sizes are
// twips within the parent (the client area, or the frame named by `parent`).
struct ControlLayout {
  int id;  // the dialog's own number for it, reported back in events
  ControlKind kind;
  std::wstring_view name;  // e.g. L"cmdOK", L"Picture2(7)"
  int parent;              // id of the enclosing frame, or -1 for the client area
  float left, top, width, height;
  std::wstring_view text;  // caption, or the initial text of a text box
  int tab_order = -1;      // -1: not a tab stop
  std::wstring_view tooltip{};
  DialogFont font{};
  std::uint32_t text_colour = kWindowTextColour;  // 0x00BBGGRR
  std::span<const std::wstring_view> items{};     // entries of a list
  int minimum = 1, maximum = 10;                  // range of a scroll bar
  int position = 1;                               // a scroll bar's first position
  int resource = 0;                               // bitmap of a picture
};

// A straight line drawn on the client area, in twips; may run past its edge.
struct DrawnLine {
  std::wstring_view name;
  float x1, y1, x2, y2;
  std::uint32_t colour;  // 0x00BBGGRR
  int width_pixels;
};

struct DialogLayout {
  std::wstring_view caption;
  float client_width = 0;   // twips
  float client_height = 0;  // twips
  std::span<const ControlLayout> controls{};
  std::span<const DrawnLine> lines{};
  int default_button = -1;  // control clicked by Enter
  int cancel_button = -1;   // control clicked by Esc
};

// Whether the user can give a control of this kind the keyboard focus. Text,
// frames, colour boxes, swatches and pictures never take it, whatever tab
// order their table row carries.
constexpr bool TakesFocus(ControlKind kind) {
  return kind == ControlKind::TextBox || kind == ControlKind::ReadOnlyText || kind == ControlKind::Button ||
         kind == ControlKind::DropDownList || kind == ControlKind::ScrollBar || kind == ControlKind::ShortcutBox ||
         kind == ControlKind::CheckBox;
}

// The controls that Tab visits, in the order it visits them: those that take
// the focus and have a tab order, by that order (ties in table order).
inline std::vector<int> TabStops(const DialogLayout& layout) {
  std::vector<const ControlLayout*> stops;
  for (const ControlLayout& c : layout.controls) {
    if (TakesFocus(c.kind) && c.tab_order >= 0) stops.push_back(&c);
  }
  std::stable_sort(stops.begin(), stops.end(),
                   [](const ControlLayout* a, const ControlLayout* b) { return a->tab_order < b->tab_order; });
  std::vector<int> ids;
  ids.reserve(stops.size());
  for (const ControlLayout* c : stops) ids.push_back(c->id);
  return ids;
}

// A rectangle in pixels: left and top inclusive, right and bottom exclusive.
struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const PixelRect&) const = default;
};

// Where a control lies in the client area at `scale`, the dialog's own
// monitor's: inside its frame when it names one, each edge on the pixel
// nearest to it, so that what touches in twips touches on the screen.
inline PixelRect ControlRect(const DialogLayout& layout, const ControlLayout& control, PixelScale scale) {
  auto left = static_cast<double>(control.left), top = static_cast<double>(control.top);
  for (const ControlLayout& frame : layout.controls) {
    if (frame.id == control.parent) left += static_cast<double>(frame.left), top += static_cast<double>(frame.top);
  }
  const PixelSpan across = scale.Span(left, control.width), down = scale.Span(top, control.height);
  return {across.start, down.start, across.start + across.length, down.start + down.length};
}

// What a dialog window reports to its owner, on the user-interface thread.
class DialogEvents {
 public:
  // The user closed the dialog; its window is already gone. The owner must not
  // destroy the Dialog object from inside this call.
  virtual void OnDialogClosed() {}
  // A button or a swatch was clicked.
  virtual void OnControlClick(int /*control*/) {}
  // The user picked an entry of a list.
  virtual void OnSelectionChange(int /*control*/) {}
  // A scroll bar's move is complete (arrow, trough, released thumb) and its
  // position differs from the last one reported; not signalled while dragging.
  virtual void OnScrollChange(int /*control*/, int /*position*/) {}
  // The user typed a whole chord into a shortcut box, or cleared it; not
  // signalled for modifier keys alone while they are being pressed.
  virtual void OnChordChange(int /*control*/) {}

 protected:
  ~DialogEvents() = default;
};

class Dialog {
 public:
  virtual ~Dialog() = default;  // destroys the window if it is still open
  // False once the user has closed it: a closed dialog is discarded, never reopened.
  virtual bool IsOpen() const = 0;
  // Shows the window if hidden, activates it and brings it to the front; not modal.
  virtual void ShowActivated() = 0;

  // The window's outer edges (caption and border included), in twips.
  virtual float Left() const = 0;
  virtual float Top() const = 0;
  virtual float Width() const = 0;
  virtual float Height() const = 0;
  virtual void SetPosition(float left, float top) = 0;

  // Controls, by their id. Setting a value never raises an event.
  virtual void SetText(int control, std::wstring_view text) = 0;
  virtual std::wstring Text(int control) const = 0;
  // Replaces the entries of a list.
  virtual void SetItems(int control, std::span<const std::wstring> items) = 0;
  virtual void SetSelection(int control, int index) = 0;  // -1: none
  virtual int Selection(int control) const = 0;
  virtual void SetScrollPosition(int control, int position) = 0;
  virtual int ScrollPosition(int control) const = 0;
  virtual void SetFillColour(int control, std::uint32_t bgr) = 0;
  virtual std::uint32_t FillColour(int control) const = 0;
  // A shortcut box's chord (no key: empty).
  virtual void SetChord(int control, Chord chord) = 0;
  virtual Chord ChordOf(int control) const = 0;
  // A check box's tick; a click by the user changes it and is reported as a click.
  virtual void SetChecked(int control, bool checked) = 0;
  virtual void SetEnabled(int control, bool enabled) = 0;
  virtual bool Checked(int control) const = 0;
  // Drops a list's entries down, as a click on its arrow does, with the focus in it.
  virtual void DropDown(int control) = 0;
  // The system's button-face colour, 0x00BBGGRR.
  virtual std::uint32_t ButtonFaceColour() const = 0;
  // Closes the window as its close box does: the owner hears OnDialogClosed.
  virtual void Close() = 0;
  // A message box as MessageBoxes::ShowMessage, modal to this dialog only: the
  // action that raised it cannot be repeated while it shows.
  virtual void ShowMessage(std::wstring_view text) = 0;
};

}  // namespace rc::platform
