#include "assets/value_reader.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tessaly::assets
