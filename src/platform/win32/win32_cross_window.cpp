#include "platform/win32/win32_cross_window.h"

#include "base/pixel_scale.h"
#include "platform/win32/system_error.h"
#include "platform/win32/win32_platform.h"

namespace rc::win32 {

Win32CrossWindow::~Win32CrossWindow() {
  platform_.Forget(*this);
  Destroy();  // before the brush it paints with
}

platform::Status Win32CrossWindow::Create(const wchar_t* class_name, DWORD style, DWORD ex_style) {
  if (platform::Status made = Win32WindowBase::Create(platform_.instance(), class_name, style, ex_style); !made.ok()) {
    return made;
  }
  // A layered window shows nothing until its attributes are set.
  if (!::SetLayeredWindowAttributes(hwnd(), 0, alpha_, LWA_ALPHA))
    return LastSystemFailure("SetLayeredWindowAttributes");
  brush_.reset(::CreateSolidBrush(back_colour_));
  if (!brush_) return LastSystemFailure("CreateSolidBrush");
  return platform::Status::Ok();
}

void Win32CrossWindow::GeometryChanged() {
  pending_geometry_ = true;
  Apply();
}

void Win32CrossWindow::VisibilityChanged() {
  pending_visibility_ = true;
  Apply();
}

void Win32CrossWindow::Apply() {
  if (platform_.batching()) {
    if (!queued_) {
      queued_ = true;
      platform_.Queue(*this);
    }
    return;
  }
  const Win32Platform::Placing placing(platform_);
  HDWP batch = ::BeginDeferWindowPos(1);
  batch = Defer(batch);
  if (batch != nullptr) ::EndDeferWindowPos(batch);
}

HDWP Win32CrossWindow::Defer(HDWP batch) {
  queued_ = false;
  if (!pending()) return batch;
  UINT flags = SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE;
  if (!pending_geometry_) flags |= SWP_NOMOVE | SWP_NOSIZE;
  if (pending_visibility_) flags |= visible_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
  pending_geometry_ = pending_visibility_ = false;
  const PixelSpan across = platform_.screen().ScaleX().Span(left_, width_);
  const PixelSpan down = platform_.screen().ScaleY().Span(top_, height_);
  const int x = across.start, y = down.start, w = across.length, h = down.length;
  if (batch != nullptr) batch = ::DeferWindowPos(batch, hwnd(), nullptr, x, y, w, h, flags);
  if (batch == nullptr) ::SetWindowPos(hwnd(), nullptr, x, y, w, h, flags);
  return batch;
}

void Win32CrossWindow::SetBackColour(std::uint32_t bgr) {
  if (!platform::Update(back_colour_, bgr)) return;
  // Without a new brush the old colour stays on screen rather than none.
  if (HBRUSH brush = ::CreateSolidBrush(bgr); brush != nullptr) brush_.reset(brush);
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void Win32CrossWindow::SetAlpha(std::uint8_t alpha) {
  // The whole window at one opacity; the mouse still finds it (no WS_EX_TRANSPARENT on the handle).
  if (platform::Update(alpha_, alpha)) ::SetLayeredWindowAttributes(hwnd(), 0, alpha, LWA_ALPHA);
}

void Win32CrossWindow::SetVisible(bool visible) {
  if (platform::Update(visible_, visible)) VisibilityChanged();
}

void Win32CrossWindow::SetTopmost(bool topmost) {
  // SWP_NOACTIVATE: without it SetWindowPos activates the window, and the cross
  // windows never take the focus (Wine also treats an activated window as one
  // its window manager must handle, and then every hide waits for it).
  ::SetWindowPos(hwnd(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

platform::Status Win32CrossWindow::SetExcludedFromCapture(bool excluded) {
  constexpr DWORD kExcludeFromCapture = 0x00000011;  // WDA_EXCLUDEFROMCAPTURE, Windows 10 2004
  if (!::SetWindowDisplayAffinity(hwnd(), excluded ? kExcludeFromCapture : WDA_NONE)) {
    return LastSystemFailure("SetWindowDisplayAffinity");
  }
  return platform::Status::Ok();
}

void Win32CrossWindow::ShowActivated() {
  // An action, not a property: shown even if something outside the program hid it.
  visible_ = true;
  ::ShowWindow(hwnd(), SW_SHOW);
  ::SetForegroundWindow(hwnd());
  ::BringWindowToTop(hwnd());
}

LRESULT Win32CrossWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  HWND h = hwnd();
  switch (message) {
    case WM_ERASEBKGND: {
      RECT rect;
      ::GetClientRect(h, &rect);
      ::FillRect(reinterpret_cast<HDC>(wparam), &rect, static_cast<HBRUSH>(brush_.get()));
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = ::BeginPaint(h, &paint);
      if (paint.fErase) ::FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(brush_.get()));
      ::EndPaint(h, &paint);
      return 0;  // painting only: nothing is laid out here
    }
    case WM_WINDOWPOSCHANGED: {
      // A drag or the system (a monitor removed) changes the edges behind the
      // program's back; a move from outside the program is told, so that the
      // cross follows. The drag's end is told by the drag's owner.
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lparam);
      if (!(pos->flags & SWP_NOMOVE)) {
        const float left = left_, top = top_;
        left_ = platform_.screen().ScaleX().TwipsAfterMove(left_, pos->x);
        top_ = platform_.screen().ScaleY().TwipsAfterMove(top_, pos->y);
        if (!dragging_ && !platform_.placing() && (left != left_ || top != top_)) events_.OnMoved();
      }
      break;
    }
    case WM_DPICHANGED:
      // Never the system's rectangle: the cross's layout sizes every part for
      // the monitor that holds the handle's centre and keeps that centre, on
      // the notice of any of its windows (a hidden handle gets none); during a
      // drag, the layout at the drag's end does.
      if (!dragging_) events_.OnScaleChanged();
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;  // the cross never takes the focus
    case WM_CAPTURECHANGED:
      // The drag's loop waits for a message: wake it, so that it sees the loss.
      if (dragging_) ::PostMessageW(h, WM_NULL, 0, 0);
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
      if (dragging_) return 0;  // a second button during a drag starts nothing
      RememberPress(message, wparam, lparam);
      events_.OnMouseButtonDown();
      return 0;
    case WM_CLOSE:
      return 0;  // the cross windows close only with the program
    default:
      break;
  }
  return ::DefWindowProcW(h, message, wparam, lparam);
}

}  // namespace rc::win32
