#pragma once
// Win32 failures as the platform's Status: the kind the program acts on, and
// the system's code kept for the message.

#include <windows.h>

#include "platform/status.h"

namespace rc::win32 {

// `call` names the system call that failed, for the message and the log.
inline platform::Status SystemFailure(DWORD code, const char* call, platform::Error kind = platform::Error::Other) {
  if (kind == platform::Error::Other && code == ERROR_ACCESS_DENIED) kind = platform::Error::AccessDenied;
  return platform::Status::Failed(kind, code, call);
}

inline platform::Status LastSystemFailure(const char* call, platform::Error kind = platform::Error::Other) {
  return SystemFailure(::GetLastError(), call, kind);
}

}  // namespace rc::win32
