#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "persistence/save_game.hpp"
#include "scenes/game_scenes.hpp"
#include "ui/hud.hpp"
#include "unit/units/units_fixture.hpp"

namespace fs = std::filesystem;
using namespace qv;

namespace {

class SlotFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("qv_slots_" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "Saves");
    platform::overrideUserDataFolder(folder_.string());
  }
  void TearDown() override { fs::remove_all(folder_); }
  void writeSlot(int slot, const std::string& text) { std::ofstream(saveSlotPath(slot), std::ios::binary) << text; }
  std::string labels(const SceneSaveSlots& s) const {
    std::string out;
    for (const auto& b : s.slotButtons()) out += b->label() + "|";
    return out;
  }
  fs::path folder_;
};

// Where a Hud's picture is drawn, design pixels, y up.
struct Box {
  float left, top, right, bottom;
};
Box drawnBox(const Hud& hud) {
  const float x = hud.posX * 540.0f, y = hud.posY * 540.0f;
  return {x, y, x + hud.background->displayWidth, y - hud.background->displayHeight};
}

// Scenes read their pictures when they are made. Where one process runs every
// case (as the cross-built suite does), another case may already have made them
// from its own small test folder, so they are made again once from the real Data.
GameScenes& scenesWithRealData() {
  platform::overrideProgramFolder(qvtest::realProgramFolder());
  static bool remade = false;
  GameScenes& g = gameScenes();
  if (!remade) {
    g.destroyAll();
    deleteGpuResources();
    g.createAllButLoading(nullptr);
    remade = true;
  }
  return g;
}

}  // namespace

// Every dialog and menu panel, of whatever size, is drawn with its middle on
// the interface centre, so two dialogs of one size sit in the same place.
TEST(MenuLayouts, EveryPanelIsDrawnCentredOnTheInterface) {
  GameScenes& g = scenesWithRealData();
  static SceneLoading loading;  // made once and kept, as the game does
  const Scene* scenes[] = {&loading, g.mainMenu.get(), g.earlyAccess.get(), g.saveSlots.get(),
                           g.overwriteSlot.get(), g.inGameMenu.get(), g.help.get(), g.quit.get(),
                           g.settings.get(), g.gameSaved.get(), g.askSave.get(), g.saveAndQuit.get(),
                           g.feedback.get(), g.errorMessage.get(), g.deleteUnit.get(), g.units.get(),
                           g.editUnit.get(), g.selectModel.get()};
  for (const Scene* s : scenes) {
    int panels = 0;
    for (const auto& hud : s->huds()) {
      if (hud->isTitle || !hud->background) continue;
      ASSERT_GT(hud->background->displayWidth, 0.0f) << s->name() << ": no panel picture";
      const Box b = drawnBox(*hud);
      EXPECT_TRUE(std::abs(b.left + b.right) <= 2.0f && std::abs(b.top + b.bottom) <= 2.0f)
          << s->name() << " centred at " << (b.left + b.right) / 2 << ", " << (b.top + b.bottom) / 2;
      ++panels;
    }
    EXPECT_EQ(panels, 1) << s->name();
  }
  // The two 732-wide questions coincide.
  const Box del = drawnBox(*g.deleteUnit->huds().front()), over = drawnBox(*g.overwriteSlot->huds().front());
  EXPECT_TRUE(del.left == over.left && del.top == over.top && del.bottom == over.bottom);
}

TEST_F(SlotFolder, LabelsComeFromTheSaveFilesAndFollowSavesDuringTheRun) {
  writeSlot(1, "Quillon Vale Save File  Version 0.12.0.3\n2024.5.7\nmore\n");
  writeSlot(2, "Quillon Vale Save File  Version 0.12.0.3\n\nmore\n");  // no date, still used
  writeSlot(4, "Quillon Vale Save File  Version 0.12.0.3\r\n2023.12.31\r\n");
  SceneSaveSlots s;
  EXPECT_EQ(labels(s), "Empty 1|Save 2 2024.5.7|Save 3 |Empty 4|Save 5 2023.12.31|");
  markSlotSaved(3, saveDateText(2024, 5, 7));
  markSlotSaved(7, "2024.1.1");  // no such slot
  markSlotSaved(-1, "2024.1.1");
  EXPECT_EQ(labels(s), "Empty 1|Save 2 2024.5.7|Save 3 |Save 4 2024.5.7|Save 5 2023.12.31|");
}

// A save whose date line is long keeps its label on the button's face: cut with
// an ellipsis, while the slot still knows the whole label.
TEST_F(SlotFolder, ALongSaveLabelIsCutToFitItsButton) {
  platform::overrideProgramFolder(qvtest::realProgramFolder());
  const std::string longLine(120, 'W');
  writeSlot(0, "Quillon Vale Save File  Version 0.12.0.3\n2024.5.7\n");
  writeSlot(1, "Quillon Vale Save File  Version 0.12.0.3\n" + longLine + "\n");
  writeSlot(2, "Quillon Vale Save File  Version 0.12.0.3\n2024.5.7 a rather long note about it\n");
  SceneSaveSlots s;
  for (int slot : {0, 1, 2}) {
    const HudButton& b = *s.slotButtons()[static_cast<size_t>(slot)];
    ASSERT_TRUE(b.staticLabel || b.dynamicLabel);
    const float left = (b.staticLabel ? b.staticLabel->offsetX : b.dynamicLabel->offsetX) * 540.0f;
    const int width = b.staticLabel ? b.staticLabel->width : b.dynamicLabel->width();
    EXPECT_TRUE(left >= 9.0f && left + static_cast<float>(width) <= b.sizeWidthPx - 9.0f) << slot << ": the label runs off the face";
  }
  EXPECT_EQ(s.slotButtons()[0]->label(), "Save 1 2024.5.7");
  EXPECT_EQ(s.slotButtons()[1]->label().rfind("Save 2 WWWW", 0), 0u) << "cut, not dropped";
}

TEST_F(SlotFolder, LoadModeDisablesEmptySlotsAndAGoneScreenGetsNoSaves) {
  writeSlot(3, "Quillon Vale Save File  Version 0.12.0.3\n2024.5.7\n");
  auto s = std::make_unique<SceneSaveSlots>();
  for (int mode : {1, 0}) {
    saveSlots().mode = static_cast<SlotsPurpose>(mode);
    s->onBecameCurrent();
    for (int i = 0; i < 5; ++i)
      EXPECT_EQ(s->slotButtons()[static_cast<size_t>(i)]->state, mode == 0 || i == 3 ? kStateActive : kStateDisabled) << i;
    EXPECT_EQ(s->backButton().state, kStateActive);
  }
  s.reset();
  markSlotSaved(1, "2024.5.7");  // must not touch the destroyed buttons
  EXPECT_FALSE(saveSlots().empty[1]);
}
