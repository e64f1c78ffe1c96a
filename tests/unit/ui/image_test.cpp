#include <gtest/gtest.h>

#include "core/log.hpp"
#include "core/vecmath.hpp"
#include "ui/image.hpp"
#include "unit/ui/ui_test_data.hpp"

using namespace qv;

namespace {
struct ImageTest : ::testing::Test {
  void SetUp() override { uitest::dataRoot(); }
};
}  // namespace

TEST_F(ImageTest, AnchorModesMissingPicturesAndPanelsThatGrowAroundTheirCorners) {
  const float W = 0.4f, H = 0.2f;
  const struct { int mode; float want[8]; } rows[] = {
      {kAnchorTopLeft, {W, 0, W, -H, 0, -H, 0, 0}},
      {kAnchorCentre, {W / 2, H / 2, W / 2, -H / 2, -W / 2, -H / 2, -W / 2, H / 2}},
      {7, {W / 2, H / 2, W / 2, -H / 2, -W / 2, -H / 2, -W / 2, H / 2}},  // unknown modes centre
      {kAnchorLeftMiddle, {W, H / 2, W, -H / 2, 0, -H / 2, 0, H / 2}},
      // Baked: a quarter turn counter-clockwise, then moved by (1, 2): (x, y) -> (1 - y, 2 + x).
      {kAnchorCentreBaked, {1 - H / 2, 2 + W / 2, 1 + H / 2, 2 + W / 2, 1 + H / 2, 2 - W / 2, 1 - H / 2, 2 - W / 2}},
  };
  for (const auto& r : rows) {
    float c[8];
    rectCorners(W, H, r.mode, 1, 2, kPi / 2, c);
    for (int i = 0; i < 8; ++i) EXPECT_NEAR(c[i], r.want[i], 1e-6) << "mode " << r.mode << " value " << i;
  }
  ImageRect own("Rect 100x50.png", 0, 0);
  EXPECT_TRUE(own.displayWidth == 100 && own.displayHeight == 50);
  LogCapture log;
  ImageRect missing("No Such Picture.png");
  EXPECT_TRUE(missing.displayWidth == 0 && log.contains("ERROR: LodePNG error filename = \"No Such Picture.png\""));
  missing.draw(0, 0, 1);
  EXPECT_FALSE(ImageHud3x3("Missing Panel.png", 1, 1, 1, 1, 1, 1, 10, 10, 0, 0).hasMesh);

  // Panels keep their corners and stretch (or tile) their middles to the size asked
  // for; the shader tiles the middle band that many times.
  const struct { float w, h, shownW, shownH, tiles; } loading[] = {
      {400, 125, 420, 145, 84.0f / 66}, {50, 107, 70, 127, 1}, {-1, -1, 128, 127, 1}};  // picture 128 x 127
  for (const auto& r : loading) {
    ImageHudLoading panel(r.w, r.h);
    // The left corner keeps its width.
    EXPECT_EQ(std::tuple(panel.displayWidth, panel.displayHeight, panel.columnEdges[1]), std::tuple(r.shownW, r.shownH, 28.0f));
    EXPECT_FLOAT_EQ(panel.repeatInfo[2], r.tiles) << r.h;
  }
  ImageHud3x3 flat("Image Hud Loading.png", 28, 72, 28, 60, 0, 67, 300, 300, 108, 107);
  EXPECT_FLOAT_EQ(flat.repeatInfo[2], 1.0f) << "no middle row: nothing to divide by";

  ImageHud3x3Resizable frame;
  frame.setSize(250, 52);
  EXPECT_TRUE(frame.displayWidth == 312 && frame.displayHeight == 114);
  EXPECT_FLOAT_EQ(frame.repeatInfo[2], 52.0f / 65.0f);
  ImageHudBottom bottom(1449, 118), tiny(200, 20);  // picture 118 x 70
  EXPECT_TRUE(bottom.displayHeight == 58 + 60 + 6 && bottom.repeatInfo[2] == 10.0f);
  EXPECT_TRUE(tiny.displayHeight == 58 + 6 && tiny.repeatInfo[2] == 0.0f) << "the band collapses";
}
