#pragma once
// Everything the program needs from the operating system, behind one object
// per service. The Win32 implementation lives in platform/win32, an in-memory
// one that records every call in platform/fake.

#include <memory>
#include <span>
#include <string_view>

#include "platform/clock.h"
#include "platform/dialog.h"
#include "platform/machine_registry.h"
#include "platform/message_box.h"
#include "platform/popup_menu.h"
#include "platform/process.h"
#include "platform/screen.h"
#include "platform/serial_port.h"
#include "platform/settings_backend.h"
#include "platform/shell_window.h"
#include "platform/sign_in.h"
#include "platform/window.h"

namespace rc::platform {

class Platform {
 public:
  virtual ~Platform() = default;

  // Creates a hidden window; `events` must outlive it.
  virtual Made<Window> MakeWindow(WindowClass window_class, std::wstring_view name, WindowEvents& events) = 0;
  // The hidden start-up window, of class kStartUpWindowName.
  virtual Made<ShellWindow> MakeShellWindow(ShellEvents& events) = 0;
  // Creates a hidden modeless dialog; `events` must outlive it. Null on failure.
  virtual Made<Dialog> MakeDialog(const DialogLayout& layout, DialogEvents& events) = 0;

  // Moves and sizes between Begin and End reach the screen together.
  virtual void BeginWindowBatch() = 0;
  virtual void EndWindowBatch() = 0;

  virtual Screen& screen() = 0;
  virtual SettingsBackend& settings() = 0;
  virtual MessageBoxes& messages() = 0;
  virtual SerialPort& serial_port() = 0;
  virtual SerialPortList& serial_ports() = 0;
  virtual Clock& clock() = 0;
  virtual MachineRegistry& machine_registry() = 0;
  virtual Processes& processes() = 0;
  virtual SignInStart& sign_in() = 0;

  // Ends the process at once: no window's unload handling runs.
  [[noreturn]] virtual void EndProcess(int exit_code) = 0;
};

// Groups the window changes of its scope into one batch.
class WindowBatch {
 public:
  explicit WindowBatch(Platform& platform) : platform_(platform) { platform_.BeginWindowBatch(); }
  ~WindowBatch() { platform_.EndWindowBatch(); }
  WindowBatch(const WindowBatch&) = delete;
  WindowBatch& operator=(const WindowBatch&) = delete;

 private:
  Platform& platform_;
};

}  // namespace rc::platform
