#pragma once
#include <vector>

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
  // 1440 / the system DPI: 15 at 96 DPI.
  virtual float TwipsPerPixelX() const = 0;
  virtual float TwipsPerPixelY() const = 0;
  // Every attached monitor, in twips of the virtual screen.
  virtual std::vector<TwipsRect> Monitors() const = 0;
};

}  // namespace rc::platform
