#pragma once
// An in-memory platform that records every call that reaches it, in order, as
// readable text ("Form1.top 4400", "save Dizodudoz/폼/0=1"), so that tests can
// assert the order a part of the program follows where that order matters.

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/fake/utf8.h"
#include "platform/platform.h"

namespace rc::fake {

// A number as the log writes it: the shortest text that reads back the same.
std::string LogNumber(float v);

class CallLog {
 public:
  void Add(std::string call) { calls_.push_back(std::move(call)); }
  const std::vector<std::string>& all() const { return calls_; }
  // The calls that start with `prefix`, in order.
  std::vector<std::string> With(std::string_view prefix) const {
    std::vector<std::string> out;
    std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(out), [&](auto& c) { return c.starts_with(prefix); });
    return out;
  }
  void Clear() { calls_.clear(); }

 private:
  std::vector<std::string> calls_;
};

// A window of the cross: "<name>.<property> <value>" for each property that changed.
class FakeWindow final : public platform::Window {
 public:
  FakeWindow(class FakePlatform& owner, std::string name, platform::WindowEvents& events);
  ~FakeWindow() override;

  float Left() const override { return left_; }
  float Top() const override { return top_; }
  float Width() const override { return width_; }
  float Height() const override { return height_; }
  void SetLeft(float twips) override { Set(left_, twips, "left", LogNumber(twips)); }
  void SetTop(float twips) override { Set(top_, twips, "top", LogNumber(twips)); }
  void SetWidth(float twips) override { Set(width_, twips, "width", LogNumber(twips)); }
  void SetHeight(float twips) override { Set(height_, twips, "height", LogNumber(twips)); }
  std::uint32_t BackColour() const override { return back_colour_; }
  void SetBackColour(std::uint32_t bgr) override { Set(back_colour_, bgr, "color", std::to_string(bgr)); }
  bool Visible() const override { return visible_; }
  void SetVisible(bool visible) override { Set(visible_, visible, "visible", visible ? "1" : "0"); }
  std::uint8_t Alpha() const override { return alpha_; }
  void SetAlpha(std::uint8_t alpha) override { Set(alpha_, alpha, "alpha", std::to_string(alpha)); }
  platform::Status SetExcludedFromCapture(bool excluded) override {
    if (capture_error != 0)
      return platform::Status::Failed(platform::Error::Other, capture_error, "SetWindowDisplayAffinity");
    Set(capture_excluded_, excluded, "capture", excluded ? "excluded" : "shown");
    return platform::Status::Ok();
  }
  bool capture_excluded() const { return capture_excluded_; }
  std::uint32_t capture_error = 0;  // the system refuses the call with this code
  void SetTopmost(bool topmost) override {
    topmost_ = topmost;
    Record("topmost", topmost ? "1" : "0");
  }
  void ShowActivated() override {
    visible_ = true;
    Record("activate", "");
  }
  // The user's drag ends where it began: where it goes is driven end to end.
  void BeginDrag() override { Record("drag", ""); }

  // Test side.
  platform::WindowEvents& events() { return events_; }
  bool topmost() const { return topmost_; }
  // Moves the window as the user's drag would, without a property call.
  void MoveByUser(float left, float top) { left_ = left, top_ = top; }

 private:
  template <typename T>
  void Set(T& field, T value, std::string_view property, const std::string& text) {
    if (platform::Update(field, value)) Record(property, text);
  }
  void Record(std::string_view property, const std::string& value);

  FakePlatform& owner_;
  std::string name_;
  platform::WindowEvents& events_;
  float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::uint32_t back_colour_ = 0x00FFFFFF;
  bool visible_ = false;
  std::uint8_t alpha_ = 255;
  bool topmost_ = false;
  bool capture_excluded_ = false;
};

class FakeScreen final : public platform::Screen {
 public:
  float WidthTwips() const override { return PixelScale(dpi).Twips(width_px); }
  float HeightTwips() const override { return PixelScale(dpi).Twips(height_px); }
  PixelScale ScaleX() const override { return PixelScale(dpi); }
  PixelScale ScaleY() const override { return PixelScale(dpi); }
  std::vector<platform::Monitor> Monitors() const override {
    std::vector<platform::Monitor> monitors{{{0, 0, WidthTwips(), HeightTwips()}, dpi}};
    monitors.insert(monitors.end(), extra_monitors.begin(), extra_monitors.end());
    return monitors;
  }
  platform::PixelPoint Pointer() const override { return pointer; }
  bool CanExcludeFromCapture() const override { return can_exclude_from_capture; }

  int width_px = 1920, height_px = 1080, dpi = 96;
  // Extra monitors beside the primary one, in twips of the primary's scale.
  std::vector<platform::Monitor> extra_monitors;
  platform::PixelPoint pointer;
  bool can_exclude_from_capture = true;
};

class FakeSettings final : public platform::SettingsBackend {
 public:
  explicit FakeSettings(CallLog& log) : log_(log) {}
  std::wstring Get(std::wstring_view app, std::wstring_view section, std::wstring_view key,
                   std::wstring_view fallback) override {
    const std::string path = Path(app, section, key);
    log_.Add("get " + path);
    return values_.contains(path) ? FromUtf8(values_.at(path)) : std::wstring(fallback);
  }
  bool Contains(std::wstring_view app, std::wstring_view section, std::wstring_view key) override {
    return values_.contains(Path(app, section, key));
  }
  platform::Status Save(std::wstring_view app, std::wstring_view section, std::wstring_view key,
                        std::wstring_view value) override {
    const std::string path = Path(app, section, key);
    log_.Add("save " + path + "=" + ToUtf8(value));
    if (failing_paths.contains(path)) return platform::Status::Failed(platform::Error::AccessDenied, 5);
    values_[path] = ToUtf8(value);
    return platform::Status::Ok();
  }

  // Test side: "Dizodudoz/폼/0" style paths, UTF-8.
  void Put(const std::string& path, const std::string& value) { values_[path] = value; }
  std::string Value(const std::string& path) const { return values_.contains(path) ? values_.at(path) : "<missing>"; }
  // Writes to these paths fail, with the system's code 5.
  std::set<std::string> failing_paths;

 private:
  static std::string Path(std::wstring_view app, std::wstring_view section, std::wstring_view key) {
    return ToUtf8(app) + "/" + ToUtf8(section) + "/" + ToUtf8(key);
  }
  CallLog& log_;
  std::map<std::string, std::string> values_;
};

class FakeMessages final : public platform::MessageBoxes {
 public:
  explicit FakeMessages(CallLog& log) : log_(log) {}
  void ShowMessage(std::wstring_view text) override { Show(text, ""); }
  std::wstring ErrorText(std::uint32_t code) override { return L"error " + std::to_wstring(code); }
  void Show(std::wstring_view text, const std::string& owner) {
    shown.push_back(ToUtf8(text));
    owners.push_back(owner);
    log_.Add("message " + shown.back());
  }
  std::vector<std::string> shown;
  // Beside each shown text: the caption of its owner dialog, "" for none.
  std::vector<std::string> owners;

 private:
  CallLog& log_;
};

class FakeClock final : public platform::Clock {
 public:
  std::int64_t NowMs() const override { return now_ms; }
  platform::LocalTime Local() const override { return {14, 3, 21}; }
  platform::Status StartTimer(int timer, std::uint32_t delay_ms, platform::TimerEvents& events) override {
    if (timer_error != 0) return platform::Status::Failed(platform::Error::Other, timer_error);
    timers_[timer] = {now_ms + delay_ms, &events};
    return platform::Status::Ok();
  }
  void StopTimer(int timer) override { timers_.erase(timer); }

  // Test side: time passes, and each timer that falls due on the way runs, in order.
  void Advance(std::int64_t ms);
  bool TimerPending(int timer) const { return timers_.contains(timer); }
  std::int64_t now_ms = 1'000'000;
  std::uint32_t timer_error = 0;  // non-zero: no timer starts, with this code

 private:
  struct Pending {
    std::int64_t due;
    platform::TimerEvents* events;
  };
  std::map<int, Pending> timers_;
};

// "port.configure", "port.open", "port.close".
class FakeSerialPort final : public platform::SerialPort {
 public:
  FakeSerialPort(CallLog& log, const FakeClock& clock) : log_(log), clock_(clock) {}
  platform::Status Configure(const platform::SerialLineSettings& line) override {
    settings = line;
    log_.Add("port.configure");
    return platform::Status::Ok();
  }
  platform::Status Open(std::wstring_view port_name, platform::SerialEvents& events) override {
    log_.Add("port.open");
    opened_name = port_name;
    events_ = &events;
    if (open_ || opening_) return platform::Status::Failed(platform::Error::Busy);
    if (pending_opens) {
      opening_ = true;
      ++opens_;
      return platform::Status::Failed(platform::Error::Pending);
    }
    if (open_error != 0) return platform::Status::Failed(open_failure, open_error);
    open_ = true;
    responds = true;  // a new handle on the device
    ++opens_;
    return platform::Status::Ok();
  }
  // The open under way is done: open, or failed as `open_error` and `open_failure` say.
  void FinishOpen() {
    if (!opening_) return;
    opening_ = false;
    const platform::Status outcome =
        open_error != 0 ? platform::Status::Failed(open_failure, open_error) : platform::Status::Ok();
    open_ = outcome.ok();
    if (events_) events_->OnSerialOpened(opens_, outcome);
  }
  platform::Status Close() override {
    log_.Add("port.close");
    if (opening_) {  // given up: its outcome is never told
      opening_ = false;
      return platform::Status::Ok();
    }
    if (close_error != 0) return platform::Status::Failed(platform::Error::DeviceLost, close_error);
    if (!open_) return platform::Status::Failed(platform::Error::Other);
    open_ = false;
    return platform::Status::Ok();
  }
  bool IsOpen() const override { return open_; }
  platform::SerialOpen current() const override { return opens_; }
  bool Responds() override { return open_ && responds; }
  // What leaves is recorded at once; the outcome comes as the real port's
  // I/O reports it: after the event being handled (FinishWrites).
  platform::Status Write(std::string_view bytes) override {
    if (!open_) return platform::Status::Failed(platform::Error::WriteFailed);
    platform::Status outcome = platform::Status::Failed(platform::Error::WriteFailed, write_error);
    if (write_error == 0) {
      written.emplace_back(bytes.substr(0, write_limit));
      if (bytes.size() <= write_limit) outcome = platform::Status::Ok();
    }
    outcomes_.push_back({opens_, outcome});
    return platform::Status::Ok();
  }
  // Reports the writes done, in order, unless `hold_writes` (a slow driver).
  void FinishWrites() {
    while (!hold_writes && !outcomes_.empty() && events_) {
      const auto [open, outcome] = outcomes_.front();
      outcomes_.erase(outcomes_.begin());
      events_->OnSerialWritten(open, outcome);
    }
  }

  // The port's events, as the device raises them, for the current open; the
  // bytes are read now on the clock.
  void Receive(std::string_view bytes) { ReceiveFor(opens_, bytes); }
  void Lose() { LoseFor(opens_); }
  // The same, queued by an earlier open and delivered late.
  void ReceiveFor(platform::SerialOpen open, std::string_view bytes) {
    if (events_) events_->OnSerialReceived(open, bytes, clock_.NowMs());
    FinishWrites();
  }
  void LoseFor(platform::SerialOpen open) {
    if (events_) events_->OnSerialLost(open);
  }

  // Open fails with this code: as a missing port, or as `open_failure` says.
  std::uint32_t open_error = 0;
  platform::Error open_failure = platform::Error::PortMissing;
  std::uint32_t close_error = 0;
  std::uint32_t write_error = 0;  // non-zero: Write sends nothing and fails with it
  // Write sends at most this many bytes; fewer than asked is a failure.
  std::size_t write_limit = static_cast<std::size_t>(-1);
  bool hold_writes = false;    // outcomes wait for FinishWrites
  bool pending_opens = false;  // opens go on until FinishOpen, as a Bluetooth port's do
  bool responds = true;        // false: the open device died (Responds)
  platform::SerialLineSettings settings;
  std::wstring opened_name;          // the name of the last Open
  std::vector<std::string> written;  // what left the port, one entry a write

 private:
  CallLog& log_;
  const FakeClock& clock_;
  bool open_ = false;
  bool opening_ = false;
  platform::SerialOpen opens_ = 0;
  platform::SerialEvents* events_ = nullptr;
  std::vector<std::pair<platform::SerialOpen, platform::Status>> outcomes_;
};

class FakeSerialPortList final : public platform::SerialPortList {
 public:
  std::vector<platform::SerialPortInfo> Present() override { return ports; }
  std::vector<platform::SerialPortInfo> ports;
};

// The notification area: the records the start-up window added ("tray.add",
// "tray.tip <tip>", "tray.notify <title>: <text>", "tray.delete"), and where it
// says the icon is.
struct FakeTray {
  std::wstring tip;  // as the icon shows it now
  std::optional<platform::PixelPoint> icon_corner;
  int refused_adds = 0;  // this many adds fail first (no notification area yet)
};

// Global shortcuts registered on the start-up window ("hotkey <id> <chord>",
// "hotkey <id> off"); a chord in `held` is another program's.
struct FakeHotkeys {
  std::map<int, Chord> registered;
  std::map<std::pair<std::uint8_t, std::uint16_t>, platform::Status> held;
  void Hold(Chord chord, platform::Status why) { held[{chord.modifiers, chord.key}] = why; }
  // Keys that type a character with AltGr (Ctrl+Alt) on an installed layout.
  std::set<std::uint16_t> typing;
};

// What EndProcess throws, so that the code after it never runs, as on the
// real system.
struct ProcessEnded {
  int exit_code;
};

// No machine-wide value and no file: the look-up of the system-information tool
// is driven end to end, its order is a pure table.
struct FakeMachineRegistry final : platform::MachineRegistry {
  platform::Status ReadValue(platform::RegistryView, std::wstring_view, std::wstring_view,
                             platform::RegistryValue&) override {
    return platform::Status::Failed(platform::Error::Other, 2);
  }
};
struct FakeProcesses final : platform::Processes {
  bool FileExists(std::wstring_view) override { return false; }
  std::wstring ProgramPath() override { return program_path; }
  std::wstring SystemFolder() override { return {}; }
  platform::Status Start(std::wstring_view) override { return platform::Status::Failed(platform::Error::Other, 2); }
  std::wstring program_path = L"C:\\Tools\\Reticor2.exe";  // empty: the system would not say
};

// The per-user Run value.
struct FakeSignIn final : platform::SignInStart {
  std::optional<std::wstring> Command() override { return value; }
  bool SwitchedOff() override { return switched_off; }
  platform::Status Set(std::wstring_view command) override { return Write(std::wstring(command)); }
  platform::Status Clear() override { return Write(std::nullopt); }
  platform::Status Write(std::optional<std::wstring> command) {
    if (write_error != 0) return platform::Status::Failed(platform::Error::AccessDenied, write_error);
    value = std::move(command), switched_off = false;
    return platform::Status::Ok();
  }
  std::optional<std::wstring> value;
  bool switched_off = false;  // Task Manager switched the entry off
  std::uint32_t write_error = 0;
};

// A dialog window: "dialog.create <caption>" when made; its controls are kept
// in memory, and what is set on a control the dialog does not have is lost.
class FakeDialog final : public platform::Dialog {
 public:
  FakeDialog(class FakePlatform& owner, const platform::DialogLayout& layout, platform::DialogEvents& events);
  ~FakeDialog() override;
  bool IsOpen() const override { return open_; }
  void ShowActivated() override { visible_ = open_; }

  float Left() const override { return left_; }
  float Top() const override { return top_; }
  // Caption and border around the client area, in twips.
  float Width() const override { return client_width_ + 90; }
  float Height() const override { return client_height_ + 435; }
  void SetPosition(float left, float top) override { left_ = left, top_ = top; }
  void SetText(int control, std::wstring_view text) override { Edit(control).text = text; }
  std::wstring Text(int control) const override { return Get(control).text; }
  void SetItems(int control, std::span<const std::wstring> items) override {
    Edit(control).items.assign(items.begin(), items.end());
  }
  void SetSelection(int control, int index) override { Edit(control).selection = index; }
  int Selection(int control) const override { return Get(control).selection; }
  void SetScrollPosition(int control, int position) override { Edit(control).position = position; }
  int ScrollPosition(int control) const override { return Get(control).position; }
  void SetFillColour(int control, std::uint32_t bgr) override { Edit(control).fill = bgr; }
  std::uint32_t FillColour(int control) const override { return Get(control).fill; }
  void SetChord(int control, Chord chord) override { Edit(control).chord = chord; }
  Chord ChordOf(int control) const override { return Get(control).chord; }
  void SetChecked(int control, bool checked) override { Edit(control).checked = checked; }
  void SetEnabled(int control, bool enabled) override { Edit(control).enabled = enabled; }
  bool Enabled(int control) const { return Get(control).enabled; }
  bool Checked(int control) const override { return Get(control).checked; }
  void DropDown(int) override {}  // seen end to end
  std::uint32_t ButtonFaceColour() const override { return 0x00F0F0F0; }
  void Close() override { CloseByUser(); }
  void ShowMessage(std::wstring_view text) override;

  // Test side.
  std::vector<std::string> Items(int control) const {
    std::vector<std::string> items;
    for (const std::wstring& item : Get(control).items) items.push_back(ToUtf8(item));
    return items;
  }
  bool visible() const { return visible_; }
  // The user closes the dialog (its close box): the window goes, the owner hears of it.
  void CloseByUser() {
    if (!std::exchange(open_, false)) return;
    visible_ = false;
    events_.OnDialogClosed();
  }
  // The user's own input on an open dialog's control, raising the events the
  // real window raises; a scroll is reported only when the position changes.
  // A click on a check box ticks or clears it first, as the real one does.
  void ClickByUser(int control) {
    if (Control* c = Input(control)) {
      c->checked = !c->checked;
      events_.OnControlClick(control);
    }
  }
  void TypeChordByUser(int control, Chord chord) {
    if (Control* c = Input(control)) {
      c->chord = chord;
      events_.OnChordChange(control);
    }
  }
  void PickByUser(int control, int index) {
    if (Control* c = Input(control)) {
      c->selection = index;
      events_.OnSelectionChange(control);
    }
  }
  void ScrollByUser(int control, int position) {
    if (Control* c = Input(control); c && platform::Update(c->position, position)) {
      events_.OnScrollChange(control, position);
    }
  }
  void TypeByUser(int control, std::wstring_view text) {
    if (Control* c = Input(control)) c->text = text;
  }

  const std::string caption;

 private:
  struct Control {
    std::wstring text;
    std::vector<std::wstring> items;
    int selection = -1, position = 0;
    std::uint32_t fill = 0x00FFFFFF;
    Chord chord;
    bool checked = false;
    bool enabled = true;
  };
  // The control; for an id the dialog does not have, a blank one (fill 0) that
  // holds nothing.
  const Control& Get(int control) const {
    static const Control kBlank{{}, {}, -1, 0, 0, {}, false, true};
    return controls_.contains(control) ? controls_.at(control) : kBlank;
  }
  Control& Edit(int control) { return controls_.contains(control) ? controls_.at(control) : scratch_; }
  // The control, if the dialog is open and has it.
  // A disabled control takes no input, as the real one.
  Control* Input(int control) {
    return open_ && controls_.contains(control) && controls_.at(control).enabled ? &controls_.at(control) : nullptr;
  }

  FakePlatform& owner_;
  platform::DialogEvents& events_;
  float client_width_ = 0, client_height_ = 0;
  float left_ = 0, top_ = 0;
  bool open_ = true, visible_ = false;
  std::map<int, Control> controls_;
  Control scratch_;
};

class FakePlatform final : public platform::Platform {
 public:
  platform::Made<platform::Window> MakeWindow(platform::WindowClass window_class, std::wstring_view name,
                                              platform::WindowEvents& events) override;
  platform::Made<platform::ShellWindow> MakeShellWindow(platform::ShellEvents& events) override;
  platform::Made<platform::Dialog> MakeDialog(const platform::DialogLayout& layout,
                                              platform::DialogEvents& events) override;
  void BeginWindowBatch() override {
    ++batch_depth;
    ++batches;
  }
  void EndWindowBatch() override { --batch_depth; }
  platform::Screen& screen() override { return fake_screen; }
  platform::SettingsBackend& settings() override { return fake_settings; }
  platform::MessageBoxes& messages() override { return fake_messages; }
  platform::SerialPort& serial_port() override { return fake_serial; }
  platform::SerialPortList& serial_ports() override { return fake_ports; }
  platform::Clock& clock() override { return fake_clock; }
  platform::MachineRegistry& machine_registry() override { return fake_registry; }
  platform::Processes& processes() override { return fake_processes; }
  platform::SignInStart& sign_in() override { return fake_sign_in; }
  // Records "end <code>", then throws ProcessEnded.
  [[noreturn]] void EndProcess(int exit_code) override;

  // Test side: the parts, and the windows, popup menu ("menu.show", "menu.show
  // at x,y") and dialogs that exist now.
  FakeWindow* Find(const std::string& name) const { return windows.contains(name) ? windows.at(name) : nullptr; }
  // The dialog object with this caption (open or closed), else null.
  FakeDialog* FindDialog(const std::string& caption) const {
    auto found = std::find_if(dialogs.begin(), dialogs.end(), [&](FakeDialog* d) { return d->caption == caption; });
    return found == dialogs.end() ? nullptr : *found;
  }

  CallLog log;
  FakeScreen fake_screen;
  FakeSettings fake_settings{log};
  FakeMessages fake_messages{log};
  FakeClock fake_clock;
  FakeSerialPort fake_serial{log, fake_clock};
  FakeSerialPortList fake_ports;
  FakeTray fake_tray;
  FakeMachineRegistry fake_registry;
  FakeProcesses fake_processes;
  FakeSignIn fake_sign_in;
  FakeHotkeys fake_hotkeys;
  int batch_depth = 0, batches = 0;
  int exit_code = -1;
  // Names of windows (the popup menu's "DizodudozPop" too), captions of dialogs,
  // whose creation fails (windows with the system's code 1158: no more window handles).
  std::set<std::string> failing_windows, failing_dialogs;
  std::map<std::string, FakeWindow*> windows;
  platform::PopupMenu* menu = nullptr;
  std::vector<FakeDialog*> dialogs;
};

}  // namespace rc::fake
