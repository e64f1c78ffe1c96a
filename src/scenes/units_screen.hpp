#pragma once
#include <memory>
#include <vector>

#include "core/vecmath.hpp"
#include "scenes/scene_gameplay.hpp"

namespace qv {

class Hud;
class HudButtonUnit3DTemplate;
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

// The shared page of 63 template buttons (units screen and chooser): 21 per
// page in 7 columns and 3 rows.
inline constexpr int kTemplateButtonCount = 63;
inline constexpr int kTemplatesPerPage = 21;
Vec2 templateButtonPosition(int k);

// The assigned templates on three pages, and the Place, Edit, Delete and Add buttons.
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

}  // namespace qv
