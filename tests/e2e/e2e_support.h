// Helpers for the end-to-end tests: the real Reticor2.exe under Wine, its windows,
// the per-user settings in the registry, the virtual display (screenshots, real
// pointer and keyboard input through the harness) and the far end of the serial link.
//
// The test program runs in the same Wine prefix as the program under test, so it
// sees the same HKEY_CURRENT_USER and the same window list. harness.sh sets:
//   RETICOR_E2E_APP      Windows path of the Reticor2.exe to start
//   RETICOR_E2E_CHANNEL  Unix directory where requests to the harness go
//                        (screenshots, xdotool input, screen pixels)
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

// ---------------------------------------------------------------- text

std::string Utf8(std::wstring_view text);
std::wstring Wide(std::string_view utf8);

// ---------------------------------------------------------------- waiting

// Calls `done` every `stepMs` until it returns true or `timeoutMs` has passed;
// returns the last result. For waiting on the program, never for timing it.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs, DWORD stepMs = 20);

// ---------------------------------------------------------------- settings store

// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>,
// each key a REG_SZ value.
inline constexpr const wchar_t* kDisplayApp = L"Dizodudoz";
inline constexpr const wchar_t* kCorrectionApp = L"기계보정";

// Registry path below HKCU: the application's key, or one of its sections.
std::wstring SettingsKeyPath(std::wstring_view application, std::wstring_view section = {});

// The stored text of one key; nullopt when the key or its section is missing.
// A value that is not REG_SZ reads as "<REG type N>" so that comparisons show it.
std::optional<std::wstring> GetSetting(std::wstring_view application, std::wstring_view section,
                                       std::wstring_view key);
// Writes a REG_SZ value, creating the section as needed.
testing::AssertionResult SaveSetting(std::wstring_view application, std::wstring_view section,
                                     std::wstring_view key, std::wstring_view text);
// Deletes one value; a missing value or section is not an error.
testing::AssertionResult DeleteSetting(std::wstring_view application, std::wstring_view section,
                                       std::wstring_view key);

using Section = std::map<std::wstring, std::wstring>;      // key -> text
using Application = std::map<std::wstring, Section>;       // section -> keys

// Everything stored under one application: every section (also empty ones) with
// every value. Empty when the application key does not exist.
Application ReadApplication(std::wstring_view application);
// Whether the application's key exists at all.
bool ApplicationExists(std::wstring_view application);
// Writes every value of `content` (on top of what is there).
testing::AssertionResult SaveApplication(std::wstring_view application, const Application& content);
// Deletes the application's whole tree; a missing tree is not an error.
testing::AssertionResult DeleteApplication(std::wstring_view application);
// Deletes both application trees: the program's next start is a first start.
testing::AssertionResult ResetSettings();

// Readable (UTF-8) rendering of stored settings for failure messages, e.g.
//   [폼] 0="1" 1="1" ...
std::string Describe(const Application& content);
std::string Describe(const Section& content);

// The nineteen part flags "0".."18" all set to `text` (the first-run section "폼").
Section PartFlags(std::wstring_view text = L"1");

// ---------------------------------------------------------------- windows

struct WindowState {
  HWND hwnd = nullptr;
  DWORD pid = 0;
  std::wstring className;
  std::wstring caption;
  RECT rect{};         // screen pixels, GetWindowRect
  bool visible = false;
  bool topmost = false;  // WS_EX_TOPMOST
  LONG_PTR style = 0;
  LONG_PTR exStyle = 0;
};

WindowState QueryWindow(HWND hwnd);
// Top-level windows of class `className` (all when empty) owned by process `pid`,
// in the system's Z order (topmost first).
std::vector<HWND> FindWindows(DWORD pid, std::wstring_view className = {});
std::string Describe(const WindowState& window);

// ---------------------------------------------------------------- the program

// Path of the Reticor2.exe under test (RETICOR_E2E_APP, else Reticor2.exe next to
// the test program).
std::wstring AppPath();

// One run of Reticor2.exe. The destructor ends a process that still runs.
class App {
 public:
  App() = default;
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  // Starts the program and waits until its start-up window `frm_Pop` exists and
  // its user-interface thread waits for input (start-up has run).
  testing::AssertionResult Start(DWORD timeoutMs = 20000);

  DWORD Pid() const { return pid_; }
  HANDLE Process() const { return process_; }
  bool Running() const;
  // Exit code once the process has ended.
  std::optional<DWORD> ExitCode() const;
  bool WaitForExit(DWORD timeoutMs);
  // Ends the process at once (nothing of the program runs) and waits for it.
  void Terminate();

  std::vector<HWND> Windows(std::wstring_view className = {}) const;
  // The first window of the class, waiting up to `timeoutMs` for it to appear.
  HWND Window(std::wstring_view className, DWORD timeoutMs = 0) const;
  // Waits until exactly `count` windows of the class exist.
  bool WaitForWindows(std::wstring_view className, size_t count, DWORD timeoutMs) const;
  // Message boxes and dialogs ("#32770") the program shows.
  std::vector<WindowState> Dialogs() const;

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// ---------------------------------------------------------------- virtual display

// Whether the harness serves requests (screenshots, input); false when the test
// program runs on its own.
bool HarnessAvailable();

// Saves the whole virtual screen as <screenshot dir>/<name>.png
// (build/win64/e2e-screenshots). Name: letters, digits, '-', '_', '.'.
testing::AssertionResult Screenshot(std::string_view name);

// Runs xdotool on the virtual display with these arguments (chains allowed, e.g.
// {"mousemove","10","10","click","1"}); its standard output goes to `output`.
testing::AssertionResult Xdotool(const std::vector<std::string>& args, std::string* output = nullptr);

// Real input, in screen pixels. Buttons: 1 left, 2 middle, 3 right.
// MouseMove (and Click, Drag) return once the system reports the pointer there.
testing::AssertionResult MouseMove(int x, int y);
testing::AssertionResult MouseDown(int button = 1);
testing::AssertionResult MouseUp(int button = 1);
testing::AssertionResult Click(int x, int y, int button = 1);
// Press at `from`, move in `steps` steps (a short pause after each) to `to`, release.
testing::AssertionResult Drag(POINT from, POINT to, int steps = 10, int button = 1);
// X key names, pressed one after another when separated by blanks, combinations
// with '+': "Down", "Down Down Return", "Escape", "alt+F4".
testing::AssertionResult Key(std::string_view keys);
// Opens the program's tray menu as a right-button release over its icon does
// (the pointer off the cross first, so the menu lies on plain desktop) and
// clicks item `item`, 1 to 6 from the top (six rows of one height: keys can
// miss the first menu of a fresh prefix); returns once the menu has closed.
testing::AssertionResult ChooseFromTrayMenu(const App& app, int item);
// Types the text as keystrokes into the focused window.
testing::AssertionResult Type(std::wstring_view text);

// Colour of one screen pixel as 0x00BBGGRR (RGB()).
testing::AssertionResult ScreenPixel(int x, int y, COLORREF* colour);

// ---------------------------------------------------------------- serial link

// Points the program's COM2 at nothing (`present` false: opening it fails as for
// a missing port) or back at the pseudo-terminal pair. Takes effect at the next open.
testing::AssertionResult SetCom2Present(bool present);
// Ends the pseudo-terminal pair (`plugged` false: the program's open COM2 fails
// as when a USB adapter is pulled out) or makes a new one under the same names.
// Any SerialPeer must be opened again after a new pair is made.
testing::AssertionResult SetCom2Plugged(bool plugged);

// The test's end of the serial link: COM3, the far end of the pseudo-terminal pair
// whose other end is the program's COM2.
class SerialPeer {
 public:
  SerialPeer() = default;
  ~SerialPeer();
  SerialPeer(const SerialPeer&) = delete;
  SerialPeer& operator=(const SerialPeer&) = delete;

  // Opens the port at 9600 baud, 8 data bits, no parity, 1 stop bit, no flow
  // control, and discards anything waiting.
  testing::AssertionResult Open(const wchar_t* port = L"\\\\.\\COM3");
  void Close();
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

  testing::AssertionResult Write(std::string_view bytes);
  // What arrives within `timeoutMs`, at most `maxBytes`; returns early once
  // `maxBytes` have arrived.
  std::string Read(size_t maxBytes, DWORD timeoutMs);
  // Bytes up to and including the first `terminator`, or what arrived before
  // the timeout.
  std::string ReadUntil(char terminator, DWORD timeoutMs);
  // Discards received and unsent bytes.
  void Purge();

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  // What arrives within `timeoutMs`, returning as soon as anything has.
  std::string ReadSome(size_t maxBytes, DWORD timeoutMs);

  std::string pending_;  // read past a terminator, kept for the next read
};

}  // namespace e2e
