#include "render/palette.hpp"

namespace qv {

const std::array<NamedColour, kPaletteSize> kPalette = {{
    {"Red", {1.0f, 0.0f, 0.0f, 1.0f}},
    {"Green", {0.0f, 1.0f, 0.0f, 1.0f}},
    {"Blue", {0.0f, 0.0f, 1.0f, 1.0f}},
    {"Yellow", {1.0f, 1.0f, 0.0f, 1.0f}},
    {"DarkYellow", {0.8f, 0.85f, 0.4f, 1.0f}},
    {"Magenta", {1.0f, 0.0f, 1.0f, 1.0f}},
    {"LightMagenta", {1.0f, 0.5f, 1.0f, 1.0f}},
    {"Orange", {1.0f, 0.5f, 0.0f, 1.0f}},
    {"Black", {0.18f, 0.18f, 0.18f, 1.0f}},
    {"DarkGrey", {0.5f, 0.5f, 0.5f, 1.0f}},
    {"Grey", {0.8f, 0.8f, 0.8f, 1.0f}},
    {"Teal", {0.0f, 1.0f, 1.0f, 1.0f}},
    {"Brown", {0.66f, 0.4f, 0.0f, 1.0f}},
    {"White", {1.0f, 1.0f, 1.0f, 1.0f}},
}};

int paletteIndex(std::string_view name) {
  for (int i = 0; i < kPaletteSize; ++i)
    if (kPalette[i].name == name) return i;
  return -1;
}

const Colour* paletteColour(std::string_view name) {
  const int i = paletteIndex(name);
  return i < 0 ? nullptr : &kPalette[i].colour;
}

int paletteIndexOf(const Colour& c) {
  for (int i = 0; i < kPaletteSize; ++i)
    if (kPalette[i].colour.sameAs(c)) return i;
  return -1;
}

}  // namespace qv
