#pragma once
// What the reader link shows the user: the state line ("COM5: 열림, 수신 대기 중")
// and the last line received with what became of it. Plain rules, no platform.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "reader/reading_conversion.h"

namespace rc::reader {

enum class LinkState {
  Open,         // the port is open
  Opening,      // switched on, the open is under way
  Missing,      // switched on, the port is not there (not plugged in, pulled)
  Busy,         // switched on, another program holds the port
  Unreachable,  // switched on, the device does not answer now (tried again)
  Failed,       // switched on, any other failure to open
  Off,          // switched off: the mode "Wintab 전환"
};

struct LinkStatus {
  LinkState state = LinkState::Off;
  std::uint32_t system_code = 0;                      // Failed: the system's reason
  const char* call = nullptr;                         // Failed: the system call that gave it
  std::optional<platform::LocalTime> last_line_time;  // Open: the last complete line since the open
};

// "COM5: 열림, 마지막 수신 14:03:21", ... `system_text` describes `system_code`.
std::wstring StatusText(std::wstring_view port, const LinkStatus& status, std::wstring_view system_text);

// "14:03:21".
std::wstring ClockText(const platform::LocalTime& time);

// The last complete line received and what became of it.
struct ReceivedLine {
  enum class Fate { Answered, Dropped, NotSent };
  std::string line;  // as received, CR included
  Fate fate = Fate::Dropped;
  std::string reply;                     // Answered and NotSent, CR included
  DropReason reason = DropReason::None;  // Dropped
  std::uint32_t system_code = 0;         // NotSent
};

// "  12345,  23456   0 → 000123,000234,1", "... → 응답 없음: 16자보다 짧음",
// "... → 000123,000234,1 보내지 못함 (system text)". Lines and replies lose
// their CR; every byte that is not printable ASCII shows as <0D>.
std::wstring ReceivedText(const ReceivedLine& received, std::wstring_view system_text);

// The bytes as the user can read and copy them: printable ASCII as it is,
// every other byte as "<" two hex digits ">".
std::wstring VisibleBytes(std::string_view bytes);

std::wstring_view DropReasonText(DropReason reason);

}  // namespace rc::reader
