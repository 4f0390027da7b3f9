#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/fake/fake_platform.h"
#include "settings/settings_store.h"

namespace rc::settings {
namespace {

using Calls = std::vector<std::string>;

class SettingsStoreTest : public ::testing::Test {
 protected:
  fake::FakePlatform platform;
  fake::FakeSettings& stored = platform.fake_settings();
  SettingsStore store{platform.settings(), platform.screen(), platform.messages()};
  ProgramSettings& v = store.values();

  void Start() {
    store.LoadSettings();
    store.ApplyFirstRunDefaults();
  }
  void PutDisplayed(const std::string& color, const std::string& length) {
    stored.Put("Dizodudoz/선택사항/색상", color);
    stored.Put("Dizodudoz/크기/Length", length);
  }
};

Calls PartCalls(const std::string& verb, const std::string& suffix = "") {
  Calls calls;
  for (int i = 0; i <= 18; ++i) calls.push_back(verb + " Dizodudoz/폼/" + std::to_string(i) + suffix);
  return calls;
}

TEST_F(SettingsStoreTest, EmptyStoreReadsInOrderThenWritesTheNineteenFlags) {
  Start();
  Calls expected = {
      "get Dizodudoz/선택사항/색상", "get Dizodudoz/선택사항/항상위", "get Dizodudoz/크기/Length",
      "get Dizodudoz/크기/Thickness", "get Dizodudoz/크기/Gap",       "get Dizodudoz/위치/XPosition",
      "get Dizodudoz/위치/YPosition", "get Dizodudoz/위치/고정",       "get 기계보정/각도/각도",
      "get 기계보정/모드/모드",       "get 기계보정/길이비율/길이비율", "get 기계보정/포트/포트",
  };
  for (auto& c : PartCalls("get")) expected.push_back(c);
  for (auto& c : PartCalls("save", "=1")) expected.push_back(c);
  EXPECT_EQ(platform.log.all(), expected);

  Calls flags;
  for (int i = 0; i <= 18; ++i) flags.push_back("Dizodudoz/폼/" + std::to_string(i) + "=1");
  Calls dump = stored.Dump();
  std::sort(flags.begin(), flags.end());
  std::sort(dump.begin(), dump.end());
  EXPECT_EQ(dump, flags);

  EXPECT_EQ(v.CrossColor, L"255");
  EXPECT_TRUE(v.OnTop);
  EXPECT_EQ(v.Length, 350);
  EXPECT_EQ(v.Thickness, 50);
  EXPECT_EQ(v.Gap, 350);
  EXPECT_EQ(v.XPosition, 14400);  // 1920 px * 15 / 2
  EXPECT_EQ(v.YPosition, 8100);
  EXPECT_FALSE(v.HoldPosition);
  EXPECT_EQ(v.ReaderMode, L"지적통합");
  EXPECT_TRUE(v.LengthRatio.empty());
  for (bool visible : v.PartVisible) EXPECT_TRUE(visible);
}

TEST_F(SettingsStoreTest, ZeroLengthResetsEveryFlagInMemoryAndInTheStore) {
  PutDisplayed("65280", "0");
  stored.Put("Dizodudoz/폼/3", "0");
  stored.Put("Dizodudoz/폼/0", "False");
  Start();
  EXPECT_EQ(v.CrossColor, L"255");
  EXPECT_EQ(v.Length, 350);
  EXPECT_EQ(stored.Value("Dizodudoz/폼/3"), "1");
  EXPECT_EQ(stored.Value("Dizodudoz/폼/0"), "1");
  EXPECT_TRUE(v.PartVisible[3]);
  EXPECT_TRUE(v.PartVisible[0]);
}

TEST_F(SettingsStoreTest, ColourAndLengthWithoutSizesOrPositionsKeepZeroesButAVisibleThickness) {
  PutDisplayed("255", "420");
  stored.Put("Dizodudoz/폼/5", "1");
  Start();
  EXPECT_EQ(v.Length, 420);
  EXPECT_EQ(v.Thickness, 50);  // 0 would draw nothing: in memory only
  EXPECT_EQ(v.Gap, 0);         // a solid cross
  EXPECT_EQ(v.XPosition, 0);
  EXPECT_EQ(v.YPosition, 0);
  EXPECT_TRUE(v.PartVisible[5]);
  EXPECT_FALSE(v.PartVisible[6]);  // missing key: hidden
  EXPECT_TRUE(platform.log.With("save").empty());
}

TEST_F(SettingsStoreTest, StoredFormsAreRead) {
  PutDisplayed("16512", "700");
  const std::pair<std::string, bool> flags[] = {{"True", true}, {"true", true}, {"-1", true},
                                                {"7", true},    {"0", false},   {"False", false}};
  for (int i = 0; i < 6; ++i) stored.Put("Dizodudoz/폼/" + std::to_string(i + 1), flags[i].first);
  stored.Put("Dizodudoz/선택사항/항상위", "False");
  stored.Put("Dizodudoz/위치/고정", "True");
  stored.Put("Dizodudoz/위치/XPosition", "100.5");
  stored.Put("Dizodudoz/위치/YPosition", "101.5");
  stored.Put("기계보정/모드/모드", "");
  stored.Put("기계보정/각도/각도", " 1.5");
  stored.Put("기계보정/길이비율/길이비율", "2,0.5");
  Start();
  for (int i = 0; i < 6; ++i) EXPECT_EQ(v.PartVisible[i + 1], flags[i].second) << flags[i].first;
  EXPECT_FALSE(v.OnTop);
  EXPECT_TRUE(v.HoldPosition);
  EXPECT_EQ(v.XPosition, 100);
  EXPECT_EQ(v.YPosition, 102);
  EXPECT_EQ(v.ReaderMode, L"지적통합");
  EXPECT_EQ(stored.Value("기계보정/모드/모드"), "");
  EXPECT_EQ(v.CorrectionAngle, 1.5);
  EXPECT_EQ(v.LengthRatio, L"2,0.5");
}

bool operator==(const ProgramSettings& a, const ProgramSettings& b) {
  return a.CrossColor == b.CrossColor && a.OnTop == b.OnTop && a.Length == b.Length &&
         a.Thickness == b.Thickness && a.Gap == b.Gap && a.XPosition == b.XPosition &&
         a.YPosition == b.YPosition && a.HoldPosition == b.HoldPosition && a.PartVisible == b.PartVisible &&
         a.CorrectionAngle == b.CorrectionAngle && a.ReaderMode == b.ReaderMode && a.LengthRatio == b.LengthRatio;
}

TEST_F(SettingsStoreTest, AValueThatDoesNotConvertFallsBackAloneToItsDefault) {
  struct Case {
    std::string path, text;
    void (*to_default)(ProgramSettings&);
  };
  const Case cases[] = {
      {"Dizodudoz/선택사항/항상위", "maybe", [](ProgramSettings& e) { e.OnTop = true; }},
      {"Dizodudoz/크기/Thickness", "abc", [](ProgramSettings& e) { e.Thickness = 50; }},
      {"Dizodudoz/크기/Gap", "99999", [](ProgramSettings& e) { e.Gap = 350; }},
      // Sizes that draw nothing; a Length of 0 is the first run instead.
      {"Dizodudoz/크기/Thickness", "0", [](ProgramSettings& e) { e.Thickness = 50; }},
      {"Dizodudoz/크기/Thickness", "0.4", [](ProgramSettings& e) { e.Thickness = 50; }},
      {"Dizodudoz/크기/Thickness", "-60", [](ProgramSettings& e) { e.Thickness = 50; }},
      {"Dizodudoz/크기/Thickness", "0.6", [](ProgramSettings& e) { e.Thickness = 1; }},
      {"Dizodudoz/크기/Length", "-350", [](ProgramSettings& e) { e.Length = 350; }},
      {"Dizodudoz/크기/Length", "-32768", [](ProgramSettings& e) { e.Length = 350; }},
      {"Dizodudoz/크기/Gap", "-70", [](ProgramSettings& e) { e.Gap = 350; }},
      {"Dizodudoz/크기/Gap", "-0.4", [](ProgramSettings& e) { e.Gap = 0; }},  // 0 is valid: a solid cross
      {"Dizodudoz/크기/Gap", "0", [](ProgramSettings& e) { e.Gap = 0; }},
      {"Dizodudoz/위치/XPosition", std::string(100'000, '7'), [](ProgramSettings& e) { e.XPosition = 14400; }},
      {"Dizodudoz/위치/YPosition", "1e400", [](ProgramSettings& e) { e.YPosition = 8100; }},
      {"Dizodudoz/위치/고정", "?", [](ProgramSettings& e) { e.HoldPosition = false; }},
      {"기계보정/각도/각도", "12abc", [](ProgramSettings& e) { e.CorrectionAngle = 0; }},
      {"Dizodudoz/폼/4", "x", [](ProgramSettings& e) { e.PartVisible[4] = true; }},
  };
  const std::pair<std::string, std::string> stored_values[] = {
      {"Dizodudoz/선택사항/색상", "255"}, {"Dizodudoz/선택사항/항상위", "False"},
      {"Dizodudoz/크기/Length", "420"},  {"Dizodudoz/크기/Thickness", "20"},
      {"Dizodudoz/크기/Gap", "140"},     {"Dizodudoz/위치/XPosition", "40000"},
      {"Dizodudoz/위치/YPosition", "-300"}, {"Dizodudoz/위치/고정", "True"},
      {"기계보정/각도/각도", " 30"},      {"Dizodudoz/폼/4", "0"},
  };
  ProgramSettings as_stored;
  as_stored.CrossColor = L"255";
  as_stored.Length = 420, as_stored.Thickness = 20, as_stored.Gap = 140;
  as_stored.XPosition = 40000, as_stored.YPosition = -300;  // 32 bits: beyond 2184 pixels
  as_stored.HoldPosition = true, as_stored.CorrectionAngle = 30;
  as_stored.ReaderMode = L"지적통합";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    fake::FakePlatform fresh;
    for (const auto& [path, text] : stored_values) fresh.fake_settings().Put(path, text);
    fresh.fake_settings().Put(c.path, c.text);
    SettingsStore s(fresh.settings(), fresh.screen(), fresh.messages());
    s.LoadSettings();
    s.ApplyFirstRunDefaults();
    ProgramSettings expected = as_stored;
    c.to_default(expected);
    EXPECT_TRUE(s.values() == expected);
    EXPECT_TRUE(fresh.fake_messages().shown.empty());
    EXPECT_TRUE(fresh.log.With("save").empty());
  }
}

TEST_F(SettingsStoreTest, PositionsBeyondSixteenBitsAreWrittenBackAsDecimalText) {
  PutDisplayed("255", "350");
  stored.Put("Dizodudoz/위치/XPosition", "40000");
  Start();
  EXPECT_EQ(v.XPosition, 40000);
  store.SaveExitSettings(40000.f, -1200.f);
  EXPECT_EQ(stored.Value("Dizodudoz/위치/XPosition"), "40000");
  EXPECT_EQ(stored.Value("Dizodudoz/위치/YPosition"), "-1200");
}

TEST_F(SettingsStoreTest, ExitSaveWritesEightValuesInOrder) {
  Start();
  v.OnTop = false;
  v.HoldPosition = true;
  v.Gap = 140;
  platform.log.Clear();
  store.SaveExitSettings(1500.f, 2250.f);
  EXPECT_EQ(platform.log.all(), (Calls{
                                    "save Dizodudoz/선택사항/색상=255",
                                    "save Dizodudoz/선택사항/항상위=False",
                                    "save Dizodudoz/위치/고정=True",
                                    "save Dizodudoz/위치/XPosition=1500",
                                    "save Dizodudoz/위치/YPosition=2250",
                                    "save Dizodudoz/크기/Gap=140",
                                    "save Dizodudoz/크기/Length=350",
                                    "save Dizodudoz/크기/Thickness=50",
                                }));
}

TEST_F(SettingsStoreTest, PartFlagsAndCorrectionValues) {
  Start();
  store.SavePartVisible(7, false);
  EXPECT_TRUE(v.PartVisible[7]);  // memory follows only after the reload
  platform.log.Clear();
  store.ReloadPartVisible();
  EXPECT_FALSE(v.PartVisible[7]);
  Calls reads = PartCalls("get");
  reads.erase(reads.begin());  // index 0 is not re-read
  EXPECT_EQ(platform.log.all(), reads);

  v.CorrectionAngle = -2.25;
  v.ReaderMode = L"Wintab 전환";
  v.LengthRatio = L"1,1";
  platform.log.Clear();
  store.SaveCorrectionSettings();
  EXPECT_EQ(platform.log.all(), (Calls{"save 기계보정/각도/각도=-2.25", "save 기계보정/모드/모드=Wintab 전환",
                                       "save 기계보정/길이비율/길이비율=1,1"}));
}

TEST_F(SettingsStoreTest, AFailedWriteIsReportedOncePerOperationAndTheRestIsWritten) {
  Start();
  stored.failing_paths = {"Dizodudoz/위치/XPosition", "Dizodudoz/크기/Gap"};
  store.SaveExitSettings(0, 0);
  ASSERT_EQ(platform.fake_messages().shown.size(), 1u);
  EXPECT_EQ(platform.fake_messages().owners, std::vector<std::string>{""}) << "no dialog: modal to the program";
  EXPECT_NE(platform.fake_messages().shown[0].find("Dizodudoz\\위치\\XPosition"), std::string::npos);
  EXPECT_NE(platform.fake_messages().shown[0].find("error 5"), std::string::npos);
  EXPECT_EQ(stored.Value("Dizodudoz/크기/Thickness"), "50");
}

}  // namespace
}  // namespace rc::settings
