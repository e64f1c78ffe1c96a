#pragma once
#include <cstdint>

namespace qv {

// GPU handles and texture facts of one drawable. The names belong to the
// registries and outlive the object, so a Loader may be copied freely.
class Loader {
 public:
  virtual ~Loader() = default;
  virtual void draw(float x, float y, float alpha) {}
  virtual void draw(float x, float y, float angle, float alpha) {}

  uint32_t vertexArray = 0;
  uint32_t vertexBuffer = 0;
  uint32_t elementBuffer = 0;
  uint32_t shaderProgram = 0;
  uint32_t texture = 0;
  int32_t textureWidth = 0;
  int32_t textureHeight = 0;
  float displayWidth = 0.0f;
  float displayHeight = 0.0f;
  float uvScaleU = 1.0f;
  float uvScaleV = 1.0f;
};

}  // namespace qv
