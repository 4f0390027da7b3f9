#include "settings/setting_text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

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
  const std::wstring_view word = Trim(text);
  if (EqualIgnoringAsciiCase(word, L"true")) return true;
  if (EqualIgnoringAsciiCase(word, L"false")) return false;
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

namespace {

struct KeyName {
  std::uint16_t key;
  std::wstring_view name;
};
// The keys with a name of more than one character, and the punctuation keys by
// what they show on a US layout (their place on a Korean one is the same).
// clang-format off
constexpr KeyName kKeyNames[] = {
    {0x13, L"Pause"},    {0x20, L"Space"},  {0x21, L"PageUp"}, {0x22, L"PageDown"}, {0x23, L"End"},
    {0x24, L"Home"},     {0x25, L"Left"},   {0x26, L"Up"},     {0x27, L"Right"},    {0x28, L"Down"},
    {0x2D, L"Insert"},   {0x2E, L"Delete"}, {0x6A, L"Num*"},   {0x6B, L"Num+"},     {0x6D, L"Num-"},
    {0x6E, L"Num."},     {0x6F, L"Num/"},   {0xBA, L";"},      {0xBB, L"="},        {0xBC, L","},
    {0xBD, L"-"},        {0xBE, L"."},      {0xBF, L"/"},      {0xC0, L"`"},        {0xDB, L"["},
    {0xDC, L"\\"},       {0xDD, L"]"},      {0xDE, L"'"},
};
// In the order the text names them.
constexpr std::pair<std::uint8_t, std::wstring_view> kModifierNames[] = {
    {modifier::kCtrl, L"Ctrl"}, {modifier::kAlt, L"Alt"}, {modifier::kShift, L"Shift"}, {modifier::kWin, L"Win"},
};
// clang-format on

// Takes one modifier's name and its "+" from the front of `text`.
std::optional<std::uint8_t> TakeModifier(std::wstring_view& text) {
  for (const auto& [flag, name] : kModifierNames) {
    if (text.size() > name.size() && text[name.size()] == L'+' &&
        EqualIgnoringAsciiCase(text.substr(0, name.size()), name)) {
      text.remove_prefix(name.size() + 1);
      return flag;
    }
  }
  return std::nullopt;
}

}  // namespace

std::wstring KeyText(std::uint16_t key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::wstring(1, static_cast<wchar_t>(key));
  if (key >= 0x70 && key <= 0x87) return L"F" + std::to_wstring(key - 0x70 + 1);  // F1 to F24
  if (key >= 0x60 && key <= 0x69) return L"Num" + std::to_wstring(key - 0x60);    // the keypad's digits
  for (const KeyName& k : kKeyNames) {
    if (k.key == key) return std::wstring(k.name);
  }
  return {};
}

std::wstring ModifierText(std::uint8_t modifiers) {
  std::wstring text;
  for (const auto& [flag, name] : kModifierNames) {
    if ((modifiers & flag) == 0) continue;
    if (!text.empty()) text += L'+';
    text += name;
  }
  return text;
}

std::wstring ChordText(Chord chord) {
  const std::wstring key = KeyText(chord.key);
  if (key.empty()) return {};
  const std::wstring modifiers = ModifierText(chord.modifiers);
  return modifiers.empty() ? key : modifiers + L"+" + key;
}

std::optional<Chord> TextToChord(std::wstring_view text) {
  text = Trim(text);
  if (text.empty()) return Chord{};
  Chord chord;
  while (const auto flag = TakeModifier(text)) {
    if ((chord.modifiers & *flag) != 0) return std::nullopt;  // named twice
    chord.modifiers = static_cast<std::uint8_t>(chord.modifiers | *flag);
  }
  for (std::uint16_t key = 1; key < 0x100; ++key) {
    if (const std::wstring name = KeyText(key); !name.empty() && EqualIgnoringAsciiCase(name, text)) {
      chord.key = key;
      return chord;
    }
  }
  return std::nullopt;
}

std::optional<std::uint8_t> TextToNudgeModifiers(std::wstring_view text) {
  text = Trim(text);
  if (text.empty()) return std::uint8_t{0};
  for (std::uint8_t modifiers : kNudgeModifiers) {
    if (modifiers == 0) continue;
    // The same modifiers in any order: the text with a key named after it.
    if (const auto chord = TextToChord(std::wstring(text) + L"+A"); chord && chord->modifiers == modifiers) {
      return modifiers;
    }
  }
  return std::nullopt;
}

}  // namespace rc::settings
