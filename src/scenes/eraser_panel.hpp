#pragma once
#include <memory>

#include "scenes/tool_panel.hpp"
#include "scenes/top_hud_scenes.hpp"

namespace qv {

class Hud;
class HudSlider;

// The eraser: units under the ring go while the left button is held; its size on the panel.
class SceneGameplayWithTopHudAndEraserHud : public SceneGameplayWithTopHud {
 public:
  static constexpr int kSizeMinus = 3201, kSizePlus = 3202, kSizeSlider = 3203;
  static constexpr float kPanelWidth = 714.0f, kPanelHeight = 64.0f;
  static constexpr float kSizeMin = 0.5f, kSizeMax = 10.0f, kSizeSpeed = 3.0f;

  SceneGameplayWithTopHudAndEraserHud();
  bool update(float dt) override;
  int mouse(float x, float y, int action) override;
  void onBecameCurrent() override;

  // Keys C / V (polled every frame) ask for −3 / +3 per second; cleared by each update.
  void setSizeChangeRate(float perSecond) { sizeRate_ = perSecond; }
  float sizeChangeRate() const { return sizeRate_; }
  const HeldPair& sizeButtons() const { return sizeHeld_; }
  Hud& panel() { return *panel_; }
  HudSlider& sizeSlider() { return *sizeSlider_; }

 private:
  std::shared_ptr<Hud> panel_;
  std::shared_ptr<HudSlider> sizeSlider_;
  HeldPair sizeHeld_;
  float sizeRate_ = 0.0f;
};

}  // namespace qv
