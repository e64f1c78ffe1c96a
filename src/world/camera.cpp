#include "world/camera.hpp"

#include <cmath>

#include "render/display.hpp"
#include "render/gl.hpp"
#include "render/gpu_resources.hpp"
#include "world/terrain.hpp"

namespace qv {
namespace {

// The initial angles are float values widened to double, so a new world and a
// loaded default world start from bit-identical orientations.
constexpr double kInitialYaw = static_cast<double>(0.78539818525314331f);
constexpr double kInitialPitch = static_cast<double>(-1.2217304706573486f);
constexpr double kPitchLowest = -static_cast<double>(kPi);  // straight up
constexpr float kZoomStep = 50.0f;

}  // namespace

void Camera::reset() {
  yaw = kInitialYaw;
  pitch = kInitialPitch;
  position = {-150.0f, -150.0f, 30.0f};
  yawDelta = 0.0;
  pitchDelta = 0.0;
  velocity = {};
  // A wheel notch queued before the reset belongs to the old world.
  displacement = {};
  captureMaxHeight = false;
  maxHeight = 30.0f;
}

void Camera::zoom(float amount, bool immediate) {
  const float a = -static_cast<float>(pitch);
  const float y = static_cast<float>(yaw);
  const Vec3 forward{std::sin(a) * std::sin(y), std::sin(a) * std::cos(y), -std::cos(a)};
  const Vec3 step = forward * (kZoomStep * amount);
  if (immediate)
    displacement += step;
  else
    velocity += step;
  captureMaxHeight = true;
}

Vec3 Camera::levelForward() const {
  const double s = std::sin(yaw), c = std::cos(yaw);
  return {static_cast<float>(s), static_cast<float>(c), 0.0f};
}

Vec3 Camera::levelRight() const {
  const double s = std::sin(yaw), c = std::cos(yaw);
  return {static_cast<float>(c), static_cast<float>(-s), 0.0f};
}

void Camera::update(float dt, const Terrain* terrain) {
  yaw += yawDelta;
  pitch += pitchDelta;
  if (pitch > 0.0) pitch = 0.0;
  if (pitch < kPitchLowest) pitch = kPitchLowest;

  // A broken frame time must not throw the eye out of the world for good.
  if (!std::isfinite(dt)) dt = 0.0f;
  const Vec3 moved = position + velocity * dt + displacement;
  if (std::isfinite(moved.x) && std::isfinite(moved.y) && std::isfinite(moved.z)) position = moved;

  if (position.x < -kWorldLimit) position.x = -kWorldLimit;
  if (position.x > kWorldLimit) position.x = kWorldLimit;
  if (position.y < -kWorldLimit) position.y = -kWorldLimit;
  if (position.y > kWorldLimit) position.y = kWorldLimit;
  if (position.z > kTopHeight) position.z = kTopHeight;

  // Climbing, sinking and zooming choose a new cruising height; the ground may
  // lift the eye above it, and it settles back once the ground falls away.
  if (captureMaxHeight) {
    captureMaxHeight = false;
    maxHeight = position.z;
  }
  if (position.z > maxHeight) position.z = maxHeight;

  if (terrain) {
    const float ground = terrain->heightAt(position.x, position.y) + kHeightAboveGround;
    if (position.z < ground) position.z = ground;
  }

  yawDelta = 0.0;
  pitchDelta = 0.0;
  velocity = {};
  displacement = {};
}

void Camera::mouseRay(float mouseX, float mouseY, const DisplayLayout& layout, Vec3& origin, Vec3& direction) const {
  viewRay(viewportPointOfMouse(layout, mouseX, mouseY), layout.aspectRatio, origin, direction);
}

void Camera::viewRay(Vec2 viewportPoint, float aspect, Vec3& origin, Vec3& direction) const {
  const float t = kCameraHalfFovTan;
  const Vec3 cam{viewportPoint.x * aspect * t, viewportPoint.y * t, -1.0f};
  const float a = -static_cast<float>(pitch);
  const float ca = std::cos(a), sa = std::sin(a);
  const Vec3 r1{cam.x, cam.y * ca - cam.z * sa, cam.y * sa + cam.z * ca};
  const float b = -static_cast<float>(yaw);
  const float cb = std::cos(b), sb = std::sin(b);
  direction = {r1.x * cb - r1.y * sb, r1.x * sb + r1.y * cb, r1.z};
  origin = position;
}

Vec3 Camera::toView(Vec3 world) const {
  Vec3 p = world - position;
  const float y = static_cast<float>(yaw);
  const float cy = std::cos(y), sy = std::sin(y);
  p = {p.x * cy - p.y * sy, p.x * sy + p.y * cy, p.z};
  const float pt = static_cast<float>(pitch);
  const float cp = std::cos(pt), sp = std::sin(pt);
  return {p.x, p.y * cp - p.z * sp, p.y * sp + p.z * cp};
}

Vec4 Camera::toClip(Vec3 world, float aspect) const {
  const Vec3 v = toView(world);
  const float t = kCameraHalfFovTan;
  const float n = kNearPlane, f = kFarPlane;
  return {v.x / aspect / t, v.y / t, v.z * (n + f) / (n - f) + 2.0f * n * f / (n - f), -v.z};
}

void Camera::applyUniforms(uint32_t program) const {
  if (!gl::contextReady() || program == 0) return;
  gl::uniform1f(program, "cameraYaw", static_cast<float>(yaw));
  gl::uniform1f(program, "cameraPitch", static_cast<float>(pitch));
  gl::uniform3f(program, "cameraPos", position);
}

const char* const kGlslCameraTransform = R"GLSL(
uniform float cameraYaw;
uniform float cameraPitch;
uniform vec3 cameraPos;
uniform float aspectRatio;
uniform float nearPlane;
uniform float farPlane;

vec3 cameraView(vec3 worldPos) {
  vec3 p = worldPos - cameraPos;
  float cy = cos(cameraYaw);
  float sy = sin(cameraYaw);
  p = vec3(p.x * cy - p.y * sy, p.x * sy + p.y * cy, p.z);
  float cp = cos(cameraPitch);
  float sp = sin(cameraPitch);
  return vec3(p.x, p.y * cp - p.z * sp, p.y * sp + p.z * cp);
}

vec4 cameraProject(vec3 v) {
  float t = tan(radians(45.0) * 0.5);
  return vec4(v.x / aspectRatio / t,
              v.y / t,
              v.z * (nearPlane + farPlane) / (nearPlane - farPlane) + 2.0 * nearPlane * farPlane / (nearPlane - farPlane),
              -v.z);
}

vec4 cameraTransform(vec3 worldPos) { return cameraProject(cameraView(worldPos)); }
)GLSL";

}  // namespace qv
