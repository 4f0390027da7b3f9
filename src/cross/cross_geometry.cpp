#include "cross/cross_geometry.h"

#include "settings/setting_text.h"

namespace rc::cross {

std::uint32_t CrossColourValue(std::wstring_view text) {
  auto value = settings::TextToInteger(text, 0, 0x00FFFFFF);
  return value ? static_cast<std::uint32_t>(*value) : kFallbackColour;
}

}  // namespace rc::cross
