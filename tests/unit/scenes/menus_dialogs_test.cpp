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
  fs::path folder_;
};

}  // namespace

TEST(MenuLayouts, EveryScreenOffersItsButtonsUnderTheirIdentifiers) {
  const std::vector<std::pair<std::unique_ptr<Scene>, std::map<int, std::string>>> expected = [] {
    std::vector<std::pair<std::unique_ptr<Scene>, std::map<int, std::string>>> v;
    v.emplace_back(std::make_unique<SceneMainMenu>(),
                   std::map<int, std::string>{{101, "New Game"}, {107, "Load Game"}, {102, "Settings"},
                                              {106, "Send Feedback"}, {105, "Early Access"}, {103, "Quit"}});
    v.emplace_back(std::make_unique<SceneGameplayWithInGameMenu>(),
                   std::map<int, std::string>{{301, "Main Menu"}, {306, "Save Game"}, {302, "Settings"},
                                              {305, "Send Feedback"}, {304, "Quit"}, {303, "Back"}});
    v.emplace_back(std::make_unique<SceneGameplayWithQuit>(), std::map<int, std::string>{{3001, "Back"}, {3002, "Quit"}});
    v.emplace_back(std::make_unique<SceneGameplayWithSaveAndQuit>(),
                   std::map<int, std::string>{{1401, "Back"}, {1402, "Don't Save"}, {1403, "Save"}});
    v.emplace_back(std::make_unique<SceneGameplayWithAskSaveGameMenu>(),
                   std::map<int, std::string>{{2701, "Cancel"}, {2702, "Don't Save"}, {2703, "Save"}});
    v.emplace_back(std::make_unique<SceneGameplayWithGameSavedMenu>(), std::map<int, std::string>{{2601, "Ok"}});
    v.emplace_back(std::make_unique<SceneGameplayWithFeedback>(), std::map<int, std::string>{{2101, "Back"}, {2102, "Ok"}});
    v.emplace_back(std::make_unique<SceneGameplayWithHelp>(), std::map<int, std::string>{{1501, "Back"}});
    v.emplace_back(std::make_unique<SceneGameplayWithEarlyAccess>(),
                   std::map<int, std::string>{{1801, "Ok"}, {1802, "Join Mailing List"}});
    v.emplace_back(std::make_unique<SceneOverwriteSaveSlot>(),
                   std::map<int, std::string>{{2901, "Cancel"}, {2902, "Overwrite"}});
    v.emplace_back(std::make_unique<SceneGameplayWithErrorMessage>(),
                   std::map<int, std::string>{{3401, "BackBack"}, {3402, "Continue Anyway"}});
    v.emplace_back(std::make_unique<SceneGameplayWithSettings>(),
                   std::map<int, std::string>{{1307, "FullscreenWindowed"}, {1301, "Back"}});
    return v;
  }();
  for (const auto& [scene, buttons] : expected) {
    SCOPED_TRACE(scene->name());
    EXPECT_EQ(buttonsOf(*scene), buttons);
    // Dialogs and menus fade in and out like every other screen.
    EXPECT_GE(scene->inSetCount(), 1u);
    EXPECT_GE(scene->outSetCount(), 1u);
  }
}

TEST(MenuLayouts, MenusShowTheBackdropAndDialogsFreezeTheWorld) {
  SceneMainMenu menu;
  SceneOverwriteSaveSlot overwrite;
  EXPECT_EQ(menu.backdropMode(), 1);
  EXPECT_EQ(overwrite.backdropMode(), 1);
  EXPECT_EQ(menu.outSetCount(), 2u);  // the second set fades the title when the game starts
  SceneGameplayWithQuit quit;
  EXPECT_TRUE(quit.freezesWorld());
  EXPECT_EQ(quit.backdropMode(), 0);
}

TEST(SettingsScreen, VolumeSlidersHaveTwentyOneFivePercentSteps) {
  SceneGameplayWithSettings s;
  ASSERT_EQ(s.musicSlider->visibleLabels.size(), 21u);
  EXPECT_EQ(s.musicSlider->visibleLabels.front(), "0%");
  EXPECT_EQ(s.musicSlider->visibleLabels[7], "35%");
  EXPECT_EQ(s.musicSlider->visibleLabels.back(), "100%");
  EXPECT_EQ(s.musicSlider->id, kMusicVolumeSliderId);
  EXPECT_EQ(s.soundSlider->id, kSoundVolumeSliderId);
  s.musicSlider->setValue(0.33f);
  EXPECT_NEAR(s.musicSlider->value, 0.35f, 1e-6);
  EXPECT_NEAR(s.musicSlider->selectedOptionValue(), 0.35f, 1e-6);
  s.soundSlider->setValue(1.7f);
  EXPECT_EQ(s.soundSlider->valueText.text(), "100%");
  s.soundSlider->setValue(-0.2f);
  EXPECT_EQ(s.soundSlider->valueText.text(), "0%");
  EXPECT_EQ(s.verticalSyncBox->id, 1308);
  EXPECT_EQ(s.frameLimitBox->id, 1309);
}

TEST(ErrorDialog, ShowSetsTextButtonsAndScenes) {
  SceneGameplayWithErrorMessage e;
  SceneMainMenu back;
  SceneGameplayWithQuit next;
  e.show(5, &back, &next);
  EXPECT_EQ(e.text->text.text(), "Error: Save file not found and can't be loaded.\n        ");
  EXPECT_EQ(e.backScene, &back);
  EXPECT_EQ(e.continueScene, &next);
  EXPECT_EQ(e.backLeft->state, kStateHidden);
  EXPECT_EQ(e.backCentred->state, kStateActive);
  e.show(1, &back, &next);
  EXPECT_EQ(e.backLeft->state, kStateActive);
  EXPECT_EQ(e.continueAnyway->state, kStateActive);
  EXPECT_EQ(e.backCentred->state, kStateHidden);
  e.show(0, &back, &next);  // not an error: nothing to say
  EXPECT_EQ(e.text->text.text(), "");
}

TEST_F(SlotFolder, LabelsComeFromTheSaveFilesFoundAtStartUp) {
  writeSlot(1, "Quillon Vale Save File  Version 0.12.0.3\n2024.5.7\nmore\n");
  writeSlot(2, "Quillon Vale Save File  Version 0.12.0.3\n\nmore\n");  // no date, still used
  writeSlot(4, "Quillon Vale Save File  Version 0.12.0.3\r\n2023.12.31\r\n");
  SceneSaveSlots s;
  ASSERT_EQ(s.slotButtons().size(), 5u);
  EXPECT_EQ(s.slotButtons()[0]->label(), "Empty 1");
  EXPECT_EQ(s.slotButtons()[1]->label(), "Save 2 2024.5.7");
  EXPECT_EQ(s.slotButtons()[2]->label(), "Save 3 ");
  EXPECT_EQ(s.slotButtons()[3]->label(), "Empty 4");
  EXPECT_EQ(s.slotButtons()[4]->label(), "Save 5 2023.12.31");
  EXPECT_TRUE(saveSlots().empty[0]);
  EXPECT_FALSE(saveSlots().empty[2]);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(s.slotButtons()[static_cast<size_t>(i)]->identifier(), 2811 + i);
}

TEST_F(SlotFolder, ASaveDuringTheRunRelabelsItsSlotAtOnce) {
  SceneSaveSlots s;
  EXPECT_EQ(s.slotButtons()[2]->label(), "Empty 3");
  markSlotSaved(2, saveDateText(2024, 5, 7));
  EXPECT_EQ(s.slotButtons()[2]->label(), "Save 3 2024.5.7");
  markSlotSaved(7, "2024.1.1");  // no such slot
  markSlotSaved(-1, "2024.1.1");
  EXPECT_EQ(s.slotButtons()[4]->label(), "Empty 5");
}

TEST_F(SlotFolder, LoadModeDisablesEmptySlotsAndNewGameModeEnablesAll) {
  writeSlot(3, "Quillon Vale Save File  Version 0.12.0.3\n2024.5.7\n");
  SceneSaveSlots s;
  saveSlots().mode = 1;
  s.onBecameCurrent();
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(s.slotButtons()[static_cast<size_t>(i)]->state, i == 3 ? kStateActive : kStateDisabled);
  }
  EXPECT_EQ(s.backButton().state, kStateActive);

  saveSlots().mode = 0;
  s.onBecameCurrent();
  for (const auto& button : s.slotButtons()) EXPECT_EQ(button->state, kStateActive);
}

TEST_F(SlotFolder, ASlotScreenThatIsGoneNoLongerReceivesSaves) {
  {
    SceneSaveSlots s;
  }
  markSlotSaved(1, "2024.5.7");  // must not touch the destroyed buttons
  EXPECT_FALSE(saveSlots().empty[1]);
}
