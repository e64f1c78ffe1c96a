#pragma once
#include <memory>
#include <vector>

#include "scenes/scene_gameplay.hpp"
#include "units/unit_template.hpp"

namespace qv {

class Hud;
class HudButtonUnit3DTemplate;
class HudTextDynamic;

// A page of templates to pick from: a model for a new unit or the edited one, or a food or habitat entry.
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

}  // namespace qv
