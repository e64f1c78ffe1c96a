#include "ui/hud_component.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

namespace qv {

namespace {

// Segment test: s <= 0 keeps the point on the inner side (sign -1 for left edges, +1 for right).
bool insideEdge(const std::vector<Vec2>& pts, float dx, float dy, float sign) {
  for (size_t i = 0; i + 1 < pts.size(); ++i) {
    const Vec2 a = pts[i], b = pts[i + 1];
    if (!(a.y >= dy && dy >= b.y)) continue;
    const float s = (b.x - a.x) * (dy - b.y) - (b.y - a.y) * (dx - b.x);
    if (s * sign > 0.0f) return false;
  }
  return true;
}

}  // namespace

Colour schemeColour(int scheme) {
  switch (scheme) {
    case 0:
      return {0.99f, 0.61f, 0.78f, 1.0f};
    case 2:
      return {0.61f, 0.78f, 0.99f, 1.0f};
    default:
      return {0.61f, 0.99f, 0.78f, 1.0f};
  }
}

UiSoundHooks& uiSoundHooks() {
  static UiSoundHooks hooks;
  return hooks;
}

bool HitShape::contains(float dx, float dy) const {
  if (dx < 0.0f || dx > width || dy > 0.0f || dy < height) return false;
  return insideEdge(left, dx, dy, -1.0f) && insideEdge(right, dx, dy, 1.0f);
}

HitShape HitShape::chamfered(float w, float h, std::vector<Vec2> left, std::vector<Vec2> right) {
  HitShape s;
  s.width = w;
  s.height = h;
  s.left = std::move(left);
  s.right = std::move(right);
  return s;
}

// ---------------------------------------------------------------- tooltip box

TooltipBox::TooltipBox()
    : title(26, "", 0, 0, kHighlightTextColour), text(26, "", 0, 0, kValueTextColour) {}

void TooltipBox::setMessage(std::string_view message) {
  if (message == message_) return;
  message_.assign(message.data(), message.size());
  text.setText(message);
  frame.setSize(static_cast<float>(text.width()), static_cast<float>(text.height() - 26));
}

void TooltipBox::draw(float x, float y, float alpha) const {
  if (message_.empty()) return;
  const_cast<ImageHud3x3Resizable&>(frame).draw(x, y, alpha);
  const float tx = x - pxToUnits(std::floor(text.width() / 2.0f));
  const float ty = y + pxToUnits(std::floor((text.height() - 26) / 2.0f) + 12.0f);
  text.draw(tx, ty, alpha);
}

TooltipBox& tooltipBox() {
  static TooltipBox* box = new TooltipBox();  // lives to the end of the run
  return *box;
}

// ---------------------------------------------------------------- component base

void HudComponent::trackTooltip(bool inside) {
  if (inside) {
    if (!tooltipText.empty() && tooltipPhase == 0) {
      tooltipPhase = 1;
      hoverTime = 0.0f;
      tooltipPlaced = false;
      tooltipBox().setMessage(tooltipText);
    }
  } else if (tooltipPhase != 0) {
    tooltipPhase = 0;
    hoverTime = 0.0f;
    tooltipPlaced = false;
  }
}

void HudComponent::update(float dt) {
  if (tooltipPhase != 1) return;
  hoverTime += dt;
  if (hoverTime >= tooltipDelay) tooltipPhase = 2;
}

void HudComponent::placeTooltip(float x, float y) {
  const TooltipBox& box = tooltipBox();
  const float hw = pxToUnits(sizeWidthPx / 2), hh = pxToUnits(sizeHeightPx / 2);
  const float bw = pxToUnits(box.widthPx() / 2), bh = pxToUnits(box.heightPx() / 2);
  float cx = posX + hw, cy = posY - hh;
  switch (tooltipSide) {
    case kTooltipLeft:
      cx -= bw + hw;
      break;
    case kTooltipAbove:
      cy += bh + hh;
      break;
    case kTooltipRight:
      cx += bw + hw;
      break;
    case kTooltipBelow:
      cy -= bh + hh;
      break;
    default:
      break;
  }
  if (clampTooltip) {
    // Keep the whole box on the 1920 x 1080 design frame.
    const float halfW = box.widthPx() / 2, halfH = box.heightPx() / 2;
    const float centreXPx = unitsToPx(cx + x), centreYPx = unitsToPx(cy + y);
    if (centreXPx - halfW < -960.0f)
      cx += pxToUnits(-960.0f - (centreXPx - halfW));
    else if (centreXPx + halfW > 960.0f)
      cx -= pxToUnits(centreXPx + halfW - 960.0f);
    if (centreYPx - halfH < -540.0f)
      cy += pxToUnits(-540.0f - (centreYPx - halfH));
    else if (centreYPx + halfH > 540.0f)
      cy -= pxToUnits(centreYPx + halfH - 540.0f);
  }
  tooltipX = cx;
  tooltipY = cy;
  tooltipPlaced = true;
}

void HudComponent::drawTooltip(float x, float y, float alpha) {
  if (tooltipPhase != 2) return;
  if (!tooltipPlaced) placeTooltip(x, y);
  tooltipBox().draw(x + tooltipX, y + tooltipY, alpha);
}

}  // namespace qv
