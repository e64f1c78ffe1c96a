#include "scenes/menu_scenes.hpp"

#include "scenes/app_config.hpp"
#include "scenes/command_ids.hpp"
#include "scenes/scene_draw.hpp"
#include "scenes/scene_helpers.hpp"
#include "ui/hud.hpp"

#include "persistence/save_game.hpp"

namespace qv {

// ---------- title screens ----------

SceneWithTitleLogoAndVersion::SceneWithTitleLogoAndVersion(std::string name) : Scene(std::move(name), kOwnBackdrop) {
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
  } buttons[] = {{"New Game", mainmenu::kNewGame}, {"Load Game", mainmenu::kLoadGame}, {"Settings", mainmenu::kSettings},
                 {"Send Feedback", mainmenu::kFeedback}, {"Early Access", mainmenu::kEarlyAccess},
                 {"Quit", mainmenu::kQuit}};
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
  hud->addComponent(std::make_shared<HudButtonLargeShort>("Ok", 55.0f, -235.0f, earlyaccess::kOk), 0);
  hud->addComponent(std::make_shared<HudButtonLargeLong>("Join Mailing List", 419.0f, -235.0f, earlyaccess::kJoinMailingList), 0);
  addHud(hud);
  standardTransitions(*this);
  logLoaded();
}

// ---------- save slots ----------

SceneSaveSlots::SceneSaveSlots() : Scene("Save Slots", kOwnBackdrop) {
  auto hud = centredPanelHud(std::make_shared<ImageHudUnits>(468.0f, 408.0f), 468.0f, 408.0f);
  SaveSlots& slots = saveSlots();
  for (int s = 0; s < kSaveSlotCount; ++s) {
    slots.empty[s] = true;
    slots.date[s].clear();
    auto button = std::make_shared<HudButtonLargeLong>(saveSlotLabel(s), 55.0f, -105.0f - 78.0f * s, saveslots::kFirstSlot + s);
    slotButtons_.push_back(button);
    hud->addComponent(button, 0);
  }
  back_ = std::make_shared<HudButtonLargeShort>("Back", 55.0f, -513.0f, saveslots::kBack);
  hud->addComponent(back_, 0);
  addHud(hud);
  // Every save from now on relabels its slot at once, without a restart.
  slots.onSlotSaved = [this](int slot, const std::string&) { relabel(slot); };
  scanSaveSlots();
  standardTransitions(*this);
  logLoaded();
}

SceneSaveSlots::~SceneSaveSlots() {
  // The hook must not outlive the buttons it relabels.
  saveSlots().onSlotSaved = nullptr;
}

void SceneSaveSlots::relabel(int slot) {
  if (slot < 0 || static_cast<size_t>(slot) >= slotButtons_.size()) return;
  slotButtons_[static_cast<size_t>(slot)]->setLabel(saveSlotLabel(slot));
}

void SceneSaveSlots::onBecameCurrent() {
  const SaveSlots& slots = saveSlots();
  const bool loading = slots.mode == kSlotsForLoading;
  for (int s = 0; s < kSaveSlotCount && static_cast<size_t>(s) < slotButtons_.size(); ++s)
    slotButtons_[static_cast<size_t>(s)]->setState(loading && slots.empty[s] ? kStateDisabled : kStateActive);
}

SceneOverwriteSaveSlot::SceneOverwriteSaveSlot() : Scene("Overwrite Save Slot", kOwnBackdrop) {
  auto hud = centredPanelHud(std::make_shared<ImageHudUnits>(732.0f, 48.0f), 732.0f, 48.0f);
  hud->addComponent(std::make_shared<HudTextStatic>(50.0f, -111.0f, "Overwrite save?", 26, kMessageColour), 0);
  hud->addComponent(std::make_shared<HudButtonLargeShort>("Cancel", 55.0f, -153.0f, overwriteslot::kCancel), 0);
  hud->addComponent(std::make_shared<HudButtonLargeLong>("Overwrite", 316.0f, -153.0f, overwriteslot::kOverwrite), 0);
  addHud(hud);
  standardTransitions(*this);
  logLoaded();
}

}  // namespace qv
