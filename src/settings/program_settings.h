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
inline constexpr std::array<Chord, kShortcutCount> kDefaultShortcuts{{
    {kDefaultModifiers, 'H'},
    {kDefaultModifiers, 'C'},
    {kDefaultModifiers, 0},
    {kDefaultModifiers, 'L'},
}};

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
};

// Where each value is kept: application, section, key.
struct SettingKey {
  std::wstring_view application;
  std::wstring_view section;
  std::wstring_view key;
};

namespace keys {
inline constexpr std::wstring_view kDisplay = L"Dizodudoz";
inline constexpr std::wstring_view kCorrection = L"기계보정";
inline constexpr std::wstring_view kPartSection = L"폼";

inline constexpr SettingKey kCrossColor{kDisplay, L"선택사항", L"색상"};
inline constexpr SettingKey kOnTop{kDisplay, L"선택사항", L"항상위"};
inline constexpr SettingKey kLength{kDisplay, L"크기", L"Length"};
inline constexpr SettingKey kThickness{kDisplay, L"크기", L"Thickness"};
inline constexpr SettingKey kGap{kDisplay, L"크기", L"Gap"};
inline constexpr SettingKey kXPosition{kDisplay, L"위치", L"XPosition"};
inline constexpr SettingKey kYPosition{kDisplay, L"위치", L"YPosition"};
inline constexpr SettingKey kHoldPosition{kDisplay, L"위치", L"고정"};
inline constexpr SettingKey kCorrectionAngle{kCorrection, L"각도", L"각도"};
inline constexpr SettingKey kReaderMode{kCorrection, L"모드", L"모드"};
inline constexpr SettingKey kLengthRatio{kCorrection, L"길이비율", L"길이비율"};
inline constexpr SettingKey kReaderPort{kCorrection, L"포트", L"포트"};
inline constexpr SettingKey kOpacity{kDisplay, L"선택사항", L"불투명도"};
inline constexpr std::array<SettingKey, kShortcutCount> kShortcuts{{
    {kDisplay, L"단축키", L"숨기기"},
    {kDisplay, L"단축키", L"포인터로"},
    {kDisplay, L"단축키", L"이동"},
    {kDisplay, L"단축키", L"고정"},
}};
}  // namespace keys

}  // namespace rc::settings
