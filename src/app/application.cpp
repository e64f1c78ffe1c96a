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
#include "app/window.hpp"
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
#include "scenes/input_state.hpp"
#include "scenes/scene_draw.hpp"
#include "scenes/scene.hpp"
#include "ui/popup_notice.hpp"
#include "units/world.hpp"

namespace qv {
namespace {

// What the frame loop keeps between frames.
struct LoopState {
  float clear[4] = {1.0f, 1.0f, 0.0f, 1.0f};
  FrameStats stats;
};
LoopState& loop() {
  static LoopState s;
  return s;
}

void hideSystemCursor() {
  if (mainWindow()) glfwSetInputMode(mainWindow(), GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
}

void renderFrame(float fps, int64_t averageMicros) {
  GLFWwindow* window = mainWindow();
  if (!window) return;
  // In the world the window's background follows the sky (it dims at night);
  // menu screens cover it with their backdrop.
  if (World::sharedExists() && dynamic_cast<SceneGameplay*>(switcher().current())) {
    const Colour& sky = World::shared().clearColour;
    loop().clear[0] = sky.r;
    loop().clear[1] = sky.g;
    loop().clear[2] = sky.b;
  }
  const float* c = loop().clear;
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
  if (input().developer.active(input().developer.showFrameTimes)) drawFrameTimes(fps, averageMicros);
  if (shots.requested()) {
    int fw = 0, fh = 0;
    glfwGetFramebufferSize(window, &fw, &fh);
    shots.captureIfRequested(fw, fh);
  }
  popupNotice().draw();
  glfwSwapBuffers(window);
}

void loadStartup() {
  glfwSetInputMode(mainWindow(), GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
  switcher().drawnCursorVisible = false;
  switcher().hideSystemCursor = hideSystemCursor;
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  createWhitePixel();

  GameScenes& scenes = gameScenes();
  scenes.loading = std::make_unique<SceneLoading>();
  switcher().setCurrent(scenes.loading.get());
  renderFrame(0, 0);
  // After the first loading frame: the worker would slow its drawing.
  prefetchSceneFiles();
  renderFrame(0, 0);

  scenes.createAllButLoading(readDeveloperModeFile);
  // After the screens exist: a slider made before this would report its starting 0 as the volume.
  installUiSounds();
  scenes.settings->isFullScreen = [] { return settings().fullScreen; };

  applySettingsToScreen(settings(), audioRuns(), &windowShell());

  switcher().drawnCursorVisible = true;
  glfwSetInputMode(mainWindow(), GLFW_CURSOR, GLFW_CURSOR_HIDDEN);
  requestScene(scenes.earlyAccess.get(), 0, false);
}

// A termination signal closes the window as its close box would; the loop then
// ends at its next check and the shut-down runs as usual.
bool closeRequested() {
  GLFWwindow* window = mainWindow();
  if (platform::quitSignalReceived() && !glfwWindowShouldClose(window)) {
    logLine("Received signal ", platform::quitSignalNumber(), ", closing the game.");
    glfwSetWindowShouldClose(window, GLFW_TRUE);
  }
  return glfwWindowShouldClose(window);
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

// afterFirstFrame runs once the first frame is on screen: work that only waits on
// the disk should not hold back the first picture.
void runMainLoop(void (*afterFirstFrame)()) {
  const int64_t period = framePeriodMicros(monitorRefreshRate());
  FrameClock clock(platform::nowMicros());
  FrameStats& stats = loop().stats;
  while (!closeRequested()) {
    if (!(settings().frameLimit && clock.accumulator() < period)) {
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
        logLine(FrameStats::reportLine(settings().verticalSync, settings().frameLimit, stats.framesPerSecond(),
                                       stats.averageMicros()));
      }
      stats.afterRender(elapsed);
      renderFrame(stats.framesPerSecond(), stats.averageMicros());
      if (afterFirstFrame) {
        afterFirstFrame();
        afterFirstFrame = nullptr;
      }
      clock.frameRan();
    }
    clock.tick(platform::nowMicros());
  }
  if (afterFirstFrame) afterFirstFrame();  // closed before any frame
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
  closeWindow();
}

// The exit code: 0 after a normal run, kStartFailedExitCode when the game could not start.
int run() {
  // Before anything that takes long: a request to stop during start-up is kept
  // and honoured at the first check of the frame loop.
  platform::installQuitSignalHandlers();
  settings().load(platform::userDataPath("settings.txt"));
  if (const std::string missing = missingDataProblem(platform::programFolder()); !missing.empty()) {
    logLine("ERROR: ", missing);
    reportStartFailure(std::cerr, missing, "");
    return kStartFailedExitCode;
  }
  prefetchLoadingScreenFiles();
  if (!openWindow()) {
    logLine("ERROR: Problem loading OpenGL");
    reportStartFailure(std::cerr, "no window with OpenGL 3.3 could be opened: " + windowFailedStep(),
                       firstWindowError());
    return kStartFailedExitCode;
  }
  setWindowIcon();
  if (startAudio()) loadGameMusic();
  // Ours again, in case the audio library put its own in place (it only does so
  // where none is set, and is told not to, but a library update must not undo this).
  platform::installQuitSignalHandlers();
  loadStartup();
  fitViewportToWindow();
  // Written with a flush to the disk, which can take longer than loading a screen.
  runMainLoop([] { saveSettingsFile(); });
  shutDown();
  return 0;
}

}  // namespace

void resetFrameStatistics() { loop().stats.requestReset(); }

int programEntry() {
  platform::keepFreedMemoryForReuse();
  initLog();
  const int exitCode = run();
  logLine("Reached end of program");
  gameScenes().destroyAll();
  return exitCode;
}

}  // namespace qv
