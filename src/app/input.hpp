#pragma once

struct GLFWwindow;

namespace qv {

class Shell;

// The window's events turned into the game's input state (scenes/input_state.hpp),
// key actions and commands.

// Connects the window's key, mouse-button and scroll events.
void installInputCallbacks(GLFWwindow* window);
// Once a frame: the keys held down (camera, tool panels) from the window.
void pollHeldKeys();
// The held-key work of one frame with the key state given (GLFW key codes).
void applyHeldKeys(bool (*down)(int key));
// Once a frame: the mouse position, or the camera turn while rotating.
void updateMouse();
// One key event (GLFW key code and action), as the window's key callback sees it.
void handleKey(int key, int action, Shell& shell);
// Reads the developer's "developerModeEnabledByDefault.txt" into the developer flags.
void readDeveloperModeFile();

}  // namespace qv
