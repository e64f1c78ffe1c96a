#include "world/sky.hpp"

#include "render/gl.hpp"

namespace qv {
namespace {

// Lifted teal until the world options or a save choose the sky.
constexpr Colour kDefaultSkyColour{0.45f, 1.0f, 1.0f, 1.0f};

constexpr float A = SkyHorizon::kInner;
constexpr float B = SkyHorizon::kOuter;
constexpr float T = SkyHorizon::kTopZ;
constexpr float L = SkyHorizon::kBottomZ;

// The inner square sits at the water's edge just under the surface; the outer
// square is far out and high, so the band slopes up and away on all four sides.
constexpr float kBandVertices[SkyHorizon::kVertexCount * 3] = {
    -B, B,  T, -B, A,  T, -A, B,  T, -A, A,  L,  //  0- 3
    0,  B,  T, 0,  A,  L, A,  B,  T, A,  A,  L,  //  4- 7
    B,  B,  T, B,  A,  T, -B, 0,  T, -A, 0,  L,  //  8-11
    A,  0,  L, B,  0,  T, -B, -A, T, -B, -B, T,  // 12-15
    -A, -A, L, -A, -B, T, 0,  -A, L, 0,  -B, T,  // 16-19
    A,  -A, L, A,  -B, T, B,  -A, T, B,  -B, T,  // 20-23
};
constexpr uint32_t kBandIndices[SkyHorizon::kIndexCount] = {
    2,  3,  0,  3,  1,  0,  4,  5,  2,  5,  3,  2,  6,  7,  4,  7,  5,  4,  8,  9,  6,  9,  7,  6,
    3,  11, 1,  11, 10, 1,  9,  13, 7,  13, 12, 7,  11, 16, 10, 16, 14, 10, 13, 22, 12, 22, 20, 12,
    16, 17, 14, 17, 15, 14, 18, 19, 16, 19, 17, 16, 20, 21, 18, 21, 19, 18, 22, 23, 20, 23, 21, 20,
};

}  // namespace

Colour skyHorizonColourFor(const Colour& sky) {
  return {sky.r * 0.3333f + 0.6667f, sky.g * 0.3333f + 0.6667f, sky.b * 0.3333f + 0.6667f,
          sky.a * 0.3333f + 0.6667f};
}

Colour clearColourFor(const Colour& sky, float lightFactor) {
  const float k = (1.0f - lightFactor) * 0.25f + lightFactor;
  return {sky.r * k, sky.g * k, sky.b * k, sky.a * k};
}

const float* SkyHorizon::vertices() { return kBandVertices; }
const uint32_t* SkyHorizon::indices() { return kBandIndices; }

SkyHorizon::SkyHorizon() : SkyHorizon(kDefaultSkyColour) {}

SkyHorizon::SkyHorizon(const Colour& skyColour) : sky_(skyColour), horizon_(skyHorizonColourFor(skyColour)) {
  createShaderProgram(*this, skyHorizonShaderSources());
  if (!gl::contextReady()) return;
  if (shaderProgram) {
    glUseProgram(shaderProgram);
    gl::uniform1f(shaderProgram, "skyHorizonStartZ", kBottomZ);
    gl::uniform1f(shaderProgram, "skyHorizonEndZ", kTopZ);
  }
  uploadStaticMesh(*this, kBandVertices, sizeof kBandVertices / sizeof(float), kBandIndices,
                   sizeof kBandIndices / sizeof(kBandIndices[0]), {3});
}

void SkyHorizon::draw(const Camera& camera, const Colour& sunColour) const {
  if (!gl::contextReady() || shaderProgram == 0 || vertexArray == 0) return;
  const GLuint p = shaderProgram;
  glUseProgram(p);
  glBindVertexArray(vertexArray);
  camera.applyUniforms(p);
  gl::uniform3f(p, "colorSun", sunColour.r, sunColour.g, sunColour.b);
  gl::uniform3f(p, "colorSkyHorizon", horizon_.r, horizon_.g, horizon_.b);
  glDisable(GL_DEPTH_TEST);
  glDrawElements(GL_TRIANGLES, kIndexCount, GL_UNSIGNED_INT, nullptr);
  glBindVertexArray(0);
}

bool SkyHorizon::setSkyColour(const Colour& colour) {
  if (sky_.sameAs(colour)) return false;
  sky_ = colour;
  horizon_ = skyHorizonColourFor(colour);
  return true;
}

}  // namespace qv
