#include "app/startup_window.h"

#include "dialogs/about_dialog.h"
#include "dialogs/properties_dialog.h"
#include "reader/correction_dialog.h"
#include "shell/always_on_top.h"
#include "shell/menu_commands.h"
#include "shell/popup_menu_items.h"

namespace rc::app {

namespace {
using platform::kStartUpWindowName;
}  // namespace

StartUpWindow::StartUpWindow(platform::Platform& platform)
    : platform_(platform),
      store_(platform.settings(), platform.screen()),
      cross_(platform, store_),
      reader_link_(platform.serial_port(), platform.clock(), platform.messages(), store_.values()),
      properties_dialog_([this] { return dialogs::PropertiesDialog::Make(cross_); }),
      revision_dialog_([this] { return reader::CorrectionDialog::Make(platform_, store_, reader_link_); }),
      about_dialog_(
          [this] { return dialogs::AboutDialog::Make(cross_, platform_.machine_registry(), platform_.processes()); }) {}

StartUpWindow::~StartUpWindow() { reader_link_.RemoveObserver(*this); }

bool StartUpWindow::Load() {
  window_ = platform_.MakeShellWindow(*this);
  if (!window_) {
    platform_.messages().ShowMessage(platform::StartFailedText(kStartUpWindowName));
    return false;
  }
  menu_ = window_->MakePopupMenu(shell::kDizodudozPop);
  if (!menu_) {
    platform_.messages().ShowMessage(platform::StartFailedText(L"DizodudozPop"));
    return false;
  }

  tray_tip_ = shell::TrayTip({});
  AddTrayIcon();
  reader_link_.AddObserver(*this);
  store_.LoadSettings();
  const bool first_run = store_.FirstRunDefaultsApply();
  const settings::WriteResult first_run_written = store_.ApplyFirstRunDefaults();
  CreateCrossWindows();  // the handle's load lays them out
  Ini_OnTop();
  ShowCentreHandle();
  if (first_run) ShowFirstRunNotification();
  ReportWriteFailure(first_run_written);
  ConfigureReaderPort();  // a failure here is reported and the program runs on
  return true;
}

void StartUpWindow::Finish() {
  ReportWriteFailure(store_.SaveExitSettings(HandleLeft(), HandleTop()));
  DeleteTrayIcon();
  platform_.EndProcess(0);
}

void StartUpWindow::ReportWriteFailure(const settings::WriteResult& written) {
  if (written) platform_.messages().ShowMessage(settings::WriteFailedText(*written, platform_.messages()));
}

void StartUpWindow::OnClose() { CloseReaderPort(); }

void StartUpWindow::OnSessionEnding() {
  // The session is really ending: keep what the user changed since start, as
  // the exit command would, before the port is released. A failure goes
  // unreported: a message now would hold up the log-off.
  (void)store_.SaveExitSettings(HandleLeft(), HandleTop());
  CloseReaderPort();
}

void StartUpWindow::OnTrayEvent(platform::TrayEvent event) {
  switch (tray_callback_.Decide(event.code)) {
    case shell::TrayAction::None:
      break;
    case shell::TrayAction::ShowHandle:
      ShowCentreHandleActivated();
      break;
    case shell::TrayAction::MenuAtPointer:
      ShowMenu(std::nullopt);
      break;
    case shell::TrayAction::MenuAtAnchor:
      ShowMenu(event.anchor);
      break;
    case shell::TrayAction::MenuAtIcon:
      // Where the shell does not say where the icon is: at the pointer, which
      // has just clicked the notification.
      ShowMenu(window_->TrayIconCorner(tray_icon_));
      break;
  }
}

void StartUpWindow::ShowMenu(std::optional<platform::PixelPoint> at) {
  shell::RefreshHoldCheck(*menu_, store_.values());
  if (at) {
    menu_->ShowAt(*at);
  } else {
    menu_->ShowAtPointer();
  }
}

void StartUpWindow::OnMenuCommand(int command) {
  switch (command) {
    case shell::kAlwaysOnTop:
      shell::AlwaysOnTop(cross_, store_.values(), *menu_);
      break;
    case shell::kHold:
      shell::Hold(*menu_, store_.values());
      break;
    case shell::kColor:
      properties_dialog_.Show();
      break;
    case shell::kRevision:
      revision_dialog_.Show();
      break;
    case shell::kSWinfo:
      about_dialog_.Show();
      break;
    case shell::kFinish:
      Finish();
      break;
    default:
      break;
  }
}

// The same record as at start; a refused add (the icon is still there) is harmless.
void StartUpWindow::OnTaskbarCreated() { AddTrayIcon(); }

void StartUpWindow::OnAnotherCopyStarted() { ShowCentreHandleActivated(); }

void StartUpWindow::OnSerialPortArrived(std::wstring_view port_name) { reader_link_.OnPortArrived(port_name); }

void StartUpWindow::OnSerialPortRemoved(std::wstring_view port_name) { reader_link_.OnPortRemoved(port_name); }

void StartUpWindow::OnSystemResumed() { reader_link_.OnSystemResumed(); }

void StartUpWindow::OnLinkChanged() {
  std::wstring tip = shell::TrayTip(reader_link_.StatusLine());
  if (tip == tray_tip_) return;
  tray_tip_ = std::move(tip);
  if (window_) (void)shell::ModifyTrayTip(*window_, tray_icon_, tray_tip_);
}
void StartUpWindow::OnDisplayChanged() { cross_.handle().OnDisplayChanged(); }

void StartUpWindow::AddTrayIcon() { (void)shell::AddTrayIcon(*window_, tray_icon_, tray_tip_); }

void StartUpWindow::CreateCrossWindows() { cross_.CreateWindows(); }

void StartUpWindow::Ini_OnTop() { shell::Ini_OnTop(cross_, store_.values(), *menu_); }

// Shown even when part 0 is off: its first repaint lays out again and hides it.
// Not activated: the handle never takes the focus.
void StartUpWindow::ShowCentreHandle() { cross_.handle().window().SetVisible(true); }

void StartUpWindow::ShowCentreHandleActivated() { cross_.handle().window().ShowActivated(); }

void StartUpWindow::ConfigureReaderPort() { reader_link_.ConfigureReaderPort(); }

void StartUpWindow::ShowFirstRunNotification() { (void)shell::ShowFirstRunNotification(*window_, tray_icon_); }

void StartUpWindow::DeleteTrayIcon() {
  if (window_) (void)shell::DeleteTrayIcon(*window_, tray_icon_);
}

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
