#include "reader/reading_conversion.h"

#include <cmath>

#include "base/number_text.h"
#include "base/rounding.h"
#include "reader/machine_correction.h"

namespace rc::reader {
namespace {

// Field with its implied decimal point: the first three characters, ".", the
// rest. A field of fewer than three characters gets the point at its end.
std::string WithImpliedPoint(std::string_view field) {
  std::string out;
  out.reserve(field.size() + 1);
  if (field.size() < 3) {
    out.append(field);
    out += '.';
  } else {
    out.append(field.substr(0, 3));
    out += '.';
    out.append(field.substr(3));
  }
  return out;
}

// Line noise (a cable plugged in, a reader switched on) lands in front of the
// next reading, in its first field, where the number would read as 0: a wrong
// coordinate rather than a dropped line. A field that holds characters but
// cannot begin a number (after the line feeds and tabs the reading rule skips)
// therefore makes the line malformed. An empty field still reads as 0.
bool CanBeginNumber(std::string_view field) {
  for (char c : field) {
    if (c == '\n' || c == '\t') continue;
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == '&';
  }
  return true;
}

Conversion Drop(DropReason reason) { return {std::nullopt, reason}; }

Conversion Convert(std::string& line, std::string& last_line, double correction_angle, std::wstring_view length_ratio) {
  // Cut after the first CR. A line without any CR is not a reading: left alone.
  std::size_t cr = line.find('\r');
  if (cr == std::string::npos) return Drop(DropReason::Malformed);
  line.resize(cr + 1);

  // The status character stands just before the CR and is taken before spaces
  // become "0", so a space there drops the line. A bare CR (nothing before it)
  // has no status character and is dropped the same way.
  if (line.size() < 2) return Drop(DropReason::Malformed);
  const char status = line[line.size() - 2];
  if (status != '0' && status != '3') return Drop(DropReason::WrongStatus);

  for (char& c : line)
    if (c == ' ') c = '0';

  if (line.size() < kMinReadingLine || line == last_line) {
    const DropReason reason = line.size() < kMinReadingLine ? DropReason::TooShort : DropReason::Repeat;
    line.clear();
    return Drop(reason);
  }

  // n = length with the CR, c = 1-based position of the first comma. The second
  // field is the n - c - 5 characters after the comma. A line without a comma,
  // or whose first comma lies among the last four characters before the CR
  // (c > n - 5, so no room for a second field), is dropped and emptied like a
  // short line.
  const std::size_t n = line.size();
  const std::size_t comma = line.find(',');  // 0-based: c - 1
  if (comma == std::string::npos || comma + 1 > n - 5) {
    line.clear();
    return Drop(DropReason::Malformed);
  }
  const std::string_view text(line);
  const std::string_view field_a = text.substr(0, comma);
  const std::string_view field_b = text.substr(comma + 1, n - (comma + 1) - 5);

  if (!CanBeginNumber(field_a) || !CanBeginNumber(field_b)) {
    line.clear();
    return Drop(DropReason::Malformed);
  }

  double x = ReadNumber(WithImpliedPoint(field_a));
  double y = ReadNumber(WithImpliedPoint(field_b));

  x = MachineCorrection(x, y, correction_angle);

  if (!length_ratio.empty()) {
    const LengthFactors f = ParseLengthRatio(length_ratio);
    if (f.a != 0) x = f.a * x;
    if (f.b != 0) y = y * f.b;
  }

  x = RoundHalfEvenTo(x, 4);
  y = RoundHalfEvenTo(y, 4);

  // A value that left the range of double on the way (only an exponent in a
  // field, an extreme ratio or an extreme angle can do that) is no coordinate:
  // the line is dropped rather than answered with a made-up field.
  if (!std::isfinite(x) || !std::isfinite(y)) {
    line.clear();
    return Drop(DropReason::Malformed);
  }

  if (x < 0) x = 0;
  if (y < 0) y = 0;

  const char code = status == '3' ? '8' : '1';
  std::string reply;
  reply.reserve(kReplyBytes);
  reply += '0';
  reply += FiveDigitField(x);
  reply += ",0";
  reply += FiveDigitField(y);
  reply += ',';
  reply += code;
  reply += '\r';

  last_line = line;
  return {std::move(reply), DropReason::None};
}

}  // namespace

std::string FiveDigitField(double v) {
  std::string t = "00000" + FormatPlainDecimal(v);
  const std::size_t p = t.find('.');
  if (p != std::string::npos) {
    std::string decimals = t.substr(p + 1) + "00";
    return t.substr(p - 3, 3) + decimals.substr(0, 2);
  }
  return t.substr(t.size() - 3) + "00";
}

LengthFactors ParseLengthRatio(std::wstring_view length_ratio) noexcept {
  LengthFactors f;
  const std::size_t comma = length_ratio.find(L',');
  if (comma == std::wstring_view::npos) {
    f.a = ReadNumber(length_ratio);
  } else {
    f.a = ReadNumber(length_ratio.substr(0, comma));
    f.b = ReadNumber(length_ratio.substr(comma + 1));
  }
  return f;
}

Conversion ConvertReading(std::string& line, std::string& last_line, double correction_angle,
                          std::wstring_view length_ratio) noexcept {
  try {
    return Convert(line, last_line, correction_angle, length_ratio);
  } catch (...) {
    // Only allocation can fail here; without memory the line is simply dropped.
    line.clear();
    return Drop(DropReason::Malformed);
  }
}

}  // namespace rc::reader
