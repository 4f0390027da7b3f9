#pragma once
// Where the eighteen bars of the cross go, as pure geometry: a placement table
// (per bar its arm and the multiples of L, G and T that separate its moving edge
// from the centre handle's edge) and the functions that evaluate it.
//
// The integer terms are computed in 32 bits. Every input is a 16-bit value, so
// no term can overflow there (the largest is 5 * (32767 + 32767)), and for terms
// inside the 16-bit range the results are exactly those of 16-bit arithmetic.
// The sum with the handle's edge is done in double and handed on as float: all
// values are whole numbers, so in-range results are exact.

#include <array>
#include <cstdint>
#include <string_view>

#include "base/pixel_scale.h"

namespace rc::cross {

inline constexpr int kBarCount = 18;

enum class Arm { Up, Down, Left, Right };

// Vertical arms (up, down) share the handle's left edge and move the top edge;
// horizontal arms share its top edge and move the left edge.
struct BarPlacement {
  Arm arm;
  int t;  // multiple of Thickness in the moving edge's offset
  int g;  // multiple of Gap
  int l;  // multiple of Length
};

// Bar n is kBarPlacements[n - 1]. Up and left arms count from the outer end
// inwards, down and right arms from the centre outwards.
inline constexpr std::array<BarPlacement, kBarCount> kBarPlacements{{
    {Arm::Up, 0, -4, -4},    // Form1:  cT - 4G - 4L
    {Arm::Up, 0, -3, -3},    // Form2:  cT - 3G - 3L
    {Arm::Up, 0, -2, -2},    // Form3:  cT - 2G - 2L
    {Arm::Up, 0, -1, -1},    // Form4:  cT - G - L
    {Arm::Down, 1, 1, 0},    // Form5:  cT + T + G
    {Arm::Down, 1, 2, 1},    // Form6:  cT + T + 2G + L
    {Arm::Down, 1, 3, 2},    // Form7:  cT + T + 3G + 2L
    {Arm::Down, 1, 4, 3},    // Form8:  cT + T + 4G + 3L
    {Arm::Left, 0, -5, -5},  // Form9:  cL - 5(L + G)
    {Arm::Left, 0, -4, -4},  // Form10: cL - 4(L + G)
    {Arm::Left, 0, -3, -3},  // Form11: cL - 3(L + G)
    {Arm::Left, 0, -2, -2},  // Form12: cL - 2(L + G)
    {Arm::Left, 0, -1, -1},  // Form13: cL - L - G
    {Arm::Right, 1, 1, 0},   // Form14: cL + T + G
    {Arm::Right, 1, 2, 1},   // Form15: cL + T + L + 2G
    {Arm::Right, 1, 3, 2},   // Form16: cL + T + 2L + 3G
    {Arm::Right, 1, 4, 3},   // Form17: cL + T + 3L + 4G
    {Arm::Right, 1, 5, 4},   // Form18: cL + T + 4L + 5G
}};

// Parts of the cross: 0 is the centre handle, 1..18 the bar of that number.
// The windows are created, stacked (StackedWindows), recoloured and laid out in
// this order: the handle after Form8.
inline constexpr std::array<int, kBarCount + 1> kWindowOrder{1,  2,  3,  4,  5,  6,  7,  8,  0, 9,
                                                             10, 11, 12, 13, 14, 15, 16, 17, 18};

struct CrossSize {
  std::int16_t length = 0;     // L
  std::int16_t thickness = 0;  // T
  std::int16_t gap = 0;        // G
};

struct BarRect {
  float left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const BarRect&, const BarRect&) = default;
};

constexpr bool IsVertical(Arm arm) { return arm == Arm::Up || arm == Arm::Down; }

// Offset of the bar's moving edge from the handle's edge, in twips.
constexpr std::int32_t ArmOffset(const BarPlacement& p, const CrossSize& s) {
  return p.t * std::int32_t{s.thickness} + p.g * std::int32_t{s.gap} + p.l * std::int32_t{s.length};
}

// `ratio` scales the sizes: the DPI of the monitor that holds the handle over
// the primary monitor's, at which positions convert (1 on a single monitor,
// where every result is exact).
constexpr float BarTop(const BarPlacement& p, const CrossSize& s, float handle_top, double ratio) {
  if (!IsVertical(p.arm)) return handle_top;
  return static_cast<float>(static_cast<double>(handle_top) + ArmOffset(p, s) * ratio);
}
constexpr float BarLeft(const BarPlacement& p, const CrossSize& s, float handle_left, double ratio) {
  if (IsVertical(p.arm)) return handle_left;
  return static_cast<float>(static_cast<double>(handle_left) + ArmOffset(p, s) * ratio);
}
constexpr float BarWidth(const BarPlacement& p, const CrossSize& s, double ratio) {
  return static_cast<float>((IsVertical(p.arm) ? s.thickness : s.length) * ratio);
}
constexpr float BarHeight(const BarPlacement& p, const CrossSize& s, double ratio) {
  return static_cast<float>((IsVertical(p.arm) ? s.length : s.thickness) * ratio);
}

// Bar `number` (1..18) around a handle whose top-left corner is (left, top).
constexpr BarRect PlaceBar(int number, const CrossSize& s, float handle_left, float handle_top, double ratio = 1) {
  const BarPlacement& p = kBarPlacements[static_cast<std::size_t>(number - 1)];
  return {BarLeft(p, s, handle_left, ratio), BarTop(p, s, handle_top, ratio), BarWidth(p, s, ratio),
          BarHeight(p, s, ratio)};
}

// On the screen: the handle and bar `number` (0: the handle itself) placed on
// whole pixels relative to the pixel the handle's corner is on. Each edge's
// offset from that corner (in twips, sizes at `ratio`) goes to its nearest
// pixel on its own, halves to even, so the cross's shape in pixels depends on
// the sizes and the scale alone: a handle moved by whole pixels moves every
// edge by exactly as many, and edges that touch in twips touch on screen.
// The rectangle is in twips that land on those pixels; the handle keeps its
// own left and top edge.
BarRect PlaceOnPixels(int number, const CrossSize& s, float handle_left, float handle_top, double ratio, PixelScale x,
                      PixelScale y);

// The windows' alpha for an opacity in percent: 255 x percent / 100, to the
// nearest whole value, halves to even (50 % is 128).
std::uint8_t OpacityAlpha(int percent);

// The colour a CrossColor text stands for, 0x00BBGGRR. The program only ever
// stores decimal numbers there; a text that is not a whole number from 0 to
// 0xFFFFFF (edited by hand, damaged) gives 255, the first-run red, so that the
// cross stays visible instead of the program stopping.
inline constexpr std::uint32_t kFallbackColour = 255;
std::uint32_t CrossColourValue(std::wstring_view text);
// Whether the text names a colour at all (else the fallback stands in).
bool IsColourText(std::wstring_view text);

}  // namespace rc::cross
