#pragma once
#include <cstdint>
#include <vector>

#include "core/colour.hpp"
#include "core/vecmath.hpp"
#include "render/gpu_resources.hpp"
#include "render/loader.hpp"
#include "world/camera.hpp"

namespace qv {

// Height of the sea surface above z = 0 at (x, y) for a wave phase. The water's
// geometry stage lifts its grid with the same formula, so floating units ride the
// waves they are drawn on.
float waveHeight(float x, float y, float phase);

// One full wave cycle per 3 simulated seconds.
inline constexpr float kWavePhasePerSecond = 2.0f * kPi / 3.0f;

// The sea: a flat staggered grid uploaded once; a geometry stage raises it into
// moving waves, so no buffer changes per frame. Translucent over the shallows,
// fading into the sky-horizon colour towards the world's edge.
class Water : public Loader {
 public:
  static constexpr int kCells = 34;
  static constexpr float kSpacing = 5.2f;
  static constexpr float kOrigin = -88.4f;  // -17 cells
  static constexpr int kVertexCount = kCells * kCells * 6;
  static constexpr float kWaveHeightMax = 0.1875f;
  static constexpr float kHorizonStart = 79.17f;
  static constexpr float kHorizonEnd = 85.8f;  // 17 cells less half a cell

  Water();
  explicit Water(const Colour& colour);

  // phase is the world's wave phase; the eraser circle is shown around eraserCentre.
  void draw(const Camera& camera, Vec3 sunPos, const Colour& sunColour, const Colour& skyHorizonColour, float phase,
            bool showEraser, Vec2 eraserCentre, float eraserRadius, bool underWater) const;

  // Ignores changes within the colour tolerance (slider jitter); true when stored.
  bool setWaterColour(const Colour& colour);
  const Colour& colour() const { return colour_; }

 private:
  Colour colour_;
};

// The flat grid: positions only, x y z per vertex, kVertexCount vertices, every
// triangle counter-clockwise seen from above (the wave normals rely on it).
std::vector<float> waterSurfaceVertices();

// Four walls hanging below the water's edge: they hide the world's underside and
// blend from the water colour at depth to the horizon colour at the surface.
class WaterSkyEdge : public Loader {
 public:
  static constexpr float kHalfSize = 85.8f;
  static constexpr float kTop = 0.1875f;
  static constexpr float kBottom = -93.6f;
  static constexpr int kIndexCount = 24;

  WaterSkyEdge();
  void draw(const Camera& camera, const Colour& waterColour, const Colour& sunColour, const Colour& skyHorizonColour,
            bool underWater) const;

  static const float* vertices();  // 8 x (x, y, z)
  static const uint32_t* indices();  // kIndexCount
};

// "shaderWater" (with its geometry stage) and "shaderInfoWaterSkyEdge".
const ShaderSources& waterShaderSources();
const ShaderSources& waterSkyEdgeShaderSources();

}  // namespace qv
