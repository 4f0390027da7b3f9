#include "e2e_support.h"

#include <commctrl.h>
#include <dbt.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/win32/app_messages.h"
#include "platform/win32/win32_dialog_controls.h"
#include "shell/popup_menu_items.h"
#include "shell/tray_icon.h"

namespace e2e {
namespace {

Result Failed(const std::wstring& what, DWORD error) {
  return testing::AssertionFailure() << what << ": error " << error;
}

std::wstring SettingsKey(std::wstring_view application, std::wstring_view section = {}) {
  std::wstring path = L"Software\\VB and VBA Program Settings\\" + std::wstring(application);
  return section.empty() ? path : path + L"\\" + std::wstring(section);
}

// The names of a key's subkeys, or of its values.
std::vector<std::wstring> Names(const std::wstring& path, bool subkeys) {
  std::vector<std::wstring> names;
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  wchar_t name[256];
  for (DWORD i = 0, n = 256;
       (subkeys ? RegEnumKeyExW(key, i, name, &n, nullptr, nullptr, nullptr, nullptr)
                : RegEnumValueW(key, i, name, &n, nullptr, nullptr, nullptr, nullptr)) == ERROR_SUCCESS;
       ++i, n = 256)
    names.emplace_back(name, n);
  RegCloseKey(key);
  return names;
}

Section ReadSection(const std::wstring& path) {
  Section section;
  for (const std::wstring& name : Names(path, false))
    section[name] = UserText(path, name.c_str()).value_or(L"<not REG_SZ>");
  return section;
}

// Requests to the harness: <id>.req holds one argument a line (UTF-8), named so
// only once it is whole; the harness runs it (in the screenshot folder) and answers
// with <id>.done: the exit status on the first line, then the output.
Result Request(const std::vector<std::string>& args) {
  static unsigned counter = 0;
  const wchar_t* dir = _wgetenv(L"RETICOR_E2E_CHANNEL");
  if (dir == nullptr) return testing::AssertionFailure() << "no harness: run through harness.sh";
  const std::wstring base = L"Z:" + std::wstring(dir) + L"/" + std::to_wstring(++counter);
  if (std::ofstream request(std::filesystem::path(base + L".tmp"), std::ios::binary); request)
    for (const std::string& a : args) request << a << '\n';
  MoveFileExW((base + L".tmp").c_str(), (base + L".req").c_str(), MOVEFILE_REPLACE_EXISTING);
  std::string answer = "no answer from the harness";
  WaitUntil(
      [&] {
        std::ifstream done(std::filesystem::path(base + L".done"), std::ios::binary);
        return done && (answer.assign(std::istreambuf_iterator<char>(done), {}), true);
      },
      30000);
  DeleteFileW((base + L".done").c_str());
  if (answer.starts_with("0\n")) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "'" << args.front() << "': " << answer;
}

// A named CALLBACK: the first icon group's name (an id, or a string resource name).
BOOL CALLBACK FirstName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
  auto* first = reinterpret_cast<std::wstring*>(found);
  *first = IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name)) : std::wstring(name);
  return FALSE;
}
std::string_view ResourceBytes(HMODULE module, LPCWSTR name, LPCWSTR type) {
  HRSRC resource = FindResourceW(module, name, type);
  const void* bytes = resource ? LockResource(LoadResource(module, resource)) : nullptr;
  return bytes ? std::string_view(static_cast<const char*>(bytes), SizeofResource(module, resource)) : "";
}

std::wstring Caption(HWND window) {
  wchar_t caption[256];
  return {caption, static_cast<size_t>(std::max(0, InternalGetWindowText(window, caption, 256)))};
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  for (const ULONGLONG deadline = GetTickCount64() + timeoutMs; GetTickCount64() < deadline; Sleep(20))
    if (done()) return true;
  return done();
}

// ---- settings

std::optional<std::wstring> UserText(const std::wstring& key, const wchar_t* name) {
  DWORD bytes = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
    return std::nullopt;
  std::wstring text(bytes / sizeof(wchar_t), L'\0');
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text.data(), &bytes) != ERROR_SUCCESS)
    return std::nullopt;
  text.resize(wcsnlen(text.c_str(), text.size()));
  return text;
}

Application ReadApplication(std::wstring_view application) {
  Application content;
  const std::wstring path = SettingsKey(application);
  if (Section direct = ReadSection(path); !direct.empty()) content[L"<application key itself>"] = direct;
  for (const std::wstring& section : Names(path, true)) content[section] = ReadSection(path + L"\\" + section);
  return content;
}

Result SaveApplication(std::wstring_view application, const Application& content) {
  for (const auto& [section, values] : content)
    for (const auto& [name, text] : values)
      if (const LONG r = RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKey(application, section).c_str(), name.c_str(),
                                         REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
          r != ERROR_SUCCESS)
        return Failed(L"cannot write " + section + L"\\" + name, r);
  return testing::AssertionSuccess();
}

Result ResetSettings() {
  for (const wchar_t* application : {kDisplayApp, kCorrectionApp}) {
    const LONG r = RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey(application).c_str());
    if (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND)
      return Failed(L"cannot delete " + std::wstring(application), r);
  }
  return testing::AssertionSuccess();
}

std::wstring Describe(const Application& content) {
  std::wstring out = content.empty() ? L"(nothing stored)" : L"";
  for (const auto& [section, values] : content) {
    out += L"\n  [" + section + L"]";
    for (const auto& [key, text] : values)
      out += L" " + key + L"=\"" + text.substr(0, 60) + (text.size() > 60 ? L"...\"" : L"\"");
  }
  return out;
}

Section PartFlags() {
  Section flags;
  for (int i = 0; i <= 18; ++i) flags[std::to_wstring(i)] = L"1";
  return flags;
}

// ---- windows

RECT RectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

COLORREF MiddlePixel(HWND window) {
  const RECT r = RectOf(window);
  const HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  ReleaseDC(nullptr, screen);
  return colour;
}

HWND Control(HWND dialog, int control) {
  return GetDlgItem(dialog, rc::win32::DialogControls::kFirstWindowId + control);
}

std::wstring TextOf(HWND control) {
  wchar_t text[256] = {};
  SendMessageW(control, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
  return text;
}

int WindowsInSession(const wchar_t* className) {
  int count = 0;
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, className, nullptr)) != nullptr;) ++count;
  return count;
}

std::wstring Notification(std::wstring_view start) {
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr)) != nullptr;)
    if (IsWindowVisible(w) && TextOf(w).starts_with(start)) return TextOf(w);
  return L"";
}

std::map<int, std::string> IconImages(const std::wstring& file) {
  std::map<int, std::string> images;
  const HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  std::wstring group_name;
  if (module) EnumResourceNamesW(module, RT_GROUP_ICON, FirstName, reinterpret_cast<LONG_PTR>(&group_name));
  // The group: a 6-byte header, then 14 bytes an image: width (0 for 256),
  // height, colours, reserved, planes, bits, size, image id.
  const std::string_view group = group_name.empty() ? "" : ResourceBytes(module, group_name.c_str(), RT_GROUP_ICON);
  for (size_t at = 6; at + 14 <= group.size(); at += 14) {
    const auto* entry = reinterpret_cast<const unsigned char*>(group.data()) + at;
    const auto id = static_cast<WORD>(entry[12] | entry[13] << 8);
    images[entry[0] == 0 ? 256 : entry[0]] = std::string(ResourceBytes(module, MAKEINTRESOURCEW(id), RT_ICON));
  }
  if (module) FreeLibrary(module);
  return images;
}

std::wstring AppPath() { return _wgetenv(L"RETICOR_E2E_APP") ? _wgetenv(L"RETICOR_E2E_APP") : L""; }

HANDLE Spawn(const std::wstring& program, const std::wstring& arguments, DWORD* pid, std::wstring desktop) {
  std::wstring command_line = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (!desktop.empty()) si.lpDesktop = desktop.data();
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  if (pid) *pid = pi.dwProcessId;
  return pi.hProcess;
}

std::optional<DWORD> RunAndWait(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs) {
  const HANDLE process = Spawn(program, arguments);
  if (process == nullptr) return std::nullopt;
  DWORD code = 0;
  const bool ended = WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code);
  if (!ended) TerminateProcess(process, 1);
  CloseHandle(process);
  return ended ? std::optional<DWORD>(code) : std::nullopt;
}

// ---- the program

Result App::Start(const std::wstring& desktop) {
  if (process_ != nullptr || (process_ = Spawn(AppPath(), L"", &pid_, desktop)) == nullptr)
    return Failed(L"cannot start '" + AppPath() + L"'", GetLastError());
  const bool up = WaitUntil([&] { return !Running() || Window(L"frm_Pop") != nullptr; }, 20000);
  if (!Running()) return testing::AssertionFailure() << "ended during start-up with exit code " << *ExitCode();
  if (!up || WaitForInputIdle(process_, 20000) != 0) return testing::AssertionFailure() << "start-up did not finish";
  return testing::AssertionSuccess();
}

std::optional<DWORD> App::ExitCode() const {
  DWORD code = 0;
  if (!process_ || Running() || !GetExitCodeProcess(process_, &code)) return std::nullopt;
  return code;
}

void App::Terminate() {
  if (!process_) return;
  if (Running() && TerminateProcess(process_, 1)) WaitForSingleObject(process_, 10000);
  CloseHandle(process_);
  process_ = nullptr;
  pid_ = 0;
}

std::vector<HWND> App::Windows(std::wstring_view className, bool shown) const {
  std::vector<HWND> found;
  const std::wstring name(className);
  DWORD owner = 0;
  for (HWND w = nullptr; process_ && (w = FindWindowExW(nullptr, w, name.c_str(), nullptr)) != nullptr;)
    if (GetWindowThreadProcessId(w, &owner) && owner == pid_ && (!shown || IsWindowVisible(w))) found.push_back(w);
  return found;
}

HWND App::Window(std::wstring_view className, bool shown) const {
  const std::vector<HWND> windows = Windows(className, shown);
  return windows.empty() ? nullptr : windows.front();
}

HWND App::Dialog(std::wstring_view caption, DWORD timeoutMs) const {
  const auto find = [&] {
    for (HWND w : Windows(L"#32770", true))
      if (Caption(w) == caption) return w;
    return HWND{};
  };
  WaitUntil([&] { return find() != nullptr; }, timeoutMs);
  return find();
}

std::wstring App::VisibleDialogs() const {
  std::wstring out;
  for (HWND w : Windows(L"#32770", true)) out += L"\"" + Caption(w) + L"\" ";
  return out;
}

// ---- the virtual display

Result Screenshot(std::string_view name) {
  const std::string file = std::string(name) + ".png";
  Result r = Request({"import", "-window", "root", file});
  if (r) std::printf("[ screenshot ] %s\n", file.c_str());
  return r;
}

Result Xdotool(const std::vector<std::string>& args) {
  std::vector<std::string> request{"xdotool"};
  request.insert(request.end(), args.begin(), args.end());
  return Request(request);
}

Result MouseMove(int x, int y) {
  if (Result moved = Xdotool({"mousemove", std::to_string(x), std::to_string(y)}); !moved) return moved;
  // Not xdotool's --sync: it waits for a motion event that never comes when the pointer is there already.
  POINT at{};
  if (WaitUntil([&] { return GetCursorPos(&at) && at.x == x && at.y == y; }, 3000)) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "the pointer is at " << at.x << "," << at.y << ", not " << x << "," << y;
}

Result Click(int x, int y) {
  Result moved = MouseMove(x, y);
  return moved ? Xdotool({"click", "1"}) : moved;
}

Result Drag(POINT from, POINT to, int pixels) {
  Result moved = MouseMove(from.x, from.y);
  if (!moved) return moved;
  const long distance = std::max(std::labs(to.x - from.x), std::labs(to.y - from.y));
  const long steps = std::max(1L, (distance + pixels - 1) / pixels);
  std::vector<std::string> chain{"sleep", "0.05", "mousedown", "1", "sleep", "0.05"};
  for (long i = 1; i <= steps; ++i)
    chain.insert(chain.end(), {"mousemove", std::to_string(from.x + (to.x - from.x) * i / steps),
                               std::to_string(from.y + (to.y - from.y) * i / steps), "sleep", "0.03"});
  chain.insert(chain.end(), {"sleep", "0.05", "mouseup", "1"});
  return Xdotool(chain);
}

Result Key(std::string_view keys) {
  std::vector<std::string> args{"key", "--delay", "40"};
  std::istringstream names{std::string(keys)};
  for (std::string name; names >> name;) args.push_back(name);
  return Xdotool(args);
}

bool PostTrayNotice(const App& app, UINT code, POINT anchor) {
  return PostMessageW(app.Window(L"frm_Pop"), rc::win32::kTrayCallbackMessage,
                      MAKEWPARAM(static_cast<WORD>(anchor.x), static_cast<WORD>(anchor.y)),
                      MAKELPARAM(code, rc::shell::kTrayIconId)) != FALSE;
}

Result ChooseFromTrayMenu(const App& app, int command, const char* screenshot) {
  if (Result moved = MouseMove(300, 200); !moved) return moved;
  // As the notification area (version 4) reports the right button's release:
  // the release, then the context-menu code, each with the pointer as anchor.
  HWND menu = nullptr;
  if (!PostTrayNotice(app, WM_RBUTTONUP, {300, 200}) || !PostTrayNotice(app, WM_CONTEXTMENU, {300, 200}) ||
      !WaitUntil([&] { return (menu = app.Window(L"#32768", true)) != nullptr; }, 5000))
    return testing::AssertionFailure() << "the tray menu did not open";
  Sleep(300);  // the menu has drawn its items
  if (Result shot = screenshot ? Screenshot(screenshot) : testing::AssertionSuccess(); !shot) return shot;
  // Rows of one height, command 1 at the top (keys can miss the first menu of a fresh prefix).
  const RECT r = RectOf(menu);
  const int row = (r.bottom - r.top) / static_cast<int>(std::size(rc::shell::kDizodudozPop));
  Result chosen = Click((r.left + r.right) / 2, r.top + (command - 1) * row + row / 2);
  if (chosen && !WaitUntil([&] { return !IsWindowVisible(menu); }, 5000))
    return testing::AssertionFailure() << "the tray menu did not close";
  return chosen;
}

// ---- the serial link

Result SetPort(const char* state) { return Request({"port", state}); }

void AnnouncePort(HWND window, const wchar_t* port) {
  // The record ends in the name, longer than the one character the struct declares.
  alignas(DEV_BROADCAST_PORT_W) BYTE record[sizeof(DEV_BROADCAST_PORT_W) + 16 * sizeof(WCHAR)] = {};
  auto* header = reinterpret_cast<DEV_BROADCAST_PORT_W*>(record);
  header->dbcp_size = sizeof record;
  header->dbcp_devicetype = DBT_DEVTYP_PORT;
  lstrcpyW(header->dbcp_name, port);
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(record), SMTO_ABORTIFHUNG,
                      5000, &result);
}

Result SerialPeer::Open(const wchar_t* port) {
  Close();
  handle_ = CreateFileW((std::wstring(L"\\\\.\\") + port).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                        OPEN_EXISTING, 0, nullptr);
  COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 5000};  // reads return at once with what is there
  if (handle_ == INVALID_HANDLE_VALUE || !SetCommTimeouts(handle_, &timeouts))
    return Failed(L"cannot open " + std::wstring(port), GetLastError());
  PurgeComm(handle_, PURGE_RXCLEAR | PURGE_TXCLEAR);
  return testing::AssertionSuccess();
}

void SerialPeer::Close() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

Result SerialPeer::Write(std::string_view bytes) {
  DWORD sent = 0;
  if (WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &sent, nullptr) && sent == bytes.size())
    return testing::AssertionSuccess();
  return Failed(L"serial write sent " + std::to_wstring(sent) + L" bytes", GetLastError());
}

std::string SerialPeer::ReadLine(DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  std::string got;
  while (got.empty() || got.back() != '\r') {
    char byte = 0;
    DWORD n = 0;
    if (!ReadFile(handle_, &byte, 1, &n, nullptr) || (n == 0 && GetTickCount64() >= deadline)) break;
    got.append(n, byte);
    if (n == 0) Sleep(5);
  }
  return got;
}

}  // namespace e2e

// The entry point of the test programs (run by harness.sh under Wine).
int main(int argc, char** argv) {
  // Plain "\n" line ends and UTF-8 bytes unchanged on the way to the harness's log.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  // Wine draws the caption bars of the programs started from here: the virtual
  // display has no window manager.
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\X11 Driver", L"Decorated", REG_SZ, L"N", sizeof L"N");
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
