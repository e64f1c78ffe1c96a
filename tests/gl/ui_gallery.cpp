// Every interface widget drawn on a real context, probed and saved for a look.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <tuple>

#include "core/log.hpp"
#include "render/gpu_resources.hpp"
#include "support/gl_world_helpers.hpp"
#include "ui/font.hpp"
#include "ui/hud.hpp"
#include "ui/image.hpp"

using namespace qv;

namespace {

constexpr int kW = 1920, kH = 1080;  // one design pixel per screen pixel

bool setUpContext() {
  if (!qvtest::ensureGlContext(kW, kH)) return false;
  glViewport(0, 0, kW, kH);
  setAspectRatio(static_cast<float>(kW) / kH);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  return true;
}

// Without a 1920 x 1080 context: skipped, or failed when QV_REQUIRE_GL=1.
#define GALLERY_CONTEXT()                         \
  if (!setUpContext()) {                          \
    QV_REQUIRE_GL_CONTEXT();                      \
    FAIL() << "no 1920 x 1080 context";           \
  }

void clear(float r, float g, float b) {
  glClearColor(r, g, b, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Design pixels (from the centre, y up) to screen pixels (top row first).
int sx(float x) { return static_cast<int>(960 + x); }
int sy(float y) { return static_cast<int>(540 - y); }

// Means of r+g+b, r and b; max of r+g+b; pixels that differ from the background.
struct Stats {
  double lum = 0, r = 0, b = 0;
  int brightest = 0, changed = 0;
};

// Region given in design pixels: top-left corner (x, y) and size.
Stats region(const std::vector<uint8_t>& px, float x, float y, float w, float h, qvtest::Rgb bg = {-1, -1, -1}) {
  Stats s;
  int n = 0;
  for (int yy = sy(y); yy < sy(y - h); ++yy)
    for (int xx = sx(x); xx < sx(x + w); ++xx, ++n) {
      const qvtest::Rgb c = qvtest::pixelAt(px, kW, xx, yy);
      s.lum += qvtest::brightness(c), s.r += c.r, s.b += c.b;
      s.brightest = std::max(s.brightest, qvtest::brightness(c));
      s.changed += bg.r >= 0 && qvtest::diff(c, bg) > 24;
    }
  if (n) s.lum /= n, s.r /= n, s.b /= n;
  return s;
}

using Parts = std::initializer_list<std::shared_ptr<HudComponent>>;

}  // namespace

TEST(UiGallery, GreyOutAlphaClampAndTurn) {
  GALLERY_CONTEXT();
  ImageRect white("White Pixel.png", 100, 100, kAnchorTopLeft);
  clear(0, 0, 1);
  drawRect(white, pxToUnits(-300), pxToUnits(100), 0, 1, 1, 1, 1, {1, 1, 1, 1}, 0.5f);  // grey-out
  drawRect(white, pxToUnits(0), pxToUnits(100), 0, 1, 1, 1, 1, {0.5f, 0, 0, 1.5f}, -1);  // alpha over 1
  // Turned a quarter counter-clockwise about its top-left corner: it now extends up and right.
  drawRect(white, pxToUnits(400), pxToUnits(100), kPi / 2, 1, 1, 1, 1, {0, 1, 0, 1}, -1);
  const auto px = qvtest::readPixels(kW, kH);
  auto at = [&](float x, float y) { return qvtest::pixelAt(px, kW, sx(x), sy(y)); };
  EXPECT_NEAR(at(-250, 50).r, 128, 2);
  EXPECT_NEAR(at(-250, 50).b, 128, 2);
  EXPECT_NEAR(at(50, 50).r, 128, 2) << "alpha 1.5 must act as 1, not overshoot";
  EXPECT_LE(at(50, 50).b, 2);
  EXPECT_GT(at(450, 150).g, 250);
  EXPECT_LT(at(450, 50).g, 10);
  qvtest::saveScreenshot("ui_grey_and_clamp", px, kW, kH);
}

TEST(UiGallery, EveryWidgetInItsStates) {
  GALLERY_CONTEXT();
  LogCapture log;
  const qvtest::Rgb bgRgb{90, 60, 110};
  clear(90 / 255.0f, 60 / 255.0f, 110 / 255.0f);

  Hud hud;
  hud.setPositionPx(-900, 520);  // components below are relative to this corner
  auto plain = std::make_shared<HudButtonLargeLong>("New Game", 40, -80, 101);
  auto lit = std::make_shared<HudButtonLargeLong>("Load Game", 40, -170, 107);
  auto off = std::make_shared<HudButtonLargeLong>("Settings", 40, -260, 102);
  off->setState(kStateDisabled);
  auto shortBtn = std::make_shared<HudButtonLargeShort>("Back", 40, -350, 2801);
  auto pageLit = std::make_shared<HudButtonPageSelect>("", "3", 150, -450, 3);
  auto tinyLit = std::make_shared<HudButtonSmallVeryShort>("Symbol Button Small Very Short Arrow 2.png", "", 360, -460, 41);
  hud.addComponent(std::make_shared<HudButtonSmall>("", "Units", 40, 30), 0);
  hud.addComponent(std::make_shared<HudPopupMessage>("Info", 470, -470), 0);
  for (auto c : Parts{plain, lit, off, shortBtn, pageLit, tinyLit}) hud.addComponent(c, 0);

  // Checkboxes: plain, highlighted, checked, swatch (checked, never a centre mark), disabled, with a label.
  auto cbLit = std::make_shared<HudCheckbox>(110, -560, 2);
  auto cbChecked = std::make_shared<HudCheckbox>(180, -560, 3);
  auto cbSwatch = std::make_shared<HudCheckbox>(250, -560, 4, true, "", false, Colour{0.9f, 0.3f, 0.2f, 1});
  auto cbOff = std::make_shared<HudCheckbox>(320, -560, 5);
  cbOff->setState(kStateDisabled);
  auto cbLabel = std::make_shared<HudCheckboxAndLabel>("Show Grid", 0, -640, 6);
  cbChecked->checked = cbSwatch->checked = cbOff->checked = cbLabel->checked = true;
  for (auto c : Parts{std::make_shared<HudCheckbox>(40, -560, 1), cbLit, cbChecked, cbSwatch, cbOff, cbLabel})
    hud.addComponent(c, 1);

  // Sliders at three values; the middle one highlighted, labels above and on the left.
  const std::vector<std::string> labels{"Off", "Low", "Half", "High", "Full"};
  const std::vector<float> values{0, 0.25f, 0.5f, 0.75f, 1};
  auto s1 = std::make_shared<HudSlider>(1000, -150, "Sound Volume", 1303, "", labels, values);
  auto s2 = std::make_shared<HudSlider>(1000, -260, "Speed", 7, "", labels, values, true, 0, 0, true);
  s1->setValue(0.5f), s2->setValue(1.0f);
  for (auto c : Parts{std::make_shared<HudSlider>(1000, -40, "Music Volume", 1302, "", labels, values), s1, s2})
    hud.addComponent(c, 2);

  // A tooltip shown by hovering the short button for longer than the delay.
  shortBtn->tooltipText = "Back to the previous screen\nSecond line of help";
  shortBtn->tooltipSide = kTooltipRight;
  hud.mouse(40 + 9 + 90, -350 - 9 - 30, kMouseMove);
  hud.update(0.3f);
  ASSERT_EQ(shortBtn->tooltipPhase, 2);
  // The hover dimmed everything it did not touch; light the showcase ones afterwards.
  for (auto c : Parts{lit, pageLit, tinyLit, cbLit, s1}) c->setHighlighted(true);

  hud.draw(1.0f);
  const auto px = qvtest::readPixels(kW, kH);
  qvtest::saveScreenshot("ui_gallery_widgets", px, kW, kH);
  EXPECT_FALSE(log.contains("ERROR")) << log.text();

  // A component at (cx, cy) sits at (-900 + cx, 520 + cy) on the screen.
  auto at = [&](float cx, float cy, float w, float h) { return region(px, -900 + cx, 520 + cy, w, h, bgRgb); };
  const Stats facePlain = at(55, -115, 40, 25), faceLit = at(55, -205, 40, 25), faceOff = at(55, -295, 40, 25);
  EXPECT_GT(facePlain.changed, 900) << "the plain button face is drawn";
  EXPECT_GT(std::abs(faceLit.lum - facePlain.lum), 15) << "highlight changes the face";
  const double bgLum = bgRgb.r + bgRgb.g + bgRgb.b;
  EXPECT_LT(std::abs(faceOff.lum - bgLum), std::abs(facePlain.lum - bgLum)) << "a disabled button is fainter";
  EXPECT_GT(at(140, -105, 180, 35).brightest, 500) << "the label is drawn on the face";
  const Stats swatch = at(265, -575, 14, 14);
  EXPECT_GT(swatch.r, swatch.b + 60) << "the swatch shows its colour";
  EXPECT_GT(std::abs(at(195, -575, 14, 14).lum - at(55, -575, 14, 14).lum), 40) << "checked shows the centre mark";
  EXPECT_GT(std::abs(at(1120, -272, 150, 16).lum - at(1120, -52, 150, 16).lum), 30) << "the fill grows with the value";
  EXPECT_GT(at(300, -390, 200, 40).changed, 2000) << "the tooltip box is right of the short button";
}

// A checkbox row: the plate's bright line runs under the label and under the
// box, not through them. Label ink, box and line are told apart by drawing the
// row three ways (with and without its label, checked and not).
TEST(UiGallery, CheckboxRowKeepsThePlateLineUnderLabelAndBox) {
  GALLERY_CONTEXT();
  const auto drawRow = [](const char* label, bool checked) {
    clear(0.1f, 0.15f, 0.15f);
    HudCheckboxAndLabel row(label, -200, 100, 1308);
    row.checked = checked;
    row.draw(0, 0, 1.0f);
    return qvtest::readPixels(kW, kH);
  };
  const auto shown = drawRow("Vertical Sync", false);
  const auto bare = drawRow("", false);
  const auto ticked = drawRow("Vertical Sync", true);
  qvtest::saveScreenshot("ui_checkbox_row", shown, kW, kH);
  // Screen rows of the row's band (design y 100 down to 40).
  const int y0 = sy(100), y1 = sy(40);
  int lineTop = -1, textBottom = -1, boxBottom = -1, textRows = 0;
  // The line: the brightest rows of the bare plate, well right of the box.
  int peak = 0;
  for (int y = y0; y < y1; ++y) peak = std::max(peak, qvtest::brightness(qvtest::pixelAt(bare, kW, sx(-200 + 300), y)));
  for (int y = y0; y < y1 && lineTop < 0; ++y)
    if (qvtest::brightness(qvtest::pixelAt(bare, kW, sx(-200 + 300), y)) > peak * 0.6) lineTop = y;
  for (int y = y0; y < y1; ++y) {
    bool text = false, box = false;
    for (int x = sx(-200); x < sx(-200 + 460); ++x) {
      text |= qvtest::diff(qvtest::pixelAt(shown, kW, x, y), qvtest::pixelAt(bare, kW, x, y)) > 60;
      box |= qvtest::diff(qvtest::pixelAt(shown, kW, x, y), qvtest::pixelAt(ticked, kW, x, y)) > 60;
    }
    if (text) textBottom = y, ++textRows;
    if (box) boxBottom = y;
  }
  ASSERT_GT(peak, 300) << "the plate's line is drawn";
  ASSERT_TRUE(lineTop > 0 && textRows > 15 && boxBottom > 0) << lineTop << " " << textRows << " " << boxBottom;
  EXPECT_LT(textBottom, lineTop) << "the label's lowest ink row must lie above the line";
  EXPECT_LT(boxBottom, lineTop) << "the box must lie above the line";
}

// Main menu panel, top bar and bottom panel: every slice is drawn.
TEST(UiGallery, PanelsAndBarsCoverTheirWholeSize) {
  GALLERY_CONTEXT();
  LogCapture log;
  clear(0.35f, 0.55f, 0.75f);
  const float mx = pxToUnits(-900), my = pxToUnits(500);
  ImageHudMainMenu menu(468, 394);
  menu.draw(mx, my, 1);
  HudButtonLargeLong("New Game", 55, -105, 101).draw(mx, my, 1);
  HudButtonLargeLong quit("Quit", 55, -183, 103);
  quit.setHighlighted(true);
  quit.draw(mx, my, 1);
  ImageHudUnits(732, 48).draw(pxToUnits(-300), my, 1);
  ImageTextStatic(26, "Overwrite save?", 50, -111, kValueTextColour).draw(pxToUnits(-300), my, 1);
  ImageHudTop().draw(pxToUnits(-761), pxToUnits(-100), 1);
  ImageHudBottom(1449, 118).draw(pxToUnits(-736), pxToUnits(-260), 1);
  tooltipBox().setMessage("A tooltip box\nwith three lines\nof help text");
  tooltipBox().draw(pxToUnits(500), pxToUnits(300), 1);
  const auto px = qvtest::readPixels(kW, kH);
  qvtest::saveScreenshot("ui_panels", px, kW, kH);
  EXPECT_FALSE(log.contains("ERROR")) << log.text();
  // The top bar covers its full 1522-pixel width, both caps included; the menu's tiled middle its full height.
  const qvtest::Rgb sky{89, 140, 191};
  EXPECT_GT(region(px, -761 + 2, -120, 10, 10, sky).changed, 50);
  EXPECT_GT(region(px, 761 - 12, -120, 10, 10, sky).changed, 50);
  EXPECT_EQ(region(px, 761 + 4, -120, 10, 10, sky).changed, 0);
  EXPECT_GT(region(px, -900 + 20, 500 - menu.displayHeight + 30, 10, 10, sky).changed, 50);
}

// The second line of a static text is drawn one line height below the first,
// starting at the same left edge.
TEST(UiGallery, SecondLineOfStaticTextSitsOneLineBelowTheFirst) {
  GALLERY_CONTEXT();
  // Rows and columns (screen pixels) holding lit pixels: first and last of each.
  const auto extent = [](const char* text) {
    clear(0, 0, 0);
    ImageTextStatic(26, text).draw(0, 0, 1);
    const auto px = qvtest::readPixels(kW, kH);
    int top = kH, bottom = -1, left = kW;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        if (qvtest::brightness(qvtest::pixelAt(px, kW, x, y)) > 200)
          top = std::min(top, y), bottom = std::max(bottom, y), left = std::min(left, x);
    return std::tuple(top, bottom, left);
  };
  const auto [top1, bottom1, left1] = extent("HH");
  const auto [top2, bottom2, left2] = extent("HH\nHH");
  ASSERT_GE(bottom1, top1) << "the text is drawn";
  EXPECT_EQ(top2, top1);
  EXPECT_EQ(bottom2, bottom1 + 26) << "one 26-pixel line lower";
  EXPECT_EQ(left2, left1);
}
