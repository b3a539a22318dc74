#include "strobewerk/scenes/CameraRigLogic.h"

#include <cmath>
#include <tuple>
#include <vector>

#include "strobewerk/scenes/CurvesLogic.h"

using vorn::mat4f;
using vorn::vec3f;

quatf quatf::rotation(const vec3f& axis, float angle)
{
    const float l = vorn::length(axis);
    if (!(l > 0.0f))
        return quatf();
    const float s = std::sin(angle * 0.5f) / l;
    return {std::cos(angle * 0.5f), axis.x * s, axis.y * s, axis.z * s};
}

quatf quatf::operator*(const quatf& o) const
{
    return {w * o.w - x * o.x - y * o.y - z * o.z,
            w * o.x + x * o.w + y * o.z - z * o.y,
            w * o.y - x * o.z + y * o.w + z * o.x,
            w * o.z + x * o.y - y * o.x + z * o.w};
}

float quatf::norm() const
{
    return std::sqrt(w * w + x * x + y * y + z * z);
}

quatf quatf::normalised() const
{
    const float n = norm();
    if (!(n > 0.0f))
        return quatf();
    return {w / n, x / n, y / n, z / n};
}

vec3f quatf::rotate(const vec3f& v) const
{
    const quatf r = *this * quatf(0.0f, v.x, v.y, v.z) * inverse();
    return {r.x, r.y, r.z};
}

mat4f quatf::toMatrix() const
{
    mat4f m;
    m(0, 0) = 1.0f - 2.0f * (y * y + z * z);
    m(0, 1) = 2.0f * (x * y - w * z);
    m(0, 2) = 2.0f * (x * z + w * y);
    m(1, 0) = 2.0f * (x * y + w * z);
    m(1, 1) = 1.0f - 2.0f * (x * x + z * z);
    m(1, 2) = 2.0f * (y * z - w * x);
    m(2, 0) = 2.0f * (x * z - w * y);
    m(2, 1) = 2.0f * (y * z + w * x);
    m(2, 2) = 1.0f - 2.0f * (x * x + y * y);
    return m;
}

namespace {

// Dolly speed over the phase of a move.
const std::vector<float> dollyCurve = {0.0f, 15.0f, 12.0f, 0.0f};

// A move that has passed this phase is not restarted by a new cue.
constexpr float dollyRearmPhase = 0.8f;
constexpr float dollyAxisThreshold = 8000.0f;

} // namespace

void applyDollyCues(sCameraRigState& rig, float axis2, bool noteIn, bool noteOut)
{
    if ((axis2 < -dollyAxisThreshold || noteIn) && rig.dollyPhase < dollyRearmPhase) {
        rig.dollyDirection = 1.0f;
        rig.dollyPhase = 0.0f;
    }
    if ((axis2 > dollyAxisThreshold || noteOut) && rig.dollyPhase < dollyRearmPhase) {
        rig.dollyDirection = -1.0f;
        rig.dollyPhase = 0.0f;
    }
}

void advanceDolly(sCameraRigState& rig, float dt)
{
    if (rig.dollyPhase > -0.5f) {
        rig.dollyPhase += dt * 0.001f;
        if (rig.dollyPhase >= 1.0f)
            rig.dollyPhase = -1.0f;
        // Speed at the new phase; the frame that ends the move reads the last
        // key (0) and so adds nothing.
        rig.cameraDistance += sampleCurveThrough(dollyCurve, rig.dollyPhase) * dt
            * rig.dollyDirection * 0.04f;
    }
    if (rig.cameraDistance > nearestCameraDistance)
        rig.cameraDistance = nearestCameraDistance;
}

namespace {

float deadZoned(float reading, float k)
{
    return std::fabs(reading) > turnDeadZone ? reading * k : 0.0f;
}

float clampMagnitude(float v, float limit)
{
    if (v > limit)
        return limit;
    if (v < -limit)
        return -limit;
    return v;
}

} // namespace

sCameraView updateCameraRig(sCameraRigState& rig, const sTurnInput& input, float dt,
                            float gain, float distance)
{
    const float k = dt * gain;
    float rx = deadZoned(input.axis0, k) / 32000.0f;
    float ry = deadZoned(input.axis1, k) / 32000.0f;
    // A held note pushes harder the shorter it is.
    if (input.sideNoteActive)
        ry += input.sideNoteInvDuration * k * 400.0f;
    if (input.upNoteActive)
        rx += input.upNoteInvDuration * k * 400.0f;

    rig.turnVelocity.x += rx * 0.01f * dt;
    rig.turnVelocity.y += ry * 0.01f * dt;
    rig.turnVelocity *= 0.95f;

    rig.turnAngle.y += dt * rig.turnVelocity.y;
    rig.turnAngle.x += dt * rig.turnVelocity.x;
    rig.turnAngle.x = clampMagnitude(rig.turnAngle.x, 0.1f);
    rig.turnAngle.y = clampMagnitude(rig.turnAngle.y, 0.1f);
    rig.turnAngle *= 0.9f;

    // World axes brought into the camera's frame, so that multiplying on the
    // right turns about the fixed world axes.
    const vec3f up = rig.cameraOrientation.inverse().rotate({0.0f, 1.0f, 0.0f});
    rig.cameraOrientation = rig.cameraOrientation * quatf::rotation(up, -rig.turnAngle.x);
    const vec3f side = rig.cameraOrientation.inverse().rotate({1.0f, 0.0f, 0.0f});
    rig.cameraOrientation = rig.cameraOrientation * quatf::rotation(side, -rig.turnAngle.y);
    rig.cameraOrientation = rig.cameraOrientation.normalised();

    rig.cameraPosition = rig.cameraOrientation.rotate({0.0f, 0.0f, distance});
    sCameraView result;
    result.view = mat4f::translation({0.0f, 0.0f, distance}) * rig.cameraOrientation.toMatrix();
    result.position = rig.cameraPosition;
    return result;
}

sCameraView cameraView(const sCameraRigState& rig)
{
    sCameraView result;
    result.view = mat4f::translation({0.0f, 0.0f, rig.cameraDistance}) * rig.cameraOrientation.toMatrix();
    result.position = rig.cameraPosition;
    return result;
}

sCameraRigState blendCameraRig(const sCameraRigState& from, const sCameraRigState& to, float f)
{
    sCameraRigState rig = to;
    const quatf& a = from.cameraOrientation;
    quatf b = to.cameraOrientation;
    // q and -q are the same turn: blend towards the nearer one.
    if (a.w * b.w + a.x * b.x + a.y * b.y + a.z * b.z < 0.0f)
        b = quatf(-b.w, -b.x, -b.y, -b.z);
    const float g = 1.0f - f;
    rig.cameraOrientation = quatf(a.w * g + b.w * f, a.x * g + b.x * f, a.y * g + b.y * f, a.z * g + b.z * f).normalised();
    rig.cameraDistance = from.cameraDistance * g + to.cameraDistance * f;
    rig.cameraPosition = rig.cameraOrientation.rotate({0.0f, 0.0f, rig.cameraDistance});
    return rig;
}

// Each field is bound by name: a field added to the struct stops this from
// compiling until it is compared too.
bool operator==(const quatf& a, const quatf& b)
{
    const auto& [aw, ax, ay, az] = a;
    const auto& [bw, bx, by, bz] = b;
    return std::tie(aw, ax, ay, az) == std::tie(bw, bx, by, bz);
}

bool operator==(const sCameraRigState& a, const sCameraRigState& b)
{
    const auto& [aDistance, aPhase, aDirection, aVelocity, aAngle, aOrientation, aPosition] = a;
    const auto& [bDistance, bPhase, bDirection, bVelocity, bAngle, bOrientation, bPosition] = b;
    return std::tie(aDistance, aPhase, aDirection, aVelocity, aAngle, aOrientation, aPosition)
           == std::tie(bDistance, bPhase, bDirection, bVelocity, bAngle, bOrientation, bPosition);
}

vorn::mat4f upsideDown(vorn::mat4f projection)
{
    for (int column = 0; column < 4; ++column)
        projection.m[column * 4 + 1] = -projection.m[column * 4 + 1];
    return projection;
}
