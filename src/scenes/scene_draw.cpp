#include "scenes/scene_draw.hpp"
#include "scenes/scene_helpers.hpp"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "render/display.hpp"
#include "platform/platform.hpp"
#include "render/gpu_resources.hpp"
#include "render/model3d.hpp"
#include "core/version.hpp"
#include "scenes/scene.hpp"
#include "ui/font.hpp"
#include "ui/hud.hpp"
#include "ui/image.hpp"
#include "units/unit_template.hpp"
#include "world/clouds.hpp"

namespace qv {

inline constexpr const char* kTitlePicture = "Title Quillon Vale.png";
inline constexpr const char* kBackdropPicture = "Menu Screenshot.png";

struct SceneImages {
  ImageRect backdrop{kBackdropPicture, 0.0f, 0.0f, kAnchorCentre};
  ImageRect cursor{"Mouse Cursor Size 1.png", 0.0f, 0.0f, kAnchorTopLeft};
  std::shared_ptr<Hud> title, versionPlate, logo;
};

SceneImages& sceneImages() {
  static SceneImages images;
  return images;
}

namespace {
std::vector<std::string> loadingScreenPictures() {
  std::vector<std::string> pictures = {"White Pixel.png", kBackdropPicture, "Mouse Cursor Size 1.png", kTitlePicture,
                                       "Game Version Number.png"};
  for (const int size : kFontSizes) pictures.push_back(fontSheetName(size));
  pictures.push_back("Company Logo - For Main Menu.png");
  pictures.push_back("Image Hud Loading.png");
  return pictures;
}
}  // namespace

void prefetchLoadingScreenFiles() {
  // In the order the loading screen asks for them: the backdrop, by far the largest,
  // is ready when the window is.
  prefetchPictures(loadingScreenPictures());
}

void prefetchSceneFiles() {
  // Started once the loading screen has its pictures and its first frame is drawn:
  // earlier, the worker would take the processor from the window being opened or
  // from that frame's drawing.
  const std::vector<std::string> first = loadingScreenPictures();
  std::vector<std::string> pictures;
  for (std::string& name : platform::fileNamesIn(platform::dataPath("Images", ""), ".png"))
    if (std::find(first.begin(), first.end(), name) == first.end()) pictures.push_back(std::move(name));
  prefetchPictures(pictures);

  std::vector<std::string> models;
  for (int i = 1; i <= CloudSystem::kModelCount; ++i) models.push_back(CloudSystem::modelFileName(i));
  for (const std::string& name : defaultTemplateModelNames()) models.push_back(name);
  prefetchModels(models);
}

void drawBackdrop() {
  SceneImages& im = sceneImages();
  // Wider windows stretch the backdrop sideways so no bare sky shows at the edges.
  drawRect(im.backdrop, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, display().horizontalStretch, 1.0f, {1, 1, 1, 1}, -1.0f);
}

void drawCursor(float mouseX, float mouseY) {
  sceneImages().cursor.draw(mouseX / 540.0f, mouseY / 540.0f, 1.0f);
}

namespace {
std::shared_ptr<Hud> pictureHud(const std::string& picture, float x, float yTop) {
  auto hud = std::make_shared<Hud>();
  hud->background = std::make_shared<ImageRect>(picture, 0.0f, 0.0f, kAnchorTopLeft);
  hud->setPositionPx(x, yTop);
  hud->isTitle = true;
  return hud;
}
}  // namespace

void addTitleHuds(Scene& scene) {
  SceneImages& im = sceneImages();
  if (!im.title) {
    auto titlePic = std::make_shared<ImageRect>(kTitlePicture, 0.0f, 0.0f, kAnchorTopLeft);
    const float titleW = static_cast<float>(titlePic->textureWidth);
    const float titleX = -static_cast<float>(static_cast<int>(titleW / 2));
    im.title = std::make_shared<Hud>();
    im.title->background = titlePic;
    im.title->setPositionPx(titleX, 465.0f);
    im.title->isTitle = true;

    ImageRect plateProbe("Game Version Number.png");
    const float plateW = static_cast<float>(plateProbe.textureWidth);
    const float plateH = static_cast<float>(plateProbe.textureHeight);
    im.versionPlate = pictureHud("Game Version Number.png", titleX + titleW - plateW, -387.0f + plateH);
    const std::string version = std::string("Version ") + kVersionText;
    auto text = std::make_shared<HudTextStatic>(0.0f, 0.0f, version, 33);
    const float textX = static_cast<float>(static_cast<int>((plateW - static_cast<float>(text->text.width)) / 2));
    const float textY = -static_cast<float>(static_cast<int>((plateH - 33.0f) / 2));
    text = std::make_shared<HudTextStatic>(textX, textY, version, 33);
    im.versionPlate->addComponent(text, 0);

    ImageRect logoProbe("Company Logo - For Main Menu.png");
    im.logo = pictureHud("Company Logo - For Main Menu.png", titleX,
                         -387.0f + static_cast<float>(logoProbe.textureHeight));
  }
  scene.addHud(im.title);
  scene.addHud(im.versionPlate);
  scene.addHud(im.logo);
}

void addLoadingHud(Scene& scene) {
  auto panel = std::make_shared<ImageHudLoading>(400.0f, 125.0f);
  const float shownW = panel->displayWidth > 0.0f ? panel->displayWidth : 400.0f;
  const float shownH = panel->displayHeight > 0.0f ? panel->displayHeight : 125.0f;
  auto hud = centredPanelHud(panel, 400.0f, 125.0f);
  ImageTextStatic probe(47, "Loading");
  const float textX = static_cast<float>(static_cast<int>((shownW - static_cast<float>(probe.width)) / 2));
  const float textY = -static_cast<float>(static_cast<int>((shownH - 47.0f) / 2));
  hud->addComponent(std::make_shared<HudTextStatic>(textX, textY, "Loading", 47), 0);
  scene.addHud(hud);
}

}  // namespace qv
