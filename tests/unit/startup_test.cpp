// The start-up window over the fake platform: its load, the tray icon and its
// notifications, the popup menu's commands, the global shortcuts and the ways
// the program ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <ranges>

#include "base/pixel_scale.h"
#include "base/rounding.h"
#include "dialogs/properties_dialog.h"
#include "reader/correction_dialog.h"
#include "settings/setting_text.h"
#include "shell/popup_menu_items.h"
#include "shell/tray_icon.h"
#include "started_program.h"

namespace rc::app {
namespace {

using unit::Calls;
namespace code = shell::tray_code;
using StartUpTest = unit::StartedProgram;

// The ids the shortcuts register: hide, bring, nudge left, up, right, down, hold.
enum : int { kHide = 1, kBring, kLeft, kUp, kRight, kDown, kHold };

// The order that matters at start-up: the icon before the settings are read,
// the first run's note once the cross is shown, the shortcuts after it, the
// port last, only the tip saying how it went after it. Refused by a
// notification area not there yet (a start at sign-in), the icon is tried again
// on a schedule and the note waits for it; a shell restart adds it again, with
// the port's tip and no second note; no timer is left. The tip follows the
// port, also when a retry opens it.
TEST_F(StartUpTest, TheIconComesFirstAndIsTriedAgainTheShortcutsBeforeThePortWhichIsLast) {
  platform.fake_tray.refused_adds = 2;
  Start();
  auto calls = platform.log.all();
  auto at = [&](std::string_view prefix) {
    return std::find_if(calls.begin(), calls.end(), [&](const std::string& c) { return c.starts_with(prefix); });
  };
  EXPECT_LT(at("tray.add refused"), at("get "));
  EXPECT_LT(at("frm_Center.visible 1"), at("hotkey 1"));
  EXPECT_LT(at("hotkey 7"), at("port.configure"));
  ASSERT_NE(at("port.open"), calls.end());
  EXPECT_TRUE(std::all_of(at("port.open") + 1, calls.end(), [](const auto& c) { return c.starts_with("tray.tip"); }));
  EXPECT_EQ(platform.log.With("tray."), Calls{"tray.add refused"}) << "no icon to show a tip or a note from yet";
  platform.fake_clock.Advance(shell::kTrayRetryMs[0]);
  EXPECT_EQ(platform.log.With("tray.add"), (Calls{"tray.add refused", "tray.add refused"}));
  platform.fake_clock.Advance(shell::kTrayRetryMs[1]);
  EXPECT_EQ(platform.log.With("tray.add").back(), "tray.add");
  EXPECT_EQ(ToUtf8(platform.fake_tray.tip), "Reticor2\nCOM2: 열림, 수신 대기 중");
  EXPECT_EQ(platform.log.With("tray.notify"),
            Calls{"tray.notify Reticor2: 십자선이 실행 중입니다. 메뉴는 알림 영역의 Reticor2 아이콘에서 엽니다."});
  EXPECT_FALSE(platform.fake_clock.TimerPending(platform::kTrayRetryTimer));
  platform.log.Clear();
  startup.OnTaskbarCreated();
  EXPECT_EQ(platform.log.all(), Calls{"tray.add"});
  EXPECT_EQ(ToUtf8(platform.fake_tray.tip), "Reticor2\nCOM2: 열림, 수신 대기 중");
  startup.OnSerialPortRemoved(L"COM2");
  EXPECT_EQ(ToUtf8(platform.fake_tray.tip), "Reticor2\nCOM2: 없음 (꽂으면 자동으로 엽니다)");
  platform.fake_serial.open_error = 2;  // back, its driver not ready yet: the retry opens it
  startup.OnSerialPortArrived(L"COM2");
  platform.fake_serial.open_error = 0;
  platform.fake_clock.Advance(reader::kReopenRetryMs[0]);
  EXPECT_EQ(ToUtf8(platform.fake_tray.tip), "Reticor2\nCOM2: 열림, 수신 대기 중");
  // A tip longer than the record holds is cut, always terminated.
  const platform::TrayIconRecord record = shell::MakeTrayIconRecord(std::wstring(200, L'가'));
  EXPECT_EQ(std::wstring(record.tip.data()), std::wstring(127, L'가'));
}

// A refused icon is tried on the whole schedule, then at a shell's restart on
// the whole schedule again: guards the schedule's end, after which no timer runs.
TEST_F(StartUpTest, AnIconNeverTakenIsTriedOnTheScheduleThenAtTheShellsRestart) {
  platform.fake_tray.refused_adds = 100;
  Start();
  platform.fake_clock.Advance(60'000);
  EXPECT_EQ(platform.log.With("tray.add").size(), 1 + shell::kTrayRetryMs.size());
  EXPECT_FALSE(platform.fake_clock.TimerPending(platform::kTrayRetryTimer));
  // Every tray program adds its icon as the shell comes back: refused at once
  // again, the icon is tried on the whole schedule.
  platform.fake_tray.refused_adds = 2;
  platform.log.Clear();
  startup.OnTaskbarCreated();
  platform.fake_clock.Advance(60'000);
  EXPECT_EQ(platform.log.With("tray.add").size(), 3u);
  EXPECT_FALSE(platform.fake_clock.TimerPending(platform::kTrayRetryTimer));
}

// The notification area's codes, as it sends them for each gesture (version 4
// unless named older); the ones the rule leaves alone by their system numbers.
constexpr std::uint32_t kMove = 0x200, kRightDown = 0x204, kRightDouble = 0x206, kMiddleDown = 0x207, kMiddleUp = 0x208,
                        kBalloonShow = 0x402, kBalloonHide = 0x403, kBalloonTimeout = 0x404, kPopupOpen = 0x406,
                        kPopupClose = 0x407;

// Pins the gesture table: end to end only the gestures Wine's tray sends are walked.
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
      {"menu key after a right click", {kRightDown, code::kRightButtonUp, code::kContextMenu, code::kContextMenu},
       {MenuAtPointer, MenuAtAnchor}},
      {"menu key after a right release that had no context code", {code::kRightButtonUp, kMove, code::kContextMenu},
       {MenuAtPointer, MenuAtAnchor}},
      {"Enter or Space", {code::kKeySelect}, {ShowHandle}},
      {"a notification shown, clicked; one closed or timed out", {kBalloonShow, code::kNotificationClicked,
       kBalloonShow, kBalloonTimeout, kBalloonHide}, {NotificationClicked}},
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

// Each menu command and each gesture on the icon does its one thing: the hold
// command only toggles HoldPosition (with its check mark, which follows it
// however it changed), a right release opens the menu; a click on the first run's
// note opens it at the icon where the shell says where that is. The dialog
// commands build a dialog afresh after a close; one that cannot be made says
// so with the system's reason. The installer exits a running copy with 종료's id.
TEST_F(StartUpTest, EachMenuCommandAndGestureDoesItsOneThing) {
  Start();
  auto& menu = *platform.menu;
  struct Case {
    const char* what;
    void (*act)(StartUpWindow&);
    Calls calls;
    bool hold, on_top;
  };
  // clang-format off
  const Case cases[] = {
      {"menu key", [](StartUpWindow& s) { s.OnTrayEvent({code::kContextMenu, {3, 4}}); }, {"menu.show at 3,4"}, false,
       true},
      {"hold", [](StartUpWindow& s) { s.OnMenuCommand(shell::kHold); }, {}, true, true},
      {"right release", [](StartUpWindow& s) { s.OnTrayEvent({code::kRightButtonUp, {}}); }, {"menu.show"}, true, true},
      {"hold again", [](StartUpWindow& s) { s.OnMenuCommand(shell::kHold); }, {}, false, true},
      {"always on top", [](StartUpWindow& s) { s.OnMenuCommand(shell::kAlwaysOnTop); }, {}, false, false},
      {"the note clicked", [](StartUpWindow& s) { s.OnTrayEvent({code::kNotificationClicked, {}}); },
       {"menu.show at 1850,1044"}, false, false},
      {"a menu command that is none", [](StartUpWindow& s) { s.OnMenuCommand(99); }, {}, false, false},
  };
  // clang-format on
  platform.fake_tray.icon_corner = platform::PixelPoint{1850, 1044};
  for (const Case& c : cases) {
    platform.log.Clear();
    c.act(startup);
    Calls calls;
    for (const std::string& call : platform.log.all())
      if (!call.ends_with(".topmost 0") && !call.ends_with(".topmost 1")) calls.push_back(call);
    EXPECT_EQ(calls, c.calls) << c.what;
    EXPECT_EQ(values().HoldPosition, c.hold) << c.what;
    EXPECT_EQ(menu.IsChecked(shell::kHold), c.hold) << c.what;
    EXPECT_EQ(values().OnTop, c.on_top) << c.what;
  }
  startup.OnHotkey(kHold);
  EXPECT_TRUE(menu.IsChecked(shell::kHold));
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
  startup.OnMenuCommand(shell::kColor);  // cannot be made: says so, with the system's reason
  EXPECT_EQ(platform.FindDialog("속성"), nullptr);
  EXPECT_EQ(platform.fake_messages.shown, Calls{"속성 창을 열 수 없습니다.\nerror 1158"});
  // An upgrade asks the running copy to exit with 종료's id: a renumbered menu
  // must not leave the old copy running.
  std::ifstream script(RETICOR_INSTALLER_SCRIPT);
  const std::string text{std::istreambuf_iterator<char>(script), {}};
  EXPECT_NE(text.find("!define EXIT_COMMAND " + std::to_string(shell::kFinish) + "\n"), std::string::npos);
}

// The port in use would not open at start-up and there is no other port: no
// note of others; on a first run with another port, that note alone, with the
// first run's sentence. The note that names them, after the message, and its click
// are driven end to end (where Wine always lists COM1, so this case cannot be
// seen there); its text is the port choices' table.
TEST(StartUp, NoNoteOfOtherPortsWhenThereIsNone) {
  unit::Program p;
  p.platform.fake_serial.open_error = 2;
  p.Start(unit::kExitSaved, true);
  EXPECT_EQ(p.platform.log.With("tray.notify"), Calls{});
  // A first run whose port is missing, another there: one note, which also
  // says where the menu is.
  unit::Program first;
  first.platform.fake_serial.open_error = 2;
  first.platform.fake_ports.ports = {{L"COM5", L""}};
  first.Start();
  const Calls notes = first.platform.log.With("tray.notify");
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_TRUE(notes[0].find("COM5") != std::string::npos && notes[0].ends_with(ToUtf8(shell::kFirstRunText)))
      << notes[0];
}

// The shortcuts over the fake: each registered with its default chord; the hide
// key hides all nineteen windows and shows them as their flags say (above the
// topmost windows), writing nothing; bring puts the handle's middle on the
// pointer and shows a hidden cross (the nudge at every scale is the cross's
// table); while held neither moves nor drags, while hidden no nudge; the hold
// key is the menu's command. A double-click on the icon also ends the hiding.
TEST(Shortcuts, EachActsAsItsRowSaysAndNeitherMovesAHeldCross) {
  unit::Program p;
  unit::Stored stored = unit::kExitSaved;
  stored.emplace_back("Dizodudoz/폼/9", "0");
  p.Start(stored, true);
  EXPECT_EQ(p.platform.fake_hotkeys.registered.size(), 7u);
  EXPECT_EQ(p.platform.fake_hotkeys.registered.at(kHold), (Chord{7, 'L'}));
  EXPECT_EQ(p.platform.fake_hotkeys.registered.at(kDown), (Chord{7, key::kDown}));
  auto shown = [&] {
    return std::ranges::count_if(std::views::iota(0, 19), [&](int n) { return p.Part(n).Visible(); });
  };
  ASSERT_EQ(shown(), 18);
  p.platform.log.Clear();
  p.startup.OnHotkey(kHide);
  EXPECT_EQ(shown(), 0);
  p.startup.OnHotkey(kRight);
  EXPECT_EQ(p.Part(0).Left(), 6000) << "no nudge while hidden";
  p.startup.OnHotkey(kHide);
  EXPECT_EQ(shown(), 18);
  const auto raised = [](const std::string& call) { return call.ends_with(".topmost 1"); };
  EXPECT_EQ(std::ranges::count_if(p.platform.log.all(), raised), 19) << "back above the topmost windows";
  EXPECT_TRUE(p.platform.log.With("save").empty());
  p.startup.OnHotkey(kHide);
  p.startup.OnTrayEvent({code::kLeftDoubleClick, {}});
  EXPECT_EQ(shown(), 18);

  p.platform.fake_screen.pointer = {500, 300};
  p.startup.OnHotkey(kHide);
  p.startup.OnHotkey(kBring);
  EXPECT_EQ(shown(), 18);
  // The handle's pixels: its middle one on the pointer.
  const PixelSpan across = PixelScale(96).Span(p.Part(0).Left(), p.Part(0).Width());
  EXPECT_EQ(across.start + across.length / 2, 500);
  EXPECT_EQ(p.values().XPosition, static_cast<std::int32_t>(RoundHalfEven(static_cast<double>(p.Part(0).Left()))));

  p.Part(0).events().OnMouseButtonDown();  // a press on the handle: the drag ends where it began
  EXPECT_EQ(p.platform.log.With("frm_Center.drag").size(), 1u);
  EXPECT_EQ(shown(), 18) << "the bars hidden for the drag are back";
  p.startup.OnHotkey(kHold);
  EXPECT_TRUE(p.values().HoldPosition);
  EXPECT_TRUE(p.platform.menu->IsChecked(shell::kHold));
  p.platform.log.Clear();
  p.Part(0).events().OnMouseButtonDown();
  EXPECT_EQ(p.platform.log.all(), Calls{}) << "a held handle does not drag";
  const float left = p.Part(0).Left();
  p.platform.fake_screen.pointer = {100, 100};
  p.startup.OnHotkey(kLeft);
  p.startup.OnHotkey(kBring);
  EXPECT_EQ(p.Part(0).Left(), left) << "held";
  EXPECT_THROW(p.startup.OnMenuCommand(shell::kFinish), fake::ProcessEnded);
  EXPECT_EQ(p.platform.fake_settings.Value("Dizodudoz/위치/XPosition"), std::to_string(p.values().XPosition));
}

// What became of each chord, as 속성 shows it: another program's chord, the same
// chord as an earlier row (the later one refused), any other refusal with the
// system's reason; none at start-up in a message. A change applies and is
// stored at once; a cleared box switches the action off; the refused chord is
// tried again when 속성 opens. A change that cannot be taken (it types, it is
// another row's, F12, another program's) leaves the row's chord as it was.
TEST(Shortcuts, RefusedChordsAreShownInTheirRowsAndTriedAgainWhenPropertiesOpens) {
  using dialogs::ShortcutBox;
  using dialogs::ShortcutState;
  unit::Program p;
  p.platform.fake_hotkeys.Hold({7, 'H'}, platform::Status::Failed(platform::Error::Busy, 1409));
  p.platform.fake_hotkeys.Hold({7, 'C'}, platform::Status::Failed(platform::Error::Other, 87));
  p.Start({{"Dizodudoz/단축키/고정", "Ctrl+Alt+Shift+C"}});
  EXPECT_TRUE(p.platform.fake_messages.shown.empty());
  p.startup.OnMenuCommand(shell::kColor);
  fake::FakeDialog& w = p.Dialog("속성");
  auto states = [&] {
    Calls texts;
    for (int a = 0; a < 4; ++a) texts.push_back(ToUtf8(w.Text(ShortcutState(a))));
    return texts;
  };
  EXPECT_EQ(states(), (Calls{"다른 프로그램이 사용 중", "사용할 수 없음 (error 87)", "", "다른 동작과 같음"}));
  EXPECT_EQ(w.ChordOf(ShortcutBox(settings::kHoldShortcut)), (Chord{7, 'C'}));
  EXPECT_EQ(w.Selection(ShortcutBox(settings::kNudgeShortcut)), 0);  // Ctrl+Alt+Shift
  w.TypeChordByUser(ShortcutBox(settings::kHoldShortcut), {modifier::kCtrl | modifier::kAlt, 'K'});
  EXPECT_EQ(p.platform.fake_settings.Value("Dizodudoz/단축키/고정"), "Ctrl+Alt+K");
  EXPECT_EQ(p.platform.fake_hotkeys.registered.at(kHold), (Chord{3, 'K'}));
  w.TypeChordByUser(ShortcutBox(settings::kHideShortcut), {});
  EXPECT_EQ(p.platform.fake_settings.Value("Dizodudoz/단축키/숨기기"), "");
  EXPECT_FALSE(p.platform.fake_hotkeys.registered.contains(kHide));
  w.PickByUser(ShortcutBox(settings::kNudgeShortcut), 5);  // 없음
  EXPECT_EQ(p.platform.fake_settings.Value("Dizodudoz/단축키/이동"), "");
  EXPECT_FALSE(p.platform.fake_hotkeys.registered.contains(kLeft));
  EXPECT_EQ(states(), (Calls{"", "사용할 수 없음 (error 87)", "", ""}));
  w.CloseByUser();
  p.platform.fake_hotkeys.held.clear();  // the other program is gone
  p.startup.OnMenuCommand(shell::kColor);
  EXPECT_EQ(p.platform.fake_hotkeys.registered.at(kBring), (Chord{7, 'C'}));
  EXPECT_EQ(ToUtf8(p.Dialog("속성").Text(ShortcutState(settings::kBringShortcut))), "");

  // Chords that cannot take a row's place: the row keeps its chord, stored and
  // registered; one that types is not even shown, for the others the row says
  // why beside what was typed. One an installed layout's AltGr types is taken.
  fake::FakeDialog& again = p.Dialog("속성");
  p.platform.fake_hotkeys.Hold({3, 'J'}, platform::Status::Failed(platform::Error::Busy, 1409));
  p.platform.fake_hotkeys.typing = {'P'};
  struct Typed {
    const char* what;
    Chord chord;
    std::string state;
    Chord box, held;  // what the box shows; the row's chord after it
  };
  // clang-format off
  const Typed typed[] = {
      {"H alone", {0, 'H'}, "", {3, 'K'}, {3, 'K'}},
      {"Shift+H", {modifier::kShift, 'H'}, "", {3, 'K'}, {3, 'K'}},
      {"the bring's chord", {7, 'C'}, "다른 동작과 같음", {7, 'C'}, {3, 'K'}},
      {"F12", {0, 0x7B}, "사용할 수 없음 (F12)", {0, 0x7B}, {3, 'K'}},
      {"another program's", {3, 'J'}, "다른 프로그램이 사용 중", {3, 'J'}, {3, 'K'}},
      {"Ctrl+F2", {modifier::kCtrl, 0x71}, "", {modifier::kCtrl, 0x71}, {modifier::kCtrl, 0x71}},
      {"AltGr types it", {7, 'P'}, "이 자판에서는 문자 입력과 겹침", {7, 'P'}, {7, 'P'}},
  };
  // clang-format on
  for (const Typed& t : typed) {
    SCOPED_TRACE(t.what);
    again.TypeChordByUser(ShortcutBox(settings::kHoldShortcut), t.chord);
    EXPECT_EQ(ToUtf8(again.Text(ShortcutState(settings::kHoldShortcut))), t.state);
    EXPECT_EQ(again.ChordOf(ShortcutBox(settings::kHoldShortcut)), t.box);
    EXPECT_EQ(p.platform.fake_settings.Value("Dizodudoz/단축키/고정"), ToUtf8(settings::ChordText(t.held)));
    EXPECT_EQ(p.platform.fake_hotkeys.registered.at(kHold), t.held);
    EXPECT_EQ(p.platform.fake_hotkeys.registered.at(kBring), (Chord{7, 'C'}));
  }
}

// The exit command saves, then deletes the icon, then ends; a session end saves
// the same. A failed exit save is told before the program ends; while the
// session ends it is not, since a message then would hold up the log-off; the
// port is released after the save.
TEST_F(StartUpTest, FinishSavesThenDeletesTheIconThenEndsAndOnlyItTellsAFailedSave) {
  Start();
  platform.fake_settings.failing_paths = {"Dizodudoz/크기/Gap"};
  platform.log.Clear();
  startup.OnSessionEnding();
  EXPECT_EQ(platform.log.With("save").size(), 9u);
  EXPECT_EQ(platform.log.all().back(), "port.close");
  EXPECT_TRUE(platform.fake_messages.shown.empty());
  platform.log.Clear();
  EXPECT_THROW(startup.OnMenuCommand(shell::kFinish), fake::ProcessEnded);
  const Calls calls = platform.log.all();
  ASSERT_EQ(calls.size(), 12u);
  EXPECT_EQ(Calls(calls.end() - 3, calls.end()),
            (Calls{"message 설정을 저장하지 못했습니다: Dizodudoz\\크기\\Gap\nerror 5", "tray.delete", "end 0"}));
}

// The window or its menu that cannot be made is named with the system's reason, and start-up stops.
TEST(StartUp, AStartUpWindowOrMenuThatCannotBeMadeIsReportedWithItsReasonAndStartUpStops) {
  for (const std::string name : {"frm_Pop", "DizodudozPop"}) {
    unit::Program p;
    p.platform.failing_windows = {name};
    EXPECT_FALSE(p.startup.Load());
    EXPECT_EQ(p.platform.fake_messages.shown, Calls{"Reticor2를 시작할 수 없습니다: " + name + "\nerror 1158"});
    EXPECT_TRUE(p.platform.log.With("get").empty());
  }
}

}  // namespace
}  // namespace rc::app
