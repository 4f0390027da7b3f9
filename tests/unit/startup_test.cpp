// The start-up window over the fake platform: its load, the tray icon, the
// popup menu's commands and the ways the program ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
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
  EXPECT_TRUE(platform.Find("frm_Center")->Visible());
}

TEST(TrayIconRecord, TheTipIsCutToFitAndTerminated) {
  const std::wstring long_text(200, L'가');
  for (const std::wstring& tip : {std::wstring(), std::wstring(L"팁"), long_text}) {
    const platform::TrayIconRecord record = shell::MakeTrayIconRecord(tip);
    EXPECT_EQ(TipText(record), tip.substr(0, 127)) << "tip size " << tip.size();
    EXPECT_EQ(record.tip.back(), L'\0');
  }
}

// The notification area's codes, as it sends them for each gesture (version 4
// unless named older); the ones the rule leaves alone by their system numbers.
namespace code = shell::tray_code;
constexpr std::uint32_t kMove = 0x200, kLeftDown = 0x201, kLeftUp = 0x202, kRightDown = 0x204, kRightDouble = 0x206,
                        kMiddleDown = 0x207, kMiddleUp = 0x208, kBalloonShow = 0x402, kBalloonHide = 0x403,
                        kBalloonTimeout = 0x404, kPopupOpen = 0x406, kPopupClose = 0x407;

TEST(TrayCallback, EachGestureOnTheIconDoesItsOneThing) {
  using enum shell::TrayAction;
  struct Case {
    const char* gesture;
    std::vector<std::uint32_t> codes;
    std::vector<shell::TrayAction> actions;  // what is not None, in order
  };
  // clang-format off
  const Case cases[] = {
      {"right click", {kRightDown, code::kRightButtonUp, code::kContextMenu}, {MenuAtPointer}},
      {"right click, older shell", {kRightDown, code::kRightButtonUp}, {MenuAtPointer}},
      {"two right clicks",
       {kRightDown, code::kRightButtonUp, code::kContextMenu, kRightDown, code::kRightButtonUp, code::kContextMenu},
       {MenuAtPointer, MenuAtPointer}},
      {"left click", {kLeftDown, kLeftUp, code::kSelect}, {}},
      {"left double-click",
       {kLeftDown, kLeftUp, code::kSelect, code::kLeftDoubleClick, kLeftUp, code::kSelect},
       {ShowHandle}},
      {"left double-click, older shell", {kLeftDown, kLeftUp, code::kLeftDoubleClick, kLeftUp}, {ShowHandle}},
      {"menu key or Shift+F10", {code::kContextMenu}, {MenuAtAnchor}},
      {"menu key after a right click", {kRightDown, code::kRightButtonUp, code::kContextMenu, code::kContextMenu},
       {MenuAtPointer, MenuAtAnchor}},
      {"menu key after a right release that had no context code", {code::kRightButtonUp, kMove, code::kContextMenu},
       {MenuAtPointer, MenuAtAnchor}},
      {"Enter or Space", {code::kKeySelect}, {ShowHandle}},
      {"notification clicked", {kBalloonShow, code::kNotificationClicked}, {MenuAtIcon}},
      {"notification closed or timed out", {kBalloonShow, kBalloonTimeout, kBalloonHide}, {}},
      {"hover, middle click, right double-click",
       {kPopupOpen, kMove, kPopupClose, kMiddleDown, kMiddleUp, kRightDown, code::kRightButtonUp, code::kContextMenu,
        kRightDouble},
       {MenuAtPointer}},
  };
  // clang-format on
  for (const Case& c : cases) {
    shell::TrayCallback callback;
    std::vector<shell::TrayAction> actions;
    for (std::uint32_t tray_code : c.codes) {
      if (shell::TrayAction action = callback.Decide(tray_code); action != None) actions.push_back(action);
    }
    EXPECT_EQ(actions, c.actions) << c.gesture;
  }
}

TEST_F(StartUpTest, EachTrayActionReachesTheHandleOrTheMenuWhereItBelongs) {
  ASSERT_TRUE(startup.Load());
  struct Case {
    platform::TrayEvent event;
    std::optional<platform::PixelPoint> icon_corner;  // where the shell says the icon is
    Calls calls;
  };
  // clang-format off
  const Case cases[] = {
      {{code::kLeftDoubleClick, {}}, {}, {"frm_Center.activate "}},
      {{code::kKeySelect, {1880, 1040}}, {}, {"frm_Center.activate "}},
      {{code::kSelect, {1880, 1040}}, {}, {}},
      {{code::kContextMenu, {1880, 1040}}, {}, {"menu.show at 1880,1040"}},
      {{code::kRightButtonUp, {1870, 1045}}, {}, {"menu.show"}},
      {{code::kNotificationClicked, {}}, platform::PixelPoint{1850, 1044}, {"menu.show at 1850,1044"}},
      {{code::kNotificationClicked, {}}, std::nullopt, {"menu.show"}},
  };
  // clang-format on
  for (const Case& c : cases) {
    platform.Find("frm_Center")->SetVisible(false);
    platform.fake_tray().icon_corner = c.icon_corner;
    platform.log.Clear();
    startup.OnTrayEvent(c.event);
    EXPECT_EQ(platform.log.all(), c.calls) << "code " << c.event.code;  // no save, no icon, no port
  }
}

TEST_F(StartUpTest, OnlyAStartWithTheFirstRunDefaultsShowsWhereTheMenuIs) {
  struct Case {
    const char* store;
    std::vector<std::pair<std::string, std::string>> values;
    bool notified;
  };
  // clang-format off
  const Case cases[] = {
      {"empty", {}, true},
      {"length 0", {{"Dizodudoz/선택사항/색상", "255"}, {"Dizodudoz/크기/Length", "0"}}, true},
      {"colour and length", {{"Dizodudoz/선택사항/색상", "255"}, {"Dizodudoz/크기/Length", "350"}}, false},
  };
  // clang-format on
  for (const Case& c : cases) {
    fake::FakePlatform fresh;
    for (const auto& [path, value] : c.values) fresh.fake_settings().Put(path, value);
    StartUpWindow start(fresh);
    ASSERT_TRUE(start.Load());
    const Calls& calls = fresh.log.all();
    const Calls notes = fresh.log.With("tray.notify");
    if (!c.notified) {
      EXPECT_TRUE(notes.empty()) << c.store;
      continue;
    }
    EXPECT_EQ(notes,
              Calls{"tray.notify Reticor2: 십자선이 실행 중입니다. 메뉴는 알림 영역의 Reticor2 아이콘에서 엽니다."})
        << c.store;
    // Once the cross is on the screen, before the port (whose failure would be a message).
    auto note = std::find(calls.begin(), calls.end(), notes.front());
    EXPECT_LT(std::find(calls.begin(), calls.end(), "frm_Center.visible 1"), note) << c.store;
    EXPECT_LT(note, std::find(calls.begin(), calls.end(), "port.configure")) << c.store;
    // The icon added again after a restart of the shell says nothing more.
    fresh.log.Clear();
    start.OnTaskbarCreated();
    EXPECT_EQ(fresh.log.all(), Calls{"tray.add"}) << c.store;
  }
}

TEST_F(StartUpTest, TheHoldCheckIsRefreshedFromHoldPositionWhenTheMenuOpens) {
  StoreSettings("True", "True");
  ASSERT_TRUE(startup.Load());
  auto& menu = *platform.menu();
  EXPECT_FALSE(menu.IsChecked(shell::kHold));     // refreshed when the menu opens, not before
  startup.OnTrayEvent({code::kContextMenu, {}});  // the menu opened from the keyboard
  EXPECT_TRUE(menu.IsChecked(shell::kHold));
  startup.OnMenuCommand(shell::kHold);
  EXPECT_FALSE(menu.IsChecked(shell::kHold) || startup.store().values().HoldPosition);
  startup.OnMenuCommand(shell::kHold);
  EXPECT_TRUE(menu.IsChecked(shell::kHold) && startup.store().values().HoldPosition);
  startup.store().values().HoldPosition = false;  // the centre handle's rule reads only this
  startup.OnTrayEvent({code::kRightButtonUp, {}});
  EXPECT_FALSE(menu.IsChecked(shell::kHold));
  EXPECT_TRUE(platform.log.With("save").empty());
}

TEST_F(StartUpTest, EachDialogCommandKeepsOneInstanceAndBuildsAfreshAfterAClose) {
  ASSERT_TRUE(startup.Load());
  // clang-format off
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
  // clang-format on
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

// A failed exit save is told before the program ends; while the session ends
// it is not, since a message then would hold up the log-off.
TEST_F(StartUpTest, AFailedExitSaveIsToldExceptWhileTheSessionEnds) {
  ASSERT_TRUE(startup.Load());
  platform.fake_settings().failing_paths = {"Dizodudoz/크기/Gap"};
  startup.OnSessionEnding();
  EXPECT_TRUE(platform.fake_messages().shown.empty());
  EXPECT_THROW(startup.OnMenuCommand(shell::kFinish), fake::ProcessEnded);
  EXPECT_EQ(platform.fake_messages().shown, Calls{"설정을 저장하지 못했습니다: Dizodudoz\\크기\\Gap\nerror 5"});
  EXPECT_EQ(platform.fake_messages().owners, Calls{""});
}

TEST_F(StartUpTest, AStartUpWindowThatCannotBeMadeIsReportedAndStartUpStops) {
  platform.failing_windows = {"frm_Pop"};
  EXPECT_FALSE(startup.Load());
  EXPECT_EQ(platform.fake_messages().shown, Calls{"Reticor2를 시작할 수 없습니다: frm_Pop"});
  EXPECT_TRUE(platform.log.With("get").empty());
}

}  // namespace
}  // namespace rc::app
