#pragma once

namespace qv {

class Scene;
class Shell;

// Where the navigation commands send the player back to.
struct CommandState {
  Scene* settingsReturn = nullptr;
  Scene* feedbackReturn = nullptr;
  Scene* inGameMenuReturn = nullptr;
  Scene* helpReturn = nullptr;
  Scene* askSaveDestination = nullptr;
};
CommandState& commandState();

// Acts on the identifier of a pressed button (scenes/command_ids.hpp): the
// navigation between screens here, anything else by the current scene.
void handleCommand(int id, Shell& shell);

}  // namespace qv
