#pragma once
// The software-information dialog (frmAbout): fixed texts about the program, an
// OK button and a button that starts the system's system-information tool.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cross/cross.h"
#include "platform/dialog.h"
#include "platform/machine_registry.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "shell/dialog_host.h"

namespace rc::dialogs {

// Control ids of the software-information dialog; beside each, the name its
// table row holds.
enum AboutControl : int {
  kLogo,                // Image1
  kTitleCaption,        // lblTitle
  kTitleText,           // Label1
  kVersionCaption,      // lblVersion
  kVersionText,         // Label2
  kDescriptionCaption,  // lblDescription
  kDescriptionText,     // Label3
  kDescriptionText2,    // Label4
  kWarningCaption,      // Label8
  kDisclaimerText,      // lblDisclaimer
  kDisclaimerText2,     // Label6
  kCreditText,          // Label5
  kOkButton,            // cmdOK
  kSysInfoButton,       // cmdSysInfo
  kAboutControlCount,
};

// The logo's bitmap resource: 95 x 52 pixels, 24-bit colour.
inline constexpr int kLogoResource = 101;

extern const std::array<platform::ControlLayout, kAboutControlCount> kAboutControls;
extern const std::array<platform::DrawnLine, 2> kAboutLines;
extern const platform::DialogLayout kAboutLayout;

// Where the system-information tool's installation records its place.
inline constexpr std::wstring_view kMsinfoKey = L"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr std::wstring_view kMsinfoPathValue = L"PATH";  // the program file
inline constexpr std::wstring_view kMsinfoLocationKey = L"SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr std::wstring_view kMsinfoLocationValue = L"MSINFO";  // its folder
inline constexpr std::wstring_view kMsinfoFile = L"\\MSINFO32.EXE";
// Where the system keeps it when neither key says: its own folder of programs.
inline constexpr std::wstring_view kSystemMsinfoFile = L"\\msinfo32.exe";
inline constexpr std::wstring_view kSysInfoUnavailable = L"지금은 시스템 정보를 사용할 수 없습니다.";

// A machine-wide value as text: UTF-16 text loses one terminating zero (an odd
// last byte is no character); a DWORD gives its decimal text; nothing for a
// value of any other type.
std::optional<std::wstring> RegistryText(const platform::RegistryValue& value);

// Reads one machine-wide value as text into `text_out`; true when it was read. A
// value of another type than text or DWORD leaves `text_out` as it was and still
// counts as read.
bool GetKeyValue(platform::MachineRegistry& registry, platform::RegistryView view, std::wstring_view key_path,
                 std::wstring_view value_name, std::wstring& text_out);

// What the machine says about the system-information tool: per registry view
// (64-bit first), the first key's PATH and the second key's folder where they
// were read, and the system's folder of programs (empty when unknown).
struct SysInfoFindings {
  std::array<std::optional<std::wstring>, 2> path, folder;
  std::wstring system_folder;
};

// A program file to try; one that must exist is skipped when it does not.
struct SysInfoProgram {
  std::wstring path;
  bool must_exist = false;
};

// The program files to try, in order, each once: each view's PATH as it
// stands, each view's folder with MSINFO32.EXE in it, then msinfo32.exe in the
// system folder.
std::vector<SysInfoProgram> SysInfoPrograms(const SysInfoFindings& found);

// Looks up the system-information tool and starts the first of its places
// that starts, or tells the user it cannot be used now, in a message modal to
// `owner` (the dialog asking).
void StartSysInfo(platform::MachineRegistry& registry, platform::Processes& processes, platform::MessageBoxes& messages,
                  platform::Dialog* owner = nullptr);

class AboutDialog final : public shell::WindowedDialog {
 public:
  // Makes the window (hidden), placed with its middle on Form5's top-left
  // corner; null when the window cannot be made, with the reason in `failure`.
  static std::unique_ptr<AboutDialog> Make(cross::Cross& cross, platform::MachineRegistry& registry,
                                           platform::Processes& processes, platform::Status* failure = nullptr);

  void OnControlClick(int control) override;

 private:
  AboutDialog(cross::Cross& cross, platform::MachineRegistry& registry, platform::Processes& processes)
      : cross_(cross), registry_(registry), processes_(processes) {}

  cross::Cross& cross_;
  platform::MachineRegistry& registry_;
  platform::Processes& processes_;
};

}  // namespace rc::dialogs
