#include "scenes/eraser_panel.hpp"

#include "ui/hud.hpp"
#include "units/world.hpp"

namespace qv {

// ---------------------------------------------------------------- eraser

SceneGameplayWithTopHudAndEraserHud::SceneGameplayWithTopHudAndEraserHud()
    : SceneGameplayWithTopHud("Gameplay With Top Hud And Eraser Hud"), panel_(bottomPanel(kPanelWidth, kPanelHeight)) {
  sizeSlider_ = addStepperRow(*panel_, 190.0f, -16.0f, "Size", kSizeMinus, kSizePlus, kSizeSlider,
                              "Decrease Size (C)", "Increase Size (V)", 66.0f);
  panel_->addComponent(
      std::make_shared<HudPopupMessage>("Eraser Controls...\n-Left click to erase\n-Right click to stop erasing", 33.0f,
                                        -31.0f),
      0);
  sizeSlider_->setValue(sliderPosition(World::shared().eraserSize, kSizeMin, kSizeMax));
  addHud(panel_);
  logLoaded();
}

void SceneGameplayWithTopHudAndEraserHud::onBecameCurrent() {
  World& w = World::shared();
  // A press that began before this panel existed never erases.
  w.eraserWorldPress = false;
  sizeHeld_.release();
  sizeSlider_->setValue(sliderPosition(w.eraserSize, kSizeMin, kSizeMax));
}

int SceneGameplayWithTopHudAndEraserHud::mouse(float x, float y, int action) {
  const int result = SceneGameplayWithTopHud::mouse(x, y, action);
  World& w = World::shared();
  const InputState& in = input();
  if (action == kMouseRelease) {
    sizeHeld_.release();
    if (!in.leftHeld) w.eraserWorldPress = false;
  }
  const bool own = result == kSizeMinus || result == kSizePlus || result == kSizeSlider;
  if (!own) {
    if (action == kMousePress && in.leftHeld) {
      // Only a press that no control took reaches into the world.
      w.eraserWorldPress = result == 0;
      // The gameplay handling erased with the flag of the previous press.
      if (w.eraserWorldPress && w.toolMode == kEraserTool) w.eraseUnderEraser();
    }
    return result;
  }
  if (action == kMousePress) {
    w.eraserWorldPress = false;
    if (result == kSizeMinus) sizeHeld_.minusHeld = true;
    if (result == kSizePlus) sizeHeld_.plusHeld = true;
  }
  if (result == kSizeSlider && in.leftHeld && sizeSlider_->dragging)
    w.eraserSize = kSizeMin + (kSizeMax - kSizeMin) * sizeSlider_->value;
  return 0;
}

bool SceneGameplayWithTopHudAndEraserHud::update(float dt) {
  World& w = World::shared();
  const InputState& in = input();
  if (in.leftHeld && sizeHeld_.minusHeld) sizeRate_ = -kSizeSpeed;
  if (in.leftHeld && sizeHeld_.plusHeld) sizeRate_ = kSizeSpeed;
  if (sizeRate_ != 0.0f) {
    float size = w.eraserSize + sizeRate_ * dt;
    if (!(size >= kSizeMin)) size = kSizeMin;
    if (size > kSizeMax) size = kSizeMax;
    w.eraserSize = size;
    sizeSlider_->setValue(sliderPosition(size, kSizeMin, kSizeMax));
    sizeRate_ = 0.0f;
  }
  const bool result = SceneGameplayWithTopHud::update(dt);
  // Units that walk into the held eraser go too, not only those under a moving mouse.
  if (switcher().current() == this && in.leftHeld && w.toolMode == kEraserTool) w.eraseUnderEraser();
  return result;
}

}  // namespace qv
