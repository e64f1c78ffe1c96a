#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

#include "persistence/save_game.hpp"
#include "platform/platform.hpp"
#include "scenes/dialog_scenes.hpp"
#include "scenes/menu_scenes.hpp"
#include "scenes/scene.hpp"
#include "ui/hud.hpp"
#include "units/world.hpp"

namespace fs = std::filesystem;
using namespace qv;

namespace {

// identifier -> label of every button in the scene's own (non-title) Huds
std::map<int, std::string> buttonsOf(const Scene& s) {
  std::map<int, std::string> out;
  for (const auto& hud : s.huds()) {
    if (hud->isTitle) continue;
    for (const auto& layer : hud->layers)
      for (const auto& c : layer.components)
        if (auto* b = dynamic_cast<HudButton*>(c.get()); b && b->identifier() > 0) out[b->identifier()] += b->label();
  }
  return out;
}

class SlotFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("qv_slots_" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "Saves");
    platform::overrideUserDataFolder(folder_.string());
    saveSlots().mode = 0;
  }
  void TearDown() override { fs::remove_all(folder_); }
  void writeSlot(int slot, const std::string& text) {
    std::ofstream out(saveSlotPath(slot), std::ios::binary);
    out << text;
  }
  std::vector<std::string> labels(const SceneSaveSlots& s) const {
    std::vector<std::string> out;
    for (const auto& b : s.slotButtons()) out.push_back(b->label());
    return out;
  }
  fs::path folder_;
};

}  // namespace

TEST(MenuLayouts, EveryScreenOffersItsButtonsUnderTheirIdentifiers) {
  using Buttons = std::map<int, std::string>;
  std::vector<std::pair<std::unique_ptr<Scene>, Buttons>> expected;
  auto add = [&](Scene* s, Buttons b) { expected.emplace_back(std::unique_ptr<Scene>(s), std::move(b)); };
  add(new SceneMainMenu, {{101, "New Game"}, {107, "Load Game"}, {102, "Settings"}, {106, "Send Feedback"},
                          {105, "Early Access"}, {103, "Quit"}});
  add(new SceneGameplayWithInGameMenu, {{301, "Main Menu"}, {306, "Save Game"}, {302, "Settings"},
                                        {305, "Send Feedback"}, {304, "Quit"}, {303, "Back"}});
  add(new SceneGameplayWithQuit, {{3001, "Back"}, {3002, "Quit"}});
  add(new SceneGameplayWithSaveAndQuit, {{1401, "Back"}, {1402, "Don't Save"}, {1403, "Save"}});
  add(new SceneGameplayWithAskSaveGameMenu, {{2701, "Cancel"}, {2702, "Don't Save"}, {2703, "Save"}});
  add(new SceneGameplayWithGameSavedMenu, {{2601, "Ok"}});
  add(new SceneGameplayWithFeedback, {{2101, "Back"}, {2102, "Ok"}});
  add(new SceneGameplayWithHelp, {{1501, "Back"}});
  add(new SceneGameplayWithEarlyAccess, {{1801, "Ok"}, {1802, "Join Mailing List"}});
  add(new SceneOverwriteSaveSlot, {{2901, "Cancel"}, {2902, "Overwrite"}});
  add(new SceneGameplayWithErrorMessage, {{3401, "BackBack"}, {3402, "Continue Anyway"}});
  add(new SceneGameplayWithSettings, {{1307, "FullscreenWindowed"}, {1301, "Back"}});
  for (const auto& [scene, buttons] : expected) {
    SCOPED_TRACE(scene->name());
    EXPECT_EQ(buttonsOf(*scene), buttons);
    // Dialogs and menus fade in and out like every other screen.
    EXPECT_GE(scene->inSetCount(), 1u);
    EXPECT_GE(scene->outSetCount(), 1u);
  }
  EXPECT_EQ(SceneMainMenu().outSetCount(), 2u);  // the second set fades the title when the game starts
  EXPECT_TRUE(SceneGameplayWithQuit().freezesWorld());
}

TEST(SettingsScreen, VolumeSlidersClampToTheirEnds) {
  SceneGameplayWithSettings s;
  ASSERT_EQ(s.musicSlider->visibleLabels.size(), 21u);
  s.soundSlider->setValue(1.7f);
  EXPECT_EQ(s.soundSlider->valueText.text(), "100%");
  s.soundSlider->setValue(-0.2f);
  EXPECT_EQ(s.soundSlider->valueText.text(), "0%");
}

TEST(ErrorDialog, ShowSetsTextAndScenesAndANonErrorClearsTheText) {
  SceneGameplayWithErrorMessage e;
  SceneMainMenu back;
  SceneGameplayWithQuit next;
  e.show(5, &back, &next);
  EXPECT_EQ(e.text->text.text(), "Error: Save file not found and can't be loaded.\n        ");
  EXPECT_TRUE(e.backScene == &back && e.continueScene == &next);
  e.show(0, &back, &next);  // not an error: nothing to say
  EXPECT_EQ(e.text->text.text(), "");
}

TEST_F(SlotFolder, LabelsComeFromTheSaveFilesAndFollowSavesDuringTheRun) {
  writeSlot(1, "Quillon Vale Save File  Version 0.12.0.3\n2024.5.7\nmore\n");
  writeSlot(2, "Quillon Vale Save File  Version 0.12.0.3\n\nmore\n");  // no date, still used
  writeSlot(4, "Quillon Vale Save File  Version 0.12.0.3\r\n2023.12.31\r\n");
  SceneSaveSlots s;
  EXPECT_EQ(labels(s), (std::vector<std::string>{"Empty 1", "Save 2 2024.5.7", "Save 3 ", "Empty 4", "Save 5 2023.12.31"}));
  EXPECT_TRUE(saveSlots().empty[0]);
  EXPECT_FALSE(saveSlots().empty[2]);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(s.slotButtons()[static_cast<size_t>(i)]->identifier(), 2811 + i);
  markSlotSaved(3, saveDateText(2024, 5, 7));
  markSlotSaved(7, "2024.1.1");  // no such slot
  markSlotSaved(-1, "2024.1.1");
  EXPECT_EQ(labels(s), (std::vector<std::string>{"Empty 1", "Save 2 2024.5.7", "Save 3 ", "Save 4 2024.5.7", "Save 5 2023.12.31"}));
}

TEST_F(SlotFolder, LoadModeDisablesEmptySlotsAndNewGameModeEnablesAll) {
  writeSlot(3, "Quillon Vale Save File  Version 0.12.0.3\n2024.5.7\n");
  SceneSaveSlots s;
  for (int mode : {1, 0}) {
    saveSlots().mode = mode;
    s.onBecameCurrent();
    for (int i = 0; i < 5; ++i)
      EXPECT_EQ(s.slotButtons()[static_cast<size_t>(i)]->state, mode == 0 || i == 3 ? kStateActive : kStateDisabled)
          << mode << " " << i;
    EXPECT_EQ(s.backButton().state, kStateActive);
  }
}

TEST_F(SlotFolder, ASlotScreenThatIsGoneNoLongerReceivesSaves) {
  { SceneSaveSlots s; }
  markSlotSaved(1, "2024.5.7");  // must not touch the destroyed buttons
  EXPECT_FALSE(saveSlots().empty[1]);
}
