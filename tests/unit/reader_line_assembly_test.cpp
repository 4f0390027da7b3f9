#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "reader/line_assembly.h"

namespace rc::reader {
namespace {

// Feeds the chunks in order and collects every completed line.
std::vector<std::string> Feed(LineAssembler& assembler, const std::vector<std::string>& chunks) {
  std::vector<std::string> lines;
  for (const auto& chunk : chunks)
    if (auto line = assembler.Append(chunk)) lines.push_back(*line);
  return lines;
}

const std::string kLine = "  12345,  23456   0\r";

TEST(LineAssembler, AssemblesLines) {
  struct Case {
    const char* name;
    std::vector<std::string> chunks;
    std::vector<std::string> lines;
    std::size_t held_after;
  };
  std::vector<std::string> bytes;
  for (char c : kLine) bytes.emplace_back(1, c);
  std::vector<std::string> crlf_bytes;
  for (int i = 0; i < 3; ++i)
    for (char c : kLine + "\n") crlf_bytes.emplace_back(1, c);

  const Case cases[] = {
      {"OneChunk", {kLine}, {kLine}, 0},
      {"ByteByByte", bytes, {kLine}, 0},
      {"TwoPieces", {"  123", "45,  23456   0\r"}, {kLine}, 0},
      {"TwoLinesInOneChunkAnswerTheFirst", {kLine + "  99999,  99999   3\r"}, {kLine}, 0},
      // Line feeds are never part of a reading, wherever the CR LF pair is split.
      {"CrLfInOneChunk", {kLine + "\n" + kLine + "\n"}, {kLine}, 0},
      {"CrLfPairsOneByOne", {kLine, "\n", kLine, "\n"}, {kLine, kLine}, 0},
      {"CrLfByteByByte", crlf_bytes, {kLine, kLine, kLine}, 0},
      {"LfAloneIsDropped", {"\n\n", "  123\n45,  23456   0\r"}, {kLine}, 0},
      {"PartialLineWaits", {"  12345,"}, {}, 8},
      {"BareCr", {"\r"}, {"\r"}, 0},
  };
  for (const auto& c : cases) {
    LineAssembler assembler;
    EXPECT_EQ(Feed(assembler, c.chunks), c.lines) << c.name;
    EXPECT_EQ(assembler.held(), c.held_after) << c.name;
  }
}

TEST(LineAssembler, HoldsAtMostTheReceiveBufferWithoutCr) {
  LineAssembler assembler;
  EXPECT_FALSE(assembler.Append(std::string(kReceiveBufferBytes, 'x')));
  EXPECT_EQ(assembler.held(), kReceiveBufferBytes);

  // One more byte: the held text is dropped and assembly starts over with it.
  EXPECT_FALSE(assembler.Append("y"));
  EXPECT_EQ(assembler.held(), 1u);
  EXPECT_EQ(assembler.Append("\r"), "y\r");

  // A chunk longer than the bound on its own is dropped entirely; the next line
  // comes through unchanged.
  EXPECT_FALSE(assembler.Append(std::string(1000, 'x')));
  EXPECT_FALSE(assembler.Append(std::string(kReceiveBufferBytes + 1, 'x')));
  EXPECT_EQ(assembler.held(), 0u);
  EXPECT_EQ(assembler.Append(kLine), kLine);

  // Garbage past the bound, then a reading that starts in a new chunk.
  for (int i = 0; i < 3000; ++i) assembler.Append("z");
  EXPECT_LE(assembler.held(), kReceiveBufferBytes);
  assembler.Clear();
  EXPECT_EQ(Feed(assembler, {"  12345,", "  23456   0\r"}), std::vector<std::string>{kLine});
}

}  // namespace
}  // namespace rc::reader
