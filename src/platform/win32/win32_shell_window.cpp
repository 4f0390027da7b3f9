#include "platform/win32/win32_shell_window.h"

#include <commctrl.h>
#include <dbt.h>
#include <shellapi.h>
#include <windowsx.h>
// initguid.h first: it makes winioctl.h define the GUIDs it names.
// clang-format off
#include <initguid.h>
#include <winioctl.h>
// clang-format on

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>

#include "platform/win32/app_messages.h"
#include "platform/win32/system_error.h"
#include "platform/win32/win32_platform.h"

namespace rc::win32 {

namespace {
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

// Whether the notice is of a serial port's device interface (every port driver
// registers one, whatever it broadcasts besides).
bool IsPortInterfaceNotice(LPARAM lparam) {
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lparam);
  if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE ||
      header->dbch_size < sizeof(DEV_BROADCAST_DEVICEINTERFACE_W)) {
    return false;
  }
  return ::IsEqualGUID(reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(lparam)->dbcc_classguid,
                       GUID_DEVINTERFACE_COMPORT) != FALSE;
}

// The program's modifier flags are the system's own, handed on unchanged.
static_assert(modifier::kAlt == MOD_ALT && modifier::kCtrl == MOD_CONTROL && modifier::kShift == MOD_SHIFT &&
              modifier::kWin == MOD_WIN);

// The codes the program's tray rule decides on are the system's.
namespace tray_code = platform::tray_code;
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

Win32ShellWindow::~Win32ShellWindow() { platform_.ForgetShellWindow(*this); }

platform::Status Win32ShellWindow::Create(const wchar_t* class_name, DWORD style, DWORD ex_style) {
  if (platform::Status made = Win32WindowBase::Create(platform_.instance(), class_name, style, ex_style); !made.ok()) {
    return made;
  }
  // The shell's "TaskbarCreated" comes from a less privileged process when the
  // program runs elevated; without this the icon would not come back.
  if (platform_.taskbar_created_message() != 0)
    ::ChangeWindowMessageFilterEx(hwnd(), platform_.taskbar_created_message(), MSGFLT_ALLOW, nullptr);
  // Without it the ports' own broadcasts still arrive, from the drivers that send them.
  DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = GUID_DEVINTERFACE_COMPORT;
  port_notices_.reset(::RegisterDeviceNotificationW(hwnd(), &filter, DEVICE_NOTIFY_WINDOW_HANDLE));
  return platform::Status::Ok();
}

platform::Made<platform::PopupMenu> Win32ShellWindow::MakePopupMenu(std::span<const platform::MenuItem> items) {
  OwnedMenu menu(::CreatePopupMenu());
  if (!menu) return {nullptr, LastSystemFailure("CreatePopupMenu")};
  for (const auto& item : items) {
    std::wstring caption(item.caption);
    if (!::AppendMenuW(menu.get(), MF_STRING, static_cast<UINT_PTR>(item.command), caption.c_str())) {
      return {nullptr, LastSystemFailure("AppendMenuW")};
    }
  }
  return {std::make_unique<Win32PopupMenu>(hwnd(), menu.release()), platform::Status::Ok()};
}

platform::Status Win32ShellWindow::RegisterHotkey(int id, Chord chord, bool repeats) {
  // The system keeps an id's earlier chord beside a new one: it goes first.
  UnregisterHotkey(id);
  if (chord.key == 0) return platform::Status::Ok();  // no key: switched off
  constexpr UINT kModifiers = MOD_ALT | MOD_CONTROL | MOD_SHIFT | MOD_WIN;
  const Hotkey hotkey{(chord.modifiers & kModifiers) | (repeats ? 0U : static_cast<UINT>(MOD_NOREPEAT)), chord.key};
  hotkeys_[id] = hotkey;  // first: nothing of the system's is left behind if this throws
  if (!::RegisterHotKey(hwnd(), id, hotkey.modifiers, hotkey.key)) {
    const DWORD code = ::GetLastError();
    hotkeys_.erase(id);
    return platform::Status::Failed(
        code == ERROR_HOTKEY_ALREADY_REGISTERED ? platform::Error::Busy : platform::Error::Other, code);
  }
  // Paused: only tried, so that the answer is the system's; taken when the pause ends.
  if (hotkeys_paused_) ::UnregisterHotKey(hwnd(), id);
  return platform::Status::Ok();
}

bool Win32ShellWindow::ChordTypesCharacter(Chord chord) {
  // Only AltGr, which layouts send as Ctrl+Alt, makes a Ctrl or Alt chord a character.
  if ((chord.modifiers & (modifier::kCtrl | modifier::kAlt)) != (modifier::kCtrl | modifier::kAlt) || chord.key == 0) {
    return false;
  }
  HKL layouts[32];
  const int count = ::GetKeyboardLayoutList(static_cast<int>(std::size(layouts)), layouts);
  BYTE keys[256] = {};
  keys[VK_CONTROL] = keys[VK_MENU] = keys[VK_LCONTROL] = keys[VK_RMENU] = 0x80;
  if (chord.modifiers & modifier::kShift) keys[VK_SHIFT] = keys[VK_LSHIFT] = 0x80;
  for (int i = 0; i < count; ++i) {
    wchar_t typed[8] = {};
    const UINT scan = ::MapVirtualKeyExW(chord.key, MAPVK_VK_TO_VSC, layouts[i]);
    // 4: the keyboard's dead-key state is left as it is (Windows 10 1607 on;
    // older systems may lose a dead key typed just before).
    const int n = ::ToUnicodeEx(chord.key, scan, keys, typed, static_cast<int>(std::size(typed)), 4, layouts[i]);
    if (n != 0 && typed[0] >= L' ') return true;
  }
  return false;
}

void Win32ShellWindow::UnregisterHotkey(int id) {
  hotkeys_.erase(id);
  (void)::UnregisterHotKey(hwnd(), id);
}

void Win32ShellWindow::PauseHotkeys(bool paused) {
  if (hotkeys_paused_ == paused) return;
  hotkeys_paused_ = paused;
  for (const auto& [id, hotkey] : hotkeys_) {
    // A chord another program took meanwhile stays lost until the shortcuts are
    // registered again (the properties dialog does that when it opens).
    if (paused) {
      (void)::UnregisterHotKey(hwnd(), id);
    } else {
      (void)::RegisterHotKey(hwnd(), id, hotkey.modifiers, hotkey.key);
    }
  }
}

namespace {
// Copies as much of `text` as fits, always terminated.
template <std::size_t N>
void CopyText(wchar_t (&field)[N], std::wstring_view text) {
  const std::size_t length = std::min(text.size(), N - 1);
  std::copy_n(text.begin(), length, field);
  field[length] = L'\0';
}

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
  CopyText(data.szTip, {record.tip.data(), ::wcsnlen(record.tip.data(), record.tip.size())});
  return data;
}

}  // namespace

HICON Win32ShellWindow::TrayIconImage() {
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

platform::Status Win32ShellWindow::AddTrayIcon(const platform::TrayIconRecord& record) {
  NOTIFYICONDATAW data = ToShellRecord(hwnd(), TrayIconImage(), record);
  if (!::Shell_NotifyIconW(NIM_ADD, &data)) {
    // The call waits about 4 s for Explorer; at sign-in or just after Explorer
    // restarts it can give up although Explorer adds the icon a moment later,
    // and every add after that fails because the icon exists. A modify with
    // the same record that succeeds says the icon is there.
    const platform::Status refused = LastSystemFailure("Shell_NotifyIconW");
    if (!::Shell_NotifyIconW(NIM_MODIFY, &data)) return refused;
  }
  // Asked again after every add: the version belongs to the icon.
  data.uVersion = NOTIFYICON_VERSION_4;
  (void)::Shell_NotifyIconW(NIM_SETVERSION, &data);
  return platform::Status::Ok();
}

platform::Status Win32ShellWindow::ShowTrayNotification(const platform::TrayIconRecord& record,
                                                        const platform::TrayNotification& notification) {
  NOTIFYICONDATAW data = ToShellRecord(hwnd(), TrayIconImage(), record);
  data.uFlags |= NIF_INFO;
  CopyText(data.szInfoTitle, notification.title);
  CopyText(data.szInfo, notification.text);
  data.dwInfoFlags = NIIF_INFO | NIIF_RESPECT_QUIET_TIME;
  return ::Shell_NotifyIconW(NIM_MODIFY, &data) ? platform::Status::Ok() : LastSystemFailure("Shell_NotifyIconW");
}

std::optional<platform::PixelPoint> Win32ShellWindow::TrayIconCorner(const platform::TrayIconRecord& record) {
  NOTIFYICONIDENTIFIER icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = hwnd();
  icon.uID = record.id;
  RECT place{};
  if (FAILED(::Shell_NotifyIconGetRect(&icon, &place)) || ::IsRectEmpty(&place)) return std::nullopt;
  return platform::PixelPoint{place.left, place.top};
}

platform::Status Win32ShellWindow::ModifyTrayIcon(const platform::TrayIconRecord& record) {
  NOTIFYICONDATAW data = ToShellRecord(hwnd(), TrayIconImage(), record);
  data.uFlags = NIF_TIP | NIF_SHOWTIP;
  return ::Shell_NotifyIconW(NIM_MODIFY, &data) ? platform::Status::Ok() : LastSystemFailure("Shell_NotifyIconW");
}

platform::Status Win32ShellWindow::DeleteTrayIcon(const platform::TrayIconRecord& record) {
  NOTIFYICONDATAW data = ToShellRecord(hwnd(), TrayIconImage(), record);
  return ::Shell_NotifyIconW(NIM_DELETE, &data) ? platform::Status::Ok() : LastSystemFailure("Shell_NotifyIconW");
}

LRESULT Win32ShellWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == platform_.taskbar_created_message() && message != 0) {
    events_.OnTaskbarCreated();
    return 0;
  }
  switch (message) {
    case kTrayCallbackMessage:
      // A message box for the whole program has disabled this window: the
      // tray takes no commands until it is dismissed.
      if (!::IsWindowEnabled(hwnd())) return 0;
      // Version 4: the code in lParam's low word (the icon's id in the high
      // word), the anchor in wParam; the older protocol has the id in wParam.
      events_.OnTrayEvent({LOWORD(lparam), {GET_X_LPARAM(wparam), GET_Y_LPARAM(wparam)}});
      return 0;
    case WM_COMMAND:
      if (HIWORD(wparam) == 0) events_.OnMenuCommand(LOWORD(wparam));
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wparam) events_.OnSessionEnding();
      return 0;
    case kAnotherCopyStarted:
      events_.OnAnotherCopyStarted();
      return 0;
    case WM_DISPLAYCHANGE:
      // Sent to every top-level window, hidden ones too, after the change.
      events_.OnDisplayChanged();
      return 0;
    case WM_SETTINGCHANGE:
      if (wparam == SPI_SETWORKAREA) events_.OnDisplayChanged();
      break;
    case WM_HOTKEY:
      // As the tray: nothing acts behind a message box for the whole program.
      if (::IsWindowEnabled(hwnd())) events_.OnHotkey(static_cast<int>(wparam));
      return 0;
    case WM_DEVICECHANGE:
      // Serial ports come and go as broadcasts to top-level windows (from the
      // drivers that send them), and as their device interfaces, told to this
      // window because it asked.
      if (wparam == DBT_DEVICEARRIVAL || wparam == DBT_DEVICEREMOVECOMPLETE) {
        if (IsPortInterfaceNotice(lparam)) {
          events_.OnSerialPortsChanged();
        } else if (std::wstring_view name = BroadcastPortName(lparam); !name.empty()) {
          if (wparam == DBT_DEVICEARRIVAL) {
            events_.OnSerialPortArrived(name);
          } else {
            events_.OnSerialPortRemoved(name);
          }
        }
      }
      return TRUE;
    case WM_POWERBROADCAST:
      if (wparam == PBT_APMRESUMEAUTOMATIC) events_.OnSystemResumed();
      return TRUE;
    case WM_CLOSE:
      // Closing the start-up window ends the program (its owner unloads).
      events_.OnClose();
      ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd(), message, wparam, lparam);
}

}  // namespace rc::win32
