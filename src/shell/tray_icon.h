#pragma once
// The program's notification-area icon on the start-up window: its record
// (TrayIconData) and the routines that add and remove it.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/shell_window.h"

namespace rc::shell {

inline constexpr std::uint32_t kTrayIconId = 1;

// The icon's tip: "Reticor2", and on a second line what the program is doing
// (the reader link's state), when there is something to say.
std::wstring TrayTip(std::wstring_view status_line);

// The record: the tip text, or the window's caption when the tip is empty, cut
// to fit and always terminated.
platform::TrayIconRecord MakeTrayIconRecord(std::wstring_view window_caption, std::wstring_view tip);

// The record lives for the whole run: AddTrayIcon fills it and adds the icon,
// DeleteTrayIcon names the icon again and removes it. The results are for the
// caller to ignore: a program without an icon still runs.
platform::Status AddTrayIcon(platform::ShellWindow& window, platform::TrayIconRecord& record,
                             std::wstring_view window_caption, std::wstring_view tip);
platform::Status DeleteTrayIcon(platform::ShellWindow& window, platform::TrayIconRecord& record);
// Shows a new tip on the icon the record names.
platform::Status ModifyTrayTip(platform::ShellWindow& window, platform::TrayIconRecord& record,
                               std::wstring_view tip);

}  // namespace rc::shell
