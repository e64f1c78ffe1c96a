#include "render/gl.hpp"

namespace qv::gl {
namespace {
bool g_ready = false;
}

bool contextReady() { return g_ready; }
void setContextReady(bool ready) { g_ready = ready; }

void uniform1i(GLuint p, const char* n, int v) {
  if (g_ready && p) glUniform1i(glGetUniformLocation(p, n), v);
}
void uniform1f(GLuint p, const char* n, float v) {
  if (g_ready && p) glUniform1f(glGetUniformLocation(p, n), v);
}
void uniform2f(GLuint p, const char* n, float x, float y) {
  if (g_ready && p) glUniform2f(glGetUniformLocation(p, n), x, y);
}
void uniform3f(GLuint p, const char* n, float x, float y, float z) {
  if (g_ready && p) glUniform3f(glGetUniformLocation(p, n), x, y, z);
}
void uniform3f(GLuint p, const char* n, Vec3 v) { uniform3f(p, n, v.x, v.y, v.z); }
void uniform4f(GLuint p, const char* n, float x, float y, float z, float w) {
  if (g_ready && p) glUniform4f(glGetUniformLocation(p, n), x, y, z, w);
}
void uniformColour3(GLuint p, const char* n, const Colour& c) { uniform3f(p, n, c.r, c.g, c.b); }
void uniformColour4(GLuint p, const char* n, const Colour& c) { uniform4f(p, n, c.r, c.g, c.b, c.a); }
void uniformMat4(GLuint p, const char* n, const Mat4& m) {
  if (g_ready && p) glUniformMatrix4fv(glGetUniformLocation(p, n), 1, GL_FALSE, m.data());
}

}  // namespace qv::gl
