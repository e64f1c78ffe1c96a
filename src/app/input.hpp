#pragma once

struct GLFWwindow;
struct GLFWvidmode;

namespace qv {

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

void installInputCallbacks(GLFWwindow* window);
// Centres a 1280 x 720 window on the monitor, at least 50 pixels from its left and top edges.
void placeWindowed(GLFWwindow* window, const GLFWvidmode* mode);
void pollHeldKeys();
void updateMouse();
void readDeveloperModeFile();
void toggleFullScreen();
void setWindowed();
// Acts on the identifier of a pressed interface component.
void handleCommand(int id);

// The frame loop's window and helpers shared with the input code.
GLFWwindow* mainWindow();
float* clearColour();
void resetFrameStatistics();

}  // namespace qv
