#include <string>

#include "world/camera.hpp"
#include "world/sky.hpp"
#include "world/water.hpp"

namespace qv {
namespace {

// Every stage that places world geometry shares the camera's GLSL, pasted after the version line.
std::string withCamera(const char* body) { return std::string("#version 330 core\n") + kGlslCameraTransform + body; }

const char* const kPassThroughVertex = R"(#version 330 core
layout(location = 0) in vec3 posGL;
out vec3 vFlat;
void main() {
  vFlat = posGL;
  gl_Position = vec4(posGL, 1.0);
}
)";

// Waves are computed here rather than in the vertex stage because each triangle
// needs the lifted positions of all three corners for its flat, faceted normal.
const char* const kWaterGeometryBody = R"(
layout(triangles) in;
layout(triangle_strip, max_vertices = 3) out;

in vec3 vFlat[];
uniform float timeOffset;
uniform float spacing;
uniform float waterHeightMax;

out vec3 gNormal;
out vec3 gFlatPos;
out vec3 gWorldPos;

float waveHeight(vec2 p) {
  return (sin(timeOffset + p.x / spacing) + sin(timeOffset + 2.0 * p.y / spacing)) * 0.5 * waterHeightMax;
}

void main() {
  vec3 lifted[3];
  for (int i = 0; i < 3; ++i) {
    lifted[i] = vFlat[i];
    lifted[i].z += waveHeight(vFlat[i].xy);
  }
  vec3 n = normalize(cross(lifted[1] - lifted[0], lifted[2] - lifted[0]));
  for (int i = 0; i < 3; ++i) {
    gNormal = n;
    gFlatPos = vFlat[i];
    gWorldPos = lifted[i];
    gl_Position = cameraTransform(lifted[i]);
    EmitVertex();
  }
  EndPrimitive();
}
)";

const char* const kWaterFragment = R"(#version 330 core
in vec3 gNormal;
in vec3 gFlatPos;
in vec3 gWorldPos;

uniform vec3 cameraPos;
uniform vec3 colorSun;
uniform vec3 sunPos;
uniform vec3 skyHorizonColor;
uniform vec3 colorWater;
uniform float skyHorizonStart;
uniform float skyHorizonEnd;
uniform int showEraser;
uniform vec2 posErase;
uniform float radiusEraser;
uniform int underWater;

out vec4 fragColor;

void main() {
  vec3 n = normalize(gNormal);
  vec3 light = normalize(sunPos);
  float diff = max(dot(n, light), 0.0) * 2.0 - 0.5;
  vec3 diffuse = diff * colorSun;

  // Sun glints: the reflected sun seen from the eye, not from a fixed direction,
  // so the highlight sits where the sun is mirrored in the waves.
  vec3 toEye = normalize(cameraPos - gWorldPos);
  vec3 reflected = reflect(-light, n);
  float glint = pow(max(dot(toEye, reflected), 0.0), 32.0);
  vec3 specular = vec3(0.5 * glint);

  float range = skyHorizonEnd - skyHorizonStart;
  float fx = (abs(gFlatPos.x) - skyHorizonStart) / range;
  float fy = (abs(gFlatPos.y) - skyHorizonStart) / range;
  if (fx > 1.0 || fy > 1.0) discard;
  float horizon = max(clamp(fx, 0.0, 1.0), clamp(fy, 0.0, 1.0));
  // See-through over the shallows, solid where it fades into the horizon.
  float opacity = horizon * (1.0 - 0.65) + 0.65;

  vec3 result = diffuse * colorWater + specular;
  if (showEraser == 1) {
    float r = distance(gFlatPos.xy, posErase);
    if (r <= radiusEraser) {
      if (r <= radiusEraser - 0.2) result *= vec3(1.0, 0.5, 0.5);
      else result = vec3(1.0, 0.0, 0.0);
    }
  }

  float dim = 1.0 - (1.0 - colorSun.x) * 1.15;
  vec3 far = underWater == 1 ? colorWater * dim * colorSun : skyHorizonColor * colorSun * dim;
  fragColor = vec4(far * horizon + result * (1.0 - horizon), opacity);
}
)";

const char* const kWorldPositionVertexBody = R"(
layout(location = 0) in vec3 posGL;
out vec3 vWorldPos;
void main() {
  vWorldPos = posGL;
  gl_Position = cameraTransform(posGL);
}
)";

const char* const kEdgeFragment = R"(#version 330 core
in vec3 vWorldPos;
uniform vec3 colorWater;
uniform vec3 colorSun;
uniform vec3 colorSkyHorizon;
uniform int underWater;
uniform float skyHorizonFadeOutStartZ;
uniform float waterFadeOutStartZ;
out vec4 fragColor;
void main() {
  float dim = 1.0 - (1.0 - colorSun.x) * 1.15;
  if (underWater == 1) {
    fragColor = vec4(colorWater * colorSun * dim, 1.0);
    return;
  }
  float h = clamp((vWorldPos.z - waterFadeOutStartZ) / (skyHorizonFadeOutStartZ - waterFadeOutStartZ), 0.0, 1.0);
  fragColor = vec4((colorSkyHorizon * h + colorWater * (1.0 - h)) * colorSun * dim, 1.0);
}
)";

const char* const kSkyFragment = R"(#version 330 core
in vec3 vWorldPos;
uniform vec3 colorSun;
uniform vec3 colorSkyHorizon;
uniform float skyHorizonStartZ;
uniform float skyHorizonEndZ;
out vec4 fragColor;
void main() {
  float t = clamp((vWorldPos.z - skyHorizonStartZ) / (skyHorizonEndZ - skyHorizonStartZ), 0.0, 1.0);
  float fade = 1.0 - t;
  fragColor = vec4(colorSkyHorizon * colorSun * (1.0 - (1.0 - colorSun.x) * 1.15), fade * fade);
}
)";

}  // namespace

const ShaderSources& waterShaderSources() {
  static const std::string geometry = withCamera(kWaterGeometryBody);
  static const ShaderSources s{"shaderWater", kPassThroughVertex, geometry.c_str(), kWaterFragment};
  return s;
}

const ShaderSources& waterSkyEdgeShaderSources() {
  static const std::string vertex = withCamera(kWorldPositionVertexBody);
  static const ShaderSources s{"shaderInfoWaterSkyEdge", vertex.c_str(), "", kEdgeFragment};
  return s;
}

const ShaderSources& skyHorizonShaderSources() {
  static const std::string vertex = withCamera(kWorldPositionVertexBody);
  static const ShaderSources s{"shaderSkyHorizon", vertex.c_str(), "", kSkyFragment};
  return s;
}

}  // namespace qv
