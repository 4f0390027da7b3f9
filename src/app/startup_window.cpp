#include "app/startup_window.h"

#include "shell/popup_menu_items.h"

namespace rc::app {

namespace {
constexpr std::wstring_view kStartUpWindowName = L"frm_Pop";
constexpr std::wstring_view kStartFailed = L"Reticor2를 시작할 수 없습니다: ";
}  // namespace

StartUpWindow::StartUpWindow(platform::Platform& platform)
    : platform_(platform), store_(platform.settings(), platform.screen(), platform.messages()) {}

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

void StartUpWindow::AddTrayIcon() {}

void StartUpWindow::Ini_OnTop() {}

void StartUpWindow::LoadCentreHandle() {}

void StartUpWindow::ShowCentreHandle() {}

void StartUpWindow::ConfigureReaderPort() {}

void StartUpWindow::DeleteTrayIcon() {}

void StartUpWindow::CloseReaderPort() {
  if (platform_.serialPort().IsOpen()) (void)platform_.serialPort().Close();
}

float StartUpWindow::HandleLeft() const { return static_cast<float>(store_.values().XPosition); }

float StartUpWindow::HandleTop() const { return static_cast<float>(store_.values().YPosition); }

}  // namespace rc::app
