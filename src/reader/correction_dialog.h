#pragma once
// The machine-correction dialog (frmRevision): shows and saves the correction
// angle and the length ratio, and switches the reader mode, which opens or
// closes the reader port at once. Below them: the port the reader is on, chosen
// from the ports the system has, the link's state, and the last line received
// with what became of it, all kept up to date while the dialog is open.
// Readings go on being answered while it is open.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/platform.h"
#include "reader/port_choice.h"
#include "reader/reader_link.h"
#include "settings/settings_store.h"
#include "shell/dialog_host.h"

namespace rc::reader {

// Control ids of the machine-correction dialog; beside each, the name its
// table row holds.
enum CorrectionControl : int {
  kAngleCaption,     // Label1
  kAngleBox,         // txtRadian: the correction angle, in degrees
  kRatioBox,         // txtDist: the length ratio
  kModeButton,       // btnChange: shows the mode; a click switches it
  kSaveButton,       // cmdSave
  kPortCaption,      // lblPort
  kPortList,         // cboPort: the reader's port; a choice applies at once
  kStatusLine,       // lblStatus: the link's state
  kReceivedCaption,  // lblReceived
  kReceivedBox,      // txtReceived: the last line and its reply or why none
  kCorrectionControlCount,
};

extern const std::array<platform::ControlLayout, kCorrectionControlCount> kCorrectionControls;
extern const platform::DialogLayout kCorrectionLayout;

// "COM2 포트가 열려 있거나 닫혀있습니다." for the port in use.
std::wstring PortSwitchFailedText(std::wstring_view port_name);

class CorrectionDialog final : public shell::WindowedDialog, public LinkObserver {
 public:
  // Makes the window (hidden) and runs the load step; null when the window
  // cannot be made (the reason in `failure`). `link` owns the reader port the
  // mode button opens and closes.
  static std::unique_ptr<CorrectionDialog> Make(platform::Platform& platform, settings::SettingsStore& store,
                                                ReaderLink& link, platform::Status* failure = nullptr);
  ~CorrectionDialog() override;

  // The port list dropped down, for the user to choose from.
  void DropDownPorts();

  void OnControlClick(int control) override;
  void OnSelectionChange(int control) override;
  void OnLinkChanged() override;
  void OnPortsChanged() override;

 private:
  CorrectionDialog(platform::SerialPortList& ports, platform::MessageBoxes& messages, settings::SettingsStore& store,
                   ReaderLink& link)
      : ports_(ports), messages_(messages), store_(store), link_(link) {}
  void Load();
  void SwitchMode();
  void Save();
  void ChoosePort();
  void ShowPorts();
  void ShowLink();

  platform::SerialPortList& ports_;
  platform::MessageBoxes& messages_;
  settings::SettingsStore& store_;
  ReaderLink& link_;
  std::vector<std::wstring> port_names_;  // beside each entry of the list
  bool listed_open_ = false;              // the link was open when the list was made
};

}  // namespace rc::reader
