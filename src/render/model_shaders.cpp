#include "render/model3d.hpp"

namespace qv {
namespace {

// The model stage builds its own view and projection because the HUD offset has to be
// added in clip space, scaled by depth, so previews sit at a fixed screen position.
const char* const kModelVertex = R"(#version 330 core
layout(location = 0) in vec3 posGL;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec3 color;

uniform float scale;
uniform vec3 modelPos;
uniform float modelYawAngleRad;
uniform float modelRollAngleRad;
uniform float cameraYaw;
uniform float cameraPitch;
uniform vec3 cameraPos;
uniform float aspectRatio;
uniform float nearPlane;
uniform float farPlane;
uniform vec2 posOffsetForHud;
uniform vec4 colorModify;
uniform int forceColorModify;

out vec3 vNormal;
out vec4 vColor;
out vec3 vWorldPos;

vec3 rollThenYaw(vec3 p) {
  float cr = cos(modelRollAngleRad);
  float sr = sin(modelRollAngleRad);
  vec3 r = vec3(p.x, p.y * cr - p.z * sr, p.y * sr + p.z * cr);
  float cy = cos(modelYawAngleRad);
  float sy = sin(modelYawAngleRad);
  return vec3(r.x * cy - r.y * sy, r.x * sy + r.y * cy, r.z);
}

void main() {
  vec3 world = rollThenYaw(posGL) * scale + modelPos;
  vec3 p = world - cameraPos;
  float c = cos(cameraYaw);
  float s = sin(cameraYaw);
  p = vec3(p.x * c - p.y * s, p.x * s + p.y * c, p.z);
  c = cos(cameraPitch);
  s = sin(cameraPitch);
  p = vec3(p.x, p.y * c - p.z * s, p.y * s + p.z * c);
  float t = tan(radians(45.0) * 0.5);
  gl_Position = vec4(p.x / aspectRatio / t + posOffsetForHud.x / aspectRatio * (-p.z),
                     p.y / t + posOffsetForHud.y * (-p.z),
                     p.z * (nearPlane + farPlane) / (nearPlane - farPlane) +
                         2.0 * nearPlane * farPlane / (nearPlane - farPlane),
                     -p.z);
  vNormal = rollThenYaw(normal);
  vWorldPos = world;
  vColor = forceColorModify == 1 ? colorModify : vec4(color * colorModify.rgb, colorModify.a);
}
)";

const char* const kModelFragment = R"(#version 330 core
in vec3 vNormal;
in vec4 vColor;
in vec3 vWorldPos;

uniform vec3 sunPos;
uniform vec3 sunColor;
uniform vec3 cameraPos;
uniform vec3 colorWater;
uniform int underWater;
uniform float underWaterHeightColorStart;
uniform float underWaterHeightColorEnd;

out vec4 fragColor;

void main() {
  // Wrapped lighting: the shadow side keeps most of its colour so shapes stay readable at night.
  float d = dot(normalize(vNormal), normalize(sunPos));
  if (d <= 0.0) d *= 0.3;
  d = d * 0.33 + 0.67;
  vec3 diffuse = d * sunColor;

  float u = 0.0;
  if (underWater == 1) {
    float fDist = clamp((distance(cameraPos, vWorldPos) - 15.0) / 20.0, 0.0, 1.0) * 0.85;
    float fZ = clamp((vWorldPos.z - underWaterHeightColorStart) /
                         (underWaterHeightColorEnd - underWaterHeightColorStart), 0.0, 1.0);
    u = (1.0 - fZ) * fDist;
  }
  vec3 result = diffuse * vColor.rgb;
  vec3 murk = colorWater * sunColor * (1.0 - (1.0 - sunColor.r) * 1.15);
  fragColor = vec4(murk * u + result * (1.0 - u), vColor.a);
}
)";

}  // namespace

const ShaderSources kShaderModel3D = {"shaderModel3D", kModelVertex, "", kModelFragment};

}  // namespace qv
