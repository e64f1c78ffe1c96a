#include <gtest/gtest.h>

#include "core/log.hpp"
#include "ui/font.hpp"
#include "unit/ui/ui_test_data.hpp"

using namespace qv;

namespace {
constexpr float kPx = 1.0f / 540.0f;

class FontTest : public ::testing::Test {
 protected:
  void SetUp() override { uitest::dataRoot(); }
};
}  // namespace

TEST_F(FontTest, GetFontLoadsTheFourSizesOnceInOrder) {
  releaseFonts();
  LogCapture log;
  EXPECT_EQ(getFont(30), nullptr);  // the first call loads all four even for an unknown size
  const std::string t = log.text();
  const size_t p26 = t.find("Opened .fnt file name = \"Brindlewood 0.17 - Size 26.fnt\"");
  const size_t p33 = t.find("Size 33.fnt\"");
  const size_t p37 = t.find("Size 37.fnt\"");
  const size_t p47 = t.find("Size 47.fnt\"");
  ASSERT_NE(p26, std::string::npos);
  EXPECT_LT(p26, p33);
  EXPECT_LT(p33, p37);
  EXPECT_LT(p37, p47);
  log.clear();
  const Font* f = getFont(37);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(getFont(37), f);
  EXPECT_FALSE(log.contains("Opened")) << "later calls only look up";
  EXPECT_EQ(f->nominalSize, 37);
  EXPECT_EQ(f->declaredSize, 38);
  EXPECT_EQ(f->sheetWidth, 256);
  EXPECT_EQ(f->sheetHeight, 128);
  EXPECT_EQ(f->sheetName, "Brindlewood 0.17 - Size 37.png");
  EXPECT_EQ(getFont(0), nullptr);
  EXPECT_EQ(getFont(-26), nullptr);
}

TEST_F(FontTest, GlyphRecordsUsePaddingByPosition) {
  const Font* f = getFont(26);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->padding[0], 1);
  EXPECT_EQ(f->padding[1], 2);
  EXPECT_EQ(f->padding[2], 3);
  EXPECT_EQ(f->padding[3], 4);
  const Glyph* a = f->glyph('A');
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->advance, 22 - 3);
  EXPECT_EQ(a->visibleWidth, 20 - 1 - 3);
  EXPECT_FLOAT_EQ(a->u0, 10.0f / 256);
  EXPECT_FLOAT_EQ(a->vTop, (128.0f - 20) / 128);
  EXPECT_FLOAT_EQ(a->uExtent, 20.0f / 256);
  EXPECT_FLOAT_EQ(a->vExtent, 30.0f / 128);
  EXPECT_FLOAT_EQ(a->widthUnits, 20 * kPx);
  EXPECT_FLOAT_EQ(a->yOffsetUnits, 2 * kPx);
  EXPECT_EQ(f->glyph('Z'), nullptr);
  EXPECT_EQ(f->glyph(200), nullptr);
  EXPECT_EQ(f->glyph(-61), nullptr);

  GlyphVertex q[4];
  ASSERT_TRUE(glyphQuad(*f, 'A', 0.5f, 0.25f, q));
  const float x0 = 0.5f + 1 * kPx, x1 = x0 + 20 * kPx, y0 = 0.25f - 2 * kPx, y1 = y0 - 30 * kPx;
  const float vb = a->vTop - a->vExtent, u1 = a->u0 + a->uExtent;
  const GlyphVertex want[4] = {{x1, y0, u1, a->vTop}, {x1, y1, u1, vb}, {x0, y1, a->u0, vb}, {x0, y0, a->u0, a->vTop}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(q[i].x, want[i].x) << i;
    EXPECT_FLOAT_EQ(q[i].y, want[i].y) << i;
    EXPECT_FLOAT_EQ(q[i].u, want[i].u) << i;
    EXPECT_FLOAT_EQ(q[i].v, want[i].v) << i;
  }
  EXPECT_FALSE(glyphQuad(*f, 250, 0, 0, q));
}

TEST_F(FontTest, DescriptionParsingEdgeCases) {
  // Keys are ignored (values by position), extra fields are not converted, ids of
  // 200 and above are dropped, the last glyph before "kernings" is kept and
  // nothing after it is read. Missing padding counts as zeros.
  uitest::writeFont("odd.fnt",
                    "info size=20 scaleW=100 scaleH=50\nchars count=4\n"
                    "char a=70 b=1 c=2 d=8 e=9 f=0 g=1 h=10 i=junk j=zz\n"
                    "char id=200 x=1 y=1 width=5 height=5 xoffset=0 yoffset=0 xadvance=6\n"
                    "char id=-3 x=1 y=1 width=5 height=5 xoffset=0 yoffset=0 xadvance=6\n"
                    "char id=71 x=3 y=4 width=7 height=8 xoffset=0 yoffset=0 xadvance=9\n"
                    "kernings count=1\nkerning first=70 second=71 amount=-1\n"
                    "char id=72 x=3 y=4 width=7 height=8 xoffset=0 yoffset=0 xadvance=9\n");
  Font f;
  LogCapture log;
  loadFontDescription(f, 26, "odd.fnt");
  EXPECT_TRUE(log.contains("Opened .fnt file name = \"odd.fnt\""));
  ASSERT_NE(f.glyph(70), nullptr);
  EXPECT_EQ(f.glyph(70)->xAdvance, 10);
  EXPECT_EQ(f.glyph(70)->advance, 10);
  EXPECT_EQ(f.glyph(70)->visibleWidth, 8);
  ASSERT_NE(f.glyph(71), nullptr) << "the glyph just before kernings";
  EXPECT_EQ(f.glyph(71)->xAdvance, 9);
  EXPECT_EQ(f.glyph(72), nullptr);
  int present = 0;
  for (const Glyph& g : f.glyphs) present += g.present;
  EXPECT_EQ(present, 2);

  // The last glyph at the end of the file (no kernings section) counts too.
  uitest::writeFont("end.fnt", "info scaleW=0 scaleH=0\nchars\nchar id=65 x=3 y=4 width=7 height=8 xoffset=0 yoffset=0 xadvance=9");
  Font g;
  loadFontDescription(g, 26, "end.fnt");
  ASSERT_NE(g.glyph(65), nullptr);
  EXPECT_FLOAT_EQ(g.glyph(65)->u0, 0.0f) << "a zero sheet size must not divide by zero";
  EXPECT_FLOAT_EQ(g.glyph(65)->vTop, 0.0f);

  // A bad number stops the file; what was made before stays.
  uitest::writeFont("bad.fnt",
                    "info scaleW=64 scaleH=64\nchars\n"
                    "char id=65 x=3 y=4 width=7 height=8 xoffset=0 yoffset=0 xadvance=9\n"
                    "char id=66 x=oops y=4 width=7 height=8 xoffset=0 yoffset=0 xadvance=9\n"
                    "char id=67 x=3 y=4 width=7 height=8 xoffset=0 yoffset=0 xadvance=9\n");
  Font h;
  log.clear();
  loadFontDescription(h, 26, "bad.fnt");
  EXPECT_TRUE(log.contains("ERROR: Exception thrown couldn't open .fnt file name = \"bad.fnt\""));
  EXPECT_FALSE(log.contains("Opened"));
  EXPECT_NE(h.glyph(65), nullptr);
  EXPECT_EQ(h.glyph(67), nullptr);

  Font missing;
  log.clear();
  loadFontDescription(missing, 26, "nothing here.fnt");
  EXPECT_TRUE(log.contains("ERROR: Couldn't open .fnt filename = \"nothing here.fnt\""));
  EXPECT_EQ(missing.glyph('A'), nullptr);
}

TEST_F(FontTest, StaticTextMeasuresLinesAndSkipsUnknownCharacters) {
  ImageTextStatic two(26, "A\nBC");
  EXPECT_EQ(two.lineCount, 2);
  EXPECT_EQ(two.glyphCount, 3);
  EXPECT_EQ(two.width, std::max(16, 18 + 15));
  EXPECT_EQ(two.height(), 52);

  ImageTextStatic wideFirst(33, "ABC\nA");
  EXPECT_EQ(wideFirst.width, 19 + 18 + 15);
  EXPECT_EQ(wideFirst.lineCount, 2);

  ImageTextStatic one(26, "B");
  EXPECT_EQ(one.width, 14);
  EXPECT_EQ(one.glyphCount, 1);

  ImageTextStatic empty(26, "");
  EXPECT_EQ(empty.glyphCount, 0);
  EXPECT_EQ(empty.width, 0);
  EXPECT_EQ(empty.lineCount, 1);
  empty.draw(0, 0, 1);

  // Codes without glyphs (200+, negative bytes, missing entries) add nothing, and
  // the character before them then counts with its full advance.
  const std::string odd = std::string("A") + static_cast<char>(0xE9) + "Z";
  ImageTextStatic skipped(26, odd);
  EXPECT_EQ(skipped.glyphCount, 1);
  EXPECT_EQ(skipped.width, 19);

  ImageTextStatic trailingNewline(26, "AB\n");
  EXPECT_EQ(trailingNewline.lineCount, 2);
  EXPECT_EQ(trailingNewline.width, 19 + 14);

  ImageTextStatic unknownSize(30, "ABC", 10, 20);
  EXPECT_EQ(unknownSize.texture, 0u);
  EXPECT_EQ(unknownSize.textureWidth, 0);
  EXPECT_EQ(unknownSize.glyphCount, 0);
  EXPECT_FLOAT_EQ(unknownSize.offsetX, 10 * kPx);
  EXPECT_FLOAT_EQ(unknownSize.offsetY, 20 * kPx);
  EXPECT_EQ(one.textureWidth, 256) << "static text uses the sheet";
}

TEST_F(FontTest, DynamicTextMeasuresAndCentres) {
  TextDynamic t(37, "AB");
  EXPECT_EQ(t.width(), 19 + 14);
  EXPECT_EQ(t.height(), 37);
  t.setText("AB\nC");
  EXPECT_EQ(t.height(), 74);
  // Only the very last character of the text counts with its visible width.
  EXPECT_EQ(t.width(), 19 + 18);
  t.setText("");
  EXPECT_EQ(t.width(), 0);
  EXPECT_EQ(t.height(), 37);

  TextDynamic c(26, "A", 0, -23);
  EXPECT_FLOAT_EQ(c.offsetY, -23 * kPx);
  c.setCentring(true, 12, 358);
  // (358 - 16) / 2 = 171
  EXPECT_FLOAT_EQ(c.offsetX, (171 + 12) * kPx);
  c.setText("B");  // spare 344 -> 172
  EXPECT_FLOAT_EQ(c.offsetX, (172 + 12) * kPx);
  c.setText("C");  // spare 343, odd: rounded up to 172
  EXPECT_FLOAT_EQ(c.offsetX, (172 + 12) * kPx);
  c.setCentring(true, 0, 10);  // wider than the box: negative half, rounded up (-5 / 2 -> -2)
  EXPECT_FLOAT_EQ(c.offsetX, -2 * kPx);

  TextDynamic none(30, "ABC");
  EXPECT_EQ(none.width(), 0);
  none.draw(0, 0, 1);
}
