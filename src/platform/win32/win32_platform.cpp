#include "platform/win32/win32_platform.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <new>
#include <string>

#include "platform/win32/dpi.h"
#include "platform/win32/registry_text.h"
#include "platform/win32/system_error.h"
#include "platform/win32/win32_cross_window.h"
#include "platform/win32/win32_dialog.h"
#include "platform/win32/win32_shell_window.h"

namespace rc::win32 {

namespace {

constexpr wchar_t kCentreHandleClass[] = L"frm_Center";
constexpr wchar_t kBarClass[] = L"BarWindow";
constexpr WORD kMoveCursor = 1;
constexpr std::wstring_view kSettingsRoot = L"Software\\VB and VBA Program Settings\\";

struct ClassStyle {
  const wchar_t* name;
  DWORD style;
  DWORD ex_style;
  bool move_cursor;
};

// None has a taskbar button. Bars never take the focus and let the mouse
// through to the window below; the handle only keeps the mouse.
constexpr ClassStyle kStartUpClassStyle{platform::kStartUpWindowName, WS_POPUP, WS_EX_TOOLWINDOW, false};
// Every cross window is layered, so that the cross can be drawn translucent.
constexpr ClassStyle kCentreHandleClassStyle{kCentreHandleClass, WS_POPUP,
                                             WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_LAYERED, true};
constexpr ClassStyle kBarClassStyle{kBarClass, WS_POPUP,
                                    WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TRANSPARENT, false};
constexpr const ClassStyle* kClasses[] = {&kStartUpClassStyle, &kCentreHandleClassStyle, &kBarClassStyle};

const ClassStyle& StyleOf(platform::WindowClass window_class) {
  return window_class == platform::WindowClass::CentreHandle ? kCentreHandleClassStyle : kBarClassStyle;
}

std::wstring SectionPath(std::wstring_view application, std::wstring_view section) {
  std::wstring path(kSettingsRoot);
  path += application;
  path += L'\\';
  path += section;
  return path;
}

}  // namespace

// --- Screen ------------------------------------------------------------------

Win32Screen::Win32Screen() : scale_(dpi::OfPrimary()) {}

float Win32Screen::WidthTwips() const { return scale_.Twips(::GetSystemMetrics(SM_CXSCREEN)); }
float Win32Screen::HeightTwips() const { return scale_.Twips(::GetSystemMetrics(SM_CYSCREEN)); }

namespace {
struct MonitorCollect {
  PixelScale scale;
  std::vector<platform::Monitor> monitors;
  bool failed = false;
};
// A named CALLBACK function: a lambda has the wrong calling convention on i686.
BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT rect, LPARAM data) {
  auto* c = reinterpret_cast<MonitorCollect*>(data);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  const bool primary = ::GetMonitorInfoW(monitor, &info) && (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
  const PixelScale& s = c->scale;
  const platform::Monitor found{
      {s.Twips(rect->left), s.Twips(rect->top), s.Twips(rect->right - rect->left), s.Twips(rect->bottom - rect->top)},
      dpi::OfMonitor(monitor)};
  try {
    c->monitors.insert(primary ? c->monitors.begin() : c->monitors.end(), found);
  } catch (...) {
    c->failed = true;  // never unwinds through the system's enumeration
    return FALSE;
  }
  return TRUE;
}
}  // namespace

std::vector<platform::Monitor> Win32Screen::Monitors() const {
  MonitorCollect collect{scale_, {}};
  ::EnumDisplayMonitors(nullptr, nullptr, &CollectMonitor, reinterpret_cast<LPARAM>(&collect));
  if (collect.failed) throw std::bad_alloc();
  return std::move(collect.monitors);
}

// WDA_EXCLUDEFROMCAPTURE came with Windows 10 2004 (build 19041); before it
// the value is refused, and the older WDA_MONITOR would show black boxes.
// The version as the system itself says it, without the compatibility shims
// that GetVersionEx goes through.
bool Win32Screen::CanExcludeFromCapture() const {
  using RtlGetVersionCall = LONG(WINAPI*)(OSVERSIONINFOW*);
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  // FARPROC to the function's own type: GetProcAddress knows no other.
  const auto get_version =
      ntdll != nullptr
          ? reinterpret_cast<RtlGetVersionCall>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")))
          : nullptr;
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (get_version == nullptr || get_version(&version) != 0) return false;
  return version.dwMajorVersion > 10 || (version.dwMajorVersion == 10 && version.dwBuildNumber >= 19041);
}

platform::PixelPoint Win32Screen::Pointer() const {
  POINT pointer{};
  if (!::GetCursorPos(&pointer)) {
    // Refused (another desktop has the input): where it was at the last message.
    const DWORD last = ::GetMessagePos();
    pointer = {GET_X_LPARAM(last), GET_Y_LPARAM(last)};
  }
  return {pointer.x, pointer.y};
}

// --- Settings ----------------------------------------------------------------

std::wstring RegistrySettings::Get(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                                   std::wstring_view fallback) {
  const OwnedKey section_key = OpenKey(HKEY_CURRENT_USER, SectionPath(application, section).c_str(), KEY_QUERY_VALUE);
  if (!section_key) return std::wstring(fallback);
  return ReadRegistryText(section_key.get(), std::wstring(key).c_str()).value_or(std::wstring(fallback));
}

bool RegistrySettings::Contains(std::wstring_view application, std::wstring_view section, std::wstring_view key) {
  const OwnedKey section_key = OpenKey(HKEY_CURRENT_USER, SectionPath(application, section).c_str(), KEY_QUERY_VALUE);
  return section_key && ReadRegistryText(section_key.get(), std::wstring(key).c_str()).has_value();
}

platform::Status RegistrySettings::Save(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                                        std::wstring_view value) {
  LSTATUS status = ERROR_SUCCESS;
  const OwnedKey section_key =
      OpenKey(HKEY_CURRENT_USER, SectionPath(application, section).c_str(), KEY_SET_VALUE, &status, true);
  if (!section_key) return SystemFailure(static_cast<DWORD>(status), "RegCreateKeyExW");
  std::wstring name(key), text(value);
  status = ::RegSetValueExW(section_key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  if (status != ERROR_SUCCESS) return SystemFailure(static_cast<DWORD>(status), "RegSetValueExW");
  return platform::Status::Ok();
}

// --- Messages ----------------------------------------------------------------

void ShowMessageBox(HWND owner, std::wstring_view text) {
  std::wstring body(text), caption(platform::kApplicationTitle);
  // With its dialog as owner the box disables that dialog, so the button that
  // raised it cannot raise a second one; without one it disables every window
  // of the program's thread (the cross too, so no drag starts behind it).
  ::MessageBoxW(owner, body.c_str(), caption.c_str(),
                MB_OK | MB_SETFOREGROUND | (owner != nullptr ? MB_APPLMODAL : MB_TASKMODAL));
}

void Win32Messages::ShowMessage(std::wstring_view text) { ShowMessageBox(nullptr, text); }

std::wstring Win32Messages::ErrorText(std::uint32_t code) {
  wchar_t* buffer = nullptr;
  DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length > 0 ? std::wstring(buffer, length) : L"";
  if (buffer != nullptr) ::LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  // A call that failed without saying why has code 0, whose text would read
  // "completed successfully"; a code the system has no words for still shows.
  if (code == 0) return L"(원인 알 수 없음)";
  if (text.empty()) return L"(오류 " + std::to_wstring(code) + L")";
  return text + L" (" + std::to_wstring(code) + L")";
}

// --- Platform ----------------------------------------------------------------

Win32Platform::Win32Platform(HINSTANCE instance) : instance_(instance) {}

Win32Platform::~Win32Platform() = default;

platform::Status Win32Platform::Initialise() {
  // The dialogs' tooltips, scroll bars, buttons, lists and hotkey boxes, from
  // common controls 6 (the manifest names it; this loads it).
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_HOTKEY_CLASS};
  ::InitCommonControlsEx(&controls);
  taskbar_created_ = ::RegisterWindowMessageW(L"TaskbarCreated");
  HICON icon = ::LoadIconW(instance_, MAKEINTRESOURCEW(kProgramIcon));
  if (icon == nullptr) icon = ::LoadIconW(nullptr, IDI_APPLICATION);
  HCURSOR move = ::LoadCursorW(instance_, MAKEINTRESOURCEW(kMoveCursor));
  if (move == nullptr) move = ::LoadCursorW(nullptr, IDC_SIZEALL);
  for (const ClassStyle* class_style : kClasses) {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &Win32WindowBase::Procedure;
    window_class.hInstance = instance_;
    window_class.lpszClassName = class_style->name;
    window_class.hIcon = icon;
    window_class.hCursor = class_style->move_cursor ? move : ::LoadCursorW(nullptr, IDC_ARROW);
    if (::RegisterClassExW(&window_class) == 0) return LastSystemFailure("RegisterClassExW");
  }
  return platform::Status::Ok();
}

int Win32Platform::Run() {
  MSG message{};
  BOOL got = 0;
  while ((got = ::GetMessageW(&message, nullptr, 0, 0)) > 0) {
    // Tab, Enter and Escape of an open dialog go to its controls.
    // A copy: the message may close a dialog, which leaves the list.
    const std::vector<HWND> dialogs = dialogs_;
    bool dialog_message = false;
    for (HWND dialog : dialogs) {
      if (::IsDialogMessageW(dialog, &message)) {
        dialog_message = true;
        break;
      }
    }
    if (dialog_message) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  // WM_QUIT carries the exit code; a failed GetMessage is a failure.
  return got == 0 ? static_cast<int>(message.wParam) : 1;
}

platform::Made<platform::Window> Win32Platform::MakeWindow(platform::WindowClass window_class, std::wstring_view,
                                                           platform::WindowEvents& events) {
  const ClassStyle& class_style = StyleOf(window_class);
  auto window = std::make_unique<Win32CrossWindow>(*this, window_class, events);
  if (platform::Status made = window->Create(class_style.name, class_style.style, class_style.ex_style); !made.ok()) {
    return {nullptr, made};
  }
  return {std::move(window), platform::Status::Ok()};
}

platform::Made<platform::ShellWindow> Win32Platform::MakeShellWindow(platform::ShellEvents& events) {
  auto window = std::make_unique<Win32ShellWindow>(*this, events);
  if (platform::Status made =
          window->Create(kStartUpClassStyle.name, kStartUpClassStyle.style, kStartUpClassStyle.ex_style);
      !made.ok()) {
    return {nullptr, made};
  }
  shell_window_ = window.get();
  return {std::move(window), platform::Status::Ok()};
}

void Win32Platform::PauseHotkeys(bool paused) {
  if (shell_window_ != nullptr) shell_window_->PauseHotkeys(paused);
}

platform::Made<platform::Dialog> Win32Platform::MakeDialog(const platform::DialogLayout& layout,
                                                           platform::DialogEvents& events) {
  auto dialog = std::make_unique<Win32Dialog>(*this, events);
  if (platform::Status made = dialog->Create(layout); !made.ok()) return {nullptr, made};
  return {std::move(dialog), platform::Status::Ok()};
}

void Win32Platform::ForgetDialog(HWND dialog) { std::erase(dialogs_, dialog); }

void Win32Platform::BeginWindowBatch() { ++batch_depth_; }

void Win32Platform::EndWindowBatch() {
  if (--batch_depth_ > 0) return;
  std::vector<Win32CrossWindow*> windows;
  windows.swap(queued_);
  if (windows.empty()) return;
  const Placing placing(*this);
  HDWP batch = ::BeginDeferWindowPos(static_cast<int>(windows.size()));
  for (Win32CrossWindow* window : windows) batch = window->Defer(batch);
  if (batch != nullptr) ::EndDeferWindowPos(batch);
}

void Win32Platform::Forget(Win32CrossWindow& window) {
  queued_.erase(std::remove(queued_.begin(), queued_.end(), &window), queued_.end());
}

void Win32Platform::EndProcess(int exit_code) { ::ExitProcess(static_cast<UINT>(exit_code)); }

}  // namespace rc::win32
