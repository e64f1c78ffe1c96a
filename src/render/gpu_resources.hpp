#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "render/loader.hpp"

namespace qv {

// Program name and GLSL stages, held as text constants beside the class that draws with them.
struct ShaderSources {
  const char* name;
  const char* vertex;
  const char* geometry;  // "" when the program has no geometry stage
  const char* fragment;
};

struct PngImage {
  std::vector<uint8_t> pixels;  // RGBA, padded to power-of-two sides; empty on failure
  int width = 0, height = 0;
  int paddedWidth = 0, paddedHeight = 0;
  float uvU = 1.0f, uvV = 1.0f;
  bool empty() const { return pixels.empty(); }
};

// The largest picture the game takes: no side above 8192 pixels and no more
// than 64 MiB of RGBA once padded to powers of two. Larger files are refused
// from their header, before anything is decoded.
inline constexpr int kMaxPictureSide = 8192;
inline constexpr uint64_t kMaxPictureBytes = 64ull * 1024 * 1024;

inline constexpr float kNearPlane = 0.1f;
inline constexpr float kFarPlane = 1000.0f;

// Decodes "Data/Images/<fileName>"; flipping puts the picture's bottom row first, as GL wants.
PngImage loadPng(const std::string& fileName, bool flipVertically);
// Decodes any PNG file by full path with the same padding rules (tools and tests).
PngImage loadPngFile(const std::string& path, const std::string& nameForLog, bool flipVertically);
// The same for a PNG file already in memory.
PngImage decodePng(const unsigned char* data, size_t size, const std::string& nameForLog, bool flipVertically);

// Starts decoding these Data/Images pictures (flipped, as textures take them) on a
// worker thread, so that loadPng finds them ready. Failures are logged, as ever,
// by the loadPng that asks for the picture. A new call drops what was not taken.
void prefetchPictures(const std::vector<std::string>& fileNames);
// Waits for the picture in hand and drops the others.
void stopPrefetchingPictures();

// Shares one texture per file name. Without a GL context the picture is still
// decoded so sizes and UV scales are known, and the texture name stays 0.
// A file that failed once is not read again this run (until deleteGpuResources).
void loadTexture(Loader& loader, const std::string& fileName);
// Builds a program once per name; a program that failed is never tried again.
void createShaderProgram(Loader& loader, const ShaderSources& sources);
void registerBuffers(uint32_t vertexArray, uint32_t vertexBuffer, uint32_t elementBuffer);
// Uploads an unchanging float vertex array (and optional 32-bit indices) into a new
// vertex array whose attributes 0, 1, ... take `sizes` floats each, packed in order.
// The names go to the loader and the buffer registry. Nothing happens without a context.
void uploadStaticMesh(Loader& loader, const float* vertices, size_t floatCount, const uint32_t* indices,
                      size_t indexCount, std::initializer_list<int> attributeSizes);
void setAspectRatio(float value);
float aspectRatio();
// Frees every texture, program and buffer, in that order, with a log line for each kind.
void deleteGpuResources();

// Read-only views for tests and diagnostics.
struct TextureRecord {
  std::string name;
  uint32_t texture;
  int width, height;
  float uvU, uvV;
};
struct ProgramRecord {
  std::string name;
  uint32_t program;
};
struct BufferRecord {
  uint32_t vertexArray, vertexBuffer, elementBuffer;
};
const std::vector<TextureRecord>& textureRegistry();
const std::vector<ProgramRecord>& programRegistry();
const std::vector<BufferRecord>& bufferRegistry();
uint32_t findProgram(const std::string& name);

}  // namespace qv
