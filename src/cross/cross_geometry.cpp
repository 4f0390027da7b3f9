#include "cross/cross_geometry.h"

#include <algorithm>

#include "base/rounding.h"
#include "settings/setting_text.h"

namespace rc::cross {

namespace {
std::optional<std::int64_t> ColourOf(std::wstring_view text) { return settings::TextToInteger(text, 0, 0x00FFFFFF); }
}  // namespace

std::uint32_t CrossColourValue(std::wstring_view text) {
  const auto value = ColourOf(text);
  return value ? static_cast<std::uint32_t>(*value) : kFallbackColour;
}

bool IsColourText(std::wstring_view text) { return ColourOf(text).has_value(); }

namespace {
// One axis of a window: from `near` to `far` twips after the handle's edge,
// each edge on the pixel its offset rounds to after the handle's pixel. An
// edge keeps the twips it has in twips (the handle's edge plus the offset)
// where those land on that pixel, so that nothing changes where the screen
// would not (the handle's own near edge, at offset 0, is its edge).
struct AxisPlace {
  float start, length;
};
AxisPlace OnPixels(PixelScale scale, float handle_edge, double near, double far) {
  const int origin = scale.Pixel(static_cast<double>(handle_edge));
  auto edge = [&](double offset) {
    return scale.TwipsAfterMove(static_cast<float>(static_cast<double>(handle_edge) + offset),
                                origin + scale.Pixel(offset));
  };
  const float start = edge(near);
  return {start, std::max(0.0f, edge(far) - start)};
}
}  // namespace

BarRect PlaceOnPixels(int number, const CrossSize& s, float handle_left, float handle_top, double ratio, PixelScale x,
                      PixelScale y) {
  const double thickness = s.thickness * ratio;
  if (number == 0) {
    const AxisPlace across = OnPixels(x, handle_left, 0, thickness);
    const AxisPlace down = OnPixels(y, handle_top, 0, thickness);
    return {across.start, down.start, across.length, down.length};
  }
  const BarPlacement& p = kBarPlacements[static_cast<std::size_t>(number - 1)];
  const double offset = ArmOffset(p, s) * ratio;
  const double along = (IsVertical(p.arm) ? s.length : s.thickness) * ratio;        // the bar's height
  const double across_size = (IsVertical(p.arm) ? s.thickness : s.length) * ratio;  // its width
  const AxisPlace across = IsVertical(p.arm) ? OnPixels(x, handle_left, 0, across_size)
                                             : OnPixels(x, handle_left, offset, offset + across_size);
  const AxisPlace down =
      IsVertical(p.arm) ? OnPixels(y, handle_top, offset, offset + along) : OnPixels(y, handle_top, 0, along);
  return {across.start, down.start, across.length, down.length};
}

std::uint8_t OpacityAlpha(int percent) {
  return static_cast<std::uint8_t>(std::clamp(RoundHalfEven(255.0 * percent / 100), 0.0, 255.0));
}

}  // namespace rc::cross
