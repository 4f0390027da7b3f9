// Settings: the text forms of stored values, and the store over the fake
// backend: what each stored text gives (its default alone when it does not
// convert), the first run, and what each save writes.
#include <gtest/gtest.h>

#include <limits>

#include "settings/setting_text.h"
#include "settings/settings_store.h"
#include "started_program.h"

namespace rc::settings {
namespace {

using unit::Calls;
using unit::Stored;
constexpr std::uint8_t kAll = modifier::kCtrl | modifier::kAlt | modifier::kShift;

// A chord as stored, and back; the nudge's modifier sets alone.
TEST(SettingText, ChordsAreWrittenInOneOrderAndReadInAny) {
  struct Case {
    std::wstring text;
    std::optional<Chord> chord;
    std::wstring written;  // of the chord read
  };
  // clang-format off
  const Case cases[] = {
      {L"Ctrl+Alt+Shift+H", Chord{kAll, 'H'}, L"Ctrl+Alt+Shift+H"},
      {L" shift+ctrl+alt+h ", Chord{kAll, 'H'}, L"Ctrl+Alt+Shift+H"},
      {L"Win+F24", Chord{modifier::kWin, 0x87}, L"Win+F24"},
      {L"Alt+Num+", Chord{modifier::kAlt, 0x6B}, L"Alt+Num+"},
      {L"Ctrl+-", Chord{modifier::kCtrl, 0xBD}, L"Ctrl+-"},
      {L"Ctrl+Alt+7", Chord{modifier::kCtrl | modifier::kAlt, '7'}, L"Ctrl+Alt+7"},
      {L"ctrl+num5", Chord{modifier::kCtrl, 0x65}, L"Ctrl+Num5"},
      {L"Insert", Chord{0, 0x2D}, L"Insert"}, {L"Num*", Chord{0, 0x6A}, L"Num*"}, {L"Num-", Chord{0, 0x6D}, L"Num-"},
      {L"", Chord{}, L""},  // switched off
      {L"Ctrl+Ctrl+H", std::nullopt, L""}, {L"Ctrl+Alt", std::nullopt, L""}, {L"Ctrl+F25", std::nullopt, L""},
      {L"Ctrl+HH", std::nullopt, L""},     {L"Ctrl + H", std::nullopt, L""}, {L"Hyper+H", std::nullopt, L""},
  };
  // clang-format on
  for (const auto& c : cases) {
    EXPECT_EQ(TextToChord(c.text), c.chord) << ToUtf8(c.text);
    if (c.chord) {
      EXPECT_EQ(ChordText(*c.chord), c.written) << ToUtf8(c.text);
    }
  }
  EXPECT_EQ(ChordText({kAll, 0xFF}), L"") << "a key without a name cannot be stored";
  int named = 0;
  for (std::uint16_t key = 1; key < 0x100; ++key) {
    if (const std::wstring name = KeyText(key); !name.empty()) {
      EXPECT_EQ(TextToChord(name), (Chord{0, key})) << key;
      ++named;
    }
  }
  EXPECT_EQ(named, 98) << "no key lost its name: 0-9, A-Z, F1-F24, Num0-Num9 and the named ones";
  const std::pair<std::wstring, std::optional<std::uint8_t>> nudges[] = {
      {L"Ctrl+Alt+Shift", kAll}, {L"Alt+Win", modifier::kAlt | modifier::kWin},
      {L"win+alt", 9},           {L"", 0},
      {L"Ctrl", std::nullopt},   {L"Ctrl+Alt+H", std::nullopt},
  };
  for (const auto& [text, modifiers] : nudges) EXPECT_EQ(TextToNudgeModifiers(text), modifiers) << ToUtf8(text);
  EXPECT_EQ(ModifierText(modifier::kWin | modifier::kAlt), L"Alt+Win");
}

// Every value in one line, so that a difference shows which one.
std::string Text(const ProgramSettings& v) {
  std::string parts, shortcuts;
  for (bool visible : v.PartVisible) parts += visible ? '1' : '0';
  for (const Chord& chord : v.Shortcuts)
    shortcuts += " " + std::to_string(chord.modifiers) + "/" + std::to_string(chord.key);
  return ToUtf8(v.CrossColor) + " top=" + std::to_string(v.OnTop) + " L=" + std::to_string(v.Length) +
         " T=" + std::to_string(v.Thickness) + " G=" + std::to_string(v.Gap) + " at " + std::to_string(v.XPosition) +
         "," + std::to_string(v.YPosition) + " hold=" + std::to_string(v.HoldPosition) + " parts=" + parts +
         " angle=" + std::to_string(v.CorrectionAngle) + " " + ToUtf8(v.ReaderMode) +
         " ratio=" + ToUtf8(v.LengthRatio) + " " + ToUtf8(v.ReaderPort) + " opacity=" + std::to_string(v.Opacity) +
         " keys" + shortcuts;
}

struct Store {
  explicit Store(const Stored& stored) {
    for (const auto& [path, text] : stored) platform.fake_settings.Put(path, text);
    store.LoadSettings();
    (void)store.ApplyFirstRunDefaults();
  }
  fake::FakePlatform platform;
  SettingsStore store{platform.settings(), platform.screen()};
};

// No colour or a Length of 0 is a first run: every display value its default,
// only the nineteen part flags written, whatever else was stored. Colour and
// Length alone are not: missing values keep their zero, except a Thickness of
// 0, which would draw nothing (in memory only). A store that lost part flags:
// with none of the nineteen left they are the first run's, written as then;
// with the handle's alone missing the handle shows. Flags that are there keep
// their value, a "0" for the handle too.
TEST(SettingsStore, FirstRunMissingValuesAndLostPartFlags) {
  const std::string first_run = "255 top=1 L=350 T=50 G=350 at 14400,8100 hold=0 parts=1111111111111111111 ";
  const std::string exit_saved = "255 top=1 L=350 T=50 G=350 at 6000,4000 hold=0 parts=";
  struct Case {
    const char* name;
    Stored base, flags;
    std::string values;  // before the correction values, the same in every case
    bool written;
  };
  // clang-format off
  const Case cases[] = {
      {"nothing stored", {}, {}, first_run, true},
      {"a Length of 0", {{"Dizodudoz/선택사항/색상", "65280"}, {"Dizodudoz/크기/Length", "0"}, {"Dizodudoz/크기/Gap", "70"},
       {"Dizodudoz/선택사항/불투명도", "50"}}, {{"3", "0"}, {"0", "False"}}, first_run, true},
      {"no colour", {{"Dizodudoz/크기/Length", "420"}, {"Dizodudoz/위치/고정", "True"}}, {}, first_run, true},
      {"colour and Length alone", {{"Dizodudoz/선택사항/색상", "255"}, {"Dizodudoz/크기/Length", "420"}}, {{"5", "1"}},
       "255 top=0 L=420 T=50 G=0 at 0,0 hold=0 parts=1000010000000000000 ", false},
      {"no flag at all", unit::kExitSaved, {}, exit_saved + "1111111111111111111 ", true},
      {"all but the handle's", unit::kExitSaved, {{"1", "1"}, {"2", "0"}, {"9", "1"}, {"18", "1"}},
       exit_saved + "1100000001000000001 ", false},
      {"the handle's alone, off", unit::kExitSaved, {{"0", "0"}}, exit_saved + "0000000000000000000 ", false},
      {"the handle's not a flag", unit::kExitSaved, {{"0", "x"}}, exit_saved + "1000000000000000000 ", false},
  };
  // clang-format on
  Calls all_flags;
  for (int i = 0; i <= 18; ++i) all_flags.push_back("save Dizodudoz/폼/" + std::to_string(i) + "=1");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Stored stored = c.base;
    for (const auto& [key, text] : c.flags) stored.emplace_back("Dizodudoz/폼/" + key, text);
    Store s(stored);
    EXPECT_EQ(Text(s.store.values()),
              c.values + "angle=0.000000 지적통합 ratio= COM2 opacity=100 keys 7/72 7/67 7/0 7/76");
    EXPECT_EQ(s.platform.log.With("save"), c.written ? all_flags : Calls{});
  }
}

// One value changed at a time in an installation's store: read as stored, or,
// when the text does not convert, that value's default alone; nothing written.
TEST(SettingsStore, EachStoredTextIsReadOrFallsBackAloneToItsDefault) {
  // clang-format off
  const Stored installed = {
      {"Dizodudoz/선택사항/색상", "255"}, {"Dizodudoz/선택사항/항상위", "False"}, {"Dizodudoz/크기/Length", "420"},
      {"Dizodudoz/크기/Thickness", "20"}, {"Dizodudoz/크기/Gap", "140"}, {"Dizodudoz/위치/고정", "True"},
      {"Dizodudoz/위치/XPosition", "40000"} /* 32 bits: beyond 2184 pixels */, {"Dizodudoz/위치/YPosition", "-300"},
      {"기계보정/각도/각도", " 30"}, {"기계보정/모드/모드", "Wintab 전환"}, {"기계보정/길이비율/길이비율", "1,1"},
      {"기계보정/포트/포트", "COM3"}, {"Dizodudoz/폼/0", "1"}, {"Dizodudoz/폼/4", "0"},
      {"Dizodudoz/선택사항/불투명도", "60"}, {"Dizodudoz/단축키/숨기기", "Ctrl+Alt+F9"},
      {"Dizodudoz/단축키/이동", "Ctrl+Shift"}, {"Dizodudoz/단축키/고정", ""},
  };
  // clang-format on
  const ProgramSettings as_installed = Store(installed).store.values();
  EXPECT_EQ(Text(as_installed),
            "255 top=0 L=420 T=20 G=140 at 40000,-300 hold=1 parts=1000000000000000000 angle=30.000000 Wintab 전환 "
            "ratio=1,1 COM3 opacity=60 keys 3/120 7/67 6/0 0/0");
  struct Case {
    std::string path, text;
    void (*change)(ProgramSettings&);
  };
  // clang-format off
  const Case cases[] = {
      // Read as stored: a Boolean in any case or as a number, numbers to the nearest, halves to even.
      {"Dizodudoz/선택사항/항상위", "true", [](ProgramSettings& e) { e.OnTop = true; }},
      {"Dizodudoz/위치/고정", " 0 ", [](ProgramSettings& e) { e.HoldPosition = false; }},
      {"Dizodudoz/폼/4", "-1", [](ProgramSettings& e) { e.PartVisible[4] = true; }},
      {"Dizodudoz/위치/XPosition", "100.5", [](ProgramSettings& e) { e.XPosition = 100; }},
      {"Dizodudoz/위치/YPosition", "1e3", [](ProgramSettings& e) { e.YPosition = 1000; }},
      {"Dizodudoz/크기/Gap", "0", [](ProgramSettings& e) { e.Gap = 0; }},  // valid: a solid cross
      {"Dizodudoz/크기/Thickness", "0.6", [](ProgramSettings& e) { e.Thickness = 1; }},
      {"Dizodudoz/크기/Length", "32767", [](ProgramSettings& e) { e.Length = 32767; }},
      {"기계보정/각도/각도", "-2.25", [](ProgramSettings& e) { e.CorrectionAngle = -2.25; }},
      {"기계보정/각도/각도", "1E-05", [](ProgramSettings& e) { e.CorrectionAngle = 1e-5; }},  // a signed exponent
      {"기계보정/모드/모드", "", [](ProgramSettings& e) { e.ReaderMode = kModeReaderLink; }},
      {"기계보정/길이비율/길이비율", "2,0.5", [](ProgramSettings& e) { e.LengthRatio = L"2,0.5"; }},
      {"기계보정/포트/포트", " com12 ", [](ProgramSettings& e) { e.ReaderPort = L"COM12"; }},
      {"기계보정/포트/포트", "COM256", [](ProgramSettings& e) { e.ReaderPort = L"COM256"; }},
      {"Dizodudoz/선택사항/불투명도", "10", [](ProgramSettings& e) { e.Opacity = 10; }},
      {"Dizodudoz/단축키/포인터로", "Alt+Space", [](ProgramSettings& e) { e.Shortcuts[kBringShortcut] = {1, 0x20}; }},
      {"Dizodudoz/단축키/이동", "", [](ProgramSettings& e) { e.Shortcuts[kNudgeShortcut] = {}; }},
      // Not converting: that value's default, the rest as stored.
      {"Dizodudoz/선택사항/항상위", "maybe", [](ProgramSettings& e) { e.OnTop = true; }},
      {"Dizodudoz/위치/고정", "Truex", [](ProgramSettings& e) { e.HoldPosition = false; }},
      {"Dizodudoz/폼/4", "", [](ProgramSettings& e) { e.PartVisible[4] = true; }},
      {"Dizodudoz/크기/Thickness", "abc", [](ProgramSettings& e) { e.Thickness = 50; }},
      {"Dizodudoz/크기/Gap", "32768", [](ProgramSettings& e) { e.Gap = 350; }},
      {"Dizodudoz/크기/Length", "1,5", [](ProgramSettings& e) { e.Length = 350; }},
      {"Dizodudoz/위치/XPosition", std::string(100'000, '7'), [](ProgramSettings& e) { e.XPosition = 14400; }},
      {"Dizodudoz/위치/YPosition", "1e400", [](ProgramSettings& e) { e.YPosition = 8100; }},
      {"기계보정/각도/각도", "12abc", [](ProgramSettings& e) { e.CorrectionAngle = 0; }},
      {"기계보정/각도/각도", "1E", [](ProgramSettings& e) { e.CorrectionAngle = 0; }},  // an exponent without digits
      {"기계보정/포트/포트", "COM05", [](ProgramSettings& e) { e.ReaderPort = L"COM2"; }},
      {"기계보정/포트/포트", "COM257", [](ProgramSettings& e) { e.ReaderPort = L"COM2"; }},
      {"기계보정/포트/포트", "COM1x", [](ProgramSettings& e) { e.ReaderPort = L"COM2"; }},
      {"Dizodudoz/선택사항/불투명도", "9", [](ProgramSettings& e) { e.Opacity = 100; }},
      {"Dizodudoz/선택사항/불투명도", "101", [](ProgramSettings& e) { e.Opacity = 100; }},
      {"Dizodudoz/단축키/숨기기", "Ctrl+Alt+Shift", [](ProgramSettings& e) { e.Shortcuts[kHideShortcut] = {kAll, 'H'}; }},
      {"Dizodudoz/단축키/숨기기", "Shift+H", [](ProgramSettings& e) { e.Shortcuts[kHideShortcut] = {kAll, 'H'}; }},  // types
      {"Dizodudoz/단축키/포인터로", "F12", [](ProgramSettings& e) { e.Shortcuts[kBringShortcut] = {kAll, 'C'}; }},
      {"Dizodudoz/단축키/이동", "Ctrl", [](ProgramSettings& e) { e.Shortcuts[kNudgeShortcut] = {kAll, 0}; }},
      // Sizes that draw nothing; a Length of 0 is a first run instead.
      {"Dizodudoz/크기/Thickness", "0.4", [](ProgramSettings& e) { e.Thickness = 50; }},
      {"Dizodudoz/크기/Gap", "-70", [](ProgramSettings& e) { e.Gap = 350; }},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path + " = " + c.text.substr(0, 20));
    Stored stored = installed;
    stored.emplace_back(c.path, c.text);
    Store s(stored);
    ProgramSettings expected = as_installed;
    c.change(expected);
    EXPECT_EQ(Text(s.store.values()), Text(expected));
    EXPECT_TRUE(s.platform.log.With("save").empty()) << "the store keeps what it had";
  }
}

// Each moment writes its values, in one order: a change of a value written at
// exit or with the correction writes nothing; the exit save the display
// values (the handle's own edges, rounded halves to even, beyond 16 bits; an
// edge that is no number keeps the position), the correction's save its three,
// a change of the port, a shortcut or a part flag its one value at once; a
// part flag that could not be written stays as it was. The first value that
// could not be written is named; the rest is written. Pins the rows each save
// writes, which the scenarios only count.
TEST(SettingsStore, WhatEachSaveWritesAndTheFirstValueThatFailed) {
  Store s({});
  const ProgramSettings& v = s.store.values();
  s.platform.log.Clear();
  (void)s.store.Set(&ProgramSettings::OnTop, false);
  (void)s.store.Set(&ProgramSettings::HoldPosition, true);
  (void)s.store.Set(&ProgramSettings::Gap, 140);
  (void)s.store.Set(&ProgramSettings::Opacity, 70);
  (void)s.store.Set(&ProgramSettings::CorrectionAngle, -2.25);
  (void)s.store.Set(&ProgramSettings::ReaderMode, std::wstring(kModeWintab));
  (void)s.store.Set(&ProgramSettings::LengthRatio, L"1,1");
  EXPECT_EQ(s.platform.log.all(), Calls{});
  s.platform.fake_settings.failing_paths = {"Dizodudoz/크기/Gap", "Dizodudoz/위치/YPosition"};
  const WriteResult failed = s.store.SaveExitSettings(40000.5f, -1501.5f);
  ASSERT_TRUE(failed);
  EXPECT_EQ(ToUtf8(WriteFailedText(*failed, s.platform.messages())),
            "설정을 저장하지 못했습니다: Dizodudoz\\크기\\Gap\nerror 5");
  s.platform.fake_settings.failing_paths.clear();
  EXPECT_FALSE(s.store.SaveCorrectionSettings());
  EXPECT_FALSE(s.store.Set(&ProgramSettings::ReaderPort, L"COM7"));
  EXPECT_FALSE(s.store.SetShortcut(kNudgeShortcut, {modifier::kWin | modifier::kAlt, 0}));
  EXPECT_FALSE(s.store.SetPartVisible(7, false));
  EXPECT_EQ(
      s.platform.log.With("save"),
      (Calls{"save Dizodudoz/선택사항/색상=255", "save Dizodudoz/선택사항/항상위=False",
             "save Dizodudoz/선택사항/불투명도=70", "save Dizodudoz/크기/Length=350",
             "save Dizodudoz/크기/Thickness=50", "save Dizodudoz/크기/Gap=140", "save Dizodudoz/위치/XPosition=40000",
             "save Dizodudoz/위치/YPosition=-1502", "save Dizodudoz/위치/고정=True", "save 기계보정/각도/각도=-2.25",
             "save 기계보정/모드/모드=Wintab 전환", "save 기계보정/길이비율/길이비율=1,1",
             "save 기계보정/포트/포트=COM7", "save Dizodudoz/단축키/이동=Alt+Win", "save Dizodudoz/폼/7=0"}));
  EXPECT_EQ(s.platform.fake_settings.Value("Dizodudoz/위치/XPosition"), "40000");
  EXPECT_FALSE(v.PartVisible[7]);
  s.platform.fake_settings.failing_paths = {"Dizodudoz/폼/8"};
  EXPECT_TRUE(s.store.SetPartVisible(8, false));
  EXPECT_TRUE(v.PartVisible[8]) << "as the next start will show it";
  for (const float edge : {3e9f, std::numeric_limits<float>::quiet_NaN()}) {
    (void)s.store.SaveExitSettings(edge, 0);
    EXPECT_EQ(s.platform.fake_settings.Value("Dizodudoz/위치/XPosition"), "40000") << edge;
  }
}

}  // namespace
}  // namespace rc::settings
