// The text forms of stored values: strict reading, the written forms, the port name.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "base/utf8.h"
#include "settings/setting_text.h"

namespace rc::settings {
namespace {

constexpr auto kNo = std::nullopt;

TEST(SettingText, IntegerAndBooleanReadStrictly) {
  // The size in the 16-bit range, the flag.
  struct Case { std::wstring text; std::optional<std::int64_t> size; std::optional<bool> flag; };
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
  struct Case { double angle; std::wstring text; double back; };
  const Case cases[] = {
      {1.5, L" 1.5", 1.5},   {-2.25, L"-2.25", -2.25},   {0, L" 0", 0},   {12, L" 12", 12},
      {1.0 / 3, L" 0.333333333333333", 0.333333333333333},
      {-std::numeric_limits<double>::max(), L"-179769313486231" + std::wstring(294, L'0'), -1.79769313486231e308},
      {1.7976931348623e308, L" 179769313486230" + std::wstring(294, L'0'), 1.7976931348623e308},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.angle);
    EXPECT_EQ(AngleStoreText(c.angle), c.text);
    EXPECT_EQ(TextToDouble(c.text), c.back);
  }
}

TEST(SettingText, ReaderPortNameIsCom1ToCom256ElseCom2) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"", L"COM2"},        {L"COM2", L"COM2"},    {L"COM5", L"COM5"},     {L"com12", L"COM12"},
      {L" COM3 ", L"COM3"},  {L"COM1", L"COM1"},    {L"COM256", L"COM256"}, {L"COM257", L"COM2"},
      {L"COM0", L"COM2"},    {L"COM05", L"COM2"},   {L"COM", L"COM2"},      {L"COM-1", L"COM2"},
      {L"COM 5", L"COM2"},   {L"LPT1", L"COM2"},    {L"\\\\.\\COM5", L"COM2"}, {L"COM99999999999", L"COM2"},
  };
  for (const auto& [stored, port] : cases) EXPECT_EQ(ReaderPortName(stored), port) << ToUtf8(stored);
}

}  // namespace
}  // namespace rc::settings
