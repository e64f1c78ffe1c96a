// The screens outside the world and the dialogs over it, drawn as the player
// sees them after their fade-in, with screenshots to look at.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "app/settings.hpp"
#include "persistence/save_game.hpp"
#include "platform/platform.hpp"
#include "render/display.hpp"
#include "scenes/game_scenes.hpp"
#include "support/gl_world_helpers.hpp"
#include "ui/hud.hpp"
#include "units/world.hpp"

using namespace qv;
namespace fs = std::filesystem;

namespace {
constexpr int kW = 1280, kH = 720;
using Shot = std::vector<uint8_t>;

// Brings the scene in the way the frame loop does and draws one settled frame.
Shot show(Scene* scene, bool backdrop, const char* name) {
  switcher().clear();
  requestScene(scene, 0, backdrop);
  switcher().switchToRequestedScene();
  for (int i = 0; i < 12; ++i) scene->update(0.05f);
  return qvtest::capture(kW, kH, World::shared().clearColour, [&] { scene->draw(); }, name);
}

// Counts pixels in a box (design pixels from the interface centre, y up) that differ clearly between two shots.
int changedIn(const Shot& a, const Shot& b, float x0, float y0, float x1, float y1) {
  auto wx = [](float x) { return static_cast<int>(kW / 2 + x * kH / 1080.0f); };
  auto wy = [](float y) { return static_cast<int>(kH / 2 - y * kH / 1080.0f); };
  return qvtest::countWhere(wx(x0), wy(y0), wx(x1), wy(y1), 2, [&](int x, int y) {
    return qvtest::diff(qvtest::pixelAt(a, kW, x, y), qvtest::pixelAt(b, kW, x, y)) > 60;
  });
}

// A scene's panel corner (design pixels), to place probe boxes on its buttons.
qv::Vec2 panelCorner(const Scene& s) {
  for (const auto& hud : s.huds())
    if (!hud->isTitle && hud->background) return {hud->posX * 540.0f, hud->posY * 540.0f};
  return {};
}

class MenusDialogs : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!qvtest::ensureGlContext()) return;
    folder = fs::temp_directory_path() / ("qv_gl_menus_" + std::to_string(::getpid()));
    fs::create_directories(folder / "Saves");
    platform::overrideUserDataFolder(folder.string());
    std::ofstream(folder / "Saves" / "Save 2.sav") << "Quillon Vale Save File  Version 0.12.0.3\n2024.5.7\n";
    GameScenes& g = gameScenes();
    g.loading = std::make_unique<SceneLoading>();
    g.createAllButLoading(nullptr);
    installUiSounds();
    applySettingsToScreen(settings(), false, nullptr);
  }
  static void TearDownTestSuite() {
    gameScenes().destroyAll();
    fs::remove_all(folder);
  }
  static inline fs::path folder;
  void SetUp() override {
    QV_REQUIRE_GL_CONTEXT();
    if (!fs::exists(platform::dataPath("Images", "Button Large Long Not Hilighted Green.png"))) GTEST_SKIP() << "no Data";
  }
  GameScenes& g = gameScenes();
};

}  // namespace

TEST_F(MenusDialogs, MenusOverTheBackdropAndSaveSlotsByMode) {
  const Shot menu = show(g.mainMenu.get(), false, "menus_main_menu");
  const Shot notice = show(g.earlyAccess.get(), false, "menus_early_access");
  // Same backdrop and title; the panels differ in the middle of the screen.
  EXPECT_GT(changedIn(menu, notice, -400.0f, 100.0f, 400.0f, -100.0f), 200);
  // The backdrop fills the corners (not the clear colour).
  const Colour& c = World::shared().clearColour;
  const qvtest::Rgb clear{int(c.r * 255), int(c.g * 255), int(c.b * 255)};
  EXPECT_GT(qvtest::diff(qvtest::pixelAt(menu, kW, 5, kH - 5), clear), 30);

  saveSlots().mode = kSlotsForNewGame;
  const Shot fresh = show(g.saveSlots.get(), false, "menus_save_slots_new_game");
  saveSlots().mode = kSlotsForLoading;
  const Shot load = show(g.saveSlots.get(), false, "menus_save_slots_load");
  // Slot 1 (empty) dims in load mode; slot 2 (used) looks the same in both.
  const Vec2 slots = panelCorner(*g.saveSlots);
  EXPECT_GT(changedIn(fresh, load, slots.x + 55, slots.y - 105, slots.x + 355, slots.y - 165), 50);
  EXPECT_LT(changedIn(fresh, load, slots.x + 55, slots.y - 183, slots.x + 355, slots.y - 243), 10);
  show(g.overwriteSlot.get(), false, "menus_overwrite_slot");
}

// The logo and the version plate are not covered by the main menu's panel in
// any window shape: their pixels match the loading screen's, which shows the
// same title pictures over the same backdrop with only a small panel between.
TEST_F(MenusDialogs, MainMenuLeavesLogoAndVersionPlateClearInEveryWindowShape) {
  const struct { int w, h; } windows[] = {{1280, 549}, {1280, 720}, {1152, 720}, {960, 720}, {900, 720}, {405, 720}};
  for (const auto& win : windows) {
    computeViewport(win.w, win.h);
    const IntRect v = display().viewport, ui = display().interfaceRect;
    const auto shot = [&](Scene* scene, const char* name) {
      switcher().clear();
      requestScene(scene, 0, false);
      switcher().switchToRequestedScene();
      for (int i = 0; i < 12; ++i) scene->update(0.05f);
      glViewport(v.x, v.y, v.width, v.height);
      glClearColor(0, 0, 0, 1);
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
      scene->draw();
      glFinish();
      auto px = qvtest::readPixels(win.w, win.h);
      if (name) qvtest::saveScreenshot(name, px, win.w, win.h);
      return px;
    };
    const std::string name = "menus_main_menu_" + std::to_string(win.w) + "x" + std::to_string(win.h);
    const Shot menu = shot(g.mainMenu.get(), name.c_str());
    const Shot bare = shot(g.loading.get(), nullptr);
    // Window pixel of a design point (y up from the interface centre).
    const auto wx = [&](float x) { return static_cast<int>(ui.x + (x + 960.0f) / 1920.0f * ui.width); };
    const auto wy = [&](float y) { return static_cast<int>(win.h - ui.y - ui.height + (540.0f - y) / 1080.0f * ui.height); };
    const struct { const char* what; float x0, y0, x1, y1; } boxes[] = {{"logo", -468, -309, -132, -385},
                                                                        {"version plate", 206, -339, 468, -385}};
    for (const auto& b : boxes) {
      const int covered = qvtest::countWhere(wx(b.x0), wy(b.y0), wx(b.x1), wy(b.y1), 1, [&](int x, int y) {
        return qvtest::diff(qvtest::pixelAt(menu, win.w, x, y), qvtest::pixelAt(bare, win.w, x, y)) > 30;
      });
      EXPECT_EQ(covered, 0) << b.what << " in " << win.w << "x" << win.h;
    }
  }
  computeViewport(kW, kH);
  glViewport(0, 0, kW, kH);
}

TEST_F(MenusDialogs, EveryDialogDrawsItsPanelOverTheFrozenWorld) {
  World& w = World::shared();
  // The shipped world behind the dialogs, as after "New Game".
  EXPECT_EQ(loadDefaultWorld(w), 0);
  w.camera.position = {0.0f, -60.0f, 12.0f};
  w.camera.maxHeight = 12.0f;
  const Shot plain = show(g.topHud.get(), false, "menus_world_behind_dialogs");
  const std::pair<Scene*, const char*> dialogs[] = {
      {g.inGameMenu.get(), "dialog_in_game_menu"}, {g.help.get(), "dialog_help"},
      {g.quit.get(), "dialog_quit"},               {g.saveAndQuit.get(), "dialog_save_and_quit"},
      {g.askSave.get(), "dialog_ask_save"},        {g.gameSaved.get(), "dialog_game_saved"},
      {g.feedback.get(), "dialog_feedback"},       {g.settings.get(), "dialog_settings"},
      {g.deleteUnit.get(), "dialog_delete_unit"}};
  for (const auto& [scene, name] : dialogs)
    EXPECT_GT(changedIn(plain, show(scene, false, name), -40, 20, 40, -20), 20) << name;
}

TEST_F(MenusDialogs, SettingsSwapsTheModeButtonAndErrorsShowOneOrTwoButtons) {
  static bool full = false;
  g.settings->isFullScreen = [] { return full; };
  const Shot windowed = show(g.settings.get(), true, "dialog_settings_from_menu");
  full = true;
  const Shot fullScreen = show(g.settings.get(), true, "dialog_settings_full_screen");
  g.settings->isFullScreen = nullptr;
  // "Fullscreen" and "Windowed" share the place; only the label differs.
  const Vec2 settings = panelCorner(*g.settings);
  EXPECT_GT(changedIn(windowed, fullScreen, settings.x + 97, settings.y - 453, settings.x + 397, settings.y - 513), 10);
  EXPECT_LT(changedIn(windowed, fullScreen, settings.x + 55, settings.y - 100, settings.x + 500, settings.y - 200), 5);

  g.errorMessage->show(5, g.saveSlots.get(), g.topHud.get());
  const Shot fatal = show(g.errorMessage.get(), true, "dialog_error_fatal");
  g.errorMessage->show(4, g.saveSlots.get(), g.topHud.get());
  const Shot mild = show(g.errorMessage.get(), true, "dialog_error_continue");
  // "Continue Anyway" sits right of the centre only in the mild case.
  const Vec2 error = panelCorner(*g.errorMessage);
  EXPECT_GT(changedIn(fatal, mild, error.x + 420, error.y - 179, error.x + 640, error.y - 230), 50);
}
