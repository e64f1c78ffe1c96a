#pragma once
#include <array>
#include <memory>
#include <vector>

#include "core/colour.hpp"
#include "scenes/scene_gameplay.hpp"
#include "units/unit_template.hpp"

namespace qv {

class Hud;
class HudButton;
class HudButtonUnit3DTemplate;
class HudCheckbox;
class HudImageUnit3DTemplate;
class HudSlider;
class HudTextStatic;
class Model3D;

// One template's settings on two pages, with its colours, food and habitat lists and a preview.
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

}  // namespace qv
