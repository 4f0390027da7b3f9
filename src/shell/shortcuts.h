#pragma once
// The global shortcuts: each action's chord from the settings, registered with
// the system on the start-up window so that it works whichever program has the
// keyboard; what became of each registration; which action a pressed chord is.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/shell_window.h"
#include "settings/settings_store.h"

namespace rc::shell {

enum class ShortcutState {
  Off,            // no chord: switched off by the user
  Registered,     // works
  HeldElsewhere,  // another program holds the chord
  SameAsAnother,  // an earlier row of this program has the same chord (a change: another row)
  Refused,        // the system refused it for another reason
  Reserved,       // the system's own key (F12)
  Typing,         // it would swallow typing (no Ctrl or Alt): not taken
};
struct ShortcutStatus {
  ShortcutState state = ShortcutState::Off;
  std::uint32_t system_code = 0;  // Refused: the system's reason
  bool types_character = false;   // Registered: an installed layout types a character with it
};
// What a row of the properties dialog says: "" when the chord works or there is
// none, "이 자판에서는 문자 입력과 겹침" when it works but an installed layout
// types a character with it, "다른 프로그램이 사용 중", "다른 동작과 같음", "사용할 수 없음 (<system text>)",
// "사용할 수 없음 (F12)".
std::wstring ShortcutStateText(const ShortcutStatus& status, std::wstring_view system_text);

// A pressed chord: its action, and for the nudge the step (-1, 0 or 1 each way).
struct Hotkey {
  settings::ShortcutAction action;
  int dx = 0, dy = 0;
};

// Follows the stored chords: a change registers them again.
class Shortcuts final : public settings::SettingsObserver {
 public:
  explicit Shortcuts(settings::SettingsStore& store) : store_(store) {
    store_.Subscribe(*this, {settings::Setting::Shortcut});
  }
  ~Shortcuts() { store_.Unsubscribe(*this); }
  Shortcuts(const Shortcuts&) = delete;
  Shortcuts& operator=(const Shortcuts&) = delete;

  // Releases every chord held and registers each action's again, row by row:
  // a chord that an earlier row has is refused. A chord refused now stays in
  // the settings, tried again at the next call (the start, 속성 opening).
  void RegisterAll(platform::ShellWindow& window);
  // The same on the window given before (when 속성 opens).
  void RegisterAgain() {
    if (window_ != nullptr) RegisterAll(*window_);
  }
  // Whether `chord` can take the place of the action's own: it swallows no
  // typing, no other action has it, and the system gives it (tried on spare
  // ids, so that the chord in use stays registered whatever the answer).
  // Registered when it can; else why not.
  ShortcutStatus Try(settings::ShortcutAction action, Chord chord);
  // A chord changed in the store (no key: switched off): registered in place
  // of the old one.
  void OnSettingChanged(settings::Setting) override { RegisterAgain(); }
  const ShortcutStatus& status(settings::ShortcutAction action) const {
    return statuses_[static_cast<std::size_t>(action)];
  }
  // The action of a registered id.
  std::optional<Hotkey> Decide(int id) const;

 private:
  settings::SettingsStore& store_;
  platform::ShellWindow* window_ = nullptr;
  std::array<ShortcutStatus, settings::kShortcutCount> statuses_{};
  std::vector<int> registered_;
};

}  // namespace rc::shell
