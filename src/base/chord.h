#pragma once
// A key chord: modifier keys held and one key pressed, as the system's global
// shortcuts take it. Keys are the system's virtual-key numbers and the
// modifiers its flags, so that the platform hands them on unchanged.

#include <cstdint>

namespace rc {

namespace modifier {
inline constexpr std::uint8_t kAlt = 1;
inline constexpr std::uint8_t kCtrl = 2;
inline constexpr std::uint8_t kShift = 4;
inline constexpr std::uint8_t kWin = 8;
}  // namespace modifier

namespace key {
inline constexpr std::uint16_t kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28;
}  // namespace key

struct Chord {
  std::uint8_t modifiers = 0;  // modifier:: flags
  std::uint16_t key = 0;       // 0: no key (switched off, or modifiers alone)
  bool operator==(const Chord&) const = default;
};

}  // namespace rc
