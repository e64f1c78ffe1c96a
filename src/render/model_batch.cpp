#include "render/model_batch.hpp"

#include <algorithm>
#include <cmath>

#include "render/gl.hpp"

namespace qv {
namespace {

// A level is used once its surface error would cover less than this on screen. At
// 0.75 the default view differs from full detail in a few dozen scattered pixels of
// distant units, as at 0.5, and close views not at all; at 1.0 close views change.
constexpr float kMaxErrorPixels = 0.75f;
// tan of half the 45 degree vertical field of view every world stage projects with.
constexpr float kHalfFovTan = 0.41421356237f;

// The per-copy twin of the model stage: the same transform and colour rules, with the
// copy's position, turn, roll, scale, colours and states read from instanced attributes.
const char* const kInstancedVertex = R"(#version 330 core
layout(location = 0) in vec3 posGL;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec3 color;
layout(location = 3) in vec4 instPosScale;
layout(location = 4) in vec4 instPrimaryAlpha;
layout(location = 5) in vec4 instSecondaryFlags;
layout(location = 6) in vec4 instTurn;  // cos and sin of the yaw, then of the roll

uniform int part;
uniform vec4 cameraTurn;  // cos and sin of the camera's yaw, then of its pitch
uniform vec3 cameraPos;
uniform float aspectRatio;
uniform float nearPlane;
uniform float farPlane;

out vec3 vNormal;
out vec4 vColor;
out vec3 vWorldPos;

// The sines and cosines come ready from the CPU: computing them for every vertex of
// thousands of copies is what a software renderer spends most of its time on.
vec3 rollThenYaw(vec3 p) {
  float cr = instTurn.z;
  float sr = instTurn.w;
  vec3 r = vec3(p.x, p.y * cr - p.z * sr, p.y * sr + p.z * cr);
  float cy = instTurn.x;
  float sy = instTurn.y;
  return vec3(r.x * cy - r.y * sy, r.x * sy + r.y * cy, r.z);
}

void main() {
  vec3 world = rollThenYaw(posGL) * instPosScale.w + instPosScale.xyz;
  vec3 p = world - cameraPos;
  float c = cameraTurn.x;
  float s = cameraTurn.y;
  p = vec3(p.x * c - p.y * s, p.x * s + p.y * c, p.z);
  c = cameraTurn.z;
  s = cameraTurn.w;
  p = vec3(p.x, p.y * c - p.z * s, p.y * s + p.z * c);
  const float t = 0.41421356237;  // tan(22.5 degrees)
  gl_Position = vec4(p.x / aspectRatio / t, p.y / t,
                     p.z * (nearPlane + farPlane) / (nearPlane - farPlane) +
                         2.0 * nearPlane * farPlane / (nearPlane - farPlane),
                     -p.z);
  vNormal = rollThenYaw(normal);
  vWorldPos = world;

  int flags = int(instSecondaryFlags.w + 0.5);
  vec3 tint = vec3(1.0);
  bool force = false;
  if ((flags & 1) != 0) {
    tint = vec3(0.6, 0.0, 0.0);
  } else if (part == 0) {
    tint = instPrimaryAlpha.rgb;
  } else if (part == 1) {
    tint = instSecondaryFlags.rgb;
  } else if ((flags & 2) != 0) {
    force = true;
    tint = instPrimaryAlpha.rgb;
  }
  vColor = force ? vec4(tint, instPrimaryAlpha.a) : vec4(color * tint, instPrimaryAlpha.a);
}
)";

}  // namespace

// Only the vertex stage differs: every rule of colour and light is the one-unit program's own.
const ShaderSources kShaderModel3DInstanced = {"shaderModel3DInstanced", kInstancedVertex, "",
                                               kShaderModel3D.fragment};

void ModelBatch::begin(const CameraPose& camera, float aspect, int viewportHeight, bool lod) {
  camera_ = camera;
  aspect_ = aspect > 0.0f ? aspect : 1.0f;
  lod_ = lod;
  if (viewportHeight <= 0 && gl::contextReady()) {
    GLint vp[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, vp);
    viewportHeight = vp[3];
  }
  if (viewportHeight <= 0) viewportHeight = 720;
  pixelsPerUnit_ = 0.5f * static_cast<float>(viewportHeight) / kHalfFovTan;
  const float yaw = static_cast<float>(camera.yaw), pitch = static_cast<float>(camera.pitch);
  cy_ = std::cos(yaw);
  sy_ = std::sin(yaw);
  cp_ = std::cos(pitch);
  sp_ = std::sin(pitch);
  // Unit normals of the side and top planes: x <= -z * a t and y <= -z * t.
  const float a = aspect_ * kHalfFovTan;
  sideX_ = 1.0f / std::sqrt(1.0f + a * a);
  sideZ_ = a * sideX_;
  topY_ = 1.0f / std::sqrt(1.0f + kHalfFovTan * kHalfFovTan);
  topZ_ = kHalfFovTan * topY_;
  pending_.clear();
  stats_ = Stats{};
}

bool ModelBatch::sphereVisible(Vec3 centre, float radius) const {
  const float dx = centre.x - camera_.position.x, dy = centre.y - camera_.position.y,
              dz = centre.z - camera_.position.z;
  const float x = dx * cy_ - dy * sy_;
  const float y1 = dx * sy_ + dy * cy_;
  const float y = y1 * cp_ - dz * sp_;
  const float z = y1 * sp_ + dz * cp_;
  // The view looks along -z.
  if (-z + radius < kNearPlane || -z - radius > kFarPlane) return false;
  if (-x * sideX_ - z * sideZ_ < -radius || x * sideX_ - z * sideZ_ < -radius) return false;
  if (-y * topY_ - z * topZ_ < -radius || y * topY_ - z * topZ_ < -radius) return false;
  return true;
}

int ModelBatch::levelFor(const ModelMeshes& meshes, Vec3 centre, float worldScale) const {
  if (!lod_ || meshes.lodCount <= 1) return 0;
  const float dx = centre.x - camera_.position.x, dy = centre.y - camera_.position.y,
              dz = centre.z - camera_.position.z;
  const float y1 = dx * sy_ + dy * cy_;
  const float depth = -(y1 * sp_ + dz * cp_);
  // The nearest point of the copy sets how large an error can look.
  const float nearest = std::max(depth - meshes.boundRadius * worldScale, kNearPlane);
  const float pixelsPerModelUnit = worldScale * pixelsPerUnit_ / nearest;
  int level = 0;
  for (int l = 1; l < meshes.lodCount; ++l)
    if (meshes.lodError[l] * pixelsPerModelUnit <= kMaxErrorPixels) level = l;
  return level;
}

int ModelBatch::slotFor(const ModelMeshes& meshes) {
  for (size_t i = 0; i < slots_.size(); ++i)
    if (slots_[i].id == meshes.id) return static_cast<int>(i);
  slots_.push_back({meshes, meshes.id});
  groupStart_.resize(2 * slots_.size() * kModelLods + 1);
  return static_cast<int>(slots_.size() - 1);
}

bool ModelBatch::add(const Model3D& model, Vec3 position, float yaw, float roll, float drawScale,
                     const Colour& primary, const Colour& secondary, bool highlight, float alpha,
                     bool fixedTakesPrimary, bool ordered) {
  const ModelMeshes& meshes = model.meshes();
  if (meshes.id < 0 || !model.hasGeometry()) return false;
  const float scale = drawScale * model.scaleNormalised();
  if (!sphereVisible(position, meshes.boundRadius * std::fabs(scale))) {
    ++stats_.culled;
    return false;
  }
  const int slot = slotFor(meshes);
  const int level = levelFor(meshes, position, std::fabs(scale));
  Pending p;
  p.slot = static_cast<uint32_t>(slot);
  p.level = static_cast<uint16_t>(level);
  p.ordered = ordered ? 1 : 0;
  Instance& in = p.instance;
  in.position[0] = position.x;
  in.position[1] = position.y;
  in.position[2] = position.z;
  in.scale = scale;
  in.primary[0] = primary.r;
  in.primary[1] = primary.g;
  in.primary[2] = primary.b;
  in.alpha = alpha;
  in.secondary[0] = secondary.r;
  in.secondary[1] = secondary.g;
  in.secondary[2] = secondary.b;
  in.flags = (highlight ? 1.0f : 0.0f) + (fixedTakesPrimary ? 2.0f : 0.0f);
  in.turn[0] = std::cos(yaw);
  in.turn[1] = std::sin(yaw);
  in.turn[2] = std::cos(roll);
  in.turn[3] = std::sin(roll);
  pending_.push_back(p);
  return true;
}

void ModelBatch::ensureProgram() {
  if (program_ || programTried_) return;
  programTried_ = true;
  Loader l;
  createShaderProgram(l, kShaderModel3DInstanced);
  program_ = l.shaderProgram;
  if (!program_) return;
  glUseProgram(program_);
  gl::uniform1f(program_, "underWaterHeightColorStart", 0.0f);
  gl::uniform1f(program_, "underWaterHeightColorEnd", 0.65f);
  auto loc = [this](const char* name) { return glGetUniformLocation(program_, name); };
  partLoc_ = loc("part");
  cameraTurnLoc_ = loc("cameraTurn");
  cameraPosLoc_ = loc("cameraPos");
  sunColorLoc_ = loc("sunColor");
  sunPosLoc_ = loc("sunPos");
  colorWaterLoc_ = loc("colorWater");
  underWaterLoc_ = loc("underWater");
}

void ModelBatch::ensureCapacity(size_t instances) {
  if (!buffer_) {
    glGenBuffers(1, &buffer_);
    registerBuffers(0, buffer_, 0);
  }
  glBindBuffer(GL_ARRAY_BUFFER, buffer_);
  if (instances > capacity_) capacity_ = std::max(instances, capacity_ * 2);
  // Orphaning: the driver hands out fresh storage while last frame's draws still read the old.
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(capacity_ * sizeof(Instance)), nullptr, GL_STREAM_DRAW);
}

void ModelBatch::drawRange(const ModelMeshes& meshes, int lod, size_t first, size_t count) {
  const GLsizei stride = sizeof(Instance);
  const uintptr_t base = first * sizeof(Instance);
  for (int p = 0; p < kModelPartCount; ++p) {
    const int32_t n = meshes.lodIndexCount[p][lod];
    if (meshes.instancedArray[p] == 0 || n <= 0) continue;
    glBindVertexArray(meshes.instancedArray[p]);
    const GLuint a = kFirstInstanceAttribute;
    glVertexAttribPointer(a, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(base));
    glVertexAttribPointer(a + 1, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(base + 16));
    glVertexAttribPointer(a + 2, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(base + 32));
    glVertexAttribPointer(a + 3, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(base + 48));
    glUniform1i(partLoc_, p);
    glDrawElementsInstanced(GL_TRIANGLES, n, GL_UNSIGNED_INT,
                            reinterpret_cast<void*>(static_cast<uintptr_t>(meshes.lodFirst[p][lod]) * sizeof(uint32_t)),
                            static_cast<GLsizei>(count));
    ++stats_.drawCalls;
    stats_.triangles += static_cast<int64_t>(n / 3) * static_cast<int64_t>(count);
  }
}

uint32_t ModelBatch::groupOf(const Pending& p) const {
  // Opaque groups first, then the translucent ones.
  return static_cast<uint32_t>((p.ordered * slots_.size() + p.slot) * kModelLods + p.level);
}

void ModelBatch::flush(Vec3 sunPos, const Colour& waterColour, const Colour& sunColour, bool cameraUnderWater) {
  const size_t total = pending_.size();
  stats_.instances = static_cast<int>(total);
  if (total == 0 || !gl::contextReady()) {
    pending_.clear();
    return;
  }
  ensureProgram();
  if (!program_) {
    pending_.clear();
    return;
  }

  // Counting sort by (translucent, model, level), stable so queue order holds within a group.
  const size_t groups = 2 * slots_.size() * kModelLods;
  std::fill(groupStart_.begin(), groupStart_.end(), 0u);
  for (const Pending& p : pending_) ++groupStart_[groupOf(p) + 1];
  for (size_t g = 0; g < groups; ++g) groupStart_[g + 1] += groupStart_[g];
  sorted_.resize(total);
  for (const Pending& p : pending_) sorted_[groupStart_[groupOf(p)]++] = p.instance;
  // groupStart_[g] now holds the end of group g.

  ensureCapacity(total);
  glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(total * sizeof(Instance)), sorted_.data());

  glUseProgram(program_);
  glUniform4f(cameraTurnLoc_, cy_, sy_, cp_, sp_);
  glUniform3f(cameraPosLoc_, camera_.position.x, camera_.position.y, camera_.position.z);
  glUniform3f(sunColorLoc_, sunColour.r, sunColour.g, sunColour.b);
  glUniform3f(sunPosLoc_, sunPos.x, sunPos.y, sunPos.z);
  glUniform3f(colorWaterLoc_, waterColour.r, waterColour.g, waterColour.b);
  glUniform1i(underWaterLoc_, cameraUnderWater ? 1 : 0);
  glEnable(GL_DEPTH_TEST);

  // Back faces of a closed model are always hidden behind its front, so opaque copies
  // skip them: a software renderer then rasterises half the triangles. Translucent
  // copies keep them, as their far side shows through.
  bool culling = false;
  const size_t opaqueGroups = slots_.size() * kModelLods;
  uint32_t start = 0;
  for (size_t g = 0; g < groups; ++g) {
    const uint32_t end = groupStart_[g];
    const size_t slot = (g / kModelLods) % slots_.size();
    if (end > start) {
      const ModelMeshes& meshes = slots_[slot].meshes;
      const bool cull = g < opaqueGroups && meshes.closed;
      if (cull != culling) {
        if (cull)
          glEnable(GL_CULL_FACE);
        else
          glDisable(GL_CULL_FACE);
        culling = cull;
      }
      drawRange(meshes, static_cast<int>(g % kModelLods), start, end - start);
    }
    start = end;
  }
  if (culling) glDisable(GL_CULL_FACE);
  glBindVertexArray(0);
  glDisable(GL_DEPTH_TEST);
  pending_.clear();
}

}  // namespace qv
