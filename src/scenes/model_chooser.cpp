#include "scenes/model_chooser.hpp"

#include "scenes/game_scenes.hpp"
#include "scenes/scene_helpers.hpp"
#include "ui/hud.hpp"
#include "ui/template_preview.hpp"
#include "units/world.hpp"

namespace qv {

SceneGameplayWithSelectModelHud::SceneGameplayWithSelectModelHud()
    : SceneGameplay("Gameplay With Select Model Hud", true) {
  hud_ = centredUnitsPanel(1570.0f, 732.0f);
  hud_->addComponent(std::make_shared<HudButtonLargeShort>("Back", 55.0f, -837.0f, kBack), 0);
  caption_ = std::make_shared<HudTextDynamic>(64.0f, -40.0f, captionFor(kNewUnit), 37, schemeColour(1));
  hud_->addComponent(caption_, 0);
  for (int p = 0; p < 3; ++p)
    hud_->addComponent(
        std::make_shared<HudButtonPageSelect>("", std::to_string(p + 1), 301.0f + 111.0f * static_cast<float>(p), -837.0f, p + 1),
        1);
  buttons_.reserve(kTemplateButtonCount);
  for (int k = 0; k < kTemplateButtonCount; ++k) {
    const Vec2 at = templateButtonPosition(k);
    buttons_.push_back(std::make_shared<HudButtonUnit3DTemplate>(at.x, at.y, kFirstEntry + k, nullptr));
    hud_->addComponent(buttons_.back(), 2 + k / kTemplatesPerPage);
  }
  usePages(*hud_, 2);
  addHud(hud_);
  standardTransitions(*this);
  rebuildEntries();
  logLoaded();
}

const char* SceneGameplayWithSelectModelHud::captionFor(int purpose) {
  switch (purpose) {
    case kChangeModel: return "Choose a new model for this unit";
    case kAddEats: return "Choose a unit for it to eat";
    case kAddHabitat: return "Choose a unit for it to live near";
    default: return "Choose a model for the new unit";
  }
}

void SceneGameplayWithSelectModelHud::open(int purpose, Scene* returnTo, std::vector<TemplatePtr> exclude) {
  purpose_ = std::clamp(purpose, static_cast<int>(kNewUnit), static_cast<int>(kAddHabitat));
  caption_->setText(captionFor(purpose_));
  returnTo_ = returnTo;
  exclude_ = std::move(exclude);
  showPage(0);
  rebuildEntries();
}

void SceneGameplayWithSelectModelHud::onBecameCurrent() { rebuildEntries(); }

void SceneGameplayWithSelectModelHud::rebuildEntries() {
  const TemplateLists& lists = World::shared().templates;
  const bool models = purpose_ == kNewUnit || purpose_ == kChangeModel;
  entries_.clear();
  for (int n = 0; n < kTemplateButtonCount; ++n) {
    TemplatePtr t = models ? lists.nthUnassignedNotIn(n, exclude_) : lists.nthAssignedNotIn(n, exclude_);
    if (!t) break;
    entries_.push_back(std::move(t));
  }
  for (int k = 0; k < kTemplateButtonCount; ++k) {
    HudButtonUnit3DTemplate& b = *buttons_[static_cast<size_t>(k)];
    const TemplatePtr t = static_cast<size_t>(k) < entries_.size() ? entries_[static_cast<size_t>(k)] : nullptr;
    b.preview.setTemplate(t);
    b.setState(t ? kStateActive : kStateDisabled);
  }
}

int SceneGameplayWithSelectModelHud::page() const { return hud_->currentPage; }
void SceneGameplayWithSelectModelHud::showPage(int p) { showPageOf(*hud_, p); }

bool SceneGameplayWithSelectModelHud::handleCommand(int id) {
  GameScenes& g = gameScenes();
  if (id == kBack) {
    requestScene(returnTo_ ? returnTo_ : static_cast<Scene*>(g.units.get()), 0);
    return true;
  }
  if (id >= 1 && id <= 3) {
    showPage(id - 1);
    return true;
  }
  if (id < kFirstEntry || id >= kFirstEntry + kTemplateButtonCount) return false;
  const size_t k = static_cast<size_t>(id - kFirstEntry);
  if (k >= entries_.size()) return true;
  const TemplatePtr t = entries_[k];
  SceneGameplayWithEditUnitHud* editor = g.editUnit.get();
  if (editor) {
    switch (purpose_) {
      case kNewUnit: editor->loadIntoEditor(t, true); break;
      case kChangeModel: editor->setPendingModel(t); break;
      case kAddEats: editor->addPending(SceneGameplayWithEditUnitHud::kEats, t); break;
      default: editor->addPending(SceneGameplayWithEditUnitHud::kHabitat, t); break;
    }
  }
  requestScene(editor, 0);
  return true;
}

}  // namespace qv
