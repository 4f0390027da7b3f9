#pragma once
// The program's notification-area icon: its record TrayIconData, the routines
// that add and remove it, and TrayCallback, what a notification from it does.

#include <cstdint>
#include <string_view>

#include "platform/notification_area.h"
#include "platform/window.h"

namespace rc::shell {

// The record lives for the whole run: AddTrayIcon fills it, DeleteTrayIcon
// refills only the fields that name the icon.
using TrayIconData = platform::TrayIconRecord;

inline constexpr std::uint32_t kTrayIconId = 1;
inline constexpr std::uint32_t kTrayIconFlags = TrayIconData::kFlagMessage | TrayIconData::kFlagIcon |
                                                TrayIconData::kFlagTip;  // 7
// The icon's notifications arrive as this message (the number of a mouse move)
// with the mouse message in the low word of its second parameter.
inline constexpr std::uint32_t kTrayCallbackMessage = 512;

// The record for `window`: the tip text, or the window's caption when the tip is
// empty, cut to fit and always terminated; the icon is the window's own.
TrayIconData MakeTrayIconData(const platform::Window& window, std::wstring_view window_caption,
                              std::wstring_view tip);

// Fills `data` and adds the icon. The result is for the caller to ignore: a
// program without an icon still runs.
platform::Status AddTrayIcon(platform::NotificationArea& area, TrayIconData& data,
                             const platform::Window& window, std::wstring_view window_caption,
                             std::wstring_view tip);
// Names the icon of `window` in `data` (size, window, identifier) and removes it.
platform::Status DeleteTrayIcon(platform::NotificationArea& area, TrayIconData& data,
                                const platform::Window& window);

// What a notification from the icon does, by its mouse-message number.
enum class TrayAction {
  None,
  ShowCentreHandle,  // shown modeless, activated, in front
  ShowMenu,          // the Hold check mark refreshed, then the menu at the pointer
};
TrayAction TrayCallback(std::uint32_t mouse_message);

}  // namespace rc::shell
