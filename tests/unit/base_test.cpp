// The base rules: numbers read as text, and twips to pixels and back at the
// usual system scales, halves to even. The plain decimal text is the number
// fuzz target's: no exponent, fifteen digits, read back the same.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

#include "base/number_text.h"
#include "base/pixel_scale.h"

namespace rc {
namespace {

TEST(ReadNumber, ReadsTheFormsOfTheReadingRuleNarrowAndWide) {
  const std::string zeros(900, '0');
  struct Case {
    std::string text;
    double value;
  };
  // clang-format off
  const Case cases[] = {
      // Fields as the conversion passes them.
      {"001.2345", 1.2345}, {"-01.2345", -1.2345}, {".", 0}, {"002.34,5", 2.34},
      {"\n00.12345", 0.12345}, {"12.", 12}, {"", 0},
      // Blanks, tabs and line feeds wherever they stand.
      {" \t\n 42", 42}, {"1 2 3", 123}, {"- 1 . 5", -1.5}, {"1.5 E 2", 150},
      // Sign, point, exponent.
      {"+7", 7}, {"-.5", -0.5}, {"1.2.3", 1.2}, {"--1", 0}, {"+-1", 0},
      {"1E3", 1000}, {"1D3", 1000}, {"1d-2", 0.01}, {"2.5E+1", 25},
      {"1E", 1}, {"1E+", 1}, {"1E-x", 1}, {"E5", 0}, {".E5", 0}, {"0E999999", 0},
      // The first other character ends the number, a non-ASCII blank included.
      {"12x45", 12}, {"abc", 0}, {"1,5", 1}, {"3\r", 3}, {"1\xC2\xA0" "5", 1}, {"1.5a", 1.5}, {"9a", 9},
      // Hexadecimal and octal whole numbers.
      {"&HA1F", 2591}, {"&haf", 175}, {"&HFFFF", 65535}, {"&O17", 15}, {"&o78", 7}, {"&H", 0},
      {"& H 10", 16}, {"&X1", 0}, {"-&H10", 0}, {"&H1.5", 1},
      // Beyond the range of double: clamped, or 0 when too small.
      {"1E400", DBL_MAX}, {"-1e400", -DBL_MAX}, {"1e-400", 0}, {"1E99999999999999999999", DBL_MAX},
      {"1.7976931348623157e308", DBL_MAX}, {"4.9406564584124654e-324", 4.9406564584124654e-324},
      // Long digit strings stay correct and finite; digits beyond those kept
      // still decide the rounding of a near-tie.
      {std::string(5000, '1'), DBL_MAX}, {"0." + std::string(5000, '0') + "5", 0},
      {"1" + std::string(399, '0') + "e-398", 10},
      {"9007199254740993" + zeros + "1e-901", 9007199254740994.0},
      {"9007199254740993" + zeros + "e-900", 9007199254740992.0},
      {std::string(100000, '&'), 0}, {"&H" + std::string(1000, 'F'), DBL_MAX},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE('"' + c.text.substr(0, 40) + '"');
    EXPECT_EQ(ReadNumber(std::string_view(c.text)), c.value);
    const std::wstring wide(c.text.begin(), c.text.end());
    EXPECT_EQ(ReadNumber(std::wstring_view(wide)), c.value);
  }
  EXPECT_EQ(ReadNumber(std::wstring_view(L"12\x3000"
                                         L"5")),
            12);  // ideographic space
}

// Each edge to the nearest pixel, halves to even (also where twips per pixel is
// not a whole number), a run between its two edges, and back.
TEST(PixelScale, EdgesGoToTheNearestPixelHalvesToEvenAndBack) {
  struct Case {
    int dpi;
    double twips;
    int pixel;
  };
  // clang-format off
  const Case cases[] = {
      {96, 7.4, 0}, {96, 7.5, 0}, {96, 7.6, 1}, {96, 22.5, 2}, {96, -7.5, 0}, {96, -22.5, -2}, {96, 14450, 963},
      {144, 15, 2}, {144, 25, 2}, {144, 35, 4},
      // 1440/168 = 8.571...: 30 and 90 twips are exact halves (3.5, 10.5); through
      // a rounded twips per pixel 90 would come out as 10.5000003 -> 11
      {168, 30, 4}, {168, 90, 10}, {168, -90, -10}, {168, 14450, 1686},
      {192, 11.25, 2}, {192, 18.75, 2},
      // beyond any screen, no number at all, no DPI reported (96)
      {96, 1e30, 1 << 28}, {96, -1e30, -(1 << 28)}, {96, std::numeric_limits<double>::quiet_NaN(), 0}, {0, 150, 10},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(PixelScale(c.dpi).Pixel(c.twips), c.pixel) << c.dpi << " DPI, " << c.twips << " twips";
  }
  // 60 twips alone are 7 pixels at 168 DPI; between the edges at 30 and 90, 6.
  EXPECT_EQ(PixelScale(168).Span(30, 60), (PixelSpan{4, 6}));
  EXPECT_EQ(PixelScale(96).Span(0, -15), (PixelSpan{0, 0}));
  for (int dpi : {96, 120, 144, 168, 192}) {
    const PixelScale scale(dpi);
    EXPECT_EQ(scale.Twips(dpi * 10), 14400.f) << dpi;
    for (int pixel = -3000; pixel <= 3000; ++pixel) ASSERT_EQ(scale.Pixel(scale.Twips(pixel)), pixel) << dpi;
    // Runs that touch in twips touch on the screen: the bars of an arm and the handle.
    for (double start = -700; start < 700; start += 7.5) {
      const PixelSpan first = scale.Span(start, 350), second = scale.Span(start + 350, 50);
      EXPECT_EQ(first.start + first.length, second.start) << dpi << " DPI at " << start;
    }
  }
  // After a move: twips that still land on the pixel are kept, others become the pixel's.
  EXPECT_EQ(PixelScale(96).TwipsAfterMove(100.5f, 7), 100.5f);
  EXPECT_EQ(PixelScale(96).TwipsAfterMove(100.5f, 8), 120.f);
  EXPECT_EQ(PixelScale(168).TwipsAfterMove(14405, 1680), 14400.f);  // 1680.58 lands on 1681
}

}  // namespace
}  // namespace rc
