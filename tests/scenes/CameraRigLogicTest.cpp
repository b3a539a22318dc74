// The camera rig: quaternion maths, the dolly with its cues and the turn.
#include <gtest/gtest.h>

#include <cmath>

#include "strobewerk/scenes/CameraRigLogic.h"

using vorn::mat4f;
using vorn::vec3f;

namespace {

constexpr float pi = 3.14159265358979f;
constexpr float gain = 0.00001f;

void expectNear(const vec3f& a, const vec3f& b, float tolerance = 1e-4f)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

// One frame of the rig as the composition runs it.
sCameraView frame(sCameraRigState& rig, float dt, float axis2 = 0.0f, bool in = false,
                  bool out = false, const sTurnInput& turn = sTurnInput())
{
    applyDollyCues(rig, axis2, in, out);
    advanceDolly(rig, dt);
    return updateCameraRig(rig, turn, dt, gain, rig.cameraDistance);
}

} // namespace

TEST(Quaternion, RotatesVectorsAsTheRightHandRuleSays)
{
    const quatf q = quatf::rotation({0.0f, 1.0f, 0.0f}, pi / 2.0f);
    expectNear(q.rotate({0.0f, 0.0f, 1.0f}), {1.0f, 0.0f, 0.0f});
    expectNear(q.inverse().rotate(q.rotate({0.3f, -2.0f, 5.0f})), {0.3f, -2.0f, 5.0f});
    // The axis need not be unit length.
    const quatf longAxis = quatf::rotation({0.0f, 0.0f, 7.0f}, pi);
    expectNear(longAxis.rotate({1.0f, 0.0f, 0.0f}), {-1.0f, 0.0f, 0.0f});
    EXPECT_NEAR(longAxis.norm(), 1.0f, 1e-6f);
    // A zero axis is no rotation at all rather than NaNs.
    expectNear(quatf::rotation({0.0f, 0.0f, 0.0f}, 1.0f).rotate({1.0f, 2.0f, 3.0f}),
               {1.0f, 2.0f, 3.0f});
}

TEST(Quaternion, ProductAppliesTheRightFactorFirst)
{
    const quatf a = quatf::rotation({1.0f, 0.0f, 0.0f}, pi / 2.0f);
    const quatf b = quatf::rotation({0.0f, 0.0f, 1.0f}, pi / 2.0f);
    const vec3f v{1.0f, 0.0f, 0.0f};
    expectNear((a * b).rotate(v), a.rotate(b.rotate(v)));
    // b takes x to y, then a takes y to z.
    expectNear((a * b).rotate(v), {0.0f, 0.0f, 1.0f});
}

TEST(Quaternion, MatrixAgreesWithRotateAndWithAnAxisAngleMatrix)
{
    const vec3f axis{0.3f, -0.8f, 0.52f};
    const quatf q = quatf::rotation(axis, 1.234f);
    const mat4f m = q.toMatrix();
    const mat4f reference = mat4f::rotation(1.234f, axis);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(m.m[i], reference.m[i], 1e-5f) << "element " << i;
    const vec3f p{4.0f, -1.5f, 2.25f};
    expectNear(m.transformPoint(p), q.rotate(p));
    // Column-major: the translation slots stay 0, the last element 1.
    EXPECT_EQ(m.m[12], 0.0f);
    EXPECT_EQ(m.m[15], 1.0f);
}

TEST(CameraRig, AtRestStaysAPureTranslationBy400)
{
    sCameraRigState rig;
    sCameraView view;
    for (int i = 0; i < 200; ++i)
        view = frame(rig, 16.0f);
    EXPECT_EQ(rig.cameraDistance, -400.0f);
    EXPECT_EQ(rig.dollyPhase, -1.0f);
    EXPECT_EQ(view.view, mat4f::translation({0.0f, 0.0f, -400.0f}));
    EXPECT_EQ(view.position, vec3f(0.0f, 0.0f, -400.0f));
    EXPECT_EQ(rig.cameraOrientation.w, 1.0f);
}

TEST(CameraRig, DollyInFromRestStopsAtTwoHundred)
{
    sCameraRigState rig;
    frame(rig, 1.0f, 0.0f, true);
    EXPECT_GT(rig.cameraDistance, -400.0f);
    for (int ms = 1; ms < 1200; ++ms) {
        frame(rig, 1.0f);
        ASSERT_LE(rig.cameraDistance, -200.0f) << "at " << ms << " ms";
        if (ms == 150) {
            EXPECT_GT(rig.cameraDistance, -400.0f);
            EXPECT_LT(rig.cameraDistance, -200.0f);
        }
    }
    EXPECT_EQ(rig.cameraDistance, -200.0f);
    EXPECT_EQ(rig.dollyPhase, -1.0f);
    // A second move in cannot go further.
    frame(rig, 1.0f, 0.0f, true);
    for (int ms = 0; ms < 1100; ++ms)
        frame(rig, 1.0f);
    EXPECT_EQ(rig.cameraDistance, -200.0f);
}

TEST(CameraRig, DollyOutHasNoLimitAndTakesOneSecond)
{
    sCameraRigState rig;
    frame(rig, 1.0f, 0.0f, false, true);
    int ms = 1;
    while (rig.dollyPhase >= 0.0f && ms < 5000) {
        frame(rig, 1.0f);
        ++ms;
    }
    // 1000 steps of 0.001 in single precision may need one more frame.
    EXPECT_NEAR(ms, 1000, 1);
    EXPECT_NEAR(rig.cameraDistance, -400.0f - 340.0f, 10.0f);
    const float afterOne = rig.cameraDistance;
    frame(rig, 1.0f, 0.0f, false, true);
    for (int i = 0; i < 1000; ++i)
        frame(rig, 1.0f);
    EXPECT_NEAR(rig.cameraDistance, afterOne - 340.0f, 10.0f);
}

TEST(CameraRig, CueRestartsAMoveAtHalfwayButNotPastPointEight)
{
    sCameraRigState rig;
    rig.dollyPhase = 0.5f;
    rig.dollyDirection = 1.0f;
    applyDollyCues(rig, 0.0f, false, true);
    EXPECT_EQ(rig.dollyPhase, 0.0f);
    EXPECT_EQ(rig.dollyDirection, -1.0f);

    rig.dollyPhase = 0.85f;
    rig.dollyDirection = 1.0f;
    applyDollyCues(rig, 0.0f, false, true);
    EXPECT_EQ(rig.dollyPhase, 0.85f);
    EXPECT_EQ(rig.dollyDirection, 1.0f);
}

TEST(CameraRig, DollyCuesFromTheAxisAndBothAtOnce)
{
    sCameraRigState rig;
    applyDollyCues(rig, -8000.0f, false, false);
    EXPECT_EQ(rig.dollyPhase, -1.0f);
    applyDollyCues(rig, 8000.0f, false, false);
    EXPECT_EQ(rig.dollyPhase, -1.0f);
    applyDollyCues(rig, -8001.0f, false, false);
    EXPECT_EQ(rig.dollyPhase, 0.0f);
    EXPECT_EQ(rig.dollyDirection, 1.0f);

    sCameraRigState both;
    applyDollyCues(both, 0.0f, true, true);
    EXPECT_EQ(both.dollyDirection, -1.0f);
}

TEST(CameraRig, AxisReadingsInsideTheDeadZoneDoNothing)
{
    for (float reading : {-7400.0f, -3000.0f, 7400.0f}) {
        sCameraRigState rig;
        sTurnInput turn;
        turn.axis0 = reading;
        turn.axis1 = reading;
        for (int i = 0; i < 10; ++i)
            updateCameraRig(rig, turn, 16.0f, gain, rig.cameraDistance);
        EXPECT_EQ(rig.turnVelocity.x, 0.0f) << reading;
        EXPECT_EQ(rig.turnVelocity.y, 0.0f) << reading;
        EXPECT_EQ(rig.cameraOrientation.w, 1.0f) << reading;
    }
    sCameraRigState rig;
    sTurnInput turn;
    turn.axis0 = 7401.0f;
    updateCameraRig(rig, turn, 16.0f, gain, rig.cameraDistance);
    const float k = 16.0f * gain;
    EXPECT_FLOAT_EQ(rig.turnVelocity.x, 7401.0f * k / 32000.0f * 0.01f * 16.0f * 0.95f);
    EXPECT_EQ(rig.turnVelocity.y, 0.0f);
}

TEST(CameraRig, HeldNotePushesTheTurnByItsInverseLength)
{
    const float dt = 16.0f;
    const float k = dt * gain;
    sCameraRigState rig;
    sTurnInput turn;
    turn.sideNoteActive = true;
    turn.sideNoteInvDuration = 1.0f / 500.0f;
    updateCameraRig(rig, turn, dt, gain, rig.cameraDistance);
    const float ry = 0.002f * k * 400.0f;
    EXPECT_FLOAT_EQ(rig.turnVelocity.y, ry * 0.01f * dt * 0.95f);
    EXPECT_EQ(rig.turnVelocity.x, 0.0f);
    EXPECT_FLOAT_EQ(rig.turnAngle.y, dt * rig.turnVelocity.y * 0.9f);

    // The other held note turns about the up axis: the camera swings round y.
    sCameraRigState up;
    sTurnInput upTurn;
    upTurn.upNoteActive = true;
    upTurn.upNoteInvDuration = 1.0f / 100.0f;
    sCameraView view;
    for (int i = 0; i < 50; ++i)
        view = updateCameraRig(up, upTurn, dt, gain, up.cameraDistance);
    EXPECT_GT(std::fabs(view.position.x), 1.0f);
    EXPECT_NEAR(view.position.y, 0.0f, 1e-3f);
}

TEST(CameraRig, LongTurnsKeepTheOrientationUnitAndTheAngleClamped)
{
    sCameraRigState rig;
    sTurnInput turn;
    turn.axis0 = 32767.0f;
    turn.axis1 = -32768.0f;
    sCameraView view;
    for (int i = 0; i < 20000; ++i) {
        view = updateCameraRig(rig, turn, 16.0f, gain, -400.0f);
        ASSERT_LE(std::fabs(rig.turnAngle.x), 0.1f * 0.9f + 1e-7f);
        ASSERT_LE(std::fabs(rig.turnAngle.y), 0.1f * 0.9f + 1e-7f);
    }
    EXPECT_NEAR(rig.cameraOrientation.norm(), 1.0f, 1e-5f);
    EXPECT_NEAR(vorn::length(view.position), 400.0f, 0.01f);
    // The view moves a point by the orientation first, then along z.
    const vec3f p{10.0f, 20.0f, 30.0f};
    expectNear(view.view.transformPoint(p),
               rig.cameraOrientation.rotate(p) + vec3f(0.0f, 0.0f, -400.0f), 1e-3f);
}

TEST(UpsideDownProjection, NegatesTheYRowExactlyAndNothingElse)
{
    vorn::mat4f projection;
    for (int i = 0; i < 16; ++i)
        projection.m[i] = 0.37f * static_cast<float>(i) - 2.1f;
    const vorn::mat4f flipped = upsideDown(projection);
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            const float original = projection.m[column * 4 + row];
            EXPECT_EQ(flipped.m[column * 4 + row], row == 1 ? -original : original) << row << "," << column;
        }
}
