#include "app/input.hpp"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "app/commands.hpp"
#include "app/peer_calls.hpp"
#include "app/screenshot.hpp"
#include "app/shell.hpp"
#include "app/window.hpp"
#include "core/text_io.hpp"
#include "platform/platform.hpp"
#include "render/display.hpp"
#include "scenes/census_panel.hpp"
#include "scenes/game_scenes.hpp"
#include "scenes/input_state.hpp"
#include "scenes/scene.hpp"
#include "ui/hud.hpp"
#include "units/world.hpp"

namespace qv {
namespace {

// The five scenes with the top bar, where the camera keys and shortcuts work.
bool liveSceneCurrent() {
  const GameScenes& g = gameScenes();
  const Scene* s = switcher().current();
  return s && (s == g.topHud.get() || s == g.unitPlacement.get() || s == g.eraser.get() || s == g.terrain.get() ||
               s == g.worldColors.get());
}

void mouseButtonCallback(GLFWwindow* /*w*/, int button, int action, int /*mods*/) {
  const int a = action == GLFW_PRESS ? kMousePress : action == GLFW_RELEASE ? kMouseRelease : kMouseMove;
  InputState& in = input();
  if (button == GLFW_MOUSE_BUTTON_LEFT) in.leftHeld = a == kMousePress;
  else if (button == GLFW_MOUSE_BUTTON_RIGHT) in.rightHeld = a == kMousePress;
  else if (button == GLFW_MOUSE_BUTTON_MIDDLE) in.middleHeld = a == kMousePress;
  else return;
  Scene* s = switcher().current();
  if (!s) return;
  const int id = s->mouseAtCursor(button, a);
  if (id > 0 && a == kMousePress) handleCommand(id, windowShell());
}

void keyCallback(GLFWwindow* /*w*/, int key, int /*scancode*/, int action, int /*mods*/) {
  handleKey(key, action, windowShell());
}

void scrollCallback(GLFWwindow* /*w*/, double /*x*/, double y) {
  if (y == 0.0 || !liveSceneCurrent() || !World::sharedExists()) return;
  World::shared().camera.zoom(static_cast<float>(2.0 * y / 60.0), true);
}

bool windowKeyDown(int key) {
  GLFWwindow* w = mainWindow();
  return w && glfwGetKey(w, key) == GLFW_PRESS;
}

}  // namespace

void installInputCallbacks(GLFWwindow* window) {
  glfwSetScrollCallback(window, scrollCallback);
  glfwSetKeyCallback(window, keyCallback);
  glfwSetMouseButtonCallback(window, mouseButtonCallback);
}

void pollHeldKeys() {
  if (!mainWindow()) return;
  applyHeldKeys(windowKeyDown);
}

void applyHeldKeys(bool (*down)(int key)) {
  input().shiftHeld = down(GLFW_KEY_LEFT_SHIFT) || down(GLFW_KEY_RIGHT_SHIFT);
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

  const GameScenes& g = gameScenes();
  const Scene* s = switcher().current();
  if (s == g.eraser.get()) {
    if (down(GLFW_KEY_C)) peer::eraserSizeRate(-3.0f);
    if (down(GLFW_KEY_V)) peer::eraserSizeRate(3.0f);
  } else if (s == g.terrain.get()) {
    if (down(GLFW_KEY_C)) peer::terrainSizeRate(-3.0f);
    if (down(GLFW_KEY_V)) peer::terrainSizeRate(3.0f);
    if (down(GLFW_KEY_B)) peer::terrainRateRate(-1.5f);
    if (down(GLFW_KEY_N)) peer::terrainRateRate(1.5f);
    static constexpr int kToolKeys[7] = {GLFW_KEY_F, GLFW_KEY_G, GLFW_KEY_H, GLFW_KEY_J,
                                         GLFW_KEY_K, GLFW_KEY_L, GLFW_KEY_SEMICOLON};
    for (int i = 0; i < 7; ++i)
      if (down(kToolKeys[i])) peer::selectTerrainTool(i);
  }
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
  const Vec2 m = mouseFromCursor(display(), cx, cy, ww, wh);
  float x = m.x, y = m.y;
  InputState& in = input();
  SceneSwitcher& sw = switcher();
  if (!in.shiftHeld && !in.middleHeld) {
    const float halfWidth = 0.5f * (static_cast<float>(display().viewport.width) / iw * 1920.0f);
    x = std::clamp(x, -halfWidth, halfWidth);
    y = std::clamp(y, -540.0f, 540.0f);
    s->mouse(x, y, (in.leftHeld || in.rightHeld) ? kMouseDrag : kMouseMove);
    sw.mouseX = x;
    sw.mouseY = y;
  } else {
    // Turning the camera: the scene sees the move, the pointer stays where it was.
    in.mouseDeltaX = x - sw.mouseX;
    in.mouseDeltaY = y - sw.mouseY;
    s->mouse(0.0f, 0.0f, kMouseDrag);
    in.mouseDeltaX = in.mouseDeltaY = 0.0f;
    glfwSetCursorPos(w, iw * sw.mouseX / 1920.0f + ww / 2, wh / 2 - ih * sw.mouseY / 1080.0f);
  }
}

void readDeveloperModeFile() {
  std::ifstream in = platform::openInput(platform::userDataPath("developerModeEnabledByDefault.txt"));
  DeveloperFlags& developer = input().developer;
  developer.enabled = false;
  developer.secondFlag = false;
  if (!in) return;
  // A line that is not a number leaves that flag off; this file is a developer's own.
  std::string line;
  try {
    if (textio::readLine(in, line)) developer.enabled = textio::toInt(line) != 0;
    if (textio::readLine(in, line)) developer.secondFlag = textio::toInt(line) != 0;
  } catch (const textio::ParseError&) {
  }
}

void handleKey(int key, int action, Shell& shell) {
  SceneSwitcher& sw = switcher();
  const bool press = action == GLFW_PRESS;
  if (press && key == GLFW_KEY_F12) screenshotTaker().request();
  if (liveSceneCurrent() && World::sharedExists()) {
    World& world = World::shared();
    // Speed keys act on press, repeat and release alike, as the number row always has.
    switch (key) {
      case GLFW_KEY_0: case GLFW_KEY_KP_0: case GLFW_KEY_P: peer::setGameSpeed(0); break;
      case GLFW_KEY_1: case GLFW_KEY_KP_1: peer::setGameSpeed(1); break;
      case GLFW_KEY_2: case GLFW_KEY_KP_2: peer::setGameSpeed(2); break;
      case GLFW_KEY_3: case GLFW_KEY_KP_3: peer::setGameSpeed(3); break;
      default: break;
    }
    if (press && key == GLFW_KEY_E) peer::toggleTool(kEraserTool);
    if (key == GLFW_KEY_U && !sw.requested()) requestScene(gameScenes().units.get(), 0);
    if (press && key == GLFW_KEY_T) peer::toggleTool(kTerrainTool);
    if (press && key == GLFW_KEY_O) peer::toggleTool(kWorldColoursTool);
    if (press && key == GLFW_KEY_TAB) censusPanelOpen() = !censusPanelOpen();
    // Backspace undoes the last terrain stroke, Shift + Backspace does it again; held, they repeat.
    if (key == GLFW_KEY_BACKSPACE && (press || action == GLFW_REPEAT)) {
      if (input().shiftHeld)
        world.redoSculpt();
      else
        world.undoSculpt();
    }
    if (key == GLFW_KEY_ESCAPE && press && world.toolMode != kNoTool) {
      world.toolMode = kNoTool;
      sw.entryCounter = 1;
      requestScene(gameScenes().topHud.get(), 2);
    }
  }
  if (sw.current() && sw.current() == gameScenes().unitPlacement.get()) {
    static constexpr int kColourKeys[6] = {GLFW_KEY_C, GLFW_KEY_V, GLFW_KEY_B, GLFW_KEY_N, GLFW_KEY_M, GLFW_KEY_COMMA};
    for (int k = 0; k < 6; ++k)
      if (press && key == kColourKeys[k]) peer::placementColourStep(k);
    if (key == GLFW_KEY_PERIOD && (press || action == GLFW_RELEASE)) peer::placementKeepColour(press);
  }
  DeveloperFlags& developer = input().developer;
  if (developer.enabled && press) {
    switch (key) {
      case GLFW_KEY_F: shell.toggleFullScreen(); break;
      case GLFW_KEY_G: developer.showFrameTimes = !developer.showFrameTimes; break;
      case GLFW_KEY_J: developer.hideHuds = !developer.hideHuds; break;
      case GLFW_KEY_K: developer.hideCursor = !developer.hideCursor; break;
      case GLFW_KEY_T: developer.underWaterInversion = !developer.underWaterInversion; break;
      case GLFW_KEY_Y: developer.scriptedCamera = !developer.scriptedCamera; break;
      default: break;
    }
  }
}

}  // namespace qv
