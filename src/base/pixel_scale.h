#pragma once
// Twips (1440 per inch) and the screen's pixels. Every window and control keeps
// its edges in twips and is placed on whole pixels by one rule: each edge goes
// to the pixel nearest to it, halves to the even neighbour, and a size is the
// distance between its two edges. So things that touch in twips touch on the
// screen at every scale, whatever the rounding of their sizes alone would say.

#include <cstdint>

namespace rc {

inline constexpr int kTwipsPerInch = 1440;

// A run of pixels along one axis: its first pixel and how many it covers.
struct PixelSpan {
  int start = 0;
  int length = 0;
  bool operator==(const PixelSpan&) const = default;
};

// The scale of one screen axis, given by the system's dots per inch (96: 15
// twips per pixel; 168: 8.57... twips per pixel).
class PixelScale {
 public:
  // A dots-per-inch value of 0 or below stands for the usual 96.
  constexpr explicit PixelScale(int dots_per_inch = 96) : dpi_(dots_per_inch > 0 ? dots_per_inch : 96) {}

  constexpr int dots_per_inch() const { return dpi_; }
  float TwipsPerPixel() const { return static_cast<float>(static_cast<double>(kTwipsPerInch) / dpi_); }

  // The pixel edge nearest to a twips coordinate, halves to even. Computed as
  // twips x dpi / 1440, which is exact for every twips value a float holds, so a
  // half stays a half where twips per pixel is not a whole number. Values beyond
  // any screen are clamped; NaN gives 0.
  int Pixel(double twips) const;
  // `length` twips from `start`: both edges to their pixel; never negative.
  PixelSpan Span(double start, double length) const;
  // The twips of a pixel edge.
  float Twips(int pixel) const;
  // An edge the user has moved to `pixel` (a drag, the system placing a
  // window): the twips held stay when they still land on that pixel, so that
  // nothing is lost to rounding; otherwise the pixel's own twips.
  float TwipsAfterMove(float twips, int pixel) const;

 private:
  int dpi_;
};

}  // namespace rc
