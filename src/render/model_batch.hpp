#pragma once
#include <cstdint>
#include <vector>

#include "core/colour.hpp"
#include "core/vecmath.hpp"
#include "render/model3d.hpp"

namespace qv {

// Draws many copies of models in a few instanced draws: copies are queued during a
// frame (culled against the view and given a detail level as they come), then
// flush() uploads one buffer of per-copy data and issues, per model, detail level
// and part, one draw for all its copies. Looks exactly like Model3D::drawModel
// without a HUD offset, copy for copy.
//
// Copies queued as ordered (the translucent ones, fading in or out) are drawn after
// all the others, still grouped by model and level, each group's copies in queue
// order, so they blend over the whole opaque scene.
class ModelBatch {
 public:
  static constexpr uint32_t kFirstInstanceAttribute = 3;
  static constexpr uint32_t kInstanceAttributes = 4;

  // One copy as the vertex stage reads it.
  struct Instance {
    float position[3];
    float scale;  // draw scale x the model's normalised scale
    float primary[3];
    float alpha;
    float secondary[3];
    float flags;  // 1 highlight, 2 fixed part takes the primary colour
    float turn[4];  // cos and sin of the yaw, then of the roll
  };

  struct Stats {
    int drawCalls = 0;
    int instances = 0;
    int culled = 0;
    int64_t triangles = 0;
  };

  ModelBatch() = default;
  ModelBatch(const ModelBatch&) = delete;
  ModelBatch& operator=(const ModelBatch&) = delete;

  // Starts a frame seen from the camera. viewportHeight (pixels) sizes the detail
  // choice; 0 reads it from GL. lod false draws every copy with its full mesh.
  void begin(const CameraPose& camera, float aspect, int viewportHeight, bool lod = true);
  // Queues one copy; false when it is outside the view (or the model has nothing to draw).
  bool add(const Model3D& model, Vec3 position, float yaw, float roll, float drawScale, const Colour& primary,
           const Colour& secondary, bool highlight, float alpha, bool fixedTakesPrimary, bool ordered);
  // Draws everything queued and empties the queue.
  void flush(Vec3 sunPos, const Colour& waterColour, const Colour& sunColour, bool cameraUnderWater);

  const Stats& stats() const { return stats_; }

  // Whether a sphere (world centre and radius) is at least partly inside the view of begin().
  bool sphereVisible(Vec3 centre, float radius) const;
  // The detail level begin()'s view would give a model copy at the position and world scale.
  int levelFor(const ModelMeshes& meshes, Vec3 centre, float worldScale) const;

 private:
  struct Pending {
    uint32_t slot;
    uint16_t level;
    uint16_t ordered;
    Instance instance;
  };
  struct Slot {
    ModelMeshes meshes;
    int32_t id = -1;
  };
  int slotFor(const ModelMeshes& meshes);
  uint32_t groupOf(const Pending& p) const;
  void ensureProgram();
  void ensureCapacity(size_t instances);
  void drawRange(const ModelMeshes& meshes, int lod, size_t first, size_t count);

  CameraPose camera_{};
  float aspect_ = 1.0f;
  bool lod_ = true;
  float pixelsPerUnit_ = 1.0f;  // screen pixels of one world unit at distance 1
  // View rotation rows, so the culling uses the shaders' own transform.
  float cy_ = 1.0f, sy_ = 0.0f, cp_ = 1.0f, sp_ = 0.0f;
  float sideX_ = 1.0f, sideZ_ = 0.0f, topY_ = 1.0f, topZ_ = 0.0f;

  std::vector<Slot> slots_;
  std::vector<Pending> pending_;
  std::vector<uint32_t> groupStart_;
  std::vector<Instance> sorted_;
  Stats stats_;

  uint32_t program_ = 0;
  bool programTried_ = false;
  int32_t partLoc_ = -1, cameraTurnLoc_ = -1, cameraPosLoc_ = -1, sunColorLoc_ = -1,
          sunPosLoc_ = -1, colorWaterLoc_ = -1, underWaterLoc_ = -1;
  uint32_t buffer_ = 0;
  size_t capacity_ = 0;  // instances the buffer holds
};

// "shaderModel3DInstanced".
extern const ShaderSources kShaderModel3DInstanced;

}  // namespace qv
