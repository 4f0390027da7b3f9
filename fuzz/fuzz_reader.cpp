// Random receive streams through line assembly and reading conversion under
// chosen settings: every reply has the 16-byte reply form, the same line twice
// in a row is answered once, a dropped line leaves the last one, and the
// assembler stays bounded.
//
// Input: byte 0 picks the correction angle, byte 1 the length ratio, byte 2 how
// the stream is cut into receive events (0: one event, else pseudo-random
// lengths seeded by it, 1: one byte each); the rest is what the reader sent.

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "reader/line_assembly.h"
#include "reader/reading_conversion.h"

namespace {

using rc::reader::ConvertReading;

// clang-format off
const double kAngles[] = {0, 30, -60, 90, 180, 0.5, -36.869897645844, 1e300, -1e-300, 5e-324,
                          std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()};
// clang-format on
const wchar_t* const kRatios[] = {L"",      L"0,0",         L"2,0.5",    L"1,1",     L"2",          L",",
                                  L"-1,-1", L"1e308,1e308", L"&H10,&O7", L"abc,def", L"1000,0.001", L" 1 , 2 "};

// "0", five digits, ",0", five digits, ",", "1" or "8", CR.
bool HasReplyForm(std::string_view reply) {
  constexpr std::string_view kForm = "0#####,0#####,?\r";
  if (reply.size() != kForm.size()) return false;
  for (std::size_t i = 0; i < reply.size(); ++i) {
    const char c = reply[i];
    const bool fits = kForm[i] == '#' ? c >= '0' && c <= '9' : kForm[i] == '?' ? c == '1' || c == '8' : c == kForm[i];
    if (!fits) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const double angle = kAngles[data[0] % std::size(kAngles)];
  const std::wstring_view ratio = kRatios[data[1] % std::size(kRatios)];
  const std::uint8_t cutting = data[2];
  const std::string_view stream(reinterpret_cast<const char*>(data) + 3, size - 3);

  rc::reader::LineAssembler assembler;
  std::string last_line;
  std::uint32_t rng = 0x9E3779B9u ^ cutting;
  for (std::size_t pos = 0, len = 0; pos < stream.size(); pos += len) {
    rng ^= rng << 13, rng ^= rng >> 17, rng ^= rng << 5;
    len = cutting == 0 ? stream.size() : 1 + rng % cutting;
    std::optional<std::string> line = assembler.Append(stream.substr(pos, len));
    FUZZ_CHECK(assembler.held() <= rc::reader::kReceiveBufferBytes);
    if (!line) continue;
    FUZZ_CHECK(!line->empty() && line->find('\r') == line->size() - 1 && line->find('\n') == std::string::npos);
    FUZZ_CHECK(assembler.held() == 0);

    const std::string received = *line, previous = last_line;
    const rc::reader::Conversion conversion = ConvertReading(*line, last_line, angle, ratio);
    const std::optional<std::string>& reply = conversion.reply;
    FUZZ_CHECK(reply.has_value() == (conversion.reason == rc::reader::DropReason::None));
    if (!reply) {
      FUZZ_CHECK(last_line == previous);
      continue;
    }
    FUZZ_CHECK(HasReplyForm(*reply));
    FUZZ_CHECK(last_line == *line && last_line.size() >= rc::reader::kMinReadingLine);
    FUZZ_CHECK(last_line.find(' ') == std::string::npos);
    std::string again = received;
    FUZZ_CHECK(ConvertReading(again, last_line, angle, ratio).reason == rc::reader::DropReason::Repeat);
  }
  return 0;
}
