#pragma once
// Rounding used wherever a floating-point value becomes an integer: the nearest
// value, with exact halves going to the even neighbour (0.5 -> 0, 1.5 -> 2, 2.5 -> 2).

#include <cmath>
#include <cstdint>
#include <optional>

namespace rc {

// Nearest integer as a double, halves to even. Infinity and NaN pass through.
inline double RoundHalfEven(double v) {
  if (!std::isfinite(v)) return v;
  double floor_v = std::floor(v);
  double diff = v - floor_v;
  if (diff > 0.5) return floor_v + 1.0;
  if (diff < 0.5) return floor_v;
  return std::fmod(floor_v, 2.0) == 0.0 ? floor_v : floor_v + 1.0;
}

// Rounds to `decimals` places, halves to even on the scaled value:
// multiply by 10^decimals, round, divide.
inline double RoundHalfEvenTo(double v, int decimals) {
  double scale = std::pow(10.0, decimals);
  return RoundHalfEven(v * scale) / scale;
}

// Nearest integer in [lo, hi], or nothing when the rounded value lies outside
// (or v is not finite).
inline std::optional<std::int64_t> RoundToRange(double v, std::int64_t lo, std::int64_t hi) {
  double r = RoundHalfEven(v);
  if (!std::isfinite(r) || r < static_cast<double>(lo) || r > static_cast<double>(hi)) return std::nullopt;
  return static_cast<std::int64_t>(r);
}

}  // namespace rc
