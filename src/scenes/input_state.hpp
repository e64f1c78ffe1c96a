#pragma once

namespace qv {

// The developer's switches: developer mode comes from the developer's own
// "developerModeEnabledByDefault.txt"; in that mode keys toggle the rest.
struct DeveloperFlags {
  bool enabled = false;
  bool secondFlag = false;  // the file's second line, kept for the developer's tools
  bool showFrameTimes = false;
  bool hideHuds = false;
  bool hideCursor = false;
  bool underWaterInversion = false;
  bool scriptedCamera = false;
  // A switch shown only in developer mode.
  bool active(bool flag) const { return enabled && flag; }
};

// The player's hands as the window's callbacks left them: the one record the
// input layer (app/input.cpp) writes and every scene reads. Scenes run without
// a window, so tests set it directly.
struct InputState {
  bool leftHeld = false, rightHeld = false, middleHeld = false, shiftHeld = false;
  // How far the mouse moved while it turns the camera (middle button or shift held).
  float mouseDeltaX = 0.0f, mouseDeltaY = 0.0f;
  DeveloperFlags developer;
};
InputState& input();

}  // namespace qv
