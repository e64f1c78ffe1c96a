// Pictures: the in-memory half of loadPng (size limits, decoding, padding, flipping).
#include <cstddef>
#include <cstdint>

#include "fuzz_check.hpp"
#include "render/gpu_resources.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qv::PngImage img = qv::decodePng(data, size, "fuzz.png", true);
  if (img.empty()) return 0;
  QV_FUZZ_REQUIRE(img.width > 0 && img.height > 0);
  QV_FUZZ_REQUIRE(img.paddedWidth >= img.width && img.paddedWidth <= qv::kMaxPictureSide);
  QV_FUZZ_REQUIRE(img.paddedHeight >= img.height && img.paddedHeight <= qv::kMaxPictureSide);
  QV_FUZZ_REQUIRE(img.pixels.size() == static_cast<size_t>(img.paddedWidth) * img.paddedHeight * 4);
  QV_FUZZ_REQUIRE(img.uvU > 0.0f && img.uvU <= 1.0f && img.uvV > 0.0f && img.uvV <= 1.0f);
  return 0;
}
