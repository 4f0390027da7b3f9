// The start-up window over the fake platform: its load, the tray icon, the
// popup menu's commands and the ways the program ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "base/utf8.h"
#include "shell/popup_menu_items.h"
#include "shell/tray_icon.h"
#include "started_program.h"

namespace rc::app {
namespace {

using unit::Calls;

std::wstring TipText(const platform::TrayIconRecord& record) { return std::wstring(record.tip.data()); }

using StartUpTest = unit::StartedProgram;

// The order that matters at start-up: the icon before the settings are read,
// the first run's note once the cross is shown and before the port, whose
// failure would be a message; the port last, only the tip saying how it went
// after it. A shell restart re-adds the icon with the port's tip and no second note.
TEST_F(StartUpTest, FirstStartAddsTheIconFirstNotesTheMenuThenOpensThePortLast) {
  Start();
  const Calls calls = platform.log.all();
  auto at = [&](std::string_view prefix) {
    return std::find_if(calls.begin(), calls.end(), [&](const std::string& c) { return c.starts_with(prefix); });
  };
  EXPECT_LT(at("tray.add"), at("get "));
  EXPECT_LT(at("frm_Center.visible 1"), at("tray.notify"));
  EXPECT_LT(at("tray.notify"), at("port.configure"));
  ASSERT_NE(at("port.open"), calls.end());
  EXPECT_EQ(
      std::count_if(at("port.open") + 1, calls.end(), [](const std::string& c) { return !c.starts_with("tray.tip"); }),
      0);
  EXPECT_EQ(platform.log.With("tray.notify"),
            Calls{"tray.notify Reticor2: 십자선이 실행 중입니다. 메뉴는 알림 영역의 Reticor2 아이콘에서 엽니다."});
  EXPECT_EQ(platform.fake_tray.added.at(0).id, shell::kTrayIconId);
  EXPECT_EQ(ToUtf8(platform.fake_tray.tip), "Reticor2\nCOM2: 열림, 수신 대기 중");
  platform.log.Clear();
  startup.OnTaskbarCreated();
  EXPECT_EQ(platform.log.all(), Calls{"tray.add"});
  EXPECT_EQ(ToUtf8(TipText(platform.fake_tray.added.back())), "Reticor2\nCOM2: 열림, 수신 대기 중");
  startup.OnSerialPortRemoved(L"COM2");
  EXPECT_EQ(ToUtf8(platform.fake_tray.tip), "Reticor2\nCOM2: 없음 (꽂으면 자동으로 엽니다)");
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
      {"notification clicked", {kBalloonShow, code::kNotificationClicked}, {NotificationClicked}},
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

// A click on the notification opens the menu at the icon where the shell says
// where it is (Wine's does not: there, at the pointer, as end to end), and
// does nothing else. The other gestures are driven end to end.
TEST_F(StartUpTest, AClickOnTheNotificationOpensTheMenuAtTheIcon) {
  Start();
  platform.fake_tray.icon_corner = platform::PixelPoint{1850, 1044};
  platform.log.Clear();
  startup.OnTrayEvent({code::kNotificationClicked, {}});
  EXPECT_EQ(platform.log.all(), Calls{"menu.show at 1850,1044"});  // no save, no icon, no port
}

// The check mark follows HoldPosition, which the centre handle's rule reads,
// whenever the menu opens, not before; the command itself is driven end to end.
TEST_F(StartUpTest, TheHoldCheckIsRefreshedFromHoldPositionWhenTheMenuOpens) {
  unit::Stored stored = unit::kExitSaved;
  stored.emplace_back("Dizodudoz/위치/고정", "True");
  Start(stored, true);
  EXPECT_TRUE(platform.log.With("tray.notify").empty()) << "not a first run: no note";
  auto& menu = *platform.menu;
  EXPECT_FALSE(menu.IsChecked(shell::kHold));
  startup.OnTrayEvent({code::kContextMenu, {}});  // the menu opened from the keyboard
  EXPECT_TRUE(menu.IsChecked(shell::kHold));
  values().HoldPosition = false;
  startup.OnTrayEvent({code::kRightButtonUp, {}});
  EXPECT_FALSE(menu.IsChecked(shell::kHold));
}

// The command again only brings a dialog forward (seen end to end); after a
// close it is built afresh, and one that cannot be made has no effect.
TEST_F(StartUpTest, ADialogIsBuiltAfreshAfterACloseAndAFailedOneDoesNothing) {
  Start();
  for (const auto& [command, caption] :
       {std::pair{shell::kColor, "속성"}, {shell::kRevision, "기계보정"}, {shell::kSWinfo, "S/W 정보"}}) {
    startup.OnMenuCommand(command);
    platform.FindDialog(caption)->CloseByUser();
    platform.log.Clear();
    startup.OnMenuCommand(command);
    EXPECT_EQ(platform.log.With("dialog.create"), Calls{std::string("dialog.create ") + caption});
    EXPECT_TRUE(platform.FindDialog(caption)->visible());
  }
  platform.FindDialog("속성")->CloseByUser();
  platform.failing_dialogs = {"속성"};
  startup.OnMenuCommand(shell::kColor);  // cannot be made: no effect
  platform.failing_dialogs.clear();
  startup.OnMenuCommand(shell::kColor);
  EXPECT_TRUE(platform.FindDialog("속성")->visible());
}

// The exit command saves, then deletes the icon, then ends; a session end saves
// the same. A failed exit save is told before the program ends; while the
// session ends it is not, since a message then would hold up the log-off.
TEST_F(StartUpTest, FinishSavesThenDeletesTheIconThenEndsAndOnlyItTellsAFailedSave) {
  Start();
  startup.store().values().HoldPosition = true;
  platform.fake_settings.failing_paths = {"Dizodudoz/크기/Gap"};
  platform.log.Clear();
  startup.OnSessionEnding();
  EXPECT_EQ(platform.log.With("save").size(), 9u);
  EXPECT_EQ(platform.fake_settings.Value("Dizodudoz/위치/고정"), "True");
  EXPECT_TRUE(platform.fake_messages.shown.empty());
  platform.log.Clear();
  EXPECT_THROW(startup.OnMenuCommand(shell::kFinish), fake::ProcessEnded);
  const Calls calls = platform.log.all();
  ASSERT_EQ(calls.size(), 12u);
  EXPECT_EQ(Calls(calls.end() - 3, calls.end()),
            (Calls{"message 설정을 저장하지 못했습니다: Dizodudoz\\크기\\Gap\nerror 5", "tray.delete", "end 0"}));
  EXPECT_EQ(platform.fake_messages.owners, Calls{""});
}

TEST_F(StartUpTest, AStartUpWindowThatCannotBeMadeIsReportedAndStartUpStops) {
  platform.failing_windows = {"frm_Pop"};
  EXPECT_FALSE(startup.Load());
  EXPECT_EQ(platform.fake_messages.shown, Calls{"Reticor2를 시작할 수 없습니다: frm_Pop\nerror 1158"});
  EXPECT_TRUE(platform.log.With("get").empty());
}

}  // namespace
}  // namespace rc::app
