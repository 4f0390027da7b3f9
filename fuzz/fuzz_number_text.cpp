// The reading rule and the plain decimal text on arbitrary input: no crash, the
// narrow and wide readings agree, a reading is always finite, the plain text never
// has an exponent and reads back to within 15 significant digits.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
  FUZZ_CHECK(text.find_first_not_of("-0123456789.") == std::string::npos);
  FUZZ_CHECK(text.find('.') == text.rfind('.'));
  if (text.find('.') != std::string::npos) FUZZ_CHECK(text.back() != '0' && text.back() != '.');

  double expected = v;
  if (std::isnan(v)) expected = 0;
  if (std::isinf(v)) expected = std::copysign(std::numeric_limits<double>::max(), v);
  const double back = rc::ReadNumber(text);
  FUZZ_CHECK(std::isfinite(back));
  FUZZ_CHECK(back == expected || std::fabs(back - expected) <= std::fabs(expected) * 1e-14 ||
             std::fabs(back - expected) <= std::numeric_limits<double>::denorm_min() * 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const double narrow = rc::ReadNumber(text);
  FUZZ_CHECK(std::isfinite(narrow));
  std::wstring wide;
  for (char c : text) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
  FUZZ_CHECK(rc::ReadNumber(std::wstring_view(wide)) == narrow);
  CheckPlainText(narrow);

  // The first eight bytes as a double of any bit pattern.
  if (size >= sizeof(double)) {
    double bits;
    std::memcpy(&bits, data, sizeof bits);
    CheckPlainText(bits);
  }
  return 0;
}
