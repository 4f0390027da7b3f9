// The crosshair on a real screen: nineteen windows where the layout puts them,
// in the cross colour, stacked as OnTop says; a drag of the centre handle with
// real pointer motion, at a person's pace and faster, moves the whole cross
// unless the position is held or a message for the whole program is showing;
// Esc during a drag puts it back.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace {

using e2e::Application;
using e2e::kDisplayApp;

constexpr int kTwipsPerPixel = 15;  // the virtual display runs at 96 DPI

// Twips to a pixel edge: nearest pixel, halves to even (the program's rule;
// lrint rounds halves to even).
long Px(double twips, double twips_per_pixel = kTwipsPerPixel) { return std::lrint(twips / twips_per_pixel); }

// A window rectangle in screen pixels, comparable and sortable.
struct Box {
  long left = 0, top = 0, right = 0, bottom = 0;
  Box() = default;
  Box(long l, long t, long r, long b) : left(l), top(t), right(r), bottom(b) {}
  explicit Box(const RECT& r) : Box(r.left, r.top, r.right, r.bottom) {}
  auto operator<=>(const Box&) const = default;
};

Box PixelRect(double left, double top, double width, double height, double tpp = kTwipsPerPixel) {
  return {Px(left, tpp), Px(top, tpp), Px(left + width, tpp), Px(top + height, tpp)};
}

std::string Describe(const Box& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}
std::string Describe(const std::vector<Box>& rects) {
  std::string out;
  for (const Box& r : rects) out += " " + Describe(r);
  return out;
}

// Length, thickness and gap in twips; the first run's by default.
struct CrossSize {
  double length = 350, thickness = 50, gap = 350;
};

// The eighteen bar rectangles around a handle at (cl, ct) twips: four segments
// up and down, five left and right, each L long and T thick, G apart.
std::vector<Box> ExpectedBars(double cl, double ct, CrossSize size = {}, double tpp = kTwipsPerPixel) {
  const double l = size.length, t = size.thickness, g = size.gap;
  std::vector<Box> bars;
  for (int place = 1; place <= 4; ++place) {
    bars.push_back(PixelRect(cl, ct - place * (g + l), t, l, tpp));                // up
    bars.push_back(PixelRect(cl, ct + t + g + (place - 1) * (l + g), t, l, tpp));  // down
  }
  for (int place = 1; place <= 5; ++place) {
    bars.push_back(PixelRect(cl - place * (l + g), ct, l, t, tpp));                // left
    bars.push_back(PixelRect(cl + t + g + (place - 1) * (l + g), ct, l, t, tpp));  // right
  }
  std::sort(bars.begin(), bars.end());
  return bars;
}


// Presses at `from`, moves to `to` in motion events of at most `pixels` along
// either axis, 30 ms apart, and releases.
testing::AssertionResult DragAtPace(POINT from, POINT to, int pixels) {
  const long distance = std::max(std::labs(to.x - from.x), std::labs(to.y - from.y));
  return e2e::Drag(from, to, static_cast<int>((distance + pixels - 1) / pixels));
}

// The window that holds the mouse capture on `window`'s thread, if any.
HWND CaptureOnThreadOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndCapture;
}

class CrossTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(e2e::ResetSettings()); }
  void TearDown() override {
    app.Terminate();
    EXPECT_TRUE(e2e::ResetSettings());
    if (e2e::HarnessAvailable()) {
      EXPECT_TRUE(e2e::SetCom2Present(true));
    }
  }

  // Starts the program and waits for its nineteen cross windows to be shown.
  void StartAndWaitForTheCross() {
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(app.WaitForWindows(L"BarWindow", 18, 5000)) << app.Windows(L"BarWindow").size() << " bars";
    ASSERT_TRUE(e2e::WaitUntil([&] { return Shown().size() == 18 && Handle().visible; }, 5000));
  }

  e2e::WindowState Handle() const { return e2e::QueryWindow(app.Window(L"frm_Center")); }
  std::vector<e2e::WindowState> Bars() const {
    std::vector<e2e::WindowState> bars;
    for (HWND hwnd : app.Windows(L"BarWindow")) bars.push_back(e2e::QueryWindow(hwnd));
    return bars;
  }
  // Rectangles of the visible bars, sorted.
  std::vector<Box> Shown() const {
    std::vector<Box> rects;
    for (const e2e::WindowState& bar : Bars())
      if (bar.visible) rects.emplace_back(bar.rect);
    std::sort(rects.begin(), rects.end());
    return rects;
  }

  void ExpectCrossAround(double cl, double ct, CrossSize size = {}) {
    const std::vector<Box> expected = ExpectedBars(cl, ct, size);
    e2e::WaitUntil([&] { return Shown() == expected; }, 3000);
    EXPECT_TRUE(Shown() == expected) << "bars:" << Describe(Shown()) << "\nexpected:" << Describe(expected);
    EXPECT_TRUE(Box(Handle().rect) == PixelRect(cl, ct, size.thickness, size.thickness)) << e2e::Describe(Handle());
  }

  // Drags the handle by (dx, dy) pixels, pressed `grab` pixels inside its corner,
  // at `pixels` per motion event; expects the handle's corner to move exactly as
  // the pointer did and the cross to be laid out around it, with the capture gone.
  void ExpectDragFollowed(long dx, long dy, int pixels, CrossSize size = {}, long grab = 1) {
    SCOPED_TRACE("drag by " + std::to_string(dx) + "," + std::to_string(dy) + " at " + std::to_string(pixels) +
                 " px per event");
    const RECT before = Handle().rect;
    const POINT from{before.left + grab, before.top + grab};
    ASSERT_TRUE(DragAtPace(from, {from.x + dx, from.y + dy}, pixels));
    EXPECT_TRUE(e2e::WaitUntil(
        [&] { return Handle().rect.left == before.left + dx && Handle().rect.top == before.top + dy; }, 3000))
        << "handle " << e2e::Describe(Handle()) << ", expected at " << before.left + dx << "," << before.top + dy;
    ExpectCrossAround(Handle().rect.left * kTwipsPerPixel, Handle().rect.top * kTwipsPerPixel, size);
    EXPECT_EQ(CaptureOnThreadOf(Handle().hwnd), nullptr) << "the mouse is still captured";
  }

  // How far a 120-pixel move to the right at each pace moves the handle; every
  // one follows the pointer all the way. Prints the table.
  void MeasureDragTable(const char* handle_name, CrossSize size, long grab) {
    std::printf("[ drag ] %s handle: step per motion event -> handle moved (120 px to the right)\n", handle_name);
    for (int pixels : {1, 4, 8, 12, 30, 60}) {
      const RECT before = Handle().rect;
      const POINT from{before.left + grab, before.top + grab};
      ASSERT_TRUE(DragAtPace(from, {from.x + 120, from.y}, pixels));
      e2e::WaitUntil([&] { return Handle().rect.left == before.left + 120 && Shown().size() == 18; }, 3000);
      const long moved = Handle().rect.left - before.left;
      std::printf("[ drag ]   %2d px -> %ld px\n", pixels, moved);
      EXPECT_EQ(moved, 120) << "at " << pixels << " px per event";
      EXPECT_EQ(Handle().rect.top, before.top);
      ExpectCrossAround(Handle().rect.left * kTwipsPerPixel, Handle().rect.top * kTwipsPerPixel, size);
    }
  }

  void ExpectStacking(bool topmost) {
    EXPECT_EQ(Handle().topmost, topmost) << e2e::Describe(Handle());
    for (const e2e::WindowState& bar : Bars()) EXPECT_EQ(bar.topmost, topmost) << e2e::Describe(bar);
    EXPECT_FALSE(e2e::QueryWindow(app.Window(L"frm_Pop")).topmost);
  }

  // A stored, non-first-run display setting with these flags and place.
  void StoreSettings(const wchar_t* on_top, const wchar_t* hold, const wchar_t* thickness = L"50",
                     const wchar_t* x = L"14400", const wchar_t* y = L"8100") {
    ASSERT_TRUE(e2e::SaveApplication(
        kDisplayApp, {{L"선택사항", {{L"색상", L"255"}, {L"항상위", on_top}}},
                      {L"크기", {{L"Length", L"350"}, {L"Thickness", thickness}, {L"Gap", L"350"}}},
                      {L"위치", {{L"XPosition", x}, {L"YPosition", y}, {L"고정", hold}}},
                      {L"폼", e2e::PartFlags(L"1")}}));
  }

  e2e::App app;
};

TEST_F(CrossTest, FirstStartShowsNineteenRedTopmostPlainWindowsThatFollowThePointerAtAnyPace) {
  StartAndWaitForTheCross();
  ExpectCrossAround(14400, 8100);
  ExpectStacking(true);
  for (const e2e::WindowState& w : Bars()) {
    EXPECT_EQ(w.caption, L"") << e2e::Describe(w);
    EXPECT_EQ(w.style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER), 0) << e2e::Describe(w);
    // No taskbar button, never the focus, clicks go through to the window below.
    EXPECT_EQ(w.exStyle & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT),
              WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT)
        << e2e::Describe(w);
  }
  EXPECT_EQ(Handle().caption, L"");
  EXPECT_EQ(Handle().exStyle & WS_EX_TOOLWINDOW, WS_EX_TOOLWINDOW);
  if (!e2e::HarnessAvailable()) return;

  std::vector<Box> rects = Shown();
  rects.emplace_back(Handle().rect);
  for (const Box& r : rects) {
    COLORREF colour = 0;
    ASSERT_TRUE(e2e::ScreenPixel((r.left + r.right) / 2, (r.top + r.bottom) / 2, &colour));
    EXPECT_EQ(colour, RGB(255, 0, 0)) << "at the middle of " << Describe(r);
  }
  EXPECT_TRUE(e2e::Screenshot("cross-first-start"));

  // The three-pixel handle, pressed one pixel inside its corner: the pointer
  // leaves it at once, and the handle follows all the same.
  struct Move {
    long dx, dy;
    int pixels;
  };
  for (const Move& m : {Move{120, 0, 10}, Move{0, 95, 25}, Move{-240, 0, 60}, Move{0, -180, 60},
                        Move{-130, -70, 10}, Move{170, 110, 25}, Move{300, -200, 60}}) {
    ExpectDragFollowed(m.dx, m.dy, m.pixels);
  }
  EXPECT_TRUE(e2e::Screenshot("cross-after-drags"));

  // Esc while the button is still down: the handle goes back where the drag
  // started, and the release afterwards moves nothing.
  const RECT start = Handle().rect;
  ASSERT_TRUE(e2e::MouseMove(start.left + 1, start.top + 1));
  ASSERT_TRUE(e2e::MouseDown());
  for (int step = 1; step <= 4; ++step) ASSERT_TRUE(e2e::MouseMove(start.left + 1 + 25 * step, start.top + 1 + 15 * step));
  EXPECT_TRUE(e2e::WaitUntil([&] { return Handle().rect.left == start.left + 100; }, 3000)) << e2e::Describe(Handle());
  EXPECT_TRUE(Shown().empty()) << "bars shown during the drag:" << Describe(Shown());
  EXPECT_TRUE(e2e::Screenshot("cross-during-drag"));
  ASSERT_TRUE(e2e::Key("Escape"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return Box(Handle().rect) == Box(start); }, 3000)) << e2e::Describe(Handle());
  ASSERT_TRUE(e2e::MouseMove(start.left + 150, start.top + 90));
  ASSERT_TRUE(e2e::MouseUp());
  ExpectCrossAround(start.left * kTwipsPerPixel, start.top * kTwipsPerPixel);
  EXPECT_EQ(CaptureOnThreadOf(Handle().hwnd), nullptr) << "the mouse is still captured";

  MeasureDragTable("first-run (3 px)", {}, 1);
}

TEST_F(CrossTest, StoredOnTopFalseGivesOrdinaryWindows) {
  StoreSettings(L"False", L"False");
  StartAndWaitForTheCross();
  ExpectCrossAround(14400, 8100);
  ExpectStacking(false);
}

TEST_F(CrossTest, ATenPixelHandleFollowsA120PixelMoveAtEveryPace) {
  if (!e2e::HarnessAvailable()) GTEST_SKIP() << "needs real mouse input";
  StoreSettings(L"True", L"False", L"150", L"4500", L"8100");
  StartAndWaitForTheCross();
  const CrossSize size{350, 150, 350};
  ExpectCrossAround(4500, 8100, size);
  MeasureDragTable("Thickness 150 (10 px)", size, 5);
}

// A fast drag straight after start-up, as a person flicks the mouse: the drag
// ends with the release, the cross is laid out, the tray menu works at once, and
// its hold command then keeps the cross where it is.
TEST_F(CrossTest, AFastFirstDragEndsWithTheReleaseAndHoldThenBlocksTheNext) {
  if (!e2e::HarnessAvailable()) GTEST_SKIP() << "needs real mouse input";
  StoreSettings(L"True", L"False", L"50", L"9000", L"6000");
  StartAndWaitForTheCross();
  ASSERT_TRUE(Box(Handle().rect) == PixelRect(9000, 6000, 50, 50)) << e2e::Describe(Handle());
  ASSERT_TRUE(e2e::Xdotool({"mousemove", "602", "402", "mousedown", "1", "mousemove", "640", "430", "mousemove",
                            "700", "470", "mouseup", "1"}));
  EXPECT_TRUE(e2e::WaitUntil([&] { return Handle().rect.left == 698 && Handle().rect.top == 468; }, 3000))
      << e2e::Describe(Handle());
  ExpectCrossAround(698 * kTwipsPerPixel, 468 * kTwipsPerPixel);
  EXPECT_EQ(CaptureOnThreadOf(Handle().hwnd), nullptr) << "the mouse is still captured";

  ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, 2));  // 고정
  const RECT held = Handle().rect;
  ASSERT_TRUE(DragAtPace({held.left + 1, held.top + 1}, {held.left - 299, held.top - 199}, 25));
  Sleep(500);
  ExpectCrossAround(held.left * kTwipsPerPixel, held.top * kTwipsPerPixel);
}

// The start-up message "COM2 포트를 열수가 없습니다." is modal to the whole
// program: neither the cross nor the tray icon takes the mouse while it shows,
// and once it is dismissed the handle drags again.
TEST_F(CrossTest, ADragIsRefusedWhileTheStartUpPortMessageShowsAndWorksAfterOk) {
  if (!e2e::HarnessAvailable()) GTEST_SKIP() << "needs real mouse input";
  ASSERT_TRUE(e2e::SetCom2Present(false));
  ASSERT_TRUE(app.Start());
  HWND box = nullptr;
  ASSERT_TRUE(e2e::WaitUntil(
      [&] {
        std::vector<HWND> boxes = app.Windows(L"#32770");
        box = boxes.empty() ? nullptr : boxes.front();
        return box != nullptr && IsWindowVisible(box);
      },
      10000))
      << "no message box";
  ASSERT_TRUE(e2e::WaitUntil([&] { return Shown().size() == 18 && Handle().visible; }, 5000));
  EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
  EXPECT_FALSE(IsWindowEnabled(Handle().hwnd)) << "the handle takes the mouse behind the message";

  const RECT start = Handle().rect;
  ASSERT_TRUE(DragAtPace({start.left + 1, start.top + 1}, {start.left - 199, start.top + 101}, 25));
  Sleep(500);
  ExpectCrossAround(start.left * kTwipsPerPixel, start.top * kTwipsPerPixel);
  EXPECT_TRUE(IsWindowVisible(box));
  EXPECT_TRUE(e2e::Screenshot("cross-drag-refused-behind-port-message"));
  // Nor does the tray icon open the menu behind it.
  ASSERT_TRUE(PostMessageW(app.Window(L"frm_Pop"), 512, 1, WM_RBUTTONUP));
  Sleep(500);
  for (HWND menu : app.Windows(L"#32768")) EXPECT_FALSE(IsWindowVisible(menu)) << "the tray menu opened";

  RECT ok{};
  ASSERT_TRUE(GetWindowRect(GetDlgItem(box, IDOK), &ok));
  ASSERT_TRUE(e2e::Click((ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2));
  EXPECT_TRUE(e2e::WaitUntil([&] { return app.Windows(L"#32770").empty(); }, 5000)) << "the message stays";
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowEnabled(Handle().hwnd) != FALSE; }, 3000));
  ExpectDragFollowed(-200, 100, 25);
}

// The system DPI as Wine reads it when a program starts, and a thread of this
// program that sees every window in real pixels (not scaled to its own DPI).
class SystemDpi {
 public:
  explicit SystemDpi(DWORD dpi) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
      set_ = RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi) ==
             ERROR_SUCCESS;
      RegCloseKey(key);
    }
    using SetContext = HANDLE(WINAPI*)(HANDLE);
    if (auto set = reinterpret_cast<SetContext>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext"))))
      previous_ = set(reinterpret_cast<HANDLE>(-3));  // per-monitor aware: no scaling
  }
  ~SystemDpi() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
      RegDeleteValueW(key, L"LogPixels");
      RegCloseKey(key);
    }
    using SetContext = HANDLE(WINAPI*)(HANDLE);
    if (auto set = reinterpret_cast<SetContext>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext"))))
      if (previous_ != nullptr) set(previous_);
  }
  bool set() const { return set_; }

 private:
  bool set_ = false;
  HANDLE previous_ = nullptr;
};

// At 144 DPI (10 twips per pixel) with sizes of odd tens of twips, so that many
// edges fall on half pixels, and a stored position that does not convert, so
// that the handle goes to the screen's middle as the program measures it in
// twips: every one of the nineteen windows has exactly its rectangle.
TEST_F(CrossTest, AtOneHundredFortyFourDpiEveryEdgeLandsOnItsOwnPixel) {
  SystemDpi dpi(144);
  ASSERT_TRUE(dpi.set());
  ASSERT_TRUE(e2e::SaveApplication(
      kDisplayApp, {{L"선택사항", {{L"색상", L"255"}, {L"항상위", L"True"}}},
                    {L"크기", {{L"Length", L"355"}, {L"Thickness", L"45"}, {L"Gap", L"345"}}},
                    {L"위치", {{L"XPosition", L"x"}, {L"YPosition", L"y"}, {L"고정", L"False"}}},
                    {L"폼", e2e::PartFlags(L"1")}}));
  StartAndWaitForTheCross();
  constexpr double kTwipsPerPixelAt144 = 10;
  // 1920 x 1080 pixels are 19200 x 10800 twips: the handle's corner at their middle.
  const double cl = 9600, ct = 5400;
  const std::vector<Box> expected = ExpectedBars(cl, ct, CrossSize{355, 45, 345}, kTwipsPerPixelAt144);
  e2e::WaitUntil([&] { return Shown() == expected; }, 3000);
  EXPECT_TRUE(Shown() == expected) << "bars:" << Describe(Shown()) << "\nexpected:" << Describe(expected);
  const Box handle(Handle().rect);
  EXPECT_TRUE(handle == PixelRect(cl, ct, 45, 45, kTwipsPerPixelAt144)) << Describe(handle);  // 960,540 to 964 (964.5)
  if (!e2e::HarnessAvailable()) return;
  EXPECT_TRUE(e2e::Screenshot("cross-144dpi"));


  // The properties dialog: its client area and a control inside a frame, each
  // edge on its own pixel (4695 x 2070 twips; the length bar at 660,1140 in
  // the client area, 1095 x 165).
  ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, 3));  // 속성
  HWND dialog = nullptr;
  ASSERT_TRUE(e2e::WaitUntil(
      [&] {
        for (const e2e::WindowState& w : app.Dialogs())
          if (w.visible && w.caption == L"속성") dialog = w.hwnd;
        return dialog != nullptr;
      },
      5000));
  RECT client{};
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, 470);  // 469.5
  EXPECT_EQ(client.bottom, 207);
  RECT bar{};
  GetWindowRect(GetDlgItem(dialog, 1008), &bar);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&bar), 2);
  EXPECT_TRUE(Box(bar) == Box(66, 114, 176, 130)) << Describe(Box(bar));  // right 175.5, bottom 130.5
  Sleep(300);
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-144dpi"));

  // The exit command stores the handle's edges in twips: the middle of a
  // screen of 10 twips to the pixel.
  ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, 6));  // 종료
  ASSERT_TRUE(app.WaitForExit(10000)) << "the exit command did not end the program";
  EXPECT_EQ(e2e::GetSetting(kDisplayApp, L"위치", L"XPosition"), std::wstring(L"9600"));
  EXPECT_EQ(e2e::GetSetting(kDisplayApp, L"위치", L"YPosition"), std::wstring(L"5400"));
}

// The class cursor of another process cannot be read from outside, so the
// program's cursor resource 1 (which the handle's class loads) is checked.
TEST(CrossCursor, TheProgramCarriesItsOwnMonochromeMoveArrowWithHotSpot13) {
  HMODULE exe = LoadLibraryExW(e2e::AppPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr) << e2e::Utf8(e2e::AppPath());
  auto cursor = static_cast<HCURSOR>(LoadImageW(exe, MAKEINTRESOURCEW(1), IMAGE_CURSOR, 0, 0, LR_DEFAULTSIZE));
  ASSERT_NE(cursor, nullptr) << "no cursor resource 1";
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 13u);
  EXPECT_EQ(info.yHotspot, 13u);
  EXPECT_EQ(info.hbmColor, nullptr) << "monochrome: one mask bitmap only";
  BITMAP mask{};
  EXPECT_NE(GetObjectW(info.hbmMask, sizeof mask, &mask), 0);
  EXPECT_EQ(mask.bmWidth, 32);
  EXPECT_EQ(mask.bmHeight, 64);  // AND mask above XOR mask
  DeleteObject(info.hbmMask);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  DestroyCursor(cursor);
  FreeLibrary(exe);
}

}  // namespace
