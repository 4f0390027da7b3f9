#pragma once
// Conversion of one reading line from the coordinate reader into its reply.
//
// A reading line ends with a CR. Before the CR stand: the X field, the first comma,
// the Y field, three skipped characters and a status character ("0" or "3").
// Spaces stand for the digit 0. Each field carries an implied decimal point after
// its third character. Example: "  12345,  23456   0\r" reads X = 1.2345,
// Y = 2.3456 and is answered "000123,000234,1\r".
//
// The reply is always 16 bytes: "0", X as five digits, ",0", Y as five digits,
// ",", the reply code ("1" for status "0", "8" for status "3") and a CR, no LF.

#include <optional>
#include <string>
#include <string_view>

namespace rc::reader {

inline constexpr std::size_t kReplyBytes = 16;
inline constexpr std::size_t kMinReadingLine = 16;  // CR included

// Why a line got no reply.
enum class DropReason {
  None,         // answered
  WrongStatus,  // the character before the CR is not "0" or "3"
  TooShort,     // fewer than 16 characters, CR included
  Repeat,       // the same as the last line answered
  Malformed,    // no comma, a comma too late, nothing before the CR, noise in a field
};

struct Conversion {
  std::optional<std::string> reply;  // to write in one write; empty when dropped
  DropReason reason = DropReason::None;
};

// Converts `line` (the assembled receive buffer; it holds at least one CR) and
// returns the reply to write to the port in one write, or why the line is
// dropped. `line` is edited in place: it is cut after its first CR and its
// spaces become "0"; on most drops it is emptied. `last_line` is the last answered
// line (as edited, CR included); it is replaced only when a reply is returned, so
// the same reading twice in a row is answered once.
//
// `correction_angle` is the machine-correction angle in degrees (0: none);
// `length_ratio` is the text "a,b": X is multiplied by a and Y by b, a factor of
// 0 meaning no scaling on that side. Empty text means no scaling.
//
// Never throws.
Conversion ConvertReading(std::string& line, std::string& last_line, double correction_angle,
                          std::wstring_view length_ratio) noexcept;

// The five-digit reply field of a value v >= 0: hundreds, tens and units of the
// integer part, then the first two decimals, truncated (1234.5 -> "23450",
// 999.999 -> "99999", 0.5 -> "00050"). Taken from the plain decimal text of v.
std::string FiveDigitField(double v);

// The two factors of a length-ratio text "a,b", each by the reading rule.
// Text without a comma is all a; b is then 0 (no scaling of Y).
struct LengthFactors {
  double a = 0;
  double b = 0;
};
LengthFactors ParseLengthRatio(std::wstring_view length_ratio) noexcept;

}  // namespace rc::reader
