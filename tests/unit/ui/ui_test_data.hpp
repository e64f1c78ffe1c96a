#pragma once
// A private Data folder for the interface tests: pictures of known sizes and
// four small font descriptions, written once before anything loads them (the
// texture and font registries are process-wide and keep the first version).
#include <lodepng.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/platform.hpp"

namespace uitest {

// Glyph metrics of the test fonts (same for every size): padding 1,2,3,4 so the
// first and third values (1 and 3) come off the advance and the visible width.
//   'A' width 20, xadvance 22 -> advance 19, visible 16
//   'B' width 18, xadvance 21 -> advance 18, visible 14
//   'C' width 19, xadvance 20 -> advance 17, visible 15
//   ' ' width 4,  xadvance 12 -> advance 9,  visible 0
//   '.' width 20, xadvance 22 -> advance 19, visible 16 (wide, so a cut label's "..." counts)
inline std::string fontText(int size) {
  return "info face=\"Test\" size=" + std::to_string(size + 1) + " bold=0 padding=1,2,3,4 spacing=2,2\n" +
         "common lineHeight=" + std::to_string(size) + " base=20 scaleW=256 scaleH=128 pages=1\n" +
         "page id=0 file=\"sheet.png\"\nchars count=5\n"
         "char id=65 x=10 y=20 width=20 height=30 xoffset=1 yoffset=2 xadvance=22 page=0 chnl=15\n"
         "char id=66 x=40 y=20 width=18 height=30 xoffset=0 yoffset=2 xadvance=21 page=0 chnl=15\n"
         "char id=67 x=70 y=20 width=19 height=30 xoffset=0 yoffset=2 xadvance=20 page=0 chnl=15\n"
         "char id=32 x=0 y=0 width=4 height=4 xoffset=0 yoffset=0 xadvance=12 page=0 chnl=15\n"
         "char id=46 x=100 y=20 width=20 height=30 xoffset=0 yoffset=2 xadvance=22 page=0 chnl=15\n";
}

inline const std::string& dataRoot() {
  static std::string root;
  if (!root.empty()) return root;
  const auto folder = std::filesystem::temp_directory_path() / ("qv_ui_test_" + std::to_string(::getpid()));
  std::filesystem::remove_all(folder);
  for (const char* d : {"Data/Images", "Data/Fonts"}) std::filesystem::create_directories(folder / d);
  root = folder.string() + "/";
  // "%" names come in a "Hilighted" and a "Not Hilighted" version.
  const struct { std::string name; int w, h; } pictures[] = {
      {"Button Large Long % Green", 382, 83}, {"Button Large Short % Green", 200, 83}, {"Button Page Select %", 97, 83},
      {"Button Small %", 176, 57},            {"Button Small Very Short %", 84, 57},   {"Checkbox % Blue", 43, 43},
      {"Checkbox % No Fill", 43, 43},         {"Label Large Medium % Green", 440, 49}, {"Slider Background %", 347, 45},
      {"Slider Fill %", 10, 21},              {"Slider Pull %", 22, 39},               {"Checkbox Center", 43, 43},
      {"Checkbox Center No Fill", 43, 43},    {"Symbol Info", 44, 44},                 {"White Pixel", 1, 1},
      {"Image Hud Loading", 128, 127},        {"Image Hud Main Menu", 150, 249},       {"Image Hud Units", 150, 251},
      {"Image Hud Top", 118, 80},             {"Image Hud Bottom", 118, 70},           {"Icon 30", 30, 30},
      {"Rect 100x50", 100, 50}};
  auto png = [&](const std::string& name, int w, int h) {
    std::vector<uint8_t> px(static_cast<size_t>(w) * h * 4, 255);
    lodepng::encode(root + "Data/Images/" + name + ".png", px, static_cast<unsigned>(w), static_cast<unsigned>(h));
  };
  for (const auto& p : pictures) {
    const size_t at = p.name.find('%');
    for (const char* state : {"Hilighted", "Not Hilighted"})
      png(at == std::string::npos ? p.name : std::string(p.name).replace(at, 1, state), p.w, p.h);
  }
  for (int size : {26, 33, 37, 47}) {
    const std::string name = "Brindlewood 0.17 - Size " + std::to_string(size);
    png(name, 256, 128);
    std::ofstream(root + "Data/Fonts/" + name + ".fnt") << fontText(size);
  }
  qv::platform::overrideProgramFolder(root);
  return root;
}

}  // namespace uitest
