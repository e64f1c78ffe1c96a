#pragma once
#include <cstdint>

#include "core/vecmath.hpp"

namespace qv {

class Terrain;
struct DisplayLayout;

// The one free-flying camera. Every world shader gets yaw, pitch and position
// as uniforms and builds the same view and projection from them (kGlslCameraTransform).
struct Camera {
  static constexpr float kWorldLimit = 82.485f;
  static constexpr float kTopHeight = 150.0f;
  static constexpr float kHeightAboveGround = 1.3f;
  static constexpr float kKeySpeed = 12.5f;

  double yaw = 0.78539818525314331;     // pi/4 as a float, widened
  double pitch = -1.2217304706573486;   // -70 degrees as a float, widened
  Vec3 position{-150.0f, -150.0f, 30.0f};
  double yawDelta = 0.0;
  double pitchDelta = 0.0;
  Vec3 velocity{};
  Vec3 displacement{};
  bool captureMaxHeight = false;
  float maxHeight = 30.0f;

  // Back to the new-world state.
  void reset();
  // Moves along the view direction by 50 * amount; immediate moves ignore frame time.
  void zoom(float amount, bool immediate);
  // Forward (level) and right vectors the movement keys use.
  Vec3 levelForward() const;
  Vec3 levelRight() const;
  // Applies deltas and velocities, then every limit, then clears the requests.
  void update(float dt, const Terrain* terrain);
  // The ray through the mouse position (design pixels from the interface
  // centre, y up). The cursor is measured against the 16:9 interface rectangle
  // while the projection spans the viewport, so the mouse position goes back
  // through the display layout to the viewport point under the cursor; the
  // picked point then stays under it in every window shape.
  void mouseRay(float mouseX, float mouseY, const DisplayLayout& layout, Vec3& origin, Vec3& direction) const;
  // The ray through a viewport point (-1 to 1 across, y up) for a projection of the given aspect ratio.
  void viewRay(Vec2 viewportPoint, float aspect, Vec3& origin, Vec3& direction) const;
  bool underWater() const { return position.z < 0.0f; }

  // The view transform and projection the shaders compute, on the CPU (tests, picking checks).
  Vec3 toView(Vec3 world) const;
  Vec4 toClip(Vec3 world, float aspect) const;
  // Sets cameraYaw, cameraPitch, cameraPos on a program that is current.
  void applyUniforms(uint32_t program) const;
};

// GLSL shared by every world vertex stage. Paste it after the #version line.
// It declares the uniforms cameraYaw, cameraPitch, cameraPos, aspectRatio,
// nearPlane and farPlane, and three functions:
//   vec3 cameraView(vec3 worldPos)     world -> view space (the camera looks along -z)
//   vec4 cameraProject(vec3 viewPos)   view space -> clip space (45 degree vertical field of view)
//   vec4 cameraTransform(vec3 worldPos) both at once; what most vertex stages need
extern const char* const kGlslCameraTransform;

// Camera-space field of view: tan of half the 45 degree vertical angle.
inline constexpr float kCameraHalfFovTan = 0.41421356237f;

}  // namespace qv
