#pragma once
#include <cstdint>
#include <memory>

namespace rc::platform {

// What went wrong, as the program tells its cases apart.
enum class Error {
  None,
  PortMissing,  // no device of that name
  Busy,         // another program holds it (a port, a key chord), or it is already open here
  DeviceLost,   // the device went away while in use
  Unreachable,  // the device is there but does not answer now (a Bluetooth reader off or out of range)
  Pending,      // not a failure: the operation goes on, and its outcome comes as an event
  WriteFailed,  // not every byte left
  AccessDenied,
  Other,
};

// Outcome of a platform operation. A failure keeps the system's own error code,
// when there is one, so that the message shown to the user can name the
// system's reason.
struct Status {
  Error error = Error::None;
  std::uint32_t system_code = 0;  // 0: none, or not from the system
  const char* call = nullptr;     // the system call that failed, when one did: "SetCommState"

  static constexpr Status Ok() { return {}; }
  static constexpr Status Failed(Error error, std::uint32_t system_code = 0, const char* call = nullptr) {
    return {error == Error::None ? Error::Other : error, system_code, call};
  }
  constexpr bool ok() const { return error == Error::None; }
};

// What a maker gives: the object, or null with the system's reason.
template <typename T>
struct Made {
  std::unique_ptr<T> object;
  Status status;
};

}  // namespace rc::platform
