// The glow's blur chain: the order of its passes, and what the passes do to
// a single bright texel in a real GL context.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "strobewerk/scenes/BlurChain.h"
#include "strobewerk/scenes/SceneResources.h"
#include "tests/glsupport/GlTestSupport.h"
#include "tests/scenes/SceneTestFiles.h"
#include "vorn/DirectFrameBuffer.h"
#include "vorn/Mesh.h"
#include "vorn/OffscreenFrameBuffer.h"
#include "vorn/ShaderProgram.h"
#include "vorn/Texture.h"

namespace {

TEST(BlurPassPlan, RoundsExtraPassesUpToEvenAndEndsHorizontallyInA)
{
    const std::vector<std::pair<unsigned, size_t>> counts = {{0, 1}, {1, 3}, {2, 3}, {3, 5}, {4, 5}, {7, 9}};
    for (const auto& [passes, expected] : counts) {
        const std::vector<sBlurPass> plan = blurPassPlan(passes);
        ASSERT_EQ(plan.size(), expected) << passes << " passes";
        EXPECT_EQ(plan.front().input, sBlurPass::sourceTexture);
        EXPECT_FALSE(plan.back().vertical);
        EXPECT_FALSE(plan.back().intoB);
        for (size_t i = 1; i < plan.size(); ++i) {
            // Alternating, each pass reading what the one before wrote.
            EXPECT_NE(plan[i].vertical, plan[i - 1].vertical);
            EXPECT_EQ(plan[i].input, plan[i - 1].intoB ? sBlurPass::targetB : sBlurPass::targetA);
            EXPECT_EQ(plan[i].intoB, plan[i].vertical);
        }
    }
}

using scenetest::readFile;
using scenetest::repositoryData;

constexpr int side = 256;
constexpr int centre = 128;

class BlurChainGlTest : public gltest::GlTest {
protected:
    void SetUp() override
    {
        gltest::GlTest::SetUp();
        for (const char* name : {"overlayShade.vert", "horblur.frag", "postprocBlurh.frag", "verblur.frag",
                                 "postprocBlurv.frag"})
            folder.write(name, readFile(repositoryData(name)));
        if (!quadMesh)
            quadMesh = makeQuadMesh();
        setUpBlurChain(side, side);

        // A black source with one white texel in the middle.
        std::vector<uint8_t> pixels(side * side * 4, 0);
        for (int c = 0; c < 4; ++c)
            pixels[(centre * side + centre) * 4 + c] = 255;
        source = new vorn::cTexture(true);
        source->setImage(GL_TEXTURE_2D, 0, GL_RGBA, side, side, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        source->setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        source->setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }

    // Red channel of every texel of a texture, rows bottom first.
    static std::vector<int> redOf(vorn::cTexture* texture)
    {
        std::vector<uint8_t> pixels(side * side * 4);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture->getId());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        std::vector<int> red(side * side);
        for (int i = 0; i < side * side; ++i)
            red[i] = pixels[i * 4];
        return red;
    }

    static int at(const std::vector<int>& red, int x, int y) { return red[y * side + x]; }

    gltest::TempDataFolder folder;
    vorn::cTexture* source = nullptr;
};

TEST_F(BlurChainGlTest, ProgramsBuildAndTheTargetIsComplete)
{
    gltest::ConsoleCapture console;
    setUpBlurChain(side, side);
    EXPECT_EQ(console.text(), "");
    EXPECT_TRUE(blurFrameBuffer->checkStatus());
    EXPECT_NE(horBlurProgram->program, vorn::cShaderProgram::none);
    EXPECT_NE(verBlurProgram->program, vorn::cShaderProgram::none);
    EXPECT_EQ(blurTargetA->getWidth(), side);
    EXPECT_EQ(blurFrameBuffer->getAttachedTextures().size(), 2u);
}

TEST_F(BlurChainGlTest, NoExtraPassesBlursAlongXOnly)
{
    blurTexture(source, 0);
    const std::vector<int> a = redOf(blurTargetA);
    EXPECT_GT(at(a, centre, centre), at(a, centre + 2, centre));
    EXPECT_GT(at(a, centre + 2, centre), 0);
    EXPECT_GT(at(a, centre - 3, centre), 0);
    EXPECT_EQ(at(a, centre, centre + 1), 0);
    EXPECT_EQ(at(a, centre, centre - 2), 0);
    EXPECT_EQ(at(a, centre + 8, centre), 0);
}

TEST_F(BlurChainGlTest, FourExtraPassesSpreadBothWaysIntoTargetA)
{
    blurTexture(source, 4);
    const std::vector<int> a = redOf(blurTargetA);
    EXPECT_LT(at(a, centre, centre), 80);
    EXPECT_GT(at(a, centre + 3, centre), 0);
    EXPECT_GT(at(a, centre, centre + 3), 0);
    EXPECT_GT(at(a, centre + 2, centre - 2), 0);
    EXPECT_EQ(at(a, centre + 40, centre), 0);
}

TEST_F(BlurChainGlTest, TargetBEndsOneHorizontalPassShortOfTheResult)
{
    // A white column: vertical passes leave it as it is, so the profile
    // across it shows how many horizontal passes each target has seen.
    std::vector<uint8_t> pixels(side * side * 4, 0);
    for (int y = 0; y < side; ++y)
        for (int c = 0; c < 4; ++c)
            pixels[(y * side + centre) * 4 + c] = 255;
    source->setImage(GL_TEXTURE_2D, 0, GL_RGBA, side, side, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    blurTexture(source, 4);
    const std::vector<int> a = redOf(blurTargetA);
    const std::vector<int> b = redOf(blurTargetB);
    // Three horizontal passes in A, two in B: A is lower and wider.
    EXPECT_GT(at(b, centre, centre), at(a, centre, centre) + 4);
    EXPECT_GT(at(a, centre + 5, centre), at(b, centre + 5, centre));
}

TEST_F(BlurChainGlTest, SameResultWithTheFramesBlendingAndDepthStateLeftOn)
{
    blurTexture(source, 4);
    const std::vector<int> plain = redOf(blurTargetA);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    blurTexture(source, 4);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    const std::vector<int> blended = redOf(blurTargetA);
    for (int d = 0; d < 6; ++d) {
        EXPECT_NEAR(at(blended, centre + d, centre), at(plain, centre + d, centre), 1) << d;
        EXPECT_NEAR(at(blended, centre, centre + d), at(plain, centre, centre + d), 1) << d;
    }
}

TEST_F(BlurChainGlTest, ReturnsToTheWindowTargetAndItsViewport)
{
    vorn::cDirectFrameBuffer window(gltest::windowWidth - 10, gltest::windowHeight - 20, GL_COLOR_BUFFER_BIT);
    window.begin();
    blurTexture(source, 4);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    window.end();
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(viewport[2], gltest::windowWidth - 10);
    EXPECT_EQ(viewport[3], gltest::windowHeight - 20);
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}

} // namespace
