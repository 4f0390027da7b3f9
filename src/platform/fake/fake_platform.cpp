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

}  // namespace

std::vector<std::string> CallLog::With(std::string_view prefix) const {
  std::vector<std::string> out;
  for (const auto& call : calls_) {
    if (call.starts_with(prefix)) out.push_back(call);
  }
  return out;
}

// --- FakeWindow --------------------------------------------------------------

FakeWindow::FakeWindow(CallLog& log, std::string name, platform::WindowEvents& events, FakePlatform& owner)
    : log_(log), name_(std::move(name)), events_(events), owner_(owner) {}

FakeWindow::~FakeWindow() { owner_.windows_.erase(name_); }

void FakeWindow::Record(std::string_view property, std::string value) {
  log_.Add(name_ + "." + std::string(property) + " " + value);
}

void FakeWindow::SetLeft(float twips) {
  if (platform::Update(left_, twips)) Record("left", LogNumber(twips));
}
void FakeWindow::SetTop(float twips) {
  if (platform::Update(top_, twips)) Record("top", LogNumber(twips));
}
void FakeWindow::SetWidth(float twips) {
  if (platform::Update(width_, twips)) Record("width", LogNumber(twips));
}
void FakeWindow::SetHeight(float twips) {
  if (platform::Update(height_, twips)) Record("height", LogNumber(twips));
}
void FakeWindow::SetBackColour(std::uint32_t bgr) {
  if (platform::Update(back_colour_, bgr)) Record("color", std::to_string(bgr));
}
void FakeWindow::SetVisible(bool visible) {
  if (platform::Update(visible_, visible)) Record("visible", visible ? "1" : "0");
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
std::unique_ptr<platform::PopupMenu> FakeShellWindow::MakePopupMenu(std::span<const platform::MenuItem>) {
  return std::make_unique<FakePopupMenu>(owner_);
}
platform::Status FakeShellWindow::AddTrayIcon(const platform::TrayIconRecord& record) {
  owner_.log.Add("tray.add");
  owner_.tray_.added.push_back(record);
  owner_.tray_.tip = record.tip.data();
  return platform::Status::Ok();
}
platform::Status FakeShellWindow::ModifyTrayIcon(const platform::TrayIconRecord& record) {
  owner_.tray_.tip = record.tip.data();
  owner_.log.Add("tray.tip " + ToUtf8(owner_.tray_.tip));
  return platform::Status::Ok();
}
platform::Status FakeShellWindow::ShowTrayNotification(const platform::TrayIconRecord&,
                                                       const platform::TrayNotification& notification) {
  owner_.log.Add("tray.notify " + ToUtf8(notification.title) + ": " + ToUtf8(notification.text));
  return platform::Status::Ok();
}
std::optional<platform::PixelPoint> FakeShellWindow::TrayIconCorner(const platform::TrayIconRecord&) {
  return owner_.tray_.icon_corner;
}
platform::Status FakeShellWindow::DeleteTrayIcon(const platform::TrayIconRecord&) {
  owner_.log.Add("tray.delete");
  return platform::Status::Ok();
}

// --- FakeScreen --------------------------------------------------------------

std::vector<platform::TwipsRect> FakeScreen::Monitors() const {
  std::vector<platform::TwipsRect> monitors{{0, 0, WidthTwips(), HeightTwips()}};
  monitors.insert(monitors.end(), extra_monitors.begin(), extra_monitors.end());
  return monitors;
}

// --- FakeSettings ------------------------------------------------------------

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

// --- Messages, serial port, tray, menu --------------------------------------

void FakeMessages::Show(std::wstring_view text, const std::string& owner) {
  shown.push_back(ToUtf8(text));
  owners.push_back(owner);
  log_.Add("message " + shown.back());
}
std::wstring FakeMessages::ErrorText(std::uint32_t code) { return L"error " + std::to_wstring(code); }

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

void FakeClock::StartTimer(int timer, std::uint32_t delay_ms, platform::TimerEvents& events) {
  timers_[timer] = {now_ms + delay_ms, &events};
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

FakePopupMenu::FakePopupMenu(FakePlatform& owner) : owner_(owner) { owner_.menu_ = this; }
FakePopupMenu::~FakePopupMenu() {
  if (owner_.menu_ == this) owner_.menu_ = nullptr;
}
bool FakePopupMenu::IsChecked(int command) const { return checked_.contains(command); }
void FakePopupMenu::SetChecked(int command, bool checked) {
  if (checked) {
    checked_.insert(command);
  } else {
    checked_.erase(command);
  }
}
void FakePopupMenu::ShowAtPointer() { owner_.log.Add("menu.show"); }
void FakePopupMenu::ShowAt(platform::PixelPoint point) {
  owner_.log.Add("menu.show at " + std::to_string(point.x) + "," + std::to_string(point.y));
}

// --- Dialogs -----------------------------------------------------------------

FakeDialog::~FakeDialog() { std::erase(owner_.dialogs_, this); }

void FakeDialog::ShowActivated() {
  if (!open_) return;
  visible_ = true;
  owner_.log.Add(caption_ + ".activate");
}

void FakeDialog::ShowMessage(std::wstring_view text) { owner_.messages_.Show(text, caption_); }

void FakeDialog::CloseByUser() {
  if (!open_) return;
  open_ = visible_ = false;
  events_.OnDialogClosed();
}

// --- FakePlatform ------------------------------------------------------------

std::unique_ptr<platform::Window> FakePlatform::MakeWindow(platform::WindowClass, std::wstring_view name,
                                                           platform::WindowEvents& events) {
  std::string utf8 = ToUtf8(name);
  log.Add("create " + utf8);
  if (failing_windows.contains(utf8)) return nullptr;
  auto window = std::make_unique<FakeWindow>(log, utf8, events, *this);
  windows_[utf8] = window.get();
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
  for (FakeDialog* dialog : dialogs_) {
    if (dialog->caption() == caption) return dialog;
  }
  return nullptr;
}

void FakePlatform::EndProcess(int code) {
  log.Add("end " + std::to_string(code));
  exit_code = code;
  throw ProcessEnded{code};
}

FakeWindow* FakePlatform::Find(const std::string& name) const {
  auto found = windows_.find(name);
  return found == windows_.end() ? nullptr : found->second;
}

}  // namespace rc::fake
