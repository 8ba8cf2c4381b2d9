// Track files written back byte for byte, and the text form: every track of
// the production and every fixture survives bytes -> text -> bytes, odd
// values and types read back exactly, and bad text is refused at its line.
#include "sync/track_text.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

namespace tessaly::sync {
namespace {

namespace fs = std::filesystem;

TEST(TrackText, EveryProductionTrackAndFixtureRoundTripsToTheSameBytes) {
  std::vector<fs::path> files;
  for (const char* folder : {TESSALY_SOURCE_DIR "/tests/sync/data", TESSALY_BINARY_DIR "/Data/Rocket"}) {
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().extension() == ".track") {
        files.push_back(entry.path());
      }
    }
  }
  ASSERT_GE(files.size(), 30u);  // eleven fixtures and the production's twenty
  for (const fs::path& path : files) {
    SCOPED_TRACE(path.string());
    const std::string bytes = test::readFile(path);
    const TrackFile file = splitTrackBytes(bytes);
    // The keys are the ones the player reads.
    const TrackData read = readTrackBytes(bytes);
    ASSERT_EQ(file.keys.size(), read.keys.size());
    for (std::size_t i = 0; i < read.keys.size(); ++i) {
      EXPECT_EQ(file.keys[i].row, read.keys[i].row);
      EXPECT_EQ(std::memcmp(&file.keys[i].value, &read.keys[i].value, 4), 0);
      EXPECT_EQ(file.keys[i].type, read.keys[i].type);
    }
    TrackTextError error;
    const std::optional<TrackFile> parsed = parseTrackText(trackText(file), error);
    ASSERT_TRUE(parsed) << error.line << ": " << error.message;
    EXPECT_EQ(joinTrackBytes(*parsed), bytes);
  }
}

TEST(TrackText, OddValuesAndTypesReadBackExactly) {
  const float nanWithPayload = [] {
    const std::uint32_t bits = 0xffc01234u;
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
  }();
  const std::vector<SyncKey> keys = {
      {0, -0.0f, KeyType::step},
      {1, std::numeric_limits<float>::denorm_min(), KeyType::linear},
      {2, std::numeric_limits<float>::max(), KeyType::smooth},
      {3, -std::numeric_limits<float>::infinity(), KeyType::ramp},
      {4, nanWithPayload, static_cast<KeyType>(-128)},
      {-7, 0.1f, static_cast<KeyType>(4)},
      {2147483647, 1.0f / 3.0f, KeyType::step},
  };
  const std::string bytes = trackFileBytes(keys);
  ASSERT_EQ(bytes.size(), 4u + 9u * keys.size());
  const std::string text = trackText(splitTrackBytes(bytes));
  EXPECT_NE(text.find("\n0 -0 step\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n4 nan:ffc01234 -128\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\n-7 0.100000001 4\n"), std::string::npos) << text;
  TrackTextError error;
  const std::optional<TrackFile> parsed = parseTrackText(text, error);
  ASSERT_TRUE(parsed) << error.message;
  EXPECT_EQ(joinTrackBytes(*parsed), bytes);

  // What a person types reads too: comments, blank lines, other spacing,
  // windows line ends, and a file that ends without a newline.
  const std::optional<TrackFile> typed =
      parseTrackText("# fades\n\n  0\t1.5   linear  # in\r\n 120 0 step", error);
  ASSERT_TRUE(typed) << error.message;
  EXPECT_EQ(joinTrackBytes(*typed),
            trackFileBytes({{0, 1.5f, KeyType::linear}, {120, 0.0f, KeyType::step}}));
}

TEST(TrackText, BadTextIsRefusedAtItsLine) {
  struct Case {
    const char* text;
    int line;
    const char* message;
  };
  const Case cases[] = {
      {"0 1 step\n10 2\n", 2, "three words"},
      {"0 1 step extra\n", 1, "three words"},
      {"zero 1 step\n", 1, "\"zero\" is not a row"},
      {"2147483648 1 step\n", 1, "is not a row"},
      {"0 1,5 step\n", 1, "\"1,5\" is not a number"},
      {"0 1e39 step\n", 1, "beyond the range of a float"},
      {"0 nan:7f80 step\n", 1, "eight hex digits"},
      {"0 nan:3f800000 step\n", 1, "not the bits of a NaN"},
      {"0 1 linaer\n", 1, "\"linaer\" is not an interpolation"},
      {"0 1 200\n", 1, "is not an interpolation"},
      {"count\n", 1, "takes one value"},
      {"count 1\ncount 1\n", 2, "a second \"count\""},
      {"count x\n", 1, "is not a key count"},
      {"rest 0g\n", 1, "not bytes in hex"},
      {"0 1 step\nrest 00\n1 1 step\n", 3, "a key after \"rest\""},
      {"short 0102\n0 1 step\n", 2, "nothing may follow"},
      {"short 01020304\n", 1, "fewer than 4 bytes"},
      {"0 1 step\nshort 01\n", 2, "stands for the whole file"},
      {"count 1\n0 1 step\n1 1 step\n", 0, "less than the 2 keys"},
      {"count -1\n0 1 step\n", 0, "negative count"},
      {"count 3\n0 1 step\nrest 000000000000000000\n", 0, "holds a whole key"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TrackTextError error;
    EXPECT_FALSE(parseTrackText(c.text, error));
    EXPECT_EQ(error.line, c.line);
    EXPECT_NE(error.message.find(c.message), std::string::npos) << error.message;
  }
  // Rows out of order are the file's business, but counted.
  TrackTextError error;
  int outOfOrder = -1;
  EXPECT_TRUE(parseTrackText("5 1 step\n3 1 step\n3 2 step\n9 0 ramp\n", error, &outOfOrder));
  EXPECT_EQ(outOfOrder, 2);
}

}  // namespace
}  // namespace tessaly::sync
