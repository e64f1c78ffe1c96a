#include <gtest/gtest.h>
#include <lodepng.h>

#include <filesystem>

#include "core/log.hpp"
#include "platform/platform.hpp"
#include "render/gl.hpp"
#include "render/gpu_resources.hpp"
#include "support/gl_context.hpp"

namespace fs = std::filesystem;
using namespace qv;

namespace {
const char* kVertex = R"(#version 330 core
layout(location = 0) in vec2 position;
uniform float aspectRatio;
uniform float nearPlane;
uniform float farPlane;
void main() { gl_Position = vec4(position.x / aspectRatio, position.y, nearPlane / farPlane, 1.0); }
)";
const char* kFragment = "#version 330 core\nout vec4 colour;\nvoid main() { colour = vec4(1.0); }\n";
const char* kBrokenFragment = "#version 330 core\nout vec4 colour;\nvoid main() { colour = vec4(undeclaredThing); }\n";

float uniformValue(GLuint program, const char* name) {
  float v = -1.0f;
  glGetUniformfv(program, glGetUniformLocation(program, name), &v);
  return v;
}
}  // namespace

TEST(ShaderPrograms, BuiltOnceSharedByNameAndEveryProgramFollowsAResize) {
  QV_REQUIRE_GL_CONTEXT();
  LogCapture log;
  const ShaderSources src{"shaderTestGood", kVertex, "", kFragment};
  Loader a, b;
  createShaderProgram(a, src);
  createShaderProgram(b, src);
  ASSERT_NE(a.shaderProgram, 0u);
  EXPECT_EQ(a.shaderProgram, b.shaderProgram);
  EXPECT_EQ(log.count("Shader program created correctly name = \"shaderTestGood\""), 1);
  // A resize reaches every program, and programs built later start with the new ratio.
  setAspectRatio(2.0f);
  Loader later;
  createShaderProgram(later, {"shaderTestResize", kVertex, "", kFragment});
  ASSERT_GE(programRegistry().size(), 2u);
  for (const ProgramRecord& r : programRegistry())
    EXPECT_FLOAT_EQ(uniformValue(r.program, "aspectRatio"), 2.0f) << r.name;
  setAspectRatio(16.0f / 9.0f);
}

TEST(ShaderPrograms, ACompileFailureLogsThreeLinesAndIsNeverRetried) {
  QV_REQUIRE_GL_CONTEXT();
  LogCapture log;
  const ShaderSources src{"shaderTestBroken", kVertex, "", kBrokenFragment};
  Loader a;
  createShaderProgram(a, src);
  EXPECT_EQ(a.shaderProgram, 0u);
  const std::string text = log.text();
  const size_t start = text.find("ERROR: problem creating fragment shader. \"shaderTestBroken\" GLFW error start...\n");
  ASSERT_NE(start, std::string::npos) << text;
  const size_t end = text.find("...GLFW error end\n", start);  // npos would fail the comparison too
  EXPECT_TRUE(end != std::string::npos && end > text.find('\n', start) + 1) << "the driver's info log sits between";
  log.clear();
  Loader b;
  createShaderProgram(b, src);
  EXPECT_EQ(b.shaderProgram, 0u);
  EXPECT_EQ(log.text(), "");  // one attempt per run: nothing compiled, nothing logged
}

TEST(Textures, SharedByNameAndUploadedPadded) {
  QV_REQUIRE_GL_CONTEXT();
  const fs::path root = fs::temp_directory_path() / "qv_gl_textures";
  fs::create_directories(root / "Data" / "Images");
  std::vector<unsigned char> px(100 * 60 * 4, 200);
  lodepng::encode((root / "Data" / "Images" / "gl odd.png").string(), px, 100, 60);
  platform::overrideProgramFolder(root.string());
  Loader a, b;
  loadTexture(a, "gl odd.png");
  loadTexture(b, "gl odd.png");
  ASSERT_NE(a.texture, 0u);
  EXPECT_EQ(a.texture, b.texture);
  glBindTexture(GL_TEXTURE_2D, a.texture);
  GLint w = 0, h = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  EXPECT_TRUE(w == 128 && h == 64) << w << " x " << h;
}

TEST(GpuRelease, DeletesEverythingAndLogsInOrder) {
  QV_REQUIRE_GL_CONTEXT();
  GLuint vao = 0, vbo = 0;
  glGenVertexArrays(1, &vao);
  glGenBuffers(1, &vbo);
  registerBuffers(vao, vbo, 0);
  LogCapture log;
  deleteGpuResources();
  EXPECT_EQ(log.text(), "Textures deleted\nShader programs deleted\nBuffers deleted\n");
  EXPECT_FALSE(glIsVertexArray(vao) || glIsBuffer(vbo));
  EXPECT_TRUE(programRegistry().empty());
}
