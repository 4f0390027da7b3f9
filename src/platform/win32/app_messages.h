#pragma once
// Messages the platform layer posts to the start-up window.

#include <windows.h>

#include <string>

namespace rc::win32 {

// lParam: a std::string* with the bytes received; the receiver deletes it.
inline constexpr UINT kSerialReceived = WM_APP + 1;
// The open port was lost (device removed); no parameters.
inline constexpr UINT kSerialLost = WM_APP + 2;
// To the centre handle while it is dragged: Esc was pressed; no parameters.
inline constexpr UINT kDragCancelled = WM_APP + 3;
// Posted by a second start of the program in the same session; no parameters.
inline constexpr UINT kAnotherCopyStarted = WM_APP + 4;

}  // namespace rc::win32
