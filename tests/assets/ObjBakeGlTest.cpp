// Meshes that objbake writes load through cMesh and read back from the GPU
// through cMeshData unchanged: the round trip the seed-boxes layer makes
// with the box template at start-up.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "tests/glsupport/GlTestSupport.h"
#include "tools/objbake/BakedMesh.h"
#include "tools/objbake/ObjBake.h"
#include "vorn/Mesh.h"
#include "vorn/MeshData.h"

using gltest::GlTest;

namespace {

objbake::sBakedMesh bake(const std::string& obj) {
    std::istringstream in(obj);
    objbake::sBakedMesh mesh;
    std::string error;
    EXPECT_TRUE(objbake::bakeObj(in, mesh, error)) << error;
    return mesh;
}

void expectSameMesh(const objbake::sBakedMesh& baked, const vorn::cMeshData& data) {
    ASSERT_EQ(data.positions.size(), baked.vertexCount());
    ASSERT_EQ(data.triangles.size(), baked.triangleCount());
    ASSERT_EQ(data.vec3Attributes.count("normal"), 1u);
    const auto& normals = data.vec3Attributes.at("normal");
    ASSERT_EQ(normals.size(), baked.vertexCount());
    for (size_t v = 0; v < baked.vertexCount(); ++v) {
        EXPECT_EQ(data.positions[v].x, baked.positions[3 * v]);
        EXPECT_EQ(data.positions[v].y, baked.positions[3 * v + 1]);
        EXPECT_EQ(data.positions[v].z, baked.positions[3 * v + 2]);
        EXPECT_EQ(normals[v].x, baked.normals[3 * v]);
        EXPECT_EQ(normals[v].y, baked.normals[3 * v + 1]);
        EXPECT_EQ(normals[v].z, baked.normals[3 * v + 2]);
    }
    for (size_t t = 0; t < baked.triangleCount(); ++t)
        for (size_t k = 0; k < 3; ++k)
            EXPECT_EQ(data.triangles[t][k], baked.indices[3 * t + k]);
}

TEST_F(GlTest, BakedMeshLoadsAndReadsBackUnchanged) {
    const objbake::sBakedMesh baked = bake(
        "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\nv 0 0 2\n"
        "vn 0 0 -1\n"
        "f 1//1 4//1 3//1 2//1\n"
        "f 1 2 5\nf 2 3 5\nf 3 4 5\nf 4 1 5\n");
    gltest::TempDataFolder folder;
    folder.write("pyramid.obj.bin", objbake::encodeMeshFile(baked));
    vorn::cMesh mesh;
    mesh.load("pyramid.obj.bin");
    vorn::cMeshData data;
    data.readBack(mesh);
    expectSameMesh(baked, data);
}

TEST_F(GlTest, CommittedBoxIsTheBakedTemplate) {
    std::ifstream obj(std::string(ASSET_ROOT) + "/tools/assets/box.obj");
    ASSERT_TRUE(obj.good());
    objbake::sBakedMesh baked;
    std::string error;
    ASSERT_TRUE(objbake::bakeObj(obj, baked, error)) << error;

    std::ifstream file(std::string(ASSET_ROOT) + "/data/aBox.obj.bin", std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    gltest::TempDataFolder folder;
    folder.write("aBox.obj.bin", bytes);
    vorn::cMesh mesh;
    mesh.load("aBox.obj.bin");
    vorn::cMeshData data;
    data.readBack(mesh);
    expectSameMesh(baked, data);
    EXPECT_EQ(data.positions.size(), 24u);
    EXPECT_EQ(data.triangles.size(), 12u);
}

} // namespace
