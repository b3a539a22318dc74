// Vector and matrix value types: arithmetic and the GL column-major layout.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "vorn/Mat3f.h"
#include "vorn/Mat4f.h"
#include "vorn/Vec2f.h"
#include "vorn/Vec3f.h"
#include "vorn/Vec4f.h"

using namespace vorn;

namespace {

void expectNear(const vec3f& a, const vec3f& b, float eps = 1e-5f)
{
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

} // namespace

TEST(VectorTest, DefaultsAreZeroAndLayoutIsPacked)
{
    vec4f c;
    EXPECT_EQ(c, vec4f(0, 0, 0, 0));
    vec3f list[2] = {{1, 2, 3}, {4, 5, 6}};
    float raw[6];
    std::memcpy(raw, list, sizeof raw);
    EXPECT_EQ(raw[3], 4.0f);
    EXPECT_EQ(raw[5], 6.0f);
    EXPECT_EQ(vec2f(3, 4)[1], 4.0f);
}

TEST(VectorTest, Arithmetic)
{
    EXPECT_EQ(vec2f(1, 2) + vec2f(3, 5), vec2f(4, 7));
    EXPECT_EQ(vec3f(1, 2, 3) - vec3f(3, 2, 1), vec3f(-2, 0, 2));
    EXPECT_EQ(2.0f * vec3f(1, -2, 3), vec3f(2, -4, 6));
    EXPECT_EQ(vec4f(2, 4, 6, 8) / 2.0f, vec4f(1, 2, 3, 4));
    EXPECT_EQ(vec4f(1, 2, 3, 4) * vec4f(2, 2, 0.5f, 0), vec4f(2, 4, 1.5f, 0));
    vec3f v(1, 1, 1);
    v += vec3f(1, 2, 3);
    v *= 2.0f;
    EXPECT_EQ(v, vec3f(4, 6, 8));
    EXPECT_FLOAT_EQ(dot(vec3f(1, 2, 3), vec3f(4, -5, 6)), 12.0f);
    EXPECT_EQ(cross(vec3f(1, 0, 0), vec3f(0, 1, 0)), vec3f(0, 0, 1));
    EXPECT_EQ(cross(vec3f(0, 1, 0), vec3f(1, 0, 0)), vec3f(0, 0, -1));
    EXPECT_FLOAT_EQ(length(vec2f(3, 4)), 5.0f);
    expectNear(normalize(vec3f(0, 3, 4)), vec3f(0, 0.6f, 0.8f));
    EXPECT_EQ(normalize(vec3f()), vec3f()); // no division by zero
    EXPECT_EQ(vec4f(vec3f(1, 2, 3), 4).xyz(), vec3f(1, 2, 3));
}

TEST(MatrixTest, Mat4IsColumnMajorLikeGl)
{
    mat4f t = mat4f::translation({5, 6, 7});
    // GL keeps the translation in elements 12, 13, 14.
    EXPECT_EQ(t.m[12], 5.0f);
    EXPECT_EQ(t.m[14], 7.0f);
    EXPECT_EQ(t(0, 3), 5.0f);
    expectNear(t.transformPoint({1, 1, 1}), {6, 7, 8});
    expectNear(t.transformVector({1, 1, 1}), {1, 1, 1});
    EXPECT_EQ(mat4f(), mat4f::identity());
    EXPECT_EQ(t.transposed().m[3], 5.0f);
}

TEST(MatrixTest, Mat4ProductAppliesRightOperandFirst)
{
    mat4f m = mat4f::translation({10, 0, 0}) * mat4f::scaling({2, 3, 4});
    expectNear(m.transformPoint({1, 1, 1}), {12, 3, 4});
    mat4f n = mat4f::scaling({2, 3, 4}) * mat4f::translation({10, 0, 0});
    expectNear(n.transformPoint({1, 1, 1}), {22, 3, 4});
    mat4f i = m;
    i *= mat4f();
    EXPECT_EQ(i, m);
}

TEST(MatrixTest, RotationFollowsRightHandRule)
{
    const float quarter = 3.14159265f / 2.0f;
    expectNear(mat4f::rotation(quarter, {0, 0, 1}).transformPoint({1, 0, 0}), {0, 1, 0});
    expectNear(mat4f::rotation(quarter, {0, 0, 5}).transformPoint({1, 0, 0}), {0, 1, 0});
    expectNear(mat4f::rotation(quarter, {1, 0, 0}).transformPoint({0, 1, 0}), {0, 0, 1});
    expectNear(mat4f::rotation(quarter, {0, 1, 0}).transformPoint({0, 0, 1}), {1, 0, 0});
    EXPECT_EQ(mat4f::rotation(1.0f, {0, 0, 0}), mat4f());
}

TEST(MatrixTest, Mat3)
{
    mat3f m = mat3f::fromColumns({1, 2, 3}, {4, 5, 6}, {7, 8, 10});
    EXPECT_EQ(m(1, 0), 2.0f);
    EXPECT_EQ(m(0, 1), 4.0f);
    EXPECT_EQ(m * vec3f(1, 0, 0), vec3f(1, 2, 3));
    EXPECT_EQ(m * vec3f(0, 0, 1), vec3f(7, 8, 10));
    EXPECT_EQ(m * mat3f(), m);
    EXPECT_EQ(m.transposed()(0, 1), 2.0f);
    mat3f twice = m * m;
    EXPECT_EQ(twice * vec3f(1, 0, 0), m * (m * vec3f(1, 0, 0)));
}
