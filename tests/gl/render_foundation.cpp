#include <gtest/gtest.h>

#include <regex>

#include "core/log.hpp"
#include "render/gl.hpp"
#include "render/gpu_resources.hpp"
#include "support/gl_context.hpp"

using namespace qv;

namespace {
const char* kVertex = R"(#version 330 core
layout(location = 0) in vec2 position;
uniform float aspectRatio;
void main() { gl_Position = vec4(position.x / aspectRatio, position.y, 0.0, 1.0); }
)";
const char* kFragment = "#version 330 core\nout vec4 colour;\nvoid main() { colour = vec4(1.0); }\n";
const char* kBrokenFragment = "#version 330 core\nout vec4 colour;\nvoid main() { colour = vec4(undeclaredThing); }\n";
}  // namespace

TEST(ShaderPrograms, BuiltOnceSharedByNameFollowAResizeAndAFailureIsNeverRetried) {
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
  for (const ProgramRecord& r : programRegistry()) {
    float ratio = -1.0f;
    glGetUniformfv(r.program, glGetUniformLocation(r.program, "aspectRatio"), &ratio);
    EXPECT_FLOAT_EQ(ratio, 2.0f) << r.name;
  }
  setAspectRatio(16.0f / 9.0f);

  // A compile failure logs three lines (the driver's info log between) and is never retried.
  log.clear();
  const ShaderSources broken{"shaderTestBroken", kVertex, "", kBrokenFragment};
  Loader c, d;
  createShaderProgram(c, broken);
  EXPECT_EQ(c.shaderProgram, 0u);
  const std::regex threeLines(
      R"(ERROR: problem creating fragment shader\. "shaderTestBroken" GLFW error start\.\.\.\n[\s\S]+\.\.\.GLFW error end\n)");
  EXPECT_TRUE(std::regex_search(log.text(), threeLines)) << log.text();
  log.clear();
  createShaderProgram(d, broken);
  EXPECT_EQ(d.shaderProgram, 0u);
  EXPECT_EQ(log.text(), "");  // one attempt per run: nothing compiled, nothing logged
}
