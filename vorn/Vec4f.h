// vec4f: four 32-bit floats (x, y, z, w), a plain value type.
// Doubles as an RGBA colour (x red, y green, z blue, w alpha), e.g. the clear
// colour of a framebuffer, and is the vec4 attribute kind of the CPU mesh data.
// Header-only so windowless code can use it; four packed floats.
#pragma once

#include <cmath>

#include "vorn/Vec3f.h"

namespace vorn {

struct vec4f {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float w = 0.0f;

  constexpr vec4f() = default;
  constexpr vec4f(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
  constexpr vec4f(const vec3f& v, float w_) : x(v.x), y(v.y), z(v.z), w(w_) {}

  constexpr vec3f xyz() const { return {x, y, z}; }

  constexpr vec4f operator+(const vec4f& o) const { return {x + o.x, y + o.y, z + o.z, w + o.w}; }
  constexpr vec4f operator-(const vec4f& o) const { return {x - o.x, y - o.y, z - o.z, w - o.w}; }
  constexpr vec4f operator-() const { return {-x, -y, -z, -w}; }
  constexpr vec4f operator*(float s) const { return {x * s, y * s, z * s, w * s}; }
  constexpr vec4f operator/(float s) const { return {x / s, y / s, z / s, w / s}; }
  // Component-wise product (e.g. tinting a colour).
  constexpr vec4f operator*(const vec4f& o) const { return {x * o.x, y * o.y, z * o.z, w * o.w}; }

  vec4f& operator+=(const vec4f& o) { x += o.x; y += o.y; z += o.z; w += o.w; return *this; }
  vec4f& operator-=(const vec4f& o) { x -= o.x; y -= o.y; z -= o.z; w -= o.w; return *this; }
  vec4f& operator*=(float s) { x *= s; y *= s; z *= s; w *= s; return *this; }

  constexpr bool operator==(const vec4f& o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }
  constexpr bool operator!=(const vec4f& o) const { return !(*this == o); }

  float* data() { return &x; }
  const float* data() const { return &x; }
  float& operator[](int i) { return (&x)[i]; }
  float operator[](int i) const { return (&x)[i]; }
};

constexpr vec4f operator*(float s, const vec4f& v) { return v * s; }
constexpr float dot(const vec4f& a, const vec4f& b) { return a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w; }
inline float length(const vec4f& v) { return std::sqrt(dot(v, v)); }

static_assert(sizeof(vec4f) == 4 * sizeof(float), "vec4f must be four packed floats");

}  // namespace vorn
