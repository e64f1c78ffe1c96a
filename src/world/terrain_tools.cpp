#include "world/terrain_tools.hpp"

#include <algorithm>
#include <cmath>

#include "core/random.hpp"

namespace qv {

namespace terraintool {
float clampSize(float size) {
  if (!(size >= kSizeMin)) return kSizeMin;  // NaN lands on the minimum too
  return size > kSizeMax ? kSizeMax : size;
}
float clampRate(float rate) {
  if (!(rate >= kRateMin)) return kRateMin;
  return rate > kRateMax ? kRateMax : rate;
}
}  // namespace terraintool

namespace {

// Hemisphere profile: 1 at the centre, 0 at the rim. The levelling and roughen
// tools fade out with it so they never leave a step at the edge of the circle.
float profile(float d, float radius) {
  if (radius <= 0.0f) return 1.0f;
  const float t = d / radius;
  return t >= 1.0f ? 0.0f : std::sqrt(1.0f - t * t);
}

// Visits the vertices the terrain will hand to a brush for this circle (same
// distance test), rows outer and columns inner.
template <typename Visit>
void forEachVertexWithin(Vec2 centre, float radius, Visit&& visit) {
  constexpr int kV = Terrain::kVerticesPerSide;
  const auto index = [](float v) { return static_cast<int>(std::clamp(v, 0.0f, static_cast<float>(kV - 1))); };
  const int i0 = index(std::floor((centre.x - radius - Terrain::kOrigin) / Terrain::kSpacing));
  const int i1 = index(std::ceil((centre.x + radius - Terrain::kOrigin) / Terrain::kSpacing));
  const int j0 = index(std::floor((centre.y - radius - Terrain::kOrigin) / Terrain::kSpacing - 0.5f));
  const int j1 = index(std::ceil((centre.y + radius - Terrain::kOrigin) / Terrain::kSpacing));
  for (int j = j0; j <= j1; ++j)
    for (int i = i0; i <= i1; ++i) {
      const float x = Terrain::vertexX(i), y = Terrain::vertexY(i, j);
      const float dx = x - centre.x, dy = y - centre.y;
      const float d = std::sqrt(dx * dx + dy * dy);
      if (d <= radius) visit(i, j, x, y, d);
    }
}

struct EqualChange final : HeightBrush {
  float amount;
  explicit EqualChange(float a) : amount(a) {}
  float newHeight(int, int, float, float, float, float current) const override { return current + amount; }
};

// Moves each vertex a share of the way to a target surface; the share shrinks
// towards the rim.
template <typename Target>
struct LevelTowards final : HeightBrush {
  Target target;
  float radius, speed;
  LevelTowards(Target t, float r, float s) : target(t), radius(r), speed(s) {}
  float newHeight(int, int, float x, float y, float d, float current) const override {
    const float share = std::min(1.0f, speed * profile(d, radius));
    return current + (target(x, y) - current) * share;
  }
};

struct OffsetTable final : HeightBrush {
  const float* offsets;
  explicit OffsetTable(const float* o) : offsets(o) {}
  float newHeight(int i, int j, float, float, float, float current) const override {
    return current + offsets[i * Terrain::kVerticesPerSide + j];
  }
};

}  // namespace

TerrainSculptor::Plane TerrainSculptor::fitPlane(const Terrain& terrain, Vec2 centre, float radius) const {
  // Least squares in coordinates relative to the centre keeps the sums small;
  // the plane is returned in world coordinates.
  double n = 0, sx = 0, sy = 0, sz = 0, sxx = 0, syy = 0, sxy = 0, sxz = 0, syz = 0;
  forEachVertexWithin(centre, radius, [&](int i, int j, float x, float y, float) {
    const double px = x - centre.x, py = y - centre.y, pz = terrain.height(i, j);
    n += 1;
    sx += px, sy += py, sz += pz;
    sxx += px * px, syy += py * py, sxy += px * py;
    sxz += px * pz, syz += py * pz;
  });
  Plane p{};
  if (n <= 0) {
    p.a = terrain.heightAt(centre.x, centre.y);
    return p;
  }
  double a = sz / n, b = 0, c = 0;
  // Solve the centred normal equations for the slopes; too few or collinear
  // vertices (a brush smaller than the grid spacing) leave a level plane.
  const double cxx = sxx - sx * sx / n, cyy = syy - sy * sy / n, cxy = sxy - sx * sy / n;
  const double cxz = sxz - sx * sz / n, cyz = syz - sy * sz / n;
  const double det = cxx * cyy - cxy * cxy;
  const double scale = std::max(cxx * cyy, 1e-12);
  if (n >= 3 && det > 1e-6 * scale) {
    b = (cxz * cyy - cyz * cxy) / det;
    c = (cyz * cxx - cxz * cxy) / det;
    a = (sz - b * sx - c * sy) / n;
  }
  p.a = static_cast<float>(a - b * centre.x - c * centre.y);
  p.b = static_cast<float>(b);
  p.c = static_cast<float>(c);
  return p;
}

void TerrainSculptor::drawRoughness(Vec2 centre, float radius, float amplitude) {
  double sum = 0.0, weights = 0.0;
  forEachVertexWithin(centre, radius, [&](int i, int j, float, float, float d) {
    const float w = profile(d, radius);
    const float o = amplitude * w * (2.0f * rand01() - 1.0f);
    offsets_[static_cast<size_t>(i * kV + j)] = o;
    sum += o;
    weights += w;
  });
  // Take the mean back out, weighted like the noise, so the ground gets rougher
  // without drifting up or down and the rim stays where it is.
  const float shift = weights > 0.0 ? static_cast<float>(sum / weights) : 0.0f;
  forEachVertexWithin(centre, radius, [&](int i, int j, float, float, float d) {
    offsets_[static_cast<size_t>(i * kV + j)] -= shift * profile(d, radius);
  });
}

bool TerrainSculptor::apply(Terrain& terrain, int tool, Vec2 centre, float radius, float rate, float dt,
                            bool firstFrame) {
  using namespace terraintool;
  if (!(dt > 0.0f) || !std::isfinite(dt) || !std::isfinite(centre.x) || !std::isfinite(centre.y)) return false;
  if (tool < 0 || tool >= kToolCount) return false;
  radius = clampSize(radius);
  rate = clampRate(rate);
  if (tool == kFlattenHorizontal && (firstFrame || !hasPressHeight_)) {
    pressHeight_ = terrain.heightAt(centre.x, centre.y);
    hasPressHeight_ = true;
  }
  const float lift = kLiftPerRate * rate * dt;
  const float level = kLevelPerRate * rate * dt;
  switch (tool) {
    case kRaiseRound: terrain.reshape(lift, centre, radius, 1.0f); break;
    case kLowerRound: terrain.reshape(-lift, centre, radius, 1.0f); break;
    case kRaise: terrain.reshapeWith(centre, radius, EqualChange{lift}); break;
    case kLower: terrain.reshapeWith(centre, radius, EqualChange{-lift}); break;
    case kFlattenKeepAngle: {
      plane_ = fitPlane(terrain, centre, radius);
      const Plane p = plane_;
      auto onPlane = [p](float x, float y) { return p.at(x, y); };
      terrain.reshapeWith(centre, radius, LevelTowards<decltype(onPlane)>{onPlane, radius, level});
      break;
    }
    case kRoughen:
      drawRoughness(centre, radius, kRoughPerRate * rate * dt);
      terrain.reshapeWith(centre, radius, OffsetTable{offsets_.data()});
      break;
    case kFlattenHorizontal: {
      const float h = pressHeight_;
      auto flat = [h](float, float) { return h; };
      terrain.reshapeWith(centre, radius, LevelTowards<decltype(flat)>{flat, radius, level});
      break;
    }
    default: return false;
  }
  return true;
}

}  // namespace qv
