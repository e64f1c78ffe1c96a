#include "scenes/scene_helpers.hpp"

#include "render/model3d.hpp"
#include "ui/hud.hpp"

namespace qv {

std::shared_ptr<Hud> centredPanelHud(std::shared_ptr<Image> panel, float width, float height) {
  auto hud = std::make_shared<Hud>();
  // A nine-slice panel is drawn larger than the size it is asked for (its
  // frame and shadow come on top), so the centre is taken from what is drawn;
  // without a picture nothing is drawn and the asked size stands in.
  const float shownW = panel && panel->displayWidth > 0.0f ? panel->displayWidth : width;
  const float shownH = panel && panel->displayHeight > 0.0f ? panel->displayHeight : height;
  hud->background = std::move(panel);
  hud->setPositionPx(-static_cast<float>(static_cast<int>(shownW / 2)), static_cast<float>(static_cast<int>(shownH / 2)));
  return hud;
}

void standardTransitions(Scene& s) {
  s.addTransitionIn(steps::FadeIn, 0);
  s.addTransitionOut(steps::FadeOut, 0);
  s.addTransitionOut(steps::Hidden, 0);
}

std::shared_ptr<Hud> centredUnitsPanel(float width, float height) {
  return centredPanelHud(std::make_shared<ImageHudUnits>(width, height), width, height);
}

void usePages(Hud& hud, int firstPageLayer) {
  hud.pageSwitching = true;
  hud.firstPageLayer = firstPageLayer;
  showPageOf(hud, 0);
}

void showPageOf(Hud& hud, int page) {
  if (page < 0 || page > 2) return;
  hud.showPage(page);
  hud.setSelected(1, page);
}

void setActive(HudComponent& c, bool on) { c.setState(on ? kStateActive : kStateDisabled); }

bool modelHasSecondary(const Model3D* m) {
  return m && m->meshes().vertexCount[static_cast<int>(ModelPart::Secondary)] > 0;
}

}  // namespace qv
