// Sculpting with units on the ground, and undoing strokes.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <vector>

#include "persistence/save_game.hpp"
#include "units_fixture.hpp"

using namespace qv;

namespace {

constexpr int kV = Terrain::kVerticesPerSide;
constexpr float kDt = 0.05f;

// One press-to-release stroke of a tool at a point, the world running meanwhile.
void stroke(World& w, int tool, Vec2 at, float size, int frames) {
  TerrainSculptor s;
  std::tie(w.terrainTool, w.terrainBrushSize) = std::tuple(tool, size);
  for (int f = 0; f < frames; ++f) {
    w.sculptFrame(s, at, kDt, f == 0);
    w.step(kDt, kDt);
  }
  s.endPress();
  w.endSculptStroke();
}

// Every height, the mesh's positions and normals (its colours fade on their own clock)
// and the heights the units stand at.
std::vector<float> ground(World& w) {
  std::vector<float> g;
  for (int i = 0; i < kV; ++i)
    for (int j = 0; j < kV; ++j) g.push_back(w.terrain->height(i, j));
  for (int n = 0; n < Terrain::kVertexCount; ++n)
    for (int f = 0; f < 6; ++f) g.push_back(w.terrain->vertexData()[n * Terrain::kFloatsPerVertex + f]);
  for (const auto& u : w.allUnits()) g.push_back(u->position.z);
  return g;
}
bool bitEqual(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

TEST(Sculpting, GroundLoweredUnderWaterFollowsTheTemplatesWaterRules) {
  auto w = qvtest::makeLevelWorld(8);
  auto floater = qvtest::makeTemplate(Unit3DTemplate::kStationary);  // "Both", floats
  auto landPlant = qvtest::makeTemplate(Unit3DTemplate::kStationary, true, 3);
  landPlant->habitat = Unit3DTemplate::kLand;
  landPlant->breedFrequency = 2;  // tries every 15 s
  auto f = qvtest::put(*w, floater, 0.0f, 0.0f), l = qvtest::put(*w, landPlant, 2.0f, 0.0f);
  qvtest::settle(*w);

  stroke(*w, terraintool::kLower, {1.0f, 0.0f}, 8.0f, 60);
  ASSERT_LT(w->groundHeight(0, 0), -2.0f);

  // The floating plant rides the surface, drawn a little into the waves.
  EXPECT_EQ(std::tuple(f->position.z, f->inWater), std::tuple(0.0f, 1));
  EXPECT_TRUE(f->drawPosition().z < 0.1f && f->drawPosition().z > -0.5f) << f->drawPosition().z;
  // The land plant cannot float: it stays on the sunken ground, alive, and
  // makes no offspring there (no spot around it is land).
  const float g = w->groundHeight(l->position.x, l->position.y);
  EXPECT_EQ(std::tuple(l->position.z, l->inWater), std::tuple(g, 1));
  EXPECT_NEAR(l->drawPosition().z, g, 0.05f);
  for (int i = 0; i < 1200; ++i) w->step(kDt, kDt);
  EXPECT_TRUE(l->alive() && w->unitCount() == 2u) << "alive, and no offspring under water";

  // Raised out of the water again, both stand on land.
  stroke(*w, terraintool::kRaise, {1.0f, 0.0f}, 8.0f, 60);
  for (const auto& u : {f, l})
    EXPECT_EQ(std::tuple(u->position.z, u->inWater), std::tuple(w->groundHeight(u->position.x, u->position.y), 0));
}

TEST(SculptHistory, UndoAndRedoRestoreEveryStrokeBitForBit) {
  auto w = qvtest::makeWorld(11);
  qvtest::shape(*w, qvtest::IslandBrush{});
  auto plant = qvtest::makeTemplate(Unit3DTemplate::kStationary);
  qvtest::put(*w, plant, 5.0f, 5.0f);
  qvtest::settle(*w);

  const struct { int tool; Vec2 at; float size; } strokes[] = {
      {terraintool::kRaiseRound, {5, 5}, 6}, {terraintool::kRoughen, {8, 3}, 10},
      {terraintool::kFlattenKeepAngle, {0, 0}, 20}, {terraintool::kLower, {5, 6}, 3},
      {terraintool::kFlattenHorizontal, {-20, 10}, 12}, {terraintool::kRaiseRound, {40, -30}, 30}};
  std::vector<std::vector<float>> g{ground(*w)};
  for (const auto& s : strokes) {
    stroke(*w, s.tool, s.at, s.size, 10);
    g.push_back(ground(*w));
  }
  ASSERT_EQ(w->sculptHistory.undoCount(), std::size(strokes));
  for (size_t k = std::size(strokes); k-- > 0;) {
    ASSERT_TRUE(w->undoSculpt());
    EXPECT_TRUE(bitEqual(ground(*w), g[k])) << "undo to before stroke " << k;
  }
  EXPECT_FALSE(w->undoSculpt());
  for (size_t k = 1; k <= std::size(strokes); ++k) {
    ASSERT_TRUE(w->redoSculpt());
    EXPECT_TRUE(bitEqual(ground(*w), g[k])) << "redo of stroke " << k;
  }
  EXPECT_FALSE(w->redoSculpt());

  // A new stroke after undoing drops what could have been redone.
  w->undoSculpt();
  w->undoSculpt();
  stroke(*w, terraintool::kRaise, {-10, -10}, 4, 5);
  EXPECT_EQ(std::tuple(w->sculptHistory.undoCount(), w->sculptHistory.redoCount()), std::tuple(std::size(strokes) - 1, 0u));
  // A press that changes nothing files no stroke.
  stroke(*w, terraintool::kRaise, {-10, -10}, 4, 0);
  EXPECT_EQ(w->sculptHistory.undoCount(), std::size(strokes) - 1);
}

TEST(SculptHistory, KeepsTheLastStrokesOnlyChangedVerticesAndForgetsOnNewWorldOrLoad) {
  auto w = qvtest::makeLevelWorld(12);
  TerrainSculptor sculptor;
  std::vector<std::vector<float>> g{ground(*w)};
  const int total = static_cast<int>(SculptHistory::kMaxStrokes) + 8;
  for (int k = 0; k < total; ++k) {
    stroke(*w, terraintool::kRaiseRound, {static_cast<float>(k % 7) * 9.0f - 30.0f, 0.0f}, 4.0f, 2);
    g.push_back(ground(*w));
  }
  EXPECT_EQ(w->sculptHistory.undoCount(), SculptHistory::kMaxStrokes);
  // A radius-4 brush covers about 8 vertices: no stroke keeps the whole grid.
  EXPECT_LE(w->sculptHistory.storedVertices(), SculptHistory::kMaxStrokes * 12);
  for (int k = 0; k < total; ++k) w->undoSculpt();
  EXPECT_TRUE(bitEqual(ground(*w), g[total - SculptHistory::kMaxStrokes])) << "the oldest strokes stay done";

  w->redoSculpt();
  w->resetWorld();
  EXPECT_FALSE(w->undoSculpt() || w->redoSculpt()) << "a new world forgets the strokes";

  // A load with a stroke still open: the loaded ground is never undone.
  stroke(*w, terraintool::kRaise, {0, 0}, 6, 3);
  std::istringstream in(saveGameText(*w, "today"));
  w->terrainTool = terraintool::kLower;
  w->sculptFrame(sculptor, {0, 0}, kDt, true);
  loadGameFromStream(*w, in, kLoadSlot);
  EXPECT_TRUE(!w->sculptHistory.strokeOpen() && w->terrain->heightRecorder() == nullptr);
  const std::vector<float> loaded = ground(*w);
  EXPECT_FALSE(w->undoSculpt());
  EXPECT_TRUE(bitEqual(ground(*w), loaded));
}

}  // namespace
