// vec3f: three 32-bit floats (x, y, z), a plain value type.
// Vertex positions, normals, camera positions and the vec3 attribute kind of
// the CPU mesh data. Header-only so windowless code can use it; the layout is
// three packed floats, so a list of vec3f is a GL_FLOAT x 3 vertex array.
#pragma once

#include <cmath>

namespace vorn {

struct vec3f {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  constexpr vec3f() = default;
  constexpr vec3f(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

  constexpr vec3f operator+(const vec3f& o) const { return {x + o.x, y + o.y, z + o.z}; }
  constexpr vec3f operator-(const vec3f& o) const { return {x - o.x, y - o.y, z - o.z}; }
  constexpr vec3f operator-() const { return {-x, -y, -z}; }
  constexpr vec3f operator*(float s) const { return {x * s, y * s, z * s}; }
  constexpr vec3f operator/(float s) const { return {x / s, y / s, z / s}; }
  // Component-wise product.
  constexpr vec3f operator*(const vec3f& o) const { return {x * o.x, y * o.y, z * o.z}; }

  vec3f& operator+=(const vec3f& o) { x += o.x; y += o.y; z += o.z; return *this; }
  vec3f& operator-=(const vec3f& o) { x -= o.x; y -= o.y; z -= o.z; return *this; }
  vec3f& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
  vec3f& operator/=(float s) { x /= s; y /= s; z /= s; return *this; }

  constexpr bool operator==(const vec3f& o) const { return x == o.x && y == o.y && z == o.z; }
  constexpr bool operator!=(const vec3f& o) const { return !(*this == o); }

  float* data() { return &x; }
  const float* data() const { return &x; }
  float& operator[](int i) { return (&x)[i]; }
  float operator[](int i) const { return (&x)[i]; }
};

constexpr vec3f operator*(float s, const vec3f& v) { return v * s; }
constexpr float dot(const vec3f& a, const vec3f& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
constexpr vec3f cross(const vec3f& a, const vec3f& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float length(const vec3f& v) { return std::sqrt(dot(v, v)); }
// Unit vector in v's direction; the zero vector stays zero.
inline vec3f normalize(const vec3f& v) {
  const float l = length(v);
  return l > 0.0f ? v / l : v;
}

static_assert(sizeof(vec3f) == 3 * sizeof(float), "vec3f must be three packed floats");

}  // namespace vorn
