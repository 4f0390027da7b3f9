#pragma once
// Win32 failures as the platform's Status: the kind the program acts on, and
// the system's code kept for the message.

#include <windows.h>

#include "platform/status.h"

namespace rc::win32 {

inline platform::Status SystemFailure(DWORD code, platform::Error kind = platform::Error::Other) {
  if (kind == platform::Error::Other && code == ERROR_ACCESS_DENIED) kind = platform::Error::AccessDenied;
  return platform::Status::Failed(kind, code);
}

inline platform::Status LastSystemFailure(platform::Error kind = platform::Error::Other) {
  return SystemFailure(::GetLastError(), kind);
}

}  // namespace rc::win32
