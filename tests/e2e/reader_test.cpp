// The reader link of the real program: readings sent on COM3 reach Reticor2.exe on
// COM2 through the pseudo-terminal pair and are answered there, with the correction
// settings stored in the registry before start.
#include <ostream>
#include <string>
#include <vector>

#include "e2e_support.h"

#include <dbt.h>  // after <windows.h>

namespace {

using e2e::kCorrectionApp;

constexpr DWORD kReplyWaitMs = 5000;
// How long a line that must stay unanswered is given before the next one goes out.
constexpr DWORD kQuietWaitMs = 1000;

const std::string kLine1 = "  12345,  23456   0\r";
const std::string kReply1 = "000123,000234,1\r";
const std::string kLine3 = "  30000,  40000   0\r";

struct Stored {
  const wchar_t* angle;  // nullptr: not stored
  const wchar_t* ratio;
  const wchar_t* mode = nullptr;
  const wchar_t* port = nullptr;
};

class ReaderTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(e2e::ResetSettings()); }
  void TearDown() override {
    app.Terminate();
    peer.Close();
    EXPECT_TRUE(e2e::SetCom2Present(true));
    EXPECT_TRUE(e2e::ResetSettings());
  }

  void Start(const Stored& stored) {
    if (stored.angle) {
      ASSERT_TRUE(e2e::SaveSetting(kCorrectionApp, L"각도", L"각도", stored.angle));
    }
    if (stored.ratio) {
      ASSERT_TRUE(e2e::SaveSetting(kCorrectionApp, L"길이비율", L"길이비율", stored.ratio));
    }
    if (stored.mode) {
      ASSERT_TRUE(e2e::SaveSetting(kCorrectionApp, L"모드", L"모드", stored.mode));
    }
    if (stored.port) {
      ASSERT_TRUE(e2e::SaveSetting(kCorrectionApp, L"포트", L"포트", stored.port));
    }
    ASSERT_TRUE(peer.Open());
    ASSERT_TRUE(app.Start());
  }

  // The program's one message box, once it is up.
  HWND WaitForMessageBox() {
    HWND box = nullptr;
    e2e::WaitUntil(
        [&] {
          std::vector<HWND> dialogs = app.Windows(L"#32770");
          box = dialogs.empty() ? nullptr : dialogs.front();
          return box != nullptr;
        },
        kReplyWaitMs);
    return box;
  }

  // OK on the box: it goes, and no second one follows.
  void Acknowledge(HWND box) {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(e2e::WaitUntil([&] { return app.Windows(L"#32770").empty(); }, kReplyWaitMs));
    Sleep(kQuietWaitMs);
    EXPECT_TRUE(app.Windows(L"#32770").empty()) << "a second message box";
  }

  // Sends one line and returns what comes back: a reply up to its CR, or nothing
  // within the quiet wait when `answered` is false. One line at a time, so that
  // each line is its own receive event (of two lines in one event only the first
  // is converted).
  std::string Exchange(const std::string& line, bool answered = true) {
    EXPECT_TRUE(peer.Write(line));
    return answered ? peer.ReadUntil('\r', kReplyWaitMs) : peer.Read(64, kQuietWaitMs);
  }

  void ExpectNoMessageBox() {
    for (const e2e::WindowState& dialog : app.Dialogs())
      ADD_FAILURE() << "the program shows a dialog: " << e2e::Describe(dialog);
  }

  e2e::App app;
  e2e::SerialPeer peer;
};

// The texts of a dialog's static controls (a message box's text is one of them).
std::vector<std::wstring> StaticTexts(HWND dialog) {
  std::vector<std::wstring> texts;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t class_name[64] = {};
    GetClassNameW(child, class_name, 64);
    if (lstrcmpiW(class_name, L"Static") != 0) continue;
    wchar_t text[256] = {};
    GetWindowTextW(child, text, 256);
    if (text[0] != L'\0') texts.emplace_back(text);
  }
  return texts;
}

struct Step {
  std::string line;
  std::string reply;  // empty: none
};
struct WorkedExample {
  const char* name;
  Stored stored;
  std::vector<Step> steps;
};
void PrintTo(const WorkedExample& example, std::ostream* out) { *out << example.name; }

// After a line that gets no reply, a valid one shows that the link goes on.
const WorkedExample kWorkedExamples[] = {
    {"Plain", {L" 0", L"0,0"}, {{kLine1, kReply1}}},
    {"LengthRatio", {L" 0", L"2,0.5"}, {{"  50000,  12346   3\r", "001000,000061,8\r"}}},
    {"Correction30", {L" 30", L"0,0"}, {{kLine3, "000459,000400,1\r"}}},
    {"CorrectionMinus60ClampedNoRatio", {L"-60", L""}, {{kLine3, "000000,000400,1\r"}}},
    {"RepeatOfTheLastLine", {L" 0", L"0,0"}, {{kLine1, kReply1}, {kLine1, ""}, {kLine3, "000300,000400,1\r"}}},
    {"StatusFive", {L" 0", L"0,0"}, {{"  12345,  23456   5\r", ""}, {kLine1, kReply1}}},
    {"ShortLine", {L" 0", L"0,0"}, {{"12345,234560\r", ""}, {kLine1, kReply1}}},
};

class WorkedExampleTest : public ReaderTest, public testing::WithParamInterface<WorkedExample> {};

TEST_P(WorkedExampleTest, IsAnsweredExactly) {
  Start(GetParam().stored);
  for (const Step& step : GetParam().steps)
    EXPECT_EQ(Exchange(step.line, !step.reply.empty()), step.reply) << "for " << step.line;
  ExpectNoMessageBox();
}

INSTANTIATE_TEST_SUITE_P(Reader, WorkedExampleTest, testing::ValuesIn(kWorkedExamples),
                         [](const testing::TestParamInfo<WorkedExample>& info) { return info.param.name; });

// A reader that ends its lines with CR LF, at the wire's pace (about a
// millisecond a byte at 9600 baud), then a line at a time in one write: every
// reading is answered exactly, none takes the LF into its X field.
TEST_F(ReaderTest, ReadingsEndingInCrLfAreEachAnsweredExactly) {
  Start({nullptr, nullptr});
  const std::string lines[] = {kLine1, kLine3, kLine1};
  const std::string replies[] = {kReply1, "000300,000400,1\r", kReply1};
  for (int i = 0; i < 3; ++i) {
    for (char byte : lines[i] + "\n") {
      ASSERT_TRUE(peer.Write(std::string(1, byte)));
      Sleep(1);
    }
    EXPECT_EQ(peer.ReadUntil('\r', kReplyWaitMs), replies[i]) << "reading " << i << " byte by byte";
  }
  for (int i = 1; i < 3; ++i) EXPECT_EQ(Exchange(lines[i] + "\n"), replies[i]) << "reading " << i << " in one write";
  EXPECT_EQ(peer.Read(64, kQuietWaitMs), "") << "more than one reply a reading";
}

TEST_F(ReaderTest, NoiseWithoutCrDropsTheReadingItPrecedesAndTheLinkGoesOn) {
  Start({nullptr, nullptr});
  ASSERT_TRUE(peer.Write("#*?"));
  Sleep(100);  // its own receive event
  // "#*?" ends up in front of the X field: no number there, no reply.
  EXPECT_EQ(Exchange(kLine1, false), "");
  EXPECT_EQ(Exchange(kLine1), kReply1);
}

TEST_F(ReaderTest, InTheWintabModeNothingIsAnsweredAndNothingShown) {
  Start({nullptr, nullptr, L"Wintab 전환"});
  EXPECT_EQ(Exchange(kLine1, false), "");
  ExpectNoMessageBox();
  EXPECT_TRUE(app.Running());
}

TEST_F(ReaderTest, ClosingTheStartUpWindowReleasesThePortAndEndsTheProgram) {
  Start({nullptr, nullptr});
  ASSERT_EQ(Exchange(kLine1), kReply1);  // open, its I/O thread waiting for input
  HWND pop = app.Window(L"frm_Pop");
  ASSERT_NE(pop, nullptr);
  // The unload closes the port; then the message loop ends and frm_Pop goes.
  PostMessageW(pop, WM_CLOSE, 0, 0);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(pop); }, kReplyWaitMs)) << "closing the port hangs";
  HANDLE com2 = CreateFileW(L"\\\\.\\COM2", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(com2, INVALID_HANDLE_VALUE) << "COM2 is still held: error " << GetLastError();
  if (com2 != INVALID_HANDLE_VALUE) CloseHandle(com2);
  EXPECT_TRUE(app.WaitForExit(kReplyWaitMs)) << "the process outlives its start-up window";
}

// Under Wine nothing broadcasts a port's arrival, so the test sends the message
// the system would send to top-level windows.
void AnnounceCom2(HWND window) {
  // The record ends in the name, longer than the one character the struct declares.
  alignas(DEV_BROADCAST_PORT_W) BYTE record[sizeof(DEV_BROADCAST_PORT_W) + 16 * sizeof(WCHAR)] = {};
  auto* port = reinterpret_cast<DEV_BROADCAST_PORT_W*>(record);
  port->dbcp_size = sizeof record;
  port->dbcp_devicetype = DBT_DEVTYP_PORT;
  lstrcpyW(port->dbcp_name, L"COM2");
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(record), SMTO_ABORTIFHUNG,
                      kReplyWaitMs, &result);
}

TEST_F(ReaderTest, APulledPortIsClosedQuietlyAndReopenedWhenCom2Arrives) {
  Start({nullptr, nullptr});
  ASSERT_EQ(Exchange(kLine1), kReply1);
  peer.Close();
  ASSERT_TRUE(e2e::SetCom2Plugged(false));
  Sleep(kQuietWaitMs);  // the program notices the loss and closes its port
  ExpectNoMessageBox();
  ASSERT_TRUE(app.Running());

  ASSERT_TRUE(e2e::SetCom2Plugged(true));
  ASSERT_TRUE(peer.Open());
  AnnounceCom2(app.Window(L"frm_Pop"));
  EXPECT_EQ(Exchange(kLine3), "000300,000400,1\r") << "not reopened";
  ExpectNoMessageBox();
}

// COM2 missing at start-up: one message, the cross stays up, and plugging the
// reader in later opens the link without a word.
TEST_F(ReaderTest, AMissingCom2IsReportedOnceAndOpenedWhenItArrives) {
  ASSERT_TRUE(e2e::SetCom2Present(false));
  ASSERT_TRUE(app.Start());
  HWND box = WaitForMessageBox();
  ASSERT_NE(box, nullptr) << "no message box";
  const e2e::WindowState state = e2e::QueryWindow(box);
  EXPECT_EQ(e2e::Utf8(state.caption), "Reticor2");
  EXPECT_EQ(StaticTexts(box), std::vector<std::wstring>{L"COM2 포트를 열수가 없습니다."});
  EXPECT_TRUE(state.visible);
  HWND centre = app.Window(L"frm_Center");
  ASSERT_NE(centre, nullptr);
  EXPECT_TRUE(e2e::QueryWindow(centre).visible);
  EXPECT_EQ(app.Windows(L"BarWindow").size(), 18u);
  EXPECT_TRUE(e2e::Screenshot("reader-com2-missing"));
  Acknowledge(box);
  EXPECT_TRUE(app.Running());
  EXPECT_TRUE(e2e::QueryWindow(centre).visible);

  ASSERT_TRUE(e2e::SetCom2Present(true));
  ASSERT_TRUE(peer.Open());
  AnnounceCom2(app.Window(L"frm_Pop"));
  EXPECT_EQ(Exchange(kLine1), kReply1) << "not opened on the port's arrival";
  ExpectNoMessageBox();
}

// A port named in the store, above COM9: the message names it when it is
// missing, and the link runs on it when it is there.
TEST_F(ReaderTest, AStoredPortAboveCom9IsNamedWhenMissingAndUsedWhenThere) {
  ASSERT_TRUE(e2e::SaveSetting(kCorrectionApp, L"포트", L"포트", L"COM13"));
  ASSERT_TRUE(app.Start());
  HWND box = WaitForMessageBox();
  ASSERT_NE(box, nullptr) << "no message box";
  EXPECT_EQ(StaticTexts(box), std::vector<std::wstring>{L"COM13 포트를 열수가 없습니다."});
  Acknowledge(box);
  app.Terminate();

  Start({nullptr, nullptr, nullptr, L"COM12"});
  EXPECT_EQ(Exchange(kLine1), kReply1) << "COM12 is not the port the link uses";
  ExpectNoMessageBox();
}

}  // namespace
