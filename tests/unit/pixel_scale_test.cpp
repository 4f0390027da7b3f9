// Twips to pixels and back at the usual system scales, halves included.
#include <gtest/gtest.h>

#include <limits>

#include "base/pixel_scale.h"

namespace rc {
namespace {

constexpr int kScales[] = {96, 120, 144, 168, 192};

TEST(PixelScale, EdgesGoToTheNearestPixelHalvesToEven) {
  struct Case { int dpi; double twips; int pixel; };
  const Case cases[] = {
      // 15 twips per pixel
      {96, 7.4, 0}, {96, 7.5, 0}, {96, 7.6, 1}, {96, 22.5, 2}, {96, -7.5, 0}, {96, -22.5, -2},
      {96, 50, 3}, {96, 14450, 963},
      {120, 6, 0}, {120, 18, 2}, {120, 30, 2}, {120, 50, 4},  // 12
      {144, 5, 0}, {144, 15, 2}, {144, 25, 2}, {144, 35, 4}, {144, 50, 5},  // 10
      // 1440/168 = 8.571...: twips 30, 90, 150, 210 are exact halves (3.5, 10.5, 17.5, 24.5);
      // through a rounded twips per pixel 90 would come out as 10.5000003 -> 11
      {168, 30, 4}, {168, 90, 10}, {168, 150, 18}, {168, 210, 24}, {168, -90, -10},
      {168, 50, 6}, {168, 350, 41}, {168, 14450, 1686},
      {192, 3.75, 0}, {192, 11.25, 2}, {192, 18.75, 2}, {192, 7.5, 1}, {192, 350, 47},  // 7.5
      // beyond any screen, no number at all, no DPI reported (96)
      {96, 1e30, 1 << 28}, {96, -1e30, -(1 << 28)}, {96, std::numeric_limits<double>::quiet_NaN(), 0},
      {0, 150, 10},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PixelScale(c.dpi).Pixel(c.twips), c.pixel) << c.dpi << " DPI, " << c.twips << " twips";
  }
}

TEST(PixelScale, ARunHasBothEdgesOnTheirPixelsAndNeverANegativeLength) {
  struct Case { int dpi; double start, length; PixelSpan span; };
  const Case cases[] = {
      {96, 14400, 50, {960, 3}},   {96, 7.5, 15, {0, 2}},    {96, 0, -15, {0, 0}},
      {144, 14400, 50, {1440, 5}}, {144, 5, 10, {0, 2}},
      // 60 twips alone are 7 pixels; between the edges at 30 (3.5 -> 4) and 90 (10.5 -> 10), 6
      {168, 30, 60, {4, 6}},       {168, 14400, 50, {1680, 6}},
      {192, 3.75, 7.5, {0, 2}},    {192, 14400, 50, {1920, 7}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PixelScale(c.dpi).Span(c.start, c.length), c.span) << c.dpi << " DPI, " << c.start << "+" << c.length;
  }
  // Runs that touch in twips touch on the screen: the bars of an arm and the handle.
  for (int dpi : kScales) {
    const PixelScale scale(dpi);
    for (double start = -700; start < 700; start += 7.5) {
      const PixelSpan first = scale.Span(start, 350), second = scale.Span(start + 350, 50);
      EXPECT_EQ(first.start + first.length, second.start) << dpi << " DPI at " << start;
    }
  }
}

TEST(PixelScale, PixelsBackToTwips) {
  for (int dpi : kScales) {
    const PixelScale scale(dpi);
    EXPECT_EQ(scale.Twips(dpi * 10), 14400.f) << dpi;
    EXPECT_EQ(scale.TwipsPerPixel(), scale.Twips(1)) << dpi;
    for (int pixel = -5000; pixel <= 5000; ++pixel) ASSERT_EQ(scale.Pixel(scale.Twips(pixel)), pixel) << dpi;
  }
  // After a move: twips that still land on the pixel are kept, others become the pixel's.
  struct Case { int dpi; float twips; int pixel; float after; };
  const Case cases[] = {
      {96, 100.5f, 7, 100.5f}, {96, 100.5f, 8, 120},     {144, 14404, 1440, 14404}, {144, 14404, 1400, 14000},
      {168, 14405, 1680, 14400} /* 1680.58 lands on 1681 */, {168, 14402, 1680, 14402},
      {192, 14400, 1921, 14407.5f},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PixelScale(c.dpi).TwipsAfterMove(c.twips, c.pixel), c.after) << c.dpi << " DPI, " << c.twips;
  }
}

}  // namespace
}  // namespace rc
