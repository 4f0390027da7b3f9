#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace rc::platform {

inline constexpr std::wstring_view kApplicationTitle = L"Reticor2";

// The message when the program cannot start because `what` failed, with the
// system's reason on a second line when there is one.
inline std::wstring StartFailedText(std::wstring_view what, std::wstring_view reason = {}) {
  std::wstring text = L"Reticor2를 시작할 수 없습니다: " + std::wstring(what);
  if (!reason.empty()) text += L"\n" + std::wstring(reason);
  return text;
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
  // The system's text for a failure's code; empty when it has none.
  std::wstring ReasonText(const Status& status) {
    return status.system_code != 0 ? ErrorText(status.system_code) : std::wstring();
  }
};

}  // namespace rc::platform
