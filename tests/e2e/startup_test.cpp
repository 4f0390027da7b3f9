// Start-up of the real program against a store it did not write: values that do
// not convert (one of 100 K characters among them) stop nothing and are left as
// they are, and a second start only shows the running copy's centre handle.
#include "e2e_support.h"

namespace {

using e2e::Application, e2e::kCorrectionApp, e2e::kDisplayApp;

using StartupTest = e2e::Scenario;

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
  const HWND handle = app.Window(L"frm_Center");
  std::vector<HWND> parts = app.Windows(L"BarWindow");
  parts.push_back(handle);
  ASSERT_EQ(parts.size(), 19u);
  for (HWND w : parts)
    EXPECT_FALSE(e2e::QueryWindow(w).topmost) << "the stored OnTop: " << e2e::Describe(e2e::QueryWindow(w));

  // A second start, with the running copy's handle hidden by something outside it.
  ShowWindow(handle, SW_HIDE);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(handle); }, 3000));
  EXPECT_EQ(e2e::RunAndWait(e2e::AppPath(), L"", 20000), 0u) << "the second start did not end with 0";
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(handle) != FALSE; }, 5000)) << "the handle stays hidden";
  EXPECT_EQ(e2e::WindowsInSession(L"frm_Pop"), 1);
  EXPECT_EQ(app.VisibleDialogs(), "");  // the second copy never reached the port
  // Neither start wrote anything (start-up may still be writing: waited for).
  EXPECT_TRUE(e2e::WaitUntil(
      [&] {
        return e2e::ReadApplication(kDisplayApp) == display && e2e::ReadApplication(kCorrectionApp) == correction;
      },
      5000))
      << e2e::Describe(e2e::ReadApplication(kDisplayApp)) << e2e::Describe(e2e::ReadApplication(kCorrectionApp));

  // The running copy has the reader to itself, on COM12.
  ASSERT_TRUE(peer.Write(e2e::kReading));
  EXPECT_EQ(peer.ReadLine(), e2e::kReply);
  EXPECT_TRUE(e2e::Screenshot("startup-second-start"));
}

}  // namespace
