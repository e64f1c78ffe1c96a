#include "app/input.hpp"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "render/display.hpp"
#include "app/peer_calls.hpp"
#include "app/screenshot.hpp"
#include "app/settings.hpp"
#include "persistence/save_game.hpp"
#include "core/log.hpp"
#include "core/text_io.hpp"
#include "platform/platform.hpp"
#include "render/gl.hpp"
#include "scenes/app_config.hpp"
#include "scenes/census_panel.hpp"
#include "scenes/command_ids.hpp"
#include "scenes/game_scenes.hpp"
#include "scenes/scene.hpp"
#include "ui/hud.hpp"
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
  const int a = action == GLFW_PRESS ? kMousePress : action == GLFW_RELEASE ? kMouseRelease : kMouseMove;
  InputState& in = input();
  if (button == GLFW_MOUSE_BUTTON_LEFT) in.leftHeld = a == 1;
  else if (button == GLFW_MOUSE_BUTTON_RIGHT) in.rightHeld = a == 1;
  else if (button == GLFW_MOUSE_BUTTON_MIDDLE) in.middleHeld = a == 1;
  else return;
  mirrorIntoScene();
  Scene* s = switcher().current();
  if (!s) return;
  const int id = s->mouseAtCursor(button, a);
  if (id > 0 && a == kMousePress) handleCommand(id);
}

void keyCallback(GLFWwindow* /*w*/, int key, int /*scancode*/, int action, int /*mods*/) { handleKey(key, action); }

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

static bool windowKeyDown(int key) {
  GLFWwindow* w = mainWindow();
  return w && glfwGetKey(w, key) == GLFW_PRESS;
}

void pollHeldKeys() {
  if (!mainWindow()) return;
  applyHeldKeys(windowKeyDown);
}

void applyHeldKeys(bool (*down)(int key)) {
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
    in.mouseDeltaX = x - sw.mouseX;
    in.mouseDeltaY = y - sw.mouseY;
    mirrorIntoScene();
    s->mouse(0.0f, 0.0f, kMouseDrag);
    in.mouseDeltaX = in.mouseDeltaY = 0.0f;
    mirrorIntoScene();
    glfwSetCursorPos(w, iw * sw.mouseX / 1920.0f + ww / 2, wh / 2 - ih * sw.mouseY / 1080.0f);
  }
}

void readDeveloperModeFile() {
  std::ifstream in = platform::openInput(platform::userDataPath("developerModeEnabledByDefault.txt"));
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
  fitViewportToWindow();
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
  glfwSwapInterval(verticalSyncOn() ? 1 : 0);
  resetFrameStatistics();
  s.fullScreen = !s.fullScreen;
}

CommandState& commandState() {
  static CommandState s;
  return s;
}

namespace {

void quitGame() {
  if (commandState().quit) {
    commandState().quit();
    return;
  }
  if (mainWindow()) glfwSetWindowShouldClose(mainWindow(), GLFW_TRUE);
}

void openPage(const char* url) {
  if (commandState().openWebPage) commandState().openWebPage(url);
  else platform::openWebPage(url);  // a failure leaves the dialog as it was
}

void setSwapInterval(int on) {
  if (commandState().swapInterval) commandState().swapInterval(on);
  else if (mainWindow()) glfwSwapInterval(on);
}

bool unsavedChanges() { return World::sharedExists() && World::shared().unsavedChanges; }

// True only once the save is on the disk; saveGame keeps the unsaved-changes flag otherwise.
bool saveToSelectedSlot() { return saveGame(World::shared(), saveSlots().selected) == 0; }

// A remembered return scene that was never set falls back to where the game
// would naturally continue instead of leaving the player on a dead screen.
Scene* orFallback(Scene* s, Scene* fallback) { return s ? s : fallback; }

void startNewGame() {
  const int result = loadDefaultWorld(World::shared());
  showLoadResult(result, gameScenes().saveSlots.get());
}

void pressSlot(int slot) {
  GameScenes& g = gameScenes();
  SaveSlots& slots = saveSlots();
  slots.selected = slot;
  if (slots.mode == kSlotsForLoading) {
    World& world = World::shared();
    const int result = loadGame(world, saveSlotPath(slot), kLoadSlot);
    // Templates the save left unassigned take the shipped settings.
    loadDefaultWorld(world, DefaultWorldPart::kTemplatesOnly);
    showLoadResult(result, switcher().current());
  } else if (slots.empty[slot]) {
    startNewGame();
  } else {
    requestScene(g.overwriteSlot.get(), 0);
  }
}

}  // namespace

void handleKey(int key, int action) {
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
    if (key == GLFW_KEY_PERIOD && (press || action == GLFW_RELEASE)) {
      input().keepColourHeld = press;
      peer::placementKeepColour(press);
    }
  }
  if (sw.developerMode && press) {
    InputState& in = input();
    switch (key) {
      case GLFW_KEY_F:
        if (commandState().toggleFullScreen) commandState().toggleFullScreen();
        else toggleFullScreen();
        break;
      case GLFW_KEY_G: in.showFrameTimes = !in.showFrameTimes; break;
      case GLFW_KEY_J: sw.hideHuds = !sw.hideHuds; break;
      case GLFW_KEY_K: sw.hideCursor = !sw.hideCursor; break;
      case GLFW_KEY_T: in.underWaterInversion = !in.underWaterInversion; break;
      case GLFW_KEY_Y: in.scriptedCamera = !in.scriptedCamera; break;
      default: break;
    }
    mirrorIntoScene();
  }
}

void handleCommand(int id) {
  GameScenes& g = gameScenes();
  CommandState& cs = commandState();
  Scene* current = switcher().current();
  switch (id) {
    case mainmenu::kNewGame:
      saveSlots().mode = kSlotsForNewGame;
      requestScene(g.saveSlots.get(), 0);
      break;
    case mainmenu::kLoadGame:
      saveSlots().mode = kSlotsForLoading;
      requestScene(g.saveSlots.get(), 0);
      break;
    case mainmenu::kSettings:
      cs.settingsReturn = current;
      requestScene(g.settings.get(), 0, true);
      break;
    case mainmenu::kFeedback:
      cs.feedbackReturn = current;
      requestScene(g.feedback.get(), 0, true);
      break;
    case mainmenu::kEarlyAccess:
      switcher().entryCounter = 0;
      requestScene(g.earlyAccess.get(), 0);
      break;
    case mainmenu::kQuit: quitGame(); break;

    // The tool and speed buttons of the top bar are its scene's own.
    case tophud::kMenu:
      cs.inGameMenuReturn = current;
      requestScene(g.inGameMenu.get(), 0);
      break;
    case tophud::kHelp:
      peer::stopHelpPulsing();
      cs.helpReturn = current;
      requestScene(g.help.get(), 0);
      break;
    case tophud::kUnits: requestScene(g.units.get(), 0); break;

    case ingamemenu::kMainMenu:
      if (unsavedChanges()) {
        cs.askSaveDestination = g.mainMenu.get();
        requestScene(g.askSave.get(), 0);
      } else {
        requestScene(g.mainMenu.get(), 0);
      }
      break;
    case ingamemenu::kSave:
      if (saveToSelectedSlot()) requestScene(g.gameSaved.get(), 0);
      else showSaveFailed(g.inGameMenu.get());
      break;
    case ingamemenu::kSettings:
      cs.settingsReturn = current;
      requestScene(g.settings.get(), 0);
      break;
    case ingamemenu::kFeedback:
      cs.feedbackReturn = current;
      requestScene(g.feedback.get(), 0);
      break;
    case ingamemenu::kQuit:
      requestScene(unsavedChanges() ? static_cast<Scene*>(g.saveAndQuit.get()) : g.quit.get(), 0);
      break;
    case ingamemenu::kBack: requestScene(orFallback(cs.inGameMenuReturn, g.topHud.get()), 0); break;
    case gamesaved::kOk:
    case asksave::kCancel:
    case saveandquit::kBack:
    case quitquestion::kBack: requestScene(g.inGameMenu.get(), 0); break;
    case asksave::kDontSave: requestScene(orFallback(cs.askSaveDestination, g.mainMenu.get()), 0); break;
    case asksave::kSave:
      if (saveToSelectedSlot()) requestScene(orFallback(cs.askSaveDestination, g.mainMenu.get()), 0);
      else showSaveFailed(g.inGameMenu.get());
      break;
    case saveandquit::kDontSave:
    case quitquestion::kQuit: quitGame(); break;
    case saveandquit::kSave:
      // Quitting after a failed save would lose the world the player asked to keep.
      if (saveToSelectedSlot()) quitGame();
      else showSaveFailed(g.inGameMenu.get());
      break;
    case help::kBack: requestScene(orFallback(cs.helpReturn, g.topHud.get()), 0); break;
    case feedback::kBack: requestScene(orFallback(cs.feedbackReturn, g.mainMenu.get()), 0); break;
    case feedback::kOk: openPage(kFeedbackPage); break;
    case earlyaccess::kOk: requestScene(g.mainMenu.get(), 0); break;
    case earlyaccess::kJoinMailingList: openPage(kMailingListPage); break;
    case errormessage::kBack:
      if (g.errorMessage) requestScene(orFallback(g.errorMessage->backScene, g.saveSlots.get()), 0);
      break;
    case errormessage::kContinueAnyway:
      if (g.errorMessage) requestScene(orFallback(g.errorMessage->continueScene, g.topHud.get()), 0);
      break;

    case settingsscreen::kBack:
      requestScene(orFallback(cs.settingsReturn, g.mainMenu.get()), 0);
      saveSettingsFile();
      break;
    case settingsscreen::kWindowMode:
      if (cs.toggleFullScreen) cs.toggleFullScreen();
      else toggleFullScreen();
      break;
    case settingsscreen::kVerticalSync:
      setSwapInterval(verticalSyncOn() ? 1 : 0);
      resetFrameStatistics();
      break;
    case settingsscreen::kFrameLimit: resetFrameStatistics(); break;

    case saveslots::kBack: requestScene(g.mainMenu.get(), 0); break;
    case overwriteslot::kCancel: requestScene(g.saveSlots.get(), 0); break;
    case overwriteslot::kOverwrite: startNewGame(); break;

    default:
      if (id >= saveslots::kFirstSlot && id < saveslots::kFirstSlot + kSaveSlotCount) {
        pressSlot(id - saveslots::kFirstSlot);
      } else if (id != kMusicVolumeSliderId && id != kSoundVolumeSliderId && current) {
        // The sliders act through their own value; the top bar, the tool panels
        // and the units screens answer their own identifiers.
        current->handleCommand(id);
      }
      break;
  }
}

}  // namespace qv
