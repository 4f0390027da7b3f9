#pragma once
// Starting at sign-in: the per-user Run value "Reticor2", which the installer
// also writes when asked to.

#include <optional>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace rc::platform {

// Where the value lives, below HKEY_CURRENT_USER, as a failed write names it.
inline constexpr std::wstring_view kSignInValuePath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Reticor2";

class SignInStart {
 public:
  virtual ~SignInStart() = default;
  // The value's command line, whoever wrote it; nothing when there is none.
  virtual std::optional<std::wstring> Command() = 0;
  // Whether the entry is switched off where Windows lets the user do so (Task
  // Manager, Settings > Startup apps), which leaves the value in place.
  virtual bool SwitchedOff() = 0;
  // Writes the command line that starts the program at sign-in, switched on.
  virtual Status Set(std::wstring_view command) = 0;
  // Deletes the value and its switch; ones that are not there are no failure.
  virtual Status Clear() = 0;
};

}  // namespace rc::platform
