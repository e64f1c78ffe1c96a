#include "render/gpu_resources.hpp"

#include <libdeflate.h>
#include <lodepng.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/log.hpp"
#include "core/prefetch.hpp"
#include "platform/platform.hpp"
#include "render/gl.hpp"

namespace qv {
namespace {

struct Registries {
  std::vector<TextureRecord> textures;
  std::vector<ProgramRecord> programs;
  std::vector<std::string> attempted;
  std::vector<std::string> failedTextures;  // logged once, never read again this run
  std::vector<BufferRecord> buffers;
  float aspectRatio = 16.0f / 9.0f;
};
Registries& reg() {
  static Registries r;
  return r;
}

// Only called on sides already within kMaxPictureSide, so the doubling stays far from overflow.
int nextPowerOfTwo(int v) {
  int p = 1;
  while (p < v && p < kMaxPictureSide) p <<= 1;
  return p;
}

// A failed picture's log line, made where it fails; the caller logs it, so that a
// picture decoded ahead on the worker is reported when it is asked for.
template <typename... Pieces>
std::string problemLine(const Pieces&... pieces) {
  std::string line;
  (detail::appendPiece(line, pieces), ...);
  return line;
}

std::string lodepngProblem(const std::string& name, unsigned error) {
  return problemLine("ERROR: LodePNG error filename = \"", name, "\" error = ", lodepng_error_text(error));
}

std::string exceptionProblem(const std::string& name) {
  return problemLine("ERROR: Tried to load a PNG with LodePNG but an exception was thrown filename = \"", name,
                     "\"");
}

// The one place that decides whether a picture is worth decoding. It reads only
// the header, so a file claiming a gigantic size costs nothing: the game never
// uses a picture above kMaxPictureSide a side or kMaxPictureBytes once padded.
// Empty when acceptable, else the problem.
std::string pictureSizeProblem(const unsigned char* data, size_t size, const std::string& name) {
  unsigned w = 0, h = 0;
  lodepng::State probe;
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
  probe.decoder.ignore_crc = 1;
#endif
  if (const unsigned err = lodepng_inspect(&w, &h, &probe, data, size)) return lodepngProblem(name, err);
  if (w == 0 || h == 0)
    return problemLine("ERROR: LodePNG error one or more dimensions of the image are 0 filename = \"", name, "\"");
  const bool sideTooLarge = w > static_cast<unsigned>(kMaxPictureSide) || h > static_cast<unsigned>(kMaxPictureSide);
  if (sideTooLarge || static_cast<uint64_t>(nextPowerOfTwo(static_cast<int>(w))) *
                              static_cast<uint64_t>(nextPowerOfTwo(static_cast<int>(h))) * 4 >
                          kMaxPictureBytes) {
    return problemLine("ERROR: Picture too large filename = \"", name, "\" size = ", w, " x ", h);
  }
  return {};
}

// LodePNG's own inflate is the slowest part of decoding a large picture;
// libdeflate does the same work several times faster. LodePNG hands every
// zlib stream of the file to it: the pixel data, whose unpacked size the header
// fixes, and the rare colour profile, which must fit in as much (or the picture
// is decoded again without it).
struct QuickInflate {
  size_t expectedSize = 0;
};

unsigned quickInflate(unsigned char** out, size_t* outSize, const unsigned char* in, size_t inSize,
                      const LodePNGDecompressSettings* settings) {
  const size_t expected = static_cast<const QuickInflate*>(settings->custom_context)->expectedSize;
  if (expected == 0) return 1;
  libdeflate_decompressor* d = libdeflate_alloc_decompressor();
  if (!d) return 1;
  // LodePNG frees what it is given with free().
  auto* buffer = static_cast<unsigned char*>(std::malloc(expected));
  size_t produced = 0;
  const libdeflate_result r =
      buffer ? libdeflate_zlib_decompress(d, in, inSize, buffer, expected, &produced) : LIBDEFLATE_BAD_DATA;
  libdeflate_free_decompressor(d);
  if (r != LIBDEFLATE_SUCCESS) {
    std::free(buffer);
    return 1;
  }
  *out = buffer;
  *outSize = produced;
  return 0;
}

struct FreeDeleter {
  void operator()(unsigned char* p) const { std::free(p); }
};

// Rows as the file holds them (no colour conversion yet), or the LodePNG error.
struct DecodedPng {
  std::unique_ptr<unsigned char, FreeDeleter> pixels;
  unsigned width = 0, height = 0;
  lodepng::State state;
  unsigned error = 0;
};

DecodedPng decodeRaw(const unsigned char* data, size_t size, bool quick) {
  DecodedPng r;
  lodepng::State& state = r.state;
  state.decoder.color_convert = 0;
  // Text and unknown chunks are never used; skipping them also skips their decompression.
  state.decoder.read_text_chunks = 0;
  state.decoder.remember_unknown_chunks = 0;
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
  // The fuzzer cannot forge checksums; without this it never gets past them.
  state.decoder.ignore_crc = 1;
  state.decoder.zlibsettings.ignore_adler32 = 1;
#endif
  QuickInflate context;
  if (quick) {
    unsigned w = 0, h = 0;
    lodepng::State probe;
    // Interlaced pictures unpack to a different size: they take LodePNG's own inflate.
    if (lodepng_inspect(&w, &h, &probe, data, size) == 0 && probe.info_png.interlace_method == 0) {
      // Sides are within kMaxPictureSide here, so this cannot overflow.
      const size_t rowBytes = (static_cast<size_t>(w) * lodepng_get_bpp(&probe.info_png.color) + 7) / 8;
      context.expectedSize = static_cast<size_t>(h) * (rowBytes + 1);
    }
    state.decoder.zlibsettings.custom_zlib = quickInflate;
    state.decoder.zlibsettings.custom_context = &context;
  }
  unsigned char* out = nullptr;
  r.error = lodepng_decode(&out, &r.width, &r.height, &state, data, size);
  r.pixels.reset(out);
  if (r.error) r.pixels.reset();
  return r;
}

// Writes the decoded picture as RGBA into the padded (transparent black) power-of-two
// picture, bottom row first when flipped. Plain 8-bit RGB and RGBA, what our pictures
// are, go straight in; any other kind goes through LodePNG's converter first.
bool toPaddedRgba(const DecodedPng& raw, PngImage& img, bool flip) {
  const size_t w = raw.width, h = raw.height;
  const size_t stride = static_cast<size_t>(img.paddedWidth) * 4;
  img.pixels.assign(stride * static_cast<size_t>(img.paddedHeight), 0);
  const LodePNGColorMode& mode = raw.state.info_png.color;
  const bool rgb8 = mode.colortype == LCT_RGB && mode.bitdepth == 8 && !mode.key_defined;
  const bool rgba8 = mode.colortype == LCT_RGBA && mode.bitdepth == 8;
  std::unique_ptr<unsigned char, FreeDeleter> converted;
  const unsigned char* source = raw.pixels.get();
  if (!rgb8 && !rgba8) {
    LodePNGColorMode rgba = lodepng_color_mode_make(LCT_RGBA, 8);
    converted.reset(static_cast<unsigned char*>(std::malloc(w * h * 4)));
    if (!converted || lodepng_convert(converted.get(), source, &rgba, &mode, raw.width, raw.height)) return false;
    source = converted.get();
  }
  const size_t sourceRow = rgb8 ? w * 3 : w * 4;
  for (size_t y = 0; y < h; ++y) {
    const unsigned char* from = source + y * sourceRow;
    unsigned char* to = &img.pixels[(flip ? h - 1 - y : y) * stride];
    if (!rgb8) {
      std::memcpy(to, from, w * 4);
      continue;
    }
    for (size_t x = 0; x < w; ++x, from += 3, to += 4) {
      to[0] = from[0];
      to[1] = from[1];
      to[2] = from[2];
      to[3] = 255;
    }
  }
  return true;
}

bool compileStage(GLenum type, const char* source, const char* stageMessage, const std::string& name,
                  GLuint& out) {
  out = glCreateShader(type);
  glShaderSource(out, 1, &source, nullptr);
  glCompileShader(out);
  GLint ok = GL_FALSE;
  glGetShaderiv(out, GL_COMPILE_STATUS, &ok);
  if (ok) return true;
  GLint len = 0;
  glGetShaderiv(out, GL_INFO_LOG_LENGTH, &len);
  std::string info(static_cast<size_t>(std::max(len, 1)), '\0');
  glGetShaderInfoLog(out, len, nullptr, info.data());
  info.resize(std::strlen(info.c_str()));
  logLine(stageMessage, name, "\" GLFW error start...");
  logLine(info);
  logLine("...GLFW error end");
  glDeleteShader(out);
  out = 0;
  return false;
}

}  // namespace

namespace {

PngImage decodePicture(const unsigned char* data, size_t size, const std::string& name, bool flip,
                       std::string& problem) {
  PngImage img;
  try {
    problem = pictureSizeProblem(data, size, name);
    if (!problem.empty()) return img;
    DecodedPng raw = decodeRaw(data, size, true);
    // Anything the quick inflate turned down is decoded again the old way, so a
    // broken file fails with the same message as it always has.
    if (raw.error) raw = decodeRaw(data, size, false);
    if (raw.error) {
      problem = lodepngProblem(name, raw.error);
      return img;
    }
    img.width = static_cast<int>(raw.width);
    img.height = static_cast<int>(raw.height);
    img.paddedWidth = nextPowerOfTwo(img.width);
    img.paddedHeight = nextPowerOfTwo(img.height);
    if (img.paddedWidth != img.width) img.uvU = static_cast<float>(img.width) / static_cast<float>(img.paddedWidth);
    if (img.paddedHeight != img.height)
      img.uvV = static_cast<float>(img.height) / static_cast<float>(img.paddedHeight);
    if (!toPaddedRgba(raw, img, flip)) {
      problem = lodepngProblem(name, 83);
      return PngImage{};
    }
  } catch (...) {
    problem = exceptionProblem(name);
    return PngImage{};
  }
  return img;
}

PngImage readPicture(const std::string& path, const std::string& name, bool flip, std::string& problem) {
  std::vector<unsigned char> bytes;
  try {
    // LodePNG opens files by narrow path; our own opener reaches any name.
    if (!platform::readFile(path, bytes)) {
      problem = lodepngProblem(name, 78);
      return {};
    }
  } catch (...) {
    problem = exceptionProblem(name);
    return {};
  }
  return decodePicture(bytes.data(), bytes.size(), name, flip, problem);
}

// The pictures decoded ahead of their first use, each handed to the first loadPng asking for it.
struct DecodedPicture {
  PngImage img;
  std::string problem;
};
Prefetch<DecodedPicture>& prefetch() {
  static Prefetch<DecodedPicture> p([](const std::string& name) { return platform::dataPath("Images", name); },
                                    [](const std::string& name, const std::string& file) {
                                      DecodedPicture d;
                                      d.img = readPicture(file, name, true, d.problem);
                                      return d;
                                    });
  return p;
}

PngImage logged(PngImage img, const std::string& problem) {
  if (!problem.empty()) logLine(problem);
  return img;
}

}  // namespace

PngImage decodePng(const unsigned char* data, size_t size, const std::string& name, bool flip) {
  std::string problem;
  PngImage img = decodePicture(data, size, name, flip, problem);
  return logged(std::move(img), problem);
}

PngImage loadPngFile(const std::string& path, const std::string& name, bool flip) {
  std::string problem;
  PngImage img = readPicture(path, name, flip, problem);
  return logged(std::move(img), problem);
}

PngImage loadPng(const std::string& fileName, bool flip) {
  if (fileName.empty()) {
    logLine("ERROR: Tried to load a texure with no filename");
    return {};
  }
  DecodedPicture ready;
  if (flip && prefetch().take(fileName, ready)) return logged(std::move(ready.img), ready.problem);
  return loadPngFile(platform::dataPath("Images", fileName), fileName, flip);
}

void prefetchPictures(const std::vector<std::string>& fileNames) { prefetch().start(fileNames); }
void stopPrefetchingPictures() { prefetch().stop(); }

void loadTexture(Loader& loader, const std::string& fileName) {
  for (const TextureRecord& r : reg().textures) {
    if (r.name != fileName) continue;
    loader.texture = r.texture;
    loader.textureWidth = r.width;
    loader.textureHeight = r.height;
    loader.uvScaleU = r.uvU;
    loader.uvScaleV = r.uvV;
    return;
  }
  auto& failed = reg().failedTextures;
  if (std::find(failed.begin(), failed.end(), fileName) != failed.end()) return;
  PngImage img = loadPng(fileName, true);
  if (img.empty()) {
    // Many objects share a sheet: one missing file would otherwise be read and
    // logged again for every one of them.
    failed.push_back(fileName);
    return;
  }
  GLuint tex = 0;
  if (gl::contextReady()) {
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, img.paddedWidth, img.paddedHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 img.pixels.data());
  }
  reg().textures.push_back({fileName, tex, img.width, img.height, img.uvU, img.uvV});
  loader.texture = tex;
  loader.textureWidth = img.width;
  loader.textureHeight = img.height;
  loader.uvScaleU = img.uvU;
  loader.uvScaleV = img.uvV;
  logLine("Texture loaded correctly name = \"", fileName, "\"");
}

void createShaderProgram(Loader& loader, const ShaderSources& src) {
  const std::string name = src.name;
  for (const ProgramRecord& r : reg().programs) {
    if (r.name == name) {
      loader.shaderProgram = r.program;
      return;
    }
  }
  if (!gl::contextReady()) return;
  auto& attempted = reg().attempted;
  const bool triedBefore = std::find(attempted.begin(), attempted.end(), name) != attempted.end();
  attempted.push_back(name);
  if (triedBefore) return;

  GLuint vs = 0, gs = 0, fs = 0;
  if (!compileStage(GL_VERTEX_SHADER, src.vertex, "ERROR: problem creating vertex shader. \"", name, vs)) return;
  const bool hasGeometry = src.geometry && src.geometry[0] != '\0';
  if (hasGeometry &&
      !compileStage(GL_GEOMETRY_SHADER, src.geometry, "ERROR: problem creating geometry shader. \"", name, gs)) {
    glDeleteShader(vs);
    return;
  }
  if (!compileStage(GL_FRAGMENT_SHADER, src.fragment, "ERROR: problem creating fragment shader. \"", name, fs)) {
    glDeleteShader(vs);
    if (gs) glDeleteShader(gs);
    return;
  }
  const GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  if (gs) glAttachShader(program, gs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  GLint ok = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  glDeleteShader(vs);
  if (gs) glDeleteShader(gs);
  glDeleteShader(fs);
  if (!ok) {
    GLint len = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &len);
    std::string info(static_cast<size_t>(std::max(len, 1)), '\0');
    glGetProgramInfoLog(program, len, nullptr, info.data());
    info.resize(std::strlen(info.c_str()));
    logLine("ERROR: problem creating shader program. \"", name, "\" GLFW error start...");
    logLine(info);
    logLine("...GLFW error end");
    glDeleteProgram(program);
    return;
  }
  logLine("Shader program created correctly name = \"", name, "\"");
  glUseProgram(program);
  gl::uniform1f(program, "aspectRatio", reg().aspectRatio);
  gl::uniform1f(program, "farPlane", kFarPlane);
  gl::uniform1f(program, "nearPlane", kNearPlane);
  reg().programs.push_back({name, program});
  loader.shaderProgram = program;
}

void registerBuffers(uint32_t vao, uint32_t vbo, uint32_t ebo) { reg().buffers.push_back({vao, vbo, ebo}); }

void uploadStaticMesh(Loader& loader, const float* vertices, size_t floatCount, const uint32_t* indices,
                      size_t indexCount, std::initializer_list<int> attributeSizes) {
  if (!gl::contextReady()) return;
  GLuint vao = 0, vbo = 0, ebo = 0;
  glGenVertexArrays(1, &vao);
  glBindVertexArray(vao);
  glGenBuffers(1, &vbo);
  glBindBuffer(GL_ARRAY_BUFFER, vbo);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(floatCount * sizeof(float)), vertices, GL_STATIC_DRAW);
  if (indices && indexCount > 0) {
    glGenBuffers(1, &ebo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ebo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexCount * sizeof(uint32_t)), indices,
                 GL_STATIC_DRAW);
  }
  int stride = 0;
  for (int n : attributeSizes) stride += n;
  GLuint index = 0;
  uintptr_t offset = 0;
  for (int n : attributeSizes) {
    glVertexAttribPointer(index, n, GL_FLOAT, GL_FALSE, stride * static_cast<GLsizei>(sizeof(float)),
                          reinterpret_cast<void*>(offset));
    glEnableVertexAttribArray(index);
    ++index;
    offset += static_cast<uintptr_t>(n) * sizeof(float);
  }
  glBindVertexArray(0);
  registerBuffers(vao, vbo, ebo);
  loader.vertexArray = vao;
  loader.vertexBuffer = vbo;
  loader.elementBuffer = ebo;
}

void setAspectRatio(float value) {
  reg().aspectRatio = value;
  if (!gl::contextReady()) return;
  for (const ProgramRecord& r : reg().programs) {
    glUseProgram(r.program);
    gl::uniform1f(r.program, "aspectRatio", value);
  }
}

float aspectRatio() { return reg().aspectRatio; }

void deleteGpuResources() {
  prefetch().stop();
  const bool gl = gl::contextReady();
  for (const TextureRecord& r : reg().textures)
    if (gl && r.texture) glDeleteTextures(1, &r.texture);
  reg().textures.clear();
  reg().failedTextures.clear();
  logLine("Textures deleted");
  for (const ProgramRecord& r : reg().programs)
    if (gl && r.program) glDeleteProgram(r.program);
  reg().programs.clear();
  logLine("Shader programs deleted");
  for (const BufferRecord& r : reg().buffers) {
    if (!gl) continue;
    if (r.vertexArray) glDeleteVertexArrays(1, &r.vertexArray);
    if (r.vertexBuffer) glDeleteBuffers(1, &r.vertexBuffer);
    if (r.elementBuffer) glDeleteBuffers(1, &r.elementBuffer);
  }
  reg().buffers.clear();
  logLine("Buffers deleted");
}

const std::vector<TextureRecord>& textureRegistry() { return reg().textures; }
const std::vector<ProgramRecord>& programRegistry() { return reg().programs; }
const std::vector<BufferRecord>& bufferRegistry() { return reg().buffers; }

uint32_t findProgram(const std::string& name) {
  for (const ProgramRecord& r : reg().programs)
    if (r.name == name) return r.program;
  return 0;
}

}  // namespace qv
