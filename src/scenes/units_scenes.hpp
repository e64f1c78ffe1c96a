#pragma once
#include <array>
#include <memory>
#include <vector>

#include "core/colour.hpp"
#include "core/vecmath.hpp"
#include "scenes/scene_gameplay.hpp"
#include "scenes/top_hud_scenes.hpp"
#include "units/unit_template.hpp"

namespace qv {

class Hud;
class HudButton;
class HudButtonUnit3DTemplate;
class HudCheckbox;
class HudComponent;
class HudImageUnit3DTemplate;
class HudSlider;
class HudTextStatic;
class HudTextDynamic;
class World;

// What the units screens share with the rest of the game.
struct UnitsScreenState {
  // Held with the period key: placed units leave the template's next colours alone.
  bool keepColours = false;
  // Assigned-list index the delete dialog asks about; -1 when none.
  int templateToDelete = -1;
};
UnitsScreenState& unitsScreenState();
inline bool placementKeepsColours() { return unitsScreenState().keepColours; }

// The unit about to be placed, as the world view shows it: where, whether it
// may stand there, and the ground colour it would paint.
struct PlacementPreview {
  bool shown = false;
  bool valid = false;
  Vec3 point{};
  bool groundPreview = false;
  Colour groundColour{1, 1, 1, 1};  // already lifted towards white
};
// Decides the preview for this frame and records the placement point and
// whether it is shown in the world (clicks place there). Needs no window.
PlacementPreview decidePlacementPreview(World& world, bool frozen);
// Gameplay draw, before the terrain: decides the preview, tells the terrain
// about the ground-colour ring and draws the template's model (red when the
// spot is not allowed).
void drawPlacementPreview(World& world, bool frozen);

// The shared page of 63 template buttons (units screen and chooser): 21 per
// page in 7 columns and 3 rows.
inline constexpr int kTemplateButtonCount = 63;
inline constexpr int kTemplatesPerPage = 21;
Vec2 templateButtonPosition(int k);

// ---------------------------------------------------------------- placement panel
class SceneGameplayWithTopHudAndUnitPlacementHud : public SceneGameplayWithTopHud {
 public:
  static constexpr int kFirstArrow = 3101;  // 3101..3106: primary -/+, secondary -/+, ground -/+
  SceneGameplayWithTopHudAndUnitPlacementHud();

  bool handleCommand(int id) override;
  void onBecameCurrent() override;
  // The colour keys C, V, B, N, M and comma (0..5), acting while this scene is current.
  void colourStep(int key);
  // The period key.
  void setKeepColour(bool held);
  // part 1 primary, 2 secondary, 3 ground; direction -1 or +1; on the selected template.
  void cycleNextColour(int part, int direction);
  // Which colour rows the selected template can change.
  void refreshPlacementPanel();

  Hud& panel() { return *panel_; }
  // Row r (0 primary, 1 secondary, 2 ground): its text and two arrows.
  HudTextStatic& rowText(int r) { return *rowTexts_[static_cast<size_t>(r)]; }
  HudButton& arrow(int i) { return *arrows_[static_cast<size_t>(i)]; }

 private:
  std::shared_ptr<Hud> panel_;
  std::array<std::shared_ptr<HudTextStatic>, 3> rowTexts_;
  std::array<std::shared_ptr<HudButton>, 6> arrows_;
};

// ---------------------------------------------------------------- units screen
class SceneGameplayWithUnitsHud : public SceneGameplay {
 public:
  static constexpr int kBack = 2201, kPlaceMode = 2202, kEditMode = 2203, kDeleteMode = 2204, kAdd = 2205;
  static constexpr int kFirstTemplate = 2231;
  enum Mode : int { kPlace = 0, kEdit = 1, kDelete = 2 };

  SceneGameplayWithUnitsHud();
  void onBecameCurrent() override;
  bool handleCommand(int id) override;

  // Button k shows template k of the assigned list, disabled past its end.
  void refreshTemplateButtons();
  // The default set, when the world knows no templates at all.
  static void ensureTemplatesExist(World& world);
  int mode() const;
  void setMode(int mode);
  int page() const;
  void showPage(int page);
  HudButtonUnit3DTemplate& templateButton(int k) { return *buttons_[static_cast<size_t>(k)]; }
  Hud& hud() { return *hud_; }

 private:
  void pressTemplate(int k);
  std::shared_ptr<Hud> hud_;
  std::vector<std::shared_ptr<HudButtonUnit3DTemplate>> buttons_;
};

// ---------------------------------------------------------------- template editor
class SceneGameplayWithEditUnitHud : public SceneGameplay {
 public:
  static constexpr int kBack = 2301, kSave = 2302, kChangeModel = 2303;
  static constexpr int kEatsAdd = 2305, kEatsRemove = 2306, kHabitatAdd = 2307, kHabitatRemove = 2308;
  static constexpr int kBreedsBox = 2310;
  static constexpr int kFirstPrimarySwatch = 2320, kFirstSecondarySwatch = 2340, kFirstGroundSwatch = 2360;
  static constexpr int kFirstEatsSlot = 2380, kFirstHabitatSlot = 2390;
  static constexpr int kSlotCount = 3;
  // The sliders, in the order they are laid out.
  enum Slider : int {
    kSize, kColourGround, kMoveSpeed, kMoveAnimation,  // page 1
    kLandOrWater, kLifespan, kHealth, kDamage, kHunger, kBreedFrequency, kBreedAmount, kSleeps,  // page 2
    kSliderCount
  };
  enum Box : int { kFloats, kBreeds, kStartsAsBaby, kClimbs, kBoxCount };
  enum ColourRow : int { kPrimaryRow, kSecondaryRow, kGroundRow, kColourRowCount };
  enum PendingList : int { kEats = 0, kHabitat = 1 };

  SceneGameplayWithEditUnitHud();
  bool handleCommand(int id) override;
  int mouse(float x, float y, int action) override;

  // Copies the template into the controls and pending lists and shows page 1.
  void loadIntoEditor(const TemplatePtr& t, bool isNew);
  // Writes every row (and a pending model change) into the template.
  void applyEditor(Unit3DTemplate& t);
  // The row dependencies; runs after every mouse event.
  void enableRows();
  // Save: apply, assign a new template, repaint the ground, back to the units screen.
  void save();
  // Back: forget the pending values.
  void discard();

  // The chooser's results.
  void setPendingModel(const TemplatePtr& modelSource);
  void addPending(int list, const TemplatePtr& t);
  // "-" then a slot: takes the slot's template out of the pending list.
  void removePendingAt(int list, int slot);
  void setRemoveMode(int list);  // -1 none
  int removeMode() const { return removeMode_; }

  const TemplatePtr& edited() const { return edited_; }
  bool editingNew() const { return isNew_; }
  const TemplatePtr& pendingModel() const { return pendingModel_; }
  const std::vector<TemplatePtr>& pending(int list) const { return pending_[static_cast<size_t>(list)]; }
  // The template the preview draws: the pending model and colours.
  const TemplatePtr& previewTemplate() const { return preview_; }

  HudSlider& slider(int s) { return *sliders_[static_cast<size_t>(s)]; }
  HudCheckbox& box(int b) { return *boxes_[static_cast<size_t>(b)]; }
  HudCheckbox& swatch(int row, int i) { return *swatches_[static_cast<size_t>(row)][static_cast<size_t>(i)]; }
  HudButton& listButton(int id);
  HudButtonUnit3DTemplate& slotButton(int list, int slot) {
    return *slotButtons_[static_cast<size_t>(list)][static_cast<size_t>(slot)];
  }
  HudImageUnit3DTemplate& slotImage(int list, int slot) {
    return *slotImages_[static_cast<size_t>(list)][static_cast<size_t>(slot)];
  }
  HudImageUnit3DTemplate& previewImage() { return *previewImage_; }
  HudTextStatic& rowText(int which) { return *texts_[static_cast<size_t>(which)]; }
  Hud& hud() { return *hud_; }
  // Selected index of a slider as the template stores it (Breed Amount adds one).
  int sliderIndex(int s) const;
  void setSliderIndex(int s, int index);
  // A swatch press: toggles are done by the swatch; this keeps the row from going empty.
  void swatchPressed(int row, int i);

  enum TextRow : int { kPrimaryText, kSecondaryText, kEatsText, kHabitatText, kFloatsText, kBreedsText,
                       kBabyText, kClimbsText, kTextCount };

 private:
  void refreshSlots();
  void refreshPreview(int hoverRow, int hoverSwatch);
  void checkedColours(int row, std::vector<Colour>& out) const;
  const Model3D* pendingModelShape() const;

  std::shared_ptr<Hud> hud_;
  std::array<std::shared_ptr<HudSlider>, kSliderCount> sliders_;
  std::array<std::shared_ptr<HudCheckbox>, kBoxCount> boxes_;
  std::array<std::array<std::shared_ptr<HudCheckbox>, 14>, kColourRowCount> swatches_;
  std::array<std::array<std::shared_ptr<HudButtonUnit3DTemplate>, kSlotCount>, 2> slotButtons_;
  std::array<std::array<std::shared_ptr<HudImageUnit3DTemplate>, kSlotCount>, 2> slotImages_;
  std::array<std::shared_ptr<HudButton>, 4> listButtons_;  // eats +, eats -, habitat +, habitat -
  std::array<std::shared_ptr<HudTextStatic>, kTextCount> texts_;
  std::shared_ptr<HudImageUnit3DTemplate> previewImage_;

  TemplatePtr edited_;
  bool isNew_ = false;
  TemplatePtr pendingModel_;
  std::array<std::vector<TemplatePtr>, 2> pending_;
  // A row the player changed is written back from its swatches; an untouched
  // one keeps the template's own list (which may hold colours off the palette).
  std::array<bool, kColourRowCount> rowTouched_{};
  int removeMode_ = -1;
  TemplatePtr preview_;
};

// ---------------------------------------------------------------- chooser
class SceneGameplayWithSelectModelHud : public SceneGameplay {
 public:
  static constexpr int kBack = 2401, kFirstEntry = 2421;
  enum Purpose : int { kNewUnit = 0, kChangeModel = 1, kAddEats = 2, kAddHabitat = 3 };

  SceneGameplayWithSelectModelHud();
  void onBecameCurrent() override;
  bool handleCommand(int id) override;

  // Opens for a purpose; the entries leave out the templates in `exclude`.
  void open(int purpose, Scene* returnTo, std::vector<TemplatePtr> exclude);
  void rebuildEntries();
  int purpose() const { return purpose_; }
  Scene* returnScene() const { return returnTo_; }
  const std::vector<TemplatePtr>& entries() const { return entries_; }
  HudButtonUnit3DTemplate& entryButton(int k) { return *buttons_[static_cast<size_t>(k)]; }
  Hud& hud() { return *hud_; }
  void showPage(int page);
  int page() const;
  // The line above the grid saying what a pick will do.
  static const char* captionFor(int purpose);

 private:
  std::shared_ptr<Hud> hud_;
  std::shared_ptr<HudTextDynamic> caption_;
  std::vector<std::shared_ptr<HudButtonUnit3DTemplate>> buttons_;
  std::vector<TemplatePtr> entries_;
  std::vector<TemplatePtr> exclude_;
  int purpose_ = kNewUnit;
  Scene* returnTo_ = nullptr;
};

// ---------------------------------------------------------------- delete question
class SceneGameplayWithDeleteUnit : public SceneGameplay {
 public:
  static constexpr int kCancel = 2501, kDelete = 2502;
  SceneGameplayWithDeleteUnit();
  bool handleCommand(int id) override;
  // Deletes the marked template with its units; false when nothing valid was marked.
  bool deleteMarked();
};

}  // namespace qv
