// The three dialogs of the real program, opened from the tray and driven with real
// pointer and keys: the focus walks the controls that take it, the properties
// dialog's colour list, part swatch and length bar change the cross on the
// screen, the correction dialog's save reaches the registry, and the about
// dialog starts the system-information tool (from the 64-bit registry view, else
// the system folder) or says, in a box it owns, that it cannot.
#include "e2e_support.h"  // <windows.h> first

#include <tlhelp32.h>

#include <algorithm>

#include "dialogs/about_dialog.h"
#include "dialogs/properties_dialog.h"
#include "reader/correction_dialog.h"
#include "shell/popup_menu_items.h"

namespace {

using namespace rc::dialogs;
using rc::reader::kModeButton, rc::reader::kSaveButton, rc::reader::kRatioBox, rc::reader::kAngleBox,
    rc::reader::kPortList, rc::reader::kReceivedBox;
using rc::shell::kColor, rc::shell::kRevision, rc::shell::kSWinfo;

const wchar_t kWineX11[] = L"Software\\Wine\\X11 Driver";

// Both registry views: a 32-bit test program sees the 32-bit one unless it asks.
// The keys hold values only.
void DeleteMachineKeys() {
  for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
    for (std::wstring_view key : {kMsinfoKey, kMsinfoLocationKey})
      RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.data(), view, 0);
}

// The system's own msinfo32.exe, in the native system folder whatever this program's bitness.
std::wstring SystemMsinfo() {
  wchar_t windows[MAX_PATH];
  const UINT n = GetSystemWindowsDirectoryW(windows, MAX_PATH);
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  return std::wstring(windows, n) + (wow64 ? L"\\Sysnative" : L"\\system32") + L"\\msinfo32.exe";
}

// Processes of that program file name in the session.
std::vector<DWORD> ProcessesNamed(const wchar_t* name) {
  std::vector<DWORD> found;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    if (lstrcmpiW(entry.szExeFile, name) == 0) found.push_back(entry.th32ProcessID);
  CloseHandle(snapshot);
  return found;
}

class DialogsTest : public e2e::Scenario {
 protected:
  void SetUp() override {
    Scenario::SetUp();
    DeleteMachineKeys();
    // Wine draws the caption bars itself: the virtual display has no window manager.
    RegSetKeyValueW(HKEY_CURRENT_USER, kWineX11, L"Decorated", REG_SZ, L"N", sizeof L"N");
    ASSERT_TRUE(app.Start());
    ASSERT_TRUE(e2e::WaitUntil([&] { return VisibleBars() == 18; }, 5000));
  }
  void TearDown() override {
    Scenario::TearDown();
    DeleteMachineKeys();
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kWineX11, L"Decorated");
  }

  int VisibleBars() const {
    const std::vector<HWND> bars = app.Windows(L"BarWindow");
    return static_cast<int>(std::count_if(bars.begin(), bars.end(), IsWindowVisible));
  }
  int Dialogs(const wchar_t* caption) const {
    int count = 0;
    for (HWND w : app.Windows(L"#32770")) count += IsWindowVisible(w) && e2e::QueryWindow(w).caption == caption;
    return count;
  }

  // Opens the dialog from the tray, not topmost, and walks its tab stops: the first
  // has the focus on opening; Tab walks the controls that take the focus, in tab
  // order, round to the first; Shift+Tab walks them back. Null when it did not open.
  HWND Open(int command, const wchar_t* caption, const std::vector<int>& stops, const std::string& screenshot) {
    EXPECT_TRUE(e2e::ChooseFromTrayMenu(app, command));
    const HWND dialog = app.Dialog(caption, 5000);
    if (dialog == nullptr) return nullptr;
    EXPECT_FALSE(e2e::QueryWindow(dialog).topmost);
    Sleep(300);  // painted
    EXPECT_TRUE(e2e::Screenshot("dialog-" + screenshot));
    auto focused = [&] {
      GUITHREADINFO info{};
      info.cbSize = sizeof info;
      GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
      return std::find_if(stops.begin(), stops.end(),
                          [&](int control) { return e2e::Control(dialog, control) == info.hwndFocus; }) -
             stops.begin();
    };
    EXPECT_TRUE(e2e::WaitUntil([&] { return focused() == 0; }, 3000)) << "focus on opening: stop " << focused();
    // A click on the bare corner makes the dialog the window the keys go to (no
    // window manager does it); the focus stays.
    POINT corner{3, 3};
    ClientToScreen(dialog, &corner);
    EXPECT_TRUE(e2e::Click(corner.x, corner.y));
    const long n = static_cast<long>(stops.size());
    for (long i = 1; i <= 2 * n; ++i) {
      EXPECT_TRUE(e2e::Key(i <= n ? "Tab" : "shift+Tab"));
      const long expected = i <= n ? i % n : (2 * n - i) % n;
      EXPECT_TRUE(e2e::WaitUntil([&] { return focused() == expected; }, 3000))
          << "after key " << i << ": stop " << focused() << ", expected " << expected;
    }
    EXPECT_TRUE(e2e::Screenshot("dialog-tab-" + screenshot));
    return dialog;
  }

  void Close(HWND dialog, const char* keys) {
    ASSERT_TRUE(e2e::Key(keys));
    EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(dialog); }, 3000)) << "not closed by " << keys;
  }
};

TEST_F(DialogsTest, EachDialogOpensFromTheTrayAndTakesRealInput) {
  // ---- properties
  HWND dialog = Open(kColor, L"속성", {kColourList, SizeBar(0), SizeBar(1), SizeBar(2)}, "properties");
  ASSERT_NE(dialog, nullptr) << "no 속성";
  // The command again brings this one to the front and makes no second.
  ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, kColor));
  Sleep(300);
  EXPECT_EQ(Dialogs(L"속성"), 1);
  EXPECT_EQ(GetForegroundWindow(), dialog);

  // Brown, the fourth entry of the dropped-down list (a top-level window of its own).
  const HWND combo = e2e::Control(dialog, kColourList);
  ASSERT_TRUE(e2e::ClickCentre(combo));
  HWND dropped = nullptr;
  ASSERT_TRUE(e2e::WaitUntil([&] { return (dropped = app.Window(L"ComboLBox")) && IsWindowVisible(dropped); }, 3000));
  const RECT list = e2e::QueryWindow(dropped).rect;
  const int row = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
  Sleep(200);
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-list"));
  ASSERT_TRUE(e2e::Click(list.left + 20, list.top + 1 + 3 * row + row / 2));
  const COLORREF brown = kColourChoices[3].value;
  std::vector<HWND> parts = app.Windows(L"BarWindow");
  parts.push_back(app.Window(L"frm_Center"));
  for (HWND part : parts) {
    const RECT r = e2e::QueryWindow(part).rect;
    COLORREF colour = 0;
    EXPECT_TRUE(e2e::WaitUntil(
        [&] { return e2e::ScreenPixel((r.left + r.right) / 2, (r.top + r.bottom) / 2, &colour) && colour == brown; },
        3000))
        << "0x" << std::hex << colour << " at the middle of " << e2e::Describe(e2e::QueryWindow(part));
  }
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-brown"));
  EXPECT_EQ(e2e::GetSetting(e2e::kDisplayApp, L"선택사항", L"색상"), std::nullopt) << "stored before the exit";

  // Swatch 7 switches off Form7, the third bar below the handle (T + 3G + 2L = 1800
  // twips down), and stores it at once.
  const RECT handle = e2e::QueryWindow(app.Window(L"frm_Center")).rect;
  HWND form7 = nullptr;
  for (HWND bar : app.Windows(L"BarWindow"))
    if (const RECT r = e2e::QueryWindow(bar).rect; r.left == handle.left && r.top == handle.top + 120) form7 = bar;
  ASSERT_TRUE(form7 != nullptr && IsWindowVisible(form7));
  const RECT swatch = e2e::QueryWindow(e2e::Control(dialog, PartSwatch(7))).rect;
  ASSERT_TRUE(e2e::MouseMove((swatch.left + swatch.right) / 2, (swatch.top + swatch.bottom) / 2));
  Sleep(1500);  // the tooltip comes up
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-tooltip"));
  ASSERT_TRUE(e2e::Xdotool({"click", "1"}));
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::GetSetting(e2e::kDisplayApp, L"폼", L"7") == L"0"; }, 3000));
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(form7) && VisibleBars() == 17; }, 3000));
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-swatch7"));

  // The length bar: a trough click right of the thumb, then the right arrow, one
  // position each, 5 to 10 (the last click at the end changes nothing).
  const RECT bar = e2e::QueryWindow(e2e::Control(dialog, SizeBar(0))).rect;
  const int middle = (bar.top + bar.bottom) / 2;
  for (int click = 0; click < 6; ++click) {
    ASSERT_TRUE(e2e::Click(click == 0 ? (bar.left + bar.right) / 2 + 12 : bar.right - 3, middle));
    Sleep(200);
  }
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::TextOf(e2e::Control(dialog, SizeValue(0))) == L"10"; }, 3000));
  // Every segment now 700 twips long: 46 or 47 pixels, each edge rounded on its own.
  EXPECT_TRUE(e2e::WaitUntil(
      [&] {
        for (HWND b : app.Windows(L"BarWindow"))
          if (const RECT r = e2e::QueryWindow(b).rect;
              std::max(r.right - r.left, r.bottom - r.top) < 46 || std::max(r.right - r.left, r.bottom - r.top) > 47)
            return false;
        return true;
      },
      3000));
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-length10"));
  Close(dialog, "alt+F4");

  // ---- machine correction: 12abc saved as 12, stored with its sign position
  dialog = Open(kRevision, L"기계보정", {kAngleBox, kSaveButton, kModeButton, kRatioBox, kPortList, kReceivedBox},
                "correction");
  ASSERT_NE(dialog, nullptr) << "no 기계보정";
  const HWND angle = e2e::Control(dialog, kAngleBox);
  ASSERT_TRUE(e2e::ClickCentre(angle));
  ASSERT_TRUE(e2e::Key("End BackSpace BackSpace BackSpace"));
  ASSERT_TRUE(e2e::Key("1 2 a b c"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::TextOf(angle) == L"12abc"; }, 3000));
  ASSERT_TRUE(e2e::ClickCentre(e2e::Control(dialog, kSaveButton)));
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::GetSetting(e2e::kCorrectionApp, L"각도", L"각도") == L" 12"; }, 3000));
  EXPECT_EQ(e2e::TextOf(angle), L"12");
  EXPECT_EQ(e2e::GetSetting(e2e::kCorrectionApp, L"모드", L"모드"), L"지적통합");
  EXPECT_EQ(e2e::GetSetting(e2e::kCorrectionApp, L"길이비율", L"길이비율"), L"0,0");
  Close(dialog, "alt+F4");

  // ---- about: the tool named by the first key's PATH, here Wine's notepad, in
  // the 64-bit registry view only (where 64-bit Windows keeps it)
  const auto started = [] { return e2e::WindowsInSession(L"Notepad") > 0; };
  const wchar_t tool[] = L"C:\\windows\\notepad.exe";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMsinfoKey.data(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key, kMsinfoPathValue.data(), 0, REG_SZ, reinterpret_cast<const BYTE*>(tool), sizeof tool),
            ERROR_SUCCESS);
  RegCloseKey(key);
  dialog = Open(kSWinfo, L"S/W 정보", {kOkButton, kSysInfoButton}, "about");
  ASSERT_NE(dialog, nullptr) << "no S/W 정보";
  const HWND sysinfo = e2e::Control(dialog, kSysInfoButton);
  ASSERT_TRUE(e2e::ClickCentre(sysinfo));
  EXPECT_TRUE(e2e::WaitUntil(started, 10000)) << "the tool was not started";
  PostMessageW(FindWindowW(L"Notepad", nullptr), WM_CLOSE, 0, 0);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !started(); }, 5000));

  // Neither key: the system's own msinfo32.exe.
  DeleteMachineKeys();
  ASSERT_TRUE(ProcessesNamed(L"msinfo32.exe").empty());
  ASSERT_TRUE(e2e::ClickCentre(sysinfo));
  EXPECT_TRUE(e2e::WaitUntil([] { return !ProcessesNamed(L"msinfo32.exe").empty(); }, 10000))
      << "msinfo32.exe was not started from the system folder";
  Sleep(1000);
  EXPECT_TRUE(e2e::Screenshot("dialog-about-system-tool"));
  EXPECT_EQ(app.VisibleDialogs().find("Reticor2"), std::string::npos) << app.VisibleDialogs();
  for (DWORD pid : ProcessesNamed(L"msinfo32.exe")) {  // of the system's bitness, which taskkill may not be
    const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
  }

  // No tool anywhere: the message, modal to the dialog, so a second click raises none.
  const std::wstring system_tool = SystemMsinfo(), aside = system_tool + L".aside";
  ASSERT_TRUE(MoveFileW(system_tool.c_str(), aside.c_str())) << "error " << GetLastError();
  ASSERT_TRUE(e2e::ClickCentre(sysinfo));
  const HWND box = app.Dialog(L"Reticor2", 5000);
  ASSERT_NE(box, nullptr) << "no message";
  EXPECT_EQ(e2e::TextOf(GetDlgItem(box, 0xFFFF)), kSysInfoUnavailable);
  EXPECT_EQ(GetWindow(box, GW_OWNER), dialog);
  EXPECT_FALSE(IsWindowEnabled(dialog));
  const RECT covered = e2e::QueryWindow(box).rect, button = e2e::QueryWindow(sysinfo).rect;
  EXPECT_FALSE(PtInRect(&covered, {(button.left + button.right) / 2, (button.top + button.bottom) / 2}))
      << "the message covers the button";
  ASSERT_TRUE(e2e::ClickCentre(sysinfo));
  Sleep(500);
  EXPECT_EQ(Dialogs(L"Reticor2"), 1) << "the messages stack";
  EXPECT_TRUE(e2e::Screenshot("dialog-about-unavailable"));
  ASSERT_TRUE(e2e::Key("Return"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(box); }, 3000));
  EXPECT_FALSE(started());
  EXPECT_TRUE(ProcessesNamed(L"msinfo32.exe").empty());
  EXPECT_TRUE(MoveFileW(aside.c_str(), system_tool.c_str())) << "error " << GetLastError();
  // A click on the logo makes the dialog the window the keys go to; Esc closes it as OK does.
  const RECT about = e2e::QueryWindow(dialog).rect;
  ASSERT_TRUE(e2e::Click(about.left + 40, about.top + 60));
  Close(dialog, "Escape");
}

}  // namespace
