#pragma once
#include <array>
#include <string_view>

#include "core/colour.hpp"

namespace qv {

// The fourteen named colours shared by model materials, unit colour options and
// the world-colour swatches. The order is the swatch order of every colour row in
// the interface (white last), so a swatch index is a palette index.
struct NamedColour {
  std::string_view name;
  Colour colour;
};

inline constexpr int kPaletteSize = 14;
extern const std::array<NamedColour, kPaletteSize> kPalette;

// Index into kPalette for an exact, case-sensitive name; -1 when the name is not a palette colour.
int paletteIndex(std::string_view name);
// The palette colour for a name, or nullptr.
const Colour* paletteColour(std::string_view name);
// Index of the first palette colour equal to c (tolerant rgb comparison); -1 when none is.
int paletteIndexOf(const Colour& c);

}  // namespace qv
