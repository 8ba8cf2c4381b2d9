#include "assets/value_reader.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaly::assets {
namespace {

TEST(ValueReader, NumbersReadLikeFormattedStreamInput) {
  ValueReader values(" +1.5\t-.5 2. 1e3 1E-2 007 1e-50 ");
  float x = -1.0f;
  for (const float expected : {1.5f, -0.5f, 2.0f, 1000.0f, 0.01f, 7.0f, 0.0f}) {
    EXPECT_TRUE(values.number(x));
    EXPECT_EQ(x, expected);
  }
  EXPECT_FALSE(values.number(x));
  EXPECT_EQ(x, 0.0f);
}

TEST(ValueReader, AFailedReadFailsEveryLaterRead) {
  float x = 0.0f;
  // A number read as far as it goes; the rest of the word is not a number.
  ValueReader glued("1.25abc 2");
  EXPECT_TRUE(glued.number(x));
  EXPECT_EQ(x, 1.25f);
  EXPECT_FALSE(glued.number(x));
  EXPECT_FALSE(glued.number(x));
  EXPECT_TRUE(glued.word().empty());
  EXPECT_TRUE(glued.atEnd());

  for (const char* text : {"inf", "nan", "-", "+-1", ".", "1e50", "x1"}) {
    ValueReader values(text);
    x = 5.0f;
    EXPECT_FALSE(values.number(x)) << text;
    EXPECT_EQ(x, 0.0f) << text;
  }
}

TEST(ValueReader, IntegersStopAtTheFirstNonDigitAndRejectOverflow) {
  ValueReader values("12/3 +7 -4 2147483648 9");
  std::int32_t i = 0;
  EXPECT_TRUE(values.integer(i));
  EXPECT_EQ(i, 12);
  EXPECT_TRUE(values.take('/'));
  EXPECT_TRUE(values.integer(i));
  EXPECT_EQ(i, 3);
  EXPECT_TRUE(values.integer(i));
  EXPECT_EQ(i, 7);
  EXPECT_TRUE(values.integer(i));
  EXPECT_EQ(i, -4);
  EXPECT_FALSE(values.integer(i));
  EXPECT_EQ(i, 0);
}

TEST(ValueReader, SkippingStopsJustPastASlashOrASpaceButNotATab) {
  ValueReader values("abc/def\tghi jkl");
  values.skipPastSlashOrSpace();
  EXPECT_EQ(values.word(), "def");
  ValueReader tabbed("1\t2 3");
  std::int32_t i = 0;
  ASSERT_TRUE(tabbed.integer(i));
  tabbed.skipPastSlashOrSpace();
  ASSERT_TRUE(tabbed.integer(i));
  EXPECT_EQ(i, 3);
}

// What from_chars reads from the start of `text` (after a '+', which the
// reader skips), and the rest of the text after it.
template <typename T>
std::pair<T, std::string_view> fromChars(std::string_view text) {
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  T value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc()) return {T{}, {}};
  return {value, text.substr(static_cast<std::size_t>(end - text.data()))};
}

// The reader's quick paths give from_chars' result to the bit, and stop
// where it stops, for every way a content file writes numbers: fixed
// decimals of every width and precision, leading zeros, signs, a point at
// either end, and texts just past the quick paths' limits.
TEST(ValueReader, NumbersAndIntegersAreExactlyWhatFromCharsReads) {
  std::vector<std::string> texts = {
      "0", "-0", "-0.000000", "0.1", "0.2", "0.3", "16777216", "16777217", "16777215.5",
      "1.6777217", "0.0000000001", "0.00000000001", "1234567890", "3.4028235e38", ".5", "5.",
      "-.25", "007.50", "0.955336", "123.456789", "9999999999", "1.5e3", "2E-2", "1.5x",
      "0x10", "1.2.3", "00000000000000000000000001", "+3.25", "1/2/3"};
  // Fixed decimals as content tools write them, over many magnitudes.
  std::uint32_t state = 12345;
  const auto random = [&] {
    state = state * 1664525u + 1013904223u;
    return state;
  };
  char buffer[64];
  for (int i = 0; i < 20000; ++i) {
    const double magnitude = std::pow(10.0, static_cast<int>(random() % 12) - 5);
    const double value = (static_cast<double>(random()) / 4294967296.0 - 0.5) * magnitude;
    std::snprintf(buffer, sizeof buffer, "%.*f", static_cast<int>(random() % 11), value);
    texts.emplace_back(buffer);
  }
  for (const std::string& text : texts) {
    const std::string line = text + " next";
    const auto [expected, rest] = fromChars<float>(text);
    ValueReader values(line);
    float read = -1.0f;
    const bool ok = values.number(read);
    EXPECT_EQ(ok, rest.data() != nullptr) << text;
    if (ok) {
      EXPECT_EQ(std::bit_cast<std::uint32_t>(read), std::bit_cast<std::uint32_t>(expected)) << text;
      EXPECT_EQ(values.word(), rest.empty() ? "next" : rest) << text;
    }
  }
  for (const char* text : {"0", "007", "2147483647", "2147483648", "-2147483648", "-2147483649",
                           "99999999999999999999", ".5", "-.5", "1.5", "+12", "12a", "00000000000000042"}) {
    const auto [expected, rest] = fromChars<std::int32_t>(text);
    const std::string line = std::string(text) + " next";
    ValueReader values(line);
    std::int32_t read = -1;
    const bool ok = values.integer(read);
    EXPECT_EQ(ok, rest.data() != nullptr) << text;
    EXPECT_EQ(read, expected) << text;
    if (ok) {
      EXPECT_EQ(values.word(), rest.empty() ? "next" : rest) << text;
    }
  }
}

}  // namespace
}  // namespace tessaly::assets
