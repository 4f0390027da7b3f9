#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/startup_window.h"
#include "platform/fake/fake_platform.h"

namespace rc::app {
namespace {

class StartUpTest : public ::testing::Test {
 protected:
  fake::FakePlatform platform;
  StartUpWindow startup{platform};
};

TEST_F(StartUpTest, FirstStartWritesOnlyThePartFlagsAndLeavesTheStartUpWindowHidden) {
  ASSERT_TRUE(startup.Load());
  EXPECT_EQ(platform.fake_settings().Dump().size(), 19u);
  EXPECT_FALSE(platform.Find("frm_Pop")->Visible());
  EXPECT_FALSE(platform.ended);
}

TEST_F(StartUpTest, FinishSavesThenEndsAndWritesNothingAfter) {
  ASSERT_TRUE(startup.Load());
  platform.log.Clear();
  startup.Finish();
  std::vector<std::string> calls = platform.log.all();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), "end 0");
  EXPECT_EQ(platform.log.With("save").size(), 8u);
  EXPECT_EQ(platform.exit_code, 0);
}

TEST_F(StartUpTest, SessionEndSavesTheDisplaySettingsButAnOrdinaryCloseSavesNothing) {
  platform.fake_serial().open_error = 0;
  ASSERT_TRUE(startup.Load());
  startup.store().values().HoldPosition = true;

  platform.log.Clear();
  startup.OnClose();
  EXPECT_TRUE(platform.log.With("save").empty());

  startup.OnSessionEnding();
  EXPECT_EQ(platform.log.With("save").size(), 8u);
  EXPECT_EQ(platform.fake_settings().Value("Dizodudoz/위치/고정"), "True");
  EXPECT_FALSE(platform.fake_serial().IsOpen());
}

TEST_F(StartUpTest, AStartUpWindowThatCannotBeMadeIsReportedAndStartUpStops) {
  platform.failing_windows = {"frm_Pop"};
  EXPECT_FALSE(startup.Load());
  ASSERT_EQ(platform.fake_messages().shown.size(), 1u);
  EXPECT_EQ(platform.fake_messages().owners, std::vector<std::string>{""});
  EXPECT_NE(platform.fake_messages().shown[0].find("frm_Pop"), std::string::npos);
  EXPECT_TRUE(platform.log.With("get").empty());
}

}  // namespace
}  // namespace rc::app
