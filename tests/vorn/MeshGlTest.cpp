// cMesh in a real context: mesh files drawn with and without a program and
// as points, attribute matching, and files that are damaged or cut off.
#include <cstring>

#include "tests/glsupport/GlTestSupport.h"
#include "vorn/Mesh.h"
#include "vorn/MeshFile.h"
#include "vorn/ShaderProgram.h"

using gltest::GlTest;
using gltest::rgba;
using namespace vorn;

namespace {

meshFileBlock floats(GLenum target, int components, const std::vector<float>& values)
{
    meshFileBlock b;
    b.usage = GL_STATIC_DRAW;
    b.target = int32_t(target);
    b.bytesPerComponent = 4;
    b.componentCount = components;
    b.elementCount = int32_t(values.size()) / components;
    b.type = GL_FLOAT;
    b.contents.resize(values.size() * 4);
    std::memcpy(b.contents.data(), values.data(), b.contents.size());
    return b;
}

meshFileBlock triangles(const std::vector<uint32_t>& indices)
{
    meshFileBlock b;
    b.usage = GL_STATIC_DRAW;
    b.target = GL_ELEMENT_ARRAY_BUFFER;
    b.bytesPerComponent = 4;
    b.componentCount = 3;
    b.elementCount = int32_t(indices.size()) / 3;
    b.type = GL_UNSIGNED_INT;
    b.contents.resize(indices.size() * 4);
    std::memcpy(b.contents.data(), indices.data(), b.contents.size());
    return b;
}

struct namedBlock {
    std::string name;
    meshFileBlock block;
};

std::vector<uint8_t> meshFile(const meshFileBlock& positions, const meshFileBlock& indices,
                              const std::vector<namedBlock>& attributes, uint32_t count = uint32_t(-1))
{
    std::vector<uint8_t> out;
    writeMeshBlock(out, positions);
    writeMeshBlock(out, indices);
    writeMeshU32(out, count == uint32_t(-1) ? uint32_t(attributes.size()) : count);
    for (const namedBlock& a : attributes) {
        out.insert(out.end(), a.name.begin(), a.name.end());
        out.push_back(0);
        writeMeshBlock(out, a.block);
    }
    return out;
}

// The left half of the clip square as two triangles.
const std::vector<float> leftHalf = {-1, -1, 0, 0, -1, 0, 0, 1, 0, -1, 1, 0};
const std::vector<uint32_t> twoTriangles = {0, 1, 2, 0, 2, 3};

std::vector<uint8_t> attributedQuad()
{
    return meshFile(floats(GL_ARRAY_BUFFER, 3, leftHalf), triangles(twoTriangles),
                    {{"seedHax", floats(GL_ARRAY_BUFFER, 1, {0.5f, 0.5f, 0.5f, 0.5f})},
                     {"tint", floats(GL_ARRAY_BUFFER, 3, {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1})},
                     {"unused", floats(GL_ARRAY_BUFFER, 1, {9, 9, 9, 9})}});
}

const char* attributeVert = "#version 120\nattribute float seedHax;\nattribute vec3 tint;\nvarying vec4 c;\n"
                            "void main() { c = vec4(seedHax, 0.0, tint.b, 1.0); gl_Position = gl_Vertex; }\n";
const char* varyingFrag = "#version 120\nvarying vec4 c;\nvoid main() { gl_FragColor = c; }\n";

void clearTarget()
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

bool anyAttributeArrayEnabled()
{
    GLint count = 0;
    glGetIntegerv(GL_MAX_VERTEX_ATTRIBS, &count);
    for (GLint i = 0; i < count; ++i) {
        GLint on = 0;
        glGetVertexAttribiv(GLuint(i), GL_VERTEX_ATTRIB_ARRAY_ENABLED, &on);
        if (on)
            return true;
    }
    return false;
}

class MeshTest : public GlTest {
protected:
    gltest::TempDataFolder data;
};

} // namespace

TEST_F(MeshTest, FileRoundTripDrawsWithNamedAttributes)
{
    data.write("quad.obj.bin", attributedQuad());
    data.write("attr.vert", attributeVert);
    data.write("colour.frag", varyingFrag);
    cShaderProgram program;
    program.load("attr.vert", "colour.frag");
    cMesh mesh;
    mesh.load("quad.obj.bin");
    EXPECT_EQ(mesh.positions.elementCount, 4);
    EXPECT_EQ(mesh.positions.target, GLenum(GL_ARRAY_BUFFER));
    EXPECT_EQ(mesh.indices.elementCount, 2);
    EXPECT_EQ(mesh.indices.type, GLenum(GL_UNSIGNED_INT));
    ASSERT_EQ(mesh.attributes.size(), 3u);
    EXPECT_EQ(mesh.attributes.at("tint").componentCount, 3);

    gltest::ScratchTarget target(16, 16);
    clearTarget();
    mesh.draw(&program, GL_TRIANGLES);
    EXPECT_TRUE(target.pixel(3, 8).near(rgba(128, 0, 255, 255), 1)) << target.pixel(3, 8);
    EXPECT_EQ(target.pixel(12, 8), rgba(0, 0, 0, 255));
    EXPECT_FALSE(anyAttributeArrayEnabled());
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(GLuint(current), program.program); // the program stays current
    EXPECT_EQ(program.attributeCache().at("unused"), -1);
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}

TEST_F(MeshTest, DrawsWithoutProgramAndWithAProgramLackingItsAttributes)
{
    data.write("quad.obj.bin", attributedQuad());
    data.write("plain.vert", "void main() { gl_Position = gl_Vertex; }\n");
    data.write("yellow.frag", "void main() { gl_FragColor = vec4(1.0, 1.0, 0.0, 1.0); }\n");
    cShaderProgram plain;
    plain.load("plain.vert", "yellow.frag");
    cMesh mesh;
    mesh.load("quad.obj.bin");

    gltest::ScratchTarget target(16, 16);
    clearTarget();
    glColor4f(0, 1, 1, 1);
    mesh.draw(nullptr, GL_TRIANGLES); // fixed function: the current colour
    EXPECT_EQ(target.pixel(3, 8), rgba(0, 255, 255, 255));

    clearTarget();
    mesh.draw(&plain, GL_TRIANGLES);
    EXPECT_EQ(target.pixel(3, 8), rgba(255, 255, 0, 255));
    EXPECT_EQ(target.pixel(12, 8), rgba(0, 0, 0, 255));
    for (const auto& [name, location] : plain.attributeCache())
        EXPECT_EQ(location, -1) << name;
    EXPECT_EQ(plain.attributeCache().size(), 3u);
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}

TEST_F(MeshTest, AttributeNamesMatchCaseSensitively)
{
    data.write("quad.obj.bin", attributedQuad());
    data.write("lower.vert", "#version 120\nattribute float seedhax;\nvarying vec4 c;\n"
                             "void main() { c = vec4(seedhax, 0.0, 0.0, 1.0); gl_Position = gl_Vertex; }\n");
    data.write("colour.frag", varyingFrag);
    cShaderProgram program;
    program.load("lower.vert", "colour.frag");
    const GLint lower = glGetAttribLocation(program.program, "seedhax");
    ASSERT_GE(lower, 0);
    glVertexAttrib1f(GLuint(lower), 1.0f); // what the shader sees when no array feeds it
    cMesh mesh;
    mesh.load("quad.obj.bin");
    gltest::ScratchTarget target(16, 16);
    clearTarget();
    mesh.draw(&program, GL_TRIANGLES);
    EXPECT_EQ(target.pixel(3, 8), rgba(255, 0, 0, 255)); // not the mesh's 0.5
    EXPECT_EQ(program.attributeCache().at("seedHax"), -1);
}

TEST_F(MeshTest, ModeZeroDrawsEveryVertexOnceAsAPoint)
{
    // Vertices at the centres of pixels (1,1), (6,1) and (6,6) of an 8 x 8
    // target; the index block names a triangle spanning them.
    auto centre = [](int p) { return (float(p) + 0.5f) / 4.0f - 1.0f; };
    data.write("pts.obj.bin",
               meshFile(floats(GL_ARRAY_BUFFER, 3, {centre(1), centre(1), 0, centre(6), centre(1), 0, centre(6),
                                                    centre(6), 0}),
                        triangles({0, 1, 2}), {}));
    cMesh mesh;
    mesh.load("pts.obj.bin");
    EXPECT_TRUE(mesh.attributes.empty());
    gltest::ScratchTarget target(8, 8);
    clearTarget();
    glColor4f(1, 1, 1, 1);
    mesh.draw(nullptr, GL_POINTS);
    EXPECT_EQ(target.pixel(1, 1), rgba(255, 255, 255, 255));
    EXPECT_EQ(target.pixel(6, 1), rgba(255, 255, 255, 255));
    EXPECT_EQ(target.pixel(6, 6), rgba(255, 255, 255, 255));
    EXPECT_EQ(target.pixel(5, 3), rgba(0, 0, 0, 255)); // inside the triangle
    clearTarget();
    mesh.draw(nullptr, GL_TRIANGLES);
    EXPECT_EQ(target.pixel(5, 3), rgba(255, 255, 255, 255));
}

TEST_F(MeshTest, MissingFileLeavesEmptyMeshThatDrawsNothing)
{
    cMesh mesh;
    mesh.load("absent.obj.bin");
    EXPECT_FALSE(mesh.positions.hasData);
    EXPECT_FALSE(mesh.indices.hasData);
    EXPECT_TRUE(mesh.attributes.empty());
    EXPECT_NE(mesh.positions.id, mesh.indices.id);
    gltest::ScratchTarget target(8, 8);
    clearTarget();
    mesh.draw(nullptr, GL_TRIANGLES);
    mesh.draw(nullptr, GL_POINTS);
    EXPECT_EQ(target.pixel(4, 4), rgba(0, 0, 0, 255));
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}

TEST_F(MeshTest, DamagedFilesAreReadAsFarAsTheyAreWhole)
{
    const std::vector<uint8_t> whole = attributedQuad();
    const size_t positionsEnd = 24 + 48, indicesEnd = positionsEnd + 24 + 24;
    gltest::ScratchTarget target(16, 16);

    {   // cut inside the index block: positions only
        data.write("a.obj.bin", std::vector<uint8_t>(whole.begin(), whole.begin() + long(indicesEnd - 5)));
        cMesh mesh;
        mesh.load("a.obj.bin");
        EXPECT_TRUE(mesh.positions.hasData);
        EXPECT_FALSE(mesh.indices.hasData);
        clearTarget();
        mesh.draw(nullptr, GL_TRIANGLES);
        EXPECT_EQ(target.pixel(3, 8), rgba(0, 0, 0, 255));
        EXPECT_TRUE(gltest::takeGlErrors().empty());
    }
    {   // cut inside the first attribute's name: a drawable mesh without attributes
        data.write("b.obj.bin", std::vector<uint8_t>(whole.begin(), whole.begin() + long(indicesEnd + 4 + 3)));
        cMesh mesh;
        mesh.load("b.obj.bin");
        EXPECT_TRUE(mesh.indices.hasData);
        EXPECT_TRUE(mesh.attributes.empty());
        clearTarget();
        glColor4f(1, 1, 1, 1);
        mesh.draw(nullptr, GL_TRIANGLES);
        EXPECT_EQ(target.pixel(3, 8), rgba(255, 255, 255, 255));
    }
    {   // an attribute count far beyond the entries present
        data.write("c.obj.bin", meshFile(floats(GL_ARRAY_BUFFER, 3, leftHalf), triangles(twoTriangles),
                                         {{"seedHax", floats(GL_ARRAY_BUFFER, 1, {1, 1, 1, 1})}}, 0xFFFFFFFFu));
        cMesh mesh;
        mesh.load("c.obj.bin");
        EXPECT_EQ(mesh.attributes.size(), 1u);
    }
    {   // an attribute block claiming more bytes than the file holds, and one with negative sizes
        meshFileBlock huge = floats(GL_ARRAY_BUFFER, 4, {1, 2, 3, 4});
        huge.elementCount = 100000000;
        meshFileBlock negative = floats(GL_ARRAY_BUFFER, 1, {1});
        negative.elementCount = -4;
        for (const meshFileBlock& bad : {huge, negative}) {
            data.write("d.obj.bin", meshFile(floats(GL_ARRAY_BUFFER, 3, leftHalf), triangles(twoTriangles),
                                             {{"first", floats(GL_ARRAY_BUFFER, 1, {1, 1, 1, 1})}, {"bad", bad}}));
            cMesh mesh;
            mesh.load("d.obj.bin");
            EXPECT_EQ(mesh.attributes.size(), 1u);
            EXPECT_EQ(mesh.attributes.count("first"), 1u);
            EXPECT_TRUE(mesh.indices.hasData);
        }
    }
}

TEST_F(MeshTest, LayoutsGlCannotTakeAreNotFedToIt)
{
    data.write("attr.vert", attributeVert);
    data.write("colour.frag", varyingFrag);
    cShaderProgram program;
    program.load("attr.vert", "colour.frag");
    meshFileBlock sevenWide = floats(GL_ARRAY_BUFFER, 7, std::vector<float>(28, 1.0f));
    meshFileBlock flatPositions = floats(GL_ARRAY_BUFFER, 1, {0, 0, 0, 0});
    data.write("wide.obj.bin", meshFile(floats(GL_ARRAY_BUFFER, 3, leftHalf), triangles(twoTriangles),
                                        {{"seedHax", sevenWide}}));
    data.write("flat.obj.bin", meshFile(flatPositions, triangles(twoTriangles), {}));
    gltest::ScratchTarget target(16, 16);

    cMesh wide;
    wide.load("wide.obj.bin");
    ASSERT_EQ(wide.attributes.count("seedHax"), 1u);
    const GLint seed = program.getAttribLocation("seedHax");
    ASSERT_GE(seed, 0);
    glVertexAttrib1f(GLuint(seed), 1.0f);
    clearTarget();
    wide.draw(&program, GL_TRIANGLES);
    EXPECT_EQ(target.pixel(3, 8), rgba(255, 0, 0, 255)); // drawn, seedHax from the constant 1
    EXPECT_TRUE(gltest::takeGlErrors().empty());

    cMesh flat;
    flat.load("flat.obj.bin");
    clearTarget();
    flat.draw(nullptr, GL_TRIANGLES);
    flat.draw(nullptr, GL_POINTS);
    EXPECT_EQ(target.pixel(3, 8), rgba(0, 0, 0, 255));
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}

TEST_F(MeshTest, RepeatedAttributeNameKeepsTheLaterEntry)
{
    data.write("r.obj.bin", meshFile(floats(GL_ARRAY_BUFFER, 3, leftHalf), triangles(twoTriangles),
                                     {{"seedHax", floats(GL_ARRAY_BUFFER, 1, {1, 1, 1, 1})},
                                      {"seedHax", floats(GL_ARRAY_BUFFER, 2, {1, 1, 1, 1, 1, 1, 1, 1})}}));
    cMesh mesh;
    mesh.load("r.obj.bin");
    ASSERT_EQ(mesh.attributes.size(), 1u);
    EXPECT_EQ(mesh.attributes.at("seedHax").componentCount, 2);
}

TEST_F(MeshTest, BuffersFiledUnderTheWrongTargetAreNeverDrawnFromClientMemory)
{
    // With no buffer bound where the pointer calls look, GL would take offset
    // 0 as an address in client memory.
    gltest::ScratchTarget target(16, 16);
    const GLenum wrong[] = {GL_ELEMENT_ARRAY_BUFFER, GL_PIXEL_UNPACK_BUFFER, 0x1234};
    for (GLenum positionsTarget : wrong) {
        meshFileBlock positions = floats(GL_ARRAY_BUFFER, 3, leftHalf);
        positions.target = int32_t(positionsTarget);
        data.write("p.obj.bin", meshFile(positions, triangles(twoTriangles), {}));
        cMesh mesh;
        mesh.load("p.obj.bin");
        gltest::takeGlErrors();
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        clearTarget();
        glColor4f(1, 1, 1, 1);
        mesh.draw(nullptr, GL_TRIANGLES);
        mesh.draw(nullptr, GL_POINTS);
        EXPECT_EQ(target.pixel(3, 8), rgba(0, 0, 0, 255)) << positionsTarget;
        EXPECT_TRUE(gltest::takeGlErrors().empty()) << positionsTarget;
    }
    for (GLenum indicesTarget : {GLenum(GL_ARRAY_BUFFER), GLenum(GL_PIXEL_UNPACK_BUFFER)}) {
        meshFileBlock indices = triangles(twoTriangles);
        indices.target = int32_t(indicesTarget);
        data.write("i.obj.bin", meshFile(floats(GL_ARRAY_BUFFER, 3, leftHalf), indices, {}));
        cMesh mesh;
        mesh.load("i.obj.bin");
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        clearTarget();
        glColor4f(1, 1, 1, 1);
        mesh.draw(nullptr, GL_TRIANGLES);
        EXPECT_EQ(target.pixel(3, 8), rgba(0, 0, 0, 255)) << indicesTarget;
        mesh.draw(nullptr, GL_POINTS); // points need no indices
        EXPECT_TRUE(gltest::takeGlErrors().empty()) << indicesTarget;
    }
    {   // an attribute filed as element data feeds nothing
        data.write("attr.vert", attributeVert);
        data.write("colour.frag", varyingFrag);
        cShaderProgram program;
        program.load("attr.vert", "colour.frag");
        meshFileBlock seed = floats(GL_ARRAY_BUFFER, 1, {0.5f, 0.5f, 0.5f, 0.5f});
        seed.target = GL_ELEMENT_ARRAY_BUFFER;
        data.write("a.obj.bin", meshFile(floats(GL_ARRAY_BUFFER, 3, leftHalf), triangles(twoTriangles),
                                         {{"seedHax", seed}}));
        cMesh mesh;
        mesh.load("a.obj.bin");
        const GLint location = program.getAttribLocation("seedHax");
        ASSERT_GE(location, 0);
        glVertexAttrib1f(GLuint(location), 1.0f);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        clearTarget();
        mesh.draw(&program, GL_TRIANGLES);
        EXPECT_EQ(target.pixel(3, 8), rgba(255, 0, 0, 255)); // seedHax from the constant 1
        EXPECT_TRUE(gltest::takeGlErrors().empty());
    }
}

TEST_F(MeshTest, DrawsNeverReadPastTheirBuffers)
{
    // Blocks whose bytes per component are fewer than their type needs: GL,
    // reading by the type, would run past the end of the buffer.
    gltest::ScratchTarget target(16, 16);
    meshFileBlock narrowIndices = triangles(twoTriangles);
    narrowIndices.bytesPerComponent = 1;
    narrowIndices.contents = {0, 1, 2, 0, 2, 3};
    meshFileBlock narrowPositions = floats(GL_ARRAY_BUFFER, 3, leftHalf);
    narrowPositions.bytesPerComponent = 1;
    narrowPositions.contents.resize(12);
    // No bytes at all behind a million points: every fetch would land at the
    // origin, in the middle of the target.
    meshFileBlock phantom = floats(GL_ARRAY_BUFFER, 3, {});
    phantom.bytesPerComponent = 0;
    phantom.elementCount = 1 << 20;
    data.write("ni.obj.bin", meshFile(floats(GL_ARRAY_BUFFER, 3, leftHalf), narrowIndices, {}));
    data.write("np.obj.bin", meshFile(narrowPositions, triangles(twoTriangles), {}));
    data.write("ph.obj.bin", meshFile(phantom, triangles(twoTriangles), {}));
    glColor4f(1, 1, 1, 1);
    glPointSize(4);
    for (const char* name : {"ni.obj.bin", "np.obj.bin", "ph.obj.bin"}) {
        cMesh mesh;
        mesh.load(name);
        ASSERT_TRUE(mesh.indices.hasData) << name;
        clearTarget();
        mesh.draw(nullptr, GL_TRIANGLES);
        EXPECT_EQ(target.pixel(3, 8), rgba(0, 0, 0, 255)) << name;
        if (std::string(name) != "ni.obj.bin") {
            mesh.draw(nullptr, GL_POINTS);
            EXPECT_EQ(target.pixel(8, 8), rgba(0, 0, 0, 255)) << name;
        }
        EXPECT_TRUE(gltest::takeGlErrors().empty()) << name;
    }
    glPointSize(1);

    {   // an attribute narrower than its type feeds nothing; the mesh still draws
        data.write("attr.vert", attributeVert);
        data.write("colour.frag", varyingFrag);
        cShaderProgram program;
        program.load("attr.vert", "colour.frag");
        meshFileBlock seed = floats(GL_ARRAY_BUFFER, 1, {});
        seed.bytesPerComponent = 1;
        seed.elementCount = 4;
        seed.contents = {0, 0, 0, 0};
        data.write("na.obj.bin", meshFile(floats(GL_ARRAY_BUFFER, 3, leftHalf), triangles(twoTriangles),
                                          {{"seedHax", seed}}));
        cMesh mesh;
        mesh.load("na.obj.bin");
        ASSERT_EQ(mesh.attributes.count("seedHax"), 1u);
        const GLint location = program.getAttribLocation("seedHax");
        ASSERT_GE(location, 0);
        glVertexAttrib1f(GLuint(location), 1.0f);
        clearTarget();
        mesh.draw(&program, GL_TRIANGLES);
        EXPECT_EQ(target.pixel(3, 8), rgba(255, 0, 0, 255));
        EXPECT_TRUE(gltest::takeGlErrors().empty());
    }
}
