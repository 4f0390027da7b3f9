#pragma once
// The program's notification-area icon on the start-up window: its record
// (TrayIconData), the routines that add and remove it, the notification of a
// first run, and what each of the icon's notifications does (TrayCallback).

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/shell_window.h"

namespace rc::shell {

inline constexpr std::uint32_t kTrayIconId = 1;

// The icon's tip: "Reticor2", and on a second line what the program is doing
// (the reader link's state), when there is something to say.
std::wstring TrayTip(std::wstring_view status_line);
// The notification a first run shows: where the program's menu is.
inline constexpr std::wstring_view kFirstRunTitle = L"Reticor2";
inline constexpr std::wstring_view kFirstRunText =
    L"십자선이 실행 중입니다. 메뉴는 알림 영역의 Reticor2 아이콘에서 엽니다.";

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

enum class TrayAction {
  None,
  ShowHandle,     // the centre handle shown, activated, in front
  MenuAtPointer,  // the popup menu at the mouse pointer
  MenuAtAnchor,   // the popup menu at the notification's anchor (the icon, for the keyboard)
  MenuAtIcon,     // the popup menu at the icon, wherever the notification was clicked
};

// What each notification of the icon does. The mouse: the right button's
// release opens the menu at the pointer, a left double-click shows the handle,
// anything else (moves, presses, a single click) does nothing. The keyboard,
// once the icon is selected: the menu key or Shift+F10 opens the menu at the
// icon, Enter or Space shows the handle. A click on the notification opens
// the menu at the icon.
class TrayCallback {
 public:
  TrayAction Decide(std::uint32_t code);

 private:
  // The right button's release has just opened the menu: the context-menu code
  // that the notification area sends straight after it belongs to that release.
  bool after_right_release_ = false;
};

// The record: the tip text cut to fit, always terminated.
platform::TrayIconRecord MakeTrayIconRecord(std::wstring_view tip);

// The record lives for the whole run: AddTrayIcon fills it and adds the icon,
// DeleteTrayIcon names the icon again and removes it. The results are for the
// caller to ignore: a program without an icon still runs.
platform::Status AddTrayIcon(platform::ShellWindow& window, platform::TrayIconRecord& record, std::wstring_view tip);
platform::Status DeleteTrayIcon(platform::ShellWindow& window, platform::TrayIconRecord& record);
// Shows a new tip on the icon the record names.
platform::Status ModifyTrayTip(platform::ShellWindow& window, platform::TrayIconRecord& record, std::wstring_view tip);
platform::Status ShowFirstRunNotification(platform::ShellWindow& window, const platform::TrayIconRecord& record);

}  // namespace rc::shell
