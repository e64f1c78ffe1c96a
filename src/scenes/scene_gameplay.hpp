#pragma once
#include <string>

#include "scenes/input_state.hpp"
#include "scenes/scene.hpp"

namespace qv {
// The world view. Every in-game screen derives from it so the world keeps
// being drawn behind panels and dialogs; dialog-like ones freeze it.
class SceneGameplay : public Scene {
 public:
  SceneGameplay(std::string name, bool freezesWorld);
  bool update(float dt) override;
  void draw() override;
  int mouse(float x, float y, int action) override;
  virtual void resetWorld();
  bool freezesWorld() const { return freezesWorld_; }
  // The census panel is open and this scene shows the living world.
  bool censusShown() const;

  // Timer of the developer's scripted camera move; advanced with simulated time.
  static float& scriptedCameraTimer();

 protected:
  bool eraserActive() const;

 private:
  bool freezesWorld_;
};

}  // namespace qv
