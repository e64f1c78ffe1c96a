#include "render/gpu_resources.hpp"

#include <lodepng.h>

#include <algorithm>
#include <cstring>

#include "core/log.hpp"
#include "platform/platform.hpp"
#include "render/gl.hpp"

namespace qv {
namespace {

struct Registries {
  std::vector<TextureRecord> textures;
  std::vector<ProgramRecord> programs;
  std::vector<std::string> attempted;
  std::vector<BufferRecord> buffers;
  float aspectRatio = 16.0f / 9.0f;
};
Registries& reg() {
  static Registries r;
  return r;
}

int nextPowerOfTwo(int v) {
  int p = 1;
  while (p < v) p <<= 1;
  return p;
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

PngImage loadPngFile(const std::string& path, const std::string& name, bool flip) {
  PngImage img;
  try {
    std::vector<unsigned char> raw;
    unsigned w = 0, h = 0;
    // LodePNG opens files with narrow paths; the bytes come through our own opener.
    std::vector<unsigned char> file;
    const unsigned err = platform::readFile(path, file) ? lodepng::decode(raw, w, h, file) : 78u;
    if (err) {
      logLine("ERROR: LodePNG error filename = \"", name, "\" error = ", lodepng_error_text(err));
      return img;
    }
    if (w == 0 || h == 0) {
      logLine("ERROR: LodePNG error one or more dimensions of the image are 0 filename = \"", name, "\"");
      return img;
    }
    img.width = static_cast<int>(w);
    img.height = static_cast<int>(h);
    img.paddedWidth = nextPowerOfTwo(img.width);
    img.paddedHeight = nextPowerOfTwo(img.height);
    const size_t rowBytes = static_cast<size_t>(w) * 4;
    if (img.paddedWidth == img.width && img.paddedHeight == img.height) {
      if (!flip) {
        img.pixels = std::move(raw);
        return img;
      }
      img.pixels.resize(raw.size());
      for (unsigned y = 0; y < h; ++y)
        std::memcpy(&img.pixels[(h - 1 - y) * rowBytes], &raw[y * rowBytes], rowBytes);
      return img;
    }
    img.pixels.assign(static_cast<size_t>(img.paddedWidth) * img.paddedHeight * 4, 0);
    const size_t stride = static_cast<size_t>(img.paddedWidth) * 4;
    for (unsigned y = 0; y < h; ++y) {
      const unsigned dst = flip ? h - 1 - y : y;
      std::memcpy(&img.pixels[dst * stride], &raw[y * rowBytes], rowBytes);
    }
    img.uvU = static_cast<float>(img.width) / static_cast<float>(img.paddedWidth);
    img.uvV = static_cast<float>(img.height) / static_cast<float>(img.paddedHeight);
  } catch (...) {
    logLine("ERROR: Tried to load a PNG with LodePNG but an exception was thrown filename = \"", name, "\"");
    return PngImage{};
  }
  return img;
}

PngImage loadPng(const std::string& fileName, bool flip) {
  if (fileName.empty()) {
    logLine("ERROR: Tried to load a texure with no filename");
    return {};
  }
  return loadPngFile(platform::dataPath("Images", fileName), fileName, flip);
}

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
  PngImage img = loadPng(fileName, true);
  if (img.empty()) return;
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
  const bool gl = gl::contextReady();
  for (const TextureRecord& r : reg().textures)
    if (gl && r.texture) glDeleteTextures(1, &r.texture);
  reg().textures.clear();
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
