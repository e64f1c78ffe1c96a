#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <tuple>

#include "core/log.hpp"
#include "ui/font.hpp"
#include "unit/ui/ui_test_data.hpp"

using namespace qv;

namespace {
constexpr float kPx = 1.0f / 540.0f;

struct FontTest : ::testing::Test {
  void SetUp() override { uitest::dataRoot(); }
};

// A glyph line with plain numbers; `x` may be replaced by something that is no number.
std::string charLine(int id, const std::string& x = "3") {
  return "char id=" + std::to_string(id) + " x=" + x + " y=4 width=7 height=8 xoffset=0 yoffset=0 xadvance=9\n";
}

// Loads one description written to the test Data folder.
Font parsed(const std::string& name, const std::string& text) {
  std::ofstream(uitest::dataRoot() + "Data/Fonts/" + name) << text;
  Font f;
  return loadFontDescription(f, 26, name), f;
}
}  // namespace

// The four sizes load once; glyph records take the padding off by position.
TEST_F(FontTest, GetFontLoadsTheFourSizesOnceAndGlyphsUsePaddingByPosition) {
  releaseFonts();
  LogCapture log;
  EXPECT_EQ(getFont(30), nullptr);  // the first call loads all four even for an unknown size
  EXPECT_EQ(log.count("Opened .fnt file name = \"Brindlewood 0.17 - Size "), 4) << log.text();
  EXPECT_TRUE(getFont(37) && getFont(37)->declaredSize == 38 && !getFont(-26));
  EXPECT_EQ(log.count("Opened"), 4) << "later calls only look up";

  const Font* f = getFont(26);
  const Glyph* a = f ? f->glyph('A') : nullptr;
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(std::pair(a->advance, a->visibleWidth), std::pair(22 - 3, 20 - 1 - 3));
  EXPECT_FLOAT_EQ(a->vTop, (128.0f - 20) / 128);
  EXPECT_TRUE(!f->glyph(200) && !f->glyph(-61));

  GlyphVertex q[4];
  ASSERT_TRUE(glyphQuad(*f, 'A', 0.5f, 0.25f, q));
  const float x0 = 0.5f + 1 * kPx, x1 = x0 + 20 * kPx, y0 = 0.25f - 2 * kPx, y1 = y0 - 30 * kPx;
  const float vb = a->vTop - 30.0f / 128, u0 = 10.0f / 256, u1 = u0 + 20.0f / 256;
  const GlyphVertex want[4] = {{x1, y0, u1, a->vTop}, {x1, y1, u1, vb}, {x0, y1, u0, vb}, {x0, y0, u0, a->vTop}};
  for (int i = 0; i < 4; ++i)
    EXPECT_LT(std::abs(q[i].x - want[i].x) + std::abs(q[i].y - want[i].y) + std::abs(q[i].u - want[i].u) +
              std::abs(q[i].v - want[i].v), 1e-6f) << i;
  EXPECT_FALSE(glyphQuad(*f, 250, 0, 0, q));
}

// Keys are ignored (eight values by position, missing padding counts as zeros),
// ids from 200 and negative ones are dropped, reading stops at "kernings", at a
// bad number (keeping what came before) and a cut-off line borrows nothing.
TEST_F(FontTest, DamagedDescriptionsKeepOnlyTheWholeGlyphsBeforeTheDamage) {
  std::string noNewline = "info scaleW=0 scaleH=0\nchars\n" + charLine(65);
  noNewline.pop_back();
  const struct { const char* name; std::string text; std::vector<int> present, absent; bool error; } rows[] = {
      {"odd.fnt", "info size=20 scaleW=100 scaleH=50\nchars count=4\nchar a=70 b=1 c=2 d=8 e=9 f=0 g=1 h=10 i=junk j=zz\n" +
                      charLine(200) + charLine(-3) + charLine(71) + "kernings count=1\nkerning first=70 second=71\n" + charLine(72),
       {70, 71}, {72, 200}, false},
      {"end.fnt", noNewline, {65}, {}, false},  // a zero sheet size must not divide by zero
      {"bad.fnt", "info scaleW=64 scaleH=64\nchars\n" + charLine(65) + charLine(66, "oops") + charLine(67), {65}, {66, 67}, true},
      {"short.fnt", "info scaleW=64 scaleH=64\nchars\n" + charLine(65) + "char id=66 x=1 y=2 width=3\n" + charLine(67), {65, 67}, {66}, false},
      // Numbers at the edge of int: taking the padding off must not overflow.
      {"huge.fnt", "info padding=-2147483648,0,-2147483648,0\nchars\nchar id=65 x=0 y=0 width=2147483647 height=1 xoffset=0 "
                   "yoffset=0 xadvance=2147483647\n", {65}, {}, false}};
  for (const auto& r : rows) {
    LogCapture log;
    const Font f = parsed(r.name, r.text);
    for (int id : r.present) EXPECT_TRUE(f.glyph(id) && f.glyph(id)->advance > 0 && f.glyph(id)->visibleWidth > 0) << r.name << " " << id;
    for (int id : r.absent) EXPECT_FALSE(f.glyph(id)) << r.name << " " << id;
    EXPECT_EQ(log.contains("ERROR: Exception thrown couldn't open .fnt file name = \"" + std::string(r.name) + "\""), r.error) << r.name;
    if (f.glyph(65)) EXPECT_TRUE(std::isfinite(f.glyph(65)->u0) && std::isfinite(f.glyph(65)->vTop)) << r.name;
    if (f.glyph(70)) EXPECT_EQ(std::pair(f.glyph(70)->advance, f.glyph(70)->visibleWidth), std::pair(10, 8)) << r.name;
  }

  LogCapture log;
  Font missing;
  std::filesystem::create_directories(uitest::dataRoot() + "Data/Fonts/folder.fnt");  // a folder is no font either
  for (const char* name : {"nothing here.fnt", "folder.fnt"}) {
    loadFontDescription(missing, 26, name);
    EXPECT_TRUE(log.contains("ERROR: Couldn't open .fnt filename = \"" + std::string(name) + "\"")) << name;
  }
  EXPECT_TRUE(!missing.glyph('A') && !log.contains("Opened"));
}

TEST_F(FontTest, StaticAndDynamicTextsMeasureLinesSkipUnknownCharactersAndCentre) {
  // Only the last character of a line counts with its visible width; codes without
  // glyphs (negative bytes, missing entries) add nothing.
  const struct { std::string text; int width, lines, glyphs; } rows[] = {
      {"A\nBC", 18 + 15, 2, 3}, {"", 0, 1, 0}, {std::string("A") + static_cast<char>(0xE9) + "Z", 19, 1, 1},
      {"AB\n", 19 + 14, 2, 2}};
  for (const auto& r : rows) {
    ImageTextStatic t(26, r.text);
    EXPECT_EQ(std::tuple(t.width, t.lineCount, t.glyphCount), std::tuple(r.width, r.lines, r.glyphs)) << r.text;
    t.draw(0, 0, 1);
  }
  EXPECT_EQ(ImageTextStatic(26, "A\nBC").height(), 52);

  ImageTextStatic unknownSize(30, "ABC", 10, 20);  // no such font: nothing to draw, nothing breaks
  TextDynamic none(30, "ABC");
  EXPECT_TRUE(unknownSize.glyphCount == 0 && none.width() == 0);
  unknownSize.draw(0, 0, 1), none.draw(0, 0, 1);

  TextDynamic t(37, "AB");
  EXPECT_EQ(t.width(), 19 + 14);
  t.setText("AB\nC");
  EXPECT_EQ(std::pair(t.width(), t.height()), std::pair(19 + 18, 74)) << "only the very last character counts with its visible width";
  t.setText("");
  EXPECT_EQ(t.height(), 37) << "an empty text is one line high";

  // Centred in a 358-pixel box after 12: (spare + 1) / 2, so odd spares round up.
  TextDynamic c(26, "A", 0, -23);
  c.setCentring(true, 12, 358);
  EXPECT_FLOAT_EQ(c.offsetX, (171 + 12) * kPx);
  c.setText("C");  // spare 343
  EXPECT_FLOAT_EQ(c.offsetX, (172 + 12) * kPx);
  c.setCentring(true, 0, 10);  // wider than the box: negative half, rounded up (-5 / 2 -> -2)
  EXPECT_EQ(std::pair(c.offsetX / kPx, c.offsetY / kPx), std::pair(-2.0f, -23.0f));
}

// Labels cut to a width: unchanged when they fit, else the longest start that
// fits together with "..." (no trailing space); a second line never shows.
TEST_F(FontTest, FittingCutsWithAnEllipsis) {
  const int whole = ImageTextStatic(26, "ABC ABC ABC").width;
  EXPECT_EQ(textLineWidth(26, "ABC ABC ABC"), whole) << "measured as the text draws";
  const struct { std::string text; int max; std::string fitted; } rows[] = {
      {"ABC ABC ABC", whole, "ABC ABC ABC"}, {"ABC ABC ABC", whole - 1, "ABC ABC..."},
      {"ABC ABC ABC", 60, "..."},            {"AB\nC", 1000, "AB..."},  {"", 10, ""}};
  for (const auto& r : rows) {
    EXPECT_EQ(fitTextWithEllipsis(26, r.text, r.max), r.fitted) << r.text << " in " << r.max;
    EXPECT_LE(ImageTextStatic(26, r.fitted).width, r.max) << r.fitted;
  }
}
