#include "platform/fake/fake_platform.h"

#include <charconv>

namespace rc::fake {

std::string LogNumber(float v) {
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  return std::string(buffer, result.ptr);
}

namespace {

constexpr platform::Status kNoMoreWindows = platform::Status::Failed(platform::Error::Other, 1158);

class FakePopupMenu final : public platform::PopupMenu {
 public:
  explicit FakePopupMenu(FakePlatform& owner) : owner_(owner) { owner_.menu = this; }
  ~FakePopupMenu() override {
    if (owner_.menu == this) owner_.menu = nullptr;
  }
  bool IsChecked(int command) const override { return checked_.contains(command); }
  void SetChecked(int command, bool checked) override {
    if (checked) {
      checked_.insert(command);
    } else {
      checked_.erase(command);
    }
  }
  void ShowAtPointer() override { owner_.log.Add("menu.show"); }
  void ShowAt(platform::PixelPoint point) override {
    owner_.log.Add("menu.show at " + std::to_string(point.x) + "," + std::to_string(point.y));
  }

 private:
  FakePlatform& owner_;
  std::set<int> checked_;
};

// The start-up window: the tray icon in the platform's FakeTray, and the popup menu.
class FakeShellWindow final : public platform::ShellWindow {
 public:
  explicit FakeShellWindow(FakePlatform& owner) : owner_(owner), tray_(owner.fake_tray) {}
  platform::Made<platform::PopupMenu> MakePopupMenu(std::span<const platform::MenuItem>) override {
    if (owner_.failing_windows.contains("DizodudozPop")) return {nullptr, kNoMoreWindows};
    return {std::make_unique<FakePopupMenu>(owner_), {}};
  }
  platform::Status AddTrayIcon(const platform::TrayIconRecord& record) override {
    if (tray_.refused_adds > 0) {
      --tray_.refused_adds;
      owner_.log.Add("tray.add refused");
      return platform::Status::Failed(platform::Error::Other, 1008);
    }
    tray_.tip = record.tip.data();
    return Log("tray.add");
  }
  platform::Status ModifyTrayIcon(const platform::TrayIconRecord& record) override {
    tray_.tip = record.tip.data();
    return Log("tray.tip " + ToUtf8(tray_.tip));
  }
  platform::Status DeleteTrayIcon(const platform::TrayIconRecord&) override { return Log("tray.delete"); }
  platform::Status ShowTrayNotification(const platform::TrayIconRecord&,
                                        const platform::TrayNotification& notification) override {
    return Log("tray.notify " + ToUtf8(notification.title) + ": " + ToUtf8(notification.text));
  }
  std::optional<platform::PixelPoint> TrayIconCorner(const platform::TrayIconRecord&) override {
    return tray_.icon_corner;
  }
  platform::Status RegisterHotkey(int id, Chord chord, bool) override {
    FakeHotkeys& hotkeys = owner_.fake_hotkeys;
    if (const auto held = hotkeys.held.find({chord.modifiers, chord.key}); held != hotkeys.held.end()) {
      return held->second;
    }
    hotkeys.registered[id] = chord;
    return Log("hotkey " + std::to_string(id));
  }
  void UnregisterHotkey(int id) override { owner_.fake_hotkeys.registered.erase(id); }
  bool ChordTypesCharacter(Chord chord) override {
    constexpr std::uint8_t kAltGr = modifier::kCtrl | modifier::kAlt;
    return owner_.fake_hotkeys.typing.contains(chord.key) && (chord.modifiers & kAltGr) == kAltGr;
  }

 private:
  platform::Status Log(std::string call) {
    owner_.log.Add(std::move(call));
    return platform::Status::Ok();
  }
  FakePlatform& owner_;
  FakeTray& tray_;
};

}  // namespace

// --- Windows -----------------------------------------------------------------

FakeWindow::FakeWindow(FakePlatform& owner, std::string name, platform::WindowEvents& events)
    : owner_(owner), name_(std::move(name)), events_(events) {}

FakeWindow::~FakeWindow() { owner_.windows.erase(name_); }

void FakeWindow::Record(std::string_view property, const std::string& value) {
  owner_.log.Add(name_ + "." + std::string(property) + " " + value);
}

// --- Clock -------------------------------------------------------------------

void FakeClock::Advance(std::int64_t ms) {
  const std::int64_t end = now_ms + ms;
  for (;;) {
    auto next = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
      if (it->second.due <= end && (next == timers_.end() || it->second.due < next->second.due)) next = it;
    if (next == timers_.end()) break;
    const int timer = next->first;
    platform::TimerEvents* events = next->second.events;
    now_ms = next->second.due;
    timers_.erase(next);
    events->OnTimer(timer);
  }
  now_ms = end;
}

// --- Dialogs -----------------------------------------------------------------

FakeDialog::FakeDialog(FakePlatform& owner, const platform::DialogLayout& layout, platform::DialogEvents& events)
    : caption(ToUtf8(layout.caption)),
      owner_(owner),
      events_(events),
      client_width_(layout.client_width),
      client_height_(layout.client_height) {
  for (const platform::ControlLayout& c : layout.controls) {
    Control& control = controls_[c.id];
    control.text = std::wstring(c.text);
    control.position = c.kind == platform::ControlKind::ScrollBar ? c.position : 0;
  }
  owner_.dialogs.push_back(this);
}

FakeDialog::~FakeDialog() { std::erase(owner_.dialogs, this); }

void FakeDialog::ShowMessage(std::wstring_view text) { owner_.fake_messages.Show(text, caption); }

// --- FakePlatform ------------------------------------------------------------

platform::Made<platform::Window> FakePlatform::MakeWindow(platform::WindowClass, std::wstring_view name,
                                                          platform::WindowEvents& events) {
  std::string utf8 = ToUtf8(name);
  log.Add("create " + utf8);
  if (failing_windows.contains(utf8)) return {nullptr, kNoMoreWindows};
  auto window = std::make_unique<FakeWindow>(*this, utf8, events);
  windows[utf8] = window.get();
  return {std::move(window), {}};
}

platform::Made<platform::ShellWindow> FakePlatform::MakeShellWindow(platform::ShellEvents&) {
  const std::string name = ToUtf8(platform::kStartUpWindowName);
  log.Add("create " + name);
  if (failing_windows.contains(name)) return {nullptr, kNoMoreWindows};
  return {std::make_unique<FakeShellWindow>(*this), {}};
}

platform::Made<platform::Dialog> FakePlatform::MakeDialog(const platform::DialogLayout& layout,
                                                          platform::DialogEvents& events) {
  std::string caption = ToUtf8(layout.caption);
  log.Add("dialog.create " + caption);
  if (failing_dialogs.contains(caption)) return {nullptr, platform::Status::Failed(platform::Error::Other, 1158)};
  return {std::make_unique<FakeDialog>(*this, layout, events), platform::Status::Ok()};
}

void FakePlatform::EndProcess(int code) {
  log.Add("end " + std::to_string(code));
  exit_code = code;
  throw ProcessEnded{code};
}

}  // namespace rc::fake
