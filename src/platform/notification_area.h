#pragma once
#include <array>
#include <cstdint>

#include "platform/status.h"

namespace rc::platform {

class Window;

// The notification-area icon record, in the platform's Unicode form.
struct TrayIconRecord {
  static constexpr std::uint32_t kFlagMessage = 1, kFlagIcon = 2, kFlagTip = 4;

  const Window* window = nullptr;  // receives the callback; its icon is shown
  std::uint32_t id = 0;
  std::uint32_t flags = 0;
  std::uint32_t callback_message = 0;
  std::array<wchar_t, 128> tip{};  // always ends in a terminator
};

class NotificationArea {
 public:
  virtual ~NotificationArea() = default;
  virtual Status Add(const TrayIconRecord& record) = 0;
  virtual Status Delete(const TrayIconRecord& record) = 0;
};

}  // namespace rc::platform
