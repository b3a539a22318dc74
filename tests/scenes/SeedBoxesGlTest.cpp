// The seed-boxes layer: building the 100-copy cloud from the template box,
// and drawing it only once its cue has fired.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "strobewerk/scenes/SceneResources.h"
#include "strobewerk/scenes/SeedBoxes.h"
#include "vorn/Mat4f.h"
#include "tests/glsupport/GlTestSupport.h"
#include "tests/scenes/SceneTestFiles.h"
#include "vorn/Mesh.h"
#include "vorn/MeshData.h"
#include "vorn/ShaderProgram.h"
#include "vorn/Texture.h"

using vorn::vec3f;

namespace {

// A cube of half-size h: 8 corners, 12 triangles, a "normal" per corner.
vorn::cMeshData cube(float h)
{
    vorn::cMeshData box;
    for (int i = 0; i < 8; ++i)
        box.positions.push_back(vec3f(i & 1 ? h : -h, i & 2 ? h : -h, i & 4 ? h : -h));
    box.triangles = {{0, 1, 3}, {0, 3, 2}, {4, 6, 7}, {4, 7, 5}, {0, 4, 5}, {0, 5, 1},
                     {2, 3, 7}, {2, 7, 6}, {0, 2, 6}, {0, 6, 4}, {1, 5, 7}, {1, 7, 3}};
    for (const vec3f& p : box.positions)
        box.vec3Attributes["normal"].push_back(vorn::normalize(p));
    return box;
}

TEST(SeedCloud, HundredCopiesOfTheTemplateEachWithItsOwnSeed)
{
    const vorn::cMeshData box = cube(1.0f);
    std::srand(11);
    const std::vector<sSeedCopy> plan = planSeedCopies([] { return std::rand(); });
    const vorn::cMeshData cloud = buildSeedCloud(box, plan);

    ASSERT_EQ(cloud.positions.size(), 800u);
    ASSERT_EQ(cloud.triangles.size(), 1200u);
    ASSERT_EQ(cloud.floatAttributes.count("seedHax"), 1u);
    const std::vector<float>& seeds = cloud.floatAttributes.at("seedHax");
    ASSERT_EQ(seeds.size(), 800u);
    // The template's own attributes come along for every copy.
    EXPECT_EQ(cloud.vec3Attributes.at("normal").size(), 800u);
    for (size_t k = 0; k < plan.size(); ++k) {
        for (size_t v = 0; v < 8; ++v) {
            ASSERT_EQ(seeds[k * 8 + v], plan[k].seed) << "copy " << k;
            const vec3f expected = box.positions[v] * plan[k].scale + plan[k].offset;
            ASSERT_EQ(cloud.positions[k * 8 + v], expected) << "copy " << k;
        }
        for (size_t t = 0; t < 12; ++t)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(cloud.triangles[k * 12 + t][c], box.triangles[t][c] + 8 * k);
    }
}

TEST(SeedCloud, TrianglesNamingVerticesTheTemplateLacksAreLeftOut)
{
    // A damaged template: two triangles name vertices past its eight.
    vorn::cMeshData box = cube(1.0f);
    box.triangles.push_back({0, 1, 8});
    box.triangles.push_back({4000000000u, 2, 3});
    std::srand(5);
    const vorn::cMeshData cloud = buildSeedCloud(box, planSeedCopies([] { return std::rand(); }));
    ASSERT_EQ(cloud.positions.size(), 800u);
    ASSERT_EQ(cloud.triangles.size(), 1200u);
    // Every triangle stays inside its own copy's eight vertices.
    for (size_t i = 0; i < cloud.triangles.size(); ++i) {
        const uint32_t first = uint32_t(i / 12) * 8;
        for (uint32_t v : cloud.triangles[i]) {
            ASSERT_GE(v, first) << "triangle " << i;
            ASSERT_LT(v, first + 8) << "triangle " << i;
        }
    }
}

using scenetest::readFile;
using scenetest::repositoryData;

// The mesh file of a template: positions and triangles, no attributes.
std::string meshFile(const vorn::cMeshData& data)
{
    std::string bytes;
    auto put = [&bytes](const void* p, size_t n) { bytes.append(static_cast<const char*>(p), n); };
    auto block = [&](int32_t target, int32_t count, int32_t type, const void* contents) {
        const int32_t header[6] = {GL_STATIC_DRAW, target, 4, count, 3, type};
        put(header, sizeof header);
        put(contents, size_t(count) * 12);
    };
    block(GL_ARRAY_BUFFER, int32_t(data.positions.size()), GL_FLOAT, data.positions.data());
    block(GL_ELEMENT_ARRAY_BUFFER, int32_t(data.triangles.size()), GL_UNSIGNED_INT, data.triangles.data());
    const uint32_t attributes = 0;
    put(&attributes, 4);
    return bytes;
}

vorn::cTexture* whiteTexture()
{
    const std::vector<uint8_t> white(4 * 4 * 4, 255);
    auto* texture = new vorn::cTexture(true);
    texture->setImage(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, white.data());
    texture->setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    texture->setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    return texture;
}

class SeedBoxesGlTest : public gltest::GlTest {
protected:
    void SetUp() override
    {
        gltest::GlTest::SetUp();
        folder.write("box2.vert", readFile(repositoryData("box2.vert")));
        folder.write("box2.frag", readFile(repositoryData("box2.frag")));
        gltest::ConsoleCapture console;
        box2Program = new vorn::cShaderProgram();
        box2Program->load("box2.vert", "box2.frag");
        ASSERT_EQ(console.text(), "");
        colorschemeTexture = whiteTexture();
        on.seedBoxesOn = true;
    }

    // Draws one frame of the layer in `state` at song time t into a
    // 128 x 128 target through a camera 400 units out, and counts the
    // pixels it lit.
    int drawFrame(const sSeedBoxesState& state, float t = 0.0f)
    {
        gltest::ScratchTarget target(128, 128);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(90.0, 1.0, 0.01, 20000.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(0.0f, 0.0f, -400.0f);
        drawSeedBoxes(state, t);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
        int lit = 0;
        for (const gltest::rgba& c : gltest::readPixels(0, 0, 128, 128))
            lit += (c.r | c.g | c.b) != 0;
        return lit;
    }

    static GLint boundTexture()
    {
        GLint bound = -1;
        glActiveTexture(GL_TEXTURE0);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        return bound;
    }

    gltest::TempDataFolder folder;
    // The layer once cued.
    sSeedBoxesState on;
};

TEST_F(SeedBoxesGlTest, MeshHoldsAHundredTemplatesWithOneSeedPerCopy)
{
    folder.write("aBox.obj.bin", readFile(repositoryData("aBox.obj.bin")));
    vorn::cMesh box;
    box.load("aBox.obj.bin");
    const int templateVertices = box.positions.elementCount;
    ASSERT_GT(templateVertices, 0) << "the repository's template box did not load";

    buildSeedBoxesMesh();
    ASSERT_NE(seedBoxesMesh, nullptr);
    EXPECT_EQ(seedBoxesMesh->positions.elementCount, 100 * templateVertices);
    EXPECT_EQ(seedBoxesMesh->indices.elementCount, 100 * box.indices.elementCount);
    ASSERT_EQ(seedBoxesMesh->attributes.count("seedHax"), 1u);
    EXPECT_EQ(seedBoxesMesh->attributes.at("seedHax").componentCount, 1);

    vorn::cMeshData back;
    back.readBack(*seedBoxesMesh);
    const std::vector<float>& seeds = back.floatAttributes["seedHax"];
    ASSERT_EQ(seeds.size(), size_t(100 * templateVertices));
    for (int k = 0; k < 100; ++k)
        for (int v = 1; v < templateVertices; ++v)
            ASSERT_EQ(seeds[k * templateVertices + v], seeds[k * templateVertices]) << "copy " << k;
}

TEST_F(SeedBoxesGlTest, ATemplateMissingEmptyOrNotAMeshIsToldAndGivesAnEmptyCloud)
{
    const struct {
        const char* contents; // nullptr: no file
        const char* line;
    } cases[] = {
        {nullptr, "aBox.obj.bin: cannot be opened (missing or unreadable), no seed boxes"},
        {"", "aBox.obj.bin: is empty, no seed boxes"},
        {"# an OBJ text, not a baked mesh\nv 0 0 0\n",
         "aBox.obj.bin: is not a mesh (no vertices and triangles could be read from it), no seed boxes"},
    };
    for (const auto& c : cases) {
        if (c.contents != nullptr)
            folder.write("aBox.obj.bin", c.contents);
        gltest::ConsoleCapture console;
        buildSeedBoxesMesh();
        ASSERT_NE(seedBoxesMesh, nullptr);
        EXPECT_EQ(seedBoxesMesh->positions.elementCount, 0);
        EXPECT_EQ(console.lines(), std::vector<std::string>{c.line});
        EXPECT_EQ(drawFrame(on), 0);
    }
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}

TEST_F(SeedBoxesGlTest, TemplateAboveTheLimitIsReportedAndLeavesTheCloudEmpty)
{
    // One vertex more than the cloud takes: 100 copies of a big template
    // would take memory out of all proportion to the file.
    vorn::cMeshData big;
    big.positions.assign(size_t(seedTemplateMaxVertices) + 1, vec3f(1.0f, 2.0f, 3.0f));
    big.triangles = {{0, 1, 2}};
    folder.write("aBox.obj.bin", meshFile(big));
    gltest::ConsoleCapture console;
    buildSeedBoxesMesh();
    ASSERT_NE(seedBoxesMesh, nullptr);
    EXPECT_EQ(seedBoxesMesh->positions.elementCount, 0);
    EXPECT_EQ(console.lines(), (std::vector<std::string>{
                                   "aBox.obj.bin: 65537 vertices, the seed-box template takes at most 65536, "
                                   "no seed boxes"}));
    EXPECT_EQ(drawFrame(on), 0);

    // At the limit the cloud is built: 100 copies.
    big.positions.pop_back();
    folder.write("aBox.obj.bin", meshFile(big));
    gltest::ConsoleCapture quiet;
    buildSeedBoxesMesh();
    EXPECT_EQ(seedBoxesMesh->positions.elementCount, 100 * seedTemplateMaxVertices);
    EXPECT_EQ(quiet.text(), "");
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}

TEST_F(SeedBoxesGlTest, DrawsAndBindsNothingUntilSwitchedOn)
{
    folder.write("aBox.obj.bin", meshFile(cube(12.0f)));
    buildSeedBoxesMesh();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(drawFrame(sSeedBoxesState()), 0);
    EXPECT_EQ(boundTexture(), 0);

    EXPECT_GT(drawFrame(on), 50);
    EXPECT_EQ(boundTexture(), GLint(colorschemeTexture->getId()));
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}

TEST_F(SeedBoxesGlTest, KickReachesTheProgramAsPowahAndTheMatrixIsLeftAsFound)
{
    folder.write("aBox.obj.bin", meshFile(cube(12.0f)));
    buildSeedBoxesMesh();
    sSeedBoxesState kicked;
    advanceSeedBoxes(kicked, true, 2000.0f, 16.0f);
    advanceSeedBoxes(kicked, false, 2016.0f, 16.0f);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1.0f, 2.0f, -400.0f);
    drawSeedBoxes(kicked, 2016.0f);
    vorn::mat4f after;
    glGetFloatv(GL_MODELVIEW_MATRIX, after.data());
    EXPECT_EQ(after, vorn::mat4f::translation({1.0f, 2.0f, -400.0f}));

    // Read back from the program itself: a uniform set under another name
    // would leave these at 0.
    GLfloat anim = 0.0f, powah = 0.0f;
    glGetUniformfv(box2Program->program, box2Program->getUniformLocation("anim"), &anim);
    glGetUniformfv(box2Program->program, box2Program->getUniformLocation("powah"), &powah);
    EXPECT_FLOAT_EQ(anim, 2.0f);
    EXPECT_FLOAT_EQ(powah, (kicked.seedPower + 0.3f) * (std::sin(2.016f) * 1.4f + 1.4f));
    EXPECT_GT(powah, 10.0f);
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}

} // namespace
