#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_mixer.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "platform/platform.hpp"
#include "render/gpu_resources.hpp"
#include "ui/font.hpp"

namespace fs = std::filesystem;
using namespace qv;

// The generated Data folder beside the test program must hold every file the
// code names, each valid for the loader that reads it. Names are collected from
// the source itself, so a renamed picture or model cannot slip through.
namespace {

std::set<std::string> namesInSource(const std::string& extension) {
  std::set<std::string> names;
  const std::regex literal("\"([^\"\\\\]+\\." + extension + ")\"");
  for (const auto& entry : fs::recursive_directory_iterator(fs::path(QV_SOURCE_DIR) / "src")) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".cpp" && ext != ".hpp") continue;
    std::ifstream in(entry.path());
    const std::string text(std::istreambuf_iterator<char>(in), {});
    for (auto it = std::sregex_iterator(text.begin(), text.end(), literal); it != std::sregex_iterator(); ++it)
      names.insert((*it)[1].str());
  }
  return names;
}

fs::path dataDir() { return fs::path(platform::programFolder()) / "Data"; }

}  // namespace

TEST(DataFiles, EveryPictureTheCodeNamesDecodesAndEveryModelIsThereWithItsHeader) {
  const auto names = namesInSource("png");
  ASSERT_GT(names.size(), 30u);
  for (const std::string& name : names) EXPECT_GT(loadPng(name, true).width, 0) << name;

  // Every model the code names is there, with the three header lines the reader skips.
  std::set<std::string> all = namesInSource("obj");
  for (const auto& entry : fs::directory_iterator(dataDir() / "Models")) all.insert(entry.path().filename().string());
  ASSERT_GE(all.size(), 53u);
  for (const std::string& name : all) {
    std::ifstream in(dataDir() / "Models" / name);
    int comments = 0;
    for (std::string line; comments < 3 && std::getline(in, line) && line.starts_with("#");) ++comments;
    EXPECT_EQ(comments, 3) << name << ": missing, or without the three header lines";
  }  // loading and measures: ShippedModels (render tests)
}

TEST(DataFiles, FontsParseWithPrintableAscii) {
  for (int size : kFontSizes) {
    SCOPED_TRACE(size);
    ASSERT_TRUE(fs::exists(dataDir() / "Images" / fontSheetName(size)));
    const Font* font = getFont(size);
    ASSERT_NE(font, nullptr) << fontDescriptionName(size);
    for (int c = 32; c < 127; ++c) EXPECT_NE(font->glyph(c), nullptr) << "character " << c;
  }
}

TEST(DataFiles, MusicAndSoundsDecodeWithTheirLengths) {
  SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0);
  ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 1024), 0);
  for (const char* track : {"Quillon Vale - Track 1.ogg", "Quillon Vale - Track 2.ogg"}) {
    SCOPED_TRACE(track);
    Mix_Music* music = Mix_LoadMUS(platform::dataPath("Music", track).c_str());
    ASSERT_NE(music, nullptr) << Mix_GetError();
    EXPECT_GE(Mix_MusicDuration(music), 150.0);
    Mix_FreeMusic(music);
  }
  Mix_Chunk* click = Mix_LoadWAV(platform::dataPath("Sounds", "Button Click.ogg").c_str());
  ASSERT_NE(click, nullptr) << Mix_GetError();
  // A click, not a clip: well under a second at 22050 Hz, 16-bit stereo.
  EXPECT_TRUE(click->alen > 0u && click->alen < 22050u * 4u / 2u) << click->alen;
  Mix_FreeChunk(click);
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
