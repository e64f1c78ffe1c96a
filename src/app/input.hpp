#pragma once
#include <string>

struct GLFWwindow;
struct GLFWvidmode;

namespace qv {

class Scene;

struct InputState {
  float mouseDeltaX = 0.0f, mouseDeltaY = 0.0f;
  bool leftHeld = false, rightHeld = false, middleHeld = false;
  bool shiftHeld = false;
  bool keepColourHeld = false;
  bool showFrameTimes = false;
  bool underWaterInversion = false;
  bool scriptedCamera = false;
  bool secondDeveloperFlag = false;
};
InputState& input();

// Where the handler sends the player back to, and what ends the run or opens
// a page. The hooks default to the window's close flag and the system browser;
// tests replace them.
struct CommandState {
  Scene* settingsReturn = nullptr;
  Scene* feedbackReturn = nullptr;
  Scene* inGameMenuReturn = nullptr;
  Scene* helpReturn = nullptr;
  Scene* askSaveDestination = nullptr;
  void (*quit)() = nullptr;
  void (*openWebPage)(const std::string& url) = nullptr;
  // Which window mode to switch to (1307); defaults to toggleFullScreen.
  void (*toggleFullScreen)() = nullptr;
  // Vertical sync on or off (1308); defaults to glfwSwapInterval.
  void (*swapInterval)(int) = nullptr;
};
CommandState& commandState();

void installInputCallbacks(GLFWwindow* window);
// Centres a 1280 x 720 window on the monitor, at least 50 pixels from its left and top edges.
void placeWindowed(GLFWwindow* window, const GLFWvidmode* mode);
void pollHeldKeys();
// The held-key work of one frame with the key state given (GLFW key codes).
void applyHeldKeys(bool (*down)(int key));
void updateMouse();
void readDeveloperModeFile();
void toggleFullScreen();
void setWindowed();
// One key event (GLFW key code and action), as the window's key callback sees it.
void handleKey(int key, int action);
// Acts on the identifier of a pressed interface component.
void handleCommand(int id);

// The frame loop's window and helpers shared with the input code.
GLFWwindow* mainWindow();
// Recomputes the viewport for a window size (or the window's own) and applies it.
void applyViewport(int width, int height);
void fitViewportToWindow();
float* clearColour();
void resetFrameStatistics();

}  // namespace qv
