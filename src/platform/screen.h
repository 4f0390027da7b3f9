#pragma once
#include <vector>

#include "base/pixel_scale.h"

namespace rc::platform {

// A point on the screen in pixels.
struct PixelPoint {
  int x = 0, y = 0;
  bool operator==(const PixelPoint&) const = default;
};

struct TwipsRect {
  float left = 0, top = 0, width = 0, height = 0;
};

// An attached monitor: where it lies, in twips at the primary monitor's scale
// (as every position is), and its own dots per inch, at which sizes shown on
// it are converted.
struct Monitor {
  TwipsRect area;
  int dpi = 96;
};

class Screen {
 public:
  virtual ~Screen() = default;
  // The primary monitor.
  virtual float WidthTwips() const = 0;
  virtual float HeightTwips() const = 0;
  // The primary monitor's DPI of each axis: every position on the screen
  // converts between twips and pixels by it, on whichever monitor it lies.
  virtual PixelScale ScaleX() const = 0;
  virtual PixelScale ScaleY() const = 0;
  // 1440 / that DPI: 15 at 96 DPI, 10 at 144 DPI.
  float TwipsPerPixelX() const { return ScaleX().TwipsPerPixel(); }
  float TwipsPerPixelY() const { return ScaleY().TwipsPerPixel(); }
  // Every attached monitor, the primary first.
  virtual std::vector<Monitor> Monitors() const = 0;
  // Where the mouse pointer is now.
  virtual PixelPoint Pointer() const = 0;
  // Whether windows can be left out of screen captures (Windows 10 2004 on);
  // the older way would show them as black boxes instead, which is worse.
  virtual bool CanExcludeFromCapture() const = 0;
};

}  // namespace rc::platform
