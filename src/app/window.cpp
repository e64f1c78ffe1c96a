#include "app/window.hpp"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <vector>

#include "app/application.hpp"
#include "app/input.hpp"
#include "app/settings.hpp"
#include "app/shell.hpp"
#include "core/log.hpp"
#include "platform/platform.hpp"
#include "render/display.hpp"
#include "render/gl.hpp"
#include "render/gpu_resources.hpp"

namespace qv {
namespace {

struct WindowState {
  GLFWwindow* window = nullptr;
  bool initialised = false;
  bool glfwTerminated = false;
  int glfwErrorCount = 0;
  int refreshRate = 60;
  // The first GLFW error and the step that failed, for the player when the start fails.
  std::string firstGlfwError;
  std::string failedStep;
  std::vector<unsigned char> iconPixels;
};
WindowState& ws() {
  static WindowState s;
  return s;
}

void errorCallback(int /*code*/, const char* description) {
  if (ws().firstGlfwError.empty() && description) ws().firstGlfwError = description;
  if (ws().glfwErrorCount >= 5 || ws().glfwTerminated) return;
  ++ws().glfwErrorCount;
  logLine("ERROR: GLFW Error: ", description ? description : "");
}

void framebufferSizeCallback(GLFWwindow* /*w*/, int width, int height) { applyViewport(width, height); }

void terminateGlfw() {
  glfwTerminate();
  ws().glfwTerminated = true;
}

// Logs a failed start-up step and keeps its words for the player.
bool windowFailed(const char* step) {
  logLine("ERROR: ", step);
  ws().failedStep = step;
  return false;
}

void setWindowed() {
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
  GLFWwindow* w = mainWindow();
  if (!mode || !w) return;
  glfwSetWindowMonitor(w, nullptr, std::max((mode->width - 1280) / 2, 50), std::max((mode->height - 720) / 2, 50),
                       1280, 720, mode->refreshRate);
  fitViewportToWindow();
}

class WindowShell final : public Shell {
 public:
  void quit() override {
    if (mainWindow()) glfwSetWindowShouldClose(mainWindow(), GLFW_TRUE);
  }
  void toggleFullScreen() override { qv::toggleFullScreen(); }
  void setSwapInterval(int interval) override {
    if (mainWindow()) glfwSwapInterval(interval);
  }
  void openWebPage(const std::string& url) override { platform::openWebPage(url); }
};

}  // namespace

bool openWindow() {
  glfwSetErrorCallback(errorCallback);
  if (!glfwInit()) {
    return windowFailed("GLFW NOT loaded correctly");
  }
  logLine("GLFW loaded correctly");
  glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
  glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  if (!monitor) {
    terminateGlfw();
    return windowFailed("glfwGetPrimaryMonitor returned null");
  }
  const GLFWvidmode* mode = glfwGetVideoMode(monitor);
  if (!mode) {
    terminateGlfw();
    return windowFailed("glfwGetVideoMode returned null");
  }
  glfwWindowHint(GLFW_REFRESH_RATE, mode->refreshRate);
  ws().refreshRate = mode->refreshRate;

  GLFWwindow* window = nullptr;
  if (!settings().fullScreen) {
    computeViewport(1280, 720);
    window = glfwCreateWindow(1280, 720, "Quillon Vale", nullptr, nullptr);
    if (window) placeWindowed(window, mode);
  } else {
    computeViewport(mode->width, mode->height);
    window = glfwCreateWindow(display().viewport.width, display().viewport.height, "Quillon Vale", monitor, nullptr);
    logLine("Toggled windowed mode to fullscreen.");
  }
  if (!window) {
    terminateGlfw();
    return windowFailed("GLFW window NOT created correctly");
  }
  ws().window = window;
  int w = 0, h = 0;
  glfwGetWindowSize(window, &w, &h);
  computeViewport(w, h);
  logLine("GLFW window created correctly");

  glfwMakeContextCurrent(window);
  glfwSetFramebufferSizeCallback(window, framebufferSizeCallback);
  installInputCallbacks(window);

  if (!gladLoadGL(glfwGetProcAddress)) {
    ws().window = nullptr;
    terminateGlfw();
    return windowFailed("glad NOT loaded correctly");
  }
  gl::setContextReady(true);
  logLine("glad loaded correctly");
  glCullFace(GL_BACK);
  glFrontFace(GL_CCW);
  glfwSwapInterval(1);

  int monitorCount = 0;
  glfwGetMonitors(&monitorCount);
  auto glString = [](GLenum e) {
    const GLubyte* s = glGetString(e);
    return std::string(s ? reinterpret_cast<const char*>(s) : "");
  };
  logLine("");
  logLine("GPU Info and OpenGL Info...");
  logLine("Version: ", glString(GL_VERSION));
  logLine("Vendor: ", glString(GL_VENDOR));
  logLine("Renderer: ", glString(GL_RENDERER));
  logLine("Monitor Count: ", monitorCount);
  logLine("Primary Monitor: width = ", mode->width, " x height = ", mode->height, "  refresh rate = ",
          mode->refreshRate, "Hz");
  logLine("");
  ws().initialised = true;
  return true;
}

const std::string& windowFailedStep() { return ws().failedStep; }
const std::string& firstWindowError() { return ws().firstGlfwError; }
int monitorRefreshRate() { return ws().refreshRate; }

void setWindowIcon() {
  PngImage icon = loadPng("3 Legged Creature.png", false);
  if (icon.paddedWidth <= 0 || icon.paddedHeight <= 0 || icon.empty()) return;
  ws().iconPixels = std::move(icon.pixels);
  GLFWimage image{icon.paddedWidth, icon.paddedHeight, ws().iconPixels.data()};
  glfwSetWindowIcon(ws().window, 1, &image);
}

void closeWindow() {
  glfwDestroyWindow(ws().window);
  ws().window = nullptr;
  gl::setContextReady(false);
  glfwTerminate();
  logLine("glfwTerminate successful");
  ws().glfwTerminated = true;
}

GLFWwindow* mainWindow() { return ws().window; }

void applyViewport(int width, int height) {
  computeViewport(width, height);
  if (ws().initialised && gl::contextReady()) {
    const IntRect& v = display().viewport;
    glViewport(v.x, v.y, v.width, v.height);
  }
}

void fitViewportToWindow() {
  if (!ws().window) return;
  int w = 0, h = 0;
  glfwGetWindowSize(ws().window, &w, &h);
  applyViewport(w, h);
}

void placeWindowed(GLFWwindow* window, const GLFWvidmode* mode) {
  if (!window || !mode) return;
  glfwSetWindowPos(window, std::max((mode->width - 1280) / 2, 50), std::max((mode->height - 720) / 2, 50));
}

void toggleFullScreen() {
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
  GLFWwindow* w = mainWindow();
  if (!mode || !w) return;
  Settings& s = settings();
  if (!s.fullScreen) {
    glfwSetWindowMonitor(w, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
    fitViewportToWindow();
    logLine("Toggled windowed mode to fullscreen.");
  } else {
    setWindowed();
    logLine("Toggled windowed mode to windowed.");
  }
  glfwSwapInterval(s.verticalSync ? 1 : 0);
  resetFrameStatistics();
  s.fullScreen = !s.fullScreen;
}

Shell& windowShell() {
  static WindowShell shell;
  return shell;
}

}  // namespace qv
