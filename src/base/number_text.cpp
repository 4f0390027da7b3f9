#include "base/number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

namespace rc {
namespace {

constexpr double kMaxFinite = std::numeric_limits<double>::max();

// Exponent digits saturate here; far beyond anything a double can hold, and small
// enough that adding the count of fraction digits can never overflow 64 bits.
constexpr std::int64_t kExponentLimit = 100000;

// Walks the text one character at a time, skipping blanks, tabs and line feeds
// wherever they stand.
template <typename Char>
class Cursor {
 public:
  explicit Cursor(std::basic_string_view<Char> text) : text_(text) { Skip(); }

  // The current character as a code point, or -1 at the end.
  long Peek() const { return pos_ < text_.size() ? static_cast<long>(Unsigned(text_[pos_])) : -1; }
  void Next() {
    ++pos_;
    Skip();
  }

 private:
  static auto Unsigned(Char c) { return static_cast<std::make_unsigned_t<Char>>(c); }
  void Skip() {
    while (pos_ < text_.size()) {
      Char c = text_[pos_];
      if (c != Char(' ') && c != Char('\t') && c != Char('\n')) break;
      ++pos_;
    }
  }

  std::basic_string_view<Char> text_;
  std::size_t pos_ = 0;
};

int DigitValue(long c, int base) {
  int d = -1;
  if (c >= '0' && c <= '9')
    d = static_cast<int>(c - '0');
  else if (c >= 'a' && c <= 'f')
    d = static_cast<int>(c - 'a' + 10);
  else if (c >= 'A' && c <= 'F')
    d = static_cast<int>(c - 'A' + 10);
  return d < base ? d : -1;
}

template <typename Char>
double ReadWholeNumber(Cursor<Char>& cur, int base) {
  double value = 0;
  for (int d; (d = DigitValue(cur.Peek(), base)) >= 0; cur.Next()) {
    if (value > (kMaxFinite - d) / base) {
      value = kMaxFinite;  // keep consuming; the value stays clamped
    } else {
      value = value * base + d;
    }
  }
  return value;
}

template <typename Char>
double ReadNumberImpl(std::basic_string_view<Char> text) noexcept {
  Cursor<Char> cur(text);

  if (cur.Peek() == '&') {
    cur.Next();
    long c = cur.Peek();
    if (c == 'H' || c == 'h') {
      cur.Next();
      return ReadWholeNumber(cur, 16);
    }
    if (c == 'O' || c == 'o') {
      cur.Next();
      return ReadWholeNumber(cur, 8);
    }
    return 0;
  }

  bool negative = false;
  if (cur.Peek() == '+' || cur.Peek() == '-') {
    negative = cur.Peek() == '-';
    cur.Next();
  }

  // Significant digits (leading zeros dropped) go into a small buffer for
  // from_chars; beyond its size only whether a further non-zero digit exists
  // matters for rounding, so that is recorded as one extra "1" digit.
  constexpr std::size_t kKeep = 780;
  std::array<char, kKeep + 32> buf{};
  std::size_t kept = 0;
  bool dropped_nonzero = false;
  bool any_digit = false;
  std::int64_t scale = 0;  // decimal exponent of the last kept digit, before the exponent part

  auto take_digit = [&](int d, bool fraction) {
    any_digit = true;
    if (kept == 0 && d == 0) {
      if (fraction) --scale;  // a leading zero after the point shifts the value
      return;
    }
    if (kept < kKeep) {
      buf[kept++] = static_cast<char>('0' + d);
      if (fraction) --scale;
    } else {
      if (d != 0) dropped_nonzero = true;
      if (!fraction) ++scale;  // an integer digit that is not kept still counts
    }
  };

  for (int d; (d = DigitValue(cur.Peek(), 10)) >= 0; cur.Next()) take_digit(d, false);
  if (cur.Peek() == '.') {
    cur.Next();
    for (int d; (d = DigitValue(cur.Peek(), 10)) >= 0; cur.Next()) take_digit(d, true);
  }
  if (!any_digit) return 0;

  std::int64_t exponent = 0;
  long e = cur.Peek();
  if (e == 'E' || e == 'e' || e == 'D' || e == 'd') {
    cur.Next();
    bool exp_negative = false;
    if (cur.Peek() == '+' || cur.Peek() == '-') {
      exp_negative = cur.Peek() == '-';
      cur.Next();
    }
    for (int d; (d = DigitValue(cur.Peek(), 10)) >= 0; cur.Next()) {
      exponent = exponent * 10 + d;
      if (exponent > kExponentLimit) exponent = kExponentLimit;
    }
    if (exp_negative) exponent = -exponent;
  }

  if (kept == 0) return 0;  // only zeros
  if (dropped_nonzero) buf[kept++] = '1';
  if (dropped_nonzero) --scale;
  std::int64_t exp10 = scale + exponent;

  // Decimal exponent of the leading digit decides overflow and underflow.
  std::int64_t magnitude = static_cast<std::int64_t>(kept) - 1 + exp10;
  double value;
  if (magnitude > 310) {
    value = kMaxFinite;
  } else if (magnitude < -330) {
    value = 0;
  } else {
    char* end = buf.data() + kept;
    *end++ = 'e';
    auto [p, ec] = std::to_chars(end, buf.data() + buf.size(), exp10);
    if (ec != std::errc()) return 0;  // cannot happen: the exponent is small here
    value = 0;
    auto result = std::from_chars(buf.data(), p, value, std::chars_format::scientific);
    // Out of range, or not finite: the largest finite value, or 0 below the smallest.
    if (result.ec != std::errc() || !std::isfinite(value)) value = magnitude > 0 ? kMaxFinite : 0.0;
  }
  return negative ? -value : value;
}

}  // namespace

double ReadNumber(std::string_view text) noexcept { return ReadNumberImpl(text); }
double ReadNumber(std::wstring_view text) noexcept { return ReadNumberImpl(text); }

std::string FormatPlainDecimal(double v) {
  if (std::isnan(v) || v == 0) return "0";
  if (std::isinf(v)) v = v > 0 ? kMaxFinite : -kMaxFinite;

  // 15 significant digits, correctly rounded: d.dddddddddddddde[+-]x
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
  if (ec != std::errc()) return "0";  // cannot happen: the buffer is large enough

  std::string_view sci(buf, static_cast<std::size_t>(end - buf));
  bool negative = sci.front() == '-';
  if (negative) sci.remove_prefix(1);
  std::size_t e_pos = sci.find('e');
  std::string digits;
  for (char c : sci.substr(0, e_pos))
    if (c != '.') digits += c;
  int exponent = 0;
  std::string_view exp_text = sci.substr(e_pos + 1);
  if (!exp_text.empty() && exp_text.front() == '+') exp_text.remove_prefix(1);
  std::from_chars(exp_text.data(), exp_text.data() + exp_text.size(), exponent);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out;
  if (negative) out += '-';
  if (exponent >= 0) {
    auto int_digits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= int_digits) {
      out += digits;
      out.append(int_digits - digits.size(), '0');
    } else {
      out.append(digits, 0, int_digits);
      out += '.';
      out.append(digits, int_digits, std::string::npos);
    }
  } else {
    out += "0.";
    out.append(static_cast<std::size_t>(-exponent - 1), '0');
    out += digits;
  }
  return out;
}

}  // namespace rc
