#include "platform/win32/win32_machine.h"

#include <windows.h>

#include <string>

#include "platform/win32/handles.h"
#include "platform/win32/registry_text.h"
#include "platform/win32/system_error.h"

namespace rc::win32 {

namespace {
constexpr DWORD kValueBufferBytes = 1024;
constexpr std::size_t kLongestPath = 32768;  // the system's own limit, in characters
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Reticor2";
constexpr wchar_t kApprovedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
}  // namespace

platform::Status Win32MachineRegistry::ReadValue(platform::RegistryView view, std::wstring_view key,
                                                 std::wstring_view name, platform::RegistryValue& value) {
  // Read access only: a standard user is refused anything more on this root.
  // The view flags are ignored where there is one view only.
  const REGSAM access = KEY_READ | (view == platform::RegistryView::Bits64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY);
  const std::wstring key_path(key), value_name(name);
  LSTATUS status = ERROR_SUCCESS;
  const OwnedKey opened = OpenKey(HKEY_LOCAL_MACHINE, key_path.c_str(), access, &status);  // closed on every path
  if (!opened) return SystemFailure(static_cast<DWORD>(status), "RegOpenKeyExW");
  std::vector<std::uint8_t> buffer(kValueBufferBytes, 0);
  DWORD type = 0, size = kValueBufferBytes;
  status = ::RegQueryValueExW(opened.get(), value_name.c_str(), nullptr, &type, buffer.data(), &size);
  if (status != ERROR_SUCCESS) return SystemFailure(static_cast<DWORD>(status), "RegQueryValueExW");
  buffer.resize(size);
  value.type = type == REG_SZ      ? platform::RegistryType::String
               : type == REG_DWORD ? platform::RegistryType::Dword
                                   : platform::RegistryType::Other;
  value.bytes = std::move(buffer);
  return platform::Status::Ok();
}

bool Win32Processes::FileExists(std::wstring_view path) {
  const std::wstring file(path);
  const DWORD attributes = ::GetFileAttributesW(file.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring Win32Processes::ProgramPath() {
  // Grown until the whole path fits: a path may be longer than MAX_PATH.
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    if (path.size() >= kLongestPath) return {};
    path.resize(path.size() * 2);
  }
}

std::wstring Win32Processes::SystemFolder() {
  // A 32-bit program on 64-bit Windows reaches the native folder as
  // "Sysnative"; its "System32" is redirected to the 32-bit one.
  BOOL wow64 = FALSE;
  if (::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64) {
    wchar_t windows[MAX_PATH];
    const UINT n = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return std::wstring(windows, n) + L"\\Sysnative";
  }
  wchar_t system[MAX_PATH];
  const UINT n = ::GetSystemDirectoryW(system, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(system, n) : std::wstring();
}

platform::Status Win32Processes::Start(std::wstring_view path) {
  if (path.empty()) return SystemFailure(ERROR_FILE_NOT_FOUND, "CreateProcessW");
  const std::wstring program(path);
  // The program named exactly, so a path with blanks cannot start another file.
  std::wstring command_line = L"\"" + program + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
    return LastSystemFailure("CreateProcessW");
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);  // not watched, not waited for
  return platform::Status::Ok();
}

std::optional<std::wstring> Win32SignInStart::Command() {
  const OwnedKey run = OpenKey(HKEY_CURRENT_USER, kRunKey, KEY_QUERY_VALUE);
  return run ? ReadRegistryText(run.get(), kRunValue) : std::nullopt;
}

// Task Manager and Settings write a REG_BINARY value of the entry's name there;
// its first byte is even while the entry is on (02) and odd once it is
// switched off (03). No value: on.
bool Win32SignInStart::SwitchedOff() {
  const OwnedKey approved = OpenKey(HKEY_CURRENT_USER, kApprovedKey, KEY_QUERY_VALUE);
  BYTE data[16] = {};
  DWORD type = 0, size = sizeof data;
  if (!approved || ::RegQueryValueExW(approved.get(), kRunValue, nullptr, &type, data, &size) != ERROR_SUCCESS) {
    return false;
  }
  return type == REG_BINARY && size > 0 && (data[0] & 1) != 0;
}

namespace {
// The entry's switch removed: on, as for an entry Windows has not seen yet.
LSTATUS ClearApproval() {
  LSTATUS status = ERROR_SUCCESS;
  const OwnedKey approved = OpenKey(HKEY_CURRENT_USER, kApprovedKey, KEY_SET_VALUE, &status);
  if (approved) status = ::RegDeleteValueW(approved.get(), kRunValue);
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}
}  // namespace

platform::Status Win32SignInStart::Set(std::wstring_view command) {
  // Created when missing: a fresh profile may not have the key yet.
  LSTATUS status = ERROR_SUCCESS;
  const OwnedKey run = OpenKey(HKEY_CURRENT_USER, kRunKey, KEY_SET_VALUE, &status, true);
  if (!run) return SystemFailure(static_cast<DWORD>(status), "RegCreateKeyExW");
  const std::wstring text(command);
  status = ::RegSetValueExW(run.get(), kRunValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  if (status != ERROR_SUCCESS) return SystemFailure(static_cast<DWORD>(status), "RegSetValueExW");
  // An entry switched off earlier would keep this one from starting.
  status = ClearApproval();
  return status == ERROR_SUCCESS ? platform::Status::Ok()
                                 : SystemFailure(static_cast<DWORD>(status), "RegDeleteValueW");
}

platform::Status Win32SignInStart::Clear() {
  LSTATUS status = ERROR_SUCCESS;
  const OwnedKey run = OpenKey(HKEY_CURRENT_USER, kRunKey, KEY_SET_VALUE, &status);
  if (run) status = ::RegDeleteValueW(run.get(), kRunValue);
  // No key, or no value: nothing starts at sign-in, which is what was asked.
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
    return SystemFailure(static_cast<DWORD>(status), run ? "RegDeleteValueW" : "RegOpenKeyExW");
  }
  status = ClearApproval();
  return status == ERROR_SUCCESS ? platform::Status::Ok()
                                 : SystemFailure(static_cast<DWORD>(status), "RegDeleteValueW");
}

}  // namespace rc::win32
