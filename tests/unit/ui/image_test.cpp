#include <gtest/gtest.h>

#include <cmath>

#include "core/log.hpp"
#include "core/vecmath.hpp"
#include "ui/image.hpp"
#include "unit/ui/ui_test_data.hpp"

using namespace qv;

namespace {
constexpr float kPx = 1.0f / 540.0f;  // one design pixel in units

class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override { uitest::dataRoot(); }
};
}  // namespace

TEST_F(ImageTest, RectTakesThePictureSizeAndSharesGeometryBySizeAndAnchor) {
  ImageRect own("Rect 100x50.png", 0, 0);
  EXPECT_FLOAT_EQ(own.displayWidth, 100);
  EXPECT_FLOAT_EQ(own.displayHeight, 50);
  EXPECT_EQ(own.textureWidth, 100);

  const size_t before = rectGeometryCache().size();
  ImageRect a("Icon 30.png", 77, 33, kAnchorTopLeft, 0.1f, 0.2f);
  ImageRect b("Rect 100x50.png", 77, 33, kAnchorTopLeft, 0.1f, 0.2f);  // other picture, same quad
  EXPECT_EQ(rectGeometryCache().size(), before + 1) << "equal size and anchor must share one buffer set";
  ImageRect c("Icon 30.png", 77, 33, kAnchorCentre, 0.1f, 0.2f);
  EXPECT_EQ(rectGeometryCache().size(), before + 2) << "another anchor mode is another quad";
  ImageRect d("Icon 30.png", 77.0004f, 33, kAnchorTopLeft, 0.1f, 0.2f);  // within the 1e-5 tolerance
  EXPECT_EQ(rectGeometryCache().size(), before + 2);
  ImageRect e("Icon 30.png", 78, 33, kAnchorTopLeft, 0.1f, 0.2f);
  EXPECT_EQ(rectGeometryCache().size(), before + 3);
  // A missing picture with width 0 has no size, but must not crash.
  LogCapture log;
  ImageRect missing("No Such Picture.png");
  EXPECT_FLOAT_EQ(missing.displayWidth, 0);
  EXPECT_EQ(missing.texture, 0u);
  EXPECT_TRUE(log.contains("ERROR: LodePNG error filename = \"No Such Picture.png\""));
}

TEST_F(ImageTest, BakedModeKeysOnPositionAndAngleAndHasNoOffset) {
  const size_t before = rectGeometryCache().size();
  ImageRect a("Icon 30.png", 41, 41, kAnchorCentreBaked, 0.3f, 0.5f, {1, 1, 1, 1}, 0.7f);
  ImageRect b("Icon 30.png", 41, 41, kAnchorCentreBaked, 0.3f, -0.5f, {1, 1, 1, 1}, 0.7f);
  ImageRect c("Icon 30.png", 41, 41, kAnchorCentreBaked, 0.3f, 0.5f, {1, 1, 1, 1}, 0.8f);
  ImageRect d("Icon 30.png", 41, 41, kAnchorCentreBaked, 0.3f, 0.5f, {1, 1, 1, 1}, 0.7f);
  EXPECT_EQ(rectGeometryCache().size(), before + 3);
  EXPECT_FLOAT_EQ(a.offsetX, 0);
  EXPECT_FLOAT_EQ(a.offsetY, 0);
  ImageRect plain("Icon 30.png", 41, 41, kAnchorCentre, 0.3f, 0.5f);
  EXPECT_FLOAT_EQ(plain.offsetX, 0.3f);
  EXPECT_FLOAT_EQ(plain.offsetY, 0.5f);
}

TEST_F(ImageTest, AnchorModeCorners) {
  const float W = 0.4f, H = 0.2f;
  float c[8];
  rectCorners(W, H, kAnchorTopLeft, 9, 9, 1, c);  // position and angle only matter in mode 2
  const float topLeft[8] = {W, 0, W, -H, 0, -H, 0, 0};
  for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(c[i], topLeft[i]) << i;
  rectCorners(W, H, kAnchorCentre, 0, 0, 0, c);
  const float centre[8] = {W / 2, H / 2, W / 2, -H / 2, -W / 2, -H / 2, -W / 2, H / 2};
  for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(c[i], centre[i]) << i;
  rectCorners(W, H, 7, 0, 0, 0, c);  // unknown modes centre
  for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(c[i], centre[i]) << i;
  rectCorners(W, H, kAnchorLeftMiddle, 0, 0, 0, c);
  const float left[8] = {W, H / 2, W, -H / 2, 0, -H / 2, 0, H / 2};
  for (int i = 0; i < 8; ++i) EXPECT_FLOAT_EQ(c[i], left[i]) << i;
  // Mode 2: a quarter turn counter-clockwise, then moved by (1, 2): A (W/2, H/2) -> (-H/2, W/2).
  rectCorners(W, H, kAnchorCentreBaked, 1, 2, kPi / 2, c);
  EXPECT_NEAR(c[0], 1 - H / 2, 1e-6);
  EXPECT_NEAR(c[1], 2 + W / 2, 1e-6);
  EXPECT_NEAR(c[4], 1 + H / 2, 1e-6);  // C (-W/2, -H/2) -> (H/2, -W/2)
  EXPECT_NEAR(c[5], 2 - W / 2, 1e-6);
}

TEST_F(ImageTest, NineSliceEdgesStretchAndRepeat) {
  ImageHudLoading panel(400, 125);  // picture 128 x 127 (padded to 128 x 128)
  ASSERT_TRUE(panel.hasMesh);
  // extra width 400 - 108 = 292, extra height 125 - 107 = 18
  const float cols[4] = {0, 28, 28 + 72 + 292, 28 + 72 + 28 + 292};
  const float rows[4] = {0, 31, 31 + 66 + 18, 31 + 66 + 30 + 18};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(panel.columnEdges[i], cols[i]);
    EXPECT_FLOAT_EQ(panel.rowEdges[i], rows[i]);
  }
  EXPECT_FLOAT_EQ(panel.displayWidth, 420);
  EXPECT_FLOAT_EQ(panel.displayHeight, 145);
  const float uvV = 127.0f / 128.0f;
  EXPECT_FLOAT_EQ(panel.repeatInfo[0], (1 - 31.0f / 127) * uvV);
  EXPECT_FLOAT_EQ(panel.repeatInfo[1], (1 - 97.0f / 127) * uvV);
  EXPECT_FLOAT_EQ(panel.repeatInfo[2], 84.0f / 66.0f);

  // A target below the allowance shrinks the middle (negative extra width).
  ImageHudLoading narrow(50, 107);
  EXPECT_FLOAT_EQ(narrow.columnEdges[2], 28 + 72 - 58);
  EXPECT_FLOAT_EQ(narrow.displayWidth, 128 - 58);
  EXPECT_FLOAT_EQ(narrow.repeatInfo[2], 1.0f);
  // A negative target keeps the picture's own size.
  ImageHudLoading natural(-1, -1);
  EXPECT_FLOAT_EQ(natural.displayWidth, 128);
  EXPECT_FLOAT_EQ(natural.displayHeight, 127);

  // No middle row: the repeat count stays 1 instead of dividing by zero.
  ImageHud3x3 flat("Image Hud Loading.png", 28, 72, 28, 60, 0, 67, 300, 300, 108, 107);
  EXPECT_FLOAT_EQ(flat.repeatInfo[2], 1.0f);
  EXPECT_FALSE(std::isnan(flat.repeatInfo[2]));

  ImageHudMainMenu menu(468, 394);
  EXPECT_FLOAT_EQ(menu.displayWidth, 55 + 40 + 55 + 468 - 126);
  EXPECT_FLOAT_EQ(menu.displayHeight, 120 + 6 + 123 + 394 - 46);
  EXPECT_FLOAT_EQ(menu.repeatInfo[2], (6.0f + 348) / 6);
  ImageHudUnits units(468, 408);
  EXPECT_FLOAT_EQ(units.displayHeight, 120 + 6 + 125 + 408 - 48);

  LogCapture log;
  ImageHud3x3 missing("Missing Panel.png", 1, 1, 1, 1, 1, 1, 10, 10, 0, 0);
  EXPECT_FALSE(missing.hasMesh);
  EXPECT_FLOAT_EQ(missing.displayWidth, 0);
}

TEST_F(ImageTest, ResizableTopAndBottomPanels) {
  ImageHud3x3Resizable frame;
  EXPECT_TRUE(frame.hasMesh);
  EXPECT_FLOAT_EQ(frame.displayWidth, 162);  // built at 100 x 100
  frame.setSize(250, 52);
  EXPECT_FLOAT_EQ(frame.displayWidth, 312);
  EXPECT_FLOAT_EQ(frame.displayHeight, 114);
  const float uvV = 127.0f / 128.0f;
  EXPECT_FLOAT_EQ(frame.repeatInfo[0], (1 - 31.0f / 127) * uvV);
  EXPECT_FLOAT_EQ(frame.repeatInfo[1], (1 - 96.0f / 127) * uvV);
  EXPECT_FLOAT_EQ(frame.repeatInfo[2], 52.0f / 65.0f);

  ImageHudTop top;
  EXPECT_TRUE(top.hasMesh);
  EXPECT_FLOAT_EQ(top.displayWidth, 1522);
  EXPECT_FLOAT_EQ(top.displayHeight, 80);

  ImageHudBottom bottom(1449, 118);  // picture 118 x 70
  EXPECT_FLOAT_EQ(bottom.displayWidth, 1473);
  EXPECT_FLOAT_EQ(bottom.displayHeight, 58 + 60 + 6);
  EXPECT_FLOAT_EQ(bottom.repeatInfo[2], 10.0f);
  // Shorter than its frame: the band collapses instead of turning inside out.
  ImageHudBottom tiny(200, 20);
  EXPECT_FLOAT_EQ(tiny.displayHeight, 58 + 6);
  EXPECT_FLOAT_EQ(tiny.repeatInfo[2], 0.0f);
}

TEST_F(ImageTest, HeadlessDrawsAreHarmless) {
  ImageRect r("Icon 30.png");
  r.draw(0, 0, 1);
  r.draw(0, 0, 0.5f, 1);
  ImageHudLoading p(400, 125);
  p.draw(0, 0, 1);
  EXPECT_EQ(r.vertexArray, 0u);
  EXPECT_EQ(r.shaderProgram, 0u);
  EXPECT_FLOAT_EQ(pxToUnits(540), 1.0f);
  EXPECT_FLOAT_EQ(unitsToPx(pxToUnits(123)), 123.0f);
}
