#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

#include "base/number_text.h"

namespace rc {
namespace {

struct ReadCase {
  std::string text;
  double value;
};

const ReadCase kReadCases[] = {
    // Fields as the conversion passes them.
    {"001.2345", 1.2345}, {"-01.2345", -1.2345}, {".", 0}, {"002.34,5", 2.34},
    {"\n00.12345", 0.12345}, {"12.", 12}, {"", 0},
    // Blanks, tabs and line feeds wherever they stand.
    {" \t\n 42", 42}, {"1 2 3", 123}, {"- 1 . 5", -1.5}, {"1.5 E 2", 150},
    // Sign, point, exponent.
    {"+7", 7}, {"-.5", -0.5}, {"5.", 5}, {"1.2.3", 1.2}, {"--1", 0}, {"+-1", 0},
    {"1E3", 1000}, {"1e3", 1000}, {"1D3", 1000}, {"1d-2", 0.01}, {"2.5E+1", 25},
    {"1E", 1}, {"1E+", 1}, {"1E-x", 1}, {"E5", 0}, {".E5", 0}, {"0E999999", 0},
    // The first other character ends the number.
    {"12x45", 12}, {"abc", 0}, {"1,5", 1}, {"3\r", 3},
    // Hexadecimal and octal whole numbers.
    {"&H1F", 31}, {"&h1f", 31}, {"&HFFFF", 65535}, {"&O17", 15}, {"&o78", 7}, {"&H", 0},
    {"& H 10", 16}, {"&X1", 0}, {"-&H10", 0}, {"&H1.5", 1},
    // Beyond the range of double: clamped, or 0 when too small.
    {"1E400", DBL_MAX}, {"-1e400", -DBL_MAX}, {"1e-400", 0}, {"1E99999999999999999999", DBL_MAX},
    {"1.7976931348623157e308", DBL_MAX}, {"4.9406564584124654e-324", 4.9406564584124654e-324},
};

TEST(ReadNumber, ReadsTheFormsOfTheReadingRule) {
  for (const auto& c : kReadCases) {
    EXPECT_EQ(ReadNumber(std::string_view(c.text)), c.value) << '"' << c.text << '"';
    std::wstring wide(c.text.begin(), c.text.end());
    EXPECT_EQ(ReadNumber(std::wstring_view(wide)), c.value) << '"' << c.text << '"';
  }
}

TEST(ReadNumber, LongDigitStringsStayCorrectAndFinite) {
  EXPECT_EQ(ReadNumber(std::string(5000, '1')), DBL_MAX);
  EXPECT_EQ(ReadNumber("0." + std::string(5000, '0') + "5"), 0);
  // 400 integer digits brought back into range by the exponent.
  EXPECT_DOUBLE_EQ(ReadNumber("1" + std::string(399, '0') + "e-398"), 10.0);
  // Digits beyond those kept still decide the rounding of a near-tie.
  EXPECT_EQ(ReadNumber("9007199254740993" + std::string(900, '0') + "1e-901"), 9007199254740994.0);
  EXPECT_EQ(ReadNumber("9007199254740993" + std::string(900, '0') + "e-900"), 9007199254740992.0);
  EXPECT_EQ(ReadNumber(std::string(100000, '&')), 0);
  EXPECT_EQ(ReadNumber("&H" + std::string(1000, 'F')), DBL_MAX);
}

TEST(ReadNumber, NonAsciiEndsTheNumber) {
  EXPECT_EQ(ReadNumber(std::wstring_view(L"12\x3000" L"5")), 12);  // ideographic space
  EXPECT_EQ(ReadNumber(std::string_view("1\xC2\xA0" "5")), 1);     // no-break space
}

TEST(FormatPlainDecimal, WritesPlainDecimalText) {
  struct Case {
    double value;
    const char* text;
  };
  const Case cases[] = {
      {0, "0"}, {-0.0, "0"}, {0.5, "0.5"}, {-0.5, "-0.5"}, {12, "12"}, {-1.25, "-1.25"},
      {1.5, "1.5"}, {30, "30"}, {0.1 + 0.2, "0.3"}, {1.37e-14, "0.0000000000000137"},
      {1.2345, "1.2345"}, {999.999, "999.999"}, {123456789012345, "123456789012345"},
      {1e15, "1000000000000000"}, {1234567890123456789.0, "1234567890123460000"},
      {1.234e20, "123400000000000000000"}, {9.9999999999999999, "10"},
      {2.0 / 3.0, "0.666666666666667"}, {-36.86989764584402, "-36.869897645844"},
      {0.0001, "0.0001"}, {1e-5, "0.00001"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatPlainDecimal(c.value), c.text) << c.value;

  EXPECT_EQ(FormatPlainDecimal(std::numeric_limits<double>::quiet_NaN()), "0");
  EXPECT_EQ(FormatPlainDecimal(HUGE_VAL), FormatPlainDecimal(DBL_MAX));
  EXPECT_EQ(FormatPlainDecimal(-HUGE_VAL), FormatPlainDecimal(-DBL_MAX));
  EXPECT_EQ(FormatPlainDecimal(DBL_MAX).size(), 309u);
  EXPECT_EQ(FormatPlainDecimal(DBL_MAX).substr(0, 16), "1797693134862320");
}

}  // namespace
}  // namespace rc
