#include <gtest/gtest.h>
#include <lodepng.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <tuple>
#include <unistd.h>

#include "core/log.hpp"
#include "platform/platform.hpp"
#include "render/gpu_resources.hpp"

namespace fs = std::filesystem;
using namespace qv;

namespace {
// A program folder of our own with Data/Images holding pictures made here.
struct PictureFolder : ::testing::Test {
  static void SetUpTestSuite() {
    root = fs::temp_directory_path() / ("qv_png_test_" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "Data" / "Images");
    platform::overrideProgramFolder(root.string());
  }
  static void write(const std::string& name, unsigned w, unsigned h) {
    std::vector<unsigned char> px(static_cast<size_t>(w) * h * 4);
    for (unsigned y = 0; y < h; ++y)
      for (unsigned x = 0; x < w; ++x) {
        // Red counts columns, green counts rows from the top.
        const unsigned char rgba[] = {static_cast<unsigned char>(x), static_cast<unsigned char>(y), 7, 255};
        std::memcpy(&px[(static_cast<size_t>(y) * w + x) * 4], rgba, 4);
      }
    lodepng::encode((root / "Data" / "Images" / name).string(), px, w, h);
  }
  static fs::path root;
};
fs::path PictureFolder::root;

// A real 1 x 1 PNG whose header chunk claims another size (with a right checksum):
// enough for a decoder to believe the size and try to make room for it.
std::vector<unsigned char> pngClaimingSize(uint32_t w, uint32_t h) {
  std::vector<unsigned char> png;
  lodepng::encode(png, std::vector<unsigned char>(4, 255), 1, 1);
  for (int b = 0; b < 4; ++b) {
    png[16 + b] = static_cast<unsigned char>(w >> (24 - 8 * b));
    png[20 + b] = static_cast<unsigned char>(h >> (24 - 8 * b));
  }
  lodepng_chunk_generate_crc(&png[8]);
  return png;
}
}  // namespace

TEST_F(PictureFolder, OddSizesArePaddedAllAreFlippedAndPicturesDecodedAheadAreTheSame) {
  write("odd.png", 100, 60);
  PngImage img = loadPng("odd.png", true);
  EXPECT_EQ(std::tuple(img.paddedWidth, img.paddedHeight, img.uvU, img.uvV), std::tuple(128, 64, 0.78125f, 0.9375f));
  ASSERT_EQ(img.pixels.size(), 128u * 64u * 4u);
  auto at = [&](int x, int y) { return &img.pixels[(static_cast<size_t>(y) * 128 + x) * 4]; };
  // Flipped: memory row 0 is the picture's bottom row (green 59).
  EXPECT_EQ(at(0, 0)[1], 59);
  EXPECT_TRUE(at(100, 0)[3] == 0 && at(0, 60)[3] == 0) << "padding is transparent black, right and above";
  EXPECT_EQ(loadPng("odd.png", false).pixels[1], 0);  // unflipped: first row is the top row

  // Powers of two and a single pixel stay as they are.
  write("square.png", 64, 64);
  PngImage sq = loadPng("square.png", true);
  EXPECT_EQ(std::pair(sq.uvU, int(sq.pixels[1])), std::pair(1.0f, 63));  // flipped even when no padding is needed
  write("one.png", 1, 1);
  EXPECT_EQ(loadPng("one.png", true).pixels.size(), 4u);

  // Pictures decoded ahead are the same, handed over once, and failures logged when asked for.
  LogCapture log;
  prefetchPictures({"odd.png", "absent.png", "odd.png"});
  const PngImage early = loadPng("odd.png", true);
  EXPECT_TRUE(early.pixels == img.pixels && early.width == 100 && early.uvV == 0.9375f);
  // The worker may well have tried the missing file by now: its line waits for the asking.
  EXPECT_EQ(log.text(), "");
  EXPECT_TRUE(loadPng("absent.png", true).empty());
  EXPECT_EQ(log.count("ERROR: LodePNG error filename = \"absent.png\" error = "), 1) << log.text();
  // Handed over once: a later load reads the file as it is now.
  write("odd.png", 8, 8);
  EXPECT_EQ(loadPng("odd.png", true).width, 8);
  // What nobody took is dropped with the textures.
  prefetchPictures({"odd.png"});
  deleteGpuResources();
  write("odd.png", 4, 4);
  EXPECT_EQ(loadPng("odd.png", true).width, 4);
}

TEST_F(PictureFolder, TexturesAreSharedByNameAndAFailedFileIsTriedOnce) {
  write("shared.png", 30, 20);
  LogCapture log;
  EXPECT_TRUE(loadPng("", true).empty() && log.contains("ERROR: Tried to load a texure with no filename"));
  std::ofstream(root / "Data" / "Images" / "bad.png", std::ios::binary) << "\x89PNG\r\n\x1a\nthis is not a picture";
  EXPECT_TRUE(loadPng("bad.png", true).empty());
  Loader a, b;
  loadTexture(a, "shared.png");
  loadTexture(b, "shared.png");
  EXPECT_EQ(log.count("Texture loaded correctly name = \"shared.png\""), 1);
  EXPECT_FLOAT_EQ(b.uvScaleU, 30.0f / 32.0f);

  // A missing sheet shared by many objects gives one error line, not one per object.
  Loader c;
  for (int i = 0; i < 50; ++i) loadTexture(c, "later.png");
  EXPECT_EQ(std::pair(c.textureWidth, log.count("ERROR: LodePNG error filename = \"later.png\" error = ")), std::pair(0, 1));
  write("later.png", 8, 8);  // appears only after the run gave up on it
  loadTexture(c, "later.png");
  EXPECT_EQ(c.textureWidth, 0);
}


TEST_F(PictureFolder, PicturesTooLargeAreRefusedFromTheirHeaderAndDamagedOnesWithLodePngsMessage) {
  // Wider than 2^30 once overflowed the padding and hung; the others asked for gigabytes.
  const struct { uint32_t w, h; } tooLarge[] = {
      {(1u << 30) + 1, 1}, {0x7fffffffu, 2}, {100000, 100000}, {8193, 1}, {1, 8193}, {4097, 4097}, {8192, 2049},
      {0xffffffffu, 0xffffffffu}};
  LogCapture log;
  for (const auto& p : tooLarge) {
    const std::vector<unsigned char> png = pngClaimingSize(p.w, p.h);
    EXPECT_TRUE(decodePng(png.data(), png.size(), "big.png", true).empty()) << p.w << " x " << p.h;
  }
  EXPECT_EQ(std::pair(log.count("ERROR: Picture too large filename = \"big.png\""), log.count("ERROR: ")), std::pair(8, 8)) << log.text();

  // Right at the limits: a picture 8192 wide is still taken.
  write("wide.png", 8192, 2);
  const PngImage wide = loadPng("wide.png", true);
  EXPECT_EQ(std::pair(wide.paddedWidth, wide.paddedHeight), std::pair(8192, 2));

  // Damaged pixel data fails with LodePNG's own message.
  const std::vector<unsigned char> rgba(64 * 64 * 4, 200);
  std::vector<unsigned char> png;
  ASSERT_EQ(lodepng::encode(png, rgba, 64, 64), 0u);
  // Damage the compressed pixels (the bytes after the zlib header of the first IDAT)
  // and give the chunk a right checksum again, so only the inflate can notice.
  size_t idat = 8;
  while (std::memcmp(&png[idat + 4], "IDAT", 4) != 0) idat += 12 + lodepng_chunk_length(&png[idat]);
  for (size_t i = idat + 10; i < idat + 16; ++i) png[i] ^= 0x5a;
  lodepng_chunk_generate_crc(&png[idat]);
  std::vector<unsigned char> out;
  unsigned w = 0, h = 0;
  const unsigned lodepngError = lodepng::decode(out, w, h, png);
  ASSERT_NE(lodepngError, 0u);
  log.clear();
  EXPECT_TRUE(decodePng(png.data(), png.size(), "damaged.png", true).empty());
  const std::string error = std::string("ERROR: LodePNG error filename = \"damaged.png\" error = ");
  EXPECT_EQ(log.count(error + lodepng_error_text(lodepngError)), 1) << log.text();
}

TEST(PictureDecoding, EveryKindOfPngGivesWhatLodePngAloneGives) {
  // Colours with a soft alpha edge, so every kind below has something to keep or lose.
  const unsigned w = 37, h = 11;
  std::vector<unsigned char> rgba(static_cast<size_t>(w) * h * 4);
  for (size_t i = 0; i < rgba.size(); i += 4) {
    const size_t x = (i / 4) % w, y = (i / 4) / w;
    rgba[i] = static_cast<unsigned char>(x * 7);
    rgba[i + 1] = static_cast<unsigned char>(y * 23);
    rgba[i + 2] = static_cast<unsigned char>((x + y) % 3 * 100);
    rgba[i + 3] = x == 0 ? 0 : 255;
  }
  const struct { LodePNGColorType type; unsigned bits; bool interlaced; } kinds[] = {
      {LCT_RGB, 8, false},  {LCT_RGBA, 8, false},      {LCT_PALETTE, 8, false},  {LCT_GREY_ALPHA, 16, false},
      {LCT_RGB, 16, false}, {LCT_RGBA, 8, true},       {LCT_GREY, 1, false},     {LCT_PALETTE, 2, true}};
  for (const auto& k : kinds) {
    for (bool colourKey : {false, true}) {
      lodepng::State enc;
      enc.encoder.auto_convert = 0;
      enc.info_png.color.colortype = k.type;
      enc.info_png.color.bitdepth = k.bits;
      enc.info_png.interlace_method = k.interlaced ? 1 : 0;
      if (k.type == LCT_PALETTE)
        for (unsigned c = 0; c < (1u << k.bits); ++c)
          lodepng_palette_add(&enc.info_png.color, static_cast<unsigned char>(c * 40), 0, 0, c == 0 ? 0 : 255);
      // An RGB picture may name one colour as see-through instead of having alpha.
      if (colourKey && k.type != LCT_RGB) continue;
      enc.info_png.color.key_defined = colourKey;
      std::vector<unsigned char> png;
      const std::vector<unsigned char> source = colourKey || k.type == LCT_PALETTE || k.bits == 1
                                                    ? std::vector<unsigned char>(rgba.size(), 0)
                                                    : rgba;
      ASSERT_EQ(lodepng::encode(png, source, w, h, enc), 0u) << k.type << " " << k.bits;
      std::vector<unsigned char> expected;
      unsigned ew = 0, eh = 0;
      ASSERT_EQ(lodepng::decode(expected, ew, eh, png), 0u);
      const PngImage img = decodePng(png.data(), png.size(), "kind.png", true);
      ASSERT_EQ(img.pixels.size(), 64u * 16u * 4u) << k.type << " " << k.bits;
      for (unsigned y = 0; y < h; ++y)
        ASSERT_EQ(0, std::memcmp(&img.pixels[(h - 1 - y) * 64 * 4], &expected[y * w * 4], w * 4))
            << "kind " << k.type << " bits " << k.bits << " key " << colourKey << " row " << y;
    }
  }
}
