#pragma once
// The controls of a dialog window, made from its control table: labels, text
// boxes, buttons, frames, choose-only lists, horizontal scroll bars, colour
// boxes and swatches, a bitmap, hotkey boxes, check boxes, tooltips and drawn
// lines, all placed and lettered at the dialog's own DPI (its monitor's). The
// dialog window hands its messages here first; events go to the dialog's owner.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/chord.h"
#include "base/pixel_scale.h"
#include "platform/dialog.h"
#include "platform/win32/handles.h"

namespace rc::win32 {

class Win32Platform;

class DialogControls {
 public:
  DialogControls(Win32Platform& platform, platform::DialogEvents& events) : platform_(platform), events_(events) {}
  DialogControls(const DialogControls&) = delete;
  DialogControls& operator=(const DialogControls&) = delete;

  // Makes every control of `layout` on `dialog`, at `dpi`. False when one cannot be made.
  bool Create(HWND dialog, HINSTANCE instance, const platform::DialogLayout& layout, int dpi);
  // The dialog has come to a monitor of another DPI: every control is placed
  // and lettered again for it.
  void ChangeDpi(int dpi);
  // Focuses the first tab stop unless the focus is already inside the dialog.
  void FocusFirst();

  // A message of the dialog window; true when handled here, with `result` the
  // dialog procedure's answer. May end in a call to the owner that closes the
  // dialog: nothing here is touched after an event has been raised.
  bool Handle(UINT message, WPARAM wparam, LPARAM lparam, INT_PTR& result);

  void SetText(int control, std::wstring_view text);
  std::wstring Text(int control) const;
  void SetItems(int control, std::span<const std::wstring> items);
  void SetSelection(int control, int index);
  int Selection(int control) const;
  void SetScrollPosition(int control, int position);
  int ScrollPosition(int control) const;
  void SetFillColour(int control, std::uint32_t bgr);
  std::uint32_t FillColour(int control) const;
  void SetChord(int control, Chord chord);
  Chord ChordOf(int control) const;
  void SetChecked(int control, bool checked);
  void SetEnabled(int control, bool enabled);
  bool Checked(int control) const;
  void DropDown(int control);

  // Control ids on the window: clear of IDOK and IDCANCEL.
  static constexpr int kFirstWindowId = 1000;

 private:
  struct Control {
    const platform::ControlLayout* layout = nullptr;
    HWND hwnd = nullptr;
    std::uint32_t fill = 0x00FFFFFF;
    int reported = 0;       // scroll position last reported or set
    Chord chord;            // a shortcut box's chord last reported or set: the one in effect
    bool key_down = false;  // a shortcut box: a key went down in it since it took the focus
    HFONT font = nullptr;
  };
  Control* Find(int control);
  const Control* Find(int control) const;
  Control* FromWindowId(int window_id);
  Control* FromWindow(HWND window);
  PixelScale scale() const { return PixelScale(dpi_); }
  HFONT FontFor(const platform::DialogFont& font);
  // The control's place in the client area, a list's dropped-down part included.
  // The controls in the order they are made, from the tab stops.
  std::vector<Control*> CreationOrder(const std::vector<int>& stops);
  bool CreateControl(Control& control, HINSTANCE instance, bool tab_stop);
  bool Fill(Control& control, HINSTANCE instance);
  RECT Place(const Control& control) const;
  void SetFont(Control& control, BOOL redraw);
  void Scrolled(Control& control, int code, int thumb);
  void AddTooltip(const Control& control);
  void PaintLines(HDC dc) const;

  // A shortcut box's keys (the box's subclass). Backspace and Delete clear it;
  // a whole chord typed is reported; modifiers pressed and let go alone, or a
  // key the box does not take, leave the chord in effect shown.
  static LRESULT CALLBACK ShortcutBoxProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                                               DWORD_PTR self);
  void ShortcutCleared(Control& control);
  // What the box shows now; reported when `by_key` (a key went down or up) and changed.
  void ShortcutTyped(Control& control, bool by_key);
  // The program's global shortcuts would take a chord typed into the box before
  // it: paused while a box has the keyboard.
  void PauseShortcuts(HWND box, bool paused);

  Win32Platform& platform_;
  platform::DialogEvents& events_;
  HWND pausing_box_ = nullptr;  // the box that has the keyboard, shortcuts paused
  HWND dialog_ = nullptr;
  int dpi_ = USER_DEFAULT_SCREEN_DPI;
  platform::DialogLayout layout_;  // its tables are the program's static ones
  std::vector<Control> controls_;
  std::vector<OwnedGdiObject> fonts_;
  std::vector<std::pair<std::wstring, HFONT>> font_cache_;  // face + points -> font, at dpi_
  HWND tooltip_ = nullptr;                                  // owned by the dialog window, destroyed with it
  OwnedGdiObject bitmap_;
};

}  // namespace rc::win32
