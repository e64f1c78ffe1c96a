#pragma once
#include <memory>

#include "scenes/tool_panel.hpp"
#include "scenes/top_hud_scenes.hpp"
#include "world/terrain_tools.hpp"

namespace qv {

class Hud;
class HudSlider;

// The terrain tools: seven ways to shape the ground, with brush size and rate.
class SceneGameplayWithTopHudAndTerrainHud : public SceneGameplayWithTopHud {
 public:
  static constexpr int kSizeMinus = 3301, kSizePlus = 3302, kSizeSlider = 3303;
  static constexpr int kRateMinus = 3304, kRatePlus = 3305, kRateSlider = 3306;
  static constexpr int kFirstToolButton = 3310;  // 3310..3316 select tools 0..6
  static constexpr float kPanelWidth = 1449.0f, kPanelHeight = 118.0f;

  SceneGameplayWithTopHudAndTerrainHud();
  // Applies the size and rate changes, runs the world, then the selected tool
  // while the left button holds a press that began in the world.
  bool update(float dt) override;
  int mouse(float x, float y, int action) override;
  bool handleCommand(int id) override;
  void onBecameCurrent() override;

  void setSizeChangeRate(float perSecond) { sizeRate_ = perSecond; }
  void setRateChangeRate(float perSecond) { rateRate_ = perSecond; }
  float sizeChangeRate() const { return sizeRate_; }
  float rateChangeRate() const { return rateRate_; }
  // Keys F G H J K L ; and the tool buttons: tool 0..6, highlighted on the panel.
  void selectTerrainTool(int index);

  const HeldPair& sizeButtons() const { return sizeHeld_; }
  const HeldPair& rateButtons() const { return rateHeld_; }
  Hud& panel() { return *panel_; }
  HudSlider& sizeSlider() { return *sizeSlider_; }
  HudSlider& rateSlider() { return *rateSlider_; }
  TerrainSculptor& sculptor() { return sculptor_; }

 private:
  void refreshSliders();
  std::shared_ptr<Hud> panel_;
  std::shared_ptr<HudSlider> sizeSlider_, rateSlider_;
  HeldPair sizeHeld_, rateHeld_;
  float sizeRate_ = 0.0f, rateRate_ = 0.0f;
  TerrainSculptor sculptor_;
};

}  // namespace qv
