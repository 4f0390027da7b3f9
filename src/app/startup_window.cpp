#include "app/startup_window.h"

#include "shell/always_on_top.h"
#include "shell/popup_menu_items.h"

namespace rc::app {

namespace {
constexpr std::wstring_view kStartUpWindowName = L"frm_Pop";
constexpr std::wstring_view kStartFailed = L"Reticor2를 시작할 수 없습니다: ";
}  // namespace

StartUpWindow::StartUpWindow(platform::Platform& platform)
    : platform_(platform),
      store_(platform.settings(), platform.screen(), platform.messages()),
      cross_(platform, store_),
      reader_link_(platform.serialPort(), platform.messages(), store_.values()) {}

StartUpWindow::~StartUpWindow() = default;

bool StartUpWindow::Load() {
  window_ = platform_.MakeWindow(platform::WindowClass::StartUp, kStartUpWindowName, *this);
  if (!window_) {
    platform_.messages().ShowMessage(std::wstring(kStartFailed) + std::wstring(kStartUpWindowName));
    return false;
  }
  window_->SetCaption(L"");
  menu_ = platform_.MakePopupMenu(*window_, shell::kDizodudozPop);
  if (!menu_) {
    platform_.messages().ShowMessage(std::wstring(kStartFailed) + L"DizodudozPop");
    return false;
  }

  AddTrayIcon();                 // 1
  store_.LoadSettings();         // 2
  store_.ApplyFirstRunDefaults();  // 3
  Ini_OnTop();                   // 4: creates the cross windows; the handle's load lays them out
  LoadCentreHandle();            // 5
  ShowCentreHandle();            // 6
  window_->SetVisible(false);    // 7: hidden for the rest of the run
  ConfigureReaderPort();         // 8-10: a failure here is reported and the program runs on
  return true;
}

void StartUpWindow::Finish() {
  store_.SaveExitSettings(HandleLeft(), HandleTop());
  DeleteTrayIcon();
  platform_.EndProcess(0);
}

void StartUpWindow::OnClose() { CloseReaderPort(); }

void StartUpWindow::OnSessionEnding() {
  // The session is really ending: keep what the user changed since start, as
  // the exit command would, before the port is released.
  store_.SaveExitSettings(HandleLeft(), HandleTop());
  CloseReaderPort();
}

void StartUpWindow::OnSerialReceived(std::string_view bytes) { reader_link_.OnReceived(bytes); }
void StartUpWindow::OnSerialLost() { reader_link_.OnLost(); }
void StartUpWindow::OnSerialPortArrived() { reader_link_.OnPortArrived(); }

void StartUpWindow::AddTrayIcon() {}

void StartUpWindow::Ini_OnTop() { shell::Ini_OnTop(cross_, store_.values(), *menu_); }

// Already created (and loaded) by Ini_OnTop; touching it again does nothing.
void StartUpWindow::LoadCentreHandle() { (void)cross_.handle().window(); }

// Shown even when part 0 is off: its first repaint lays out again and hides it.
// Not activated: the handle never takes the focus.
void StartUpWindow::ShowCentreHandle() { cross_.handle().window().SetVisible(true); }

void StartUpWindow::ConfigureReaderPort() { reader_link_.ConfigureReaderPort(); }

void StartUpWindow::DeleteTrayIcon() {}

void StartUpWindow::CloseReaderPort() { reader_link_.Close(); }

// The handle window's own edges; before it exists (start-up failed early) the
// position in memory.
float StartUpWindow::HandleLeft() const {
  const platform::Window* handle = cross_.handle().existing();
  return handle != nullptr ? handle->Left() : static_cast<float>(store_.values().XPosition);
}

float StartUpWindow::HandleTop() const {
  const platform::Window* handle = cross_.handle().existing();
  return handle != nullptr ? handle->Top() : static_cast<float>(store_.values().YPosition);
}

}  // namespace rc::app
