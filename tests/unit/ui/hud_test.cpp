#include <gtest/gtest.h>

#include <memory>

#include "ui/hud.hpp"
#include "unit/ui/ui_test_data.hpp"

using namespace qv;

namespace {
constexpr float kPx = 1.0f / 540.0f;

class HudTest : public ::testing::Test {
 protected:
  void SetUp() override {
    uitest::dataRoot();
    uiSoundHooks() = UiSoundHooks{};
  }
  void TearDown() override { uiSoundHooks() = UiSoundHooks{}; }
};

// A button at (x, y) design pixels has its hit shape's corner at (x + 9, y - 9).
constexpr float kMargin = 9;
}  // namespace

TEST_F(HudTest, ChamferedHitShapes) {
  HudButtonLargeLong b("Go", 100, -50, 7);
  const float ox = 100 + kMargin, oy = -50 - kMargin;
  EXPECT_EQ(b.mouse(ox + 180, oy - 30, kMousePress), 7);
  EXPECT_EQ(b.mouse(ox + 2, oy - 2, kMousePress), 0) << "the cut top-left corner";
  EXPECT_EQ(b.mouse(ox + 27, oy - 1, kMousePress), 7) << "just right of the cut";
  EXPECT_EQ(b.mouse(ox + 362, oy - 63, kMousePress), 0) << "the cut bottom-right corner";
  EXPECT_EQ(b.mouse(ox + 2, oy - 63, kMousePress), 7) << "the bottom-left corner is not cut";
  EXPECT_EQ(b.mouse(ox + 365, oy - 30, kMousePress), 0);
  EXPECT_EQ(b.mouse(ox + 180, oy + 1, kMousePress), 0);
  EXPECT_EQ(b.mouse(ox + 180, oy - 66, kMousePress), 0);
  EXPECT_EQ(b.mouse(ox - 1, oy - 30, kMousePress), 0);

  HudPopupMessage info("About this", 0, 0);
  HitShape s = info.hitShape;
  EXPECT_TRUE(s.contains(13, -13));
  EXPECT_FALSE(s.contains(1, -1));
  EXPECT_FALSE(s.contains(25.5f, -1));
  EXPECT_FALSE(s.contains(1, -25));
  EXPECT_FALSE(s.contains(25, -25));
  EXPECT_TRUE(s.contains(0.5f, -13));
  EXPECT_EQ(info.mouse(kMargin + 13, -kMargin - 13, kMousePress), 0) << "info symbols never trigger commands";
  EXPECT_EQ(info.tooltipPhase, 1) << "but hovering starts their tooltip";

  HitShape plain;
  plain.width = 25;
  plain.height = -25;
  EXPECT_TRUE(plain.contains(0, 0));
  EXPECT_TRUE(plain.contains(25, -25));
  EXPECT_FALSE(plain.contains(25.01f, -3));
}

TEST_F(HudTest, ButtonStatesClicksAndLabels) {
  int clicks = 0;
  uiSoundHooks().buttonClick = [&] { ++clicks; };
  HudButtonLargeShort b("Back", 0, 0, 2801);
  const float hx = kMargin + 90, hy = -kMargin - 30;
  EXPECT_EQ(b.mouse(hx, hy, kMouseMove), 2801);
  EXPECT_EQ(clicks, 0) << "hovering is silent";
  EXPECT_EQ(b.mouse(hx, hy, kMousePress), 2801);
  EXPECT_EQ(clicks, 1);

  b.setState(kStateDisabled);
  EXPECT_EQ(b.mouse(hx, hy, kMousePress), 0);
  EXPECT_EQ(clicks, 1);
  b.clickWhenDisabled = true;
  EXPECT_EQ(b.mouse(hx, hy, kMousePress), 2801);
  b.setState(kStateHidden);
  EXPECT_EQ(b.mouse(hx, hy, kMousePress), 0) << "hidden components are never hit";

  // The static label is centred on the face: ((176 - width) / 2 rounded up + 12) pixels.
  ASSERT_TRUE(b.staticLabel.has_value());
  const int w = b.staticLabel->width;
  EXPECT_GT(w, 0);
  EXPECT_FLOAT_EQ(b.staticLabel->offsetX, ((176 - w + 1) / 2 + 12) * kPx);
  EXPECT_FLOAT_EQ(b.staticLabel->offsetY, -23 * kPx);
  const Colour scheme = schemeColour(1);
  EXPECT_TRUE(b.staticLabel->drawColour.sameAs(scheme));
  b.setHighlighted(true);
  EXPECT_TRUE(b.staticLabel->drawColour.sameAs({1, 1, 1, 1}));
  b.setHighlighted(false);
  EXPECT_TRUE(b.staticLabel->drawColour.sameAs(scheme));

  // A dynamic label relabels without new buffers and stays centred.
  HudButtonLargeLong slot("Empty 1", 55, -105, 2811, "", kTooltipOn, false);
  ASSERT_TRUE(slot.dynamicLabel.has_value());
  EXPECT_FALSE(slot.staticLabel.has_value());
  slot.setLabel("AB");
  EXPECT_EQ(slot.dynamicLabel->text(), "AB");
  EXPECT_FLOAT_EQ(slot.dynamicLabel->offsetX, ((358 - 33 + 1) / 2 + 12) * kPx);
  EXPECT_EQ(slot.label(), "AB");
  // A static label can be replaced too.
  b.setLabel("C");
  EXPECT_EQ(b.staticLabel->width, 15);

  HudButtonSmall small("Icon 30.png", "Tip", 300, 40, "Hint");
  EXPECT_FLOAT_EQ(small.posY, -3 * kPx) << "small buttons sit on their row";
  EXPECT_EQ(small.tooltipSide, kTooltipBelow);
  ASSERT_TRUE(small.icon.has_value());
  EXPECT_FLOAT_EQ(small.icon->offsetX, 10 * kPx);
  EXPECT_TRUE(small.icon->drawColour.sameAs(scheme));
  HudButtonPageSelect page("", "1", 301, -837, 1);
  EXPECT_EQ(page.tooltipSide, kTooltipAbove);
  EXPECT_FALSE(page.icon.has_value());
}

TEST_F(HudTest, PulseCrossFadesLabelColour) {
  HudButtonLargeLong b("Go", 0, 0, 5);
  b.setPulsing(true);
  b.update(0.25f);
  EXPECT_NEAR(b.pulseValue, 0.5f, 1e-5);
  const Colour s = schemeColour(1);
  EXPECT_NEAR(b.staticLabel->drawColour.r, 0.5f + 0.5f * s.r, 1e-5);
  b.update(0.5f);  // t = 0.75
  EXPECT_NEAR(b.pulseValue, 0.5f, 1e-5);
  b.update(0.25f);  // wraps to 0
  EXPECT_NEAR(b.pulseValue, 1.0f, 1e-5);
  b.setHighlighted(true);
  b.update(0.3f);
  EXPECT_TRUE(b.staticLabel->drawColour.sameAs({1, 1, 1, 1})) << "highlight wins over the pulse";
  b.setState(kStateDisabled);
  const float held = b.pulseTime;
  b.update(0.3f);
  EXPECT_FLOAT_EQ(b.pulseTime, held) << "disabled buttons do not pulse";
}

TEST_F(HudTest, TooltipPhasesAndDelay) {
  HudButtonLargeLong b("Go", 0, 0, 5, "Starts a new world", kTooltipRight);
  const float hx = kMargin + 100, hy = -kMargin - 30;
  b.mouse(hx, hy, kMouseMove);
  EXPECT_EQ(b.tooltipPhase, 1);
  EXPECT_EQ(tooltipBox().message(), "Starts a new world");
  b.update(0.2f);
  EXPECT_EQ(b.tooltipPhase, 1);
  b.mouse(-500, -500, kMouseMove);  // left before the delay
  EXPECT_EQ(b.tooltipPhase, 0);
  b.update(0.2f);
  EXPECT_EQ(b.tooltipPhase, 0);

  b.mouse(hx, hy, kMouseMove);
  b.update(0.1f);
  b.mouse(hx + 5, hy, kMouseMove);  // moving inside keeps the timer running
  b.update(0.15f);
  EXPECT_EQ(b.tooltipPhase, 2);
  b.mouse(-500, -500, kMouseMove);
  EXPECT_EQ(b.tooltipPhase, 0);
  EXPECT_FALSE(b.tooltipPlaced);

  HudButtonLargeLong silent("Go", 0, 0, 6);
  silent.mouse(hx, hy, kMouseMove);
  EXPECT_EQ(silent.tooltipPhase, 0) << "no text, no tooltip";
}

TEST_F(HudTest, TooltipPlacementBySideAndClamping) {
  // Button picture 382 x 83, so half size (191, 41.5) pixels.
  HudButtonLargeLong b("Go", 0, 0, 5, "AB", kTooltipBelow);
  tooltipBox().setMessage("AB");
  const float bw = tooltipBox().widthPx(), bh = tooltipBox().heightPx();
  EXPECT_FLOAT_EQ(bw, 33 + 62);
  EXPECT_FLOAT_EQ(bh, 26 + 36);
  b.placeTooltip(0, 0);
  EXPECT_NEAR(b.tooltipX, 191 * kPx, 1e-6);
  EXPECT_NEAR(b.tooltipY, (-41.5f - bh / 2 - 41.5f) * kPx, 1e-6);
  b.tooltipSide = kTooltipLeft;
  b.placeTooltip(0, 0);
  EXPECT_NEAR(b.tooltipX, (191 - bw / 2 - 191) * kPx, 1e-6);
  b.tooltipSide = kTooltipAbove;
  b.placeTooltip(0, 0);
  EXPECT_NEAR(b.tooltipY, (-41.5f + bh / 2 + 41.5f) * kPx, 1e-6);

  // A button at the right edge with its tooltip to the right: pushed back inside 960.
  HudButtonLargeLong edge("Go", 0, 0, 5, "AB", kTooltipRight);
  const float hudX = 560 * kPx, hudY = 520 * kPx;  // the Hud's draw position
  edge.placeTooltip(hudX, hudY);
  const float right = (edge.tooltipX + hudX) / kPx + bw / 2;
  EXPECT_NEAR(right, 960.0f, 0.01f);
  // And below the top edge.
  edge.tooltipSide = kTooltipAbove;
  edge.placeTooltip(hudX, hudY);
  EXPECT_NEAR((edge.tooltipY + hudY) / kPx + bh / 2, 540.0f, 0.01f);
  // Left and bottom edges.
  edge.tooltipSide = kTooltipLeft;
  edge.placeTooltip(-1100 * kPx, 0);
  EXPECT_NEAR((edge.tooltipX - 1100 * kPx) / kPx - bw / 2, -960.0f, 0.01f);
  edge.tooltipSide = kTooltipBelow;
  edge.placeTooltip(0, -480 * kPx);
  EXPECT_NEAR((edge.tooltipY - 480 * kPx) / kPx - bh / 2, -540.0f, 0.01f);

  // The tooltip is placed once per showing, on its first draw in phase 2.
  HudButtonLargeLong c("Go", 0, 0, 5, "AB", kTooltipRight);
  c.mouse(kMargin + 100, -kMargin - 30, kMouseMove);
  c.update(0.3f);
  c.drawTooltip(0, 0);
  EXPECT_TRUE(c.tooltipPlaced);
  const float placedX = c.tooltipX;
  c.drawTooltip(700 * kPx, 0);
  EXPECT_FLOAT_EQ(c.tooltipX, placedX);
}

TEST_F(HudTest, TooltipBoxSizeFollowsTheMessage) {
  TooltipBox& box = tooltipBox();
  box.setMessage("A\nB");
  EXPECT_FLOAT_EQ(box.widthPx(), 19 + 62);  // "A" by its advance on line one, "B" last (visible 14)
  EXPECT_FLOAT_EQ(box.heightPx(), 52 + 36);
  EXPECT_FLOAT_EQ(box.frame.repeatInfo[2], 26.0f / 65.0f);
  box.setMessage("");
  box.draw(0, 0, 1);  // nothing to draw, nothing breaks
}

TEST_F(HudTest, CheckboxTogglesOnPress) {
  int clicks = 0;
  uiSoundHooks().buttonClick = [&] { ++clicks; };
  HudCheckbox box(100, -20, 42, false, "Grid");
  const float hx = 100 + kMargin + 12, hy = -20 - kMargin - 12;
  EXPECT_EQ(box.mouse(hx, hy, kMouseMove), 42);
  EXPECT_FALSE(box.checked);
  EXPECT_EQ(box.mouse(hx, hy, kMousePress), 42);
  EXPECT_TRUE(box.checked);
  EXPECT_EQ(clicks, 1);
  box.mouse(hx, hy, kMousePress);
  EXPECT_FALSE(box.checked);
  EXPECT_EQ(box.mouse(100 + kMargin + 26, hy, kMousePress), 0);
  EXPECT_EQ(box.tooltipSide, kTooltipAbove);

  HudCheckbox owned(0, 0, 43, true, "", true, {1, 0, 0, 1});
  EXPECT_EQ(owned.mouse(kMargin + 5, -kMargin - 5, kMousePress), 43);
  EXPECT_FALSE(owned.checked) << "the owner decides when click-when-disabled is set";
  ASSERT_TRUE(owned.swatch.has_value());
  EXPECT_FLOAT_EQ(owned.swatch->displayWidth, 23);
  EXPECT_FLOAT_EQ(owned.swatch->offsetX, 10 * kPx);
  owned.setSwatchColour({0, 0, 1, 1});
  EXPECT_TRUE(owned.swatch->drawColour.sameAs({0, 0, 1, 1}));

  HudCheckboxAndLabel labelled("AB", 0, -100, 44);
  EXPECT_FLOAT_EQ(labelled.x, 56 * kPx);
  EXPECT_FLOAT_EQ(labelled.labelText.offsetX, (41 + 53 + (399 - 33 + 1) / 2) * kPx);
  EXPECT_FLOAT_EQ(labelled.labelText.offsetY, -17 * kPx);
  EXPECT_FLOAT_EQ(labelled.y, -114 * kPx);
  EXPECT_EQ(labelled.mouse(56 + kMargin + 5, -100 - kMargin - 5, kMousePress), 0) << "above the plate's row";
  EXPECT_EQ(labelled.mouse(56 + kMargin + 5, -114 - kMargin - 5, kMousePress), 44);
  EXPECT_TRUE(labelled.checked);
  labelled.setHighlighted(true);
  EXPECT_TRUE(labelled.labelText.drawColour.sameAs({1, 1, 1, 1}));
}

TEST_F(HudTest, SliderSnapsToOptions) {
  std::vector<float> seen;
  uiSoundHooks().volumeSlider = [&](int id, float v) {
    EXPECT_EQ(id, kMusicVolumeSliderId);
    seen.push_back(v);
  };
  std::vector<float> sounds;
  uiSoundHooks().sliderClick = [&](float v) { sounds.push_back(v); };
  HudSlider s(0, 0, "Music", kMusicVolumeSliderId, "", {"0", "25", "50", "75", "100"}, {0, 0.25f, 0.5f, 0.75f, 1},
              false, 1);
  EXPECT_EQ(s.trackWidth, 307);
  const float trackStart = 3 + 9 + 8;  // mouse x at value 0
  const float y = -kMargin - 13;

  EXPECT_EQ(s.mouse(trackStart + 0.6f * 307, y, kMousePress), kMusicVolumeSliderId);
  EXPECT_EQ(s.selectedIndex(), 2);
  EXPECT_FLOAT_EQ(s.value, 0.5f);
  EXPECT_FLOAT_EQ(s.selectedOptionValue(), 0.5f);
  EXPECT_EQ(s.valueText.text(), "50");
  EXPECT_FLOAT_EQ(s.fillOffset, 153.5f * kPx);
  EXPECT_FLOAT_EQ(s.fillScale, 15.35f);
  ASSERT_EQ(sounds.size(), 1u);
  EXPECT_FLOAT_EQ(sounds[0], 0.5f) << "sound mode 1 clicks at the new value's volume";

  s.mouse(trackStart + 0.7f * 307, y, kMouseDrag);
  EXPECT_EQ(s.selectedIndex(), 3);
  EXPECT_FLOAT_EQ(s.value, 0.75f);
  EXPECT_EQ(sounds.size(), 2u);
  s.mouse(trackStart + 0.72f * 307, y, kMouseDrag);
  EXPECT_EQ(sounds.size(), 2u) << "no click when the value did not change";
  EXPECT_FLOAT_EQ(seen.back(), 0.75f);

  // Near the right end of the shape the raw position passes 1: it clamps to the last option.
  s.mouse(335, y, kMouseDrag);
  EXPECT_EQ(s.selectedIndex(), 4);
  EXPECT_EQ(s.valueText.text(), "100");
  s.mouse(10, y, kMouseDrag);
  EXPECT_EQ(s.selectedIndex(), 0);
  // With fine steps the raw index can pass the last option; it must stay in the list.
  std::vector<std::string> labels;
  std::vector<float> values;
  for (int i = 0; i <= 40; ++i) {
    labels.push_back(std::to_string(i));
    values.push_back(static_cast<float>(i));
  }
  HudSlider fine(0, 0, "Fine", 77, "", labels, values);
  EXPECT_EQ(fine.mouse(338, y, kMousePress), 77);
  EXPECT_EQ(fine.selectedIndex(), 40);
  EXPECT_EQ(fine.valueText.text(), "40");
  fine.setValue(-3.0f);
  EXPECT_EQ(fine.valueText.text(), "0");

  // Leaving the shape stops the effect; releasing ends the drag.
  s.mouse(trackStart + 0.5f * 307, y - 40, kMouseDrag);
  EXPECT_EQ(s.selectedIndex(), 0);
  s.mouse(trackStart + 0.5f * 307, y, kMouseRelease);
  EXPECT_FALSE(s.dragging);
  s.mouse(trackStart + 0.5f * 307, y, kMouseDrag);
  EXPECT_EQ(s.selectedIndex(), 0) << "a drag that did not start on the slider moves nothing";
  s.mouse(trackStart + 0.5f * 307, y, kMouseMove);
  EXPECT_EQ(s.selectedIndex(), 0);

  s.setState(kStateDisabled);
  EXPECT_EQ(s.mouse(trackStart + 0.5f * 307, y, kMousePress), 0);
  EXPECT_EQ(s.selectedIndex(), 0);
}

TEST_F(HudTest, SliderVisibleOptionsAndDegenerateLists) {
  HudSlider s(0, 0, "Size", 2500, "", {"Tiny", "Small", "Medium", "Large", "Huge"}, {1, 2, 3, 4, 5}, true, 0, 5);
  EXPECT_FLOAT_EQ(s.labelText.offsetX, (5 - 328) * kPx);
  s.setValue(1.0f);
  EXPECT_FLOAT_EQ(s.selectedOptionValue(), 5);
  s.setVisibleOptions(0b10110);  // Small, Medium, Huge
  ASSERT_EQ(s.visibleLabels.size(), 3u);
  EXPECT_EQ(s.visibleLabels[0], "Small");
  EXPECT_EQ(s.visibleLabels[2], "Huge");
  EXPECT_FLOAT_EQ(s.selectedOptionValue(), 5);
  s.setValue(0.4f);  // step 0.5: 0.8 rounds to 1
  EXPECT_EQ(s.valueText.text(), "Medium");
  EXPECT_FLOAT_EQ(s.selectedOptionValue(), 3);
  s.selectValue(2.1f);
  EXPECT_EQ(s.valueText.text(), "Small");

  s.setVisibleOptions(0b1000);
  ASSERT_EQ(s.visibleLabels.size(), 1u);
  s.setValue(0.9f);
  EXPECT_EQ(s.valueText.text(), "Large");
  EXPECT_FLOAT_EQ(s.selectedOptionValue(), 4);
  s.setVisibleOptions(0);
  s.setValue(0.5f);
  EXPECT_EQ(s.valueText.text(), "");
  EXPECT_FLOAT_EQ(s.selectedOptionValue(), 0);
  EXPECT_EQ(s.selectedIndex(), -1);
}

namespace {
std::shared_ptr<HudButtonLargeShort> button(int id, float y) {
  return std::make_shared<HudButtonLargeShort>("X", 0, y, id);
}
// Centre of the button made at row y.
constexpr float kCx = kMargin + 90;
float cy(float y) { return y - kMargin - 30; }
}  // namespace

TEST_F(HudTest, HudRadioLayersAndHighlights) {
  Hud hud;
  auto back = button(10, 0);
  auto a = button(11, -100), b = button(12, -200), c = button(13, -300);
  hud.addComponent(back, 0);
  hud.addComponent(a, 1);
  hud.addComponent(b, 1);
  hud.addComponent(c, 1);
  hud.setSelected(1, 0);
  EXPECT_TRUE(a->highlighted);

  EXPECT_EQ(hud.mouse(kCx, cy(-200), kMouseMove), 12);
  EXPECT_TRUE(b->highlighted);
  EXPECT_FALSE(a->highlighted) << "hovering another radio button dims the selected one";
  EXPECT_EQ(hud.mouse(500, 500, kMouseMove), 0);
  EXPECT_TRUE(a->highlighted) << "the selected one lights again when nothing else is hovered";
  EXPECT_FALSE(b->highlighted);

  EXPECT_EQ(hud.mouse(kCx, cy(-300), kMousePress), 13);
  EXPECT_EQ(hud.layers[1].selected, 2);
  hud.mouse(500, 500, kMouseMove);
  EXPECT_TRUE(c->highlighted);
  EXPECT_FALSE(a->highlighted);

  // Layer 0 keeps no selection and no highlight once the mouse leaves.
  EXPECT_EQ(hud.mouse(kCx, cy(0), kMousePress), 10);
  EXPECT_EQ(hud.layers[0].selected, -1);
  EXPECT_TRUE(back->highlighted);
  hud.mouse(500, 500, kMouseMove);
  EXPECT_FALSE(back->highlighted);

  // Disabled components are not hit; click-when-disabled ones are hit on hover only.
  b->setState(kStateDisabled);
  EXPECT_EQ(hud.mouse(kCx, cy(-200), kMousePress), 0);
  b->clickWhenDisabled = true;
  EXPECT_EQ(hud.mouse(kCx, cy(-200), kMouseMove), 12);
  EXPECT_EQ(hud.mouse(kCx, cy(-200), kMousePress), 0);
  EXPECT_EQ(hud.layers[1].selected, 2);

  // Hidden layers are not asked.
  hud.layers[1].visible = false;
  EXPECT_EQ(hud.mouse(kCx, cy(-300), kMousePress), 0);

  hud.setSelected(1, 0);
  EXPECT_TRUE(a->highlighted);
  EXPECT_FALSE(c->highlighted);
  hud.setSelected(1, -1);
  EXPECT_FALSE(a->highlighted);
  hud.setSelected(7, 0);  // out of range: ignored
}

TEST_F(HudTest, HudPagesFollowPageButtons) {
  Hud hud;
  hud.pageSwitching = true;
  hud.firstPageLayer = 3;
  auto page1 = button(1, 0), page2 = button(2, -100), page3 = button(3, -200);
  hud.addComponent(button(99, 500), 0);
  hud.addComponent(page1, 1);
  hud.addComponent(page2, 1);
  hud.addComponent(page3, 1);
  auto mode = button(20, -300);
  hud.addComponent(mode, 2);
  auto p1 = button(31, -400), p2 = button(32, -400), p3 = button(33, -400);
  hud.addComponent(p1, 3);
  hud.addComponent(p2, 4);
  hud.addComponent(p3, 5);
  hud.showPage(0);
  hud.setSelected(1, 0);
  EXPECT_TRUE(hud.layers[3].visible);
  EXPECT_FALSE(hud.layers[4].visible);
  EXPECT_FALSE(hud.layers[5].visible);

  // The owner switching pages itself takes the old page's tooltip along.
  p1->tooltipText = "On page one";
  hud.mouse(kCx, cy(-400), kMouseMove);
  EXPECT_EQ(p1->tooltipPhase, 1);
  hud.showPage(1);
  EXPECT_EQ(p1->tooltipPhase, 0);
  hud.showPage(0);
  hud.mouse(kCx, cy(-100), kMouseMove);
  EXPECT_EQ(hud.currentPage, 0) << "hovering a page button does not flip pages";
  EXPECT_EQ(hud.mouse(kCx, cy(-200), kMousePress), 3);
  EXPECT_EQ(hud.currentPage, 2);
  EXPECT_FALSE(hud.layers[3].visible);
  EXPECT_TRUE(hud.layers[5].visible);
  EXPECT_EQ(hud.layers[1].selected, 2);

  // Only the visible page answers; a press in a page layer does not select without keep-selection.
  EXPECT_EQ(hud.mouse(kCx, cy(-400), kMousePress), 33);
  EXPECT_EQ(hud.layers[5].selected, -1);
  hud.keepSelectionInPageLayers = true;
  EXPECT_EQ(hud.mouse(kCx, cy(-400), kMousePress), 33);
  EXPECT_EQ(hud.layers[5].selected, 0);
  // A press in a layer before the page layers clears the page layers' selection.
  EXPECT_EQ(hud.mouse(kCx, cy(-300), kMousePress), 20);
  EXPECT_EQ(hud.layers[5].selected, -1);
  EXPECT_EQ(hud.layers[2].selected, 0);

  hud.showPage(7);  // no such page
  EXPECT_EQ(hud.currentPage, 2);
  hud.showPage(-1);
  EXPECT_EQ(hud.currentPage, 2);

  // update reaches only visible layers.
  p1->tooltipText = "x";
  p1->tooltipPhase = 1;
  hud.update(1.0f);
  EXPECT_EQ(p1->tooltipPhase, 1);
}

TEST_F(HudTest, HudReturnsTheLastHitAndDrawsHeadless) {
  Hud hud;
  auto a = button(5, 0);
  auto b = button(6, 0);  // overlapping
  hud.addComponent(a, 0);
  hud.addComponent(*b, 2);  // a reference; layer 1 is created empty
  ASSERT_EQ(hud.layers.size(), 3u);
  EXPECT_TRUE(hud.layers[1].components.empty());
  EXPECT_EQ(hud.mouse(kCx, cy(0), kMousePress), 6);
  hud.background = std::make_shared<ImageHudLoading>(400, 125);
  hud.captionTexts.emplace_back(26, "AB");
  hud.captionIndex = 0;
  hud.setPositionPx(-210, 72);
  EXPECT_FLOAT_EQ(hud.posX, -210 * kPx);
  hud.draw(1.0f);
  // Layers filled directly (not through addComponent) are still safe to ask.
  for (int i = 0; i < 6; ++i) hud.layers[1].components.push_back(button(60 + i, -100 * (i + 1)));
  EXPECT_EQ(hud.mouse(kCx, cy(-600), kMousePress), 65);
  hud.addComponent(nullptr, 0);
  hud.addComponent(a, -1);
  EXPECT_EQ(hud.layers[0].components.size(), 1u);
}
