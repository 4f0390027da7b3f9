#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/startup_window.h"
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
constexpr std::size_t kNoLimit = static_cast<std::size_t>(-1);

// A link over the fake port, switched on in the mode "지적통합" unless told.
struct Link {
  explicit Link(std::wstring_view mode = settings::kModeReaderLink) { values.ReaderMode = mode; }
  fake::FakeSerialPort& port() { return platform.fake_serial(); }
  const Lines& shown() { return platform.fake_messages().shown; }

  fake::FakePlatform platform;
  settings::ProgramSettings values;
  ReaderLink link{platform.serial_port(), platform.messages(), values};
};

TEST(ReaderLink, StartUpConfiguresTheReadersLineAndOpensOnlyInTheReaderMode) {
  const std::pair<std::wstring, Lines> cases[] = {
      {L"지적통합", {"port.configure", "port.open"}},
      {L"Wintab 전환", {"port.configure"}},
      {L"지적통합 ", {"port.configure"}},  // exact text only
  };
  for (const auto& [mode, calls] : cases) {
    Link l(mode);
    l.link.ConfigureReaderPort();
    EXPECT_EQ(l.platform.log.With("port."), calls);
    EXPECT_TRUE(l.shown().empty());
    const platform::SerialLineSettings& s = l.port().settings;
    EXPECT_TRUE(s.baud == 9600 && s.parity == 'n' && s.data_bits == 8 && s.stop_bits == 1 && !s.flow_control &&
                s.rts && s.dtr);
  }
}

TEST(ReaderLink, ReadingsAsTheReaderSendsThemAreAnsweredOnceEach) {
  struct Case {
    const char* what;
    Lines chunks;
    Lines replies;
  };
  const Case cases[] = {
      {"a repeat is not answered again", {kLineA, kLineA, kLineB, kLineA}, {kReplyA, kReplyB, kReplyA}},
      {"two lines in one chunk answer the first", {kLineA + kLineB}, {kReplyA}},
      {"noise without CR spoils the line it precedes", {"garbage without end", kLineA, kLineA}, {kReplyA}},
      {"a noise line is dropped", {"garbage\r", kLineA}, {kReplyA}},
  };
  for (const Case& c : cases) {
    Link l;
    l.link.ConfigureReaderPort();
    for (const std::string& chunk : c.chunks) l.port().Receive(chunk);
    EXPECT_EQ(l.port().written, c.replies) << c.what;
  }
}

TEST(ReaderLink, ALineByteByByteIsAnsweredAtItsCrWithTheSettingsOfThatMoment) {
  Link l;
  l.link.ConfigureReaderPort();
  l.values.CorrectionAngle = 30;  // changed after start, as the dialog does
  for (char byte : kLineB) {
    EXPECT_TRUE(l.port().written.empty());
    l.port().Receive(std::string(1, byte));
  }
  EXPECT_EQ(l.port().written, Lines{"000459,000400,1\r"});
}

// A reply that did not wholly leave the port is no answer: the reader's resend is answered.
TEST(ReaderLink, AFailedOrShortWriteLeavesTheLineUnansweredSoTheResendIsAnswered) {
  const std::pair<std::uint32_t, std::size_t> failures[] = {{1117, kNoLimit}, {0, 9}};
  for (const auto& [error, limit] : failures) {
    Link l;
    l.link.ConfigureReaderPort();
    l.port().write_error = error;
    l.port().write_limit = limit;
    l.port().Receive(kLineA);
    l.port().write_error = 0;
    l.port().write_limit = kNoLimit;
    l.port().written.clear();
    l.port().Receive(kLineA);  // the resend
    l.port().Receive(kLineA);  // now a repeat
    EXPECT_EQ(l.port().written, Lines{kReplyA}) << "limit " << limit;
  }
}

TEST(ReaderLink, AFailedOpenIsShownOnceNamingThePortAndNothingIsAnswered) {
  const std::pair<std::wstring, std::string> cases[] = {
      {L"", "COM2 포트를 열수가 없습니다."}, {L"COM12", "COM12 포트를 열수가 없습니다."}};
  for (const auto& [stored, message] : cases) {
    Link l;
    l.values.ReaderPort = stored;
    l.port().open_error = 2;
    l.link.ConfigureReaderPort();
    EXPECT_EQ(l.shown(), Lines{message});
    EXPECT_EQ(l.port().opened_name, stored.empty() ? L"COM2" : stored);
    l.port().Receive(kLineA);
    EXPECT_TRUE(l.port().written.empty());
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
  auto nothing = [](Link&) {};
  auto lost = [](Link& l) { l.port().Lose(); };
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
  for (const Case& c : cases) {
    Link l(c.mode);
    l.port().open_error = c.start_fails ? 2 : 0;
    l.link.ConfigureReaderPort();
    l.port().open_error = 0;
    c.before(l);
    const bool was_open = l.link.IsOpen();
    l.platform.log.Clear();
    l.port().Arrive(c.arrived);
    EXPECT_EQ(!l.platform.log.With("port.open").empty(), c.opens) << c.what;
    EXPECT_EQ(l.link.IsOpen(), c.opens || was_open) << c.what;
    EXPECT_EQ(l.platform.log.With("port.close").size(), was_open && c.opens ? 1u : 0u) << c.what;
    EXPECT_LE(l.shown().size(), 1u) << c.what << ": no second message";
    if (l.link.IsOpen()) {
      l.port().Receive(kLineA);
      EXPECT_EQ(l.port().written.back(), kReplyA) << c.what;
    }
  }
}

TEST(ReaderLink, ALostPortIsClosedOnceAndAFailedRetryStaysQuiet) {
  Link l;
  l.link.ConfigureReaderPort();
  l.port().Receive("  12345,");  // half a line when the adapter is pulled
  l.port().Lose();
  l.port().Lose();
  EXPECT_EQ(l.platform.log.With("port.close").size(), 1u);
  l.port().open_error = 2;  // not ready yet: a later arrival retries
  l.port().Arrive(L"COM2");
  l.port().open_error = 0;
  l.port().Arrive(L"COM2");
  l.port().Receive(kLineA);  // the half line is gone
  EXPECT_EQ(l.port().written, Lines{kReplyA});
  EXPECT_TRUE(l.shown().empty());
}

TEST(ReaderLink, TheModeSwitchOpensAndClosesAndClosingAClosedPortSucceeds) {
  Link l(settings::kModeWintab);
  l.link.ConfigureReaderPort();
  EXPECT_TRUE(l.link.SwitchPort(false).ok());  // nothing to close
  EXPECT_TRUE(l.link.SwitchPort(true).ok());
  EXPECT_EQ(l.link.SwitchPort(true).error, platform::Error::PortBusy);
  l.port().close_error = 31;
  EXPECT_FALSE(l.link.SwitchPort(false).ok());
  EXPECT_TRUE(l.link.IsOpen()) << "a failed close leaves the link on";
  l.port().close_error = 0;
  EXPECT_TRUE(l.link.SwitchPort(false).ok());
  l.port().open_error = 2;
  EXPECT_EQ(l.link.SwitchPort(true).system_code, 2u);
  EXPECT_TRUE(l.shown().empty()) << "the dialog owns the message";
}

// Through the start-up window: the port is the last step, after the cross is
// shown, and its message is modal to the whole program.
TEST(ReaderLinkStartUp, TheFailureMessageComesLastAndTheUnloadReleasesThePort) {
  fake::FakePlatform platform;
  platform.fake_serial().open_error = 2;
  app::StartUpWindow startup{platform};
  ASSERT_TRUE(startup.Load());
  EXPECT_EQ(platform.fake_messages().owners, Lines{""});
  EXPECT_EQ(platform.log.all().back(), "message COM2 포트를 열수가 없습니다.");
  EXPECT_TRUE(platform.Find("frm_Center")->Visible());
  platform.fake_serial().open_error = 0;
  platform.fake_serial().Arrive(L"COM2");
  platform.fake_serial().Receive(kLineB);
  EXPECT_EQ(platform.fake_serial().written, Lines{kReplyB});
  startup.OnClose();
  EXPECT_FALSE(platform.fake_serial().IsOpen());
}

}  // namespace
}  // namespace rc::reader
