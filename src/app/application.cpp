#include "app/application.hpp"
#include "app/screenshot.hpp"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "render/display.hpp"
#include "app/frame_stats.hpp"
#include "app/input.hpp"
#include "audio/audio.hpp"
#include "app/log_init.hpp"
#include "app/settings.hpp"
#include "app/start_failure.hpp"
#include "core/log.hpp"
#include "platform/platform.hpp"
#include "render/gl.hpp"
#include "render/gpu_resources.hpp"
#include "render/model3d.hpp"
#include "scenes/frame_overlay.hpp"
#include "scenes/game_scenes.hpp"
#include "scenes/scene_draw.hpp"
#include "scenes/scene.hpp"
#include "ui/popup_notice.hpp"
#include "units/world.hpp"

namespace qv {
namespace {

struct Application {
  std::vector<unsigned char> iconPixels;
  int refreshRate = 60;
};

struct WindowState {
  GLFWwindow* window = nullptr;
  bool initialised = false;
  bool glfwTerminated = false;
  int glfwErrorCount = 0;
  // The first GLFW error and the step that failed, for the player when the start fails.
  std::string firstGlfwError;
  std::string failedStep;
  float clear[4] = {1.0f, 1.0f, 0.0f, 1.0f};
  FrameStats stats;
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

void hideSystemCursor() {
  if (ws().window) glfwSetInputMode(ws().window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
}

void terminateGlfw() {
  glfwTerminate();
  ws().glfwTerminated = true;
}

// Logs a failed start-up step and keeps its words for the player.
int windowFailed(const char* step) {
  logLine("ERROR: ", step);
  ws().failedStep = step;
  return -1;
}

int createWindow(Application& app) {
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
  app.refreshRate = mode->refreshRate;

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
  return 0;
}

void setWindowIcon(Application& app) {
  PngImage icon = loadPng("3 Legged Creature.png", false);
  if (icon.paddedWidth <= 0 || icon.paddedHeight <= 0 || icon.empty()) return;
  app.iconPixels = std::move(icon.pixels);
  GLFWimage image{icon.paddedWidth, icon.paddedHeight, app.iconPixels.data()};
  glfwSetWindowIcon(ws().window, 1, &image);
}

void renderFrame(float fps, int64_t averageMicros) {
  if (!ws().window) return;
  // In the world the window's background follows the sky (it dims at night);
  // menu screens cover it with their backdrop.
  if (World::sharedExists() && dynamic_cast<SceneGameplay*>(switcher().current())) {
    const Colour& sky = World::shared().clearColour;
    ws().clear[0] = sky.r;
    ws().clear[1] = sky.g;
    ws().clear[2] = sky.b;
  }
  const float* c = ws().clear;
  if (display().letterboxed() && whitePixelAvailable()) {
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawWhitePixel(c[0], c[1], c[2]);
  } else {
    glClearColor(c[0], c[1], c[2], 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  ScreenshotTaker& shots = screenshotTaker();
  shots.collect();  // the pixels read at the end of the last frame
  SceneSwitcher& sw = switcher();
  // A screenshot shows the world and the panels, not the pointer.
  const bool cursor = sw.drawnCursorVisible;
  if (shots.requested()) sw.drawnCursorVisible = false;
  if (Scene* s = sw.current()) s->draw();
  sw.drawnCursorVisible = cursor;
  if (sw.developerMode && input().showFrameTimes) drawFrameTimes(fps, averageMicros);
  if (shots.requested()) {
    int fw = 0, fh = 0;
    glfwGetFramebufferSize(ws().window, &fw, &fh);
    shots.captureIfRequested(fw, fh);
  }
  popupNotice().draw();
  glfwSwapBuffers(ws().window);
}

void loadStartup() {
  glfwSetInputMode(ws().window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
  switcher().drawnCursorVisible = false;
  switcher().hideSystemCursor = hideSystemCursor;
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  createWhitePixel();

  GameScenes& scenes = gameScenes();
  scenes.loading = std::make_unique<SceneLoading>();
  switcher().setCurrent(scenes.loading.get());
  renderFrame(0, 0);
  renderFrame(0, 0);

  scenes.createAllButLoading(readDeveloperModeFile);
  // After the screens exist: a slider made before this would report its starting 0 as the volume.
  installUiSounds();
  scenes.settings->isFullScreen = [] { return settings().fullScreen; };

  applySettingsToScreen(settings(), audioRuns(), [](int on) { glfwSwapInterval(on); });

  switcher().drawnCursorVisible = true;
  glfwSetInputMode(ws().window, GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
  requestScene(scenes.earlyAccess.get(), 0, false);
}

// A termination signal closes the window as its close box would; the loop then
// ends at its next check and the shut-down runs as usual.
bool closeRequested() {
  if (platform::quitSignalReceived() && !glfwWindowShouldClose(ws().window)) {
    logLine("Received signal ", platform::quitSignalNumber(), ", closing the game.");
    glfwSetWindowShouldClose(ws().window, GLFW_TRUE);
  }
  return glfwWindowShouldClose(ws().window);
}

void updateScreenshotNotice(float dt) {
  popupNotice().update(dt);
  switch (screenshotTaker().poll()) {
    case ScreenshotTaker::Result::kSaved: popupNotice().show("Screenshot saved"); break;
    case ScreenshotTaker::Result::kFailed: popupNotice().show("The screenshot could not be saved"); break;
    case ScreenshotTaker::Result::kBusy: popupNotice().show("Still saving the last screenshot"); break;
    default: break;
  }
}

void runMainLoop(Application& app) {
  const int64_t period = framePeriodMicros(app.refreshRate);
  FrameClock clock(platform::nowMicros());
  FrameStats& stats = ws().stats;
  while (!closeRequested()) {
    if (!(frameLimitOn() && clock.accumulator() < period)) {
      const int64_t elapsed = clock.frameMicros();
      const float dt = static_cast<float>(elapsed) / 1000000.0f;
      SceneSwitcher& sw = switcher();
      Scene* current = sw.current();
      const bool finished = current ? current->update(dt) : true;
      if (finished && sw.requested()) sw.switchToRequestedScene();
      pollHeldKeys();
      updateMouse();
      glfwPollEvents();
      glfwPollEvents();
      updateMusic(dt);
      updateScreenshotNotice(dt);
      if (stats.beforeRender()) {
        logLine(FrameStats::reportLine(verticalSyncOn(), frameLimitOn(), stats.framesPerSecond(),
                                       stats.averageMicros()));
      }
      stats.afterRender(elapsed);
      renderFrame(stats.framesPerSecond(), stats.averageMicros());
      clock.frameRan();
    }
    clock.tick(platform::nowMicros());
  }
}

void shutDown() {
  logLine("Main game loop stopped");
  screenshotTaker().finish();
  screenshotTaker().poll();
  glDisable(GL_BLEND);
  deleteFonts();
  logLine("Fonts deleted");
  deleteGpuResources();
  // The world's objects and the model cache only hold names of what was just freed.
  World::destroyShared();
  clearModelCache();
  shutDownAudio();
  glfwDestroyWindow(ws().window);
  ws().window = nullptr;
  gl::setContextReady(false);
  glfwTerminate();
  logLine("glfwTerminate successful");
  ws().glfwTerminated = true;
}

// The exit code: 0 after a normal run, kStartFailedExitCode when the game could not start.
int run(Application& app) {
  // Before anything that takes long: a request to stop during start-up is kept
  // and honoured at the first check of the frame loop.
  platform::installQuitSignalHandlers();
  settings().load(platform::userDataPath("settings.txt"));
  if (const std::string missing = missingDataProblem(platform::programFolder()); !missing.empty()) {
    logLine("ERROR: ", missing);
    reportStartFailure(std::cerr, missing, "");
    return kStartFailedExitCode;
  }
  prefetchLoadingScreenPictures();
  if (createWindow(app) == -1) {
    logLine("ERROR: Problem loading OpenGL");
    reportStartFailure(std::cerr, "no window with OpenGL 3.3 could be opened: " + ws().failedStep,
                       ws().firstGlfwError);
    return kStartFailedExitCode;
  }
  setWindowIcon(app);
  if (startAudio()) loadGameMusic();
  // Ours again, in case the audio library put its own in place (it only does so
  // where none is set, and is told not to, but a library update must not undo this).
  platform::installQuitSignalHandlers();
  loadStartup();
  saveSettingsFile();
  fitViewportToWindow();
  runMainLoop(app);
  shutDown();
  return 0;
}

}  // namespace

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
float* clearColour() { return ws().clear; }
void resetFrameStatistics() { ws().stats.requestReset(); }

int programEntry() {
  initLog();
  int exitCode = 0;
  {
    Application app;
    exitCode = run(app);
  }
  logLine("Reached end of program");
  gameScenes().destroyAll();
  return exitCode;
}

}  // namespace qv
