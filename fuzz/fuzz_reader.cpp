// Random receive streams through line assembly and reading conversion under random
// settings. Checks that every reply has the 16-byte reply form, that a reply is
// never given twice for the same line in a row, and that the assembler stays bounded.
//
// Input layout:
//   byte 0  correction angle: index into kAngles; the last index reads the next
//           8 bytes as a double (any bit pattern, NaN and infinity included)
//   byte 1  length ratio: index into kRatios; the last index reads a length byte
//           and then that many bytes as the ratio text
//   byte 2  cutting of the stream into receive events: 0 one event, 1 one byte per
//           event, otherwise pseudo-random lengths seeded by this byte
//   rest    the bytes received from the reader

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "reader/line_assembly.h"
#include "reader/reading_conversion.h"

#include "fuzz_check.h"

namespace {

using rc::reader::ConvertReading;
using rc::reader::kReceiveBufferBytes;
using rc::reader::kReplyBytes;
using rc::reader::LineAssembler;

const double kAngles[] = {0, 30, -60, 90, 180, 0.5, -36.869897645844, 1e300, -1e-300,
                          std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity()};
constexpr std::size_t kAngleCount = std::size(kAngles) + 1;  // + one taken from the input

const wchar_t* const kRatios[] = {L"",      L"0,0",         L"2,0.5",     L"1,1",
                                  L"2",     L",",           L"-1,-1",     L"1e308,1e308",
                                  L"&H10,&O7", L"abc,def",  L"1000,0.001", L" 1 , 2 "};
constexpr std::size_t kRatioCount = std::size(kRatios) + 1;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "0" 5 digits ",0" 5 digits "," ("1" | "8") CR
bool HasReplyForm(const std::string& r) {
  if (r.size() != kReplyBytes) return false;
  if (r[0] != '0' || r[6] != ',' || r[7] != '0' || r[13] != ',' || r[15] != '\r') return false;
  for (int i : {1, 2, 3, 4, 5, 8, 9, 10, 11, 12})
    if (!IsDigit(r[i])) return false;
  return r[14] == '1' || r[14] == '8';
}

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::string_view Take(std::size_t n) {
    n = std::min(n, size_ - pos_);
    std::string_view out(reinterpret_cast<const char*>(data_ + pos_), n);
    pos_ += n;
    return out;
  }
  std::string_view Rest() { return Take(size_ - pos_); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);

  double angle = 0;
  std::size_t angle_index = in.Byte() % kAngleCount;
  if (angle_index < std::size(kAngles)) {
    angle = kAngles[angle_index];
  } else {
    std::string_view bits = in.Take(sizeof angle);
    std::memcpy(&angle, bits.data(), bits.size());
  }

  std::wstring ratio;
  std::size_t ratio_index = in.Byte() % kRatioCount;
  if (ratio_index < std::size(kRatios)) {
    ratio = kRatios[ratio_index];
  } else {
    for (char c : in.Take(in.Byte() % 24)) ratio += static_cast<wchar_t>(static_cast<unsigned char>(c));
  }

  const std::uint8_t cutting = in.Byte();
  const std::string_view stream = in.Rest();
  const std::size_t max_chunk[] = {3, 16, 100, 1500};
  std::uint32_t rng = 0x9E3779B9u ^ cutting;

  LineAssembler assembler;
  std::string last_line;
  std::size_t pos = 0;
  while (pos < stream.size()) {
    std::size_t len;
    if (cutting == 0) {
      len = stream.size();
    } else if (cutting == 1) {
      len = 1;
    } else {
      rng ^= rng << 13, rng ^= rng >> 17, rng ^= rng << 5;
      len = 1 + rng % max_chunk[cutting & 3];
    }
    std::string_view chunk = stream.substr(pos, len);
    pos += chunk.size();

    std::optional<std::string> line = assembler.Append(chunk);
    FUZZ_CHECK(assembler.held() <= kReceiveBufferBytes);
    if (!line) continue;
    FUZZ_CHECK(!line->empty() && line->find('\r') == line->size() - 1);
    FUZZ_CHECK(assembler.held() == 0);

    const std::string received = *line;
    const std::string previous = last_line;
    std::optional<std::string> reply = ConvertReading(*line, last_line, angle, ratio);
    if (!reply) {
      FUZZ_CHECK(last_line == previous);
      continue;
    }
    FUZZ_CHECK(HasReplyForm(*reply));
    FUZZ_CHECK(last_line == *line);
    FUZZ_CHECK(last_line.size() >= rc::reader::kMinReadingLine);
    FUZZ_CHECK(last_line.find(' ') == std::string::npos);

    // The same line again is a repeat and gets no reply.
    std::string again = received;
    FUZZ_CHECK(!ConvertReading(again, last_line, angle, ratio));
  }
  return 0;
}
