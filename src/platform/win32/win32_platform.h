#pragma once
// The Win32 implementation of the platform: the only place that sees <windows.h>.

#include <windows.h>

#include <memory>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/handles.h"
#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_machine.h"
#include "platform/win32/win32_serial_port.h"
#include "platform/win32/win32_serial_ports.h"

namespace rc::win32 {

class Win32CrossWindow;
class Win32ShellWindow;

// The program icon's resource: every size Windows asks for, 16 to 256 pixels.
inline constexpr WORD kProgramIcon = 1;

// Positions convert at the primary monitor's DPI, read once at start: every
// position held in twips keeps its pixel for the whole run. Monitors and their
// own DPIs are read afresh on each call.
class Win32Screen final : public platform::Screen {
 public:
  Win32Screen();
  float WidthTwips() const override;
  float HeightTwips() const override;
  PixelScale ScaleX() const override { return scale_; }
  PixelScale ScaleY() const override { return scale_; }
  std::vector<platform::Monitor> Monitors() const override;
  platform::PixelPoint Pointer() const override;
  bool CanExcludeFromCapture() const override;

 private:
  PixelScale scale_;
};

// Per-user settings under HKEY_CURRENT_USER\Software\VB and VBA Program Settings.
class RegistrySettings final : public platform::SettingsBackend {
 public:
  std::wstring Get(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                   std::wstring_view fallback) override;
  bool Contains(std::wstring_view application, std::wstring_view section, std::wstring_view key) override;
  platform::Status Save(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                        std::wstring_view value) override;
};

// A message box with one OK button, captioned with the program's title: modal
// to `owner`, or without one to every window of the program.
void ShowMessageBox(HWND owner, std::wstring_view text);

class Win32Messages final : public platform::MessageBoxes {
 public:
  void ShowMessage(std::wstring_view text) override;
  std::wstring ErrorText(std::uint32_t code) override;
};

class Win32Platform final : public platform::Platform {
 public:
  explicit Win32Platform(HINSTANCE instance);
  ~Win32Platform() override;
  // Registers the window classes. False (with the system error) on failure.
  platform::Status Initialise();
  // Runs the message loop until the program quits; returns the exit code.
  int Run();

  platform::Made<platform::Window> MakeWindow(platform::WindowClass window_class, std::wstring_view name,
                                              platform::WindowEvents& events) override;
  platform::Made<platform::ShellWindow> MakeShellWindow(platform::ShellEvents& events) override;
  platform::Made<platform::Dialog> MakeDialog(const platform::DialogLayout& layout,
                                              platform::DialogEvents& events) override;
  void BeginWindowBatch() override;
  void EndWindowBatch() override;
  platform::Screen& screen() override { return screen_; }
  platform::SettingsBackend& settings() override { return settings_; }
  platform::MessageBoxes& messages() override { return messages_; }
  platform::SerialPort& serial_port() override { return serial_port_; }
  platform::SerialPortList& serial_ports() override { return serial_ports_; }
  platform::Clock& clock() override { return clock_; }
  platform::MachineRegistry& machine_registry() override { return registry_; }
  platform::Processes& processes() override { return processes_; }
  platform::SignInStart& sign_in() override { return sign_in_; }
  [[noreturn]] void EndProcess(int exit_code) override;

  // For the windows.
  HINSTANCE instance() const { return instance_; }
  bool batching() const { return batch_depth_ > 0; }
  void Queue(Win32CrossWindow& window) { queued_.push_back(&window); }
  // The program is placing its own windows: the moves the system reports
  // meanwhile are its own, not a move from outside.
  bool placing() const { return placing_ > 0; }
  class Placing {
   public:
    explicit Placing(Win32Platform& platform) : platform_(platform) { ++platform_.placing_; }
    ~Placing() { --platform_.placing_; }
    Placing(const Placing&) = delete;
    Placing& operator=(const Placing&) = delete;

   private:
    Win32Platform& platform_;
  };
  void Forget(Win32CrossWindow& window);
  UINT taskbar_created_message() const { return taskbar_created_; }
  // The start-up window's shortcuts give way while a hotkey box has the keyboard.
  void PauseHotkeys(bool paused);
  void ForgetShellWindow(const Win32ShellWindow& window) {
    if (shell_window_ == &window) shell_window_ = nullptr;
  }
  // Open modeless dialogs, which take their keyboard input through the message loop.
  void RememberDialog(HWND dialog) { dialogs_.push_back(dialog); }
  void ForgetDialog(HWND dialog);

 private:
  HINSTANCE instance_;
  Win32Screen screen_;
  RegistrySettings settings_;
  Win32Messages messages_;
  Win32MachineRegistry registry_;
  Win32Processes processes_;
  Win32SignInStart sign_in_;
  Win32Clock clock_;
  Win32SerialPort serial_port_;
  Win32SerialPortList serial_ports_;
  UINT taskbar_created_ = 0;
  int batch_depth_ = 0;
  int placing_ = 0;
  std::vector<Win32CrossWindow*> queued_;
  std::vector<HWND> dialogs_;
  Win32ShellWindow* shell_window_ = nullptr;
};

}  // namespace rc::win32
