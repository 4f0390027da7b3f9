// A surveyor's day with the real program: a store from an older installation (values
// the program did not write) and the reader's adapter not plugged in, told at
// start-up in a message the whole program waits behind; a second start; then the
// three dialogs from the tray with real pointer and keys, where the focus walks the
// controls that take it: the correction dialog shows the reader plugged in late,
// answered, pulled and plugged back, moves it to a port the system lists, switches
// it and saves to the registry; the properties dialog's colour list, part swatch
// and length bar change the cross on the screen; the about dialog starts the
// system-information tool (from the 64-bit registry view, else the system folder)
// or says, in a box it owns, that it cannot; last, the close at log-off.
#include "e2e_support.h"  // <windows.h> first

#include <shellapi.h>

#include <algorithm>

#include "dialogs/about_dialog.h"
#include "dialogs/properties_dialog.h"
#include "reader/correction_dialog.h"
#include "shell/popup_menu_items.h"

namespace {

using namespace rc::dialogs;
using namespace rc::reader;
using e2e::kReading, e2e::kReply, e2e::kOtherReading, e2e::kOtherReply;
using rc::shell::kColor, rc::shell::kRevision, rc::shell::kSWinfo;

class DialogsTest : public e2e::Scenario {
 protected:
  // Opens the dialog from the tray, not topmost, and walks its tab stops: the first
  // has the focus on opening; Tab walks the controls that take the focus (those
  // enabled), in tab order, round to the first; Shift+Tab walks them back. Null
  // when it did not open.
  HWND Open(int command, const wchar_t* caption, std::vector<int> stops, const std::string& screenshot) {
    EXPECT_TRUE(e2e::ChooseFromTrayMenu(app, command));
    const HWND dialog = app.Dialog(caption, 5000);
    if (dialog == nullptr) return nullptr;
    std::erase_if(stops, [&](int c) { return !IsWindowEnabled(e2e::Control(dialog, c)); });
    EXPECT_FALSE(GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
    Sleep(300);  // painted
    EXPECT_TRUE(e2e::Screenshot("dialog-" + screenshot));
    const auto focused = [&] {
      GUITHREADINFO info{};
      info.cbSize = sizeof info;
      GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
      return std::ranges::find(stops, info.hwndFocus, [&](int c) { return e2e::Control(dialog, c); }) - stops.begin();
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

TEST_F(DialogsTest, AStoreItDidNotWriteAMissingPortTheReaderPulledAndEachDialogWithRealInput) {
  // ---- the store, read from the real registry: a position of 100 K characters and
  // a thickness stored as a number whose bytes would read as the text "2" (each its
  // default: the handle 3 pixels wide at the screen's middle), OnTop off, and the
  // reader's port above COM9: COM12, the same pty end as COM2, not plugged in
  ASSERT_TRUE(e2e::SaveApplication(
      e2e::kDisplayApp, {{L"선택사항", {{L"색상", L"255"}, {L"항상위", L"False"}}},
                         {L"크기", {{L"Length", L"350"}, {L"Gap", L"350"}}},
                         {L"위치", {{L"XPosition", std::wstring(100 * 1024, L'7')}, {L"YPosition", L"8100"}}},
                         {L"폼", e2e::PartFlags()}}));
  ASSERT_TRUE(e2e::SaveApplication(e2e::kCorrectionApp, {{L"포트", {{L"포트", L"COM12"}}}}));
  const DWORD thickness = L'2';
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\Dizodudoz\\크기", L"Thickness",
                            REG_DWORD, &thickness, sizeof thickness),
            ERROR_SUCCESS);
  e2e::Application stored = e2e::ReadApplication(e2e::kDisplayApp);
  ASSERT_TRUE(e2e::SetPort("unplug"));
  ASSERT_TRUE(app.Start());
  ASSERT_TRUE(e2e::WaitUntil([&] { return app.Windows(L"BarWindow", true).size() == 18; }, 10000)) << "no cross";
  const HWND pop = app.Window(L"frm_Pop"), handle = app.Window(L"frm_Center");
  std::vector<HWND> parts = app.Windows(L"BarWindow");
  parts.push_back(handle);
  for (HWND w : parts) EXPECT_FALSE(GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) << "the stored OnTop";
  const RECT start = e2e::RectOf(handle), at_middle{960, 540, 963, 543};
  EXPECT_TRUE(EqualRect(&start, &at_middle)) << start.left << "," << start.top;

  // The message about COM12: behind it the handle refuses a drag and the tray opens
  // no menu; after OK the handle drags.
  const HWND box = app.Dialog(L"Reticor2", 10000);
  ASSERT_NE(box, nullptr) << "no message about COM12";
  EXPECT_EQ(e2e::TextOf(GetDlgItem(box, 0xFFFF)), L"COM12 포트를 열수가 없습니다.");
  EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
  EXPECT_FALSE(IsWindowEnabled(handle));
  ASSERT_TRUE(e2e::Drag({start.left + 1, start.top + 1}, {start.left - 199, start.top + 101}, 25));
  ASSERT_TRUE(e2e::PostTrayNotice(app, WM_RBUTTONUP, {300, 200}));
  ASSERT_TRUE(e2e::PostTrayNotice(app, WM_CONTEXTMENU, {300, 200}));
  Sleep(500);
  const RECT held = e2e::RectOf(handle);
  EXPECT_TRUE(EqualRect(&start, &held)) << "the handle moved behind the message";
  EXPECT_EQ(app.Window(L"#32768", true), nullptr) << "the tray menu opened";
  EXPECT_TRUE(e2e::Screenshot("cross-drag-refused-behind-port-message"));
  ASSERT_TRUE(e2e::ClickCentre(GetDlgItem(box, IDOK)));
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(box); }, 5000));
  // After it, a notification names the ports there are (Wine shows it as a balloon
  // tooltip); a click on it opens the correction dialog with the port list dropped down.
  const auto note = [] { return e2e::Notification(L"다른 포트가 있습니다: "); };
  EXPECT_TRUE(e2e::WaitUntil([&] { return note().find(L"COM5") != std::wstring::npos; }, 10000)) << note();
  EXPECT_TRUE(note().ends_with(L". 여기를 누르면 기계보정에서 고를 수 있습니다.")) << note();
  EXPECT_TRUE(e2e::Screenshot("tray-other-ports-notification"));
  EXPECT_EQ(app.VisibleDialogs(), L"") << "a second message";
  ASSERT_TRUE(e2e::PostTrayNotice(app, NIN_BALLOONUSERCLICK, {}));
  const HWND chooser = app.Dialog(L"기계보정", 5000);
  ASSERT_NE(chooser, nullptr) << "the click did not open 기계보정";
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(app.Window(L"ComboLBox")); }, 3000)) << "not dropped down";
  EXPECT_TRUE(e2e::Screenshot("dialog-correction-from-notification"));
  PostMessageW(chooser, WM_CLOSE, 0, 0);  // as its close box does; the keys' close is walked below
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(chooser); }, 3000));
  ASSERT_TRUE(e2e::Drag({start.left + 1, start.top + 1}, {start.left - 199, start.top + 101}, 25));
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::RectOf(handle).left == start.left - 200; }, 3000))
      << "the handle does not drag after the message";

  // A second start, with the handle hidden by something outside the program: it
  // only shows the running copy's handle.
  ShowWindow(handle, SW_HIDE);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindowVisible(handle); }, 3000));
  EXPECT_EQ(e2e::RunAndWait(e2e::AppPath(), L"", 20000), 0u) << "the second start did not end with 0";
  EXPECT_TRUE(e2e::WaitUntil([&] { return IsWindowVisible(handle) != FALSE; }, 5000)) << "the handle stays hidden";
  EXPECT_EQ(e2e::WindowsInSession(L"frm_Pop"), 1);
  EXPECT_TRUE(e2e::Screenshot("startup-second-start"));

  // ---- machine correction: the reader's port missing, then plugged in and
  // announced, pulled and plugged back, as the dialog shows it; then the reader
  // moved to COM5, a port the system lists
  HWND dialog = Open(kRevision, L"기계보정", {kAngleBox, kSaveButton, kModeButton, kRatioBox, kPortList, kReceivedBox},
                     "correction");
  ASSERT_NE(dialog, nullptr) << "no 기계보정";
  const HWND ports = e2e::Control(dialog, kPortList), status = e2e::Control(dialog, kStatusLine),
             received = e2e::Control(dialog, kReceivedBox), mode = e2e::Control(dialog, kModeButton),
             angle = e2e::Control(dialog, kAngleBox);
  auto status_is = [&](const std::wstring& text) {
    return e2e::WaitUntil([&] { return e2e::TextOf(status) == text; }, 5000);
  };
  EXPECT_TRUE(status_is(L"COM12: 없음 (꽂으면 자동으로 엽니다)")) << e2e::TextOf(status);
  EXPECT_EQ(e2e::TextOf(ports), L"COM12 (없음)");  // in use, but not among the system's ports
  EXPECT_NE(SendMessageW(ports, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(L"COM5")), CB_ERR);

  // Plugged in and announced: readings on COM12 are answered once, a byte at a
  // time at the wire's pace (about a millisecond a byte at 9600 baud) with CR LF
  // line ends, then a line a write; no LF ends up in front of the next X field.
  ASSERT_TRUE(e2e::SetPort("plug"));
  ASSERT_TRUE(peer.Open());
  e2e::AnnouncePort(pop, L"COM12");
  EXPECT_TRUE(status_is(L"COM12: 열림, 수신 대기 중")) << e2e::TextOf(status);
  e2e::ReaderIdleAfterOpen();
  for (char byte : std::string(kReading) + "\n") {
    ASSERT_TRUE(peer.Write(std::string(1, byte)));
    Sleep(1);
  }
  EXPECT_EQ(peer.ReadLine(), kReply);
  ASSERT_TRUE(peer.Write(std::string(kOtherReading) + "\n"));
  EXPECT_EQ(peer.ReadLine(), kOtherReply);
  EXPECT_EQ(peer.ReadLine(1000), "") << "more than one reply to a reading";
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::TextOf(status).starts_with(L"COM12: 열림, 마지막 수신 "); }, 3000));
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::TextOf(received) == L"  30000,  40000   0 → 000300,000400,1"; }, 3000));
  EXPECT_TRUE(e2e::Screenshot("dialog-correction-received"));
  // Pulled: the program closes its port without a word; plugged back and
  // announced, it answers again.
  peer.Close();
  ASSERT_TRUE(e2e::SetPort("unplug"));
  EXPECT_TRUE(status_is(L"COM12: 없음 (꽂으면 자동으로 엽니다)")) << e2e::TextOf(status);
  EXPECT_EQ(app.Dialog(L"Reticor2"), nullptr);
  ASSERT_TRUE(e2e::SetPort("plug"));
  ASSERT_TRUE(peer.Open());
  e2e::AnnouncePort(pop, L"COM12");
  e2e::ReaderIdleAfterOpen();
  ASSERT_TRUE(peer.Write(kReading));
  EXPECT_EQ(peer.ReadLine(), kReply) << "not reopened";

  // Tab to the list (the fifth stop), Up to the entry before, COM5: used at once.
  ASSERT_TRUE(e2e::Key("Tab Tab Tab Tab Up"));
  EXPECT_TRUE(status_is(L"COM5: 열림, 수신 대기 중")) << e2e::TextOf(status);
  EXPECT_TRUE(
      e2e::WaitUntil([&] { return e2e::ReadApplication(e2e::kCorrectionApp)[L"포트"][L"포트"] == L"COM5"; }, 3000));
  ASSERT_TRUE(peer.Open(L"COM6"));
  e2e::ReaderIdleAfterOpen();
  ASSERT_TRUE(peer.Write(kOtherReading));
  EXPECT_EQ(peer.ReadLine(), kOtherReply);

  // The mode button closes the port without a word ("Wintab 전환"), and opens it again.
  ASSERT_TRUE(e2e::ClickCentre(mode));
  EXPECT_TRUE(status_is(L"COM5: 닫힘 (Wintab 전환)"));
  EXPECT_EQ(e2e::TextOf(mode), L"Wintab 전환");
  EXPECT_EQ(app.Dialog(L"Reticor2"), nullptr);
  ASSERT_TRUE(e2e::ClickCentre(mode));
  EXPECT_TRUE(status_is(L"COM5: 열림, 수신 대기 중"));

  // 12abc saved as 12, stored with its sign position.
  ASSERT_TRUE(e2e::ClickCentre(angle));
  ASSERT_TRUE(e2e::Key("End BackSpace BackSpace BackSpace 1 2 a b c"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::TextOf(angle) == L"12abc"; }, 3000));
  ASSERT_TRUE(e2e::ClickCentre(e2e::Control(dialog, kSaveButton)));
  EXPECT_TRUE(
      e2e::WaitUntil([&] { return e2e::ReadApplication(e2e::kCorrectionApp)[L"각도"][L"각도"] == L" 12"; }, 3000));
  EXPECT_EQ(e2e::TextOf(angle), L"12");
  Close(dialog, "alt+F4");

  // ---- properties
  dialog = Open(kColor, L"속성",
                {kColourList, SizeBar(0), SizeBar(1), SizeBar(2), kOpacityBar, kSignInBox, kCaptureBox, ShortcutBox(0),
                 ShortcutBox(1), ShortcutBox(2), ShortcutBox(3)},
                "properties");
  ASSERT_NE(dialog, nullptr) << "no 속성";
  // The command again brings this one to the front and makes no second.
  ASSERT_TRUE(e2e::ChooseFromTrayMenu(app, kColor));
  Sleep(300);
  EXPECT_EQ(app.Windows(L"#32770", true).size(), 1u) << app.VisibleDialogs();
  EXPECT_EQ(GetForegroundWindow(), dialog);

  // Brown, the fourth entry of the dropped-down list (a top-level window of its own).
  const HWND combo = e2e::Control(dialog, kColourList);
  ASSERT_TRUE(e2e::ClickCentre(combo));
  HWND dropped = nullptr;
  ASSERT_TRUE(e2e::WaitUntil([&] { return (dropped = app.Window(L"ComboLBox")) && IsWindowVisible(dropped); }, 3000));
  const RECT list = e2e::RectOf(dropped);
  const int row = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
  Sleep(200);
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-list"));
  ASSERT_TRUE(e2e::Click(list.left + 20, list.top + 1 + 3 * row + row / 2));
  const COLORREF brown = kColourChoices[3].value;
  for (HWND part : parts)
    EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::MiddlePixel(part) == brown; }, 3000))
        << std::hex << e2e::MiddlePixel(part);
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-brown"));

  // Swatch 7 switches off Form7, the third bar below the handle (T + 3G + 2L = 1800
  // twips down), and stores it at once.
  const RECT centre = e2e::RectOf(handle);
  HWND form7 = nullptr;
  for (HWND bar : app.Windows(L"BarWindow"))
    if (const RECT r = e2e::RectOf(bar); r.left == centre.left && r.top == centre.top + 120) form7 = bar;
  ASSERT_TRUE(form7 != nullptr && IsWindowVisible(form7));
  const RECT swatch = e2e::RectOf(e2e::Control(dialog, PartSwatch(7)));
  ASSERT_TRUE(e2e::MouseMove((swatch.left + swatch.right) / 2, (swatch.top + swatch.bottom) / 2));
  Sleep(1500);  // the tooltip comes up
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-tooltip"));
  ASSERT_TRUE(e2e::Xdotool({"click", "1"}));
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::ReadApplication(e2e::kDisplayApp)[L"폼"][L"7"] == L"0"; }, 3000));
  stored[L"폼"][L"7"] = L"0";
  EXPECT_TRUE(
      e2e::WaitUntil([&] { return !IsWindowVisible(form7) && app.Windows(L"BarWindow", true).size() == 17; }, 3000));
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-swatch7"));

  // Capture exclusion comes with Windows 10 2004; Wine 8 reports an older Windows (the capture cannot be seen).
  const HWND capture = e2e::Control(dialog, kCaptureBox);
  EXPECT_EQ(e2e::TextOf(capture),
            IsWindowEnabled(capture) ? L"화면 캡처에서 숨기기" : L"화면 캡처에서 숨기기 (Windows 10 2004 이상)");

  // The length bar: a trough click right of the thumb, then the right arrow, one
  // position each, 5 to 10 (the last click at the end changes nothing).
  const RECT bar = e2e::RectOf(e2e::Control(dialog, SizeBar(0)));
  const int middle = (bar.top + bar.bottom) / 2;
  for (int click = 0; click < 6; ++click) {
    ASSERT_TRUE(e2e::Click(click == 0 ? (bar.left + bar.right) / 2 + 12 : bar.right - 3, middle));
    Sleep(200);
  }
  EXPECT_TRUE(e2e::WaitUntil([&] { return e2e::TextOf(e2e::Control(dialog, SizeValue(0))) == L"10"; }, 3000));
  // Every segment now 700 twips long: 46 or 47 pixels, each edge rounded on its own.
  const auto segment_46_or_47 = [](HWND b) {
    const RECT r = e2e::RectOf(b);
    return std::max(r.right - r.left, r.bottom - r.top) / 2 == 23;
  };
  EXPECT_TRUE(e2e::WaitUntil([&] { return std::ranges::all_of(app.Windows(L"BarWindow"), segment_46_or_47); }, 3000));
  EXPECT_TRUE(e2e::Screenshot("dialog-properties-length10"));
  Close(dialog, "alt+F4");

  // ---- about: the tool named by the first key's PATH, here Wine's notepad, in
  // the 64-bit registry view only (where 64-bit Windows keeps it)
  const auto notepad = [] { return FindWindowW(L"Notepad", nullptr); };
  const auto system_tool = [] { return FindWindowW(nullptr, L"시스템 정보 정보"); };  // Wine's msinfo32 in Korean
  const wchar_t tool[] = L"C:\\windows\\notepad.exe";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kMsinfoKey.data(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(key, kMsinfoPathValue.data(), 0, REG_SZ, reinterpret_cast<const BYTE*>(tool), sizeof tool),
            ERROR_SUCCESS);
  dialog = Open(kSWinfo, L"S/W 정보", {kOkButton, kSysInfoButton}, "about");
  ASSERT_NE(dialog, nullptr) << "no S/W 정보";
  const HWND sysinfo = e2e::Control(dialog, kSysInfoButton);
  ASSERT_TRUE(e2e::ClickCentre(sysinfo));
  EXPECT_TRUE(e2e::WaitUntil([&] { return notepad() != nullptr; }, 10000)) << "the tool was not started";
  PostMessageW(notepad(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !notepad(); }, 5000));

  // Neither key: the system's own msinfo32.exe.
  RegDeleteValueW(key, kMsinfoPathValue.data());
  RegCloseKey(key);
  ASSERT_TRUE(e2e::ClickCentre(sysinfo));
  EXPECT_TRUE(e2e::WaitUntil([&] { return system_tool() != nullptr; }, 10000))
      << "msinfo32.exe was not started from the system folder";
  Sleep(300);
  EXPECT_TRUE(e2e::Screenshot("dialog-about-system-tool"));
  EXPECT_EQ(app.Dialog(L"Reticor2"), nullptr) << app.VisibleDialogs();
  PostMessageW(system_tool(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(e2e::WaitUntil([&] { return !system_tool(); }, 5000));

  // No tool anywhere: the message, modal to the dialog (which takes no clicks until it closes).
  // The system's own msinfo32.exe set aside, in the native system folder whatever this program's bitness.
  wchar_t windows[MAX_PATH];
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  const std::wstring system_file = std::wstring(windows, GetSystemWindowsDirectoryW(windows, MAX_PATH)) +
                                   (wow64 ? L"\\Sysnative" : L"\\system32") + L"\\msinfo32.exe",
                     aside = system_file + L".aside";
  ASSERT_TRUE(MoveFileW(system_file.c_str(), aside.c_str())) << "error " << GetLastError();
  ASSERT_TRUE(e2e::ClickCentre(sysinfo));
  const HWND message = app.Dialog(L"Reticor2", 5000);
  ASSERT_NE(message, nullptr) << "no message";
  EXPECT_EQ(e2e::TextOf(GetDlgItem(message, 0xFFFF)), kSysInfoUnavailable);
  EXPECT_EQ(GetWindow(message, GW_OWNER), dialog);
  EXPECT_FALSE(IsWindowEnabled(dialog));
  EXPECT_TRUE(e2e::Screenshot("dialog-about-unavailable"));
  ASSERT_TRUE(e2e::Key("Return"));
  EXPECT_TRUE(e2e::WaitUntil([&] { return !IsWindow(message); }, 3000));
  EXPECT_TRUE(!notepad() && !system_tool()) << "a tool started";
  EXPECT_TRUE(MoveFileW(aside.c_str(), system_file.c_str())) << "error " << GetLastError();
  // A click on the logo makes the dialog the window the keys go to; Esc closes it as OK does.
  const RECT about = e2e::RectOf(dialog);
  ASSERT_TRUE(e2e::Click(about.left + 40, about.top + 60));
  Close(dialog, "Escape");

  // ---- closing the start-up window, as the system does at log-off, closes the
  // port and ends the program without saving: the store as it was, but for swatch 7
  PostMessageW(pop, WM_CLOSE, 0, 0);
  EXPECT_TRUE(app.WaitForExit(5000)) << "closing the port hangs";
  EXPECT_TRUE(e2e::ReadApplication(e2e::kDisplayApp) == stored)
      << e2e::Describe(e2e::ReadApplication(e2e::kDisplayApp));
}

}  // namespace
