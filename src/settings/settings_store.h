#pragma once
// The settings store: owns the program-wide settings in memory and their
// persistent copies, read once at start-up and written at a few fixed moments.

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

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
  WhenChanged,     // at once, when the user changes it (the reader's port, a shortcut)
};

class SettingsStore {
 public:
  SettingsStore(platform::SettingsBackend& backend, const platform::Screen& screen);

  ProgramSettings& values() { return values_; }
  const ProgramSettings& values() const { return values_; }

  // Reads every setting in its fixed order. A stored value that does not
  // convert is replaced by that value's default alone.
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
  [[nodiscard]] WriteResult SavePartVisible(int index, bool visible);
  // Re-reads part flags 1 to 18 (not 0), each with its current value as default.
  void ReloadPartVisible();
  [[nodiscard]] WriteResult SaveCorrectionSettings();
  // One value written when the user changes it (Written::WhenChanged).
  [[nodiscard]] WriteResult Save(const SettingKey& key);

  // First-run position: the centre handle's top-left corner at the middle of
  // the primary screen.
  std::int32_t DefaultXPosition() const;
  std::int32_t DefaultYPosition() const;

 private:
  class WriteBatch;

  // Writes the nineteen part flags as "1", as a first run does.
  WriteResult SaveFirstRunPartFlags();

  platform::SettingsBackend& backend_;
  const platform::Screen& screen_;
  ProgramSettings values_;
  // What the last load found of the part flags.
  bool handle_flag_stored_ = false;
  bool any_part_flag_stored_ = false;
};

}  // namespace rc::settings
