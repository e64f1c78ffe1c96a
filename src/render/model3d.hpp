#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/colour.hpp"
#include "core/vecmath.hpp"
#include "render/gpu_resources.hpp"
#include "render/loader.hpp"

namespace qv {

// What a model draw needs to know about the camera. render/ cannot see the
// world's Camera, so callers pass its three fields: {camera.yaw, camera.pitch, camera.position}.
struct CameraPose {
  double yaw = 0.0;
  double pitch = 0.0;
  Vec3 position{};
};

// The three colourable parts of a model, in draw order.
enum class ModelPart : int { Primary = 0, Secondary = 1, Fixed = 2 };
inline constexpr int kModelPartCount = 3;

// Detail levels kept per model: the full mesh and up to three simplified ones.
inline constexpr int kModelLods = 4;

// Everything a model file yields that later models of the same name reuse.
struct ModelMeshes {
  uint32_t vertexArray[kModelPartCount] = {0, 0, 0};
  int32_t indexCount[kModelPartCount] = {0, 0, 0};
  // CPU-side counts, known with or without a GL context (tests, diagnostics).
  int32_t vertexCount[kModelPartCount] = {0, 0, 0};

  // Instanced drawing: a second vertex array per part over the same vertices and
  // indices, with the per-copy attributes enabled (ModelBatch points them each draw).
  uint32_t instancedArray[kModelPartCount] = {0, 0, 0};
  // Each part's element buffer holds its detail levels one after the other; level 0
  // is the full mesh (what vertexArray draws). A level a part could not simplify
  // repeats the previous one.
  int32_t lodCount = 1;
  int32_t lodFirst[kModelPartCount][kModelLods] = {};
  int32_t lodIndexCount[kModelPartCount][kModelLods] = {};
  // Largest distance of a level's surface from the full mesh, model units (0 for level 0).
  float lodError[kModelLods] = {};
  // Radius around the model origin holding every vertex, whatever the turn and roll.
  float boundRadius = 0.0f;
  // The full mesh is a closed surface seen from outside: every edge (vertices welded
  // by position, across parts) is crossed once each way as often as the other, and the
  // enclosed volume is positive. Only then may back faces be skipped unseen.
  bool closed = false;
  // Distinct per loaded file (the batcher groups copies by it); -1 when empty.
  int32_t id = -1;
};

// The 3D shape of a unit or a cloud, read from "Data/Models/<fileName>" (a small
// OBJ subset: positions, normals, "usemtl" with palette names, "p//n" triangles).
// Up is +z, the model faces +x. Measures are in model units; the world size is
// measure * scaleNormalised() * the owner's size.
//
// Each file is read once per run: a process-wide cache keyed by file name hands
// later models the uploaded meshes and measures. GPU objects belong to the buffer
// registry, so copying or destroying a Model3D frees nothing.
class Model3D : public Loader {
 public:
  Model3D() = default;  // empty: nothing drawn, measures 0, scale 1
  explicit Model3D(std::string fileName);

  // Fills the model from the cache or from the file; called by the constructor.
  void loadObj();

  // Draws the three parts (at most three indexed draws). Colours are rgb (alpha ignored);
  // alpha fades the whole model. highlight paints every part in the eraser's red;
  // fixedTakesPrimary paints the fixed-colour part (eyes and the like) in the primary
  // colour too; hudOffset shifts the model on screen by a constant amount whatever its
  // depth (template previews); cameraUnderWater blends far, deep fragments into the water.
  void drawModel(const CameraPose& camera, Vec3 sunPos, const Colour& waterColour, const Colour& sunColour,
                 Vec3 position, float yaw, float roll, float drawScale, const Colour& primary,
                 const Colour& secondary, bool highlight, Vec2 hudOffset, float alpha, bool fixedTakesPrimary,
                 bool cameraUnderWater) const;

  const std::string& fileName() const { return fileName_; }
  // True when at least one part has triangles.
  bool hasGeometry() const;
  float radiusMax() const { return radiusMax_; }
  float heightMax() const { return heightMax_; }
  float reachFront() const { return reachFront_; }
  // Only known on the load that parsed the file; 0 for later models of the same name.
  float footprintArea() const { return footprintArea_; }
  float scaleNormalised() const { return scaleNormalised_; }
  const ModelMeshes& meshes() const { return meshes_; }
  uint32_t program() const { return shaderProgram; }

 private:
  bool readFile(const std::string& path);

  std::string fileName_;
  ModelMeshes meshes_;
  float scaleNormalised_ = 1.0f;
  float footprintArea_ = 0.0f;
  float radiusMax_ = 0.0f;
  float heightMax_ = 0.0f;
  float reachFront_ = 0.0f;
};

// The CPU side of one model file, before upload: per part, 9 floats per vertex
// (position, normal, colour) and triangle indices; and the footprint measures.
struct ObjMesh {
  std::vector<float> vertices[kModelPartCount];
  std::vector<uint32_t> indices[kModelPartCount];
  float radiusMax = 0.0f;
  float heightMax = 0.0f;
  float reachFront = 0.0f;
  float footprintArea = 0.0f;
};

// Parses a whole model file held in memory. On a number that cannot be read it
// returns false with the 1-based line number and the offending text, and out is
// to be discarded.
bool parseObj(std::string_view text, ObjMesh& out, int& errorLine, std::string& errorText);
// A file that parses but yields no triangle (empty, or only positions) is no model.
bool objHasTriangles(const ObjMesh& mesh);

// Each part's element list: its detail levels one after the other.
using PartLevels = std::vector<uint32_t>[kModelPartCount];
// Reorders each part's triangles for the vertex cache and appends its simplified
// levels; CPU only, safe off the main thread. Fills every ModelMeshes field but id
// and the GPU names.
void prepareModelMeshes(ObjMesh& mesh, ModelMeshes& out, PartLevels& levels);
// Uploads the parts when a context exists.
void uploadModelMeshes(const ObjMesh& mesh, const PartLevels& levels, ModelMeshes& out);
// Both of the above.
void buildModelMeshes(ObjMesh& mesh, ModelMeshes& out);

// A model file read, parsed and given its detail levels, ready for the upload.
struct PreparedModel {
  enum class Outcome { kUnreadable, kBadNumber, kNoTriangles, kReady };
  Outcome outcome = Outcome::kUnreadable;
  int errorLine = 0;  // kBadNumber: where, and the text that is no number
  std::string errorText;
  ObjMesh mesh;
  ModelMeshes meshes;
  PartLevels levels;
};
// Does everything of a model's loading but the upload and the log lines; no GL,
// no logging, so it may run on any thread.
PreparedModel prepareModel(const std::string& path);
// Starts preparing the models of these files (in "Data/Models") on a worker thread,
// so the first Model3D of each only uploads. Log lines come when the model is made.
void prefetchModels(const std::vector<std::string>& fileNames);

// Normalised model-to-world scale from the measures: a flat model is scaled by
// its footprint, a tall one by its height, both corrected by a capped cube root.
float normalisedModelScale(float radiusMax, float heightMax, float footprintArea);

// The model cache. Clearing it is for tests and benchmarks (and after the GPU
// resources were freed); the game never removes entries.
int modelCacheSize();
bool modelCached(std::string_view fileName);
void clearModelCache();

// "shaderModel3D".
extern const ShaderSources kShaderModel3D;

}  // namespace qv
