#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/utf8.h"
#include "platform/fake/fake_platform.h"
#include "reader/reader_link.h"

namespace rc::reader {
namespace {

using Lines = std::vector<std::string>;

// The reader's own lines and the replies they must get (CorrectionAngle 0,
// LengthRatio 1); the conversion rules themselves are tabled elsewhere.
const std::string kLineA = "  12345,  23456   0\r";
const std::string kReplyA = "000123,000234,1\r";
const std::string kLineB = "  30000,  40000   0\r";
constexpr std::size_t kNoLimit = static_cast<std::size_t>(-1);

// A link over the fake port, switched on in the mode "지적통합" unless told.
struct Link {
  explicit Link(std::wstring_view mode = settings::kModeReaderLink) { values.ReaderMode = mode; }
  fake::FakeSerialPort& port() { return platform.fake_serial; }
  fake::FakeClock& clock() { return platform.fake_clock; }
  const Lines& shown() { return platform.fake_messages.shown; }
  // Starts the link and lets the reader be idle past the open's guard.
  void Start() {
    link.ConfigureReaderPort();
    clock().Advance(kTailGuardMs);
  }
  std::string Status() { return ToUtf8(link.StatusLine()); }

  fake::FakePlatform platform;
  settings::ProgramSettings values;
  ReaderLink link{platform.serial_port(), platform.clock(), platform.messages(), values};
};

// The reader's line is set up whatever the mode; only the exact reader mode
// opens, the stored port or COM2; a failed open is shown once, naming the port,
// and nothing is answered.
TEST(ReaderLink, StartUpConfiguresTheLineOpensOnlyInTheReaderModeAndNamesAFailedOpen) {
  struct Case {
    std::wstring mode, stored;
    std::uint32_t open_error;
    Lines calls, shown;
    std::wstring opened;
  };
  // clang-format off
  const Case cases[] = {
      {L"지적통합", L"", 0, {"port.configure", "port.open"}, {}, L"COM2"},
      {L"Wintab 전환", L"", 0, {"port.configure"}, {}, L""},
      {L"지적통합 ", L"", 0, {"port.configure"}, {}, L""},  // exact text only
      {L"지적통합", L"", 2, {"port.configure", "port.open"}, {"COM2 포트를 열수가 없습니다."}, L"COM2"},
      {L"지적통합", L"COM12", 2, {"port.configure", "port.open"}, {"COM12 포트를 열수가 없습니다."}, L"COM12"},
  };
  // clang-format on
  for (const Case& c : cases) {
    Link l(c.mode);
    l.values.ReaderPort = c.stored;
    l.port().open_error = c.open_error;
    l.link.ConfigureReaderPort();
    EXPECT_EQ(l.platform.log.With("port."), c.calls);
    EXPECT_EQ(l.shown(), c.shown);
    EXPECT_EQ(l.port().opened_name, c.opened);
    const platform::SerialLineSettings& s = l.port().settings;
    EXPECT_TRUE(s.baud == 9600 && s.parity == 'n' && s.data_bits == 8 && s.stop_bits == 1 && !s.flow_control && s.rts &&
                s.dtr);
    l.clock().Advance(kTailGuardMs);
    l.port().Receive(kLineA);
    EXPECT_EQ(l.port().written.size(), c.calls.size() == 2 && c.open_error == 0 ? 1u : 0u);
  }
}

// A reply that did not wholly leave the port is no answer: the reader's resend is answered.
TEST(ReaderLink, AFailedOrShortWriteLeavesTheLineUnansweredSoTheResendIsAnswered) {
  const std::pair<std::uint32_t, std::size_t> failures[] = {{1117, kNoLimit}, {0, 9}};
  for (const auto& [error, limit] : failures) {
    Link l;
    l.Start();
    l.port().write_error = error;
    l.port().write_limit = limit;
    l.port().Receive(kLineA);
    l.port().write_error = 0;
    l.port().write_limit = kNoLimit;
    l.port().written.clear();
    EXPECT_EQ(l.Status(), "COM2: 열림, 마지막 수신 14:03:21");
    EXPECT_EQ(ToUtf8(l.link.LastReceivedText()),
              "  12345,  23456   0 → 000123,000234,1 보내지 못함 (error " + std::to_string(error) + ")");
    l.port().Receive(kLineA);  // the resend
    l.port().Receive(kLineA);  // now a repeat
    EXPECT_EQ(l.port().written, Lines{kReplyA}) << "limit " << limit;
    EXPECT_EQ(ToUtf8(l.link.LastReceivedText()), "  12345,  23456   0 → 응답 없음: 바로 앞 읽기와 같음");
  }
}

// The reader plugged in after start-up, or again after it was pulled: the link
// opens, without a word, on the arrival of its own port whenever it is switched on.
TEST(ReaderLink, AnArrivalOpensTheReadersPortWhenTheLinkIsSwitchedOn) {
  struct Case {
    const char* what;
    std::wstring mode;
    bool start_fails;
    void (*before)(Link&);
    std::wstring arrived;
    bool opens;
  };
  // clang-format on
  auto nothing = [](Link&) {};
  auto lost = [](Link& l) { l.port().Lose(); };
  // clang-format off
  const Case cases[] = {
      {"missing at start-up", L"지적통합", true, nothing, L"COM2", true},
      {"lost later, name in another case", L"지적통합", false, lost, L"com2", true},
      {"another port arrived", L"지적통합", true, nothing, L"COM3", false},
      {"still open: pulled and back before its loss was reported", L"지적통합", false, nothing, L"COM2", true},
      {"switched off after the loss", L"지적통합", false,
       [](Link& l) { l.port().Lose(), (void)l.link.SwitchPort(false); }, L"COM2", false},
      {"closed at unload", L"지적통합", false, [](Link& l) { l.link.Close(); }, L"COM2", false},
      {"switched on in the dialog after a Wintab start", L"Wintab 전환", false,
       [](Link& l) { (void)l.link.SwitchPort(true), l.port().Lose(); }, L"COM2", true},
  };
  // clang-format on
  for (const Case& c : cases) {
    Link l(c.mode);
    l.port().open_error = c.start_fails ? 2 : 0;
    l.link.ConfigureReaderPort();
    l.port().open_error = 0;
    c.before(l);
    const bool was_open = l.link.IsOpen();
    l.platform.log.Clear();
    l.link.OnPortArrived(c.arrived);
    EXPECT_EQ(!l.platform.log.With("port.open").empty(), c.opens) << c.what;
    EXPECT_EQ(l.link.IsOpen(), c.opens || was_open) << c.what;
    EXPECT_EQ(l.platform.log.With("port.close").size(), was_open && c.opens ? 1u : 0u) << c.what;
    EXPECT_LE(l.shown().size(), 1u) << c.what << ": no second message";
    if (l.link.IsOpen()) {
      l.clock().Advance(kTailGuardMs);
      l.port().Receive(kLineA);
      EXPECT_EQ(l.port().written.back(), kReplyA) << c.what;
    }
  }
}

// A loss reported twice closes once and the half line it cut is gone; a
// reopen that fails stays quiet. A removal of another port leaves the link
// alone; one of the port in use closes it at once and stops any retry.
TEST(ReaderLink, ALossOrARemovalClosesOnceQuietlyAndStopsRetries) {
  Link l;
  l.Start();
  l.link.OnPortRemoved(L"COM3");
  EXPECT_TRUE(l.link.IsOpen());
  l.port().Receive("  12345,");  // half a line when the adapter is pulled
  l.port().Lose();
  l.port().Lose();
  EXPECT_EQ(l.platform.log.With("port.close").size(), 1u);
  l.port().open_error = 2;  // not ready yet: retried, then a later arrival tries again
  l.link.OnPortArrived(L"COM2");
  l.clock().Advance(10'000);
  l.port().open_error = 0;
  l.link.OnPortArrived(L"COM2");
  l.clock().Advance(kTailGuardMs);
  l.port().Receive(kLineA);
  EXPECT_EQ(l.port().written, Lines{kReplyA});
  l.port().open_error = 2;
  l.link.OnPortArrived(L"COM2");  // held open: closed, reopen fails, retries
  EXPECT_TRUE(l.clock().TimerPending(platform::kReaderRetryTimer));
  l.link.OnPortRemoved(L"COM2");
  EXPECT_FALSE(l.link.IsOpen());
  EXPECT_FALSE(l.clock().TimerPending(platform::kReaderRetryTimer));
  EXPECT_TRUE(l.shown().empty());
}

// A port that arrives before its driver is ready is tried again on a fixed
// schedule of about three seconds; no timer is left once it opens or the
// schedule ends. A resume reopens a port that died in the sleep the same way.
TEST(ReaderLink, AnArrivalOrAResumeRetriesTheOpenForAboutThreeSeconds) {
  struct Case {
    const char* what;
    void (*event)(Link&);
    int failing_opens;  // before the port opens
    std::size_t opens;  // attempts after the event
    bool open;
  };
  auto arrive = [](Link& l) { l.link.OnPortArrived(L"COM2"); };
  auto resume = [](Link& l) { l.link.OnSystemResumed(); };
  // clang-format off
  const Case cases[] = {
      {"ready at once", arrive, 0, 1, true},
      {"ready after the second retry", arrive, 2, 3, true},
      {"never ready: every retry, then quiet", arrive, 100, 1 + kReopenRetryMs.size(), false},
      {"resume, the open port died in the sleep", resume, 1, 2, true},
  };
  // clang-format on
  std::uint32_t schedule = 0;
  for (std::uint32_t wait : kReopenRetryMs) schedule += wait;
  EXPECT_GE(schedule, 2500u);
  EXPECT_LE(schedule, 4000u);
  for (const Case& c : cases) {
    Link l;
    l.Start();
    l.port().responds = false;
    if (c.event == arrive) l.port().Lose();
    int failing = c.failing_opens;
    l.port().open_error = failing > 0 ? 2 : 0;
    l.platform.log.Clear();
    c.event(l);
    for (std::uint32_t wait : kReopenRetryMs) {
      if (--failing == 0) l.port().open_error = 0;
      l.clock().Advance(wait);
    }
    l.clock().Advance(60'000);
    EXPECT_EQ(l.platform.log.With("port.open").size(), c.opens) << c.what;
    EXPECT_EQ(l.link.IsOpen(), c.open) << c.what;
    EXPECT_FALSE(l.clock().TimerPending(platform::kReaderRetryTimer)) << c.what;
    EXPECT_TRUE(l.shown().empty()) << c.what;
  }
  // A resume with the port healthy, or switched off, touches nothing.
  for (std::wstring_view mode : {settings::kModeReaderLink, settings::kModeWintab}) {
    Link l(mode);
    l.Start();
    l.platform.log.Clear();
    l.link.OnSystemResumed();
    EXPECT_TRUE(l.platform.log.With("port.").empty());
  }
}

// Events queued by an earlier open still arrive after a close and a reopen;
// they must not touch the new open. A line is answered at its CR with the
// settings of that moment (changed after start, as the dialog does); repeats,
// noise and two lines in one read are the line assembler's and the
// conversion's tables; CR LF lines at the wire's pace are met end to end.
TEST(ReaderLink, EventsOfAnEarlierOpenAreDroppedAndALineTakesTheSettingsOfItsMoment) {
  Link l;
  l.Start();
  const platform::SerialOpen first = l.port().current();
  l.link.OnPortArrived(L"COM2");  // pulled and back before the loss was reported
  l.clock().Advance(kTailGuardMs);
  l.port().LoseFor(first);  // the old open's loss, delivered late
  EXPECT_TRUE(l.link.IsOpen());
  l.port().ReceiveFor(first, "  123");  // the old open's bytes
  l.values.CorrectionAngle = 30;
  for (char byte : kLineB) {
    EXPECT_TRUE(l.port().written.empty());
    l.port().Receive(std::string(1, byte));
  }
  EXPECT_EQ(l.port().written, Lines{"000459,000400,1\r"});
  EXPECT_EQ(l.Status(), "COM2: 열림, 마지막 수신 14:03:21");
}

// The rest of a reading whose beginning came while the port was closed is not
// answered as a reading: "005000,2005000   0" would read 000500 for 010050.
TEST(ReaderLink, TheTailOfAReadingCutByTheOpenIsDroppedAnIdleReaderLosesNothing) {
  const std::string tail = "005000,2005000   0\r";
  const std::int64_t idle = kTailGuardMs;  // the reader sent nothing for this long after the open
  struct Case {
    const char* what;
    std::vector<std::pair<std::int64_t, std::string>> chunks;  // ms after the open, bytes
    Lines replies;
  };
  // clang-format off
  const Case cases[] = {
      {"a tail at the wire's pace", {{3, "005000,"}, {10, "2005000   0\r"}, {idle, kLineA}}, {kReplyA}},
      {"a tail and the next reading in one read", {{5, tail + kLineA}}, {kReplyA}},
      {"the LF of a CR LF line ended before the open", {{1, "\n"}, {idle, kLineA}}, {kReplyA}},
      {"a reading after the reader was idle", {{idle, tail}, {idle, kLineA}}, {"000500,020050,1\r", kReplyA}},
  };
  // clang-format on
  for (const Case& c : cases) {
    for (const std::string how : {"mode switch", "port choice", "arrival"}) {
      Link l(settings::kModeWintab);
      l.link.ConfigureReaderPort();
      (void)l.link.SwitchPort(true);
      if (how == "port choice") {
        l.values.ReaderPort = L"COM5";
        l.link.PortChanged();
      } else if (how == "arrival") {
        l.link.OnPortArrived(L"COM2");
      }
      const std::int64_t opened = l.clock().now_ms;
      for (const auto& [at, bytes] : c.chunks) {
        l.clock().Advance(opened + at - l.clock().now_ms);
        l.port().Receive(bytes);
      }
      EXPECT_EQ(l.port().written, c.replies) << c.what << ", " << how;
    }
  }
}

// The state line, as the dialog and the icon's tip show it, for every state.
TEST(ReaderLink, TheStateLineSaysWhatTheLinkIsDoing) {
  struct Case {
    const char* what;
    std::wstring mode;
    platform::Error open_failure;
    std::uint32_t code;
    void (*after)(Link&);
    std::string status;
  };
  auto nothing = [](Link&) {};
  // clang-format off
  const Case cases[] = {
      {"open", L"지적통합", platform::Error::None, 0, nothing, "COM2: 열림, 수신 대기 중"},
      {"a line arrived", L"지적통합", platform::Error::None, 0,
       [](Link& l) { l.clock().Advance(kTailGuardMs), l.port().Receive("garbage\r"); },
       "COM2: 열림, 마지막 수신 14:03:21"},
      {"missing", L"지적통합", platform::Error::PortMissing, 2, nothing, "COM2: 없음 (꽂으면 자동으로 엽니다)"},
      {"held by another program", L"지적통합", platform::Error::PortBusy, 5, nothing, "COM2: 다른 프로그램이 사용 중"},
      {"any other failure", L"지적통합", platform::Error::Other, 31, nothing, "COM2: 열 수 없음 (error 31)"},
      {"lost", L"지적통합", platform::Error::None, 0, [](Link& l) { l.port().Lose(); },
       "COM2: 없음 (꽂으면 자동으로 엽니다)"},
      {"removed", L"지적통합", platform::Error::None, 0, [](Link& l) { l.link.OnPortRemoved(L"com2"); },
       "COM2: 없음 (꽂으면 자동으로 엽니다)"},
      {"switched off", L"Wintab 전환", platform::Error::None, 0, nothing, "COM2: 닫힘 (Wintab 전환)"},
      {"switched off after a failure", L"지적통합", platform::Error::PortBusy, 5,
       [](Link& l) { (void)l.link.SwitchPort(false); }, "COM2: 닫힘 (Wintab 전환)"},
      {"another port in use", L"지적통합", platform::Error::None, 0,
       [](Link& l) { l.values.ReaderPort = L"COM12", l.link.PortChanged(); }, "COM12: 열림, 수신 대기 중"},
  };
  // clang-format on
  for (const Case& c : cases) {
    Link l(c.mode);
    l.port().open_error = c.code;
    l.port().open_failure = c.open_failure;
    l.link.ConfigureReaderPort();
    l.port().open_error = 0;
    c.after(l);
    EXPECT_EQ(l.Status(), c.status) << c.what;
  }
}

TEST(ReaderLink, TheModeSwitchOpensAndClosesAndClosingAClosedPortSucceeds) {
  Link l(settings::kModeWintab);
  l.Start();
  EXPECT_TRUE(l.link.SwitchPort(false).ok());  // nothing to close
  EXPECT_TRUE(l.link.SwitchPort(true).ok());
  EXPECT_EQ(l.link.SwitchPort(true).error, platform::Error::PortBusy);
  EXPECT_EQ(ToUtf8(l.link.StatusLine()), "COM2: 열림, 수신 대기 중") << "an open asked of an open port changes nothing";
  l.port().close_error = 31;
  EXPECT_FALSE(l.link.SwitchPort(false).ok());
  EXPECT_TRUE(l.link.IsOpen()) << "a failed close leaves the link on";
  l.port().close_error = 0;
  EXPECT_TRUE(l.link.SwitchPort(false).ok());
  l.port().open_error = 2;
  EXPECT_EQ(l.link.SwitchPort(true).system_code, 2u);
  EXPECT_TRUE(l.shown().empty()) << "the dialog owns the message";
}

}  // namespace
}  // namespace rc::reader
