// The text conversions of stored values on arbitrary text: no crash, every text
// either converts or does not (the store then falls back), a converted value is
// in range and agrees with the strict number rule, and a written angle or
// chord reads back to the very same value.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include "base/rounding.h"
#include "fuzz_check.h"
#include "settings/setting_text.h"

namespace {

using namespace rc::settings;

void CheckAngleRoundTrip(double angle) {
  if (!std::isfinite(angle)) return;  // never an angle: the dialog reads finite numbers only
  const std::wstring text = AngleStoreText(angle);
  FUZZ_CHECK(!text.empty() && (text[0] == L' ') == !(angle < 0));
  const std::optional<double> back = TextToDouble(text);
  FUZZ_CHECK(back.has_value());
  // Fifteen significant digits: what is read back is written the same way again.
  FUZZ_CHECK(AngleStoreText(*back) == text && TextToDouble(AngleStoreText(*back)) == back);
  FUZZ_CHECK(std::fabs(*back - angle) <= std::fabs(angle) * 1e-14 || *back == angle ||
             std::fabs(angle) < std::numeric_limits<double>::min());  // subnormal: fewer digits
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Two bytes a character, so that any UTF-16 text can come up, wide ones included.
  std::wstring text;
  for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  const std::optional<double> number = TextToDouble(text);
  if (number) FUZZ_CHECK(std::isfinite(*number));
  // 16-bit sizes, 32-bit positions: in range, and the number taken halves to even.
  const std::int64_t ranges[][2] = {{-32768, 32767}, {1, 32767}, {INT32_MIN, INT32_MAX}};
  for (const auto& [lo, hi] : ranges) {
    const std::optional<std::int64_t> integer = TextToInteger(text, lo, hi);
    const double rounded = number ? rc::RoundHalfEven(*number) : 0;
    if (integer) FUZZ_CHECK(number && *integer >= lo && *integer <= hi && static_cast<double>(*integer) == rounded);
    if (!integer && number) FUZZ_CHECK(rounded < static_cast<double>(lo) || rounded > static_cast<double>(hi));
  }
  // Every number is a Boolean (0 false); beyond numbers only the two words are.
  if (number) FUZZ_CHECK(TextToBoolean(text) == (*number != 0.0));
  if (number) CheckAngleRoundTrip(*number);
  // A chord that reads is written in the one order and reads back the same.
  if (const std::optional<rc::Chord> chord = TextToChord(text)) FUZZ_CHECK(TextToChord(ChordText(*chord)) == chord);
  if (const auto modifiers = TextToNudgeModifiers(text))
    FUZZ_CHECK(TextToNudgeModifiers(ModifierText(*modifiers)) == modifiers);
  if (size >= sizeof(double)) {  // the first eight bytes as a double of any bit pattern
    double bits;
    std::memcpy(&bits, data, sizeof bits);
    CheckAngleRoundTrip(bits);
  }
  return 0;
}
