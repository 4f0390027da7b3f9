// Start-up of the real program against the per-user settings store: what a first
// start writes, when the first-run defaults apply again, that values which do
// not convert do not stop the program, and that a second start leaves one copy.
#include <string>

#include "e2e_support.h"

namespace {

using e2e::Application;
using e2e::kCorrectionApp;
using e2e::kDisplayApp;

class StartupTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(e2e::ResetSettings()); }
  void TearDown() override {
    app.Terminate();
    EXPECT_TRUE(e2e::ResetSettings());
  }

  // After start-up the program only reacts to events: the store stays as `expected`.
  // Waits for it (start-up may still be writing), then compares.
  void ExpectDisplaySettings(const Application& expected) {
    e2e::WaitUntil([&] { return e2e::ReadApplication(kDisplayApp) == expected; }, 5000);
    const Application stored = e2e::ReadApplication(kDisplayApp);
    // Compared as a whole; the message shows both sides readably (and shortened).
    EXPECT_TRUE(stored == expected) << "stored under " << e2e::Utf8(e2e::SettingsKeyPath(kDisplayApp)) << ":"
                                << e2e::Describe(stored) << "\nexpected:" << e2e::Describe(expected);
  }

  void ExpectStartUpWindowHidden() {
    HWND pop = app.Window(L"frm_Pop");
    ASSERT_NE(pop, nullptr) << "no start-up window frm_Pop";
    EXPECT_FALSE(e2e::QueryWindow(pop).visible) << e2e::Describe(e2e::QueryWindow(pop));
  }

  void ExpectNoMessageBox() {
    for (const e2e::WindowState& dialog : app.Dialogs())
      ADD_FAILURE() << "the program shows a dialog: " << e2e::Describe(dialog);
  }

  e2e::App app;
};

TEST_F(StartupTest, FirstStartOnAnEmptyStoreWritesOnlyTheNineteenPartFlags) {
  ASSERT_FALSE(e2e::ApplicationExists(kDisplayApp));
  ASSERT_FALSE(e2e::ApplicationExists(kCorrectionApp));

  ASSERT_TRUE(app.Start());
  ExpectDisplaySettings({{L"폼", e2e::PartFlags(L"1")}});
  const Application correction = e2e::ReadApplication(kCorrectionApp);
  EXPECT_TRUE(correction.empty()) << "stored under " << e2e::Utf8(e2e::SettingsKeyPath(kCorrectionApp)) << ":"
                                  << e2e::Describe(correction);
  ExpectStartUpWindowHidden();
  ExpectNoMessageBox();
  EXPECT_TRUE(app.Running());
  EXPECT_TRUE(e2e::Screenshot("startup-first-start"));
}

TEST_F(StartupTest, StoredLengthOfZeroResetsEveryPartFlagAndWritesNothingElse) {
  Application stored{
      {L"선택사항", {{L"색상", L"65280"}, {L"항상위", L"False"}}},
      {L"크기", {{L"Length", L"0"}, {L"Thickness", L"90"}, {L"Gap", L"200"}}},
      {L"위치", {{L"XPosition", L"3000"}, {L"YPosition", L"2000"}, {L"고정", L"True"}}},
      {L"폼", e2e::PartFlags(L"1")},
  };
  for (const wchar_t* part : {L"0", L"3", L"9", L"18"}) stored[L"폼"][part] = L"0";
  stored[L"폼"].erase(L"12");  // a missing flag is written as well
  ASSERT_TRUE(e2e::SaveApplication(kDisplayApp, stored));

  ASSERT_TRUE(app.Start());
  Application expected = stored;
  expected[L"폼"] = e2e::PartFlags(L"1");
  ExpectDisplaySettings(expected);
  EXPECT_FALSE(e2e::ApplicationExists(kCorrectionApp));
  ExpectNoMessageBox();
  EXPECT_TRUE(app.Running());
}

TEST_F(StartupTest, StoredSettingsWithANonZeroLengthAreLeftAsTheyAre) {
  const Application stored{
      {L"선택사항", {{L"색상", L"16711680"}, {L"항상위", L"True"}}},
      {L"크기", {{L"Length", L"200"}, {L"Thickness", L"30"}, {L"Gap", L"100"}}},
      {L"위치", {{L"XPosition", L"40000"}, {L"YPosition", L"101.5"}, {L"고정", L"false"}}},
      {L"폼", {{L"0", L"1"}, {L"1", L"0"}, {L"2", L"True"}, {L"5", L"-1"}}},
  };
  ASSERT_TRUE(e2e::SaveApplication(kDisplayApp, stored));
  ASSERT_TRUE(e2e::SaveSetting(kCorrectionApp, L"모드", L"모드", L""));

  ASSERT_TRUE(app.Start());
  ExpectDisplaySettings(stored);
  // The empty reader mode becomes the default in memory only.
  EXPECT_EQ(e2e::GetSetting(kCorrectionApp, L"모드", L"모드"), std::wstring());
  ExpectNoMessageBox();
  EXPECT_TRUE(app.Running());
}

TEST_F(StartupTest, ValuesThatDoNotConvertDoNotStopTheProgram) {
  const Application stored{
      {L"선택사항", {{L"색상", L"255"}, {L"항상위", L"maybe"}}},
      {L"크기", {{L"Length", L"350"}, {L"Thickness", L"abc"}, {L"Gap", L"99999"}}},
      {L"위치",
       {{L"XPosition", std::wstring(100 * 1024, L'7')}, {L"YPosition", L"-40000.5e3"}, {L"고정", L"네"}}},
      {L"폼", {{L"0", L"1"}, {L"1", L"yes"}, {L"2", L""}, {L"3", L"1e999"}}},
  };
  ASSERT_TRUE(e2e::SaveApplication(kDisplayApp, stored));
  ASSERT_TRUE(e2e::SaveSetting(kCorrectionApp, L"각도", L"각도", L"1,5도"));

  ASSERT_TRUE(app.Start());
  Sleep(1000);  // an error report or a late crash would show by now
  EXPECT_TRUE(app.Running()) << "exit code " << app.ExitCode().value_or(0);
  EXPECT_NE(app.Window(L"frm_Pop"), nullptr);
  ExpectNoMessageBox();
  // A bad value is replaced in memory only: the store is not touched at start-up.
  ExpectDisplaySettings(stored);
  EXPECT_EQ(e2e::GetSetting(kCorrectionApp, L"각도", L"각도"), std::wstring(L"1,5도"));
}

// Start-up windows of every process in the session.
int StartUpWindowsInSession() {
  int count = 0;
  for (HWND w = FindWindowExW(nullptr, nullptr, L"frm_Pop", nullptr); w != nullptr;
       w = FindWindowExW(nullptr, w, L"frm_Pop", nullptr))
    ++count;
  return count;
}

TEST_F(StartupTest, ASecondStartShowsTheRunningHandleAndEndsWithoutTouchingAnything) {
  ASSERT_TRUE(app.Start());
  HWND handle = app.Window(L"frm_Center", 5000);
  ASSERT_NE(handle, nullptr);
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(handle) != FALSE; }, 3000));
  ShowWindow(handle, SW_HIDE);  // hidden by something outside the program
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(handle); }, 3000));
  const Application display = e2e::ReadApplication(kDisplayApp);

  // Started as a user starts it: same program, same session.
  const std::wstring path = e2e::AppPath();
  std::wstring command_line = L"\"" + path + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION second{};
  ASSERT_TRUE(CreateProcessW(path.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                             &second));
  CloseHandle(second.hThread);
  const bool ended = WaitForSingleObject(second.hProcess, 20000) == WAIT_OBJECT_0;
  DWORD exit_code = 99;
  GetExitCodeProcess(second.hProcess, &exit_code);
  if (!ended) TerminateProcess(second.hProcess, 1);
  CloseHandle(second.hProcess);
  ASSERT_TRUE(ended) << "the second start did not end";
  EXPECT_EQ(exit_code, 0u);

  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(handle) != FALSE; }, 5000))
      << "the running copy did not show its handle: " << e2e::Describe(e2e::QueryWindow(handle));
  EXPECT_TRUE(app.Running());
  EXPECT_EQ(StartUpWindowsInSession(), 1);
  ExpectNoMessageBox();  // the second copy never reached the port
  EXPECT_TRUE(e2e::ReadApplication(kDisplayApp) == display) << e2e::Describe(e2e::ReadApplication(kDisplayApp));
  EXPECT_FALSE(e2e::ApplicationExists(kCorrectionApp));

  // The running copy still has the reader to itself.
  e2e::SerialPeer peer;
  ASSERT_TRUE(peer.Open());
  ASSERT_TRUE(peer.Write("  12345,  23456   0\r"));
  EXPECT_EQ(peer.ReadUntil('\r', 5000), "000123,000234,1\r");
  EXPECT_TRUE(e2e::Screenshot("startup-second-start"));
}

}  // namespace
