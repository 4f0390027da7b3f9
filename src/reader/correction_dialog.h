#pragma once
// frmRevision, the machine-correction dialog: shows and saves the correction
// angle and the length ratio, and switches the reader mode, which opens or
// closes the reader port at once. Readings go on being answered while it is open.

#include <array>
#include <memory>
#include <string>

#include "platform/dialog.h"
#include "platform/platform.h"
#include "reader/reader_link.h"
#include "settings/settings_store.h"
#include "shell/dialog_host.h"

namespace rc::reader {

// Control ids of frmRevision, with the controls' own names.
enum CorrectionControl : int {
  kAngleCaption,  // Label1
  kAngleBox,      // txtRadian: the correction angle, in degrees
  kRatioBox,      // txtDist: the length ratio
  kModeButton,    // btnChange: shows the mode; a click switches it
  kSaveButton,    // cmdSave
  kCorrectionControlCount,
};

extern const std::array<platform::ControlLayout, kCorrectionControlCount> kCorrectionControls;
extern const platform::DialogLayout kCorrectionLayout;

inline constexpr std::wstring_view kPortSwitchFailed = L"COM2 포트가 열려 있거나 닫혀있습니다.";

// The angle as the dialog shows it: "." always, up to 15 significant digits,
// no exponent, no trailing zeros, no point for a whole number (30, 1.5, -2.25).
std::wstring AngleText(double degrees);

class CorrectionDialog final : public shell::WindowedDialog {
 public:
  // Makes the window (hidden) and runs the load step; null when the window
  // cannot be made. `link` owns the reader port the mode button opens and closes.
  static std::unique_ptr<CorrectionDialog> Make(platform::Platform& platform, settings::SettingsStore& store,
                                                ReaderLink& link);

  void OnControlClick(int control) override;


 private:
  CorrectionDialog(settings::SettingsStore& store, ReaderLink& link) : store_(store), link_(link) {}
  void Load();
  void SwitchMode();
  void Save();

  settings::SettingsStore& store_;
  ReaderLink& link_;
};

}  // namespace rc::reader
