// The installer on a fresh Wine prefix, as a user's machine meets it: a silent
// install, the installed program drawing its cross, a second start, an upgrade
// over the running program after a drag, and a silent uninstall that keeps the
// settings. Run by tests/install/run.sh through the end-to-end harness.
//
//   RETICOR_INSTALL_SETUP    Windows path of the installer under test
//   RETICOR_INSTALL_VERSION  the version it should register
#include "e2e_support.h"  // <windows.h> first

#include <shlobj.h>

#include <optional>
#include <string>

namespace {

using e2e::kDisplayApp;

constexpr const wchar_t* kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Reticor2";
constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr int kTwipsPerPixel = 15;  // the virtual display runs at 96 DPI

std::wstring Env(const wchar_t* name) {
  wchar_t value[1024];
  DWORD n = GetEnvironmentVariableW(name, value, 1024);
  return n > 0 && n < 1024 ? std::wstring(value, n) : std::wstring();
}

std::wstring Folder(int csidl) {
  wchar_t path[MAX_PATH];
  return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, 0, path)) ? path : L"";
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A REG_SZ value under HKCU; nullopt when missing.
std::optional<std::wstring> UserString(const wchar_t* key, const wchar_t* name) {
  wchar_t value[2048];
  DWORD bytes = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(value);
}
std::optional<DWORD> UserDword(const wchar_t* key, const wchar_t* name) {
  DWORD value = 0, bytes = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &bytes) != ERROR_SUCCESS)
    return std::nullopt;
  return value;
}
bool UserKeyExists(const wchar_t* key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
  RegCloseKey(opened);
  return true;
}

// Runs a program with arguments and waits for it; its exit code, or nullopt.
std::optional<DWORD> RunAndWait(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs) {
  std::wstring command_line = L"\"" + program + L"\" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return std::nullopt;
  CloseHandle(pi.hThread);
  std::optional<DWORD> result;
  if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    DWORD code = 0;
    if (GetExitCodeProcess(pi.hProcess, &code)) result = code;
  } else {
    TerminateProcess(pi.hProcess, 1);
  }
  CloseHandle(pi.hProcess);
  return result;
}

// The start-up window of any copy in the session, and the process it belongs to.
DWORD RunningCopyPid() {
  HWND pop = FindWindowW(L"frm_Pop", nullptr);
  DWORD pid = 0;
  if (pop != nullptr) GetWindowThreadProcessId(pop, &pid);
  return pid;
}
int RunningCopies() {
  int count = 0;
  for (HWND w = FindWindowExW(nullptr, nullptr, L"frm_Pop", nullptr); w != nullptr;
       w = FindWindowExW(nullptr, w, L"frm_Pop", nullptr))
    ++count;
  return count;
}

class InstallTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!e2e::HarnessAvailable()) GTEST_SKIP() << "needs the harness (real input, screenshots)";
    setup = Env(L"RETICOR_INSTALL_SETUP");
    ASSERT_FALSE(setup.empty()) << "RETICOR_INSTALL_SETUP names no installer";
    install_dir = Folder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Reticor2";
    program = install_dir + L"\\Reticor2.exe";
    shortcut = Folder(CSIDL_PROGRAMS) + L"\\Reticor2.lnk";
    // e2e::App starts what RETICOR_E2E_APP names: the installed program.
    SetEnvironmentVariableW(L"RETICOR_E2E_APP", program.c_str());
  }

  void Install(const std::wstring& arguments) {
    EXPECT_EQ(RunAndWait(setup, arguments, 120000), std::optional<DWORD>(0)) << "setup " << e2e::Utf8(arguments);
  }

  std::wstring setup, install_dir, program, shortcut;
};

TEST_F(InstallTest, InstallRunUpgradeOverTheRunningProgramAndUninstallKeepingTheSettings) {
  ASSERT_FALSE(UserKeyExists(kUninstallKey)) << "not a fresh prefix";

  // ---- silent install
  Install(L"/S");
  ASSERT_TRUE(FileExists(program)) << e2e::Utf8(program);
  EXPECT_TRUE(FileExists(install_dir + L"\\Uninstall.exe"));
  EXPECT_TRUE(FileExists(shortcut)) << e2e::Utf8(shortcut);
  EXPECT_EQ(UserString(kRunKey, L"Reticor2"), std::nullopt) << "starting at sign-in is off unless asked for";
  EXPECT_EQ(UserString(kUninstallKey, L"DisplayName"), std::wstring(L"Reticor2"));
  EXPECT_EQ(UserString(kUninstallKey, L"DisplayVersion"), Env(L"RETICOR_INSTALL_VERSION"));
  EXPECT_EQ(UserString(kUninstallKey, L"Publisher"), std::wstring(L"Reticor2"));
  EXPECT_EQ(UserString(kUninstallKey, L"DisplayIcon"), program + L",0");
  EXPECT_EQ(UserString(kUninstallKey, L"InstallLocation"), install_dir);
  const std::wstring uninstaller = install_dir + L"\\Uninstall.exe";
  EXPECT_EQ(UserString(kUninstallKey, L"UninstallString"), L"\"" + uninstaller + L"\"");
  EXPECT_EQ(UserString(kUninstallKey, L"QuietUninstallString"), L"\"" + uninstaller + L"\" /S");
  EXPECT_GT(UserDword(kUninstallKey, L"EstimatedSize").value_or(0), 100u) << "KiB";

  // ---- the installed program draws its cross
  e2e::App app;
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(app.WaitForWindows(L"BarWindow", 18, 5000));
  HWND handle = app.Window(L"frm_Center", 5000);
  ASSERT_NE(handle, nullptr);
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(handle) != FALSE; }, 5000));
  const RECT start = e2e::QueryWindow(handle).rect;
  COLORREF colour = 0;
  ASSERT_TRUE(e2e::ScreenPixel((start.left + start.right) / 2, (start.top + start.bottom) / 2, &colour));
  EXPECT_EQ(colour, RGB(255, 0, 0)) << "the centre handle";
  EXPECT_TRUE(e2e::Screenshot("install-first-start"));

  // ---- a second start leaves one copy
  EXPECT_EQ(RunAndWait(program, L"", 20000), std::optional<DWORD>(0));
  EXPECT_EQ(RunningCopies(), 1);
  EXPECT_TRUE(app.Running());

  // ---- a drag, then an upgrade over the running program, now with /AUTOSTART
  ASSERT_TRUE(e2e::Drag({start.left + 1, start.top + 1}, {start.left - 59, start.top - 39}, 10));
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::QueryWindow(handle).rect.left != start.left; }, 3000))
      << "the drag did not move the handle: " << e2e::Describe(e2e::QueryWindow(handle));
  const RECT dragged = e2e::QueryWindow(handle).rect;
  EXPECT_EQ(dragged.left, start.left - 60);
  EXPECT_EQ(dragged.top, start.top - 40);
  Install(L"/S /AUTOSTART");
  EXPECT_TRUE(app.WaitForExit(5000)) << "the old program still runs";
  EXPECT_EQ(app.ExitCode(), std::optional<DWORD>(0)) << "it ended through its exit command";
  EXPECT_EQ(e2e::GetSetting(kDisplayApp, L"위치", L"XPosition"), std::to_wstring(dragged.left * kTwipsPerPixel));
  EXPECT_EQ(e2e::GetSetting(kDisplayApp, L"위치", L"YPosition"), std::to_wstring(dragged.top * kTwipsPerPixel));
  ASSERT_TRUE(e2e::WaitUntil([&] { return RunningCopyPid() != 0; }, 10000)) << "the new program was not started";
  EXPECT_NE(RunningCopyPid(), app.Pid());
  EXPECT_EQ(RunningCopies(), 1);
  EXPECT_EQ(UserString(kRunKey, L"Reticor2"), L"\"" + program + L"\"");
  // The new program shows the cross where it was dragged to.
  ASSERT_TRUE(e2e::WaitUntil(
      [&] {
        HWND moved = FindWindowW(L"frm_Center", nullptr);
        return moved != nullptr && IsWindowVisible(moved) && e2e::QueryWindow(moved).rect.left == dragged.left;
      },
      10000));
  EXPECT_TRUE(e2e::Screenshot("install-after-upgrade"));

  // ---- silent uninstall: asks the running program to exit, keeps the settings
  const e2e::Application settings = e2e::ReadApplication(kDisplayApp);
  // The uninstaller copies itself away and returns; the copy does the work.
  EXPECT_TRUE(RunAndWait(uninstaller, L"/S", 60000).has_value());
  EXPECT_TRUE(e2e::WaitUntil([&] { return !UserKeyExists(kUninstallKey) && !FileExists(install_dir); }, 60000))
      << "the uninstall key or the folder " << e2e::Utf8(install_dir) << " is still there";
  EXPECT_EQ(RunningCopies(), 0);
  EXPECT_FALSE(FileExists(shortcut));
  EXPECT_EQ(UserString(kRunKey, L"Reticor2"), std::nullopt);
  EXPECT_TRUE(e2e::ReadApplication(kDisplayApp) == settings) << e2e::Describe(e2e::ReadApplication(kDisplayApp));
}

}  // namespace
