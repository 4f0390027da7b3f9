// The installer on a fresh Wine prefix, as a user's machine meets it: opened
// as a user opens it, one page whose default button installs the program of
// this Windows' width with one Enter, starts it and closes; the program draws
// its cross and answers a reading; an upgrade over the running program after a
// drag; a silent uninstall that keeps the settings. Run by tests/install/run.sh through the end-to-end
// harness, once for each Windows the installer meets.
//   RETICOR_INSTALL_SETUP    Windows path of the installer under test
//   RETICOR_RELEASE_SETUP    Windows path of the release installer
//   RETICOR_INSTALL_MACHINE  x64 or x86: the program the installer should install here
//   RETICOR_INSTALL_VERSION  the version it should register
//   RETICOR_INSTALL_KEEP_UNINSTALLER  where to copy the installed uninstaller (run.sh checks its signature)
#include "e2e_support.h"  // <windows.h> first

#include <shlobj.h>

#include "shell/popup_menu_items.h"

namespace {

const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Reticor2";
const std::wstring kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring Folder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
  return path;
}
bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring Setting(const wchar_t* name) { return _wgetenv(name) ? _wgetenv(name) : L""; }

TEST(Installer, InstallsTheProgramOfThisWindowsUpgradesItRunningAndUninstallsKeepingTheSettings) {
  const std::wstring setup = Setting(L"RETICOR_INSTALL_SETUP"), machine = Setting(L"RETICOR_INSTALL_MACHINE");
  // Where a per-user install puts the program; e2e::App starts the installed one.
  const std::wstring dir = Folder(CSIDL_LOCAL_APPDATA) + L"\\Programs\\Reticor2", program = dir + L"\\Reticor2.exe",
                     uninstaller = dir + L"\\Uninstall.exe", shortcut = Folder(CSIDL_PROGRAMS) + L"\\Reticor2.lnk";
  SetEnvironmentVariableW(L"RETICOR_E2E_APP", program.c_str());
  const auto registered = [] { return e2e::UserText(kUninstallKey, L"DisplayName").has_value(); };
  ASSERT_FALSE(registered()) << "not a fresh prefix";

  // ---- the installer opened as a user opens it: one page, one Enter
  const HANDLE installer = e2e::Spawn(setup, L"");
  ASSERT_NE(installer, nullptr) << setup;
  HWND page = nullptr;  // the installer's own dialog window: the prefix has no other
  ASSERT_TRUE(e2e::WaitUntil([&] { return (page = FindWindowW(L"#32770", nullptr)) != nullptr; }, 30000));
  Sleep(500);  // painted
  EXPECT_TRUE(e2e::Screenshot("install-page"));
  const RECT frame = e2e::RectOf(page);
  ASSERT_TRUE(e2e::Click(frame.left + 4, frame.bottom - 8));  // a bare corner: the keys go to the installer
  ASSERT_TRUE(e2e::Key("Return"));
  EXPECT_EQ(WaitForSingleObject(installer, 120000), WAIT_OBJECT_0) << "the installer did not close by itself";
  CloseHandle(installer);
  HWND started = nullptr;
  ASSERT_TRUE(e2e::WaitUntil([&] { return (started = FindWindowW(L"frm_Pop", nullptr)) != nullptr; }, 20000))
      << "the installed program did not start";
  // Ended through its own exit command, so that the run below starts it as a test owns it.
  PostMessageW(started, WM_COMMAND, rc::shell::kFinish, 0);
  ASSERT_TRUE(e2e::WaitUntil([] { return FindWindowW(L"frm_Pop", nullptr) == nullptr; }, 10000));
  DWORD kind = 0;
  ASSERT_TRUE(GetBinaryTypeW(program.c_str(), &kind));
  EXPECT_EQ(kind, machine == L"x64" ? DWORD{SCS_64BIT_BINARY} : DWORD{SCS_32BIT_BINARY}) << machine;
  EXPECT_TRUE(Exists(uninstaller) && Exists(shortcut));
  EXPECT_EQ(e2e::UserText(kRunKey, L"Reticor2"), std::nullopt) << "starting at sign-in is off unless asked for";
  const std::pair<const wchar_t*, std::wstring> values[] = {{L"DisplayName", L"Reticor2"},
                                                            {L"DisplayVersion", Setting(L"RETICOR_INSTALL_VERSION")},
                                                            {L"Publisher", L"Reticor2"},
                                                            {L"DisplayIcon", program + L",0"},
                                                            {L"InstallLocation", dir},
                                                            {L"UninstallString", L"\"" + uninstaller + L"\""},
                                                            {L"QuietUninstallString", L"\"" + uninstaller + L"\" /S"}};
  for (const auto& [name, text] : values) EXPECT_EQ(e2e::UserText(kUninstallKey, name), text) << name;
  DWORD kib = 0, bytes = sizeof kib;
  RegGetValueW(HKEY_CURRENT_USER, kUninstallKey.c_str(), L"EstimatedSize", RRF_RT_REG_DWORD, nullptr, &kib, &bytes);
  EXPECT_GT(kib, 100u) << "EstimatedSize in KiB";
  // The release installer shows the program's own icon, every size of it.
  const std::map<int, std::string> icon = e2e::IconImages(program);
  EXPECT_EQ(icon.size(), 7u);
  EXPECT_TRUE(e2e::IconImages(Setting(L"RETICOR_RELEASE_SETUP")) == icon) << "the release installer's icon";

  // ---- the installed program draws its cross and answers a reading
  e2e::App app;
  ASSERT_TRUE(app.Start());
  const HWND handle = app.Window(L"frm_Center");
  ASSERT_TRUE(e2e::WaitUntil([&] { return app.Windows(L"BarWindow", true).size() == 18; }, 5000)) << "no cross";
  e2e::SerialPeer peer;
  ASSERT_TRUE(peer.Open());
  e2e::ReaderIdleAfterOpen();
  ASSERT_TRUE(peer.Write(e2e::kReading));
  EXPECT_EQ(peer.ReadLine(), e2e::kReply);
  EXPECT_TRUE(e2e::Screenshot("install-first-start"));

  // ---- a drag, then an upgrade over the running program, now with /AUTOSTART:
  // the old copy ends through its exit command (saving the place), the new one starts there
  const RECT start = e2e::RectOf(handle);
  ASSERT_TRUE(e2e::Drag({start.left + 1, start.top + 1}, {start.left - 59, start.top - 39}, 10));
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::RectOf(handle).left == start.left - 60; }, 3000));
  EXPECT_EQ(e2e::RectOf(handle).top, start.top - 40);
  ASSERT_EQ(e2e::RunAndWait(setup, L"/S /AUTOSTART", 120000), 0u);
  EXPECT_TRUE(app.WaitForExit(5000)) << "the old program still runs";
  EXPECT_EQ(app.ExitCode(), 0u);
  EXPECT_EQ(e2e::ReadApplication(e2e::kDisplayApp)[L"위치"],
            (e2e::Section{{L"XPosition", std::to_wstring((start.left - 60) * 15)},
                          {L"YPosition", std::to_wstring((start.top - 40) * 15)},
                          {L"고정", L"False"}}));
  EXPECT_EQ(e2e::UserText(kRunKey, L"Reticor2"), L"\"" + program + L"\"");
  const auto moved = [&] {
    const HWND any = FindWindowW(L"frm_Center", nullptr);  // of whichever copy runs
    return e2e::RectOf(any).left == start.left - 60 && e2e::MiddlePixel(any) == RGB(255, 0, 0);
  };
  ASSERT_TRUE(e2e::WaitUntil(moved, 10000)) << "the new program does not draw where the cross was";
  EXPECT_EQ(e2e::WindowsInSession(L"frm_Pop"), 1);
  EXPECT_TRUE(e2e::Screenshot("install-after-upgrade"));

  // ---- silent uninstall: the uninstaller copies itself away and returns, and the
  // copy does the work: asks the running program to exit, removes the program, its
  // folder, shortcut and key, and keeps the settings
  const e2e::Application settings = e2e::ReadApplication(e2e::kDisplayApp);
  const std::wstring keep = Setting(L"RETICOR_INSTALL_KEEP_UNINSTALLER");
  EXPECT_TRUE(keep.empty() || CopyFileW(uninstaller.c_str(), keep.c_str(), FALSE)) << keep;
  ASSERT_TRUE(e2e::RunAndWait(uninstaller, L"/S", 60000)) << "no uninstaller";
  EXPECT_TRUE(e2e::WaitUntil([&] { return !registered() && !Exists(dir); }, 60000)) << "the key or the folder stays";
  EXPECT_FALSE(Exists(shortcut));
  EXPECT_EQ(e2e::WindowsInSession(L"frm_Pop"), 0);
  EXPECT_EQ(e2e::UserText(kRunKey, L"Reticor2"), std::nullopt);
  EXPECT_TRUE(e2e::ReadApplication(e2e::kDisplayApp) == settings)
      << e2e::Describe(e2e::ReadApplication(e2e::kDisplayApp));
}

}  // namespace
