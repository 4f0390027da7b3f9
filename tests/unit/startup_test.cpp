// The start-up window over the fake platform: its load, the tray icon, the
// popup menu's commands and the ways the program ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/startup_window.h"
#include "base/utf8.h"
#include "platform/fake/fake_platform.h"
#include "shell/popup_menu_items.h"
#include "shell/tray_icon.h"

namespace rc::app {
namespace {

using Calls = std::vector<std::string>;

std::wstring TipText(const platform::TrayIconRecord& record) { return std::wstring(record.tip.data()); }

class StartUpTest : public ::testing::Test {
 protected:
  // A stored, non-first-run display setup, so that what is loaded stays.
  void StoreSettings(const std::string& hold, const std::string& on_top) {
    auto& s = platform.fake_settings();
    s.Put("Dizodudoz/선택사항/색상", "255");
    s.Put("Dizodudoz/선택사항/항상위", on_top);
    s.Put("Dizodudoz/크기/Length", "350");
    s.Put("Dizodudoz/위치/고정", hold);
    for (int i = 0; i < 19; ++i) s.Put("Dizodudoz/폼/" + std::to_string(i), "1");
  }

  fake::FakePlatform platform;
  StartUpWindow startup{platform};
};

TEST_F(StartUpTest, FirstStartAddsTheIconBeforeReadingAndWritesOnlyThePartFlags) {
  ASSERT_TRUE(startup.Load());
  const Calls& calls = platform.log.all();
  EXPECT_EQ(calls.front(), "create frm_Pop");
  auto add = std::find(calls.begin(), calls.end(), "tray.add");
  auto first_get = std::find_if(calls.begin(), calls.end(), [](const std::string& c) { return c.starts_with("get"); });
  EXPECT_LT(add, first_get);
  ASSERT_EQ(platform.fake_tray().added.size(), 1u);
  EXPECT_EQ(platform.fake_tray().added[0].id, shell::kTrayIconId);
  EXPECT_EQ(TipText(platform.fake_tray().added[0]), L"Reticor2");
  // Once the reader port is set up, the tip says how it went (the shell re-adds it so).
  EXPECT_EQ(ToUtf8(platform.fake_tray().tip), "Reticor2\nCOM2: 열림, 수신 대기 중");
  startup.OnTaskbarCreated();
  EXPECT_EQ(ToUtf8(TipText(platform.fake_tray().added.back())), "Reticor2\nCOM2: 열림, 수신 대기 중");
  startup.OnSerialPortRemoved(L"COM2");
  EXPECT_EQ(platform.log.With("tray.tip").back(), "tray.tip Reticor2\nCOM2: 없음 (꽂으면 자동으로 엽니다)");
  EXPECT_EQ(platform.fake_settings().Dump().size(), 19u);
  EXPECT_FALSE(platform.Find("frm_Pop")->Visible());
  EXPECT_TRUE(platform.Find("frm_Center")->Visible());
}

TEST(TrayIconRecord, TheTipIsTheTextElseTheCaptionCutToFitAndTerminated) {
  const std::wstring long_text(200, L'가');
  const std::wstring cases[][3] = {
      {L"", L"", L""},
      {L"캡션", L"", L"캡션"},
      {L"캡션", L"팁", L"팁"},
      {L"", long_text, long_text.substr(0, 127)},
  };
  for (const auto& [caption, tip, expected] : cases) {
    const platform::TrayIconRecord record = shell::MakeTrayIconRecord(caption, tip);
    EXPECT_EQ(TipText(record), expected) << "tip size " << tip.size();
    EXPECT_EQ(record.tip.back(), L'\0');
  }
}

TEST_F(StartUpTest, TheIconsDoubleClickShowsTheHandleAndTheRightButtonTheMenu) {
  ASSERT_TRUE(startup.Load());
  const std::pair<void (*)(StartUpWindow&), Calls> cases[] = {
      {[](StartUpWindow& s) { s.OnTrayEvent(platform::TrayEvent::LeftDoubleClick); }, {"frm_Center.activate "}},
      {[](StartUpWindow& s) { s.OnTrayEvent(platform::TrayEvent::RightButtonUp); }, {"menu.show"}},
  };
  for (const auto& [act, calls] : cases) {
    platform.Find("frm_Center")->SetVisible(false);
    platform.log.Clear();
    act(startup);
    EXPECT_EQ(platform.log.all(), calls);  // no save, no icon, no port
  }
}

TEST_F(StartUpTest, TheHoldCheckIsRefreshedFromHoldPositionWhenTheMenuOpens) {
  StoreSettings("True", "True");
  ASSERT_TRUE(startup.Load());
  auto& menu = *platform.menu();
  EXPECT_FALSE(menu.IsChecked(shell::kHold));  // refreshed when the menu opens, not before
  startup.OnTrayEvent(platform::TrayEvent::RightButtonUp);
  EXPECT_TRUE(menu.IsChecked(shell::kHold));
  startup.OnMenuCommand(shell::kHold);
  EXPECT_FALSE(menu.IsChecked(shell::kHold) || startup.store().values().HoldPosition);
  startup.OnMenuCommand(shell::kHold);
  EXPECT_TRUE(menu.IsChecked(shell::kHold) && startup.store().values().HoldPosition);
  startup.store().values().HoldPosition = false;  // the centre handle's rule reads only this
  startup.OnTrayEvent(platform::TrayEvent::RightButtonUp);
  EXPECT_FALSE(menu.IsChecked(shell::kHold));
  EXPECT_TRUE(platform.log.With("save").empty());
}

TEST_F(StartUpTest, EachDialogCommandKeepsOneInstanceAndBuildsAfreshAfterAClose) {
  ASSERT_TRUE(startup.Load());
  const std::pair<int, std::string> cases[] = {
      {shell::kColor, "속성"}, {shell::kRevision, "기계보정"}, {shell::kSWinfo, "S/W 정보"}};
  // Creation and activation only: what each dialog's load shows is its own test's.
  auto shown = [&] {
    Calls out;
    for (const std::string& call : platform.log.all()) {
      if (call.starts_with("dialog.create") || call.ends_with(".activate")) out.push_back(call);
    }
    return out;
  };
  for (const auto& [command, caption] : cases) {
    platform.log.Clear();
    startup.OnMenuCommand(command);
    startup.OnMenuCommand(command);
    EXPECT_EQ(shown(), (Calls{"dialog.create " + caption, caption + ".activate", caption + ".activate"}));
    platform.FindDialog(caption)->CloseByUser();
    platform.log.Clear();
    startup.OnMenuCommand(command);
    EXPECT_EQ(shown(), (Calls{"dialog.create " + caption, caption + ".activate"}));
  }
  platform.FindDialog("속성")->CloseByUser();
  platform.failing_dialogs = {"속성"};
  startup.OnMenuCommand(shell::kColor);  // cannot be made: no effect
  platform.failing_dialogs.clear();
  startup.OnMenuCommand(shell::kColor);
  EXPECT_TRUE(platform.FindDialog("속성")->visible());
}

TEST_F(StartUpTest, FinishSavesTheEightDisplaySettingsThenDeletesTheIconThenEnds) {
  ASSERT_TRUE(startup.Load());
  platform.log.Clear();
  EXPECT_THROW(startup.OnMenuCommand(shell::kFinish), fake::ProcessEnded);
  const Calls calls = platform.log.all();
  ASSERT_EQ(calls.size(), 10u);
  for (std::size_t i = 0; i < 8; ++i) EXPECT_TRUE(calls[i].starts_with("save Dizodudoz/")) << calls[i];
  EXPECT_EQ(calls[8], "tray.delete");
  EXPECT_EQ(calls[9], "end 0");
  EXPECT_EQ(platform.fake_tray().deleted.at(0).id, shell::kTrayIconId);
  EXPECT_FALSE(platform.fake_tray().icon_present);
}

// An ordinary close saving nothing and releasing the port is checked end to end.
TEST_F(StartUpTest, SessionEndSavesTheDisplaySettings) {
  ASSERT_TRUE(startup.Load());
  startup.store().values().HoldPosition = true;
  platform.log.Clear();
  startup.OnSessionEnding();
  EXPECT_EQ(platform.log.With("save").size(), 8u);
  EXPECT_EQ(platform.fake_settings().Value("Dizodudoz/위치/고정"), "True");
}

TEST_F(StartUpTest, AStartUpWindowThatCannotBeMadeIsReportedAndStartUpStops) {
  platform.failing_windows = {"frm_Pop"};
  EXPECT_FALSE(startup.Load());
  EXPECT_EQ(platform.fake_messages().shown, Calls{"Reticor2를 시작할 수 없습니다: frm_Pop"});
  EXPECT_TRUE(platform.log.With("get").empty());
}

}  // namespace
}  // namespace rc::app
