#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "ui/font.hpp"
#include "ui/image.hpp"

namespace qv {

// A short message in the tooltip frame, high in the middle of the interface,
// that fades away by itself ("Screenshot saved").
class PopupNotice {
 public:
  static constexpr float kShownSeconds = 2.0f, kFadeSeconds = 0.4f;
  static constexpr float kCentreYPx = 390.0f;  // below the top bar

  void show(std::string_view message);
  void update(float dt);
  void draw();
  bool showing() const { return timeLeft_ > 0.0f; }
  const std::string& message() const { return message_; }

 private:
  std::optional<ImageHud3x3Resizable> frame_;
  std::optional<TextDynamic> text_;
  std::string message_;
  float timeLeft_ = 0.0f;
};

// The game's one notice (made on first use).
PopupNotice& popupNotice();

}  // namespace qv
