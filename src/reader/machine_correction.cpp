#include "reader/machine_correction.h"

#include <cmath>

namespace rc::reader {

double MachineCorrection(double& x, double& y, double correction_angle) noexcept {
  if (correction_angle == 0) return x;

  if (x == 0) x = kCorrectionZero;
  if (y == 0) y = kCorrectionZero;

  // The order of the operations is part of the result: multiply by 180 before
  // dividing by P, divide by 180 before multiplying by P.
  double d = std::atan(x / y) * 180 / kCorrectionPi;
  d = correction_angle + d;
  double e = d / 180 * kCorrectionPi;
  double r = std::sqrt(x * x + y * y);
  return r * std::sin(e);
}

}  // namespace rc::reader
