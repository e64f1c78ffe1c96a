#include "world/terrain.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ostream>
#include <sstream>
#include <stdexcept>

#include "core/log.hpp"
#include "core/random.hpp"
#include "core/text_io.hpp"
#include "render/gl.hpp"
#include "render/gpu_resources.hpp"
#include "world/camera.hpp"

namespace qv {
namespace {

constexpr int kV = Terrain::kVerticesPerSide;
constexpr int kC = Terrain::kCellsPerSide;

// A vertex belongs to the (up to) four cells that meet at it.
void markCellsAround(std::vector<uint8_t>& touched, int i, int j) {
  for (int cj = j - 1; cj <= j; ++cj)
    for (int ci = i - 1; ci <= i; ++ci)
      if (ci >= 0 && ci < kC && cj >= 0 && cj < kC) touched[static_cast<size_t>(cj) * kC + ci] = 1;
}

// Hands every marked cell around the changed vertex range to `rebuild` once and clears its mark.
template <typename Rebuild>
void takeTouchedCells(std::vector<uint8_t>& touched, int i0, int i1, int j0, int j1, Rebuild rebuild) {
  for (int cj = std::max(j0 - 1, 0); cj <= std::min(j1, kC - 1); ++cj)
    for (int ci = std::max(i0 - 1, 0); ci <= std::min(i1, kC - 1); ++ci) {
      uint8_t& mark = touched[static_cast<size_t>(cj) * kC + ci];
      if (!mark) continue;
      mark = 0;
      rebuild(ci, cj);
    }
}
constexpr int kStride = Terrain::kFloatsPerVertex;
constexpr const char* kPlaneError = "Error: Line doesn't intersect plane!";

// Corner names of a cell: A = (i, j), B = (i, j+1), C = (i+1, j), D = (i+1, j+1).
enum Corner { A = 0, B = 1, C = 2, D = 3 };
// Triangle corners (normals, centroids) by column parity and k.
constexpr int kTriCorners[2][2][3] = {
    {{B, D, C}, {A, C, B}},  // even column
    {{D, C, A}, {D, B, A}},  // odd column
};
// Buffer vertex order of a cell by column parity: 0..2 belong to k = 0, 3..5 to k = 1.
constexpr int kBufferCorners[2][6] = {
    {D, C, B, C, A, B},
    {C, D, A, D, B, A},
};

inline int cornerI(int i, int c) { return i + (c >> 1); }
inline int cornerJ(int j, int c) { return j + (c & 1); }

inline float cross2(float ax, float ay, float bx, float by) { return ax * by - ay * bx; }

// Upward unit normal of a triangle; (0, 0, 0) when it has no area.
Vec3 upwardNormal(const Vec3& p0, const Vec3& p1, const Vec3& p2) {
  Vec3 n = cross(p1 - p0, p2 - p0);
  if (n.z < 0.0f) n = -n;
  const float len = length(n);
  if (!(len > 0.0f)) return {0.0f, 0.0f, 0.0f};
  return n * (1.0f / len);
}

bool rgbDiffers(const Colour& fresh, const Colour& current) {
  return std::fabs(fresh.r - current.r) > std::fabs(fresh.r) * 1e-5f ||
         std::fabs(fresh.g - current.g) > std::fabs(fresh.g) * 1e-5f ||
         std::fabs(fresh.b - current.b) > std::fabs(fresh.b) * 1e-5f;
}

bool allFinite(Vec3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Chooses the nearest painter within reach of one centroid; the first of
// equally near painters keeps the place.
struct NearestPainter final : GroundPainterVisitor {
  float cx = 0.0f, cy = 0.0f;
  float bestD = 0.0f;
  bool found = false;
  Colour colour{};
  void painter(float x, float y, const Colour& c) override {
    const float dx = x - cx, dy = y - cy;
    const float d = std::sqrt(dx * dx + dy * dy);
    if (!(d <= groundpaint::kReach)) return;
    if (found && !(d < bestD)) return;
    found = true;
    bestD = d;
    colour = c;
  }
};

struct HemisphereChange {
  float amount, strength;
  float operator()(int, int, float, float, float d, float current, float radius) const {
    const float r2 = radius * radius - d * d;
    float change = 0.0f;
    if (r2 > 0.0f && radius > 0.0f) change = std::sqrt(r2) / radius * std::fabs(strength) * amount;
    return current + change;
  }
};

struct BrushChange {
  const HeightBrush& brush;
  float operator()(int i, int j, float x, float y, float d, float current, float) const {
    return brush.newHeight(i, j, x, y, d, current);
  }
};

int truncClamped(float v, float lo, float hi) {
  if (!(v > lo)) v = lo;  // NaN lands on the low bound
  if (v > hi) v = hi;
  return static_cast<int>(v);
}

}  // namespace

Terrain::Terrain()
    : triangles_(static_cast<size_t>(kC) * kC * 2),
      inFadeList_(triangles_.size(), 0),
      vertices_(new float[static_cast<size_t>(kVertexCount) * kStride]),
      cellTouched_(static_cast<size_t>(kC) * kC, 0),
      colours_(new float[static_cast<size_t>(kVertexCount) * 4]),
      colourDirtyFlag_(triangles_.size(), 0) {
  for (size_t n = 0; n < static_cast<size_t>(kVertexCount) * 4; ++n) colours_[n] = 1.0f;
  colourDirty_.reserve(triangles_.size());
  std::memset(heights_, 0, sizeof heights_);
  // Fixed jitter keeps the same floor and ceiling for every world in every run;
  // the flag is cleared so the next user reseeds from the clock.
  rng::seed(kJitterSeed);
  for (int j = 0; j < kV; ++j)
    for (int i = 0; i < kV; ++i) jitter_[i][j] = (rng::next01() * 2.0f - 1.0f) * kJitterAmplitude;
  rng::clearSeededFlag();

  fading_.reserve(triangles_.size());
  for (int j = 0; j < kC; ++j)
    for (int i = 0; i < kC; ++i)
      for (int k = 0; k < 2; ++k) {
        TerrainTriangle& t = tri(i, j, k);
        t.i = static_cast<uint32_t>(i);
        t.j = static_cast<uint32_t>(j);
        t.k = static_cast<uint32_t>(k);
      }

  for (int r = 0; r < kC; ++r) {
    dirtyMin_[r] = kC;
    dirtyMax_[r] = -1;
  }
  for (int j = 0; j < kC; ++j)
    for (int i = 0; i < kC; ++i) {
      float* v = vertices_.get() + static_cast<size_t>(cellFirstVertex(i, j)) * kStride;
      for (int n = 0; n < 6; ++n) {
        const int c = kBufferCorners[i & 1][n];
        const int vi = cornerI(i, c), vj = cornerJ(j, c);
        float* p = v + n * kStride;
        p[0] = vertexX(vi);
        p[1] = vertexY(vi, vj);
        p[2] = 0.0f;
        p[3] = 0.0f;
        p[4] = 0.0f;
        p[5] = 1.0f;
        p[6] = 1.0f;
        p[7] = 1.0f;
        p[8] = 1.0f;
        p[9] = 1.0f;
      }
      rebuildCell(i, j);
    }
  for (int r = 0; r < kC; ++r) {
    dirtyMin_[r] = kC;
    dirtyMax_[r] = -1;
  }

  createShaderProgram(*this, terrainShaderSources());
  if (gl::contextReady()) {
    GLuint vao = 0, vbo = 0;
    glGenVertexArrays(1, &vao);
    glGenBuffers(1, &vbo);
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(kVertexCount) * kStride * sizeof(float), vertices_.get(),
                 GL_DYNAMIC_DRAW);
    const GLsizei stride = kStride * sizeof(float);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(0));
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(12));
    glEnableVertexAttribArray(1);
    GLuint cbo = 0;
    glGenBuffers(1, &cbo);
    glBindBuffer(GL_ARRAY_BUFFER, cbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(kVertexCount) * 4 * sizeof(float), colours_.get(),
                 GL_DYNAMIC_DRAW);
    const GLsizei colourStride = 4 * sizeof(float);
    glVertexAttribPointer(2, 3, GL_FLOAT, GL_FALSE, colourStride, reinterpret_cast<void*>(0));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(3, 1, GL_FLOAT, GL_FALSE, colourStride, reinterpret_cast<void*>(12));
    glEnableVertexAttribArray(3);
    glBindVertexArray(0);
    vertexArray = vao;
    vertexBuffer = vbo;
    colourBuffer_ = cbo;
    registerBuffers(vao, vbo, 0);
    registerBuffers(0, cbo, 0);
  }
  setFixedUniforms();
}

// The GPU names belong to the buffer registry, which frees them at shut-down.
Terrain::~Terrain() = default;

void Terrain::setFixedUniforms() const {
  if (!gl::contextReady() || shaderProgram == 0) return;
  const GLuint p = shaderProgram;
  glUseProgram(p);
  gl::uniform1f(p, "skyHorizonStart", 79.17f);
  gl::uniform1f(p, "skyHorizonEnd", 85.8f);
  gl::uniform1f(p, "underWaterHeightColorStart", 0.0f);
  gl::uniform1f(p, "underWaterHeightColorEnd", 0.65f);
  gl::uniform1f(p, "underWaterHeightEdgeColorDelta", 0.375f);
  gl::uniform1f(p, "underWaterHeightEdgeColorStartAboveWater", -0.5625f);
  gl::uniform1f(p, "underWaterHeightEdgeColorStartBelowWater", 0.1875f);
  gl::uniformColour3(p, "colorEmptyLand", colorEmptyLand_);
  gl::uniform1i(p, "showColorGroundPreview", 0);
  gl::uniform2f(p, "posCUnitForColorGroundPreview", 0.0f, 0.0f);
  gl::uniform3f(p, "colorGroundPreview", 1.0f, 1.0f, 1.0f);
  gl::uniform1f(p, "radiusMaxForColorGroundPreview", 1.0f);
}

// ---------------------------------------------------------------- geometry

void Terrain::corners(int i, int j, int k, Vec3 out[3]) const {
  for (int n = 0; n < 3; ++n) {
    const int c = kTriCorners[i & 1][k][n];
    out[n] = vertex(cornerI(i, c), cornerJ(j, c));
  }
}

Vec3 Terrain::planeNormal(int i, int j, int k) const {
  Vec3 p[3];
  corners(i, j, k, p);
  return upwardNormal(p[0], p[1], p[2]);
}

void Terrain::locate(float x, float y, int& i, int& j, int& k) {
  // Far outside the grid only the clamped border cell matters; bounding the
  // values keeps the integer conversions defined.
  float fx = (x - kOrigin) / kSpacing;
  fx = std::isfinite(fx) ? std::clamp(fx, -1e6f, 1e6f) : 0.0f;
  const int ixRaw = static_cast<int>(fx);
  const float u = fx - static_cast<float>(ixRaw);
  const float t = ((ixRaw & 1) == 0 ? u : 1.0f - u) * 0.5f;
  float fy = (y - kOrigin) / kSpacing - t;
  fy = std::isfinite(fy) ? std::clamp(fy, -1e6f, 1e6f) : 0.0f;
  const int iyRaw = static_cast<int>(fy);
  const float v = fy - static_cast<float>(iyRaw);
  i = std::clamp(ixRaw, 0, kC - 1);
  j = std::clamp(iyRaw, 0, kC - 1);
  if ((i & 1) == 0)
    k = v > 1.0f - u ? 0 : 1;
  else
    k = u > v ? 0 : 1;
}

float Terrain::heightAt(float x, float y) const {
  int i, j, k;
  locate(x, y, i, j, k);
  Vec3 p[3];
  corners(i, j, k, p);
  const Vec3 n = upwardNormal(p[0], p[1], p[2]);
  if (!(n.z > 0.0f)) return 0.0f;
  return p[0].z + (n.x * (p[0].x - x) + n.y * (p[0].y - y)) / n.z;
}

float Terrain::slopeAt(float x, float y) const {
  int i, j, k;
  locate(x, y, i, j, k);
  const Vec3& n = triangle(i, j, k).normal;
  if (!(n.z > 0.0f)) return 0.0f;
  return std::sqrt(n.x * n.x + n.y * n.y) / n.z;
}

void Terrain::rebuildCell(int i, int j) {
  for (int k = 0; k < 2; ++k) {
    Vec3 p[3];
    corners(i, j, k, p);
    TerrainTriangle& t = tri(i, j, k);
    t.centroid = (p[0] + p[1] + p[2]) * (1.0f / 3.0f);
    t.normal = upwardNormal(p[0], p[1], p[2]);
  }
  float* v = vertices_.get() + static_cast<size_t>(cellFirstVertex(i, j)) * kStride;
  for (int n = 0; n < 6; ++n) {
    const int c = kBufferCorners[i & 1][n];
    const Vec3& normal = triangles_[(j * kC + i) * 2 + (n / 3)].normal;
    float* p = v + n * kStride;
    p[2] = heights_[cornerI(i, c)][cornerJ(j, c)];
    p[3] = normal.x;
    p[4] = normal.y;
    p[5] = normal.z;
  }
  markDirty(i, j);
}

void Terrain::rebuildGeometryAll() {
  for (int j = 0; j < kC; ++j)
    for (int i = 0; i < kC; ++i) rebuildCell(i, j);
  uploadDirty();
}

void Terrain::markDirty(int i, int j) {
  if (i < dirtyMin_[j]) dirtyMin_[j] = i;
  if (i > dirtyMax_[j]) dirtyMax_[j] = i;
}

void Terrain::uploadDirty() {
  const bool gpu = gl::contextReady() && vertexBuffer != 0;
  if (gpu) glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
  for (int r = 0; r < kC; ++r) {
    if (dirtyMin_[r] > dirtyMax_[r]) continue;
    if (gpu) {
      const size_t first = static_cast<size_t>(cellFirstVertex(dirtyMin_[r], r));
      const size_t count = static_cast<size_t>(dirtyMax_[r] - dirtyMin_[r] + 1) * 6;
      glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(first * kStride * sizeof(float)),
                      static_cast<GLsizeiptr>(count * kStride * sizeof(float)), vertices_.get() + first * kStride);
    }
    dirtyMin_[r] = kC;
    dirtyMax_[r] = -1;
  }
  uploadColours();
}

void Terrain::uploadColours() {
  if (colourDirty_.empty()) return;
  if (gl::contextReady() && colourBuffer_ != 0) {
    // A triangle's three vertices follow each other and triangles lie in index
    // order, so neighbouring changed triangles go up as one run.
    std::sort(colourDirty_.begin(), colourDirty_.end());
    glBindBuffer(GL_ARRAY_BUFFER, colourBuffer_);
    constexpr size_t kTriangleFloats = 3 * 4;
    size_t n = 0;
    while (n < colourDirty_.size()) {
      size_t end = n + 1;
      while (end < colourDirty_.size() && colourDirty_[end] == colourDirty_[end - 1] + 1) ++end;
      const size_t first = colourDirty_[n] * kTriangleFloats;
      glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(first * sizeof(float)),
                      static_cast<GLsizeiptr>((end - n) * kTriangleFloats * sizeof(float)), colours_.get() + first);
      n = end;
    }
  }
  for (uint32_t t : colourDirty_) colourDirtyFlag_[t] = 0;
  colourDirty_.clear();
}

// ---------------------------------------------------------------- reshape

template <typename Change>
void Terrain::reshapeImpl(Vec2 centre, float radius, const Change& change) {
  if (!std::isfinite(centre.x) || !std::isfinite(centre.y) || !std::isfinite(radius) || radius < 0.0f) return;
  // Only the vertices inside the circle's bounding box can be within reach;
  // visiting them rows outer, columns inner keeps the collection order.
  const int i0 = truncClamped(std::floor((centre.x - radius - kOrigin) / kSpacing), 0.0f, kV - 1.0f);
  const int i1 = truncClamped(std::ceil((centre.x + radius - kOrigin) / kSpacing), 0.0f, kV - 1.0f);
  const int j0 = truncClamped(std::floor((centre.y - radius - kOrigin) / kSpacing - 0.5f), 0.0f, kV - 1.0f);
  const int j1 = truncClamped(std::ceil((centre.y + radius - kOrigin) / kSpacing), 0.0f, kV - 1.0f);

  bool any = false;
  for (int j = j0; j <= j1; ++j)
    for (int i = i0; i <= i1; ++i) {
      const float x = vertexX(i), y = vertexY(i, j);
      const float dx = x - centre.x, dy = y - centre.y;
      const float d = std::sqrt(dx * dx + dy * dy);
      if (!(d <= radius)) continue;
      any = true;
      float h = change(i, j, x, y, d, heights_[i][j], radius);
      // A broken brush value must never poison the ground; keep the old height.
      if (!std::isfinite(h)) h = heights_[i][j];
      const float o = jitter_[i][j];
      if (h < o + kFloorBelowJitter)
        h = o + kFloorBelowJitter;
      else if (h > o + kCeilingAboveJitter)
        h = o + kCeilingAboveJitter;
      if (recorder_ && h != heights_[i][j]) recorder_->heightChanging(i, j, heights_[i][j]);
      heights_[i][j] = h;
      markCellsAround(cellTouched_, i, j);
    }
  if (!any) return;

  takeTouchedCells(cellTouched_, i0, i1, j0, j1, [this](int ci, int cj) { rebuildCell(ci, cj); });
  uploadDirty();
  refreshGroundColours(centre, false, false, radius + kSpacing);
}

void Terrain::reshape(float amount, Vec2 centre, float radius, float strength) {
  reshapeImpl(centre, radius, HemisphereChange{amount, strength});
}

void Terrain::reshapeWith(Vec2 centre, float radius, const HeightBrush& brush) {
  reshapeImpl(centre, radius, BrushChange{brush});
}

void Terrain::rebuildAll() { reshape(0.0f, {0.0f, 0.0f}, kExtent, 0.0f); }

void Terrain::setHeights(const VertexHeightChange* changes, size_t count, bool forward, Vec2& centre,
                         float& radius) {
  centre = {0.0f, 0.0f};
  radius = -1.0f;
  int i0 = kV, i1 = -1, j0 = kV, j1 = -1;
  for (size_t n = 0; n < count; ++n) {
    const int i = changes[n].i, j = changes[n].j;
    if (i >= kV || j >= kV) continue;
    heights_[i][j] = forward ? changes[n].after : changes[n].before;
    i0 = std::min(i0, i), i1 = std::max(i1, i);
    j0 = std::min(j0, j), j1 = std::max(j1, j);
    markCellsAround(cellTouched_, i, j);
  }
  if (i1 < 0) return;
  takeTouchedCells(cellTouched_, i0, i1, j0, j1, [this](int ci, int cj) { rebuildCell(ci, cj); });
  uploadDirty();
  const float x0 = vertexX(i0), x1 = vertexX(i1);
  const float y0 = vertexY(0, j0), y1 = vertexY(1, j1);
  centre = {(x0 + x1) * 0.5f, (y0 + y1) * 0.5f};
  radius = 0.5f * std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0));
  refreshGroundColours(centre, false, false, radius + kSpacing);
}

// ---------------------------------------------------------------- pick

void Terrain::pick(Vec3 origin, Vec3 d, PickState& state) const {
  state.groundHit = false;
  state.surfaceHit = false;
  state.surfaceOnWater = false;
  if (!allFinite(origin) || !allFinite(d)) return;

  float ux = d.x, uy = d.y;
  const float hl = std::sqrt(ux * ux + uy * uy);
  if (hl > 0.0f) {
    ux /= hl;
    uy /= hl;
  } else {
    ux = uy = 0.0f;
  }
  const float alongO = ux * origin.x + uy * origin.y;
  const float acrossO = ux * origin.y - uy * origin.x;

  bool haveBest = false, bestIsHit = false;
  Vec3 best{};
  float bestKey = 0.0f, bestM = 0.0f;

  for (int j = 0; j < kC; ++j)
    for (int i = 0; i < kC; ++i) {
      bool ahead = false;
      float acrossMin = 0.0f, acrossMax = 0.0f;
      for (int c = 0; c < 4; ++c) {
        const int vi = cornerI(i, c), vj = cornerJ(j, c);
        const float x = vertexX(vi), y = vertexY(vi, vj);
        const float along = ux * x + uy * y;
        const float across = ux * y - uy * x;
        if (along + kPickSlack > alongO) ahead = true;
        if (c == 0 || across < acrossMin) acrossMin = across;
        if (c == 0 || across > acrossMax) acrossMax = across;
      }
      if (!ahead || !(acrossMin - kPickSlack < acrossO && acrossO < acrossMax + kPickSlack)) continue;

      for (int k = 0; k < 2; ++k) {
        Vec3 p[3];
        corners(i, j, k, p);
        const Vec3 n = upwardNormal(p[0], p[1], p[2]);
        const float dn = dot(d, n);
        // A ray along a triangle's plane meets it in no single point; other
        // triangles may still be hit, so this one is simply passed over.
        if (dn == 0.0f) continue;
        const Vec3 hit = origin - d * (dot(origin - p[0], n) / dn);
        const float key = dot(hit - origin, d);
        // Ground behind the eye is never under the mouse.
        if (key < 0.0f) continue;
        const float area = cross2(p[1].x - p[0].x, p[1].y - p[0].y, p[2].x - p[0].x, p[2].y - p[0].y);
        const float sgn = area >= 0.0f ? 1.0f : -1.0f;
        float m = 0.0f;
        for (int e = 0; e < 3; ++e) {
          const Vec3& a = p[e];
          const Vec3& b = p[(e + 1) % 3];
          const float ex = b.x - a.x, ey = b.y - a.y;
          const float len = std::sqrt(ex * ex + ey * ey);
          const float dist = sgn * cross2(ex, ey, hit.x - a.x, hit.y - a.y) / len;
          if (e == 0 || dist < m) m = dist;
        }
        if (m > -kPickSlack) {
          if (!bestIsHit || key < bestKey) {
            best = hit;
            bestKey = key;
            bestIsHit = true;
            haveBest = true;
          }
        } else if (!bestIsHit && (!haveBest || m > bestM)) {
          best = hit;
          bestM = m;
          haveBest = true;
        }
      }
    }

  if (bestIsHit) {
    state.groundPoint = best;
    state.groundHit = true;
  }

  // The water surface counts only in front of the eye and over the sunken
  // ground itself; a level ray never meets it.
  if (d.z != 0.0f) {
    const float tw = -origin.z / d.z;
    const Vec3 w = origin + d * tw;
    if (tw >= 0.0f && haveBest && best.z < w.z && std::fabs(w.x) < kWaterPickLimit &&
        std::fabs(w.y) < kWaterPickLimit) {
      state.surfacePoint = w;
      state.surfaceHit = true;
      state.surfaceOnWater = true;
      return;
    }
  }
  if (state.groundHit) {
    state.surfacePoint = state.groundPoint;
    state.surfaceHit = true;
  }
}

Vec2 Terrain::nearestCentroid(Vec2 point, bool underWater) const {
  bool found = false;
  float bestD2 = 0.0f;
  Vec2 best{};
  constexpr float kMinD2 = kSpacing * kSpacing;
  for (const TerrainTriangle& t : triangles_) {
    if ((t.centroid.z - kLandLevel < 0.0f) != underWater) continue;
    const float dx = t.centroid.x - point.x, dy = t.centroid.y - point.y;
    const float d2 = dx * dx + dy * dy;
    if (!(d2 > kMinD2)) continue;
    if (found && !(d2 < bestD2)) continue;
    found = true;
    bestD2 = d2;
    best = {t.centroid.x, t.centroid.y};
  }
  if (!found) throw std::out_of_range(kPlaneError);
  return best;
}

// ---------------------------------------------------------------- ground colours

void Terrain::writeTriangleColour(const TerrainTriangle& t) {
  const int i = static_cast<int>(t.i), j = static_cast<int>(t.j);
  float* v = vertices_.get() + (static_cast<size_t>(cellFirstVertex(i, j)) + 3 * t.k) * kStride;
  const float flag = t.useColorEmptyLand ? 1.0f : 0.0f;
  for (int n = 0; n < 3; ++n) {
    float* p = v + n * kStride;
    p[6] = t.color.r;
    p[7] = t.color.g;
    p[8] = t.color.b;
    p[9] = flag;
  }
  const size_t index = static_cast<size_t>(&t - triangles_.data());
  float* c = colours_.get() + index * 3 * 4;
  for (int n = 0; n < 3; ++n) {
    c[n * 4 + 0] = t.color.r;
    c[n * 4 + 1] = t.color.g;
    c[n * 4 + 2] = t.color.b;
    c[n * 4 + 3] = flag;
  }
  if (!colourDirtyFlag_[index]) {
    colourDirtyFlag_[index] = 1;
    colourDirty_.push_back(static_cast<uint32_t>(index));
  }
}

void Terrain::refreshGroundColours(Vec2 centre, bool all, bool reset, float r) {
  int c0 = 0, c1 = kC, r0 = 0, r1 = kC;
  if (!all) {
    if (!std::isfinite(centre.x) || !std::isfinite(centre.y) || !std::isfinite(r)) return;
    c0 = truncClamped((centre.x - r - kOrigin) / kSpacing, 0.0f, 67.0f);
    c1 = truncClamped((centre.x + r - kOrigin) / kSpacing, 0.0f, 67.0f);
    r0 = truncClamped((centre.y - r - kOrigin) / kSpacing - 0.5f, 0.0f, 67.0f);
    r1 = truncClamped((centre.y + r - kOrigin) / kSpacing + 0.5f, 0.0f, 67.0f);
  }
  const GroundPainters* painters = reset ? nullptr : painters_;
  NearestPainter nearest;
  for (int j = r0; j < r1; ++j)
    for (int i = c0; i < c1; ++i)
      for (int k = 0; k < 2; ++k) {
        const size_t index = static_cast<size_t>((j * kC + i) * 2 + k);
        TerrainTriangle& t = triangles_[index];
        nearest.found = false;
        if (painters) {
          nearest.cx = t.centroid.x;
          nearest.cy = t.centroid.y;
          painters->forEachPainter(t.centroid.x, t.centroid.y, groundpaint::kQueryRadius, nearest);
        }
        const bool freshEmpty = !nearest.found;
        const Colour fresh = freshEmpty ? colorEmptyLand_ : nearest.colour.lifted();
        // A triangle still fading is compared with where it is going, so a
        // change of mind mid-fade is never lost; a settled one with what it shows.
        const bool fading = inFadeList_[index] != 0;
        const bool refEmpty = fading ? t.targetUseColorEmptyLand : t.useColorEmptyLand;
        const Colour& refRgb = refEmpty ? colorEmptyLand_ : (fading ? t.targetColor : t.color);
        if (freshEmpty == refEmpty && !rgbDiffers(fresh, refRgb)) continue;
        if (t.useColorEmptyLand) {
          // The fade starts from what the player sees.
          t.color = colorEmptyLand_;
          t.useColorEmptyLand = false;
        }
        t.targetColor = fresh;
        t.targetUseColorEmptyLand = freshEmpty;
        if (!fading) {
          inFadeList_[index] = 1;
          fading_.push_back(&t);
        }
      }
}

void Terrain::fadeGroundColours(float dt) {
  const float step = dt > 0.0f ? dt * groundpaint::kFadeRate : 0.0f;  // NaN and negative times stand still
  size_t keep = 0;
  for (size_t n = 0; n < fading_.size(); ++n) {
    TerrainTriangle& t = *fading_[n];
    const Colour& target = t.targetUseColorEmptyLand ? colorEmptyLand_ : t.targetColor;
    const float dr = target.r - t.color.r, dg = target.g - t.color.g, db = target.b - t.color.b;
    const float m = std::max({std::fabs(dr), std::fabs(dg), std::fabs(db)});
    if (step >= m) {
      if (t.targetUseColorEmptyLand) {
        t.color = {1.0f, 1.0f, 1.0f, 1.0f};
        t.useColorEmptyLand = true;
      } else {
        t.color = target;
        t.useColorEmptyLand = false;
      }
      inFadeList_[static_cast<size_t>(&t - triangles_.data())] = 0;
    } else {
      const float s = step / m;
      t.color.r += dr * s;
      t.color.g += dg * s;
      t.color.b += db * s;
      t.color.a = 1.0f;
      fading_[keep++] = &t;
    }
    writeTriangleColour(t);
  }
  fading_.resize(keep);
  uploadDirty();
}

void Terrain::setColorEmptyLand(const Colour& colour) {
  if (colorEmptyLand_.sameAs(colour)) return;
  colorEmptyLand_ = colour;
  if (gl::contextReady() && shaderProgram != 0) {
    glUseProgram(shaderProgram);
    gl::uniformColour3(shaderProgram, "colorEmptyLand", colour);
  }
}

void Terrain::setColourGroundPreview(bool show, Vec2 unitPosition, const Colour& liftedColour) const {
  if (!gl::contextReady() || shaderProgram == 0) return;
  glUseProgram(shaderProgram);
  gl::uniform1i(shaderProgram, "showColorGroundPreview", show ? 1 : 0);
  if (!show) return;
  gl::uniform2f(shaderProgram, "posCUnitForColorGroundPreview", unitPosition.x, unitPosition.y);
  gl::uniformColour3(shaderProgram, "colorGroundPreview", liftedColour);
}

void Terrain::finishLoading() {
  rebuildAll();
  refreshGroundColours({0.0f, 0.0f}, true, false);
  fadeGroundColours(1000.0f);
}

void Terrain::resetGround() {
  rebuildAll();
  refreshGroundColours({0.0f, 0.0f}, true, true);
  fadeGroundColours(1000.0f);
}

// ---------------------------------------------------------------- drawing

void Terrain::draw(const Camera& camera, Vec3 sunPos, const Colour& waterColour, const Colour& sunColour,
                   const Colour& skyHorizonColour, Vec2 mousePoint, int toolCircleMode, float toolCircleRadius,
                   bool underWater) const {
  if (!gl::contextReady() || shaderProgram == 0 || vertexArray == 0) return;
  const GLuint p = shaderProgram;
  glUseProgram(p);
  camera.applyUniforms(p);
  gl::uniformColour3(p, "colorWater", waterColour);
  gl::uniformColour3(p, "sunColor", sunColour);
  gl::uniformColour3(p, "colorSkyHorizon", skyHorizonColour);
  gl::uniform3f(p, "sunPos", sunPos);
  gl::uniform1i(p, "modeTerrainModification", toolCircleMode);
  gl::uniform2f(p, "posMouse", mousePoint.x, mousePoint.y);
  gl::uniform1f(p, "radiusModifyCircle", toolCircleRadius);
  gl::uniform1i(p, "underWater", underWater ? 1 : 0);
  glEnable(GL_DEPTH_TEST);
  glBindVertexArray(vertexArray);
  glDrawArrays(GL_TRIANGLES, 0, kVertexCount);
  glBindVertexArray(0);
  glDisable(GL_DEPTH_TEST);
}

// ---------------------------------------------------------------- save record

void Terrain::writeSaveRecord(std::ostream& out) const {
  out << kC << "\n";
  for (int j = 0; j < kV; ++j)
    for (int i = 0; i < kV; ++i) out << textio::fixed6(heights_[i][j]) << "\n";
}

std::string Terrain::writeSaveRecord() const {
  std::ostringstream out;
  writeSaveRecord(out);
  return out.str();
}

void Terrain::readSaveRecord(const std::vector<std::string>& lines) {
  if (lines.empty()) throw textio::ParseError("terrain record has no size line");
  const int size = textio::toInt(lines[0]);
  if (size != kC) {
    logLine("ERROR: Terrain size is wrong. Save says ", size, " actual is ", kC, ".  Default loaded instead.");
    return;
  }
  // Whatever happens below, heights and mesh stay consistent: a damaged
  // record keeps the values read before the damage, clamped like any change.
  struct Rebuild {
    Terrain& t;
    ~Rebuild() { t.rebuildGeometryAll(); }
  } rebuild{*this};
  const size_t count = std::min(lines.size() - 1, static_cast<size_t>(kV) * kV);
  for (size_t n = 0; n < count; ++n) {
    const int i = static_cast<int>(n % kV), j = static_cast<int>(n / kV);
    const float o = jitter_[i][j];
    heights_[i][j] = std::clamp(textio::toFloat(lines[n + 1]), o + kFloorBelowJitter, o + kCeilingAboveJitter);
  }
}

}  // namespace qv
