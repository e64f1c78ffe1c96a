#include "ui/hud.hpp"

#include <algorithm>
#include <cmath>

namespace qv {
namespace {

const Colour kWhite{1.0f, 1.0f, 1.0f, 1.0f};

HitShape shape(float w, float h, std::vector<Vec2> left, std::vector<Vec2> right) {
  HitShape s;
  s.width = w;
  s.height = h;
  s.left = std::move(left);
  s.right = std::move(right);
  return s;
}

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

Colour mixColour(const Colour& a, const Colour& b, float t) {
  return {a.r * t + b.r * (1 - t), a.g * t + b.g * (1 - t), a.b * t + b.b * (1 - t), 1.0f};
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

// ---------------------------------------------------------------- tooltip box

TooltipBox::TooltipBox()
    : title(26, "", 0, 0, kWhite), text(26, "", 0, 0, kValueTextColour) {}

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
  const Colour tint = highlighted ? kWhite : schemeColour(colourScheme);
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
  if (on || !pulsing) applyLabelColour(on ? kWhite : schemeColour(colourScheme));
}

void HudButton::setPulsing(bool on) {
  pulsing = on;
  resetPulse();
  if (!on) applyLabelColour(highlighted ? kWhite : schemeColour(colourScheme));
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
  if (!highlighted) applyLabelColour(mixColour(kWhite, schemeColour(colourScheme), pulseValue));
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
  c.hitShape = shape(w, -65, {{28, 0}, {0, -17}}, {{w, -57}, {w - 15, -65}});
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
  c.hitShape = shape(w, -39, {{15, 0}, {0, -14}}, {{w, -25}, {w - 15, -39}});
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
        c.hitShape = shape(79, -65, {{28, 0}, {0, -17}}, {{79, -57}, {64, -65}});
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
        c.hitShape = shape(26, -26, {{9, 0}, {0, -9}, {0, -17}, {9, -26}}, {{16, 0}, {26, -9}, {25, -17}, {16, -26}});
        c.x = x;
        c.y = y;
        c.identifier = 0;
        c.tooltip = message;
        c.tooltipSide = side;
        c.clickSound = false;
        return c;
      }()) {}

// ---------------------------------------------------------------- checkboxes

HudCheckbox::HudCheckbox(float px, float py, int identifier, bool swatchStyle_, std::string_view tooltip, bool cwd,
                         Colour swatchColour)
    : x(pxToUnits(px)), y(pxToUnits(py)), hitShape(shape(25, -25, {}, {})), id(identifier), swatchStyle(swatchStyle_) {
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
  labelText.drawColour = on ? kWhite : schemeColour(1);
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

// ---------------------------------------------------------------- slider

HudSlider::HudSlider(float px, float py, std::string_view label, int identifier, std::string_view tooltip,
                     std::vector<std::string> optionLabels, std::vector<float> optionValues, bool labelLeft,
                     int soundMode_, float labelShift, bool centreValueText, bool cwd)
    : id(identifier),
      background("Slider Background Not Hilighted.png"),
      backgroundHighlighted("Slider Background Hilighted.png"),
      fill("Slider Fill Not Hilighted.png", 0, 0, kAnchorTopLeft, pxToUnits(19), pxToUnits(-12)),
      fillHighlighted("Slider Fill Hilighted.png", 0, 0, kAnchorTopLeft, pxToUnits(19), pxToUnits(-12)),
      knob("Slider Pull Not Hilighted.png", 0, 0, kAnchorTopLeft, pxToUnits(3), pxToUnits(-3)),
      knobHighlighted("Slider Pull Hilighted.png", 0, 0, kAnchorTopLeft, pxToUnits(3), pxToUnits(-3)),
      labelText(37, label, labelLeft ? labelShift - 328.0f : labelShift + 73.0f, labelLeft ? -4.0f : 43.0f,
                schemeColour(1)),
      valueText(37, "", 370.0f, -4.0f, kValueTextColour),
      hitShape(shape(329, -27, {{7, 0}, {0, -7}}, {{329, -20}, {322, -27}})),
      x(pxToUnits(px)),
      y(pxToUnits(py)),
      soundMode(soundMode_),
      visibleLabels(optionLabels),
      allLabels(std::move(optionLabels)),
      visibleValues(optionValues),
      allValues(std::move(optionValues)) {
  clickWhenDisabled = cwd;
  tooltipText = tooltip;
  tooltipSide = kTooltipAbove;
  posX = x;
  posY = y;
  sizeWidthPx = background.displayWidth > 0 ? background.displayWidth : 347.0f;
  sizeHeightPx = background.displayHeight > 0 ? background.displayHeight : 45.0f;
  trackWidth = 323 - knobWidth;
  if (centreValueText) valueText.setCentring(true, 370, 319);
  if (allValues.size() > allLabels.size()) allValues.resize(allLabels.size());
  if (visibleValues.size() > visibleLabels.size()) visibleValues.resize(visibleLabels.size());
  setValue(0.0f);
}

void HudSlider::setValue(float t) {
  const int n = static_cast<int>(visibleLabels.size());
  int index = 0;
  if (n >= 2) {
    const float step = 1.0f / static_cast<float>(n - 1);
    index = std::clamp(static_cast<int>(std::lround(t / step)), 0, n - 1);
    value = std::clamp(static_cast<float>(index) * step, 0.0f, 1.0f);
  } else {
    value = 0.0f;
  }
  valueText.setText(n > 0 ? std::string_view(visibleLabels[static_cast<size_t>(index)]) : std::string_view());
  const float fillWidth = static_cast<float>(trackWidth) * value;
  fillOffset = pxToUnits(fillWidth);
  fillScale = fill.displayWidth > 0 ? fillWidth / fill.displayWidth : 0.0f;
  if ((id == kMusicVolumeSliderId || id == kSoundVolumeSliderId) && uiSoundHooks().volumeSlider)
    uiSoundHooks().volumeSlider(id, value);
}

int HudSlider::selectedIndex() const {
  const int n = static_cast<int>(visibleLabels.size());
  if (n <= 0) return -1;
  return std::clamp(static_cast<int>(std::lround(static_cast<float>(n - 1) * value)), 0, n - 1);
}

float HudSlider::selectedOptionValue() const {
  const int i = selectedIndex();
  return i < 0 || i >= static_cast<int>(visibleValues.size()) ? 0.0f : visibleValues[static_cast<size_t>(i)];
}

void HudSlider::setVisibleOptions(unsigned mask) {
  visibleLabels.clear();
  visibleValues.clear();
  for (size_t i = 0; i < allLabels.size() && i < 32; ++i) {
    if (!(mask & (1u << i))) continue;
    visibleLabels.push_back(allLabels[i]);
    if (i < allValues.size()) visibleValues.push_back(allValues[i]);
  }
  setValue(value);
}

void HudSlider::selectValue(float v) {
  const int n = static_cast<int>(visibleValues.size());
  if (n == 0) return;
  int best = 0;
  for (int i = 1; i < n; ++i)
    if (std::fabs(visibleValues[static_cast<size_t>(i)] - v) < std::fabs(visibleValues[static_cast<size_t>(best)] - v))
      best = i;
  setValue(n >= 2 ? static_cast<float>(best) / static_cast<float>(n - 1) : 0.0f);
}

int HudSlider::mouse(float mx, float my, int action) {
  if (action == kMouseRelease) dragging = false;
  bool inside = false;
  if (state == kStateActive || (state != kStateHidden && clickWhenDisabled))
    inside = hitShape.contains(mx - (unitsToPx(x) + hitMargin), my - (unitsToPx(y) - hitMargin));
  trackTooltip(inside);
  if (!inside) return 0;
  if (!clickWhenDisabled) {
    if (action == kMousePress) dragging = true;
    if (dragging && (action == kMousePress || action == kMouseDrag)) {
      setValue((mx - (unitsToPx(x) + 3.0f + 9.0f + knobWidth / 2.0f)) / static_cast<float>(trackWidth));
      const UiSoundHooks& hooks = uiSoundHooks();
      const bool changed = value != lastSoundedValue || action == kMousePress;
      const bool busy = hooks.sliderClickPlaying && hooks.sliderClickPlaying();
      if ((soundMode == 1 || soundMode == 2) && changed && !busy) {
        if (hooks.sliderClick) hooks.sliderClick(soundMode == 1 ? value : -1.0f);
        lastSoundedValue = value;
      }
    }
  }
  return id;
}

void HudSlider::draw(float dx, float dy, float alpha) {
  if (state < kStateActive) return;
  if (state == kStateDisabled) alpha *= 0.5f;
  const float px = dx + x, py = dy + y;
  (highlighted ? backgroundHighlighted : background).draw(px, py, alpha);
  if (fillScale > 0.0f) {
    const ImageRect& f = highlighted ? fillHighlighted : fill;
    drawRect(f, px, py, 0.0f, alpha, 1.0f, fillScale, 1.0f, f.drawColour, -1.0f);
  }
  (highlighted ? knobHighlighted : knob).draw(px + fillOffset, py, alpha);
  labelText.draw(px, py, alpha);
  valueText.draw(px, py, alpha);
  if (drawsOwnTooltip) drawTooltip(dx, dy, 1.0f);
}

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
