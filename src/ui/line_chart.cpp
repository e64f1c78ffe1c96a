#include "ui/line_chart.hpp"

#include <cmath>

#include "render/gl.hpp"
#include "render/gpu_resources.hpp"
#include "ui/image.hpp"

namespace qv {

namespace {
const char* kLineVertex = R"(#version 330 core
layout(location = 0) in vec2 position;
layout(location = 1) in vec4 colour;
uniform float aspectRatio;
uniform vec2 translate;
out vec4 lineColour;
void main() {
  vec2 p = position + translate;
  gl_Position = vec4(p.x / aspectRatio, p.y, 0.0, 1.0);
  lineColour = colour;
}
)";
const char* kLineFragment = R"(#version 330 core
in vec4 lineColour;
uniform float alpha;
out vec4 outColor;
void main() { outColor = vec4(lineColour.rgb, lineColour.a * alpha); }
)";
const ShaderSources kLineSources{"shaderLineChart", kLineVertex, "", kLineFragment};
}  // namespace

LineChartMesh::LineChartMesh(size_t maxSegments) : maxSegments_(maxSegments) {
  vertices_.reserve(maxSegments * kFloatsPerSegment);
  createShaderProgram(*this, kLineSources);
  if (!gl::contextReady()) return;
  GLuint vao = 0, vbo = 0;
  glGenVertexArrays(1, &vao);
  glBindVertexArray(vao);
  glGenBuffers(1, &vbo);
  glBindBuffer(GL_ARRAY_BUFFER, vbo);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(maxSegments * kFloatsPerSegment * sizeof(float)), nullptr,
               GL_DYNAMIC_DRAW);
  const GLsizei stride = static_cast<GLsizei>(kFloatsPerVertex * sizeof(float));
  glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, nullptr);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(2 * sizeof(float)));
  glEnableVertexAttribArray(1);
  glBindVertexArray(0);
  registerBuffers(vao, vbo, 0);
  vertexArray = vao;
  vertexBuffer = vbo;
}

void LineChartMesh::begin() { vertices_.clear(); }

void LineChartMesh::addLine(const float* xy, size_t points, const Colour& c, float thicknessPx) {
  const float half = pxToUnits(thicknessPx) * 0.5f;
  for (size_t k = 0; k + 1 < points; ++k) {
    if (vertices_.size() + kFloatsPerSegment > maxSegments_ * kFloatsPerSegment) return;
    const float x0 = pxToUnits(xy[2 * k]), y0 = pxToUnits(xy[2 * k + 1]);
    const float x1 = pxToUnits(xy[2 * k + 2]), y1 = pxToUnits(xy[2 * k + 3]);
    const float dx = x1 - x0, dy = y1 - y0;
    const float len = std::sqrt(dx * dx + dy * dy);
    if (!(len > 0.0f)) continue;
    // Each segment is a quad pushed out along its normal, lengthened by half
    // the thickness at both ends so neighbouring segments overlap at the joints.
    const float nx = -dy / len * half, ny = dx / len * half;
    const float ex = dx / len * half, ey = dy / len * half;
    const float a[2] = {x0 - ex + nx, y0 - ey + ny}, b[2] = {x0 - ex - nx, y0 - ey - ny};
    const float d[2] = {x1 + ex + nx, y1 + ey + ny}, e[2] = {x1 + ex - nx, y1 + ey - ny};
    const float* corners[6] = {a, b, d, d, b, e};
    for (const float* p : corners) vertices_.insert(vertices_.end(), {p[0], p[1], c.r, c.g, c.b, c.a});
  }
}

void LineChartMesh::finish() {
  uploaded_ = vertices_.size() / kFloatsPerVertex;
  if (!gl::contextReady() || vertexBuffer == 0 || vertices_.empty()) return;
  glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
  glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(vertices_.size() * sizeof(float)), vertices_.data());
}

void LineChartMesh::draw(float x, float y, float alpha) {
  if (!gl::contextReady() || shaderProgram == 0 || vertexArray == 0 || uploaded_ == 0) return;
  glUseProgram(shaderProgram);
  gl::uniform1f(shaderProgram, "aspectRatio", aspectRatio());
  gl::uniform2f(shaderProgram, "translate", x, y);
  gl::uniform1f(shaderProgram, "alpha", alpha);
  glBindVertexArray(vertexArray);
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(uploaded_));
  glBindVertexArray(0);
}

}  // namespace qv
