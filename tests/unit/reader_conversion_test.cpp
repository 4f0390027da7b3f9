#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "reader/machine_correction.h"
#include "reader/reading_conversion.h"

namespace rc::reader {
namespace {

using Reply = std::optional<std::string>;
const Reply kNone = std::nullopt;

// One line converted with an empty LastLine.
struct LineCase {
  const char* name;
  double angle;
  const wchar_t* ratio;
  std::string line;
  Reply reply;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class ConvertReadingTable : public ::testing::TestWithParam<LineCase> {};

TEST_P(ConvertReadingTable, RepliesAsExpected) {
  const LineCase& c = GetParam();
  std::string line = c.line;
  std::string last_line;
  Reply reply = ConvertReading(line, last_line, c.angle, c.ratio);
  EXPECT_EQ(reply, c.reply);
  if (reply) {
    EXPECT_EQ(reply->size(), kReplyBytes);
    EXPECT_EQ(last_line, line);
  } else {
    EXPECT_EQ(last_line, "");
  }
}

const std::string kExample1 = "  12345,  23456   0\r";
const std::string kExample3 = "  30000,  40000   0\r";

INSTANTIATE_TEST_SUITE_P(WorkedExamples, ConvertReadingTable, ::testing::Values(
    LineCase{"Plain", 0, L"0,0", kExample1, "000123,000234,1\r"},
    LineCase{"Ratio", 0, L"2,0.5", "  50000,  12346   3\r", "001000,000061,8\r"},
    LineCase{"Angle30", 30, L"0,0", kExample3, "000459,000400,1\r"},
    LineCase{"AngleMinus60Clamped", -60, L"", kExample3, "000000,000400,1\r"},
    LineCase{"StatusFive", 0, L"0,0", "  12345,  23456   5\r", kNone},
    LineCase{"Short", 0, L"0,0", "12345,234560\r", kNone}));

INSTANTIATE_TEST_SUITE_P(LineForms, ConvertReadingTable, ::testing::Values(
    LineCase{"SpaceAsStatusIsNotZero", 0, L"", "  12345,  23456    \r", kNone},
    LineCase{"SixteenCharacters", 0, L"", "12345,12345   0\r", "012345,012345,1\r"},
    LineCase{"FifteenCharacters", 0, L"", "1234,12345   0\r", kNone},
    LineCase{"FieldShorterThanThree", 0, L"", "12,0012345678   0\r", "001200,000123,1\r"},
    LineCase{"LineFeedAtStart", 0, L"", "\n0012345,0012345   0\r", "000012,000123,1\r"},
    LineCase{"SecondCommaEndsY", 0, L"", "  12345,  23,56   0\r", "000123,000230,1\r"},
    LineCase{"TextAfterCrIgnored", 0, L"", kExample1 + "  99999,  99999   3\r", "000123,000234,1\r"},
    LineCase{"CommaAtStart", 0, L"", ",0012345678   3\r", "000000,000123,8\r"},
    LineCase{"EmptySecondField", 0, L"", "00123456789012,0000\r", "000123,000000,1\r"},
    LineCase{"RoundedUpBeforeTruncation", 0, L"", "00123999,0012349   0\r", "000124,000123,1\r"}));

INSTANTIATE_TEST_SUITE_P(Ratio, ConvertReadingTable, ::testing::Values(
    LineCase{"ZeroFactorForX", 0, L"0,2", kExample1, "000123,000469,1\r"},
    LineCase{"ZeroFactorForY", 0, L"2,0", kExample1, "000246,000234,1\r"},
    LineCase{"NegativeClamped", 0, L"-1,-1", kExample1, "000000,000000,1\r"},
    LineCase{"ThousandsDropped", 0, L"1000,1", kExample1, "023450,000234,1\r"},
    LineCase{"AfterCorrection", 30, L"2,1", kExample3, "000919,000400,1\r"},
    LineCase{"WithoutCommaScalesX", 0, L"2", kExample1, "000246,000234,1\r"},
    LineCase{"Garbage", 0, L"abc", kExample1, "000123,000234,1\r"}));

// Lines with no defined conversion: dropped, no reply.
INSTANTIATE_TEST_SUITE_P(Malformed, ConvertReadingTable, ::testing::Values(
    LineCase{"BareCr", 0, L"", "\r", kNone},
    LineCase{"NothingBeforeCr", 0, L"", "\r" + kExample1, kNone},
    LineCase{"NoComma", 0, L"", "  12345   23456   0\r", kNone},
    LineCase{"NoiseBeforeTheReading", 0, L"", "#*?  12345,  23456   0\r", kNone},
    LineCase{"NoiseInTheSecondField", 0, L"", "  12345,x  23456   0\r", kNone},
    LineCase{"CommaAmongSkipped", 0, L"", "1234567890123456,00\r", kNone},
    LineCase{"CommaJustBeforeStatus", 0, L"", "123456789012345600,0\r", kNone},
    LineCase{"NoCr", 0, L"", "  12345,  23456   0", kNone},
    LineCase{"ExponentOverflow", 0, L"", "001E99999,0012345   0\r", kNone},
    LineCase{"RatioOverflow", 0, L"1e308,1", kExample1, kNone}));

TEST(ConvertReading, RepeatsAreAnsweredOnce) {
  const std::string a = kExample1, b = "  45678,  23456   0\r";
  std::string last_line;
  std::vector<Reply> replies;
  for (const std::string& sent : {a, a, b, a}) {
    std::string line = sent;
    replies.push_back(ConvertReading(line, last_line, 0, L"0,0"));
  }
  EXPECT_EQ(replies, (std::vector<Reply>{"000123,000234,1\r", kNone, "000456,000234,1\r",
                                         "000123,000234,1\r"}));
  EXPECT_EQ(last_line, "0012345,00234560000\r");  // as edited, CR included
}

TEST(ConvertReading, DroppedLineDoesNotBlockTheNext) {
  std::string last_line;
  std::string line = kExample1;
  ASSERT_TRUE(ConvertReading(line, last_line, 0, L""));
  line = "  12345,  23456   5\r";
  EXPECT_FALSE(ConvertReading(line, last_line, 0, L""));
  line = "  55555,  23456   0\r";
  EXPECT_TRUE(ConvertReading(line, last_line, 0, L""));
  line = kExample1;
  EXPECT_EQ(ConvertReading(line, last_line, 0, L""), "000123,000234,1\r");
}

// Machine correction with x = 3, y = 4 unless given; values to 12 significant digits.
struct CorrectionCase {
  double x, y, angle, result;
};

TEST(MachineCorrection, WorkedValues) {
  const CorrectionCase cases[] = {
      {3, 4, 30, 4.59807621135},   {3, 4, -60, -1.96410161514}, {3, 4, 90, 4.00000000000},
      {3, 4, 180, -3.00000000000}, {3, 4, 0.5, 3.03479191119},  {3, -4, 30, -0.598076211353},
      {1, 0, 30, 0.866025403784},
  };
  for (const auto& c : cases) {
    double x = c.x, y = c.y;
    EXPECT_NEAR(MachineCorrection(x, y, c.angle), c.result, 5e-12 * std::abs(c.result))
        << c.x << "," << c.y << " by " << c.angle;
  }
}

TEST(MachineCorrection, ZeroAngleChangesNothing) {
  double x = 0, y = 0;
  EXPECT_EQ(MachineCorrection(x, y, 0), 0);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  x = 3, y = 4;
  EXPECT_EQ(MachineCorrection(x, y, 0), 3);
}

TEST(MachineCorrection, ZeroCoordinatesAreReplaced) {
  double x = 0, y = 0;
  double r = MachineCorrection(x, y, 30);
  EXPECT_EQ(x, 1E-14);
  EXPECT_EQ(y, 1E-14);
  EXPECT_NEAR(r, 1.366e-14, 0.001e-14);

  x = 1, y = 0;
  MachineCorrection(x, y, 30);
  EXPECT_EQ(x, 1);
  EXPECT_EQ(y, 1E-14);
}

TEST(MachineCorrection, OppositeOfTheDirectionGivesZeroAndYIsNotRotated) {
  double x = 3, y = 4;
  EXPECT_NEAR(MachineCorrection(x, y, -36.869897645844), 0, 1e-13);
  x = 3, y = 4;
  EXPECT_NEAR(MachineCorrection(x, y, 90), 4, 1e-12);
  EXPECT_EQ(y, 4);
}

}  // namespace
}  // namespace rc::reader
