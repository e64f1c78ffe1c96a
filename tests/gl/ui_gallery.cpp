// Every interface widget drawn on a real context, probed and saved for a look.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "core/log.hpp"
#include "render/gl.hpp"
#include "render/gpu_resources.hpp"
#include "support/gl_context.hpp"
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

#define GALLERY_CONTEXT()                                                     \
  do {                                                                        \
    if (!setUpContext()) {                                                    \
      const char* req = std::getenv("QV_REQUIRE_GL");                         \
      if (req && std::string(req) == "1") FAIL() << "no GL context";          \
      GTEST_SKIP() << "no display for a GL context";                          \
    }                                                                         \
  } while (0)

void clear(float r, float g, float b) {
  glClearColor(r, g, b, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Design pixels (from the centre, y up) to screen pixels (top row first).
int sx(float x) { return static_cast<int>(960 + x); }
int sy(float y) { return static_cast<int>(540 - y); }

struct Stats {
  double r = 0, g = 0, b = 0;  // mean
  int brightest = 0;           // max of r+g+b
  int changed = 0;             // pixels that differ from the background
};

// Region given in design pixels: top-left corner (x, y) and size.
Stats region(const std::vector<uint8_t>& px, float x, float y, float w, float h, qvtest::Rgb bg = {-1, -1, -1}) {
  Stats s;
  int n = 0;
  for (int yy = sy(y); yy < sy(y - h); ++yy)
    for (int xx = sx(x); xx < sx(x + w); ++xx) {
      const qvtest::Rgb c = qvtest::pixelAt(px, kW, xx, yy);
      s.r += c.r;
      s.g += c.g;
      s.b += c.b;
      s.brightest = std::max(s.brightest, c.r + c.g + c.b);
      if (bg.r >= 0 && (std::abs(c.r - bg.r) + std::abs(c.g - bg.g) + std::abs(c.b - bg.b)) > 24) ++s.changed;
      ++n;
    }
  if (n) s.r /= n, s.g /= n, s.b /= n;
  return s;
}

double luminance(const Stats& s) { return s.r + s.g + s.b; }

}  // namespace

TEST(UiGallery, TheThreeProgramsCompile) {
  GALLERY_CONTEXT();
  LogCapture log;
  ImageRect rect("White Pixel.png", 10, 10);
  ImageHudLoading panel(400, 125);
  ImageHud3x3Resizable frame;
  EXPECT_NE(findProgram("shaderImageRect"), 0u);
  EXPECT_NE(findProgram("shaderImageGeneric"), 0u);
  EXPECT_NE(findProgram("shaderImagePopupMessage"), 0u);
  EXPECT_FALSE(log.contains("ERROR")) << log.text();
  EXPECT_NE(rect.vertexArray, 0u);
  EXPECT_NE(panel.vertexArray, 0u);
  EXPECT_NE(frame.vertexArray, 0u);
  // Equal quads share one buffer set on the card; baked positions do not.
  ImageRect same1("Symbol Info.png", 0, 0, kAnchorTopLeft, 0.2f, 0.1f);
  ImageRect same2("Checkbox Center.png", 44, 44, kAnchorTopLeft, 0.2f, 0.1f);
  EXPECT_EQ(same1.vertexArray, same2.vertexArray);
  ImageRect baked1("Symbol Info.png", 30, 30, kAnchorCentreBaked, 0.2f, 0.1f);
  ImageRect baked2("Symbol Info.png", 30, 30, kAnchorCentreBaked, 0.2f, 0.3f);
  EXPECT_NE(baked1.vertexArray, baked2.vertexArray);
  EXPECT_NE(baked1.vertexArray, 0u);
}

TEST(UiGallery, GreyOutAndAlphaClamp) {
  GALLERY_CONTEXT();
  clear(0, 0, 1);
  ImageRect white("White Pixel.png", 100, 100, kAnchorTopLeft);
  drawRect(white, pxToUnits(-300), pxToUnits(100), 0, 1, 1, 1, 1, {1, 1, 1, 1}, 0.5f);  // grey-out
  drawRect(white, pxToUnits(0), pxToUnits(100), 0, 1, 1, 1, 1, {0.5f, 0, 0, 1.5f}, -1);  // alpha over 1
  // Turned a quarter counter-clockwise about its top-left corner: it now extends up and right.
  drawRect(white, pxToUnits(400), pxToUnits(100), kPi / 2, 1, 1, 1, 1, {0, 1, 0, 1}, -1);
  const auto px = qvtest::readPixels(kW, kH);
  const auto grey = qvtest::pixelAt(px, kW, sx(-250), sy(50));
  EXPECT_NEAR(grey.r, 128, 2);
  EXPECT_NEAR(grey.b, 128, 2);
  const auto red = qvtest::pixelAt(px, kW, sx(50), sy(50));
  EXPECT_NEAR(red.r, 128, 2) << "alpha 1.5 must act as 1, not overshoot";
  EXPECT_LE(red.b, 2);
  const auto turned = qvtest::pixelAt(px, kW, sx(450), sy(150));
  EXPECT_GT(turned.g, 250);
  EXPECT_LT(qvtest::pixelAt(px, kW, sx(450), sy(50)).g, 10);
  EXPECT_LT(qvtest::pixelAt(px, kW, sx(350), sy(150)).g, 10);
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
  lit->setHighlighted(true);
  auto off = std::make_shared<HudButtonLargeLong>("Settings", 40, -260, 102);
  off->setState(kStateDisabled);
  auto shortBtn = std::make_shared<HudButtonLargeShort>("Back", 40, -350, 2801);
  auto page = std::make_shared<HudButtonPageSelect>("", "2", 40, -450, 2);
  auto pageLit = std::make_shared<HudButtonPageSelect>("", "3", 150, -450, 3);
  pageLit->setHighlighted(true);
  auto small = std::make_shared<HudButtonSmall>("", "Units", 40, 30);
  auto tiny = std::make_shared<HudButtonSmallVeryShort>("Symbol Button Small Very Short Pause.png", "", 260, -460, 40);
  auto tinyLit =
      std::make_shared<HudButtonSmallVeryShort>("Symbol Button Small Very Short Arrow 2.png", "", 360, -460, 41);
  tinyLit->setHighlighted(true);
  auto info = std::make_shared<HudPopupMessage>("Info", 470, -470);
  for (auto c : std::initializer_list<std::shared_ptr<HudComponent>>{plain, lit, off, shortBtn, page, pageLit, small,
                                                                      tiny, tinyLit, info})
    hud.addComponent(c, 0);

  // Checkboxes: plain, highlighted, checked, swatch (checked, never a centre mark), with a label.
  auto cbPlain = std::make_shared<HudCheckbox>(40, -560, 1);
  auto cbLit = std::make_shared<HudCheckbox>(110, -560, 2);
  cbLit->setHighlighted(true);
  auto cbChecked = std::make_shared<HudCheckbox>(180, -560, 3);
  cbChecked->checked = true;
  auto cbSwatch = std::make_shared<HudCheckbox>(250, -560, 4, true, "", false, Colour{0.9f, 0.3f, 0.2f, 1});
  cbSwatch->checked = true;
  auto cbOff = std::make_shared<HudCheckbox>(320, -560, 5);
  cbOff->checked = true;
  cbOff->setState(kStateDisabled);
  auto cbLabel = std::make_shared<HudCheckboxAndLabel>("Show Grid", 0, -640, 6);
  cbLabel->checked = true;
  for (auto c : std::initializer_list<std::shared_ptr<HudComponent>>{cbPlain, cbLit, cbChecked, cbSwatch, cbOff,
                                                                      cbLabel})
    hud.addComponent(c, 1);

  // Sliders at three values; the middle one highlighted, labels above and on the left.
  const std::vector<std::string> labels{"Off", "Low", "Half", "High", "Full"};
  const std::vector<float> values{0, 0.25f, 0.5f, 0.75f, 1};
  auto s0 = std::make_shared<HudSlider>(1000, -40, "Music Volume", 1302, "", labels, values);
  auto s1 = std::make_shared<HudSlider>(1000, -150, "Sound Volume", 1303, "", labels, values);
  s1->setValue(0.5f);
  s1->setHighlighted(true);
  auto s2 = std::make_shared<HudSlider>(1000, -260, "Speed", 7, "", labels, values, true, 0, 0, true);
  s2->setValue(1.0f);
  for (auto c : std::initializer_list<std::shared_ptr<HudComponent>>{s0, s1, s2}) hud.addComponent(c, 2);

  // Texts in the four sizes, static and dynamic.
  const Colour ink{1, 1, 1, 1};
  auto t26 = std::make_shared<HudTextStatic>(640, -380, "Size 26: The quick brown fox 0123", 26, ink);
  auto t33 = std::make_shared<HudTextStatic>(640, -420, "Size 33: jumps over the lazy dog!", 33, ink);
  auto t37 = std::make_shared<HudTextDynamic>(640, -465, "Size 37: Quillon Vale (dynamic)", 37, kValueTextColour);
  auto t47 = std::make_shared<HudTextStatic>(640, -515, "Size 47: Alien Island", 47, schemeColour(0));
  auto multi = std::make_shared<HudTextStatic>(1200, -380, "Two lines\nof static text", 33, schemeColour(2));
  for (auto c : std::initializer_list<std::shared_ptr<HudComponent>>{t26, t33, t37, t47, multi}) hud.addComponent(c, 3);

  // A tooltip shown by hovering the short button for longer than the delay.
  shortBtn->tooltipText = "Back to the previous screen\nSecond line of help";
  shortBtn->tooltipSide = kTooltipRight;
  hud.mouse(40 + 9 + 90, -350 - 9 - 30, kMouseMove);
  hud.update(0.3f);
  ASSERT_EQ(shortBtn->tooltipPhase, 2);
  // The hover dimmed everything it did not touch; light the showcase ones again.
  for (auto c : std::initializer_list<std::shared_ptr<HudComponent>>{lit, pageLit, tinyLit, cbLit, s1})
    c->setHighlighted(true);

  hud.draw(1.0f);
  const auto px = qvtest::readPixels(kW, kH);
  qvtest::saveScreenshot("ui_gallery_widgets", px, kW, kH);
  EXPECT_FALSE(log.contains("ERROR")) << log.text();

  // Hud corner at (-900, 520); a component at (cx, cy) sits at (-900 + cx, 520 + cy).
  auto at = [](float cx, float cy, float w, float h) { return std::array<float, 4>{-900 + cx, 520 + cy, w, h}; };
  auto stats = [&](std::array<float, 4> r) { return region(px, r[0], r[1], r[2], r[3], bgRgb); };
  // Button faces: centre band away from the label.
  const Stats facePlain = stats(at(55, -80 - 35, 40, 25));
  const Stats faceLit = stats(at(55, -170 - 35, 40, 25));
  const Stats faceOff = stats(at(55, -260 - 35, 40, 25));
  EXPECT_GT(facePlain.changed, 900) << "the plain button face is drawn";
  EXPECT_GT(std::abs(luminance(faceLit) - luminance(facePlain)), 15) << "highlight changes the face";
  const double bgLum = bgRgb.r + bgRgb.g + bgRgb.b;
  EXPECT_LT(std::abs(luminance(faceOff) - bgLum), std::abs(luminance(facePlain) - bgLum))
      << "a disabled button is fainter";
  // Labels: bright text pixels inside the face.
  EXPECT_GT(stats(at(40 + 100, -80 - 25, 180, 35)).brightest, 500);
  // The swatch checkbox shows its colour and no centre mark; the plain checked one shows the mark.
  const Stats swatch = stats(at(250 + 15, -560 - 15, 14, 14));
  EXPECT_GT(swatch.r, swatch.b + 60);
  const Stats mark = stats(at(180 + 15, -560 - 15, 14, 14));
  const Stats empty = stats(at(40 + 15, -560 - 15, 14, 14));
  EXPECT_GT(std::abs(luminance(mark) - luminance(empty)), 40) << "checked shows the centre mark";
  // Slider fill grows with the value.
  const Stats fill0 = stats(at(1000 + 120, -40 - 12, 150, 16));
  const Stats fill2 = stats(at(1000 + 120, -260 - 12, 150, 16));
  EXPECT_GT(std::abs(luminance(fill2) - luminance(fill0)), 30);
  // The tooltip box is right of the short button.
  const Stats tip = stats(at(40 + 200 + 60, -350 - 40, 200, 40));
  EXPECT_GT(tip.changed, 2000);
}

TEST(UiGallery, PanelsBarsAndLoadingScreen) {
  GALLERY_CONTEXT();
  LogCapture log;
  clear(0, 0, 0);
  ImageRect backdrop("Menu Screenshot.png", 0, 0, kAnchorCentre);
  backdrop.draw(0, 0, 1);
  // The loading panel as the loading scene lays it out: centred, "Loading" in size 47.
  ImageHudLoading panel(400, 125);
  ASSERT_FLOAT_EQ(panel.displayWidth, 420);
  const float hx = -std::floor(panel.displayWidth / 2), hy = std::floor(panel.displayHeight / 2);
  ImageTextStatic loading(47, "Loading");
  loading.offsetX = pxToUnits(std::ceil((panel.displayWidth - loading.width) / 2));
  loading.offsetY = pxToUnits(-std::floor((panel.displayHeight - loading.height()) / 2));
  panel.draw(pxToUnits(hx), pxToUnits(hy), 1);
  loading.draw(pxToUnits(hx), pxToUnits(hy), 1);
  auto px = qvtest::readPixels(kW, kH);
  qvtest::saveScreenshot("ui_loading_screen", px, kW, kH);
  // The panel's middle is its body colour, the text is bright, outside is the backdrop.
  const Stats text = region(px, -loading.width / 2.0f, 23, static_cast<float>(loading.width), 40);
  EXPECT_GT(text.brightest, 600);
  const auto body = qvtest::pixelAt(px, kW, sx(-150), sy(50));
  const auto body2 = qvtest::pixelAt(px, kW, sx(150), sy(-50));
  EXPECT_NEAR(body.r, body2.r, 12) << "the stretched middle is even";
  EXPECT_NEAR(body.g, body2.g, 12);

  // Main menu panel, top bar and bottom panel for a look at their slices.
  clear(0.35f, 0.55f, 0.75f);
  ImageHudMainMenu menu(468, 394);
  menu.draw(pxToUnits(-900), pxToUnits(500), 1);
  HudButtonLargeLong newGame("New Game", 55, -105, 101);
  newGame.draw(pxToUnits(-900), pxToUnits(500), 1);
  HudButtonLargeLong quit("Quit", 55, -183, 103);
  quit.setHighlighted(true);
  quit.draw(pxToUnits(-900), pxToUnits(500), 1);
  ImageHudUnits units(732, 48);
  units.draw(pxToUnits(-300), pxToUnits(500), 1);
  ImageTextStatic question(26, "Overwrite save?", 50, -111, kValueTextColour);
  question.draw(pxToUnits(-300), pxToUnits(500), 1);
  ImageHudTop top;
  top.draw(pxToUnits(-761), pxToUnits(-100), 1);
  ImageHudBottom bottom(1449, 118);
  bottom.draw(pxToUnits(-736), pxToUnits(-260), 1);
  TooltipBox& box = tooltipBox();
  box.setMessage("A tooltip box\nwith three lines\nof help text");
  box.draw(pxToUnits(500), pxToUnits(300), 1);
  px = qvtest::readPixels(kW, kH);
  qvtest::saveScreenshot("ui_panels", px, kW, kH);
  EXPECT_FALSE(log.contains("ERROR")) << log.text();
  // Top bar covers its full 1522-pixel width, both caps included.
  const qvtest::Rgb sky{89, 140, 191};
  EXPECT_GT(region(px, -761 + 2, -100 - 20, 10, 10, sky).changed, 50);
  EXPECT_GT(region(px, 761 - 12, -100 - 20, 10, 10, sky).changed, 50);
  EXPECT_EQ(region(px, 761 + 4, -100 - 20, 10, 10, sky).changed, 0);
  // Main menu panel rows: its tiled middle row spans the panel's full height.
  EXPECT_GT(region(px, -900 + 20, 500 - menu.displayHeight + 30, 10, 10, sky).changed, 50);
}
