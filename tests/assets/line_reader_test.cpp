#include "assets/line_reader.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tessaly::assets {
namespace {

std::vector<std::string> allLines(LineReader& reader) {
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.next(line)) {
    lines.emplace_back(line);
  }
  return lines;
}

std::vector<std::string> textLines(std::string_view text, std::size_t bufferSize) {
  LineReader reader = LineReader::ofText(text, bufferSize);
  return allLines(reader);
}

TEST(LineReader, SplitsAtLfAndCrLfKeepingEmptyLinesAndALastLineWithoutEnd) {
  EXPECT_EQ(textLines("a\nb\r\n\nc\rd\r\n\r\ne", 16),
            (std::vector<std::string>{"a", "b", "", "c\rd", "", "e"}));
  EXPECT_EQ(textLines("a\n", 16), (std::vector<std::string>{"a"}));
  EXPECT_TRUE(textLines("", 16).empty());
}

TEST(LineReader, ALineOfTheBufferSizeOrMoreEndsTheReading) {
  LineReader fits = LineReader::ofText("123456789012345\n123456789012345\r\nlast", 16);
  EXPECT_EQ(allLines(fits).size(), 3u);
  EXPECT_FALSE(fits.stoppedAtLongLine());

  LineReader cut = LineReader::ofText("short\n1234567890123456\nafter\n", 16);
  EXPECT_EQ(allLines(cut), (std::vector<std::string>{"short"}));
  EXPECT_TRUE(cut.stoppedAtLongLine());
  std::string_view line;
  EXPECT_FALSE(cut.next(line));

  // A last line without a line end is held to the same limit.
  EXPECT_EQ(textLines("a\n1234567890123456", 16), (std::vector<std::string>{"a"}));
}

TEST(LineReader, FilesReadInChunksGiveTheSameLinesAsText) {
  std::string text;
  for (int i = 0; i < 500; ++i) {
    text += std::string(static_cast<std::size_t>(i % 15), static_cast<char>('a' + i % 26));
    text += i % 3 == 0 ? "\r\n" : "\n";
  }
  text += "tail without end";
  test::TempDir dir;
  const std::string path = dir.write("lines.txt", text);
  // The smallest chunk (twice the buffer) makes lines and CR LF pairs straddle
  // chunk boundaries again and again.
  LineReader fromFile = LineReader::ofFile(path, 16, 1);
  ASSERT_TRUE(fromFile.isOpen());
  EXPECT_EQ(fromFile.inputSize(), text.size());
  EXPECT_EQ(allLines(fromFile), textLines(text, 16));

  LineReader cut = LineReader::ofFile(
      dir.write("cut.txt", text.substr(0, 300) + std::string(40, 'z') + "\nmore\n"), 16, 1);
  const auto lines = allLines(cut);
  EXPECT_TRUE(cut.stoppedAtLongLine());
  EXPECT_EQ(lines, textLines(text.substr(0, 300) + std::string(40, 'z'), 16));
}

// What fgets with a buffer of `bufferSize` characters returns for `text`,
// without the line ends: the reference the split mode must match.
std::vector<std::string> fgetsPieces(const std::string& text, std::size_t bufferSize) {
  std::vector<std::string> pieces;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t length = std::min(text.size() - at, bufferSize - 1);
    const std::size_t lf = text.find('\n', at);
    if (lf != std::string::npos && lf < at + length) {
      length = lf + 1 - at;
    }
    std::string piece = text.substr(at, length);
    at += length;
    if (!piece.empty() && piece.back() == '\n') {
      piece.pop_back();
      if (!piece.empty() && piece.back() == '\r') {
        piece.pop_back();
      }
    }
    pieces.push_back(piece);
  }
  return pieces;
}

TEST(LineReader, SplitLongLinesComeBackInPiecesAsALineBufferReadsThem) {
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"fits with its line end", std::string(14, 'a') + "\nb\n"},
      {"one too long: an empty line follows", std::string(15, 'a') + "\nb\n"},
      {"CR LF counts toward the piece", std::string(14, 'a') + "\r\nb\r\n"},
      {"several pieces and a last line without end",
       std::string(40, 'x') + "\n" + std::string(31, 'y')},
      {"empty lines", "\n\n\r\nz"},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<std::string> expected = fgetsPieces(c.text, 16);
    LineReader fromText = LineReader::ofText(c.text, 16, LongLines::split);
    EXPECT_EQ(allLines(fromText), expected);
    EXPECT_FALSE(fromText.stoppedAtLongLine());
    // The smallest chunk makes pieces straddle chunk boundaries.
    LineReader fromFile =
        LineReader::ofFile(dir.write("split.txt", c.text), 16, 1, LongLines::split);
    EXPECT_EQ(allLines(fromFile), expected);
  }
  EXPECT_EQ(fgetsPieces(std::string(15, 'a') + "\nb\n", 16),
            (std::vector<std::string>{std::string(15, 'a'), "", "b"}));
}

TEST(LineReader, AFileThatCannotBeOpenedOrADirectoryHasNoLines) {
  test::TempDir dir;
  for (const std::string& path : {std::string("/nonexistent/file.obj"), dir.path().string()}) {
    LineReader reader = LineReader::ofFile(path, 16);
    EXPECT_FALSE(reader.isOpen()) << path;
    std::string_view line;
    EXPECT_FALSE(reader.next(line));
  }
}

}  // namespace
}  // namespace tessaly::assets
