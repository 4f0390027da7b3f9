#include "settings/settings_store.h"

#include <cmath>
#include <limits>

#include "base/rounding.h"
#include "settings/setting_text.h"

namespace rc::settings {

namespace {

constexpr std::int16_t kDefaultLength = 350;
constexpr std::int16_t kDefaultThickness = 50;
constexpr std::int16_t kDefaultGap = 350;
constexpr std::wstring_view kDefaultColor = L"255";

std::wstring PartKey(int index) { return std::to_wstring(index); }

template <typename T>
std::wstring IntegerText(T value) {
  return std::to_wstring(value);
}

}  // namespace

std::wstring WriteFailedText(const WriteFailure& failure, platform::MessageBoxes& messages) {
  return L"설정을 저장하지 못했습니다: " + failure.path + L"\n" + messages.ErrorText(failure.system_code);
}

// The writes of one operation; the first that fails is the one reported.
class SettingsStore::WriteBatch {
 public:
  explicit WriteBatch(SettingsStore& store) : store_(store) {}

  void Save(const SettingKey& key, std::wstring_view value) { Save(key.application, key.section, key.key, value); }
  void Save(std::wstring_view application, std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    const platform::Status status = store_.backend_.Save(application, section, key, value);
    if (!status.ok() && !failure_) {
      failure_ = WriteFailure{std::wstring(application) + L"\\" + std::wstring(section) + L"\\" + std::wstring(key),
                              status.system_code};
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

std::wstring SettingsStore::Read(const SettingKey& key, const std::wstring& current) {
  return backend_.Get(key.application, key.section, key.key, current);
}

template <typename T>
T SettingsStore::ReadInteger(const SettingKey& key, T current, T fallback, T lowest) {
  auto value = TextToInteger(Read(key, IntegerText(current)), lowest, std::numeric_limits<T>::max());
  return value ? static_cast<T>(*value) : fallback;
}

bool SettingsStore::ReadBoolean(const SettingKey& key, bool current, bool fallback) {
  auto value = TextToBoolean(Read(key, BooleanWord(current)));
  return value ? *value : fallback;
}

void SettingsStore::LoadSettings() {
  ProgramSettings& v = values_;
  v.CrossColor = Read(keys::kCrossColor, v.CrossColor);
  v.OnTop = ReadBoolean(keys::kOnTop, v.OnTop, true);
  // Sizes that would draw a cross nobody can see or grab do not convert. A
  // Length of 0 stays: it is what calls for the first-run defaults.
  v.Length = ReadInteger<std::int16_t>(keys::kLength, v.Length, kDefaultLength, 0);
  v.Thickness = ReadInteger<std::int16_t>(keys::kThickness, v.Thickness, kDefaultThickness, 1);
  v.Gap = ReadInteger<std::int16_t>(keys::kGap, v.Gap, kDefaultGap, 0);
  v.XPosition = ReadInteger(keys::kXPosition, v.XPosition, DefaultXPosition());
  v.YPosition = ReadInteger(keys::kYPosition, v.YPosition, DefaultYPosition());
  v.HoldPosition = ReadBoolean(keys::kHoldPosition, v.HoldPosition, false);
  {
    auto angle = TextToDouble(Read(keys::kCorrectionAngle, AngleStoreText(v.CorrectionAngle)));
    v.CorrectionAngle = angle ? *angle : 0.0;
  }
  v.ReaderMode = Read(keys::kReaderMode, v.ReaderMode);
  v.LengthRatio = Read(keys::kLengthRatio, v.LengthRatio);
  v.ReaderPort = ReaderPortName(Read(keys::kReaderPort, v.ReaderPort));
  if (v.ReaderMode.empty()) v.ReaderMode = kModeReaderLink;  // in memory only
  for (int i = 0; i < kPartCount; ++i) {
    std::wstring part = PartKey(i);
    SettingKey key{keys::kDisplay, keys::kPartSection, part};
    v.PartVisible[static_cast<std::size_t>(i)] = ReadBoolean(key, v.PartVisible[static_cast<std::size_t>(i)], true);
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
  v.CrossColor = kDefaultColor;
  v.OnTop = true;
  v.Length = kDefaultLength;
  v.Thickness = kDefaultThickness;
  v.Gap = kDefaultGap;
  v.XPosition = DefaultXPosition();
  v.YPosition = DefaultYPosition();
  v.HoldPosition = false;
  v.PartVisible.fill(true);
  return SaveFirstRunPartFlags();
}

WriteResult SettingsStore::SaveFirstRunPartFlags() {
  WriteBatch batch(*this);
  for (int i = 0; i < kPartCount; ++i) batch.Save(keys::kDisplay, keys::kPartSection, PartKey(i), L"1");
  return batch.result();
}

WriteResult SettingsStore::SaveExitSettings(float handle_left, float handle_top) {
  const ProgramSettings& v = values_;
  WriteBatch batch(*this);
  batch.Save(keys::kCrossColor, v.CrossColor);
  batch.Save(keys::kOnTop, BooleanWord(v.OnTop));
  batch.Save(keys::kHoldPosition, BooleanWord(v.HoldPosition));
  batch.Save(keys::kXPosition, IntegerText(PositionFromEdge(handle_left, v.XPosition)));
  batch.Save(keys::kYPosition, IntegerText(PositionFromEdge(handle_top, v.YPosition)));
  batch.Save(keys::kGap, IntegerText(v.Gap));
  batch.Save(keys::kLength, IntegerText(v.Length));
  batch.Save(keys::kThickness, IntegerText(v.Thickness));
  return batch.result();
}

WriteResult SettingsStore::SavePartVisible(int index, bool visible) {
  WriteBatch batch(*this);
  batch.Save(keys::kDisplay, keys::kPartSection, PartKey(index), PartFlagText(visible));
  return batch.result();
}

void SettingsStore::ReloadPartVisible() {
  for (int i = 1; i < kPartCount; ++i) {
    bool& flag = values_.PartVisible[static_cast<std::size_t>(i)];
    std::wstring part = PartKey(i);
    SettingKey key{keys::kDisplay, keys::kPartSection, part};
    flag = ReadBoolean(key, flag, flag);
  }
}

WriteResult SettingsStore::SaveCorrectionSettings() {
  const ProgramSettings& v = values_;
  WriteBatch batch(*this);
  batch.Save(keys::kCorrectionAngle, AngleStoreText(v.CorrectionAngle));
  batch.Save(keys::kReaderMode, v.ReaderMode);
  batch.Save(keys::kLengthRatio, v.LengthRatio);
  return batch.result();
}

WriteResult SettingsStore::SaveReaderPort() {
  WriteBatch batch(*this);
  batch.Save(keys::kReaderPort, values_.ReaderPort);
  return batch.result();
}

}  // namespace rc::settings
