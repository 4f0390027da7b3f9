#pragma once
// A modeless dialog window over the system's dialog class, made from an
// in-memory template: a caption bar with a close box, a fixed client area in
// twips, no owner (so never above the cross, which may be topmost), hidden until
// shown. The user's close destroys the window at once.

#include <windows.h>

#include "platform/dialog.h"
#include "platform/win32/handles.h"

namespace rc::win32 {

class Win32Platform;

class Win32Dialog final : public platform::Dialog {
 public:
  Win32Dialog(Win32Platform& platform, platform::DialogEvents& events);
  ~Win32Dialog() override;
  Win32Dialog(const Win32Dialog&) = delete;
  Win32Dialog& operator=(const Win32Dialog&) = delete;
  bool Create(const platform::DialogSpec& spec);

  bool IsOpen() const override { return static_cast<bool>(hwnd_); }
  void ShowActivated() override;

  HWND hwnd() const { return hwnd_.get(); }

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  // Sizes the client area and centres the window on the primary screen.
  void Place(float client_width, float client_height);

  Win32Platform& platform_;
  platform::DialogEvents& events_;
  OwnedWindow hwnd_;
};

}  // namespace rc::win32
