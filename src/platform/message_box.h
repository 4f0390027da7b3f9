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
  // The system's text for a failure's code, after the call that failed
  // ("SetCommState: ..."); empty when it has neither.
  std::wstring ReasonText(std::uint32_t system_code, const char* call) {
    if (system_code == 0 && call == nullptr) return {};
    std::wstring text;
    for (const char* c = call; c != nullptr && *c != '\0'; ++c) text += static_cast<wchar_t>(*c);  // ASCII names
    if (!text.empty()) text += L": ";
    return text + ErrorText(system_code);
  }
  std::wstring ReasonText(const Status& status) { return ReasonText(status.system_code, status.call); }
};

}  // namespace rc::platform
