#include "platform/win32/dpi.h"

#include "platform/win32/handles.h"

namespace rc::win32::dpi {

namespace {

// The calls that newer systems have, found once; null where missing.
struct Calls {
  // shcore.dll, Windows 8.1 and later. The type is MONITOR_DPI_TYPE (0: effective).
  HRESULT(WINAPI* dpi_for_monitor)(HMONITOR, int, UINT*, UINT*) = nullptr;
  // user32.dll, Windows 10 1607 and later.
  UINT(WINAPI* dpi_for_window)(HWND) = nullptr;
  BOOL(WINAPI* adjust_for_dpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
  // user32.dll, Windows 10 1703 and later. The behaviours are DIALOG_DPI_CHANGE_BEHAVIORS.
  BOOL(WINAPI* set_dialog_behaviour)(HWND, int, int) = nullptr;
};

// A function of a system library, as the type of the pointer it goes into.
template <typename Function>
void Find(HMODULE library, const char* name, Function& function) {
  if (library == nullptr) return;
  // FARPROC to the function's own type: GetProcAddress knows no other.
  function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

const Calls& Available() {
  static const Calls calls = [] {
    Calls found;
    // From the system folder only: never a file of that name beside the program.
    HMODULE shcore = ::LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    Find(shcore, "GetDpiForMonitor", found.dpi_for_monitor);
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    Find(user32, "GetDpiForWindow", found.dpi_for_window);
    Find(user32, "AdjustWindowRectExForDpi", found.adjust_for_dpi);
    Find(user32, "SetDialogDpiChangeBehavior", found.set_dialog_behaviour);
    return found;  // shcore stays loaded for the program's life
  }();
  return calls;
}

constexpr int kMonitorEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
constexpr int kDialogDisableAll = 1;     // DDC_DISABLE_ALL

}  // namespace

int OfSystem() {
  const WindowDc screen(nullptr);
  const int dpi = screen.get() != nullptr ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int OfMonitor(HMONITOR monitor) {
  UINT x = 0, y = 0;
  if (const auto call = Available().dpi_for_monitor;
      call != nullptr && monitor != nullptr && SUCCEEDED(call(monitor, kMonitorEffectiveDpi, &x, &y)) && y > 0) {
    return static_cast<int>(y);
  }
  return OfSystem();
}

int OfWindow(HWND window) {
  if (const auto call = Available().dpi_for_window; call != nullptr && window != nullptr) {
    if (const UINT dpi = call(window); dpi > 0) return static_cast<int>(dpi);
  }
  return OfMonitor(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY));
}

int OfPrimary() { return OfMonitor(::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY)); }

void AdjustWindowRect(RECT& rect, DWORD style, DWORD ex_style, int dpi) {
  if (const auto call = Available().adjust_for_dpi;
      call != nullptr && call(&rect, style, FALSE, ex_style, static_cast<UINT>(dpi))) {
    return;
  }
  ::AdjustWindowRectEx(&rect, style, FALSE, ex_style);
}

void KeepDialogLayout(HWND dialog) {
  if (const auto call = Available().set_dialog_behaviour; call != nullptr) {
    (void)call(dialog, kDialogDisableAll, kDialogDisableAll);
  }
}

}  // namespace rc::win32::dpi
