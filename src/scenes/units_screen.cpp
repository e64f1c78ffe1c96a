#include "scenes/units_screen.hpp"

#include <string>

#include "scenes/game_scenes.hpp"
#include "scenes/scene_helpers.hpp"
#include "ui/hud.hpp"
#include "ui/template_preview.hpp"
#include "units/world.hpp"

namespace qv {

UnitsScreenState& unitsScreenState() {
  static UnitsScreenState s;
  return s;
}

Vec2 templateButtonPosition(int k) {
  return {static_cast<float>((k % 7) * 214 + 55), static_cast<float>(-102 - ((k % kTemplatesPerPage) / 7) * 240)};
}

SceneGameplayWithUnitsHud::SceneGameplayWithUnitsHud() : SceneGameplay("Gameplay With Units Hud", true) {
  hud_ = centredUnitsPanel(1570.0f, 732.0f);
  hud_->addComponent(std::make_shared<HudButtonLargeShort>("Back", 55.0f, -837.0f, kBack), 0);
  for (int p = 0; p < 3; ++p)
    hud_->addComponent(
        std::make_shared<HudButtonPageSelect>("", std::to_string(p + 1), 301.0f + 111.0f * static_cast<float>(p), -837.0f, p + 1),
        1);
  hud_->addComponent(std::make_shared<HudButtonLargeShort>("Place", 665.0f, -837.0f, kPlaceMode,
                                                           "Place Mode (Click, then click on a unit to place)",
                                                           kTooltipBelow),
                     2);
  hud_->addComponent(std::make_shared<HudButtonLargeShort>("Edit", 879.0f, -837.0f, kEditMode,
                                                           "Edit Mode (Click, then click on a unit to edit)",
                                                           kTooltipBelow),
                     2);
  hud_->addComponent(std::make_shared<HudButtonLargeShort>("Delete", 1093.0f, -837.0f, kDeleteMode,
                                                           "Delete Mode (Click, then click on a unit to delete)",
                                                           kTooltipBelow),
                     2);
  hud_->addComponent(
      std::make_shared<HudButtonLargeShort>("Add", 1339.0f, -837.0f, kAdd, "Add a new unit", kTooltipBelow), 0);
  buttons_.reserve(kTemplateButtonCount);
  for (int k = 0; k < kTemplateButtonCount; ++k) {
    const Vec2 at = templateButtonPosition(k);
    buttons_.push_back(std::make_shared<HudButtonUnit3DTemplate>(at.x, at.y, kFirstTemplate + k, nullptr));
    hud_->addComponent(buttons_.back(), 3 + k / kTemplatesPerPage);
  }
  hud_->keepSelectionInPageLayers = false;
  usePages(*hud_, 3);
  hud_->setSelected(2, kPlace);
  addHud(hud_);
  standardTransitions(*this);
  // Leaving for the bare top bar with a tool still up: the screen fades out and
  // the top bar, which never went away for the player, is back at once.
  addTransitionOut(steps::FadeOut, 2);
  ensureTemplatesExist(World::shared());
  refreshTemplateButtons();
  logLoaded();
}

void SceneGameplayWithUnitsHud::ensureTemplatesExist(World& world) {
  TemplateLists& l = world.templates;
  if (l.all.empty() && l.assigned.empty() && l.unassigned.empty()) createDefaultTemplates(l);
}

void SceneGameplayWithUnitsHud::onBecameCurrent() {
  ensureTemplatesExist(World::shared());
  refreshTemplateButtons();
  setMode(kPlace);
}

void SceneGameplayWithUnitsHud::refreshTemplateButtons() {
  const auto& assigned = World::shared().templates.assigned;
  for (int k = 0; k < kTemplateButtonCount; ++k) {
    HudButtonUnit3DTemplate& b = *buttons_[static_cast<size_t>(k)];
    const bool present = static_cast<size_t>(k) < assigned.size() && assigned[static_cast<size_t>(k)];
    b.preview.setTemplate(present ? assigned[static_cast<size_t>(k)] : nullptr);
    b.setState(present ? kStateActive : kStateDisabled);
  }
}

int SceneGameplayWithUnitsHud::mode() const { return hud_->layers[2].selected; }
void SceneGameplayWithUnitsHud::setMode(int m) {
  if (m >= kPlace && m <= kDelete) hud_->setSelected(2, m);
}
int SceneGameplayWithUnitsHud::page() const { return hud_->currentPage; }
void SceneGameplayWithUnitsHud::showPage(int p) { showPageOf(*hud_, p); }

bool SceneGameplayWithUnitsHud::handleCommand(int id) {
  GameScenes& g = gameScenes();
  World& w = World::shared();
  switch (id) {
    case kBack:
      if (w.toolMode != kNoTool) {
        w.toolMode = kNoTool;
        switcher().entryCounter = 1;
        requestScene(g.topHud.get(), 2);
      } else {
        requestScene(g.topHud.get(), 0);
      }
      return true;
    case kPlaceMode: setMode(kPlace); return true;
    case kEditMode: setMode(kEdit); return true;
    case kDeleteMode: setMode(kDelete); return true;
    case kAdd:
      if (g.selectModel) g.selectModel->open(SceneGameplayWithSelectModelHud::kNewUnit, this, {});
      requestScene(g.selectModel.get(), 0);
      return true;
    case 1:
    case 2:
    case 3: showPage(id - 1); return true;  // the Hud already turned the page; this keeps direct calls in step
    default: break;
  }
  if (id >= kFirstTemplate && id < kFirstTemplate + kTemplateButtonCount) {
    pressTemplate(id - kFirstTemplate);
    return true;
  }
  return false;
}

void SceneGameplayWithUnitsHud::pressTemplate(int k) {
  GameScenes& g = gameScenes();
  World& w = World::shared();
  const auto& assigned = w.templates.assigned;
  const TemplatePtr t = static_cast<size_t>(k) < assigned.size() ? assigned[static_cast<size_t>(k)] : nullptr;
  switch (mode()) {
    case kEdit:
      if (!t) return;
      if (g.editUnit) g.editUnit->loadIntoEditor(t, false);
      requestScene(g.editUnit.get(), 0);
      return;
    case kDelete:
      if (!t) return;
      unitsScreenState().templateToDelete = k;
      requestScene(g.deleteUnit.get(), 0);
      return;
    default:
      w.selectedTemplate = k;
      w.toolMode = kPlacementTool;
      if (t) t->ensureNextColours();
      if (g.unitPlacement) g.unitPlacement->refreshPlacementPanel();
      requestScene(g.unitPlacement.get(), 0);
      return;
  }
}

}  // namespace qv
