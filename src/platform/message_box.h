#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace rc::platform {

inline constexpr std::wstring_view kApplicationTitle = L"Reticor2";

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A modal message box with one OK button, captioned with the application title.
  virtual void ShowMessage(std::wstring_view text) = 0;
  // The system's own text for an error code.
  virtual std::wstring ErrorText(std::uint32_t code) = 0;
};

}  // namespace rc::platform
