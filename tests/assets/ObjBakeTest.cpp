// objbake turns OBJ text into mesh files that the engine's mesh-file reader
// reads back to the same positions, triangles and normals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "tools/objbake/BakedMesh.h"
#include "tools/objbake/ObjBake.h"
#include "vorn/MeshFile.h"

namespace {

// What the engine reads from a mesh file.
struct sReadBack {
    bool ok = false;
    vorn::meshFileBlock positions, indices;
    std::vector<std::pair<std::string, vorn::meshFileBlock>> attributes;
    bool trailingBytes = false;

    const float* position(uint32_t v) const {
        return reinterpret_cast<const float*>(positions.contents.data()) + 3 * v;
    }
    uint32_t index(size_t i) const { return reinterpret_cast<const uint32_t*>(indices.contents.data())[i]; }
    const float* normal(uint32_t v) const {
        return reinterpret_cast<const float*>(attributes.at(0).second.contents.data()) + 3 * v;
    }
};

sReadBack readBack(const std::vector<uint8_t>& bytes) {
    sReadBack r;
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    uint32_t count = 0;
    if (!vorn::readMeshBlock(in, r.positions) || !vorn::readMeshBlock(in, r.indices) ||
        !vorn::readMeshU32(in, count))
        return r;
    for (uint32_t i = 0; i < count; ++i) {
        std::string name;
        vorn::meshFileBlock block;
        if (!vorn::readMeshAttributeName(in, name) || !vorn::readMeshBlock(in, block))
            return r;
        r.attributes.emplace_back(name, block);
    }
    r.trailingBytes = in.peek() != std::char_traits<char>::eof();
    r.ok = true;
    return r;
}

sReadBack bakeAndRead(const std::string& obj) {
    std::istringstream in(obj);
    objbake::sBakedMesh mesh;
    std::string error;
    EXPECT_TRUE(objbake::bakeObj(in, mesh, error)) << error;
    return readBack(objbake::encodeMeshFile(mesh));
}

void expectVec(const float* v, float x, float y, float z) {
    EXPECT_NEAR(v[0], x, 1e-6f);
    EXPECT_NEAR(v[1], y, 1e-6f);
    EXPECT_NEAR(v[2], z, 1e-6f);
}

TEST(ObjBake, TriangleRoundTripsThroughTheMeshReader) {
    const sReadBack r = bakeAndRead(
        "v 0 0 0\nv 2 0 0\nv 0 3 0\n"
        "vn 0 0 5\n"
        "f 1//1 2//1 3//1\n");
    ASSERT_TRUE(r.ok);
    EXPECT_FALSE(r.trailingBytes);
    EXPECT_EQ(r.positions.usage, 0x88E4);
    EXPECT_EQ(r.positions.target, 0x8892);
    EXPECT_EQ(r.positions.bytesPerComponent, 4);
    EXPECT_EQ(r.positions.componentCount, 3);
    EXPECT_EQ(r.positions.type, 0x1406);
    ASSERT_EQ(r.positions.elementCount, 3);
    EXPECT_EQ(r.indices.target, 0x8893);
    EXPECT_EQ(r.indices.type, 0x1405);
    EXPECT_EQ(r.indices.componentCount, 3);
    ASSERT_EQ(r.indices.elementCount, 1);
    ASSERT_EQ(r.attributes.size(), 1u);
    EXPECT_EQ(r.attributes[0].first, "normal");
    EXPECT_EQ(r.attributes[0].second.target, 0x8892);
    EXPECT_EQ(r.attributes[0].second.elementCount, 3);

    expectVec(r.position(r.index(0)), 0, 0, 0);
    expectVec(r.position(r.index(1)), 2, 0, 0);
    expectVec(r.position(r.index(2)), 0, 3, 0);
    for (uint32_t v = 0; v < 3; ++v)
        expectVec(r.normal(v), 0, 0, 1);   // scaled to unit length
}

TEST(ObjBake, QuadsBecomeTwoTrianglesSharingTheirCorners) {
    const sReadBack r = bakeAndRead(
        "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
        "vn 0 0 1\n"
        "f 1//1 2//1 3//1 4//1\n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.positions.elementCount, 4);
    ASSERT_EQ(r.indices.elementCount, 2);
    // Every corner of the quad is used, and no triangle repeats a corner.
    std::vector<int> uses(4, 0);
    for (size_t t = 0; t < 2; ++t) {
        EXPECT_NE(r.index(3 * t), r.index(3 * t + 1));
        EXPECT_NE(r.index(3 * t + 1), r.index(3 * t + 2));
        EXPECT_NE(r.index(3 * t), r.index(3 * t + 2));
        for (size_t k = 0; k < 3; ++k)
            ++uses.at(r.index(3 * t + k));
    }
    for (int u : uses)
        EXPECT_GE(u, 1);
}

TEST(ObjBake, CornersWithDifferentNormalsGetVerticesOfTheirOwn) {
    // Two faces meeting at an edge, each with its own normal: the shared
    // positions are split so that the edge stays hard.
    const sReadBack r = bakeAndRead(
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\n"
        "vn 0 0 -1\nvn 0 -1 0\n"
        "f 1//1 3//1 2//1\n"
        "f 1//2 2//2 4//2\n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.positions.elementCount, 6);
    expectVec(r.normal(r.index(0)), 0, 0, -1);
    expectVec(r.normal(r.index(3)), 0, -1, 0);
    expectVec(r.position(r.index(0)), 0, 0, 0);
    expectVec(r.position(r.index(3)), 0, 0, 0);
    EXPECT_NE(r.index(0), r.index(3));
}

TEST(ObjBake, FacesWithoutNormalsAreLitFlatByTheirWinding) {
    const sReadBack r = bakeAndRead(
        "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\n"
        "f 1 2 3\n"          // counter-clockwise seen from +z
        "f 1 2 4\n");        // its normal points to -y
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.indices.elementCount, 2);
    EXPECT_EQ(r.positions.elementCount, 6) << "flat faces share no vertex";
    for (size_t k = 0; k < 3; ++k) {
        expectVec(r.normal(r.index(k)), 0, 0, 1);
        expectVec(r.normal(r.index(3 + k)), 0, -1, 0);
    }
}

TEST(ObjBake, SmoothSharedVerticesAreWrittenOnce) {
    const sReadBack r = bakeAndRead(
        "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
        "vn 0 0 1\nvn 0 0 1\nvn 0 0 1\nvn 0 0 1\n"
        "f 1//1 2//2 3//3\n"
        "f 1//1 3//3 4//4\n");
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.positions.elementCount, 4);
    EXPECT_EQ(r.index(0), r.index(3));
    EXPECT_EQ(r.index(2), r.index(4));
}

TEST(ObjBake, RefusesTextWithoutFacesOrWithBadReferences) {
    for (const char* obj : {"", "# nothing here\n", "v 0 0 0\nv 1 0 0\n", "v 0 0 0\nv 1 0 0\nl 1 2\n",
                            "v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\nf 1//4 2//1 3//1\n"}) {
        std::istringstream in(obj);
        objbake::sBakedMesh mesh;
        std::string error;
        EXPECT_FALSE(objbake::bakeObj(in, mesh, error)) << obj;
        EXPECT_FALSE(error.empty()) << obj;
    }
}

// The program itself: reads an OBJ file, writes the mesh file, and leaves no
// file behind when the input is unusable.
std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ObjBakeProgram, BakesTheBoxTemplateToTheCommittedMesh) {
    const std::string out = "objbake_box_test.obj.bin";
    std::remove(out.c_str());
    const std::string command = std::string("\"") + OBJBAKE_PATH + "\" \"" + ASSET_ROOT +
                                "/tools/assets/box.obj\" " + out + " > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::vector<uint8_t> baked = readFile(out);
    const sReadBack r = readBack(baked);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.positions.elementCount, 24);
    EXPECT_EQ(r.indices.elementCount, 12);
    EXPECT_EQ(baked, readFile(std::string(ASSET_ROOT) + "/data/aBox.obj.bin"))
        << "data/aBox.obj.bin is out of date: run tools/assets/make_all.sh mesh";
    std::remove(out.c_str());
}

TEST(ObjBakeProgram, FailsWithoutWritingForAnUnusableInput) {
    const std::string in = "objbake_empty_test.obj", out = "objbake_empty_test.obj.bin";
    std::ofstream(in) << "# no faces\nv 0 0 0\n";
    std::remove(out.c_str());
    const std::string command = std::string("\"") + OBJBAKE_PATH + "\" " + in + " " + out + " > /dev/null";
    EXPECT_NE(std::system(command.c_str()), 0);
    EXPECT_FALSE(std::ifstream(out).good());
    std::remove(in.c_str());
}

} // namespace
