// The centre handle's drag: the program moves the window itself.
//
// The system's interactive move (a caption press, SC_MOVE) of a window without
// a frame follows the pointer under Wine only while the pointer stays inside the
// window, so a pointer moving several pixels per event leaves a small handle
// behind. Here the handle captures the mouse on the press and, in a small modal
// loop, puts its top-left corner where the pointer's offset from the press says,
// from every mouse move; the release of the button that started the drag, a
// lost capture or WM_QUIT ends it where it is, Esc puts it back.
//
// Esc: the handle never takes the focus, so the keyboard goes to whichever
// window has it, often another program's. A low-level keyboard hook, only for
// the drag's duration, sees Esc wherever the focus is and keeps it from that
// window (a dialog of the program would take it as its cancel button).

#include <windowsx.h>

#include "platform/win32/app_messages.h"
#include "platform/win32/win32_cross_window.h"
#include "platform/win32/win32_platform.h"

namespace rc::win32 {

namespace {

// The window being dragged, for the hook, which has no context of its own.
// One drag at a time, on the user-interface thread.
HWND g_dragged_window = nullptr;

LRESULT CALLBACK EscapeDuringDrag(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION && reinterpret_cast<const KBDLLHOOKSTRUCT*>(lparam)->vkCode == VK_ESCAPE) {
    if (wparam == WM_KEYDOWN || wparam == WM_SYSKEYDOWN) ::PostMessageW(g_dragged_window, kDragCancelled, 0, 0);
    return 1;  // the drag's key
  }
  return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

// The hook and the capture of one drag, released on every way out.
class DragGrab {
 public:
  explicit DragGrab(HWND window) : window_(window) {
    g_dragged_window = window;
    hook_ = ::SetWindowsHookExW(WH_KEYBOARD_LL, &EscapeDuringDrag, ::GetModuleHandleW(nullptr), 0);
    ::SetCapture(window);
  }
  ~DragGrab() {
    if (hook_ != nullptr) ::UnhookWindowsHookEx(hook_);
    g_dragged_window = nullptr;
    if (::GetCapture() == window_) ::ReleaseCapture();
  }
  DragGrab(const DragGrab&) = delete;
  DragGrab& operator=(const DragGrab&) = delete;

 private:
  HWND window_;
  HHOOK hook_ = nullptr;
};

bool IsEscapeKey(const MSG& message) {
  return (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) && message.wParam == VK_ESCAPE;
}

}  // namespace

void Win32CrossWindow::RememberPress(UINT message, WPARAM wparam, LPARAM lparam) {
  press_.point = {GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  ::ClientToScreen(hwnd(), &press_.point);
  switch (message) {
    case WM_RBUTTONDOWN:
      press_.release = WM_RBUTTONUP, press_.held = MK_RBUTTON;
      break;
    case WM_MBUTTONDOWN:
      press_.release = WM_MBUTTONUP, press_.held = MK_MBUTTON;
      break;
    case WM_XBUTTONDOWN:
      press_.release = WM_XBUTTONUP;
      press_.held = GET_XBUTTON_WPARAM(wparam) == XBUTTON1 ? MK_XBUTTON1 : MK_XBUTTON2;
      break;
    default:
      press_.release = WM_LBUTTONUP, press_.held = MK_LBUTTON;
      break;
  }
}

void Win32CrossWindow::PlaceAtPixel(POINT corner) {
  // The edges in twips are exactly that pixel's, so the layout afterwards puts
  // the bars around the handle where it is seen and the position stored is it.
  left_ = static_cast<float>(corner.x) * platform_.screen().TwipsPerPixelX();
  top_ = static_cast<float>(corner.y) * platform_.screen().TwipsPerPixelY();
  ::SetWindowPos(hwnd(), nullptr, corner.x, corner.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
}

void Win32CrossWindow::BeginDrag() {
  HWND h = hwnd();
  if (h == nullptr || dragging_) return;
  const float start_left = left_, start_top = top_;
  const POINT start{platform_.screen().ScaleX().Pixel(left_), platform_.screen().ScaleY().Pixel(top_)};
  const POINT grab{press_.point.x - start.x, press_.point.y - start.y};
  POINT placed = start;
  auto follow = [&](POINT pointer) {
    const POINT corner{pointer.x - grab.x, pointer.y - grab.y};
    if (corner.x == placed.x && corner.y == placed.y) return;
    placed = corner;
    PlaceAtPixel(corner);
  };

  dragging_ = true;
  bool cancelled = false;
  {
    DragGrab grab_mouse_and_escape(h);
    MSG message{};
    for (;;) {
      const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
      if (got == 0) {
        ::PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that ends the program
        break;
      }
      if (got < 0) break;
      if (message.hwnd == h && message.message == kDragCancelled) {
        cancelled = true;
        break;
      }
      if (IsEscapeKey(message)) {  // a window of the program had the focus after all
        cancelled = true;
        break;
      }
      if (message.hwnd == h && message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST) {
        // The message's own point: where the pointer was at that event, however
        // far it jumped since the last one.
        if (message.message == WM_MOUSEMOVE) {
          follow(message.pt);
          if ((message.wParam & press_.held) == 0) break;  // the release went elsewhere
        } else if (message.message == press_.release) {
          follow(message.pt);
          break;
        }
        continue;  // other buttons start nothing during a drag
      }
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
      if (::GetCapture() != h) break;  // taken away (a menu, another program): ends where it is
    }
  }
  dragging_ = false;
  if (cancelled) {
    const Win32Platform::Placing placing(platform_);
    ::SetWindowPos(h, nullptr, start.x, start.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
    left_ = start_left, top_ = start_top;
  }
}

}  // namespace rc::win32
