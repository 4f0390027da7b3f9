// The tray icon, its callback and the popup menu's commands, driven through the
// start-up window over the fake platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/startup_window.h"
#include "platform/fake/fake_platform.h"
#include "shell/popup_menu_items.h"
#include "shell/tray_icon.h"

namespace rc::app {
namespace {

std::wstring TipText(const platform::TrayIconRecord& record) { return std::wstring(record.tip.data()); }

class TrayTest : public ::testing::Test {
 protected:
  // A stored, non-first-run display setup, so that what is loaded stays.
  void StoreSettings(const std::string& hold, const std::string& on_top) {
    auto& s = platform.fake_settings();
    s.Put("Dizodudoz/선택사항/색상", "255");
    s.Put("Dizodudoz/선택사항/항상위", on_top);
    s.Put("Dizodudoz/크기/Length", "350");
    s.Put("Dizodudoz/위치/고정", hold);
  }

  fake::FakePlatform platform;
  StartUpWindow startup{platform};
};

TEST_F(TrayTest, TheIconIsAddedFirstWithTheStartUpWindowsRecordAndDeletedByFinish) {
  ASSERT_TRUE(startup.Load());
  const auto& tray = platform.fake_tray();
  ASSERT_EQ(tray.added.size(), 1u);
  EXPECT_EQ(platform.log.all().front(), "create frm_Pop");
  // Before any setting is read.
  const auto& calls = platform.log.all();
  auto add = std::find(calls.begin(), calls.end(), "tray.add");
  auto first_get = std::find_if(calls.begin(), calls.end(), [](const std::string& c) { return c.starts_with("get"); });
  EXPECT_LT(add, first_get);

  const platform::TrayIconRecord& added = tray.added[0];
  EXPECT_EQ(added.window, platform.Find("frm_Pop"));
  EXPECT_EQ(added.id, 1u);
  EXPECT_EQ(added.flags, 7u);
  EXPECT_EQ(added.callback_message, 512u);
  EXPECT_EQ(TipText(added), L"");

  startup.Finish();
  ASSERT_EQ(tray.deleted.size(), 1u);
  const platform::TrayIconRecord& deleted = tray.deleted[0];
  EXPECT_EQ(deleted.window, platform.Find("frm_Pop"));
  EXPECT_EQ(deleted.id, 1u);
  // The rest as the add left it.
  EXPECT_EQ(deleted.flags, 7u);
  EXPECT_EQ(deleted.callback_message, 512u);
  EXPECT_FALSE(tray.icon_present);
}

TEST(TrayIconData, TheTipIsTheTextElseTheCaptionCutToFitAndTerminated) {
  fake::FakePlatform platform;
  struct Events : platform::WindowEvents {} events;
  auto window = platform.MakeWindow(platform::WindowClass::StartUp, L"frm_Pop", events);
  const std::wstring long_text(200, L'가');
  struct Case {
    std::wstring caption, tip, expected;
  } cases[] = {
      {L"", L"", L""},
      {L"캡션", L"", L"캡션"},
      {L"캡션", L"팁", L"팁"},
      {L"", long_text, long_text.substr(0, 127)},
  };
  for (const Case& c : cases) {
    shell::TrayIconData data = shell::MakeTrayIconData(*window, c.caption, c.tip);
    EXPECT_EQ(TipText(data), c.expected) << "caption size " << c.caption.size() << ", tip size " << c.tip.size();
    EXPECT_EQ(data.tip.back(), L'\0');
  }
}

TEST_F(TrayTest, OnlyTheDoubleClickAndTheRightReleaseAct) {
  ASSERT_TRUE(startup.Load());
  platform.Find("frm_Center")->SetVisible(false);
  struct Case {
    const char* what;
    std::vector<std::uint32_t> codes;
    std::vector<std::string> calls;
  } cases[] = {
      {"double-click: press, release, 515, release", {513, 514, 515, 514}, {"frm_Center.activate "}},
      {"single left click", {513, 514}, {}},
      {"mouse move", {512}, {}},
      {"right press alone", {516}, {}},
      {"right release", {517}, {"menu.show"}},
      {"right and middle double-clicks", {518, 519, 520, 521}, {}},
  };
  for (const Case& c : cases) {
    platform.log.Clear();
    for (std::uint32_t code : c.codes) startup.OnTrayNotification(code);
    EXPECT_EQ(platform.log.all(), c.calls) << c.what;
  }
  EXPECT_TRUE(platform.Find("frm_Center")->Visible());
}

// A second start in the same session: the running copy shows its handle and
// touches nothing else (no save, no icon, no port).
TEST_F(TrayTest, AnotherStartOnlyShowsTheCentreHandle) {
  ASSERT_TRUE(startup.Load());
  platform.Find("frm_Center")->SetVisible(false);
  platform.log.Clear();
  startup.OnAnotherCopyStarted();
  EXPECT_EQ(platform.log.all(), std::vector<std::string>{"frm_Center.activate "});
  EXPECT_TRUE(platform.Find("frm_Center")->Visible());
}

TEST_F(TrayTest, TheHoldCheckShowsTheLoadedHoldAndHoldTwiceReturnsBoth) {
  StoreSettings("True", "True");
  ASSERT_TRUE(startup.Load());
  auto& menu = *platform.menu();
  EXPECT_FALSE(menu.IsChecked(shell::kHold));  // refreshed when the menu opens, not before
  startup.OnTrayNotification(517);
  EXPECT_TRUE(menu.IsChecked(shell::kHold));

  startup.OnMenuCommand(shell::kHold);
  EXPECT_FALSE(menu.IsChecked(shell::kHold));
  EXPECT_FALSE(startup.store().values().HoldPosition);
  startup.OnMenuCommand(shell::kHold);
  EXPECT_TRUE(menu.IsChecked(shell::kHold));
  EXPECT_TRUE(startup.store().values().HoldPosition);
  EXPECT_TRUE(platform.log.With("save").empty());
}

TEST_F(TrayTest, OpeningTheMenuCopiesHoldPositionOverTheCheckMark) {
  StoreSettings("False", "True");
  ASSERT_TRUE(startup.Load());
  startup.OnMenuCommand(shell::kHold);
  startup.store().values().HoldPosition = false;  // the centre handle's rule reads only this
  startup.OnTrayNotification(517);
  EXPECT_FALSE(platform.menu()->IsChecked(shell::kHold));
}

TEST_F(TrayTest, AlwaysOnTopTwiceReturnsTheWindowsTheCheckMarkAndOnTop) {
  StoreSettings("False", "True");
  ASSERT_TRUE(startup.Load());
  auto& menu = *platform.menu();
  auto topmost_count = [&] {
    int n = 0;
    for (int i = 1; i <= 18; ++i) n += platform.Find("Form" + std::to_string(i))->topmost();
    return n + platform.Find("frm_Center")->topmost();
  };
  ASSERT_TRUE(menu.IsChecked(shell::kAlwaysOnTop));
  ASSERT_EQ(topmost_count(), 19);

  startup.OnMenuCommand(shell::kAlwaysOnTop);
  EXPECT_FALSE(menu.IsChecked(shell::kAlwaysOnTop));
  EXPECT_FALSE(startup.store().values().OnTop);
  EXPECT_EQ(topmost_count(), 0);

  startup.OnMenuCommand(shell::kAlwaysOnTop);
  EXPECT_TRUE(menu.IsChecked(shell::kAlwaysOnTop));
  EXPECT_TRUE(startup.store().values().OnTop);
  EXPECT_EQ(topmost_count(), 19);
  EXPECT_TRUE(platform.log.With("save").empty());
}

TEST_F(TrayTest, EachDialogCommandKeepsOneInstanceAndBuildsAfreshAfterAClose) {
  ASSERT_TRUE(startup.Load());
  struct Case {
    int command;
    std::string caption;
    float width, height;
  } cases[] = {
      {shell::kColor, "속성", 4695, 2070},
      {shell::kRevision, "기계보정", 5850, 600},
      {shell::kSWinfo, "S/W 정보", 5385, 2220},
  };
  // Creation and activation only: what each dialog's load shows is its own test's.
  auto shown = [&] {
    std::vector<std::string> out;
    for (const std::string& call : platform.log.all()) {
      if (call.starts_with("dialog.create") || call.ends_with(".activate")) out.push_back(call);
    }
    return out;
  };
  for (const Case& c : cases) {
    platform.log.Clear();
    startup.OnMenuCommand(c.command);
    startup.OnMenuCommand(c.command);
    EXPECT_EQ(shown(), (std::vector<std::string>{"dialog.create " + c.caption, c.caption + ".activate",
                                                            c.caption + ".activate"}));
    fake::FakeDialog* dialog = platform.FindDialog(c.caption);
    ASSERT_NE(dialog, nullptr) << c.caption;
    EXPECT_EQ(dialog->client_width(), c.width);
    EXPECT_EQ(dialog->client_height(), c.height);

    dialog->CloseByUser();
    platform.log.Clear();
    startup.OnMenuCommand(c.command);
    EXPECT_EQ(shown(), (std::vector<std::string>{"dialog.create " + c.caption, c.caption + ".activate"}));
    ASSERT_NE(platform.FindDialog(c.caption), nullptr);
    EXPECT_TRUE(platform.FindDialog(c.caption)->IsOpen());
  }
}

TEST_F(TrayTest, ADialogThatCannotBeMadeLeavesTheCommandWithoutEffect) {
  ASSERT_TRUE(startup.Load());
  platform.failing_dialogs = {"속성"};
  startup.OnMenuCommand(shell::kColor);
  platform.failing_dialogs.clear();
  startup.OnMenuCommand(shell::kColor);
  EXPECT_EQ(platform.log.With("dialog.create").size(), 2u);
  EXPECT_TRUE(platform.FindDialog("속성")->visible());
}

TEST_F(TrayTest, FinishFromTheMenuSavesThenDeletesTheIconThenEnds) {
  ASSERT_TRUE(startup.Load());
  platform.log.Clear();
  startup.OnMenuCommand(shell::kFinish);
  std::vector<std::string> calls = platform.log.all();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls.end()[-2], "tray.delete");
  EXPECT_EQ(calls.end()[-1], "end 0");
  for (auto call = calls.begin(); call != calls.end() - 2; ++call) {
    EXPECT_TRUE(call->starts_with("save ")) << *call;
  }
  EXPECT_EQ(platform.log.With("save").size(), 8u);
}

TEST_F(TrayTest, ARecreatedNotificationAreaGetsTheSameIconAgain) {
  ASSERT_TRUE(startup.Load());
  platform.fake_tray().icon_present = false;  // the shell restarted: its icons are gone
  startup.OnTaskbarCreated();
  const auto& added = platform.fake_tray().added;
  ASSERT_EQ(added.size(), 2u);
  EXPECT_TRUE(platform.fake_tray().icon_present);
  EXPECT_EQ(added[1].window, added[0].window);
  EXPECT_EQ(added[1].id, 1u);
  EXPECT_EQ(added[1].flags, 7u);
  EXPECT_EQ(added[1].callback_message, 512u);
  EXPECT_TRUE(platform.fake_tray().deleted.empty());
}

}  // namespace
}  // namespace rc::app
