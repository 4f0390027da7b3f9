#include "platform/win32/win32_window.h"

#include <commctrl.h>
#include <dbt.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>

#include "base/pixel_scale.h"
#include "platform/win32/app_messages.h"
#include "platform/win32/system_error.h"
#include "platform/win32/win32_platform.h"
#include "shell/tray_icon.h"

namespace rc::win32 {

namespace {
constexpr DWORD kEdgeStyles = WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE | WS_EX_STATICEDGE | WS_EX_DLGMODALFRAME;
constexpr DWORD kFrameStyles = WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_DLGFRAME | WS_SYSMENU;

// The name of the serial port whose arrival or removal the broadcast announces, else empty.
std::wstring_view BroadcastPortName(LPARAM lparam) {
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lparam);
  if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_PORT) return {};
  const auto* port = reinterpret_cast<const DEV_BROADCAST_PORT_W*>(lparam);
  // The name fills the rest of the record; it need not be terminated.
  constexpr std::size_t kNameOffset = offsetof(DEV_BROADCAST_PORT_W, dbcp_name);
  if (header->dbch_size <= kNameOffset) return {};
  std::wstring_view name(port->dbcp_name, (header->dbch_size - kNameOffset) / sizeof(wchar_t));
  return name.substr(0, name.find(L'\0'));
}

// The codes the program's tray rule decides on are the system's.
namespace tray_code = shell::tray_code;
static_assert(tray_code::kContextMenu == WM_CONTEXTMENU && tray_code::kLeftDoubleClick == WM_LBUTTONDBLCLK &&
              tray_code::kRightButtonUp == WM_RBUTTONUP && tray_code::kSelect == NIN_SELECT &&
              tray_code::kKeySelect == NIN_KEYSELECT && tray_code::kNotificationClicked == NIN_BALLOONUSERCLICK);

class Win32PopupMenu final : public platform::PopupMenu {
 public:
  Win32PopupMenu(HWND owner, HMENU menu) : owner_(owner), menu_(menu) {}
  bool IsChecked(int command) const override {
    return (::GetMenuState(menu_.get(), static_cast<UINT>(command), MF_BYCOMMAND) & MF_CHECKED) != 0;
  }
  void SetChecked(int command, bool checked) override {
    ::CheckMenuItem(menu_.get(), static_cast<UINT>(command), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  }
  void ShowAtPointer() override {
    POINT pointer{};
    ::GetCursorPos(&pointer);
    ShowAt({pointer.x, pointer.y});
  }
  void ShowAt(platform::PixelPoint point) override {
    // A notification-area menu only closes on a click elsewhere when its owner
    // is in the foreground (which also gives it the keyboard), and needs a
    // message after it returns.
    ::SetForegroundWindow(owner_);
    ::TrackPopupMenu(menu_.get(), TPM_LEFTALIGN | TPM_LEFTBUTTON, point.x, point.y, 0, owner_, nullptr);
    ::PostMessageW(owner_, WM_NULL, 0, 0);
  }

 private:
  HWND owner_;
  OwnedMenu menu_;
};
}  // namespace

Win32Window::Win32Window(Win32Platform& platform, platform::WindowEvents* events,
                         platform::ShellEvents* shell_events)
    : platform_(platform), events_(events), shell_events_(shell_events) {}

Win32Window::~Win32Window() {
  platform_.Forget(*this);
  // The window goes before its brush, and no message of its destruction
  // reaches this half-destroyed object.
  if (hwnd_) {
    ::SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, 0);
    hwnd_.reset();
  }
}

bool Win32Window::Create(const wchar_t* class_name, const wchar_t* title, DWORD style, DWORD ex_style) {
  HWND hwnd = ::CreateWindowExW(ex_style, class_name, title, style, 0, 0, 0, 0, nullptr, nullptr,
                                platform_.instance(), this);
  if (hwnd == nullptr) return false;
  hwnd_.reset(hwnd);
  if (ex_style & WS_EX_LAYERED) {
    // Fully opaque; the layered style only serves to let mouse input through.
    ::SetLayeredWindowAttributes(hwnd, 0, 255, LWA_ALPHA);
  }
  brush_.reset(::CreateSolidBrush(back_colour_));
  return true;
}

int Win32Window::ToPixelsX(float twips) const { return platform_.screen().ScaleX().Pixel(twips); }
int Win32Window::ToPixelsY(float twips) const { return platform_.screen().ScaleY().Pixel(twips); }

void Win32Window::GeometryChanged() {
  pending_geometry_ = true;
  Apply();
}

void Win32Window::VisibilityChanged() {
  pending_visibility_ = true;
  Apply();
}

void Win32Window::Apply() {
  if (platform_.batching()) {
    if (!queued_) {
      queued_ = true;
      platform_.Queue(*this);
    }
    return;
  }
  HDWP batch = ::BeginDeferWindowPos(1);
  batch = Defer(batch);
  if (batch != nullptr) ::EndDeferWindowPos(batch);
}

HDWP Win32Window::Defer(HDWP batch) {
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

void Win32Window::SetBackColour(std::uint32_t bgr) {
  if (!platform::Update(back_colour_, bgr)) return;
  brush_.reset(::CreateSolidBrush(bgr));
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void Win32Window::SetVisible(bool visible) {
  if (platform::Update(visible_, visible)) VisibilityChanged();
}

void Win32Window::SetBorderNone() {
  LONG_PTR style = ::GetWindowLongPtrW(hwnd(), GWL_STYLE);
  if ((style & kFrameStyles) == 0) return;
  ::SetWindowLongPtrW(hwnd(), GWL_STYLE, style & ~static_cast<LONG_PTR>(kFrameStyles));
  ::SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Win32Window::SetAppearanceFlat() {
  LONG_PTR ex_style = ::GetWindowLongPtrW(hwnd(), GWL_EXSTYLE);
  if ((ex_style & kEdgeStyles) == 0) return;
  ::SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, ex_style & ~static_cast<LONG_PTR>(kEdgeStyles));
  ::SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void Win32Window::SetCaption(std::wstring_view caption) {
  wchar_t current[256] = {};
  int length = ::GetWindowTextW(hwnd(), current, 256);
  if (std::wstring_view(current, static_cast<std::size_t>(length)) == caption) return;
  std::wstring text(caption);
  ::SetWindowTextW(hwnd(), text.c_str());
}

void Win32Window::SetTopmost(bool topmost) {
  // SWP_NOACTIVATE: without it SetWindowPos activates the window, and the cross
  // windows never take the focus (Wine also treats an activated window as one
  // its window manager must handle, and then every hide waits for it).
  ::SetWindowPos(hwnd(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void Win32Window::ShowActivated() {
  // An action, not a property: shown even if something outside the program hid it.
  visible_ = true;
  ::ShowWindow(hwnd(), SW_SHOW);
  ::SetForegroundWindow(hwnd());
  ::BringWindowToTop(hwnd());
}

std::unique_ptr<platform::PopupMenu> Win32Window::MakePopupMenu(std::span<const platform::MenuItem> items) {
  OwnedMenu menu(::CreatePopupMenu());
  if (!menu) return nullptr;
  for (const auto& item : items) {
    std::wstring caption(item.caption);
    ::AppendMenuW(menu.get(), MF_STRING, static_cast<UINT_PTR>(item.command), caption.c_str());
  }
  return std::make_unique<Win32PopupMenu>(hwnd(), menu.release());
}

namespace {
// Every add and modify carries the tip; with version 4 the standard tooltip
// shows only with NIF_SHOWTIP.
NOTIFYICONDATAW ToShellRecord(HWND window, HICON icon, const platform::TrayIconRecord& record) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = record.id;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
  data.uCallbackMessage = kTrayCallbackMessage;
  data.hIcon = icon;
  static_assert(sizeof data.szTip / sizeof data.szTip[0] == std::tuple_size_v<decltype(record.tip)>);
  std::copy(record.tip.begin(), record.tip.end(), data.szTip);
  data.szTip[std::size(data.szTip) - 1] = L'\0';
  return data;
}

// Copies as much of `text` as fits, always terminated.
template <std::size_t N>
void CopyText(wchar_t (&field)[N], std::wstring_view text) {
  const std::size_t length = std::min(text.size(), N - 1);
  std::copy_n(text.begin(), length, field);
  field[length] = L'\0';
}
}  // namespace

HICON Win32Window::TrayIconImage() {
  if (!tray_icon_image_) {
    HICON icon = nullptr;
    if (FAILED(::LoadIconMetric(platform_.instance(), MAKEINTRESOURCEW(kProgramIcon), LIM_SMALL, &icon))) {
      icon = static_cast<HICON>(::LoadImageW(platform_.instance(), MAKEINTRESOURCEW(kProgramIcon), IMAGE_ICON,
                                             ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    }
    tray_icon_image_.reset(icon);
  }
  if (tray_icon_image_) return tray_icon_image_.get();
  return reinterpret_cast<HICON>(::GetClassLongPtrW(hwnd(), GCLP_HICON));
}

platform::Status Win32Window::AddTrayIcon(const platform::TrayIconRecord& record) {
  NOTIFYICONDATAW data = ToShellRecord(hwnd(), TrayIconImage(), record);
  if (!::Shell_NotifyIconW(NIM_ADD, &data)) return LastSystemFailure();
  // Asked again after every add: the version belongs to the icon.
  data.uVersion = NOTIFYICON_VERSION_4;
  (void)::Shell_NotifyIconW(NIM_SETVERSION, &data);
  return platform::Status::Ok();
}

platform::Status Win32Window::ShowTrayNotification(const platform::TrayIconRecord& record,
                                                   const platform::TrayNotification& notification) {
  NOTIFYICONDATAW data = ToShellRecord(hwnd(), TrayIconImage(), record);
  data.uFlags |= NIF_INFO;
  CopyText(data.szInfoTitle, notification.title);
  CopyText(data.szInfo, notification.text);
  data.dwInfoFlags = NIIF_INFO | NIIF_RESPECT_QUIET_TIME;
  return ::Shell_NotifyIconW(NIM_MODIFY, &data) ? platform::Status::Ok() : LastSystemFailure();
}

std::optional<platform::PixelPoint> Win32Window::TrayIconCorner(const platform::TrayIconRecord& record) {
  NOTIFYICONIDENTIFIER icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = hwnd();
  icon.uID = record.id;
  RECT place{};
  if (FAILED(::Shell_NotifyIconGetRect(&icon, &place)) || ::IsRectEmpty(&place)) return std::nullopt;
  return platform::PixelPoint{place.left, place.top};
}

platform::Status Win32Window::ModifyTrayIcon(const platform::TrayIconRecord& record) {
  NOTIFYICONDATAW data = ToShellRecord(hwnd(), TrayIconImage(), record);
  data.uFlags = NIF_TIP | NIF_SHOWTIP;
  return ::Shell_NotifyIconW(NIM_MODIFY, &data) ? platform::Status::Ok() : LastSystemFailure();
}

platform::Status Win32Window::DeleteTrayIcon(const platform::TrayIconRecord& record) {
  NOTIFYICONDATAW data = ToShellRecord(hwnd(), TrayIconImage(), record);
  return ::Shell_NotifyIconW(NIM_DELETE, &data) ? platform::Status::Ok() : LastSystemFailure();
}

LRESULT CALLBACK Win32Window::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr || self->hwnd_.get() == nullptr) {
    return ::DefWindowProcW(hwnd, message, wparam, lparam);
  }
  // An exception must never unwind into the system's dispatch; the one a
  // handler can meet (allocation) drops that message's work.
  try {
    return self->Handle(message, wparam, lparam);
  } catch (...) {
    return ::DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

bool Win32Window::HandleShell(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  if (message == platform_.taskbar_created_message() && message != 0) {
    shell_events_->OnTaskbarCreated();
    return true;
  }
  switch (message) {
    case kTrayCallbackMessage:
      // A message box for the whole program has disabled this window: the
      // tray takes no commands until it is dismissed.
      if (!::IsWindowEnabled(hwnd())) return true;
      // Version 4: the code in lParam's low word (the icon's id in the high
      // word), the anchor in wParam; the older protocol has the id in wParam.
      shell_events_->OnTrayEvent({LOWORD(lparam), {GET_X_LPARAM(wparam), GET_Y_LPARAM(wparam)}});
      return true;
    case WM_COMMAND:
      if (HIWORD(wparam) == 0) shell_events_->OnMenuCommand(LOWORD(wparam));
      return true;
    case WM_QUERYENDSESSION:
      result = TRUE;
      return true;
    case WM_ENDSESSION:
      if (wparam) shell_events_->OnSessionEnding();
      return true;
    case kAnotherCopyStarted:
      shell_events_->OnAnotherCopyStarted();
      return true;
    case WM_DISPLAYCHANGE:
      // Sent to every top-level window, hidden ones too, after the change.
      shell_events_->OnDisplayChanged();
      return true;
    case WM_SETTINGCHANGE:
      if (wparam == SPI_SETWORKAREA) shell_events_->OnDisplayChanged();
      return false;
    case WM_DEVICECHANGE:
      // Serial ports come and go as broadcasts to top-level windows.
      if (wparam == DBT_DEVICEARRIVAL || wparam == DBT_DEVICEREMOVECOMPLETE) {
        if (std::wstring_view name = BroadcastPortName(lparam); !name.empty()) {
          if (wparam == DBT_DEVICEARRIVAL) {
            shell_events_->OnSerialPortArrived(name);
          } else {
            shell_events_->OnSerialPortRemoved(name);
          }
        }
      }
      result = TRUE;
      return true;
    case WM_POWERBROADCAST:
      if (wparam == PBT_APMRESUMEAUTOMATIC) shell_events_->OnSystemResumed();
      result = TRUE;
      return true;
    case WM_CLOSE:
      // Closing the start-up window ends the program (its owner unloads).
      shell_events_->OnClose();
      ::PostQuitMessage(0);
      return true;
    default:
      return false;
  }
}

LRESULT Win32Window::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  HWND h = hwnd();
  if (shell_events_ != nullptr) {
    if (LRESULT result = 0; HandleShell(message, wparam, lparam, result)) return result;
  }
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
      // After EndPaint, so that what the handler changes is painted again.
      if (events_ != nullptr) events_->OnRepaint();
      return 0;
    }
    case WM_WINDOWPOSCHANGED: {
      // A move by the user (a drag) changes the edges behind the program's back.
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lparam);
      if (!(pos->flags & SWP_NOMOVE)) {
        left_ = platform_.screen().ScaleX().TwipsAfterMove(left_, pos->x);
        top_ = platform_.screen().ScaleY().TwipsAfterMove(top_, pos->y);
      }
      break;
    }
    case WM_MOUSEACTIVATE:
      if (events_ != nullptr) return MA_NOACTIVATE;  // the cross never takes the focus
      break;
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
      if (events_ != nullptr) events_->OnMouseButtonDown();
      return 0;
    case WM_CLOSE:
      return 0;  // the cross windows close only with the program
    default:
      break;
  }
  return ::DefWindowProcW(h, message, wparam, lparam);
}

}  // namespace rc::win32
