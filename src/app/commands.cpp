#include "app/commands.hpp"

#include "app/application.hpp"
#include "app/peer_calls.hpp"
#include "app/settings.hpp"
#include "app/shell.hpp"
#include "persistence/save_game.hpp"
#include "scenes/app_config.hpp"
#include "scenes/command_ids.hpp"
#include "scenes/game_scenes.hpp"
#include "scenes/scene.hpp"
#include "ui/hud.hpp"
#include "units/world.hpp"

namespace qv {

CommandState& commandState() {
  static CommandState s;
  return s;
}

namespace {

bool unsavedChanges() { return World::sharedExists() && World::shared().unsavedChanges; }

// True only once the save is on the disk; saveGame keeps the unsaved-changes flag otherwise.
bool saveToSelectedSlot() { return saveGame(World::shared(), saveSlots().selected) == 0; }

// A remembered return scene that was never set falls back to where the game
// would naturally continue instead of leaving the player on a dead screen.
Scene* orFallback(Scene* s, Scene* fallback) { return s ? s : fallback; }

void startNewGame() {
  const int result = loadDefaultWorld(World::shared());
  showLoadResult(result, gameScenes().saveSlots.get());
}

void pressSlot(int slot) {
  GameScenes& g = gameScenes();
  SaveSlots& slots = saveSlots();
  slots.selected = slot;
  if (slots.mode == kSlotsForLoading) {
    World& world = World::shared();
    const int result = loadGame(world, saveSlotPath(slot), kLoadSlot);
    // Templates the save left unassigned take the shipped settings.
    loadDefaultWorld(world, DefaultWorldPart::kTemplatesOnly);
    showLoadResult(result, switcher().current());
  } else if (slots.empty[slot]) {
    startNewGame();
  } else {
    requestScene(g.overwriteSlot.get(), 0);
  }
}

}  // namespace

void handleCommand(int id, Shell& shell) {
  GameScenes& g = gameScenes();
  CommandState& cs = commandState();
  Scene* current = switcher().current();
  switch (id) {
    case mainmenu::kNewGame:
      saveSlots().mode = kSlotsForNewGame;
      requestScene(g.saveSlots.get(), 0);
      break;
    case mainmenu::kLoadGame:
      saveSlots().mode = kSlotsForLoading;
      requestScene(g.saveSlots.get(), 0);
      break;
    case mainmenu::kSettings:
      cs.settingsReturn = current;
      requestScene(g.settings.get(), 0, true);
      break;
    case mainmenu::kFeedback:
      cs.feedbackReturn = current;
      requestScene(g.feedback.get(), 0, true);
      break;
    case mainmenu::kEarlyAccess:
      switcher().entryCounter = 0;
      requestScene(g.earlyAccess.get(), 0);
      break;
    case mainmenu::kQuit: shell.quit(); break;

    // The tool and speed buttons of the top bar are its scene's own.
    case tophud::kMenu:
      cs.inGameMenuReturn = current;
      requestScene(g.inGameMenu.get(), 0);
      break;
    case tophud::kHelp:
      peer::stopHelpPulsing();
      cs.helpReturn = current;
      requestScene(g.help.get(), 0);
      break;
    case tophud::kUnits: requestScene(g.units.get(), 0); break;

    case ingamemenu::kMainMenu:
      if (unsavedChanges()) {
        cs.askSaveDestination = g.mainMenu.get();
        requestScene(g.askSave.get(), 0);
      } else {
        requestScene(g.mainMenu.get(), 0);
      }
      break;
    case ingamemenu::kSave:
      if (saveToSelectedSlot()) requestScene(g.gameSaved.get(), 0);
      else showSaveFailed(g.inGameMenu.get());
      break;
    case ingamemenu::kSettings:
      cs.settingsReturn = current;
      requestScene(g.settings.get(), 0);
      break;
    case ingamemenu::kFeedback:
      cs.feedbackReturn = current;
      requestScene(g.feedback.get(), 0);
      break;
    case ingamemenu::kQuit:
      requestScene(unsavedChanges() ? static_cast<Scene*>(g.saveAndQuit.get()) : g.quit.get(), 0);
      break;
    case ingamemenu::kBack: requestScene(orFallback(cs.inGameMenuReturn, g.topHud.get()), 0); break;
    case gamesaved::kOk:
    case asksave::kCancel:
    case saveandquit::kBack:
    case quitquestion::kBack: requestScene(g.inGameMenu.get(), 0); break;
    case asksave::kDontSave: requestScene(orFallback(cs.askSaveDestination, g.mainMenu.get()), 0); break;
    case asksave::kSave:
      if (saveToSelectedSlot()) requestScene(orFallback(cs.askSaveDestination, g.mainMenu.get()), 0);
      else showSaveFailed(g.inGameMenu.get());
      break;
    case saveandquit::kDontSave:
    case quitquestion::kQuit: shell.quit(); break;
    case saveandquit::kSave:
      // Quitting after a failed save would lose the world the player asked to keep.
      if (saveToSelectedSlot()) shell.quit();
      else showSaveFailed(g.inGameMenu.get());
      break;
    case help::kBack: requestScene(orFallback(cs.helpReturn, g.topHud.get()), 0); break;
    case feedback::kBack: requestScene(orFallback(cs.feedbackReturn, g.mainMenu.get()), 0); break;
    case feedback::kOk: shell.openWebPage(kFeedbackPage); break;
    case earlyaccess::kOk: requestScene(g.mainMenu.get(), 0); break;
    case earlyaccess::kJoinMailingList: shell.openWebPage(kMailingListPage); break;
    case errormessage::kBack:
      if (g.errorMessage) requestScene(orFallback(g.errorMessage->backScene, g.saveSlots.get()), 0);
      break;
    case errormessage::kContinueAnyway:
      if (g.errorMessage) requestScene(orFallback(g.errorMessage->continueScene, g.topHud.get()), 0);
      break;

    case settingsscreen::kBack:
      requestScene(orFallback(cs.settingsReturn, g.mainMenu.get()), 0);
      saveSettingsFile();
      break;
    case settingsscreen::kWindowMode: shell.toggleFullScreen(); break;
    // The checkbox has already changed its mark; the settings follow it.
    case settingsscreen::kVerticalSync:
      if (g.settings) settings().verticalSync = g.settings->verticalSyncBox->checked;
      shell.setSwapInterval(settings().verticalSync ? 1 : 0);
      resetFrameStatistics();
      break;
    case settingsscreen::kFrameLimit:
      if (g.settings) settings().frameLimit = g.settings->frameLimitBox->checked;
      resetFrameStatistics();
      break;

    case saveslots::kBack: requestScene(g.mainMenu.get(), 0); break;
    case overwriteslot::kCancel: requestScene(g.saveSlots.get(), 0); break;
    case overwriteslot::kOverwrite: startNewGame(); break;

    default:
      if (id >= saveslots::kFirstSlot && id < saveslots::kFirstSlot + kSaveSlotCount) {
        pressSlot(id - saveslots::kFirstSlot);
      } else if (id != kMusicVolumeSliderId && id != kSoundVolumeSliderId && current) {
        // The sliders act through their own value; the top bar, the tool panels
        // and the units screens answer their own identifiers.
        current->handleCommand(id);
      }
      break;
  }
}

}  // namespace qv
