#include <gtest/gtest.h>

#include "core/log.hpp"
#include "render/gl.hpp"
#include "render/gpu_resources.hpp"
#include "support/gl_context.hpp"

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
