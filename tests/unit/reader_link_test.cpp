// The reader link over the fake port and clock: opening and its messages, the
// state line, replies that go out on the port's own time, ports that come and
// go, the retries, and events of an earlier open.
#include <gtest/gtest.h>

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
const std::string kReplyB = "000300,000400,1\r";

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
  std::string Received() { return ToUtf8(link.LastReceivedText()); }

  fake::FakePlatform platform;
  settings::ProgramSettings values;
  ReaderLink link{platform.serial_port(), platform.clock(), platform.messages(), values};
};

auto nothing = [](Link&) {};

// Start-up sets the reader's line up whatever the mode; only the exact reader
// mode opens, the stored port or COM2; a failed open is shown once, naming the
// port, also when the open finishes later (Pending: the port's thread opens);
// an open given up meanwhile is dropped; the state line tells every state, as
// the dialog and the icon's tip show it.
TEST(ReaderLink, StartUpOpensOnlyInTheReaderModeAndTheStateLineSaysHowItWent) {
  constexpr platform::Error Pending = platform::Error::Pending;
  struct Case {
    std::wstring mode, stored;
    platform::Error failure;
    std::uint32_t code;
    void (*after)(Link&);
    Lines shown;
    std::string status;
  };
  // clang-format off
  const Case cases[] = {
      {L"지적통합", L"", platform::Error::None, 0, nothing, {}, "COM2: 열림, 수신 대기 중"},
      {L"Wintab 전환", L"", platform::Error::None, 0, nothing, {}, "COM2: 닫힘 (Wintab 전환)"},
      {L"지적통합 ", L"", platform::Error::None, 0, nothing, {}, "COM2: 닫힘 (Wintab 전환)"},  // exact text only
      {L"지적통합", L"COM12", platform::Error::PortMissing, 2, nothing, {"COM12 포트를 열수가 없습니다."},
       "COM12: 없음 (꽂으면 자동으로 엽니다)"},
      {L"지적통합", L"", platform::Error::Busy, 5, nothing, {"COM2 포트를 열수가 없습니다."},
       "COM2: 다른 프로그램이 사용 중"},
      {L"지적통합", L"", platform::Error::Other, 31, nothing, {"COM2 포트를 열수가 없습니다."},
       "COM2: 열 수 없음 (error 31)"},
      {L"지적통합", L"", platform::Error::None, 0,
       [](Link& l) { l.clock().Advance(kTailGuardMs), l.port().Receive("garbage\r"); }, {},
       "COM2: 열림, 마지막 수신 14:03:21"},
      {L"지적통합", L"", platform::Error::Busy, 5, [](Link& l) { (void)l.link.SwitchPort(false); },
       {"COM2 포트를 열수가 없습니다."}, "COM2: 닫힘 (Wintab 전환)"},
      {L"지적통합", L"", platform::Error::Busy, 5, [](Link& l) { (void)l.link.SwitchPort(true); EXPECT_FALSE(l.clock().TimerPending(platform::kReaderRetryTimer)); },
       {"COM2 포트를 열수가 없습니다."}, "COM2: 열림, 수신 대기 중"},
      // The mode button: an open asked of the open port fails and changes nothing,
      // a failed close leaves the link on.
      {L"지적통합", L"", platform::Error::None, 0,
       [](Link& l) { EXPECT_EQ(l.link.SwitchPort(true).error, platform::Error::Busy); }, {}, "COM2: 열림, 수신 대기 중"},
      {L"지적통합", L"", platform::Error::None, 0,
       [](Link& l) { l.port().close_error = 31; EXPECT_FALSE(l.link.SwitchPort(false).ok()); }, {},
       "COM2: 열림, 수신 대기 중"},
      {L"지적통합", L"", Pending, 0, [](Link& l) { l.port().Receive(kLineA); EXPECT_TRUE(l.port().written.empty()); },
       {}, "COM2: 여는 중"},
      {L"지적통합", L"", Pending, 0, [](Link& l) { l.port().FinishOpen(); }, {}, "COM2: 열림, 수신 대기 중"},
      {L"지적통합", L"", Pending, 0, [](Link& l) {
         l.port().open_error = 121, l.port().open_failure = platform::Error::Unreachable, l.port().FinishOpen();
         EXPECT_TRUE(l.clock().TimerPending(platform::kReaderRetryTimer)) << "tried again in 5 s"; },
       {"COM2 포트를 열수가 없습니다."}, "COM2: 응답 없음 (자동으로 다시 시도합니다)"},
      {L"지적통합", L"", Pending, 0, [](Link& l) {  // a resume changes nothing; given up: its outcome dropped
         l.link.OnSystemResumed(); EXPECT_EQ(l.link.SwitchPort(true).error, platform::Error::Busy);
         EXPECT_TRUE(l.link.SwitchPort(false).ok()); l.port().FinishOpen(); EXPECT_EQ(l.platform.log.With("port.close").size(), 1u); },
       {}, "COM2: 닫힘 (Wintab 전환)"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    Link l(c.mode);
    l.values.ReaderPort = c.stored;
    l.port().open_error = c.code;
    l.port().open_failure = c.failure;
    l.port().pending_opens = c.failure == Pending;
    l.link.ConfigureReaderPort();
    l.port().open_error = 0;
    c.after(l);
    EXPECT_EQ(l.shown(), c.shown);
    EXPECT_EQ(l.Status(), c.status);
    EXPECT_EQ(l.link.IsOpen(), c.status.find("열림") != std::string::npos);
    const platform::SerialLineSettings& s = l.port().settings;
    EXPECT_TRUE(s.baud == 9600 && s.parity == 'n' && s.data_bits == 8 && s.stop_bits == 1 && !s.flow_control && s.rts &&
                s.dtr);
  }
}

// A reply goes out on the port's own time: the line counts as answered only
// once all of it has left, so after a failed or short write the reader's
// resend is answered; lines that come while a reply is going out are judged,
// in order, after it (the same line again is then a repeat). The outcome of a
// write of an earlier open is not this open's.
TEST(ReaderLink, AReplyCountsOnlyOnceItHasLeftAndLinesWaitForIt) {
  Link l;
  l.Start();
  l.port().hold_writes = true;  // a slow driver
  l.port().Receive(kLineA);
  l.port().Receive(kLineB);
  l.port().Receive(kLineB);
  EXPECT_EQ(l.port().written, Lines{kReplyA}) << "one write at a time";
  EXPECT_EQ(l.Received(), "") << "nothing told before it has left";
  l.port().hold_writes = false;
  l.port().FinishWrites();
  EXPECT_EQ(l.port().written, (Lines{kReplyA, kReplyB}));
  EXPECT_EQ(l.Received(), "  30000,  40000   0 → 응답 없음: 바로 앞 읽기와 같음");

  struct Failure {
    std::uint32_t error;
    std::size_t limit;
    const std::string &line, &reply;
    std::string received;
  };
  const Failure failures[] = {
      {1117, static_cast<std::size_t>(-1), kLineA, kReplyA,
       "  12345,  23456   0 → 000123,000234,1 보내지 못함 (error 1117)"},
      {0, 9, kLineB, kReplyB, "  30000,  40000   0 → 000300,000400,1 보내지 못함 (error 0)"},  // short
  };
  for (const Failure& f : failures) {
    l.port().write_error = f.error;
    l.port().write_limit = f.limit;
    l.port().Receive(f.line);
    EXPECT_EQ(l.Received(), f.received);
    l.port().write_error = 0;
    l.port().write_limit = static_cast<std::size_t>(-1);
    l.port().Receive(f.line);  // the resend: answered
    EXPECT_EQ(l.port().written.back(), f.reply);
  }

  const platform::SerialOpen first = l.port().current();
  l.port().hold_writes = true;
  l.port().Receive(kLineA);
  l.port().responds = false;
  l.link.OnPortArrived(L"COM2");  // pulled and back: closed and opened again while it went out
  l.port().hold_writes = false;
  l.port().FinishWrites();
  l.link.OnSerialWritten(first, platform::Status::Ok());
  EXPECT_EQ(l.Received(), "  30000,  40000   0 → 000300,000400,1") << "an earlier open's write";
}

// The reader plugged in after start-up, or again after it was pulled: the link
// opens, without a word, on the arrival of its own port whenever it is switched
// on; a second notice of a port open and answering changes nothing. A removal of the port in use closes it at once and
// stops any retry; a loss reported twice closes once.
TEST(ReaderLink, ArrivalsOpenAndRemovalsCloseTheReadersPortOnly) {
  struct Case {
    const char* what;
    std::wstring mode;
    bool start_fails;
    void (*before)(Link&);
    std::wstring arrived;
    bool opens;
  };
  auto lost = [](Link& l) { l.port().Lose(), l.port().Lose(); };
  // clang-format off
  const Case cases[] = {
      {"missing at start-up", L"지적통합", true, nothing, L"COM2", true},
      {"lost later, name in another case", L"지적통합", false, lost, L"com2", true},
      {"another port arrived", L"지적통합", true, nothing, L"COM3", false},
      {"still open: pulled and back before its loss was reported", L"지적통합", false,
       [](Link& l) { l.port().responds = false; }, L"COM2", true},
      {"still open and answering: a second notice of it", L"지적통합", false, nothing, L"COM2", false},
      {"switched off after the loss", L"지적통합", false,
       [](Link& l) { l.port().Lose(), (void)l.link.SwitchPort(false); }, L"COM2", false},
      {"closed at unload", L"지적통합", false, [](Link& l) { l.link.Close(); }, L"COM2", false},
      {"switched on in the dialog after a Wintab start", L"Wintab 전환", false,
       [](Link& l) { (void)l.link.SwitchPort(true), l.port().Lose(); }, L"COM2", true},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Link l(c.mode);
    l.port().open_error = c.start_fails ? 2 : 0;
    l.link.ConfigureReaderPort();
    l.port().open_error = 0;
    c.before(l);
    const bool was_open = l.link.IsOpen();
    EXPECT_LE(l.platform.log.With("port.close").size(), 1u) << "a loss closes once";
    l.platform.log.Clear();
    l.link.OnPortArrived(c.arrived);
    EXPECT_EQ(!l.platform.log.With("port.open").empty(), c.opens);
    EXPECT_EQ(l.link.IsOpen(), c.opens || was_open);
    EXPECT_EQ(l.platform.log.With("port.close").size(), was_open && c.opens ? 1u : 0u);
    EXPECT_LE(l.shown().size(), 1u) << "no second message";
    if (l.link.IsOpen()) {
      l.clock().Advance(kTailGuardMs);
      l.port().Receive(kLineA);
      EXPECT_EQ(l.port().written.back(), kReplyA);
    }
  }
  Link l;
  l.Start();
  l.link.OnPortRemoved(L"COM3");
  EXPECT_TRUE(l.link.IsOpen());
  l.port().open_error = 2;
  l.port().responds = false;
  l.link.OnPortArrived(L"COM2");  // closed, the reopen fails: retried
  EXPECT_TRUE(l.clock().TimerPending(platform::kReaderRetryTimer));
  l.link.OnPortRemoved(L"COM2");
  EXPECT_FALSE(l.link.IsOpen());
  EXPECT_FALSE(l.clock().TimerPending(platform::kReaderRetryTimer));
  EXPECT_TRUE(l.shown().empty());
}

// A port that arrives before its driver is ready is tried again on a fixed
// schedule of about three seconds; a resume reopens a port that died in the
// sleep the same way; a port another program holds is tried every five seconds
// for as long as the link is on, its state unchanged until it opens. No timer
// is left once the port opens or the schedule ends; a timer the system cannot
// give is no silent end of the retries: the state says so.
TEST(ReaderLink, RetriesAfterAnArrivalAResumeAndWhileAnotherProgramHoldsThePort) {
  struct Case {
    const char* what;
    void (*event)(Link&);
    platform::Error failure;
    int failing_opens;  // after the event, before the port opens
    std::size_t opens;  // attempts after the event, within a minute
    bool open;
  };
  auto arrive = [](Link& l) { l.port().Lose(), l.link.OnPortArrived(L"COM2"); };
  auto resume = [](Link& l) { l.port().responds = false, l.link.OnSystemResumed(); };
  auto choose = [](Link& l) { l.values.ReaderPort = L"COM5", l.link.PortChanged(); };
  using enum platform::Error;
  // clang-format off
  const Case cases[] = {
      {"ready at once", arrive, PortMissing, 0, 1, true},
      {"ready after the second retry", arrive, PortMissing, 2, 3, true},
      {"never ready: every retry, then quiet", arrive, PortMissing, 100, 1 + kReopenRetryMs.size(), false},
      {"resume, the open port died in the sleep", resume, PortMissing, 1, 2, true},
      {"chosen while another program holds it, freed after 12 s", choose, Busy, 3, 4, true},
      {"held for good: every 5 s", choose, Busy, 100, 1 + 60'000 / kBusyRetryMs, false},
      {"its device out of range: every 5 s", choose, Unreachable, 100, 1 + 60'000 / kBusyRetryMs, false},
  };
  // clang-format on
  std::uint32_t schedule = 0;
  for (std::uint32_t wait : kReopenRetryMs) schedule += wait;
  EXPECT_GE(schedule, 2500u);
  EXPECT_LE(schedule, 4000u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Link l;
    l.Start();
    int failing = c.failing_opens;
    l.port().open_failure = c.failure;
    l.port().open_error = failing > 0 ? 2 : 0;
    l.platform.log.Clear();
    c.event(l);
    if (c.failure == Busy) {
      EXPECT_EQ(l.Status(), "COM5: 다른 프로그램이 사용 중");
    }
    for (int step = 0; step < 60'000 / 50; ++step) {
      if (l.platform.log.With("port.open").size() >= static_cast<std::size_t>(failing)) l.port().open_error = 0;
      l.clock().Advance(50);
    }
    EXPECT_EQ(l.platform.log.With("port.open").size(), c.opens);
    EXPECT_EQ(l.link.IsOpen(), c.open);
    EXPECT_EQ(l.clock().TimerPending(platform::kReaderRetryTimer),
              (c.failure == Busy || c.failure == Unreachable) && !c.open);
    EXPECT_TRUE(l.shown().empty());
  }
  Link off(settings::kModeWintab);
  off.Start();
  off.link.OnSystemResumed();
  EXPECT_EQ(off.platform.log.With("port.open").size(), 0u) << "switched off: nothing opens";
  Link no_timer;
  no_timer.Start();
  no_timer.port().open_error = 2;
  no_timer.clock().timer_error = 1400;
  no_timer.port().Lose();
  no_timer.link.OnPortArrived(L"COM2");
  EXPECT_EQ(no_timer.Status(), "COM2: 열 수 없음 (error 1400)");
}

// Events queued by an earlier open still arrive after a close and a reopen;
// they must not touch the new open. A line is answered at its CR with the
// settings of that moment (changed after start, as the dialog does). Guards a
// timing order that only a late event shows.
TEST(ReaderLink, EventsOfAnEarlierOpenAreDroppedAndALineTakesTheSettingsOfItsMoment) {
  Link l;
  l.Start();
  const platform::SerialOpen first = l.port().current();
  l.port().responds = false;
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

}  // namespace
}  // namespace rc::reader
