#pragma once
// The settings store: owns the program-wide settings in memory and their
// persistent copies, read once at start-up and written at a few fixed moments.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/message_box.h"
#include "platform/screen.h"
#include "platform/settings_backend.h"
#include "settings/program_settings.h"

namespace rc::settings {

// The first value of one save that could not be written.
struct WriteFailure {
  std::wstring path;  // application\section\key
  std::uint32_t system_code = 0;
};
// Nothing when every value of the save was written. The code that asked for the
// save tells the user, where it can: not while the session ends, when a message
// would hold up the log-off.
using WriteResult = std::optional<WriteFailure>;

// "설정을 저장하지 못했습니다: <path>" and the system's reason on a second line.
std::wstring WriteFailedText(const WriteFailure& failure, platform::MessageBoxes& messages);

// When a stored value is written.
enum class Written {
  AtExit,          // the exit save: the display settings, which a first run resets
  WithCorrection,  // the correction dialog's save
  WhenChanged,     // at once, when it changes (the reader's port, a shortcut, a part flag)
};

// What a change was to, for the parts that follow it. The two positions are
// one setting, and so are the nineteen part flags and the four shortcuts.
enum class Setting : std::uint8_t {
  CrossColor,
  OnTop,
  Opacity,
  Length,
  Thickness,
  Gap,
  Position,
  HoldPosition,
  PartVisible,
  CorrectionAngle,
  ReaderMode,
  LengthRatio,
  ReaderPort,
  Shortcut,
  ExcludeFromCapture,
};

// Hears the changes of the settings it subscribed to, after the change has
// been made and, where its rule says so, written.
class SettingsObserver {
 public:
  virtual void OnSettingChanged(Setting setting) = 0;

 protected:
  ~SettingsObserver() = default;
};

// The one owner of the settings: everything else reads them, and every change
// goes through it. A change applies its setting's rule for when it is written
// (Written) and tells the observers of that setting; a value set to what it
// already is changes nothing.
class SettingsStore {
 public:
  SettingsStore(platform::SettingsBackend& backend, const platform::Screen& screen);
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  const ProgramSettings& values() const { return values_; }

  // `observer` hears every change of these settings until it unsubscribes.
  void Subscribe(SettingsObserver& observer, std::initializer_list<Setting> settings);
  void Unsubscribe(SettingsObserver& observer);

  // One value of the table (anything but a part flag or a shortcut).
  template <typename T>
  [[nodiscard]] WriteResult Set(T ProgramSettings::*field, std::type_identity_t<T> value) {
    T& held = values_.*field;
    if (held == value) return {};
    held = std::move(value);
    return Changed(&held);
  }
  // The centre handle's place: its left and top edge in twips, to the nearest
  // whole twip (an edge that is not such a number keeps the place).
  void SetPosition(float left, float top);
  // The place where a first run puts the handle.
  void ResetPosition();
  // A part switched on or off: written at once, then shown so. A flag that
  // could not be written stays as it was, so that the cross shows what the next
  // start will.
  [[nodiscard]] WriteResult SetPartVisible(int index, bool visible);
  [[nodiscard]] WriteResult SetShortcut(ShortcutAction action, Chord chord);

  // Reads every setting in its fixed order. A stored value that does not
  // convert is replaced by that value's default alone. Tells no one: nothing
  // follows the settings before they are loaded.
  void LoadSettings();
  // Whether this is a first run, as the loaded values say: no colour stored,
  // or a length of 0.
  bool FirstRunDefaultsApply() const;
  // On a first run (no colour stored, or a length of 0): the defaults, and the
  // nineteen part flags written as "1". Otherwise a store that lost every part
  // flag gets the first run's flags, written the same way; one that lost only
  // the centre handle's (never written after a first run) shows the handle.
  [[nodiscard]] WriteResult ApplyFirstRunDefaults();
  // The exit save; the position is the centre handle window's own edges.
  [[nodiscard]] WriteResult SaveExitSettings(float handle_left, float handle_top);
  // The correction dialog's save: the values written with it.
  [[nodiscard]] WriteResult SaveCorrectionSettings();

  // First-run position: the centre handle's top-left corner at the middle of
  // the primary screen.
  std::int32_t DefaultXPosition() const;
  std::int32_t DefaultYPosition() const;

 private:
  class WriteBatch;

  // The value at `field` has changed: written if its row says so, then told.
  WriteResult Changed(const void* field);
  void Tell(Setting setting);
  // Writes the nineteen part flags as "1", as a first run does.
  WriteResult SaveFirstRunPartFlags();

  platform::SettingsBackend& backend_;
  const platform::Screen& screen_;
  ProgramSettings values_;
  // What the last load found of the part flags.
  bool handle_flag_stored_ = false;
  bool any_part_flag_stored_ = false;
  struct Subscription {
    SettingsObserver* observer;
    Setting setting;
  };
  std::vector<Subscription> subscriptions_;
};

}  // namespace rc::settings
