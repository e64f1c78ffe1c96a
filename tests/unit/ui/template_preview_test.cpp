#include <gtest/gtest.h>

#include "ui/template_preview.hpp"
#include "units/unit_template.hpp"

using namespace qv;

namespace {
std::shared_ptr<Unit3DTemplate> templateWith(std::vector<Colour> primary, std::vector<Colour> secondary) {
  return std::make_shared<Unit3DTemplate>("", 1.0f, std::move(primary), std::move(secondary), 0,
                                          std::vector<Colour>{}, 0, 1, false, false, 0);
}
const Colour R{1, 0, 0, 1}, G{0, 1, 0, 1}, B{0, 0, 1, 1}, Y{1, 1, 0, 1};
}  // namespace

TEST(TemplatePreview, ColoursStepAndEmptyListsShowWhiteButtonsAreHitOnTheirWholeFace) {
  // n = 3, m = 2: secondary period 2m + 0 = 4. n = m = 2: period 5, index (c mod 5) / 2
  // reaches 2, past the end, and falls back to the last option.
  auto uneven = templateWith({R, G, B}, {Y, B}), equal = templateWith({R, G}, {Y, B});
  const Colour wantPrimary[] = {R, G, B, R, G, B}, wantSecondary[] = {Y, Y, B, B, Y, Y}, wantEqual[] = {Y, Y, B, B, B, Y};
  Colour p, s;
  for (int c = 0; c < 6; ++c) {
    previewColours(*uneven, c, 1.0f, p, s);
    EXPECT_TRUE(p.sameAs(wantPrimary[c]) && s.sameAs(wantSecondary[c])) << c;
    previewColours(*equal, c, 1.0f, p, s);
    EXPECT_TRUE(s.sameAs(wantEqual[c])) << c;
  }
  // Empty lists show white; dimming keeps it opaque.
  auto t = templateWith({}, {});
  previewColours(*t, 7, 0.5f, p, s);
  EXPECT_TRUE(p.sameAs({0.5f, 0.5f, 0.5f, 1}) && s.sameAs(p) && p.a == 1.0f) << "dimmed white, still opaque";
  previewColours(*t, -3, 1.0f, p, s);  // a negative counter never indexes before the list
  EXPECT_FLOAT_EQ(p.r, 1.0f);

  // Preview buttons are hit on their whole face.
  auto coloured = templateWith({R}, {G});
  HudButtonUnit3DTemplate big(0, 0, 2231, coloured), small(0, 0, 2380, coloured, true);
  const struct { HudButtonUnit3DTemplate* b; float x, y; int hit; } presses[] = {
      {&big, 5, 5, 2231}, {&big, 180, 226, 2231}, {&big, 190, 100, 0}, {&small, 84, 107, 2380}, {&small, 90, 50, 0}};
  for (const auto& at : presses) EXPECT_EQ(at.b->mouse(9 + at.x, -9 - at.y, kMousePress), at.hit) << at.x << "," << at.y;
}
