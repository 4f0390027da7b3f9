#pragma once
#include <vector>

#include "base/pixel_scale.h"

namespace rc::platform {

struct TwipsRect {
  float left = 0, top = 0, width = 0, height = 0;
};

class Screen {
 public:
  virtual ~Screen() = default;
  // The primary screen.
  virtual float WidthTwips() const = 0;
  virtual float HeightTwips() const = 0;
  // The system DPI of each axis; every window and control is placed by it.
  virtual PixelScale ScaleX() const = 0;
  virtual PixelScale ScaleY() const = 0;
  // 1440 / the system DPI: 15 at 96 DPI, 10 at 144 DPI.
  float TwipsPerPixelX() const { return ScaleX().TwipsPerPixel(); }
  float TwipsPerPixelY() const { return ScaleY().TwipsPerPixel(); }
  // Every attached monitor, in twips of the virtual screen.
  virtual std::vector<TwipsRect> Monitors() const = 0;
};

}  // namespace rc::platform
