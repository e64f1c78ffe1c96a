#include "ui/image.hpp"

#include <cmath>

#include "render/gl.hpp"

namespace qv {
namespace {

const char* kRectVertex = R"(#version 330 core
layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texCoord;
uniform float aspectRatio;
uniform vec2 translate;
uniform float angle;
uniform float scaleVertex;
uniform vec2 scaleImage;
uniform vec2 UVImage;
out vec2 uv;
void main() {
  vec2 p = position * scaleImage;
  float c = cos(angle);
  float s = sin(angle);
  p = vec2(p.x * c - p.y * s, p.x * s + p.y * c) + translate;
  p.x /= aspectRatio;
  gl_Position = vec4(p * scaleVertex, 0.0, 1.0);
  uv = texCoord * UVImage;
}
)";

const char* kRectFragment = R"(#version 330 core
in vec2 uv;
uniform sampler2D textureID;
uniform vec4 drawColor;
uniform float fColor;
out vec4 outColor;
void main() {
  vec4 colour = texture(textureID, uv) * drawColor;
  if (fColor >= 0.0)
    outColor = vec4(fColor, fColor, fColor, clamp(colour.a, 0.0, 1.0));
  else
    outColor = vec4(colour.rgb, clamp(colour.a, 0.0, 1.0));
}
)";

const char* kGenericVertex = R"(#version 330 core
layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texCoord;
uniform float aspectRatio;
uniform vec2 translate;
uniform vec2 UVImage;
out vec2 uv;
void main() {
  vec2 p = position + translate;
  gl_Position = vec4(p.x / aspectRatio, p.y, 0.0, 1.0);
  uv = texCoord * UVImage;
}
)";

// The middle band (v between bottom and top) is tiled so panels grow without
// stretching their pattern.
const char* kBandFragment = R"(#version 330 core
in vec2 uv;
uniform sampler2D textureID;
uniform vec4 drawColor;
uniform vec3 repeatTextureInfo1;
out vec4 outColor;
void main() {
  vec2 t = uv;
  float vTop = repeatTextureInfo1.x;
  float vBottom = repeatTextureInfo1.y;
  float band = vBottom - vTop;
  if (t.y <= vTop && t.y >= vBottom && band != 0.0)
    t.y = fract((t.y - vTop) / band * repeatTextureInfo1.z) * band + vTop;
  outColor = texture(textureID, t) * drawColor;
}
)";

const char* kPopupVertex = R"(#version 330 core
layout(location = 0) in vec2 position;
layout(location = 1) in vec2 push;
layout(location = 2) in vec2 texCoord;
uniform float aspectRatio;
uniform vec2 translate;
uniform vec2 sizeSR;
uniform vec2 UVImage;
out vec2 uv;
void main() {
  float x = (position.x + translate.x + sizeSR.x * 0.5 * push.x) / aspectRatio;
  float y = position.y + translate.y + sizeSR.y * 0.5 * push.y;
  gl_Position = vec4(x, y, 0.0, 1.0);
  uv = texCoord * UVImage;
}
)";

const ShaderSources kRectSources{"shaderImageRect", kRectVertex, "", kRectFragment};
const ShaderSources kGenericSources{"shaderImageGeneric", kGenericVertex, "", kBandFragment};
const ShaderSources kPopupSources{"shaderImagePopupMessage", kPopupVertex, "", kBandFragment};

std::vector<RectCacheRecord>& cache() {
  static std::vector<RectCacheRecord> c;
  return c;
}

bool closeRel(float a, float b) { return std::fabs(a - b) <= std::fabs(a) * 0.00001f; }

// Generic quad buffers with attribute layouts other than (x, y, u, v).
void makeBuffers(Loader& image, const float* vertices, int vertexFloatCount, const uint32_t* indices, int indexCount,
                 int floatsPerVertex) {
  if (vertexFloatCount <= 0 || indexCount <= 0 || !gl::contextReady()) return;
  GLuint vao = 0, vbo = 0, ebo = 0;
  glGenVertexArrays(1, &vao);
  glBindVertexArray(vao);
  glGenBuffers(1, &vbo);
  glBindBuffer(GL_ARRAY_BUFFER, vbo);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexFloatCount * sizeof(float)), vertices, GL_STATIC_DRAW);
  glGenBuffers(1, &ebo);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ebo);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexCount * sizeof(uint32_t)), indices,
               GL_STATIC_DRAW);
  const GLsizei stride = static_cast<GLsizei>(floatsPerVertex * sizeof(float));
  const int attributes = floatsPerVertex / 2;
  for (int a = 0; a < attributes; ++a) {
    glEnableVertexAttribArray(static_cast<GLuint>(a));
    glVertexAttribPointer(static_cast<GLuint>(a), 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(static_cast<uintptr_t>(a * 2 * sizeof(float))));
  }
  glBindVertexArray(0);
  image.vertexArray = vao;
  image.vertexBuffer = vbo;
  image.elementBuffer = ebo;
  registerBuffers(vao, vbo, ebo);
}

// Nine quads over a 4 x 4 vertex grid, row-major.
void gridIndices(uint32_t out[54]) {
  int k = 0;
  for (uint32_t r = 0; r < 3; ++r)
    for (uint32_t c = 0; c < 3; ++c) {
      const uint32_t tl = r * 4 + c, tr = tl + 1, bl = tl + 4, br = bl + 1;
      const uint32_t q[6] = {tr, br, tl, br, bl, tl};
      for (uint32_t v : q) out[k++] = v;
    }
}

// A 3 x 3 patch mesh from four column edges and four row edges (design pixels,
// rows downwards) with their texture coordinates.
void makeGridMesh(Loader& image, const float xs[4], const float ys[4], const float u[4], const float v[4]) {
  float vertices[64];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      float* p = &vertices[(r * 4 + c) * 4];
      p[0] = pxToUnits(xs[c]);
      p[1] = -pxToUnits(ys[r]);
      p[2] = u[c];
      p[3] = v[r];
    }
  uint32_t indices[54];
  gridIndices(indices);
  makeQuadBuffers(image, vertices, 64, indices, 54);
}

bool ready(const Loader& l) { return l.shaderProgram != 0 && l.texture != 0 && l.vertexArray != 0; }

}  // namespace

const ShaderSources& shaderImageRectSources() { return kRectSources; }
const ShaderSources& shaderImageGenericSources() { return kGenericSources; }
const ShaderSources& shaderImagePopupMessageSources() { return kPopupSources; }

void makeQuadBuffers(Loader& image, const float* vertices, int vertexFloatCount, const uint32_t* indices,
                     int indexCount) {
  makeBuffers(image, vertices, vertexFloatCount, indices, indexCount, 4);
}

void drawRect(const Loader& image, float x, float y, float angle, float alpha, float scaleVertex, float scaleImageX,
              float scaleImageY, const Colour& colour, float fColor, int indexCount) {
  if (!ready(image) || !gl::contextReady()) return;
  const GLuint p = image.shaderProgram;
  glUseProgram(p);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, image.texture);
  glBindVertexArray(image.vertexArray);
  gl::uniform2f(p, "UVImage", image.uvScaleU, image.uvScaleV);
  gl::uniform1f(p, "angle", angle);
  gl::uniform2f(p, "translate", x, y);
  gl::uniform1f(p, "scaleVertex", scaleVertex);
  gl::uniform2f(p, "scaleImage", scaleImageX, scaleImageY);
  gl::uniform1f(p, "fColor", fColor);
  gl::uniform4f(p, "drawColor", colour.r, colour.g, colour.b, colour.a * alpha);
  glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, nullptr);
}

void drawPanel(const Image& image, float x, float y, float alpha, const float repeatInfo[3], int indexCount,
               bool pushed) {
  if (!ready(image) || !gl::contextReady()) return;
  const GLuint p = image.shaderProgram;
  glUseProgram(p);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, image.texture);
  glBindVertexArray(image.vertexArray);
  gl::uniform2f(p, "UVImage", image.uvScaleU, image.uvScaleV);
  gl::uniform2f(p, "translate", x + image.offsetX, y + image.offsetY);
  gl::uniform3f(p, "repeatTextureInfo1", repeatInfo[0], repeatInfo[1], repeatInfo[2]);
  const Colour& c = image.drawColour;
  gl::uniform4f(p, "drawColor", c.r, c.g, c.b, c.a * alpha);
  if (pushed)
    gl::uniform2f(p, "sizeSR", pxToUnits(image.displayWidth - 62.0f), pxToUnits(image.displayHeight - 62.0f));
  glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, nullptr);
}

// ---------------------------------------------------------------- ImageRect

void rectCorners(float W, float H, int mode, float x, float y, float angle, float out[8]) {
  float px[4], py[4];
  switch (mode) {
    case kAnchorTopLeft:
      px[0] = W, py[0] = 0, px[1] = W, py[1] = -H, px[2] = 0, py[2] = -H, px[3] = 0, py[3] = 0;
      break;
    case kAnchorLeftMiddle:
      px[0] = W, py[0] = H / 2, px[1] = W, py[1] = -H / 2, px[2] = 0, py[2] = -H / 2, px[3] = 0, py[3] = H / 2;
      break;
    default:  // centred (mode 1, mode 2 and anything unknown)
      px[0] = W / 2, py[0] = H / 2, px[1] = W / 2, py[1] = -H / 2, px[2] = -W / 2, py[2] = -H / 2,
      px[3] = -W / 2, py[3] = H / 2;
      break;
  }
  for (int i = 0; i < 4; ++i) {
    float qx = px[i], qy = py[i];
    if (mode == kAnchorCentreBaked) {
      const float c = std::cos(angle), s = std::sin(angle);
      const float rx = qx * c - qy * s, ry = qx * s + qy * c;
      qx = rx + x;
      qy = ry + y;
    }
    out[i * 2] = qx;
    out[i * 2 + 1] = qy;
  }
}

const std::vector<RectCacheRecord>& rectGeometryCache() { return cache(); }

ImageRect::ImageRect(const std::string& fileName, float width, float height, int mode, float x, float y,
                     Colour colour, float angle)
    : anchorMode(mode) {
  loadTexture(*this, fileName);
  createShaderProgram(*this, kRectSources);
  drawColour = colour;
  if (width <= 0) width = static_cast<float>(textureWidth);
  if (height <= 0) height = static_cast<float>(textureHeight);
  displayWidth = width;
  displayHeight = height;
  const float W = pxToUnits(width), H = pxToUnits(height);
  if (mode == kAnchorCentreBaked) {
    offsetX = offsetY = 0.0f;
  } else {
    offsetX = x;
    offsetY = y;
  }
  for (const RectCacheRecord& r : cache()) {
    if (closeRel(r.width, W) && closeRel(r.height, H) && closeRel(r.x, x) && closeRel(r.y, y) &&
        closeRel(r.angle, angle) && r.anchorMode == mode) {
      vertexArray = r.vertexArray;
      vertexBuffer = r.vertexBuffer;
      elementBuffer = r.elementBuffer;
      return;
    }
  }
  float corners[8];
  rectCorners(W, H, mode, x, y, angle, corners);
  const float uv[8] = {1, 1, 1, 0, 0, 0, 0, 1};
  float vertices[16];
  for (int i = 0; i < 4; ++i) {
    vertices[i * 4 + 0] = corners[i * 2];
    vertices[i * 4 + 1] = corners[i * 2 + 1];
    vertices[i * 4 + 2] = uv[i * 2];
    vertices[i * 4 + 3] = uv[i * 2 + 1];
  }
  const uint32_t indices[6] = {0, 1, 3, 1, 2, 3};
  makeQuadBuffers(*this, vertices, 16, indices, 6);
  cache().push_back({W, H, x, y, angle, mode, vertexBuffer, elementBuffer, vertexArray});
}

void ImageRect::draw(float x, float y, float alpha) {
  drawRect(*this, x, y, 0.0f, alpha, 1.0f, 1.0f, 1.0f, drawColour, -1.0f);
}

void ImageRect::draw(float x, float y, float angle, float alpha) {
  drawRect(*this, x, y, angle, alpha, 1.0f, 1.0f, 1.0f, drawColour, -1.0f);
}

// ---------------------------------------------------------------- nine-slice

ImageHud3x3::ImageHud3x3(const std::string& fileName, float left, float middle, float right, float top,
                         float middleH, float bottom, float targetWidth, float targetHeight, float widthAllowance,
                         float heightAllowance) {
  loadTexture(*this, fileName);
  createShaderProgram(*this, kGenericSources);
  if (textureWidth <= 0 || textureHeight <= 0) return;
  const float extraW = targetWidth < 0 ? 0.0f : targetWidth - widthAllowance;
  const float extraH = targetHeight < 0 ? 0.0f : targetHeight - heightAllowance;
  columnEdges[0] = 0;
  columnEdges[1] = left;
  columnEdges[2] = left + middle + extraW;
  columnEdges[3] = left + middle + right + extraW;
  rowEdges[0] = 0;
  rowEdges[1] = top;
  rowEdges[2] = top + middleH + extraH;
  rowEdges[3] = top + middleH + bottom + extraH;
  displayWidth = columnEdges[3];
  displayHeight = rowEdges[3];

  const float TW = static_cast<float>(textureWidth), TH = static_cast<float>(textureHeight);
  const float u[4] = {0, left / TW, (left + middle) / TW, (left + middle + right) / TW};
  const float v[4] = {1, 1 - top / TH, 1 - (top + middleH) / TH, 1 - (top + middleH + bottom) / TH};
  makeGridMesh(*this, columnEdges, rowEdges, u, v);
  repeatInfo[0] = v[1] * uvScaleV;
  repeatInfo[1] = v[2] * uvScaleV;
  repeatInfo[2] = middleH > 0 ? (middleH + extraH) / middleH : 1.0f;
  hasMesh = true;
}

void ImageHud3x3::draw(float x, float y, float alpha) {
  if (hasMesh) drawPanel(*this, x, y, alpha, repeatInfo, 54);
}

ImageHudLoading::ImageHudLoading(float w, float h)
    : ImageHud3x3("Image Hud Loading.png", 28, 72, 28, 31, 66, 30, w, h, 108, 107) {}
ImageHudMainMenu::ImageHudMainMenu(float w, float h)
    : ImageHud3x3("Image Hud Main Menu.png", 55, 40, 55, 120, 6, 123, w, h, 126, 46) {}
ImageHudUnits::ImageHudUnits(float w, float h)
    : ImageHud3x3("Image Hud Units.png", 55, 40, 55, 120, 6, 125, w, h, 126, 48) {}

// ---------------------------------------------------------------- resizable frame

ImageHud3x3Resizable::ImageHud3x3Resizable() {
  loadTexture(*this, "Image Hud Loading.png");
  createShaderProgram(*this, kPopupSources);
  if (textureWidth > 0 && textureHeight > 0) {
    const float c = pxToUnits(31.0f);
    const float TW = static_cast<float>(textureWidth), TH = static_cast<float>(textureHeight);
    // Edge positions before the push; the inner two are pushed apart by the body size.
    const float xs[4] = {-c, 0, 0, c};
    const float pushX[4] = {-1, -1, 1, 1};
    const float ys[4] = {c, 0, 0, -c};
    const float pushY[4] = {1, 1, -1, -1};
    const float u[4] = {0, 31 / TW, 1 - 31 / TW, 1};
    const float v[4] = {1, 1 - 31 / TH, 31 / TH, 0};
    float vertices[96];
    for (int r = 0; r < 4; ++r)
      for (int k = 0; k < 4; ++k) {
        float* p = &vertices[(r * 4 + k) * 6];
        p[0] = xs[k];
        p[1] = ys[r];
        p[2] = pushX[k];
        p[3] = pushY[r];
        p[4] = u[k];
        p[5] = v[r];
      }
    uint32_t indices[54];
    gridIndices(indices);
    makeBuffers(*this, vertices, 96, indices, 54, 6);
    hasMesh = true;
  }
  setSize(100, 100);
}

void ImageHud3x3Resizable::setSize(float width, float height) {
  displayWidth = width + 62;
  displayHeight = height + 62;
  if (textureHeight <= 0) return;
  const float TH = static_cast<float>(textureHeight);
  repeatInfo[0] = (1 - 31 / TH) * uvScaleV;
  repeatInfo[1] = (1 - (TH - 31) / TH) * uvScaleV;
  if (TH - 62 > 0) repeatInfo[2] = height / (TH - 62);
}

void ImageHud3x3Resizable::draw(float x, float y, float alpha) {
  if (hasMesh) drawPanel(*this, x, y, alpha, repeatInfo, 54, true);
}

// ---------------------------------------------------------------- top bar

ImageHudTop::ImageHudTop() {
  loadTexture(*this, "Image Hud Top.png");
  createShaderProgram(*this, kRectSources);
  if (textureWidth <= 0 || textureHeight <= 0) return;
  const float TW = static_cast<float>(textureWidth);
  const float H = pxToUnits(static_cast<float>(textureHeight));
  const float xs[4] = {0, 40, 1482, 1522};
  const float u[4] = {0, 40 / TW, 78 / TW, 118 / TW};
  float vertices[32];
  for (int k = 0; k < 4; ++k) {
    float* top = &vertices[k * 4];
    float* bottom = &vertices[16 + k * 4];
    top[0] = bottom[0] = pxToUnits(xs[k]);
    top[1] = 0;
    bottom[1] = -H;
    top[2] = bottom[2] = u[k];
    top[3] = 1;
    bottom[3] = 0;
  }
  uint32_t indices[18];
  for (uint32_t q = 0; q < 3; ++q) {
    const uint32_t tl = q, tr = q + 1, bl = 4 + q, br = 5 + q;
    const uint32_t quad[6] = {tr, br, tl, br, bl, tl};
    for (int i = 0; i < 6; ++i) indices[q * 6 + i] = quad[i];
  }
  makeQuadBuffers(*this, vertices, 32, indices, 18);
  displayWidth = 1522;
  displayHeight = static_cast<float>(textureHeight);
  hasMesh = true;
}

void ImageHudTop::draw(float x, float y, float alpha) {
  if (!hasMesh || !ready(*this) || !gl::contextReady()) return;
  // Like the plain draw, but fColor keeps whatever the shared program last had; we
  // pin it to "off" so the bar never inherits a grey-out from another picture.
  const GLuint p = shaderProgram;
  glUseProgram(p);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, texture);
  glBindVertexArray(vertexArray);
  gl::uniform2f(p, "UVImage", uvScaleU, uvScaleV);
  gl::uniform1f(p, "angle", 0.0f);
  gl::uniform2f(p, "translate", x + offsetX, y + offsetY);
  gl::uniform1f(p, "scaleVertex", 1.0f);
  gl::uniform2f(p, "scaleImage", 1.0f, 1.0f);
  gl::uniform1f(p, "fColor", -1.0f);
  gl::uniform4f(p, "drawColor", drawColour.r, drawColour.g, drawColour.b, drawColour.a * alpha);
  glDrawElements(GL_TRIANGLES, 18, GL_UNSIGNED_INT, nullptr);
}

// ---------------------------------------------------------------- bottom panel

ImageHudBottom::ImageHudBottom(float width, float height) {
  loadTexture(*this, "Image Hud Bottom.png");
  createShaderProgram(*this, kGenericSources);
  if (textureWidth <= 0 || textureHeight <= 0) return;
  const float TW = static_cast<float>(textureWidth), T = static_cast<float>(textureHeight);
  const float band = std::fmax(height - 58.0f, 0.0f);
  const float xs[4] = {0, 40, width - 16, width + 24};
  const float u[4] = {0, 40 / TW, 78 / TW, 118 / TW};
  const float ys[4] = {0, T - 12, T - 12 + band, T - 12 + band + 6};
  const float v[4] = {1, 1 - (T - 12) / T, 1 - (T - 6) / T, 0};
  makeGridMesh(*this, xs, ys, u, v);
  repeatInfo[0] = v[1] * uvScaleV;
  repeatInfo[1] = v[2] * uvScaleV;
  repeatInfo[2] = band / 6.0f;
  displayWidth = width + 24;
  displayHeight = ys[3];
  hasMesh = true;
}

void ImageHudBottom::draw(float x, float y, float alpha) {
  if (hasMesh) drawPanel(*this, x, y, alpha, repeatInfo, 54);
}

}  // namespace qv
