#include "scenes/template_editor.hpp"

#include <algorithm>
#include <string>

#include "render/model3d.hpp"
#include "render/palette.hpp"
#include "scenes/game_scenes.hpp"
#include "scenes/scene_helpers.hpp"
#include "ui/hud.hpp"
#include "ui/template_preview.hpp"
#include "units/world.hpp"

namespace qv {

namespace {

bool contains(const std::vector<TemplatePtr>& list, const TemplatePtr& t) {
  return std::find(list.begin(), list.end(), t) != list.end();
}

// Keeps the unassigned list in templateId order after an id changed hands.
void reorderUnassigned(TemplateLists& lists, const TemplatePtr& t) {
  auto& u = lists.unassigned;
  const auto at = std::find(u.begin(), u.end(), t);
  if (at == u.end()) return;
  u.erase(at);
  const auto pos = std::find_if(u.begin(), u.end(), [&](const TemplatePtr& o) { return o->templateId > t->templateId; });
  u.insert(pos, t);
}

struct SliderRow {
  const char* label;
  float y, infoY;
  std::vector<std::string> options;
  const char* tooltip;
  int page;
  int id;
};

const std::string kClimbsTooltip =
    std::string("Can this unit climb steep slopes or does it get stopped by them?\n-The maximum angle for a slope is ") +
    std::to_string(55) + " degrees\n" + "-This only works if the unit's move speed is NOT stationary";
const std::string kColourGroundTooltip =
    std::string("Does this unit color the ground?\n-No = No\n-Primary = With it's primary color\n-Secondary") +
    " = With it's secondary color\n-Other" +
    " = With the other color below\n-This only works if the unit's move speed is stationary";

const std::vector<SliderRow>& sliderRows() {
  static const std::vector<SliderRow> rows = {
      {"Size", -119, -127, {"Tiny", "Small", "Medium", "Large", "Huge"}, "How big or small this unit is.", 0, 2311},
      {"Color Ground?", -299, -307, {"No", "Primary", "Secondary", "Other"}, nullptr, 0, 2312},
      {"Move Speed", -419, -427, {"Stationary", "Slow", "Normal", "Fast"}, "How fast or slow this unit moves.", 0, 2313},
      {"Move Animation", -479, -487, {"Slides", "Bounces", "Waddles", "Twists"},
       "Animation for when the unit moves around.\n-This only works if the unit's move speed is NOT stationary", 0,
       2314},
      {"Land or water?", -119, -127, {"Land", "Water", "Both"}, "Can this unit be on land, water, or both?", 1, 2315},
      {"Lifespan", -239, -247, {"Short", "Normal", "Long", "Infinite"}, "How long does this unit live for?", 1, 2316},
      {"Health", -299, -307, {"Low", "Normal", "High"},
       "How much health does this unit have?\n-It's health automatically increases with size, this modifies\n it "
       "beyond that\n-The higher it's health is...\n  -The more hits it can take from other units\n  -The more total "
       "food it has available for other units",
       1, 2317},
      {"Damage", -359, -367, {"Low", "Normal", "High"},
       "How much damage does this unit deal when it eats/attacks\nanother unit?\n-This doesn't change how much food "
       "this unit obtains when eating\n-This only works if the unit's move speed is NOT stationary",
       1, 2318},
      {"Hunger", -419, -427, {"Low", "Normal", "High"},
       "The rate at which this unit gets hungry?\n-This only works if the unit's move speed is NOT stationary", 1,
       2319},
      {"Breed Frequency", -539, -547, {"Low", "Normal", "High"},
       "How often does this unit breed?\n-This only works if the unit can breed", 1, 2334},
      {"Breed Amount", -599, -607, {"1", "2"},
       "How many offspring should this unit create when it breeds?\n-This only works if the unit can breed", 1, 2335},
      {"Sleeps?", -719, -727, {"Never", "Day", "Night"},
       "When does this unit sleep if ever?\n-The unit will not move, breed, or eat while sleeping\n-This only works "
       "if the unit's move speed is NOT stationary",
       1, 2336},
  };
  return rows;
}

struct TextRowInfo {
  const char* label;
  float y, infoY;
  const char* tooltip;
  int page;
};

const TextRowInfo kTextRows[SceneGameplayWithEditUnitHud::kTextCount] = {
    {"Primary Colors", -185, -187,
     "What colors the primary part of this unit can be.\n-You can pick as many colors as you want\n-Picked at random "
     "when it's created (placed or bred)",
     0},
    {"Secondary Colors", -245, -247,
     "What colors the secondary part of this unit can be.\n-Not all units have this option available\n-You can pick "
     "as many colors as you want\n-Picked at random when it's created (placed or bred)",
     0},
    {"Eats Units", -586, -588,
     "What units this unit likes to eat.\n-If no units are selected this unit won't get hungry or starve to "
     "death\n-This only works if the unit's move speed is NOT stationary",
     0},
    {"Habitat", -736, -738,
     "What units does this unit like to be around?\n-eg. If it should live in a mushroom forest, select the mushroom "
     "tree\n-This unit will stay close to these units when wandering\n-If no units are selected this unit will "
     "wander anywhere\n-This only works if the unit's move speed is NOT stationary",
     0},
    {"Floats in water?", -185, -187,
     "Does this unit float on the water's surface or stay on the bottom?\n-This only works if the unit can be in "
     "water",
     1},
    {"Breeds?", -485, -487,
     "Does this unit breed offspring from time to time?\n-This Will only happen if the following conditions are "
     "met...\n  -The population density is low enough\n  -The unit is near it's food source (if it has one)\n  -The "
     "unit is near it's habitat (if it has one)",
     1},
    {"Starts as baby?", -665, -667,
     "Does this unit start off as a baby then grow into \nan adult over time, or does it start as an adult?", 1},
    {"Climbs slopes?", -785, -787, nullptr, 1},
};

// Checkbox of each Box, and the text row it belongs to.
const struct {
  float y;
  int id;
  int text;
} kBoxes[SceneGameplayWithEditUnitHud::kBoxCount] = {
    {-180, 2337, SceneGameplayWithEditUnitHud::kFloatsText},
    {-480, SceneGameplayWithEditUnitHud::kBreedsBox, SceneGameplayWithEditUnitHud::kBreedsText},
    {-660, 2338, SceneGameplayWithEditUnitHud::kBabyText},
    {-780, 2339, SceneGameplayWithEditUnitHud::kClimbsText},
};

constexpr float kSwatchRowY[3] = {-180.0f, -240.0f, -360.0f};
constexpr int kSwatchFirstId[3] = {SceneGameplayWithEditUnitHud::kFirstPrimarySwatch,
                                   SceneGameplayWithEditUnitHud::kFirstSecondarySwatch,
                                   SceneGameplayWithEditUnitHud::kFirstGroundSwatch};
constexpr float kSlotX[3] = {436.0f, 539.0f, 642.0f};
constexpr float kSlotY[2] = {-536.0f, -686.0f};

int optionCount(int s) { return static_cast<int>(sliderRows()[static_cast<size_t>(s)].options.size()); }

}  // namespace

SceneGameplayWithEditUnitHud::SceneGameplayWithEditUnitHud() : SceneGameplay("Gameplay With Edit Unit Hud", true) {
  hud_ = centredUnitsPanel(1436.0f, 810.0f);
  hud_->addComponent(std::make_shared<HudButtonLargeShort>("Back", 55.0f, -915.0f, kBack), 0);
  hud_->addComponent(std::make_shared<HudButtonLargeShort>("Save", 1205.0f, -915.0f, kSave), 0);
  hud_->addComponent(std::make_shared<HudButtonPageSelect>("", "1", 301.0f, -915.0f, 1), 1);
  hud_->addComponent(std::make_shared<HudButtonPageSelect>("", "2", 412.0f, -915.0f, 2), 1);

  const auto& rows = sliderRows();
  for (int s = 0; s < kSliderCount; ++s) {
    const SliderRow& r = rows[static_cast<size_t>(s)];
    std::vector<float> values;
    for (size_t i = 0; i < r.options.size(); ++i) values.push_back(static_cast<float>(i));
    sliders_[static_cast<size_t>(s)] =
        std::make_shared<HudSlider>(440.0f, r.y, r.label, r.id, "", r.options, values, true, 0, 5.0f);
    hud_->addComponent(sliders_[static_cast<size_t>(s)], 2 + r.page);
    const std::string tip = r.tooltip ? std::string(r.tooltip) : kColourGroundTooltip;
    hud_->addComponent(std::make_shared<HudPopupMessage>(tip, 55.0f, r.infoY, kTooltipRight), 2 + r.page);
  }
  for (int i = 0; i < kTextCount; ++i) {
    const TextRowInfo& r = kTextRows[i];
    texts_[static_cast<size_t>(i)] = std::make_shared<HudTextStatic>(116.0f, r.y, r.label, 33, schemeColour(1));
    hud_->addComponent(texts_[static_cast<size_t>(i)], 2 + r.page);
    const std::string tip = r.tooltip ? std::string(r.tooltip) : kClimbsTooltip;
    hud_->addComponent(std::make_shared<HudPopupMessage>(tip, 55.0f, r.infoY, kTooltipRight), 2 + r.page);
  }
  for (int b = 0; b < kBoxCount; ++b) {
    boxes_[static_cast<size_t>(b)] = std::make_shared<HudCheckbox>(439.0f, kBoxes[b].y, kBoxes[b].id);
    hud_->addComponent(boxes_[static_cast<size_t>(b)], 3);
  }
  for (int row = 0; row < kColourRowCount; ++row)
    for (int i = 0; i < kPaletteSize; ++i) {
      auto sw = std::make_shared<HudCheckbox>(439.0f + 36.0f * static_cast<float>(i % 15),
                                              kSwatchRowY[row] - 36.0f * static_cast<float>(i / 15),
                                              kSwatchFirstId[row] + i, true, "", false,
                                              kPalette[static_cast<size_t>(i)].colour);
      swatches_[static_cast<size_t>(row)][static_cast<size_t>(i)] = sw;
      hud_->addComponent(sw, 2);
    }
  const int listIds[4] = {kEatsAdd, kEatsRemove, kHabitatAdd, kHabitatRemove};
  for (int i = 0; i < 4; ++i) {
    listButtons_[static_cast<size_t>(i)] = std::make_shared<HudButtonPageSelect>(
        "", (i % 2) ? "-" : "+", (i % 2) ? 840.0f : 745.0f, i < 2 ? -561.0f : -711.0f, listIds[i]);
    hud_->addComponent(listButtons_[static_cast<size_t>(i)], 2);
  }
  const int firstSlot[2] = {kFirstEatsSlot, kFirstHabitatSlot};
  for (int l = 0; l < 2; ++l)
    for (int s = 0; s < kSlotCount; ++s) {
      auto image = std::make_shared<HudImageUnit3DTemplate>(kSlotX[s] + 9.0f, kSlotY[l] - 9.0f, 85.0f, 108.0f, nullptr);
      auto button = std::make_shared<HudButtonUnit3DTemplate>(kSlotX[s], kSlotY[l], firstSlot[l] + s, nullptr, true);
      button->setState(kStateHidden);
      slotImages_[static_cast<size_t>(l)][static_cast<size_t>(s)] = image;
      slotButtons_[static_cast<size_t>(l)][static_cast<size_t>(s)] = button;
      hud_->addComponent(image, 2);
      hud_->addComponent(button, 2);
    }
  hud_->addComponent(std::make_shared<HudButtonLargeLong>("Change Model", 1025.0f, -620.0f, kChangeModel), 2);
  previewImage_ = std::make_shared<HudImageUnit3DTemplate>(1025.0f, -152.0f, 364.0f, 456.0f, nullptr);
  hud_->addComponent(previewImage_, 2);

  usePages(*hud_, 2);
  addHud(hud_);
  standardTransitions(*this);
  refreshSlots();
  enableRows();
  logLoaded();
}

HudButton& SceneGameplayWithEditUnitHud::listButton(int id) {
  const int k = id == kEatsAdd ? 0 : id == kEatsRemove ? 1 : id == kHabitatAdd ? 2 : 3;
  return *listButtons_[static_cast<size_t>(k)];
}

int SceneGameplayWithEditUnitHud::sliderIndex(int s) const {
  const int index = std::max(sliders_[static_cast<size_t>(s)]->selectedIndex(), 0);
  return s == kBreedAmount ? index + 1 : index;
}

void SceneGameplayWithEditUnitHud::setSliderIndex(int s, int index) {
  const int n = optionCount(s);
  if (s == kBreedAmount) index -= 1;
  index = std::clamp(index, 0, n - 1);
  sliders_[static_cast<size_t>(s)]->setValue(static_cast<float>(index) / static_cast<float>(n - 1));
}

void SceneGameplayWithEditUnitHud::loadIntoEditor(const TemplatePtr& t, bool isNew) {
  edited_ = t;
  isNew_ = isNew;
  pendingModel_.reset();
  removeMode_ = -1;
  rowTouched_ = {};
  pending_[kEats] = t ? t->eats : std::vector<TemplatePtr>{};
  pending_[kHabitat] = t ? t->likes : std::vector<TemplatePtr>{};
  if (t) {
    sliders_[kSize]->setValue(std::clamp((t->size - 1.0f) / 2.0f, 0.0f, 1.0f));
    setSliderIndex(kColourGround, t->colourGround);
    setSliderIndex(kMoveSpeed, t->moveSpeed);
    setSliderIndex(kMoveAnimation, t->moveAnimation);
    setSliderIndex(kLandOrWater, t->habitat);
    setSliderIndex(kLifespan, t->lifespan);
    setSliderIndex(kHealth, t->health);
    setSliderIndex(kDamage, t->damage);
    setSliderIndex(kHunger, t->hunger);
    setSliderIndex(kBreedFrequency, t->breedFrequency);
    setSliderIndex(kBreedAmount, t->breedAmount);
    setSliderIndex(kSleeps, t->sleeps);
    boxes_[kFloats]->checked = t->floatsInWater;
    boxes_[kBreeds]->checked = t->breeds;
    boxes_[kStartsAsBaby]->checked = t->startsAsBaby;
    boxes_[kClimbs]->checked = t->climbsSlopes;
    for (int row = 0; row < kColourRowCount; ++row) {
      const auto& opts = t->options(row + 1);
      for (int i = 0; i < kPaletteSize; ++i) {
        const Colour& c = kPalette[static_cast<size_t>(i)].colour;
        swatches_[static_cast<size_t>(row)][static_cast<size_t>(i)]->checked =
            std::any_of(opts.begin(), opts.end(), [&](const Colour& o) { return o.sameAs(c); });
      }
    }
  }
  showPageOf(*hud_, 0);
  preview_.reset();
  refreshSlots();
  enableRows();
}

void SceneGameplayWithEditUnitHud::checkedColours(int row, std::vector<Colour>& out) const {
  out.clear();  // keeps its capacity: the preview refreshes on every mouse move
  for (int i = 0; i < kPaletteSize; ++i)
    if (swatches_[static_cast<size_t>(row)][static_cast<size_t>(i)]->checked)
      out.push_back(kPalette[static_cast<size_t>(i)].colour);
}

void SceneGameplayWithEditUnitHud::applyEditor(Unit3DTemplate& t) {
  World& w = World::shared();
  if (pendingModel_ && pendingModel_.get() != &t) {
    t.swapModel(*pendingModel_);
    // Ids changed hands: both keep their place in the creation order of the unassigned list.
    reorderUnassigned(w.templates, pendingModel_);
    if (edited_) reorderUnassigned(w.templates, edited_);
    pendingModel_.reset();
  }
  t.size = static_cast<float>(std::max(sliders_[kSize]->selectedIndex(), 0)) * 0.5f + 1.0f;
  for (int row = 0; row < kColourRowCount; ++row)
    if (rowTouched_[static_cast<size_t>(row)]) {
      checkedColours(row, row == kPrimaryRow     ? t.primaryColourOptions
                          : row == kSecondaryRow ? t.secondaryColourOptions
                                                 : t.groundColourOptions);
    }
  t.colourGround = sliderIndex(kColourGround);
  t.moveSpeed = sliderIndex(kMoveSpeed);
  t.moveAnimation = sliderIndex(kMoveAnimation);
  t.eats = pending_[kEats];
  t.likes = pending_[kHabitat];
  t.habitat = sliderIndex(kLandOrWater);
  t.floatsInWater = boxes_[kFloats]->checked;
  t.lifespan = sliderIndex(kLifespan);
  t.health = sliderIndex(kHealth);
  t.damage = sliderIndex(kDamage);
  t.hunger = sliderIndex(kHunger);
  t.breeds = boxes_[kBreeds]->checked;
  t.breedFrequency = sliderIndex(kBreedFrequency);
  t.breedAmount = sliderIndex(kBreedAmount);
  t.startsAsBaby = boxes_[kStartsAsBaby]->checked;
  t.sleeps = sliderIndex(kSleeps);
  t.climbsSlopes = boxes_[kClimbs]->checked;
  t.recomputeHop();
  t.ensureNextColours();
}

void SceneGameplayWithEditUnitHud::save() {
  World& w = World::shared();
  if (edited_) {
    applyEditor(*edited_);
    if (!w.templates.inAll(edited_.get())) w.templates.all.push_back(edited_);
    if (isNew_ && !w.templates.isAssigned(edited_.get())) w.templates.assign(edited_);
  }
  if (w.terrain) {
    // Saving lays the whole ground again, as a new world and a load do.
    w.terrain->rebuildAll();
    w.terrain->refreshGroundColours({0.0f, 0.0f}, true, false);
  }
  w.unsavedChanges = true;
  GameScenes& g = gameScenes();
  if (g.units) g.units->refreshTemplateButtons();
  isNew_ = false;
  removeMode_ = -1;
  preview_.reset();
  requestScene(g.units.get(), 0);
}

void SceneGameplayWithEditUnitHud::discard() {
  pendingModel_.reset();
  pending_[kEats].clear();
  pending_[kHabitat].clear();
  removeMode_ = -1;
  isNew_ = false;
  preview_.reset();
  previewImage_->image.setTemplate(nullptr);
  requestScene(gameScenes().units.get(), 0);
}

void SceneGameplayWithEditUnitHud::setPendingModel(const TemplatePtr& modelSource) {
  pendingModel_ = modelSource == edited_ ? nullptr : modelSource;
  preview_.reset();
  refreshPreview(-1, -1);
  enableRows();
}

void SceneGameplayWithEditUnitHud::addPending(int list, const TemplatePtr& t) {
  if (list < 0 || list > 1 || !t) return;
  auto& p = pending_[static_cast<size_t>(list)];
  if (p.size() >= kSlotCount || contains(p, t)) return;
  p.push_back(t);
  refreshSlots();
  enableRows();
}

void SceneGameplayWithEditUnitHud::removePendingAt(int list, int slot) {
  if (list < 0 || list > 1) return;
  auto& p = pending_[static_cast<size_t>(list)];
  if (slot < 0 || slot >= static_cast<int>(p.size())) return;
  p.erase(p.begin() + slot);
  if (p.empty() && removeMode_ == list) removeMode_ = -1;
  refreshSlots();
  enableRows();
}

void SceneGameplayWithEditUnitHud::setRemoveMode(int list) {
  removeMode_ = (list == kEats || list == kHabitat) && !pending_[static_cast<size_t>(list)].empty() ? list : -1;
  refreshSlots();
}

void SceneGameplayWithEditUnitHud::refreshSlots() {
  for (int l = 0; l < 2; ++l) {
    const auto& p = pending_[static_cast<size_t>(l)];
    for (int s = 0; s < kSlotCount; ++s) {
      const TemplatePtr t = static_cast<size_t>(s) < p.size() ? p[static_cast<size_t>(s)] : nullptr;
      HudImageUnit3DTemplate& image = *slotImages_[static_cast<size_t>(l)][static_cast<size_t>(s)];
      HudButtonUnit3DTemplate& button = *slotButtons_[static_cast<size_t>(l)][static_cast<size_t>(s)];
      image.image.setTemplate(t);
      button.preview.setTemplate(t);
      const bool removing = removeMode_ == l && t;
      button.setState(removing ? kStateActive : kStateHidden);
      if (!removing) button.cancelTooltip();
      image.setState(removing ? kStateHidden : (t ? kStateActive : kStateDisabled));
    }
  }
}

const Model3D* SceneGameplayWithEditUnitHud::pendingModelShape() const {
  if (pendingModel_) return pendingModel_->model.get();
  return edited_ ? edited_->model.get() : nullptr;
}

void SceneGameplayWithEditUnitHud::refreshPreview(int hoverRow, int hoverSwatch) {
  if (!edited_) {
    previewImage_->image.setTemplate(nullptr);
    return;
  }
  const TemplatePtr& shapeOf = pendingModel_ ? pendingModel_ : edited_;
  if (!preview_ || preview_->modelFileName() != shapeOf->modelFileName()) {
    // A stand-in that only the preview draws: it must not use up a template id.
    const int32_t nextId = Unit3DTemplate::peekNextTemplateId();
    preview_ = std::make_shared<Unit3DTemplate>(shapeOf->modelFileName(), 1.0f, std::vector<Colour>{},
                                                std::vector<Colour>{}, 0, std::vector<Colour>{}, 0, 1, false, false, 0);
    Unit3DTemplate::setNextTemplateId(nextId);
  }
  for (int row = 0; row < 2; ++row) {
    std::vector<Colour>& opts = row == 0 ? preview_->primaryColourOptions : preview_->secondaryColourOptions;
    if (hoverRow == row && hoverSwatch >= 0)
      opts.assign(1, kPalette[static_cast<size_t>(hoverSwatch)].colour);
    else if (rowTouched_[static_cast<size_t>(row)])
      checkedColours(row, opts);
    else
      opts = edited_->options(row + 1);
  }
  previewImage_->image.setTemplate(preview_);
  previewImage_->image.scaleFactor = sliders_[kSize]->value * 2.0f + 1.0f;
}

void SceneGameplayWithEditUnitHud::enableRows() {
  const bool stationary = sliderIndex(kMoveSpeed) == Unit3DTemplate::kStationary;
  for (int s : {kMoveAnimation, kDamage, kHunger, kSleeps}) setActive(*sliders_[static_cast<size_t>(s)], !stationary);
  setActive(*boxes_[kClimbs], !stationary);
  setActive(*texts_[kClimbsText], !stationary);
  setActive(*sliders_[kColourGround], stationary);
  for (int l = 0; l < 2; ++l) {
    setActive(*texts_[l == 0 ? kEatsText : kHabitatText], !stationary);
    const auto n = pending_[static_cast<size_t>(l)].size();
    setActive(*listButtons_[static_cast<size_t>(2 * l)], !stationary && n < kSlotCount);
    setActive(*listButtons_[static_cast<size_t>(2 * l + 1)], !stationary && n >= 1);
    for (int s = 0; s < kSlotCount; ++s) {
      HudImageUnit3DTemplate& image = *slotImages_[static_cast<size_t>(l)][static_cast<size_t>(s)];
      if (image.state != kStateHidden) setActive(image, !stationary && static_cast<size_t>(s) < n);
      HudButtonUnit3DTemplate& button = *slotButtons_[static_cast<size_t>(l)][static_cast<size_t>(s)];
      if (button.state != kStateHidden) setActive(button, !stationary);
    }
  }
  const bool secondary = modelHasSecondary(pendingModelShape());
  setActive(*texts_[kSecondaryText], secondary);
  const bool otherGround = stationary && sliderIndex(kColourGround) == Unit3DTemplate::kGroundOther;
  for (int i = 0; i < kPaletteSize; ++i) {
    setActive(*swatches_[kSecondaryRow][static_cast<size_t>(i)], secondary);
    setActive(*swatches_[kGroundRow][static_cast<size_t>(i)], otherGround);
  }
  const bool inWater = sliderIndex(kLandOrWater) != Unit3DTemplate::kLand;
  setActive(*boxes_[kFloats], inWater);
  setActive(*texts_[kFloatsText], inWater);
  const bool breeds = boxes_[kBreeds]->checked;
  setActive(*sliders_[kBreedFrequency], breeds);
  setActive(*sliders_[kBreedAmount], breeds);
  refreshPreview(-1, -1);
}

void SceneGameplayWithEditUnitHud::swatchPressed(int row, int i) {
  if (row < 0 || row >= kColourRowCount || i < 0 || i >= kPaletteSize) return;
  rowTouched_[static_cast<size_t>(row)] = true;
  auto& swatches = swatches_[static_cast<size_t>(row)];
  const bool any = std::any_of(swatches.begin(), swatches.end(), [](const auto& s) { return s->checked; });
  if (!any) swatches[kPaletteSize - 1]->checked = true;  // white is the fallback colour
  refreshPreview(-1, -1);
}

int SceneGameplayWithEditUnitHud::mouse(float x, float y, int action) {
  const int id = SceneGameplay::mouse(x, y, action);
  if (action == kMousePress && removeMode_ >= 0) {
    const int first = removeMode_ == kEats ? kFirstEatsSlot : kFirstHabitatSlot;
    if (id < first || id >= first + kSlotCount) setRemoveMode(-1);
  }
  enableRows();
  int hoverRow = -1, hoverSwatch = -1;
  for (int row = 0; row < 2 && hoverRow < 0; ++row)
    for (int i = 0; i < kPaletteSize; ++i) {
      const HudCheckbox& s = *swatches_[static_cast<size_t>(row)][static_cast<size_t>(i)];
      if (s.highlighted && s.state == kStateActive && hud_->currentPage == 0) {
        hoverRow = row;
        hoverSwatch = i;
        break;
      }
    }
  if (hoverRow >= 0) refreshPreview(hoverRow, hoverSwatch);
  return id;
}

bool SceneGameplayWithEditUnitHud::handleCommand(int id) {
  GameScenes& g = gameScenes();
  switch (id) {
    case kBack: discard(); return true;
    case kSave: save(); return true;
    case kChangeModel: {
      std::vector<TemplatePtr> exclude;
      if (edited_) exclude.push_back(edited_);
      if (g.selectModel) g.selectModel->open(SceneGameplayWithSelectModelHud::kChangeModel, this, exclude);
      requestScene(g.selectModel.get(), 0);
      return true;
    }
    case kEatsAdd:
    case kHabitatAdd: {
      const int list = id == kEatsAdd ? kEats : kHabitat;
      if (pending_[static_cast<size_t>(list)].size() >= kSlotCount) return true;
      if (g.selectModel)
        g.selectModel->open(list == kEats ? SceneGameplayWithSelectModelHud::kAddEats
                                          : SceneGameplayWithSelectModelHud::kAddHabitat,
                            this, pending_[static_cast<size_t>(list)]);
      requestScene(g.selectModel.get(), 0);
      return true;
    }
    case kEatsRemove: setRemoveMode(kEats); return true;
    case kHabitatRemove: setRemoveMode(kHabitat); return true;
    case 1:
    case 2:
      hud_->showPage(id - 1);
      hud_->setSelected(1, id - 1);
      return true;
    default: break;
  }
  for (int row = 0; row < kColourRowCount; ++row)
    if (id >= kSwatchFirstId[row] && id < kSwatchFirstId[row] + kPaletteSize) {
      swatchPressed(row, id - kSwatchFirstId[row]);
      return true;
    }
  if (id >= kFirstEatsSlot && id < kFirstEatsSlot + kSlotCount) {
    removePendingAt(kEats, id - kFirstEatsSlot);
    return true;
  }
  if (id >= kFirstHabitatSlot && id < kFirstHabitatSlot + kSlotCount) {
    removePendingAt(kHabitat, id - kFirstHabitatSlot);
    return true;
  }
  for (const auto& r : sliderRows())
    if (id == r.id) return true;
  for (const auto& b : kBoxes)
    if (id == b.id) {
      enableRows();
      return true;
    }
  return false;
}

}  // namespace qv
