#pragma once
#include <string>

namespace qv {

// What the commands and keys ask of the window and the system around the game.
// The running game passes the window's own (windowShell() in app/window.hpp);
// tests pass a recorder, so no production record carries a test hook.
class Shell {
 public:
  virtual ~Shell() = default;
  // Ends the run: the frame loop stops at its next check and shuts down as usual.
  virtual void quit() = 0;
  // Between full screen on the primary monitor and a 1280 x 720 window.
  virtual void toggleFullScreen() = 0;
  // Vertical sync on (1) or off (0).
  virtual void setSwapInterval(int interval) = 0;
  // In the player's browser; a failure leaves the screen as it was.
  virtual void openWebPage(const std::string& url) = 0;
};

}  // namespace qv
