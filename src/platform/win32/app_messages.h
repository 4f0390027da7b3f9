#pragma once
// The program's own window messages.

#include <windows.h>

#include <cstdint>
#include <string>

namespace rc::win32 {

// To the serial port's window from its I/O thread. wParam: the number of the
// open; lParam: a ReceivedBytes*, which the receiver deletes.
inline constexpr UINT kSerialReceived = WM_APP + 1;
struct ReceivedBytes {
  std::string bytes;
  std::int64_t read_ms;  // GetTickCount64 when read
};
// The open port was lost (device removed); wParam: the number of the open.
inline constexpr UINT kSerialLost = WM_APP + 2;
// To the centre handle while it is dragged: Esc was pressed; no parameters.
inline constexpr UINT kDragCancelled = WM_APP + 3;
// The tray icon's notifications to the start-up window: a mouse move's number,
// with the notification's code (a mouse message, or a keyboard or notification
// event) in lParam's low word.
inline constexpr UINT kTrayCallbackMessage = WM_MOUSEMOVE;
// To the start-up window from a second start in the same session; no parameters.
inline constexpr UINT kAnotherCopyStarted = WM_APP + 4;
// To the serial port's window from its I/O thread: a write is done. wParam: the
// number of the open; lParam: 0 when every byte left, else the system's code.
inline constexpr UINT kSerialWritten = WM_APP + 5;
// To the serial port's window from its I/O thread: the open is done, as the
// open's own record says. wParam: the number of the open.
inline constexpr UINT kSerialOpened = WM_APP + 6;

}  // namespace rc::win32
