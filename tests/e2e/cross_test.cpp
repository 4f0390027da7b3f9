// The crosshair on a real screen: nineteen windows exactly where the layout puts
// them, in the cross colour, topmost; drags of the centre handle with real pointer
// motion at a person's pace and faster; Esc in a drag; hold; a start-up message
// that the whole program waits behind; the exit save; another system DPI; a
// display change that would leave the cross off the screen.
#include "e2e_support.h"  // <windows.h> first

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "cross/cross_geometry.h"
#include "dialogs/properties_dialog.h"
#include "platform/win32/app_messages.h"
#include "shell/popup_menu_items.h"
#include "shell/tray_icon.h"

namespace {

using e2e::kDisplayApp;
using namespace rc::shell;

// A rectangle in screen pixels, comparable and sortable.
struct Box {
  long left = 0, top = 0, right = 0, bottom = 0;
  Box(long l, long t, long r, long b) : left(l), top(t), right(r), bottom(b) {}
  explicit Box(const RECT& r) : Box(r.left, r.top, r.right, r.bottom) {}
  auto operator<=>(const Box&) const = default;
};
std::string Describe(const std::vector<Box>& boxes) {
  std::string out;
  for (const Box& b : boxes)
    out += " (" + std::to_string(b.left) + "," + std::to_string(b.top) + ")-(" + std::to_string(b.right) + "," +
           std::to_string(b.bottom) + ")";
  return out;
}

// Twips to pixel edges, each to the nearest pixel, halves to even (lrint).
Box PixelBox(double left, double top, double width, double height, double tpp) {
  return {std::lrint(left / tpp), std::lrint(top / tpp), std::lrint((left + width) / tpp),
          std::lrint((top + height) / tpp)};
}

using Size = rc::cross::CrossSize;
constexpr Size kFirstRunSize{350, 50, 350};  // length, thickness, gap in twips

// The eighteen bars around a handle at (cl, ct) twips where the layout table puts them, sorted.
std::vector<Box> ExpectedBars(float cl, float ct, Size size, double tpp) {
  std::vector<Box> bars;
  for (int n = 1; n <= rc::cross::kBarCount; ++n) {
    const rc::cross::BarRect r = rc::cross::PlaceBar(n, size, cl, ct);
    bars.push_back(PixelBox(r.left, r.top, r.width, r.height, tpp));
  }
  std::sort(bars.begin(), bars.end());
  return bars;
}

BOOL Notify(DWORD action, HWND window) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = kTrayIconId;
  return Shell_NotifyIconW(action, &data);
}
// Whether the notification area holds the icon: a modify of nothing succeeds only then.
bool IconPresent(HWND window) { return Notify(NIM_MODIFY, window); }

// The program's icon in Wine's own tray window, the only icon of a fresh prefix
// (the tray and its icons are windows of the X11 driver in Wine 8, of explorer later).
HWND TrayIcon() {
  const std::pair<const wchar_t*, const wchar_t*> kinds[] = {{L"__winex11_standalone_tray", L"__winex11_tray_icon"},
                                                             {L"Shell_TrayWnd", L"__wine_tray_icon"}};
  for (const auto& [tray_class, icon_class] : kinds) {
    for (HWND tray = nullptr; (tray = FindWindowExW(nullptr, tray, tray_class, nullptr)) != nullptr;)
      if (const HWND icon = FindWindowExW(tray, nullptr, icon_class, nullptr); icon && IsWindowVisible(icon))
        return icon;
  }
  return nullptr;
}
// A notification from an icon on the screen with this text (Wine shows it as a balloon tooltip).
HWND Notification(std::wstring_view text) {
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr)) != nullptr;)
    if (IsWindowVisible(w) && e2e::TextOf(w) == text) return w;
  return nullptr;
}
POINT TopLeft(HWND window) {
  const RECT r = e2e::QueryWindow(window).rect;
  return {r.left, r.top};
}
bool operator==(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }
std::string Describe(POINT p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

class CrossTest : public e2e::Scenario {
 protected:
  // The program's popup menu while it is open, else null.
  HWND OpenMenu() const {
    for (HWND m : app.Windows(L"#32768"))
      if (IsWindowVisible(m)) return m;
    return nullptr;
  }
  HWND WaitForMenu() const {
    HWND menu = nullptr;
    e2e::WaitUntil([&] { return (menu = OpenMenu()) != nullptr; }, 5000);
    return menu;
  }
  // Escape closes the open menu, and no other opens after it.
  void CloseMenuWithEscape() {
    ASSERT_TRUE(e2e::Key("Escape"));
    EXPECT_TRUE(e2e::WaitUntil([&] { return OpenMenu() == nullptr; }, 3000)) << "the menu stays open";
    Sleep(500);
    EXPECT_EQ(OpenMenu(), nullptr) << "a second menu opened";
  }
  void HideHandle() {
    ShowWindow(Handle().hwnd, SW_HIDE);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !Handle().visible; }, 3000));
  }

  void StartAndWaitForTheCross() {
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(e2e::WaitUntil([&] { return Shown().size() == 18 && Handle().visible; }, 5000));
  }
  e2e::WindowState Handle() const { return e2e::QueryWindow(app.Window(L"frm_Center")); }
  std::vector<e2e::WindowState> CrossWindows() const {
    std::vector<e2e::WindowState> windows{Handle()};
    for (HWND bar : app.Windows(L"BarWindow")) windows.push_back(e2e::QueryWindow(bar));
    return windows;
  }
  // The visible bars, sorted.
  std::vector<Box> Shown() const {
    std::vector<Box> boxes;
    for (HWND bar : app.Windows(L"BarWindow"))
      if (IsWindowVisible(bar)) boxes.emplace_back(e2e::QueryWindow(bar).rect);
    std::sort(boxes.begin(), boxes.end());
    return boxes;
  }
  bool Captured() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(Handle().hwnd, nullptr), &info) && info.hwndCapture != nullptr;
  }

  void ExpectCrossAround(float cl, float ct, Size size = kFirstRunSize, double tpp = 15) {
    const std::vector<Box> expected = ExpectedBars(cl, ct, size, tpp);
    EXPECT_TRUE(e2e::WaitUntil([&] { return Shown() == expected; }, 3000))
        << "bars:" << Describe(Shown()) << "\nexpected:" << Describe(expected);
    EXPECT_EQ(Box(Handle().rect), PixelBox(cl, ct, size.thickness, size.thickness, tpp)) << e2e::Describe(Handle());
  }
  void ExpectCrossAroundTheHandle() { ExpectCrossAround(Handle().rect.left * 15.f, Handle().rect.top * 15.f); }

  // A drag by (dx, dy) pixels, pressed a pixel inside the handle's corner (the
  // pointer leaves a three-pixel handle at once): the handle moves exactly as the
  // pointer did, the cross is laid out around it, no capture is left.
  void ExpectDragFollowed(long dx, long dy, int pixels) {
    SCOPED_TRACE("drag by " + std::to_string(dx) + "," + std::to_string(dy) + " at " + std::to_string(pixels) +
                 " px per event");
    const RECT before = Handle().rect;
    ASSERT_TRUE(e2e::Drag({before.left + 1, before.top + 1}, {before.left + 1 + dx, before.top + 1 + dy}, pixels));
    EXPECT_TRUE(e2e::WaitUntil(
        [&] { return Handle().rect.left == before.left + dx && Handle().rect.top == before.top + dy; }, 3000))
        << e2e::Describe(Handle()) << ", expected at " << before.left + dx << "," << before.top + dy;
    ExpectCrossAroundTheHandle();
    EXPECT_FALSE(Captured());
  }
  // A drag that must not move anything.
  void ExpectDragRefused() {
    const RECT start = Handle().rect;
    ASSERT_TRUE(e2e::Drag({start.left + 1, start.top + 1}, {start.left - 199, start.top + 101}, 25));
    Sleep(500);
    ExpectCrossAround(start.left * 15.f, start.top * 15.f);
  }
};

TEST_F(CrossTest, FirstStartDrawsTheCrossThatFollowsEveryDragAndTheExitSavesWhereItIs) {
  StartAndWaitForTheCross();
  EXPECT_EQ(e2e::ReadApplication(kDisplayApp), e2e::Application({{L"폼", e2e::PartFlags()}}))
      << e2e::Describe(e2e::ReadApplication(kDisplayApp));
  EXPECT_TRUE(e2e::ReadApplication(e2e::kCorrectionApp).empty());
  const HWND pop = app.Window(L"frm_Pop");
  EXPECT_FALSE(e2e::QueryWindow(pop).visible);
  EXPECT_FALSE(e2e::QueryWindow(pop).topmost);
  EXPECT_TRUE(e2e::WaitUntil([&] { return IconPresent(pop); }, 5000));
  EXPECT_EQ(app.VisibleDialogs(), "");

  ExpectCrossAround(14400, 8100);
  for (const e2e::WindowState& w : CrossWindows()) {
    EXPECT_TRUE(w.topmost) << e2e::Describe(w);
    EXPECT_EQ(w.caption, L"");
    EXPECT_EQ(w.style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER), 0) << e2e::Describe(w);
    // No taskbar button; the bars never take the focus and let clicks through.
    const LONG_PTR ex =
        w.hwnd == Handle().hwnd ? WS_EX_TOOLWINDOW : WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT;
    EXPECT_EQ(w.exStyle & ex, ex) << e2e::Describe(w);
    COLORREF colour = 0;
    ASSERT_TRUE(e2e::ScreenPixel((w.rect.left + w.rect.right) / 2, (w.rect.top + w.rect.bottom) / 2, &colour));
    EXPECT_EQ(colour, RGB(255, 0, 0)) << e2e::Describe(w);
  }
  EXPECT_TRUE(e2e::Screenshot("cross-first-start"));

  // A flick straight after start-up: three motion events, the last 60 px long.
  ASSERT_TRUE(e2e::Xdotool({"mousemove", "962", "542", "mousedown", "1", "mousemove", "1000", "570", "mousemove",
                            "1060", "610", "mouseup", "1"}));
  EXPECT_TRUE(e2e::WaitUntil([&] { return Box(Handle().rect) == Box(1058, 608, 1061, 611); }, 3000))
      << e2e::Describe(Handle());
  ExpectCrossAroundTheHandle();
  EXPECT_FALSE(Captured());

  // A first run says where the menu is, in a notification from the icon.
  EXPECT_TRUE(e2e::WaitUntil([] { return Notification(kFirstRunText) != nullptr; }, 10000)) << "no notification";
  EXPECT_TRUE(e2e::Screenshot("tray-first-run-notification"));

  // The mouse on the icon, as ever. The right button: one menu, at the pointer
  // (the context-menu code after the release opens no second one).
  const HWND icon = TrayIcon();
  ASSERT_NE(icon, nullptr) << "no icon in Wine's tray";
  const POINT corner = TopLeft(icon);
  const POINT on_icon{corner.x + 10, corner.y + 3};  // its top edge, clear of the notification's stem
  ASSERT_TRUE(e2e::MouseMove(on_icon.x, on_icon.y));
  ASSERT_TRUE(e2e::Xdotool({"click", "3"}));
  HWND menu = WaitForMenu();
  ASSERT_NE(menu, nullptr) << "the right button on the icon at " << Describe(corner) << " opened no menu";
  EXPECT_TRUE(TopLeft(menu) == on_icon) << Describe(TopLeft(menu));
  EXPECT_TRUE(e2e::Screenshot("tray-menu-right-button"));
  CloseMenuWithEscape();
  // A single left click does nothing; a double-click shows the handle.
  HideHandle();
  ASSERT_TRUE(e2e::Xdotool({"click", "1"}));
  Sleep(700);
  EXPECT_FALSE(Handle().visible) << "a single click showed the handle";
  ASSERT_TRUE(e2e::Xdotool({"click", "--repeat", "2", "--delay", "80", "1"}));
  EXPECT_TRUE(e2e::WaitUntil([&] { return Handle().visible; }, 3000)) << "the double-click did not show the handle";

  // The keyboard on the selected icon, as the notification area reports it
  // (Wine's tray cannot be reached from the keyboard): Enter or Space shows the
  // handle; the menu key opens the menu at the icon, where the arrows and Enter
  // choose hold, which keeps the cross where it is until hold again.
  ASSERT_TRUE(e2e::PostTrayNotice(app, WM_CONTEXTMENU, corner));
  menu = WaitForMenu();
  ASSERT_NE(menu, nullptr) << "the menu key opened no menu";
  EXPECT_TRUE(TopLeft(menu) == corner) << Describe(TopLeft(menu));
  Sleep(300);
  EXPECT_TRUE(e2e::Screenshot("tray-menu-keyboard"));
  ASSERT_TRUE(e2e::Key("Down Down Return"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return OpenMenu() == nullptr; }, 3000));
  ExpectDragRefused();
  ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, kHold));
  HideHandle();
  ASSERT_TRUE(e2e::PostTrayNotice(app, NIN_KEYSELECT, corner));
  EXPECT_TRUE(e2e::WaitUntil([&] { return Handle().visible; }, 3000)) << "Enter did not show the handle";

  // A click on the notification opens the menu; Wine's shell does not say
  // where the icon is, so it opens at the pointer that clicked.
  ASSERT_TRUE(e2e::MouseMove(200, 70));
  ASSERT_TRUE(e2e::PostTrayNotice(app, NIN_BALLOONUSERCLICK, {0, 0}));
  menu = WaitForMenu();
  ASSERT_NE(menu, nullptr) << "the notification's click opened no menu";
  EXPECT_TRUE(TopLeft(menu) == (POINT{200, 70})) << Describe(TopLeft(menu));
  CloseMenuWithEscape();

  struct Move {
    long dx, dy;
    int pixels;
  };
  for (const Move& m : {Move{120, 0, 10}, Move{0, 95, 25}, Move{-240, 0, 60}, Move{0, -180, 60}, Move{-130, -70, 10},
                        Move{170, 110, 25}, Move{300, -200, 60}})
    ExpectDragFollowed(m.dx, m.dy, m.pixels);
  EXPECT_TRUE(e2e::Screenshot("cross-after-drags"));

  // Esc with the button still down puts the handle back; the release after it moves nothing.
  const RECT start = Handle().rect;
  ASSERT_TRUE(e2e::MouseMove(start.left + 1, start.top + 1));
  ASSERT_TRUE(e2e::Xdotool({"mousedown", "1"}));
  for (int step = 1; step <= 4; ++step)
    ASSERT_TRUE(e2e::MouseMove(start.left + 1 + 25 * step, start.top + 1 + 15 * step));
  EXPECT_TRUE(e2e::WaitUntil([&] { return Handle().rect.left == start.left + 100; }, 3000)) << e2e::Describe(Handle());
  EXPECT_TRUE(Shown().empty()) << "bars shown during the drag:" << Describe(Shown());
  EXPECT_TRUE(e2e::Screenshot("cross-during-drag"));
  ASSERT_TRUE(e2e::Key("Escape"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return Box(Handle().rect) == Box(start); }, 3000)) << e2e::Describe(Handle());
  ASSERT_TRUE(e2e::MouseMove(start.left + 150, start.top + 90));
  ASSERT_TRUE(e2e::Xdotool({"mouseup", "1"}));
  ExpectCrossAround(start.left * 15.f, start.top * 15.f);
  EXPECT_FALSE(Captured());

  // The shell's icons gone, as after a restart of the shell: the icon comes back.
  ASSERT_TRUE(Notify(NIM_DELETE, pop));
  ASSERT_TRUE(PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0));
  EXPECT_TRUE(e2e::WaitUntil([&] { return IconPresent(pop); }, 5000)) << "the icon was not added again";

  ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, kFinish));
  ASSERT_TRUE(app.WaitForExit(10000));
  EXPECT_EQ(app.ExitCode(), 0u);
  EXPECT_FALSE(IconPresent(pop));
  const e2e::Application saved{{L"선택사항", {{L"색상", L"255"}, {L"항상위", L"True"}}},
                               {L"크기", {{L"Length", L"350"}, {L"Thickness", L"50"}, {L"Gap", L"350"}}},
                               {L"위치",
                                {{L"XPosition", std::to_wstring(start.left * 15)},
                                 {L"YPosition", std::to_wstring(start.top * 15)},
                                 {L"고정", L"False"}}},
                               {L"폼", e2e::PartFlags()}};
  EXPECT_EQ(e2e::ReadApplication(kDisplayApp), saved) << e2e::Describe(e2e::ReadApplication(kDisplayApp));
}

// The start-up message about a missing COM2 is modal to the whole program: the
// cross refuses a drag and the tray opens no menu behind it; after OK the handle
// drags, and the port arriving later is opened without a word.
TEST_F(CrossTest, Com2MissingAtStartIsReportedOnceTheProgramWaitsBehindItAndTheArrivalOpensIt) {
  ASSERT_TRUE(e2e::SetCom2("missing"));
  ASSERT_TRUE(app.Start());
  const HWND box = app.Dialog(L"Reticor2", 10000);
  ASSERT_NE(box, nullptr) << "no message box";
  ASSERT_TRUE(e2e::WaitUntil([&] { return Shown().size() == 18 && Handle().visible; }, 5000));
  EXPECT_EQ(e2e::QueryWindow(GetDlgItem(box, 0xFFFF)).caption, L"COM2 포트를 열수가 없습니다.");
  EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
  EXPECT_FALSE(IsWindowEnabled(Handle().hwnd));
  ExpectDragRefused();
  ASSERT_TRUE(e2e::PostTrayNotice(app, WM_RBUTTONUP, {300, 200}));
  ASSERT_TRUE(e2e::PostTrayNotice(app, WM_CONTEXTMENU, {300, 200}));
  Sleep(500);
  for (HWND menu : app.Windows(L"#32768")) EXPECT_FALSE(IsWindowVisible(menu)) << "the tray menu opened";
  EXPECT_TRUE(IsWindowVisible(box));
  EXPECT_TRUE(e2e::Screenshot("cross-drag-refused-behind-port-message"));

  ASSERT_TRUE(e2e::ClickCentre(GetDlgItem(box, IDOK)));
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(box); }, 5000));
  Sleep(1000);
  EXPECT_EQ(app.VisibleDialogs(), "") << "a second message";
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowEnabled(Handle().hwnd) != FALSE; }, 3000));
  ExpectDragFollowed(-200, 100, 25);

  ASSERT_TRUE(e2e::SetCom2("present"));
  ASSERT_TRUE(peer.Open());
  e2e::AnnounceCom2(app.Window(L"frm_Pop"));
  e2e::ReaderIdleAfterOpen();
  ASSERT_TRUE(peer.Write(e2e::kReading));
  EXPECT_EQ(peer.ReadLine(), e2e::kReply) << "not opened on the port's arrival";
  EXPECT_EQ(app.VisibleDialogs(), "");
}

// Wine reads the system DPI when a program starts; this thread sees real pixels
// once it is per-monitor aware. Both undone at the end.
struct SystemDpi {
  explicit SystemDpi(DWORD dpi)
      : set(RegSetKeyValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels", REG_DWORD, &dpi, sizeof dpi) == ERROR_SUCCESS),
        previous(SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE)) {}
  ~SystemDpi() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktop, L"LogPixels");
    SetThreadDpiAwarenessContext(previous);
  }
  static constexpr const wchar_t* kDesktop = L"Control Panel\\Desktop";
  const bool set;
  const DPI_AWARENESS_CONTEXT previous;
};

// At 144 DPI (10 twips per pixel), sizes of odd tens of twips put many edges on
// half pixels, and a stored position that does not convert puts the handle at the
// screen's middle as the program measures it in twips.
TEST_F(CrossTest, AtOneHundredFortyFourDpiEveryEdgeLandsOnItsOwnPixel) {
  SystemDpi dpi(144);
  ASSERT_TRUE(dpi.set);
  ASSERT_TRUE(
      e2e::SaveApplication(kDisplayApp, {{L"선택사항", {{L"색상", L"255"}, {L"항상위", L"True"}}},
                                         {L"크기", {{L"Length", L"355"}, {L"Thickness", L"45"}, {L"Gap", L"345"}}},
                                         {L"위치", {{L"XPosition", L"x"}, {L"YPosition", L"y"}, {L"고정", L"False"}}},
                                         {L"폼", e2e::PartFlags()}}));
  StartAndWaitForTheCross();
  // 1920 x 1080 pixels are 19200 x 10800 twips; the handle 960,540 to 964 (964.5).
  ExpectCrossAround(9600, 5400, {355, 45, 345}, 10);
  EXPECT_TRUE(e2e::Screenshot("cross-144dpi"));

  // The properties dialog's client area, 4695 x 2070 twips, and the length bar
  // inside a frame at 660,1140, 1095 x 165: each edge on its own pixel.
  ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, kColor));
  const HWND dialog = app.Dialog(L"속성", 5000);
  ASSERT_NE(dialog, nullptr);
  RECT client{}, bar{};
  GetClientRect(dialog, &client);
  EXPECT_EQ(Box(client), Box(0, 0, 470, 207));  // 469.5
  GetWindowRect(e2e::Control(dialog, rc::dialogs::SizeBar(0)), &bar);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&bar), 2);
  EXPECT_EQ(Box(bar), Box(66, 114, 176, 130));  // right 175.5, bottom 130.5
  Sleep(300);
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-144dpi"));

  // A later start says nothing (Wine shows a notification two seconds after it is asked for).
  Sleep(2500);
  EXPECT_EQ(Notification(kFirstRunText), nullptr) << "a notification on a later start";

  // The exit save stores the handle's edges in twips, 10 to the pixel.
  ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, kFinish));
  ASSERT_TRUE(app.WaitForExit(10000));
  EXPECT_EQ(e2e::GetSetting(kDisplayApp, L"위치", L"XPosition"), L"9600");
  EXPECT_EQ(e2e::GetSetting(kDisplayApp, L"위치", L"YPosition"), L"5400");
}

// A Wine virtual desktop of 1920 x 1080 for this thread and the programs it
// starts on it: the one place where Wine lets a program change the display's
// size (Xvfb's own cannot change). Its size is global to the session, so it is
// put back, and this thread back on its own desktop, at the end.
class VirtualDesktop {
 public:
  static constexpr const wchar_t* kName = L"reticor2-display";
  VirtualDesktop()
      : size_set_(RegSetKeyValueW(HKEY_CURRENT_USER, kDesktops, kName, REG_SZ, L"1920x1080", sizeof L"1920x1080") ==
                  ERROR_SUCCESS),
        own_(GetThreadDesktop(GetCurrentThreadId())),
        desktop_(CreateDesktopW(kName, nullptr, nullptr, 0, GENERIC_ALL, nullptr)),
        on_it_(desktop_ != nullptr && SetThreadDesktop(desktop_)) {}
  ~VirtualDesktop() {
    if (on_it_) Resize(1920, 1080);
    if (on_it_) SetThreadDesktop(own_);
    if (desktop_ != nullptr) CloseDesktop(desktop_);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktops, kName);
  }
  bool ready() const { return size_set_ && on_it_; }
  // As a program (or the system, for a monitor unplugged) changes it.
  static testing::AssertionResult Resize(DWORD width, DWORD height) {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    const LONG result = ChangeDisplaySettingsW(&mode, 0);
    if (result != DISP_CHANGE_SUCCESSFUL) return testing::AssertionFailure() << "ChangeDisplaySettings: " << result;
    if (GetSystemMetrics(SM_CXSCREEN) != static_cast<int>(width))
      return testing::AssertionFailure() << "the screen is " << GetSystemMetrics(SM_CXSCREEN) << " wide";
    return testing::AssertionSuccess();
  }

 private:
  static constexpr const wchar_t* kDesktops = L"Software\\Wine\\Explorer\\Desktops";
  const bool size_set_;
  const HDESK own_;
  const HDESK desktop_;
  const bool on_it_;
};

// The cross at (1800, 540) px; the screen shrinks to 1280 x 800: the cross
// comes back to the new screen's middle, and a later change that leaves it on
// the screen does not move it; the exit save stores where it is. Its settings
// deleted while it runs (a registry cleaner), the exit save writes them back
// without the part flags, and the next start still draws the whole cross.
TEST_F(CrossTest, ADisplayChangeBringsTheCrossBackAndLostPartFlagsDoNotHideIt) {
  ASSERT_TRUE(e2e::SaveApplication(kDisplayApp,
                                   {{L"선택사항", {{L"색상", L"255"}, {L"항상위", L"True"}}},
                                    {L"크기", {{L"Length", L"350"}, {L"Thickness", L"50"}, {L"Gap", L"350"}}},
                                    {L"위치", {{L"XPosition", L"27000"}, {L"YPosition", L"8100"}, {L"고정", L"False"}}},
                                    {L"폼", e2e::PartFlags()}}));
  VirtualDesktop desktop;
  ASSERT_TRUE(desktop.ready());
  ASSERT_TRUE(app.Start(VirtualDesktop::kName));
  ASSERT_TRUE(e2e::WaitUntil([&] { return Shown().size() == 18 && Handle().visible; }, 10000));
  ExpectCrossAround(27000, 8100);
  EXPECT_TRUE(e2e::Screenshot("display-before-change"));

  ASSERT_TRUE(VirtualDesktop::Resize(1280, 800));
  ExpectCrossAround(9600, 6000);
  const RECT screen{0, 0, 1280, 800};
  for (const e2e::WindowState& w : CrossWindows()) {
    RECT inside{};
    EXPECT_TRUE(w.visible && IntersectRect(&inside, &w.rect, &screen) && EqualRect(&inside, &w.rect))
        << e2e::Describe(w);
  }
  EXPECT_TRUE(e2e::Screenshot("display-after-change"));

  ASSERT_TRUE(VirtualDesktop::Resize(1920, 1080));
  Sleep(500);
  ExpectCrossAround(9600, 6000);

  ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Dizodudoz"), ERROR_SUCCESS);
  ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, kFinish));
  ASSERT_TRUE(app.WaitForExit(10000));
  const e2e::Application saved{{L"선택사항", {{L"색상", L"255"}, {L"항상위", L"True"}}},
                               {L"크기", {{L"Length", L"350"}, {L"Thickness", L"50"}, {L"Gap", L"350"}}},
                               {L"위치", {{L"XPosition", L"9600"}, {L"YPosition", L"6000"}, {L"고정", L"False"}}}};
  EXPECT_EQ(e2e::ReadApplication(kDisplayApp), saved) << e2e::Describe(e2e::ReadApplication(kDisplayApp));

  app.Terminate();
  ASSERT_TRUE(app.Start(VirtualDesktop::kName));
  ASSERT_TRUE(e2e::WaitUntil([&] { return Shown().size() == 18 && Handle().visible; }, 10000))
      << Shown().size() << " bars shown";
  ExpectCrossAround(9600, 6000);
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::ReadApplication(kDisplayApp)[L"폼"] == e2e::PartFlags(); }, 5000))
      << e2e::Describe(e2e::ReadApplication(kDisplayApp));
  EXPECT_TRUE(e2e::Screenshot("display-restart-without-part-flags"));
}

// The program icon has an image for every size Windows asks for (the tray's at
// each DPI among them), so the shell never shrinks one; the 32-pixel one is 24-bit.
TEST(ProgramIcon, HasAnImageForEverySizeWindowsAsksFor) {
  const std::map<int, std::string> images = e2e::IconImages(e2e::AppPath());
  std::vector<int> sizes;
  for (const auto& [size, bytes] : images) {
    sizes.push_back(size);
    EXPECT_GT(bytes.size(), 40u) << size;
  }
  EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 256}));
  ASSERT_TRUE(images.contains(32));
  BITMAPINFOHEADER header{};
  std::memcpy(&header, images.at(32).data(), sizeof header);
  EXPECT_EQ(header.biBitCount, 24);
}

// The handle's class cursor belongs to another process; the resource it loads is checked.
TEST(CrossCursor, TheProgramCarriesAMonochromeMoveArrowWithHotSpot13) {
  HMODULE exe = LoadLibraryExW(e2e::AppPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  auto cursor = static_cast<HCURSOR>(LoadImageW(exe, MAKEINTRESOURCEW(1), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
  ICONINFO info{};
  ASSERT_TRUE(cursor != nullptr && GetIconInfo(cursor, &info)) << "no cursor resource 1";
  BITMAP mask{};
  GetObjectW(info.hbmMask, sizeof mask, &mask);
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 13u);
  EXPECT_EQ(info.yHotspot, 13u);
  EXPECT_EQ(info.hbmColor, nullptr) << "monochrome: one mask bitmap only";
  EXPECT_EQ(mask.bmWidth, 32);
  EXPECT_EQ(mask.bmHeight, 64);  // AND mask above XOR mask
  DeleteObject(info.hbmMask);
  DestroyCursor(cursor);
  FreeLibrary(exe);
}

}  // namespace
