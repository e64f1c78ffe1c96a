#include "ui/hud_slider.hpp"

#include <algorithm>
#include <cmath>

namespace qv {

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
      hitShape(HitShape::chamfered(329, -27, {{7, 0}, {0, -7}}, {{329, -20}, {322, -27}})),
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

}  // namespace qv
