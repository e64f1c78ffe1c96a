#include "ui/hud_checkbox.hpp"

#include <algorithm>

namespace qv {

// ---------------------------------------------------------------- checkboxes

HudCheckbox::HudCheckbox(float px, float py, int identifier, bool swatchStyle_, std::string_view tooltip, bool cwd,
                         Colour swatchColour)
    : x(pxToUnits(px)), y(pxToUnits(py)), hitShape(HitShape::chamfered(25, -25, {}, {})), id(identifier), swatchStyle(swatchStyle_) {
  clickWhenDisabled = cwd;
  tooltipText = tooltip;
  tooltipSide = kTooltipAbove;
  posX = x;
  posY = y;
  if (swatchStyle) {
    plainPicture = ImageRect("Checkbox Not Hilighted No Fill.png");
    highlightedPicture = ImageRect("Checkbox Hilighted No Fill.png");
    centreMark = ImageRect("Checkbox Center No Fill.png");
    swatch.emplace("White Pixel.png", 23.0f, 23.0f, kAnchorTopLeft, pxToUnits(10), pxToUnits(-10), swatchColour);
  } else {
    plainPicture = ImageRect("Checkbox Not Hilighted Blue.png");
    highlightedPicture = ImageRect("Checkbox Hilighted Blue.png");
    centreMark = ImageRect("Checkbox Center.png");
  }
  sizeWidthPx = plainPicture.displayWidth > 0 ? plainPicture.displayWidth : 43.0f;
  sizeHeightPx = plainPicture.displayHeight > 0 ? plainPicture.displayHeight : 43.0f;
}

void HudCheckbox::setSwatchColour(const Colour& c) {
  if (swatch) swatch->drawColour = c;
}

int HudCheckbox::mouse(float mx, float my, int action) {
  bool inside = false;
  if (state == kStateActive || (state != kStateHidden && clickWhenDisabled))
    inside = hitShape.contains(mx - (unitsToPx(x) + 9.0f), my - (unitsToPx(y) - 9.0f));
  trackTooltip(inside);
  if (!inside) return 0;
  if (action == kMousePress && !clickWhenDisabled) {
    if (uiSoundHooks().buttonClick) uiSoundHooks().buttonClick();
    checked = !checked;
  }
  return id;
}

void HudCheckbox::draw(float dx, float dy, float alpha) {
  if (state < kStateActive) return;
  if (state == kStateDisabled) alpha *= 0.5f;
  const float px = dx + x, py = dy + y;
  if (swatchStyle && swatch) swatch->draw(px, py, 0.9f * alpha);
  if (highlighted || checked) {
    highlightedPicture.draw(px, py, alpha);
    if (checked && !swatchStyle) centreMark.draw(px, py, alpha);
  } else {
    plainPicture.draw(px, py, alpha);
  }
  if (drawsOwnTooltip) drawTooltip(dx, dy, 1.0f);
}

HudCheckboxAndLabel::HudCheckboxAndLabel(std::string_view label, float px, float py, int identifier)
    // The box and the label stand on the component's top edge; the plate, 14
    // pixels lower, ends in its bright line just under both of them.
    : HudCheckbox(px + 56.0f, py, identifier),
      plate("Label Large Medium Not Hilighted Green.png", 0, 0, kAnchorTopLeft, pxToUnits(41), pxToUnits(-14)),
      plateHighlighted("Label Large Medium Not Hilighted Green.png", 0, 0, kAnchorTopLeft, pxToUnits(41),
                       pxToUnits(-14)),
      baseX(pxToUnits(px)),
      baseY(pxToUnits(py)) {
  labelText = ImageTextStatic(37, label, 0.0f, -3.0f, schemeColour(1));
  // Centred on the 399 pixels of the plate right of its 53-pixel inset, where the box sits.
  const int spare = 399 - labelText.width;
  const int half = spare >= 0 ? (spare + 1) / 2 : -((-spare) / 2);
  labelText.offsetX = pxToUnits(static_cast<float>(41 + 53 + half));
}

void HudCheckboxAndLabel::setHighlighted(bool on) {
  highlighted = on;
  labelText.drawColour = on ? kHighlightTextColour : schemeColour(1);
}

void HudCheckboxAndLabel::draw(float dx, float dy, float alpha) {
  if (state < kStateActive) return;
  const float a = state == kStateDisabled ? alpha * 0.5f : alpha;
  const float bx = dx + baseX, by = dy + baseY;
  (highlighted ? plateHighlighted : plate).draw(bx, by, a);
  const bool own = drawsOwnTooltip;
  drawsOwnTooltip = false;
  HudCheckbox::draw(dx, dy, alpha);
  drawsOwnTooltip = own;
  labelText.draw(bx, by, a);
  if (drawsOwnTooltip) drawTooltip(dx, dy, 1.0f);
}

}  // namespace qv
