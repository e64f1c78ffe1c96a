#include "ui/hud_text.hpp"


namespace qv {

// ---------------------------------------------------------------- texts

HudTextStatic::HudTextStatic(float x, float y, std::string_view t, int fontSize, Colour colour)
    : text(fontSize, t, x, y, colour) {
  posX = pxToUnits(x);
  posY = pxToUnits(y);
  sizeWidthPx = static_cast<float>(text.width);
  sizeHeightPx = static_cast<float>(text.height());
}

void HudTextStatic::draw(float x, float y, float alpha) {
  if (state < kStateActive) return;
  text.draw(x, y, state == kStateDisabled ? alpha * 0.5f : alpha);
}

HudTextDynamic::HudTextDynamic(float px, float py, std::string_view t, int fontSize, Colour colour)
    : text(fontSize, t, 0.0f, 0.0f, colour), x(pxToUnits(px)), y(pxToUnits(py)) {
  posX = x;
  posY = y;
}

void HudTextDynamic::draw(float dx, float dy, float alpha) {
  if (state < kStateActive) return;
  text.draw(dx + x, dy + y, state == kStateDisabled ? alpha * 0.5f : alpha);
}

}  // namespace qv
