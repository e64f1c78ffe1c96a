#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/colour.hpp"
#include "core/random.hpp"
#include "core/text_io.hpp"

using namespace qv;

TEST(Colour, EqualityIsRelativeToTheStoredValueAndLiftingGoesTowardsWhite) {
  Colour a{0.5f, 0.25f, 1.0f}, black{0, 0, 0};
  EXPECT_TRUE(a.sameAs({0.5f + 4e-6f, 0.25f, 1.0f}) && !a.sameAs({0.5f + 1e-4f, 0.25f, 1.0f}));
  EXPECT_TRUE(black.sameAs({0, 0, 0}) && !black.sameAs({1e-7f, 0, 0})) << "a stored zero tolerates nothing";
  EXPECT_TRUE((Colour{0, 1, 0.5f}.lifted().sameAs({0.45f, 1.0f, 0.725f})));
}

TEST(Random, SeededSequencesRepeatStayInRangeAndAClearedFlagReseedsOnNextUse) {
  std::vector<int> first(50), again(50), many(100000);
  rng::seed(41845);
  std::ranges::generate(first, rng::next);
  rng::seed(41845);
  std::ranges::generate(again, rng::next);
  EXPECT_EQ(first, again);
  std::ranges::generate(many, rng::next);
  EXPECT_EQ(std::pair(std::ranges::min(many), std::ranges::max(many)), std::pair(0, 32767));
  rng::clearSeededFlag();
  EXPECT_FALSE(rng::seeded());
  rng::next();
  EXPECT_TRUE(rng::seeded());
}

TEST(TextIo, NumbersParseLikeTheStandardConversions) {
  EXPECT_EQ(std::pair(textio::toInt("  42abc"), textio::toInt("-7")), std::pair(42, -7));
  EXPECT_FLOAT_EQ(textio::toFloat("0.35 trailing"), 0.35f);
  for (const char* bad : {"abc", "", "99999999999"}) EXPECT_THROW(textio::toInt(bad), textio::ParseError) << bad;
  for (const char* bad : {"nan", "1e99"}) EXPECT_THROW(textio::toFloat(bad), textio::ParseError) << bad;
  EXPECT_EQ(textio::fixed6(1.5) + " " + textio::streamDefault(1.0) + " " + textio::streamDefault(0.05), "1.500000 1 0.05");
}
