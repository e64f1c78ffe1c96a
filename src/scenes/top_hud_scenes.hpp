#pragma once
#include <memory>
#include <string>

#include "scenes/command_ids.hpp"
#include "scenes/scene_gameplay.hpp"
#include "world/terrain_tools.hpp"

namespace qv {

class Hud;
class HudButton;
class HudCheckbox;
class HudSlider;

// 0 pauses; 1, 2, 3 run the world at x1, x5 and x20. The top bar's speed
// button of that index lights up.
void setGameSpeed(int index);
// kEraserTool, kTerrainTool or kWorldColoursTool: selects the tool and its scene,
// or, when that tool is already on, puts it away and returns to the plain top bar.
void toggleTool(int toolMode);

namespace tophud {
// Speed button index (0..3) that shows the world's clock state.
int speedIndexOf(bool paused, float timeScale);
}  // namespace tophud

// The world view with the bar across the top: game speed, menu, help and the
// four tools. One top Hud serves this scene and every tool scene. The scene
// answers the tool and speed buttons itself; Menu, Help and Units are navigation
// and go through the central command handler.
class SceneGameplayWithTopHud : public SceneGameplay {
 public:
  SceneGameplayWithTopHud();
  bool update(float dt) override;
  bool handleCommand(int id) override;

  // The Help button pulses until the player has opened help once.
  void stopHelpPulsing();
  void setHelpPulsing(bool on);
  bool helpPulsing() const;

  // The one top bar (built by the first scene of this family).
  static Hud& topHud();
  static bool topHudExists();

 protected:
  explicit SceneGameplayWithTopHud(std::string name);
  // Keeps the speed buttons in step with the world, however its speed changed.
  void syncSpeedButtons();
};

// A −/+ pair that changes a value continuously while held: the held flags live
// from a press on the button until any release.
struct HeldPair {
  bool minusHeld = false, plusHeld = false;
  void release() { minusHeld = plusHeld = false; }
};

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

class SceneGameplayWithTopHudAndWorldColorsHud : public SceneGameplayWithTopHud {
 public:
  // First identifier of each row (sky, land, water, cloud); + palette index.
  static constexpr int kRowFirstId[4] = {3510, 3530, 3550, 3570};
  static constexpr float kPanelWidth = 850.0f, kPanelHeight = 220.0f;

  SceneGameplayWithTopHudAndWorldColorsHud();
  int mouse(float x, float y, int action) override;
  // Shows the checked swatches of the world (a loaded game brings its own) and applies them.
  void onBecameCurrent() override;

  // Row and palette index of a swatch identifier; false for anything else.
  static bool swatchOf(int id, int& row, int& index);
  // Sets each row's colour from the hovered swatch (id) or the checked one and
  // gives the lifted colours to the world; a press checks the hovered swatch.
  void applyColours(int id, bool press);
  Hud& panel() { return *panel_; }
  HudCheckbox& swatch(int row, int index);

 private:
  std::shared_ptr<Hud> panel_;
};

}  // namespace qv
