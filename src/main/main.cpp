// The program's entry: the start-up window's load is the whole start-up.

#include <windows.h>

#include "app/startup_window.h"
#include "platform/win32/single_instance.h"
#include "platform/win32/win32_platform.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Before anything else: a second start only shows the running copy's handle.
  rc::win32::SessionInstance session_instance;
  if (session_instance.another_runs()) {
    (void)rc::win32::ShowRunningCopy();
    return 0;
  }
  rc::win32::Win32Platform platform(instance);
  if (rc::platform::Status status = platform.Initialise(); !status.ok()) {
    platform.messages().ShowMessage(rc::platform::StartFailedText(platform.messages().ReasonText(status)));
    return 1;
  }
  rc::app::StartUpWindow startup(platform);
  // The window and dialog procedures keep exceptions to themselves; the load
  // runs before any of them, so it has its guard here.
  bool loaded = false;
  try {
    loaded = startup.Load();
  } catch (...) {
  }
  int exit_code = loaded ? platform.Run() : 1;
  // The windows and the port go with the process; once the start-up window has
  // unloaded (or start-up failed) nothing is torn down piece by piece.
  platform.EndProcess(exit_code);
  return exit_code;
}
