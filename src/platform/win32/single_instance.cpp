#include "platform/win32/single_instance.h"

#include "platform/shell_window.h"
#include "platform/win32/app_messages.h"

namespace rc::win32 {

namespace {
// Local\: per session, so that each signed-in user has a copy of their own.
constexpr wchar_t kInstanceName[] = L"Local\\Reticor2.SessionInstance";
constexpr int kFindAttempts = 100;  // 10 s in steps of 100 ms
constexpr DWORD kFindStepMs = 100;
}  // namespace

SessionInstance::SessionInstance() : mutex_(::CreateMutexW(nullptr, FALSE, kInstanceName)) {
  another_runs_ = mutex_ && ::GetLastError() == ERROR_ALREADY_EXISTS;
}

bool ShowRunningCopy() {
  for (int attempt = 0; attempt < kFindAttempts; ++attempt) {
    if (HWND running = ::FindWindowW(platform::kStartUpWindowName, nullptr); running != nullptr) {
      // The user started this copy, so it may hand the foreground on.
      DWORD pid = 0;
      ::GetWindowThreadProcessId(running, &pid);
      if (pid != 0) ::AllowSetForegroundWindow(pid);
      return ::PostMessageW(running, kAnotherCopyStarted, 0, 0) != FALSE;
    }
    ::Sleep(kFindStepMs);
  }
  return false;
}

}  // namespace rc::win32
