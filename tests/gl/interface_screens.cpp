// The interface as a player sees it, drawn on a real context: every widget,
// the menus and dialogs, the top bar with its tool panels and the units screens.
// Each case brings up what it draws, so any one runs alone.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <unistd.h>

#include "app/settings.hpp"
#include "core/log.hpp"
#include "core/random.hpp"
#include "persistence/save_game.hpp"
#include "platform/platform.hpp"
#include "render/display.hpp"
#include "render/palette.hpp"
#include "scenes/game_scenes.hpp"
#include "support/gl_world_helpers.hpp"
#include "ui/template_preview.hpp"
#include "units/world.hpp"

using namespace qv;
namespace fs = std::filesystem;

namespace {
// Pixel of a design point (y up from the interface centre) in a 1280 x 720 window.
int pxX(float x) { return static_cast<int>(640 + x * 720 / 1080.0f); }
int pxY(float y) { return static_cast<int>(360 - y * 720 / 1080.0f); }
}  // namespace

// Every interface widget drawn on a real context, probed and saved for a look,
// then the top bar and its tool panels over the living world.
namespace gallery {
constexpr int kW = 1920, kH = 1080;  // one design pixel per screen pixel

struct UiGallery : ::testing::Test {
  void SetUp() override {
    QV_REQUIRE_GL_CONTEXT();
    glViewport(0, 0, kW, kH);
    setAspectRatio(static_cast<float>(kW) / kH);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  }
};

void clear(float r, float g, float b) {
  glClearColor(r, g, b, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// Design pixels (from the centre, y up) to screen pixels (top row first).
int sx(float x) { return static_cast<int>(960 + x); }
int sy(float y) { return static_cast<int>(540 - y); }

// Means of r+g+b, r and b; max of r+g+b; pixels that differ from the background.
struct Stats {
  double lum = 0, r = 0, b = 0;
  int brightest = 0, changed = 0;
};

// Region given in design pixels: top-left corner (x, y) and size.
Stats region(const std::vector<uint8_t>& px, float x, float y, float w, float h, qvtest::Rgb bg = {-1, -1, -1}) {
  Stats s;
  int n = 0;
  for (int yy = sy(y); yy < sy(y - h); ++yy)
    for (int xx = sx(x); xx < sx(x + w); ++xx, ++n) {
      const qvtest::Rgb c = qvtest::pixelAt(px, kW, xx, yy);
      s.lum += qvtest::brightness(c), s.r += c.r, s.b += c.b;
      s.brightest = std::max(s.brightest, qvtest::brightness(c));
      s.changed += bg.r >= 0 && qvtest::diff(c, bg) > 24;
    }
  if (n) s.lum /= n, s.r /= n, s.b /= n;
  return s;
}

using Parts = std::initializer_list<std::shared_ptr<HudComponent>>;

TEST_F(UiGallery, GreyOutAlphaClampAndTurn) {
  ImageRect white("White Pixel.png", 100, 100, kAnchorTopLeft);
  clear(0, 0, 1);
  drawRect(white, pxToUnits(-300), pxToUnits(100), 0, 1, 1, 1, 1, {1, 1, 1, 1}, 0.5f);  // grey-out
  drawRect(white, pxToUnits(0), pxToUnits(100), 0, 1, 1, 1, 1, {0.5f, 0, 0, 1.5f}, -1);  // alpha over 1
  // Turned a quarter counter-clockwise about its top-left corner: it now extends up and right.
  drawRect(white, pxToUnits(400), pxToUnits(100), kPi / 2, 1, 1, 1, 1, {0, 1, 0, 1}, -1);
  const auto px = qvtest::readPixels(kW, kH);
  auto at = [&](float x, float y) { return qvtest::pixelAt(px, kW, sx(x), sy(y)); };
  const auto grey = at(-250, 50), red = at(50, 50);
  EXPECT_TRUE(std::abs(grey.r - 128) <= 2 && std::abs(grey.b - 128) <= 2) << "grey-out: " << grey.r << " " << grey.b;
  EXPECT_TRUE(std::abs(red.r - 128) <= 2 && red.b <= 2) << "alpha 1.5 must act as 1, not overshoot: " << red.r << " " << red.b;
  EXPECT_TRUE(at(450, 150).g > 250 && at(450, 50).g < 10) << "turned up and right";
  qvtest::saveScreenshot("ui_grey_and_clamp", px, kW, kH);
}

TEST_F(UiGallery, EveryWidgetInItsStates) {
  LogCapture log;
  const qvtest::Rgb bgRgb{90, 60, 110};
  clear(90 / 255.0f, 60 / 255.0f, 110 / 255.0f);

  Hud hud;
  hud.setPositionPx(-900, 520);  // components below are relative to this corner
  auto plain = std::make_shared<HudButtonLargeLong>("New Game", 40, -80, 101);
  auto lit = std::make_shared<HudButtonLargeLong>("Load Game", 40, -170, 107);
  auto off = std::make_shared<HudButtonLargeLong>("Settings", 40, -260, 102);
  off->setState(kStateDisabled);
  auto shortBtn = std::make_shared<HudButtonLargeShort>("Back", 40, -350, 2801, "Back to the previous screen\nSecond line of help",
                                                        kTooltipRight);
  auto pageLit = std::make_shared<HudButtonPageSelect>("", "3", 150, -450, 3);
  auto tinyLit = std::make_shared<HudButtonSmallVeryShort>("Symbol Button Small Very Short Arrow 2.png", "", 360, -460, 41);
  hud.addComponent(std::make_shared<HudButtonSmall>("", "Units", 40, 30), 0);
  hud.addComponent(std::make_shared<HudPopupMessage>("Info", 470, -470), 0);
  for (auto c : Parts{plain, lit, off, shortBtn, pageLit, tinyLit}) hud.addComponent(c, 0);

  // Checkboxes: plain, highlighted, checked, swatch (checked, never a centre mark), disabled, with a label.
  auto cbLit = std::make_shared<HudCheckbox>(110, -560, 2);
  auto cbChecked = std::make_shared<HudCheckbox>(180, -560, 3);
  auto cbSwatch = std::make_shared<HudCheckbox>(250, -560, 4, true, "", false, Colour{0.9f, 0.3f, 0.2f, 1});
  auto cbOff = std::make_shared<HudCheckbox>(320, -560, 5);
  cbOff->setState(kStateDisabled);
  auto cbLabel = std::make_shared<HudCheckboxAndLabel>("Show Grid", 0, -640, 6);
  cbChecked->checked = cbSwatch->checked = cbOff->checked = cbLabel->checked = true;
  for (auto c : Parts{std::make_shared<HudCheckbox>(40, -560, 1), cbLit, cbChecked, cbSwatch, cbOff, cbLabel})
    hud.addComponent(c, 1);

  // Sliders at three values; the middle one highlighted, labels above and on the left.
  const std::vector<std::string> labels{"Off", "Low", "Half", "High", "Full"};
  const std::vector<float> values{0, 0.25f, 0.5f, 0.75f, 1};
  auto s1 = std::make_shared<HudSlider>(1000, -150, "Sound Volume", 1303, "", labels, values);
  auto s2 = std::make_shared<HudSlider>(1000, -260, "Speed", 7, "", labels, values, true, 0, 0, true);
  s1->setValue(0.5f), s2->setValue(1.0f);
  for (auto c : Parts{std::make_shared<HudSlider>(1000, -40, "Music Volume", 1302, "", labels, values), s1, s2})
    hud.addComponent(c, 2);

  // The short button's tooltip, shown by hovering it for longer than the delay.
  hud.mouse(40 + 9 + 90, -350 - 9 - 30, kMouseMove);
  hud.update(0.3f);
  ASSERT_EQ(shortBtn->tooltipPhase, 2);
  // The hover dimmed everything it did not touch; light the showcase ones afterwards.
  for (auto c : Parts{lit, pageLit, tinyLit, cbLit, s1}) c->setHighlighted(true);

  hud.draw(1.0f);
  const auto px = qvtest::readPixels(kW, kH);
  qvtest::saveScreenshot("ui_gallery_widgets", px, kW, kH);
  EXPECT_FALSE(log.contains("ERROR")) << log.text();

  // A component at (cx, cy) sits at (-900 + cx, 520 + cy) on the screen.
  auto at = [&](float cx, float cy, float w, float h) { return region(px, -900 + cx, 520 + cy, w, h, bgRgb); };
  const Stats facePlain = at(55, -115, 40, 25), faceLit = at(55, -205, 40, 25), faceOff = at(55, -295, 40, 25);
  EXPECT_GT(facePlain.changed, 900) << "the plain button face is drawn";
  EXPECT_GT(std::abs(faceLit.lum - facePlain.lum), 15) << "highlight changes the face";
  const double bgLum = bgRgb.r + bgRgb.g + bgRgb.b;
  EXPECT_LT(std::abs(faceOff.lum - bgLum), std::abs(facePlain.lum - bgLum)) << "a disabled button is fainter";
  EXPECT_GT(at(140, -105, 180, 35).brightest, 500) << "the label is drawn on the face";
  const Stats swatch = at(265, -575, 14, 14);
  EXPECT_GT(swatch.r, swatch.b + 60) << "the swatch shows its colour";
  EXPECT_GT(std::abs(at(195, -575, 14, 14).lum - at(55, -575, 14, 14).lum), 40) << "checked shows the centre mark";
  EXPECT_GT(std::abs(at(1120, -272, 150, 16).lum - at(1120, -52, 150, 16).lum), 30) << "the fill grows with the value";
  EXPECT_GT(at(300, -390, 200, 40).changed, 2000) << "the tooltip box is right of the short button";
}

// A checkbox row: the plate's bright line runs under the label and under the
// box, not through them. Label ink, box and line are told apart by drawing the
// row three ways (with and without its label, checked and not).
TEST_F(UiGallery, CheckboxRowKeepsThePlateLineUnderLabelAndBox) {
  const auto drawRow = [](const char* label, bool checked) {
    clear(0.1f, 0.15f, 0.15f);
    HudCheckboxAndLabel row(label, -200, 100, 1308);
    row.checked = checked;
    row.draw(0, 0, 1.0f);
    return qvtest::readPixels(kW, kH);
  };
  const auto shown = drawRow("Vertical Sync", false), bare = drawRow("", false), ticked = drawRow("Vertical Sync", true);
  qvtest::saveScreenshot("ui_checkbox_row", shown, kW, kH);
  // Screen rows of the row's band (design y 100 down to 40).
  const int y0 = sy(100), y1 = sy(40);
  // The line: the brightest rows of the bare plate, well right of the box.
  int lineTop = -1, textBottom = -1, boxBottom = -1, textRows = 0, peak = 0;
  for (int y = y0; y < y1; ++y) peak = std::max(peak, qvtest::brightness(qvtest::pixelAt(bare, kW, sx(-200 + 300), y)));
  for (int y = y0; y < y1 && lineTop < 0; ++y)
    if (qvtest::brightness(qvtest::pixelAt(bare, kW, sx(-200 + 300), y)) > peak * 0.6) lineTop = y;
  for (int y = y0; y < y1; ++y) {
    bool text = false, box = false;
    for (int x = sx(-200); x < sx(-200 + 460); ++x) {
      text |= qvtest::diff(qvtest::pixelAt(shown, kW, x, y), qvtest::pixelAt(bare, kW, x, y)) > 60;
      box |= qvtest::diff(qvtest::pixelAt(shown, kW, x, y), qvtest::pixelAt(ticked, kW, x, y)) > 60;
    }
    if (text) textBottom = y, ++textRows;
    if (box) boxBottom = y;
  }
  ASSERT_GT(peak, 300) << "the plate's line is drawn";
  ASSERT_TRUE(lineTop > 0 && textRows > 15 && boxBottom > 0) << lineTop << " " << textRows << " " << boxBottom;
  EXPECT_LT(std::max(textBottom, boxBottom), lineTop) << "the label's ink and the box must lie above the line";
}

// The second line of a static text is drawn one line height below the first,
// starting at the same left edge.
TEST_F(UiGallery, SecondLineOfStaticTextSitsOneLineBelowTheFirst) {
  // Rows and columns (screen pixels) holding lit pixels: first and last of each.
  const auto extent = [](const char* text) {
    clear(0, 0, 0);
    ImageTextStatic(26, text).draw(0, 0, 1);
    const auto px = qvtest::readPixels(kW, kH);
    int top = kH, bottom = -1, left = kW;
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        if (qvtest::brightness(qvtest::pixelAt(px, kW, x, y)) > 200)
          top = std::min(top, y), bottom = std::max(bottom, y), left = std::min(left, x);
    return std::tuple(top, bottom, left);
  };
  const auto [top, bottom, left] = extent("HH");
  ASSERT_GE(bottom, top) << "the text is drawn";
  EXPECT_EQ(extent("HH\nHH"), std::tuple(top, bottom + 26, left)) << "the same top and left, one 26-pixel line lower";
}

// The bar and each tool panel are drawn by the real scene objects and probed
// against the same frame without the interface.
std::vector<uint8_t> drawFrame(Scene& scene, bool huds) {
  input().developer.enabled = input().developer.hideHuds = !huds;
  auto px = qvtest::capture(kW, kH, World::shared().clearColour, [&] { scene.draw(); });
  input().developer.enabled = input().developer.hideHuds = false;
  return px;
}

// Share of the pixels in a rectangle (design pixels: left, top, width, height;
// y up from the centre) that the interface changed.
double changedShare(const std::vector<uint8_t>& with, const std::vector<uint8_t>& without, float x, float y, float w,
                    float h) {
  int changed = 0, total = 0;
  for (int py = sy(y); py < sy(y - h); py += 2)
    for (int px = sx(x); px < sx(x + w); px += 2, ++total)
      changed += qvtest::diff(qvtest::pixelAt(with, kW, px, py), qvtest::pixelAt(without, kW, px, py)) > 24;
  return total ? static_cast<double>(changed) / total : 0.0;
}

TEST(TopHudRender, BarAndEveryToolPanelDrawOverTheWorld) {
  QV_REQUIRE_GL_CONTEXT();  // before the world exists, so its objects get their GL buffers
  if (!std::filesystem::exists(platform::dataPath("Images", "Image Hud Top.png"))) GTEST_SKIP() << "no Data";
  World& w = World::shared();
  w.resetWorld();
  w.terrain->reshapeWith({0.0f, 10.0f}, 174.2f, qvtest::DomeIsland(0.0f, 10.0f, 5.0f, 40.0f, -4.0f));
  const char* rows[4] = {"Blue", "Green", "Teal", "White"};
  for (int r = 0; r < 4; ++r) {
    w.colours.checkedSwatch[r] = paletteIndex(rows[r]);
    w.colours.row[r] = *paletteColour(rows[r]);
  }
  w.applyWorldColours();
  w.timeOfDay = 120.0f;
  qvtest::aimCamera(w.camera, {0.0f, -30.0f, 14.0f}, {0.0f, -10.352f, 4.0f});  // yaw 0, pitch -1.1
  switcher().mouseX = switcher().mouseY = 0.0f;
  input() = {};
  w.eraserSize = 4.0f;
  setGameSpeed(2);

  SceneGameplayWithTopHud top;
  SceneGameplayWithTopHudAndEraserHud eraser;
  SceneGameplayWithTopHudAndTerrainHud terrain;
  SceneGameplayWithTopHudAndWorldColorsHud colours;
  terrain.selectTerrainTool(terraintool::kFlattenKeepAngle);
  // A null panel: the bar alone.
  const struct { Scene* scene; const Hud* panel; int toolMode; float width, height; const char* name; } shots[] = {
      {&top, nullptr, 0, 0, 0, "top_hud_bar"},
      {&eraser, &eraser.panel(), 2, 714.0f, 64.0f, "top_hud_eraser"},
      {&terrain, &terrain.panel(), 3, 1449.0f, 118.0f, "top_hud_terrain"},
      {&colours, &colours.panel(), 4, 850.0f, 220.0f, "top_hud_world_colors"}};
  for (const auto& s : shots) {
    SCOPED_TRACE(s.name);
    // Runs the scene a moment so the world and the fade-in settle.
    w.toolMode = s.toolMode;
    switcher().clear();
    requestScene(s.scene, 0);
    switcher().switchToRequestedScene();
    for (int i = 0; i < 20; ++i) s.scene->update(0.05f);
    switcher().drawnCursorVisible = false;
    const auto without = drawFrame(*s.scene, false), with = drawFrame(*s.scene, true);
    qvtest::saveScreenshot(s.name, with, kW, kH);
    EXPECT_GT(changedShare(with, without, -740.0f, 536.0f, 1480.0f, 40.0f), 0.5) << "top bar";
    if (s.panel) {
      const float left = s.panel->posX * 540.0f, topY = s.panel->posY * 540.0f;
      EXPECT_GT(changedShare(with, without, left + 30.0f, topY - 8.0f, s.width - 60.0f, s.height - 16.0f), 0.5);
    } else {
      EXPECT_LT(changedShare(with, without, -400.0f, 200.0f, 800.0f, 300.0f), 0.01) << "the world stays clear";
    }
  }
  switcher().clear();
}
}  // namespace gallery

// The screens outside the world and the dialogs over it, drawn as the player
// sees them after their fade-in, with screenshots to look at.
namespace menus {
constexpr int kW = 1280, kH = 720;
using Shot = std::vector<uint8_t>;

// Brings the scene in the way the frame loop does and draws one settled frame
// in the layout's viewport of a w x h window.
Shot show(Scene* scene, bool backdrop, const char* name, int w = kW, int h = kH) {
  switcher().clear();
  requestScene(scene, 0, backdrop);
  switcher().switchToRequestedScene();
  for (int i = 0; i < 12; ++i) scene->update(0.05f);
  const IntRect v = display().viewport;
  // Black bars around a letterboxed viewport, as the window clears.
  return qvtest::capture(w, h, v.width == w && v.height == h ? World::shared().clearColour : Colour{0, 0, 0, 1}, [&] {
    glViewport(v.x, v.y, v.width, v.height);
    scene->draw();
  }, name);
}

// Counts pixels in a box (design pixels from `at`, by default the interface
// centre, y up) that differ clearly between two shots.
int changedIn(const Shot& a, const Shot& b, float x0, float y0, float x1, float y1, qv::Vec2 at = {}) {
  return qvtest::countWhere(pxX(at.x + x0), pxY(at.y + y0), pxX(at.x + x1), pxY(at.y + y1), 2, [&](int x, int y) {
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
    World::destroyShared();  // the shipped world loaded behind the dialogs goes with them
    fs::remove_all(folder);
  }
  static inline fs::path folder;
  void SetUp() override {
    QV_REQUIRE_GL_CONTEXT();
    if (!fs::exists(platform::dataPath("Images", "Button Large Long Not Hilighted Green.png"))) GTEST_SKIP() << "no Data";
  }
  GameScenes& g = gameScenes();
};

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
  EXPECT_GT(changedIn(fresh, load, 55, -105, 355, -165, panelCorner(*g.saveSlots)), 50);
  EXPECT_LT(changedIn(fresh, load, 55, -183, 355, -243, panelCorner(*g.saveSlots)), 10);
  show(g.overwriteSlot.get(), false, "menus_overwrite_slot");
}

// The logo and the version plate are not covered by the main menu's panel in
// any window shape: their pixels match the loading screen's, which shows the
// same title pictures over the same backdrop with only a small panel between.
TEST_F(MenusDialogs, MainMenuLeavesLogoAndVersionPlateClearInEveryWindowShape) {
  const struct { int w, h; } windows[] = {{1280, 549}, {1280, 720}, {1152, 720}, {960, 720}, {900, 720}, {405, 720}};
  for (const auto& win : windows) {
    computeViewport(win.w, win.h);
    const IntRect ui = display().interfaceRect;
    const std::string name = "menus_main_menu_" + std::to_string(win.w) + "x" + std::to_string(win.h);
    const Shot menu = show(g.mainMenu.get(), false, name.c_str(), win.w, win.h);
    const Shot bare = show(g.loading.get(), false, nullptr, win.w, win.h);
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
  EXPECT_GT(changedIn(windowed, fullScreen, 97, -453, 397, -513, panelCorner(*g.settings)), 10);
  EXPECT_LT(changedIn(windowed, fullScreen, 55, -100, 500, -200, panelCorner(*g.settings)), 5);

  g.errorMessage->show(5, g.saveSlots.get(), g.topHud.get());
  const Shot fatal = show(g.errorMessage.get(), true, "dialog_error_fatal");
  g.errorMessage->show(4, g.saveSlots.get(), g.topHud.get());
  const Shot mild = show(g.errorMessage.get(), true, "dialog_error_continue");
  // "Continue Anyway" sits right of the centre only in the mild case.
  EXPECT_GT(changedIn(fatal, mild, 420, -179, 640, -230, panelCorner(*g.errorMessage)), 50);
}
}  // namespace menus

// The units screens as a player sees them over the world: previews kept in
// their boxes, the editor's two pages, and the unit about to be placed (red
// where it may not stand).
namespace units_screens {
using namespace qvtest;
constexpr int kW = 1280, kH = 720;

// Draws one frame (then `after`, if any), saves it as a screenshot and returns it.
Frame drawScene(Scene* scene, const char* name, void (*after)() = nullptr) {
  return {capture(kW, kH, World::shared().clearColour, [&] {
    if (scene) scene->draw();
    if (after) after();
  }, name)};
}

// Pixels of a preview square (design pixels relative to its Hud) unlike the
// square's own grey: the model drawn inside it.
int modelPixels(const Frame& f, const Hud& hud, float x, float y, float w, float h) {
  const float ox = hud.posX * 540.0f, oy = hud.posY * 540.0f;
  const auto grey = f.at(pxX(ox + x + 4), pxY(oy + y - 4));
  return countWhere(pxX(ox + x + 6), pxY(oy + y - 6), pxX(ox + x + w - 6), pxY(oy + y - h + 6), 1,
                    [&](int px, int py) { return diff(f.at(px, py), grey) > 60; });
}
// Pixels near the window centre for which `pick` holds.
template <class Pick>
int countNearCentre(const Frame& f, int halfW, int halfH, Pick pick) {
  return countWhere(kW / 2 - halfW, kH / 2 - halfH, kW / 2 + halfW, kH / 2 + halfH, 1,
                    [&](int x, int y) { return pick(f.at(x, y)); });
}
bool reddish(qvtest::Rgb p) { return p.r > 90 && p.r > 2 * p.g && p.r > 2 * p.b; }

struct UnitsScreensRender : ::testing::Test {
  GameScenes& g = gameScenes();
  // The world made only after the GL context, so its objects get their GL buffers.
  World& w = (qvtest::ensureGlContext(), World::shared());
  void SetUp() override {
    QV_REQUIRE_GL_CONTEXT();
    if (!std::filesystem::exists(platform::dataPath("Models", "Mushroom Tree.obj"))) GTEST_SKIP() << "no Data";
    if (!g.topHud) g.createAllButLoading(nullptr);
    if (!shaped) {
      rng::seed(77);
      w.terrain->reshapeWith({0.0f, 0.0f}, 174.2f, DomeIsland(0, 0, 4.0f, 30.0f, -3.0f));
      const char* rows[4] = {"Blue", "Green", "Teal", "White"};
      for (int r = 0; r < 4; ++r) w.colours.row[r] = *paletteColour(rows[r]);
      w.applyWorldColours();
      shaped = true;
    }
    SceneGameplayWithUnitsHud::ensureTemplatesExist(w);
    w.timeOfDay = 120.0f;
    w.updateLight();
    aimCamera(w.camera, {0.0f, -16.0f, 9.0f}, {0.0f, 0.0f, 3.0f});
    previewClock().angle = 0.9f;
    previewClock().wholeSeconds = 3;
    switcher().clear();
  }
  void TearDown() override {
    w.toolMode = 0;
    w.selectedTemplate = -1;
    switcher().clear();
  }
  // Selects the template of `model` for placing with the mouse in the middle of the window.
  TemplatePtr placeWithMouseAtCentre(const char* model) {
    const TemplatePtr t = findTemplate(w, model);
    if (!t) return nullptr;
    w.selectedTemplate = w.templates.assignedIndex(t.get());
    t->ensureNextColours();
    w.toolMode = 1;
    g.unitPlacement->refreshPlacementPanel();
    aimCamera(w.camera, {0.0f, -5.0f, 6.5f}, {0.0f, 0.0f, 4.0f});
    switcher().setCurrent(g.unitPlacement.get());
    switcher().mouseX = switcher().mouseY = 0.0f;
    g.unitPlacement->update(0.0f);
    return t;
  }
  static inline bool shaped = false;
};

// The preview drawn over a finished frame, so the check does not depend on
// where the world draw places its call.
void previewOnTop() {
  glEnable(GL_DEPTH_TEST);
  glClear(GL_DEPTH_BUFFER_BIT);
  drawPlacementPreview(World::shared(), false);
  glDisable(GL_DEPTH_TEST);
}

// A preview never draws outside its box: the fish at its largest size in a
// units-screen button and the snail in an editor slot, turned so they reach
// furthest. Drawn with and without the model; every difference lies inside.
TEST_F(UnitsScreensRender, PreviewsStayInsideTheirBoxes) {
  const struct { const char* model; bool small; float scale, angle; const char* name; } rows[] = {
      {"One Eyed Fishlike Creature.obj", false, 3.0f, 0.0f, "units_preview_fish_clipped"},
      {"One Eyed Fishlike Creature.obj", false, 3.0f, 1.6f, nullptr},
      {"Snail Like Creature.obj", true, 1.0f, 0.9f, "units_preview_snail_clipped"},
      {"Snail Like Creature.obj", true, 3.0f, 2.4f, nullptr}};
  for (const auto& r : rows) {
    Hud hud;
    hud.setPositionPx(-150.0f, 150.0f);
    auto button = std::make_shared<HudButtonUnit3DTemplate>(0.0f, 0.0f, 2221, findTemplate(w, r.model), r.small);
    button->preview.scaleFactor = r.scale;
    hud.addComponent(button, 0);
    previewClock().angle = r.angle;
    const auto draw = [&](const char* name) {
      return Frame{capture(kW, kH, {0.2f, 0.3f, 0.25f, 1}, [&] { hud.draw(1.0f); }, name)};
    };
    const Frame with = draw(r.name);
    button->preview.setTemplate(nullptr);
    const Frame without = draw(nullptr);
    // The preview square: 9 design pixels into the button, 182 x 228 (85 x 108 small).
    const float w0 = r.small ? 85.0f : 182.0f, h0 = r.small ? 108.0f : 228.0f;
    const int x0 = pxX(-150 + 9), x1 = pxX(-150 + 9 + w0), y0 = pxY(150 - 9), y1 = pxY(150 - 9 - h0);
    const auto changed = [&](int x, int y) { return diff(with.at(x, y), without.at(x, y)) > 30; };
    const int inside = countWhere(x0 - 1, y0 - 1, x1 + 2, y1 + 2, 1, changed);
    EXPECT_GT(inside, 100) << r.model << " is drawn";
    EXPECT_EQ(countWhere(0, 0, kW, kH, 1, changed), inside) << r.model << " x" << r.scale << " spills out of its box";
  }
  previewClock().angle = 0.9f;
}

// The editor's previews and list slots show on its first page only. Saving lays the
// whole ground again, on the card too: a ground buffer scribbled over from outside
// is whole again after Save.
TEST_F(UnitsScreensRender, EditorPreviewsOnTheFirstPageOnlyAndSaveLaysTheWholeGroundAgain) {
  auto& e = *g.editUnit;
  const TemplatePtr chicken = findTemplate(w, "Chickenlike.obj"), bug = findTemplate(w, "Little Bug.obj");
  ASSERT_TRUE(chicken && bug);
  e.loadIntoEditor(chicken, false);
  e.addPending(SceneGameplayWithEditUnitHud::kEats, bug);
  switcher().setCurrent(&e);
  const Frame p1 = drawScene(&e, "units_editor_page1");
  // The big preview and the filled list slot show their models; the next slot is empty.
  EXPECT_GT(modelPixels(p1, e.hud(), 1025, -152, 364, 456), 400);
  EXPECT_GT(modelPixels(p1, e.hud(), 436 + 9, -536 - 9, 85, 108), 30);
  EXPECT_LT(modelPixels(p1, e.hud(), 539 + 9, -536 - 9, 85, 108), 10) << "empty slot";
  e.hud().showPage(1);
  e.hud().setSelected(1, 1);
  const Frame p2 = drawScene(&e, "units_editor_page2");
  EXPECT_LT(modelPixels(p2, e.hud(), 1025, -152, 364, 456), 10) << "the preview belongs to the first page";

  Terrain& t = *w.terrain;
  ASSERT_NE(t.vertexBuffer, 0u);
  const size_t floats = static_cast<size_t>(Terrain::kVertexCount) * Terrain::kFloatsPerVertex;
  const std::vector<float> junk(floats, 7.0f);
  glBindBuffer(GL_ARRAY_BUFFER, t.vertexBuffer);
  glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(floats * sizeof(float)), junk.data());
  e.loadIntoEditor(w.templates.assigned[0], false);
  e.save();
  std::vector<float> onCard(floats, 0.0f);
  glBindBuffer(GL_ARRAY_BUFFER, t.vertexBuffer);
  glGetBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(floats * sizeof(float)), onCard.data());
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  EXPECT_TRUE(std::equal(onCard.begin(), onCard.end(), t.vertexData())) << "the ground buffer differs from the terrain after Save";
}

// The Cup Tree about to be placed turns red where a unit already stands; as a plant
// that colours the ground it shows the ring it will paint, in its ground colour.
TEST_F(UnitsScreensRender, PlacementPreviewRedWhereTheUnitMayNotStandAndRingWhereItWillColour) {
  const TemplatePtr tree = placeWithMouseAtCentre("Cup Tree.obj");
  ASSERT_TRUE(tree && w.pick.groundHit);
  const Frame ok = drawScene(g.unitPlacement.get(), "units_placement_valid", previewOnTop);
  ASSERT_TRUE(w.placementShown && w.placementValid(*tree, w.placementPoint));
  // Someone already stands there: the preview turns red.
  auto blocker = w.placeUnitOf(tree, w.pick.groundPoint, 0.0f, true);
  ASSERT_NE(blocker, nullptr);
  blocker->fadeIn = 0.0f;
  const Frame bad = drawScene(g.unitPlacement.get(), "units_placement_invalid", previewOnTop);
  EXPECT_FALSE(w.placementValid(*tree, w.placementPoint));
  EXPECT_GT(countNearCentre(bad, 90, 90, reddish), countNearCentre(ok, 90, 90, reddish) + 300);
  w.eraseUnit(blocker);

  const auto colourGround = tree->colourGround;
  const auto ground = tree->groundColourOptions;
  tree->groundColourOptions = {*paletteColour("Blue")};
  tree->colourGround = Unit3DTemplate::kGroundOther;
  tree->ensureNextColours();
  const auto blueNearCentre = [&](const char* name) {
    return countNearCentre(drawScene(g.unitPlacement.get(), name), 200, 120,
                           [](Rgb p) { return p.b > p.g + 40 && p.b > p.r + 40; });
  };
  const int with = blueNearCentre("units_placement_ring_on");
  tree->colourGround = Unit3DTemplate::kGroundNone;
  EXPECT_GT(with, blueNearCentre("units_placement_ring_off") + 400) << "a blue disc under the plant to be placed";
  tree->colourGround = colourGround;
  tree->groundColourOptions = ground;
  tree->ensureNextColours();
}
}  // namespace units_screens
