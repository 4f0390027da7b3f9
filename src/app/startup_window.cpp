#include "app/startup_window.h"

#include <utility>

#include "reader/port_choice.h"
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
      tray_icon_(platform.clock()),
      shortcuts_(store_),
      properties_dialog_(
          dialogs::kPropertiesLayout.caption, platform.messages(),
          [this](platform::Status& failure) { return dialogs::PropertiesDialog::Make(cross_, shortcuts_, &failure); }),
      revision_dialog_(reader::kCorrectionLayout.caption, platform.messages(),
                       [this](platform::Status& failure) {
                         return reader::CorrectionDialog::Make(platform_, store_, reader_link_, &failure);
                       }),
      about_dialog_(dialogs::kAboutLayout.caption, platform.messages(), [this](platform::Status& failure) {
        return dialogs::AboutDialog::Make(cross_, platform_.machine_registry(), platform_.processes(), &failure);
      }) {
  using settings::Setting;
  store_.Subscribe(*this, {Setting::OnTop, Setting::HoldPosition, Setting::ReaderPort});
}

StartUpWindow::~StartUpWindow() {
  store_.Unsubscribe(*this);
  reader_link_.RemoveObserver(*this);
}

bool StartUpWindow::Load() {
  platform::MessageBoxes& messages = platform_.messages();
  platform::Made<platform::ShellWindow> window = platform_.MakeShellWindow(*this);
  if (!window.object) {
    messages.ShowMessage(platform::StartFailedText(kStartUpWindowName, messages.ReasonText(window.status)));
    return false;
  }
  window_ = std::move(window.object);
  platform::Made<platform::PopupMenu> menu = window_->MakePopupMenu(shell::kDizodudozPop);
  if (!menu.object) {
    messages.ShowMessage(platform::StartFailedText(L"DizodudozPop", messages.ReasonText(menu.status)));
    return false;
  }
  menu_ = std::move(menu.object);

  tray_icon_.Add(*window_, shell::TrayTip({}));
  reader_link_.AddObserver(*this);
  store_.LoadSettings();
  const bool first_run = store_.FirstRunDefaultsApply();
  const settings::WriteResult first_run_written = store_.ApplyFirstRunDefaults();
  CreateCrossWindows();  // the handle's load lays them out
  Ini_OnTop();
  if (store_.values().ExcludeFromCapture) cross_.ApplyCaptureExclusion();
  ShowCentreHandle();
  // Told once the port's open has gone one way or the other: on a first run
  // whose port is missing it joins the note that names the other ports.
  first_run_note_ = first_run;
  ReportWriteFailure(first_run_written);
  // A chord another program holds is only shown in 속성: no message at start-up.
  shortcuts_.RegisterAll(*window_);
  ConfigureReaderPort();  // a failure here is reported and the program runs on
  return true;
}

void StartUpWindow::Finish() {
  ReportWriteFailure(store_.SaveExitSettings(HandleLeft(), HandleTop()));
  tray_icon_.Delete();
  platform_.EndProcess(0);
}

void StartUpWindow::ReportWriteFailure(const settings::WriteResult& written) {
  if (written) platform_.messages().ShowMessage(settings::WriteFailedText(*written, platform_.messages()));
}

void StartUpWindow::OnClose() { reader_link_.Close(); }

void StartUpWindow::OnSessionEnding() {
  // The session is really ending: keep what the user changed since start, as
  // the exit command would, before the port is released. A failure goes
  // unreported: a message now would hold up the log-off.
  (void)store_.SaveExitSettings(HandleLeft(), HandleTop());
  reader_link_.Close();
}

void StartUpWindow::OnTrayEvent(platform::TrayEvent event) {
  switch (tray_callback_.Decide(event.code)) {
    case shell::TrayAction::None:
      break;
    case shell::TrayAction::ShowHandle:
      ShowCrossActivated();
      break;
    case shell::TrayAction::MenuAtPointer:
      ShowMenu(std::nullopt);
      break;
    case shell::TrayAction::MenuAtAnchor:
      ShowMenu(event.anchor);
      break;
    case shell::TrayAction::NotificationClicked:
      if (tray_icon_.last_notice() == shell::TrayNotice::OtherPorts) {
        if (reader::CorrectionDialog* dialog = revision_dialog_.Show()) dialog->DropDownPorts();
        break;
      }
      // At the icon; where the shell does not say where it is, at the pointer,
      // which has just clicked the notification.
      ShowMenu(tray_icon_.Corner());
      break;
  }
}

void StartUpWindow::ShowMenu(std::optional<platform::PixelPoint> at) {
  if (at) {
    menu_->ShowAt(*at);
  } else {
    menu_->ShowAtPointer();
  }
}

void StartUpWindow::OnMenuCommand(int command) {
  switch (command) {
    case shell::kAlwaysOnTop:
      Toggle(&settings::ProgramSettings::OnTop);
      break;
    case shell::kHold:
      Toggle(&settings::ProgramSettings::HoldPosition);
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

void StartUpWindow::OnHotkey(int id) {
  const std::optional<shell::Hotkey> hotkey = shortcuts_.Decide(id);
  if (!hotkey) return;
  // Neither moves a held cross, nor one being dragged (whose bars the drag hid).
  const bool held = store_.values().HoldPosition || cross_.handle().dragging();
  switch (hotkey->action) {
    case settings::kHideShortcut:
      cross_.SetHidden(!cross_.hidden());
      break;
    case settings::kBringShortcut: {
      if (held) break;
      // Moved and shown in one batch: a hidden cross does not flash at its old place first.
      const platform::WindowBatch batch(platform_);
      cross_.SetHidden(false);
      cross_.handle().MoveCentreTo(platform_.screen().Pointer());
      break;
    }
    case settings::kNudgeShortcut:
      if (!held && !cross_.hidden()) cross_.handle().Nudge(hotkey->dx, hotkey->dy);
      break;
    case settings::kHoldShortcut:
      Toggle(&settings::ProgramSettings::HoldPosition);
      break;
    default:
      break;
  }
}

void StartUpWindow::OnTaskbarCreated() { tray_icon_.OnTaskbarCreated(); }

void StartUpWindow::OnAnotherCopyStarted() { ShowCrossActivated(); }

void StartUpWindow::OnSerialPortArrived(std::wstring_view port_name) {
  if (port_watch_) ActOn(port_watch_->Announced(port_name, true, platform_.clock().NowMs()));
}

void StartUpWindow::OnSerialPortRemoved(std::wstring_view port_name) {
  if (port_watch_) ActOn(port_watch_->Announced(port_name, false, platform_.clock().NowMs()));
}

void StartUpWindow::OnSerialPortsChanged() {
  if (port_watch_) ActOn(port_watch_->Listed(platform_.serial_ports().Present(), platform_.clock().NowMs()));
}

void StartUpWindow::ActOn(const std::vector<reader::PortChange>& changes) {
  for (const reader::PortChange& change : changes) {
    if (change.arrived) {
      reader_link_.OnPortArrived(change.name);
    } else {
      reader_link_.OnPortRemoved(change.name);
    }
  }
}

void StartUpWindow::OnSystemResumed() { reader_link_.OnSystemResumed(); }

void StartUpWindow::OnLinkChanged() {
  tray_icon_.SetTip(shell::TrayTip(reader_link_.StatusLine()));
  // A port that opened (or a link switched off) leaves no other note to join.
  if (reader_link_.IsOpen() || reader_link_.status().state == reader::LinkState::Off) NoteFirstRun();
}

void StartUpWindow::NoteFirstRun() {
  if (std::exchange(first_run_note_, false)) tray_icon_.Notify(shell::TrayNotice::FirstRun, shell::kFirstRunText);
}

void StartUpWindow::OnDisplayChanged() { cross_.handle().OnDisplayChanged(); }

void StartUpWindow::CreateCrossWindows() { cross_.CreateWindows(); }

void StartUpWindow::Ini_OnTop() {
  cross_.ApplyStacking();
  menu_->SetChecked(shell::kAlwaysOnTop, store_.values().OnTop);
  menu_->SetChecked(shell::kHold, store_.values().HoldPosition);
}

// Both are written at exit: a change here writes nothing.
void StartUpWindow::Toggle(bool settings::ProgramSettings::*flag) { (void)store_.Set(flag, !(store_.values().*flag)); }

void StartUpWindow::OnSettingChanged(settings::Setting setting) {
  switch (setting) {
    case settings::Setting::OnTop:
      if (menu_) menu_->SetChecked(shell::kAlwaysOnTop, store_.values().OnTop);
      break;
    case settings::Setting::HoldPosition:
      if (menu_) menu_->SetChecked(shell::kHold, store_.values().HoldPosition);
      break;
    case settings::Setting::ReaderPort:
      reader_link_.PortChanged();
      break;
    default:
      break;
  }
}

// Shown as its flag says, as the layout of the load already showed it; a
// handle switched off is never shown, not even for a moment. Not activated:
// the handle never takes the focus.
void StartUpWindow::ShowCentreHandle() { cross::CrossLayout(cross_); }

void StartUpWindow::ShowCrossActivated() {
  cross_.SetHidden(false);
  cross_.handle().window().ShowActivated();
}

// The last start-up step. The port list read here is what later notices of
// ports coming and going are compared with.
void StartUpWindow::ConfigureReaderPort() {
  port_watch_.emplace(platform_.serial_ports().Present());
  reader_link_.ConfigureReaderPort();
}

// The port in use would not open (its message has been dismissed): the user is
// shown where the other ports are, and chooses; a wrong port may be another device.
void StartUpWindow::OnStartUpOpenFailed() {
  if (reader_link_.status().state != reader::LinkState::Off && !reader_link_.IsOpen()) {
    const std::vector<platform::SerialPortInfo> present = platform_.serial_ports().Present();
    if (std::wstring others = reader::OtherPortsText(present, reader_link_.PortName()); !others.empty()) {
      // One note on a first run: where the other ports are, and where the menu is.
      if (std::exchange(first_run_note_, false)) others += L"\n" + std::wstring(shell::kFirstRunText);
      tray_icon_.Notify(shell::TrayNotice::OtherPorts, others);
    }
  }
  NoteFirstRun();
}

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
