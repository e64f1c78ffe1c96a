#include "scenes/menu_scenes.hpp"

#include "scenes/app_config.hpp"
#include "scenes/scene_draw.hpp"
#include "scenes/scene_helpers.hpp"
#include "ui/hud.hpp"

namespace qv {

SceneWithTitleLogoAndVersion::SceneWithTitleLogoAndVersion(std::string name) : Scene(std::move(name), 1) {
  addTitleHuds(*this);
}

SceneLoading::SceneLoading() : SceneWithTitleLogoAndVersion("Loading") {
  addLoadingHud(*this);
  addTransitionOut(steps::FadeOut, 0);
  addTransitionOut(steps::Hidden, 0);
  logLoaded();
}

SceneMainMenu::SceneMainMenu() : SceneWithTitleLogoAndVersion("Main Menu") {
  auto hud = centredPanelHud(std::make_shared<ImageHudMainMenu>(468.0f, 394.0f), 468.0f, 394.0f);
  const struct {
    const char* label;
    int id;
  } buttons[] = {{"New Game", 101}, {"Load Game", 107}, {"Settings", 102},
                 {"Send Feedback", 106}, {"Early Access", 105}, {"Quit", 103}};
  float y = -105.0f;
  for (const auto& b : buttons) {
    hud->addComponent(std::make_shared<HudButtonLargeLong>(b.label, 55.0f, y, b.id), 0);
    y -= 78.0f;
  }
  addHud(hud);
  addTransitionIn(steps::FadeIn, 0);
  addTransitionOut(steps::FadeOut, 0);
  addTransitionOut(steps::Hidden, 0);
  addTransitionOut(steps::FadeOut, 1);
  addTransitionOut(steps::Hidden, 1);
  addTransitionOut(steps::TitleFadeOut, 1);
  logLoaded();
}

SceneGameplayWithEarlyAccess::SceneGameplayWithEarlyAccess()
    : SceneWithTitleLogoAndVersion("Gameplay With Early Access") {
  auto hud = centredPanelHud(std::make_shared<ImageHudUnits>(832.0f, 130.0f), 832.0f, 130.0f);
  const std::string message = std::string(
                                  "-The game is currently in early access\n-There may be bugs\n"
                                  "-Signup to the mailing list to be notified of updates\n at ") +
                              kMailingListPage;
  hud->addComponent(std::make_shared<HudTextStatic>(50.0f, -111.0f, message, 26, kMessageColour), 0);
  hud->addComponent(std::make_shared<HudButtonLargeShort>("Ok", 55.0f, -235.0f, 1801), 0);
  hud->addComponent(std::make_shared<HudButtonLargeLong>("Join Mailing List", 419.0f, -235.0f, 1802), 0);
  addHud(hud);
  standardTransitions(*this);
  logLoaded();
}

SceneSaveSlots::SceneSaveSlots() : Scene("Save Slots", 1) {
  standardTransitions(*this);
  logLoaded();
}

SceneOverwriteSaveSlot::SceneOverwriteSaveSlot() : Scene("Overwrite Save Slot", 1) {
  standardTransitions(*this);
  logLoaded();
}

}  // namespace qv
