#include <gtest/gtest.h>

#include "scenes/game_scenes.hpp"
#include "units/world.hpp"

using namespace qv;

// The live scene and a dialog share one world; only the live one runs it.
class GameplaySceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    switcher().clear();
    World& w = World::shared();
    w.resetWorld();
    w.camera.position = {0.0f, 0.0f, 20.0f}, w.camera.maxHeight = 20.0f;
    input() = {};
  }
  void TearDown() override { switcher().clear(); }
};

TEST_F(GameplaySceneTest, OnlyTheLiveSceneRunsTheClockAndTurnsTheCameraAndRightClickLeavesATool) {
  GameScenes& g = gameScenes();
  if (!g.topHud) g.createAllButLoading(nullptr);
  Scene &live = *g.topHud, &menu = *g.inGameMenu;
  World& w = World::shared();
  w.unsavedChanges = false;
  const float start = w.timeOfDay;
  live.update(0.05f);
  EXPECT_NEAR(w.timeOfDay, start + 0.05f, 1e-5);
  EXPECT_TRUE(w.unsavedChanges);
  w.setGameSpeed(3);
  live.update(0.05f);
  EXPECT_NEAR(w.timeOfDay, start + 1.05f, 1e-4);  // 20 x 0.05
  const float frozenAt = w.timeOfDay, phase = w.wavePhase;
  menu.update(0.05f);
  EXPECT_TRUE(w.timeOfDay == frozenAt && w.wavePhase == phase);

  // Paused, the world stands still while the camera flies.
  w.setGameSpeed(0);
  const int seconds = w.wholeSeconds;
  for (int i = 0; i < 20; ++i) w.camera.velocity = {12.5f, 0.0f, 0.0f}, live.update(0.05f);
  EXPECT_FLOAT_EQ(w.timeOfDay, frozenAt);
  EXPECT_NEAR(w.camera.position.x, 12.5f, 1e-3);  // one real second at 12.5 units per second
  EXPECT_EQ(w.wholeSeconds, seconds + 1);          // unscaled clocks keep running

  // Every tool, over the sky and over the ground alike (the eraser used to keep going over ground);
  // without a tool a right click does nothing.
  const struct { Scene* scene; int tool; } tools[] = {{g.unitPlacement.get(), 1}, {g.eraser.get(), 2},
                                                      {g.terrain.get(), 3},       {g.worldColors.get(), 4},
                                                      {g.topHud.get(), 0}};
  for (const auto& t : tools) {
    for (const bool overGround : {false, true}) {
      switcher().clear(), switcher().setCurrent(t.scene);
      w.toolMode = t.tool;
      w.pick.groundHit = overGround, w.pick.groundPoint = {30.0f, 30.0f, 0.0f};
      input().rightHeld = true;
      EXPECT_EQ(t.scene->mouse(0.0f, 0.0f, 1), 0);
      EXPECT_TRUE(w.toolMode == 0 && switcher().requested() == (t.tool ? g.topHud.get() : nullptr)) << t.tool << " ground " << overGround;
    }
  }
  input() = {};
  input().shiftHeld = true, input().mouseDeltaX = 100.0f;
  const double yaw = w.camera.yaw;
  g.topHud->mouse(0.0f, 0.0f, 2);
  EXPECT_NEAR(w.camera.yawDelta, 0.1, 1e-9);
  w.camera.yawDelta = 0.0;
  g.inGameMenu->mouse(0.0f, 0.0f, 2);  // frozen: no turning
  EXPECT_TRUE(w.camera.yawDelta == 0.0 && w.camera.yaw == yaw);
}
