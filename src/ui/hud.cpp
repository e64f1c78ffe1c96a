#include "ui/hud.hpp"

#include <algorithm>

namespace qv {

// ---------------------------------------------------------------- Hud

void Hud::addComponent(std::shared_ptr<HudComponent> component, int layerIndex) {
  if (!component || layerIndex < 0) return;
  while (static_cast<int>(layers.size()) <= layerIndex) layers.emplace_back();
  HudLayer& l = layers[static_cast<size_t>(layerIndex)];
  l.components.push_back(std::move(component));
  if (results_.size() < l.components.size()) results_.resize(l.components.size());
}

void Hud::addComponent(HudComponent& component, int layerIndex) {
  addComponent(std::shared_ptr<HudComponent>(&component, [](HudComponent*) {}), layerIndex);
}

int Hud::mouse(float x, float y, int action) {
  int result = 0;
  int layer1Hit = -1;
  for (size_t li = 0; li < layers.size(); ++li) {
    HudLayer& l = layers[li];
    if (!l.visible) continue;
    const int count = static_cast<int>(l.components.size());
    if (results_.size() < l.components.size()) results_.resize(l.components.size());  // layers edited directly
    if (l.selected >= 0 && l.selected < count) l.components[static_cast<size_t>(l.selected)]->setHighlighted(true);

    // Ask everyone first: whether the selected one keeps its highlight depends on the others.
    bool otherHit = false;
    for (int ci = 0; ci < count; ++ci) {
      HudComponent& c = *l.components[static_cast<size_t>(ci)];
      const int r = c.mouse(x, y, action);
      const bool hit = r > 0 && (c.state == kStateActive ||
                                 (c.clickWhenDisabled && (action == kMouseMove || action == kMouseDrag)));
      results_[static_cast<size_t>(ci)] = hit ? r : 0;
      if (hit && ci != l.selected) otherHit = true;
    }
    for (int ci = 0; ci < count; ++ci) {
      HudComponent& c = *l.components[static_cast<size_t>(ci)];
      const int r = results_[static_cast<size_t>(ci)];
      if (r > 0) {
        c.setHighlighted(true);
        result = r;
        if (li > 0 && ci != l.selected) {
          if (l.selected >= 0 && l.selected < count)
            l.components[static_cast<size_t>(l.selected)]->setHighlighted(false);
          if (action == kMousePress) {
            for (size_t lj = static_cast<size_t>(std::max(firstPageLayer, 0)); lj < layers.size(); ++lj)
              layers[lj].selected = -1;
            if (keepSelectionInPageLayers || static_cast<int>(li) < firstPageLayer) l.selected = ci;
          }
        }
        if (li == 1) layer1Hit = ci;
      } else {
        const bool keep = li > 0 && ci == l.selected && !otherHit;
        if (!keep) c.setHighlighted(false);
      }
    }
  }
  // Pages follow the page buttons only when one is pressed; hovering must not flip pages.
  if (pageSwitching && layer1Hit >= 0 && action == kMousePress) showPage(layer1Hit);
  return result;
}

void Hud::update(float dt) {
  for (HudLayer& l : layers)
    if (l.visible)
      for (auto& c : l.components) c->update(dt);
}

void Hud::draw(float alpha) {
  if (background) background->draw(posX, posY, alpha);
  if (captionIndex >= 0) {
    if (captionIndex < static_cast<int>(captionPictures.size()))
      captionPictures[static_cast<size_t>(captionIndex)].draw(posX, posY, alpha);
    if (captionIndex < static_cast<int>(captionTexts.size()))
      captionTexts[static_cast<size_t>(captionIndex)].draw(posX, posY, alpha);
  }
  for (HudLayer& l : layers)
    if (l.visible)
      for (auto& c : l.components) c->draw(posX, posY, alpha);
  if (!tooltipsDrawnByOwner) drawTooltips(alpha);
}

void Hud::drawTooltips(float alpha) {
  for (HudLayer& l : layers)
    if (l.visible)
      for (auto& c : l.components)
        if (!c->drawsOwnTooltip && c->state != kStateHidden) c->drawTooltip(posX, posY, alpha);
}

void Hud::setSelected(int layerIndex, int index) {
  if (layerIndex < 0 || layerIndex >= static_cast<int>(layers.size())) return;
  HudLayer& l = layers[static_cast<size_t>(layerIndex)];
  const int count = static_cast<int>(l.components.size());
  if (l.selected >= 0 && l.selected < count) l.components[static_cast<size_t>(l.selected)]->setHighlighted(false);
  l.selected = index;
  if (index >= 0 && index < count) l.components[static_cast<size_t>(index)]->setHighlighted(true);
}

void Hud::showPage(int page) {
  const int target = firstPageLayer + page;
  if (page < 0 || target >= static_cast<int>(layers.size()) || page == currentPage) return;
  for (size_t l = static_cast<size_t>(firstPageLayer); l < layers.size(); ++l) {
    const bool show = static_cast<int>(l) == target;
    // A hidden page no longer hears the mouse, so its tooltips would linger until it came back.
    if (!show && layers[l].visible)
      for (auto& c : layers[l].components) c->cancelTooltip();
    layers[l].visible = show;
  }
  currentPage = page;
}

}  // namespace qv
