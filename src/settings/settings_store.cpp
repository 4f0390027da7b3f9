#include "settings/settings_store.h"

#include <algorithm>
#include <array>
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
  const void* Field(const Values& v) const { return &(v.*field); }
};
struct WordForm {  // True / False; any number reads too
  bool Values::*field;
  bool first_run;
  void Read(Values& v, const std::wstring& text, const SettingsStore&) const {
    v.*field = TextToBoolean(text).value_or(first_run);
  }
  std::wstring Text(const Values& v) const { return BooleanWord(v.*field); }
  void Reset(Values& v, const SettingsStore&) const { v.*field = first_run; }
  const void* Field(const Values& v) const { return &(v.*field); }
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
  const void* Field(const Values& v) const { return &(v.*field); }
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
  const void* Field(const Values& v) const { return &(v.*field); }
};
struct AngleForm {  // a blank before a value of 0 or more
  void Read(Values& v, const std::wstring& text, const SettingsStore&) const {
    v.CorrectionAngle = TextToDouble(text).value_or(0.0);
  }
  std::wstring Text(const Values& v) const { return AngleStoreText(v.CorrectionAngle); }
  void Reset(Values&, const SettingsStore&) const {}
  const void* Field(const Values& v) const { return &v.CorrectionAngle; }
};
struct PortForm {  // COM1 to COM256, else COM2
  void Read(Values& v, const std::wstring& text, const SettingsStore&) const { v.ReaderPort = ReaderPortName(text); }
  std::wstring Text(const Values& v) const { return v.ReaderPort; }
  void Reset(Values&, const SettingsStore&) const {}
  const void* Field(const Values& v) const { return &v.ReaderPort; }
};
struct ShortcutForm {  // "Ctrl+Alt+Shift+H"; the nudge's modifiers alone
  ShortcutAction action;
  bool IsNudge() const { return action == kNudgeShortcut; }
  void Read(Values& v, const std::wstring& text, const SettingsStore&) const {
    Chord& chord = v.Shortcuts[static_cast<std::size_t>(action)];
    const Chord fallback = kShortcutRows[static_cast<std::size_t>(action)].first;
    if (IsNudge()) {
      chord = {TextToNudgeModifiers(text).value_or(fallback.modifiers), 0};
    } else {
      // A chord written by hand that would swallow typing is not taken.
      const std::optional<Chord> stored = TextToChord(text);
      chord = stored && TakesNoTyping(*stored) ? *stored : fallback;
    }
  }
  std::wstring Text(const Values& v) const {
    const Chord chord = v.Shortcuts[static_cast<std::size_t>(action)];
    return IsNudge() ? ModifierText(chord.modifiers) : ChordText(chord);
  }
  void Reset(Values&, const SettingsStore&) const {}
  const void* Field(const Values& v) const { return &v.Shortcuts[static_cast<std::size_t>(action)]; }
};

using Form = std::variant<TextForm, WordForm, SizeForm, PercentForm, PositionForm, AngleForm, PortForm, ShortcutForm>;

// One stored value: what it is, where it is kept, when it is written, and its form.
struct StoredSetting {
  Setting setting;
  SettingKey key;
  Written written;
  Form form;
};

constexpr std::int16_t kInt16Max = std::numeric_limits<std::int16_t>::max();
constexpr std::wstring_view kDisplay = L"Dizodudoz";
constexpr std::wstring_view kCorrection = L"기계보정";
constexpr std::wstring_view kPartSection = L"폼";
constexpr SettingKey ShortcutKey(ShortcutAction a) {
  return {kDisplay, L"단축키", kShortcutRows[static_cast<std::size_t>(a)].key};
}

// Every value the store keeps but the part flags, in the order they are read
// and written. A first run gives those written at exit their defaults.
// clang-format off
const StoredSetting kStoredSettings[] = {
    {Setting::CrossColor, {kDisplay, L"선택사항", L"색상"}, Written::AtExit, TextForm{&Values::CrossColor, L"255", L""}},
    {Setting::OnTop, {kDisplay, L"선택사항", L"항상위"}, Written::AtExit, WordForm{&Values::OnTop, true}},
    {Setting::Opacity, {kDisplay, L"선택사항", L"불투명도"}, Written::AtExit, PercentForm{&Values::Opacity, 100, 10, 100}},
    {Setting::Length, {kDisplay, L"크기", L"Length"}, Written::AtExit, SizeForm{&Values::Length, 350, 0, kInt16Max}},
    {Setting::Thickness, {kDisplay, L"크기", L"Thickness"}, Written::AtExit, SizeForm{&Values::Thickness, 50, 1, kInt16Max}},
    {Setting::Gap, {kDisplay, L"크기", L"Gap"}, Written::AtExit, SizeForm{&Values::Gap, 350, 0, kInt16Max}},
    {Setting::Position, {kDisplay, L"위치", L"XPosition"}, Written::AtExit, PositionForm{&Values::XPosition, false}},
    {Setting::Position, {kDisplay, L"위치", L"YPosition"}, Written::AtExit, PositionForm{&Values::YPosition, true}},
    {Setting::HoldPosition, {kDisplay, L"위치", L"고정"}, Written::AtExit, WordForm{&Values::HoldPosition, false}},
    {Setting::CorrectionAngle, {kCorrection, L"각도", L"각도"}, Written::WithCorrection, AngleForm{}},
    {Setting::ReaderMode, {kCorrection, L"모드", L"모드"}, Written::WithCorrection,
     TextForm{&Values::ReaderMode, L"", kModeReaderLink}},
    {Setting::LengthRatio, {kCorrection, L"길이비율", L"길이비율"}, Written::WithCorrection,
     TextForm{&Values::LengthRatio, L"", L""}},
    {Setting::ReaderPort, {kCorrection, L"포트", L"포트"}, Written::WhenChanged, PortForm{}},
    {Setting::Shortcut, ShortcutKey(kHideShortcut), Written::WhenChanged, ShortcutForm{kHideShortcut}},
    {Setting::Shortcut, ShortcutKey(kBringShortcut), Written::WhenChanged, ShortcutForm{kBringShortcut}},
    {Setting::Shortcut, ShortcutKey(kNudgeShortcut), Written::WhenChanged, ShortcutForm{kNudgeShortcut}},
    {Setting::Shortcut, ShortcutKey(kHoldShortcut), Written::WhenChanged, ShortcutForm{kHoldShortcut}},
    {Setting::ExcludeFromCapture, {kDisplay, L"선택사항", L"캡처제외"}, Written::WhenChanged,
     WordForm{&Values::ExcludeFromCapture, false}},
};
// clang-format on

std::wstring RowText(const StoredSetting& s, const Values& v) {
  return std::visit([&](const auto& form) { return form.Text(v); }, s.form);
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
      if (s.written == written) Save(s.key, RowText(s, store_.values_));
    }
  }
  WriteResult result() const { return failure_; }

 private:
  SettingsStore& store_;
  WriteResult failure_;
};

SettingsStore::SettingsStore(platform::SettingsBackend& backend, const platform::Screen& screen)
    : backend_(backend), screen_(screen) {}

void SettingsStore::Subscribe(SettingsObserver& observer, std::initializer_list<Setting> settings) {
  for (Setting setting : settings) subscriptions_.push_back({&observer, setting});
}

void SettingsStore::Unsubscribe(SettingsObserver& observer) {
  std::erase_if(subscriptions_, [&](const Subscription& s) { return s.observer == &observer; });
}

void SettingsStore::Tell(Setting setting) {
  // A copy: an observer may subscribe or unsubscribe while it is told.
  const std::vector<Subscription> subscriptions = subscriptions_;
  for (const Subscription& s : subscriptions) {
    if (s.setting == setting) s.observer->OnSettingChanged(setting);
  }
}

WriteResult SettingsStore::Changed(const void* field) {
  WriteBatch batch(*this);
  for (const StoredSetting& s : kStoredSettings) {
    if (std::visit([&](const auto& form) { return form.Field(values_); }, s.form) != field) continue;
    if (s.written == Written::WhenChanged) batch.Save(s.key, RowText(s, values_));
    Tell(s.setting);
  }
  return batch.result();
}

void SettingsStore::SetPosition(float left, float top) {
  const std::int32_t x = PositionFromEdge(left, values_.XPosition), y = PositionFromEdge(top, values_.YPosition);
  if (x == values_.XPosition && y == values_.YPosition) return;
  values_.XPosition = x;
  values_.YPosition = y;
  Tell(Setting::Position);
}

void SettingsStore::ResetPosition() {
  SetPosition(static_cast<float>(DefaultXPosition()), static_cast<float>(DefaultYPosition()));
}

WriteResult SettingsStore::SetPartVisible(int index, bool visible) {
  bool& flag = values_.PartVisible.at(static_cast<std::size_t>(index));
  if (flag == visible) return {};
  WriteBatch batch(*this);
  batch.Save({kDisplay, kPartSection, PartKey(index)}, PartFlagText(visible));
  if (batch.result()) return batch.result();
  flag = visible;
  Tell(Setting::PartVisible);
  return {};
}

WriteResult SettingsStore::SetShortcut(ShortcutAction action, Chord chord) {
  Chord& held = values_.Shortcuts.at(static_cast<std::size_t>(action));
  if (held == chord) return {};
  held = chord;
  return Changed(&held);
}

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
    flag = TextToBoolean(backend_.Get(kDisplay, kPartSection, PartKey(i), PartFlagText(flag))).value_or(true);
  }
  // Is any flag there at all? The handle's is, unless the store was damaged.
  auto stored = [&](int i) { return backend_.Contains(kDisplay, kPartSection, PartKey(i)); };
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
  for (int i = 0; i < kPartCount; ++i) batch.Save({kDisplay, kPartSection, PartKey(i)}, L"1");
  return batch.result();
}

WriteResult SettingsStore::SaveExitSettings(float handle_left, float handle_top) {
  SetPosition(handle_left, handle_top);
  WriteBatch batch(*this);
  batch.Save(Written::AtExit);
  return batch.result();
}

WriteResult SettingsStore::SaveCorrectionSettings() {
  WriteBatch batch(*this);
  batch.Save(Written::WithCorrection);
  return batch.result();
}

}  // namespace rc::settings
