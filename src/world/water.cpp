#include "world/water.hpp"

#include <cmath>

#include "render/gl.hpp"

namespace qv {
namespace {

// Lifted blue until the world options or a save choose the sea's colour.
constexpr Colour kDefaultWaterColour{0.45f, 0.45f, 1.0f, 1.0f};

constexpr float kEdgeVertices[8 * 3] = {
    85.8f,  85.8f,  0.1875f, 85.8f,  85.8f,  -93.6f,  //
    85.8f,  -85.8f, 0.1875f, 85.8f,  -85.8f, -93.6f,  //
    -85.8f, -85.8f, 0.1875f, -85.8f, -85.8f, -93.6f,  //
    -85.8f, 85.8f,  0.1875f, -85.8f, 85.8f,  -93.6f,
};
constexpr uint32_t kEdgeIndices[WaterSkyEdge::kIndexCount] = {2, 3, 0, 3, 1, 0, 4, 5, 2, 5, 3, 2,
                                                              6, 7, 4, 7, 5, 4, 0, 1, 6, 1, 7, 6};

}  // namespace

float waveHeight(float x, float y, float phase) {
  return (std::sin(phase + x / Water::kSpacing) + std::sin(phase + 2.0f * y / Water::kSpacing)) * 0.5f *
         Water::kWaveHeightMax;
}

std::vector<float> waterSurfaceVertices() {
  std::vector<float> v;
  v.reserve(static_cast<size_t>(Water::kVertexCount) * 3);
  // Odd columns sit half a cell higher, like the terrain's grid.
  auto put = [&v](int i, int j) {
    v.push_back(Water::kOrigin + Water::kSpacing * static_cast<float>(i));
    v.push_back(Water::kOrigin + Water::kSpacing * (static_cast<float>(j) + 0.5f * static_cast<float>(i % 2)));
    v.push_back(0.0f);
  };
  for (int j = 0; j < Water::kCells; ++j) {
    for (int i = 0; i < Water::kCells; ++i) {
      const int ai = i, aj = j, bi = i, bj = j + 1, ci = i + 1, cj = j, di = i + 1, dj = j + 1;
      if (i % 2 == 0) {
        put(bi, bj), put(ci, cj), put(di, dj);
        put(bi, bj), put(ai, aj), put(ci, cj);
      } else {
        put(ci, cj), put(di, dj), put(ai, aj);
        put(di, dj), put(bi, bj), put(ai, aj);
      }
    }
  }
  return v;
}

Water::Water() : Water(kDefaultWaterColour) {}

Water::Water(const Colour& colour) : colour_(colour) {
  createShaderProgram(*this, waterShaderSources());
  if (!gl::contextReady()) return;
  if (shaderProgram) {
    glUseProgram(shaderProgram);
    gl::uniform1f(shaderProgram, "skyHorizonStart", kHorizonStart);
    gl::uniform1f(shaderProgram, "skyHorizonEnd", kHorizonEnd);
    gl::uniform1f(shaderProgram, "waterHeightMax", kWaveHeightMax);
    gl::uniform3f(shaderProgram, "colorWater", colour_.r, colour_.g, colour_.b);
  }
  const std::vector<float> verts = waterSurfaceVertices();
  uploadStaticMesh(*this, verts.data(), verts.size(), nullptr, 0, {3});
}

void Water::draw(const Camera& camera, Vec3 sunPos, const Colour& sunColour, const Colour& skyHorizonColour,
                 float phase, bool showEraser, Vec2 eraserCentre, float eraserRadius, bool underWater) const {
  if (!gl::contextReady() || shaderProgram == 0 || vertexArray == 0) return;
  const GLuint p = shaderProgram;
  glUseProgram(p);
  glBindVertexArray(vertexArray);
  gl::uniform1f(p, "timeOffset", phase);
  gl::uniform1f(p, "spacing", kSpacing);
  camera.applyUniforms(p);
  gl::uniform3f(p, "colorSun", sunColour.r, sunColour.g, sunColour.b);
  gl::uniform3f(p, "sunPos", sunPos);
  gl::uniform3f(p, "skyHorizonColor", skyHorizonColour.r, skyHorizonColour.g, skyHorizonColour.b);
  gl::uniform1i(p, "showEraser", showEraser ? 1 : 0);
  gl::uniform2f(p, "posErase", eraserCentre.x, eraserCentre.y);
  gl::uniform1f(p, "radiusEraser", eraserRadius);
  gl::uniform1i(p, "underWater", underWater ? 1 : 0);
  glEnable(GL_DEPTH_TEST);
  glDrawArrays(GL_TRIANGLES, 0, kVertexCount);
  glDisable(GL_DEPTH_TEST);
  glBindVertexArray(0);
}

bool Water::setWaterColour(const Colour& colour) {
  if (colour_.sameAs(colour)) return false;
  colour_ = colour;
  if (gl::contextReady() && shaderProgram) {
    glUseProgram(shaderProgram);
    gl::uniform3f(shaderProgram, "colorWater", colour_.r, colour_.g, colour_.b);
  }
  return true;
}

const float* WaterSkyEdge::vertices() { return kEdgeVertices; }
const uint32_t* WaterSkyEdge::indices() { return kEdgeIndices; }

WaterSkyEdge::WaterSkyEdge() {
  createShaderProgram(*this, waterSkyEdgeShaderSources());
  if (!gl::contextReady()) return;
  if (shaderProgram) {
    glUseProgram(shaderProgram);
    gl::uniform1f(shaderProgram, "skyHorizonFadeOutStartZ", -0.1875f);
    gl::uniform1f(shaderProgram, "waterFadeOutStartZ", -0.5625f);
  }
  uploadStaticMesh(*this, kEdgeVertices, sizeof kEdgeVertices / sizeof(float), kEdgeIndices,
                   sizeof kEdgeIndices / sizeof(kEdgeIndices[0]), {3});
}

void WaterSkyEdge::draw(const Camera& camera, const Colour& waterColour, const Colour& sunColour,
                        const Colour& skyHorizonColour, bool underWater) const {
  if (!gl::contextReady() || shaderProgram == 0 || vertexArray == 0) return;
  const GLuint p = shaderProgram;
  glUseProgram(p);
  glBindVertexArray(vertexArray);
  camera.applyUniforms(p);
  gl::uniform3f(p, "colorWater", waterColour.r, waterColour.g, waterColour.b);
  gl::uniform3f(p, "colorSun", sunColour.r, sunColour.g, sunColour.b);
  gl::uniform3f(p, "colorSkyHorizon", skyHorizonColour.r, skyHorizonColour.g, skyHorizonColour.b);
  gl::uniform1i(p, "underWater", underWater ? 1 : 0);
  glEnable(GL_DEPTH_TEST);
  glDrawElements(GL_TRIANGLES, kIndexCount, GL_UNSIGNED_INT, nullptr);
  glDisable(GL_DEPTH_TEST);
  glBindVertexArray(0);
}

}  // namespace qv
