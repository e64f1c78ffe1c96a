#include <string>

#include "render/gpu_resources.hpp"
#include "world/camera.hpp"
#include "world/terrain.hpp"

namespace qv {
namespace {

const char* const kVertexMain = R"GLSL(
layout(location = 0) in vec3 posGL;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec3 color;
layout(location = 3) in float useColorEmptyLand;

uniform vec3 colorEmptyLand;

out vec3 vNormal;
out vec3 vWorld;
out vec3 vColour;

void main() {
  gl_Position = cameraTransform(posGL);
  vNormal = normal;
  vWorld = posGL;
  // Unpainted ground follows the world's land colour through this uniform, so
  // changing it never touches the vertex buffer.
  vColour = abs(useColorEmptyLand - 1.0) <= 1e-5 * abs(useColorEmptyLand) ? colorEmptyLand : color;
}
)GLSL";

const char* const kFragment = R"GLSL(#version 330 core
in vec3 vNormal;
in vec3 vWorld;
in vec3 vColour;

uniform vec3 cameraPos;
uniform vec3 sunPos;
uniform vec3 sunColor;
uniform vec3 colorWater;
uniform vec3 colorSkyHorizon;

uniform float skyHorizonStart;
uniform float skyHorizonEnd;
uniform float underWaterHeightColorStart;
uniform float underWaterHeightColorEnd;
uniform float underWaterHeightEdgeColorDelta;
uniform float underWaterHeightEdgeColorStartAboveWater;
uniform float underWaterHeightEdgeColorStartBelowWater;

uniform int showColorGroundPreview;
uniform vec2 posCUnitForColorGroundPreview;
uniform vec3 colorGroundPreview;
uniform float radiusMaxForColorGroundPreview;

uniform int modeTerrainModification;
uniform vec2 posMouse;
uniform float radiusModifyCircle;
uniform int underWater;

out vec4 fragColour;

void main() {
  // Degenerate triangles carry a zero normal; light them as level ground.
  vec3 n = dot(vNormal, vNormal) > 0.0 ? normalize(vNormal) : vec3(0.0, 0.0, 1.0);
  float diff = dot(n, normalize(sunPos));
  if (diff <= 0.0) diff *= 0.3;
  diff = diff * 0.33 + 0.67;
  vec3 diffuse = diff * sunColor;

  vec3 colour = vColour;
  float previewR = radiusMaxForColorGroundPreview;
  if (showColorGroundPreview == 1 && previewR > 0.0) {
    float d = distance(vWorld.xy, posCUnitForColorGroundPreview);
    if (d <= 0.6667 * previewR) {
      colour = colorGroundPreview;
    } else if (d <= previewR) {
      colour = mix(colour, colorGroundPreview, sqrt(clamp(1.0 - (d / previewR * 3.0 - 2.0), 0.0, 1.0)));
    }
  }
  vec3 result = diffuse * colour;

  float span = skyHorizonEnd - skyHorizonStart;
  float fx = (abs(vWorld.x) - skyHorizonStart) / span;
  float fy = (abs(vWorld.y) - skyHorizonStart) / span;
  if (fx > 1.0 || fy > 1.0) discard;
  float edge = max(clamp(fx, 0.0, 1.0), clamp(fy, 0.0, 1.0));

  if (modeTerrainModification > 0) {
    float r = distance(vWorld.xy, posMouse);
    if (r <= radiusModifyCircle) {
      if (r <= radiusModifyCircle - 0.2) {
        result *= modeTerrainModification == 1 ? vec3(1.0, 0.5, 0.5) : vec3(0.5, 0.5, 1.0);
      } else {
        result = (modeTerrainModification == 1 ? vec3(1.0, 0.0, 0.0) : vec3(0.0, 0.0, 1.0)) * sunColor;
      }
    }
  }

  float near = 0.0;
  if (underWater == 1) {
    float dist = (length(cameraPos - vWorld) - 15.0) / 20.0;
    float depth = clamp((vWorld.z - underWaterHeightColorStart) / (underWaterHeightColorEnd - underWaterHeightColorStart), 0.0, 1.0);
    near = (1.0 - depth) * clamp(dist, 0.0, 1.0) * 0.85;
  }
  float w = max(near, edge);

  float keep = 0.0;
  if (edge > 0.0) {
    float start = underWater == 1 ? underWaterHeightEdgeColorStartBelowWater : underWaterHeightEdgeColorStartAboveWater;
    keep = clamp((vWorld.z - start) / underWaterHeightEdgeColorDelta, 0.0, 1.0);
  }

  float dim = 1.0 - (1.0 - sunColor.x) * 1.15;
  vec3 c = (colorWater * sunColor * dim * w + result * (1.0 - w)) * (1.0 - keep) + result * keep;
  fragColour = vec4(c, 1.0);
}
)GLSL";

}  // namespace

const ShaderSources& terrainShaderSources() {
  static const std::string vertex = std::string("#version 330 core\n") + kGlslCameraTransform + kVertexMain;
  static const ShaderSources sources{"shaderTerrain", vertex.c_str(), "", kFragment};
  return sources;
}

}  // namespace qv
