#pragma once
// What every window of the program has over a real HWND: its handle, owned and
// destroyed once, and one window procedure that hands each message to the
// object the window belongs to. The kinds (cross window, start-up window) each
// handle their own messages.

#include <windows.h>

#include "platform/status.h"
#include "platform/win32/handles.h"

namespace rc::win32 {

class Win32WindowBase {
 public:
  Win32WindowBase(const Win32WindowBase&) = delete;
  Win32WindowBase& operator=(const Win32WindowBase&) = delete;

  HWND hwnd() const { return hwnd_.get(); }

  // The procedure of every window class of the program.
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

 protected:
  Win32WindowBase() = default;
  // The window goes first, and no message of its destruction reaches the
  // half-destroyed object.
  virtual ~Win32WindowBase();
  // Fails with the system's reason when the window cannot be made.
  platform::Status Create(HINSTANCE instance, const wchar_t* class_name, DWORD style, DWORD ex_style);
  virtual LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam) = 0;
  void Destroy();

 private:
  OwnedWindow hwnd_;
};

// A message-only window of its own class (registered on first use), seen by no
// other program, whose GWLP_USERDATA is `owner`: a place on the user-interface
// thread for timers and for what another thread posts. Empty on failure, the
// system's error kept for GetLastError.
OwnedWindow MakeMessageWindow(const wchar_t* class_name, WNDPROC procedure, void* owner);

}  // namespace rc::win32
