// Font descriptions: the reader, the glyph records made from it and their quads.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

#include "fuzz_check.hpp"
#include "ui/font.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto font = std::make_unique<qv::Font>();
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  qv::readFontDescription(*font, in, "fuzz.fnt");
  for (int code = -1; code <= qv::kFontGlyphSlots; ++code) {
    qv::GlyphVertex quad[4];
    if (!qv::glyphQuad(*font, code, 0.0f, 0.0f, quad)) continue;
    QV_FUZZ_REQUIRE(code >= 0 && code < qv::kFontGlyphSlots && font->glyph(code)->id == code);
    for (const qv::GlyphVertex& v : quad)
      QV_FUZZ_REQUIRE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.u) && std::isfinite(v.v));
  }
  return 0;
}
