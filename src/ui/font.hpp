#pragma once
#include <array>
#include <iosfwd>
#include <string>
#include <string_view>

#include "core/colour.hpp"
#include "ui/image.hpp"

// Bitmap fonts: one typeface at four line heights (26, 33, 37, 47 design pixels),
// each a text font description in Data/Fonts with its glyph sheet in Data/Images.
namespace qv {

inline constexpr int kFontGlyphSlots = 200;
inline constexpr int kFontSizes[4] = {26, 33, 37, 47};

struct Glyph {
  bool present = false;
  int id = 0;
  int x = 0, y = 0;                 // top-left in the sheet, y from the sheet's top
  int width = 0, height = 0;
  int xOffset = 0, yOffset = 0;     // pen to box corner, y downwards
  int xAdvance = 0;                 // as written in the file
  float widthUnits = 0, heightUnits = 0, xOffsetUnits = 0, yOffsetUnits = 0;
  float u0 = 0, vTop = 0, uExtent = 0, vExtent = 0;
  int advance = 0;                  // xAdvance minus the right padding
  int visibleWidth = 0;             // width minus left and right padding
  ImageRect image;                  // this glyph alone, pen at (0, 0)
};

struct Font {
  std::string sheetName;
  int nominalSize = 0;  // also the line height in design pixels
  int sheetWidth = 0, sheetHeight = 0;
  int declaredSize = 0;
  int padding[4] = {0, 0, 0, 0};
  std::array<Glyph, kFontGlyphSlots> glyphs;

  // nullptr for codes outside 0..199 (negative bytes included) and empty slots.
  const Glyph* glyph(int code) const {
    if (code < 0 || code >= kFontGlyphSlots || !glyphs[code].present) return nullptr;
    return &glyphs[code];
  }
};

// 26, 33, 37 or 47; nullptr for any other size. The first call loads all four.
const Font* getFont(int nominalSize);
// Shut-down (and tests): the next getFont reads the files again, into the same Font
// objects, so a text made before keeps a valid font.
void releaseFonts();
// "Brindlewood 0.17 - Size <n>.fnt" / ".png".
std::string fontDescriptionName(int nominalSize);
std::string fontSheetName(int nominalSize);
// Reads one description from Data/Fonts into font (glyph images included).
void loadFontDescription(Font& font, int nominalSize, const std::string& fileName);
// The reading itself, from any stream; fileName only names it in the log.
void readFontDescription(Font& font, std::istream& in, const std::string& fileName);

struct GlyphVertex {
  float x, y, u, v;
};
// The glyph's quad with the pen at (penX, penY) units: A(x1,y0) B(x1,y1) C(x0,y1) D(x0,y0).
// Returns false (and leaves out untouched) when the character has no glyph.
bool glyphQuad(const Font& font, int character, float penX, float penY, GlyphVertex out[4]);

// Width in design pixels of one line of text in a font size, as a text draws it
// (the last glyph counts with its visible width); 0 for unknown sizes.
int textLineWidth(int nominalSize, std::string_view line);
// The text itself when it fits maxWidth on one line; otherwise its longest
// start that fits with "..." after it (a line break counts as the end).
std::string fitTextWithEllipsis(int nominalSize, std::string_view text, int maxWidth);

// Text built once into one mesh; one draw call.
class ImageTextStatic : public Image {
 public:
  ImageTextStatic() = default;
  // x, y in design pixels (the offset); unknown sizes give an image that draws nothing.
  ImageTextStatic(int nominalSize, std::string_view text, float x = 0.0f, float y = 0.0f,
                  Colour colour = {1.0f, 1.0f, 1.0f, 1.0f});
  void draw(float x, float y, float alpha) override;
  void draw(float x, float y, float angle, float alpha) override {}

  int width = 0;       // design pixels, the widest line
  int glyphCount = 0;  // quads in the mesh
  int lineCount = 1;
  int nominalSize = 0;
  int height() const { return lineCount * nominalSize; }
};

// Text drawn glyph by glyph; changes without new buffers (values, counters).
class TextDynamic {
 public:
  TextDynamic() = default;
  TextDynamic(int nominalSize, std::string_view text, float x = 0.0f, float y = 0.0f,
              Colour colour = {1.0f, 1.0f, 1.0f, 1.0f});
  void setText(std::string_view text);
  // Centre the text in a box (design pixels); applied now and on every setText.
  void setCentring(bool on, int leftPx, int boxWidthPx);
  void draw(float x, float y, float alpha) const;

  const std::string& text() const { return text_; }
  int width() const { return width_; }
  int height() const { return height_; }
  const Font* font() const { return font_; }

  bool centring = false;
  Colour colour{1.0f, 1.0f, 1.0f, 1.0f};
  int leftPx = 0, boxWidthPx = 0;
  float offsetX = 0.0f, offsetY = 0.0f;  // units

 private:
  void measure();
  std::string text_;
  const Font* font_ = nullptr;
  int nominalSize_ = 0;
  int width_ = 0, height_ = 0;
};

}  // namespace qv
