#pragma once
#include <string>

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

  // What the scene needs from the input layer each frame; kept here so the
  // scene runs (and is tested) without a window.
  struct InputView {
    bool leftHeld = false, rightHeld = false, middleHeld = false, shiftHeld = false;
    float mouseDeltaX = 0.0f, mouseDeltaY = 0.0f;
    bool underWaterInversion = false;
    bool scriptedCamera = false;
  };
  static InputView& inputView();
  // Timer of the developer's scripted camera move; advanced with simulated time.
  static float& scriptedCameraTimer();

 protected:
  bool eraserActive() const;

 private:
  bool freezesWorld_;
};

}  // namespace qv
