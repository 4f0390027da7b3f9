// The reader's rules without a port: bytes into lines, a line into its reply
// (the machine correction that turns X among its rules), and what the user is
// shown of them.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/fake/utf8.h"
#include "reader/line_assembly.h"
#include "reader/link_status.h"
#include "reader/port_choice.h"
#include "reader/port_watch.h"
#include "reader/reading_conversion.h"

namespace rc::reader {
namespace {

using Reply = std::optional<std::string>;
const Reply kNone = std::nullopt;
const std::string kLine = "  12345,  23456   0\r";  // a plain reading
const std::string kLine3 = "  30000,  40000   0\r";

std::vector<std::string> Bytes(const std::string& text) {
  std::vector<std::string> bytes;
  for (char c : text) bytes.emplace_back(1, c);
  return bytes;
}

TEST(LineAssembler, CollectsLinesDropsLineFeedsAndStaysBounded) {
  const std::string full(kReceiveBufferBytes, 'x');
  struct Case {
    const char* name;
    std::vector<std::string> events, lines;
    std::size_t held_after;
  };
  // clang-format off
  const Case cases[] = {
      {"one event", {kLine}, {kLine}, 0},
      {"byte by byte", Bytes(kLine), {kLine}, 0},
      {"two pieces", {"  123", "45,  23456   0\r"}, {kLine}, 0},
      {"two lines in one event: the first", {kLine + "  99999,  99999   3\r"}, {kLine}, 0},
      {"CR LF in one event", {kLine + "\n" + kLine + "\n"}, {kLine}, 0},
      {"CR LF split between events", {kLine, "\n", kLine, "\n"}, {kLine, kLine}, 0},
      {"CR LF byte by byte", Bytes(kLine + "\n" + kLine + "\n"), {kLine, kLine}, 0},
      {"stray LFs", {"\n\n", "  123\n45,  23456   0\r"}, {kLine}, 0},
      {"partial line waits", {"  12345,"}, {}, 8},
      {"bare CR", {"\r"}, {"\r"}, 0},
      {"full buffer held", {full}, {}, kReceiveBufferBytes},
      {"one past the bound starts over", {full, "y", "\r"}, {"y\r"}, 0},
      {"up to the bound", {full.substr(1), "y", "\r"}, {full.substr(1) + "y\r"}, 0},
      {"an event past the bound alone is dropped", {"abc", full + "x", kLine}, {kLine}, 0},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LineAssembler assembler;
    std::vector<std::string> lines;
    for (const std::string& event : c.events)
      if (auto line = assembler.Append(event)) lines.push_back(*line);
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(assembler.held(), c.held_after);
  }
}

// One line converted after `last`, the last line answered (as edited): a line
// becomes the last one only when it is answered.
TEST(ConvertReading, RepliesOrDrops) {
  struct Case {
    const char* name;
    double angle;
    const wchar_t* ratio;
    std::string line;
    Reply reply;
    DropReason why = DropReason::None;
    std::string last = "";
  };
  // clang-format off
  const Case cases[] = {
      // Readings and their replies.
      {"plain", 0, L"0,0", kLine, "000123,000234,1\r"},
      {"ratio, status 3", 0, L"2,0.5", "  50000,  12346   3\r", "001000,000061,8\r"},
      {"angle 30", 30, L"0,0", kLine3, "000459,000400,1\r"},
      {"angle -60 clamped", -60, L"", kLine3, "000000,000400,1\r"},
      {"angle 90: X becomes Y", 90, L"", kLine3, "000400,000400,1\r"},
      {"status 5", 0, L"0,0", "  12345,  23456   5\r", kNone, DropReason::WrongStatus},
      {"short", 0, L"0,0", "12345,234560\r", kNone, DropReason::TooShort},
      // Line forms.
      {"space as status is not 0", 0, L"", "  12345,  23456    \r", kNone, DropReason::WrongStatus},
      {"16 characters", 0, L"", "12345,12345   0\r", "012345,012345,1\r"},
      {"a field begins with 9 or a sign", 0, L"", "98765,-1234   0\r", "098765,000000,1\r"},
      {"or with a point", 0, L"", ".1234,12345   0\r", "000012,012345,1\r"},
      {"15 characters", 0, L"", "1234,12345   0\r", kNone, DropReason::TooShort},
      {"field shorter than three", 0, L"", "12,0012345678   0\r", "001200,000123,1\r"},
      {"LF at the start counts for the point", 0, L"", "\n0012345,0012345   0\r", "000012,000123,1\r"},
      {"second comma ends Y", 0, L"", "  12345,  23,56   0\r", "000123,000230,1\r"},
      {"text after the CR ignored", 0, L"", kLine + "  99999,  99999   3\r", "000123,000234,1\r"},
      {"comma at the start", 0, L"", ",0012345678   3\r", "000000,000123,8\r"},
      {"empty second field", 0, L"", "00123456789012,0000\r", "000123,000000,1\r"},
      {"rounded before truncation", 0, L"", "00123999,0012349   0\r", "000124,000123,1\r"},
      // The length ratio.
      {"0 for X: X unscaled", 0, L"0,2", kLine, "000123,000469,1\r"},
      {"0 for Y: Y unscaled", 0, L"2,0", kLine, "000246,000234,1\r"},
      {"negative clamped", 0, L"-1,-1", kLine, "000000,000000,1\r"},
      {"thousands dropped", 0, L"1000,1", kLine, "023450,000234,1\r"},
      {"after the correction", 30, L"2,1", kLine3, "000919,000400,1\r"},
      {"without a comma scales X", 0, L"2", kLine, "000246,000234,1\r"},
      {"not a number", 0, L"abc", kLine, "000123,000234,1\r"},
      // Lines with no defined conversion.
      {"bare CR", 0, L"", "\r", kNone, DropReason::Malformed},
      {"nothing before the CR", 0, L"", "\r" + kLine, kNone, DropReason::Malformed},
      {"no comma", 0, L"", "  12345   23456   0\r", kNone, DropReason::Malformed},
      {"noise before the reading", 0, L"", "#*?  12345,  23456   0\r", kNone, DropReason::Malformed},
      {"noise in the second field", 0, L"", "  12345,x  23456   0\r", kNone, DropReason::Malformed},
      {"comma among the skipped", 0, L"", "1234567890123456,00\r", kNone, DropReason::Malformed},
      {"comma just before the status", 0, L"", "123456789012345600,0\r", kNone, DropReason::Malformed},
      {"no CR", 0, L"", "  12345,  23456   0", kNone, DropReason::Malformed},
      {"exponent overflow", 0, L"", "001E99999,0012345   0\r", kNone, DropReason::Malformed},
      {"ratio overflow", 0, L"1e308,1", kLine, kNone, DropReason::Malformed},
      // The last line answered, as edited: the same reading again is a repeat.
      {"repeat", 0, L"", kLine, kNone, DropReason::Repeat, "0012345,00234560000\r"},
      {"another after it", 0, L"", kLine3, "000300,000400,1\r", DropReason::None, "0012345,00234560000\r"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string line = c.line, last_line = c.last;
    const Conversion conversion = ConvertReading(line, last_line, c.angle, c.ratio);
    EXPECT_EQ(conversion.reply, c.reply);
    EXPECT_EQ(conversion.reason, c.why);
    EXPECT_EQ(last_line, c.reply ? line : c.last);
  }
}

// The 수신 row: the line as received, then its reply or why there is none.
TEST(ReceivedText, ShowsTheLineAndWhatBecameOfIt) {
  using Fate = ReceivedLine::Fate;
  struct Case {
    ReceivedLine received;
    const char* text;
  };
  // clang-format off
  const Case cases[] = {
      {{kLine, Fate::Answered, "000123,000234,1\r"}, "  12345,  23456   0 → 000123,000234,1"},
      {{"  12345,  23456   5\r", Fate::Dropped, "", DropReason::WrongStatus},
       "  12345,  23456   5 → 응답 없음: 상태 문자가 0 또는 3이 아님"},
      {{"12345,234560\r", Fate::Dropped, "", DropReason::TooShort}, "12345,234560 → 응답 없음: 16자보다 짧음"},
      {{kLine, Fate::Dropped, "", DropReason::Repeat}, "  12345,  23456   0 → 응답 없음: 바로 앞 읽기와 같음"},
      {{"\r", Fate::Dropped, "", DropReason::Malformed}, " → 응답 없음: 형식이 맞지 않음"},
      {{"\x1b#\x7f\xff,\t  3\r", Fate::Dropped, "", DropReason::Malformed},
       "<1B>#<7F><FF>,<09>  3 → 응답 없음: 형식이 맞지 않음"},
      {{kLine, Fate::NotSent, "000123,000234,1\r", DropReason::None, 1117},
       "  12345,  23456   0 → 000123,000234,1 보내지 못함 (the device said no)"},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(ToUtf8(ReceivedText(c.received, L"the device said no")), c.text);
}

// The chooser's entries: every source merged by name in any case, the first
// friendly name kept without its own "(COMn)", sorted by number, names that
// cannot be stored left out, and the port in use always there and selected.
TEST(PortChoices, MergeSortAndMarkThePortInUse) {
  using Entries = std::vector<std::string>;
  struct Case {
    const char* what;
    std::vector<platform::SerialPortInfo> present;
    std::wstring in_use;
    Entries entries;
    int selected;
    bool open = false;  // the link holds the port in use
  };
  // clang-format off
  const Case cases[] = {
      {"nothing there", {}, L"", {"COM2 (없음)"}, 0},
      {"sorted by number, not by text",
       {{L"COM10", L""}, {L"COM2", L""}, {L"COM9", L"Virtual (COM9)"}}, L"COM9",
       {"COM2", "COM9 — Virtual", "COM10"}, 1},
      {"merged without regard to case, first friendly name wins",
       {{L"COM5", L"USB-SERIAL CH340 (COM5)"}, {L"com5", L"Other"}, {L"COM5", L""}}, L"com5",
       {"COM5 — USB-SERIAL CH340"}, 0},
      {"a friendly name found later, blanks around it", {{L"COM3", L""}, {L"COM3", L" Prolific  (com3)"}}, L"COM2",
       {"COM2 (없음)", "COM3 — Prolific"}, 0},
      {"the port in use is missing among others", {{L"COM1", L""}, {L"COM7", L""}}, L"COM5",
       {"COM1", "COM5 (없음)", "COM7"}, 1},
      {"names that are not COM1 to COM256",
       {{L"CNCA0", L""}, {L"COM0", L""}, {L"COM257", L""}, {L" COM4 ", L""}}, L"",
       {"COM2 (없음)", "COM4"}, 0},
      {"a port held open that the lists miss", {{L"COM1", L""}}, L"COM2", {"COM1", "COM2"}, 1, true},
  };
  // clang-format on
  for (const Case& c : cases) {
    const PortChoices choices = MakePortChoices(c.present, c.in_use, c.open);
    Entries entries;
    for (const PortChoice& choice : choices.choices) entries.push_back(ToUtf8(choice.entry));
    EXPECT_EQ(entries, c.entries) << c.what;
    EXPECT_EQ(choices.selected, c.selected) << c.what;
  }
}

// The start-up note when the port in use would not open: the other ports as the
// chooser lists them, at most three; none when there is no other.
TEST(PortChoices, TheOtherPortsAreNamedAtMostThree) {
  const std::string tail = ". 여기를 누르면 기계보정에서 고를 수 있습니다.";
  const std::pair<std::vector<platform::SerialPortInfo>, std::string> cases[] = {
      {{{L"COM5", L"USB-SERIAL CH340 (COM5)"}, {L"COM2", L""}}, "다른 포트가 있습니다: COM5 — USB-SERIAL CH340" + tail},
      {{{L"COM9", L""}, {L"COM1", L""}, {L"COM7", L""}, {L"COM3", L""}},
       "다른 포트가 있습니다: COM1, COM3, COM7" + tail},
      {{{L"com2", L""}}, ""},
      {{}, ""},
  };
  for (const auto& [present, text] : cases) EXPECT_EQ(ToUtf8(OtherPortsText(present, L"COM2")), text) << text;
}

// A port announced both ways, in either order and letter case, acts once; the
// list's differences are what came and went; the same change later acts again.
TEST(PortWatch, APortAnnouncedBothWaysActsOnce) {
  using Changes = std::vector<std::string>;
  auto text = [](const std::vector<PortChange>& changes) {
    Changes out;
    for (const PortChange& c : changes) out.push_back((c.arrived ? "+" : "-") + ToUtf8(c.name));
    return out;
  };
  const std::vector<platform::SerialPortInfo> at_start{{L"COM1", L""}, {L"COM3", L""}};
  PortWatch watch(at_start);
  using Ports = std::vector<platform::SerialPortInfo>;
  std::int64_t now = 0;
  EXPECT_EQ(text(watch.Listed(Ports{{L"COM1", L""}, {L"COM5", L""}}, now)), (Changes{"-COM3", "+COM5"}));
  EXPECT_EQ(text(watch.Announced(L"com5", true, now += 300)), Changes{}) << "told the other way";
  EXPECT_EQ(text(watch.Announced(L"COM7", true, now)), Changes{"+COM7"});
  EXPECT_EQ(text(watch.Listed(Ports{{L"COM1", L""}, {L"COM5", L""}, {L"COM7", L""}}, now += 100)), Changes{})
      << "the list says it too";
  EXPECT_EQ(text(watch.Announced(L"COM7", false, now += 1000)), Changes{"-COM7"});
  EXPECT_EQ(text(watch.Listed(Ports{{L"COM1", L""}, {L"COM5", L""}}, now)), Changes{});
  EXPECT_EQ(text(watch.Announced(L"COM7", true, now += 100)), Changes{"+COM7"}) << "plugged back at once";
  EXPECT_EQ(text(watch.Announced(L"COM7", true, now += kSameChangeMs)), Changes{"+COM7"})
      << "an arrival long after: its removal went untold";
  EXPECT_EQ(text(watch.Announced(L"COM12", true, now)), Changes{"+COM12"}) << "a port no list shows";
}

}  // namespace
}  // namespace rc::reader
