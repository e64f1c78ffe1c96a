#include <gtest/gtest.h>

#include "core/colour.hpp"
#include "core/log.hpp"
#include "core/random.hpp"
#include "core/text_io.hpp"

using namespace qv;

TEST(Colour, EqualityIsRelativeToTheStoredValueAndLiftingGoesTowardsWhite) {
  Colour a{0.5f, 0.25f, 1.0f}, black{0, 0, 0};
  EXPECT_TRUE(a.sameAs({0.5f + 4e-6f, 0.25f, 1.0f}) && !a.sameAs({0.5f + 1e-4f, 0.25f, 1.0f}));
  EXPECT_TRUE(black.sameAs({0, 0, 0}) && !black.sameAs({1e-7f, 0, 0})) << "a stored zero tolerates nothing";
  EXPECT_TRUE((Colour{0, 1, 0.5f}.lifted().sameAs({0.45f, 1.0f, 0.725f})));
}

TEST(Random, SeededSequencesRepeatAndStayInRange) {
  rng::seed(41845);
  int first[50];
  for (int& v : first) v = rng::next();
  rng::seed(41845);
  for (int v : first) EXPECT_EQ(v, rng::next());
  int lo = 99999, hi = -1;
  for (int i = 0; i < 100000; ++i) {
    const int v = rng::next();
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  EXPECT_TRUE(lo == 0 && hi == 32767);
  const float f = rng::next01();
  EXPECT_TRUE(f >= 0.0f && f <= 1.0f);
}

TEST(Random, ClearingTheFlagReseedsOnNextUse) {
  rng::seed(1);
  rng::clearSeededFlag();
  EXPECT_FALSE(rng::seeded());
  rng::next();
  EXPECT_TRUE(rng::seeded());
}

TEST(TextIo, NumbersParseLikeTheStandardConversions) {
  EXPECT_EQ(textio::toInt("  42abc"), 42);
  EXPECT_EQ(textio::toInt("-7"), -7);
  EXPECT_FLOAT_EQ(textio::toFloat("0.35 trailing"), 0.35f);
  EXPECT_THROW(textio::toInt("abc"), textio::ParseError);
  EXPECT_THROW(textio::toInt(""), textio::ParseError);
  EXPECT_THROW(textio::toInt("99999999999"), textio::ParseError);
  EXPECT_THROW(textio::toFloat("nan"), textio::ParseError);
  EXPECT_THROW(textio::toFloat("1e99"), textio::ParseError);
  EXPECT_EQ(textio::fixed6(1.5), "1.500000");
  EXPECT_EQ(textio::streamDefault(1.0), "1");
  EXPECT_EQ(textio::streamDefault(0.05), "0.05");
}

TEST(Log, ConcatenatingFormsJoinStringsAndIntegers) {
  LogCapture cap;
  logLine("Ram: ", 1024, " MB Total, ", 512, " MB Free");
  logLine("a\nb");
  EXPECT_EQ(cap.text(), "Ram: 1024 MB Total, 512 MB Free\na\nb\n");
}

