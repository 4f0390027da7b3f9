// The reading rule and the plain decimal text on arbitrary input: no crash, the
// narrow and wide readings agree, a reading is always finite, the plain text never
// has an exponent and reads back to within 15 significant digits.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "base/number_text.h"
#include "fuzz_check.h"

namespace {

void CheckPlainText(double v) {
  const std::string text = rc::FormatPlainDecimal(v);
  FUZZ_CHECK(!text.empty() && text.size() <= 341);
  FUZZ_CHECK(text.find_first_not_of("-0123456789.") == std::string::npos && text.find('.') == text.rfind('.'));
  if (text.find('.') != std::string::npos) FUZZ_CHECK(text.back() != '0' && text.back() != '.');
  const double largest = std::numeric_limits<double>::max();
  const double expected = std::isnan(v) ? 0 : std::isinf(v) ? std::copysign(largest, v) : v;
  const double back = rc::ReadNumber(text);
  FUZZ_CHECK(back == expected || std::fabs(back - expected) <= std::fabs(expected) * 1e-14 ||
             std::fabs(back - expected) <= std::numeric_limits<double>::denorm_min() * 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const double narrow = rc::ReadNumber(text);
  FUZZ_CHECK(std::isfinite(narrow));
  std::wstring wide;  // each byte a character
  for (unsigned char c : text) wide += static_cast<wchar_t>(c);
  FUZZ_CHECK(rc::ReadNumber(std::wstring_view(wide)) == narrow);
  CheckPlainText(narrow);
  if (size >= sizeof(double)) {  // the first eight bytes as a double of any bit pattern
    double bits;
    std::memcpy(&bits, data, sizeof bits);
    CheckPlainText(bits);
  }
  return 0;
}
