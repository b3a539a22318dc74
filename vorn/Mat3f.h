// mat3f: a 3 x 3 matrix of 32-bit floats in column-major order (element
// (row r, column c) is m[c * 3 + r]). The CPU mesh data carries it along as a
// per-vertex attribute kind (copied and appended, never uploaded). A
// default-constructed matrix is the identity. Header-only.
#pragma once

#include "vorn/Vec3f.h"

namespace vorn {

struct mat3f {
  float m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

  constexpr mat3f() = default;

  static constexpr mat3f identity() { return mat3f(); }

  static mat3f fromColumns(const vec3f& c0, const vec3f& c1, const vec3f& c2) {
    mat3f r;
    r.m[0] = c0.x; r.m[1] = c0.y; r.m[2] = c0.z;
    r.m[3] = c1.x; r.m[4] = c1.y; r.m[5] = c1.z;
    r.m[6] = c2.x; r.m[7] = c2.y; r.m[8] = c2.z;
    return r;
  }

  float& operator()(int row, int col) { return m[col * 3 + row]; }
  float operator()(int row, int col) const { return m[col * 3 + row]; }

  float* data() { return m; }
  const float* data() const { return m; }

  mat3f operator*(const mat3f& o) const {
    mat3f r;
    for (int c = 0; c < 3; ++c)
      for (int row = 0; row < 3; ++row) {
        float s = 0.0f;
        for (int k = 0; k < 3; ++k) s += (*this)(row, k) * o(k, c);
        r(row, c) = s;
      }
    return r;
  }

  vec3f operator*(const vec3f& v) const {
    return {m[0] * v.x + m[3] * v.y + m[6] * v.z,
            m[1] * v.x + m[4] * v.y + m[7] * v.z,
            m[2] * v.x + m[5] * v.y + m[8] * v.z};
  }

  mat3f transposed() const {
    mat3f r;
    for (int row = 0; row < 3; ++row)
      for (int c = 0; c < 3; ++c) r(row, c) = (*this)(c, row);
    return r;
  }

  bool operator==(const mat3f& o) const {
    for (int i = 0; i < 9; ++i)
      if (m[i] != o.m[i]) return false;
    return true;
  }
  bool operator!=(const mat3f& o) const { return !(*this == o); }
};

static_assert(sizeof(mat3f) == 9 * sizeof(float), "mat3f must be nine packed floats");

}  // namespace vorn
