#pragma once
// The machine-wide registry (read only), processes, and the start at sign-in
// for the Win32 platform.

#include "platform/machine_registry.h"
#include "platform/process.h"
#include "platform/sign_in.h"

namespace rc::win32 {

class Win32MachineRegistry final : public platform::MachineRegistry {
 public:
  platform::Status ReadValue(platform::RegistryView view, std::wstring_view key, std::wstring_view name,
                             platform::RegistryValue& value) override;
};

class Win32Processes final : public platform::Processes {
 public:
  bool FileExists(std::wstring_view path) override;
  std::wstring ProgramPath() override;
  std::wstring SystemFolder() override;
  platform::Status Start(std::wstring_view path) override;
};

// The value "Reticor2" of HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run,
// and its switch beside it under ...\Explorer\StartupApproved\Run.
class Win32SignInStart final : public platform::SignInStart {
 public:
  std::optional<std::wstring> Command() override;
  bool SwitchedOff() override;
  platform::Status Set(std::wstring_view command) override;
  platform::Status Clear() override;
};

}  // namespace rc::win32
