#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/startup_window.h"
#include "platform/fake/fake_platform.h"
#include "reader/reader_link.h"

namespace rc::reader {
namespace {

using Lines = std::vector<std::string>;

// Worked example 1 and the line of example 3, as the reader sends them.
const std::string kLineA = "  12345,  23456   0\r";
const std::string kReplyA = "000123,000234,1\r";
const std::string kLineB = "  30000,  40000   0\r";
const std::string kReplyB = "000300,000400,1\r";

class ReaderLinkTest : public ::testing::Test {
 protected:
  ReaderLinkTest() { values.ReaderMode = settings::kModeReaderLink; }
  fake::FakeSerialPort& port() { return platform.fake_serial(); }
  const Lines& shown() { return platform.fake_messages().shown; }

  fake::FakePlatform platform;
  settings::ProgramSettings values;
  ReaderLink link{platform.serialPort(), platform.messages(), values};
};

TEST_F(ReaderLinkTest, ConfiguresTheLineThenOpensOnlyInTheReaderMode) {
  struct Case {
    std::wstring mode;
    Lines calls;
  };
  const Case cases[] = {
      {L"지적통합", {"port.configure", "port.open"}},
      {L"Wintab 전환", {"port.configure"}},
      {L"지적통합 ", {"port.configure"}},  // exact text only
  };
  for (const Case& c : cases) {
    fake::FakePlatform p;
    values.ReaderMode = c.mode;
    ReaderLink l{p.serialPort(), p.messages(), values};
    l.ConfigureReaderPort();
    EXPECT_EQ(p.log.With("port."), c.calls);
    EXPECT_TRUE(p.fake_messages().shown.empty());
    const platform::SerialLineSettings& s = p.fake_serial().settings;
    EXPECT_EQ(s.baud, 9600u);
    EXPECT_EQ(s.parity, 'n');
    EXPECT_EQ(s.data_bits, 8);
    EXPECT_EQ(s.stop_bits, 1);
    EXPECT_FALSE(s.flow_control);
    EXPECT_TRUE(s.rts && s.dtr);
  }
}

TEST_F(ReaderLinkTest, AFailedOpenIsShownOnceWithItsTextAndTheLinkStaysClosed) {
  port().open_error = 2;
  link.ConfigureReaderPort();
  EXPECT_EQ(shown(), Lines{"COM2 포트를 열수가 없습니다."});
  EXPECT_FALSE(link.IsOpen());
  link.OnReceived(kLineA);
  EXPECT_TRUE(port().written.empty());
}

TEST_F(ReaderLinkTest, RepeatsAreAnsweredOnceAndTwoLinesInOneEventAnswerTheFirst) {
  struct Case {
    Lines events;
    Lines replies;
  };
  const Case cases[] = {
      {{kLineA, kLineA, kLineB, kLineA}, {kReplyA, kReplyB, kReplyA}},
      {{kLineA + kLineB}, {kReplyA}},
      // Text without a CR is completed by what follows; noise in front of a
      // reading drops that line, and the next one is answered.
      {{"garbage without end", kLineA, kLineA}, {kReplyA}},
      {{"garbage\r", kLineA}, {kReplyA}},
      {{"  50000,  12346   3\r"}, {"000500,000123,8\r"}},
  };
  for (const Case& c : cases) {
    fake::FakePlatform p;
    ReaderLink l{p.serialPort(), p.messages(), values};
    l.ConfigureReaderPort();
    for (const std::string& e : c.events) l.OnReceived(e);
    EXPECT_EQ(p.fake_serial().written, c.replies) << c.events[0];
  }
}

TEST_F(ReaderLinkTest, ALineSentByteByByteIsAnsweredOnceItsCrArrivesWithTheCurrentSettings) {
  link.ConfigureReaderPort();
  values.CorrectionAngle = 30;  // changed after start, as the dialog does
  for (char byte : kLineB) {
    EXPECT_TRUE(port().written.empty());
    link.OnReceived(std::string(1, byte));
  }
  EXPECT_EQ(port().written, Lines{"000459,000400,1\r"});
}

TEST_F(ReaderLinkTest, ALostPortIsClosedQuietlyAndReopenedWhenItArrives) {
  link.ConfigureReaderPort();
  link.OnReceived("  12345,");  // half a line when the adapter is pulled
  link.OnLost();
  EXPECT_FALSE(link.IsOpen());
  link.OnLost();  // a second report changes nothing
  EXPECT_EQ(platform.log.With("port.close").size(), 1u);

  port().open_error = 2;  // not ready yet: no message, a later arrival retries
  link.OnPortArrived(L"COM2");
  EXPECT_FALSE(link.IsOpen());
  port().open_error = 0;
  link.OnPortArrived(L"com2");
  ASSERT_TRUE(link.IsOpen());
  link.OnReceived(kLineA);
  EXPECT_EQ(port().written, Lines{kReplyA});
  EXPECT_TRUE(shown().empty());
}

// The reader plugged in after start-up, or again after it was pulled: the
// link opens on the arrival of its own port whenever it is switched on.
TEST_F(ReaderLinkTest, AnArrivalOpensTheReadersPortWhenTheLinkIsSwitchedOnAndClosed) {
  struct Case {
    const char* what;
    std::wstring mode;
    bool start_fails;
    void (*before)(ReaderLink&);
    std::wstring arrived;
    bool opens;
  };
  auto nothing = [](ReaderLink&) {};
  const Case cases[] = {
      {"missing at start-up", L"지적통합", true, nothing, L"COM2", true},
      {"lost later", L"지적통합", false, [](ReaderLink& l) { l.OnLost(); }, L"COM2", true},
      {"another port arrived", L"지적통합", true, nothing, L"COM3", false},
      {"already open", L"지적통합", false, nothing, L"COM2", false},
      {"mode Wintab", L"Wintab 전환", false, nothing, L"COM2", false},
      {"switched off after the loss", L"지적통합", false,
       [](ReaderLink& l) { l.OnLost(), (void)l.SwitchPort(false); }, L"COM2", false},
      {"closed at unload", L"지적통합", false, [](ReaderLink& l) { l.Close(); }, L"COM2", false},
  };
  for (const Case& c : cases) {
    fake::FakePlatform p;
    values.ReaderMode = c.mode;
    ReaderLink l{p.serialPort(), p.messages(), values};
    p.fake_serial().open_error = c.start_fails ? 2 : 0;
    l.ConfigureReaderPort();
    p.fake_serial().open_error = 0;
    c.before(l);
    const bool was_open = l.IsOpen();
    p.log.Clear();
    l.OnPortArrived(c.arrived);
    EXPECT_EQ(!p.log.With("port.open").empty(), c.opens) << c.what;
    EXPECT_EQ(l.IsOpen(), c.opens || was_open) << c.what;
    EXPECT_LE(p.fake_messages().shown.size(), 1u) << c.what << ": no second message";
  }
}

// A reply that did not wholly leave the port is not an answer: the reader sends
// the line again, and that resend is answered.
TEST_F(ReaderLinkTest, AFailedOrShortWriteLeavesTheLineUnansweredSoTheResendIsAnswered) {
  struct Case {
    const char* what;
    std::uint32_t write_error;
    std::size_t write_limit;
  };
  const Case cases[] = {{"failed", 1117, static_cast<std::size_t>(-1)}, {"short", 0, 9}};
  for (const Case& c : cases) {
    fake::FakePlatform p;
    ReaderLink l{p.serialPort(), p.messages(), values};
    l.ConfigureReaderPort();
    p.fake_serial().write_error = c.write_error;
    p.fake_serial().write_limit = c.write_limit;
    l.OnReceived(kLineA);
    p.fake_serial().write_error = 0;
    p.fake_serial().write_limit = static_cast<std::size_t>(-1);
    p.fake_serial().written.clear();
    l.OnReceived(kLineA);  // the resend
    l.OnReceived(kLineA);  // now a repeat
    EXPECT_EQ(p.fake_serial().written, Lines{kReplyA}) << c.what;
  }
}

// A port named in the store is the one opened and named in the message.
TEST_F(ReaderLinkTest, TheStoredPortIsOpenedAndNamedInTheMessage) {
  values.ReaderPort = L"COM12";
  port().open_error = 2;
  link.ConfigureReaderPort();
  EXPECT_EQ(port().opened_name, L"COM12");
  EXPECT_EQ(shown(), Lines{"COM12 포트를 열수가 없습니다."});
  port().open_error = 0;
  link.OnPortArrived(L"COM2");
  EXPECT_FALSE(link.IsOpen());
  link.OnPortArrived(L"COM12");
  EXPECT_TRUE(link.IsOpen());
}

TEST_F(ReaderLinkTest, TheModeSwitchOpensAndClosesAndClosingAClosedPortSucceeds) {
  values.ReaderMode = settings::kModeWintab;
  link.ConfigureReaderPort();
  EXPECT_TRUE(link.SwitchPort(false).ok());  // nothing to close
  EXPECT_TRUE(link.SwitchPort(true).ok());
  EXPECT_FALSE(link.SwitchPort(true).ok());  // already open
  EXPECT_TRUE(link.SwitchPort(false).ok());
  EXPECT_FALSE(link.IsOpen());
  port().open_error = 2;
  EXPECT_EQ(link.SwitchPort(true).error, 2u);
  EXPECT_TRUE(shown().empty());
}

// Through the start-up window: the port is the last step, after the cross is shown.
TEST(ReaderLinkStartUpTest, TheFailureMessageComesOnceAfterTheCrossIsVisible) {
  fake::FakePlatform platform;
  platform.fake_serial().open_error = 2;
  app::StartUpWindow startup{platform};
  ASSERT_TRUE(startup.Load());
  EXPECT_EQ(platform.fake_messages().shown, Lines{"COM2 포트를 열수가 없습니다."});
  EXPECT_EQ(platform.fake_messages().owners, Lines{""}) << "modal to the whole program";
  EXPECT_EQ(platform.log.all().back(), "message COM2 포트를 열수가 없습니다.");
  EXPECT_TRUE(platform.Find("frm_Center")->Visible());
}

TEST(ReaderLinkStartUpTest, WintabModeOpensNothingAndShowsNothing) {
  fake::FakePlatform platform;
  platform.fake_settings().Put("기계보정/모드/모드", "Wintab 전환");
  app::StartUpWindow startup{platform};
  ASSERT_TRUE(startup.Load());
  EXPECT_EQ(platform.log.With("port."), Lines{"port.configure"});
  EXPECT_TRUE(platform.fake_messages().shown.empty());
}

TEST(ReaderLinkStartUpTest, TheStartUpWindowCarriesTheEventsToTheLink) {
  fake::FakePlatform platform;
  app::StartUpWindow startup{platform};
  ASSERT_TRUE(startup.Load());
  startup.OnSerialReceived(kLineA);
  startup.OnSerialLost();
  startup.OnSerialPortArrived(L"COM2");
  startup.OnSerialReceived(kLineB);
  EXPECT_EQ(platform.fake_serial().written, (Lines{kReplyA, kReplyB}));
  startup.OnClose();
  EXPECT_FALSE(platform.fake_serial().IsOpen());
}

}  // namespace
}  // namespace rc::reader
