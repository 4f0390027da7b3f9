#pragma once
// The hidden start-up window "frm_Pop": the window the notification-area icon,
// the popup menu and the system's session and shell notices belong to.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "base/chord.h"
#include "platform/popup_menu.h"
#include "platform/status.h"
#include "platform/window.h"

namespace rc::platform {

// The start-up window's name, also its window class, by which a second start
// of the program finds the running one.
inline constexpr wchar_t kStartUpWindowName[] = L"frm_Pop";

// The notification-area icon; the icon shown is the window's own.
struct TrayIconRecord {
  std::uint32_t id = 0;
  std::array<wchar_t, 128> tip{};  // always ends in a terminator
};

// A notification shown from the icon: a balloon, on Windows 10 and later a
// toast, which shows even when the icon sits in the overflow. It carries the
// information icon and waits while the user's quiet time lasts.
struct TrayNotification {
  std::wstring_view title;
  std::wstring_view text;
};

// One notification of the icon, as the notification area sends it: its code
// (a mouse message's number, or a keyboard or notification event's) and the
// anchor point in screen pixels, where the code carries one.
struct TrayEvent {
  std::uint32_t code = 0;
  PixelPoint anchor;
};

// The codes of the icon's notifications that mean something: the system's own
// numbers for them (mouse messages, and the keyboard and notification events
// of the notification area's version 4).
namespace tray_code {
inline constexpr std::uint32_t kContextMenu = 0x007B;  // the menu key or Shift+F10; also after a right release
inline constexpr std::uint32_t kLeftDoubleClick = 0x0203;
inline constexpr std::uint32_t kRightButtonUp = 0x0205;
inline constexpr std::uint32_t kSelect = 0x0400;     // a left click
inline constexpr std::uint32_t kKeySelect = 0x0401;  // Enter or Space on the selected icon
inline constexpr std::uint32_t kNotificationClicked = 0x0405;
}  // namespace tray_code

// What the shell window reports to its owner, on the user-interface thread.
class ShellEvents {
 public:
  virtual void OnTrayEvent(TrayEvent /*event*/) {}
  // A command of the window's popup menu was chosen.
  virtual void OnMenuCommand(int /*command*/) {}
  // The notification area was re-created (the shell restarted).
  virtual void OnTaskbarCreated() {}
  // The user's session is really ending.
  virtual void OnSessionEnding() {}
  // The program was started again in the same session; that copy has ended.
  virtual void OnAnotherCopyStarted() {}
  // A serial port of that name ("COM5") arrived (plugged in) or was removed, as
  // the port's own broadcast says (not every driver sends one).
  virtual void OnSerialPortArrived(std::wstring_view /*port_name*/) {}
  virtual void OnSerialPortRemoved(std::wstring_view /*port_name*/) {}
  // A serial port's device came or went, as its device interface says (every
  // driver announces that); which port it was, the port list tells.
  virtual void OnSerialPortsChanged() {}
  // A global shortcut registered with this id was pressed (and, for one that
  // repeats, each auto-repeat of its key), whichever program has the keyboard.
  virtual void OnHotkey(int /*id*/) {}
  // The system woke from sleep or hibernation.
  virtual void OnSystemResumed() {}
  // The screen changed: its size, the monitors attached, or the work area.
  // The screen reports the new state by the time this arrives.
  virtual void OnDisplayChanged() {}
  // The platform closes the window (other than by the program's own exit); the
  // program ends after this returns.
  virtual void OnClose() {}

 protected:
  ~ShellEvents() = default;
};

class ShellWindow {
 public:
  virtual ~ShellWindow() = default;
  // Commands chosen from the menu arrive as OnMenuCommand.
  virtual Made<PopupMenu> MakePopupMenu(std::span<const MenuItem> items) = 0;
  // The icon's notifications arrive as OnTrayEvent. The add also asks for the
  // notification area's version 4, in which the keyboard reaches the icon; a
  // shell without it goes on with the mouse alone.
  virtual Status AddTrayIcon(const TrayIconRecord& record) = 0;
  // Changes the tip of the icon added with this record's id.
  virtual Status ModifyTrayIcon(const TrayIconRecord& record) = 0;
  virtual Status ShowTrayNotification(const TrayIconRecord& record, const TrayNotification& notification) = 0;
  virtual Status DeleteTrayIcon(const TrayIconRecord& record) = 0;
  // The icon's top-left corner on the screen, where the notification area tells it.
  virtual std::optional<PixelPoint> TrayIconCorner(const TrayIconRecord& record) = 0;
  // A global shortcut: `chord` pressed in any program arrives as OnHotkey(id);
  // held down it arrives again at the keyboard's repeat rate only when
  // `repeats`. Fails with Error::Busy when another program holds the chord.
  // Registering an id again replaces its chord.
  virtual Status RegisterHotkey(int id, Chord chord, bool repeats) = 0;
  virtual void UnregisterHotkey(int id) = 0;
  // Whether one of the keyboard layouts the user has makes the chord type a
  // character (AltGr is Ctrl+Alt: Ctrl+Alt+Shift+C is Ć on a Polish layout),
  // which a shortcut on it then swallows.
  virtual bool ChordTypesCharacter(Chord chord) = 0;
};

}  // namespace rc::platform
