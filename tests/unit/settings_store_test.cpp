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
      "get 기계보정/모드/모드",       "get 기계보정/길이비율/길이비율",
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

TEST_F(SettingsStoreTest, ColourAndLengthWithoutSizesOrPositionsKeepZeroes) {
  PutDisplayed("255", "420");
  stored.Put("Dizodudoz/폼/5", "1");
  Start();
  EXPECT_EQ(v.Length, 420);
  EXPECT_EQ(v.Thickness, 0);
  EXPECT_EQ(v.Gap, 0);
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

TEST_F(SettingsStoreTest, AValueThatDoesNotConvertFallsBackAloneToItsDefault) {
  struct Case {
    std::string path, text;
    bool (*fell_back)(const ProgramSettings&);
  };
  const Case cases[] = {
      {"Dizodudoz/선택사항/항상위", "maybe", [](const ProgramSettings& r) { return r.OnTop; }},
      {"Dizodudoz/크기/Thickness", "abc", [](const ProgramSettings& r) { return r.Thickness == 50; }},
      {"Dizodudoz/크기/Gap", "99999", [](const ProgramSettings& r) { return r.Gap == 350; }},
      {"Dizodudoz/위치/XPosition", std::string(100'000, '7'),
       [](const ProgramSettings& r) { return r.XPosition == 14400; }},
      {"Dizodudoz/위치/YPosition", "1e400", [](const ProgramSettings& r) { return r.YPosition == 8100; }},
      {"Dizodudoz/위치/고정", "?", [](const ProgramSettings& r) { return !r.HoldPosition; }},
      {"기계보정/각도/각도", "12abc", [](const ProgramSettings& r) { return r.CorrectionAngle == 0; }},
      {"Dizodudoz/폼/4", "x", [](const ProgramSettings& r) { return r.PartVisible[4]; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    fake::FakePlatform fresh;
    SettingsStore s(fresh.settings(), fresh.screen(), fresh.messages());
    auto& backend = fresh.fake_settings();
    backend.Put("Dizodudoz/선택사항/색상", "255");
    backend.Put("Dizodudoz/선택사항/항상위", "False");
    backend.Put("Dizodudoz/크기/Length", "420");
    backend.Put("Dizodudoz/크기/Thickness", "20");
    backend.Put("Dizodudoz/크기/Gap", "140");
    backend.Put("Dizodudoz/위치/XPosition", "40000");  // 32-bit: beyond 2184 pixels
    backend.Put("Dizodudoz/위치/YPosition", "-300");
    backend.Put("Dizodudoz/위치/고정", "True");
    backend.Put("기계보정/각도/각도", " 30");
    backend.Put("Dizodudoz/폼/4", "0");
    ProgramSettings expected;
    expected.CrossColor = L"255";
    expected.Length = 420, expected.Thickness = 20, expected.Gap = 140;
    expected.XPosition = 40000, expected.YPosition = -300;
    expected.HoldPosition = true, expected.CorrectionAngle = 30;
    backend.Put(c.path, c.text);
    s.LoadSettings();
    s.ApplyFirstRunDefaults();
    ProgramSettings r = s.values();
    EXPECT_TRUE(c.fell_back(r));
    // Every other value is as stored.
    ProgramSettings others = r;
    if (c.path.ends_with("항상위")) others.OnTop = false;
    if (c.path.ends_with("Thickness")) others.Thickness = 20;
    if (c.path.ends_with("Gap")) others.Gap = 140;
    if (c.path.ends_with("XPosition")) others.XPosition = 40000;
    if (c.path.ends_with("YPosition")) others.YPosition = -300;
    if (c.path.ends_with("고정")) others.HoldPosition = true;
    if (c.path.ends_with("각도")) others.CorrectionAngle = 30;
    if (c.path.ends_with("폼/4")) others.PartVisible[4] = false;
    EXPECT_FALSE(others.OnTop);
    EXPECT_EQ(others.Thickness, 20);
    EXPECT_EQ(others.Gap, 140);
    EXPECT_EQ(others.XPosition, 40000);
    EXPECT_EQ(others.YPosition, -300);
    EXPECT_TRUE(others.HoldPosition);
    EXPECT_EQ(others.CorrectionAngle, 30);
    EXPECT_FALSE(others.PartVisible[4]);
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
  EXPECT_NE(platform.fake_messages().shown[0].find("Dizodudoz\\위치\\XPosition"), std::string::npos);
  EXPECT_NE(platform.fake_messages().shown[0].find("error 5"), std::string::npos);
  EXPECT_EQ(stored.Value("Dizodudoz/크기/Thickness"), "50");
}

}  // namespace
}  // namespace rc::settings
