#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/input.hpp"
#include "app/settings.hpp"
#include "core/log.hpp"
#include "persistence/save_game.hpp"
#include "platform/platform.hpp"
#include "scenes/app_config.hpp"
#include "scenes/game_scenes.hpp"
#include "ui/hud.hpp"
#include "units/world.hpp"

namespace fs = std::filesystem;
using namespace qv;

namespace {

struct Calls {
  int quits = 0;
  int fullScreenToggles = 0;
  std::vector<int> swapIntervals;
  std::vector<std::string> pages;
};
Calls& calls() {
  static Calls c;
  return c;
}

std::set<int>& keysDown() {
  static std::set<int> k;
  return k;
}
bool fakeKeyDown(int key) { return keysDown().count(key) != 0; }

fs::path tempFolder(const std::string& name) {
  const fs::path p = fs::temp_directory_path() / ("qv_commands_" + name + "_" + std::to_string(::getpid()));
  fs::remove_all(p);
  fs::create_directories(p);
  return p;
}

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

// Every scene of the game, built once without a window, with the window's
// effects (quit, browser, full screen, vertical sync) replaced by recorders.
class Commands : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    userFolder() = tempFolder("user");
    programFolder() = tempFolder("program");  // no default world here
    platform::overrideUserDataFolder(userFolder().string());
    platform::overrideProgramFolder(programFolder().string());
    GameScenes& g = gameScenes();
    g.loading = std::make_unique<SceneLoading>();
    g.createAllButLoading(nullptr);
    installUiSounds();
  }
  static void TearDownTestSuite() {
    gameScenes().destroyAll();
    fs::remove_all(userFolder());
    fs::remove_all(programFolder());
  }
  static fs::path& userFolder() {
    static fs::path p;
    return p;
  }
  static fs::path& programFolder() {
    static fs::path p;
    return p;
  }

  void SetUp() override {
    calls() = {};
    keysDown().clear();
    CommandState& cs = commandState();
    cs = {};
    cs.quit = [] { ++calls().quits; };
    cs.openWebPage = [](const std::string& url) { calls().pages.push_back(url); };
    cs.toggleFullScreen = [] { ++calls().fullScreenToggles; };
    cs.swapInterval = [](int on) { calls().swapIntervals.push_back(on); };
    switcher().clear();
    switcher().entryCounter = 2;
    switcher().developerMode = false;
    World& w = World::shared();
    w.toolMode = 0;
    w.unsavedChanges = false;
    w.setGameSpeed(1);
    SaveSlots& slots = saveSlots();
    for (int s = 0; s < kSaveSlotCount; ++s) slots.empty[s] = true;
    slots.mode = 0;
    slots.selected = 0;
  }
  void TearDown() override {
    commandState() = {};
    switcher().clear();
  }

  GameScenes& g = gameScenes();

  // Makes s current and finished fading in, as if the player were looking at it.
  void at(Scene* s) {
    switcher().clear();
    switcher().setCurrent(s);
  }
  // Completes the pending switch, as the frame loop does once the fade-out is over.
  Scene* arrive() {
    switcher().switchToRequestedScene();
    return switcher().current();
  }
};

// ---------- scene requests ----------

TEST_F(Commands, MainMenuButtonsRequestTheirScenesWithTheRightBackdrop) {
  struct Row {
    int id;
    Scene* expected;
    int backdropAfter;  // the dialogs opened over the menus show the backdrop picture
  };
  const Row rows[] = {{101, g.saveSlots.get(), 1},   {107, g.saveSlots.get(), 1}, {102, g.settings.get(), 2},
                      {106, g.feedback.get(), 2},    {105, g.earlyAccess.get(), 1}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.id);
    at(g.mainMenu.get());
    handleCommand(r.id);
    EXPECT_EQ(switcher().requested(), r.expected);
    EXPECT_EQ(g.mainMenu->setIndex(), 0);
    EXPECT_EQ(arrive(), r.expected);
    EXPECT_EQ(r.expected->backdropMode(), r.backdropAfter);
  }
  EXPECT_EQ(commandState().settingsReturn, g.mainMenu.get());
  EXPECT_EQ(commandState().feedbackReturn, g.mainMenu.get());

  at(g.mainMenu.get());
  handleCommand(105);
  EXPECT_EQ(switcher().entryCounter, 0);  // the notice shows the title standing still again

  handleCommand(103);
  EXPECT_EQ(calls().quits, 1);
}

TEST_F(Commands, NewGameAndLoadGameSetTheSlotMode) {
  at(g.mainMenu.get());
  saveSlots().empty[3] = false;
  handleCommand(107);
  EXPECT_EQ(saveSlots().mode, 1);
  ASSERT_EQ(arrive(), g.saveSlots.get());
  // With nothing to load in them, empty slots cannot be pressed; "Back" always can.
  for (int s = 0; s < kSaveSlotCount; ++s)
    EXPECT_EQ(g.saveSlots->slotButtons()[static_cast<size_t>(s)]->state, s == 3 ? kStateActive : kStateDisabled);
  EXPECT_EQ(g.saveSlots->backButton().state, kStateActive);
  handleCommand(2801);
  EXPECT_EQ(switcher().requested(), g.mainMenu.get());

  at(g.mainMenu.get());
  handleCommand(101);
  EXPECT_EQ(saveSlots().mode, 0);
  ASSERT_EQ(arrive(), g.saveSlots.get());
  for (const auto& b : g.saveSlots->slotButtons()) EXPECT_EQ(b->state, kStateActive);
}

TEST_F(Commands, SettingsReturnsToWhoeverOpenedItAndDropsTheBackdropInGame) {
  // From the main menu: backdrop behind the panel, "Back" goes to the menu.
  at(g.mainMenu.get());
  handleCommand(102);
  ASSERT_EQ(arrive(), g.settings.get());
  EXPECT_EQ(g.settings->backdropMode(), 2);
  handleCommand(1301);
  EXPECT_EQ(switcher().requested(), g.mainMenu.get());
  EXPECT_TRUE(fs::exists(userFolder() / "settings.txt"));

  // From the in-game menu: the frozen world shows, "Back" goes to the in-game menu.
  at(g.inGameMenu.get());
  handleCommand(302);
  ASSERT_EQ(arrive(), g.settings.get());
  EXPECT_EQ(g.settings->backdropMode(), 0);
  handleCommand(1301);
  EXPECT_EQ(switcher().requested(), g.inGameMenu.get());
}

TEST_F(Commands, ReturnScenesAreRememberedPerDialog) {
  at(g.eraser.get());
  handleCommand(201);
  EXPECT_EQ(switcher().requested(), g.inGameMenu.get());
  at(g.terrain.get());
  handleCommand(202);
  EXPECT_EQ(switcher().requested(), g.help.get());
  // Opening help from another scene must not overwrite where the menu returns.
  at(g.inGameMenu.get());
  handleCommand(303);
  EXPECT_EQ(switcher().requested(), g.eraser.get());
  at(g.help.get());
  handleCommand(1501);
  EXPECT_EQ(switcher().requested(), g.terrain.get());

  at(g.inGameMenu.get());
  handleCommand(305);
  at(g.feedback.get());
  handleCommand(2102);
  EXPECT_EQ(switcher().requested(), nullptr);  // the prompt stays
  ASSERT_EQ(calls().pages.size(), 1u);
  EXPECT_EQ(calls().pages[0], kFeedbackPage);
  handleCommand(2101);
  EXPECT_EQ(switcher().requested(), g.inGameMenu.get());
}

TEST_F(Commands, UnsetReturnScenesFallBackInsteadOfStrandingThePlayer) {
  at(g.help.get());
  handleCommand(1501);
  EXPECT_EQ(switcher().requested(), g.topHud.get());
  at(g.settings.get());
  handleCommand(1301);
  EXPECT_EQ(switcher().requested(), g.mainMenu.get());
}

TEST_F(Commands, MainMenuAndQuitAskAboutSavingOnlyWithUnsavedChanges) {
  World& w = World::shared();
  at(g.inGameMenu.get());
  handleCommand(301);
  EXPECT_EQ(switcher().requested(), g.mainMenu.get());
  at(g.inGameMenu.get());
  handleCommand(304);
  EXPECT_EQ(switcher().requested(), g.quit.get());

  w.unsavedChanges = true;
  at(g.inGameMenu.get());
  handleCommand(301);
  EXPECT_EQ(switcher().requested(), g.askSave.get());
  EXPECT_EQ(commandState().askSaveDestination, g.mainMenu.get());
  at(g.askSave.get());
  handleCommand(2702);  // "Don't Save" goes on without saving
  EXPECT_EQ(switcher().requested(), g.mainMenu.get());
  EXPECT_TRUE(w.unsavedChanges);
  at(g.askSave.get());
  handleCommand(2701);
  EXPECT_EQ(switcher().requested(), g.inGameMenu.get());

  at(g.inGameMenu.get());
  handleCommand(304);
  EXPECT_EQ(switcher().requested(), g.saveAndQuit.get());
  at(g.saveAndQuit.get());
  handleCommand(1401);
  EXPECT_EQ(switcher().requested(), g.inGameMenu.get());
  EXPECT_EQ(calls().quits, 0);
  handleCommand(1402);
  EXPECT_EQ(calls().quits, 1);
  at(g.quit.get());
  handleCommand(3001);
  EXPECT_EQ(switcher().requested(), g.inGameMenu.get());
  handleCommand(3002);
  EXPECT_EQ(calls().quits, 2);
}

TEST_F(Commands, SavingWritesTheSelectedSlotAndRelabelsIt) {
  World& w = World::shared();
  w.unsavedChanges = true;
  saveSlots().selected = 2;
  at(g.inGameMenu.get());
  handleCommand(306);
  EXPECT_EQ(switcher().requested(), g.gameSaved.get());
  EXPECT_TRUE(fs::exists(saveSlotPath(2)));
  EXPECT_FALSE(saveSlots().empty[2]);
  EXPECT_EQ(g.saveSlots->slotButtons()[2]->label().rfind("Save 3 ", 0), 0u);
  EXPECT_FALSE(w.unsavedChanges);
  at(g.gameSaved.get());
  handleCommand(2601);
  EXPECT_EQ(switcher().requested(), g.inGameMenu.get());

  // "Save" in the quit question saves before quitting.
  fs::remove(saveSlotPath(2));
  at(g.saveAndQuit.get());
  handleCommand(1403);
  EXPECT_TRUE(fs::exists(saveSlotPath(2)));
  EXPECT_EQ(calls().quits, 1);
  fs::remove(saveSlotPath(2));
}

TEST_F(Commands, TopBarSpeedAndToolButtons) {
  World& w = World::shared();
  at(g.topHud.get());
  handleCommand(210);
  EXPECT_TRUE(w.paused);
  handleCommand(213);
  EXPECT_FALSE(w.paused);
  EXPECT_FLOAT_EQ(w.timeScale, 20.0f);
  handleCommand(204);
  EXPECT_EQ(w.toolMode, 2);
  EXPECT_EQ(switcher().requested(), g.eraser.get());
  at(g.topHud.get());
  handleCommand(203);
  EXPECT_EQ(switcher().requested(), g.units.get());
}

TEST_F(Commands, UnknownAndSliderIdentifiersChangeNothing) {
  at(g.settings.get());
  for (int id : {0, 1302, 1303, 999, 4242}) handleCommand(id);
  EXPECT_EQ(switcher().requested(), nullptr);
  EXPECT_EQ(calls().quits, 0);
}

TEST_F(Commands, EarlyAccessNoticeLeadsToTheMenuAndOpensTheMailingList) {
  at(g.earlyAccess.get());
  handleCommand(1802);
  EXPECT_EQ(switcher().requested(), nullptr);
  ASSERT_EQ(calls().pages.size(), 1u);
  EXPECT_EQ(calls().pages[0], kMailingListPage);
  handleCommand(1801);
  EXPECT_EQ(switcher().requested(), g.mainMenu.get());
}

// ---------- save slots and load errors ----------

TEST_F(Commands, NewGameInAnEmptySlotStartsAtOnceAndAUsedSlotAsksFirst) {
  at(g.saveSlots.get());
  saveSlots().mode = 0;
  saveSlots().empty[1] = false;
  handleCommand(2812);
  EXPECT_EQ(saveSlots().selected, 1);
  EXPECT_EQ(switcher().requested(), g.overwriteSlot.get());
  at(g.overwriteSlot.get());
  handleCommand(2901);
  EXPECT_EQ(switcher().requested(), g.saveSlots.get());

  // No default world beside this test program: a fatal error, back to the slots.
  at(g.saveSlots.get());
  handleCommand(2814);
  EXPECT_EQ(saveSlots().selected, 3);
  EXPECT_EQ(switcher().requested(), g.errorMessage.get());
  EXPECT_EQ(g.errorMessage->message, SceneGameplayWithErrorMessage::messageFor(3));
  EXPECT_EQ(g.errorMessage->backScene, g.saveSlots.get());
  EXPECT_EQ(arrive(), g.errorMessage.get());
  EXPECT_EQ(g.errorMessage->backdropMode(), 2);
  handleCommand(3401);
  EXPECT_EQ(switcher().requested(), g.saveSlots.get());

  at(g.overwriteSlot.get());
  handleCommand(2902);
  EXPECT_EQ(switcher().requested(), g.errorMessage.get());
  EXPECT_EQ(g.errorMessage->backScene, g.saveSlots.get());
}

TEST_F(Commands, LoadingAMissingOrDamagedSlotReportsIt) {
  saveSlots().mode = 1;
  at(g.saveSlots.get());
  handleCommand(2815);  // no file for slot 5
  EXPECT_EQ(g.errorMessage->message, SceneGameplayWithErrorMessage::messageFor(5));
  EXPECT_EQ(g.errorMessage->backCentred->state, kStateActive);
  EXPECT_EQ(g.errorMessage->continueAnyway->state, kStateHidden);

  fs::create_directories(fs::path(saveSlotPath(0)).parent_path());
  {
    std::ofstream out(saveSlotPath(0), std::ios::binary);
    out << "not a save file at all\n2024.5.7\n\x01\x02garbage\n";
  }
  at(g.saveSlots.get());
  handleCommand(2811);
  // Whatever the loader makes of the damage, the player is told and can go back to the slots.
  EXPECT_EQ(switcher().requested(), g.errorMessage.get());
  EXPECT_FALSE(g.errorMessage->message.empty());
  EXPECT_EQ(g.errorMessage->backScene, g.saveSlots.get());
  EXPECT_EQ(saveSlots().selected, 0);
  fs::remove(saveSlotPath(0));
}

TEST_F(Commands, ErrorMappingChoosesMessageAndButtonsBySeverity) {
  using E = SceneGameplayWithErrorMessage;
  for (int code : {1, 2, 3, 4, 5, 17}) {
    SCOPED_TRACE(code);
    at(g.saveSlots.get());
    LogCapture log;
    showLoadResult(code, g.saveSlots.get());
    EXPECT_EQ(switcher().requested(), g.errorMessage.get());
    const bool fatal = code == 3 || code == 5;
    EXPECT_EQ(E::fatal(code), fatal);
    EXPECT_EQ(g.errorMessage->backLeft->state, fatal ? kStateHidden : kStateActive);
    EXPECT_EQ(g.errorMessage->continueAnyway->state, fatal ? kStateHidden : kStateActive);
    EXPECT_EQ(g.errorMessage->backCentred->state, fatal ? kStateActive : kStateHidden);
    EXPECT_EQ(g.errorMessage->continueScene, g.topHud.get());
    if (code <= 5) {
      EXPECT_FALSE(E::messageFor(code).empty());
      EXPECT_TRUE(log.contains(E::messageFor(code)));
    } else {
      EXPECT_TRUE(E::messageFor(code).empty());
    }
  }
  EXPECT_NE(E::messageFor(4).find("corrupt"), std::string::npos);
  EXPECT_NE(E::messageFor(3).find("reinstalled"), std::string::npos);

  // A fatal error followed by a mild one must bring "Continue Anyway" back.
  showLoadResult(5, g.saveSlots.get());
  showLoadResult(4, g.saveSlots.get());
  EXPECT_EQ(g.errorMessage->continueAnyway->state, kStateActive);
  EXPECT_EQ(g.errorMessage->backCentred->state, kStateHidden);

  at(g.saveSlots.get());
  showLoadResult(0, g.saveSlots.get());
  EXPECT_EQ(switcher().requested(), g.topHud.get());
  EXPECT_EQ(arrive(), g.topHud.get());
  EXPECT_EQ(g.topHud->backdropMode(), 0);
}

// ---------- settings screen ----------

TEST_F(Commands, SettingsFileValuesSnapOntoTheSlidersAndAreWrittenBack) {
  const fs::path file = userFolder() / "settings.txt";
  {
    std::ofstream out(file, std::ios::binary);
    out << "Quillon Vale Settings File  Version 0.12.0.3\n0.33\n1.7\n0\n0\n0\n1\n0\n";
  }
  Settings& s = settings();
  s = Settings{};
  s.load(file.string());
  applySettingsToScreen(s, true, commandState().swapInterval);
  EXPECT_EQ(g.settings->musicSlider->valueText.text(), "35%");
  EXPECT_NEAR(s.musicVolume, 0.35f, 1e-6);
  EXPECT_FLOAT_EQ(s.soundVolume, 1.0f);
  EXPECT_FALSE(g.settings->verticalSyncBox->checked);
  EXPECT_TRUE(g.settings->frameLimitBox->checked);
  ASSERT_EQ(calls().swapIntervals.size(), 1u);
  EXPECT_EQ(calls().swapIntervals[0], 0);
  EXPECT_FALSE(verticalSyncOn());
  EXPECT_TRUE(frameLimitOn());

  // The checkboxes, not the file's values, are what gets saved.
  g.settings->verticalSyncBox->checked = true;
  saveSettingsFile();
  std::istringstream lines(readFile(file));
  std::string line;
  std::vector<std::string> got;
  while (std::getline(lines, line)) got.push_back(line);
  ASSERT_GE(got.size(), 7u);
  EXPECT_EQ(got[1], "0.35");
  EXPECT_EQ(got[2], "1");
  EXPECT_EQ(got[5], "1");
  EXPECT_EQ(got[6], "1");
  s = Settings{};
}

TEST_F(Commands, WithoutASettingsFileTheSlidersShowTheVolumesInUse) {
  g.settings->musicSlider->setValue(0.0f);  // left over from a previous visit
  Settings& s = settings();
  s = Settings{};
  applySettingsToScreen(s, false, nullptr);
  EXPECT_EQ(g.settings->musicSlider->valueText.text(), "100%");
  EXPECT_EQ(g.settings->soundSlider->valueText.text(), "100%");
  EXPECT_TRUE(g.settings->verticalSyncBox->checked);
  EXPECT_FALSE(g.settings->frameLimitBox->checked);
  EXPECT_FLOAT_EQ(s.musicVolume, 1.0f);
}

TEST_F(Commands, VolumeSlidersDriveTheSettingsTheyShow) {
  Settings& s = settings();
  s = Settings{};
  g.settings->soundSlider->setValue(0.42f);  // snaps to 40 %
  EXPECT_NEAR(s.soundVolume, 0.40f, 1e-6);
  g.settings->musicSlider->setValue(0.0f);
  EXPECT_FLOAT_EQ(s.musicVolume, 0.0f);
  s = Settings{};
}

TEST_F(Commands, CheckboxesAndWindowModeButtons) {
  at(g.settings.get());
  g.settings->verticalSyncBox->checked = false;
  handleCommand(1308);
  g.settings->verticalSyncBox->checked = true;
  handleCommand(1308);
  ASSERT_EQ(calls().swapIntervals.size(), 2u);
  EXPECT_EQ(calls().swapIntervals[0], 0);
  EXPECT_EQ(calls().swapIntervals[1], 1);
  handleCommand(1307);
  EXPECT_EQ(calls().fullScreenToggles, 1);

  bool full = false;
  static bool* fullFlag = nullptr;
  fullFlag = &full;
  g.settings->isFullScreen = [] { return *fullFlag; };
  g.settings->update(0.0f);
  EXPECT_EQ(g.settings->fullScreenButton->state, kStateActive);
  EXPECT_EQ(g.settings->windowedButton->state, kStateHidden);
  full = true;  // the toggle lands; the next frame offers the other mode
  g.settings->update(0.0f);
  EXPECT_EQ(g.settings->fullScreenButton->state, kStateHidden);
  EXPECT_EQ(g.settings->windowedButton->state, kStateActive);
  g.settings->isFullScreen = nullptr;
  g.settings->update(0.0f);
  EXPECT_EQ(g.settings->fullScreenButton->state, kStateActive);
}

// ---------- keys ----------

TEST_F(Commands, SpeedKeysActOnPressRepeatAndRelease) {
  World& w = World::shared();
  at(g.topHud.get());
  for (int action : {GLFW_PRESS, GLFW_REPEAT, GLFW_RELEASE}) {
    SCOPED_TRACE(action);
    w.setGameSpeed(1);
    handleKey(GLFW_KEY_3, action);
    EXPECT_FLOAT_EQ(w.timeScale, 20.0f);
    handleKey(GLFW_KEY_P, action);
    EXPECT_TRUE(w.paused);
    handleKey(GLFW_KEY_KP_2, action);
    EXPECT_FALSE(w.paused);
    EXPECT_FLOAT_EQ(w.timeScale, 5.0f);
  }
  // Outside the five top-bar scenes the number row means nothing.
  at(g.inGameMenu.get());
  w.setGameSpeed(1);
  handleKey(GLFW_KEY_0, GLFW_PRESS);
  EXPECT_FALSE(w.paused);
}

TEST_F(Commands, UIsIgnoredWhileASwitchIsPending) {
  at(g.topHud.get());
  handleKey(GLFW_KEY_U, GLFW_PRESS);
  EXPECT_EQ(switcher().requested(), g.units.get());
  requestScene(g.inGameMenu.get(), 0);
  handleKey(GLFW_KEY_U, GLFW_RELEASE);
  EXPECT_EQ(switcher().requested(), g.inGameMenu.get());
  at(g.mainMenu.get());
  handleKey(GLFW_KEY_U, GLFW_PRESS);
  EXPECT_EQ(switcher().requested(), nullptr);
}

TEST_F(Commands, EscapeOnlyPutsAnActiveToolAway) {
  World& w = World::shared();
  at(g.topHud.get());
  handleKey(GLFW_KEY_ESCAPE, GLFW_PRESS);
  EXPECT_EQ(switcher().requested(), nullptr);

  at(g.eraser.get());
  w.toolMode = 2;
  switcher().entryCounter = 5;
  handleKey(GLFW_KEY_ESCAPE, GLFW_RELEASE);  // only a press counts
  EXPECT_EQ(switcher().requested(), nullptr);
  handleKey(GLFW_KEY_ESCAPE, GLFW_PRESS);
  EXPECT_EQ(w.toolMode, 0);
  EXPECT_EQ(switcher().entryCounter, 1);
  EXPECT_EQ(switcher().requested(), g.topHud.get());
  EXPECT_EQ(g.eraser->setIndex(), 2);
}

TEST_F(Commands, ToolKeysToggleOnPressOnly) {
  World& w = World::shared();
  at(g.topHud.get());
  handleKey(GLFW_KEY_E, GLFW_RELEASE);
  EXPECT_EQ(w.toolMode, 0);
  handleKey(GLFW_KEY_T, GLFW_PRESS);
  EXPECT_EQ(w.toolMode, 3);
  EXPECT_EQ(switcher().requested(), g.terrain.get());
}

TEST_F(Commands, DeveloperKeysNeedDeveloperMode) {
  at(g.mainMenu.get());
  handleKey(GLFW_KEY_F, GLFW_PRESS);
  handleKey(GLFW_KEY_J, GLFW_PRESS);
  EXPECT_EQ(calls().fullScreenToggles, 0);
  EXPECT_FALSE(switcher().hideHuds);
  switcher().developerMode = true;
  handleKey(GLFW_KEY_F, GLFW_PRESS);
  handleKey(GLFW_KEY_F, GLFW_RELEASE);
  handleKey(GLFW_KEY_J, GLFW_PRESS);
  EXPECT_EQ(calls().fullScreenToggles, 1);
  EXPECT_TRUE(switcher().hideHuds);
  handleKey(GLFW_KEY_J, GLFW_PRESS);
  EXPECT_FALSE(switcher().hideHuds);
  switcher().developerMode = false;
}

TEST_F(Commands, HeldKeysMoveTheCameraOnlyInTheLiveScenes) {
  World& w = World::shared();
  w.camera.velocity = {};
  at(g.inGameMenu.get());
  keysDown() = {GLFW_KEY_W, GLFW_KEY_SPACE, GLFW_KEY_LEFT_SHIFT};
  applyHeldKeys(fakeKeyDown);
  EXPECT_FLOAT_EQ(w.camera.velocity.z, 0.0f);
  EXPECT_TRUE(input().shiftHeld);  // shift is tracked everywhere for the mouse
  at(g.terrain.get());
  applyHeldKeys(fakeKeyDown);
  EXPECT_FLOAT_EQ(w.camera.velocity.z, 12.5f);
  keysDown().clear();
  applyHeldKeys(fakeKeyDown);
  EXPECT_FALSE(input().shiftHeld);
  w.camera.velocity = {};
}

TEST_F(Commands, PanelKeysReachTheOpenPanelOnly) {
  World& w = World::shared();
  // Eraser: C and V held change the size; B means nothing there.
  at(g.eraser.get());
  keysDown() = {GLFW_KEY_V};
  applyHeldKeys(fakeKeyDown);
  EXPECT_FLOAT_EQ(g.eraser->sizeChangeRate(), 3.0f);
  keysDown() = {GLFW_KEY_C};
  applyHeldKeys(fakeKeyDown);
  EXPECT_FLOAT_EQ(g.eraser->sizeChangeRate(), -3.0f);
  keysDown() = {GLFW_KEY_B};
  g.eraser->setSizeChangeRate(0.0f);
  applyHeldKeys(fakeKeyDown);
  EXPECT_FLOAT_EQ(g.eraser->sizeChangeRate(), 0.0f);
  EXPECT_FLOAT_EQ(g.terrain->rateChangeRate(), 0.0f);

  // Terrain: size, rate and the seven tool keys.
  at(g.terrain.get());
  keysDown() = {GLFW_KEY_V, GLFW_KEY_B};
  applyHeldKeys(fakeKeyDown);
  EXPECT_FLOAT_EQ(g.terrain->sizeChangeRate(), 3.0f);
  EXPECT_FLOAT_EQ(g.terrain->rateChangeRate(), -1.5f);
  const int toolKeys[7] = {GLFW_KEY_F, GLFW_KEY_G, GLFW_KEY_H, GLFW_KEY_J, GLFW_KEY_K, GLFW_KEY_L, GLFW_KEY_SEMICOLON};
  for (int i = 0; i < 7; ++i) {
    keysDown() = {toolKeys[i]};
    applyHeldKeys(fakeKeyDown);
    EXPECT_EQ(w.terrainTool, i);
  }
  keysDown().clear();
  // The same keys in the plain top-bar scene leave the terrain tool alone.
  at(g.topHud.get());
  keysDown() = {GLFW_KEY_F};
  applyHeldKeys(fakeKeyDown);
  EXPECT_EQ(w.terrainTool, 6);
  keysDown().clear();
  g.eraser->setSizeChangeRate(0.0f);
  g.terrain->setSizeChangeRate(0.0f);
  g.terrain->setRateChangeRate(0.0f);
}

TEST_F(Commands, PeriodHoldsTheColourOnlyWhilePlacing) {
  at(g.topHud.get());
  handleKey(GLFW_KEY_PERIOD, GLFW_PRESS);
  EXPECT_FALSE(input().keepColourHeld);
  at(g.unitPlacement.get());
  handleKey(GLFW_KEY_PERIOD, GLFW_PRESS);
  EXPECT_TRUE(input().keepColourHeld);
  EXPECT_TRUE(placementKeepsColours());
  handleKey(GLFW_KEY_PERIOD, GLFW_REPEAT);  // holding it keeps it
  EXPECT_TRUE(input().keepColourHeld);
  handleKey(GLFW_KEY_PERIOD, GLFW_RELEASE);
  EXPECT_FALSE(input().keepColourHeld);
  EXPECT_FALSE(placementKeepsColours());
}
