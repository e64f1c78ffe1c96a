#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <signal.h>
#if !GTEST_OS_WINDOWS
#include <sys/resource.h>
#include <sys/wait.h>
#endif
#include <unistd.h>

#include "app/commands.hpp"
#include "app/input.hpp"
#include "app/settings.hpp"
#include "app/shell.hpp"
#include "core/log.hpp"
#include "persistence/save_game.hpp"
#include "platform/platform.hpp"
#include "scenes/app_config.hpp"
#include "scenes/census_panel.hpp"
#include "scenes/game_scenes.hpp"
#include "units/world.hpp"

namespace fs = std::filesystem;
using namespace qv;

namespace {

// The window and the system, as the commands and keys see them: every request recorded.
struct RecordingShell final : Shell {
  int quits = 0, fullScreenToggles = 0;
  std::vector<int> swapIntervals;
  std::vector<std::string> pages;
  void quit() override { ++quits; }
  void toggleFullScreen() override { ++fullScreenToggles; }
  void setSwapInterval(int interval) override { swapIntervals.push_back(interval); }
  void openWebPage(const std::string& url) override { pages.push_back(url); }
};
std::set<int> keysDown;
void holdKeys(std::set<int> keys) {
  keysDown = std::move(keys);
  applyHeldKeys([](int key) { return keysDown.count(key) != 0; });
}

fs::path tempFolder(const std::string& name) {
  const fs::path p = fs::temp_directory_path() / ("qv_commands_" + name + "_" + std::to_string(::getpid()));
  fs::remove_all(p);
  fs::create_directories(p);
  return p;
}

}  // namespace

// Every scene of the game, built once without a window; the window's effects
// (quit, browser, full screen, vertical sync) go to a recording shell.
class Commands : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    userFolder = tempFolder("user");
    programFolder = tempFolder("program");  // no default world here
    platform::overrideUserDataFolder(userFolder.string());
    platform::overrideProgramFolder(programFolder.string());
    gameScenes().loading = std::make_unique<SceneLoading>();
    gameScenes().createAllButLoading(nullptr);
    installUiSounds();
  }
  static void TearDownTestSuite() {
    gameScenes().destroyAll();
    fs::remove_all(userFolder);
    fs::remove_all(programFolder);
  }
  static inline fs::path userFolder, programFolder;

  void SetUp() override {
    keysDown.clear();
    commandState() = {};
    switcher().clear();
    switcher().entryCounter = 2;
    input() = {};
    w.toolMode = 0;
    w.unsavedChanges = false;
    w.setGameSpeed(1);
    for (int s = 0; s < kSaveSlotCount; ++s) saveSlots().empty[s] = true;
    saveSlots().mode = kSlotsForNewGame, saveSlots().selected = 0;
  }
  void TearDown() override { commandState() = {}; switcher().clear(); }

  GameScenes& g = gameScenes();
  World& w = World::shared();
  RecordingShell shell;
  void handleCommand(int id) { qv::handleCommand(id, shell); }
  void handleKey(int key, int action) { qv::handleKey(key, action, shell); }

  // Makes s current and finished fading in, as if the player were looking at it.
  void at(Scene* s) { switcher().clear(); switcher().setCurrent(s); }
  // Completes the pending switch, as the frame loop does once the fade-out is over.
  Scene* arrive() { switcher().switchToRequestedScene(); return switcher().current(); }
  // Presses identifier id while `from` is current and returns the scene requested.
  Scene* press(Scene* from, int id) { at(from); handleCommand(id); return switcher().requested(); }
  // Holds exactly `keys` while `from` is current.
  void hold(Scene* from, std::set<int> keys) { at(from); holdKeys(std::move(keys)); }
  // Sends a key while `from` is current and returns the scene requested.
  Scene* key(Scene* from, int k, int action = GLFW_PRESS) { at(from); handleKey(k, action); return switcher().requested(); }
  // Presses the button the player reads as `label` on that screen.
  Scene* press(Scene* from, const std::string& label) {
    for (const auto& hud : from->huds())
      for (const auto& layer : hud->layers)
        for (const auto& c : layer.components)
          if (auto* b = dynamic_cast<HudButton*>(c.get()); b && b->label() == label) return press(from, b->identifier());
    ADD_FAILURE() << "no button \"" << label << "\" on " << from->name();
    return nullptr;
  }
};

TEST_F(Commands, ButtonsRequestTheirScenesAndRememberWhereToReturn) {
  // Played in order: the dialogs remember who opened them. backdrop < 0: not checked.
  // The top bar's icons have no label: "#id" presses by identifier. Unset return
  // scenes (the first two) fall back instead of stranding the player.
  const struct { Scene* from; const char* label; Scene* expected; int backdrop; } rows[] = {
      {g.help.get(), "#1501", g.topHud.get(), -1},                 {g.settings.get(), "#1301", g.mainMenu.get(), -1},
      {g.mainMenu.get(), "New Game", g.saveSlots.get(), 1},        {g.mainMenu.get(), "Send Feedback", g.feedback.get(), 2},
      {g.mainMenu.get(), "Early Access", g.earlyAccess.get(), 1},  {g.mainMenu.get(), "Settings", g.settings.get(), 2},
      {g.settings.get(), "Back", g.mainMenu.get(), -1},            {g.inGameMenu.get(), "Settings", g.settings.get(), 0},
      {g.settings.get(), "Back", g.inGameMenu.get(), -1},          {g.eraser.get(), "#201", g.inGameMenu.get(), -1},
      // Opening help from another scene must not overwrite where the menu returns; Ok keeps the feedback prompt.
      {g.terrain.get(), "#202", g.help.get(), -1},                 {g.inGameMenu.get(), "Back", g.eraser.get(), -1},
      {g.help.get(), "Back", g.terrain.get(), -1},                 {g.inGameMenu.get(), "Send Feedback", g.feedback.get(), -1},
      {g.feedback.get(), "Ok", nullptr, -1},                       {g.feedback.get(), "Back", g.inGameMenu.get(), -1},
      {g.earlyAccess.get(), "Join Mailing List", nullptr, -1},     {g.earlyAccess.get(), "Ok", g.mainMenu.get(), -1},
      {g.topHud.get(), "#203", g.units.get(), -1},                 {g.topHud.get(), "#204", g.eraser.get(), -1}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.label);
    EXPECT_EQ(r.label[0] == '#' ? press(r.from, std::atoi(r.label + 1)) : press(r.from, r.label), r.expected);
    if (r.from == g.mainMenu.get()) EXPECT_EQ(g.mainMenu->setIndex(), 0);
    if (r.backdrop >= 0) EXPECT_TRUE(arrive() == r.expected && r.expected->backdropMode() == r.backdrop) << r.backdrop;
  }
  EXPECT_EQ(w.toolMode, 2) << "the eraser's icon takes the eraser up";
  EXPECT_EQ(shell.pages, (std::vector<std::string>{kFeedbackPage, kMailingListPage}));
  EXPECT_TRUE(fs::exists(userFolder / "settings.txt")) << "leaving settings saves them";
  EXPECT_TRUE(press(g.mainMenu.get(), "Early Access") && switcher().entryCounter == 0) << "the title stands still again";
  EXPECT_TRUE(press(g.mainMenu.get(), "Load Game") == g.saveSlots.get() && saveSlots().mode == kSlotsForLoading);
  EXPECT_TRUE(press(g.mainMenu.get(), "New Game") && saveSlots().mode == kSlotsForNewGame);
  // Unknown identifiers and the sliders' own change nothing.
  for (int id : {0, 1302, 1303, 999, 4242}) EXPECT_EQ(press(g.settings.get(), id), nullptr) << id;
  EXPECT_TRUE(!press(g.mainMenu.get(), "Quit") && shell.quits == 1);
}

TEST_F(Commands, MainMenuAndQuitAskAboutSavingOnlyWithUnsavedChangesAndSaveWhenAsked) {
  for (bool unsaved : {false, true}) {
    w.unsavedChanges = unsaved;
    EXPECT_EQ(press(g.inGameMenu.get(), "Main Menu"), unsaved ? static_cast<Scene*>(g.askSave.get()) : g.mainMenu.get()) << unsaved;
    EXPECT_EQ(press(g.inGameMenu.get(), "Quit"), unsaved ? static_cast<Scene*>(g.saveAndQuit.get()) : g.quit.get()) << unsaved;
  }
  EXPECT_TRUE(press(g.inGameMenu.get(), "Main Menu") && commandState().askSaveDestination == g.mainMenu.get());
  // Played in order; a null scene: not checked. "Don't Save" goes on without saving.
  const struct { Scene* from; const char* label; Scene* expected; int quits; } rows[] = {
      {g.askSave.get(), "Don't Save", g.mainMenu.get(), 0},  {g.askSave.get(), "Cancel", g.inGameMenu.get(), 0},
      {g.saveAndQuit.get(), "Back", g.inGameMenu.get(), 0}, {g.saveAndQuit.get(), "Don't Save", nullptr, 1},
      {g.quit.get(), "Back", g.inGameMenu.get(), 1},        {g.quit.get(), "Quit", nullptr, 2}};
  for (const auto& r : rows) {
    Scene* const to = press(r.from, r.label);
    if (r.expected) EXPECT_EQ(to, r.expected) << r.label;
    EXPECT_TRUE(shell.quits == r.quits && w.unsavedChanges) << r.label;
  }

  // Saving writes the selected slot and relabels it.
  saveSlots().selected = 2;
  EXPECT_EQ(press(g.inGameMenu.get(), "Save Game"), g.gameSaved.get());
  EXPECT_TRUE(fs::exists(saveSlotPath(2)) && !saveSlots().empty[2] && !w.unsavedChanges);
  EXPECT_EQ(g.saveSlots->slotButtons()[2]->label().rfind("Save 3 ", 0), 0u);
  EXPECT_EQ(press(g.gameSaved.get(), "Ok"), g.inGameMenu.get());
  // "Save" in the quit question saves before quitting.
  fs::remove(saveSlotPath(2));
  press(g.saveAndQuit.get(), "Save");
  EXPECT_TRUE(fs::exists(saveSlotPath(2)) && shell.quits == 3);
}

// With the disk full every "Save" says so and stays in the game: no "Game saved.",
// no quitting, no leaving for the main menu, the changes still count as unsaved.
#if !GTEST_OS_WINDOWS
TEST_F(Commands, SavesThatDoNotReachTheDiskShowTheErrorAndStay) {
  saveSlots().selected = 1;
  w.unsavedChanges = true;
  ASSERT_EQ(press(g.inGameMenu.get(), 306), g.gameSaved.get());
  const auto fileText = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string old = fileText(saveSlotPath(1));
  ASSERT_FALSE(old.empty());
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // A full disk: nothing more than a few bytes can be written.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{16, 16};
    setrlimit(RLIMIT_FSIZE, &limit);
    int failures = 0;
    commandState().askSaveDestination = g.mainMenu.get();
    for (auto [from, id] : {std::pair<Scene*, int>{g.inGameMenu.get(), 306}, {g.saveAndQuit.get(), 1403},
                            {g.askSave.get(), 2703}}) {
      w.unsavedChanges = true;
      const bool ok = press(from, id) == g.errorMessage.get() &&
                      g.errorMessage->message == SceneGameplayWithErrorMessage::kSaveFailedMessage &&
                      g.errorMessage->backCentred->state == kStateActive &&
                      g.errorMessage->continueAnyway->state == kStateHidden && w.unsavedChanges && shell.quits == 0;
      if (!ok || press(g.errorMessage.get(), 3401) != g.inGameMenu.get()) failures |= 1 << (id % 8);
    }
    _exit(failures);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "commands whose save failed (bits of id % 8): " << WEXITSTATUS(status);
  EXPECT_EQ(fileText(saveSlotPath(1)), old);
}

#endif

TEST_F(Commands, SlotsAskBeforeOverwritingAndReportLoadErrorsBySeverity) {
  using E = SceneGameplayWithErrorMessage;
  saveSlots().empty[1] = false;
  EXPECT_TRUE(press(g.saveSlots.get(), 2812) == g.overwriteSlot.get() && saveSlots().selected == 1);
  EXPECT_EQ(press(g.overwriteSlot.get(), "Cancel"), g.saveSlots.get());
  // No default world beside this test program: a fatal error, back to the slots.
  EXPECT_TRUE(press(g.saveSlots.get(), 2814) == g.errorMessage.get() && saveSlots().selected == 3);
  EXPECT_TRUE(g.errorMessage->message == E::messageFor(3) && g.errorMessage->backScene == g.saveSlots.get());
  EXPECT_TRUE(arrive() == g.errorMessage.get() && g.errorMessage->backdropMode() == 2);
  EXPECT_EQ(press(g.errorMessage.get(), 3401), g.saveSlots.get());
  EXPECT_EQ(press(g.overwriteSlot.get(), "Overwrite"), g.errorMessage.get());

  saveSlots().mode = kSlotsForLoading;
  press(g.saveSlots.get(), 2815);
  EXPECT_NE(g.errorMessage->text->text.text().find("not found"), std::string::npos) << "no file for slot 5";

  // Error mapping chooses message and buttons by severity; 5 before 4: a fatal error followed by a mild one must bring "Continue Anyway" back.
  for (int code : {1, 2, 3, 5, 4, 17}) {
    SCOPED_TRACE(code);
    at(g.saveSlots.get());
    LogCapture log;
    showLoadResult(code, g.saveSlots.get());
    EXPECT_EQ(switcher().requested(), g.errorMessage.get());
    const bool fatal = code == 3 || code == 5;
    const auto& e = *g.errorMessage;
    EXPECT_EQ(std::tuple(e.backLeft->state, e.continueAnyway->state, e.backCentred->state),
              fatal ? std::tuple(kStateHidden, kStateHidden, kStateActive) : std::tuple(kStateActive, kStateActive, kStateHidden));
    EXPECT_EQ(std::pair(e.continueScene, e.text->text.text().empty()), std::pair(static_cast<Scene*>(g.topHud.get()), code > 5));
    if (code <= 5) EXPECT_TRUE(log.contains(E::messageFor(code)));
  }
  at(g.saveSlots.get());
  showLoadResult(0, g.saveSlots.get());
  EXPECT_TRUE(arrive() == g.topHud.get() && g.topHud->backdropMode() == 0);
}

TEST_F(Commands, SettingsFileSnapsOntoTheSlidersAndTheScreensButtonsAct) {
  const fs::path file = userFolder / "settings.txt";
  std::ofstream(file, std::ios::binary) << "Quillon Vale Settings File  Version 0.12.0.3\n0.33\n1.7\n0\n0\n0\n1\n0\n";
  Settings& s = settings() = Settings{};
  s.load(file.string());
  applySettingsToScreen(s, true, &shell);
  const auto shown = [&] {
    return std::tuple(g.settings->musicSlider->valueText.text(), g.settings->verticalSyncBox->checked, g.settings->frameLimitBox->checked);
  };
  EXPECT_EQ(shown(), std::tuple("35%", false, true)) << "music, vertical sync, frame limit";
  EXPECT_EQ(shell.swapIntervals, std::vector<int>{0});

  // A click on a checkbox is what gets saved, not the file's old value.
  g.settings->verticalSyncBox->checked = true;
  handleCommand(1308);
  saveSettingsFile();
  std::ifstream in(file);
  std::vector<std::string> got(7);
  for (auto& line : got) std::getline(in, line);
  EXPECT_EQ(std::tuple(got[1], got[5], got[6]), std::tuple("0.35", "1", "1")) << "music, vertical sync, frame limit";

  // The sliders drive the settings they show.
  g.settings->soundSlider->setValue(0.42f);  // snaps to 40 %
  EXPECT_NEAR(s.soundVolume, 0.40f, 1e-6);
  // Without a file, the sliders show the volumes in use, not a previous visit's.
  g.settings->musicSlider->setValue(0.0f);
  s = Settings{};
  applySettingsToScreen(s, false, nullptr);
  EXPECT_EQ(shown(), std::tuple("100%", true, false));
  s = Settings{};

  shell.swapIntervals.clear();
  at(g.settings.get());
  for (bool on : {false, true}) { g.settings->verticalSyncBox->checked = on; handleCommand(1308); }
  EXPECT_EQ(shell.swapIntervals, (std::vector<int>{0, 1}));
  handleCommand(1307);
  EXPECT_EQ(shell.fullScreenToggles, 1);
}

TEST_F(Commands, SpeedKeysOnAnyActionUNotDuringASwitchEscapeOnlyPutsAToolAway) {
  at(g.topHud.get());
  for (int action : {GLFW_PRESS, GLFW_REPEAT, GLFW_RELEASE}) {
    SCOPED_TRACE(action);
    w.setGameSpeed(1);
    for (auto [key, paused, scale] : {std::tuple{GLFW_KEY_3, false, 20.0f}, {GLFW_KEY_P, true, 20.0f}, {GLFW_KEY_KP_2, false, 5.0f}}) {
      handleKey(key, action);
      EXPECT_EQ(std::pair(w.paused, w.timeScale), std::pair(paused, scale)) << key;
    }
  }
  // Outside the five top-bar scenes the number row means nothing.
  key(g.inGameMenu.get(), GLFW_KEY_0);
  EXPECT_FALSE(w.paused);

  // U is ignored while a switch is pending; Escape only puts a tool away.
  EXPECT_EQ(key(g.topHud.get(), GLFW_KEY_U), g.units.get());
  requestScene(g.inGameMenu.get(), 0);
  handleKey(GLFW_KEY_U, GLFW_RELEASE);
  EXPECT_EQ(switcher().requested(), g.inGameMenu.get());
  EXPECT_EQ(key(g.mainMenu.get(), GLFW_KEY_U), nullptr);

  EXPECT_EQ(key(g.topHud.get(), GLFW_KEY_ESCAPE), nullptr);
  at(g.eraser.get());
  w.toolMode = 2;
  switcher().entryCounter = 5;
  handleKey(GLFW_KEY_ESCAPE, GLFW_RELEASE);  // only a press counts
  EXPECT_EQ(switcher().requested(), nullptr);
  handleKey(GLFW_KEY_ESCAPE, GLFW_PRESS);
  EXPECT_EQ(std::tuple(switcher().requested(), w.toolMode, switcher().entryCounter, g.eraser->setIndex()),
            std::tuple(static_cast<Scene*>(g.topHud.get()), 0, 1, 2))
      << "scene, tool, entries, out set";

  EXPECT_TRUE(key(g.topHud.get(), GLFW_KEY_E, GLFW_RELEASE) == nullptr && w.toolMode == 0);
  EXPECT_TRUE(key(g.topHud.get(), GLFW_KEY_T) == g.terrain.get() && w.toolMode == 3);
}

TEST_F(Commands, DeveloperKeysNeedDeveloperModeAndPeriodHoldsTheColourOnlyWhilePlacing) {
  at(g.mainMenu.get());
  for (bool developer : {false, true}) {
    input().developer.enabled = developer;
    handleKey(GLFW_KEY_F, GLFW_PRESS);
    handleKey(GLFW_KEY_F, GLFW_RELEASE);
    handleKey(GLFW_KEY_J, GLFW_PRESS);
    EXPECT_EQ(std::pair(shell.fullScreenToggles, input().developer.hideHuds), std::pair(developer ? 1 : 0, developer));
  }
  handleKey(GLFW_KEY_J, GLFW_PRESS);
  EXPECT_FALSE(input().developer.hideHuds);
}

// W, S, D and A move the eye ahead, back, right and left of where it looks,
// whichever way it faces: the spot it left ends up behind, ahead, left or right.
TEST_F(Commands, MovementKeysMoveTheCameraTheWayItFaces) {
  at(g.topHud.get());
  const struct { int key; int axis; float sign; } rows[] = {
      {GLFW_KEY_W, 2, 1.0f}, {GLFW_KEY_S, 2, -1.0f}, {GLFW_KEY_D, 0, -1.0f}, {GLFW_KEY_A, 0, 1.0f}};
  for (const float yaw : {0.0f, 2.0f, -2.5f})
    for (const auto& r : rows) {
      w.camera.position = {0.0f, 0.0f, 20.0f}, w.camera.maxHeight = 20.0f;
      w.camera.yaw = yaw, w.camera.pitch = -kPi / 2.0, w.camera.velocity = {};  // level
      const Vec3 before = w.camera.position;
      holdKeys({r.key});
      w.camera.update(0.1f, nullptr);
      const Vec3 seen = w.camera.toView(before);  // x right, z behind the eye
      const float along[3] = {seen.x, seen.y, seen.z};
      EXPECT_NEAR(along[r.axis] * r.sign, 1.25f, 0.01f) << "key " << r.key << " yaw " << yaw;
      EXPECT_NEAR(w.camera.position.z, 20.0f, 1e-4f) << "level flight";
    }
  keysDown.clear();
}

TEST_F(Commands, HeldKeysReachOnlyTheLiveScenesAndTheOpenPanel) {
  w.camera.velocity = {};
  hold(g.inGameMenu.get(), {GLFW_KEY_W, GLFW_KEY_SPACE, GLFW_KEY_LEFT_SHIFT});
  EXPECT_TRUE(w.camera.velocity.z == 0.0f && input().shiftHeld) << "shift is tracked everywhere for the mouse";
  hold(g.terrain.get(), {GLFW_KEY_W, GLFW_KEY_SPACE, GLFW_KEY_LEFT_SHIFT});
  EXPECT_FLOAT_EQ(w.camera.velocity.z, 12.5f);

  // Eraser: C and V change the size; B (the terrain rate) means nothing there.
  hold(g.eraser.get(), {GLFW_KEY_V});
  EXPECT_TRUE(!input().shiftHeld && g.eraser->sizeChangeRate() == 3.0f);
  holdKeys({GLFW_KEY_C});
  EXPECT_FLOAT_EQ(g.eraser->sizeChangeRate(), -3.0f);
  holdKeys({GLFW_KEY_B});
  EXPECT_FLOAT_EQ(g.terrain->rateChangeRate(), 0.0f);
  // Terrain: size, rate and the seven tool keys; the same keys in the plain top bar do nothing.
  hold(g.terrain.get(), {GLFW_KEY_V, GLFW_KEY_B});
  EXPECT_EQ(std::pair(g.terrain->sizeChangeRate(), g.terrain->rateChangeRate()), std::pair(3.0f, -1.5f));
  const int toolKeys[7] = {GLFW_KEY_F, GLFW_KEY_G, GLFW_KEY_H, GLFW_KEY_J, GLFW_KEY_K, GLFW_KEY_L, GLFW_KEY_SEMICOLON};
  for (int i = 0; i < 7; ++i) {
    holdKeys({toolKeys[i]});
    EXPECT_EQ(w.terrainTool, i);
  }
  hold(g.topHud.get(), {GLFW_KEY_F});
  EXPECT_EQ(w.terrainTool, 6);
  g.eraser->setSizeChangeRate(0.0f);
  g.terrain->setSizeChangeRate(0.0f);
  g.terrain->setRateChangeRate(0.0f);

  key(g.topHud.get(), GLFW_KEY_PERIOD);
  EXPECT_FALSE(placementKeepsColours());
  at(g.unitPlacement.get());
  for (int action : {GLFW_PRESS, GLFW_REPEAT}) {  // holding it keeps it
    handleKey(GLFW_KEY_PERIOD, action);
    EXPECT_TRUE(placementKeepsColours()) << action;
  }
  handleKey(GLFW_KEY_PERIOD, GLFW_RELEASE);
  EXPECT_FALSE(placementKeepsColours());
}

TEST_F(Commands, BackspaceUndoesAndShiftBackspaceRedoesStrokesTabTogglesTheCensusInTheWorldOnly) {
  ASSERT_TRUE(w.terrain);
  w.resetWorld();
  const float flat = w.terrain->height(34, 34);
  TerrainSculptor sculptor;
  w.terrainTool = terraintool::kRaise;
  w.sculptFrame(sculptor, {0.0f, 0.0f}, 0.1f, true);
  w.endSculptStroke();
  const float raised = w.terrain->height(34, 34);
  ASSERT_GT(raised, flat);

  key(g.inGameMenu.get(), GLFW_KEY_BACKSPACE);  // a dialog freezes the world: no undo behind it
  EXPECT_EQ(w.terrain->height(34, 34), raised);
  const bool open = censusPanelOpen();
  handleKey(GLFW_KEY_TAB, GLFW_PRESS);
  EXPECT_EQ(censusPanelOpen(), open);

  key(g.terrain.get(), GLFW_KEY_BACKSPACE, GLFW_RELEASE);  // a release does nothing
  EXPECT_EQ(w.terrain->height(34, 34), raised);
  handleKey(GLFW_KEY_BACKSPACE, GLFW_PRESS);
  EXPECT_EQ(w.terrain->height(34, 34), flat);
  holdKeys({GLFW_KEY_LEFT_SHIFT});
  handleKey(GLFW_KEY_BACKSPACE, GLFW_REPEAT);
  EXPECT_EQ(w.terrain->height(34, 34), raised);
  holdKeys({});
  handleKey(GLFW_KEY_TAB, GLFW_PRESS);
  handleKey(GLFW_KEY_TAB, GLFW_RELEASE);
  EXPECT_EQ(censusPanelOpen(), !open);
  handleKey(GLFW_KEY_TAB, GLFW_PRESS);
  EXPECT_EQ(censusPanelOpen(), open);
  w.resetWorld();
}
