#pragma once
#include <array>

#include "core/vecmath.hpp"
#include "world/terrain.hpp"

namespace qv {

// The seven ways the player sculpts the ground with the circular brush. Every
// tool changes heights only through Terrain::reshape / reshapeWith, so the
// selection, clamping, mesh rewrite and ground-colour refresh are the
// terrain's own.
namespace terraintool {
enum Tool : int {
  kRaiseRound = 0,
  kLowerRound = 1,
  kRaise = 2,
  kLower = 3,
  kFlattenKeepAngle = 4,
  kRoughen = 5,
  kFlattenHorizontal = 6,
};
inline constexpr int kToolCount = 7;

inline constexpr float kSizeMin = 1.25f, kSizeMax = 30.0f;  // brush radius
inline constexpr float kRateMin = 1.25f, kRateMax = 5.0f;   // brush strength
inline constexpr float kSizeChangeSpeed = 3.0f;             // per second while C / V is held
inline constexpr float kRateChangeSpeed = 1.5f;             // per second while B / N is held

// Height change per second at the brush centre for one unit of rate (the
// raise and lower tools); at the minimum rate a hill grows about 3.75 a second.
inline constexpr float kLiftPerRate = 3.0f;
// How quickly the levelling tools close the gap to their target, per unit of
// rate and second (a fraction of the remaining gap, capped at all of it).
inline constexpr float kLevelPerRate = 0.8f;
// Largest random step of the roughen tool per unit of rate and second.
inline constexpr float kRoughPerRate = 2.4f;

float clampSize(float size);
float clampRate(float rate);
}  // namespace terraintool

// Runs the selected tool for one frame. Holds what a press needs between
// frames (the level of Flatten Horizontal) and the scratch of the tools that
// look at the whole circle first, so applying never allocates.
class TerrainSculptor {
 public:
  // Applies `tool` once around centre. firstFrame marks the first frame of a
  // press (Flatten Horizontal takes its level there). dt is the real frame
  // time; nothing changes for dt <= 0, a non-finite value or an unknown tool.
  // Returns whether any height could have changed.
  bool apply(Terrain& terrain, int tool, Vec2 centre, float radius, float rate, float dt, bool firstFrame);

  // The level Flatten Horizontal works towards during the current press.
  float pressHeight() const { return pressHeight_; }
  bool hasPressHeight() const { return hasPressHeight_; }
  // Forget the press (the button went up or the tool scene was left).
  void endPress() { hasPressHeight_ = false; }

  // The plane z = a + b x + c y that Flatten Keep Angle fitted last (for tests and diagnostics).
  struct Plane {
    float a = 0.0f, b = 0.0f, c = 0.0f;
    float at(float x, float y) const { return a + b * x + c * y; }
  };
  const Plane& lastPlane() const { return plane_; }

 private:
  static constexpr int kV = Terrain::kVerticesPerSide;
  Plane fitPlane(const Terrain& terrain, Vec2 centre, float radius) const;
  void drawRoughness(Vec2 centre, float radius, float amplitude);

  float pressHeight_ = 0.0f;
  bool hasPressHeight_ = false;
  Plane plane_{};
  std::array<float, kV * kV> offsets_{};  // per-vertex change of the roughen tool
};

}  // namespace qv
