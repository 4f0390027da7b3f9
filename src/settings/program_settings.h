#pragma once
// The program-wide settings held in memory, and where the store keeps each.
// The first twelve values start at their zero value; the store's load and
// first-run rule give them their working values.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/chord.h"

namespace rc::settings {

inline constexpr int kPartCount = 19;                              // 0: the centre handle, 1..18: the bars
inline constexpr std::wstring_view kModeReaderLink = L"지적통합";  // port open
inline constexpr std::wstring_view kModeWintab = L"Wintab 전환";   // port closed

// The global shortcuts, in the order their rows stand in the properties dialog.
enum ShortcutAction : int {
  kHideShortcut,   // 숨기기/보이기: hides the whole cross, or shows it again
  kBringShortcut,  // 포인터로 옮기기: the cross's middle to the mouse pointer
  kNudgeShortcut,  // 한 픽셀 이동: with an arrow key, the cross one pixel that way
  kHoldShortcut,   // 고정: the menu's hold command
  kShortcutCount,
};

// Ctrl+Alt+Shift: rarely taken by other programs, and no character on the
// Korean layout.
inline constexpr std::uint8_t kDefaultModifiers = modifier::kCtrl | modifier::kAlt | modifier::kShift;

// Each shortcut as the store keeps it: its key in the section "단축키" and its
// first chord. By ShortcutAction.
struct ShortcutRow {
  ShortcutAction action;
  std::wstring_view key;
  Chord first;
};
// clang-format off
inline constexpr std::array<ShortcutRow, kShortcutCount> kShortcutRows{{
    {kHideShortcut, L"숨기기", {kDefaultModifiers, 'H'}},
    {kBringShortcut, L"포인터로", {kDefaultModifiers, 'C'}},
    {kNudgeShortcut, L"이동", {kDefaultModifiers, 0}},
    {kHoldShortcut, L"고정", {kDefaultModifiers, 'L'}},
}};
// clang-format on
inline constexpr std::array<Chord, kShortcutCount> kDefaultShortcuts = [] {
  std::array<Chord, kShortcutCount> chords{};
  for (const ShortcutRow& row : kShortcutRows) chords[static_cast<std::size_t>(row.action)] = row.first;
  return chords;
}();

struct ProgramSettings {
  std::wstring CrossColor;  // decimal text of a 0x00BBGGRR colour
  bool OnTop = false;
  std::int16_t Length = 0;     // twips
  std::int16_t Thickness = 0;  // twips
  std::int16_t Gap = 0;        // twips
  // The centre handle's left and top edge in twips; 32 bits so that a handle
  // on a wide screen or a second monitor keeps its place.
  std::int32_t XPosition = 0;
  std::int32_t YPosition = 0;
  bool HoldPosition = false;
  std::array<bool, kPartCount> PartVisible{};
  double CorrectionAngle = 0;  // degrees
  std::wstring ReaderMode;
  std::wstring LengthRatio;  // "a,b"
  // The reader's port, "COM2" unless the store names another; written when the
  // user chooses one.
  std::wstring ReaderPort;
  // Added later than the rest, so they start at their defaults: a store
  // written before them reads as the defaults.
  int Opacity = 100;  // percent, 10 to 100: how opaque the cross is drawn
  // The global shortcuts by ShortcutAction; no key: switched off. The nudge's
  // chord is its modifiers alone (no modifiers: off); the arrows are its keys.
  std::array<Chord, kShortcutCount> Shortcuts{kDefaultShortcuts};
  // Left out of screen captures and shared screens (where the system can).
  bool ExcludeFromCapture = false;
};

// Where each value is kept: application, section, key.
struct SettingKey {
  std::wstring_view application;
  std::wstring_view section;
  std::wstring_view key;
};

}  // namespace rc::settings
