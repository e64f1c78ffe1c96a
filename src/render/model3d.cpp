#include "render/model3d.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/log.hpp"
#include "core/prefetch.hpp"
#include "platform/platform.hpp"
#include "render/gl.hpp"
#include "render/palette.hpp"

namespace qv {
namespace {

struct CacheEntry {
  std::string fileName;
  ModelMeshes meshes;
  float radiusMax, heightMax, scaleNormalised, reachFront;
};

std::vector<CacheEntry>& cache() {
  static std::vector<CacheEntry> c;
  return c;
}

// Never reused, not even after the cache is cleared: batchers may still hold an id.
int32_t& nextModelId() {
  static int32_t id = 0;
  return id;
}

// Uniform locations, looked up once per program instead of by name on every draw:
// hundreds of units are drawn each frame.
struct ModelUniforms {
  GLuint program = 0;
  GLint scale, colorModify, forceColorModify, modelPos, modelYaw, modelRoll, cameraYaw, cameraPitch, cameraPos,
      sunColor, sunPos, hudOffset, colorWater, underWater;
};
const ModelUniforms& uniformsFor(GLuint program) {
  static ModelUniforms u;
  if (u.program == program) return u;
  u.program = program;
  auto loc = [program](const char* name) { return glGetUniformLocation(program, name); };
  u.scale = loc("scale");
  u.colorModify = loc("colorModify");
  u.forceColorModify = loc("forceColorModify");
  u.modelPos = loc("modelPos");
  u.modelYaw = loc("modelYawAngleRad");
  u.modelRoll = loc("modelRollAngleRad");
  u.cameraYaw = loc("cameraYaw");
  u.cameraPitch = loc("cameraPitch");
  u.cameraPos = loc("cameraPos");
  u.sunColor = loc("sunColor");
  u.sunPos = loc("sunPos");
  u.hudOffset = loc("posOffsetForHud");
  u.colorWater = loc("colorWater");
  u.underWater = loc("underWater");
  return u;
}

// --- Number parsing the way the standard conversions read a token: leading blanks,
// an optional sign, the number, anything after it ignored. Nothing allocates.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::string_view skipToNumber(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && isBlank(s[i])) ++i;
  s.remove_prefix(i);
  // from_chars takes '-' but not '+'; "+-1" stays invalid.
  if (s.size() > 1 && s[0] == '+' && s[1] != '-' && s[1] != '+') s.remove_prefix(1);
  return s;
}

bool parseFloat(std::string_view s, float& out) {
  s = skipToNumber(s);
  if (s.empty()) return false;
  float v = 0.0f;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  if (ec != std::errc() || !std::isfinite(v)) return false;
  out = v;
  return true;
}

bool parseInt(std::string_view s, long long& out) {
  s = skipToNumber(s);
  if (s.empty()) return false;
  long long v = 0;
  const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || v < INT32_MIN || v > INT32_MAX) return false;
  out = v;
  return true;
}

// A line is cut at single spaces into exactly four tokens; when the line runs out
// the cut starts over from its beginning, so short lines repeat their first tokens.
void splitFour(std::string_view line, std::string_view (&tok)[4]) {
  size_t pos = 0;
  for (auto& t : tok) {
    const size_t end = line.find(' ', pos);
    if (end == std::string_view::npos) {
      t = line.substr(pos);
      pos = 0;
    } else {
      t = line.substr(pos, end - pos);
      pos = end + 1;
    }
  }
}

bool readWholeFile(const std::string& path, std::string& out) {
  // A folder opens too, and then reports a size of 2^63 - 1.
  if (platform::isFolder(path)) return false;
  FILE* f = platform::openFile(path, "rb");
  if (!f) return false;
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fseek(f, 0, SEEK_SET);
  if (size < 0 || static_cast<unsigned long>(size) >= out.max_size()) {
    std::fclose(f);
    return false;
  }
  out.resize(static_cast<size_t>(size));
  const size_t got = size > 0 ? std::fread(out.data(), 1, out.size(), f) : 0;
  std::fclose(f);
  out.resize(got);
  return true;
}

}  // namespace

float normalisedModelScale(float radiusMax, float heightMax, float footprintArea) {
  if (radiusMax <= 0.0f || heightMax <= 0.0f || footprintArea <= 0.0f) return 1.0f;
  // The footprint should cover a disc of radius 0.02 * 4.88; the height should be 0.25.
  const float sArea = std::sqrt(0.02f * 0.02f * kPi / footprintArea) * 4.88f;
  const float sHeight = 0.25f / heightMax;
  float base, k;
  if (heightMax <= radiusMax) {
    base = sArea;
    k = sArea / sHeight;
  } else {
    base = sHeight;
    k = (sHeight / sArea) * (sHeight / sArea);
  }
  if (!(k > 0.0f)) return 1.0f;
  return base * std::min(1.5f, std::cbrt(1.0f / k));
}

Model3D::Model3D(std::string fileName) : fileName_(std::move(fileName)) {
  createShaderProgram(*this, kShaderModel3D);
  if (gl::contextReady() && shaderProgram) {
    glUseProgram(shaderProgram);
    gl::uniform1i(shaderProgram, "forceColorModify", 0);
    gl::uniform1f(shaderProgram, "underWaterHeightColorStart", 0.0f);
    gl::uniform1f(shaderProgram, "underWaterHeightColorEnd", 0.65f);
  }
  loadObj();
}

bool Model3D::hasGeometry() const {
  for (int p = 0; p < kModelPartCount; ++p)
    if (meshes_.indexCount[p] > 0 || meshes_.vertexCount[p] > 0) return true;
  return false;
}

void Model3D::loadObj() {
  // Loading again starts from an empty model, so nothing of an earlier file lingers.
  meshes_ = ModelMeshes{};
  scaleNormalised_ = 1.0f;
  footprintArea_ = radiusMax_ = heightMax_ = reachFront_ = 0.0f;
  for (const CacheEntry& e : cache()) {
    if (e.fileName != fileName_) continue;
    meshes_ = e.meshes;
    radiusMax_ = e.radiusMax;
    heightMax_ = e.heightMax;
    scaleNormalised_ = e.scaleNormalised;
    reachFront_ = e.reachFront;
    footprintArea_ = 0.0f;
    return;
  }
  if (fileName_.empty()) {
    logLine("ERROR: Tried to load a model with no filename");
    return;
  }
  if (!readFile(platform::dataPath("Models", fileName_))) return;
  meshes_.id = nextModelId()++;
  cache().push_back({fileName_, meshes_, radiusMax_, heightMax_, scaleNormalised_, reachFront_});
  logLine("Model loaded correctly name = \"", fileName_, "\"");
}

bool parseObj(std::string_view all, ObjMesh& out, int& errorLine, std::string& errorText) {
  out = ObjMesh{};
  std::vector<Vec3> positions;
  std::vector<Vec3> normals;
  positions.reserve(all.size() / 64);
  normals.reserve(all.size() / 64);
  std::unordered_map<uint64_t, uint32_t> seen[kModelPartCount];  // (position, normal) -> vertex index
  std::array<float, 360> footprint{};
  float radiusMax = 0.0f, heightMax = 0.0f;
  int part = static_cast<int>(ModelPart::Primary);
  Colour colour{1.0f, 1.0f, 1.0f, 1.0f};

  size_t lineStart = 0;
  int lineNumber = 0;
  std::string_view tok[4];
  auto fail = [&](std::string_view what) {
    errorLine = lineNumber;
    errorText.assign(what);
    return false;
  };

  while (lineStart < all.size()) {
    size_t lineEnd = all.find('\n', lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = all.size();
    std::string_view line = all.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 1;
    ++lineNumber;
    if (lineNumber <= 3) continue;  // the exporter's header lines
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    splitFour(line, tok);

    if (tok[0] == "v") {
      Vec3 p;
      for (int i = 0; i < 3; ++i)
        if (!parseFloat(tok[i + 1], p[i])) return fail(tok[i + 1]);
      positions.push_back(p);
      const float r = std::sqrt(p.x * p.x + p.y * p.y);
      radiusMax = std::max(radiusMax, r);
      heightMax = std::max(heightMax, p.z);
      float a = std::atan2(p.y, p.x);
      if (a < 0.0f) a += 2.0f * kPi;
      const int bin = static_cast<int>(a / (2.0f * kPi) * 360.0f);
      if (bin >= 0 && bin < 360) footprint[bin] = std::max(footprint[bin], r);
    } else if (tok[0] == "vn") {
      Vec3 n;
      for (int i = 0; i < 3; ++i)
        if (!parseFloat(tok[i + 1], n[i])) return fail(tok[i + 1]);
      normals.push_back(n);
    } else if (tok[0] == "usemtl") {
      if (tok[1] == "Primary") {
        part = static_cast<int>(ModelPart::Primary);
        colour = {1.0f, 1.0f, 1.0f, 1.0f};
      } else if (tok[1] == "Secondary") {
        part = static_cast<int>(ModelPart::Secondary);
        colour = {1.0f, 1.0f, 1.0f, 1.0f};
      } else {
        // Unknown names keep the colour in force: authors can name a material
        // after what it is ("Eye") and still get the last palette colour.
        part = static_cast<int>(ModelPart::Fixed);
        if (const Colour* c = paletteColour(tok[1])) colour = *c;
      }
    } else if (tok[0] == "f") {
      // Corners are "position//normal", 1-based; a fourth corner is dropped.
      long long p[3], n[3];
      bool inRange = true;
      for (int i = 0; i < 3; ++i) {
        const std::string_view corner = tok[i + 1];
        const size_t sep = corner.find("//");
        if (sep == std::string_view::npos) return fail(corner);
        if (!parseInt(corner.substr(0, sep), p[i]) || !parseInt(corner.substr(sep + 2), n[i])) return fail(corner);
        --p[i];
        --n[i];
        inRange = inRange && p[i] >= 0 && n[i] >= 0 && p[i] < static_cast<long long>(positions.size()) &&
                  n[i] < static_cast<long long>(normals.size());
      }
      // A face with a corner outside the lists read so far is left out whole:
      // keeping its other corners would shift every later triangle.
      if (!inRange) continue;
      std::vector<float>& verts = out.vertices[part];
      std::vector<uint32_t>& idx = out.indices[part];
      for (int i = 0; i < 3; ++i) {
        const uint64_t key = (static_cast<uint64_t>(p[i]) << 32) | static_cast<uint64_t>(n[i]);
        // The colour is not part of the key: a corner reused under a later material keeps its first colour.
        const auto [it, inserted] = seen[part].try_emplace(key, static_cast<uint32_t>(verts.size() / 9));
        if (inserted) {
          const Vec3 pos = positions[static_cast<size_t>(p[i])];
          const Vec3 nor = normals[static_cast<size_t>(n[i])];
          verts.insert(verts.end(), {pos.x, pos.y, pos.z, nor.x, nor.y, nor.z, colour.r, colour.g, colour.b});
        }
        idx.push_back(it->second);
      }
    }
  }

  // The footprint outline: one point per occupied one-degree bin, at the bin's centre
  // angle; the fan area between consecutive points, without the closing pair.
  float reach = 0.0f, area = 0.0f;
  bool first = true;
  float px = 0.0f, py = 0.0f;
  for (int bin = 0; bin < 360; ++bin) {
    const float r = footprint[bin];
    if (!(r > 0.0f)) continue;
    const float a = (static_cast<float>(bin) + 0.5f) * kPi / 180.0f;
    const float x = std::cos(a) * r, y = std::sin(a) * r;
    if (first) {
      reach = x;
      first = false;
    } else {
      reach = std::max(reach, x);
      area += std::fabs(px * y - py * x) * 0.5f;
    }
    px = x;
    py = y;
  }
  out.radiusMax = radiusMax;
  out.heightMax = heightMax;
  out.reachFront = reach;
  out.footprintArea = area;
  return true;
}

bool objHasTriangles(const ObjMesh& mesh) {
  for (const std::vector<uint32_t>& idx : mesh.indices)
    if (!idx.empty()) return true;
  return false;
}

PreparedModel prepareModel(const std::string& path) {
  PreparedModel m;
  std::string text;
  if (!readWholeFile(path, text)) return m;
  if (!parseObj(text, m.mesh, m.errorLine, m.errorText)) {
    m.outcome = PreparedModel::Outcome::kBadNumber;
    return m;
  }
  if (!objHasTriangles(m.mesh)) {
    m.outcome = PreparedModel::Outcome::kNoTriangles;
    return m;
  }
  prepareModelMeshes(m.mesh, m.meshes, m.levels);
  m.outcome = PreparedModel::Outcome::kReady;
  return m;
}

namespace {
Prefetch<PreparedModel>& modelPrefetch() {
  static Prefetch<PreparedModel> p([](const std::string& name) { return platform::dataPath("Models", name); },
                                   [](const std::string&, const std::string& file) { return prepareModel(file); });
  return p;
}
}  // namespace

void prefetchModels(const std::vector<std::string>& fileNames) { modelPrefetch().start(fileNames); }

bool Model3D::readFile(const std::string& path) {
  PreparedModel m;
  if (!modelPrefetch().take(fileName_, m)) m = prepareModel(path);
  switch (m.outcome) {
    case PreparedModel::Outcome::kUnreadable:
      logLine("ERROR: Couldn't load the an OBJ model filename = \"", fileName_, "\"");
      return false;
    case PreparedModel::Outcome::kBadNumber:
      logLine("ERROR: Exception thrown while reading the OBJ model filename = \"", fileName_, "\" line ",
              m.errorLine, ": cannot read a number from \"", m.errorText, "\"");
      return false;
    case PreparedModel::Outcome::kNoTriangles:
      // An empty or cut-off file would otherwise pass as a model that is never seen.
      logLine("ERROR: The OBJ model has no triangles filename = \"", fileName_, "\"");
      return false;
    case PreparedModel::Outcome::kReady: break;
  }
  const int32_t id = meshes_.id;
  meshes_ = m.meshes;
  meshes_.id = id;
  uploadModelMeshes(m.mesh, m.levels, meshes_);
  radiusMax_ = m.mesh.radiusMax;
  heightMax_ = m.mesh.heightMax;
  reachFront_ = m.mesh.reachFront;
  footprintArea_ = m.mesh.footprintArea;
  scaleNormalised_ = normalisedModelScale(radiusMax_, heightMax_, footprintArea_);
  return true;
}

void Model3D::drawModel(const CameraPose& camera, Vec3 sunPos, const Colour& waterColour, const Colour& sunColour,
                        Vec3 position, float yaw, float roll, float drawScale, const Colour& primary,
                        const Colour& secondary, bool highlight, Vec2 hudOffset, float alpha, bool fixedTakesPrimary,
                        bool cameraUnderWater) const {
  if (!gl::contextReady() || shaderProgram == 0) return;
  bool any = false;
  for (int p = 0; p < kModelPartCount; ++p) any = any || (meshes_.vertexArray[p] != 0 && meshes_.indexCount[p] > 0);
  if (!any) return;

  const ModelUniforms& u = uniformsFor(shaderProgram);
  glUseProgram(shaderProgram);
  glUniform1f(u.scale, drawScale * scaleNormalised_);
  glUniform3f(u.modelPos, position.x, position.y, position.z);
  glUniform1f(u.modelYaw, yaw);
  glUniform1f(u.modelRoll, roll);
  glUniform1f(u.cameraYaw, static_cast<float>(camera.yaw));
  glUniform1f(u.cameraPitch, static_cast<float>(camera.pitch));
  glUniform3f(u.cameraPos, camera.position.x, camera.position.y, camera.position.z);
  glUniform3f(u.sunColor, sunColour.r, sunColour.g, sunColour.b);
  glUniform3f(u.sunPos, sunPos.x, sunPos.y, sunPos.z);
  glUniform2f(u.hudOffset, hudOffset.x, hudOffset.y);
  glUniform3f(u.colorWater, waterColour.r, waterColour.g, waterColour.b);
  glUniform1i(u.underWater, cameraUnderWater ? 1 : 0);
  glEnable(GL_DEPTH_TEST);

  for (int p = 0; p < kModelPartCount; ++p) {
    if (meshes_.vertexArray[p] == 0 || meshes_.indexCount[p] <= 0) continue;
    glBindVertexArray(meshes_.vertexArray[p]);
    Colour c{1.0f, 1.0f, 1.0f, 1.0f};
    bool force = false;
    if (highlight) {
      c = {0.6f, 0.0f, 0.0f, 1.0f};
    } else if (p == static_cast<int>(ModelPart::Primary)) {
      c = primary;
    } else if (p == static_cast<int>(ModelPart::Secondary)) {
      c = secondary;
    } else if (fixedTakesPrimary) {
      force = true;
      c = primary;
    }
    glUniform4f(u.colorModify, c.r, c.g, c.b, alpha);
    glUniform1i(u.forceColorModify, force ? 1 : 0);
    glDrawElements(GL_TRIANGLES, meshes_.indexCount[p], GL_UNSIGNED_INT, nullptr);
    if (force) glUniform1i(u.forceColorModify, 0);
  }
  glBindVertexArray(0);
  glDisable(GL_DEPTH_TEST);
}

int modelCacheSize() { return static_cast<int>(cache().size()); }

bool modelCached(std::string_view fileName) {
  for (const CacheEntry& e : cache())
    if (e.fileName == fileName) return true;
  return false;
}

void clearModelCache() { cache().clear(); }

}  // namespace qv
