#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

#include "base/rounding.h"
#include "settings/setting_text.h"

namespace rc::settings {
namespace {

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  struct Case { double in, out; };
  for (Case c : {Case{0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, -0}, {-1.5, -2}, {-2.5, -2},
                 {100.5, 100}, {101.5, 102}, {2.4999, 2}, {2.5001, 3}, {-2.6, -3}}) {
    EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
  }
  EXPECT_DOUBLE_EQ(RoundHalfEvenTo(0.61725, 4), 0.6172);
  EXPECT_DOUBLE_EQ(RoundHalfEvenTo(4.598076211, 4), 4.5981);
}

TEST(SettingText, Integer) {
  struct Case { std::wstring text; std::optional<std::int64_t> value; };
  const Case cases[] = {
      {L"350", 350},        {L"  -42 ", -42},     {L"+7", 7},          {L"100.5", 100},
      {L"101.5", 102},      {L"1e3", 1000},       {L"32767", 32767},   {L"-32768", -32768},
      {L"32768", std::nullopt}, {L"-32769", std::nullopt}, {L"", std::nullopt},
      {L"abc", std::nullopt},   {L"12abc", std::nullopt},  {L"1,5", std::nullopt},
      {L".", std::nullopt},     {L"1e", std::nullopt},     {L"--1", std::nullopt},
      {L"32767.5", std::nullopt},  // rounds to 32768
      {L"\t5\t", 5},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextToInteger(c.text, -32768, 32767), c.value) << std::string(c.text.begin(), c.text.end());
  }
  EXPECT_EQ(TextToInteger(L"40000", INT32_MIN, INT32_MAX), 40000);
  EXPECT_EQ(TextToInteger(std::wstring(100'000, L'9'), INT32_MIN, INT32_MAX), std::nullopt);
  EXPECT_EQ(TextToInteger(std::wstring(100'000, L'x'), INT32_MIN, INT32_MAX), std::nullopt);
}

TEST(SettingText, Boolean) {
  struct Case { std::wstring text; std::optional<bool> value; };
  const Case cases[] = {
      {L"True", true},   {L"true", true},   {L"TRUE", true},  {L"False", false}, {L"fALSE", false},
      {L"1", true},      {L"-1", true},     {L"0", false},    {L"2.5", true},    {L" 0 ", false},
      {L"yes", std::nullopt}, {L"", std::nullopt}, {L"Truex", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextToBoolean(c.text), c.value) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(SettingText, DoubleIgnoresTheLocaleAndRejectsJunk) {
  EXPECT_EQ(TextToDouble(L" 1.5"), 1.5);
  EXPECT_EQ(TextToDouble(L"-2.25"), -2.25);
  EXPECT_EQ(TextToDouble(L"1,5"), std::nullopt);
  EXPECT_EQ(TextToDouble(L"1e999"), std::nullopt);
  EXPECT_EQ(TextToDouble(L"nan"), std::nullopt);
}

TEST(SettingText, ReaderPortName) {
  struct Case { std::wstring stored, port; };
  const Case cases[] = {
      {L"", L"COM2"},        {L"COM2", L"COM2"},     {L"COM5", L"COM5"},     {L"com12", L"COM12"},
      {L" COM3 ", L"COM3"},  {L"COM1", L"COM1"},     {L"COM256", L"COM256"}, {L"COM257", L"COM2"},
      {L"COM0", L"COM2"},    {L"COM05", L"COM2"},    {L"COM", L"COM2"},      {L"COM-1", L"COM2"},
      {L"COM 5", L"COM2"},   {L"LPT1", L"COM2"},     {L"\\\\.\\COM5", L"COM2"}, {L"COM99999999999", L"COM2"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReaderPortName(c.stored), c.port) << std::string(c.stored.begin(), c.stored.end());
}

TEST(SettingText, WrittenForms) {
  EXPECT_EQ(BooleanWord(true), L"True");
  EXPECT_EQ(BooleanWord(false), L"False");
  EXPECT_EQ(PartFlagText(true), L"1");
  EXPECT_EQ(PartFlagText(false), L"0");
  struct Case { double angle; std::wstring text; };
  for (const auto& c : {Case{1.5, L" 1.5"}, {-2.25, L"-2.25"}, {0, L" 0"}, {12, L" 12"},
                        {30, L" 30"}, {0.1, L" 0.1"}, {1.0 / 3, L" 0.333333333333333"}}) {
    EXPECT_EQ(AngleStoreText(c.angle), c.text) << c.angle;
    EXPECT_EQ(TextToDouble(AngleStoreText(c.angle)), std::stod(std::string(c.text.begin(), c.text.end())));
  }
  // The largest doubles: fifteen digits rounded up would not read back.
  EXPECT_EQ(TextToDouble(AngleStoreText(-std::numeric_limits<double>::max())), -1.79769313486231e308);
  EXPECT_EQ(TextToDouble(AngleStoreText(1.7976931348623e308)), 1.7976931348623e308);
}

}  // namespace
}  // namespace rc::settings
