#include <gtest/gtest.h>

#include <cmath>

#include "core/log.hpp"
#include "core/vecmath.hpp"
#include "ui/image.hpp"
#include "unit/ui/ui_test_data.hpp"

using namespace qv;

namespace {
class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override { uitest::dataRoot(); }
};
}  // namespace

TEST_F(ImageTest, RectGeometryIsSharedBySizeAnchorAndBakedPosition) {
  ImageRect own("Rect 100x50.png", 0, 0);
  EXPECT_TRUE(own.displayWidth == 100 && own.displayHeight == 50);

  const size_t before = rectGeometryCache().size();
  const Colour white{1, 1, 1, 1};
  // added: cache entries after this one
  const struct { const char* picture; float w; int mode; float y, angle; size_t added; } rows[] = {
      {"Icon 30.png", 77, kAnchorTopLeft, 0.2f, 0, 1},
      {"Rect 100x50.png", 77, kAnchorTopLeft, 0.2f, 0, 1},     // other picture, same quad: shared
      {"Icon 30.png", 77, kAnchorCentre, 0.2f, 0, 2},          // another anchor mode is another quad
      {"Icon 30.png", 77.0004f, kAnchorTopLeft, 0.2f, 0, 2},   // within the 1e-5 tolerance
      {"Icon 30.png", 78, kAnchorTopLeft, 0.2f, 0, 3},
      {"Icon 30.png", 41, kAnchorCentreBaked, 0.5f, 0.7f, 4},  // mode 2 keys on position and angle
      {"Icon 30.png", 41, kAnchorCentreBaked, -0.5f, 0.7f, 5},
      {"Icon 30.png", 41, kAnchorCentreBaked, 0.5f, 0.8f, 6},
      {"Icon 30.png", 41, kAnchorCentreBaked, 0.5f, 0.7f, 6},
  };
  for (const auto& r : rows) {
    ImageRect img(r.picture, r.w, 33, r.mode, 0.1f, r.y, white, r.angle);
    EXPECT_EQ(rectGeometryCache().size(), before + r.added) << r.w << " mode " << r.mode << " y " << r.y;
    // Mode 2 has the position inside its quad and no draw offset.
    EXPECT_FLOAT_EQ(img.offsetX, r.mode == kAnchorCentreBaked ? 0 : 0.1f);
    EXPECT_FLOAT_EQ(img.offsetY, r.mode == kAnchorCentreBaked ? 0 : r.y);
    img.draw(0, 0, 1);  // headless: harmless
  }

  LogCapture log;
  ImageRect missing("No Such Picture.png");  // no size, but no crash
  EXPECT_TRUE(missing.displayWidth == 0 && log.contains("ERROR: LodePNG error filename = \"No Such Picture.png\""));
}

TEST_F(ImageTest, AnchorModeCorners) {
  const float W = 0.4f, H = 0.2f;
  const struct { int mode; float want[8]; } rows[] = {
      {kAnchorTopLeft, {W, 0, W, -H, 0, -H, 0, 0}},
      {kAnchorCentre, {W / 2, H / 2, W / 2, -H / 2, -W / 2, -H / 2, -W / 2, H / 2}},
      {7, {W / 2, H / 2, W / 2, -H / 2, -W / 2, -H / 2, -W / 2, H / 2}},  // unknown modes centre
      {kAnchorLeftMiddle, {W, H / 2, W, -H / 2, 0, -H / 2, 0, H / 2}},
      // Mode 2: a quarter turn counter-clockwise, then moved by (1, 2): (x, y) -> (1 - y, 2 + x).
      {kAnchorCentreBaked, {1 - H / 2, 2 + W / 2, 1 + H / 2, 2 + W / 2, 1 + H / 2, 2 - W / 2, 1 - H / 2, 2 - W / 2}},
  };
  for (const auto& r : rows) {
    float c[8];
    rectCorners(W, H, r.mode, 1, 2, kPi / 2, c);  // position and angle only matter in mode 2
    for (int i = 0; i < 8; ++i) EXPECT_NEAR(c[i], r.want[i], 1e-6) << "mode " << r.mode << " value " << i;
  }
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
  EXPECT_TRUE(panel.displayWidth == 420 && panel.displayHeight == 145);
  const float uvV = 127.0f / 128.0f;
  EXPECT_FLOAT_EQ(panel.repeatInfo[0], (1 - 31.0f / 127) * uvV);
  EXPECT_FLOAT_EQ(panel.repeatInfo[1], (1 - 97.0f / 127) * uvV);
  EXPECT_FLOAT_EQ(panel.repeatInfo[2], 84.0f / 66.0f);
  panel.draw(0, 0, 1);

  // A target below the allowance shrinks the middle (negative extra width).
  ImageHudLoading narrow(50, 107);
  EXPECT_FLOAT_EQ(narrow.columnEdges[2], 28 + 72 - 58);
  EXPECT_FLOAT_EQ(narrow.displayWidth, 128 - 58);
  EXPECT_FLOAT_EQ(narrow.repeatInfo[2], 1.0f);
  // A negative target keeps the picture's own size.
  ImageHudLoading natural(-1, -1);
  EXPECT_TRUE(natural.displayWidth == 128 && natural.displayHeight == 127);
  // No middle row: the repeat count stays 1 instead of dividing by zero.
  ImageHud3x3 flat("Image Hud Loading.png", 28, 72, 28, 60, 0, 67, 300, 300, 108, 107);
  EXPECT_FLOAT_EQ(flat.repeatInfo[2], 1.0f);

  EXPECT_FALSE(ImageHud3x3("Missing Panel.png", 1, 1, 1, 1, 1, 1, 10, 10, 0, 0).hasMesh);
}

TEST_F(ImageTest, ResizableTopAndBottomPanels) {
  ImageHud3x3Resizable frame;
  frame.setSize(250, 52);
  EXPECT_TRUE(frame.displayWidth == 312 && frame.displayHeight == 114);
  EXPECT_FLOAT_EQ(frame.repeatInfo[2], 52.0f / 65.0f);

  ImageHudBottom bottom(1449, 118);  // picture 118 x 70
  EXPECT_FLOAT_EQ(bottom.displayHeight, 58 + 60 + 6);
  EXPECT_FLOAT_EQ(bottom.repeatInfo[2], 10.0f);
  // Shorter than its frame: the band collapses instead of turning inside out.
  ImageHudBottom tiny(200, 20);
  EXPECT_TRUE(tiny.displayHeight == 58 + 6 && tiny.repeatInfo[2] == 0.0f);
}
