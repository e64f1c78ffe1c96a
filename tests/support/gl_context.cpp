#include "support/gl_context.hpp"

#include <GLFW/glfw3.h>
#include <algorithm>
#include <lodepng.h>
#include <sys/stat.h>

#include "render/gl.hpp"

namespace qvtest {
namespace {
GLFWwindow* g_window = nullptr;
bool g_tried = false;
}  // namespace

bool ensureGlContext() {
  constexpr int width = 1920, height = 1080;
  if (g_window) return true;
  if (g_tried) return false;
  g_tried = true;
  if (!glfwInit()) return false;
  glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
  glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
  g_window = glfwCreateWindow(width, height, "Quillon Vale tests", nullptr, nullptr);
  if (!g_window) return false;
  glfwMakeContextCurrent(g_window);
  if (!gladLoadGL(glfwGetProcAddress)) return false;
  qv::gl::setContextReady(true);
  glViewport(0, 0, width, height);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  return true;
}

std::vector<uint8_t> readPixels(int width, int height) {
  std::vector<uint8_t> bottomUp(static_cast<size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  std::vector<uint8_t> top(bottomUp.size());
  const size_t row = static_cast<size_t>(width) * 4;
  for (int y = 0; y < height; ++y)
    std::copy_n(&bottomUp[(height - 1 - y) * row], row, &top[y * row]);
  return top;
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
