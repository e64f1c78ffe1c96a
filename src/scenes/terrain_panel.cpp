#include "scenes/terrain_panel.hpp"

#include "ui/hud.hpp"
#include "units/world.hpp"

namespace qv {

// ---------------------------------------------------------------- terrain

SceneGameplayWithTopHudAndTerrainHud::SceneGameplayWithTopHudAndTerrainHud()
    : SceneGameplayWithTopHud("Gameplay With Top Hud And Terrain Hud"), panel_(bottomPanel(kPanelWidth, kPanelHeight)) {
  const struct {
    const char* icon;
    const char* tooltip;
  } tools[terraintool::kToolCount] = {
      {"Symbol Button Terrain Raise Round.png", "Raise Round (F)\n-raise the terrain in the shape of a hemisphere"},
      {"Symbol Button Terrain Lower Round.png", "Lower Round (G)\n-lower the terrain in the shape of a hemisphere"},
      {"Symbol Button Terrain Raise Flat.png", "Raise (H)\n-raise all parts of the terrain an equal amount"},
      {"Symbol Button Terrain Lower Flat.png", "Lower (J)\n-lower all parts of the terrain an equal amount"},
      {"Symbol Button Terrain Flatten Keep Angle.png",
       "Flatten Keep Angle (K)\n-flattens the terrain and keeps the angle of the slope"},
      {"Symbol Button Terrain Roughen Keep Angle.png", "Roughen (L)\n-adds roughness to the terrain"},
      {"Symbol Button Terrain Flatten Horizontal.png",
       "Flatten Horizontal (;)\n-flattens the terrain and makes it horizontal\n-the desired height is set when the "
       "mouse is first pressed"},
  };
  for (int k = 0; k < terraintool::kToolCount; ++k)
    panel_->addComponent(std::make_shared<HudButtonPageSelect>(tools[k].icon, "", 94.0f + 101.0f * static_cast<float>(k),
                                                               -28.0f, kFirstToolButton + k, tools[k].tooltip),
                         1);
  sizeSlider_ = addStepperRow(*panel_, 925.0f, -16.0f, "Size", kSizeMinus, kSizePlus, kSizeSlider,
                              "Decrease Size (C)", "Increase Size (V)", 60.0f);
  rateSlider_ = addStepperRow(*panel_, 925.0f, -70.0f, "Rate", kRateMinus, kRatePlus, kRateSlider,
                              "Decrease Rate (B)", "Increase Rate (N)", 60.0f);
  panel_->addComponent(
      std::make_shared<HudPopupMessage>("Terrain Modify Controls...\n-Left click to modify\n-Right click to stop", 33.0f,
                                        -59.0f),
      0);
  const World& w = World::shared();
  panel_->setSelected(1, w.terrainTool);
  refreshSliders();
  addHud(panel_);
  logLoaded();
}

void SceneGameplayWithTopHudAndTerrainHud::refreshSliders() {
  const World& w = World::shared();
  using namespace terraintool;
  sizeSlider_->setValue(sliderPosition(w.terrainBrushSize, kSizeMin, kSizeMax));
  rateSlider_->setValue(sliderPosition(w.terrainBrushRate, kRateMin, kRateMax));
}

void SceneGameplayWithTopHudAndTerrainHud::selectTerrainTool(int index) {
  if (index < 0 || index >= terraintool::kToolCount) return;
  World& w = World::shared();
  if (w.terrainTool != index) sculptor_.endPress();
  w.terrainTool = index;
  if (panel_->layer(1).selected != index) panel_->setSelected(1, index);
}

void SceneGameplayWithTopHudAndTerrainHud::onBecameCurrent() {
  World& w = World::shared();
  w.terrainWorldPress = false;
  sizeHeld_.release();
  rateHeld_.release();
  sculptor_.endPress();
  w.endSculptStroke();
  panel_->setSelected(1, w.terrainTool);
  refreshSliders();
}

bool SceneGameplayWithTopHudAndTerrainHud::handleCommand(int id) {
  if (id >= kFirstToolButton && id < kFirstToolButton + terraintool::kToolCount) {
    selectTerrainTool(id - kFirstToolButton);
    return true;
  }
  return SceneGameplayWithTopHud::handleCommand(id);
}

int SceneGameplayWithTopHudAndTerrainHud::mouse(float x, float y, int action) {
  const int result = SceneGameplayWithTopHud::mouse(x, y, action);
  World& w = World::shared();
  const InputState& in = input();
  if (action == kMouseRelease) {
    sizeHeld_.release();
    rateHeld_.release();
    if (!in.leftHeld) w.terrainWorldPress = false;
  }
  const bool toolButton = result >= kFirstToolButton && result < kFirstToolButton + terraintool::kToolCount;
  const bool own = toolButton || (result >= kSizeMinus && result <= kRateSlider);
  if (!own) {
    if (action == kMousePress && in.leftHeld) w.terrainWorldPress = result == 0;
    return result;
  }
  if (action == kMousePress) {
    w.terrainWorldPress = false;
    switch (result) {
      case kSizeMinus: sizeHeld_.minusHeld = true; break;
      case kSizePlus: sizeHeld_.plusHeld = true; break;
      case kRateMinus: rateHeld_.minusHeld = true; break;
      case kRatePlus: rateHeld_.plusHeld = true; break;
      default:
        if (toolButton) selectTerrainTool(result - kFirstToolButton);
        break;
    }
  }
  using namespace terraintool;
  if (result == kSizeSlider && in.leftHeld && sizeSlider_->dragging)
    w.terrainBrushSize = kSizeMin + (kSizeMax - kSizeMin) * sizeSlider_->value;
  if (result == kRateSlider && in.leftHeld && rateSlider_->dragging)
    w.terrainBrushRate = kRateMin + (kRateMax - kRateMin) * rateSlider_->value;
  return 0;
}

bool SceneGameplayWithTopHudAndTerrainHud::update(float dt) {
  using namespace terraintool;
  World& w = World::shared();
  const InputState& in = input();
  if (in.leftHeld) {
    if (sizeHeld_.minusHeld) sizeRate_ = -kSizeChangeSpeed;
    if (sizeHeld_.plusHeld) sizeRate_ = kSizeChangeSpeed;
    if (rateHeld_.minusHeld) rateRate_ = -kRateChangeSpeed;
    if (rateHeld_.plusHeld) rateRate_ = kRateChangeSpeed;
  }
  if (sizeRate_ != 0.0f || rateRate_ != 0.0f) {
    w.terrainBrushSize = clampSize(w.terrainBrushSize + sizeRate_ * dt);
    w.terrainBrushRate = clampRate(w.terrainBrushRate + rateRate_ * dt);
    refreshSliders();
  }
  sizeRate_ = rateRate_ = 0.0f;

  // The first frame of a press is the one whose previous frame had the button up.
  const bool firstFrame = !w.leftButtonLastFrame;
  const bool result = SceneGameplayWithTopHud::update(dt);
  const bool acting = in.leftHeld && w.terrainWorldPress && w.toolMode == kTerrainTool && !freezesWorld() && w.terrain &&
                      w.pick.groundHit && switcher().current() == this;
  if (!in.leftHeld) {
    sculptor_.endPress();
    w.endSculptStroke();
  }
  if (acting) w.sculptFrame(sculptor_, {w.pick.groundPoint.x, w.pick.groundPoint.y}, dt, firstFrame);
  return result;
}

}  // namespace qv
