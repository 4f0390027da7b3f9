#include "dialogs/properties_dialog.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "base/ascii.h"
#include "base/rounding.h"
#include "settings/setting_text.h"

namespace rc::dialogs {

namespace {

using platform::ControlKind;
using platform::ControlLayout;
using platform::DialogFont;

constexpr DialogFont kSizeLabelFont{L"굴림", 8.25f};
// The colour list: the entries of kColourChoices.
constexpr auto kColourEntries = [] {
  std::array<std::wstring_view, kColourChoices.size()> entries{};
  for (std::size_t i = 0; i < entries.size(); ++i) entries[i] = kColourChoices[i].entry;
  return entries;
}();
constexpr std::wstring_view kClickOrMore = L"클릭!";
constexpr std::wstring_view kClick = L"클릭";
// The nudge's list: its modifier sets as settings::kNudgeModifiers has them.
constexpr std::wstring_view kNudgeEntries[] = {L"Ctrl+Alt+Shift", L"Ctrl+Alt", L"Ctrl+Shift",
                                               L"Alt+Shift",      L"Win+Alt",  L"없음"};
static_assert(std::size(kNudgeEntries) == settings::kNudgeModifiers.size());
constexpr int kOpacityStep = 10;  // percent a position
constexpr std::wstring_view kCaptureText = L"화면 캡처에서 숨기기";
// Where the system cannot leave windows out of captures.
constexpr std::wstring_view kCaptureUnavailableText = L"화면 캡처에서 숨기기 (Windows 10 2004 이상)";

// One swatch of the miniature cross, in the parts frame.
constexpr ControlLayout Swatch(int n, float left, float top, std::wstring_view tooltip, std::wstring_view name) {
  return {PartSwatch(n), ControlKind::Swatch, name, kPartsFrame, left, top, 120, 120, L"", -1, tooltip};
}

// The controls of one shortcut row a (settings::ShortcutAction), in the shortcut frame:
// the action's name, its chord box (the nudge: a list of modifier sets), what became of it.
constexpr float ShortcutTop(int a) { return static_cast<float>(270 + 630 * a); }
constexpr ControlLayout ShortcutName(int a, std::wstring_view name, std::wstring_view text) {
  return {ShortcutCaption(a), ControlKind::Label, name, kShortcutFrame, 180, ShortcutTop(a) + 60, 1695, 195, text};
}
constexpr ControlLayout ShortcutEntry(int a, std::wstring_view name) {
  if (a == settings::kNudgeShortcut) {
    return {ShortcutBox(a),
            ControlKind::DropDownList,
            name,
            kShortcutFrame,
            1980,
            ShortcutTop(a),
            2430,
            315,
            L"",
            7 + a,
            {},
            {},
            platform::kWindowTextColour,
            kNudgeEntries};
  }
  return {ShortcutBox(a), ControlKind::ShortcutBox, name, kShortcutFrame, 1980, ShortcutTop(a), 2430, 315, L"", 7 + a};
}
constexpr ControlLayout ShortcutStateLabel(int a, std::wstring_view name) {
  return {ShortcutState(a), ControlKind::Label, name, kShortcutFrame, 180, ShortcutTop(a) + 330, 4230, 195, L"", -1, {},
          kSizeLabelFont};
}

}  // namespace

// Positions in twips; frames in the client area, the rest in their frame.
// clang-format off
const std::array<ControlLayout, kPropertiesControlCount> kPropertiesControls{{
    // id, kind, name, parent, left, top, width, height, text, tab order, tooltip, font
    {kColourFrame, ControlKind::Frame, L"Frame1", -1, 60, 90, 2055, 705, L"색상"},
    {kColourPreview, ControlKind::ColourBox, L"Picture1", kColourFrame, 390, 270, 315, 285, L""},
    {kColourList, ControlKind::DropDownList, L"Combo1", kColourFrame, 870, 270, 885, 300, L"", 0, {}, {},
     platform::kWindowTextColour, kColourEntries},
    {kPartsFrame, ControlKind::Frame, L"Frame2", -1, 2220, 90, 2385, 1875, L"십자선", -1, L"클릭: 보이기, 사라지기"},
    {kSizeFrame, ControlKind::Frame, L"Frame3", -1, 60, 870, 2055, 1095, L"크기"},
    {SizeCaption(0), ControlKind::Label, L"Label3(0)", kSizeFrame, 180, 300, 435, 165, L"길이", -1, {}, kSizeLabelFont},
    {SizeCaption(1), ControlKind::Label, L"Label3(1)", kSizeFrame, 180, 570, 435, 195, L"간격", -1, {}, kSizeLabelFont},
    {SizeCaption(2), ControlKind::Label, L"Label3(2)", kSizeFrame, 180, 810, 435, 195, L"두께", -1, {}, kSizeLabelFont},
    {SizeBar(0), ControlKind::ScrollBar, L"HScroll1(0)", kSizeFrame, 600, 270, 1095, 165, L"", 1, {}, {},
     platform::kWindowTextColour, {}, 1, 10, 5},
    {SizeBar(1), ControlKind::ScrollBar, L"HScroll1(1)", kSizeFrame, 600, 540, 1095, 165, L"", 2, {}, {},
     platform::kWindowTextColour, {}, 1, 10, 5},
    {SizeBar(2), ControlKind::ScrollBar, L"HScroll1(2)", kSizeFrame, 600, 810, 1095, 165, L"", 3, {}, {},
     platform::kWindowTextColour, {}, 1, 10, 5},
    {SizeValue(0), ControlKind::Label, L"Label4(0)", kSizeFrame, 1740, 270, 375, 255, L"5"},
    {SizeValue(1), ControlKind::Label, L"Label4(1)", kSizeFrame, 1740, 540, 375, 255, L"5"},
    {SizeValue(2), ControlKind::Label, L"Label4(2)", kSizeFrame, 1740, 810, 375, 255, L"5"},
    // The miniature cross: a column at left 1140 and a row at top 900, 150 apart.
    Swatch(0, 1140, 900, L"중심점", L"Picture2(0)"),  // centre
    Swatch(1, 1140, 300, kClickOrMore, L"Picture2(1)"),  // above, outermost
    Swatch(2, 1140, 450, kClickOrMore, L"Picture2(2)"),
    Swatch(3, 1140, 600, kClickOrMore, L"Picture2(3)"),
    Swatch(4, 1140, 750, kClickOrMore, L"Picture2(4)"),  // above, next to the centre
    Swatch(5, 1140, 1050, kClickOrMore, L"Picture2(5)"),  // below, next to the centre
    Swatch(6, 1140, 1200, kClickOrMore, L"Picture2(6)"),
    Swatch(7, 1140, 1350, kClickOrMore, L"Picture2(7)"),
    Swatch(8, 1140, 1500, kClickOrMore, L"Picture2(8)"),  // below, outermost
    Swatch(9, 390, 900, kClickOrMore, L"Picture2(9)"),  // left, outermost
    Swatch(10, 540, 900, kClick, L"Picture2(10)"),
    Swatch(11, 690, 900, kClick, L"Picture2(11)"),
    Swatch(12, 840, 900, kClick, L"Picture2(12)"),
    Swatch(13, 990, 900, kClick, L"Picture2(13)"),  // left, next to the centre
    Swatch(14, 1290, 900, kClick, L"Picture2(14)"),  // right, next to the centre
    Swatch(15, 1440, 900, kClick, L"Picture2(15)"),
    Swatch(16, 1590, 900, kClickOrMore, L"Picture2(16)"),
    Swatch(17, 1740, 900, kClickOrMore, L"Picture2(17)"),
    Swatch(18, 1890, 900, kClickOrMore, L"Picture2(18)"),  // right, outermost
    // Below: the display frame with the opacity row (like the size rows) and sign-in, then the shortcuts.
    {kDisplayFrame, ControlKind::Frame, L"fraDisplay", -1, 60, 2040, 4545, 1200, L"표시"},
    {kOpacityCaption, ControlKind::Label, L"lblOpacity", kDisplayFrame, 180, 300, 855, 195, L"불투명도", -1, {},
     kSizeLabelFont},
    {kOpacityBar, ControlKind::ScrollBar, L"hsbOpacity", kDisplayFrame, 1080, 270, 1095, 165, L"", 4, {}, {},
     platform::kWindowTextColour, {}, 1, 10, 10},
    {kOpacityValue, ControlKind::Label, L"lblOpacityValue", kDisplayFrame, 2280, 270, 735, 255, L"100 %"},
    {kSignInBox, ControlKind::CheckBox, L"chkSignIn", kDisplayFrame, 180, 570, 4245, 255,
     L"Windows에 로그인할 때 시작", 5},
    {kCaptureBox, ControlKind::CheckBox, L"chkCapture", kDisplayFrame, 180, 840, 4245, 255, kCaptureText, 6},
    {kShortcutFrame, ControlKind::Frame, L"fraShortcuts", -1, 60, 3315, 4545, 2805, L"단축키"},
    ShortcutName(0, L"lblShortcut(0)", L"숨기기/보이기"),
    ShortcutName(1, L"lblShortcut(1)", L"포인터로 옮기기"),
    ShortcutName(2, L"lblShortcut(2)", L"한 픽셀 이동"),
    ShortcutName(3, L"lblShortcut(3)", L"고정"),
    ShortcutEntry(0, L"hkyShortcut(0)"), ShortcutEntry(1, L"hkyShortcut(1)"), ShortcutEntry(2, L"cboNudge"),
    ShortcutEntry(3, L"hkyShortcut(3)"),
    ShortcutStateLabel(0, L"lblShortcutState(0)"), ShortcutStateLabel(1, L"lblShortcutState(1)"),
    ShortcutStateLabel(2, L"lblShortcutState(2)"), ShortcutStateLabel(3, L"lblShortcutState(3)"),
}};
// clang-format on

// No buttons: every change applies at once.
const platform::DialogLayout kPropertiesLayout{L"속성", 4695, 6195, kPropertiesControls};

std::wstring OpacityText(int percent) { return std::to_wstring(percent) + L" %"; }

std::wstring SignInCommand(std::wstring_view program_path) { return L"\"" + std::wstring(program_path) + L"\""; }

bool SignInStartsThisProgram(const std::optional<std::wstring>& command, bool switched_off,
                             std::wstring_view program_path) {
  if (!command || switched_off || program_path.empty()) return false;
  std::wstring_view text = *command;
  while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
  std::wstring_view program;
  if (!text.empty() && text.front() == L'"') {
    text.remove_prefix(1);
    program = text.substr(0, text.find(L'"'));
  } else {
    // Unquoted: the program up to ".exe", whatever follows it (arguments).
    program = text;
    for (std::size_t at = 0; at + 4 <= text.size(); ++at) {
      if (EqualIgnoringAsciiCase(text.substr(at, 4), L".exe")) {
        program = text.substr(0, at + 4);
        break;
      }
    }
    while (!program.empty() && program.back() == L' ') program.remove_suffix(1);
  }
  return EqualIgnoringAsciiCase(program, program_path);
}

std::unique_ptr<PropertiesDialog> PropertiesDialog::Make(cross::Cross& cross, shell::Shortcuts& shortcuts,
                                                         platform::Status* failure) {
  std::unique_ptr<PropertiesDialog> dialog(new PropertiesDialog(cross, shortcuts));
  platform::Made<platform::Dialog> made = cross.platform().MakeDialog(kPropertiesLayout, *dialog);
  if (!made.object) {
    if (failure != nullptr) *failure = made.status;
    return nullptr;
  }
  dialog->window_ = std::move(made.object);
  dialog->Load();
  return dialog;
}

std::uint32_t PropertiesDialog::CrossColour() const {
  return cross::CrossColourValue(cross_.store().values().CrossColor);
}

void PropertiesDialog::Load() {
  platform::Dialog& w = *window_;
  const settings::ProgramSettings& s = cross_.store().values();

  // Placed beside the handle's right edge; below it when there is no room above,
  // and raised as far as it must be to end on the handle's monitor.
  const platform::Window& handle = cross_.handle().window();
  const float left = handle.Left() + handle.Width();
  float top = w.Height() > handle.Top() ? handle.Top() + handle.Height() : handle.Top() - w.Height();
  const platform::TwipsRect screen =
      cross_.MonitorAt(static_cast<double>(handle.Left()), static_cast<double>(handle.Top())).area;
  if (top + w.Height() > screen.top + screen.height)
    top = std::max(screen.top, screen.top + screen.height - w.Height());
  w.SetPosition(left, top);

  // The colour list selects the entry whose value text equals CrossColor exactly. A text that is not
  // a colour at all is shown as the cross shows it, red "255".
  const std::wstring shown = cross::IsColourText(s.CrossColor) ? s.CrossColor : std::to_wstring(cross::kFallbackColour);
  int selection = -1;
  for (std::size_t i = 0; i < kColourChoices.size(); ++i) {
    if (shown == std::to_wstring(kColourChoices[i].value)) {
      selection = static_cast<int>(i);
      break;
    }
  }
  w.SetSelection(kColourList, selection);

  ShowSwatches();

  // The size bars from the sizes; a position that differs from the bar's present one acts as a user move.
  // Sizes stored by other means may fall outside the bar's range: clamped.
  const std::array<std::int16_t, 3> sizes{s.Length, s.Gap, s.Thickness};
  for (int k = 0; k < 3; ++k) {
    const double quotient =
        static_cast<double>(sizes[static_cast<std::size_t>(k)]) / kScrollSteps[static_cast<std::size_t>(k)];
    const int position = static_cast<int>(std::clamp(RoundHalfEven(quotient), 1.0, 10.0));
    const int before = w.ScrollPosition(SizeBar(k));
    w.SetScrollPosition(SizeBar(k), position);
    if (position != before) ScrollChange(k, position);
  }

  // Each bar's read-out shows its position.
  for (int k = 0; k < 3; ++k) w.SetText(SizeValue(k), std::to_wstring(w.ScrollPosition(SizeBar(k))));

  // The opacity bar at its nearest position; the opacity itself stays as it is
  // (55 % stays 55 % until the bar is moved).
  w.SetScrollPosition(kOpacityBar,
                      static_cast<int>(std::clamp(RoundHalfEven(s.Opacity / double{kOpacityStep}), 1.0, 10.0)));
  w.SetText(kOpacityValue, OpacityText(s.Opacity));

  // What the next sign-in will do, whoever wrote the Run value (the installer, too).
  w.SetChecked(kSignInBox, SignInStarts());

  // Capture exclusion, where the system has it; the box says when it has not.
  const bool can_exclude = cross_.platform().screen().CanExcludeFromCapture();
  w.SetChecked(kCaptureBox, can_exclude && s.ExcludeFromCapture);
  if (!can_exclude) {
    w.SetText(kCaptureBox, kCaptureUnavailableText);
    w.SetEnabled(kCaptureBox, false);
  }

  // A chord refused before is tried again: the program holding it may be gone.
  shortcuts_.RegisterAgain();
  ShowShortcuts();
}

void PropertiesDialog::ShowShortcuts() {
  platform::Dialog& w = *window_;
  const settings::ProgramSettings& s = cross_.store().values();
  for (int a = 0; a < settings::kShortcutCount; ++a) {
    const Chord chord = s.Shortcuts[static_cast<std::size_t>(a)];
    const std::optional<shell::ShortcutStatus>& refusal = refusals_[static_cast<std::size_t>(a)];
    if (refusal) {
      // The box keeps what was typed; the row says why it is not taken.
      w.SetText(ShortcutState(a),
                shell::ShortcutStateText(*refusal, refusal->state == shell::ShortcutState::Refused
                                                       ? cross_.platform().messages().ErrorText(refusal->system_code)
                                                       : std::wstring()));
      continue;
    }
    if (a == settings::kNudgeShortcut) {
      const auto* set = std::find(settings::kNudgeModifiers.begin(), settings::kNudgeModifiers.end(), chord.modifiers);
      w.SetSelection(ShortcutBox(a), static_cast<int>(set - settings::kNudgeModifiers.begin()));
    } else {
      w.SetChord(ShortcutBox(a), chord);
    }
    const shell::ShortcutStatus& status = shortcuts_.status(static_cast<settings::ShortcutAction>(a));
    w.SetText(ShortcutState(a),
              shell::ShortcutStateText(status, status.state == shell::ShortcutState::Refused
                                                   ? cross_.platform().messages().ErrorText(status.system_code)
                                                   : std::wstring()));
  }
}

void PropertiesDialog::OnSelectionChange(int control) {
  if (control == kColourList) ColourChosen();
  if (control == ShortcutBox(settings::kNudgeShortcut)) {
    const int index = window_->Selection(control);
    if (index >= 0 && index < static_cast<int>(settings::kNudgeModifiers.size())) {
      ChangeShortcut(settings::kNudgeShortcut, {settings::kNudgeModifiers[static_cast<std::size_t>(index)], 0});
    }
  }
}

void PropertiesDialog::OnChordChange(int control) {
  for (int a = 0; a < settings::kShortcutCount; ++a) {
    if (control != ShortcutBox(a) || a == settings::kNudgeShortcut) continue;
    const Chord chord = window_->ChordOf(control);
    // A key the store has no name for cannot be kept: the row keeps its chord.
    if (chord.key != 0 && settings::KeyText(chord.key).empty()) return ShowShortcuts();
    ChangeShortcut(static_cast<settings::ShortcutAction>(a), chord);
  }
}

// A chord that cannot take the row's place leaves the row's chord as it is,
// stored and registered: one that would swallow typing is not even shown; for
// any other the row says why beside what was typed, until the user types
// another.
void PropertiesDialog::ChangeShortcut(settings::ShortcutAction action, Chord chord) {
  std::optional<shell::ShortcutStatus>& refusal = refusals_[static_cast<std::size_t>(action)];
  if (cross_.store().values().Shortcuts[static_cast<std::size_t>(action)] == chord) {
    if (refusal) refusal.reset(), ShowShortcuts();
    return;
  }
  const shell::ShortcutStatus tried = shortcuts_.Try(action, chord);
  if (tried.state != shell::ShortcutState::Registered) {
    if (tried.state == shell::ShortcutState::Typing) {
      refusal.reset();
    } else {
      refusal = tried;
    }
    return ShowShortcuts();
  }
  refusal.reset();
  // The store tells the shortcuts, which register the new chord.
  ReportWriteFailure(cross_.store().SetShortcut(action, chord), cross_.platform().messages());
  if (IsOpen()) ShowShortcuts();
}

void PropertiesDialog::ColourChosen() {
  const int index = window_->Selection(kColourList);
  if (index < 0 || index >= static_cast<int>(kColourChoices.size())) return;
  // The cross takes the colour as the store tells it, hidden parts too; what is
  // shown or hidden stays so.
  (void)cross_.store().Set(&settings::ProgramSettings::CrossColor,
                           std::to_wstring(kColourChoices[static_cast<std::size_t>(index)].value));
  ShowSwatches();
}

void PropertiesDialog::ShowSwatches() {
  platform::Dialog& w = *window_;
  const settings::ProgramSettings& s = cross_.store().values();
  const std::uint32_t colour = CrossColour();
  w.SetFillColour(kColourPreview, colour);
  for (int n = 0; n < settings::kPartCount; ++n) {
    w.SetFillColour(PartSwatch(n), s.PartVisible[static_cast<std::size_t>(n)] ? colour : w.ButtonFaceColour());
  }
}

void PropertiesDialog::OnScrollChange(int control, int position) {
  if (control >= SizeBar(0) && control <= SizeBar(2)) ScrollChange(control - kSizeBar, position);
  if (control == kOpacityBar) OpacityChange(position);
}

void PropertiesDialog::OpacityChange(int position) {
  (void)cross_.store().Set(&settings::ProgramSettings::Opacity, kOpacityStep * position);
  window_->SetText(kOpacityValue, OpacityText(cross_.store().values().Opacity));
}

void PropertiesDialog::ScrollChange(int k, int position) {
  using settings::ProgramSettings;
  // By k: length, gap, thickness.
  static constexpr std::array<std::int16_t ProgramSettings::*, 3> kSizes{
      &ProgramSettings::Length, &ProgramSettings::Gap, &ProgramSettings::Thickness};
  const auto size = static_cast<std::int16_t>(kScrollSteps[static_cast<std::size_t>(k)] * position);
  (void)cross_.store().Set(kSizes[static_cast<std::size_t>(k)], size);
  window_->SetText(SizeValue(k), std::to_wstring(position));
}

void PropertiesDialog::OnControlClick(int control) {
  if (control >= PartSwatch(0) && control <= PartSwatch(18)) SwatchClick(control - kPartSwatch);
  if (control == kSignInBox) SignInClick();
  if (control == kCaptureBox) CaptureClick();
}

// At once, for all nineteen windows; a refusal leaves the cross as it was and
// the box unticked.
void PropertiesDialog::CaptureClick() {
  settings::SettingsStore& store = cross_.store();
  ReportWriteFailure(store.Set(&settings::ProgramSettings::ExcludeFromCapture, window_->Checked(kCaptureBox)),
                     cross_.platform().messages());
  if (IsOpen()) window_->SetChecked(kCaptureBox, store.values().ExcludeFromCapture);
}

bool PropertiesDialog::SignInStarts() {
  platform::Platform& p = cross_.platform();
  return SignInStartsThisProgram(p.sign_in().Command(), p.sign_in().SwitchedOff(), p.processes().ProgramPath());
}

void PropertiesDialog::SignInClick() {
  platform::Platform& p = cross_.platform();
  const bool on = window_->Checked(kSignInBox);
  const std::wstring path = p.processes().ProgramPath();
  if (path.empty()) {
    window_->ShowMessage(kNoProgramPathText);
  } else if (const platform::Status written = on ? p.sign_in().Set(SignInCommand(path)) : p.sign_in().Clear();
             !written.ok()) {
    ReportWriteFailure(settings::WriteFailure{std::wstring(platform::kSignInValuePath), written.system_code},
                       p.messages());
  }
  if (IsOpen()) window_->SetChecked(kSignInBox, SignInStarts());
}

// The handle's swatch switches nothing: the handle is the one part that
// cannot be switched back on from the cross.
void PropertiesDialog::SwatchClick(int n) {
  if (n == 0) return;
  const bool visible = cross_.store().values().PartVisible[static_cast<std::size_t>(n)];
  ReportWriteFailure(cross_.store().SetPartVisible(n, !visible), cross_.platform().messages());
  if (IsOpen()) ShowSwatches();
}

}  // namespace rc::dialogs
