#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
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

class HudCheckbox : public HudComponent {
 public:
  HudCheckbox(float x, float y, int identifier, bool swatchStyle = false, std::string_view tooltip = "",
              bool clickWhenDisabled = false, Colour swatchColour = {1.0f, 1.0f, 1.0f, 1.0f});
  void draw(float x, float y, float alpha) override;
  int mouse(float x, float y, int action) override;
  int identifier() const override { return id; }
  void setSwatchColour(const Colour& c);

  float x = 0.0f, y = 0.0f;  // units
  HitShape hitShape;
  int id = 0;
  ImageRect plainPicture, highlightedPicture, centreMark;
  bool checked = false;
  bool swatchStyle = false;
  std::optional<ImageRect> swatch;
};

class HudCheckboxAndLabel : public HudCheckbox {
 public:
  HudCheckboxAndLabel(std::string_view label, float x, float y, int identifier);
  void draw(float x, float y, float alpha) override;
  void setHighlighted(bool on) override;

  ImageTextStatic labelText;
  // One plate picture serves both looks; the label colour shows the highlight.
  ImageRect plate, plateHighlighted;
  float baseX = 0.0f, baseY = 0.0f;  // units, the component's own corner
};

class HudSlider : public HudComponent {
 public:
  HudSlider(float x, float y, std::string_view label, int identifier, std::string_view tooltip,
            std::vector<std::string> optionLabels, std::vector<float> optionValues, bool labelLeft = false,
            int soundMode = 0, float labelShift = 0.0f, bool centreValueText = false,
            bool clickWhenDisabled = false);
  void draw(float x, float y, float alpha) override;
  int mouse(float x, float y, int action) override;
  int identifier() const override { return id; }

  void setValue(float t);
  float selectedOptionValue() const;
  int selectedIndex() const;
  void setVisibleOptions(unsigned mask);
  // Selects the visible option whose value is nearest to v.
  void selectValue(float v);

  int id = 0;
  ImageRect background, backgroundHighlighted, fill, fillHighlighted, knob, knobHighlighted;
  ImageTextStatic labelText;
  TextDynamic valueText;
  int hitMargin = 9;
  HitShape hitShape;
  float x = 0.0f, y = 0.0f;  // units
  float fillOffset = 0.0f, fillScale = 0.0f;
  float value = 0.0f;
  float lastSoundedValue = -1.0f;
  int trackWidth = 307;
  int knobWidth = 16;
  int soundMode = 0;  // 0 silent, 1 click at the new value's volume, 2 click at the normal volume
  bool dragging = false;
  std::vector<std::string> visibleLabels, allLabels;
  std::vector<float> visibleValues, allValues;
  int ownerInt1 = 0, ownerInt2 = 0;  // free for the owner
};

class HudTextStatic : public HudComponent {
 public:
  HudTextStatic(float x, float y, std::string_view text, int fontSize, Colour colour = {1.0f, 1.0f, 1.0f, 1.0f});
  void draw(float x, float y, float alpha) override;
  ImageTextStatic text;
};

class HudTextDynamic : public HudComponent {
 public:
  HudTextDynamic(float x, float y, std::string_view text, int fontSize, Colour colour = {1.0f, 1.0f, 1.0f, 1.0f});
  void draw(float x, float y, float alpha) override;
  void setText(std::string_view t) { text.setText(t); }
  TextDynamic text;
  float x = 0.0f, y = 0.0f;  // units
};

struct HudLayer {
  std::vector<std::shared_ptr<HudComponent>> components;
  int selected = -1;
  bool visible = true;
};

class Hud {
 public:
  static constexpr int kNoPageLayers = 1 << 20;
  // Shared ownership, or a reference to a component the caller keeps alive.
  void addComponent(std::shared_ptr<HudComponent> component, int layer);
  void addComponent(HudComponent& component, int layer);
  // (x, y): design pixels relative to the Hud's corner. Returns the identifier of the
  // last component hit (0 for none); keeps radio highlights per layer, and with page
  // switching a press on a layer-1 button shows that page.
  int mouse(float x, float y, int action);
  void update(float dt);
  // Background, caption, components, then the tooltips of its components (unless
  // the owner draws them itself with drawTooltips after every Hud).
  void draw(float alpha);
  void drawTooltips(float alpha);
  void setSelected(int layer, int index);
  void showPage(int page);
  // Top-left corner in design pixels from the interface centre, y up.
  void setPositionPx(float x, float y) {
    posX = pxToUnits(x);
    posY = pxToUnits(y);
  }
  HudLayer& layer(int i) { return layers.at(static_cast<size_t>(i)); }

  std::vector<HudLayer> layers;
  std::shared_ptr<Image> background;
  std::vector<ImageRect> captionPictures;
  std::vector<ImageTextStatic> captionTexts;
  int captionIndex = -1;
  float posX = 0.0f, posY = 0.0f;  // units
  bool pageSwitching = false;
  int currentPage = -1;
  int firstPageLayer = kNoPageLayers;  // layers from here on are pages
  bool keepSelectionInPageLayers = false;
  bool isTitle = false;
  bool tooltipsDrawnByOwner = false;

 private:
  std::vector<int> results_;  // scratch, sized when components are added
};

}  // namespace qv
