// The reader link of the real program: readings written on COM3 reach Reticor2.exe
// on COM2 (or COM12, the same pty end) through the pty pair and are answered there,
// at the wire's pace, through noise, a pulled adapter, a switch of the reader mode
// and the close of the program; start-up against a store it did not write and a
// second start; the port chooser of the correction dialog.
#include "e2e_support.h"  // <windows.h> first

#include <algorithm>

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
  // A byte at a time at the wire's pace, about a millisecond a byte at 9600 baud.
  e2e::Result WriteAtWirePace(std::string_view bytes) {
    for (char byte : bytes) {
      if (e2e::Result sent = peer.Write(std::string(1, byte)); !sent) return sent;
      Sleep(1);
    }
    return testing::AssertionSuccess();
  }
};

// A store the program did not write: values that do not convert (one of 100 K
// characters among them) stop nothing and are left as they are, the stored port
// above COM9 is used, and a second start only shows the running copy's handle.
// Then the link on that port (the same pty end as COM2): readings are answered once
// through CR LF line ends, noise and a pulled adapter, and the close at log-off
// releases the port and writes nothing.
TEST_F(ReaderTest, AStoreItDidNotWriteASecondStartAndReadingsThroughNoiseAPulledPortAndTheClose) {
  const e2e::Application display{
      {L"선택사항", {{L"색상", L"maybe"}, {L"항상위", L"False"}}},
      {L"크기", {{L"Length", L"350"}, {L"Thickness", L"abc"}, {L"Gap", L"99999"}}},
      {L"위치", {{L"XPosition", std::wstring(100 * 1024, L'7')}, {L"YPosition", L"-40000.5e3"}, {L"고정", L"네"}}},
      {L"폼", {{L"0", L"1"}, {L"1", L"yes"}, {L"2", L""}, {L"3", L"1e999"}, {L"5", L"-1"}}},
  };
  // An angle that does not convert, an empty mode (the default, in memory only), a port above COM9.
  const e2e::Application correction{
      {L"각도", {{L"각도", L"1,5도"}}}, {L"모드", {{L"모드", L""}}}, {L"포트", {{L"포트", L"COM12"}}}};
  ASSERT_TRUE(e2e::SaveApplication(e2e::kDisplayApp, display));
  ASSERT_TRUE(e2e::SaveApplication(e2e::kCorrectionApp, correction));
  const auto unchanged = [&] {
    return e2e::ReadApplication(e2e::kDisplayApp) == display && e2e::ReadApplication(e2e::kCorrectionApp) == correction;
  };
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

  // A second start, with the running copy's handle hidden by something outside it.
  ShowWindow(handle, SW_HIDE);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(handle); }, 3000));
  EXPECT_EQ(e2e::RunAndWait(e2e::AppPath(), L"", 20000), 0u) << "the second start did not end with 0";
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(handle) != FALSE; }, 5000)) << "the handle stays hidden";
  EXPECT_EQ(e2e::WindowsInSession(L"frm_Pop"), 1);
  EXPECT_EQ(app.VisibleDialogs(), "");  // the second copy never reached the port
  // Neither start wrote anything (start-up may still be writing: waited for).
  EXPECT_TRUE(e2e::WaitUntil(unchanged, 5000)) << e2e::Describe(e2e::ReadApplication(e2e::kDisplayApp))
                                               << e2e::Describe(e2e::ReadApplication(e2e::kCorrectionApp));
  EXPECT_TRUE(e2e::Screenshot("startup-second-start"));

  // A reader that ends its lines in CR LF, a byte at a time at the wire's pace, then
  // a line a write: each reading is answered exactly once, and no LF ends up in
  // front of the next X field.
  const std::string readings[] = {std::string(kReading) + "\n", kOtherReading + "\n"};
  const std::string replies[] = {std::string(kReply), kOtherReply};
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(i < 3 ? WriteAtWirePace(readings[i % 2]) : peer.Write(readings[i % 2]));
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
  ASSERT_TRUE(e2e::SetPort("com2", "unplug"));
  Sleep(kQuietMs);
  EXPECT_EQ(app.VisibleDialogs(), "");
  ASSERT_TRUE(app.Running());
  ASSERT_TRUE(e2e::SetPort("com2", "plug"));
  ASSERT_TRUE(peer.Open());
  e2e::AnnouncePort(pop, L"COM12");
  e2e::ReaderIdleAfterOpen();
  EXPECT_EQ(Exchange(kOtherReading), kOtherReply) << "not reopened";
  EXPECT_EQ(app.VisibleDialogs(), "");

  // Closing the start-up window, as the system does at log-off, releases the port
  // and ends the program without saving.
  PostMessageW(pop, WM_CLOSE, 0, 0);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(pop); }, 5000)) << "closing the port hangs";
  const HANDLE port = CreateFileW(L"\\\\.\\COM12", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(port, INVALID_HANDLE_VALUE) << "COM12 is still held: error " << GetLastError();
  if (port != INVALID_HANDLE_VALUE) CloseHandle(port);
  EXPECT_TRUE(app.WaitForExit(5000)) << "the process outlives its start-up window";
  EXPECT_TRUE(unchanged()) << "the close wrote " << e2e::Describe(e2e::ReadApplication(e2e::kDisplayApp));
}

using rc::reader::kModeButton, rc::reader::kPortList, rc::reader::kReceivedBox, rc::reader::kStatusLine;

// A surveyor whose reader hangs on a USB adapter (COM5; COM2 is not there) is told
// so at start-up, in a message the whole program waits behind; sets the port up from
// the dialog with the keyboard alone, sees the link's state and the last line, pulls
// and replugs the adapter, and finds it all again after a restart.
TEST_F(ReaderTest, APortChosenInTheDialogIsUsedWatchedAndKept) {
  ASSERT_TRUE(e2e::SetPort("com2", "missing"));
  ASSERT_TRUE(app.Start());
  const HWND pop = app.Window(L"frm_Pop"), handle = app.Window(L"frm_Center");
  const HWND box = app.Dialog(L"Reticor2", 10000);
  ASSERT_NE(box, nullptr) << "no message about COM2";
  EXPECT_EQ(e2e::TextOf(GetDlgItem(box, 0xFFFF)), L"COM2 포트를 열수가 없습니다.");
  EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
  // Behind it the handle refuses a drag and the tray opens no menu; after OK the handle drags.
  EXPECT_FALSE(IsWindowEnabled(handle));
  const RECT start = e2e::QueryWindow(handle).rect;
  ASSERT_TRUE(e2e::Drag({start.left + 1, start.top + 1}, {start.left - 199, start.top + 101}, 25));
  ASSERT_TRUE(e2e::PostTrayNotice(app, WM_RBUTTONUP, {300, 200}));
  ASSERT_TRUE(e2e::PostTrayNotice(app, WM_CONTEXTMENU, {300, 200}));
  Sleep(500);
  const RECT held = e2e::QueryWindow(handle).rect;
  EXPECT_TRUE(EqualRect(&start, &held)) << "the handle moved behind the message";
  EXPECT_EQ(app.Menu(), nullptr) << "the tray menu opened";
  EXPECT_TRUE(e2e::Screenshot("cross-drag-refused-behind-port-message"));
  ASSERT_TRUE(e2e::ClickCentre(GetDlgItem(box, IDOK)));
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(box); }, 5000));
  Sleep(1000);
  EXPECT_EQ(app.VisibleDialogs(), "") << "a second message";
  ASSERT_TRUE(e2e::Drag({start.left + 1, start.top + 1}, {start.left - 199, start.top + 101}, 25));
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::QueryWindow(handle).rect.left == start.left - 200; }, 3000))
      << "the handle does not drag after the message";

  ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, rc::shell::kRevision, true));
  const HWND dialog = app.Dialog(L"기계보정", 5000);
  ASSERT_NE(dialog, nullptr) << "the menu keys did not open 기계보정";
  const HWND list = e2e::Control(dialog, kPortList), status = e2e::Control(dialog, kStatusLine),
             received = e2e::Control(dialog, kReceivedBox);
  auto status_is = [&](const std::wstring& text) {
    return e2e::WaitUntil([&] { return e2e::TextOf(status) == text; }, 5000);
  };
  // The system's other ports (COM1 under Wine) around them.
  std::vector<std::wstring> ports;
  for (LRESULT i = 0, count = SendMessageW(list, CB_GETCOUNT, 0, 0); i < count; ++i) {
    wchar_t text[256] = {};  // port names are short
    SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    ports.emplace_back(text);
  }
  const std::vector<std::wstring> ours{L"COM2 (없음)", L"COM5", L"COM7"};
  EXPECT_FALSE(std::ranges::search(ports, ours).empty()) << testing::PrintToString(ports);
  EXPECT_EQ(e2e::TextOf(list), L"COM2 (없음)");  // the selected entry
  EXPECT_TRUE(status_is(L"COM2: 없음 (꽂으면 자동으로 엽니다)"));
  EXPECT_TRUE(e2e::Screenshot("dialog-correction-ports"));

  // Tab to the list (the fifth stop), Down to the next entry, COM5: used at once.
  POINT corner{3, 3};
  ClientToScreen(dialog, &corner);
  ASSERT_TRUE(e2e::Click(corner.x, corner.y));
  ASSERT_TRUE(e2e::Key("Tab Tab Tab Tab Down"));
  EXPECT_TRUE(status_is(L"COM5: 열림, 수신 대기 중")) << e2e::Utf8(e2e::TextOf(status));
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::GetSetting(e2e::kCorrectionApp, L"포트", L"포트") == L"COM5"; }, 3000));
  ASSERT_TRUE(peer.Open(L"COM6"));
  e2e::ReaderIdleAfterOpen();
  EXPECT_EQ(Exchange(kReading), kReply);
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::TextOf(status).starts_with(L"COM5: 열림, 마지막 수신 "); }, 3000));
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::TextOf(received) == L"  12345,  23456   0 → 000123,000234,1"; }, 3000));
  EXPECT_EQ(Exchange("  12345,  23456   5\r", kQuietMs), "");
  EXPECT_TRUE(e2e::WaitUntil(
      [&] { return e2e::TextOf(received) == L"  12345,  23456   5 → 응답 없음: 상태 문자가 0 또는 3이 아님"; }, 3000));
  EXPECT_TRUE(e2e::Screenshot("dialog-correction-received"));

  // The adapter pulled: the removal closes the port at once. Plugged back, the
  // arrival comes before the port can be opened; half a second later it can.
  peer.Close();
  ASSERT_TRUE(e2e::SetPort("com5", "unplug"));
  e2e::AnnouncePort(pop, L"COM5", false);
  EXPECT_TRUE(status_is(L"COM5: 없음 (꽂으면 자동으로 엽니다)"));
  e2e::AnnouncePort(pop, L"COM5", true);
  Sleep(500);
  ASSERT_TRUE(e2e::SetPort("com5", "plug"));
  EXPECT_TRUE(status_is(L"COM5: 열림, 수신 대기 중")) << "not reopened by the retries";
  ASSERT_TRUE(peer.Open(L"COM6"));
  e2e::ReaderIdleAfterOpen();
  EXPECT_EQ(Exchange(kOtherReading), kOtherReply);

  // A reading cut by the mode button ("Wintab 전환" closes the port, without a
  // word): its first byte goes while the port is closed, its rest at the wire's
  // pace right after the reopen. The rest is no reading; the reader's resend is answered.
  const std::string cut = "1005000,2005000   0\r";
  const HWND mode = e2e::Control(dialog, kModeButton);
  ASSERT_TRUE(e2e::ClickCentre(mode));
  EXPECT_TRUE(status_is(L"COM5: 닫힘 (Wintab 전환)"));
  EXPECT_EQ(e2e::TextOf(mode), L"Wintab 전환");
  ASSERT_TRUE(peer.Write(cut.substr(0, 1)));
  Sleep(100);
  EXPECT_EQ(app.Dialog(L"Reticor2"), nullptr);
  ASSERT_TRUE(e2e::ClickCentre(mode));
  ASSERT_TRUE(status_is(L"COM5: 열림, 수신 대기 중"));
  ASSERT_TRUE(WriteAtWirePace(cut.substr(1)));
  EXPECT_EQ(peer.ReadLine(kQuietMs), "") << "the tail of a reading was answered";
  EXPECT_EQ(Exchange(cut), "010050,020050,1\r");
  ASSERT_TRUE(e2e::ClickCentre(mode));
  EXPECT_TRUE(status_is(L"COM5: 닫힘 (Wintab 전환)"));

  // 종료, and a new start: no message, COM5 in use, a reading answered.
  ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, rc::shell::kFinish));
  ASSERT_TRUE(app.WaitForExit(5000));
  app.Terminate();
  ASSERT_TRUE(app.Start());
  Sleep(1000);
  EXPECT_EQ(app.VisibleDialogs(), "");
  e2e::ReaderIdleAfterOpen();
  EXPECT_EQ(Exchange(kReading), kReply) << "COM5 not in use after the restart";
}

}  // namespace
