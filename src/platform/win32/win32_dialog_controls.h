#pragma once
// The controls of a dialog window, made from its control table: labels, text
// boxes, buttons, frames, choose-only lists, horizontal scroll bars, colour
// boxes and swatches, a bitmap, tooltips and drawn lines. The dialog window
// hands its messages here first; events go to the dialog's owner.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/screen.h"
#include "platform/win32/handles.h"

namespace rc::win32 {

class DialogControls {
 public:
  DialogControls(platform::DialogEvents& events, const platform::Screen& screen) : events_(events), screen_(screen) {}
  DialogControls(const DialogControls&) = delete;
  DialogControls& operator=(const DialogControls&) = delete;

  // Makes every control of `layout` on `dialog`. False when one cannot be made.
  bool Create(HWND dialog, HINSTANCE instance, const platform::DialogLayout& layout);
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

  // Control ids on the window: clear of IDOK and IDCANCEL.
  static constexpr int kFirstWindowId = 1000;

 private:
  struct Control {
    const platform::ControlLayout* layout = nullptr;
    HWND hwnd = nullptr;
    std::uint32_t fill = 0x00FFFFFF;
    int reported = 0;  // scroll position last reported or set
    HFONT font = nullptr;
  };
  Control* Find(int control);
  const Control* Find(int control) const;
  Control* FromWindowId(int window_id);
  HFONT FontFor(const platform::DialogFont& font);
  RECT ClientRect(const platform::ControlLayout& layout) const;
  int PixelsX(float twips) const;
  int PixelsY(float twips) const;
  void Scrolled(Control& control, int code, int thumb);
  void AddTooltip(const Control& control);
  void PaintLines(HDC dc) const;

  platform::DialogEvents& events_;
  const platform::Screen& screen_;
  HWND dialog_ = nullptr;
  platform::DialogLayout layout_;  // its tables are the program's static ones
  std::vector<Control> controls_;
  std::vector<std::unique_ptr<OwnedGdiObject>> fonts_;
  std::vector<std::pair<std::wstring, HFONT>> font_cache_;  // face + points -> font
  HWND tooltip_ = nullptr;                                  // owned by the dialog window, destroyed with it
  OwnedGdiObject bitmap_;
};

}  // namespace rc::win32
