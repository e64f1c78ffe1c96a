#include "ui/font.hpp"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "core/log.hpp"
#include "core/text_io.hpp"
#include "platform/platform.hpp"
#include "render/gl.hpp"

namespace qv {
namespace {

struct FontStore {
  bool loaded = false;
  std::array<std::unique_ptr<Font>, 4> fonts;
};
FontStore& store() {
  static FontStore s;
  return s;
}

int sizeIndex(int nominalSize) {
  for (int i = 0; i < 4; ++i)
    if (kFontSizes[i] == nominalSize) return i;
  return -1;
}

// Numbers in the description convert like std::stoi: leading digits count, junk after them is ignored.
// No glyph metric can exceed a sheet side, so anything beyond is cut to that
// range; sums of advances and paddings then stay far from int overflow.
int wordInt(const std::string& text) { return std::clamp(textio::toInt(text), -kMaxPictureSide, kMaxPictureSide); }

void makeGlyph(Font& font, const int values[8], int valueCount) {
  const int id = values[0];
  // A line with fewer than eight numbers is damaged: guessing the rest would draw garbage.
  if (valueCount < 8 || id < 0 || id >= kFontGlyphSlots) return;
  Glyph& g = font.glyphs[static_cast<size_t>(id)];
  g = Glyph{};
  g.present = true;
  g.id = id;
  g.x = values[1];
  g.y = values[2];
  g.width = values[3];
  g.height = values[4];
  g.xOffset = values[5];
  g.yOffset = values[6];
  g.xAdvance = values[7];
  g.widthUnits = pxToUnits(static_cast<float>(g.width));
  g.heightUnits = pxToUnits(static_cast<float>(g.height));
  g.xOffsetUnits = pxToUnits(static_cast<float>(g.xOffset));
  g.yOffsetUnits = pxToUnits(static_cast<float>(g.yOffset));
  const float sw = static_cast<float>(font.sheetWidth), sh = static_cast<float>(font.sheetHeight);
  g.u0 = font.sheetWidth > 0 ? g.x / sw : 0.0f;
  g.vTop = font.sheetHeight > 0 ? (sh - g.y) / sh : 0.0f;
  g.uExtent = font.sheetWidth > 0 ? g.width / sw : 0.0f;
  g.vExtent = font.sheetHeight > 0 ? g.height / sh : 0.0f;
  g.advance = g.xAdvance - font.padding[2];
  g.visibleWidth = g.width - font.padding[0] - font.padding[2];

  loadTexture(g.image, font.sheetName);
  createShaderProgram(g.image, shaderImageRectSources());
  g.image.displayWidth = static_cast<float>(g.width);
  g.image.displayHeight = static_cast<float>(g.height);
  GlyphVertex quad[4];
  if (glyphQuad(font, id, 0.0f, 0.0f, quad)) {
    const uint32_t indices[6] = {0, 1, 3, 1, 2, 3};
    makeQuadBuffers(g.image, &quad[0].x, 16, indices, 6);
  }
}

}  // namespace

std::string fontDescriptionName(int n) { return "Brindlewood 0.17 - Size " + std::to_string(n) + ".fnt"; }
std::string fontSheetName(int n) { return "Brindlewood 0.17 - Size " + std::to_string(n) + ".png"; }

void loadFontDescription(Font& font, int nominalSize, const std::string& fileName) {
  font.nominalSize = nominalSize;
  font.sheetName = fontSheetName(nominalSize);
  const std::string path = platform::dataPath("Fonts", fileName);
  // A folder opens as a stream on some systems and then reads as empty.
  std::ifstream in;
  if (!platform::isFolder(path)) in = platform::openInput(path);
  if (!in.is_open()) {
    logLine("ERROR: Couldn't open .fnt filename = \"", fileName, "\"");
    return;
  }
  readFontDescription(font, in, fileName);
}

void readFontDescription(Font& font, std::istream& in, const std::string& fileName) {
  std::string word;
  int values[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  int valueCount = 0;
  bool collecting = false;
  try {
    while (in >> word && word != "chars") {
      if (word.rfind("padding=", 0) == 0) {
        std::string rest = word.substr(8);
        for (int i = 0; i < 4 && !rest.empty(); ++i) {
          const size_t comma = rest.find(',');
          font.padding[i] = wordInt(rest.substr(0, comma));
          rest = comma == std::string::npos ? std::string() : rest.substr(comma + 1);
        }
      } else if (word.rfind("size=", 0) == 0) {
        font.declaredSize = wordInt(word.substr(5));
      } else if (word.rfind("scaleW=", 0) == 0) {
        font.sheetWidth = wordInt(word.substr(7));
      } else if (word.rfind("scaleH=", 0) == 0) {
        font.sheetHeight = wordInt(word.substr(7));
      }
    }
    for (Glyph& g : font.glyphs) g = Glyph{};
    while (in >> word && word != "kernings") {
      if (word == "char") {
        if (collecting) makeGlyph(font, values, valueCount);
        collecting = true;
        valueCount = 0;
        continue;
      }
      if (!collecting) continue;  // "count=" after "chars" and the like
      const size_t eq = word.find('=');
      if (eq == std::string::npos) continue;
      if (valueCount < 8) values[valueCount++] = wordInt(word.substr(eq + 1));
    }
    if (collecting) makeGlyph(font, values, valueCount);
  } catch (...) {
    logLine("ERROR: Exception thrown couldn't open .fnt file name = \"", fileName, "\"");
    return;
  }
  logLine("Opened .fnt file name = \"", fileName, "\"");
}

const Font* getFont(int nominalSize) {
  FontStore& s = store();
  if (!s.loaded) {
    s.loaded = true;
    for (int i = 0; i < 4; ++i) {
      // Reloaded in place: texts made before a release (the shared tooltip's) keep a valid font.
      std::unique_ptr<Font>& font = s.fonts[static_cast<size_t>(i)];
      if (font)
        *font = Font{};
      else
        font = std::make_unique<Font>();
      loadFontDescription(*font, kFontSizes[i], fontDescriptionName(kFontSizes[i]));
    }
  }
  const int i = sizeIndex(nominalSize);
  return i < 0 ? nullptr : s.fonts[static_cast<size_t>(i)].get();
}

void releaseFonts() {
  FontStore& s = store();
  // Kept, not freed, until the next getFont reads the files into them again:
  // texts made before (the shared tooltip's) still point at them.
  s.loaded = false;
}

bool glyphQuad(const Font& font, int character, float penX, float penY, GlyphVertex out[4]) {
  const Glyph* g = font.glyph(character);
  if (!g) return false;
  const float x0 = penX + g->xOffsetUnits, x1 = x0 + g->widthUnits;
  const float y0 = penY - g->yOffsetUnits, y1 = y0 - g->heightUnits;
  const float u0 = g->u0, u1 = g->u0 + g->uExtent;
  const float vt = g->vTop, vb = g->vTop - g->vExtent;
  out[0] = {x1, y0, u1, vt};
  out[1] = {x1, y1, u1, vb};
  out[2] = {x0, y1, u0, vb};
  out[3] = {x0, y0, u0, vt};
  return true;
}

// ---------------------------------------------------------------- static text

ImageTextStatic::ImageTextStatic(int size, std::string_view text, float x, float y, Colour colour)
    : nominalSize(size) {
  offsetX = pxToUnits(x);
  offsetY = pxToUnits(y);
  drawColour = colour;
  const Font* font = getFont(size);
  if (!font) return;
  loadTexture(*this, font->sheetName);
  createShaderProgram(*this, shaderImageRectSources());
  if (text.empty()) return;

  std::vector<float> vertices;
  std::vector<uint32_t> indices;
  vertices.reserve(text.size() * 16);
  indices.reserve(text.size() * 6);
  float penX = 0.0f, penY = 0.0f;
  int previousAdvance = 0, lastVisible = 0;
  int64_t pixelSum = 0;  // a long line of wide glyphs must not overflow
  int64_t widest = 0;
  for (const char ch : text) {
    const int code = static_cast<signed char>(ch);
    if (code == '\n') {
      widest = std::max(widest, pixelSum + lastVisible);
      penX = 0.0f;
      penY -= pxToUnits(static_cast<float>(size));
      ++lineCount;
      previousAdvance = pixelSum = lastVisible = 0;
      continue;
    }
    penX += pxToUnits(static_cast<float>(previousAdvance));
    pixelSum += previousAdvance;
    GlyphVertex quad[4];
    const Glyph* g = font->glyph(code);
    if (g && glyphQuad(*font, code, penX, penY, quad)) {
      const uint32_t base = static_cast<uint32_t>(glyphCount) * 4;
      for (const GlyphVertex& v : quad) vertices.insert(vertices.end(), {v.x, v.y, v.u, v.v});
      indices.insert(indices.end(), {base, base + 1, base + 3, base + 1, base + 2, base + 3});
      ++glyphCount;
      previousAdvance = g->advance;
      lastVisible = g->visibleWidth;
    } else {
      previousAdvance = lastVisible = 0;
    }
  }
  widest = std::max(widest, pixelSum + lastVisible);
  width = static_cast<int>(std::clamp<int64_t>(widest, INT32_MIN, INT32_MAX));
  displayWidth = static_cast<float>(width);
  displayHeight = static_cast<float>(height());
  makeQuadBuffers(*this, vertices.data(), static_cast<int>(vertices.size()), indices.data(),
                  static_cast<int>(indices.size()));
}

void ImageTextStatic::draw(float x, float y, float alpha) {
  if (glyphCount <= 0) return;
  drawRect(*this, x, y, 0.0f, alpha, 1.0f, 1.0f, 1.0f, drawColour, -1.0f, glyphCount * 6);
}

// ---------------------------------------------------------------- dynamic text

TextDynamic::TextDynamic(int size, std::string_view text, float x, float y, Colour c)
    : colour(c), offsetX(pxToUnits(x)), offsetY(pxToUnits(y)), font_(getFont(size)), nominalSize_(size) {
  setText(text);
}

void TextDynamic::setText(std::string_view text) {
  text_.assign(text.data(), text.size());
  measure();
}

void TextDynamic::setCentring(bool on, int left, int boxWidth) {
  centring = on;
  leftPx = left;
  boxWidthPx = boxWidth;
  measure();
}

int textLineWidth(int nominalSize, std::string_view line) {
  const Font* font = getFont(nominalSize);
  if (!font) return 0;
  int width = 0, lastAdvance = 0, lastVisible = 0;
  for (const char ch : line) {
    const Glyph* g = font->glyph(static_cast<signed char>(ch));
    if (!g) continue;
    width += lastAdvance;
    lastAdvance = g->advance;
    lastVisible = g->visibleWidth;
  }
  return width + lastVisible;
}

std::string fitTextWithEllipsis(int nominalSize, std::string_view text, int maxWidth) {
  const size_t lineEnd = text.find('\n');
  const bool oneLine = lineEnd == std::string_view::npos;
  if (oneLine && textLineWidth(nominalSize, text) <= maxWidth) return std::string(text);
  std::string cut(text.substr(0, oneLine ? text.size() : lineEnd));
  while (!cut.empty()) {
    while (!cut.empty() && cut.back() == ' ') cut.pop_back();
    if (textLineWidth(nominalSize, cut + "...") <= maxWidth) break;
    if (!cut.empty()) cut.pop_back();
  }
  return cut + "...";
}

void TextDynamic::measure() {
  height_ = nominalSize_;
  width_ = 0;
  int64_t line = 0, widest = 0;
  const size_t n = text_.size();
  for (size_t i = 0; i < n; ++i) {
    const int code = static_cast<signed char>(text_[i]);
    if (code == '\n') {
      height_ += nominalSize_;
      widest = std::max(widest, line);
      line = 0;
      continue;
    }
    const Glyph* g = font_ ? font_->glyph(code) : nullptr;
    if (!g) continue;
    line += (i + 1 == n) ? g->visibleWidth : g->advance;
  }
  width_ = static_cast<int>(std::clamp<int64_t>(std::max(widest, line), INT32_MIN, INT32_MAX));
  if (centring) {
    const int64_t diff = static_cast<int64_t>(boxWidthPx) - width_;
    // Half the spare room, rounded up, so odd spare pixels go to the left side.
    const int64_t half = diff >= 0 ? (diff + 1) / 2 : -((-diff) / 2);
    offsetX = pxToUnits(static_cast<float>(half + leftPx));
  }
}

void TextDynamic::draw(float x, float y, float alpha) const {
  if (!font_ || !gl::contextReady()) return;
  float penX = 0.0f, penY = 0.0f;
  const float lineStep = pxToUnits(static_cast<float>(nominalSize_));
  for (const char ch : text_) {
    const int code = static_cast<signed char>(ch);
    if (code == '\n') {
      penX = 0.0f;
      penY -= lineStep;
      continue;
    }
    const Glyph* g = font_->glyph(code);
    if (!g) continue;
    drawRect(g->image, x + offsetX + penX, y + offsetY + penY, 0.0f, alpha, 1.0f, 1.0f, 1.0f, colour, -1.0f);
    penX += pxToUnits(static_cast<float>(g->advance));
  }
}

}  // namespace qv
