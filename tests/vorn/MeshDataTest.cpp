// CPU mesh data: appending meshes and their attribute lists.
#include <gtest/gtest.h>

#include "vorn/MeshData.h"

using namespace vorn;

namespace {

// A unit cube: 8 corners, 12 triangles, plus the given attribute lists.
cMeshData cube(float offset)
{
    cMeshData m;
    for (int i = 0; i < 8; ++i)
        m.positions.push_back({float(i & 1) + offset, float((i >> 1) & 1), float((i >> 2) & 1)});
    for (uint32_t t = 0; t < 12; ++t)
        m.triangles.push_back({t % 8, (t + 1) % 8, (t + 2) % 8});
    return m;
}

} // namespace

TEST(MeshDataTest, AppendShiftsIndicesAndKeepsOrder)
{
    cMeshData a = cube(0);
    const cMeshData b = cube(10);
    a.append(b);
    ASSERT_EQ(a.positions.size(), 16u);
    ASSERT_EQ(a.triangles.size(), 24u);
    EXPECT_EQ(a.positions[8], b.positions[0]);
    EXPECT_EQ(a.triangles[0], (meshTriangle{0, 1, 2}));
    for (size_t t = 12; t < 24; ++t)
        for (uint32_t index : a.triangles[t]) {
            EXPECT_GE(index, 8u);
            EXPECT_LE(index, 15u);
        }
    EXPECT_EQ(a.triangles[12], (meshTriangle{8, 9, 10}));
}

TEST(MeshDataTest, AppendMatchesAttributesByKindAndName)
{
    cMeshData a = cube(0);
    a.floatAttributes["seed"] = std::vector<float>(8, 1.0f);
    a.vec2Attributes["uv"] = std::vector<vec2f>(8, {1, 2});
    a.matrixAttributes["frame"] = std::vector<mat3f>(8);
    a.vec3Attributes["onlyHere"] = std::vector<vec3f>(8, {1, 1, 1});

    cMeshData b = cube(5);
    b.floatAttributes["seed"] = std::vector<float>(8, 2.0f);
    b.floatAttributes["seedHax"] = std::vector<float>(8, 3.0f);
    b.vec4Attributes["uv"] = std::vector<vec4f>(8); // same name, other kind
    b.vec2Attributes["uv"] = std::vector<vec2f>(8, {3, 4});
    mat3f twice;
    twice.m[0] = 2;
    b.matrixAttributes["frame"] = std::vector<mat3f>(8, twice);

    a.append(b);
    ASSERT_EQ(a.floatAttributes["seed"].size(), 16u);
    EXPECT_EQ(a.floatAttributes["seed"][7], 1.0f);
    EXPECT_EQ(a.floatAttributes["seed"][8], 2.0f);
    EXPECT_EQ(a.floatAttributes.count("seedHax"), 0u); // dropped: a lacks it
    EXPECT_TRUE(a.vec4Attributes.empty());
    EXPECT_EQ(a.vec2Attributes["uv"][15], vec2f(3, 4));
    EXPECT_EQ(a.matrixAttributes["frame"][8], twice);
    EXPECT_EQ(a.vec3Attributes["onlyHere"].size(), 8u); // b lacks it: not extended
}

TEST(MeshDataTest, AppendingEmptyChangesNothing)
{
    cMeshData a = cube(0);
    a.floatAttributes["seed"] = std::vector<float>(8, 1.0f);
    const cMeshData before = a;
    a.append(cMeshData());
    EXPECT_EQ(a.positions, before.positions);
    EXPECT_EQ(a.triangles, before.triangles);
    EXPECT_EQ(a.floatAttributes, before.floatAttributes);

    cMeshData empty;
    empty.append(before);
    EXPECT_EQ(empty.positions, before.positions);
    EXPECT_EQ(empty.triangles, before.triangles);
    EXPECT_TRUE(empty.floatAttributes.empty());
}

TEST(MeshDataTest, ShortListsAreNeverReadPastTheirEnd)
{
    cMeshData a = cube(0);
    a.floatAttributes["seed"] = {1, 1, 1}; // 3 entries for 8 positions
    cMeshData b = cube(1);
    b.floatAttributes["seed"] = {2, 2};    // 2 entries for 8 positions
    a.append(b);
    // The missing entries are zeros, so the appended ones line up with the
    // appended positions again.
    const std::vector<float>& seed = a.floatAttributes["seed"];
    ASSERT_EQ(seed.size(), 16u);
    EXPECT_EQ(seed[2], 1.0f);
    EXPECT_EQ(seed[3], 0.0f);
    EXPECT_EQ(seed[8], 2.0f);
    EXPECT_EQ(seed[9], 2.0f);
    EXPECT_EQ(seed[10], 0.0f);

    EXPECT_EQ(meshAttributeForVertices(std::vector<float>{5, 6}, 4), (std::vector<float>{5, 6, 0, 0}));
    EXPECT_EQ(meshAttributeForVertices(std::vector<float>{5, 6, 7}, 2), (std::vector<float>{5, 6}));
}

TEST(MeshDataTest, CopiesAreIndependent)
{
    cMeshData a = cube(0);
    a.vec3Attributes["n"] = std::vector<vec3f>(8, {0, 0, 1});
    cMeshData b(a);
    b.positions[0] = {9, 9, 9};
    b.vec3Attributes["n"][0] = {1, 0, 0};
    EXPECT_EQ(a.positions[0], vec3f(0, 0, 0));
    EXPECT_EQ(a.vec3Attributes["n"][0], vec3f(0, 0, 1));
    a = b;
    EXPECT_EQ(a.positions[0], vec3f(9, 9, 9));
}

TEST(MeshDataTest, AppendingAMeshToItselfDoublesIt)
{
    cMeshData a = cube(0);
    a.floatAttributes["seedHax"] = std::vector<float>(8, 0.25f);
    a.append(a);
    ASSERT_EQ(a.positions.size(), 16u);
    ASSERT_EQ(a.triangles.size(), 24u);
    EXPECT_EQ(a.positions[8], a.positions[0]);
    EXPECT_EQ(a.triangles[12], (meshTriangle{8, 9, 10}));
    EXPECT_EQ(a.triangles[23], (meshTriangle{a.triangles[11][0] + 8, a.triangles[11][1] + 8, a.triangles[11][2] + 8}));
    EXPECT_EQ(a.floatAttributes["seedHax"], std::vector<float>(16, 0.25f));
}
