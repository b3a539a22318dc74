// The camera the rig loads into GL.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include "strobewerk/FrameState.h"
#include "strobewerk/scenes/CameraRig.h"
#include "tests/glsupport/GlTestSupport.h"

namespace {

using CameraRigGlTest = gltest::GlTest;

TEST_F(CameraRigGlTest, LoadsTheViewOntoTheModelviewAndTheProjection)
{
    // A rig turned by a held note for one step, off the z axis.
    sCameraRigState rig;
    sTurnInput turn;
    turn.upNoteActive = true;
    turn.upNoteInvDuration = 1.0f / 300.0f;
    updateCameraRig(rig, turn, 16.0f, cameraTurnGain, rig.cameraDistance);
    ASSERT_NE(rig.cameraPosition.x, 0.0f);

    const vorn::mat4f savedProjection = projectionMatrix;
    projectionMatrix = vorn::mat4f::translation({0.0f, 0.0f, -1.0f});
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1.0f, 0.0f, 0.0f);
    loadCameraRig(rig, false);

    // Multiplied onto what the modelview held.
    vorn::mat4f modelview;
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview.data());
    const vorn::mat4f expected = vorn::mat4f::translation({1.0f, 0.0f, 0.0f})
        * vorn::mat4f::translation({0.0f, 0.0f, -400.0f}) * rig.cameraOrientation.toMatrix();
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
