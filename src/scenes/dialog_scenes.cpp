#include "scenes/dialog_scenes.hpp"

#include "core/log.hpp"
#include "scenes/app_config.hpp"
#include "scenes/command_ids.hpp"
#include "scenes/game_scenes.hpp"
#include "scenes/scene_helpers.hpp"
#include "ui/hud.hpp"

namespace qv {

namespace {

void addMessage(Hud& hud, std::string_view text, float x = 50.0f, float y = -111.0f,
                const Colour& colour = kMessageColour) {
  hud.addComponent(std::make_shared<HudTextStatic>(x, y, text, 26, colour), 0);
}

std::shared_ptr<HudButton> shortButton(Hud& hud, const char* label, float x, float y, int id) {
  auto b = std::make_shared<HudButtonLargeShort>(label, x, y, id);
  hud.addComponent(b, 0);
  return b;
}

std::shared_ptr<HudButton> longButton(Hud& hud, const char* label, float x, float y, int id) {
  auto b = std::make_shared<HudButtonLargeLong>(label, x, y, id);
  hud.addComponent(b, 0);
  return b;
}

void finish(Scene& s, std::shared_ptr<Hud> hud) {
  s.addHud(std::move(hud));
  standardTransitions(s);
  s.logLoaded();
}

const Colour kWhiteText{1.0f, 1.0f, 1.0f, 1.0f};

}  // namespace

SceneGameplayWithInGameMenu::SceneGameplayWithInGameMenu() : SceneGameplay("Gameplay With In Game Menu", true) {
  auto hud = centredUnitsPanel(468.0f, 408.0f);
  longButton(*hud, "Main Menu", 55.0f, -105.0f, ingamemenu::kMainMenu);
  longButton(*hud, "Save Game", 55.0f, -183.0f, ingamemenu::kSave);
  longButton(*hud, "Settings", 55.0f, -261.0f, ingamemenu::kSettings);
  longButton(*hud, "Send Feedback", 55.0f, -339.0f, ingamemenu::kFeedback);
  longButton(*hud, "Quit", 55.0f, -417.0f, ingamemenu::kQuit);
  shortButton(*hud, "Back", 55.0f, -513.0f, ingamemenu::kBack);
  finish(*this, hud);
}

SceneGameplayWithHelp::SceneGameplayWithHelp() : SceneGameplay("Gameplay With Help", true) {
  auto hud = centredUnitsPanel(1218.0f, 426.0f);
  addMessage(*hud, "About...", 50.0f, -130.0f, kWhiteText);
  addMessage(*hud,
             "Should trees be blue? Do alien plants move around? Do big pink alien creatures\n"
             "eat rocks? Customize units and modify terrain to create your alien world. You \n"
             "decide what each unit does, how they interact with each other, and what every \n"
             "single part of the world should look like.\n\n"
             "1) Start by placing units that already exist.\n"
             "2) Create your own units and play around with all the settings.",
             50.0f, -156.0f);
  addMessage(*hud, "Camera Controls...", 50.0f, -390.0f, kWhiteText);
  addMessage(*hud,
             "Move    W, A, S, D, Space, Ctrl keys\n"
             "Rotate  Click and hold middle mouse  or  Click and hold shift key\n"
             "Zoom    Scroll wheel  or  X,Z keys\n\n\n",
             50.0f, -416.0f);
  shortButton(*hud, "Back", 55.0f, -531.0f, help::kBack);
  finish(*this, hud);
}

SceneGameplayWithQuit::SceneGameplayWithQuit() : SceneGameplay("Gameplay With Quit", true) {
  auto hud = centredUnitsPanel(732.0f, 48.0f);
  addMessage(*hud, "Are you sure you want to quit?");
  shortButton(*hud, "Back", 55.0f, -153.0f, quitquestion::kBack);
  shortButton(*hud, "Quit", 498.0f, -153.0f, quitquestion::kQuit);
  finish(*this, hud);
}

SceneGameplayWithSaveAndQuit::SceneGameplayWithSaveAndQuit() : SceneGameplay("Gameplay With Save and Quit", true) {
  auto hud = centredUnitsPanel(896.0f, 48.0f);
  addMessage(*hud, "Save before quitting?");
  shortButton(*hud, "Back", 55.0f, -153.0f, saveandquit::kBack);
  longButton(*hud, "Don't Save", 269.0f, -153.0f, saveandquit::kDontSave);
  shortButton(*hud, "Save", 665.0f, -153.0f, saveandquit::kSave);
  finish(*this, hud);
}

// Both save questions log under the same name; players never see it.
SceneGameplayWithAskSaveGameMenu::SceneGameplayWithAskSaveGameMenu() : SceneGameplay("Gameplay With Game Saved", true) {
  auto hud = centredUnitsPanel(896.0f, 48.0f);
  addMessage(*hud, "Save game?");
  shortButton(*hud, "Cancel", 55.0f, -153.0f, asksave::kCancel);
  longButton(*hud, "Don't Save", 269.0f, -153.0f, asksave::kDontSave);
  shortButton(*hud, "Save", 665.0f, -153.0f, asksave::kSave);
  finish(*this, hud);
}

SceneGameplayWithGameSavedMenu::SceneGameplayWithGameSavedMenu() : SceneGameplay("Gameplay With Game Saved", true) {
  auto hud = centredUnitsPanel(732.0f, 48.0f);
  addMessage(*hud, "Game saved.");
  shortButton(*hud, "Ok", 278.0f, -153.0f, gamesaved::kOk);
  finish(*this, hud);
}

SceneGameplayWithFeedback::SceneGameplayWithFeedback() : SceneGameplay("Gameplay With Feedback", true) {
  auto hud = centredUnitsPanel(732.0f, 78.0f);
  addMessage(*hud, std::string("Open ") + kFeedbackPage + "\nin web browser?");
  shortButton(*hud, "Back", 55.0f, -183.0f, feedback::kBack);
  shortButton(*hud, "Ok", 498.0f, -183.0f, feedback::kOk);
  finish(*this, hud);
}

// ---------- settings ----------

SceneGameplayWithSettings::SceneGameplayWithSettings() : SceneGameplay("Gameplay With Settings", true) {
  auto hud = centredUnitsPanel(552.0f, 444.0f);
  std::vector<std::string> labels;
  std::vector<float> values;
  for (int i = 0; i <= 20; ++i) {
    labels.push_back(std::to_string(i * 5) + "%");
    values.push_back(static_cast<float>(i) * 0.05f);
  }
  // The music slider is heard through the music itself; the sound slider clicks at
  // the volume it selects so the player hears the new level.
  musicSlider = std::make_shared<HudSlider>(61.0f, -155.0f, "Music Volume", kMusicVolumeSliderId, "", labels, values,
                                            false, 2);
  soundSlider = std::make_shared<HudSlider>(61.0f, -245.0f, "Sound Volume", kSoundVolumeSliderId, "", labels, values,
                                            false, 1);
  verticalSyncBox = std::make_shared<HudCheckboxAndLabel>("Vertical Sync", 0.0f, -318.0f, settingsscreen::kVerticalSync);
  frameLimitBox = std::make_shared<HudCheckboxAndLabel>("Frame Limit", 0.0f, -396.0f, settingsscreen::kFrameLimit);
  verticalSyncBox->checked = true;
  frameLimitBox->checked = false;
  fullScreenButton = std::make_shared<HudButtonLargeLong>("Fullscreen", 97.0f, -453.0f, settingsscreen::kWindowMode);
  windowedButton = std::make_shared<HudButtonLargeLong>("Windowed", 97.0f, -453.0f, settingsscreen::kWindowMode);
  backButton = std::make_shared<HudButtonLargeShort>("Back", 55.0f, -549.0f, settingsscreen::kBack);
  for (const auto& c : std::initializer_list<std::shared_ptr<HudComponent>>{
           musicSlider, soundSlider, verticalSyncBox, frameLimitBox, fullScreenButton, windowedButton, backButton})
    hud->addComponent(c, 0);
  // Until the first frame, offer the mode a fresh window does not have.
  windowedButton->setState(kStateHidden);
  finish(*this, hud);
}

bool SceneGameplayWithSettings::update(float dt) {
  const bool full = isFullScreen && isFullScreen();
  fullScreenButton->setState(full ? kStateHidden : kStateActive);
  windowedButton->setState(full ? kStateActive : kStateHidden);
  return SceneGameplay::update(dt);
}

// ---------- load errors ----------

SceneGameplayWithErrorMessage::SceneGameplayWithErrorMessage() : SceneGameplay("Gameplay With Error Message", true) {
  auto hud = centredUnitsPanel(732.0f, 72.0f);
  text = std::make_shared<HudTextDynamic>(50.0f, -111.0f, "", 26, kMessageColour);
  hud->addComponent(text, 0);
  backLeft = shortButton(*hud, "Back", 55.0f, -179.0f, errormessage::kBack);
  backCentred = shortButton(*hud, "Back", 278.0f, -179.0f, errormessage::kBack);
  continueAnyway = longButton(*hud, "Continue Anyway", 319.0f, -179.0f, errormessage::kContinueAnyway);
  backCentred->setState(kStateHidden);
  finish(*this, hud);
}

std::string SceneGameplayWithErrorMessage::messageFor(int result) {
  switch (result) {
    case 1: return "Error: Save was created with an old version\n        of the game so there be glitches.";
    case 2: return "Error: Save was created with a newer version\n        of the game so there may be glitches.";
    case 3: return "Error: Default world file not found.\n        The game must be reinstalled.";
    case 4: return "Error: Save file may be corrupt.\n        There may be glitches.";
    case 5: return "Error: Save file not found and can't be loaded.\n        ";
    default: return "";
  }
}

bool SceneGameplayWithErrorMessage::fatal(int result) { return result == 3 || result == 5; }

void SceneGameplayWithErrorMessage::show(int result, Scene* back, Scene* onContinue) {
  showMessage(messageFor(result), fatal(result), back, onContinue);
}

void SceneGameplayWithErrorMessage::showMessage(const std::string& shown, bool isFatal, Scene* back,
                                                Scene* onContinue) {
  message = shown;
  text->setText(message);
  logLine(message);
  backLeft->setState(isFatal ? kStateHidden : kStateActive);
  continueAnyway->setState(isFatal ? kStateHidden : kStateActive);
  backCentred->setState(isFatal ? kStateActive : kStateHidden);
  backScene = back;
  continueScene = onContinue;
}

void showLoadResult(int result, Scene* backScene) {
  GameScenes& g = gameScenes();
  if (result >= 1) {
    if (!g.errorMessage) return;
    g.errorMessage->show(result, backScene, g.topHud.get());
    requestScene(g.errorMessage.get(), 0, true);
    return;
  }
  requestScene(g.topHud.get(), 0);
}

void showSaveFailed(Scene* backScene) {
  GameScenes& g = gameScenes();
  if (!g.errorMessage) return;
  g.errorMessage->showMessage(SceneGameplayWithErrorMessage::kSaveFailedMessage, true, backScene, nullptr);
  requestScene(g.errorMessage.get(), 0);
}

}  // namespace qv
