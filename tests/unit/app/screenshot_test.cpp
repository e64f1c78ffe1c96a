#include <gtest/gtest.h>

#include <lodepng.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "app/screenshot.hpp"
#include "platform/platform.hpp"

namespace fs = std::filesystem;
using namespace qv;

TEST(Screenshot, PictureIsWrittenTopRowFirstOpaqueAndUnderAFreeName) {
  const fs::path dir = fs::temp_directory_path() / ("qv_shot_test_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string folder = dir.string() + "/";

  // 3 x 2 pixels as GL reads them: the bottom row first, alpha left by blending.
  const int w = 3, h = 2;
  std::vector<uint8_t> bottomUp = {10, 20, 30, 0,   40, 50, 60, 90,   70, 80, 90, 255,     // bottom row
                                   200, 0, 0, 128,  0, 200, 0, 255,  0, 0, 200, 17};       // top row
  const std::string first = screenshot::freePath(folder, "2026-12-06 12.00.00");
  EXPECT_EQ(first, folder + "Quillon Vale 2026-12-06 12.00.00.png");
  ASSERT_TRUE(screenshot::writePng(first, bottomUp, w, h));
  EXPECT_FALSE(fs::exists(platform::atomicTempPath(first)));

  std::vector<unsigned char> decoded;
  unsigned dw = 0, dh = 0;
  ASSERT_EQ(lodepng::decode(decoded, dw, dh, first), 0u);
  ASSERT_EQ(std::pair(dw, dh), std::pair(3u, 2u));
  const std::vector<unsigned char> topDown = {200, 0, 0, 255,  0, 200, 0, 255,  0, 0, 200, 255,
                                              10, 20, 30, 255, 40, 50, 60, 255, 70, 80, 90, 255};
  EXPECT_EQ(decoded, topDown);

  // A second shot within the same second does not overwrite the first.
  const std::string second = screenshot::freePath(folder, "2026-12-06 12.00.00");
  EXPECT_EQ(second, folder + "Quillon Vale 2026-12-06 12.00.00 (2).png");
  // Wrong sizes and unwritable places fail without leaving anything behind.
  EXPECT_FALSE(screenshot::writePng(second, bottomUp, 4, 2));
  EXPECT_FALSE(screenshot::writePng(folder + "missing/x.png", bottomUp, w, h));
  EXPECT_FALSE(fs::exists(second));
  fs::remove_all(dir);
}
