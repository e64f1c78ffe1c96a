#pragma once
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "core/colour.hpp"
#include "core/vecmath.hpp"
#include "render/loader.hpp"
#include "world/ground_colours.hpp"

namespace qv {

struct Camera;
struct ShaderSources;

// The GLSL of "shaderTerrain" (vertex stage built on kGlslCameraTransform).
const ShaderSources& terrainShaderSources();

// One flat triangle of the ground mesh, with its ground colour and fade target.
struct TerrainTriangle {
  Vec3 centroid{};
  Vec3 normal{0.0f, 0.0f, 1.0f};  // unit, pointing up; (0,0,0) for a degenerate triangle
  Colour color{1.0f, 1.0f, 1.0f, 1.0f};
  bool useColorEmptyLand = true;  // shows the world's empty-land colour; color is then ignored
  Colour targetColor{1.0f, 1.0f, 1.0f, 1.0f};
  bool targetUseColorEmptyLand = true;
  uint32_t i = 0, j = 0;  // cell column and row
  uint32_t k = 0;         // which triangle of the cell
};

// What lies under the mouse, refreshed by every gameplay update. The points
// keep their previous values when a pick clears the flags.
struct PickState {
  Vec3 groundPoint{};
  bool groundHit = false;
  Vec3 surfacePoint{};       // the ground, or the water surface above sunken ground
  bool surfaceHit = false;
  bool surfaceOnWater = false;
};

// A height rule for one brush application, used by the terrain tools that are
// not plain hemispheres. newHeight gets the vertex, its horizontal distance d
// from the brush centre (d <= radius) and its current height, and returns the
// wanted height; the terrain clamps it and rebuilds the mesh around it.
class HeightBrush {
 public:
  virtual float newHeight(int i, int j, float x, float y, float d, float current) const = 0;

 protected:
  ~HeightBrush() = default;
};

// Told the height of each vertex a reshape is about to change (only when the
// new height differs), before it changes. The undo history listens this way.
class HeightRecorder {
 public:
  virtual void heightChanging(int i, int j, float before) = 0;

 protected:
  ~HeightRecorder() = default;
};

// One vertex's height before and after a change, for putting either back.
struct VertexHeightChange {
  uint16_t i = 0, j = 0;
  float before = 0.0f, after = 0.0f;
};

// Tool circle modes of the terrain draw.
enum : int { kToolCircleNone = 0, kToolCircleEraser = 1, kToolCircleTerrain = 2 };

// The world's ground: a 68 x 68 height field over a staggered triangle grid
// (odd columns shifted half a spacing towards +y), drawn as one buffer of
// flat-shaded triangles. Exactly one exists; it is changed in place.
class Terrain : public Loader {
 public:
  static constexpr int kVerticesPerSide = 68;
  static constexpr int kCellsPerSide = 67;
  static constexpr float kSpacing = 2.6f;
  static constexpr float kOrigin = -87.1f;
  static constexpr float kExtent = 174.2f;            // kCellsPerSide * kSpacing
  static constexpr int kVertexCount = 67 * 67 * 6;    // 26934
  static constexpr int kFloatsPerVertex = 10;         // pos 3, normal 3, colour 3, empty-land flag 1
  static constexpr uint32_t kJitterSeed = 41845;
  static constexpr float kJitterAmplitude = 0.75f;
  static constexpr float kFloorBelowJitter = -91.0f;  // lowest height = jitter - 91
  static constexpr float kCeilingAboveJitter = 46.8f; // highest height = jitter + 46.8
  static constexpr float kLandLevel = 0.1875f;        // centroids below it count as under water
  static constexpr float kPickSlack = 0.1f;
  static constexpr float kWaterPickLimit = 85.8f;

  // Flat ground at 0, white triangles showing empty land. Builds "shaderTerrain"
  // and the vertex buffer when a GL context is current. Reseeds the shared
  // random generator (fixed seed for the jitter) and clears its seeded flag.
  Terrain();
  ~Terrain() override;
  Terrain(const Terrain&) = delete;
  Terrain& operator=(const Terrain&) = delete;

  // Ground height under a horizontal point; outside the grid the border
  // triangle's plane is extended.
  float heightAt(float x, float y) const;
  // Tangent of the slope angle under a point (0 on level ground).
  float slopeAt(float x, float y) const;

  // Finds the ground and the visible surface under a ray (direction need not be
  // unit length). Clears the three flags first; points behind the origin never count.
  void pick(Vec3 origin, Vec3 direction, PickState& state) const;

  // Centroid of the nearest triangle more than 2.6 away that is under water
  // (centroid z < 0.1875) or on land, as asked. Throws std::out_of_range
  // ("Error: Line doesn't intersect plane!") when no triangle of that kind exists.
  Vec2 nearestCentroid(Vec2 point, bool underWater) const;

  // Raises (amount > 0) or lowers the ground inside a circle along a
  // hemisphere, clamps the changed heights, rewrites the mesh around them and
  // refreshes ground colours within radius + 2.6. amount 0 only clamps and rebuilds.
  void reshape(float amount, Vec2 centre, float radius, float strength);
  // The same selection, clamping, mesh rewrite and colour refresh with any height rule.
  void reshapeWith(Vec2 centre, float radius, const HeightBrush& brush);
  // reshape(0, (0, 0), 174.2, 0): every height clamped, every triangle rewritten.
  void rebuildAll();
  // Sets each listed vertex to its after (forward) or before height, rewrites
  // the mesh around them and refreshes ground colours over them. Returns a
  // circle covering the changed vertices (radius < 0 when the list is empty).
  void setHeights(const VertexHeightChange* changes, size_t count, bool forward, Vec2& centre, float& radius);
  // The recorder told about every height a reshape changes (null for none).
  void setHeightRecorder(HeightRecorder* recorder) { recorder_ = recorder; }
  HeightRecorder* heightRecorder() const { return recorder_; }

  // Ground colours: stationary colouring units paint the triangles around them.
  void setGroundPainters(const GroundPainters* painters) { painters_ = painters; }
  const GroundPainters* groundPainters() const { return painters_; }
  // Recomputes the fade target of the triangles within radius of centre (all:
  // every triangle); reset ignores painters and sends everything back to empty land.
  void refreshGroundColours(Vec2 centre, bool all, bool reset, float radius = groundpaint::kDefaultRefreshRadius);
  // Moves every fading triangle towards its target; the furthest channel by dt * 0.5.
  void fadeGroundColours(float dt);
  void setColorEmptyLand(const Colour& colour);
  const Colour& colorEmptyLand() const { return colorEmptyLand_; }
  // The placement preview's painted disc (set per frame by the gameplay scene).
  void setColourGroundPreview(bool show, Vec2 unitPosition, const Colour& liftedColour) const;

  // After a save was read: full rebuild, refresh every triangle, finish every fade.
  void finishLoading();
  // New world: full rebuild and every triangle back to empty land at once.
  void resetGround();

  void draw(const Camera& camera, Vec3 sunPos, const Colour& waterColour, const Colour& sunColour,
            const Colour& skyHorizonColour, Vec2 mousePoint, int toolCircleMode, float toolCircleRadius,
            bool underWater) const;

  // Save record: "67", then 4624 "%f" heights, j outer, i inner; every line ends with "\n".
  std::string writeSaveRecord() const;
  void writeSaveRecord(std::ostream& out) const;
  // The lines between "*****Terrain Start*****" and "*****Unit Instances Start*****".
  // A wrong size line logs and keeps the heights; a malformed number throws
  // textio::ParseError after storing the values before it. Call finishLoading() afterwards.
  void readSaveRecord(const std::vector<std::string>& lines);

  // Read access for tools, tests and diagnostics.
  float height(int i, int j) const { return heights_[i][j]; }
  float jitter(int i, int j) const { return jitter_[i][j]; }
  float minHeight(int i, int j) const { return jitter_[i][j] + kFloorBelowJitter; }
  float maxHeight(int i, int j) const { return jitter_[i][j] + kCeilingAboveJitter; }
  static float vertexX(int i) { return kOrigin + kSpacing * static_cast<float>(i); }
  static float vertexY(int i, int j) { return kOrigin + kSpacing * (static_cast<float>(j) + 0.5f * static_cast<float>(i & 1)); }
  Vec3 vertex(int i, int j) const { return {vertexX(i), vertexY(i, j), heights_[i][j]}; }
  const TerrainTriangle& triangle(int i, int j, int k) const { return triangles_[(j * kCellsPerSide + i) * 2 + k]; }
  const std::vector<TerrainTriangle*>& fadingTriangles() const { return fading_; }
  // The CPU copy of the vertex buffer (always complete, with or without GL).
  const float* vertexData() const { return vertices_.get(); }
  // Colours and flags live in a buffer of their own (4 floats per vertex, in
  // vertex order) so a fading triangle rewrites 16 bytes per vertex, not 40; the
  // colour fields of the vertex buffer are not read when drawing.
  uint32_t colourBuffer() const { return colourBuffer_; }
  static int cellFirstVertex(int i, int j) { return 6 * (kCellsPerSide * j + i); }
  // Which triangle lies under a point: cell (i, j) and k, with clamped indices.
  static void locate(float x, float y, int& i, int& j, int& k);
  // The three corners of a triangle in the order of the mesh description.
  void corners(int i, int j, int k, Vec3 out[3]) const;

 private:
  float heights_[kVerticesPerSide][kVerticesPerSide];
  float jitter_[kVerticesPerSide][kVerticesPerSide];
  std::vector<TerrainTriangle> triangles_;     // 67 * 67 * 2, cell-major (row, column, k)
  std::vector<TerrainTriangle*> fading_;       // capacity reserved for every triangle
  std::vector<uint8_t> inFadeList_;            // membership flags, so adding is O(1)
  std::unique_ptr<float[]> vertices_;          // kVertexCount * kFloatsPerVertex
  std::vector<uint8_t> cellTouched_;           // reshape scratch: cells around changed vertices
  int dirtyMin_[kCellsPerSide];                // per cell row, the first and last cell to upload
  int dirtyMax_[kCellsPerSide];
  std::unique_ptr<float[]> colours_;           // kVertexCount * 4: rgb and the empty-land flag
  std::vector<uint32_t> colourDirty_;          // triangles whose colour changed since the last upload
  std::vector<uint8_t> colourDirtyFlag_;
  uint32_t colourBuffer_ = 0;
  Colour colorEmptyLand_{1.0f, 1.0f, 1.0f, 1.0f};
  const GroundPainters* painters_ = nullptr;
  HeightRecorder* recorder_ = nullptr;

  TerrainTriangle& tri(int i, int j, int k) { return triangles_[(j * kCellsPerSide + i) * 2 + k]; }
  Vec3 planeNormal(int i, int j, int k) const;
  void rebuildCell(int i, int j);
  void rebuildGeometryAll();
  void writeTriangleColour(const TerrainTriangle& t);
  void markDirty(int i, int j);
  void uploadDirty();
  void uploadColours();
  template <typename Change>
  void reshapeImpl(Vec2 centre, float radius, const Change& change);
  void setFixedUniforms() const;
};

}  // namespace qv
