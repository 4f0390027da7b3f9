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

TEST_F(ReaderLinkTest, ALostPortIsClosedQuietlyAndReopenedWhenCom2Arrives) {
  link.ConfigureReaderPort();
  link.OnReceived("  12345,");  // half a line when the adapter is pulled
  link.OnLost();
  EXPECT_FALSE(link.IsOpen());
  link.OnLost();  // a second report changes nothing
  EXPECT_EQ(platform.log.With("port.close").size(), 1u);

  port().open_error = 2;  // not ready yet: no message, a later arrival retries
  link.OnPortArrived();
  EXPECT_FALSE(link.IsOpen());
  port().open_error = 0;
  link.OnPortArrived();
  ASSERT_TRUE(link.IsOpen());
  link.OnReceived(kLineA);
  EXPECT_EQ(port().written, Lines{kReplyA});
  EXPECT_TRUE(shown().empty());
}

TEST_F(ReaderLinkTest, AnArrivalReopensOnlyAfterALossWithTheLinkSwitchedOn) {
  struct Case {
    const char* what;
    void (*before)(ReaderLink&);
  };
  const Case cases[] = {
      {"never lost", [](ReaderLink&) {}},
      {"switched off after the loss", [](ReaderLink& l) { l.OnLost(), (void)l.SwitchPort(false); }},
      {"closed at unload", [](ReaderLink& l) { l.Close(); }},
  };
  for (const Case& c : cases) {
    fake::FakePlatform p;
    ReaderLink l{p.serialPort(), p.messages(), values};
    l.ConfigureReaderPort();
    c.before(l);
    p.log.Clear();
    l.OnPortArrived();
    EXPECT_TRUE(p.log.With("port.open").empty()) << c.what;
  }
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
  startup.OnSerialPortArrived();
  startup.OnSerialReceived(kLineB);
  EXPECT_EQ(platform.fake_serial().written, (Lines{kReplyA, kReplyB}));
  startup.OnClose();
  EXPECT_FALSE(platform.fake_serial().IsOpen());
}

}  // namespace
}  // namespace rc::reader
