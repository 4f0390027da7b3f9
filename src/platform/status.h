#pragma once
#include <cstdint>

namespace rc::platform {

// Outcome of a platform operation. A failure keeps the system's error code so
// that the message shown to the user can name the system's own reason.
struct Status {
  std::uint32_t error = 0;  // 0: success

  static constexpr Status Ok() { return {}; }
  static constexpr Status Failed(std::uint32_t code) { return {code == 0 ? 1u : code}; }
  constexpr bool ok() const { return error == 0; }
};

}  // namespace rc::platform
