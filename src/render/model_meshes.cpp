// Turning a parsed model into what the GPU draws: triangle order tuned for the
// vertex cache, simplified levels of detail for distant copies, and the buffers.
#include <meshoptimizer.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/gl.hpp"
#include "render/model3d.hpp"
#include "render/model_batch.hpp"

namespace qv {
namespace {

constexpr size_t kFloatsPerVertex = 9;

// Share of the triangles levels 1 and 2 keep. Each level records the surface error it
// ended up with, and the batcher uses a level only once that error shrinks below a
// pixel on screen, so these steer how soon a level can be used, not how a unit looks.
// (The shipped models are already coarse primitives: an error bound alone barely
// removes a triangle until the error is a good part of a limb.)
constexpr float kLevelShare[kModelLods] = {1.0f, 0.5f, 0.2f, 0.0f};
// The last level aims at a few dozen triangles for the whole model.
constexpr size_t kFewestTriangles = 40;

// See ModelMeshes::closed. Positions are welded by exact value: the parts of a model
// share the corners where they meet, written out the same way.
bool isClosedOutward(const ObjMesh& mesh) {
  struct Corner {
    float x, y, z;
    uint32_t index;  // running over all parts
  };
  std::vector<Corner> corners;
  std::vector<uint32_t> firstOfPart(kModelPartCount + 1, 0);
  for (int p = 0; p < kModelPartCount; ++p) {
    const std::vector<float>& v = mesh.vertices[p];
    firstOfPart[p] = static_cast<uint32_t>(corners.size());
    for (size_t i = 0; i + 2 < v.size(); i += kFloatsPerVertex)
      corners.push_back({v[i], v[i + 1], v[i + 2], static_cast<uint32_t>(corners.size())});
  }
  firstOfPart[kModelPartCount] = static_cast<uint32_t>(corners.size());
  if (corners.empty()) return false;
  std::vector<uint32_t> weld(corners.size());
  std::sort(corners.begin(), corners.end(), [](const Corner& a, const Corner& b) {
    return a.x != b.x ? a.x < b.x : a.y != b.y ? a.y < b.y : a.z < b.z;
  });
  uint32_t id = 0;
  for (size_t i = 0; i < corners.size(); ++i) {
    if (i > 0 && (corners[i].x != corners[i - 1].x || corners[i].y != corners[i - 1].y ||
                  corners[i].z != corners[i - 1].z))
      ++id;
    weld[corners[i].index] = id;
  }

  std::vector<uint64_t> edges;
  double volume = 0.0;
  for (int p = 0; p < kModelPartCount; ++p) {
    const std::vector<float>& v = mesh.vertices[p];
    const std::vector<uint32_t>& idx = mesh.indices[p];
    for (size_t t = 0; t + 2 < idx.size(); t += 3) {
      uint32_t w[3];
      for (int k = 0; k < 3; ++k) w[k] = weld[firstOfPart[p] + idx[t + k]];
      for (int k = 0; k < 3; ++k) edges.push_back(uint64_t{w[k]} << 32 | w[(k + 1) % 3]);
      const float* a = &v[idx[t] * kFloatsPerVertex];
      const float* b = &v[idx[t + 1] * kFloatsPerVertex];
      const float* c = &v[idx[t + 2] * kFloatsPerVertex];
      volume += double{a[0]} * (double{b[1]} * c[2] - double{b[2]} * c[1]) -
                double{a[1]} * (double{b[0]} * c[2] - double{b[2]} * c[0]) +
                double{a[2]} * (double{b[0]} * c[1] - double{b[1]} * c[0]);
    }
  }
  if (edges.empty() || !(volume > 0.0)) return false;
  std::sort(edges.begin(), edges.end());
  for (size_t i = 0; i < edges.size();) {
    size_t j = i;
    while (j < edges.size() && edges[j] == edges[i]) ++j;
    const uint64_t back = (edges[i] << 32) | (edges[i] >> 32);
    const auto range = std::equal_range(edges.begin(), edges.end(), back);
    if (static_cast<size_t>(range.second - range.first) != j - i) return false;
    i = j;
  }
  return true;
}

void createInstancedArray(uint32_t vertexBuffer, uint32_t elementBuffer, uint32_t& out) {
  GLuint vao = 0;
  glGenVertexArrays(1, &vao);
  glBindVertexArray(vao);
  glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
  const GLsizei stride = static_cast<GLsizei>(kFloatsPerVertex * sizeof(float));
  for (GLuint a = 0; a < 3; ++a) {
    glVertexAttribPointer(a, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(uintptr_t{a} * 3 * sizeof(float)));
    glEnableVertexAttribArray(a);
  }
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, elementBuffer);
  for (GLuint a = ModelBatch::kFirstInstanceAttribute; a < ModelBatch::kFirstInstanceAttribute + ModelBatch::kInstanceAttributes;
       ++a) {
    glEnableVertexAttribArray(a);
    glVertexAttribDivisor(a, 1);
  }
  glBindVertexArray(0);
  registerBuffers(vao, 0, 0);
  out = vao;
}

}  // namespace

void prepareModelMeshes(ObjMesh& mesh, ModelMeshes& out, PartLevels& levels) {
  const int32_t keepId = out.id;
  out = ModelMeshes{};
  out.id = keepId;

  float partScale[kModelPartCount] = {};
  size_t totalTriangles = 0;
  for (int p = 0; p < kModelPartCount; ++p) {
    const std::vector<float>& v = mesh.vertices[p];
    if (v.empty() || mesh.indices[p].empty()) continue;
    for (size_t i = 0; i < v.size(); i += kFloatsPerVertex)
      out.boundRadius = std::max(out.boundRadius, std::sqrt(v[i] * v[i] + v[i + 1] * v[i + 1] + v[i + 2] * v[i + 2]));
    partScale[p] = meshopt_simplifyScale(v.data(), v.size() / kFloatsPerVertex, kFloatsPerVertex * sizeof(float));
    totalTriangles += mesh.indices[p].size() / 3;
  }

  out.closed = isClosedOutward(mesh);

  for (auto& l : levels) l.clear();
  std::vector<uint32_t> scratch, shadow, groupStart, groupMembers;
  out.lodCount = kModelLods;
  for (int p = 0; p < kModelPartCount; ++p) {
    const std::vector<float>& v = mesh.vertices[p];
    std::vector<uint32_t>& idx = mesh.indices[p];
    if (v.empty() || idx.empty()) continue;
    const size_t vertexCount = v.size() / kFloatsPerVertex;
    const size_t stride = kFloatsPerVertex * sizeof(float);
    out.vertexCount[p] = static_cast<int32_t>(vertexCount);
    // Level 0 keeps every triangle, only in an order the vertex cache likes.
    meshopt_optimizeVertexCache(idx.data(), idx.data(), idx.size(), vertexCount);
    std::vector<uint32_t>& all = levels[p];
    all = idx;
    out.lodFirst[p][0] = 0;
    out.lodIndexCount[p][0] = static_cast<int32_t>(idx.size());

    // Flat-lit faces split every corner into one vertex per face normal; welded by
    // position alone the surface is one piece the simplifier can fold. The corners of
    // a simplified triangle then take, among the vertices at their position, the one
    // whose normal is closest to the new face's, so flat faces keep their exact light.
    shadow.resize(idx.size());
    meshopt_generateShadowIndexBuffer(shadow.data(), idx.data(), idx.size(), v.data(), vertexCount,
                                      3 * sizeof(float), stride);
    groupStart.assign(vertexCount + 1, 0);
    for (size_t k = 0; k < idx.size(); ++k)
      if (idx[k] != shadow[k]) ++groupStart[shadow[k] + 1];
    for (size_t r = 0; r < vertexCount; ++r) groupStart[r + 1] += groupStart[r] + 1;  // +1: the representative
    groupMembers.assign(groupStart[vertexCount], UINT32_MAX);
    for (size_t r = 0; r < vertexCount; ++r) groupMembers[groupStart[r]] = static_cast<uint32_t>(r);
    {
      std::vector<uint32_t> fill(vertexCount, 1);
      for (size_t k = 0; k < idx.size(); ++k) {
        const uint32_t r = shadow[k], m = idx[k];
        if (r == m) continue;
        bool seen = false;
        for (uint32_t q = groupStart[r]; q < groupStart[r] + fill[r]; ++q) seen = seen || groupMembers[q] == m;
        if (!seen) groupMembers[groupStart[r] + fill[r]++] = m;
      }
    }
    auto normalOf = [&](uint32_t vi) {
      const float* q = &v[vi * kFloatsPerVertex + 3];
      return Vec3{q[0], q[1], q[2]};
    };
    auto positionOf = [&](uint32_t vi) {
      const float* q = &v[vi * kFloatsPerVertex];
      return Vec3{q[0], q[1], q[2]};
    };

    // This part's share of the few dozen triangles the coarsest level aims at.
    const size_t fewest =
        3 * std::max<size_t>(2, kFewestTriangles * (idx.size() / 3) / std::max<size_t>(totalTriangles, 1));
    scratch.resize(idx.size());
    for (int lod = 1; lod < kModelLods; ++lod) {
      const size_t share = static_cast<size_t>(static_cast<float>(idx.size() / 3) * kLevelShare[lod]) * 3;
      const size_t targetCount = std::min(idx.size(), lod == kModelLods - 1 ? fewest : std::max(share, fewest));
      float err = 0.0f;
      size_t n = meshopt_simplify(scratch.data(), shadow.data(), shadow.size(), v.data(), vertexCount, stride,
                                  targetCount, 1.0f, 0, &err);
      // Where folding edges gets nowhere (small closed primitives, sharp creases),
      // clustering nearby vertices still does; it may tear the surface a little,
      // which the recorded error accounts for.
      if (n > targetCount + targetCount / 4) {
        n = meshopt_simplifySloppy(scratch.data(), shadow.data(), shadow.size(), v.data(), vertexCount, stride,
                                   targetCount, 1.0f, &err);
      }
      const int32_t prevCount = out.lodIndexCount[p][lod - 1];
      if (n == 0 || static_cast<int32_t>(n) >= prevCount) {
        // Nothing gained: this level repeats the previous one.
        out.lodFirst[p][lod] = out.lodFirst[p][lod - 1];
        out.lodIndexCount[p][lod] = prevCount;
        continue;
      }
      for (size_t t = 0; t + 2 < n; t += 3) {
        const Vec3 a = positionOf(scratch[t]), b = positionOf(scratch[t + 1]), c = positionOf(scratch[t + 2]);
        const Vec3 face = cross(b - a, c - a);
        for (size_t k = t; k < t + 3; ++k) {
          const uint32_t r = scratch[k];
          uint32_t best = r;
          float bestDot = -1e30f;
          for (uint32_t q = groupStart[r]; q < groupStart[r + 1] && groupMembers[q] != UINT32_MAX; ++q) {
            const float d = dot(normalOf(groupMembers[q]), face);
            if (d > bestDot) {
              bestDot = d;
              best = groupMembers[q];
            }
          }
          scratch[k] = best;
        }
      }
      meshopt_optimizeVertexCache(scratch.data(), scratch.data(), n, vertexCount);
      out.lodFirst[p][lod] = static_cast<int32_t>(all.size());
      out.lodIndexCount[p][lod] = static_cast<int32_t>(n);
      all.insert(all.end(), scratch.begin(), scratch.begin() + static_cast<std::ptrdiff_t>(n));
      out.lodError[lod] = std::max(out.lodError[lod], err * partScale[p]);
    }
    // Headless the index count is still recorded so callers can tell which parts exist.
    out.indexCount[p] = out.lodIndexCount[p][0];
  }
  // A level is never more exact than the one before it.
  for (int lod = 1; lod < kModelLods; ++lod) out.lodError[lod] = std::max(out.lodError[lod], out.lodError[lod - 1]);
}

void uploadModelMeshes(const ObjMesh& mesh, const PartLevels& levels, ModelMeshes& out) {
  if (!gl::contextReady()) return;
  for (int p = 0; p < kModelPartCount; ++p) {
    if (levels[p].empty()) continue;
    Loader part;
    const std::vector<float>& v = mesh.vertices[p];
    uploadStaticMesh(part, v.data(), v.size(), levels[p].data(), levels[p].size(), {3, 3, 3});
    out.vertexArray[p] = part.vertexArray;
    if (part.vertexArray) createInstancedArray(part.vertexBuffer, part.elementBuffer, out.instancedArray[p]);
  }
}

void buildModelMeshes(ObjMesh& mesh, ModelMeshes& out) {
  PartLevels levels;
  prepareModelMeshes(mesh, out, levels);
  uploadModelMeshes(mesh, levels, out);
}

}  // namespace qv
