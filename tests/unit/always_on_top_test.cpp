// Always on top and the cross at start-up: the order in which the cross windows
// are created and stacked, the stored OnTop, the menu command, the exit save.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/startup_window.h"
#include "platform/fake/fake_platform.h"
#include "shell/always_on_top.h"
#include "shell/popup_menu_items.h"

namespace rc::shell {
namespace {

std::string PartName(int part) { return part == 0 ? "frm_Center" : "Form" + std::to_string(part); }

class AlwaysOnTopTest : public ::testing::Test {
 protected:
  // A store that is not a first run, so that what the test stores counts.
  void Store(const std::string& on_top) {
    auto& s = platform.fake_settings();
    s.Put("Dizodudoz/선택사항/색상", "255");
    s.Put("Dizodudoz/크기/Length", "350");
    s.Put("Dizodudoz/크기/Thickness", "50");
    s.Put("Dizodudoz/크기/Gap", "350");
    s.Put("Dizodudoz/위치/XPosition", "3000");
    s.Put("Dizodudoz/위치/YPosition", "4000");
    if (!on_top.empty()) s.Put("Dizodudoz/선택사항/항상위", on_top);
    for (int i = 0; i < 19; ++i) s.Put("Dizodudoz/폼/" + std::to_string(i), "1");
  }
  void ExpectState(bool on) {
    for (int part : cross::kWindowOrder) EXPECT_EQ(platform.Find(PartName(part))->topmost(), on) << PartName(part);
    EXPECT_EQ(platform.menu()->IsChecked(kAlwaysOnTop), on);
    EXPECT_EQ(startup.store().values().OnTop, on);
  }
  fake::FakePlatform platform;
  app::StartUpWindow startup{platform};
};

TEST_F(AlwaysOnTopTest, StartUpCreatesAndStacksTheCrossInOrderWithTheHandlesLoadInTheMiddle) {
  Store("True");
  ASSERT_TRUE(startup.Load());
  std::vector<std::string> seen;
  for (const std::string& call : platform.log.all()) {
    if (call.starts_with("create ") || call.ends_with(".topmost 1") || call.starts_with("frm_Center.top ") ||
        call.starts_with("frm_Center.left ") || call == "Form1.border none" || call == "Form1.top 1200") {
      seen.push_back(call);
    }
  }
  // Every window is made, in the stacking order, before the handle's load
  // styles them, places the handle (top first) and lays out; then the stacking.
  std::vector<std::string> expected{"create frm_Pop"};
  for (int part : cross::kWindowOrder) expected.push_back("create " + PartName(part));
  expected.insert(expected.end(), {"Form1.border none", "frm_Center.top 4000", "frm_Center.left 3000", "Form1.top 1200"});
  for (int part : cross::kWindowOrder) expected.push_back(PartName(part) + ".topmost 1");
  EXPECT_EQ(seen, expected);
  ExpectState(true);
  EXPECT_FALSE(platform.Find("frm_Pop")->topmost());
}

TEST_F(AlwaysOnTopTest, StoredOnTopDecidesTheStartingState) {
  const struct {
    const char* stored;
    bool on;
  } cases[] = {{"True", true}, {"true", true}, {"-1", true},  {"5", true},  {"False", false},
               {"0", false},   {"FALSE", false},
               {"maybe", true} /* does not convert: the first-run default */,
               {"", false} /* missing: the zero value stays */};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    fake::FakePlatform p;
    app::StartUpWindow s{p};
    auto& st = p.fake_settings();
    st.Put("Dizodudoz/선택사항/색상", "255");
    st.Put("Dizodudoz/크기/Length", "350");
    if (*c.stored != '\0') st.Put("Dizodudoz/선택사항/항상위", c.stored);
    ASSERT_TRUE(s.Load());
    for (int part : cross::kWindowOrder) EXPECT_EQ(p.Find(PartName(part))->topmost(), c.on) << PartName(part);
    EXPECT_EQ(p.menu()->IsChecked(kAlwaysOnTop), c.on);
    EXPECT_EQ(s.store().values().OnTop, c.on);
    // Every window gets the state once, even the ordinary direction.
    EXPECT_EQ(p.log.With("Form5.topmost").size(), 1u);
  }
}

TEST_F(AlwaysOnTopTest, TheCommandTwiceReturnsToTheStartAndTheCheckMarkDecides) {
  Store("True");
  ASSERT_TRUE(startup.Load());
  platform.log.Clear();

  AlwaysOnTop(startup.cross(), startup.store().values(), *startup.menu());
  ExpectState(false);
  std::vector<std::string> expected;
  for (int part : cross::kWindowOrder) expected.push_back(PartName(part) + ".topmost 0");
  EXPECT_EQ(platform.log.all(), expected);  // no other call, nothing saved

  AlwaysOnTop(startup.cross(), startup.store().values(), *startup.menu());
  ExpectState(true);

  // The check mark, not OnTop, gives the direction.
  startup.store().values().OnTop = false;
  AlwaysOnTop(startup.cross(), startup.store().values(), *startup.menu());
  ExpectState(false);
  EXPECT_TRUE(platform.log.With("save").empty());
}

TEST_F(AlwaysOnTopTest, AHiddenHandleIsShownAtStartUpAndItsFirstRepaintHidesItAgain) {
  Store("False");
  platform.fake_settings().Put("Dizodudoz/폼/0", "0");
  ASSERT_TRUE(startup.Load());
  EXPECT_EQ(platform.log.With("frm_Center.visible"), std::vector<std::string>{"frm_Center.visible 1"});
  platform.Find("frm_Center")->events().OnRepaint();  // the platform's first repaint
  EXPECT_FALSE(platform.Find("frm_Center")->Visible());
  EXPECT_TRUE(platform.Find("Form1")->Visible());
}

TEST_F(AlwaysOnTopTest, ExitSavesTheHandleWindowsOwnEdges) {
  Store("True");
  ASSERT_TRUE(startup.Load());
  // Moved by the user, no repaint yet: XPosition still holds the old place.
  platform.Find("frm_Center")->MoveByUser(40000.5f, -1501.5f);
  EXPECT_THROW(startup.Finish(), fake::ProcessEnded);
  EXPECT_EQ(startup.store().values().XPosition, 3000);
  EXPECT_EQ(platform.fake_settings().Value("Dizodudoz/위치/XPosition"), "40000");
  EXPECT_EQ(platform.fake_settings().Value("Dizodudoz/위치/YPosition"), "-1502");
}

}  // namespace
}  // namespace rc::shell
