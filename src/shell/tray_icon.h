#pragma once
// The program's notification-area icon on the start-up window: its record
// (TrayIconData), adding it until the notification area takes it, its tip,
// the notifications it shows, and what each of the icon's notifications does
// (TrayCallback).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/shell_window.h"

namespace rc::shell {

inline constexpr std::uint32_t kTrayIconId = 1;

// The icon's tip: "Reticor2", and on a second line what the program is doing
// (the reader link's state), when there is something to say.
std::wstring TrayTip(std::wstring_view status_line);
// The notification a first run shows: where the program's menu is.
inline constexpr std::wstring_view kFirstRunText =
    L"십자선이 실행 중입니다. 메뉴는 알림 영역의 Reticor2 아이콘에서 엽니다.";

// Started at sign-in, the program may come up before the notification area
// is there, and then the add fails. It is tried again after each of these
// waits, and whenever the shell says it has (re)created the notification
// area; then the program waits for that alone.
inline constexpr std::array<std::uint32_t, 4> kTrayRetryMs{1000, 2000, 4000, 8000};

namespace tray_code = platform::tray_code;

enum class TrayAction {
  None,
  ShowHandle,           // the cross shown, the handle activated, in front
  MenuAtPointer,        // the popup menu at the mouse pointer
  MenuAtAnchor,         // the popup menu at the notification's anchor (the icon, for the keyboard)
  NotificationClicked,  // what the last notification offered
};

// What each notification of the icon does. The mouse: the right button's
// release opens the menu at the pointer, a left double-click shows the handle,
// anything else (moves, presses, a single click) does nothing. The keyboard,
// once the icon is selected: the menu key or Shift+F10 opens the menu at the
// icon, Enter or Space shows the handle. A click on a notification does what it offered.
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

// The notifications the icon shows, each titled "Reticor2"; a click on the
// one shown last does what it offered.
enum class TrayNotice {
  None,
  FirstRun,    // where the menu is: a click opens it at the icon
  OtherPorts,  // the port in use failed and others are there: a click opens 기계보정's port list
};

// The icon of the start-up window, for the whole run.
class TrayIcon final : public platform::TimerEvents {
 public:
  explicit TrayIcon(platform::Clock& clock) : clock_(clock) {}
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Adds the icon to `window`'s notification area with the tip; when it is
  // refused, tries again on kTrayRetryMs.
  void Add(platform::ShellWindow& window, std::wstring tip);
  // The notification area was (re)created: the icon is added again, on the
  // same schedule of retries as at start-up.
  void OnTaskbarCreated();
  void OnTimer(int timer) override;
  // A new tip; while the icon is not there, the one it will be added with.
  void SetTip(std::wstring tip);
  // Shown at once when the icon is there, else as soon as it is added; a
  // later notice replaces one not shown yet.
  void Notify(TrayNotice notice, std::wstring_view text);
  TrayNotice last_notice() const { return shown_; }
  // Where the shell says the icon is.
  std::optional<platform::PixelPoint> Corner() const;
  // Gone for good (the exit command).
  void Delete();

 private:
  void TryToAdd(std::size_t retry);
  void ShowPending();

  platform::Clock& clock_;
  platform::ShellWindow* window_ = nullptr;
  platform::TrayIconRecord record_;
  std::wstring tip_;
  bool added_ = false;
  bool retry_pending_ = false;
  std::size_t next_retry_ = 0;
  TrayNotice pending_ = TrayNotice::None, shown_ = TrayNotice::None;
  std::wstring pending_text_;
};

}  // namespace rc::shell
