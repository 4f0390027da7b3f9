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

std::uint8_t OpacityAlpha(int percent) {
  return static_cast<std::uint8_t>(std::clamp(RoundHalfEven(255.0 * percent / 100), 0.0, 255.0));
}

}  // namespace rc::cross
