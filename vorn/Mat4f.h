// mat4f: a 4 x 4 matrix of 32-bit floats in column-major order, the layout
// OpenGL uses (glGetFloatv(GL_MODELVIEW_MATRIX, m.data()) fills it, and
// glLoadMatrixf / glMultMatrixf take m.data()). Element (row r, column c) is
// m[c * 4 + r]. A default-constructed matrix is the identity.
// Header-only so windowless code (camera maths, tests) can use it.
#pragma once

#include <cmath>

#include "vorn/Vec3f.h"
#include "vorn/Vec4f.h"

namespace vorn {

struct mat4f {
  float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

  constexpr mat4f() = default;

  static constexpr mat4f identity() { return mat4f(); }

  // Builds a matrix from 16 values given column after column.
  static mat4f fromColumnMajor(const float* values) {
    mat4f r;
    for (int i = 0; i < 16; ++i) r.m[i] = values[i];
    return r;
  }

  static mat4f translation(const vec3f& t) {
    mat4f r;
    r.m[12] = t.x;
    r.m[13] = t.y;
    r.m[14] = t.z;
    return r;
  }

  static mat4f scaling(const vec3f& s) {
    mat4f r;
    r.m[0] = s.x;
    r.m[5] = s.y;
    r.m[10] = s.z;
    return r;
  }

  // Rotation by angle (radians) about axis, counter-clockwise looking down the
  // axis towards the origin, as glRotatef does (which takes degrees). A zero
  // axis gives the identity.
  static mat4f rotation(float angle, const vec3f& axis) {
    const float l = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
    mat4f r;
    if (l <= 0.0f) return r;
    const float x = axis.x / l, y = axis.y / l, z = axis.z / l;
    const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    r(0, 0) = t * x * x + c;     r(0, 1) = t * x * y - s * z; r(0, 2) = t * x * z + s * y;
    r(1, 0) = t * x * y + s * z; r(1, 1) = t * y * y + c;     r(1, 2) = t * y * z - s * x;
    r(2, 0) = t * x * z - s * y; r(2, 1) = t * y * z + s * x; r(2, 2) = t * z * z + c;
    return r;
  }

  float& operator()(int row, int col) { return m[col * 4 + row]; }
  float operator()(int row, int col) const { return m[col * 4 + row]; }

  float* data() { return m; }
  const float* data() const { return m; }

  mat4f operator*(const mat4f& o) const {
    mat4f r;
    for (int c = 0; c < 4; ++c)
      for (int row = 0; row < 4; ++row) {
        float s = 0.0f;
        for (int k = 0; k < 4; ++k) s += (*this)(row, k) * o(k, c);
        r(row, c) = s;
      }
    return r;
  }
  mat4f& operator*=(const mat4f& o) { return *this = *this * o; }

  vec4f operator*(const vec4f& v) const {
    return {m[0] * v.x + m[4] * v.y + m[8] * v.z + m[12] * v.w,
            m[1] * v.x + m[5] * v.y + m[9] * v.z + m[13] * v.w,
            m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14] * v.w,
            m[3] * v.x + m[7] * v.y + m[11] * v.z + m[15] * v.w};
  }

  // Transforms a point (w = 1) and drops w without dividing by it.
  vec3f transformPoint(const vec3f& p) const { return (*this * vec4f(p, 1.0f)).xyz(); }
  // Transforms a direction (w = 0).
  vec3f transformVector(const vec3f& v) const { return (*this * vec4f(v, 0.0f)).xyz(); }

  mat4f transposed() const {
    mat4f r;
    for (int row = 0; row < 4; ++row)
      for (int c = 0; c < 4; ++c) r(row, c) = (*this)(c, row);
    return r;
  }

  bool operator==(const mat4f& o) const {
    for (int i = 0; i < 16; ++i)
      if (m[i] != o.m[i]) return false;
    return true;
  }
  bool operator!=(const mat4f& o) const { return !(*this == o); }
};

static_assert(sizeof(mat4f) == 16 * sizeof(float), "mat4f must be 16 packed floats");

}  // namespace vorn
