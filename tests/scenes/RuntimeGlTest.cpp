// The frame state's matrix helpers, the live window's flags and inputs.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <SDL.h>

#include "strobewerk/FrameState.h"
#include "strobewerk/live/Input.h"
#include "strobewerk/live/LivePlay.h"
#include "strobewerk/show/Show.h"
#include "tests/glsupport/GlTestSupport.h"

namespace {

vorn::mat4f currentMatrix(GLenum which)
{
    vorn::mat4f m;
    glGetFloatv(which, m.data());
    return m;
}

GLint currentMatrixMode()
{
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    return mode;
}

void expectMatrixNear(const vorn::mat4f& a, const vorn::mat4f& b)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.m[i], b.m[i], 1e-4f * (1.0f + std::fabs(b.m[i]))) << "element " << i;
}

class RuntimeGl : public gltest::GlTest {};

} // namespace

TEST_F(RuntimeGl, MakePerspectiveFillsTheMatrixAndLeavesGlAsItWas)
{
    glMatrixMode(GL_PROJECTION);
    const vorn::mat4f marker = vorn::mat4f::translation({3, 4, 5});
    glLoadMatrixf(marker.data());
    glMatrixMode(GL_MODELVIEW);

    vorn::mat4f m;
    makePerspective(m, 90.0f, 1.0f, 0.01f, 20000.0f);
    // 90 degrees: cot(45) = 1 on both axes at aspect 1.
    EXPECT_NEAR(m(0, 0), 1.0f, 1e-5f);
    EXPECT_NEAR(m(1, 1), 1.0f, 1e-5f);
    EXPECT_NEAR(m(2, 2), (20000.0f + 0.01f) / (0.01f - 20000.0f), 1e-5f);
    EXPECT_NEAR(m(2, 3), 2.0f * 20000.0f * 0.01f / (0.01f - 20000.0f), 1e-5f);
    EXPECT_EQ(m(3, 2), -1.0f);
    EXPECT_EQ(m(3, 3), 0.0f);

    makePerspective(m, 60.0f, 2.0f, 1.0f, 100.0f);
    EXPECT_NEAR(m(1, 1), 1.0f / std::tan(30.0f * 3.14159265f / 180.0f), 1e-4f);
    EXPECT_NEAR(m(0, 0), m(1, 1) / 2.0f, 1e-4f);

    EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
    expectMatrixNear(currentMatrix(GL_PROJECTION_MATRIX), marker);
}

TEST_F(RuntimeGl, LoadCameraMultipliesTheViewAndReplacesTheProjection)
{
    const vorn::mat4f before = vorn::mat4f::translation({1, 2, 3});
    const vorn::mat4f view = vorn::mat4f::rotation(0.5f, {0, 1, 0}) * vorn::mat4f::translation({0, 0, -400});
    vorn::mat4f projection;
    makePerspective(projection, 90.0f, 1.0f, 0.01f, 20000.0f);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(vorn::mat4f::scaling({7, 7, 7}).data());
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(before.data());

    loadCamera(view, projection);
    expectMatrixNear(currentMatrix(GL_MODELVIEW_MATRIX), before * view);
    expectMatrixNear(currentMatrix(GL_PROJECTION_MATRIX), projection);
    EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
}

TEST_F(RuntimeGl, ResizeKeepsTheSquareProjectionWhateverTheWindowShape)
{
    onResize(1600, 900);
    const vorn::mat4f wide = projectionMatrix;
    onResize(300, 900);
    EXPECT_EQ(windowWidth, 300);
    EXPECT_EQ(windowHeight, 900);
    expectMatrixNear(projectionMatrix, wide);
    EXPECT_FLOAT_EQ(projectionMatrix(0, 0), projectionMatrix(1, 1));
    EXPECT_EQ(currentMatrixMode(), GL_MODELVIEW);
    onResize(gltest::windowWidth, gltest::windowHeight);
}

TEST(WindowFlags, FullscreenAndCapabilities)
{
    EXPECT_EQ(videoModeFlags(false, nullptr), 0x20000017u);
    EXPECT_EQ(videoModeFlags(true, nullptr), 0xA0000017u);
    SDL_VideoInfo info{};
    info.hw_available = 1;
    EXPECT_EQ(videoModeFlags(false, &info), 0x20000017u);
    info.blit_hw = 1;
    EXPECT_EQ(videoModeFlags(false, &info), 0x20000117u);
    EXPECT_EQ(videoModeFlags(true, &info), 0xA0000117u);
}

TEST(Inputs, KeysReadFromTheFrameCopy)
{
    currentKeys.assign(SDLK_LAST, 0);
    EXPECT_FALSE(isKeyDown(SDLK_ESCAPE));
    currentKeys[SDLK_ESCAPE] = 1;
    EXPECT_TRUE(isKeyDown(27));
    // A copy shorter than the key code reads released.
    currentKeys.assign(10, 1);
    EXPECT_FALSE(isKeyDown(SDLK_ESCAPE));
    currentKeys.clear();
}

TEST(Inputs, JoystickReachesTheShowAsReadAndMissingReadsNeutral)
{
    joystickState.buttons[9] = 1;
    joystickState.buttons[31] = 1;
    joystickState.axes[2] = -20000;
    joystickState.axes[5] = 123; // beyond the axes the show reads
    joystickState.hat = SDL_HAT_UP;
    const sSceneInput input = sceneInputOf(joystickState);
    EXPECT_EQ(input.buttons, (1u << 9) | (1u << 31));
    EXPECT_TRUE(input.button(9));
    EXPECT_FALSE(input.button(32));
    EXPECT_EQ(input.axis(2), -20000);
    EXPECT_EQ(input.axis(5), 0);
    EXPECT_EQ(input.hat, SDL_HAT_UP);
    readJoystick(nullptr);
    EXPECT_EQ(sceneInputOf(joystickState), sSceneInput{});
}
