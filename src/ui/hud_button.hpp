#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "ui/hud_component.hpp"

namespace qv {

// Buttons: one configurable kind and the sizes the screens use.
struct HudButtonConfig {
  std::string highlightedPicture, plainPicture;
  std::string iconPicture;  // empty = no icon
  float iconWidth = 0, iconHeight = 0;  // design pixels, 0 = the picture's size
  float iconX = 0, iconY = 0;           // design pixels from the button's corner
  int fontSize = 37;
  std::string label;
  float labelY = -23;
  float faceWidth = 0;  // label centring width, design pixels
  float x = 0, y = 0;   // design pixels
  int identifier = 0;
  HitShape hitShape;
  int colourScheme = 1;
  int hitMargin = 9;
  std::string tooltip;
  int tooltipSide = kTooltipOn;
  float tooltipDelay = 0.25f;
  bool clickSound = true;
  bool staticLabel = true;
  bool clickWhenDisabled = false;
};

class HudButton : public HudComponent {
 public:
  explicit HudButton(const HudButtonConfig& config);
  void draw(float x, float y, float alpha) override;
  int mouse(float x, float y, int action) override;
  void setHighlighted(bool on) override;
  void resetPulse() override;
  void update(float dt) override;
  int identifier() const override { return id; }

  void setLabel(std::string_view text);
  void setPulsing(bool on);
  const std::string& label() const { return labelText; }

  std::optional<ImageTextStatic> staticLabel;
  std::optional<TextDynamic> dynamicLabel;
  HitShape hitShape;
  int colourScheme = 1;
  int id = 0;
  ImageRect highlightedPicture, plainPicture;
  std::optional<ImageRect> icon;
  int hitMargin = 9;
  bool pulsing = false;
  float pulseTime = 0.0f, pulsePeriod = 1.0f, pulseValue = 1.0f;
  bool clickSound = true;

 protected:
  void applyLabelColour(const Colour& c);
  std::string labelText;
  int fontSize = 37;
  float labelY = -23, faceWidth = 0;
};

class HudButtonLargeLong : public HudButton {
 public:
  HudButtonLargeLong(std::string_view label, float x, float y, int identifier, std::string_view tooltip = "",
                     int tooltipSide = kTooltipOn, bool staticLabel = true, bool clickWhenDisabled = false);
};
class HudButtonLargeShort : public HudButton {
 public:
  HudButtonLargeShort(std::string_view label, float x, float y, int identifier, std::string_view tooltip = "",
                      int tooltipSide = kTooltipOn, bool clickWhenDisabled = false);
};
class HudButtonPageSelect : public HudButton {
 public:
  // iconPicture may be empty (page numbers are plain labels).
  HudButtonPageSelect(std::string_view iconPicture, std::string_view label, float x, float y, int identifier,
                      std::string_view tooltip = "", bool clickWhenDisabled = false);
};
class HudButtonSmall : public HudButton {
 public:
  // Always on the row y = -3; tooltip below.
  HudButtonSmall(std::string_view iconPicture, std::string_view label, float x, int identifier,
                 std::string_view tooltip = "", bool clickWhenDisabled = false);
};
class HudButtonSmallVeryShort : public HudButton {
 public:
  HudButtonSmallVeryShort(std::string_view iconPicture, std::string_view label, float x, float y, int identifier,
                          std::string_view tooltip = "", int tooltipSide = kTooltipOn,
                          bool clickWhenDisabled = false);
};
// The info symbol: no label, identifier 0, hovering shows the message.
class HudPopupMessage : public HudButton {
 public:
  HudPopupMessage(std::string_view message, float x, float y, int tooltipSide = kTooltipRight);
};

}  // namespace qv
