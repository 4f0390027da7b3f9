// The tray icon and its popup menu on the real program: the icon's presence,
// the menu opened by the icon's callback and driven with real keys, the exit
// command, the icon's return after the notification area is re-created, and the
// double-click that brings back the centre handle.
#include "e2e_support.h"  // <windows.h> first

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

using e2e::kDisplayApp;

constexpr UINT kTrayCallback = 512;  // the icon's callback message
constexpr UINT kTrayIconId = 1;
// Menu items in their order, counted from the top by Down presses.
enum Item { kAlwaysOnTop = 1, kHold, kColor, kRevision, kSWinfo, kFinish };

// Whether the notification area holds an icon for (window, id): a modify of
// nothing succeeds only for an icon that exists.
bool IconPresent(HWND window) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = kTrayIconId;
  data.uFlags = 0;
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

class TrayTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!e2e::HarnessAvailable()) GTEST_SKIP() << "needs the harness (real input, screenshots)";
    ASSERT_TRUE(e2e::ResetSettings());
  }
  void TearDown() override {
    app.Terminate();
    EXPECT_TRUE(e2e::ResetSettings());
  }

  void Start() {
    ASSERT_TRUE(app.Start());
    pop = app.Window(L"frm_Pop");
    ASSERT_NE(pop, nullptr);
  }

  bool MenuOpen() const {
    for (HWND menu : app.Windows(L"#32768"))
      if (IsWindowVisible(menu)) return true;
    return false;
  }

  // What the notification area delivers for a right-button release over the icon.
  void OpenMenu() {
    // Off the cross's arms, so the menu lies on plain desktop; the pointer stays on
    // the menu's corner, not on an item.
    // Without --sync, which waits for a motion that never comes when the pointer is there already.
    ASSERT_TRUE(e2e::Xdotool({"mousemove", "300", "200"}));
    ASSERT_TRUE(PostMessageW(pop, kTrayCallback, kTrayIconId, WM_RBUTTONUP));
    ASSERT_TRUE(e2e::WaitUntil([&] { return MenuOpen(); }, 5000)) << "the popup menu did not open";
  }

  // Opens the menu and picks the item with the keyboard.
  void Choose(Item item) {
    OpenMenu();
    std::vector<std::string> keys{"key", "--delay", "80"};
    for (int i = 0; i < item; ++i) keys.push_back("Down");
    keys.push_back("Return");
    ASSERT_TRUE(e2e::Xdotool(keys));
    ASSERT_TRUE(e2e::WaitUntil([&] { return !MenuOpen(); }, 5000)) << "the menu did not close";
  }

  // Topmost state of the nineteen cross windows: how many are topmost.
  int TopmostCrossWindows() const {
    int topmost = 0, count = 0;
    for (const wchar_t* cls : {L"BarWindow", L"frm_Center"})
      for (HWND hwnd : app.Windows(cls)) {
        ++count;
        topmost += e2e::QueryWindow(hwnd).topmost;
      }
    EXPECT_EQ(count, 19);
    return topmost;
  }

  e2e::App app;
  HWND pop = nullptr;
};

TEST_F(TrayTest, TheIconIsAddedAtStartAndTheMenuShowsTheSixItems) {
  Start();
  EXPECT_TRUE(e2e::WaitUntil([&] { return IconPresent(pop); }, 5000)) << "no tray icon for frm_Pop";
  EXPECT_TRUE(e2e::Screenshot("tray-icon"));

  OpenMenu();
  Sleep(300);  // painted
  EXPECT_TRUE(e2e::Screenshot("tray-menu"));
  ASSERT_TRUE(e2e::Key("Escape"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return !MenuOpen(); }, 5000));
  EXPECT_TRUE(app.Running());
}

TEST_F(TrayTest, HoldThenFinishStoresTheHoldAndEveryExitValueRemovesTheIconAndEnds) {
  Start();
  ASSERT_TRUE(e2e::WaitUntil([&] { return IconPresent(pop); }, 5000));
  Choose(kHold);
  EXPECT_TRUE(app.Running());
  EXPECT_EQ(e2e::GetSetting(kDisplayApp, L"위치", L"고정"), std::nullopt) << "nothing is saved before the exit";

  Choose(kFinish);
  ASSERT_TRUE(app.WaitForExit(10000)) << "the exit command did not end the program";
  EXPECT_EQ(app.ExitCode(), 0u);
  EXPECT_EQ(e2e::GetSetting(kDisplayApp, L"위치", L"고정"), std::wstring(L"True"));
  const e2e::Application stored = e2e::ReadApplication(kDisplayApp);
  const std::pair<const wchar_t*, const wchar_t*> exit_values[] = {
      {L"선택사항", L"색상"}, {L"선택사항", L"항상위"}, {L"크기", L"Length"}, {L"크기", L"Thickness"},
      {L"크기", L"Gap"},      {L"위치", L"XPosition"},  {L"위치", L"YPosition"}, {L"위치", L"고정"},
  };
  for (const auto& [section, key] : exit_values) {
    auto in = stored.find(section);
    EXPECT_TRUE(in != stored.end() && in->second.contains(key))
        << e2e::Utf8(section) << "\\" << e2e::Utf8(key) << " not stored:" << e2e::Describe(stored);
  }
  EXPECT_FALSE(IconPresent(pop)) << "the icon is still in the notification area";
}

TEST_F(TrayTest, AlwaysOnTopSwitchesTheNineteenWindowsBothWays) {
  Start();
  ASSERT_TRUE(app.WaitForWindows(L"BarWindow", 18, 5000));
  ASSERT_EQ(TopmostCrossWindows(), 19) << "first start: always on top";
  Choose(kAlwaysOnTop);
  EXPECT_TRUE(e2e::WaitUntil([&] { return TopmostCrossWindows() == 0; }, 3000)) << TopmostCrossWindows();
  Choose(kAlwaysOnTop);
  EXPECT_TRUE(e2e::WaitUntil([&] { return TopmostCrossWindows() == 19; }, 3000)) << TopmostCrossWindows();
}

TEST_F(TrayTest, ARecreatedNotificationAreaGetsTheIconBack) {
  Start();
  ASSERT_TRUE(e2e::WaitUntil([&] { return IconPresent(pop); }, 5000));
  // The shell's icons are gone, as after a restart of the shell.
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = pop;
  data.uID = kTrayIconId;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
  ASSERT_FALSE(IconPresent(pop));

  ASSERT_TRUE(PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0));
  EXPECT_TRUE(e2e::WaitUntil([&] { return IconPresent(pop); }, 5000)) << "the icon was not added again";
  EXPECT_TRUE(app.Running());
}

TEST_F(TrayTest, ADoubleClickShowsAHiddenCentreHandleAndAClickDoesNothing) {
  Start();
  HWND handle = app.Window(L"frm_Center", 5000);
  ASSERT_NE(handle, nullptr);
  ASSERT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(handle) != FALSE; }, 3000));
  ShowWindow(handle, SW_HIDE);  // hidden by something outside the program
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(handle); }, 3000));

  for (UINT code : {WM_LBUTTONDOWN, WM_LBUTTONUP}) PostMessageW(pop, kTrayCallback, kTrayIconId, code);
  Sleep(500);
  EXPECT_FALSE(IsWindowVisible(handle)) << "a single click showed the handle";

  for (UINT code : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
    PostMessageW(pop, kTrayCallback, kTrayIconId, code);
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(handle) != FALSE; }, 3000))
      << e2e::Describe(e2e::QueryWindow(handle));
  EXPECT_FALSE(MenuOpen());
}

TEST_F(TrayTest, EachDialogCommandOpensOneWindowAndARepeatOnlyBringsItToTheFront) {
  Start();
  const std::pair<Item, const wchar_t*> dialogs[] = {
      {kColor, L"속성"}, {kRevision, L"기계보정"}, {kSWinfo, L"S/W 정보"}};
  for (const auto& [item, caption] : dialogs) {
    auto with_caption = [&, caption = caption] {
      std::vector<HWND> found;
      for (const e2e::WindowState& d : app.Dialogs())
        if (d.caption == caption && d.visible) found.push_back(d.hwnd);
      return found;
    };
    Choose(item);
    ASSERT_TRUE(e2e::WaitUntil([&] { return with_caption().size() == 1; }, 5000)) << e2e::Utf8(caption);
    HWND first = with_caption().front();
    EXPECT_FALSE(e2e::QueryWindow(first).topmost);
    Choose(item);
    Sleep(300);
    ASSERT_EQ(with_caption().size(), 1u) << e2e::Utf8(caption);
    EXPECT_EQ(with_caption().front(), first);
    EXPECT_EQ(GetForegroundWindow(), first);

    ASSERT_TRUE(PostMessageW(first, WM_CLOSE, 0, 0));
    ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(first); }, 5000)) << "closing did not discard it";
    Choose(item);
    ASSERT_TRUE(e2e::WaitUntil([&] { return with_caption().size() == 1; }, 5000));
    EXPECT_NE(with_caption().front(), first) << "not built afresh";
  }
  EXPECT_TRUE(e2e::Screenshot("tray-dialog-stand-ins"));
}

}  // namespace
