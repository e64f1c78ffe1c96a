#pragma once
#include <string>

struct GLFWwindow;
struct GLFWvidmode;

namespace qv {

class Shell;

// The game's one window and its OpenGL context. Created once by the frame loop's
// start-up; every GLFW window call outside the frame loop and the input callbacks is here.

// Opens the window as the settings ask (full screen, or 1280 x 720 centred) with an
// OpenGL 3.3 core context; false, with the failed step logged, when it cannot.
bool openWindow();
// Why openWindow failed: the step, and the first error GLFW reported ("" when none).
const std::string& windowFailedStep();
const std::string& firstWindowError();
// The picture in the title bar and the task bar.
void setWindowIcon();
// The primary monitor's refresh rate when the window was opened (60 before).
int monitorRefreshRate();
// Destroys the window and ends GLFW; the GL context is gone afterwards.
void closeWindow();

GLFWwindow* mainWindow();
// Recomputes the viewport for a window size (or the window's own) and applies it.
void applyViewport(int width, int height);
void fitViewportToWindow();
// Centres a 1280 x 720 window on the monitor, at least 50 pixels from its left and top edges.
void placeWindowed(GLFWwindow* window, const GLFWvidmode* mode);
// Switches between full screen and the window and records the mode in the settings.
void toggleFullScreen();

// The real window and system behind the Shell interface.
Shell& windowShell();

}  // namespace qv
