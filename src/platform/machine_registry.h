#pragma once
// Machine-wide registry values (HKEY_LOCAL_MACHINE), read only: the program
// never asks for more than read access there, which every user has.

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace rc::platform {

// On 64-bit Windows the machine-wide registry has two views, and a 32-bit
// program is shown the 32-bit one unless it asks for the other; the system's
// own tools register in the 64-bit one. On 32-bit Windows both are the one
// registry.
enum class RegistryView { Bits64, Bits32 };

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
  // Reads value `name` of key `key` below HKEY_LOCAL_MACHINE, in that view,
  // into `value`. The key is opened for reading only and closed again before
  // returning, on every path. Values larger than 1024 bytes are not read. Fails
  // with the system's code when the key or the value cannot be read.
  virtual Status ReadValue(RegistryView view, std::wstring_view key, std::wstring_view name, RegistryValue& value) = 0;
};

}  // namespace rc::platform
