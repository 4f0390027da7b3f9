#pragma once
// A modeless dialog window over the system's dialog class, made from an
// in-memory template: a caption bar with a close box, a fixed client area in
// twips, no owner (so never above the cross, which may be topmost), hidden until
// shown. The user's close destroys the window at once. Its client area and
// controls are sized at its own monitor's DPI, and again when it comes to a
// monitor of another; its position is in twips at the primary monitor's, as
// every position on the screen.

#include <windows.h>

#include "platform/dialog.h"
#include "platform/status.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_dialog_controls.h"

namespace rc::win32 {

class Win32Platform;

class Win32Dialog final : public platform::Dialog {
 public:
  Win32Dialog(Win32Platform& platform, platform::DialogEvents& events);
  ~Win32Dialog() override;
  Win32Dialog(const Win32Dialog&) = delete;
  Win32Dialog& operator=(const Win32Dialog&) = delete;
  platform::Status Create(const platform::DialogLayout& layout);

  bool IsOpen() const override { return static_cast<bool>(hwnd_); }
  void ShowActivated() override;

  float Left() const override;
  float Top() const override;
  float Width() const override;
  float Height() const override;
  void SetPosition(float left, float top) override;
  void SetText(int control, std::wstring_view text) override { controls_.SetText(control, text); }
  std::wstring Text(int control) const override { return controls_.Text(control); }
  void SetItems(int control, std::span<const std::wstring> items) override { controls_.SetItems(control, items); }
  void SetSelection(int control, int index) override { controls_.SetSelection(control, index); }
  int Selection(int control) const override { return controls_.Selection(control); }
  void SetScrollPosition(int control, int position) override { controls_.SetScrollPosition(control, position); }
  int ScrollPosition(int control) const override { return controls_.ScrollPosition(control); }
  void SetFillColour(int control, std::uint32_t bgr) override { controls_.SetFillColour(control, bgr); }
  std::uint32_t FillColour(int control) const override { return controls_.FillColour(control); }
  void SetChord(int control, Chord chord) override { controls_.SetChord(control, chord); }
  Chord ChordOf(int control) const override { return controls_.ChordOf(control); }
  void SetChecked(int control, bool checked) override { controls_.SetChecked(control, checked); }
  void SetEnabled(int control, bool enabled) override { controls_.SetEnabled(control, enabled); }
  bool Checked(int control) const override { return controls_.Checked(control); }
  void DropDown(int control) override { controls_.DropDown(control); }
  std::uint32_t ButtonFaceColour() const override { return ::GetSysColor(COLOR_BTNFACE); }
  void Close() override;
  void ShowMessage(std::wstring_view text) override;

 private:
  HWND hwnd() const { return hwnd_.get(); }
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  static INT_PTR Dispatch(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  // Sizes the client area and centres the window on the primary screen.
  void Place();
  // The outer size of the window whose client area is the layout's at `dpi`.
  SIZE OuterSize(int dpi) const;
  // The window is on a monitor of `dpi` now: its controls and size follow, its
  // top-left corner goes to `corner`.
  void Rescale(int dpi, POINT corner);
  // After a move: rescaled if the move took it to a monitor of another DPI.
  void FollowDpi();

  Win32Platform& platform_;
  platform::DialogEvents& events_;
  OwnedWindow hwnd_;
  float client_width_ = 0, client_height_ = 0;  // twips
  int dpi_ = USER_DEFAULT_SCREEN_DPI;
  DialogControls controls_;
};

}  // namespace rc::win32
