// cMeshData against GL buffers: read back, upload with the attribute kinds
// and usages, and lists that do not cover every vertex.
#include "tests/glsupport/GlTestSupport.h"
#include "vorn/Mesh.h"
#include "vorn/MeshData.h"

using gltest::GlTest;
using gltest::rgba;
using namespace vorn;

namespace {

// A quad over the left half of the clip square with one list of each kind.
cMeshData sampleData()
{
    cMeshData d;
    d.positions = {{-1, -1, 0}, {0, -1, 0}, {0, 1, 0}, {-1, 1, 0}};
    d.triangles = {{0, 1, 2}, {0, 2, 3}};
    d.floatAttributes["seedHax"] = {0.25f, 0.5f, 0.75f, 1.0f};
    d.vec2Attributes["uv"] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    d.vec3Attributes["normal"] = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {1, 1, 1}};
    d.vec4Attributes["colour"] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 1, 1, 0}};
    return d;
}

GLint bufferUsage(const cBufferObject& b)
{
    glBindBuffer(GL_ARRAY_BUFFER, b.id);
    GLint usage = 0;
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_USAGE, &usage);
    return usage;
}

} // namespace

TEST_F(GlTest, ReadBackThenUploadReproducesTheMesh)
{
    const cMeshData original = sampleData();
    cMesh first;
    original.upload(first, GL_STATIC_DRAW, GL_STATIC_DRAW, GL_STATIC_DRAW);
    // A buffer of 2-byte components cannot be read back: it is lost.
    const short halfs[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    first.attributes["packed"].setData(GL_ARRAY_BUFFER, 2, 2, 4, GL_SHORT, halfs, GL_STATIC_DRAW);

    cMeshData back;
    back.matrixAttributes["stale"] = {mat3f()}; // emptied by readBack
    back.readBack(first);
    EXPECT_EQ(back.positions, original.positions);
    EXPECT_EQ(back.triangles, original.triangles);
    EXPECT_EQ(back.floatAttributes, original.floatAttributes);
    EXPECT_EQ(back.vec2Attributes, original.vec2Attributes);
    EXPECT_EQ(back.vec3Attributes, original.vec3Attributes);
    EXPECT_EQ(back.vec4Attributes, original.vec4Attributes);
    EXPECT_TRUE(back.matrixAttributes.empty());

    cMesh second;
    back.upload(second, GL_STATIC_DRAW, GL_STATIC_DRAW, GL_STATIC_DRAW);
    cMeshData again;
    again.readBack(second);
    EXPECT_EQ(again.positions, original.positions);
    EXPECT_EQ(again.vec4Attributes, original.vec4Attributes);
    EXPECT_EQ(second.attributes.count("packed"), 0u);
    EXPECT_EQ(second.attributes.at("seedHax").componentCount, 1);
    EXPECT_EQ(second.attributes.at("colour").componentCount, 4);
    EXPECT_EQ(second.indices.target, GLenum(GL_ELEMENT_ARRAY_BUFFER));
    EXPECT_TRUE(gltest::takeGlErrors().empty());

    // The uploaded mesh draws.
    gltest::ScratchTarget target(16, 16);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1, 1, 1, 1);
    second.draw(nullptr, GL_TRIANGLES);
    EXPECT_EQ(target.pixel(3, 8), rgba(255, 255, 255, 255));
    EXPECT_EQ(target.pixel(12, 8), rgba(0, 0, 0, 255));
}

TEST_F(GlTest, UploadUsagesAndMatrixAttributes)
{
    cMeshData d = sampleData();
    d.matrixAttributes["frame"] = std::vector<mat3f>(4);
    d.matrixAttributes["frame2"] = std::vector<mat3f>(4);
    const std::map<std::string, unsigned> usages = {{"seedHax", GL_DYNAMIC_DRAW}, {"elsewhere", GL_STREAM_DRAW}};
    gltest::ConsoleCapture console;
    cMesh mesh;
    d.upload(mesh, GL_STREAM_DRAW, GL_DYNAMIC_DRAW, GL_STATIC_DRAW, &usages);
    EXPECT_EQ(console.lines(), std::vector<std::string>(2, "fix sending of vertex attribute mat3x3"));
    EXPECT_EQ(mesh.attributes.count("frame"), 0u);
    EXPECT_EQ(mesh.attributes.size(), 4u);
    EXPECT_EQ(mesh.attributes.at("seedHax").usage, GLenum(GL_DYNAMIC_DRAW));
    EXPECT_EQ(bufferUsage(mesh.attributes.at("seedHax")), GL_DYNAMIC_DRAW);
    EXPECT_EQ(bufferUsage(mesh.attributes.at("uv")), GL_STATIC_DRAW);
    EXPECT_EQ(bufferUsage(mesh.positions), GL_DYNAMIC_DRAW);
    EXPECT_EQ(mesh.indices.usage, GLenum(GL_STREAM_DRAW));

    // Uploading into a mesh that already has an attribute replaces it with
    // a new buffer.
    const GLuint before = mesh.attributes.at("uv").id;
    d.upload(mesh, GL_STATIC_DRAW, GL_STATIC_DRAW, GL_STATIC_DRAW);
    EXPECT_NE(mesh.attributes.at("uv").id, before);
}

TEST_F(GlTest, ShortAttributeListsUploadWithinBounds)
{
    cMeshData d = sampleData();
    d.floatAttributes["seedHax"] = {0.5f};  // 1 entry for 4 positions
    d.vec3Attributes["normal"].clear();     // none at all
    cMesh mesh;
    d.upload(mesh, GL_STATIC_DRAW, GL_STATIC_DRAW, GL_STATIC_DRAW);
    EXPECT_EQ(mesh.attributes.at("seedHax").elementCount, 4);
    EXPECT_EQ(mesh.attributes.at("normal").elementCount, 4);
    cMeshData back;
    back.readBack(mesh);
    EXPECT_EQ(back.floatAttributes.at("seedHax"), (std::vector<float>{0.5f, 0, 0, 0}));
    EXPECT_EQ(back.vec3Attributes.at("normal"), std::vector<vec3f>(4));
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}

TEST_F(GlTest, ReadBackSkipsBuffersTooNarrowForTheirKind)
{
    cMesh mesh;
    const float flat[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    mesh.positions.setData(GL_ARRAY_BUFFER, 4, 2, 4, GL_FLOAT, flat, GL_STATIC_DRAW); // 8-byte elements
    const uint32_t pairs[4] = {0, 1, 2, 3};
    mesh.indices.setData(GL_ELEMENT_ARRAY_BUFFER, 4, 2, 2, GL_UNSIGNED_INT, pairs, GL_STATIC_DRAW);
    cMeshData back;
    back.readBack(mesh);
    EXPECT_TRUE(back.positions.empty());
    EXPECT_TRUE(back.triangles.empty());

    // Elements wider than 12 bytes: the first 12 of each are taken.
    const float wide[8] = {1, 2, 3, 99, 4, 5, 6, 99};
    mesh.positions.setData(GL_ARRAY_BUFFER, 4, 4, 2, GL_FLOAT, wide, GL_STATIC_DRAW);
    back.readBack(mesh);
    EXPECT_EQ(back.positions, (std::vector<vec3f>{{1, 2, 3}, {4, 5, 6}}));
}

TEST_F(GlTest, ReadBackKeepsAnEmptyAttributeUnderItsName)
{
    // A template with no vertices yet but a "seedHax" list: the name survives
    // the read back, so copies appended to it keep their seeds.
    cMesh mesh;
    mesh.attributes["seedHax"].setData(GL_ARRAY_BUFFER, 4, 1, 0, GL_FLOAT, nullptr, GL_STATIC_DRAW);
    mesh.attributes["uv"].setData(GL_ARRAY_BUFFER, 4, 2, 0, GL_FLOAT, nullptr, GL_STATIC_DRAW);
    mesh.attributes["packed"].setData(GL_ARRAY_BUFFER, 2, 2, 0, GL_SHORT, nullptr, GL_STATIC_DRAW);
    cMeshData back;
    back.readBack(mesh);
    ASSERT_EQ(back.floatAttributes.count("seedHax"), 1u);
    EXPECT_TRUE(back.floatAttributes.at("seedHax").empty());
    ASSERT_EQ(back.vec2Attributes.count("uv"), 1u);
    EXPECT_EQ(back.vec2Attributes.count("packed"), 0u);
    EXPECT_TRUE(back.positions.empty());

    cMeshData copy;
    copy.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    copy.triangles = {{0, 1, 2}};
    copy.floatAttributes["seedHax"] = {0.5f, 0.5f, 0.5f};
    back.append(copy);
    EXPECT_EQ(back.floatAttributes.at("seedHax"), copy.floatAttributes.at("seedHax"));
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}
