#pragma once
#include <cstdint>

#include "core/colour.hpp"
#include "core/vecmath.hpp"
#include "render/gpu_resources.hpp"
#include "render/loader.hpp"
#include "world/camera.hpp"

namespace qv {

// The paler colour the sea meets at the horizon; every world shader blends towards it.
Colour skyHorizonColourFor(const Colour& sky);
// The window's clear colour for a light factor (1 full day, 0 night): the sky darkened to a quarter at night.
Colour clearColourFor(const Colour& sky, float lightFactor);

// The sky: its colour with the derived horizon colour, and a sloped band rising
// from the water's edge that fades from the horizon colour to transparent, so the
// sea seems to meet a hazy sky instead of the clear colour's hard line.
class SkyHorizon : public Loader {
 public:
  static constexpr float kInner = 85.8f;           // the water's edge
  static constexpr float kOuter = 85.8f + 260.0f;  // where the band ends
  static constexpr float kBottomZ = -0.1875f;
  static constexpr float kTopZ = 51.8125f;
  static constexpr int kVertexCount = 24;
  static constexpr int kIndexCount = 72;

  SkyHorizon();
  explicit SkyHorizon(const Colour& skyColour);

  // First in the frame, without depth testing: it lies behind everything.
  void draw(const Camera& camera, const Colour& sunColour) const;

  // Ignores changes within the colour tolerance; true when the colour was stored.
  bool setSkyColour(const Colour& colour);
  const Colour& skyColour() const { return sky_; }
  const Colour& horizonColour() const { return horizon_; }

  static const float* vertices();    // kVertexCount x (x, y, z)
  static const uint32_t* indices();  // kIndexCount

 private:
  Colour sky_;
  Colour horizon_;
};

// "shaderSkyHorizon".
const ShaderSources& skyHorizonShaderSources();

}  // namespace qv
