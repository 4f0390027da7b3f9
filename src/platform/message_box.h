#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace rc::platform {

class Dialog;

inline constexpr std::wstring_view kApplicationTitle = L"Reticor2";

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A message box with one OK button, captioned with the application title;
  // returns when the user has dismissed it. It is modal to `owner`, the dialog
  // whose action it reports, or, without one, to every window of the program.
  virtual void ShowMessage(std::wstring_view text, const Dialog* owner = nullptr) = 0;
  // The system's own text for an error code.
  virtual std::wstring ErrorText(std::uint32_t code) = 0;
};

}  // namespace rc::platform
