// The installer on a fresh Wine prefix, as a user's machine meets it: a silent
// install, the installed program drawing its cross, a second start, an upgrade
// over the running program after a drag, and a silent uninstall that keeps the
// settings; and the release installer itself, on 64- and 32-bit Windows. Run by
// tests/install/run.sh through the end-to-end harness.
//   RETICOR_INSTALL_SETUP    Windows path of the installer under test
//   RETICOR_RELEASE_SETUP    Windows path of the release installer (dist/)
//   RETICOR_INSTALL_MACHINE  x64 or x86: the program the installer should install here
//   RETICOR_INSTALL_VERSION  the version it should register
//   RETICOR_INSTALL_KEEP_UNINSTALLER  optional: where to copy the installed uninstaller
//                                     (run.sh checks its signature)
#include "e2e_support.h"  // <windows.h> first

#include <shlobj.h>

#include <cstdlib>
#include <map>
#include <string>

namespace {

const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Reticor2";
const std::wstring kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring Folder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
  return path;
}
bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
bool UninstallKeyExists() { return e2e::UserText(kUninstallKey, L"DisplayName").has_value(); }
// The centre handle of whichever copy runs in the session.
HWND AnyHandle() { return FindWindowW(L"frm_Center", nullptr); }
std::wstring Setting(const wchar_t* name) { return _wgetenv(name) ? _wgetenv(name) : L""; }

// Where a per-user install puts the program; e2e::App starts the installed one.
struct Installed {
  Installed() { SetEnvironmentVariableW(L"RETICOR_E2E_APP", program.c_str()); }
  const std::wstring dir = Folder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Reticor2";
  const std::wstring program = dir + L"\\Reticor2.exe", uninstaller = dir + L"\\Uninstall.exe";
  const std::wstring shortcut = Folder(CSIDL_PROGRAMS) + L"\\Reticor2.lnk";
};

// The silent uninstall: the uninstaller copies itself away and returns, and the
// copy does the work; done when the uninstall key, the folder and the shortcut are gone.
testing::AssertionResult UninstallSilently(const Installed& installed) {
  const std::wstring keep = Setting(L"RETICOR_INSTALL_KEEP_UNINSTALLER");
  if (!keep.empty() && !CopyFileW(installed.uninstaller.c_str(), keep.c_str(), FALSE))
    return testing::AssertionFailure() << "cannot copy the uninstaller to " << e2e::Utf8(keep);
  if (!e2e::RunAndWait(installed.uninstaller, L"/S", 60000)) return testing::AssertionFailure() << "no uninstaller";
  if (!e2e::WaitUntil([&] { return !UninstallKeyExists() && !Exists(installed.dir); }, 60000))
    return testing::AssertionFailure() << "the uninstall key or " << e2e::Utf8(installed.dir) << " is still there";
  if (Exists(installed.shortcut)) return testing::AssertionFailure() << "the shortcut is still there";
  return testing::AssertionSuccess();
}

// Starts the installed program and sees its cross: nineteen windows, the handle red.
testing::AssertionResult StartAndSeeTheCross(e2e::App& app) {
  if (testing::AssertionResult started = app.Start(); !started) return started;
  const HWND handle = app.Window(L"frm_Center");
  if (!e2e::WaitUntil([&] { return IsWindowVisible(handle) && app.Windows(L"BarWindow").size() == 18; }, 5000))
    return testing::AssertionFailure() << "no cross";
  const RECT r = e2e::QueryWindow(handle).rect;
  COLORREF colour = 0;
  if (testing::AssertionResult read = e2e::ScreenPixel((r.left + r.right) / 2, (r.top + r.bottom) / 2, &colour); !read)
    return read;
  if (colour != RGB(255, 0, 0)) return testing::AssertionFailure() << "the centre handle is not red";
  return testing::AssertionSuccess();
}

TEST(InstallTest, InstallRunUpgradeOverTheRunningProgramAndUninstallKeepingTheSettings) {
  const std::wstring setup = Setting(L"RETICOR_INSTALL_SETUP");
  const std::wstring version = Setting(L"RETICOR_INSTALL_VERSION");
  const Installed installed;
  const std::wstring& program = installed.program;
  ASSERT_FALSE(UninstallKeyExists()) << "not a fresh prefix";

  // ---- silent install
  ASSERT_EQ(e2e::RunAndWait(setup, L"/S", 120000), 0u) << e2e::Utf8(setup);
  ASSERT_TRUE(Exists(program));
  EXPECT_TRUE(Exists(installed.uninstaller));
  EXPECT_TRUE(Exists(installed.shortcut));
  EXPECT_EQ(e2e::UserText(kRunKey, L"Reticor2"), std::nullopt) << "starting at sign-in is off unless asked for";
  const std::pair<const wchar_t*, std::wstring> registered[] = {
      {L"DisplayName", L"Reticor2"},
      {L"DisplayVersion", version},
      {L"Publisher", L"Reticor2"},
      {L"DisplayIcon", program + L",0"},
      {L"InstallLocation", installed.dir},
      {L"UninstallString", L"\"" + installed.uninstaller + L"\""},
      {L"QuietUninstallString", L"\"" + installed.uninstaller + L"\" /S"}};
  for (const auto& [name, text] : registered) EXPECT_EQ(e2e::UserText(kUninstallKey, name), text) << e2e::Utf8(name);
  DWORD kib = 0, bytes = sizeof kib;
  RegGetValueW(HKEY_CURRENT_USER, kUninstallKey.c_str(), L"EstimatedSize", RRF_RT_REG_DWORD, nullptr, &kib, &bytes);
  EXPECT_GT(kib, 100u) << "EstimatedSize in KiB";
  // The installers show the program's own icon, every size of it.
  const std::map<int, std::string> icon = e2e::IconImages(program);
  EXPECT_EQ(icon.size(), 7u);
  EXPECT_TRUE(e2e::IconImages(setup) == icon) << "the installer's icon is not the program's";
  EXPECT_TRUE(e2e::IconImages(Setting(L"RETICOR_RELEASE_SETUP")) == icon) << "the release installer's icon";

  // ---- the installed program draws its cross; a second start leaves one copy
  e2e::App app;
  ASSERT_TRUE(StartAndSeeTheCross(app));
  const HWND handle = app.Window(L"frm_Center");
  const RECT start = e2e::QueryWindow(handle).rect;
  EXPECT_TRUE(e2e::Screenshot("install-first-start"));
  EXPECT_EQ(e2e::RunAndWait(program, L"", 20000), 0u);
  EXPECT_EQ(e2e::WindowsInSession(L"frm_Pop"), 1);
  EXPECT_TRUE(app.Running());

  // ---- a drag, then an upgrade over the running program, now with /AUTOSTART:
  // the old copy ends through its exit command (saving the place), the new one starts there
  ASSERT_TRUE(e2e::Drag({start.left + 1, start.top + 1}, {start.left - 59, start.top - 39}, 10));
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::QueryWindow(handle).rect.left == start.left - 60; }, 3000))
      << e2e::Describe(e2e::QueryWindow(handle));
  EXPECT_EQ(e2e::QueryWindow(handle).rect.top, start.top - 40);
  ASSERT_EQ(e2e::RunAndWait(setup, L"/S /AUTOSTART", 120000), 0u);
  EXPECT_TRUE(app.WaitForExit(5000)) << "the old program still runs";
  EXPECT_EQ(app.ExitCode(), 0u);
  EXPECT_EQ(e2e::GetSetting(e2e::kDisplayApp, L"위치", L"XPosition"), std::to_wstring((start.left - 60) * 15));
  EXPECT_EQ(e2e::GetSetting(e2e::kDisplayApp, L"위치", L"YPosition"), std::to_wstring((start.top - 40) * 15));
  EXPECT_EQ(e2e::UserText(kRunKey, L"Reticor2"), L"\"" + program + L"\"");
  ASSERT_TRUE(e2e::WaitUntil(
      [&] {
        return AnyHandle() && IsWindowVisible(AnyHandle()) &&
               e2e::QueryWindow(AnyHandle()).rect.left == start.left - 60;
      },
      10000))
      << "the new program was not started where the cross was";
  EXPECT_EQ(e2e::WindowsInSession(L"frm_Pop"), 1);
  EXPECT_TRUE(e2e::Screenshot("install-after-upgrade"));

  // ---- silent uninstall: asks the running program to exit, keeps the settings
  const e2e::Application settings = e2e::ReadApplication(e2e::kDisplayApp);
  EXPECT_TRUE(UninstallSilently(installed));
  EXPECT_EQ(e2e::WindowsInSession(L"frm_Pop"), 0);
  EXPECT_EQ(e2e::UserText(kRunKey, L"Reticor2"), std::nullopt);
  EXPECT_TRUE(e2e::ReadApplication(e2e::kDisplayApp) == settings)
      << e2e::Describe(e2e::ReadApplication(e2e::kDisplayApp));
}

// The release installer (x86 code) on the Windows it meets: it installs the
// program of that Windows' width, which draws its cross and answers a reading;
// the silent uninstall asks it to exit and removes it.
TEST(ReleaseInstaller, InstallsTheProgramOfThisWindowsThatDrawsAndAnswersAndUninstallsCleanly) {
  const std::wstring setup = Setting(L"RETICOR_INSTALL_SETUP");
  const std::wstring machine = Setting(L"RETICOR_INSTALL_MACHINE");
  const Installed installed;
  const std::wstring& program = installed.program;
  ASSERT_TRUE(machine == L"x64" || machine == L"x86") << "RETICOR_INSTALL_MACHINE";
  ASSERT_FALSE(UninstallKeyExists()) << "not a fresh prefix";

  ASSERT_EQ(e2e::RunAndWait(setup, L"/S", 120000), 0u) << e2e::Utf8(setup);
  ASSERT_TRUE(Exists(program));
  DWORD kind = 0;
  ASSERT_TRUE(GetBinaryTypeW(program.c_str(), &kind));
  EXPECT_EQ(kind, machine == L"x64" ? DWORD{SCS_64BIT_BINARY} : DWORD{SCS_32BIT_BINARY}) << "the program installed";
  EXPECT_TRUE(Exists(installed.shortcut));

  e2e::App app;
  ASSERT_TRUE(StartAndSeeTheCross(app));
  e2e::SerialPeer peer;
  ASSERT_TRUE(peer.Open());
  e2e::ReaderIdleAfterOpen();
  ASSERT_TRUE(peer.Write(e2e::kReading));
  EXPECT_EQ(peer.ReadLine(), e2e::kReply);
  EXPECT_TRUE(e2e::Screenshot("release-install-" + e2e::Utf8(machine)));

  EXPECT_TRUE(UninstallSilently(installed));
  EXPECT_TRUE(app.WaitForExit(5000)) << "the program still runs";
  EXPECT_EQ(app.ExitCode(), 0u);
}

}  // namespace
