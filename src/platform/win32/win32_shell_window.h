#pragma once
// The hidden start-up window over a real HWND, with ShellEvents: the tray icon
// and its notifications, the popup menu's commands, the global shortcuts, and
// the system's notices to top-level windows (session end, display and device
// changes, resume) and to this window (serial ports' device interfaces).

#include <windows.h>

#include <map>

#include "platform/shell_window.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_window.h"

namespace rc::win32 {

class Win32Platform;

class Win32ShellWindow final : public Win32WindowBase, public platform::ShellWindow {
 public:
  Win32ShellWindow(Win32Platform& platform, platform::ShellEvents& events) : platform_(platform), events_(events) {}
  ~Win32ShellWindow() override;
  platform::Status Create(const wchar_t* class_name, DWORD style, DWORD ex_style);

  platform::Made<platform::PopupMenu> MakePopupMenu(std::span<const platform::MenuItem> items) override;
  platform::Status AddTrayIcon(const platform::TrayIconRecord& record) override;
  platform::Status ModifyTrayIcon(const platform::TrayIconRecord& record) override;
  platform::Status DeleteTrayIcon(const platform::TrayIconRecord& record) override;
  platform::Status ShowTrayNotification(const platform::TrayIconRecord& record,
                                        const platform::TrayNotification& notification) override;
  std::optional<platform::PixelPoint> TrayIconCorner(const platform::TrayIconRecord& record) override;
  platform::Status RegisterHotkey(int id, Chord chord, bool repeats) override;
  void UnregisterHotkey(int id) override;
  bool ChordTypesCharacter(Chord chord) override;
  // While the user types a chord into a hotkey box, the program's own
  // shortcuts let it go through to the box: they are given up and taken again
  // after. Registrations meanwhile are tried and kept for then.
  void PauseHotkeys(bool paused);

 private:
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam) override;
  // The program icon at the size the notification area shows for the system
  // DPI, loaded once; the window's own icon if it cannot be.
  HICON TrayIconImage();

  Win32Platform& platform_;
  platform::ShellEvents& events_;
  OwnedIcon tray_icon_image_;
  // Serial ports' device interfaces coming and going, told to this window;
  // unregistered before the window goes (members go before the base).
  OwnedDeviceNotify port_notices_;
  struct Hotkey {
    UINT modifiers, key;
  };
  std::map<int, Hotkey> hotkeys_;  // registered, by id
  bool hotkeys_paused_ = false;
};

}  // namespace rc::win32
