// The reader link of the real program on a store it did not write: readings
// written on COM3 reach Reticor2.exe on COM12 (the same pty end as COM2) and are
// answered there at the wire's pace, through a pulled adapter, until the close.
#include "e2e_support.h"  // <windows.h> first

#include <array>
#include <utility>

namespace {

using e2e::kReading, e2e::kReply, e2e::kOtherReading, e2e::kOtherReply;
using ReaderTest = e2e::Scenario;

constexpr DWORD kQuietMs = 1000;  // how long a line that must stay unanswered is given

// A store read from the real registry: a position of 100 K characters and a
// thickness stored as a number whose bytes would read as the text "2" (each its
// default: the handle 3 pixels wide at the screen's middle), the port above COM9
// and OnTop off; nothing of it is written back. A second start only shows the
// running copy's handle. Readings on COM12 are answered once, CR LF line ends
// and a pulled adapter included, and the close at log-off ends the program at once.
TEST_F(ReaderTest, AStoreItDidNotWriteASecondStartAndReadingsThroughAPulledPortAndTheClose) {
  ASSERT_TRUE(e2e::SaveApplication(
      e2e::kDisplayApp,
      {{L"선택사항", {{L"색상", L"255"}, {L"항상위", L"False"}}},
       {L"크기", {{L"Length", L"350"}, {L"Gap", L"350"}}},
       {L"위치", {{L"XPosition", std::wstring(100 * 1024, L'7')}, {L"YPosition", L"8100"}}},
       {L"폼", e2e::PartFlags()}}));
  ASSERT_TRUE(e2e::SaveApplication(e2e::kCorrectionApp, {{L"포트", {{L"포트", L"COM12"}}}}));
  const DWORD thickness = L'2';
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Dizodudoz\\크기",
                            L"Thickness", REG_DWORD, &thickness, sizeof thickness),
            ERROR_SUCCESS);
  const auto stored = [] {
    return std::pair{e2e::ReadApplication(e2e::kDisplayApp), e2e::ReadApplication(e2e::kCorrectionApp)};
  };
  const auto before = stored();
  ASSERT_TRUE(peer.Open());
  ASSERT_TRUE(app.Start());
  Sleep(1000);  // an error report or a late crash would show by now
  const HWND pop = app.Window(L"frm_Pop"), handle = app.Window(L"frm_Center");
  EXPECT_TRUE(app.Running()) << "exit code " << app.ExitCode().value_or(0);
  EXPECT_EQ(app.VisibleDialogs(), "");
  std::vector<HWND> parts = app.Windows(L"BarWindow");
  parts.push_back(handle);
  ASSERT_EQ(parts.size(), 19u);
  for (HWND w : parts)
    EXPECT_FALSE(e2e::QueryWindow(w).topmost) << "the stored OnTop: " << e2e::Describe(e2e::QueryWindow(w));
  const RECT r = e2e::QueryWindow(handle).rect;
  EXPECT_EQ((std::array{r.left, r.top, r.right, r.bottom}), (std::array{960L, 540L, 963L, 543L}));

  // A second start, with the running copy's handle hidden by something outside it.
  ShowWindow(handle, SW_HIDE);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(handle); }, 3000));
  EXPECT_EQ(e2e::RunAndWait(e2e::AppPath(), L"", 20000), 0u) << "the second start did not end with 0";
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(handle) != FALSE; }, 5000)) << "the handle stays hidden";
  EXPECT_EQ(e2e::WindowsInSession(L"frm_Pop"), 1);
  EXPECT_TRUE(e2e::Screenshot("startup-second-start"));

  // A reader that ends its lines in CR LF, a byte at a time at the wire's pace
  // (about a millisecond a byte at 9600 baud), then a line a write: each reading
  // is answered exactly once, and no LF ends up in front of the next X field.
  for (char byte : std::string(kReading) + "\n") {
    ASSERT_TRUE(peer.Write(std::string(1, byte)));
    Sleep(1);
  }
  EXPECT_EQ(peer.ReadLine(), kReply);
  ASSERT_TRUE(peer.Write(std::string(kOtherReading) + "\n"));
  EXPECT_EQ(peer.ReadLine(), kOtherReply);
  EXPECT_EQ(peer.ReadLine(kQuietMs), "") << "more than one reply to a reading";

  // A pulled adapter: the program closes its port without a word; plugged back
  // and announced, the link answers again.
  peer.Close();
  ASSERT_TRUE(e2e::SetPort("unplug"));
  Sleep(kQuietMs);
  EXPECT_EQ(app.VisibleDialogs(), "");
  ASSERT_TRUE(app.Running());
  ASSERT_TRUE(e2e::SetPort("plug"));
  ASSERT_TRUE(peer.Open());
  e2e::AnnouncePort(pop, L"COM12");
  e2e::ReaderIdleAfterOpen();
  ASSERT_TRUE(peer.Write(kReading));
  EXPECT_EQ(peer.ReadLine(), kReply) << "not reopened";
  EXPECT_EQ(app.VisibleDialogs(), "");

  // Closing the start-up window, as the system does at log-off, closes the port
  // and ends the program without saving.
  PostMessageW(pop, WM_CLOSE, 0, 0);
  EXPECT_TRUE(app.WaitForExit(5000)) << "closing the port hangs";
  EXPECT_TRUE(stored() == before) << "written: " << e2e::Describe(stored().first) << e2e::Describe(stored().second);
}

}  // namespace
