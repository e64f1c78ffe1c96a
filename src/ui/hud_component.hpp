#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/colour.hpp"
#include "core/vecmath.hpp"
#include "ui/font.hpp"
#include "ui/image.hpp"

// Interactive interface widgets grouped in Huds. Constructors take design pixels
// relative to the owning Hud's top-left corner (y up, so rows below are negative);
// positions are stored in units. mouse() receives design pixels relative to the Hud.
namespace qv {

// Mouse actions.
inline constexpr int kMouseMove = 0;
inline constexpr int kMousePress = 1;
inline constexpr int kMouseDrag = 2;
inline constexpr int kMouseRelease = 3;

// Component states.
inline constexpr int kStateHidden = 0;
inline constexpr int kStateActive = 1;
inline constexpr int kStateDisabled = 2;

// Tooltip sides.
inline constexpr int kTooltipOn = 0;
inline constexpr int kTooltipLeft = 1;
inline constexpr int kTooltipAbove = 2;
inline constexpr int kTooltipRight = 3;
inline constexpr int kTooltipBelow = 4;

// Label tint of colour schemes 0, 1, 2 when not highlighted (white when highlighted).
Colour schemeColour(int scheme);
inline const Colour kValueTextColour{0.61f, 0.99f, 0.78f, 1.0f};
// Labels when highlighted, and tooltip titles.
inline const Colour kHighlightTextColour{1.0f, 1.0f, 1.0f, 1.0f};

// Sounds the widgets ask for; the audio module installs these. Unset hooks are silent.
struct UiSoundHooks {
  std::function<void()> buttonClick;              // "Button Click.ogg" at the button volume
  std::function<bool()> sliderClickPlaying;       // true while the slider click still sounds
  std::function<void(float volume)> sliderClick;  // volume < 0: the normal sound volume
  // Sliders 1302 (music) and 1303 (sound effects) report their value (0..1) here.
  std::function<void(int identifier, float value)> volumeSlider;
};
UiSoundHooks& uiSoundHooks();

inline constexpr int kMusicVolumeSliderId = 1302;
inline constexpr int kSoundVolumeSliderId = 1303;

// A chamfered rectangle: W x H (H negative, extends down from the top-left corner)
// with polylines cutting the left and right corners.
struct HitShape {
  static HitShape chamfered(float width, float height, std::vector<Vec2> left, std::vector<Vec2> right);
  float width = 0.0f, height = 0.0f;
  std::vector<Vec2> left, right;
  // (dx, dy) in design pixels relative to the top-left corner.
  bool contains(float dx, float dy) const;
};

// The one tooltip box all components share.
class TooltipBox {
 public:
  TooltipBox();
  void setMessage(std::string_view text);
  void draw(float x, float y, float alpha) const;
  const std::string& message() const { return message_; }
  // Frame size in design pixels.
  float widthPx() const { return frame.displayWidth; }
  float heightPx() const { return frame.displayHeight; }

  ImageHud3x3Resizable frame;
  TextDynamic title;
  TextDynamic text;

 private:
  std::string message_;
};
TooltipBox& tooltipBox();

class HudComponent {
 public:
  virtual ~HudComponent() = default;
  virtual void draw(float x, float y, float alpha) {}
  // Identifier when hit, 0 when a derived kind is missed, -1 from the base.
  virtual int mouse(float x, float y, int action) { return -1; }
  virtual void setHighlighted(bool on) { highlighted = on; }
  virtual void setState(int newState) { state = newState; }
  virtual void resetPulse() {}
  virtual void update(float dt);
  virtual void drawTooltip(float x, float y, float alpha = 1.0f);
  virtual int identifier() const { return 0; }

  // Ends a showing or a hover in progress (the component was hidden by its owner).
  void cancelTooltip() { trackTooltip(false); }
  // Places the tooltip box for this showing; (x, y) is the Hud's draw position.
  void placeTooltip(float x, float y);

  bool highlighted = false;
  int state = kStateActive;
  bool clickWhenDisabled = false;
  std::string tooltipText;
  int tooltipPhase = 0;  // 0 none, 1 hovering, 2 shown
  int tooltipSide = kTooltipOn;
  float tooltipX = 0.0f, tooltipY = 0.0f;  // units, relative to the Hud
  float hoverTime = 0.0f;
  float tooltipDelay = 0.25f;
  bool tooltipPlaced = false;
  // The Hud draws tooltips after all its components so no neighbour covers them;
  // a component drawn outside a Hud sets this to draw its own.
  bool drawsOwnTooltip = false;
  bool clampTooltip = true;

  // Top-left corner (units, relative to the Hud) and size (design pixels) used for tooltip placement.
  float posX = 0.0f, posY = 0.0f;
  float sizeWidthPx = 0.0f, sizeHeightPx = 0.0f;

 protected:
  void trackTooltip(bool inside);
};

}  // namespace qv
