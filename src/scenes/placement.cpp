#include "scenes/placement.hpp"

#include <algorithm>

#include "render/gl.hpp"
#include "render/model3d.hpp"
#include "scenes/scene_helpers.hpp"
#include "ui/hud.hpp"
#include "units/world.hpp"

namespace qv {

namespace {

// Centred on the bottom edge like the tool panels, with its own fallback height when the picture is missing.
std::shared_ptr<Hud> placementPanelHud(float width, float height) {
  auto hud = std::make_shared<Hud>();
  auto image = std::make_shared<ImageHudBottom>(width, height);
  const float shownW = image->displayWidth > 0.0f ? image->displayWidth : width + 24.0f;
  const float shownH = image->displayHeight > 0.0f ? image->displayHeight : std::max(height - 58.0f, 0.0f) + 96.0f;
  hud->background = image;
  hud->setPositionPx(-static_cast<float>(static_cast<int>(shownW / 2)), shownH - 540.0f);
  return hud;
}

}  // namespace

PlacementPreview decidePlacementPreview(World& w, bool frozen) {
  PlacementPreview p;
  w.placementShown = false;
  if (frozen || w.toolMode != kPlacementTool || !w.terrain) return p;
  const TemplatePtr t = w.selected();
  if (!t) return p;
  if (t->habitat == Unit3DTemplate::kLand) {
    if (!w.pick.groundHit) return p;
    p.point = w.pick.groundPoint;
  } else {
    if (!w.pick.surfaceHit) return p;
    p.point = w.pick.surfacePoint;
    p.point.z = w.standingHeight(*t, p.point.x, p.point.y);
  }
  p.shown = true;
  p.valid = w.placementValid(*t, p.point);
  w.placementPoint = p.point;
  w.placementShown = true;
  if (p.valid && t->stationary() && t->coloursGround()) {
    const int part = t->colourGround == Unit3DTemplate::kGroundOther ? Unit3DTemplate::kGroundPart
                     : t->colourGround == Unit3DTemplate::kGroundSecondary ? Unit3DTemplate::kSecondaryPart
                                                                            : Unit3DTemplate::kPrimaryPart;
    p.groundPreview = true;
    p.groundColour = t->nextColour(part).lifted();
  }
  return p;
}

void drawPlacementPreview(World& w, bool frozen) {
  const PlacementPreview p = decidePlacementPreview(w, frozen);
  if (w.terrain) w.terrain->setColourGroundPreview(p.groundPreview, {p.point.x, p.point.y}, p.groundColour);
  if (!p.shown || !gl::contextReady()) return;
  const TemplatePtr t = w.selected();
  if (!t || !t->model) return;
  const CameraPose pose{w.camera.yaw, w.camera.pitch, w.camera.position};
  t->model->drawModel(pose, World::kSunPosition, w.waterColour(), w.sunColour, p.point, w.placementYaw, 0.0f, t->size,
                      t->nextPrimaryColour, t->nextSecondaryColour, !p.valid, Vec2{0.0f, 0.0f}, 1.0f, false,
                      w.camera.underWater() != input().developer.underWaterInversion);
}

SceneGameplayWithTopHudAndUnitPlacementHud::SceneGameplayWithTopHudAndUnitPlacementHud()
    : SceneGameplayWithTopHud("Gameplay With Top Hud And Unit Placement Hud") {
  panel_ = placementPanelHud(1304.0f, 64.0f);
  const char* left = "Symbol Button Small Very Short Arrow Facing Left.png";
  const char* right = "Symbol Button Small Very Short Arrow Facing Right.png";
  const struct {
    const char* text;
    float textX, leftX, rightX;
    const char* previous;
    const char* next;
  } rows[3] = {
      {"Primary Color", 103, 298, 386, "Previous Primary Color (C)", "Next PrimaryColor (V)"},
      {"Secondary Color", 505, 739, 827, "Previous Secondary Color (B)", "Next Secondary Color (N)"},
      {"Ground Color", 946, 1131, 1219, "Previous Ground Color (M)", "Next Ground Color (,)"},
  };
  for (int r = 0; r < 3; ++r) {
    rowTexts_[static_cast<size_t>(r)] = std::make_shared<HudTextStatic>(rows[r].textX, -32.0f, rows[r].text, 26);
    panel_->addComponent(rowTexts_[static_cast<size_t>(r)], 0);
    arrows_[static_cast<size_t>(2 * r)] = std::make_shared<HudButtonSmallVeryShort>(
        left, "", rows[r].leftX, -16.0f, kFirstArrow + 2 * r, rows[r].previous, kTooltipAbove);
    arrows_[static_cast<size_t>(2 * r + 1)] = std::make_shared<HudButtonSmallVeryShort>(
        right, "", rows[r].rightX, -16.0f, kFirstArrow + 2 * r + 1, rows[r].next, kTooltipAbove);
    panel_->addComponent(arrows_[static_cast<size_t>(2 * r)], 0);
    panel_->addComponent(arrows_[static_cast<size_t>(2 * r + 1)], 0);
  }
  panel_->addComponent(std::make_shared<HudPopupMessage>(
                           "Unit Placement Controls...\n-Left click to place\n-Right click to stop placing\n-Hold "
                           "period key to keep color from changing (only works if the\n unit template has more than "
                           "one color option selected)",
                           33.0f, -31.0f, kTooltipAbove),
                       0);
  addHud(panel_);
  refreshPlacementPanel();
  logLoaded();
}

bool SceneGameplayWithTopHudAndUnitPlacementHud::handleCommand(int id) {
  if (id < kFirstArrow || id > kFirstArrow + 5) return SceneGameplayWithTopHud::handleCommand(id);
  const int k = id - kFirstArrow;
  cycleNextColour(k / 2 + 1, (k % 2) ? 1 : -1);
  return true;
}

void SceneGameplayWithTopHudAndUnitPlacementHud::onBecameCurrent() {
  SceneGameplayWithTopHud::onBecameCurrent();
  refreshPlacementPanel();
}

void SceneGameplayWithTopHudAndUnitPlacementHud::colourStep(int key) {
  if (key < 0 || key > 5 || switcher().current() != this) return;
  // A key does what its arrow does, and nothing while the arrow is greyed out.
  if (arrows_[static_cast<size_t>(key)]->state != kStateActive) return;
  cycleNextColour(key / 2 + 1, (key % 2) ? 1 : -1);
}

void SceneGameplayWithTopHudAndUnitPlacementHud::setKeepColour(bool held) { unitsScreenState().keepColours = held; }

void SceneGameplayWithTopHudAndUnitPlacementHud::cycleNextColour(int part, int direction) {
  const TemplatePtr t = World::shared().selected();
  if (!t || part < 1 || part > 3) return;
  t->stepNextColour(direction < 0 ? -1 : 1, part);
}

void SceneGameplayWithTopHudAndUnitPlacementHud::refreshPlacementPanel() {
  const TemplatePtr t = World::shared().selected();
  bool rows[3] = {false, false, false};
  if (t) {
    rows[0] = t->primaryColourOptions.size() >= 2;
    rows[1] = modelHasSecondary(t->model.get()) && t->secondaryColourOptions.size() >= 2;
    rows[2] = t->colourGround == Unit3DTemplate::kGroundOther && t->stationary() && t->groundColourOptions.size() >= 2;
  }
  for (int r = 0; r < 3; ++r) {
    setActive(*rowTexts_[static_cast<size_t>(r)], rows[r]);
    setActive(*arrows_[static_cast<size_t>(2 * r)], rows[r]);
    setActive(*arrows_[static_cast<size_t>(2 * r + 1)], rows[r]);
  }
}

}  // namespace qv
