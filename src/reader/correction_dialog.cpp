#include "reader/correction_dialog.h"

#include "base/number_text.h"
#include "settings/setting_text.h"

namespace rc::reader {

using platform::ControlKind;

// Twips in the client area. The first row as it always was (tab order from
// the angle box); below it the port, the link's state and the last line.
// clang-format off
const std::array<platform::ControlLayout, kCorrectionControlCount> kCorrectionControls{{
    // id, kind, name, parent, left, top, width, height, design text, tab order
    {kAngleCaption, ControlKind::Label, L"Label1", -1, 120, 180, 855, 255, L"보정 각도", 1},
    {kAngleBox, ControlKind::TextBox, L"txtRadian", -1, 1080, 120, 855, 375, L"0", 0},
    {kRatioBox, ControlKind::TextBox, L"txtDist", -1, 2040, 120, 1095, 375, L"0,0", 4},
    {kModeButton, ControlKind::Button, L"btnChange", -1, 3240, 120, 1215, 375, L"지적통합", 3},
    {kSaveButton, ControlKind::Button, L"cmdSave", -1, 4560, 120, 1215, 375, L"저장", 2},
    {kPortCaption, ControlKind::Label, L"lblPort", -1, 120, 675, 855, 255, L"포트"},
    {kPortList, ControlKind::DropDownList, L"cboPort", -1, 1080, 615, 4695, 375, L"", 5},
    {kStatusLine, ControlKind::Label, L"lblStatus", -1, 1080, 1095, 4695, 255, L""},
    {kReceivedCaption, ControlKind::Label, L"lblReceived", -1, 120, 1500, 855, 255, L"수신"},
    {kReceivedBox, ControlKind::ReadOnlyText, L"txtReceived", -1, 1080, 1440, 4695, 615, L"", 6},
}};
// clang-format on

const platform::DialogLayout kCorrectionLayout{L"기계보정", 5850, 2175, kCorrectionControls};

std::wstring PortSwitchFailedText(std::wstring_view port_name) {
  return std::wstring(port_name) + L" 포트가 열려 있거나 닫혀있습니다.";
}

std::unique_ptr<CorrectionDialog> CorrectionDialog::Make(platform::Platform& platform, settings::SettingsStore& store,
                                                         ReaderLink& link, platform::Status* failure) {
  std::unique_ptr<CorrectionDialog> dialog(
      new CorrectionDialog(platform.serial_ports(), platform.messages(), store, link));
  platform::Made<platform::Dialog> made = platform.MakeDialog(kCorrectionLayout, *dialog);
  if (!made.object) {
    if (failure != nullptr) *failure = made.status;
    return nullptr;
  }
  dialog->window_ = std::move(made.object);
  dialog->Load();
  link.AddObserver(*dialog);
  return dialog;
}

CorrectionDialog::~CorrectionDialog() { link_.RemoveObserver(*this); }

void CorrectionDialog::Load() {
  const settings::ProgramSettings& s = store_.values();
  window_->SetText(kModeButton, s.ReaderMode);
  if (s.LengthRatio.empty())
    (void)store_.Set(&settings::ProgramSettings::LengthRatio, L"0,0");  // scales nothing, as empty does
  window_->SetText(kRatioBox, s.LengthRatio);
  window_->SetText(kAngleBox, settings::AngleText(s.CorrectionAngle));
  ShowPorts();
  ShowLink();
}

void CorrectionDialog::OnControlClick(int control) {
  if (control == kModeButton) SwitchMode();
  if (control == kSaveButton) Save();
}

void CorrectionDialog::OnSelectionChange(int control) {
  if (control == kPortList) ChoosePort();
}

// A port that the system's lists miss is listed as present only while the link
// holds it open: the list follows each open and close, however it came.
void CorrectionDialog::OnLinkChanged() {
  if (!IsOpen()) return;
  ShowLink();
  if (link_.IsOpen() != listed_open_) ShowPorts();
}

void CorrectionDialog::OnPortsChanged() {
  if (IsOpen()) ShowPorts();
}

// The button shows the mode, not the port's real state (the state line does);
// a failed open or close leaves both as they were and says so. The mode is
// written with the dialog's save.
void CorrectionDialog::SwitchMode() {
  const bool to_reader_link = store_.values().ReaderMode == settings::kModeWintab;
  const platform::Status status = link_.SwitchPort(to_reader_link);
  if (!status.ok()) {
    window_->ShowMessage(PortSwitchFailedText(link_.PortName()));
    return;
  }
  (void)store_.Set(&settings::ProgramSettings::ReaderMode,
                   std::wstring(to_reader_link ? settings::kModeReaderLink : settings::kModeWintab));
  window_->SetText(kModeButton, store_.values().ReaderMode);
}

void CorrectionDialog::Save() {
  using settings::ProgramSettings;
  // "12abc" -> 12, not a number -> 0; the box then shows what was understood.
  (void)store_.Set(&ProgramSettings::CorrectionAngle, ReadNumber(window_->Text(kAngleBox)));
  window_->SetText(kAngleBox, settings::AngleText(store_.values().CorrectionAngle));
  (void)store_.Set(&ProgramSettings::LengthRatio, window_->Text(kRatioBox));  // as typed, unchecked
  ReportWriteFailure(store_.SaveCorrectionSettings(), messages_);
}

// A choice applies at once (the link takes the port as the store tells it)
// and is kept for the next start; the state line tells whether the port opened.
void CorrectionDialog::ChoosePort() {
  const int index = window_->Selection(kPortList);
  if (index < 0 || static_cast<std::size_t>(index) >= port_names_.size()) return;
  const std::wstring& chosen = port_names_[static_cast<std::size_t>(index)];
  if (chosen == link_.PortName()) return;
  ReportWriteFailure(store_.Set(&settings::ProgramSettings::ReaderPort, chosen), messages_);
  if (IsOpen()) ShowPorts();  // the old port's "(없음)" entry goes
}

void CorrectionDialog::ShowPorts() {
  const std::vector<platform::SerialPortInfo> present = ports_.Present();
  listed_open_ = link_.IsOpen();
  PortChoices choices = MakePortChoices(present, link_.PortName(), listed_open_);
  std::vector<std::wstring> entries;
  port_names_.clear();
  for (PortChoice& choice : choices.choices) {
    entries.push_back(std::move(choice.entry));
    port_names_.push_back(std::move(choice.name));
  }
  window_->SetItems(kPortList, entries);
  window_->SetSelection(kPortList, choices.selected);
}

void CorrectionDialog::DropDownPorts() { window_->DropDown(kPortList); }

void CorrectionDialog::ShowLink() {
  window_->SetText(kStatusLine, link_.StatusLine());
  window_->SetText(kReceivedBox, link_.LastReceivedText());
}

}  // namespace rc::reader
