#include "base/pixel_scale.h"

#include <cmath>

#include "base/rounding.h"

namespace rc {

namespace {
// Far beyond any screen, and well inside int: sums of two edges cannot overflow.
constexpr double kPixelLimit = 1 << 28;
}  // namespace

int PixelScale::Pixel(double twips) const {
  if (std::isnan(twips)) return 0;
  const double pixels = RoundHalfEven(twips * dpi_ / kTwipsPerInch);
  if (pixels > kPixelLimit) return static_cast<int>(kPixelLimit);
  if (pixels < -kPixelLimit) return static_cast<int>(-kPixelLimit);
  return static_cast<int>(pixels);
}

PixelSpan PixelScale::Span(double start, double length) const {
  const int first = Pixel(start), end = Pixel(start + length);
  return {first, end > first ? end - first : 0};
}

float PixelScale::Twips(int pixel) const {
  return static_cast<float>(static_cast<double>(pixel) * kTwipsPerInch / dpi_);
}

float PixelScale::TwipsAfterMove(float twips, int pixel) const {
  return Pixel(static_cast<double>(twips)) == pixel ? twips : Twips(pixel);
}

}  // namespace rc
