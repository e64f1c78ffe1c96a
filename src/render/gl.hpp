#pragma once
#include <glad/gl.h>

#include "core/colour.hpp"
#include "core/vecmath.hpp"

namespace qv::gl {

// True once a context is current and the loader ran. Without it (headless
// tests, benchmarks, a failed start) every GL call is skipped and handles stay 0.
bool contextReady();
void setContextReady(bool ready);

// Thin uniform setters; a program of 0 or a missing uniform is ignored, as GL does.
void uniform1i(GLuint program, const char* name, int v);
void uniform1f(GLuint program, const char* name, float v);
void uniform2f(GLuint program, const char* name, float x, float y);
void uniform3f(GLuint program, const char* name, float x, float y, float z);
void uniform3f(GLuint program, const char* name, Vec3 v);
void uniform4f(GLuint program, const char* name, float x, float y, float z, float w);
void uniformColour3(GLuint program, const char* name, const Colour& c);
void uniformColour4(GLuint program, const char* name, const Colour& c);
void uniformMat4(GLuint program, const char* name, const Mat4& m);

}  // namespace qv::gl
