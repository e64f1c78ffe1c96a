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
    auto q = grid.gridQuery(x, y, r);
    while (auto u = q.next()) out.push_back(u.get());
    return out;
  }
};

TEST_F(GridTest, CellsFollowTheTruncatedFormulaAndTheUnitRemembersIt) {
  auto a = make(-87.0f, -87.0f);
  EXPECT_EQ(a->gridCellX, 0);
  EXPECT_EQ(a->gridCellY, 0);
  auto b = make(0.0f, 0.0f);  // (87.1 * 0.125) = 10.8875
  EXPECT_EQ(b->gridCellX, 10);
  auto c = make(-79.1f + 0.001f, 82.0f);  // just past the first border
  EXPECT_EQ(c->gridCellX, 1);
  EXPECT_EQ(c->gridCellY, 21);
  // Beyond the grid: filed at the border so it is never lost.
  auto d = make(120.0f, -300.0f);
  EXPECT_EQ(d->gridCellX, 21);
  EXPECT_EQ(d->gridCellY, 0);
  EXPECT_EQ(grid.unitCount(), 4u);
}

TEST_F(GridTest, QueryRadiusZeroNegativeAndHuge) {
  std::vector<std::shared_ptr<Unit3D>> units;
  for (int i = 0; i < 30; ++i) units.push_back(make(-80.0f + 5.3f * i, 70.0f - 4.9f * i));
  EXPECT_TRUE(walk(0, 0, 0.0f).empty()) << "radius 0 visits nothing";
  EXPECT_EQ(walk(0, 0, -1.0f).size(), 30u);
  const auto all = walk(0, 0, 1000.0f);
  EXPECT_EQ(all.size(), 30u);
  EXPECT_EQ(std::set<Unit3D*>(all.begin(), all.end()).size(), 30u) << "each unit exactly once";
  EXPECT_TRUE(walk(0, 0, std::nanf("")).empty());
}

TEST_F(GridTest, OrderIsCxFastestThenCyThenFilingOrder) {
  auto a = make(10.0f, 10.0f);   // cell (12, 12)
  auto b = make(2.0f, 10.0f);    // cell (11, 12)
  auto c = make(10.0f, 2.0f);    // cell (12, 11)
  auto d = make(10.5f, 10.5f);   // cell (12, 12), after a
  auto order = walk(6.0f, 6.0f, 7.0f);
  ASSERT_EQ(order.size(), 4u);
  EXPECT_EQ(order[0], c.get());
  EXPECT_EQ(order[1], b.get());
  EXPECT_EQ(order[2], a.get());
  EXPECT_EQ(order[3], d.get());
  // A small radius sees whole cells only.
  auto near = walk(10.2f, 10.2f, 0.1f);
  EXPECT_EQ(near.size(), 2u);
}

TEST_F(GridTest, ErasingDuringTheWalkSkipsNothing) {
  std::vector<std::shared_ptr<Unit3D>> units;
  for (int i = 0; i < 10; ++i) units.push_back(make(1.0f + 0.1f * i, 1.0f));  // one cell
  units.push_back(make(30.0f, 30.0f));
  std::vector<Unit3D*> seen;
  auto q = grid.gridQuery(0, 0, -1);
  while (auto u = q.next()) {
    seen.push_back(u.get());
    if (seen.size() % 2 == 1) grid.gridEraseCurrent(q);  // every other unit, including the first
  }
  EXPECT_EQ(seen.size(), 11u);
  EXPECT_EQ(grid.unitCount(), 5u);
  EXPECT_EQ(units[0]->gridCellX, -1);
  // Erasing twice in a row, or before the first step, does nothing.
  auto q2 = grid.gridQuery(0, 0, -1);
  grid.gridEraseCurrent(q2);
  EXPECT_EQ(grid.unitCount(), 5u);
  auto first = q2.next();
  grid.gridEraseCurrent(q2);
  grid.gridEraseCurrent(q2);
  EXPECT_EQ(grid.unitCount(), 4u);
  EXPECT_EQ(q2.next().get(), units[3].get());
}

TEST_F(GridTest, MoveRefilesOnlyAcrossBordersAndRebuildEmpties) {
  auto a = make(1.0f, 1.0f);
  auto b = make(1.5f, 1.0f);
  a->position.x = 2.0f;
  grid.gridMove(a);
  EXPECT_EQ(grid.cell(a->gridCellX, a->gridCellY).front(), a) << "same cell: order kept";
  a->position.x = 9.0f;
  grid.gridMove(a);
  EXPECT_EQ(a->gridCellX, 12);
  EXPECT_EQ(grid.cell(11, 11).size(), 1u);
  EXPECT_EQ(grid.cell(12, 11).size(), 1u);
  EXPECT_TRUE(grid.remove(*b));
  EXPECT_FALSE(grid.remove(*b));
  grid.gridRebuild();
  EXPECT_EQ(grid.unitCount(), 0u);
  EXPECT_EQ(a->gridCellX, -1);
}

}  // namespace
