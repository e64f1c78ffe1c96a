#pragma once
#include <memory>

#include "core/colour.hpp"
#include "ui/hud.hpp"
#include "ui/image.hpp"

namespace qv {

class Unit3DTemplate;

// The colours a template preview shows at a given whole-second count: the
// primary option cycles every second, the secondary one every other second,
// so a preview walks through the combinations a placed unit may take. Both
// are dimmed by f (rgb x f, alpha x f + 1 - f). Empty option lists show white.
void previewColours(const Unit3DTemplate& t, int counter, float f, Colour& primary, Colour& secondary);

// A template's model turning inside a grey square (red while marked).
class ImageUnit3DTemplate : public ImageRect {
 public:
  ImageUnit3DTemplate(float width, float height, std::shared_ptr<Unit3DTemplate> unitTemplate, bool animated);
  void draw(float x, float y, float alpha) override;
  void draw(float x, float y, float angle, float alpha) override { draw(x, y, alpha); }
  void setTemplate(std::shared_ptr<Unit3DTemplate> t) { unitTemplate = std::move(t); }

  std::shared_ptr<Unit3DTemplate> unitTemplate;
  int state = 0;         // 1: marked (red square, dimmed)
  bool turning = true;   // the model spins with the interface clock
  bool cycling = true;   // the colours step through the options once a second
  float scaleFactor = 1.0f;
  float modelSize = 1.0f;
  float centreX = 0.0f, centreY = 0.0f;  // design pixels from the square's top-left corner
  float squareWidth = 0.0f, squareHeight = 0.0f;
};

// The clocks the previews follow: seconds for the colours, an angle for the turn.
// The gameplay world supplies them once it exists; before that the previews stand still.
struct PreviewClock {
  int wholeSeconds = 0;
  float angle = 0.0f;
};
PreviewClock& previewClock();

// A preview placed in a Hud (never hit, never highlighted).
class HudImageUnit3DTemplate : public HudComponent {
 public:
  HudImageUnit3DTemplate(float x, float y, float width, float height, std::shared_ptr<Unit3DTemplate> t,
                         bool animated = true);
  void draw(float x, float y, float alpha) override;
  ImageUnit3DTemplate image;
};

// A button whose face shows a template preview (the units screen and the editor's slots).
class HudButtonUnit3DTemplate : public HudButton {
 public:
  HudButtonUnit3DTemplate(float x, float y, int identifier, std::shared_ptr<Unit3DTemplate> t, bool small = false,
                          std::string_view tooltip = "");
  void draw(float x, float y, float alpha) override;
  ImageUnit3DTemplate preview;
};

}  // namespace qv
