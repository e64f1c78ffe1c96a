#pragma once
#include <memory>

#include "core/colour.hpp"
#include "scenes/scene.hpp"

namespace qv {

class Hud;
class HudComponent;
class Image;
class Model3D;

// Shared layout helpers of the menu and dialog screens.
inline const Colour kMessageColour{0.61f, 0.99f, 0.78f, 1.0f};
// One panel centred on the interface: its top-left corner sits half its drawn
// size up and left (the asked size when the panel has no picture).
std::shared_ptr<Hud> centredPanelHud(std::shared_ptr<Image> panel, float width, float height);
// The dialogs' and units screens' panel (the units picture), centred.
std::shared_ptr<Hud> centredUnitsPanel(float width, float height);
// In FadeIn; out FadeOut then Hidden.
void standardTransitions(Scene& s);
// Pages from layer firstPageLayer on, chosen by the page buttons of layer 1;
// the first page is shown.
void usePages(Hud& hud, int firstPageLayer);
// Shows page 0..2 and marks its page button; anything else is ignored.
void showPageOf(Hud& hud, int page);
// Active or greyed out.
void setActive(HudComponent& c, bool on);
// The model has a part that takes the secondary colour.
bool modelHasSecondary(const Model3D* m);

}  // namespace qv
