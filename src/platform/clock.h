#pragma once
// Time, and one-shot timers on the user-interface thread. The program keeps no
// timer running while idle: the only ones are short retries that end by themselves.

#include <cstdint>

#include "platform/status.h"

namespace rc::platform {

struct LocalTime {
  int hour = 0, minute = 0, second = 0;
};

class TimerEvents {
 public:
  virtual void OnTimer(int timer) = 0;

 protected:
  ~TimerEvents() = default;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds on a clock that only goes forward; its start is arbitrary.
  virtual std::int64_t NowMs() const = 0;
  // The wall-clock time of day where the user is.
  virtual LocalTime Local() const = 0;
  // After `delay_ms`, `events.OnTimer(timer)` runs once on the user-interface
  // thread. Starting a timer that is pending starts it afresh. `events` must
  // outlive the timer (stop it first). Fails, with the system's reason, when
  // the system has no timer to give.
  virtual Status StartTimer(int timer, std::uint32_t delay_ms, TimerEvents& events) = 0;
  virtual void StopTimer(int timer) = 0;
};

// The program's timers, one number each.
enum TimerId : int {
  kReaderRetryTimer = 1,
  kTrayRetryTimer,
};

}  // namespace rc::platform
