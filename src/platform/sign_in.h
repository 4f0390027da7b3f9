#pragma once
// Starting at sign-in: the per-user Run value "Reticor2", which the installer
// also writes when asked to.

#include <string_view>

#include "platform/status.h"

namespace rc::platform {

// Where the value lives, below HKEY_CURRENT_USER, as a failed write names it.
inline constexpr std::wstring_view kSignInValuePath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Reticor2";

class SignInStart {
 public:
  virtual ~SignInStart() = default;
  // Whether the value is there (whoever wrote it).
  virtual bool IsSet() = 0;
  // Writes the command line that starts the program at sign-in.
  virtual Status Set(std::wstring_view command) = 0;
  // Deletes the value; one that is not there is no failure.
  virtual Status Clear() = 0;
};

}  // namespace rc::platform
