#include <gtest/gtest.h>

#include "ui/hud.hpp"
#include "ui/popup_notice.hpp"
#include "unit/ui/ui_test_data.hpp"

using namespace qv;

namespace {
constexpr float kPx = 1.0f / 540.0f;

struct HudTest : ::testing::Test {
  // Fonts are loaded once per process: another suite in the same run may have
  // loaded the game's real ones, whose measures these cases do not expect.
  void SetUp() override { uitest::dataRoot(), releaseFonts(), uiSoundHooks() = UiSoundHooks{}; }
  void TearDown() override { uiSoundHooks() = UiSoundHooks{}; }
};

// A button at (x, y) design pixels has its hit shape's corner at (x + 9, y - 9).
constexpr float kMargin = 9;
}  // namespace

TEST_F(HudTest, ChamferedHitShapes) {
  HudButtonLargeLong b("Go", 100, -50, 7);
  const float ox = 100 + kMargin, oy = -50 - kMargin;
  const struct { float dx, dy; int hit; const char* what; } presses[] = {
      {180, -30, 7, "the middle"}, {2, -2, 0, "the cut top-left corner"}, {27, -1, 7, "just right of the cut"},
      {362, -63, 0, "the cut bottom-right corner"}, {2, -63, 7, "the bottom-left corner"}, {365, -30, 0, "right of the face"}};
  for (const auto& p : presses) EXPECT_EQ(b.mouse(ox + p.dx, oy + p.dy, kMousePress), p.hit) << p.what;

  HudPopupMessage info("About this", 0, 0);  // a 25 x 25 octagon
  EXPECT_TRUE(info.hitShape.contains(13, -13) && info.hitShape.contains(0.5f, -13));
  for (auto [dx, dy] : {std::pair{1.0f, -1.0f}, {25.5f, -1.0f}, {1.0f, -25.0f}, {25.0f, -25.0f}})
    EXPECT_FALSE(info.hitShape.contains(dx, dy)) << dx << "," << dy;
  EXPECT_TRUE(info.mouse(kMargin + 13, -kMargin - 13, kMousePress) == 0 && info.tooltipPhase == 1)
      << "info symbols never trigger commands, but hovering starts their tooltip";

  HitShape plain;  // no corner lists: the whole rectangle, edges included
  plain.width = 25, plain.height = -25;
  EXPECT_TRUE(plain.contains(25, -25) && !plain.contains(25.01f, -3));
}

TEST_F(HudTest, ButtonStatesClicksLabelsPulseAndCheckboxes) {
  int clicks = 0;
  uiSoundHooks().buttonClick = [&] { ++clicks; };
  HudButtonLargeShort b("Back", 0, 0, 2801);
  const float hx = kMargin + 90, hy = -kMargin - 30;
  EXPECT_TRUE(b.mouse(hx, hy, kMouseMove) == 2801 && b.mouse(hx, hy, kMousePress) == 2801);
  EXPECT_EQ(clicks, 1) << "hovering is silent";
  b.setState(kStateDisabled);
  EXPECT_EQ(b.mouse(hx, hy, kMousePress), 0);
  b.clickWhenDisabled = true;
  EXPECT_EQ(b.mouse(hx, hy, kMousePress), 2801);
  b.setState(kStateHidden);
  EXPECT_EQ(b.mouse(hx, hy, kMousePress), 0) << "hidden components are never hit";

  ASSERT_TRUE(b.staticLabel.has_value());
  b.setHighlighted(true), b.setHighlighted(false);
  EXPECT_TRUE(b.staticLabel->drawColour.sameAs(schemeColour(1)));

  // The pulse keeps changing the label colour and repeats once a second.
  HudButtonLargeLong go("Go", 0, 0, 5);
  go.setPulsing(true), go.update(0.25f);
  const Colour quarter = go.staticLabel->drawColour;
  go.update(0.25f);
  EXPECT_FALSE(go.staticLabel->drawColour.sameAs(quarter));
  go.update(0.75f);
  EXPECT_TRUE(go.staticLabel->drawColour.sameAs(quarter)) << "a whole period later";
  go.setHighlighted(true), go.update(0.3f);
  EXPECT_TRUE(go.staticLabel->drawColour.sameAs({1, 1, 1, 1})) << "highlight wins over the pulse";
  go.setState(kStateDisabled);
  const float held = go.pulseTime;
  go.update(0.3f);
  EXPECT_FLOAT_EQ(go.pulseTime, held) << "disabled buttons do not pulse";

  // A checkbox toggles, with a click, on each press of its box.
  clicks = 0;
  HudCheckbox box(100, -20, 42, false, "Grid");
  const float bx = 100 + kMargin + 12, by = -20 - kMargin - 12;
  EXPECT_TRUE(box.mouse(bx, by, kMousePress) == 42 && box.checked);
  box.mouse(bx, by, kMousePress);
  EXPECT_TRUE(!box.checked && clicks == 2);
  EXPECT_EQ(box.mouse(100 + kMargin + 26, by, kMousePress), 0);

  HudCheckbox owned(0, 0, 43, true, "", true, {1, 0, 0, 1});
  EXPECT_TRUE(owned.mouse(kMargin + 5, -kMargin - 5, kMousePress) == 43 && !owned.checked)
      << "the owner decides when click-when-disabled is set";

  HudCheckboxAndLabel labelled("AB", 0, -100, 44);  // the box stands on the row's top edge at (56, -100)
  EXPECT_EQ(labelled.mouse(56 + kMargin + 5, -100 - kMargin - 30, kMousePress), 0) << "down on the plate's line";
  EXPECT_TRUE(labelled.mouse(56 + kMargin + 5, -100 - kMargin - 5, kMousePress) == 44 && labelled.checked);
}

TEST_F(HudTest, TooltipPhasesDelayAndPlacementInsideTheScreen) {
  HudButtonLargeLong b("Go", 0, 0, 5, "Starts a new world", kTooltipRight);
  const float hx = kMargin + 100, hy = -kMargin - 30;
  b.mouse(hx, hy, kMouseMove);
  b.update(0.2f);
  EXPECT_TRUE(tooltipBox().message() == "Starts a new world" && b.tooltipPhase == 1);
  b.mouse(-500, -500, kMouseMove);  // left before the delay
  b.update(0.2f);
  EXPECT_EQ(b.tooltipPhase, 0);

  b.mouse(hx, hy, kMouseMove), b.update(0.1f);
  b.mouse(hx + 5, hy, kMouseMove);  // moving inside keeps the timer running
  b.update(0.15f);
  EXPECT_EQ(b.tooltipPhase, 2) << "shown after 0.25 s";
  b.drawTooltip(0, 0);  // placed once per showing, on its first draw
  const float placedX = b.tooltipX;
  b.drawTooltip(700 * kPx, 0);
  EXPECT_FLOAT_EQ(b.tooltipX, placedX);
  b.mouse(-500, -500, kMouseMove);
  EXPECT_TRUE(b.tooltipPhase == 0 && !b.tooltipPlaced);

  HudButtonLargeLong silent("Go", 0, 0, 6);
  EXPECT_EQ((silent.mouse(hx, hy, kMouseMove), silent.tooltipPhase), 0) << "no text, no tooltip";

  TooltipBox& box = tooltipBox();
  box.setMessage("A\nB");
  const float twoLines = box.heightPx();
  box.setMessage("AB");
  const float bw = box.widthPx(), bh = box.heightPx();
  EXPECT_FLOAT_EQ(twoLines - bh, 26) << "one more line of the 26 font";

  HudButtonLargeLong below("Go", 0, 0, 5, "AB", kTooltipBelow);
  // Pushed back inside the 1920 x 1080 screen on every side.
  // edge: the box's edge on that side, design pixels from the centre
  const struct { int side; float hudX, hudY; bool horizontal; float edge; } rows[] = {
      {kTooltipRight, 560, 520, true, 960}, {kTooltipAbove, 560, 520, false, 540},
      {kTooltipLeft, -1100, 0, true, -960}, {kTooltipBelow, 0, -480, false, -540}};
  for (const auto& r : rows) {
    below.tooltipSide = r.side, below.placeTooltip(r.hudX * kPx, r.hudY * kPx);
    const float sign = r.edge > 0 ? 1.0f : -1.0f;
    const float got = r.horizontal ? below.tooltipX / kPx + r.hudX + sign * bw / 2 : below.tooltipY / kPx + r.hudY + sign * bh / 2;
    EXPECT_NEAR(got, r.edge, 0.01f) << "side " << r.side;
  }
}

TEST_F(HudTest, SliderSnapsToVisibleOptions) {
  std::vector<float> seen, sounds;
  uiSoundHooks().volumeSlider = [&](int id, float v) { seen.push_back(id == kMusicVolumeSliderId ? v : -1); };
  uiSoundHooks().sliderClick = [&](float v) { sounds.push_back(v); };
  HudSlider s(0, 0, "Music", kMusicVolumeSliderId, "", {"0", "25", "50", "75", "100"}, {0, .25f, .5f, .75f, 1}, false, 1);
  const float trackStart = 3 + 9 + 8, track = 307, y = -kMargin - 13;  // mouse x at value 0, track width

  EXPECT_TRUE(s.mouse(trackStart + 0.6f * track, y, kMousePress) == kMusicVolumeSliderId && s.valueText.text() == "50");
  EXPECT_EQ(sounds, std::vector<float>{0.5f}) << "sound mode 1 clicks at the new value's volume";
  // Near the right end of the shape the raw position passes 1: it clamps to the last option.
  for (auto [x, index] : {std::pair{trackStart + 0.7f * track, 3}, {trackStart + 0.72f * track, 3}, {10.0f, 0}, {335.0f, 4}}) {
    s.mouse(x, y, kMouseDrag);
    EXPECT_EQ(s.selectedIndex(), index) << x;
  }
  EXPECT_EQ(sounds.size(), 4u) << "no click when the value did not change";
  EXPECT_FLOAT_EQ(seen.back(), 1.0f);

  // Leaving the shape stops the effect; releasing ends the drag; a drag that did not start here moves nothing.
  const float mid = trackStart + 0.5f * track;
  s.mouse(mid, y - 40, kMouseDrag);
  s.mouse(mid, y, kMouseRelease);
  s.mouse(mid, y, kMouseDrag), s.mouse(mid, y, kMouseMove);
  EXPECT_EQ(s.selectedIndex(), 4);
  s.setState(kStateDisabled);
  EXPECT_TRUE(s.mouse(mid, y, kMousePress) == 0 && s.selectedIndex() == 4);

  // With fine steps the raw index can pass the last option; it must stay in the list.
  std::vector<std::string> labels(41);
  std::vector<float> values(41);
  for (int i = 0; i <= 40; ++i) values[i] = i, labels[i] = std::to_string(i);
  HudSlider fine(0, 0, "Fine", 77, "", labels, values);
  EXPECT_TRUE(fine.mouse(338, y, kMousePress) == 77 && fine.valueText.text() == "40");
  fine.setValue(-3.0f);
  EXPECT_EQ(fine.valueText.text(), "0");

  // Only some options shown: values land on the visible ones; none shown selects nothing.
  HudSlider size(0, 0, "Size", 2500, "", {"Tiny", "Small", "Medium", "Large", "Huge"}, {1, 2, 3, 4, 5}, true, 0, 5);
  size.setValue(1.0f);
  size.setVisibleOptions(0b10110);  // Small, Medium, Huge
  EXPECT_EQ(size.visibleLabels, (std::vector<std::string>{"Small", "Medium", "Huge"}));
  EXPECT_EQ(size.selectedOptionValue(), 5);
  size.setValue(0.4f);  // step 0.5: 0.8 rounds to 1
  EXPECT_EQ(size.selectedOptionValue(), 3);
  size.selectValue(2.1f);
  EXPECT_EQ(size.valueText.text(), "Small");

  size.setVisibleOptions(0b1000), size.setValue(0.9f);
  EXPECT_EQ(size.valueText.text(), "Large");
  size.setVisibleOptions(0), size.setValue(0.5f);
  EXPECT_TRUE(size.valueText.text().empty() && size.selectedIndex() == -1);
}

namespace {
std::shared_ptr<HudButtonLargeShort> button(int id, float y) { return std::make_shared<HudButtonLargeShort>("X", 0, y, id); }
// Centre of the button made at row y.
constexpr float kCx = kMargin + 90;
float cy(float y) { return y - kMargin - 30; }
}  // namespace

TEST_F(HudTest, HudRadioLayersHighlightsAndPages) {
  Hud hud;
  auto back = button(10, 0), a = button(11, -100), b = button(12, -200), c = button(13, -300);
  hud.addComponent(back, 0);
  for (const auto& radio : {a, b, c}) hud.addComponent(radio, 1);
  hud.setSelected(1, 0);
  EXPECT_TRUE(a->highlighted);

  EXPECT_TRUE(hud.mouse(kCx, cy(-200), kMouseMove) == 12 && b->highlighted && !a->highlighted)
      << "hovering another radio button dims the selected one";
  EXPECT_TRUE(hud.mouse(500, 500, kMouseMove) == 0 && a->highlighted && !b->highlighted)
      << "the selected one lights again when nothing else is hovered";
  EXPECT_EQ(hud.mouse(kCx, cy(-300), kMousePress), 13);
  hud.mouse(500, 500, kMouseMove);
  EXPECT_TRUE(c->highlighted && !a->highlighted);

  // Layer 0 keeps no selection and no highlight once the mouse leaves.
  EXPECT_EQ(hud.mouse(kCx, cy(0), kMousePress), 10);
  hud.mouse(500, 500, kMouseMove);
  EXPECT_FALSE(back->highlighted);

  // Disabled components are not hit; click-when-disabled ones are hit on hover only.
  b->setState(kStateDisabled);
  EXPECT_EQ(hud.mouse(kCx, cy(-200), kMousePress), 0);
  b->clickWhenDisabled = true;
  EXPECT_TRUE(hud.mouse(kCx, cy(-200), kMouseMove) == 12 && hud.mouse(kCx, cy(-200), kMousePress) == 0);
  EXPECT_EQ(hud.layers[1].selected, 2);
  hud.layers[1].visible = false;
  EXPECT_EQ(hud.mouse(kCx, cy(-300), kMousePress), 0) << "hidden layers are not asked";

  hud.setSelected(7, 0), hud.setSelected(1, -1);  // the first is out of range: ignored
  EXPECT_FALSE(a->highlighted);

  // Overlapping components: the last one hit answers.
  Hud two;
  auto last = button(6, 0);
  two.addComponent(back, 0);
  two.addComponent(*last, 2);  // a reference; layer 1 is created empty
  EXPECT_EQ(two.mouse(kCx, cy(0), kMousePress), 6);

  // Pages follow the page buttons.
  Hud paged;
  paged.pageSwitching = true, paged.firstPageLayer = 3;
  paged.addComponent(button(99, 500), 0);
  for (int i = 0; i < 3; ++i) paged.addComponent(button(1 + i, -100.0f * i), 1);  // page buttons
  paged.addComponent(button(20, -300), 2);
  auto p1 = button(31, -400);
  paged.addComponent(p1, 3), paged.addComponent(button(32, -400), 4), paged.addComponent(button(33, -400), 5);
  paged.showPage(0), paged.setSelected(1, 0);
  EXPECT_TRUE(paged.layers[3].visible && !paged.layers[4].visible);

  // The owner switching pages itself takes the old page's tooltip along.
  p1->tooltipText = "On page one";
  paged.mouse(kCx, cy(-400), kMouseMove);
  ASSERT_EQ(p1->tooltipPhase, 1);
  paged.showPage(1);
  EXPECT_EQ(p1->tooltipPhase, 0);
  paged.showPage(0);
  paged.mouse(kCx, cy(-100), kMouseMove);
  EXPECT_EQ(paged.currentPage, 0) << "hovering a page button does not flip pages";
  EXPECT_EQ(paged.mouse(kCx, cy(-200), kMousePress), 3);
  EXPECT_TRUE(paged.currentPage == 2 && paged.layers[5].visible && !paged.layers[3].visible);

  // Only the visible page answers; a press there selects only with keep-selection.
  EXPECT_TRUE(paged.mouse(kCx, cy(-400), kMousePress) == 33 && paged.layers[5].selected == -1);
  paged.keepSelectionInPageLayers = true;
  EXPECT_TRUE(paged.mouse(kCx, cy(-400), kMousePress) == 33 && paged.layers[5].selected == 0);
  // A press in a layer before the page layers clears the page layers' selection.
  EXPECT_TRUE(paged.mouse(kCx, cy(-300), kMousePress) == 20 && paged.layers[5].selected == -1);

  for (int page : {7, -1}) paged.showPage(page);  // no such pages
  EXPECT_EQ(paged.currentPage, 2);
  p1->tooltipText = "x", p1->tooltipPhase = 1;
  paged.update(1.0f);
  EXPECT_EQ(p1->tooltipPhase, 1) << "update reaches only visible layers";
}

// "Screenshot saved" stays two seconds and then goes by itself; a new message starts it again.
TEST_F(HudTest, PopupNoticeGoesByItself) {
  PopupNotice& n = popupNotice();
  n.show("AB");
  n.update(1.9f);
  EXPECT_TRUE(n.showing() && n.message() == "AB");
  n.update(0.2f);
  EXPECT_FALSE(n.showing());
  n.show("C"), n.update(1.0f);
  EXPECT_TRUE(n.showing());
  n.draw();
}
