#include "ui/popup_notice.hpp"

#include <algorithm>
#include <cmath>

#include "ui/hud.hpp"

namespace qv {

PopupNotice& popupNotice() {
  static PopupNotice notice;
  return notice;
}

void PopupNotice::show(std::string_view message) {
  if (!frame_) frame_.emplace();
  if (!text_) text_.emplace(33, "", 0.0f, 0.0f, kValueTextColour);
  message_.assign(message.data(), message.size());
  text_->setText(message_);
  frame_->setSize(static_cast<float>(text_->width()), static_cast<float>(text_->height() - 26));
  timeLeft_ = kShownSeconds;
}

void PopupNotice::update(float dt) { timeLeft_ = std::max(0.0f, timeLeft_ - dt); }

void PopupNotice::draw() {
  if (!showing() || !frame_ || !text_) return;
  const float alpha = std::min(1.0f, timeLeft_ / kFadeSeconds);
  const float x = 0.0f, y = pxToUnits(kCentreYPx);
  frame_->draw(x, y, alpha);
  const float tx = x - pxToUnits(std::floor(static_cast<float>(text_->width()) / 2.0f));
  const float ty = y + pxToUnits(std::floor(static_cast<float>(text_->height() - 26) / 2.0f) + 12.0f);
  text_->draw(tx, ty, alpha);
}

}  // namespace qv
