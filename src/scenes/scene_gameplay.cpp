#include <algorithm>

#include "render/display.hpp"
#include "render/gl.hpp"
#include "scenes/census_panel.hpp"
#include "scenes/game_scenes.hpp"
#include "scenes/scene_gameplay.hpp"
#include "scenes/placement.hpp"
#include "ui/template_preview.hpp"
#include "units/unit_drawing.hpp"
#include "units/world.hpp"
#include "world/clouds.hpp"
#include "world/sky.hpp"
#include "world/water.hpp"

namespace qv {

float& SceneGameplay::scriptedCameraTimer() {
  static float t = 0.0f;
  return t;
}

SceneGameplay::SceneGameplay(std::string name, bool freezesWorld)
    : Scene(std::move(name), kNoBackdrop), freezesWorld_(freezesWorld) {
  // The first gameplay scene brings the world into being; the rest share it.
  World::shared();
}

bool SceneGameplay::eraserActive() const {
  const World& w = World::shared();
  return w.toolMode == kEraserTool && !freezesWorld_ && w.pick.groundHit;
}

namespace {
// The developer's scripted camera sweep, for recording the world in motion.
void scriptedCameraStep(Camera& camera, float simDt) {
  float& timer = SceneGameplay::scriptedCameraTimer();
  timer += simDt;
  const float t = timer;
  if (t >= 1.0f && t < 2.2f) {
    const float f = t < 1.7f ? 1.0f : std::max(0.0f, 2.0f * (2.2f - t));
    camera.yawDelta -= f * 0.006;
    camera.pitchDelta -= f * 0.012;
  } else if (t >= 2.75f && t < 6.0f) {
    const float f = t < 5.0f ? 1.0f : std::max(0.0f, 6.0f - t);
    camera.yawDelta += f * 0.006;
    camera.pitchDelta -= f * 0.001;
  }
}
}  // namespace

bool SceneGameplay::update(float dt) {
  const bool result = Scene::update(dt);
  World& w = World::shared();
  const float simDt = w.simDtFor(dt, freezesWorld_);
  if (w.terrain) {
    Vec3 origin, direction;
    w.camera.mouseRay(switcher().mouseX, switcher().mouseY, display(), origin, direction);
    w.terrain->pick(origin, direction, w.pick);
  }
  if (input().developer.active(input().developer.scriptedCamera)) scriptedCameraStep(w.camera, simDt);
  w.camera.update(dt, w.terrain.get());
  if (w.terrain && w.pick.groundHit) w.terrain->fadeGroundColours(dt);
  w.leftButtonLastFrame = input().leftHeld;
  w.step(dt, simDt);
  previewClock().wholeSeconds = w.wholeSeconds;
  previewClock().angle = w.cyclicClock;
  if (censusShown()) censusPanel().update(w, dt);
  return result;
}

void SceneGameplay::draw() {
  World& w = World::shared();
  if (backdropMode() != kNoBackdrop || !w.water) {
    drawBase();
    return;
  }
  const bool underWater = w.camera.underWater() != input().developer.underWaterInversion;
  const Colour horizon = w.skyHorizonColour();
  const Colour water = w.waterColour();
  const Vec3 sun = World::kSunPosition;

  if (gl::contextReady()) glDisable(GL_DEPTH_TEST);
  if (w.skyHorizon) w.skyHorizon->draw(w.camera, w.sunColour);
  if (gl::contextReady()) glEnable(GL_DEPTH_TEST);

  drawPlacementPreview(w, freezesWorld_);

  if (w.terrain) {
    int circleMode = 0;
    float circleRadius = 0.0f;
    if (!freezesWorld_ && w.pick.groundHit) {
      if (w.toolMode == kEraserTool) circleMode = 1, circleRadius = w.eraserSize;
      if (w.toolMode == kTerrainTool) circleMode = 2, circleRadius = w.terrainBrushSize;
    }
    w.terrain->draw(w.camera, sun, water, w.sunColour, horizon, {w.pick.groundPoint.x, w.pick.groundPoint.y},
                    circleMode, circleRadius, underWater);
  }
  if (w.clouds) w.clouds->drawClouds(w.camera, w.sunColour);

  const bool erasing = eraserActive();
  const Vec2 ground{w.pick.groundPoint.x, w.pick.groundPoint.y};
  drawUnits(w, w.camera, {sun, water, w.sunColour, underWater}, {erasing, ground, w.eraserSize}, unitBatch());

  if (w.waterSkyEdge) w.waterSkyEdge->draw(w.camera, water, w.sunColour, horizon, underWater);
  w.water->draw(w.camera, sun, w.sunColour, horizon, w.wavePhase, erasing, ground, w.eraserSize, underWater);
  if (gl::contextReady()) {
    glClear(GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
  }
  if (censusShown() && !input().developer.active(input().developer.hideHuds)) censusPanel().draw(hudOpacity());
  drawBase();
}

bool SceneGameplay::censusShown() const {
  return censusPanelOpen() && !freezesWorld_ && backdropMode() == kNoBackdrop && World::shared().water;
}

int SceneGameplay::mouse(float x, float y, int action) {
  // The census lies over the world: what it covers never reaches the world below.
  if (censusShown() && transitionState() == 0) {
    if (const int census = censusPanel().mouse(x, y, action); census > 0) return census;
  }
  int result = Scene::mouse(x, y, action);
  World& w = World::shared();
  const InputState& in = input();
  // A right click anywhere in the world puts the tool down, over the ground too
  // (the eraser tells the player so), as long as the left button is not erasing or placing.
  const bool leaveTool = result == 0 && action == 1 && !in.leftHeld && in.rightHeld && w.toolMode != kNoTool;
  if (leaveTool) {
    w.toolMode = kNoTool;
    requestScene(gameScenes().topHud.get(), 2);
  } else if (eraserActive()) {
    if (result == 0 && in.leftHeld) w.eraseUnderEraser();
  } else if (result == 0 && action == 1 && in.leftHeld) {
    if (!freezesWorld_ && w.toolMode == kPlacementTool && w.placementShown && w.terrain) {
      if (const auto t = w.selected(); t && w.placementValid(*t, w.placementPoint)) w.placeUnit(w.placementPoint, placementKeepsColours());
    }
  }
  if (!freezesWorld_ && result == 0 && (action == 1 || action == 2) && (in.middleHeld || in.shiftHeld)) {
    w.camera.yawDelta += in.mouseDeltaX * 0.001;
    w.camera.pitchDelta -= in.mouseDeltaY * 0.001;
  }
  return result;
}

void SceneGameplay::resetWorld() {
  World::shared().resetWorld();
  scriptedCameraTimer() = 0.0f;
}

}  // namespace qv
