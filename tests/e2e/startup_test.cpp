// Start-up of the real program against a store it did not write: a length of 0
// resets the part flags and nothing else, a stored port that is missing is named,
// values that do not convert stop nothing and are left as they are, and a second
// start only shows the running copy's centre handle.
#include "e2e_support.h"

namespace {

using e2e::Application, e2e::kCorrectionApp, e2e::kDisplayApp;

class StartupTest : public e2e::Scenario {
 protected:
  // Start-up may still be writing: waits for the store to be `expected`, then compares.
  void ExpectStored(const wchar_t* application, const Application& expected) {
    e2e::WaitUntil([&] { return e2e::ReadApplication(application) == expected; }, 5000);
    EXPECT_TRUE(e2e::ReadApplication(application) == expected)
        << "stored:" << e2e::Describe(e2e::ReadApplication(application)) << "\nexpected:" << e2e::Describe(expected);
  }
  void ExpectCrossTopmost(bool topmost) {
    std::vector<HWND> windows = app.Windows(L"BarWindow");
    windows.push_back(app.Window(L"frm_Center"));
    ASSERT_EQ(windows.size(), 19u);
    for (HWND w : windows) EXPECT_EQ(e2e::QueryWindow(w).topmost, topmost) << e2e::Describe(e2e::QueryWindow(w));
  }
};

TEST_F(StartupTest, LengthZeroRewritesOnlyThePartFlagsAndAMissingStoredPortIsNamed) {
  Application display{
      {L"선택사항", {{L"색상", L"65280"}, {L"항상위", L"False"}}},
      {L"크기", {{L"Length", L"0"}, {L"Thickness", L"90"}, {L"Gap", L"200"}}},
      {L"위치", {{L"XPosition", L"3000"}, {L"YPosition", L"2000"}, {L"고정", L"True"}}},
      {L"폼", e2e::PartFlags()},
  };
  for (const wchar_t* part : {L"0", L"3", L"9", L"18"}) display[L"폼"][part] = L"0";
  display[L"폼"].erase(L"12");  // a missing flag is written as well
  const Application correction{{L"포트", {{L"포트", L"COM13"}}}};
  ASSERT_TRUE(e2e::SaveApplication(kDisplayApp, display));
  ASSERT_TRUE(e2e::SaveApplication(kCorrectionApp, correction));
  ASSERT_TRUE(app.Start());

  const HWND box = app.Dialog(L"Reticor2", 5000);
  ASSERT_NE(box, nullptr) << "no message box";
  EXPECT_EQ(e2e::TextOf(GetDlgItem(box, 0xFFFF)), L"COM13 포트를 열수가 없습니다.");
  display[L"폼"] = e2e::PartFlags();
  ExpectStored(kDisplayApp, display);
  ExpectStored(kCorrectionApp, correction);
  EXPECT_FALSE(IsWindowVisible(app.Window(L"frm_Pop")));
  ExpectCrossTopmost(true);  // the first run's, not the stored OnTop
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(box); }, 5000));
  Sleep(1000);
  EXPECT_EQ(app.VisibleDialogs(), "") << "a second message";
}

TEST_F(StartupTest, ValuesThatDoNotConvertStopNothingAndASecondStartOnlyShowsTheHandle) {
  const Application display{
      {L"선택사항", {{L"색상", L"maybe"}, {L"항상위", L"False"}}},
      {L"크기", {{L"Length", L"350"}, {L"Thickness", L"abc"}, {L"Gap", L"99999"}}},
      {L"위치", {{L"XPosition", std::wstring(100 * 1024, L'7')}, {L"YPosition", L"-40000.5e3"}, {L"고정", L"네"}}},
      {L"폼", {{L"0", L"1"}, {L"1", L"yes"}, {L"2", L""}, {L"3", L"1e999"}, {L"5", L"-1"}}},
  };
  // An angle that does not convert, an empty mode (the default, in memory only), a port above COM9.
  const Application correction{
      {L"각도", {{L"각도", L"1,5도"}}}, {L"모드", {{L"모드", L""}}}, {L"포트", {{L"포트", L"COM12"}}}};
  ASSERT_TRUE(e2e::SaveApplication(kDisplayApp, display));
  ASSERT_TRUE(e2e::SaveApplication(kCorrectionApp, correction));
  ASSERT_TRUE(peer.Open());
  ASSERT_TRUE(app.Start());
  Sleep(1000);  // an error report or a late crash would show by now
  EXPECT_TRUE(app.Running()) << "exit code " << app.ExitCode().value_or(0);
  EXPECT_EQ(app.VisibleDialogs(), "");
  ExpectCrossTopmost(false);  // the stored OnTop

  // A second start, with the running copy's handle hidden by something outside it.
  const HWND handle = app.Window(L"frm_Center");
  ShowWindow(handle, SW_HIDE);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(handle); }, 3000));
  EXPECT_EQ(e2e::RunAndWait(e2e::AppPath(), L"", 20000), 0u) << "the second start did not end with 0";
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(handle) != FALSE; }, 5000)) << "the handle stays hidden";
  EXPECT_EQ(e2e::WindowsInSession(L"frm_Pop"), 1);
  EXPECT_EQ(app.VisibleDialogs(), "");  // the second copy never reached the port
  ExpectStored(kDisplayApp, display);   // neither start wrote anything
  ExpectStored(kCorrectionApp, correction);

  // The running copy has the reader to itself, on COM12.
  ASSERT_TRUE(peer.Write(e2e::kReading));
  EXPECT_EQ(peer.ReadLine(), e2e::kReply);
  EXPECT_TRUE(e2e::Screenshot("startup-second-start"));
}

}  // namespace
