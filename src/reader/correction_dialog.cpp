#include "reader/correction_dialog.h"

#include "base/number_text.h"
#include "base/utf8.h"

namespace rc::reader {

using platform::ControlKind;

// One row; twips in the client area. Tab order starts at the angle box.
const std::array<platform::ControlLayout, kCorrectionControlCount> kCorrectionControls{{
    // id, kind, name, parent, left, top, width, height, design text, tab order
    {kAngleCaption, ControlKind::Label, L"Label1", -1, 120, 180, 855, 255, L"보정 각도", 1},
    {kAngleBox, ControlKind::TextBox, L"txtRadian", -1, 1080, 120, 855, 375, L"0", 0},
    {kRatioBox, ControlKind::TextBox, L"txtDist", -1, 2040, 120, 1095, 375, L"0,0", 4},
    {kModeButton, ControlKind::Button, L"btnChange", -1, 3240, 120, 1215, 375, L"지적통합", 3},
    {kSaveButton, ControlKind::Button, L"cmdSave", -1, 4560, 120, 1215, 375, L"저장", 2},
}};

const platform::DialogLayout kCorrectionLayout{L"기계보정", 5850, 600, kCorrectionControls};

std::wstring AngleText(double degrees) { return FromUtf8(FormatPlainDecimal(degrees)); }

std::unique_ptr<CorrectionDialog> CorrectionDialog::Make(platform::Platform& platform,
                                                         settings::SettingsStore& store,
                                                         ReaderLink& link) {
  std::unique_ptr<CorrectionDialog> dialog(new CorrectionDialog(store, link));
  dialog->window_ = platform.MakeDialog(kCorrectionLayout, *dialog);
  if (!dialog->window_) return nullptr;
  dialog->Load();
  return dialog;
}

void CorrectionDialog::Load() {
  settings::ProgramSettings& s = store_.values();
  window_->SetText(kModeButton, s.ReaderMode);
  if (s.LengthRatio.empty()) s.LengthRatio = L"0,0";  // in memory only; scales nothing, as empty does
  window_->SetText(kRatioBox, s.LengthRatio);
  window_->SetText(kAngleBox, AngleText(s.CorrectionAngle));
}

void CorrectionDialog::OnControlClick(int control) {
  if (control == kModeButton) SwitchMode();
  if (control == kSaveButton) Save();
}

// The button shows the mode, not the port's real state; a failed open or close
// leaves both as they were and says so.
void CorrectionDialog::SwitchMode() {
  const bool to_reader_link = window_->Text(kModeButton) == settings::kModeWintab;
  const platform::Status status = link_.SwitchPort(to_reader_link);
  if (!status.ok()) {
    window_->ShowMessage(kPortSwitchFailed);
    return;
  }
  window_->SetText(kModeButton, to_reader_link ? settings::kModeReaderLink : settings::kModeWintab);
}

void CorrectionDialog::Save() {
  settings::ProgramSettings& s = store_.values();
  s.CorrectionAngle = ReadNumber(window_->Text(kAngleBox));  // "12abc" -> 12, not a number -> 0
  window_->SetText(kAngleBox, AngleText(s.CorrectionAngle));  // shows what was understood
  s.ReaderMode = window_->Text(kModeButton);
  s.LengthRatio = window_->Text(kRatioBox);  // as typed, unchecked
  store_.SaveCorrectionSettings(window_.get());
}

}  // namespace rc::reader
