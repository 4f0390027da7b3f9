#pragma once
// Machine correction (the program's 기계보정): turns the direction of a reading
// (x, y) by the correction angle and gives the X coordinate of the turned point.

namespace rc::reader {

// The constant used for both conversions between degrees and radians. It is
// deliberately this 15-digit value, not the full-precision pi, so that corrected
// readings keep the values this program has always given.
inline constexpr double kCorrectionPi = 3.14159265358979;

// Put in place of a zero coordinate so that x / y is always defined.
inline constexpr double kCorrectionZero = 1E-14;

// Returns the corrected X. `correction_angle` is in degrees, positive turning from
// the Y axis towards the X axis.
// - An angle of exactly 0 returns x unchanged and leaves x and y alone.
// - Otherwise a zero x or y is replaced by 1E-14 in the caller's variable; then
//   d = atan(x / y) * 180 / P, d = angle + d, e = d / 180 * P,
//   r = sqrt(x^2 + y^2), and the result is r * sin(e).
// y is never rotated. For y < 0 the principal arctangent gives the direction of
// (-x, -y), so the result is the negated X of the turned point.
// Non-finite input propagates as NaN or infinity; nothing throws.
double MachineCorrection(double& x, double& y, double correction_angle) noexcept;

}  // namespace rc::reader
