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
inline constexpr std::uint16_t kPause = 0x13, kF1 = 0x70, kF12 = 0x7B, kF24 = 0x87;
}  // namespace key

struct Chord {
  std::uint8_t modifiers = 0;  // modifier:: flags
  std::uint16_t key = 0;       // 0: no key (switched off, or modifiers alone)
  bool operator==(const Chord&) const = default;
};

// F12 belongs to the system (debuggers): never a shortcut.
constexpr bool IsReservedKey(std::uint16_t k) { return k == key::kF12; }
// A global shortcut takes its chord from every program: one that types (H,
// Shift+H) would swallow that typing everywhere. So a chord needs Ctrl or Alt,
// unless its key types nothing (F1 to F24, Pause). No key is no shortcut: fine.
constexpr bool TakesNoTyping(Chord c) {
  if (c.key == 0) return true;
  if (IsReservedKey(c.key)) return false;
  return (c.modifiers & (modifier::kCtrl | modifier::kAlt)) != 0 || (c.key >= key::kF1 && c.key <= key::kF24) ||
         c.key == key::kPause;
}

}  // namespace rc
