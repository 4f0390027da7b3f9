#pragma once
// The machine-wide registry (read only) and process start for the Win32 platform.

#include "platform/machine_registry.h"
#include "platform/process.h"

namespace rc::win32 {

class Win32MachineRegistry final : public platform::MachineRegistry {
 public:
  platform::Status ReadValue(platform::RegistryView view, std::wstring_view key, std::wstring_view name,
                             platform::RegistryValue& value) override;
};

class Win32Processes final : public platform::Processes {
 public:
  bool FileExists(std::wstring_view path) override;
  std::wstring SystemFolder() override;
  platform::Status Start(std::wstring_view path) override;
};

}  // namespace rc::win32
