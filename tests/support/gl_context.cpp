#include "support/gl_context.hpp"

#include <GLFW/glfw3.h>
#include <algorithm>
#include <lodepng.h>
#include <sys/stat.h>

#include "render/gl.hpp"

namespace qvtest {

bool ensureGlContext() {
  // Tried once: a failed attempt is never retried and never half-succeeds later.
  static const bool ready = [] {
    constexpr int width = 1920, height = 1080;
    if (!glfwInit()) return false;
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    GLFWwindow* window = glfwCreateWindow(width, height, "Quillon Vale tests", nullptr, nullptr);
    if (!window) return false;
    glfwMakeContextCurrent(window);
    if (!gladLoadGL(glfwGetProcAddress)) return false;
    qv::gl::setContextReady(true);
    glViewport(0, 0, width, height);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    return true;
  }();
  return ready;
}

std::vector<uint8_t> readPixels(int width, int height) {
  const size_t row = static_cast<size_t>(width) * 4;
  std::vector<uint8_t> px(row * height);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  for (int y = 0; y < height / 2; ++y) std::swap_ranges(&px[y * row], &px[(y + 1) * row], &px[(height - 1 - y) * row]);
  return px;
}

Rgb pixelAt(const std::vector<uint8_t>& rgba, int width, int x, int y) {
  const size_t i = (static_cast<size_t>(y) * width + x) * 4;
  return {rgba[i], rgba[i + 1], rgba[i + 2]};
}

std::string saveScreenshot(const std::string& name, const std::vector<uint8_t>& rgba, int width, int height) {
  mkdir(QV_SCREENSHOT_DIR, 0755);
  const std::string path = std::string(QV_SCREENSHOT_DIR) + "/" + name + ".png";
  std::vector<uint8_t> opaque(rgba);
  for (size_t i = 3; i < opaque.size(); i += 4) opaque[i] = 255;
  lodepng::encode(path, opaque, static_cast<unsigned>(width), static_cast<unsigned>(height));
  return path;
}

}  // namespace qvtest
