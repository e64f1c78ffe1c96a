#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/colour.hpp"
#include "render/gpu_resources.hpp"
#include "render/loader.hpp"

// Flat interface pictures. Interface units: y up, the window height spans 2.0,
// 1080 design pixels per window height (540 per unit); x is divided by the
// aspect ratio in the vertex stages so a design pixel stays square.
namespace qv {

inline constexpr float kDesignPixelsPerUnit = 540.0f;
inline constexpr float pxToUnits(float px) { return px / 1080.0f * 2.0f; }
inline constexpr float unitsToPx(float u) { return u * kDesignPixelsPerUnit; }

// The three 2D programs; the aspectRatio uniform is set on them by gpu_resources.
const ShaderSources& shaderImageRectSources();
const ShaderSources& shaderImageGenericSources();
const ShaderSources& shaderImagePopupMessageSources();

class Image : public Loader {
 public:
  void draw(float x, float y, float alpha) override {}
  void draw(float x, float y, float angle, float alpha) override {}

  float offsetX = 0.0f;  // units, added to the draw position
  float offsetY = 0.0f;
  Colour drawColour{1.0f, 1.0f, 1.0f, 1.0f};
};

// Creates a vertex array with a vertex and an element buffer in the generic quad
// format (x, y, u, v per vertex) when both counts are positive and a context exists,
// stores the names in the image and registers them for release at exit.
void makeQuadBuffers(Loader& image, const float* vertices, int vertexFloatCount, const uint32_t* indices,
                     int indexCount);

// The plain draw shared by rectangles, glyphs and texts. Skipped unless the
// image has a program, a texture and a vertex array. indexCount 6 = one quad.
void drawRect(const Loader& image, float x, float y, float angle, float alpha, float scaleVertex, float scaleImageX,
              float scaleImageY, const Colour& colour, float fColor, int indexCount = 6);
inline void drawRect(const Image& image, float x, float y, float angle, float alpha, float scaleVertex,
                     float scaleImageX, float scaleImageY, const Colour& colour, float fColor, int indexCount = 6) {
  drawRect(static_cast<const Loader&>(image), x + image.offsetX, y + image.offsetY, angle, alpha, scaleVertex,
           scaleImageX, scaleImageY, colour, fColor, indexCount);
}

// Anchor modes of ImageRect.
enum AnchorMode : int {
  kAnchorTopLeft = 0,
  kAnchorCentre = 1,
  kAnchorCentreBaked = 2,  // centred, turned by the angle and moved by (x, y) inside the buffer
  kAnchorLeftMiddle = 3,
};

class ImageRect : public Image {
 public:
  ImageRect() = default;
  // width/height in design pixels (0 or less = the picture's own size); x, y in
  // units (the offset, except in mode 2 where they are baked into the quad).
  ImageRect(const std::string& fileName, float width = 0.0f, float height = 0.0f, int anchorMode = kAnchorTopLeft,
            float x = 0.0f, float y = 0.0f, Colour colour = {1.0f, 1.0f, 1.0f, 1.0f}, float angle = 0.0f);

  void draw(float x, float y, float alpha) override;
  void draw(float x, float y, float angle, float alpha) override;

  int anchorMode = kAnchorTopLeft;
};

// One record per distinct quad geometry; lives for the run.
struct RectCacheRecord {
  float width, height, x, y, angle;  // units, except the angle (radians)
  int anchorMode;
  uint32_t vertexBuffer, elementBuffer, vertexArray;
};
const std::vector<RectCacheRecord>& rectGeometryCache();
// The four corners (A, B, C, D; x, y in units) of an ImageRect quad before any cache lookup.
void rectCorners(float widthUnits, float heightUnits, int anchorMode, float x, float y, float angle, float out[8]);

// Nine-slice panel: corners keep their size, the middle column stretches, the
// middle row tiles vertically. All lengths in design pixels.
class ImageHud3x3 : public Image {
 public:
  ImageHud3x3() = default;
  ImageHud3x3(const std::string& fileName, float leftWidth, float middleWidth, float rightWidth, float topHeight,
              float middleHeight, float bottomHeight, float targetWidth, float targetHeight, float widthAllowance,
              float heightAllowance);
  void draw(float x, float y, float alpha) override;

  // Screen edges in design pixels (x right, y downwards from the top-left corner).
  float columnEdges[4] = {0, 0, 0, 0};
  float rowEdges[4] = {0, 0, 0, 0};
  float repeatInfo[3] = {0.0f, 0.0f, 1.0f};  // v top, v bottom, repeat count
  bool hasMesh = false;
};

class ImageHudLoading : public ImageHud3x3 {
 public:
  ImageHudLoading(float targetWidth, float targetHeight);
};
class ImageHudMainMenu : public ImageHud3x3 {
 public:
  ImageHudMainMenu(float targetWidth, float targetHeight);
};
class ImageHudUnits : public ImageHud3x3 {
 public:
  ImageHudUnits(float targetWidth, float targetHeight);
};

// The tooltip frame: a nine-slice whose body is pushed out in the vertex stage,
// so resizing changes two uniforms and never the buffers. Drawn centred on (x, y).
class ImageHud3x3Resizable : public Image {
 public:
  ImageHud3x3Resizable();
  // Body size in design pixels; the frame adds 31 on every side.
  void setSize(float width, float height);
  void draw(float x, float y, float alpha) override;

  float repeatInfo[3] = {0.0f, 0.0f, 1.0f};
  bool hasMesh = false;
};

// The top bar: caps of 40 design pixels around a stretched middle, 1522 wide.
class ImageHudTop : public Image {
 public:
  ImageHudTop();
  void draw(float x, float y, float alpha) override;
  bool hasMesh = false;
};

// The panel under the tool HUDs, drawn like a nine-slice with a tiled middle band.
class ImageHudBottom : public Image {
 public:
  ImageHudBottom() = default;
  ImageHudBottom(float width, float height);
  void draw(float x, float y, float alpha) override;
  float repeatInfo[3] = {0.0f, 0.0f, 1.0f};
  bool hasMesh = false;
};

// Shared nine-slice style draw (program shaderImageGeneric or shaderImagePopupMessage).
void drawPanel(const Image& image, float x, float y, float alpha, const float repeatInfo[3], int indexCount,
               bool pushed = false);

}  // namespace qv
