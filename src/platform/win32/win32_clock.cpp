#include "platform/win32/win32_clock.h"

#include "platform/win32/system_error.h"
#include "platform/win32/win32_window.h"

namespace rc::win32 {

namespace {
constexpr wchar_t kTimerWindowClass[] = L"Reticor2Timers";
}  // namespace

platform::LocalTime Win32Clock::Local() const {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return {now.wHour, now.wMinute, now.wSecond};
}

platform::Status Win32Clock::StartTimer(int timer, std::uint32_t delay_ms, platform::TimerEvents& events) {
  if (platform::Status made = MakeWindow(); !made.ok()) return made;
  pending_[timer] = &events;  // first: nothing of the system's is left behind if this throws
  if (::SetTimer(window_.get(), static_cast<UINT_PTR>(timer), delay_ms, nullptr) == 0) {
    const platform::Status refused = LastSystemFailure("SetTimer");
    StopTimer(timer);  // none runs, not even the one that was pending
    return refused;
  }
  return platform::Status::Ok();
}

void Win32Clock::StopTimer(int timer) {
  if (pending_.erase(timer) == 0) return;
  ::KillTimer(window_.get(), static_cast<UINT_PTR>(timer));
}

platform::Status Win32Clock::MakeWindow() {
  if (!window_) window_ = MakeMessageWindow(kTimerWindowClass, &Win32Clock::Procedure, this);
  return window_ ? platform::Status::Ok() : LastSystemFailure("CreateWindowExW");
}

LRESULT CALLBACK Win32Clock::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_TIMER) return ::DefWindowProcW(hwnd, message, wparam, lparam);
  auto* self = reinterpret_cast<Win32Clock*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  // One-shot: the system's timer repeats until killed.
  ::KillTimer(hwnd, wparam);
  if (self == nullptr) return 0;
  const int timer = static_cast<int>(wparam);
  const auto found = self->pending_.find(timer);
  if (found == self->pending_.end()) return 0;
  platform::TimerEvents* events = found->second;
  self->pending_.erase(found);
  // An exception must never unwind into the system's dispatch.
  try {
    events->OnTimer(timer);
  } catch (...) {
  }
  return 0;
}

}  // namespace rc::win32
