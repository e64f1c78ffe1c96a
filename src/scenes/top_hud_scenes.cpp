#include "scenes/top_hud_scenes.hpp"

#include <cmath>
#include <vector>

#include "render/palette.hpp"
#include "scenes/game_scenes.hpp"
#include "scenes/scene_helpers.hpp"
#include "ui/hud.hpp"
#include "units/world.hpp"

namespace qv {

namespace {

// The scenes own the top bar between them; it lives while any of them does.
std::weak_ptr<Hud>& topHudSlot() {
  static std::weak_ptr<Hud> hud;
  return hud;
}

// The Help button, kept so its pulse can be stopped without a search.
std::weak_ptr<HudButton>& helpButtonSlot() {
  static std::weak_ptr<HudButton> button;
  return button;
}

std::shared_ptr<Hud> buildTopHud() {
  auto hud = std::make_shared<Hud>();
  hud->background = std::make_shared<ImageHudTop>();
  hud->setPositionPx(-std::floor(1522.0f / 2.0f), 540.0f);
  using namespace tophud;
  hud->addComponent(std::make_shared<HudButtonSmall>("", "Menu", 25.0f, kMenu, "In Game Menu"), 0);
  auto help = std::make_shared<HudButtonSmall>("", "Help", 205.0f, kHelp, "Learn About the Game");
  // A new player is invited to read the help until they have opened it once.
  help->setPulsing(true);
  helpButtonSlot() = help;
  hud->addComponent(help, 0);
  hud->addComponent(std::make_shared<HudButtonSmall>("", "Units", 407.0f, kUnits, "Place/Modify Units (U)"), 0);
  hud->addComponent(std::make_shared<HudButtonSmall>("", "Erase", 587.0f, kErase, "Erase Units (E)"), 0);
  hud->addComponent(std::make_shared<HudButtonSmall>("", "Terrain", 767.0f, kTerrain, "Modify Terrain (T)"), 0);
  hud->addComponent(std::make_shared<HudButtonSmall>("", "World", 947.0f, kWorld, "World Options (O)"), 0);
  const struct {
    const char* icon;
    float x;
    int id;
    const char* tooltip;
  } speeds[] = {
      {"Symbol Button Small Very Short Pause.png", 1149.0f, kPause, "Pause Game (0 or P)"},
      {"Symbol Button Small Very Short Arrow 1.png", 1237.0f, kSpeed1, "Normal Speed (1)"},
      {"Symbol Button Small Very Short Arrow 2.png", 1325.0f, kSpeed2, "Faster Speed (2)"},
      {"Symbol Button Small Very Short Arrow 3.png", 1413.0f, kSpeed3, "Very Fast Speed (3)"},
  };
  for (const auto& s : speeds)
    hud->addComponent(std::make_shared<HudButtonSmallVeryShort>(s.icon, "", s.x, -3.0f, s.id, s.tooltip, kTooltipBelow),
                      1);
  return hud;
}

// A tool panel standing on the bottom edge of the interface, centred.
std::shared_ptr<Hud> bottomPanel(float width, float height) {
  auto hud = std::make_shared<Hud>();
  auto image = std::make_shared<ImageHudBottom>(width, height);
  const float shownWidth = image->displayWidth > 0.0f ? image->displayWidth : width + 24.0f;
  const float shownHeight = image->displayHeight > 0.0f ? image->displayHeight : height;
  hud->background = image;
  hud->setPositionPx(-std::floor(shownWidth / 2.0f), shownHeight - 540.0f);
  return hud;
}

// 200 steps between the ends; the value is shown by the knob alone.
std::shared_ptr<HudSlider> sizeStyleSlider(float x, float y, const char* label, int id, float labelShift) {
  std::vector<std::string> labels(201);
  std::vector<float> values(201);
  for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<float>(i) / 200.0f;
  return std::make_shared<HudSlider>(x, y, label, id, "", std::move(labels), std::move(values), true, 0, labelShift);
}

float sliderPosition(float value, float lo, float hi) { return (value - lo) / (hi - lo); }

// A "-" button, a "+" button and the slider they nudge, on one panel row; the
// eraser and terrain panels share the layout. Returns the slider.
std::shared_ptr<HudSlider> addStepperRow(Hud& panel, float x, float y, const char* label, int minusId, int plusId,
                                         int sliderId, const char* minusTip, const char* plusTip, float labelShift) {
  panel.addComponent(std::make_shared<HudButtonSmallVeryShort>("", "-", x, y, minusId, minusTip, kTooltipAbove), 0);
  panel.addComponent(std::make_shared<HudButtonSmallVeryShort>("", "+", x + 88.0f, y, plusId, plusTip, kTooltipAbove),
                     0);
  auto slider = sizeStyleSlider(x + 176.0f, y - 7.0f, label, sliderId, labelShift);
  panel.addComponent(slider, 0);
  return slider;
}

Scene* toolScene(int toolMode) {
  GameScenes& g = gameScenes();
  switch (toolMode) {
    case kEraserTool: return g.eraser.get();
    case kTerrainTool: return g.terrain.get();
    case kWorldColoursTool: return g.worldColors.get();
    default: return nullptr;
  }
}

}  // namespace

// ---------------------------------------------------------------- speed and tools

int tophud::speedIndexOf(bool paused, float timeScale) {
  if (paused) return 0;
  if (timeScale >= 20.0f) return 3;
  if (timeScale >= 5.0f) return 2;
  return 1;
}

void setGameSpeed(int index) {
  if (index < 0 || index > 3) return;
  World::shared().setGameSpeed(index);
  if (const auto hud = topHudSlot().lock()) hud->setSelected(1, index);
}

// Whether a switch to target is still needed: not when it is already on its
// way, nor when it is showing and staying. A scene that is showing while another
// one is asked for is asked for again, so a quick second key press wins.
static bool switchNeeded(Scene* target) {
  const SceneSwitcher& sw = switcher();
  if (!target || sw.requested() == target) return false;
  return sw.current() != target || sw.requested() != nullptr;
}

void toggleTool(int toolMode) {
  if (toolMode < kEraserTool || toolMode > kWorldColoursTool) return;
  World& w = World::shared();
  if (w.toolMode == toolMode) {
    w.toolMode = kNoTool;
    Scene* bar = gameScenes().topHud.get();
    if (switchNeeded(bar)) requestScene(bar, 2);
    return;
  }
  w.toolMode = toolMode;
  // A missing scene (a reduced set in tools and tests) leaves just the mode set.
  Scene* target = toolScene(toolMode);
  if (switchNeeded(target)) requestScene(target, 1);
}

// ---------------------------------------------------------------- top bar

SceneGameplayWithTopHud::SceneGameplayWithTopHud() : SceneGameplayWithTopHud("Gameplay With Top Hud") {
  logLoaded();
}

SceneGameplayWithTopHud::SceneGameplayWithTopHud(std::string name) : SceneGameplay(std::move(name), false) {
  std::shared_ptr<Hud> hud = topHudSlot().lock();
  if (!hud) {
    hud = buildTopHud();
    topHudSlot() = hud;
  }
  addHud(hud);
  World& w = World::shared();
  hud->setSelected(1, tophud::speedIndexOf(w.paused, w.timeScale));
  addTransitionIn(steps::FadeIn, 0);
  addTransitionOut(steps::FadeOut, 0);
  addTransitionOut(steps::Hidden, 0);
  addTransitionIn(steps::FadeIn, 1);
  addTransitionOut(steps::Instant, 1);
  addTransitionIn(steps::Instant, 2);
  addTransitionOut(steps::FadeOut, 2);
}

Hud& SceneGameplayWithTopHud::topHud() { return *topHudSlot().lock(); }
bool SceneGameplayWithTopHud::topHudExists() { return !topHudSlot().expired(); }

void SceneGameplayWithTopHud::syncSpeedButtons() {
  const auto hud = topHudSlot().lock();
  if (!hud) return;
  const World& w = World::shared();
  const int index = tophud::speedIndexOf(w.paused, w.timeScale);
  if (hud->layer(1).selected != index) hud->setSelected(1, index);
}

bool SceneGameplayWithTopHud::update(float dt) {
  syncSpeedButtons();
  return SceneGameplay::update(dt);
}

bool SceneGameplayWithTopHud::handleCommand(int id) {
  using namespace tophud;
  switch (id) {
    case kErase: toggleTool(kEraserTool); return true;
    case kTerrain: toggleTool(kTerrainTool); return true;
    case kWorld: toggleTool(kWorldColoursTool); return true;
    case kPause: case kSpeed1: case kSpeed2: case kSpeed3: setGameSpeed(id - kPause); return true;
    default: return false;
  }
}

void SceneGameplayWithTopHud::setHelpPulsing(bool on) {
  if (const auto help = helpButtonSlot().lock()) help->setPulsing(on);
}
void SceneGameplayWithTopHud::stopHelpPulsing() { setHelpPulsing(false); }
bool SceneGameplayWithTopHud::helpPulsing() const {
  const auto help = helpButtonSlot().lock();
  return help && help->pulsing;
}

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

// ---------------------------------------------------------------- world colours

SceneGameplayWithTopHudAndWorldColorsHud::SceneGameplayWithTopHudAndWorldColorsHud()
    : SceneGameplayWithTopHud("Gameplay With Top Hud And World Colors Hud"),
      panel_(bottomPanel(kPanelWidth, kPanelHeight)) {
  const char* titles[4] = {"Sky Color", "Land Color", "Water Color", "Cloud Color"};
  for (int row = 0; row < 4; ++row)
    panel_->addComponent(std::make_shared<HudTextStatic>(104.0f, -24.0f - 54.0f * static_cast<float>(row), titles[row], 33),
                         2);
  for (int row = 0; row < 4; ++row)
    for (int k = 0; k < kPaletteSize; ++k) {
      auto box = std::make_shared<HudCheckbox>(338.0f + 36.0f * static_cast<float>(k),
                                               -19.0f - 54.0f * static_cast<float>(row), kRowFirstId[row] + k, true, "",
                                               true, kPalette[static_cast<size_t>(k)].colour);
      panel_->addComponent(box, 3 + row);
    }
  panel_->addComponent(
      std::make_shared<HudPopupMessage>("World Options...\n-Change the colors for different parts of the world", 33.0f,
                                        -105.0f),
      7);
  addHud(panel_);
  logLoaded();
}

bool SceneGameplayWithTopHudAndWorldColorsHud::swatchOf(int id, int& row, int& index) {
  for (int r = 0; r < 4; ++r)
    if (id >= kRowFirstId[r] && id < kRowFirstId[r] + kPaletteSize) {
      row = r;
      index = id - kRowFirstId[r];
      return true;
    }
  return false;
}

HudCheckbox& SceneGameplayWithTopHudAndWorldColorsHud::swatch(int row, int index) {
  return static_cast<HudCheckbox&>(*panel_->layer(3 + row).components.at(static_cast<size_t>(index)));
}

void SceneGameplayWithTopHudAndWorldColorsHud::applyColours(int id, bool press) {
  World& w = World::shared();
  int hoverRow = -1, hoverIndex = -1;
  swatchOf(id, hoverRow, hoverIndex);
  for (int row = 0; row < 4; ++row) {
    int& checked = w.colours.checkedSwatch[row];
    // A save from elsewhere may name a swatch that does not exist: treat it as none.
    if (checked < -1 || checked >= kPaletteSize) checked = -1;
    if (row == hoverRow) {
      w.colours.row[row] = kPalette[static_cast<size_t>(hoverIndex)].colour;
      if (press) {
        if (checked != hoverIndex) w.unsavedChanges = true;
        checked = hoverIndex;
      }
    } else {
      w.colours.row[row] = checked >= 0 ? kPalette[static_cast<size_t>(checked)].colour : Colour{1, 1, 1, 1};
    }
    for (int k = 0; k < kPaletteSize; ++k) swatch(row, k).checked = k == checked;
    HudLayer& layer = panel_->layer(3 + row);
    if (layer.selected != checked) panel_->setSelected(3 + row, checked);
  }
  w.applyWorldColours();
}

int SceneGameplayWithTopHudAndWorldColorsHud::mouse(float x, float y, int action) {
  const int result = SceneGameplayWithTopHud::mouse(x, y, action);
  applyColours(result, action == kMousePress);
  int row = 0, index = 0;
  return swatchOf(result, row, index) ? 0 : result;
}

void SceneGameplayWithTopHudAndWorldColorsHud::onBecameCurrent() { applyColours(0, false); }

}  // namespace qv
