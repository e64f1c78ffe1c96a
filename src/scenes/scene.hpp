#pragma once
#include <memory>
#include <string>
#include <vector>

namespace qv {

class Hud;

struct TransitionStep {
  float duration = 0.0f;
  float aStart = 1.0f, aEnd = 1.0f;
  float bStart = 0.0f, bEnd = 0.0f;
};

namespace steps {
inline constexpr TransitionStep FadeIn{0.2f, 0.0f, 1.0f, 0.0f, 0.0f};
inline constexpr TransitionStep FadeOut{0.2f, 1.0f, 0.0f, 0.0f, 0.0f};
inline constexpr TransitionStep Hidden{0.1f, 0.0f, 0.0f, 0.0f, 0.0f};
inline constexpr TransitionStep Instant{0.0f, 1.0f, 1.0f, 0.0f, 0.0f};
inline constexpr TransitionStep TitleFadeOut{0.33f, 0.0f, 0.0f, 0.0f, 1.0f};
}  // namespace steps

// What a scene shows behind its Huds: the world (none of its own), the menu
// backdrop always, or the backdrop because the request that brought it asked for it.
enum Backdrop : int { kNoBackdrop = 0, kOwnBackdrop = 1, kRequestedBackdrop = 2 };

// One screen of the game. Scenes are made once at start-up and switched
// between by request, so each keeps its state between visits.
class Scene {
 public:
  Scene(std::string name, Backdrop backdrop);
  virtual ~Scene();
  Scene(const Scene&) = delete;
  Scene& operator=(const Scene&) = delete;

  // Runs the transition and the Huds; true exactly when a transition out finished.
  virtual bool update(float dt);
  virtual void draw();
  int mouseAtCursor(int button, int action);
  virtual void updateTransitionValues();
  virtual void onTransitionedOut();
  virtual int mouse(float x, float y, int action);
  virtual void afterTransitionedOut() {}
  virtual void onBecameCurrent() {}
  // Commands that belong to this screen alone (tool panels, the units screens);
  // the central command handler offers every identifier it does not know here.
  virtual bool handleCommand(int id) { return false; }

  void addHud(std::shared_ptr<Hud> hud);
  void addTransitionIn(const TransitionStep& step, int index);
  void addTransitionOut(const TransitionStep& step, int index);
  void logLoaded() const;

  const std::string& name() const { return name_; }
  float hudOpacity() const { return hudOpacity_; }
  float titleOpacity() const { return titleOpacity_; }
  int transitionState() const { return state_; }
  Backdrop backdropMode() const { return backdropMode_; }
  int setIndex() const { return setIndex_; }
  size_t inSetCount() const { return in_.size(); }
  size_t outSetCount() const { return out_.size(); }
  const std::vector<std::shared_ptr<Hud>>& huds() const { return huds_; }

 protected:
  // The transition part of update(); the Huds are not touched.
  bool updateTransition(float dt);
  void drawBase();

  std::vector<std::shared_ptr<Hud>> huds_;

 private:
  friend class SceneSwitcher;
  bool advanceStep();

  std::string name_;
  float hudOpacity_ = 1.0f;
  float titleOpacity_ = 1.0f;
  int state_ = 0;
  TransitionStep step_{};
  bool hasStep_ = false;
  float stepHudOpacity_ = 1.0f;
  float stepTitleOpacity_ = 1.0f;
  float stepTime_ = 0.0f;
  Backdrop backdropMode_ = kNoBackdrop;
  std::vector<std::vector<TransitionStep>> in_;
  std::vector<std::vector<TransitionStep>> out_;
  int setIndex_ = 0;
  int nextStep_ = 0;
  bool backdropRequest_ = false;
};

// Which scene is shown, which one is asked for, and the bits of interface state
// every scene shares (entry counter, drawn cursor, mouse position). What the
// player holds down and the developer's switches are in scenes/input_state.hpp.
class SceneSwitcher {
 public:
  Scene* current() const { return current_; }
  Scene* requested() const { return requested_; }
  void setCurrent(Scene* s) { current_ = s; }
  void clear() {
    current_ = nullptr;
    requested_ = nullptr;
  }
  void requestScene(Scene* scene, int transitionIndex, bool backdrop);
  // Called by the frame loop when the current scene finished fading out (or there is none).
  void switchToRequestedScene();

  int entryCounter = 0;
  bool drawnCursorVisible = false;
  float mouseX = 0.0f, mouseY = 0.0f;
  // Hook for hiding the system cursor again after a fade-in (set by the app).
  void (*hideSystemCursor)() = nullptr;

 private:
  Scene* current_ = nullptr;
  Scene* requested_ = nullptr;
};

SceneSwitcher& switcher();
inline void requestScene(Scene* scene, int transitionIndex, bool backdrop = false) {
  switcher().requestScene(scene, transitionIndex, backdrop);
}

}  // namespace qv
