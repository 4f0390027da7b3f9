// The reader link of the real program: readings written on COM3 reach Reticor2.exe
// on COM2 through the pty pair and are answered there, at the wire's pace, through
// noise, a pulled adapter, a switch of the reader mode and the close of the program.
#include "e2e_support.h"  // <windows.h> first

#include "reader/correction_dialog.h"
#include "shell/popup_menu_items.h"

namespace {

using e2e::kReading, e2e::kReply;

const std::string kOtherReading = "  30000,  40000   0\r";
const std::string kOtherReply = "000300,000400,1\r";
constexpr DWORD kQuietMs = 1000;  // how long a line that must stay unanswered is given

class ReaderTest : public e2e::Scenario {
 protected:
  // Writes `line` and returns the reply, or what came within the quiet wait.
  std::string Exchange(std::string_view line, DWORD timeoutMs = 5000) {
    EXPECT_TRUE(peer.Write(line));
    return peer.ReadLine(timeoutMs);
  }
};

TEST_F(ReaderTest, ReadingsAreAnsweredOnceThroughNoiseAPulledPortAModeSwitchAndTheClose) {
  ASSERT_TRUE(peer.Open());
  ASSERT_TRUE(app.Start());
  const HWND pop = app.Window(L"frm_Pop");

  // A reader that ends its lines in CR LF, a byte at a time at the wire's pace
  // (about a millisecond a byte at 9600 baud), then a line a write: each reading is
  // answered exactly once, and no LF ends up in front of the next X field.
  const std::string readings[] = {std::string(kReading) + "\n", kOtherReading + "\n"};
  const std::string replies[] = {std::string(kReply), kOtherReply};
  for (int i = 0; i < 4; ++i) {
    if (i < 3) {
      for (char byte : readings[i % 2]) {
        ASSERT_TRUE(peer.Write(std::string(1, byte)));
        Sleep(1);
      }
    } else {
      ASSERT_TRUE(peer.Write(readings[i % 2]));
    }
    EXPECT_EQ(peer.ReadLine(), replies[i % 2]) << "reading " << i;
  }
  EXPECT_EQ(peer.ReadLine(kQuietMs), "") << "more than one reply to a reading";

  // Noise without a CR ends up in front of the next reading's X field: that one
  // goes unanswered, the link goes on.
  ASSERT_TRUE(peer.Write("#*?"));
  Sleep(100);  // its own receive event
  EXPECT_EQ(Exchange(kReading, kQuietMs), "");
  EXPECT_EQ(Exchange(kReading), kReply);

  // A pulled adapter: the program closes its port without a word; plugged back
  // and announced, the link answers again.
  peer.Close();
  ASSERT_TRUE(e2e::SetCom2("unplug"));
  Sleep(kQuietMs);
  EXPECT_EQ(app.VisibleDialogs(), "");
  ASSERT_TRUE(app.Running());
  ASSERT_TRUE(e2e::SetCom2("plug"));
  ASSERT_TRUE(peer.Open());
  e2e::AnnounceCom2(pop);
  EXPECT_EQ(Exchange(kOtherReading), kOtherReply) << "not reopened";
  EXPECT_EQ(app.VisibleDialogs(), "");

  // The mode button of the correction dialog closes the port ("Wintab 전환"):
  // nothing is answered and nothing shown; pressed again, the link answers.
  ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, rc::shell::kRevision));
  const HWND dialog = app.Dialog(L"기계보정", 5000);
  ASSERT_NE(dialog, nullptr);
  const HWND mode = e2e::Control(dialog, rc::reader::kModeButton);
  ASSERT_TRUE(e2e::ClickCentre(mode));
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::TextOf(mode) == L"Wintab 전환"; }, 3000));
  EXPECT_EQ(Exchange(kReading, kQuietMs), "");
  EXPECT_EQ(app.Dialog(L"Reticor2"), nullptr);
  ASSERT_TRUE(e2e::ClickCentre(mode));
  ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::TextOf(mode) == L"지적통합"; }, 3000));
  EXPECT_EQ(Exchange(kReading), kReply);
  PostMessageW(dialog, WM_CLOSE, 0, 0);

  // Closing the start-up window, as the system does at log-off, releases the port
  // and ends the program without saving.
  PostMessageW(pop, WM_CLOSE, 0, 0);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(pop); }, 5000)) << "closing the port hangs";
  const HANDLE com2 = CreateFileW(L"\\\\.\\COM2", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(com2, INVALID_HANDLE_VALUE) << "COM2 is still held: error " << GetLastError();
  if (com2 != INVALID_HANDLE_VALUE) CloseHandle(com2);
  EXPECT_TRUE(app.WaitForExit(5000)) << "the process outlives its start-up window";
  EXPECT_EQ(e2e::ReadApplication(e2e::kDisplayApp), e2e::Application({{L"폼", e2e::PartFlags()}}));
  EXPECT_TRUE(e2e::ReadApplication(e2e::kCorrectionApp).empty());
}

}  // namespace
