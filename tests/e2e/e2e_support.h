// Helpers for the end-to-end tests: the real Reticor2.exe under Wine, its windows,
// the per-user settings, the virtual display (screenshots, real pointer and keys
// through the harness) and the far end of the serial link. The test program runs in
// the program's Wine prefix: the same HKEY_CURRENT_USER and window list. harness.sh
// sets RETICOR_E2E_APP (the Reticor2.exe to start) and RETICOR_E2E_CHANNEL (the
// Unix directory where requests to the harness go).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reader/reader_link.h"

namespace e2e {

using Result = testing::AssertionResult;

// Asks `done` every 20 ms until it holds or `timeoutMs` has passed; the last answer.
// For waiting on the program, never for timing it.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);

// ---- settings: HKCU\Software\VB and VBA Program Settings\<application>\<section>, REG_SZ keys
inline constexpr const wchar_t* kDisplayApp = L"Dizodudoz";
inline constexpr const wchar_t* kCorrectionApp = L"기계보정";
using Section = std::map<std::wstring, std::wstring>;  // key -> text
using Application = std::map<std::wstring, Section>;   // section -> keys

// A REG_SZ value below HKCU; nullopt when it is missing or of another type.
std::optional<std::wstring> UserText(const std::wstring& key, const wchar_t* name);
// Every section (also empty ones) with every value, "<not REG_SZ>" for a value of
// another type; empty when the application is missing.
Application ReadApplication(std::wstring_view application);
// Writes every value of `content` on top of what is stored.
Result SaveApplication(std::wstring_view application, const Application& content);
// Deletes both applications: the next start is a first start.
Result ResetSettings();
std::wstring Describe(const Application& content);  // readable, for failure messages
Section PartFlags();                                // the nineteen part flags "0".."18", each "1"

// ---- windows
RECT RectOf(HWND window);           // screen pixels
COLORREF MiddlePixel(HWND window);  // the screen's pixel at the window's middle, as RGB()
// A control of one of the program's dialogs, by its id in the dialog's table.
HWND Control(HWND dialog, int control);
// A control's text, asked of the control (GetWindowText does not ask another process's).
std::wstring TextOf(HWND control);
int WindowsInSession(const wchar_t* className);  // top-level windows of the class
// The text of a shown notification (Wine shows it as a balloon tooltip) that starts so; empty when none.
std::wstring Notification(std::wstring_view start);
// The images of a program file's main icon by width in pixels: each image's bytes.
std::map<int, std::string> IconImages(const std::wstring& file);

std::wstring AppPath();  // the Reticor2.exe under test
// Starts a program (on the named desktop, when one is given): its process, or null.
HANDLE Spawn(const std::wstring& program, const std::wstring& arguments, DWORD* pid = nullptr,
             std::wstring desktop = L"");
// Runs a program and waits for it: its exit code, nullopt when it did not start or end.
std::optional<DWORD> RunAndWait(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs);

// One run of Reticor2.exe; the destructor ends a process that still runs.
class App {
 public:
  App() = default;
  ~App() { Terminate(); }
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // Starts the program and waits until `frm_Pop` exists and start-up has run; on
  // the named desktop when one is given (the calling thread on it too, to see its windows).
  Result Start(const std::wstring& desktop = L"");
  bool Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
  std::optional<DWORD> ExitCode() const;  // once it has ended
  bool WaitForExit(DWORD timeoutMs) { return !process_ || WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0; }
  void Terminate();  // at once, nothing of the program runs

  // Its top-level windows of the class (only the visible ones when `shown`), in Z
  // order; the first one, or null ("#32768": its open popup menu).
  std::vector<HWND> Windows(std::wstring_view className, bool shown = false) const;
  HWND Window(std::wstring_view className, bool shown = false) const;
  // Its visible dialog or message box ("#32770") with the caption, waiting up to `timeoutMs`.
  HWND Dialog(std::wstring_view caption, DWORD timeoutMs = 0) const;
  std::wstring VisibleDialogs() const;  // the captions of its visible "#32770"; empty when none

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// ---- the virtual display: screenshots and input through the harness
// Saves the whole screen as <screenshot dir>/<name>.png.
Result Screenshot(std::string_view name);
// xdotool with these arguments (chains allowed).
Result Xdotool(const std::vector<std::string>& args);
// Returns once the system reports the pointer there.
Result MouseMove(int x, int y);
Result Click(int x, int y);
inline Result ClickCentre(HWND window) {
  const RECT r = RectOf(window);
  return Click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}
// Left press at `from`, motion events of at most `pixels` along either axis 30 ms
// apart to `to`, release.
Result Drag(POINT from, POINT to, int pixels);
// X key names, blank-separated, 40 ms apart: "Tab", "shift+Tab", "alt+F4".
Result Key(std::string_view keys);
// Posts the start-up window one notification of its tray icon as the notification
// area's version 4 sends it: the code (a mouse message, WM_CONTEXTMENU, NIN_...) and its anchor.
bool PostTrayNotice(const App& app, UINT code, POINT anchor);
// Opens the tray menu as a right-button release over the icon does (the pointer off
// the cross), saves a screenshot of it when named, and clicks the command's row.
// Returns once the menu has closed.
Result ChooseFromTrayMenu(const App& app, int command, const char* screenshot = nullptr);

// ---- the serial link
// Two readings and the program's replies to them with no correction.
inline constexpr std::string_view kReading = "  12345,  23456   0\r";
inline constexpr std::string_view kReply = "000123,000234,1\r";
inline constexpr std::string_view kOtherReading = "  30000,  40000   0\r";
inline constexpr std::string_view kOtherReply = "000300,000400,1\r";

// COM2 (and COM12, the same pty end): "unplug" ends its pty pair (an open port
// fails, as a pulled adapter does; an open finds no port); "plug" makes a new pair.
Result SetPort(const char* state);
// Sends the top-level window the system's message for a serial port's arrival
// (nothing broadcasts it under Wine).
void AnnouncePort(HWND window, const wchar_t* port);

// Lets the reader be idle after the program opened its port: bytes that come
// sooner are taken for the tail of a reading the open cut, and dropped.
inline void ReaderIdleAfterOpen() { Sleep(static_cast<DWORD>(rc::reader::kTailGuardMs) + 300); }

// The far end of a pty pair: COM3 (the program's COM2), COM6 (its COM5).
class SerialPeer {
 public:
  SerialPeer() = default;
  ~SerialPeer() { Close(); }
  SerialPeer(const SerialPeer&) = delete;
  SerialPeer& operator=(const SerialPeer&) = delete;

  Result Open(const wchar_t* port = L"COM3");  // nothing waiting
  void Close();
  Result Write(std::string_view bytes);
  // Bytes up to and including a CR, or what arrived within `timeoutMs`.
  std::string ReadLine(DWORD timeoutMs = 5000);

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Each scenario starts from an empty store with COM2 on the pty pair and leaves it so.
class Scenario : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ResetSettings()); }
  void TearDown() override {
    app.Terminate();
    peer.Close();
    EXPECT_TRUE(SetPort("plug"));
    EXPECT_TRUE(ResetSettings());
  }
  App app;
  SerialPeer peer;
};

}  // namespace e2e
