// The crosshair on a real screen: nineteen windows where the layout table puts
// them, in the cross colour, topmost; drags of the centre handle with real pointer
// motion at a person's pace and faster; Esc in a drag; the tray icon, its
// menu and the first run's notification; the exit save; the global shortcuts from
// another program, opacity and the sign-in box; another system DPI and a display
// change that would leave the cross off the screen.
#include "e2e_support.h"  // <windows.h> first

#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>

#include "cross/cross_geometry.h"
#include "dialogs/properties_dialog.h"
#include "shell/popup_menu_items.h"
#include "shell/tray_icon.h"

namespace {

using e2e::kDisplayApp;
using namespace rc::shell;
using Box = std::array<long, 4>;  // left, top, right, bottom in screen pixels
using Size = rc::cross::CrossSize;

Box BoxOf(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// The eighteen bars where the layout table puts them around a handle at (cl, ct)
// twips, sorted, then the handle: each edge to the nearest pixel, halves to even.
std::vector<Box> Layout(float cl, float ct, Size size, double tpp) {
  const auto box = [tpp](double left, double top, double width, double height) {
    return Box{std::lrint(left / tpp), std::lrint(top / tpp), std::lrint((left + width) / tpp),
               std::lrint((top + height) / tpp)};
  };
  std::vector<Box> boxes;
  for (int n = 1; n <= rc::cross::kBarCount; ++n) {
    const rc::cross::BarRect r = rc::cross::PlaceBar(n, size, cl, ct);
    boxes.push_back(box(r.left, r.top, r.width, r.height));
  }
  std::sort(boxes.begin(), boxes.end());
  boxes.push_back(box(cl, ct, size.thickness, size.thickness));
  return boxes;
}

// NIM_MODIFY of nothing succeeds only while the notification area holds the icon.
bool Notify(DWORD action, HWND window) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = kTrayIconId;
  return Shell_NotifyIconW(action, &data) != FALSE;
}

// Runs `undo` however the scenario ends: what it changed for the whole session is put back.
struct Undo {
  std::function<void()> undo;
  ~Undo() { undo(); }
};

// As a program (or the system, for a monitor unplugged) changes the display's size.
bool Resize(DWORD width, DWORD height) {
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = width;
  mode.dmPelsHeight = height;
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
  return ChangeDisplaySettingsW(&mode, 0) == DISP_CHANGE_SUCCESSFUL &&
         GetSystemMetrics(SM_CXSCREEN) == static_cast<int>(width);
}

// The system DPI, which Wine reads when a program starts, for one scenario; this
// thread sees real pixels meanwhile (per-monitor aware). Both put back at the end.
Undo AtSystemDpi(DWORD dpi) {
  const DPI_AWARENESS_CONTEXT own = SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
  return {[own] {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels");
    SetThreadDpiAwarenessContext(own);
  }};
}

const e2e::Section kColourOnTop{{L"색상", L"255"}, {L"항상위", L"True"}, {L"불투명도", L"100"}};

class CrossTest : public e2e::Scenario {
 protected:
  void StartAndWaitForTheCross(const std::wstring& desktop = L"") {
    ASSERT_TRUE(app.Start(desktop));
    ASSERT_TRUE(e2e::WaitUntil([&] { return Shown().size() == 19; }, 10000)) << Shown().size() << " parts shown";
  }
  HWND Handle() const { return app.Window(L"frm_Center"); }
  // The visible bars, sorted, then the handle when it is visible.
  std::vector<Box> Shown() const {
    std::vector<Box> boxes;
    for (HWND bar : app.Windows(L"BarWindow", true)) boxes.push_back(BoxOf(e2e::RectOf(bar)));
    std::sort(boxes.begin(), boxes.end());
    if (IsWindowVisible(Handle())) boxes.push_back(BoxOf(e2e::RectOf(Handle())));
    return boxes;
  }
  // Another program with the keyboard, under the pointer wherever it goes (without a
  // window manager the keys go to the window under the pointer); it ends with the scenario.
  HWND OtherProgramWithTheKeyboard() {
    if (other_program_ == nullptr) other_program_ = e2e::Spawn(L"C:\\windows\\notepad.exe", L"");
    HWND other = nullptr;
    if (!e2e::WaitUntil([&] { return (other = FindWindowW(L"Notepad", nullptr)) != nullptr; }, 10000)) return nullptr;
    SetWindowPos(other, nullptr, 0, 0, 1920, 1040, SWP_NOZORDER);
    const bool keys = e2e::Click(300, 250) && e2e::WaitUntil([&] { return GetForegroundWindow() == other; }, 3000);
    EXPECT_TRUE(keys) << "notepad has no keyboard";
    return keys ? other : nullptr;
  }
  // Made small for a picture (once clicked it stays above the cross on the X
  // display), then given the keys again.
  void Look(HWND other, const std::string& name) {
    SetWindowPos(other, nullptr, 0, 0, 400, 120, SWP_NOZORDER);
    Sleep(300);
    EXPECT_TRUE(e2e::Screenshot(name));
    EXPECT_EQ(OtherProgramWithTheKeyboard(), other);
  }
  HANDLE other_program_ = nullptr;
  const Undo end_other_program_{[this] {
    TerminateProcess(other_program_, 0);
    WaitForSingleObject(other_program_, 10000);  // its window gone before the next scenario looks for one
  }};
  bool Captured() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(Handle(), nullptr), &info) && info.hwndCapture != nullptr;
  }

  void ExpectCrossAround(float cl, float ct, Size size = {350, 50, 350}, double tpp = 15) {
    const std::vector<Box> expected = Layout(cl, ct, size, tpp);
    e2e::WaitUntil([&] { return Shown() == expected; }, 3000);
    EXPECT_EQ(Shown(), expected);
  }

  // The program's one popup menu opens at `at`; `keys` close it, and no other opens.
  void ExpectOneMenuAt(POINT at, const char* screenshot, const char* keys) {
    HWND menu = nullptr;
    ASSERT_TRUE(e2e::WaitUntil([&] { return (menu = app.Window(L"#32768", true)) != nullptr; }, 5000)) << screenshot;
    const RECT r = e2e::RectOf(menu);
    EXPECT_EQ((std::pair{r.left, r.top}), (std::pair{at.x, at.y})) << screenshot;
    Sleep(300);
    EXPECT_TRUE(e2e::Screenshot(screenshot));
    ASSERT_TRUE(e2e::Key(keys));
    EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(menu); }, 3000)) << "the menu stays open";
    Sleep(500);
    EXPECT_EQ(app.Window(L"#32768", true), nullptr) << "a second menu opened";
  }

  // A drag by (dx, dy) pixels, pressed a pixel inside the handle's corner (the pointer
  // leaves a three-pixel handle at once): the cross follows the pointer exactly; no
  // capture is left.
  void ExpectDrag(long dx, long dy, int pixels) {
    SCOPED_TRACE("by " + std::to_string(dx) + "," + std::to_string(dy) + ", " + std::to_string(pixels) +
                 " px an event");
    const RECT r = e2e::RectOf(Handle());
    ASSERT_TRUE(e2e::Drag({r.left + 1, r.top + 1}, {r.left + 1 + dx, r.top + 1 + dy}, pixels));
    ExpectCrossAround((r.left + dx) * 15.f, (r.top + dy) * 15.f);
    EXPECT_FALSE(Captured());
  }
};

TEST_F(CrossTest, FirstStartDrawsTheCrossThatFollowsEveryDragAndTheExitSavesWhereItIs) {
  StartAndWaitForTheCross();
  const HWND pop = app.Window(L"frm_Pop");
  EXPECT_FALSE(IsWindowVisible(pop) || (GetWindowLongPtrW(pop, GWL_EXSTYLE) & WS_EX_TOPMOST));
  EXPECT_TRUE(e2e::WaitUntil([&] { return Notify(NIM_MODIFY, pop); }, 5000)) << "no icon";
  EXPECT_EQ(app.VisibleDialogs(), L"");

  ExpectCrossAround(14400, 8100);
  std::vector<HWND> parts = app.Windows(L"BarWindow");
  parts.push_back(Handle());
  for (HWND part : parts) {
    SCOPED_TRACE(part == Handle() ? "the handle" : "a bar");
    // Topmost, no frame, no taskbar button; the bars never take the focus and let clicks through.
    const LONG_PTR ex =
        WS_EX_TOPMOST | WS_EX_TOOLWINDOW | (part == Handle() ? 0 : WS_EX_NOACTIVATE | WS_EX_TRANSPARENT);
    EXPECT_EQ(GetWindowLongPtrW(part, GWL_EXSTYLE) & ex, ex);
    EXPECT_EQ(GetWindowLongPtrW(part, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_BORDER), 0);
    EXPECT_EQ(GetWindowTextLengthW(part), 0);
    EXPECT_EQ(e2e::MiddlePixel(part), RGB(255, 0, 0));
  }
  EXPECT_TRUE(e2e::Screenshot("cross-first-start"));

  // A flick straight after start-up: three motion events, the last 60 px long.
  ASSERT_TRUE(e2e::Xdotool({"mousemove", "962", "542", "mousedown", "1", "mousemove", "1000", "570", "mousemove",
                            "1060", "610", "mouseup", "1"}));
  ExpectCrossAround(1058 * 15.f, 608 * 15.f);
  EXPECT_FALSE(Captured());

  // A first run says where the menu is, in a notification from the icon.
  EXPECT_TRUE(e2e::WaitUntil([] { return e2e::Notification(kFirstRunText) == kFirstRunText; }, 10000));
  EXPECT_TRUE(e2e::Screenshot("tray-first-run-notification"));

  // The right button on the icon (the only one in Wine's own tray window): one menu,
  // at the pointer (the context-menu code after the release opens no second one).
  const HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
  const RECT i = e2e::RectOf(FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr));
  ASSERT_GT(i.right, 0) << "no icon in Wine's tray";
  const POINT on_icon{i.left + 10, i.top + 3};  // its top edge, clear of the notification's stem
  ASSERT_TRUE(e2e::MouseMove(on_icon.x, on_icon.y));
  ASSERT_TRUE(e2e::Xdotool({"click", "3"}));
  ExpectOneMenuAt(on_icon, "tray-menu-right-button", "Escape");
  // A single left click does nothing; a double-click shows the handle.
  ShowWindow(Handle(), SW_HIDE);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(Handle()); }, 3000));
  ASSERT_TRUE(e2e::Xdotool({"click", "1"}));
  Sleep(700);
  EXPECT_FALSE(IsWindowVisible(Handle())) << "a single click showed the handle";
  ASSERT_TRUE(e2e::Xdotool({"click", "--repeat", "2", "--delay", "80", "1"}));
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(Handle()); }, 3000)) << "the double-click did not";
  // The menu key on the selected icon, as the notification area reports it (Wine's
  // tray cannot be reached from the keyboard): the menu at the icon. (What each
  // other code does is the tray callback's unit table; a held handle's refusal to
  // drag, the centre handle's.)
  ASSERT_TRUE(e2e::PostTrayNotice(app, WM_CONTEXTMENU, {i.left, i.top}));
  ExpectOneMenuAt({i.left, i.top}, "tray-menu-keyboard", "Escape");

  ExpectDrag(-130, -70, 10);
  ExpectDrag(170, 110, 25);
  ExpectDrag(300, -200, 60);
  EXPECT_TRUE(e2e::Screenshot("cross-after-drags"));

  // Esc with the button still down puts the handle back; the release after it moves nothing.
  const RECT start = e2e::RectOf(Handle());
  ASSERT_TRUE(e2e::MouseMove(start.left + 1, start.top + 1));
  ASSERT_TRUE(e2e::Xdotool({"mousedown", "1"}));
  for (int step = 1; step <= 4; ++step)
    ASSERT_TRUE(e2e::MouseMove(start.left + 1 + 25 * step, start.top + 1 + 15 * step));
  const Box moved{start.left + 100, start.top + 60, start.right + 100, start.bottom + 60};
  EXPECT_TRUE(e2e::WaitUntil([&] { return Shown() == std::vector{moved}; }, 3000)) << "the handle alone follows";
  EXPECT_TRUE(e2e::Screenshot("cross-during-drag"));
  ASSERT_TRUE(e2e::Key("Escape"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return BoxOf(e2e::RectOf(Handle())) == BoxOf(start); }, 3000));
  ASSERT_TRUE(e2e::MouseMove(start.left + 150, start.top + 90));
  ASSERT_TRUE(e2e::Xdotool({"mouseup", "1"}));
  ExpectCrossAround(start.left * 15.f, start.top * 15.f);
  EXPECT_FALSE(Captured());

  // The shell's icons gone, as after a restart of the shell: the icon comes back.
  ASSERT_TRUE(Notify(NIM_DELETE, pop));
  ASSERT_TRUE(PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0));
  EXPECT_TRUE(e2e::WaitUntil([&] { return Notify(NIM_MODIFY, pop); }, 5000)) << "the icon was not added again";

  ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, kFinish));
  ASSERT_TRUE(app.WaitForExit(10000));
  EXPECT_EQ(app.ExitCode(), 0u);
  EXPECT_FALSE(Notify(NIM_MODIFY, pop));
  // Where the handle is after the Esc, not where the cancelled drag had it.
  EXPECT_EQ(e2e::ReadApplication(kDisplayApp)[L"위치"], (e2e::Section{{L"XPosition", std::to_wstring(start.left * 15)},
                                                                      {L"YPosition", std::to_wstring(start.top * 15)},
                                                                      {L"고정", L"False"}}));
}

// A user at work in another program (a plain Wine window has the keyboard): the
// hide chord, taken by another program before the start, is shown so in 속성 and
// given a new one typed with real keys, which works and is stored; opacity 50 %
// gives every window alpha 128; the sign-in box writes and deletes the Run value.
// Then real chords bring the handle's middle to the pointer at two places, nudge
// it by single pixels and glide with a held arrow; hold by its chord: the nudges
// do nothing, until the menu's 고정 takes it off again. (What the exit save
// writes of them is the settings store's table; that it reaches the registry, the
// first scenario's.)
TEST_F(CrossTest, FromAnotherProgramTheShortcutsHideBringNudgeAndHoldTheCross) {
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT | MOD_SHIFT | MOD_NOREPEAT, 'H')) << GetLastError();
  StartAndWaitForTheCross();
  const wchar_t* const kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const wchar_t* const kApprovedKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
  // Another copy's entry, switched off in Task Manager: the next sign-in starts nothing of this copy.
  const wchar_t elsewhere[] = L"\"C:\\Users\\kim\\Downloads\\Reticor2.exe\"";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Reticor2", REG_SZ, elsewhere, sizeof elsewhere),
            ERROR_SUCCESS);
  const BYTE switched_off[12] = {3};
  ASSERT_EQ(
      RegSetKeyValueW(HKEY_CURRENT_USER, kApprovedKey, L"Reticor2", REG_BINARY, switched_off, sizeof switched_off),
      ERROR_SUCCESS);

  ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, kColor));
  const HWND dialog = app.Dialog(L"속성", 5000);
  ASSERT_NE(dialog, nullptr);
  const HWND hide = e2e::Control(dialog, rc::dialogs::ShortcutBox(0)),
             hide_state = e2e::Control(dialog, rc::dialogs::ShortcutState(0));
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::TextOf(hide_state) == L"다른 프로그램이 사용 중"; }, 3000));
  Sleep(300);
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-chord-held-elsewhere"));
  ASSERT_TRUE(e2e::ClickCentre(hide));
  ASSERT_TRUE(e2e::Key("ctrl+alt+j"));
  EXPECT_TRUE(
      e2e::WaitUntil([&] { return e2e::ReadApplication(kDisplayApp)[L"단축키"][L"숨기기"] == L"Ctrl+Alt+J"; }, 3000));
  EXPECT_EQ(e2e::TextOf(hide_state), L"");
  // Opacity: the bar's left arrow five times, 100 % to 50 %.
  const RECT bar = e2e::RectOf(e2e::Control(dialog, rc::dialogs::kOpacityBar));
  for (int click = 0; click < 5; ++click) ASSERT_TRUE(e2e::Click(bar.left + 3, (bar.top + bar.bottom) / 2));
  EXPECT_TRUE(
      e2e::WaitUntil([&] { return e2e::TextOf(e2e::Control(dialog, rc::dialogs::kOpacityValue)) == L"50 %"; }, 3000));
  for (HWND part : {Handle(), app.Window(L"BarWindow")}) {
    BYTE alpha = 0;
    DWORD flags = 0;
    EXPECT_TRUE(GetLayeredWindowAttributes(part, nullptr, &alpha, &flags) && (flags & LWA_ALPHA));
    EXPECT_EQ(alpha, 128);
  }
  const HWND sign_in = e2e::Control(dialog, rc::dialogs::kSignInBox);
  EXPECT_EQ(SendMessageW(sign_in, BM_GETCHECK, 0, 0), BST_UNCHECKED) << "another copy's entry, switched off";
  ASSERT_TRUE(e2e::ClickCentre(sign_in));
  EXPECT_TRUE(
      e2e::WaitUntil([&] { return e2e::UserText(kRunKey, L"Reticor2") == L"\"C:\\reticor\\Reticor2.exe\""; }, 3000));
  EXPECT_NE(RegGetValueW(HKEY_CURRENT_USER, kApprovedKey, L"Reticor2", RRF_RT_ANY, nullptr, nullptr, nullptr),
            ERROR_SUCCESS)
      << "switched on again";
  EXPECT_EQ(SendMessageW(sign_in, BM_GETCHECK, 0, 0), BST_CHECKED);
  Sleep(300);
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-shortcuts"));
  ASSERT_TRUE(e2e::ClickCentre(sign_in));
  EXPECT_TRUE(e2e::WaitUntil([&] { return !e2e::UserText(kRunKey, L"Reticor2"); }, 3000));
  ASSERT_TRUE(e2e::Key("alt+F4"));

  const HWND other = OtherProgramWithTheKeyboard();

  ASSERT_TRUE(e2e::Key("ctrl+alt+j"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return Shown().empty(); }, 3000)) << Shown().size() << " parts shown";
  Look(other, "shortcut-cross-hidden");
  ASSERT_TRUE(e2e::Key("ctrl+alt+j"));
  ExpectCrossAround(14400, 8100);

  // The pointer's pixel is the handle's middle one (3 pixels wide): 7.5 twips past
  // the pixel's edge, less half the handle.
  for (const POINT at : {POINT{400, 300}, POINT{1500, 800}}) {
    ASSERT_TRUE(e2e::MouseMove(at.x, at.y));
    ASSERT_TRUE(e2e::Key("ctrl+alt+shift+c"));
    ExpectCrossAround(at.x * 15 - 17.5f, at.y * 15 - 17.5f);
  }
  ASSERT_TRUE(e2e::Key("ctrl+alt+shift+Right ctrl+alt+shift+Up"));
  ExpectCrossAround(1500 * 15, 798 * 15);  // from the pixels it was seen on, 1499 and 799
  std::vector<std::string> glide{"keydown", "ctrl+alt+shift", "key", "--delay", "33"};
  glide.insert(glide.end(), 30, "Right");
  glide.insert(glide.end(), {"keyup", "ctrl+alt+shift"});
  ASSERT_TRUE(e2e::Xdotool(glide));
  ExpectCrossAround(1530 * 15, 798 * 15);
  Look(other, "shortcut-cross-nudged");

  ASSERT_TRUE(e2e::Key("ctrl+alt+shift+l ctrl+alt+shift+Left"));
  Sleep(500);
  ExpectCrossAround(1530 * 15, 798 * 15);
  ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, kHold, "tray-menu-held-by-shortcut"));  // off again
  ASSERT_TRUE(e2e::Click(300, 250));
  ASSERT_TRUE(e2e::Key("ctrl+alt+shift+Left"));
  ExpectCrossAround(1529 * 15, 798 * 15);
  UnregisterHotKey(nullptr, 1);
}

// At 125 % and 175 % (120 and 168 DPI), where edges of 350, 50 and 350 twips fall
// on half pixels: each nudge, two each way, moves every one of the nineteen
// windows by one pixel at its size, and the exit and a restart put each back on
// the pixels it left. (Before the display scenario: after its virtual desktop,
// Wine brings no chord to the shortcuts any more.)
TEST_F(CrossTest, At120And168DpiEachNudgeMovesEveryWindowOnePixelAndARestartKeepsTheirPixels) {
  // clang-format off
  const std::tuple<const char*, int, int> kSteps[] = {{"Down", 0, 1}, {"Down", 0, 1}, {"Up", 0, -1}, {"Up", 0, -1},
      {"Right", 1, 0}, {"Right", 1, 0}, {"Left", -1, 0}, {"Left", -1, 0}};  // two steps each way
  // clang-format on
  for (const int dpi : {120, 168}) {
    SCOPED_TRACE(std::to_string(dpi) + " DPI");
    const Undo at_dpi = AtSystemDpi(dpi);
    ASSERT_TRUE(e2e::SaveApplication(
        kDisplayApp, {{L"선택사항", kColourOnTop},
                      {L"크기", {{L"Length", L"350"}, {L"Thickness", L"50"}, {L"Gap", L"350"}}},
                      {L"위치", {{L"XPosition", L"10007"}, {L"YPosition", L"5003"}, {L"고정", L"False"}}},
                      {L"폼", e2e::PartFlags()}}));
    StartAndWaitForTheCross();
    std::vector<Box> seen = Shown();
    ASSERT_EQ(seen.back()[2] - seen.back()[0], dpi == 120 ? 4 : 6) << "the handle at this DPI";
    const HWND other = OtherProgramWithTheKeyboard();
    for (const auto& [key, dx, dy] : kSteps) {
      for (Box& box : seen) box = {box[0] + dx, box[1] + dy, box[2] + dx, box[3] + dy};
      ASSERT_TRUE(e2e::Key(std::string("ctrl+alt+shift+") + key));
      e2e::WaitUntil([&] { return Shown() == seen; }, 3000);
      ASSERT_EQ(Shown(), seen) << key;
    }
    Look(other, "cross-nudged-" + std::to_string(dpi) + "dpi");
    ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, kFinish));
    ASSERT_TRUE(app.WaitForExit(10000));
    app.Terminate();
    StartAndWaitForTheCross();
    EXPECT_EQ(Shown(), seen);
    app.Terminate();
  }
}

// At 144 DPI (10 twips per pixel), with sizes of odd tens of twips (many edges on
// half pixels): the cross at (1800, 540) px, each edge on its own pixel. The screen
// shrinks to 1280 x 800: the cross comes back to the new screen's middle as the
// program measures it in twips, and the properties dialog's edges land on their own
// pixels too. Its settings deleted while it runs (a registry cleaner), the exit save
// writes them back, the position in twips, 10 to the pixel.
TEST_F(CrossTest, At144DpiEveryEdgeLandsOnItsOwnPixelAndADisplayChangeBringsTheCrossBack) {
  const e2e::Section size{{L"Length", L"355"}, {L"Thickness", L"45"}, {L"Gap", L"345"}};
  const e2e::Section at_right{{L"XPosition", L"18000"}, {L"YPosition", L"5400"}, {L"고정", L"False"}};
  ASSERT_TRUE(e2e::SaveApplication(
      kDisplayApp, {{L"선택사항", kColourOnTop}, {L"크기", size}, {L"위치", at_right}, {L"폼", e2e::PartFlags()}}));
  // A Wine virtual desktop of 1920 x 1080 for this thread and the program: the one
  // place where Wine lets a program change the display's size (Xvfb's cannot). It
  // and the DPI are the session's: put back at the end.
  const Undo dpi = AtSystemDpi(144);
  const wchar_t *const kName = L"reticor2-display", *const kDesktops = L"Software\\Wine\\Explorer\\Desktops";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kDesktops, kName, REG_SZ, L"1920x1080", sizeof L"1920x1080"),
            ERROR_SUCCESS);
  const HDESK own = GetThreadDesktop(GetCurrentThreadId());
  const HDESK desktop = CreateDesktopW(kName, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  const Undo undo{[&] {
    Resize(1920, 1080);
    SetThreadDesktop(own);
    CloseDesktop(desktop);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktops, kName);
  }};
  ASSERT_TRUE(desktop != nullptr && SetThreadDesktop(desktop));
  StartAndWaitForTheCross(kName);
  ExpectCrossAround(18000, 5400, {355, 45, 345}, 10);  // the handle 1800,540 to 1804 (1804.5)
  EXPECT_TRUE(e2e::Screenshot("display-before-change-144dpi"));

  ASSERT_TRUE(Resize(1280, 800)) << "the screen is " << GetSystemMetrics(SM_CXSCREEN) << " wide";
  ExpectCrossAround(6400, 4000, {355, 45, 345}, 10);
  EXPECT_TRUE(e2e::Screenshot("display-after-change"));

  // The properties dialog's client area, 4695 x 6195 twips, and the length bar
  // inside a frame at 660,1140, 1095 x 165: each edge on its own pixel.
  ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, kColor));
  const HWND dialog = app.Dialog(L"속성", 5000);
  ASSERT_NE(dialog, nullptr);
  RECT client{}, bar = e2e::RectOf(e2e::Control(dialog, rc::dialogs::SizeBar(0)));
  GetClientRect(dialog, &client);
  EXPECT_EQ(BoxOf(client), (Box{0, 0, 470, 620}));  // 469.5, 619.5
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&bar), 2);
  EXPECT_EQ(BoxOf(bar), (Box{66, 114, 176, 130}));  // right 175.5, bottom 130.5
  Sleep(300);
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-144dpi"));

  ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Dizodudoz"), ERROR_SUCCESS);
  ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, kFinish));
  ASSERT_TRUE(app.WaitForExit(10000));
  const e2e::Section middle{{L"XPosition", L"6400"}, {L"YPosition", L"4000"}, {L"고정", L"False"}};
  // The thickness as the dialog's bar holds it: 4.5 positions, halves to even.
  const e2e::Section held{{L"Length", L"355"}, {L"Thickness", L"40"}, {L"Gap", L"345"}};
  EXPECT_EQ(e2e::ReadApplication(kDisplayApp),
            e2e::Application({{L"선택사항", kColourOnTop}, {L"크기", held}, {L"위치", middle}}))
      << e2e::Describe(e2e::ReadApplication(kDisplayApp));
}

// The program icon has an image for every size Windows asks for (the tray's at each
// DPI among them), so the shell never shrinks one; the 32-pixel one is 24-bit. The
// handle's class cursor belongs to another process: the resource it loads is checked.
TEST(ProgramResources, AnIconImageForEverySizeWindowsAsksForAndAMonochromeMoveCursor) {
  std::map<int, std::string> images = e2e::IconImages(e2e::AppPath());
  for (const int size : {16, 20, 24, 32, 40, 48, 256}) EXPECT_GT(images[size].size(), 40u) << size;
  EXPECT_EQ(images.size(), 7u) << "an image of another size";
  ASSERT_GT(images[32].size(), sizeof(BITMAPINFOHEADER));
  EXPECT_EQ(reinterpret_cast<const BITMAPINFOHEADER*>(images[32].data())->biBitCount, 24);

  HMODULE exe = LoadLibraryExW(e2e::AppPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  auto cursor = static_cast<HCURSOR>(LoadImageW(exe, MAKEINTRESOURCEW(1), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
  ICONINFO info{};
  ASSERT_TRUE(cursor != nullptr && GetIconInfo(cursor, &info)) << "no cursor resource 1";
  BITMAP mask{};
  GetObjectW(info.hbmMask, sizeof mask, &mask);
  // A cursor, its hot spot in the middle; monochrome: one mask bitmap, the AND mask above the XOR mask.
  EXPECT_EQ(std::tuple(info.fIcon, info.xHotspot, info.yHotspot, info.hbmColor, mask.bmWidth, mask.bmHeight),
            std::tuple(FALSE, 13ul, 13ul, HBITMAP{}, 32l, 64l));
  DeleteObject(info.hbmMask);
  DestroyCursor(cursor);
  FreeLibrary(exe);
}

}  // namespace
