#include "e2e_support.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

namespace e2e {
namespace {

std::string ErrorText(DWORD error) {
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = n ? std::wstring(buffer, n) : std::wstring();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  return "error " + std::to_string(error) + (text.empty() ? "" : " (" + Utf8(text) + ")");
}

std::wstring Environment(const wchar_t* name) {
  DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
  if (n == 0) return {};
  std::wstring value(n, L'\0');
  n = GetEnvironmentVariableW(name, value.data(), n);
  value.resize(n);
  return value;
}

std::wstring ValueText(DWORD type, const std::vector<BYTE>& data) {
  if (type != REG_SZ) return L"<REG type " + std::to_wstring(type) + L">";
  std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return text;
}

// Reads one value of an open key; false when it does not exist.
bool QueryValue(HKEY key, const wchar_t* name, DWORD* type, std::vector<BYTE>* data) {
  DWORD size = 0;
  LONG r = RegQueryValueExW(key, name, nullptr, type, nullptr, &size);
  if (r != ERROR_SUCCESS) return false;
  data->assign(size + sizeof(wchar_t), 0);
  r = RegQueryValueExW(key, name, nullptr, type, data->data(), &size);
  if (r != ERROR_SUCCESS) return false;
  data->resize(size);
  return true;
}

Section ReadSection(HKEY key) {
  Section section;
  DWORD valueCount = 0, maxName = 0, maxData = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount, &maxName,
                       &maxData, nullptr, nullptr) != ERROR_SUCCESS)
    return section;
  for (DWORD i = 0; i < valueCount; ++i) {
    std::wstring name(maxName + 1, L'\0');
    DWORD nameLength = maxName + 1;
    std::vector<BYTE> data(maxData + sizeof(wchar_t));
    DWORD dataSize = maxData;
    DWORD type = 0;
    if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &dataSize) != ERROR_SUCCESS)
      continue;
    name.resize(nameLength);
    data.resize(dataSize);
    section[name] = ValueText(type, data);
  }
  return section;
}

// ---- requests to the harness: one file per request in the channel directory.
// <id>.req holds the request, one argument per line (UTF-8); the harness answers
// with <id>.done: the exit status on the first line, then the command's output.

std::wstring ChannelDir() {
  std::wstring unix = Environment(L"RETICOR_E2E_CHANNEL");
  if (unix.empty()) return {};
  std::replace(unix.begin(), unix.end(), L'/', L'\\');
  return L"Z:" + unix;
}

bool WriteWholeFile(const std::wstring& path, const std::string& content) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(f, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(f);
  return ok && written == content.size();
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string content;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
  CloseHandle(f);
  return content;
}

constexpr DWORD kRequestTimeoutMs = 30000;

testing::AssertionResult Request(const std::vector<std::string>& args, std::string* output) {
  const std::wstring dir = ChannelDir();
  if (dir.empty())
    return testing::AssertionFailure() << "no harness: RETICOR_E2E_CHANNEL is not set (run through harness.sh)";
  std::string content;
  for (const std::string& a : args) {
    if (a.find_first_of("\r\n") != std::string::npos)
      return testing::AssertionFailure() << "request argument with a line break: " << a;
    content += a;
    content += '\n';
  }
  static std::atomic<unsigned> counter{0};
  char id[64];
  std::snprintf(id, sizeof id, "%lu-%06u", static_cast<unsigned long>(GetCurrentProcessId()), ++counter);
  const std::wstring base = dir + L"\\" + Wide(id);
  const std::wstring done = base + L".done";
  if (!WriteWholeFile(base + L".tmp", content) ||
      !MoveFileExW((base + L".tmp").c_str(), (base + L".req").c_str(), MOVEFILE_REPLACE_EXISTING))
    return testing::AssertionFailure() << "cannot write a request to " << Utf8(dir) << ": "
                                       << ErrorText(GetLastError());
  if (!WaitUntil([&] { return GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, kRequestTimeoutMs, 10))
    return testing::AssertionFailure() << "the harness did not answer request '" << args.front() << "' within "
                                       << kRequestTimeoutMs << " ms";
  std::optional<std::string> answer = ReadWholeFile(done);
  DeleteFileW(done.c_str());
  if (!answer) return testing::AssertionFailure() << "cannot read the harness's answer";
  const size_t eol = answer->find('\n');
  const std::string status = answer->substr(0, eol);
  std::string out = eol == std::string::npos ? std::string() : answer->substr(eol + 1);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  if (output) *output = out;
  if (status != "0")
    return testing::AssertionFailure() << "'" << args.front() << "' failed with status " << status << ": " << out;
  return testing::AssertionSuccess();
}

}  // namespace

// ---------------------------------------------------------------- text

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

// ---------------------------------------------------------------- waiting

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD stepMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= deadline) return done();
    Sleep(stepMs);
  }
}

// ---------------------------------------------------------------- settings store

std::wstring SettingsKeyPath(std::wstring_view application, std::wstring_view section) {
  std::wstring path = L"Software\\VB and VBA Program Settings\\";
  path += application;
  if (!section.empty()) {
    path += L'\\';
    path += section;
  }
  return path;
}

std::optional<std::wstring> GetSetting(std::wstring_view application, std::wstring_view section,
                                       std::wstring_view key) {
  HKEY k;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath(application, section).c_str(), 0, KEY_READ, &k) !=
      ERROR_SUCCESS)
    return std::nullopt;
  DWORD type = 0;
  std::vector<BYTE> data;
  const bool found = QueryValue(k, std::wstring(key).c_str(), &type, &data);
  RegCloseKey(k);
  if (!found) return std::nullopt;
  return ValueText(type, data);
}

testing::AssertionResult SaveSetting(std::wstring_view application, std::wstring_view section,
                                     std::wstring_view key, std::wstring_view text) {
  HKEY k;
  LONG r = RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKeyPath(application, section).c_str(), 0, nullptr, 0,
                           KEY_SET_VALUE, nullptr, &k, nullptr);
  if (r != ERROR_SUCCESS)
    return testing::AssertionFailure() << "cannot create " << Utf8(SettingsKeyPath(application, section)) << ": "
                                       << ErrorText(r);
  const std::wstring value(text);
  r = RegSetValueExW(k, std::wstring(key).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(k);
  if (r != ERROR_SUCCESS)
    return testing::AssertionFailure() << "cannot write " << Utf8(key) << ": " << ErrorText(r);
  return testing::AssertionSuccess();
}

testing::AssertionResult DeleteSetting(std::wstring_view application, std::wstring_view section,
                                       std::wstring_view key) {
  HKEY k;
  LONG r = RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath(application, section).c_str(), 0, KEY_SET_VALUE, &k);
  if (r == ERROR_FILE_NOT_FOUND) return testing::AssertionSuccess();
  if (r != ERROR_SUCCESS) return testing::AssertionFailure() << "cannot open the section: " << ErrorText(r);
  r = RegDeleteValueW(k, std::wstring(key).c_str());
  RegCloseKey(k);
  if (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND)
    return testing::AssertionFailure() << "cannot delete " << Utf8(key) << ": " << ErrorText(r);
  return testing::AssertionSuccess();
}

Application ReadApplication(std::wstring_view application) {
  Application content;
  HKEY app;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath(application).c_str(), 0, KEY_READ, &app) != ERROR_SUCCESS)
    return content;
  Section direct = ReadSection(app);  // values straight under the application key do not belong there
  if (!direct.empty()) content[L"<application key itself>"] = direct;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(app, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY section;
    Section values;
    if (RegOpenKeyExW(app, name, 0, KEY_READ, &section) == ERROR_SUCCESS) {
      values = ReadSection(section);
      RegCloseKey(section);
    }
    content[std::wstring(name, length)] = values;
  }
  RegCloseKey(app);
  return content;
}

bool ApplicationExists(std::wstring_view application) {
  HKEY app;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath(application).c_str(), 0, KEY_READ, &app) != ERROR_SUCCESS)
    return false;
  RegCloseKey(app);
  return true;
}

testing::AssertionResult SaveApplication(std::wstring_view application, const Application& content) {
  for (const auto& [section, values] : content)
    for (const auto& [key, text] : values) {
      testing::AssertionResult r = SaveSetting(application, section, key, text);
      if (!r) return r;
    }
  return testing::AssertionSuccess();
}

testing::AssertionResult DeleteApplication(std::wstring_view application) {
  LONG r = RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKeyPath(application).c_str());
  if (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND)
    return testing::AssertionFailure() << "cannot delete " << Utf8(SettingsKeyPath(application)) << ": "
                                       << ErrorText(r);
  if (ApplicationExists(application))
    return testing::AssertionFailure() << Utf8(SettingsKeyPath(application)) << " still exists after deleting it";
  return testing::AssertionSuccess();
}

testing::AssertionResult ResetSettings() {
  testing::AssertionResult r = DeleteApplication(kDisplayApp);
  if (!r) return r;
  return DeleteApplication(kCorrectionApp);
}

std::string Describe(const Section& content) {
  std::string out;
  for (const auto& [key, text] : content) {
    if (!out.empty()) out += ' ';
    out += Utf8(key) + "=\"";
    out += text.size() > 60 ? Utf8(text.substr(0, 60)) + "...(" + std::to_string(text.size()) + " chars)"
                            : Utf8(text);
    out += '"';
  }
  return out;
}

std::string Describe(const Application& content) {
  if (content.empty()) return "(nothing stored)";
  std::string out;
  for (const auto& [section, values] : content) {
    out += "\n  [" + Utf8(section) + "] ";
    out += values.empty() ? "(no values)" : Describe(values);
  }
  return out;
}

Section PartFlags(std::wstring_view text) {
  Section flags;
  for (int i = 0; i <= 18; ++i) flags[std::to_wstring(i)] = std::wstring(text);
  return flags;
}

// ---------------------------------------------------------------- windows

WindowState QueryWindow(HWND hwnd) {
  WindowState w;
  w.hwnd = hwnd;
  if (!IsWindow(hwnd)) return w;
  GetWindowThreadProcessId(hwnd, &w.pid);
  wchar_t buffer[512];
  int n = GetClassNameW(hwnd, buffer, 512);
  w.className.assign(buffer, n > 0 ? n : 0);
  n = InternalGetWindowText(hwnd, buffer, 512);
  w.caption.assign(buffer, n > 0 ? n : 0);
  GetWindowRect(hwnd, &w.rect);
  w.visible = IsWindowVisible(hwnd) != FALSE;
  w.style = GetWindowLongPtrW(hwnd, GWL_STYLE);
  w.exStyle = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  w.topmost = (w.exStyle & WS_EX_TOPMOST) != 0;
  return w;
}

namespace {

struct WindowSearch {
  DWORD pid;
  std::wstring_view className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
  auto* s = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner != s->pid) return TRUE;
  if (!s->className.empty()) {
    wchar_t name[256];
    int n = GetClassNameW(hwnd, name, 256);
    if (std::wstring_view(name, n > 0 ? n : 0) != s->className) return TRUE;
  }
  s->found.push_back(hwnd);
  return TRUE;
}

}  // namespace

std::vector<HWND> FindWindows(DWORD pid, std::wstring_view className) {
  WindowSearch search{pid, className, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string Describe(const WindowState& w) {
  char text[256];
  std::snprintf(text, sizeof text, " at (%ld,%ld) %ldx%ld%s%s style=0x%llx exstyle=0x%llx",
                static_cast<long>(w.rect.left), static_cast<long>(w.rect.top),
                static_cast<long>(w.rect.right - w.rect.left), static_cast<long>(w.rect.bottom - w.rect.top),
                w.visible ? " visible" : " hidden", w.topmost ? " topmost" : "",
                static_cast<unsigned long long>(w.style), static_cast<unsigned long long>(w.exStyle));
  return Utf8(w.className) + " \"" + Utf8(w.caption) + "\"" + text;
}

// ---------------------------------------------------------------- the program

std::wstring AppPath() {
  std::wstring path = Environment(L"RETICOR_E2E_APP");
  if (!path.empty()) return path;
  wchar_t self[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring dir(self, n);
  dir.erase(dir.find_last_of(L"\\/") + 1);
  return dir + L"Reticor2.exe";
}

App::~App() {
  Terminate();
}

testing::AssertionResult App::Start(DWORD timeoutMs) {
  if (process_) return testing::AssertionFailure() << "the program is started already";
  const std::wstring path = AppPath();
  std::wstring directory = path.substr(0, path.find_last_of(L"\\/") + 1);
  std::wstring commandLine = L"\"" + path + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &si, &pi))
    return testing::AssertionFailure() << "cannot start " << Utf8(path) << ": " << ErrorText(GetLastError());
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;

  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  const bool windowExists =
      WaitUntil([&] { return !Running() || !FindWindows(pid_, L"frm_Pop").empty(); }, timeoutMs);
  if (!Running())
    return testing::AssertionFailure() << Utf8(path) << " ended during start-up with exit code " << *ExitCode();
  if (!windowExists)
    return testing::AssertionFailure() << "no frm_Pop window of " << Utf8(path) << " within " << timeoutMs << " ms";
  const ULONGLONG now = GetTickCount64();
  const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
  const DWORD idle = WaitForInputIdle(process_, left);
  if (!Running())
    return testing::AssertionFailure() << Utf8(path) << " ended during start-up with exit code " << *ExitCode();
  if (idle != 0)
    return testing::AssertionFailure() << Utf8(path) << " did not become idle within " << timeoutMs << " ms";
  return testing::AssertionSuccess();
}

bool App::Running() const {
  return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> App::ExitCode() const {
  DWORD code = 0;
  if (!process_ || Running() || !GetExitCodeProcess(process_, &code)) return std::nullopt;
  return code;
}

bool App::WaitForExit(DWORD timeoutMs) {
  return !process_ || WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

void App::Terminate() {
  if (!process_) return;
  if (Running()) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 10000);
  }
  CloseHandle(process_);
  process_ = nullptr;
  pid_ = 0;
}

std::vector<HWND> App::Windows(std::wstring_view className) const {
  if (!process_) return {};
  return FindWindows(pid_, className);
}

HWND App::Window(std::wstring_view className, DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        std::vector<HWND> windows = Windows(className);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr || !Running();
      },
      timeoutMs);
  return found;
}

bool App::WaitForWindows(std::wstring_view className, size_t count, DWORD timeoutMs) const {
  return WaitUntil([&] { return Windows(className).size() == count; }, timeoutMs);
}

std::vector<WindowState> App::Dialogs() const {
  std::vector<WindowState> dialogs;
  for (HWND hwnd : Windows(L"#32770")) dialogs.push_back(QueryWindow(hwnd));
  return dialogs;
}

// ---------------------------------------------------------------- virtual display

bool HarnessAvailable() {
  return !ChannelDir().empty();
}

testing::AssertionResult Screenshot(std::string_view name) {
  if (name.empty() || name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_.") !=
                          std::string_view::npos || name.front() == '.')
    return testing::AssertionFailure() << "bad screenshot name '" << name << "'";
  std::string path;
  testing::AssertionResult r = Request({"screenshot", std::string(name)}, &path);
  if (r) std::printf("[ screenshot ] %s\n", path.c_str());
  return r;
}

testing::AssertionResult Xdotool(const std::vector<std::string>& args, std::string* output) {
  std::vector<std::string> request{"xdotool"};
  request.insert(request.end(), args.begin(), args.end());
  return Request(request, output);
}

namespace {

// xdotool's --sync waits for a motion event, which never comes when the pointer is
// there already; instead, wait until the system reports the pointer at the spot.
testing::AssertionResult PointerArrives(int x, int y) {
  POINT at{};
  if (WaitUntil([&] { return GetCursorPos(&at) && at.x == x && at.y == y; }, 3000))
    return testing::AssertionSuccess();
  return testing::AssertionFailure() << "the pointer is at " << at.x << "," << at.y << ", not at " << x << "," << y;
}

}  // namespace

testing::AssertionResult MouseMove(int x, int y) {
  testing::AssertionResult moved = Xdotool({"mousemove", std::to_string(x), std::to_string(y)});
  if (!moved) return moved;
  return PointerArrives(x, y);
}

testing::AssertionResult MouseDown(int button) {
  return Xdotool({"mousedown", std::to_string(button)});
}

testing::AssertionResult MouseUp(int button) {
  return Xdotool({"mouseup", std::to_string(button)});
}

testing::AssertionResult Click(int x, int y, int button) {
  testing::AssertionResult moved = MouseMove(x, y);
  if (!moved) return moved;
  return Xdotool({"click", std::to_string(button)});
}

testing::AssertionResult ChooseFromTrayMenu(const App& app, int item) {
  auto open_menu = [&]() -> HWND {
    for (HWND m : app.Windows(L"#32768"))
      if (IsWindowVisible(m)) return m;
    return nullptr;
  };
  if (testing::AssertionResult moved = Xdotool({"mousemove", "300", "200"}); !moved) return moved;
  // The icon's callback message (WM_MOUSEMOVE, icon 1) with the button release in lParam.
  if (!PostMessageW(app.Window(L"frm_Pop"), WM_MOUSEMOVE, 1, WM_RBUTTONUP))
    return testing::AssertionFailure() << "no frm_Pop to notify";
  HWND menu = nullptr;
  if (!WaitUntil([&] { return (menu = open_menu()) != nullptr; }, 5000))
    return testing::AssertionFailure() << "the tray menu did not open";
  Sleep(300);  // the menu has drawn its items
  const RECT r = QueryWindow(menu).rect;
  const int row = (r.bottom - r.top) / 6;
  if (testing::AssertionResult clicked = Click((r.left + r.right) / 2, r.top + (item - 1) * row + row / 2); !clicked)
    return clicked;
  if (!WaitUntil([&] { return !IsWindowVisible(menu); }, 5000))
    return testing::AssertionFailure() << "the tray menu did not close";
  return testing::AssertionSuccess();
}

testing::AssertionResult Drag(POINT from, POINT to, int steps, int button) {
  if (steps < 1) steps = 1;
  testing::AssertionResult moved = MouseMove(from.x, from.y);
  if (!moved) return moved;
  std::vector<std::string> chain{"sleep", "0.05", "mousedown", std::to_string(button), "sleep", "0.05"};
  for (int i = 1; i <= steps; ++i) {
    const long x = from.x + (to.x - from.x) * i / steps;
    const long y = from.y + (to.y - from.y) * i / steps;
    chain.insert(chain.end(), {"mousemove", std::to_string(x), std::to_string(y), "sleep", "0.03"});
  }
  chain.insert(chain.end(), {"sleep", "0.05", "mouseup", std::to_string(button)});
  return Xdotool(chain);
}

testing::AssertionResult Key(std::string_view keys) {
  std::vector<std::string> args{"key", "--delay", "40"};
  size_t start = 0;
  while (start < keys.size()) {
    size_t end = keys.find(' ', start);
    if (end == std::string_view::npos) end = keys.size();
    if (end > start) args.emplace_back(keys.substr(start, end - start));
    start = end + 1;
  }
  if (args.size() == 3) return testing::AssertionFailure() << "Key() without a key";
  return Xdotool(args);
}

testing::AssertionResult Type(std::wstring_view text) {
  if (text.find_first_of(L"\r\n") != std::wstring_view::npos)
    return testing::AssertionFailure() << "Type() takes one line; send Key(\"Return\") for a line break";
  return Xdotool({"type", "--delay", "40", Utf8(text)});
}

testing::AssertionResult ScreenPixel(int x, int y, COLORREF* colour) {
  std::string rgb;
  testing::AssertionResult r = Request({"pixel", std::to_string(x), std::to_string(y)}, &rgb);
  if (!r) return r;
  unsigned red = 0, green = 0, blue = 0;
  if (std::sscanf(rgb.c_str(), "%u %u %u", &red, &green, &blue) != 3)
    return testing::AssertionFailure() << "unexpected pixel answer '" << rgb << "'";
  *colour = RGB(red, green, blue);
  return testing::AssertionSuccess();
}

// ---------------------------------------------------------------- serial link

testing::AssertionResult SetCom2Present(bool present) {
  return Request({"com2", present ? "present" : "missing"}, nullptr);
}

testing::AssertionResult SetCom2Plugged(bool plugged) {
  return Request({"com2", plugged ? "plug" : "unplug"}, nullptr);
}

SerialPeer::~SerialPeer() {
  Close();
}

testing::AssertionResult SerialPeer::Open(const wchar_t* port) {
  Close();
  handle_ = CreateFileW(port, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle_ == INVALID_HANDLE_VALUE)
    return testing::AssertionFailure() << "cannot open " << Utf8(port) << ": " << ErrorText(GetLastError());
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(handle_, &dcb)) {
    const DWORD error = GetLastError();
    Close();
    return testing::AssertionFailure() << "GetCommState on " << Utf8(port) << ": " << ErrorText(error);
  }
  dcb.BaudRate = CBR_9600;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = TRUE;
  dcb.fParity = FALSE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fNull = FALSE;
  dcb.fAbortOnError = FALSE;
  dcb.fDtrControl = DTR_CONTROL_DISABLE;
  dcb.fRtsControl = RTS_CONTROL_DISABLE;
  if (!SetCommState(handle_, &dcb)) {
    const DWORD error = GetLastError();
    Close();
    return testing::AssertionFailure() << "SetCommState on " << Utf8(port) << ": " << ErrorText(error);
  }
  Purge();
  return testing::AssertionSuccess();
}

void SerialPeer::Close() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  pending_.clear();
}

testing::AssertionResult SerialPeer::Write(std::string_view bytes) {
  if (!IsOpen()) return testing::AssertionFailure() << "the serial port is not open";
  COMMTIMEOUTS timeouts{};
  timeouts.WriteTotalTimeoutConstant = 5000;
  timeouts.WriteTotalTimeoutMultiplier = 2;
  SetCommTimeouts(handle_, &timeouts);
  size_t sent = 0;
  while (sent < bytes.size()) {
    DWORD n = 0;
    if (!WriteFile(handle_, bytes.data() + sent, static_cast<DWORD>(bytes.size() - sent), &n, nullptr))
      return testing::AssertionFailure() << "serial write: " << ErrorText(GetLastError());
    if (n == 0) return testing::AssertionFailure() << "serial write timed out after " << sent << " bytes";
    sent += n;
  }
  return testing::AssertionSuccess();
}

std::string SerialPeer::ReadSome(size_t maxBytes, DWORD timeoutMs) {
  if (!pending_.empty()) {
    std::string got = pending_.substr(0, std::min(maxBytes, pending_.size()));
    pending_.erase(0, got.size());
    return got;
  }
  if (!IsOpen()) return {};
  // Reads return at once with what is there (MAXDWORD interval, no total timeout);
  // between reads a short pause, until something has arrived or the time is up.
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  SetCommTimeouts(handle_, &timeouts);
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    char buffer[256];
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(sizeof buffer, maxBytes));
    if (!ReadFile(handle_, buffer, want, &n, nullptr)) return {};
    if (n > 0) return std::string(buffer, n);
    if (GetTickCount64() >= deadline) return {};
    Sleep(5);
  }
}

std::string SerialPeer::Read(size_t maxBytes, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  std::string got;
  while (got.size() < maxBytes) {
    const ULONGLONG now = GetTickCount64();
    std::string chunk = ReadSome(maxBytes - got.size(), now < deadline ? static_cast<DWORD>(deadline - now) : 0);
    if (chunk.empty()) break;
    got += chunk;
  }
  return got;
}

std::string SerialPeer::ReadUntil(char terminator, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  std::string got;
  for (;;) {
    const size_t at = got.find(terminator);
    if (at != std::string::npos) {
      pending_ = got.substr(at + 1) + pending_;
      got.resize(at + 1);
      return got;
    }
    const ULONGLONG now = GetTickCount64();
    std::string chunk = ReadSome(256, now < deadline ? static_cast<DWORD>(deadline - now) : 0);
    if (chunk.empty()) return got;
    got += chunk;
  }
}

void SerialPeer::Purge() {
  pending_.clear();
  if (IsOpen()) PurgeComm(handle_, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
}

}  // namespace e2e
