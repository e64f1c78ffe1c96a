#include "ui/hud_button.hpp"

#include <algorithm>
#include <cmath>

namespace qv {

namespace {

Colour mixColour(const Colour& a, const Colour& b, float t) {
  return {a.r * t + b.r * (1 - t), a.g * t + b.g * (1 - t), a.b * t + b.b * (1 - t), 1.0f};
}

}  // namespace

// ---------------------------------------------------------------- buttons

HudButton::HudButton(const HudButtonConfig& c)
    : hitShape(c.hitShape),
      colourScheme(c.colourScheme),
      id(c.identifier),
      highlightedPicture(c.highlightedPicture),
      plainPicture(c.plainPicture),
      hitMargin(c.hitMargin),
      clickSound(c.clickSound),
      fontSize(c.fontSize),
      labelY(c.labelY),
      faceWidth(c.faceWidth) {
  clickWhenDisabled = c.clickWhenDisabled;
  tooltipText = c.tooltip;
  tooltipSide = c.tooltipSide;
  tooltipDelay = c.tooltipDelay;
  posX = pxToUnits(c.x);
  posY = pxToUnits(c.y);
  sizeWidthPx = plainPicture.displayWidth > 0 ? plainPicture.displayWidth : hitShape.width + 2.0f * hitMargin;
  sizeHeightPx = plainPicture.displayHeight > 0 ? plainPicture.displayHeight : -hitShape.height + 2.0f * hitMargin;
  const Colour tint = schemeColour(colourScheme);
  if (!c.iconPicture.empty())
    icon.emplace(c.iconPicture, c.iconWidth, c.iconHeight, kAnchorTopLeft, pxToUnits(c.iconX), pxToUnits(c.iconY),
                 tint);
  if (!c.staticLabel) {
    dynamicLabel.emplace(fontSize, c.label, 0.0f, labelY, tint);
    dynamicLabel->setCentring(true, 12, static_cast<int>(faceWidth));
    labelText = c.label;
  } else {
    setLabel(c.label);
  }
}

void HudButton::setLabel(std::string_view text) {
  labelText.assign(text.data(), text.size());
  const Colour tint = highlighted ? kHighlightTextColour : schemeColour(colourScheme);
  // A label too long for the face (a save's date line can be anything) is cut
  // short with an ellipsis rather than running over the button's edge.
  const std::string shown = faceWidth > 12.0f ? fitTextWithEllipsis(fontSize, text, static_cast<int>(faceWidth) - 12) : std::string(text);
  if (dynamicLabel) {
    dynamicLabel->setText(shown);
    return;
  }
  if (text.empty()) {
    staticLabel.reset();
    return;
  }
  staticLabel.emplace(fontSize, shown, 0.0f, labelY, tint);
  const int spare = static_cast<int>(faceWidth) - staticLabel->width;
  const int half = spare >= 0 ? (spare + 1) / 2 : -((-spare) / 2);
  staticLabel->offsetX = pxToUnits(static_cast<float>(half + 12));
}

void HudButton::applyLabelColour(const Colour& c) {
  if (staticLabel) staticLabel->drawColour = c;
  if (dynamicLabel) dynamicLabel->colour = c;
  if (icon) icon->drawColour = c;
}

void HudButton::setHighlighted(bool on) {
  highlighted = on;
  if (on || !pulsing) applyLabelColour(on ? kHighlightTextColour : schemeColour(colourScheme));
}

void HudButton::setPulsing(bool on) {
  pulsing = on;
  resetPulse();
  if (!on) applyLabelColour(highlighted ? kHighlightTextColour : schemeColour(colourScheme));
}

void HudButton::resetPulse() {
  pulseTime = 0.0f;
  pulseValue = 1.0f;
}

void HudButton::update(float dt) {
  HudComponent::update(dt);
  if (!pulsing || state != kStateActive || pulsePeriod <= 0.0f) return;
  pulseTime = std::fmod(pulseTime + dt, pulsePeriod);
  pulseValue = std::clamp(std::fabs(2.0f * pulseTime / pulsePeriod - 1.0f), 0.0f, 1.0f);
  if (!highlighted) applyLabelColour(mixColour(kHighlightTextColour, schemeColour(colourScheme), pulseValue));
}

int HudButton::mouse(float x, float y, int action) {
  bool inside = false;
  if (state == kStateActive || (state != kStateHidden && clickWhenDisabled))
    inside = hitShape.contains(x - (unitsToPx(posX) + hitMargin), y - (unitsToPx(posY) - hitMargin));
  trackTooltip(inside);
  if (!inside) return 0;
  if (action == kMousePress && clickSound && id != 0 && uiSoundHooks().buttonClick) uiSoundHooks().buttonClick();
  return id;
}

void HudButton::draw(float x, float y, float alpha) {
  if (state < kStateActive) return;
  const float px = x + posX, py = y + posY;
  if (!highlighted && pulsing && state == kStateActive && pulsePeriod > 0.0f) {
    plainPicture.draw(px, py, alpha * (1.0f - pulseValue));
    highlightedPicture.draw(px, py, alpha * pulseValue);
  } else {
    if (state == kStateDisabled) alpha *= 0.5f;
    (highlighted ? highlightedPicture : plainPicture).draw(px, py, alpha);
  }
  if (icon) icon->draw(px, py, alpha);
  if (staticLabel) staticLabel->draw(px, py, alpha);
  if (dynamicLabel) dynamicLabel->draw(px, py, alpha);
  if (drawsOwnTooltip) drawTooltip(x, y, 1.0f);
}

namespace {

HudButtonConfig largeConfig(bool longButton) {
  HudButtonConfig c;
  const float w = longButton ? 364.0f : 182.0f;
  c.highlightedPicture = longButton ? "Button Large Long Hilighted Green.png" : "Button Large Short Hilighted Green.png";
  c.plainPicture = longButton ? "Button Large Long Not Hilighted Green.png" : "Button Large Short Not Hilighted Green.png";
  c.hitShape = HitShape::chamfered(w, -65, {{28, 0}, {0, -17}}, {{w, -57}, {w - 15, -65}});
  c.labelY = -23;
  c.faceWidth = w - 6;
  c.fontSize = 37;
  return c;
}

HudButtonConfig smallConfig(bool veryShort) {
  HudButtonConfig c;
  const float w = veryShort ? 66.0f : 158.0f;
  c.highlightedPicture = veryShort ? "Button Small Very Short Hilighted.png" : "Button Small Hilighted.png";
  c.plainPicture = veryShort ? "Button Small Very Short Not Hilighted.png" : "Button Small Not Hilighted.png";
  c.hitShape = HitShape::chamfered(w, -39, {{15, 0}, {0, -14}}, {{w, -25}, {w - 15, -39}});
  c.labelY = -16;
  c.faceWidth = w - 6;
  c.fontSize = 26;
  return c;
}

// Where a button sits and what it says; the same for every size of button.
HudButtonConfig placed(HudButtonConfig c, std::string_view label, float x, float y, int identifier,
                       std::string_view tooltip, int side, bool clickWhenDisabled) {
  c.label = label;
  c.x = x;
  c.y = y;
  c.identifier = identifier;
  c.tooltip = tooltip;
  c.tooltipSide = side;
  c.clickWhenDisabled = clickWhenDisabled;
  return c;
}

HudButtonConfig withIcon(HudButtonConfig c, std::string_view iconPicture, float iconX, float iconY) {
  c.iconPicture = iconPicture;
  c.iconX = iconX;
  c.iconY = iconY;
  return c;
}

}  // namespace

HudButtonLargeLong::HudButtonLargeLong(std::string_view label, float x, float y, int identifier,
                                       std::string_view tooltip, int side, bool staticLabel, bool cwd)
    : HudButton([&] {
        HudButtonConfig c = placed(largeConfig(true), label, x, y, identifier, tooltip, side, cwd);
        c.staticLabel = staticLabel;
        return c;
      }()) {}

HudButtonLargeShort::HudButtonLargeShort(std::string_view label, float x, float y, int identifier,
                                         std::string_view tooltip, int side, bool cwd)
    : HudButton(placed(largeConfig(false), label, x, y, identifier, tooltip, side, cwd)) {}

HudButtonPageSelect::HudButtonPageSelect(std::string_view iconPicture, std::string_view label, float x, float y,
                                         int identifier, std::string_view tooltip, bool cwd)
    : HudButton([&] {
        HudButtonConfig c;
        c.highlightedPicture = "Button Page Select Hilighted.png";
        c.plainPicture = "Button Page Select Not Hilighted.png";
        c.hitShape = HitShape::chamfered(79, -65, {{28, 0}, {0, -17}}, {{79, -57}, {64, -65}});
        c.labelY = -23;
        c.faceWidth = 73;
        c.fontSize = 37;
        return placed(withIcon(c, iconPicture, 16, -12), label, x, y, identifier, tooltip, kTooltipAbove, cwd);
      }()) {}

HudButtonSmall::HudButtonSmall(std::string_view iconPicture, std::string_view label, float x, int identifier,
                               std::string_view tooltip, bool cwd)
    : HudButton(placed(withIcon(smallConfig(false), iconPicture, 10, -10), label, x, -3, identifier, tooltip,
                       kTooltipBelow, cwd)) {}

HudButtonSmallVeryShort::HudButtonSmallVeryShort(std::string_view iconPicture, std::string_view label, float x,
                                                 float y, int identifier, std::string_view tooltip, int side,
                                                 bool cwd)
    : HudButton(placed(withIcon(smallConfig(true), iconPicture, 12, -12), label, x, y, identifier, tooltip, side,
                       cwd)) {}

HudPopupMessage::HudPopupMessage(std::string_view message, float x, float y, int side)
    : HudButton([&] {
        HudButtonConfig c;
        c.highlightedPicture = "Symbol Info.png";
        c.plainPicture = "Symbol Info.png";
        c.hitShape = HitShape::chamfered(26, -26, {{9, 0}, {0, -9}, {0, -17}, {9, -26}}, {{16, 0}, {26, -9}, {25, -17}, {16, -26}});
        c.x = x;
        c.y = y;
        c.identifier = 0;
        c.tooltip = message;
        c.tooltipSide = side;
        c.clickSound = false;
        return c;
      }()) {}

}  // namespace qv
