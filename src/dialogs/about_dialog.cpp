#include "dialogs/about_dialog.h"

#include <algorithm>

#include "base/ascii.h"

namespace rc::dialogs {

using platform::ControlKind;

namespace {
constexpr platform::DialogFont kCreditFont{L"굴림", 6.75f};
constexpr std::uint32_t kRed = 0x000000FF;
}  // namespace

// Twips in the client area (5385 x 2220). The credit text overlaps the bottom edge by 15.
// clang-format off
const std::array<platform::ControlLayout, kAboutControlCount> kAboutControls{{
    // id, kind, name, parent, left, top, width, height, text, tab order, tooltip, font, colour
    {kLogo, ControlKind::Picture, L"Image1", -1, 150, 180, 1425, 780, L"", -1, {}, {}, platform::kWindowTextColour,
     {}, 1, 10, 1, kLogoResource},
    {kTitleCaption, ControlKind::Label, L"lblTitle", -1, 1710, 180, 1365, 195, L"프로그램 제목 :"},
    {kTitleText, ControlKind::Label, L"Label1", -1, 3090, 180, 2085, 195, L"Reticor"},
    {kVersionCaption, ControlKind::Label, L"lblVersion", -1, 2490, 420, 645, 195, L"버전 :"},
    {kVersionText, ControlKind::Label, L"Label2", -1, 3120, 420, 2085, 195, L"3.0  The Origin Version"},
    {kDescriptionCaption, ControlKind::Label, L"lblDescription", -1, 2490, 660, 525, 210, L"설명 :"},
    {kDescriptionText, ControlKind::Label, L"Label3", -1, 3090, 660, 1905, 195, L"독취기(RDX4410)지원 "},
    {kDescriptionText2, ControlKind::Label, L"Label4", -1, 3180, 900, 1725, 195, L"Application 프로그램"},
    {kWarningCaption, ControlKind::Label, L"Label8", -1, 120, 1350, 765, 195, L"Warning:"},
    // A sentence in two labels: the first half beside "Warning:", the rest below.
    {kDisclaimerText, ControlKind::Label, L"lblDisclaimer", -1, 870, 1350, 3180, 195, L"이 프로그램은 제작사가 독취기 지원을"},
    {kDisclaimerText2, ControlKind::Label, L"Label6", -1, 870, 1575, 3180, 195, L"위하여 배포하는 프로그램입니다."},
    {kCreditText, ControlKind::Label, L"Label5", -1, 1860, 2070, 3495, 165, L"만든이: Reticor2 개발팀, 2026년", -1, {},
     kCreditFont, kRed},
    {kOkButton, ControlKind::Button, L"cmdOK", -1, 4035, 1320, 1290, 345, L"확인", 0},
    {kSysInfoButton, ControlKind::Button, L"cmdSysInfo", -1, 4035, 1695, 1290, 345, L"시스템 정보", 1},
}};
// clang-format on

// An etched separator across the dialog; both lines run past the right edge.
const std::array<platform::DrawnLine, 2> kAboutLines{{
    {L"Line1(1)", 90, 1215, 5654, 1215, 0x00808080, 1},   // grey
    {L"Line1(0)", 105, 1230, 5654, 1230, 0x00FFFFFF, 2},  // white
}};

const platform::DialogLayout kAboutLayout{L"S/W 정보", 5385, 2220, kAboutControls, kAboutLines, kOkButton, kOkButton};

std::optional<std::wstring> RegistryText(const platform::RegistryValue& value) {
  const std::vector<std::uint8_t>& bytes = value.bytes;
  if (value.type == platform::RegistryType::String) {
    std::wstring text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
      text.push_back(static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
  }
  if (value.type != platform::RegistryType::Dword) return std::nullopt;
  // The value is read into a zero-filled buffer of four bytes.
  std::uint32_t number = 0;
  for (std::size_t i = 0; i < 4 && i < bytes.size(); ++i) number |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
  return std::to_wstring(number);
}

bool GetKeyValue(platform::MachineRegistry& registry, platform::RegistryView view, std::wstring_view key_path,
                 std::wstring_view value_name, std::wstring& text_out) {
  platform::RegistryValue value;
  if (!registry.ReadValue(view, key_path, value_name, value).ok()) {
    text_out.clear();
    return false;
  }
  if (std::optional<std::wstring> text = RegistryText(value)) text_out = std::move(*text);
  return true;
}

namespace {

constexpr std::array<platform::RegistryView, 2> kViews{platform::RegistryView::Bits64, platform::RegistryView::Bits32};

}  // namespace

std::vector<SysInfoProgram> SysInfoPrograms(const SysInfoFindings& found) {
  std::vector<SysInfoProgram> programs;
  auto add = [&](std::wstring path, bool must_exist) {
    for (const SysInfoProgram& p : programs) {
      if (EqualIgnoringAsciiCase(p.path, path)) return;  // file names, as the system compares them
    }
    programs.push_back({std::move(path), must_exist});
  };
  // A PATH is used as it stands, unchecked; even an empty one (a value of
  // another type) is tried, and fails to start.
  for (const auto& path : found.path) {
    if (path) add(*path, false);
  }
  for (const auto& folder : found.folder) {
    if (folder) add(*folder + std::wstring(kMsinfoFile), true);
  }
  if (!found.system_folder.empty()) add(found.system_folder + std::wstring(kSystemMsinfoFile), true);
  return programs;
}

void StartSysInfo(platform::MachineRegistry& registry, platform::Processes& processes, platform::MessageBoxes& messages,
                  platform::Dialog* owner) {
  auto read = [&](platform::RegistryView view, std::wstring_view key, std::wstring_view name) {
    std::wstring text;  // a value of another type leaves it empty
    return GetKeyValue(registry, view, key, name, text) ? std::optional<std::wstring>(text) : std::nullopt;
  };
  SysInfoFindings found;
  for (std::size_t i = 0; i < kViews.size(); ++i) {
    found.path[i] = read(kViews[i], kMsinfoKey, kMsinfoPathValue);
    found.folder[i] = read(kViews[i], kMsinfoLocationKey, kMsinfoLocationValue);
  }
  found.system_folder = processes.SystemFolder();
  for (const SysInfoProgram& program : SysInfoPrograms(found)) {
    if (program.must_exist && !processes.FileExists(program.path)) continue;
    if (processes.Start(program.path).ok()) return;
  }
  if (owner != nullptr) {
    owner->ShowMessage(kSysInfoUnavailable);
  } else {
    messages.ShowMessage(kSysInfoUnavailable);
  }
}

std::unique_ptr<AboutDialog> AboutDialog::Make(cross::Cross& cross, platform::MachineRegistry& registry,
                                               platform::Processes& processes, platform::Status* failure) {
  std::unique_ptr<AboutDialog> dialog(new AboutDialog(cross, registry, processes));
  platform::Made<platform::Dialog> made = cross.platform().MakeDialog(kAboutLayout, *dialog);
  if (!made.object) {
    if (failure != nullptr) *failure = made.status;
    return nullptr;
  }
  dialog->window_ = std::move(made.object);
  // Its middle on Form5's top-left corner; it may lie partly off the screen.
  const platform::Window& form5 = cross.bars().Bar(5);
  platform::Dialog& w = *dialog->window_;
  w.SetPosition(form5.Left() - w.Width() / 2, form5.Top() - w.Height() / 2);
  return dialog;
}

void AboutDialog::OnControlClick(int control) {
  if (control == kOkButton) window_->Close();
  if (control == kSysInfoButton) StartSysInfo(registry_, processes_, cross_.platform().messages(), window_.get());
}

}  // namespace rc::dialogs
