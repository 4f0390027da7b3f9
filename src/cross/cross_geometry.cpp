#include "cross/cross_geometry.h"

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

}  // namespace rc::cross
