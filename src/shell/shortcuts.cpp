#include "shell/shortcuts.h"

#include <algorithm>

namespace rc::shell {

namespace {

using settings::ShortcutAction;

// One registration: its id, the action, and for the nudge its arrow key and step.
struct HotkeyRow {
  int id;
  ShortcutAction action;
  std::uint16_t arrow;
  int dx, dy;
};
// In the order of the dialog's rows, which decides which of two equal chords wins.
// clang-format off
constexpr HotkeyRow kHotkeys[] = {
    {1, settings::kHideShortcut, 0, 0, 0},
    {2, settings::kBringShortcut, 0, 0, 0},
    {3, settings::kNudgeShortcut, key::kLeft, -1, 0},
    {4, settings::kNudgeShortcut, key::kUp, 0, -1},
    {5, settings::kNudgeShortcut, key::kRight, 1, 0},
    {6, settings::kNudgeShortcut, key::kDown, 0, 1},
    {7, settings::kHoldShortcut, 0, 0, 0},
};
// clang-format on

// The chord the row registers for its action's chord; no key when switched off.
Chord RowChord(const HotkeyRow& row, Chord chord) {
  if (row.arrow == 0) return chord;
  return chord.modifiers != 0 ? Chord{chord.modifiers, row.arrow} : Chord{};
}
Chord ChordOf(const HotkeyRow& row, const settings::ProgramSettings& values) {
  return RowChord(row, values.Shortcuts[static_cast<std::size_t>(row.action)]);
}
// Ids no row has, for trying a chord before it takes a row's place.
constexpr int kTrialId = 100;

}  // namespace

std::wstring ShortcutStateText(const ShortcutStatus& status, std::wstring_view system_text) {
  switch (status.state) {
    case ShortcutState::HeldElsewhere:
      return L"다른 프로그램이 사용 중";
    case ShortcutState::SameAsAnother:
      return L"다른 동작과 같음";
    case ShortcutState::Refused:
      return L"사용할 수 없음 (" + std::wstring(system_text) + L")";
    case ShortcutState::Reserved:
      return L"사용할 수 없음 (F12)";
    case ShortcutState::Registered:
      if (status.types_character) return L"이 자판에서는 문자 입력과 겹침";
      break;
    case ShortcutState::Typing:
    case ShortcutState::Off:
      break;
  }
  return {};
}

void Shortcuts::RegisterAll(platform::ShellWindow& window) {
  window_ = &window;
  for (int id : registered_) window.UnregisterHotkey(id);
  registered_.clear();
  statuses_.fill({});
  const settings::ProgramSettings& values = store_.values();
  std::vector<Chord> earlier;  // the chords of the rows before, registered or not
  for (int action = 0; action < settings::kShortcutCount; ++action) {
    std::vector<const HotkeyRow*> rows;
    for (const HotkeyRow& row : kHotkeys) {
      if (row.action == action && ChordOf(row, values).key != 0) rows.push_back(&row);
    }
    ShortcutStatus& status = statuses_[static_cast<std::size_t>(action)];
    const bool same = std::any_of(rows.begin(), rows.end(), [&](const HotkeyRow* row) {
      return std::find(earlier.begin(), earlier.end(), ChordOf(*row, values)) != earlier.end();
    });
    if (same) status.state = ShortcutState::SameAsAnother;
    for (const HotkeyRow* row : rows) {
      const Chord chord = ChordOf(*row, values);
      earlier.push_back(chord);
      if (same) continue;
      // The nudge repeats while its key is held; the others act once a press.
      const platform::Status registered = window.RegisterHotkey(row->id, chord, row->arrow != 0);
      if (registered.ok()) {
        registered_.push_back(row->id);
        if (status.state == ShortcutState::Off) status.state = ShortcutState::Registered;
        // Taken as the user set it; the row says what it costs on this keyboard.
        if (row->arrow == 0 && window.ChordTypesCharacter(chord)) status.types_character = true;
      } else if (status.state != ShortcutState::HeldElsewhere && status.state != ShortcutState::Refused) {
        status = registered.error == platform::Error::Busy
                     ? ShortcutStatus{ShortcutState::HeldElsewhere, registered.system_code}
                     : ShortcutStatus{ShortcutState::Refused, registered.system_code};
      }
    }
  }
}

ShortcutStatus Shortcuts::Try(ShortcutAction action, Chord chord) {
  if (chord.key != 0 && IsReservedKey(chord.key)) return {ShortcutState::Reserved};
  if (!TakesNoTyping(chord)) return {ShortcutState::Typing};
  const settings::ProgramSettings& values = store_.values();
  for (const HotkeyRow& row : kHotkeys) {
    if (row.action != action || RowChord(row, chord).key == 0) continue;
    for (const HotkeyRow& other : kHotkeys) {
      if (other.action != action && ChordOf(other, values) == RowChord(row, chord))
        return {ShortcutState::SameAsAnother};
    }
  }
  if (window_ == nullptr) return {ShortcutState::Registered};
  ShortcutStatus status{ShortcutState::Registered};
  std::vector<int> tried;
  for (const HotkeyRow& row : kHotkeys) {
    const Chord row_chord = RowChord(row, chord);
    if (row.action != action || row_chord.key == 0 || row_chord == ChordOf(row, values)) continue;
    const int id = kTrialId + row.id;
    const platform::Status registered = window_->RegisterHotkey(id, row_chord, false);
    tried.push_back(id);
    if (!registered.ok()) {
      status = registered.error == platform::Error::Busy
                   ? ShortcutStatus{ShortcutState::HeldElsewhere, registered.system_code}
                   : ShortcutStatus{ShortcutState::Refused, registered.system_code};
      break;
    }
  }
  for (int id : tried) window_->UnregisterHotkey(id);
  return status;
}

std::optional<Hotkey> Shortcuts::Decide(int id) const {
  if (std::find(registered_.begin(), registered_.end(), id) == registered_.end()) return std::nullopt;
  for (const HotkeyRow& row : kHotkeys) {
    if (row.id == id) return Hotkey{row.action, row.dx, row.dy};
  }
  return std::nullopt;
}

}  // namespace rc::shell
