#include <gtest/gtest.h>

#include <set>

#include "units_fixture.hpp"

using namespace qv;

namespace {

struct GridTest : ::testing::Test {
  TemplatePtr t = qvtest::makeTemplate(Unit3DTemplate::kNormalSpeed);
  UnitGrid grid;
  std::shared_ptr<Unit3D> make(float x, float y) {
    auto u = std::make_shared<Unit3D>(t);
    u->position = {x, y, 0.0f};
    grid.gridInsert(u);
    return u;
  }
  std::vector<Unit3D*> walk(float x, float y, float r) {
    std::vector<Unit3D*> out;
    for (auto q = grid.gridQuery(x, y, r); auto u = q.next();) out.push_back(u.get());
    return out;
  }
};

TEST_F(GridTest, QueryRadiusZeroNegativeAndHugeOrderIsCxFastestThenCyThenFilingOrder) {
  for (int i = 0; i < 30; ++i) make(-80.0f + 5.3f * i, 70.0f - 4.9f * i);
  EXPECT_TRUE(walk(0, 0, 0.0f).empty() && walk(0, 0, std::nanf("")).empty()) << "radius 0 or NaN visits nothing";
  EXPECT_EQ(walk(0, 0, -1.0f).size(), 30u);
  const auto all = walk(0, 0, 1000.0f);
  EXPECT_TRUE(all.size() == 30u && std::set<Unit3D*>(all.begin(), all.end()).size() == 30u) << "each unit exactly once";
  // Away from those: cells (16, 16), (15, 16), (16, 15), and (16, 16) again after a.
  auto a = make(42.0f, 42.0f), b = make(34.0f, 42.0f), c = make(42.0f, 34.0f), d = make(42.5f, 42.5f);
  EXPECT_EQ(walk(38.0f, 38.0f, 7.0f), (std::vector<Unit3D*>{c.get(), b.get(), a.get(), d.get()}));
  EXPECT_EQ(walk(42.2f, 42.2f, 0.1f).size(), 2u) << "a small radius sees whole cells";
}

TEST_F(GridTest, ErasingDuringTheWalkSkipsNothing) {
  std::vector<std::shared_ptr<Unit3D>> units;
  for (int i = 0; i < 10; ++i) units.push_back(make(1.0f + 0.1f * i, 1.0f));  // one cell
  units.push_back(make(30.0f, 30.0f));
  std::vector<Unit3D*> seen;
  for (auto q = grid.gridQuery(0, 0, -1); auto u = q.next();) {
    seen.push_back(u.get());
    if (seen.size() % 2 == 1) grid.gridEraseCurrent(q);  // every other unit, including the first
  }
  EXPECT_TRUE(seen.size() == 11u && grid.unitCount() == 5u && units[0]->gridCellX == -1);
  // Erasing twice in a row, or before the first step, does nothing.
  auto q2 = grid.gridQuery(0, 0, -1);
  grid.gridEraseCurrent(q2);
  q2.next();
  grid.gridEraseCurrent(q2);
  grid.gridEraseCurrent(q2);
  EXPECT_TRUE(grid.unitCount() == 4u && q2.next().get() == units[3].get());
}

}  // namespace
