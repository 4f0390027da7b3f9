// The three dialogs on the real program, driven with real input: the properties
// dialog's colour list, part swatch and length bar; the correction dialog's save;
// the about dialog's system-information button. A screenshot of each dialog.
#include "e2e_support.h"  // <windows.h> first

#include <string>
#include <vector>

namespace {

using e2e::kCorrectionApp;
using e2e::kDisplayApp;

// Menu items in their order, counted from the top by Down presses.
enum Item { kColor = 3, kRevision = 4, kSWinfo = 5 };

// Window ids of the controls: 1000 + the control's number in its dialog's table.
constexpr int kColourList = 1002, kHScrollLength = 1008, kLabel4Length = 1011, kSwatch7 = 1021;
constexpr int kAngleBox = 1001, kSaveButton = 1004;
constexpr int kOkButton = 1012, kSysInfoButton = 1013;
constexpr int kRatioBox = 1002, kModeButton = 1003;
constexpr int kHScrollGap = 1009, kHScrollThickness = 1010;

constexpr COLORREF kBrown = RGB(128, 64, 0);
constexpr int kTwipsPerPixel = 15;

const wchar_t kMsinfoKey[] = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const wchar_t kMsinfoLocationKey[] = L"SOFTWARE\\Microsoft\\Shared Tools Location";
const wchar_t kToolFolder[] = L"C:\\reticor\\sysinfo";

POINT Centre(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A control's text, asked of the control itself (GetWindowText does not ask
// another process's windows).
std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  SendMessageW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
  return text;
}

// Wine draws the caption bars itself: the virtual display has no window manager.
const wchar_t kWineX11[] = L"Software\\Wine\\X11 Driver";
void SetWineDecorated(bool by_window_manager) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kWineX11, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  if (by_window_manager) {
    RegDeleteValueW(key, L"Decorated");
  } else {
    const wchar_t no[] = L"N";
    RegSetValueExW(key, L"Decorated", 0, REG_SZ, reinterpret_cast<const BYTE*>(no), sizeof no);
  }
  RegCloseKey(key);
}

bool SetMachineText(const wchar_t* key, const wchar_t* name, const std::wstring& text) {
  HKEY opened = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
    return false;
  LSTATUS status = RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(opened);
  return status == ERROR_SUCCESS;
}

void DeleteMachineKeys() {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kMsinfoKey);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kMsinfoKey);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kMsinfoLocationKey);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kMsinfoLocationKey);
}

class DialogsTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!e2e::HarnessAvailable()) GTEST_SKIP() << "needs the harness (real input, screenshots)";
    ASSERT_TRUE(e2e::ResetSettings());
    DeleteMachineKeys();
    SetWineDecorated(false);
    ASSERT_TRUE(app.Start());
    pop = app.Window(L"frm_Pop");
    ASSERT_NE(pop, nullptr);
    ASSERT_TRUE(app.WaitForWindows(L"BarWindow", 18, 5000));
    ASSERT_TRUE(e2e::WaitUntil([&] { return VisibleBars() == 18; }, 5000));
  }
  void TearDown() override {
    app.Terminate();
    EXPECT_TRUE(e2e::ResetSettings());
    DeleteMachineKeys();
    SetWineDecorated(true);
  }

  int VisibleBars() const {
    int visible = 0;
    for (HWND bar : app.Windows(L"BarWindow")) visible += IsWindowVisible(bar) ? 1 : 0;
    return visible;
  }

  void Choose(Item item) { ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, item)); }

  // The program's visible dialog window with this caption.
  HWND Dialog(const std::wstring& caption) const {
    for (const e2e::WindowState& w : app.Dialogs())
      if (w.visible && w.caption == caption) return w.hwnd;
    return nullptr;
  }

  HWND Open(Item item, const std::wstring& caption) {
    Choose(item);
    HWND dialog = nullptr;
    EXPECT_TRUE(e2e::WaitUntil([&] { return (dialog = Dialog(caption)) != nullptr; }, 5000))
        << "no dialog " << e2e::Utf8(caption);
    Sleep(300);  // painted
    return dialog;
  }

  // The bar whose top-left corner lies at this pixel.
  HWND BarAt(long left, long top) const {
    for (HWND bar : app.Windows(L"BarWindow")) {
      RECT r = e2e::QueryWindow(bar).rect;
      if (r.left == left && r.top == top) return bar;
    }
    return nullptr;
  }

  e2e::App app;
  HWND pop = nullptr;
};

// The control that has the keyboard focus in the dialog's thread, as its id.
int FocusedControl(HWND dialog) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) || info.hwndFocus == nullptr) return -1;
  return GetParent(info.hwndFocus) == dialog ? GetDlgCtrlID(info.hwndFocus) : -2;
}

// Each dialog in turn: the first tab stop has the focus when it opens, Tab
// walks the focusable controls in tab order and comes round to the first,
// Shift+Tab walks them back. Labels are passed over.
TEST_F(DialogsTest, TabAndShiftTabCycleOverTheFocusableControlsOfEachDialog) {
  const struct {
    Item item;
    const wchar_t* caption;
    std::vector<int> stops;
    const char* close;
    const char* screenshot;  // with the focus back on the second stop
  } dialogs[] = {
      {kColor, L"속성", {kColourList, kHScrollLength, kHScrollGap, kHScrollThickness}, "alt+F4", "dialog-tab-properties"},
      {kRevision, L"기계보정", {kAngleBox, kSaveButton, kModeButton, kRatioBox}, "alt+F4", "dialog-tab-correction"},
      {kSWinfo, L"S/W 정보", {kOkButton, kSysInfoButton}, "Escape", "dialog-tab-about"},
  };
  for (const auto& d : dialogs) {
    SCOPED_TRACE(e2e::Utf8(d.caption));
    HWND dialog = Open(d.item, d.caption);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(e2e::WaitUntil([&] { return FocusedControl(dialog) == d.stops[0]; }, 3000))
        << "focus on opening: " << FocusedControl(dialog);
    // A click on the dialog's bare corner makes it the window the keys go to
    // (the virtual display has no window manager to do it); the focus stays.
    POINT corner{3, 3};
    ClientToScreen(dialog, &corner);
    ASSERT_TRUE(e2e::Click(corner.x, corner.y));
    Sleep(300);
    EXPECT_EQ(FocusedControl(dialog), d.stops[0]);
    const size_t n = d.stops.size();
    for (size_t i = 1; i <= n; ++i) {
      ASSERT_TRUE(e2e::Key("Tab"));
      const int expected = d.stops[i % n];
      EXPECT_TRUE(e2e::WaitUntil([&] { return FocusedControl(dialog) == expected; }, 3000))
          << "after Tab " << i << ": " << FocusedControl(dialog) << ", expected " << expected;
    }
    for (size_t i = 1; i <= n; ++i) {
      ASSERT_TRUE(e2e::Key("shift+Tab"));
      const int expected = d.stops[(n - i) % n];
      EXPECT_TRUE(e2e::WaitUntil([&] { return FocusedControl(dialog) == expected; }, 3000))
          << "after Shift+Tab " << i << ": " << FocusedControl(dialog) << ", expected " << expected;
    }
    ASSERT_TRUE(e2e::Key("Tab"));
    Sleep(200);
    EXPECT_TRUE(e2e::Screenshot(d.screenshot));
    ASSERT_TRUE(e2e::Key(d.close));
    EXPECT_TRUE(e2e::WaitUntil([&] { return Dialog(d.caption) == nullptr; }, 3000)) << "not closed by " << d.close;
  }
}

TEST_F(DialogsTest, BrownFromTheListPaintsEveryWindowOfTheCross) {
  HWND dialog = Open(kColor, L"속성");
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(e2e::QueryWindow(dialog).topmost);
  EXPECT_TRUE(e2e::Screenshot("dialog-properties"));

  HWND combo = GetDlgItem(dialog, kColourList);
  ASSERT_NE(combo, nullptr);
  POINT at = Centre(combo);
  ASSERT_TRUE(e2e::Click(at.x, at.y));
  ASSERT_TRUE(e2e::WaitUntil([&] { return SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; }, 3000));
  // The dropped-down list is a top-level window of its own.
  HWND dropped = nullptr;
  ASSERT_TRUE(e2e::WaitUntil(
      [&] {
        for (HWND w : app.Windows(L"ComboLBox"))
          if (IsWindowVisible(w)) dropped = w;
        return dropped != nullptr;
      },
      3000));
  RECT list{};
  GetWindowRect(dropped, &list);
  const int item = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
  Sleep(200);
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-list"));
  ASSERT_TRUE(e2e::Click(list.left + 20, list.top + 1 + 3 * item + item / 2));  // 갈색, the fourth entry
  ASSERT_TRUE(e2e::WaitUntil([&] { return SendMessageW(combo, CB_GETCURSEL, 0, 0) == 3; }, 3000));

  std::vector<HWND> parts = app.Windows(L"BarWindow");
  parts.push_back(app.Window(L"frm_Center"));
  ASSERT_EQ(parts.size(), 19u);
  for (HWND part : parts) {
    POINT p = Centre(part);
    COLORREF colour = 0;
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::ScreenPixel(p.x, p.y, &colour) && colour == kBrown; }, 3000))
        << "pixel (" << p.x << "," << p.y << ") is " << std::hex << colour;
  }
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-brown"));
  EXPECT_EQ(e2e::GetSetting(kDisplayApp, L"선택사항", L"색상"), std::nullopt) << "the colour is stored at exit";
}

TEST_F(DialogsTest, SwatchSevenHidesForm7AndStoresIt) {
  HWND dialog = Open(kColor, L"속성");
  ASSERT_NE(dialog, nullptr);
  const RECT handle = e2e::QueryWindow(app.Window(L"frm_Center")).rect;
  // Form7: the third bar below the handle, T + 3G + 2L = 1800 twips down.
  HWND form7 = BarAt(handle.left, handle.top + 1800 / kTwipsPerPixel);
  ASSERT_NE(form7, nullptr);
  ASSERT_TRUE(IsWindowVisible(form7));

  POINT at = Centre(GetDlgItem(dialog, kSwatch7));
  ASSERT_TRUE(e2e::MouseMove(at.x, at.y));
  Sleep(1500);  // the tooltip comes up
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-tooltip"));
  ASSERT_TRUE(e2e::Click(at.x, at.y));
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::GetSetting(kDisplayApp, L"폼", L"7") == std::wstring(L"0"); }, 3000));
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(form7); }, 3000));
  EXPECT_EQ(VisibleBars(), 17);
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-swatch7"));
}

TEST_F(DialogsTest, TheLengthBarAtItsRightEndGrowsTheCross) {
  HWND dialog = Open(kColor, L"속성");
  ASSERT_NE(dialog, nullptr);
  HWND bar = GetDlgItem(dialog, kHScrollLength);
  RECT r{};
  GetWindowRect(bar, &r);
  // A trough click right of the thumb, then the right arrow: one position
  // each, 5 to 10 (the last click at the end changes nothing).
  ASSERT_TRUE(e2e::Click((r.left + r.right) / 2 + 12, (r.top + r.bottom) / 2));
  Sleep(200);
  EXPECT_TRUE(e2e::WaitUntil([&] { return TextOf(GetDlgItem(dialog, kLabel4Length)) == L"6"; }, 3000));
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(e2e::Click(r.right - 3, (r.top + r.bottom) / 2));
    Sleep(200);
  }
  EXPECT_TRUE(e2e::WaitUntil([&] { return TextOf(GetDlgItem(dialog, kLabel4Length)) == L"10"; }, 3000));
  // Every segment is now 700 twips long.
  const long length = (700 + kTwipsPerPixel / 2) / kTwipsPerPixel;
  EXPECT_TRUE(e2e::WaitUntil(
      [&] {
        for (HWND b : app.Windows(L"BarWindow")) {
          RECT w = e2e::QueryWindow(b).rect;
          // Each edge is rounded to its pixel on its own: 46 or 47 pixels.
          const long longer = std::max(w.right - w.left, w.bottom - w.top);
          if (longer < length - 1 || longer > length) return false;
        }
        return true;
      },
      3000));
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-length10"));
}

TEST_F(DialogsTest, SavingTwelveAbcStoresTwelveWithItsSignPosition) {
  HWND dialog = Open(kRevision, L"기계보정");
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(e2e::QueryWindow(dialog).topmost);
  EXPECT_TRUE(e2e::Screenshot("dialog-correction"));
  HWND angle = GetDlgItem(dialog, kAngleBox);
  POINT at = Centre(angle);
  ASSERT_TRUE(e2e::Click(at.x, at.y));
  ASSERT_TRUE(e2e::Key("End"));
  ASSERT_TRUE(e2e::Xdotool({"key", "--delay", "40", "BackSpace", "BackSpace", "BackSpace"}));
  ASSERT_TRUE(e2e::Type(L"12abc"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return TextOf(angle) == L"12abc"; }, 3000));
  at = Centre(GetDlgItem(dialog, kSaveButton));
  ASSERT_TRUE(e2e::Click(at.x, at.y));
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::GetSetting(kCorrectionApp, L"각도", L"각도") == std::wstring(L" 12"); },
                             3000));
  EXPECT_EQ(TextOf(angle), L"12");
  EXPECT_EQ(e2e::GetSetting(kCorrectionApp, L"모드", L"모드"), std::wstring(L"지적통합"));
  EXPECT_EQ(e2e::GetSetting(kCorrectionApp, L"길이비율", L"길이비율"), std::wstring(L"0,0"));
}

TEST_F(DialogsTest, SystemInformationStartsTheStoredToolOrSaysItIsUnavailable) {
  // The tool: a small program in the prefix, named by the first key's PATH.
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring stub(self);
  stub = stub.substr(0, stub.find_last_of(L'\\') + 1) + L"reticor2_sysinfo_stub.exe";
  CreateDirectoryW(L"C:\\reticor", nullptr);
  CreateDirectoryW(kToolFolder, nullptr);
  const std::wstring tool = std::wstring(kToolFolder) + L"\\msinfo_stand_in.exe";
  const std::wstring marker = std::wstring(kToolFolder) + L"\\started.txt";
  DeleteFileW(marker.c_str());
  ASSERT_TRUE(CopyFileW(stub.c_str(), tool.c_str(), FALSE)) << "no " << e2e::Utf8(stub);
  ASSERT_TRUE(SetMachineText(kMsinfoKey, L"PATH", tool));

  HWND dialog = Open(kSWinfo, L"S/W 정보");
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(e2e::QueryWindow(dialog).topmost);
  EXPECT_TRUE(e2e::Screenshot("dialog-about"));
  POINT at = Centre(GetDlgItem(dialog, kSysInfoButton));
  ASSERT_TRUE(e2e::Click(at.x, at.y));
  EXPECT_TRUE(e2e::WaitUntil([&] { return GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES; }, 5000))
      << "the tool was not started";

  // Neither key: the message, and the dialog stays.
  DeleteMachineKeys();
  DeleteFileW(marker.c_str());
  ASSERT_TRUE(e2e::Click(at.x, at.y));
  HWND box = nullptr;
  EXPECT_TRUE(e2e::WaitUntil([&] { return (box = Dialog(L"Reticor2")) != nullptr; }, 5000)) << "no message";
  if (box != nullptr) {
    EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), L"지금은 시스템 정보를 사용할 수 없습니다.");
    // Modal to the about dialog: a second click on the button raises nothing.
    EXPECT_EQ(GetWindow(box, GW_OWNER), dialog);
    EXPECT_FALSE(IsWindowEnabled(dialog));
    RECT covered{};
    EXPECT_FALSE(PtInRect((GetWindowRect(box, &covered), &covered), at)) << "the message covers the button";
    ASSERT_TRUE(e2e::Click(at.x, at.y));
    Sleep(500);
    int boxes = 0;
    for (const e2e::WindowState& w : app.Dialogs()) boxes += w.visible && w.caption == L"Reticor2" ? 1 : 0;
    EXPECT_EQ(boxes, 1) << "the messages stack";
    EXPECT_TRUE(e2e::Screenshot("dialog-about-unavailable"));
    ASSERT_TRUE(e2e::Key("Return"));
    EXPECT_TRUE(e2e::WaitUntil([&] { return Dialog(L"Reticor2") == nullptr; }, 3000));
  }
  EXPECT_EQ(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(Dialog(L"S/W 정보"), nullptr);

  // Esc closes it as 확인 does; the next command builds it afresh, and Enter closes that.
  // A click on the logo makes it the window that takes the keys.
  auto activate = [&](HWND window) {
    RECT r = e2e::QueryWindow(window).rect;
    ASSERT_TRUE(e2e::Click(r.left + 40, r.top + 60));
    Sleep(300);
  };
  activate(dialog);
  ASSERT_TRUE(e2e::Key("Escape"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return Dialog(L"S/W 정보") == nullptr; }, 3000)) << "Esc did not close it";
  dialog = Open(kSWinfo, L"S/W 정보");
  ASSERT_NE(dialog, nullptr);
  activate(dialog);
  ASSERT_TRUE(e2e::Key("Return"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return Dialog(L"S/W 정보") == nullptr; }, 3000)) << "Enter did not close it";
}

}  // namespace
