#include "settings/setting_text.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "base/ascii.h"
#include "base/number_text.h"
#include "base/rounding.h"

namespace rc::settings {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

std::wstring_view Trim(std::wstring_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<double> TextToDouble(std::wstring_view text) {
  text = Trim(text);
  // Validate the whole text and copy it to ASCII for the locale-free parser.
  std::string ascii;
  ascii.reserve(text.size());
  std::size_t i = 0;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
    if (text[i] == L'-') ascii += '-';
    ++i;
  }
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ascii += static_cast<char>(text[i++]), ++digits;
  if (i < text.size() && text[i] == L'.') {
    ascii += '.';
    ++i;
    while (i < text.size() && IsDigit(text[i])) ascii += static_cast<char>(text[i++]), ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
    ascii += 'e';
    ++i;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) ascii += static_cast<char>(text[i++]);
    std::size_t exponent_digits = 0;
    while (i < text.size() && IsDigit(text[i])) ascii += static_cast<char>(text[i++]), ++exponent_digits;
    if (exponent_digits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;

  double value = 0;
  auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (result.ec != std::errc() || result.ptr != ascii.data() + ascii.size()) return std::nullopt;
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<std::int64_t> TextToInteger(std::wstring_view text, std::int64_t lo, std::int64_t hi) {
  auto value = TextToDouble(text);
  if (!value) return std::nullopt;
  return RoundToRange(*value, lo, hi);
}

std::optional<bool> TextToBoolean(std::wstring_view text) {
  std::wstring_view word = Trim(text);
  auto equals_word = [word](std::wstring_view expected) {
    if (word.size() != expected.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
      wchar_t c = word[i];
      if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
      if (c != expected[i]) return false;
    }
    return true;
  };
  if (equals_word(L"true")) return true;
  if (equals_word(L"false")) return false;
  auto number = TextToDouble(text);
  if (!number) return std::nullopt;
  return *number != 0.0;
}

std::wstring BooleanWord(bool value) { return value ? L"True" : L"False"; }

std::wstring PartFlagText(bool visible) { return visible ? L"1" : L"0"; }

std::wstring AngleText(double degrees) {
  // Fifteen digits round the largest doubles up past the largest one; such a
  // text would not read back, so they are written as the largest that does.
  constexpr double kLargestReadable = 1.79769313486231e308;
  if (std::fabs(degrees) > kLargestReadable) degrees = std::copysign(kLargestReadable, degrees);
  const std::string plain = FormatPlainDecimal(degrees);
  return std::wstring(plain.begin(), plain.end());
}

std::wstring AngleStoreText(double degrees) { return (degrees >= 0 ? L" " : L"") + AngleText(degrees); }

std::int32_t PositionFromEdge(float edge, std::int32_t current) {
  const auto rounded = RoundToRange(static_cast<double>(edge), std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::int32_t>::max());
  return rounded ? static_cast<std::int32_t>(*rounded) : current;
}

std::optional<std::wstring> PortName(std::wstring_view text) {
  const auto first = text.find_first_not_of(L" \t");
  if (first == std::wstring_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(L" \t") - first + 1);
  if (text.size() < 4 || text.size() > 6 || !EqualIgnoringAsciiCase(text.substr(0, 3), L"COM") || text[3] == L'0') {
    return std::nullopt;
  }
  int number = 0;
  for (wchar_t c : text.substr(3)) {
    if (c < L'0' || c > L'9') return std::nullopt;
    number = number * 10 + (c - L'0');
  }
  if (number < 1 || number > 256) return std::nullopt;
  return L"COM" + std::to_wstring(number);
}

std::wstring ReaderPortName(std::wstring_view stored) { return PortName(stored).value_or(L"COM2"); }

}  // namespace rc::settings
