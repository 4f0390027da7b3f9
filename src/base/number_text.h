#pragma once
// Numbers as text, independent of the locale: the reading rule used for reader
// fields, the length ratio and the typed correction angle, and the plain decimal
// text used by the reply fields, the correction dialog and the store.

#include <string>
#include <string_view>

namespace rc {

// The reading rule. Blanks, tabs and line feeds are skipped wherever they stand.
// Then: an optional sign (+ or -), digits, at most one ".", further digits, and an
// optional exponent (E or D in either case, an optional sign, digits). The first
// other character ends the number; text without a number gives 0. "&H" or "&O"
// (either case) at the start makes the following digits a hexadecimal or octal
// whole number (never negative). "." is the decimal point whatever the locale.
//
// Examples: "001.2345" -> 1.2345, "-01.2345" -> -1.2345, "." -> 0,
// "002.34,5" -> 2.34, " 1 2.5D1" -> 125, "&H1f" -> 31, "&o17" -> 15.
//
// The result is always finite: a value beyond the range of double reads as
// +/-DBL_MAX, one too small to represent reads as 0. Input of any length is read
// in linear time. Never throws.
double ReadNumber(std::string_view text) noexcept;
double ReadNumber(std::wstring_view text) noexcept;

// Plain decimal text: up to 15 significant digits, "." as the separator, no
// exponent, no trailing zeros after the point, no point for a whole number, "-"
// before a negative value, "0" before the point when |v| < 1.
// Examples: 0.5 -> "0.5", -1.25 -> "-1.25", 12 -> "12", 1.37e-14 ->
// "0.0000000000000137".
//
// Values of 1e15 and above keep their 15 significant digits and are filled up
// with zeros to the point (1.234e20 -> "123400000000000000000"), so the text
// never carries an exponent. -0 gives "0"; NaN gives "0"; +/-infinity is written
// as +/-DBL_MAX, the value ReadNumber gives back for an overflowing text.
// The result is at most 341 characters (-4.9e-324 written out); the only
// exception possible is std::bad_alloc from building the string.
std::string FormatPlainDecimal(double v);

}  // namespace rc
