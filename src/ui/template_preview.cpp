#include "ui/template_preview.hpp"

#include <algorithm>
#include <cmath>

#include "render/gl.hpp"
#include "render/gpu_resources.hpp"
#include "render/model3d.hpp"
#include "units/unit_template.hpp"

namespace qv {
namespace {

const Colour kGrey{0.5f, 0.5f, 0.5f, 1.5f};
const Colour kMarkedRed{1.0f, 0.0f, 0.0f, 1.0f};
const Colour kWhite{1.0f, 1.0f, 1.0f, 1.0f};

// The preview camera looks slightly down from the origin; each model is placed
// this far in front of it and moved on screen with the model shader's HUD offset,
// so every preview shares one perspective whatever its place on screen.
constexpr float kPreviewDistance = 2.4f;
constexpr double kPreviewPitch = -1.3;
const Vec3 kPreviewSun{25.0f, -50.0f, 50.0f};

Colour optionAt(const std::vector<Colour>& options, int index) {
  if (options.empty()) return kWhite;
  const size_t i = std::min(static_cast<size_t>(std::max(index, 0)), options.size() - 1);
  return options[i];
}

Colour dim(Colour c, float f) { return {c.r * f, c.g * f, c.b * f, c.a * f + (1.0f - f)}; }

// Limits drawing to an interface box (top-left corner in units, size in design
// pixels), in window pixels the way the 2D shaders place it: x divided by the
// aspect ratio, both scaled into the viewport in use. A model bigger than its
// box (a fish's tail, a snail's eye stalks) is cut at the box's edge instead of
// reaching into its neighbours.
void scissorToBox(float x, float y, float widthPx, float heightPx) {
  GLint vp[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, vp);
  const float aspect = aspectRatio();
  const auto windowX = [&](float u) { return vp[0] + (u / aspect + 1.0f) * 0.5f * static_cast<float>(vp[2]); };
  const auto windowY = [&](float u) { return vp[1] + (u + 1.0f) * 0.5f * static_cast<float>(vp[3]); };
  const float x0 = windowX(x), x1 = windowX(x + pxToUnits(widthPx));
  const float y0 = windowY(y - pxToUnits(heightPx)), y1 = windowY(y);
  const GLint left = static_cast<GLint>(std::lround(x0)), bottom = static_cast<GLint>(std::lround(y0));
  glEnable(GL_SCISSOR_TEST);
  glScissor(left, bottom, std::max(0, static_cast<GLint>(std::lround(x1)) - left),
            std::max(0, static_cast<GLint>(std::lround(y1)) - bottom));
}

HudButtonConfig templateButtonConfig(bool small) {
  HudButtonConfig c;
  const float w = small ? 85.0f : 182.0f, h = small ? 108.0f : 228.0f;
  c.highlightedPicture = small ? "Button Unit3D Template Small Hilighted.png" : "Button Unit3D Template Hilighted.png";
  c.plainPicture = small ? "Button Unit3D Template Small Not Hilighted.png" : "Button Unit3D Template Not Hilighted.png";
  c.hitShape.width = w;
  c.hitShape.height = -h;
  c.label = "";
  c.faceWidth = w;
  return c;
}

}  // namespace

PreviewClock& previewClock() {
  static PreviewClock c;
  return c;
}

void previewColours(const Unit3DTemplate& t, int counter, float f, Colour& primary, Colour& secondary) {
  const int n = static_cast<int>(t.primaryColourOptions.size());
  const int m = static_cast<int>(t.secondaryColourOptions.size());
  const int e = n == m ? 1 : 0;
  const int c = std::max(counter, 0);
  primary = dim(n > 0 ? optionAt(t.primaryColourOptions, c % n) : kWhite, f);
  const int period = 2 * m + e;
  secondary = dim(period > 0 && m > 0 ? optionAt(t.secondaryColourOptions, (c % period) / 2) : kWhite, f);
}

ImageUnit3DTemplate::ImageUnit3DTemplate(float width, float height, std::shared_ptr<Unit3DTemplate> t, bool animated)
    : ImageRect("White Pixel.png", width, height, kAnchorTopLeft, 0.0f, 0.0f, kGrey),
      unitTemplate(std::move(t)),
      turning(animated),
      cycling(animated),
      squareWidth(width),
      squareHeight(height) {
  float s = width / 182.0f;
  if (s < 0.75f) s *= 1.65f;
  if (s > 1.5f) s *= 0.65f;
  modelSize = s;
  centreX = static_cast<float>(static_cast<int>(width / 2.0f));
  centreY = -height / 2.0f;
}

void ImageUnit3DTemplate::draw(float x, float y, float alpha) {
  const float squareAlpha = state > 0 ? alpha * 0.5f : alpha;
  drawRect(*this, x, y, 0.0f, squareAlpha, 1.0f, 1.0f, 1.0f, state == 1 ? kMarkedRed : kGrey, -1.0f);
  if (!unitTemplate || !unitTemplate->model || !gl::contextReady()) return;
  const Model3D& model = *unitTemplate->model;
  const PreviewClock& clock = previewClock();
  Colour primary, secondary;
  previewColours(*unitTemplate, cycling ? clock.wholeSeconds : 0, state > 0 ? 0.5f : 1.0f, primary, secondary);

  const float drawScale = modelSize * scaleFactor * (2.0f / 3.0f);
  const float worldHeight = unitTemplate->modelHeightMax() * unitTemplate->modelScale() * drawScale;
  const float down = static_cast<float>(std::sin(-kPreviewPitch)), along = static_cast<float>(std::cos(-kPreviewPitch));
  const Vec3 look{0.0f, down * kPreviewDistance, -along * kPreviewDistance};
  const Vec3 position{look.x, look.y, look.z - worldHeight * 0.5f};
  const Vec2 offset{x + offsetX + pxToUnits(centreX), y + offsetY + pxToUnits(centreY)};
  const CameraPose pose{0.0, kPreviewPitch, Vec3{0.0f, 0.0f, 0.0f}};
  // The square sits in the interface, drawn after the world's depth was cleared;
  // depth only sorts the model against itself.
  glEnable(GL_DEPTH_TEST);
  glClear(GL_DEPTH_BUFFER_BIT);
  scissorToBox(x + offsetX, y + offsetY, squareWidth, squareHeight);
  model.drawModel(pose, kPreviewSun, kWhite, kWhite, position, turning ? clock.angle : 0.6f, 0.0f, drawScale, primary,
                  secondary, false, offset, alpha, false, false);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_DEPTH_TEST);
}

HudImageUnit3DTemplate::HudImageUnit3DTemplate(float x, float y, float width, float height,
                                               std::shared_ptr<Unit3DTemplate> t, bool animated)
    : image(width, height, std::move(t), animated) {
  posX = pxToUnits(x);
  posY = pxToUnits(y);
  sizeWidthPx = width;
  sizeHeightPx = height;
}

void HudImageUnit3DTemplate::draw(float x, float y, float alpha) {
  if (state < kStateActive) return;
  image.draw(x + posX, y + posY, state == kStateDisabled ? alpha * 0.5f : alpha);
}

HudButtonUnit3DTemplate::HudButtonUnit3DTemplate(float x, float y, int identifier, std::shared_ptr<Unit3DTemplate> t,
                                                 bool small, std::string_view tooltip)
    : HudButton([&] {
        HudButtonConfig c = templateButtonConfig(small);
        c.x = x;
        c.y = y;
        c.identifier = identifier;
        c.tooltip = tooltip;
        return c;
      }()),
      preview(small ? 85.0f : 182.0f, small ? 108.0f : 228.0f, std::move(t), true) {}

void HudButtonUnit3DTemplate::draw(float x, float y, float alpha) {
  if (state < kStateActive) return;
  HudButton::draw(x, y, alpha);
  const float margin = pxToUnits(static_cast<float>(hitMargin));
  preview.draw(x + posX + margin, y + posY - margin, state == kStateDisabled ? alpha * 0.5f : alpha);
}

}  // namespace qv
