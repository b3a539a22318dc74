// vec2f: two 32-bit floats (x, y), a plain value type.
// Used for sizes (framebuffer viewports), 2D positions and velocities, and as a
// per-vertex attribute kind of the CPU mesh data. Header-only so windowless
// code can use it; the layout is exactly two packed floats, so arrays of it can
// be handed to GL as they are.
#pragma once

#include <cmath>

namespace vorn {

struct vec2f {
  float x = 0.0f;
  float y = 0.0f;

  constexpr vec2f() = default;
  constexpr vec2f(float x_, float y_) : x(x_), y(y_) {}

  constexpr vec2f operator+(const vec2f& o) const { return {x + o.x, y + o.y}; }
  constexpr vec2f operator-(const vec2f& o) const { return {x - o.x, y - o.y}; }
  constexpr vec2f operator-() const { return {-x, -y}; }
  constexpr vec2f operator*(float s) const { return {x * s, y * s}; }
  constexpr vec2f operator/(float s) const { return {x / s, y / s}; }
  // Component-wise product.
  constexpr vec2f operator*(const vec2f& o) const { return {x * o.x, y * o.y}; }

  vec2f& operator+=(const vec2f& o) { x += o.x; y += o.y; return *this; }
  vec2f& operator-=(const vec2f& o) { x -= o.x; y -= o.y; return *this; }
  vec2f& operator*=(float s) { x *= s; y *= s; return *this; }
  vec2f& operator/=(float s) { x /= s; y /= s; return *this; }

  constexpr bool operator==(const vec2f& o) const { return x == o.x && y == o.y; }
  constexpr bool operator!=(const vec2f& o) const { return !(*this == o); }

  float* data() { return &x; }
  const float* data() const { return &x; }
  float& operator[](int i) { return (&x)[i]; }
  float operator[](int i) const { return (&x)[i]; }
};

constexpr vec2f operator*(float s, const vec2f& v) { return v * s; }
constexpr float dot(const vec2f& a, const vec2f& b) { return a.x * b.x + a.y * b.y; }
inline float length(const vec2f& v) { return std::sqrt(dot(v, v)); }
// Unit vector in v's direction; the zero vector stays zero.
inline vec2f normalize(const vec2f& v) {
  const float l = length(v);
  return l > 0.0f ? v / l : v;
}

static_assert(sizeof(vec2f) == 2 * sizeof(float), "vec2f must be two packed floats");

}  // namespace vorn
