#include "app/input.hpp"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "render/display.hpp"
#include "app/settings.hpp"
#include "core/log.hpp"
#include "core/text_io.hpp"
#include "platform/platform.hpp"
#include "render/gl.hpp"
#include "scenes/app_config.hpp"
#include "scenes/game_scenes.hpp"
#include "scenes/scene.hpp"
#include "units/world.hpp"

namespace qv {

InputState& input() {
  static InputState s;
  return s;
}

namespace {

// The five scenes with the top bar, where the camera keys and shortcuts work.
bool liveSceneCurrent() {
  const GameScenes& g = gameScenes();
  const Scene* s = switcher().current();
  return s && (s == g.topHud.get() || s == g.unitPlacement.get() || s == g.eraser.get() || s == g.terrain.get() ||
               s == g.worldColors.get());
}

void mirrorIntoScene() {
  const InputState& in = input();
  SceneGameplay::InputView& v = SceneGameplay::inputView();
  v.leftHeld = in.leftHeld;
  v.rightHeld = in.rightHeld;
  v.middleHeld = in.middleHeld;
  v.shiftHeld = in.shiftHeld;
  v.mouseDeltaX = in.mouseDeltaX;
  v.mouseDeltaY = in.mouseDeltaY;
  v.underWaterInversion = in.underWaterInversion;
  v.scriptedCamera = in.scriptedCamera;
}

void mouseButtonCallback(GLFWwindow* /*w*/, int button, int action, int /*mods*/) {
  const int a = action == GLFW_PRESS ? 1 : action == GLFW_RELEASE ? 3 : 0;
  InputState& in = input();
  if (button == GLFW_MOUSE_BUTTON_LEFT) in.leftHeld = a == 1;
  else if (button == GLFW_MOUSE_BUTTON_RIGHT) in.rightHeld = a == 1;
  else if (button == GLFW_MOUSE_BUTTON_MIDDLE) in.middleHeld = a == 1;
  else return;
  mirrorIntoScene();
  Scene* s = switcher().current();
  if (!s) return;
  const int id = s->mouseAtCursor(button, a);
  if (id > 0 && a == 1) handleCommand(id);
}

void keyCallback(GLFWwindow* /*w*/, int key, int /*scancode*/, int action, int /*mods*/) {
  SceneSwitcher& sw = switcher();
  if (liveSceneCurrent() && World::sharedExists()) {
    World& world = World::shared();
    // Speed keys act on press, repeat and release alike, as the number row always has.
    switch (key) {
      case GLFW_KEY_0: case GLFW_KEY_KP_0: case GLFW_KEY_P: world.setGameSpeed(0); break;
      case GLFW_KEY_1: case GLFW_KEY_KP_1: world.setGameSpeed(1); break;
      case GLFW_KEY_2: case GLFW_KEY_KP_2: world.setGameSpeed(2); break;
      case GLFW_KEY_3: case GLFW_KEY_KP_3: world.setGameSpeed(3); break;
      default: break;
    }
    if (key == GLFW_KEY_U && !sw.requested()) requestScene(gameScenes().units.get(), 0);
    if (key == GLFW_KEY_ESCAPE && action == GLFW_PRESS && world.toolMode != 0) {
      world.toolMode = 0;
      sw.entryCounter = 1;
      requestScene(gameScenes().topHud.get(), 2);
    }
  }
  if (sw.developerMode && action == GLFW_PRESS) {
    InputState& in = input();
    switch (key) {
      case GLFW_KEY_F: toggleFullScreen(); break;
      case GLFW_KEY_G: in.showFrameTimes = !in.showFrameTimes; break;
      case GLFW_KEY_J: sw.hideHuds = !sw.hideHuds; break;
      case GLFW_KEY_K: sw.hideCursor = !sw.hideCursor; break;
      case GLFW_KEY_T: in.underWaterInversion = !in.underWaterInversion; break;
      case GLFW_KEY_Y: in.scriptedCamera = !in.scriptedCamera; break;
      default: break;
    }
  }
}

void scrollCallback(GLFWwindow* /*w*/, double /*x*/, double y) {
  if (y == 0.0 || !liveSceneCurrent() || !World::sharedExists()) return;
  World::shared().camera.zoom(static_cast<float>(2.0 * y / 60.0), true);
}

}  // namespace

void installInputCallbacks(GLFWwindow* window) {
  glfwSetScrollCallback(window, scrollCallback);
  glfwSetKeyCallback(window, keyCallback);
  glfwSetMouseButtonCallback(window, mouseButtonCallback);
}

void placeWindowed(GLFWwindow* window, const GLFWvidmode* mode) {
  if (!window || !mode) return;
  glfwSetWindowPos(window, std::max((mode->width - 1280) / 2, 50), std::max((mode->height - 720) / 2, 50));
}

void pollHeldKeys() {
  GLFWwindow* w = mainWindow();
  if (!w) return;
  auto down = [w](int key) { return glfwGetKey(w, key) == GLFW_PRESS; };
  input().shiftHeld = down(GLFW_KEY_LEFT_SHIFT) || down(GLFW_KEY_RIGHT_SHIFT);
  mirrorIntoScene();
  if (!liveSceneCurrent() || !World::sharedExists()) return;
  Camera& cam = World::shared().camera;
  const Vec3 forward = cam.levelForward() * Camera::kKeySpeed;
  const Vec3 right = cam.levelRight() * Camera::kKeySpeed;
  if (down(GLFW_KEY_W)) cam.velocity += forward;
  if (down(GLFW_KEY_S)) cam.velocity -= forward;
  if (down(GLFW_KEY_D)) cam.velocity += right;
  if (down(GLFW_KEY_A)) cam.velocity -= right;
  if (down(GLFW_KEY_SPACE)) {
    cam.velocity.z += Camera::kKeySpeed;
    cam.captureMaxHeight = true;
  }
  if (down(GLFW_KEY_LEFT_CONTROL) || down(GLFW_KEY_RIGHT_CONTROL)) {
    cam.velocity.z -= Camera::kKeySpeed;
    cam.captureMaxHeight = true;
  }
  if (down(GLFW_KEY_X)) cam.zoom(0.3125f, false);
  if (down(GLFW_KEY_Z)) cam.zoom(-0.3125f, false);
}

void updateMouse() {
  GLFWwindow* w = mainWindow();
  Scene* s = switcher().current();
  const IntRect& ir = display().interfaceRect;
  if (!w || !s || ir.width <= 0 || ir.height <= 0) return;
  double cx = 0, cy = 0;
  int ww = 0, wh = 0;
  glfwGetCursorPos(w, &cx, &cy);
  glfwGetWindowSize(w, &ww, &wh);
  const float iw = static_cast<float>(ir.width), ih = static_cast<float>(ir.height);
  float x = static_cast<float>(cx - ww / 2) / iw * 1920.0f;
  float y = -static_cast<float>(cy - wh / 2) / ih * 1080.0f;
  InputState& in = input();
  SceneSwitcher& sw = switcher();
  if (!in.shiftHeld && !in.middleHeld) {
    const float halfWidth = 0.5f * (static_cast<float>(display().viewport.width) / iw * 1920.0f);
    x = std::clamp(x, -halfWidth, halfWidth);
    y = std::clamp(y, -540.0f, 540.0f);
    s->mouse(x, y, (in.leftHeld || in.rightHeld) ? 2 : 0);
    sw.mouseX = x;
    sw.mouseY = y;
  } else {
    in.mouseDeltaX = x - sw.mouseX;
    in.mouseDeltaY = y - sw.mouseY;
    mirrorIntoScene();
    s->mouse(0.0f, 0.0f, 2);
    in.mouseDeltaX = in.mouseDeltaY = 0.0f;
    mirrorIntoScene();
    glfwSetCursorPos(w, iw * sw.mouseX / 1920.0f + ww / 2, wh / 2 - ih * sw.mouseY / 1080.0f);
  }
}

void readDeveloperModeFile() {
  std::ifstream in(platform::userDataPath("developerModeEnabledByDefault.txt"));
  SceneSwitcher& sw = switcher();
  sw.developerMode = false;
  input().secondDeveloperFlag = false;
  if (!in) return;
  // A line that is not a number leaves that flag off; this file is a developer's own.
  std::string line;
  try {
    if (textio::readLine(in, line)) sw.developerMode = textio::toInt(line) != 0;
    if (textio::readLine(in, line)) input().secondDeveloperFlag = textio::toInt(line) != 0;
  } catch (const textio::ParseError&) {
  }
}

void setWindowed() {
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
  GLFWwindow* w = mainWindow();
  if (!mode || !w) return;
  glfwSetWindowMonitor(w, nullptr, std::max((mode->width - 1280) / 2, 50), std::max((mode->height - 720) / 2, 50),
                       1280, 720, mode->refreshRate);
  int ww = 0, wh = 0;
  glfwGetWindowSize(w, &ww, &wh);
  computeViewport(ww, wh);
  if (gl::contextReady()) {
    const IntRect& v = display().viewport;
    glViewport(v.x, v.y, v.width, v.height);
  }
}

void toggleFullScreen() {
  GLFWmonitor* monitor = glfwGetPrimaryMonitor();
  const GLFWvidmode* mode = monitor ? glfwGetVideoMode(monitor) : nullptr;
  GLFWwindow* w = mainWindow();
  if (!mode || !w) return;
  Settings& s = settings();
  if (!s.fullScreen) {
    glfwSetWindowMonitor(w, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
    int ww = 0, wh = 0;
    glfwGetWindowSize(w, &ww, &wh);
    computeViewport(ww, wh);
    if (gl::contextReady()) {
      const IntRect& v = display().viewport;
      glViewport(v.x, v.y, v.width, v.height);
    }
    logLine("Toggled windowed mode to fullscreen.");
  } else {
    setWindowed();
    logLine("Toggled windowed mode to windowed.");
  }
  glfwSwapInterval(s.verticalSync ? 1 : 0);
  resetFrameStatistics();
  s.fullScreen = !s.fullScreen;
}

void handleCommand(int id) {
  GameScenes& g = gameScenes();
  switch (id) {
    case 1801: requestScene(g.mainMenu.get(), 0); break;
    case 1802: platform::openWebPage(kMailingListPage); break;
    case 105:
      switcher().entryCounter = 0;
      requestScene(g.earlyAccess.get(), 0);
      break;
    case 103:
    case 3002:
    case 1402:
      if (mainWindow()) glfwSetWindowShouldClose(mainWindow(), GLFW_TRUE);
      break;
    default: break;
  }
}

}  // namespace qv
