// Settings: the text forms of stored values (strict reading, the written angle,
// the port name), and the store over the fake backend: the order it reads and
// writes in, the first run, and what each stored text gives, its fallback included.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/utf8.h"
#include "settings/setting_text.h"
#include "settings/settings_store.h"
#include "started_program.h"

namespace rc::settings {
namespace {

constexpr auto kNo = std::nullopt;

TEST(SettingText, IntegerAndBooleanReadStrictly) {
  // The size in the 16-bit range, the flag.
  struct Case {
    std::wstring text;
    std::optional<std::int64_t> size;
    std::optional<bool> flag;
  };
  // clang-format off
  const Case cases[] = {
      {L"350", 350, true},       {L"  -42 ", -42, true},  {L"+7", 7, true},        {L"\t5\t", 5, true},
      {L"100.5", 100, true},     {L"101.5", 102, true},   {L"1e3", 1000, true},    {L"2.5", 2, true},
      {L"32767", 32767, true},   {L"-32768", -32768, true},
      {L"32768", kNo, true},     {L"-32769", kNo, true},  {L"32767.5", kNo, true},  // rounds to 32768
      {L"0", 0, false},          {L" 0 ", 0, false},      {L"-1", -1, true},
      {L"True", kNo, true},      {L"true", kNo, true},    {L"TRUE", kNo, true},
      {L"False", kNo, false},    {L"fALSE", kNo, false},
      {L"", kNo, kNo},           {L"abc", kNo, kNo},      {L"12abc", kNo, kNo},    {L"1,5", kNo, kNo},
      {L".", kNo, kNo},          {L"1e", kNo, kNo},       {L"--1", kNo, kNo},      {L"yes", kNo, kNo},
      {L"Truex", kNo, kNo},      {L"nan", kNo, kNo},      {L"1e999", kNo, kNo},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.text));
    EXPECT_EQ(TextToInteger(c.text, -32768, 32767), c.size);
    EXPECT_EQ(TextToBoolean(c.text), c.flag);
  }
  // Positions are 32 bits; no text is too long to be refused.
  EXPECT_EQ(TextToInteger(L"40000", INT32_MIN, INT32_MAX), 40000);
  EXPECT_EQ(TextToInteger(std::wstring(100'000, L'9'), INT32_MIN, INT32_MAX), kNo);
  EXPECT_EQ(TextToInteger(std::wstring(100'000, L'x'), INT32_MIN, INT32_MAX), kNo);
}

// A blank before a value of 0 or more, up to fifteen digits, and what is
// written reads back; the largest doubles too, which fifteen digits rounded up
// would put out of range.
TEST(SettingText, AngleIsWrittenWithItsSignPositionAndReadsBack) {
  struct Case {
    double angle;
    std::wstring text;
    double back;
  };
  // clang-format off
  const Case cases[] = {
      {1.5, L" 1.5", 1.5},   {-2.25, L"-2.25", -2.25},   {0, L" 0", 0},   {12, L" 12", 12},
      {1.0 / 3, L" 0.333333333333333", 0.333333333333333},
      {-std::numeric_limits<double>::max(), L"-179769313486231" + std::wstring(294, L'0'), -1.79769313486231e308},
      {1.7976931348623e308, L" 179769313486230" + std::wstring(294, L'0'), 1.7976931348623e308},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.angle);
    EXPECT_EQ(AngleStoreText(c.angle), c.text);
    EXPECT_EQ(TextToDouble(c.text), c.back);
  }
}

TEST(SettingText, ReaderPortNameIsCom1ToCom256ElseCom2) {
  // clang-format off
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"", L"COM2"},        {L"COM2", L"COM2"},    {L"COM5", L"COM5"},     {L"com12", L"COM12"},
      {L" COM3 ", L"COM3"},  {L"COM1", L"COM1"},    {L"COM256", L"COM256"}, {L"COM257", L"COM2"},
      {L"COM0", L"COM2"},    {L"COM05", L"COM2"},   {L"COM", L"COM2"},      {L"COM-1", L"COM2"},
      {L"COM 5", L"COM2"},   {L"LPT1", L"COM2"},    {L"\\\\.\\COM5", L"COM2"}, {L"COM99999999999", L"COM2"},
  };
  // clang-format on
  for (const auto& [stored, port] : cases) EXPECT_EQ(ReaderPortName(stored), port) << ToUtf8(stored);
}

using unit::Calls;
using unit::Stored;

// Every value in one line, so that a difference shows which one.
std::string Text(const ProgramSettings& v) {
  std::string parts;
  for (bool visible : v.PartVisible) parts += visible ? '1' : '0';
  return ToUtf8(v.CrossColor) + " top=" + std::to_string(v.OnTop) + " L=" + std::to_string(v.Length) +
         " T=" + std::to_string(v.Thickness) + " G=" + std::to_string(v.Gap) + " at " + std::to_string(v.XPosition) +
         "," + std::to_string(v.YPosition) + " hold=" + std::to_string(v.HoldPosition) + " parts=" + parts +
         " angle=" + std::to_string(v.CorrectionAngle) + " " + ToUtf8(v.ReaderMode) +
         " ratio=" + ToUtf8(v.LengthRatio) + " " + ToUtf8(v.ReaderPort);
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

// No colour or a Length of 0 is a first run: every value its default, only the
// nineteen part flags written, whatever else was stored. Colour and Length
// alone are not: missing values keep their zero, except a Thickness of 0, which
// would draw nothing (in memory only). A store that lost part flags: with none
// of the nineteen left they are the first run's, written as then; with the
// handle's alone missing the handle shows. Flags that are there keep their
// value, a "0" for the handle too, and missing bar flags among them hide their bars.
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
      {"a Length of 0", {{"Dizodudoz/선택사항/색상", "65280"}, {"Dizodudoz/크기/Length", "0"}, {"Dizodudoz/크기/Gap", "70"}},
       {{"3", "0"}, {"0", "False"}}, first_run, true},
      {"no colour", {{"Dizodudoz/크기/Length", "420"}, {"Dizodudoz/위치/고정", "True"}}, {}, first_run, true},
      {"colour and Length alone", {{"Dizodudoz/선택사항/색상", "255"}, {"Dizodudoz/크기/Length", "420"}}, {{"5", "1"}},
       "255 top=0 L=420 T=50 G=0 at 0,0 hold=0 parts=1000010000000000000 ", false},
      {"no flag at all", unit::kExitSaved, {}, exit_saved + "1111111111111111111 ", true},
      {"all but the handle's", unit::kExitSaved, {{"1", "1"}, {"2", "0"}, {"9", "1"}, {"18", "1"}},
       exit_saved + "1100000001000000001 ", false},
      {"the handle's alone, off", unit::kExitSaved, {{"0", "0"}}, exit_saved + "0000000000000000000 ", false},
      {"the handle's off, bars on", unit::kExitSaved, {{"0", "0"}, {"3", "1"}}, exit_saved + "0001000000000000000 ", false},
      {"the handle's not a flag", unit::kExitSaved, {{"0", "x"}}, exit_saved + "1000000000000000000 ", false},
      {"one bar's alone, off", unit::kExitSaved, {{"7", "False"}}, exit_saved + "1000000000000000000 ", false},
  };
  // clang-format on
  Calls all_flags;
  for (int i = 0; i <= 18; ++i) all_flags.push_back("save Dizodudoz/폼/" + std::to_string(i) + "=1");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Stored stored = c.base;
    for (const auto& [key, text] : c.flags) stored.emplace_back("Dizodudoz/폼/" + key, text);
    Store s(stored);
    EXPECT_EQ(Text(s.store.values()), c.values + "angle=0.000000 지적통합 ratio= COM2");
    EXPECT_EQ(s.platform.log.With("save"), c.written ? all_flags : Calls{});
  }
}

// One value changed at a time in an installation's store.
TEST(SettingsStore, EachStoredTextIsReadOrFallsBackAloneToItsDefault) {
  // clang-format off
  const Stored installed = {
      {"Dizodudoz/선택사항/색상", "255"}, {"Dizodudoz/선택사항/항상위", "False"}, {"Dizodudoz/크기/Length", "420"},
      {"Dizodudoz/크기/Thickness", "20"}, {"Dizodudoz/크기/Gap", "140"}, {"Dizodudoz/위치/고정", "True"},
      {"Dizodudoz/위치/XPosition", "40000"} /* 32 bits: beyond 2184 pixels */, {"Dizodudoz/위치/YPosition", "-300"},
      {"기계보정/각도/각도", " 30"}, {"기계보정/모드/모드", "Wintab 전환"}, {"기계보정/길이비율/길이비율", "1,1"},
      {"기계보정/포트/포트", "COM3"}, {"Dizodudoz/폼/0", "1"}, {"Dizodudoz/폼/4", "0"},
  };
  // clang-format on
  const ProgramSettings as_installed = Store(installed).store.values();
  EXPECT_EQ(Text(as_installed),
            "255 top=0 L=420 T=20 G=140 at 40000,-300 hold=1 parts=1000000000000000000 angle=30.000000 Wintab 전환 "
            "ratio=1,1 COM3");
  struct Case {
    std::string path, text;
    void (*change)(ProgramSettings&);
  };
  // clang-format off
  const Case cases[] = {
      // Read as stored.
      {"Dizodudoz/선택사항/항상위", "true", [](ProgramSettings& e) { e.OnTop = true; }},
      {"Dizodudoz/위치/고정", "0", [](ProgramSettings& e) { e.HoldPosition = false; }},
      {"Dizodudoz/폼/4", "-1", [](ProgramSettings& e) { e.PartVisible[4] = true; }},
      {"Dizodudoz/위치/XPosition", "100.5", [](ProgramSettings& e) { e.XPosition = 100; }},
      {"Dizodudoz/크기/Gap", "0", [](ProgramSettings& e) { e.Gap = 0; }},  // valid: a solid cross
      {"Dizodudoz/크기/Gap", "-0.4", [](ProgramSettings& e) { e.Gap = 0; }},
      {"Dizodudoz/크기/Thickness", "0.6", [](ProgramSettings& e) { e.Thickness = 1; }},
      {"기계보정/각도/각도", "-2.25", [](ProgramSettings& e) { e.CorrectionAngle = -2.25; }},
      {"기계보정/모드/모드", "", [](ProgramSettings& e) { e.ReaderMode = kModeReaderLink; }},
      {"기계보정/길이비율/길이비율", "2,0.5", [](ProgramSettings& e) { e.LengthRatio = L"2,0.5"; }},
      {"기계보정/포트/포트", " com12 ", [](ProgramSettings& e) { e.ReaderPort = L"COM12"; }},
      // Not converting: that value's default, the rest as stored.
      {"Dizodudoz/선택사항/항상위", "maybe", [](ProgramSettings& e) { e.OnTop = true; }},
      {"Dizodudoz/위치/고정", "?", [](ProgramSettings& e) { e.HoldPosition = false; }},
      {"Dizodudoz/폼/4", "x", [](ProgramSettings& e) { e.PartVisible[4] = true; }},
      {"Dizodudoz/크기/Thickness", "abc", [](ProgramSettings& e) { e.Thickness = 50; }},
      {"Dizodudoz/크기/Gap", "99999", [](ProgramSettings& e) { e.Gap = 350; }},
      {"Dizodudoz/위치/XPosition", std::string(100'000, '7'), [](ProgramSettings& e) { e.XPosition = 14400; }},
      {"Dizodudoz/위치/YPosition", "1e400", [](ProgramSettings& e) { e.YPosition = 8100; }},
      {"기계보정/각도/각도", "12abc", [](ProgramSettings& e) { e.CorrectionAngle = 0; }},
      // Sizes that draw nothing; a Length of 0 is a first run instead.
      {"Dizodudoz/크기/Thickness", "0", [](ProgramSettings& e) { e.Thickness = 50; }},
      {"Dizodudoz/크기/Thickness", "0.4", [](ProgramSettings& e) { e.Thickness = 50; }},
      {"Dizodudoz/크기/Thickness", "-60", [](ProgramSettings& e) { e.Thickness = 50; }},
      {"Dizodudoz/크기/Length", "-350", [](ProgramSettings& e) { e.Length = 350; }},
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
    EXPECT_TRUE(s.platform.fake_messages.shown.empty());
    EXPECT_TRUE(s.platform.log.With("save").empty()) << "the store keeps what it had";
  }
}

// Eight values, the flags as words, the handle's edges rounded halves to even
// and beyond 16 bits; part flags and the correction values when changed, the
// memory following the flags only after the reload, which reads the bars' flags.
TEST(SettingsStore, WhatEachSaveWrites) {
  Store s({});
  ProgramSettings& v = s.store.values();
  v.OnTop = false, v.HoldPosition = true, v.Gap = 140;
  v.CorrectionAngle = -2.25, v.ReaderMode = kModeWintab, v.LengthRatio = L"1,1";
  s.platform.log.Clear();
  EXPECT_FALSE(s.store.SaveExitSettings(40000.5f, -1501.5f));
  (void)s.store.SaveCorrectionSettings();
  (void)s.store.SavePartVisible(7, false);
  EXPECT_EQ(
      s.platform.log.With("save"),
      (Calls{"save Dizodudoz/선택사항/색상=255", "save Dizodudoz/선택사항/항상위=False",
             "save Dizodudoz/선택사항/불투명도=100", "save Dizodudoz/크기/Length=350",
             "save Dizodudoz/크기/Thickness=50", "save Dizodudoz/크기/Gap=140", "save Dizodudoz/위치/XPosition=40000",
             "save Dizodudoz/위치/YPosition=-1502", "save Dizodudoz/위치/고정=True",
             "save 기계보정/각도/각도=-2.25", "save 기계보정/모드/모드=Wintab 전환",
             "save 기계보정/길이비율/길이비율=1,1", "save Dizodudoz/폼/7=0"}));
  EXPECT_TRUE(v.PartVisible[7]) << "memory follows only after the reload";
  s.platform.log.Clear();
  s.store.ReloadPartVisible();
  EXPECT_FALSE(v.PartVisible[7]);
  EXPECT_EQ(s.platform.log.all().size(), 18u);
  EXPECT_TRUE(s.platform.log.With("get Dizodudoz/폼/0").empty()) << "not the handle's";
  v.OnTop = true, v.HoldPosition = false;
  (void)s.store.SaveExitSettings(0, 0);
  EXPECT_EQ(s.platform.fake_settings.Value("Dizodudoz/선택사항/항상위"), "True");
  EXPECT_EQ(s.platform.fake_settings.Value("Dizodudoz/위치/고정"), "False");
}

// The first value that could not be written is named, the rest is written; the
// store itself shows nothing (the code that asked for the save does).
TEST(SettingsStore, AFailedWriteNamesTheFirstValueAndTheRestIsWritten) {
  Store s({});
  s.platform.fake_settings.failing_paths = {"Dizodudoz/위치/XPosition", "Dizodudoz/크기/Gap"};
  const WriteResult failed = s.store.SaveExitSettings(0, 0);
  ASSERT_TRUE(failed);
  EXPECT_EQ(ToUtf8(WriteFailedText(*failed, s.platform.messages())),
            "설정을 저장하지 못했습니다: Dizodudoz\\크기\\Gap\nerror 5");
  EXPECT_TRUE(s.platform.fake_messages.shown.empty());
  EXPECT_EQ(s.platform.fake_settings.Value("Dizodudoz/크기/Thickness"), "50");
}

// The handle's edge as the stored position: one rule for the repaint and the
// exit save, exact across the 16-bit edges, and an edge no screen has keeps
// the position it had.
TEST(PositionFromEdge, RoundsHalvesToEvenIn32BitsAndKeepsWhatIsNoPosition) {
  // clang-format off
  const std::pair<float, std::int32_t> cases[] = {
      {32767.f, 32767},       {32767.5f, 32768},      {-32768.f, -32768},  {-32768.5f, -32768},
      {-32769.5f, -32770},    {40000.5f, 40000},      {-1501.5f, -1502},   {3e9f, 7},
      {-3e9f, 7},             {std::numeric_limits<float>::infinity(), 7}, {std::numeric_limits<float>::quiet_NaN(), 7},
  };
  // clang-format on
  for (const auto& [edge, position] : cases) EXPECT_EQ(PositionFromEdge(edge, 7), position) << edge;
}

}  // namespace
}  // namespace rc::settings
