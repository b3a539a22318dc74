// The metaball layer drawn in a real GL context: where a blob lands, how
// far it reaches, how blobs add up, and what the layer leaves behind.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "strobewerk/FrameState.h"
#include "strobewerk/scenes/SceneState.h"
#include "strobewerk/scenes/Metaballs.h"
#include "strobewerk/scenes/SceneResources.h"
#include "tests/glsupport/GlTestSupport.h"
#include "tests/scenes/SceneTestFiles.h"
#include "vorn/Mesh.h"
#include "vorn/ShaderProgram.h"
#include "vorn/Texture.h"

namespace {

using scenetest::readFile;
using scenetest::repositoryData;

vorn::cTexture* makeTexture(int width, int height, const std::vector<uint8_t>* pixels)
{
    auto* texture = new vorn::cTexture(true);
    texture->setImage(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                      pixels ? pixels->data() : nullptr);
    texture->setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    texture->setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    return texture;
}

sParticle blob(float x, float y, int32_t life, int32_t maxLife)
{
    sParticle p;
    p.position = vorn::vec2f(x, y);
    p.life = life;
    p.maxLife = maxLife;
    return p;
}

class MetaballsGlTest : public gltest::GlTest {
protected:
    void SetUp() override
    {
        gltest::GlTest::SetUp();
        width = gltest::windowWidth;
        height = gltest::windowHeight;
        folder.write("metaball2.vert", readFile(repositoryData("metaball2.vert")));
        folder.write("metaball2.frag", readFile(repositoryData("metaball2.frag")));
        gltest::ConsoleCapture console;
        metaballProgram = new vorn::cShaderProgram();
        metaballProgram->load("metaball2.vert", "metaball2.frag");
        ASSERT_EQ(console.text(), "");
        const std::vector<uint8_t> white(4 * 4 * 4, 255);
        grad2Texture = makeTexture(4, 4, &white);
        metaballCopy = makeTexture(width, height, nullptr);
        if (!quadMesh)
            quadMesh = makeQuadMesh();
    }

    // Red channel of the field at window pixel (x, y), rows bottom first
    // (the field holds fewer texels than the window has pixels).
    int field(int x, int y) const
    {
        const int fx = x * fieldWidth / width, fy = y * fieldHeight / height;
        return copy[(size_t(fy) * size_t(fieldWidth) + size_t(fx)) * 4];
    }

    // Draws the particles of `state` as a step of 0 ms leaves them (their
    // sizes from the clock), then reads the field back.
    void drawAndRead()
    {
        const RandomSource none = [] { return 0; };
        for (size_t i = 0; i < state.particles.size(); ++i)
            updateParticle(state.particles[i], static_cast<int>(i), 0, state.metaballClock, none);
        drawMetaballs(state);
        fieldWidth = metaballCopy->getWidth();
        fieldHeight = metaballCopy->getHeight();
        copy.assign(size_t(fieldWidth) * size_t(fieldHeight) * 4, 0);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, metaballCopy->getId());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, copy.data());
    }

    int litPixels() const
    {
        int lit = 0;
        for (size_t i = 0; i < copy.size(); i += 4)
            lit += copy[i] > 0;
        return lit;
    }

    gltest::TempDataFolder folder;
    sSceneState state;
    int width = 0;
    int height = 0;
    int fieldWidth = 0;
    int fieldHeight = 0;
    std::vector<uint8_t> copy;
};

TEST_F(MetaballsGlTest, FirstFrameHasNoFieldAndLeavesTheWindowAloneWithBlendAndDepthOff)
{
    setUpParticles();
    state = initialSceneState();
    ASSERT_EQ(state.particles.size(), 169u);
    glEnable(GL_DEPTH_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    drawAndRead();
    EXPECT_EQ(litPixels(), 0);
    // The field has its own, smaller target and the window's viewport is
    // back in place.
    EXPECT_EQ(fieldWidth, metaballFieldSize(width));
    EXPECT_EQ(fieldHeight, metaballFieldSize(height));
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], width);
    EXPECT_EQ(viewport[3], height);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}

TEST_F(MetaballsGlTest, BlobSitsAroundItsPositionAndReachesAsFarAsItsSize)
{
    const int cx = width / 2, cy = height / 2;
    state.particles = {blob(0.0f, 0.0f, 500, 1000)};
    glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    drawAndRead();
    EXPECT_EQ(state.particles[0].size, 0.2f);
    // A lone blob at full strength peaks at half brightness.
    EXPECT_NEAR(field(cx, cy), 128, 3);
    // The window itself is not drawn to.
    EXPECT_NEAR(gltest::readPixel(cx, cy).r, 51, 1);
    EXPECT_GT(field(cx + width / 8, cy), 0);
    // 0.2 reaches 0.32 of the half width: nothing beyond.
    EXPECT_EQ(field(cx + width * 18 / 100, cy), 0);
    EXPECT_EQ(field(cx, cy + height * 18 / 100), 0);
    EXPECT_EQ(field(cx - width * 18 / 100, cy), 0);
    const int smallLit = litPixels();

    // At the top of the pulse (size 0.31) the same blob reaches further.
    state.metaballClock = 3.14159265f / 2.0f / 3.1f;
    drawAndRead();
    EXPECT_NEAR(state.particles[0].size, 0.31f, 1e-4f);
    EXPECT_GT(field(cx + width * 18 / 100, cy), 0);
    EXPECT_GT(litPixels(), smallLit * 2);
}

TEST_F(MetaballsGlTest, BlobFollowsItsPositionAndFadesWithStrength)
{
    state.particles = {blob(-0.5f, 0.5f, 750, 1000)};
    drawAndRead();
    const int x = width / 4, y = height * 3 / 4;
    EXPECT_NEAR(field(x, y), 64, 3);
    EXPECT_EQ(field(width / 2, height / 2), 0);
}

TEST_F(MetaballsGlTest, OverlappingBlobsAddUpIntoOneField)
{
    const int cx = width / 2, cy = height / 2;
    const sParticle left = blob(-0.1f, 0.0f, 125, 1000);
    const sParticle right = blob(0.1f, 0.0f, 125, 1000);
    state.particles = {left};
    drawAndRead();
    const int leftAlone = field(cx, cy);
    // Same index as in the pair (the size pulse depends on it), next to a
    // blob of no strength.
    state.particles = {blob(0.9f, 0.9f, 1000, 1000), right};
    drawAndRead();
    const int rightAlone = field(cx, cy);
    state.particles = {left, right};
    drawAndRead();
    ASSERT_GT(leftAlone, 10);
    EXPECT_NEAR(field(cx, cy), leftAlone + rightAlone, 2);
}

} // namespace
