#include <gtest/gtest.h>

#include "core/colour.hpp"
#include "core/log.hpp"
#include "core/random.hpp"
#include "core/text_io.hpp"
#include "core/vecmath.hpp"

using namespace qv;

TEST(Colour, EqualityIsRelativeToTheStoredValue) {
  Colour a{0.5f, 0.25f, 1.0f};
  EXPECT_TRUE(a.sameAs({0.5f + 4e-6f, 0.25f, 1.0f}));
  EXPECT_FALSE(a.sameAs({0.5f + 1e-4f, 0.25f, 1.0f}));
  // A stored zero tolerates nothing: any change away from black counts.
  Colour black{0, 0, 0};
  EXPECT_FALSE(black.sameAs({1e-7f, 0, 0}));
  EXPECT_TRUE(black.sameAs({0, 0, 0}));
}

TEST(Colour, LiftTowardsWhite) {
  Colour c = Colour{0, 1, 0.5f}.lifted();
  EXPECT_FLOAT_EQ(c.r, 0.45f);
  EXPECT_FLOAT_EQ(c.g, 1.0f);
  EXPECT_FLOAT_EQ(c.b, 0.725f);
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
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 32767);
  const float f = rng::next01();
  EXPECT_GE(f, 0.0f);
  EXPECT_LE(f, 1.0f);
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

TEST(Log, NestedCapturesEachRecordWhileTheyLive) {
  LogCapture outer;
  logLine("one");
  {
    LogCapture inner;
    logLine("two");
    EXPECT_EQ(inner.text(), "two\n");
  }
  logLine("three");
  EXPECT_EQ(outer.text(), "one\ntwo\nthree\n");
  EXPECT_TRUE(logEnabled());
}

TEST(VecMath, InverseUndoesProjectionTimesView) {
  const Mat4 p = Mat4::perspective(kPi / 4, 16.0f / 9.0f, 0.1f, 1000.0f);
  const Mat4 v = Mat4::lookAt({10, -20, 30}, {0, 0, 0}, {0, 0, 1});
  Mat4 inv;
  ASSERT_TRUE(invert(p * v, inv));
  const Vec4 q = (inv * (p * v)) * Vec4{1, 2, 3, 1};
  EXPECT_NEAR(q.x / q.w, 1, 1e-3);
  EXPECT_NEAR(q.y / q.w, 2, 1e-3);
  EXPECT_NEAR(q.z / q.w, 3, 1e-3);
  // The eye looks at the origin: it projects to the screen centre.
  const Vec4 c = (p * v) * Vec4{0, 0, 0, 1};
  EXPECT_NEAR(c.x / c.w, 0, 1e-5);
  EXPECT_NEAR(c.y / c.w, 0, 1e-5);
}
