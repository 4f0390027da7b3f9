#include "settings/settings_store.h"

#include <limits>
#include <variant>

#include "base/rounding.h"
#include "settings/setting_text.h"

namespace rc::settings {

namespace {

using Values = ProgramSettings;

// The forms a stored value takes. Each reads its text (a text that does not
// convert gives the value's default alone), writes it, and gives the value
// its first-run default. The text read for a missing key is the value's own,
// so a missing key keeps what memory holds.
struct TextForm {  // as it stands
  std::wstring Values::*field;
  std::wstring_view first_run;
  std::wstring_view when_empty;  // memory only: the empty text is kept in the store
  void Read(Values& v, std::wstring text, const SettingsStore&) const {
    v.*field = text.empty() ? std::wstring(when_empty) : std::move(text);
  }
  std::wstring Text(const Values& v) const { return v.*field; }
  void Reset(Values& v, const SettingsStore&) const { v.*field = first_run; }
};
struct WordForm {  // True / False; any number reads too
  bool Values::*field;
  bool first_run;
  void Read(Values& v, const std::wstring& text, const SettingsStore&) const {
    v.*field = TextToBoolean(text).value_or(first_run);
  }
  std::wstring Text(const Values& v) const { return BooleanWord(v.*field); }
  void Reset(Values& v, const SettingsStore&) const { v.*field = first_run; }
};
template <typename T>
struct IntegerForm {  // whole decimal number in [lowest, highest]
  T Values::*field;
  T first_run, lowest, highest;
  void Read(Values& v, const std::wstring& text, const SettingsStore&) const {
    const auto number = TextToInteger(text, lowest, highest);
    v.*field = number ? static_cast<T>(*number) : first_run;
  }
  std::wstring Text(const Values& v) const { return std::to_wstring(v.*field); }
  void Reset(Values& v, const SettingsStore&) const { v.*field = first_run; }
};
// A size that would draw a cross nobody can see or grab does not convert. A
// Length of 0 stays: it is what calls for the first-run defaults.
using SizeForm = IntegerForm<std::int16_t>;
using PercentForm = IntegerForm<int>;
struct PositionForm {  // 32 bits; the first run's is the middle of the primary screen
  std::int32_t Values::*field;
  bool vertical;
  std::int32_t Default(const SettingsStore& store) const {
    return vertical ? store.DefaultYPosition() : store.DefaultXPosition();
  }
  void Read(Values& v, const std::wstring& text, const SettingsStore& store) const {
    const auto number =
        TextToInteger(text, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    v.*field = number ? static_cast<std::int32_t>(*number) : Default(store);
  }
  std::wstring Text(const Values& v) const { return std::to_wstring(v.*field); }
  void Reset(Values& v, const SettingsStore& store) const { v.*field = Default(store); }
};
struct AngleForm {  // a blank before a value of 0 or more
  void Read(Values& v, const std::wstring& text, const SettingsStore&) const {
    v.CorrectionAngle = TextToDouble(text).value_or(0.0);
  }
  std::wstring Text(const Values& v) const { return AngleStoreText(v.CorrectionAngle); }
  void Reset(Values&, const SettingsStore&) const {}
};
struct PortForm {  // COM1 to COM256, else COM2
  void Read(Values& v, const std::wstring& text, const SettingsStore&) const { v.ReaderPort = ReaderPortName(text); }
  std::wstring Text(const Values& v) const { return v.ReaderPort; }
  void Reset(Values&, const SettingsStore&) const {}
};
struct ShortcutForm {  // "Ctrl+Alt+Shift+H"; the nudge's modifiers alone
  ShortcutAction action;
  bool IsNudge() const { return action == kNudgeShortcut; }
  void Read(Values& v, const std::wstring& text, const SettingsStore&) const {
    Chord& chord = v.Shortcuts[static_cast<std::size_t>(action)];
    const Chord fallback = kDefaultShortcuts[static_cast<std::size_t>(action)];
    if (IsNudge()) {
      chord = {TextToNudgeModifiers(text).value_or(fallback.modifiers), 0};
    } else {
      chord = TextToChord(text).value_or(fallback);
    }
  }
  std::wstring Text(const Values& v) const {
    const Chord chord = v.Shortcuts[static_cast<std::size_t>(action)];
    return IsNudge() ? ModifierText(chord.modifiers) : ChordText(chord);
  }
  void Reset(Values&, const SettingsStore&) const {}
};

using Form = std::variant<TextForm, WordForm, SizeForm, PercentForm, PositionForm, AngleForm, PortForm, ShortcutForm>;

struct StoredSetting {
  SettingKey key;
  Written written;
  Form form;
};

constexpr std::int16_t kInt16Max = std::numeric_limits<std::int16_t>::max();

// Every value the store keeps but the part flags, in the order they are read
// and written. A first run gives those written at exit their defaults.
// clang-format off
const StoredSetting kStoredSettings[] = {
    {keys::kCrossColor, Written::AtExit, TextForm{&Values::CrossColor, L"255", L""}},
    {keys::kOnTop, Written::AtExit, WordForm{&Values::OnTop, true}},
    {keys::kOpacity, Written::AtExit, PercentForm{&Values::Opacity, 100, 10, 100}},
    {keys::kLength, Written::AtExit, SizeForm{&Values::Length, 350, 0, kInt16Max}},
    {keys::kThickness, Written::AtExit, SizeForm{&Values::Thickness, 50, 1, kInt16Max}},
    {keys::kGap, Written::AtExit, SizeForm{&Values::Gap, 350, 0, kInt16Max}},
    {keys::kXPosition, Written::AtExit, PositionForm{&Values::XPosition, false}},
    {keys::kYPosition, Written::AtExit, PositionForm{&Values::YPosition, true}},
    {keys::kHoldPosition, Written::AtExit, WordForm{&Values::HoldPosition, false}},
    {keys::kCorrectionAngle, Written::WithCorrection, AngleForm{}},
    {keys::kReaderMode, Written::WithCorrection, TextForm{&Values::ReaderMode, L"", kModeReaderLink}},
    {keys::kLengthRatio, Written::WithCorrection, TextForm{&Values::LengthRatio, L"", L""}},
    {keys::kReaderPort, Written::WhenChanged, PortForm{}},
    {keys::kShortcuts[kHideShortcut], Written::WhenChanged, ShortcutForm{kHideShortcut}},
    {keys::kShortcuts[kBringShortcut], Written::WhenChanged, ShortcutForm{kBringShortcut}},
    {keys::kShortcuts[kNudgeShortcut], Written::WhenChanged, ShortcutForm{kNudgeShortcut}},
    {keys::kShortcuts[kHoldShortcut], Written::WhenChanged, ShortcutForm{kHoldShortcut}},
};
// clang-format on

bool SameKey(const SettingKey& a, const SettingKey& b) {
  return a.application == b.application && a.section == b.section && a.key == b.key;
}

std::wstring PartKey(int index) { return std::to_wstring(index); }

}  // namespace

std::wstring WriteFailedText(const WriteFailure& failure, platform::MessageBoxes& messages) {
  return L"설정을 저장하지 못했습니다: " + failure.path + L"\n" + messages.ErrorText(failure.system_code);
}

// The writes of one operation; the first that fails is the one reported.
class SettingsStore::WriteBatch {
 public:
  explicit WriteBatch(SettingsStore& store) : store_(store) {}

  void Save(const SettingKey& key, std::wstring_view value) {
    const platform::Status status = store_.backend_.Save(key.application, key.section, key.key, value);
    if (!status.ok() && !failure_) {
      failure_ = WriteFailure{
          std::wstring(key.application) + L"\\" + std::wstring(key.section) + L"\\" + std::wstring(key.key),
          status.system_code};
    }
  }
  // Every value written at that moment, in the table's order.
  void Save(Written written) {
    for (const StoredSetting& s : kStoredSettings) {
      if (s.written == written) Save(s.key, std::visit([&](const auto& f) { return f.Text(store_.values_); }, s.form));
    }
  }
  WriteResult result() const { return failure_; }

 private:
  SettingsStore& store_;
  WriteResult failure_;
};

SettingsStore::SettingsStore(platform::SettingsBackend& backend, const platform::Screen& screen)
    : backend_(backend), screen_(screen) {}

std::int32_t SettingsStore::DefaultXPosition() const {
  return static_cast<std::int32_t>(RoundHalfEven(static_cast<double>(screen_.WidthTwips()) / 2));
}

std::int32_t SettingsStore::DefaultYPosition() const {
  return static_cast<std::int32_t>(RoundHalfEven(static_cast<double>(screen_.HeightTwips()) / 2));
}

void SettingsStore::LoadSettings() {
  for (const StoredSetting& s : kStoredSettings) {
    std::visit(
        [&](const auto& form) {
          form.Read(values_, backend_.Get(s.key.application, s.key.section, s.key.key, form.Text(values_)), *this);
        },
        s.form);
  }
  for (int i = 0; i < kPartCount; ++i) {
    bool& flag = values_.PartVisible[static_cast<std::size_t>(i)];
    flag =
        TextToBoolean(backend_.Get(keys::kDisplay, keys::kPartSection, PartKey(i), PartFlagText(flag))).value_or(true);
  }
  // Is any flag there at all? The handle's is, unless the store was damaged.
  auto stored = [&](int i) { return backend_.Contains(keys::kDisplay, keys::kPartSection, PartKey(i)); };
  handle_flag_stored_ = stored(0);
  any_part_flag_stored_ = handle_flag_stored_;
  for (int i = 1; i < kPartCount && !any_part_flag_stored_; ++i) any_part_flag_stored_ = stored(i);
}

bool SettingsStore::FirstRunDefaultsApply() const { return values_.CrossColor.empty() || values_.Length == 0; }

WriteResult SettingsStore::ApplyFirstRunDefaults() {
  ProgramSettings& v = values_;
  if (!FirstRunDefaultsApply()) {
    // Not a first run, but a store whose "폼" section went (deleted by hand or
    // by a cleaner, then the exit save wrote the rest back) would hide the
    // whole cross for good; and without its own flag the handle, the one part
    // that cannot be switched back on.
    if (!any_part_flag_stored_) {
      v.PartVisible.fill(true);
      return SaveFirstRunPartFlags();
    }
    if (!handle_flag_stored_) v.PartVisible[0] = true;
    return {};
  }
  for (const StoredSetting& s : kStoredSettings) {
    if (s.written == Written::AtExit) std::visit([&](const auto& form) { form.Reset(v, *this); }, s.form);
  }
  v.PartVisible.fill(true);
  return SaveFirstRunPartFlags();
}

WriteResult SettingsStore::SaveFirstRunPartFlags() {
  WriteBatch batch(*this);
  for (int i = 0; i < kPartCount; ++i) batch.Save({keys::kDisplay, keys::kPartSection, PartKey(i)}, L"1");
  return batch.result();
}

WriteResult SettingsStore::SaveExitSettings(float handle_left, float handle_top) {
  values_.XPosition = PositionFromEdge(handle_left, values_.XPosition);
  values_.YPosition = PositionFromEdge(handle_top, values_.YPosition);
  WriteBatch batch(*this);
  batch.Save(Written::AtExit);
  return batch.result();
}

WriteResult SettingsStore::SavePartVisible(int index, bool visible) {
  WriteBatch batch(*this);
  batch.Save({keys::kDisplay, keys::kPartSection, PartKey(index)}, PartFlagText(visible));
  return batch.result();
}

void SettingsStore::ReloadPartVisible() {
  for (int i = 1; i < kPartCount; ++i) {
    bool& flag = values_.PartVisible[static_cast<std::size_t>(i)];
    flag =
        TextToBoolean(backend_.Get(keys::kDisplay, keys::kPartSection, PartKey(i), PartFlagText(flag))).value_or(flag);
  }
}

WriteResult SettingsStore::SaveCorrectionSettings() {
  WriteBatch batch(*this);
  batch.Save(Written::WithCorrection);
  return batch.result();
}

WriteResult SettingsStore::Save(const SettingKey& key) {
  WriteBatch batch(*this);
  for (const StoredSetting& s : kStoredSettings) {
    if (SameKey(s.key, key)) batch.Save(key, std::visit([&](const auto& f) { return f.Text(values_); }, s.form));
  }
  return batch.result();
}

}  // namespace rc::settings
