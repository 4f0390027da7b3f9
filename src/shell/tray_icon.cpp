#include "shell/tray_icon.h"

#include <algorithm>

namespace rc::shell {

namespace {

struct TrayRule {
  std::uint32_t mouse_message;
  TrayAction action;
};

// Every other code (moves, presses, the left release, other double-clicks) does
// nothing, so a double-click's press and releases around its 515 are ignored.
constexpr TrayRule kTrayRules[] = {
    {0x203, TrayAction::ShowCentreHandle},  // left double-click
    {0x205, TrayAction::ShowMenu},          // right button released
};

}  // namespace

TrayIconData MakeTrayIconData(const platform::Window& window, std::wstring_view window_caption,
                              std::wstring_view tip) {
  TrayIconData data;
  data.window = &window;
  data.id = kTrayIconId;
  data.flags = kTrayIconFlags;
  data.callback_message = kTrayCallbackMessage;
  std::wstring_view text = tip.empty() ? window_caption : tip;
  // Room for the terminator; the rest of the field stays zero.
  std::size_t length = std::min(text.size(), data.tip.size() - 1);
  std::copy_n(text.begin(), length, data.tip.begin());
  data.tip[length] = L'\0';
  return data;
}

platform::Status AddTrayIcon(platform::NotificationArea& area, TrayIconData& data,
                             const platform::Window& window, std::wstring_view window_caption,
                             std::wstring_view tip) {
  data = MakeTrayIconData(window, window_caption, tip);
  return area.Add(data);
}

platform::Status DeleteTrayIcon(platform::NotificationArea& area, TrayIconData& data,
                                const platform::Window& window) {
  data.window = &window;
  data.id = kTrayIconId;
  return area.Delete(data);
}

TrayAction TrayCallback(std::uint32_t mouse_message) {
  const auto* rule = std::find_if(std::begin(kTrayRules), std::end(kTrayRules),
                                  [&](const TrayRule& r) { return r.mouse_message == mouse_message; });
  return rule == std::end(kTrayRules) ? TrayAction::None : rule->action;
}

}  // namespace rc::shell
