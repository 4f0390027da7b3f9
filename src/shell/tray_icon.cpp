#include "shell/tray_icon.h"

#include "platform/message_box.h"

#include <algorithm>

namespace rc::shell {

platform::TrayIconRecord MakeTrayIconRecord(std::wstring_view window_caption, std::wstring_view tip) {
  platform::TrayIconRecord record;
  record.id = kTrayIconId;
  std::wstring_view text = tip.empty() ? window_caption : tip;
  // Room for the terminator; the rest of the field stays zero.
  std::size_t length = std::min(text.size(), record.tip.size() - 1);
  std::copy_n(text.begin(), length, record.tip.begin());
  record.tip[length] = L'\0';
  return record;
}

platform::Status AddTrayIcon(platform::ShellWindow& window, platform::TrayIconRecord& record,
                             std::wstring_view window_caption, std::wstring_view tip) {
  record = MakeTrayIconRecord(window_caption, tip);
  return window.AddTrayIcon(record);
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

platform::Status ModifyTrayTip(platform::ShellWindow& window, platform::TrayIconRecord& record,
                               std::wstring_view tip) {
  record = MakeTrayIconRecord(L"", tip);
  return window.ModifyTrayIcon(record);
}

}  // namespace rc::shell
