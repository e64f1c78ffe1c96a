#pragma once
// A private Data folder for the interface tests: pictures of known sizes and
// four small font descriptions, written once before anything loads them (the
// texture and font registries are process-wide and keep the first version).
#include <lodepng.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "platform/platform.hpp"

namespace uitest {

inline void writePng(const std::string& path, int w, int h, uint8_t r = 200, uint8_t g = 200, uint8_t b = 200) {
  std::vector<uint8_t> px(static_cast<size_t>(w) * h * 4);
  for (size_t i = 0; i < px.size(); i += 4) {
    px[i] = r;
    px[i + 1] = g;
    px[i + 2] = b;
    px[i + 3] = 255;
  }
  lodepng::encode(path, px, static_cast<unsigned>(w), static_cast<unsigned>(h));
}

// Glyph metrics of the test fonts (same for every size): padding 1,2,3,4 so the
// first and third values (1 and 3) come off the advance and the visible width.
//   'A' width 20, xadvance 22 -> advance 19, visible 16
//   'B' width 18, xadvance 21 -> advance 18, visible 14
//   'C' width 19, xadvance 20 -> advance 17, visible 15
//   ' ' width 4,  xadvance 12 -> advance 9,  visible 0
inline std::string fontText(int size) {
  std::string s = "info face=\"Test\" size=" + std::to_string(size + 1) +
                  " bold=0 padding=1,2,3,4 spacing=2,2\n"
                  "common lineHeight=" + std::to_string(size) +
                  " base=20 scaleW=256 scaleH=128 pages=1\n"
                  "page id=0 file=\"sheet.png\"\n"
                  "chars count=4\n"
                  "char id=65 x=10 y=20 width=20 height=30 xoffset=1 yoffset=2 xadvance=22 page=0 chnl=15\n"
                  "char id=66 x=40 y=20 width=18 height=30 xoffset=0 yoffset=2 xadvance=21 page=0 chnl=15\n"
                  "char id=67 x=70 y=20 width=19 height=30 xoffset=0 yoffset=2 xadvance=20 page=0 chnl=15\n"
                  "char id=32 x=0 y=0 width=4 height=4 xoffset=0 yoffset=0 xadvance=12 page=0 chnl=15\n";
  return s;
}

inline const std::string& dataRoot() {
  static std::string root;
  if (!root.empty()) return root;
  char tmpl[] = "/tmp/qv_ui_test_XXXXXX";
  root = mkdtemp(tmpl);
  root += "/";
  mkdir((root + "Data").c_str(), 0755);
  mkdir((root + "Data/Images").c_str(), 0755);
  mkdir((root + "Data/Fonts").c_str(), 0755);
  const std::string img = root + "Data/Images/";
  struct P {
    const char* name;
    int w, h;
  };
  const P pictures[] = {
      {"Button Large Long Hilighted Green.png", 382, 83},
      {"Button Large Long Not Hilighted Green.png", 382, 83},
      {"Button Large Short Hilighted Green.png", 200, 83},
      {"Button Large Short Not Hilighted Green.png", 200, 83},
      {"Button Page Select Hilighted.png", 97, 83},
      {"Button Page Select Not Hilighted.png", 97, 83},
      {"Button Small Hilighted.png", 176, 57},
      {"Button Small Not Hilighted.png", 176, 57},
      {"Button Small Very Short Hilighted.png", 84, 57},
      {"Button Small Very Short Not Hilighted.png", 84, 57},
      {"Symbol Info.png", 44, 44},
      {"Checkbox Not Hilighted Blue.png", 43, 43},
      {"Checkbox Hilighted Blue.png", 43, 43},
      {"Checkbox Center.png", 43, 43},
      {"Checkbox Not Hilighted No Fill.png", 43, 43},
      {"Checkbox Hilighted No Fill.png", 43, 43},
      {"Checkbox Center No Fill.png", 43, 43},
      {"White Pixel.png", 1, 1},
      {"Label Large Medium Not Hilighted Green.png", 440, 49},
      {"Label Large Medium Hilighted Green.png", 440, 49},
      {"Slider Background Hilighted.png", 347, 45},
      {"Slider Background Not Hilighted.png", 347, 45},
      {"Slider Fill Hilighted.png", 10, 21},
      {"Slider Fill Not Hilighted.png", 10, 21},
      {"Slider Pull Hilighted.png", 22, 39},
      {"Slider Pull Not Hilighted.png", 22, 39},
      {"Image Hud Loading.png", 128, 127},
      {"Image Hud Main Menu.png", 150, 249},
      {"Image Hud Units.png", 150, 251},
      {"Image Hud Top.png", 118, 80},
      {"Image Hud Bottom.png", 118, 70},
      {"Icon 30.png", 30, 30},
      {"Rect 100x50.png", 100, 50},
      {"Brindlewood 0.17 - Size 26.png", 256, 128},
      {"Brindlewood 0.17 - Size 33.png", 256, 128},
      {"Brindlewood 0.17 - Size 37.png", 256, 128},
      {"Brindlewood 0.17 - Size 47.png", 256, 128},
  };
  for (const P& p : pictures) writePng(img + p.name, p.w, p.h);
  for (int size : {26, 33, 37, 47}) {
    std::ofstream f(root + "Data/Fonts/Brindlewood 0.17 - Size " + std::to_string(size) + ".fnt");
    f << fontText(size);
  }
  qv::platform::overrideProgramFolder(root);
  return root;
}

inline void writeFont(const std::string& name, const std::string& text) {
  std::ofstream f(dataRoot() + "Data/Fonts/" + name);
  f << text;
}

}  // namespace uitest
