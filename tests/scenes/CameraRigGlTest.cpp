// The live camera rig: which joystick axes and which notes of track 3 move
// it, and the camera it loads into GL.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <string>

#include "strobewerk/Input.h"
#include "strobewerk/NoteList.h"
#include "strobewerk/Runtime.h"
#include "strobewerk/scenes/CameraRig.h"
#include "tests/glsupport/GlTestSupport.h"

namespace {

class CameraRigGlTest : public gltest::GlTest {
protected:
    void SetUp() override
    {
        gltest::GlTest::SetUp();
        reset();
    }

    void TearDown() override { reset(); }

    void reset()
    {
        cameraRig = sCameraRigState();
        joystickState = sJoystickState();
        noteList = cNoteList();
        songTime = 0;
        frameDelta = 16;
    }

    // Track 3 of a note list holding `notes` (one note line each).
    void loadTrackThree(const std::string& notes, int count)
    {
        folder.write("rig.txt", "4\n0\n0\n0\n" + std::to_string(count) + "\n" + notes);
        noteList.load(folder.root() + "/data/rig.txt");
    }

    // One camera step at song time t.
    vorn::vec3f stepAt(int32_t t)
    {
        songTime = t;
        noteList.update(t);
        return runCameraRig();
    }

    gltest::TempDataFolder folder;
};

TEST_F(CameraRigGlTest, HitsOfPitchOneAndTwoDollyInAndOut)
{
    // (3, 1, held) and (3, 2, held) are not dolly cues; the hits are.
    loadTrackThree("hn 0 500 2\nn 1000 1\nn 3000 2\n", 3);
    stepAt(100);
    EXPECT_EQ(cameraRig.dollyPhase, -1.0f);
    stepAt(1000);
    EXPECT_EQ(cameraRig.dollyDirection, 1.0f);
    EXPECT_GT(cameraRig.dollyPhase, 0.0f);
    for (int32_t t = 1016; t < 2500; t += 16)
        stepAt(t);
    EXPECT_EQ(cameraRig.cameraDistance, -200.0f);
    stepAt(3000);
    EXPECT_EQ(cameraRig.dollyDirection, -1.0f);
    EXPECT_GT(cameraRig.dollyPhase, 0.0f);
}

TEST_F(CameraRigGlTest, JoystickAxisTwoDolliesAndAxesZeroAndOneTurn)
{
    joystickState.axes[2] = -20000;
    stepAt(16);
    EXPECT_EQ(cameraRig.dollyDirection, 1.0f);
    EXPECT_GT(cameraRig.dollyPhase, 0.0f);

    joystickState.axes[2] = 0;
    joystickState.axes[0] = 30000;
    stepAt(32);
    EXPECT_GT(cameraRig.turnAngle.x, 0.0f);
    EXPECT_EQ(cameraRig.turnAngle.y, 0.0f);

    cameraRig = sCameraRigState();
    joystickState.axes[0] = 0;
    joystickState.axes[1] = -30000;
    stepAt(48);
    EXPECT_LT(cameraRig.turnAngle.y, 0.0f);
    EXPECT_EQ(cameraRig.turnAngle.x, 0.0f);
}

TEST_F(CameraRigGlTest, HeldPitchZeroTurnsAboutTheSideAndPitchOneAboutTheUpAxis)
{
    loadTrackThree("hn 0 500 0\nhn 1000 1500 1\n", 2);
    stepAt(100);
    EXPECT_GT(cameraRig.turnAngle.y, 0.0f);
    EXPECT_EQ(cameraRig.turnAngle.x, 0.0f);

    stepAt(700); // the ended note stays active for this one update
    cameraRig = sCameraRigState();
    stepAt(1100);
    EXPECT_GT(cameraRig.turnAngle.x, 0.0f);
    EXPECT_EQ(cameraRig.turnAngle.y, 0.0f);
    EXPECT_EQ(cameraRig.dollyPhase, -1.0f); // a held note is no dolly cue
}

TEST_F(CameraRigGlTest, LoadsTheViewOntoTheModelviewAndTheProjection)
{
    loadTrackThree("hn 0 300 1\n", 1);
    const vorn::mat4f savedProjection = projectionMatrix;
    projectionMatrix = vorn::mat4f::translation({0.0f, 0.0f, -1.0f});
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const vorn::vec3f position = stepAt(100);
    EXPECT_EQ(position, cameraRig.cameraPosition);
    // The turn moved the camera off the z axis, still 400 from the origin.
    EXPECT_NE(position.x, 0.0f);
    EXPECT_NEAR(vorn::length(position), 400.0f, 1e-2f);

    vorn::mat4f modelview;
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview.data());
    const vorn::mat4f expected = vorn::mat4f::translation({0.0f, 0.0f, -400.0f})
        * cameraRig.cameraOrientation.toMatrix();
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(modelview.m[i], expected.m[i], 1e-4f) << "element " << i;
    vorn::mat4f projection;
    glGetFloatv(GL_PROJECTION_MATRIX, projection.data());
    EXPECT_EQ(projection, projectionMatrix);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    projectionMatrix = savedProjection;
}

} // namespace
