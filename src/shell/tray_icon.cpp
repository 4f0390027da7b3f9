#include "shell/tray_icon.h"

#include "platform/message_box.h"

#include <algorithm>
#include <utility>

namespace rc::shell {

platform::TrayIconRecord MakeTrayIconRecord(std::wstring_view tip) {
  platform::TrayIconRecord record;
  record.id = kTrayIconId;
  // Room for the terminator; the rest of the field stays zero.
  std::size_t length = std::min(tip.size(), record.tip.size() - 1);
  std::copy_n(tip.begin(), length, record.tip.begin());
  record.tip[length] = L'\0';
  return record;
}

platform::Status AddTrayIcon(platform::ShellWindow& window, platform::TrayIconRecord& record, std::wstring_view tip) {
  record = MakeTrayIconRecord(tip);
  return window.AddTrayIcon(record);
}

platform::Status ShowFirstRunNotification(platform::ShellWindow& window, const platform::TrayIconRecord& record) {
  return window.ShowTrayNotification(record, {kFirstRunTitle, kFirstRunText});
}

TrayAction TrayCallback::Decide(std::uint32_t code) {
  const bool after_right_release = std::exchange(after_right_release_, code == tray_code::kRightButtonUp);
  switch (code) {
    case tray_code::kRightButtonUp:
      return TrayAction::MenuAtPointer;
    case tray_code::kContextMenu:
      return after_right_release ? TrayAction::None : TrayAction::MenuAtAnchor;
    case tray_code::kLeftDoubleClick:
    case tray_code::kKeySelect:
      return TrayAction::ShowHandle;
    case tray_code::kNotificationClicked:
      return TrayAction::MenuAtIcon;
    default:
      return TrayAction::None;
  }
}

platform::Status DeleteTrayIcon(platform::ShellWindow& window, platform::TrayIconRecord& record) {
  record.id = kTrayIconId;
  return window.DeleteTrayIcon(record);
}

std::wstring TrayTip(std::wstring_view status_line) {
  std::wstring tip(platform::kApplicationTitle);
  if (!status_line.empty()) tip += L"\n" + std::wstring(status_line);
  return tip;
}

platform::Status ModifyTrayTip(platform::ShellWindow& window, platform::TrayIconRecord& record, std::wstring_view tip) {
  record = MakeTrayIconRecord(tip);
  return window.ModifyTrayIcon(record);
}

}  // namespace rc::shell
