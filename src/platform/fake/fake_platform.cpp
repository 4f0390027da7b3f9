#include "platform/fake/fake_platform.h"

#include <charconv>

#include "base/utf8.h"

namespace rc::fake {

std::string LogNumber(float v) {
  char buffer[32];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
  return std::string(buffer, result.ptr);
}

namespace {

std::string Path(std::wstring_view application, std::wstring_view section, std::wstring_view key) {
  return ToUtf8(application) + "/" + ToUtf8(section) + "/" + ToUtf8(key);
}

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
  std::unique_ptr<platform::PopupMenu> MakePopupMenu(std::span<const platform::MenuItem>) override {
    return std::make_unique<FakePopupMenu>(owner_);
  }
  platform::Status AddTrayIcon(const platform::TrayIconRecord& record) override {
    tray_.added.push_back(record);
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

 private:
  platform::Status Log(std::string call) {
    owner_.log.Add(std::move(call));
    return platform::Status::Ok();
  }
  FakePlatform& owner_;
  FakeTray& tray_;
};

}  // namespace

std::vector<std::string> CallLog::With(std::string_view prefix) const {
  std::vector<std::string> out;
  for (const auto& call : calls_) {
    if (call.starts_with(prefix)) out.push_back(call);
  }
  return out;
}

// --- Windows -----------------------------------------------------------------

FakeWindow::FakeWindow(FakePlatform& owner, std::string name, platform::WindowEvents& events)
    : owner_(owner), name_(std::move(name)), events_(events) {}

FakeWindow::~FakeWindow() { owner_.windows.erase(name_); }

void FakeWindow::Record(std::string_view property, const std::string& value) {
  owner_.log.Add(name_ + "." + std::string(property) + " " + value);
}

void FakeWindow::SetTopmost(bool topmost) {
  topmost_ = topmost;
  Record("topmost", topmost ? "1" : "0");
}
void FakeWindow::ShowActivated() {
  visible_ = true;
  Record("activate", "");
}
void FakeWindow::BeginDrag() {
  Record("drag", "begin");
  left_ = drag_left_;
  top_ = drag_top_;
  if (during_drag) during_drag(*this);
  Record("drag", "end");
}

// --- Screen, settings, messages, clock, serial port --------------------------

std::vector<platform::TwipsRect> FakeScreen::Monitors() const {
  std::vector<platform::TwipsRect> monitors{{0, 0, WidthTwips(), HeightTwips()}};
  monitors.insert(monitors.end(), extra_monitors.begin(), extra_monitors.end());
  return monitors;
}

std::wstring FakeSettings::Get(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                               std::wstring_view fallback) {
  std::string path = Path(application, section, key);
  log_.Add("get " + path);
  auto found = values_.find(path);
  return found == values_.end() ? std::wstring(fallback) : FromUtf8(found->second);
}

bool FakeSettings::Contains(std::wstring_view application, std::wstring_view section, std::wstring_view key) {
  return values_.contains(Path(application, section, key));
}

platform::Status FakeSettings::Save(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                                    std::wstring_view value) {
  std::string path = Path(application, section, key);
  log_.Add("save " + path + "=" + ToUtf8(value));
  if (failing_paths.contains(path)) return platform::Status::Failed(platform::Error::AccessDenied, 5);
  values_[path] = ToUtf8(value);
  return platform::Status::Ok();
}

std::string FakeSettings::Value(const std::string& path) const {
  auto found = values_.find(path);
  return found == values_.end() ? std::string("<missing>") : found->second;
}

void FakeMessages::Show(std::wstring_view text, const std::string& owner) {
  shown.push_back(ToUtf8(text));
  owners.push_back(owner);
  log_.Add("message " + shown.back());
}

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

platform::Status FakeSerialPort::Configure(const platform::SerialLineSettings& line) {
  settings = line;
  log_.Add("port.configure");
  return platform::Status::Ok();
}
platform::Status FakeSerialPort::Open(std::wstring_view port_name, platform::SerialEvents& events) {
  log_.Add("port.open");
  opened_name = port_name;
  events_ = &events;
  if (open_error != 0) return platform::Status::Failed(open_failure, open_error);
  if (open_) return platform::Status::Failed(platform::Error::PortBusy);
  open_ = true;
  ++opens_;
  return platform::Status::Ok();
}
platform::Status FakeSerialPort::Close() {
  log_.Add("port.close");
  if (close_error != 0) return platform::Status::Failed(platform::Error::DeviceLost, close_error);
  if (!open_) return platform::Status::Failed(platform::Error::Other);
  open_ = false;
  return platform::Status::Ok();
}
platform::Status FakeSerialPort::Write(std::string_view bytes) {
  log_.Add("port.write " + std::string(bytes));
  if (!open_) return platform::Status::Failed(platform::Error::WriteFailed);
  if (write_error != 0) return platform::Status::Failed(platform::Error::WriteFailed, write_error);
  written.emplace_back(bytes.substr(0, write_limit));
  return bytes.size() <= write_limit ? platform::Status::Ok() : platform::Status::Failed(platform::Error::WriteFailed);
}

// --- Registry, processes -----------------------------------------------------

platform::Status FakeMachineRegistry::ReadValue(platform::RegistryView view, std::wstring_view key,
                                                std::wstring_view name, platform::RegistryValue& value) {
  auto it = values.find({view, ToUtf8(key), ToUtf8(name)});
  if (it == values.end()) return platform::Status::Failed(platform::Error::Other, 2);  // not found
  value = it->second;
  return platform::Status::Ok();
}

void FakeMachineRegistry::PutText(const std::string& key, const std::string& name, const std::string& text,
                                  bool terminated, std::optional<platform::RegistryView> view) {
  platform::RegistryValue value{platform::RegistryType::String, {}};
  for (wchar_t c : FromUtf8(text)) {
    value.bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    value.bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
  }
  if (terminated) value.bytes.insert(value.bytes.end(), {0, 0});
  Put(key, name, std::move(value), view);
}

void FakeMachineRegistry::Put(const std::string& key, const std::string& name, platform::RegistryValue value,
                              std::optional<platform::RegistryView> view) {
  for (platform::RegistryView v : {platform::RegistryView::Bits64, platform::RegistryView::Bits32}) {
    if (!view || *view == v) values[{v, key, name}] = value;
  }
}

bool FakeProcesses::FileExists(std::wstring_view path) { return files.contains(ToUtf8(path)); }

platform::Status FakeProcesses::Start(std::wstring_view path) {
  log_.Add("start " + ToUtf8(path));
  if (!files.contains(ToUtf8(path))) return platform::Status::Failed(platform::Error::Other, 2);
  started.push_back(ToUtf8(path));
  return platform::Status::Ok();
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

const FakeDialog::Control& FakeDialog::Get(int control) const {
  static const Control kBlank{{}, {}, -1, 0, 0};
  auto it = controls_.find(control);
  return it == controls_.end() ? kBlank : it->second;
}
FakeDialog::Control& FakeDialog::Edit(int control) {
  auto it = controls_.find(control);
  return it == controls_.end() ? scratch_ : it->second;
}
FakeDialog::Control* FakeDialog::Input(int control) {
  auto it = controls_.find(control);
  return open_ && it != controls_.end() ? &it->second : nullptr;
}

std::vector<std::string> FakeDialog::Items(int control) const {
  std::vector<std::string> items;
  for (const std::wstring& item : Get(control).items) items.push_back(ToUtf8(item));
  return items;
}

void FakeDialog::ShowMessage(std::wstring_view text) { owner_.fake_messages.Show(text, caption); }

void FakeDialog::CloseByUser() {
  if (!open_) return;
  open_ = visible_ = false;
  events_.OnDialogClosed();
}

void FakeDialog::ClickByUser(int control) {
  if (Input(control)) events_.OnControlClick(control);
}
void FakeDialog::PickByUser(int control, int index) {
  if (Control* c = Input(control)) {
    c->selection = index;
    events_.OnSelectionChange(control);
  }
}
void FakeDialog::ScrollByUser(int control, int position) {
  if (Control* c = Input(control); c && platform::Update(c->position, position)) {
    events_.OnScrollChange(control, position);
  }
}
void FakeDialog::TypeByUser(int control, std::wstring_view text) {
  if (Control* c = Input(control)) c->text = text;
}

// --- FakePlatform ------------------------------------------------------------

std::unique_ptr<platform::Window> FakePlatform::MakeWindow(platform::WindowClass, std::wstring_view name,
                                                           platform::WindowEvents& events) {
  std::string utf8 = ToUtf8(name);
  log.Add("create " + utf8);
  if (failing_windows.contains(utf8)) return nullptr;
  auto window = std::make_unique<FakeWindow>(*this, utf8, events);
  windows[utf8] = window.get();
  return window;
}

std::unique_ptr<platform::ShellWindow> FakePlatform::MakeShellWindow(platform::ShellEvents&) {
  const std::string name = ToUtf8(platform::kStartUpWindowName);
  log.Add("create " + name);
  if (failing_windows.contains(name)) return nullptr;
  return std::make_unique<FakeShellWindow>(*this);
}

std::unique_ptr<platform::Dialog> FakePlatform::MakeDialog(const platform::DialogLayout& layout,
                                                           platform::DialogEvents& events) {
  std::string caption = ToUtf8(layout.caption);
  log.Add("dialog.create " + caption);
  if (failing_dialogs.contains(caption)) return nullptr;
  return std::make_unique<FakeDialog>(*this, layout, events);
}

FakeDialog* FakePlatform::FindDialog(const std::string& caption) const {
  for (FakeDialog* dialog : dialogs) {
    if (dialog->caption == caption) return dialog;
  }
  return nullptr;
}

void FakePlatform::EndProcess(int code) {
  log.Add("end " + std::to_string(code));
  exit_code = code;
  throw ProcessEnded{code};
}

FakeWindow* FakePlatform::Find(const std::string& name) const {
  auto found = windows.find(name);
  return found == windows.end() ? nullptr : found->second;
}

}  // namespace rc::fake
