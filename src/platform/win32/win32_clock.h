#pragma once
// The clock and one-shot timers for the Win32 platform. Timers run on a
// message-only window of the user-interface thread; none runs unless started.

#include <windows.h>

#include <map>

#include "platform/clock.h"
#include "platform/win32/handles.h"

namespace rc::win32 {

class Win32Clock final : public platform::Clock {
 public:
  Win32Clock() = default;
  Win32Clock(const Win32Clock&) = delete;
  Win32Clock& operator=(const Win32Clock&) = delete;

  std::int64_t NowMs() const override { return static_cast<std::int64_t>(::GetTickCount64()); }
  platform::LocalTime Local() const override;
  platform::Status StartTimer(int timer, std::uint32_t delay_ms, platform::TimerEvents& events) override;
  void StopTimer(int timer) override;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  platform::Status MakeWindow();

  OwnedWindow window_;
  std::map<int, platform::TimerEvents*> pending_;
};

}  // namespace rc::win32
