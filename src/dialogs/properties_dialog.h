#pragma once
// The properties dialog (Frm_속성): the cross colour from six fixed colours, the
// segment length, gap and thickness on three scroll bars, and each bar switched
// on or off by a click on its swatch in a miniature cross; below them the
// cross's opacity, starting at sign-in, and the global shortcuts. Every change
// shows at once; part switches, the sign-in choice and the shortcuts are
// written at once, the colour, sizes and opacity at exit.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "cross/cross.h"
#include "platform/dialog.h"
#include "shell/dialog_host.h"
#include "shell/shortcuts.h"

namespace rc::dialogs {

// Control ids of the properties dialog; beside each, the name its table row holds; control arrays are
// consecutive. Sizes are k = 0 length, 1 gap, 2 thickness; parts n = 0..18.
enum PropertiesControl : int {
  kColourFrame,                         // Frame1
  kColourPreview,                       // Picture1
  kColourList,                          // Combo1
  kPartsFrame,                          // Frame2
  kSizeFrame,                           // Frame3
  kSizeCaption,                         // Label3(0..2)
  kSizeBar = kSizeCaption + 3,          // HScroll1(0..2)
  kSizeValue = kSizeBar + 3,            // Label4(0..2)
  kPartSwatch = kSizeValue + 3,         // Picture2(0..18)
  kDisplayFrame = kPartSwatch + 19,     // fraDisplay
  kOpacityCaption,                      // lblOpacity
  kOpacityBar,                          // hsbOpacity: 10 % a position
  kOpacityValue,                        // lblOpacityValue: "100 %"
  kSignInBox,                           // chkSignIn: starts the program at sign-in
  kCaptureBox,                          // chkCapture: leaves the cross out of screen captures
  kShortcutFrame,                       // fraShortcuts
  kShortcutCaption,                     // lblShortcut(0..3), by settings::ShortcutAction
  kShortcutBox = kShortcutCaption + 4,  // hkyShortcut(0..3); the nudge's a list of modifier sets
  kShortcutState = kShortcutBox + 4,    // lblShortcutState(0..3)
  kPropertiesControlCount = kShortcutState + 4,
};
constexpr int SizeCaption(int k) { return kSizeCaption + k; }
constexpr int SizeBar(int k) { return kSizeBar + k; }
constexpr int SizeValue(int k) { return kSizeValue + k; }
constexpr int PartSwatch(int n) { return kPartSwatch + n; }
constexpr int ShortcutCaption(int a) { return kShortcutCaption + a; }
constexpr int ShortcutBox(int a) { return kShortcutBox + a; }
constexpr int ShortcutState(int a) { return kShortcutState + a; }

// The opacity's read-out: "100 %".
std::wstring OpacityText(int percent);
// The Run value that starts this program at sign-in: its own path, quoted, so
// that a copy run from anywhere (unzipped, not installed) starts itself.
std::wstring SignInCommand(std::wstring_view program_path);
// Whether the next sign-in starts this program: the Run value names it (its
// program, quotes removed, compared as a path: in any letter case) and the
// entry is not switched off. A value naming another copy (a moved exe, an
// unzipped one) starts that copy, not this one.
bool SignInStartsThisProgram(const std::optional<std::wstring>& command, bool switched_off,
                             std::wstring_view program_path);
// When the program's own path cannot be had, the box can do nothing.
inline constexpr std::wstring_view kNoProgramPathText =
    L"이 프로그램의 경로를 알 수 없어 로그인할 때 시작하도록 설정할 수 없습니다.";

struct ColourChoice {
  std::wstring_view entry;
  std::uint32_t value;  // 0x00BBGGRR
};

// Combo1's entries in list order.
inline constexpr std::array<ColourChoice, 6> kColourChoices{{
    {L"빨강", 255},       // red
    {L"녹색", 65280},     // green
    {L"파랑", 16711680},  // blue
    {L"갈색", 16512},     // brown
    {L"검정", 0},         // black
    {L"노랑", 65535},     // yellow
}};

// Twips per scroll position: length, gap, thickness.
inline constexpr std::array<int, 3> kScrollSteps{70, 70, 10};

extern const std::array<platform::ControlLayout, kPropertiesControlCount> kPropertiesControls;
extern const platform::DialogLayout kPropertiesLayout;

class PropertiesDialog final : public shell::WindowedDialog {
 public:
  // Makes the window (hidden) and runs the load step; null when the window
  // cannot be made, with the reason in `failure`.
  static std::unique_ptr<PropertiesDialog> Make(cross::Cross& cross, shell::Shortcuts& shortcuts,
                                                platform::Status* failure = nullptr);

  void OnControlClick(int control) override;
  void OnSelectionChange(int control) override;
  void OnScrollChange(int control, int position) override;
  void OnChordChange(int control) override;

 private:
  PropertiesDialog(cross::Cross& cross, shell::Shortcuts& shortcuts) : cross_(cross), shortcuts_(shortcuts) {}
  void Load();
  void ColourChosen();
  void ScrollChange(int k, int position);
  void OpacityChange(int position);
  void SwatchClick(int n);
  void SignInClick();
  void CaptureClick();
  // What the box shows: SignInStartsThisProgram for this program now.
  bool SignInStarts();
  void ChangeShortcut(settings::ShortcutAction action, Chord chord);
  // Each shortcut row: its chord and what became of it.
  void ShowShortcuts();
  // The colour's swatch, and each part's in the colour or, when hidden, the face colour.
  void ShowSwatches();
  // CrossColor as a colour; a text that is not a colour counts as 255.
  std::uint32_t CrossColour() const;

  cross::Cross& cross_;
  shell::Shortcuts& shortcuts_;
  // By row: the chord typed last that could not be taken, and why.
  std::array<std::optional<shell::ShortcutStatus>, settings::kShortcutCount> refusals_{};
};

}  // namespace rc::dialogs
