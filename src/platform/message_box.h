#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace rc::platform {

inline constexpr std::wstring_view kApplicationTitle = L"Reticor2";

// The message when the program cannot start because `what` failed.
inline std::wstring StartFailedText(std::wstring_view what) {
  return L"Reticor2를 시작할 수 없습니다: " + std::wstring(what);
}

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A message box with one OK button, captioned with the application title,
  // modal to every window of the program; returns when the user has dismissed
  // it. (A dialog's own message is Dialog::ShowMessage.)
  virtual void ShowMessage(std::wstring_view text) = 0;
  // The system's own text for an error code.
  virtual std::wstring ErrorText(std::uint32_t code) = 0;
};

}  // namespace rc::platform
