#pragma once
// Machine-wide registry values (HKEY_LOCAL_MACHINE), read only: the program
// never asks for more than read access there, which every user has.

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace rc::platform {

// The value types the program reads; every other type is Other.
enum class RegistryType { String, Dword, Other };

struct RegistryValue {
  RegistryType type = RegistryType::Other;
  // The value's bytes as stored; text values are UTF-16LE, with or without a
  // terminating zero.
  std::vector<std::uint8_t> bytes;
};

class MachineRegistry {
 public:
  virtual ~MachineRegistry() = default;
  // Reads value `name` of key `key` below HKEY_LOCAL_MACHINE into `value`. The
  // key is opened for reading only and closed again before returning, on every
  // path. Values larger than 1024 bytes are not read. Fails with the system's
  // code when the key or the value cannot be read.
  virtual Status ReadValue(std::wstring_view key, std::wstring_view name, RegistryValue& value) = 0;
};

}  // namespace rc::platform
