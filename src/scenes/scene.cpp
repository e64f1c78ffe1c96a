#include "scenes/scene.hpp"

#include <algorithm>

#include "core/log.hpp"
#include "scenes/input_state.hpp"
#include "scenes/scene_draw.hpp"
#include "ui/hud.hpp"

namespace qv {

SceneSwitcher& switcher() {
  static SceneSwitcher s;
  return s;
}

Scene::Scene(std::string name, Backdrop backdrop) : name_(std::move(name)), backdropMode_(backdrop) {
  sceneImages();  // the first scene made creates the shared backdrop and cursor images
}

Scene::~Scene() = default;

void Scene::addHud(std::shared_ptr<Hud> hud) { huds_.push_back(std::move(hud)); }

void Scene::addTransitionIn(const TransitionStep& step, int index) {
  if (index < 0) return;
  if (in_.size() < static_cast<size_t>(index) + 1) in_.resize(static_cast<size_t>(index) + 1);
  in_[static_cast<size_t>(index)].push_back(step);
}

void Scene::addTransitionOut(const TransitionStep& step, int index) {
  if (index < 0) return;
  if (out_.size() < static_cast<size_t>(index) + 1) out_.resize(static_cast<size_t>(index) + 1);
  out_[static_cast<size_t>(index)].push_back(step);
}

void Scene::logLoaded() const { logLine("Finished loading Scene \"", name_, "\""); }

bool Scene::advanceStep() {
  const auto& sets = state_ == 1 ? in_ : out_;
  if (hasStep_ || setIndex_ < 0 || static_cast<size_t>(setIndex_) >= sets.size()) return hasStep_;
  const auto& set = sets[static_cast<size_t>(setIndex_)];
  if (nextStep_ < 0 || static_cast<size_t>(nextStep_) >= set.size()) return false;
  step_ = set[static_cast<size_t>(nextStep_)];
  hasStep_ = true;
  stepTime_ = 0.0f;
  ++nextStep_;
  return true;
}

bool Scene::updateTransition(float dt) {
  if (state_ == 0) return false;
  advanceStep();
  if (hasStep_) {
    stepTime_ += dt;
    if (stepTime_ > step_.duration) {
      stepTime_ = 0.0f;
      hasStep_ = false;
      advanceStep();
    }
  }
  if (hasStep_) {
    float t = step_.duration > 0.0f ? std::clamp(stepTime_ / step_.duration, 0.0f, 1.0f) : 0.0f;
    const float a = step_.aStart + (step_.aEnd - step_.aStart) * t;
    const float c = 1.0f - (step_.bStart + (step_.bEnd - step_.bStart) * t);
    stepHudOpacity_ = a * c;
    stepTitleOpacity_ = c;
    return false;
  }
  const int was = state_;
  if (was == 2) {
    onTransitionedOut();
    afterTransitionedOut();
    logLine("Finished transitioning out for Scene \"", name_, "\"");
  } else if (was == 1) {
    SceneSwitcher& sw = switcher();
    sw.drawnCursorVisible = true;
    if (sw.hideSystemCursor) sw.hideSystemCursor();
    logLine("Finished transitioning in for Scene \"", name_, "\"");
    if (sw.entryCounter < 2) ++sw.entryCounter;
  }
  nextStep_ = 0;
  state_ = 0;
  return was == 2;
}

bool Scene::update(float dt) {
  const bool finishedOut = updateTransition(dt);
  updateTransitionValues();
  for (const auto& hud : huds_) hud->update(dt);
  return finishedOut;
}

void Scene::updateTransitionValues() {
  if (hasStep_) {
    hudOpacity_ = stepHudOpacity_;
    titleOpacity_ = stepTitleOpacity_;
  } else {
    hudOpacity_ = 1.0f;
    titleOpacity_ = 1.0f;
  }
}

void Scene::onTransitionedOut() {
  for (const auto& hud : huds_) hud->mouse(-10000.0f, -10000.0f, 0);
}

int Scene::mouseAtCursor(int /*button*/, int action) {
  return mouse(switcher().mouseX, switcher().mouseY, action);
}

int Scene::mouse(float x, float y, int action) {
  if (state_ != 0) return 0;
  for (const auto& hud : huds_) {
    const int r = hud->mouse(x - hud->posX * 540.0f, y - hud->posY * 540.0f, action);
    if (r > 0) return r;
  }
  return 0;
}

void Scene::draw() { drawBase(); }

void Scene::drawBase() {
  SceneSwitcher& sw = switcher();
  const DeveloperFlags& developer = input().developer;
  if (backdropMode_ != kNoBackdrop) drawBackdrop();
  if (!developer.active(developer.hideHuds)) {
    for (const auto& hud : huds_) {
      const float alpha = (sw.entryCounter < 2 && hud->isTitle) ? titleOpacity_ : hudOpacity_;
      hud->draw(alpha);
    }
  }
  if (!developer.active(developer.hideCursor) && sw.drawnCursorVisible) drawCursor(sw.mouseX, sw.mouseY);
}

void SceneSwitcher::requestScene(Scene* scene, int i, bool backdrop) {
  requested_ = scene;
  if (current_ && i >= 0 && static_cast<size_t>(i) < current_->out_.size()) {
    current_->setIndex_ = i;
    current_->nextStep_ = 0;
    current_->state_ = 2;
    current_->hasStep_ = false;
    current_->stepTime_ = 0.0f;
    current_->update(0.0f);
  }
  if (scene) scene->backdropRequest_ = backdrop;
}

void SceneSwitcher::switchToRequestedScene() {
  Scene* next = requested_;
  if (!next) return;
  const int i = current_ ? current_->setIndex_ : 0;
  if (next->backdropRequest_) {
    if (next->backdropMode_ == kNoBackdrop) next->backdropMode_ = kRequestedBackdrop;
  } else if (next->backdropMode_ == kRequestedBackdrop) {
    next->backdropMode_ = kNoBackdrop;
  }
  next->backdropRequest_ = false;
  if (i >= 0 && static_cast<size_t>(i) < next->in_.size()) {
    next->setIndex_ = i;
    next->nextStep_ = 0;
    next->state_ = 1;
    next->hasStep_ = false;
    next->stepTime_ = 0.0f;
    next->update(0.0f);
  }
  next->onBecameCurrent();
  current_ = next;
  requested_ = nullptr;
}

}  // namespace qv
