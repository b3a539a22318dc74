// The camera rig's arithmetic: the camera hangs at a distance from the world
// origin, looks at it, and is moved by cues.
//
//   - a dolly slides it in or out along a speed curve over 1000 ms of song
//     time (applyDollyCues, then advanceDolly, once per frame);
//   - a turn rotates it around the origin with inertia (updateCameraRig, once
//     per frame after the dolly), giving the view matrix and the position.
//
// Everything here works on an sCameraRigState passed in by the caller and on
// inputs passed as plain values, so tests drive the rig frame by frame without
// a window. CameraRig.h holds the one live rig and reads the real inputs.
#pragma once

#include "vorn/Mat4f.h"
#include "vorn/Vec2f.h"
#include "vorn/Vec3f.h"

// A rotation as a unit quaternion (w, x, y, z).
struct quatf {
    float w = 1.0f;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr quatf() = default;
    constexpr quatf(float w_, float x_, float y_, float z_) : w(w_), x(x_), y(y_), z(z_) {}

    static constexpr quatf identity() { return quatf(); }
    // Rotation about axis (need not be unit length) by angle radians; a zero
    // axis gives the identity.
    static quatf rotation(const vorn::vec3f& axis, float angle);

    // Hamilton product: (a * b) rotates by b first, then by a.
    quatf operator*(const quatf& o) const;
    // The inverse of a unit quaternion: its conjugate.
    quatf inverse() const { return {w, -x, -y, -z}; }
    float norm() const;
    // Back to unit length (the identity when the norm is 0).
    quatf normalised() const;

    // v turned by this rotation: the vector part of q (0, v) q^-1.
    vorn::vec3f rotate(const vorn::vec3f& v) const;
    // The rotation as a column-major matrix (fourth row and column identity).
    vorn::mat4f toMatrix() const;
};

// The rig's state, from one frame to the next.
struct sCameraRigState {
    float cameraDistance = -400.0f;      // along the camera's z; never above -200
    float dollyPhase = -1.0f;            // 0..1 while a dolly move runs, -1 idle
    float dollyDirection = 1.0f;         // +1 in, -1 out
    vorn::vec2f turnVelocity;            // x about the up axis, y about the side axis
    vorn::vec2f turnAngle;               // turn applied this frame, radians
    quatf cameraOrientation;             // accumulated orientation
    vorn::vec3f cameraPosition{0.0f, 0.0f, -400.0f};
};

// Every field equal (the orientation's four numbers included).
bool operator==(const quatf& a, const quatf& b);
bool operator==(const sCameraRigState& a, const sCameraRigState& b);

// Closest the camera gets to the origin (as a signed distance).
constexpr float nearestCameraDistance = -200.0f;

// Dolly cues. axis2 is the joystick's axis 2 reading; noteIn / noteOut are the
// note cues (3, 1, hit) and (3, 2, hit). A cue starts a move when idle and
// restarts a running one from phase 0 unless it has passed phase 0.8. When
// both fire, the move out wins.
void applyDollyCues(sCameraRigState& rig, float axis2, bool noteIn, bool noteOut);

// Moves the camera along the dolly curve by dt milliseconds, then keeps it no
// nearer than nearestCameraDistance.
void advanceDolly(sCameraRigState& rig, float dt);

// What pushes the turn in one frame: joystick axes 0 and 1 (raw readings) and
// the two held notes (3, 0) and (3, 1) with their 1 / duration.
struct sTurnInput {
    float axis0 = 0.0f;
    float axis1 = 0.0f;
    bool sideNoteActive = false;     // (3, 0, held): turns about the side axis
    float sideNoteInvDuration = 0.0f;
    bool upNoteActive = false;       // (3, 1, held): turns about the up axis
    float upNoteInvDuration = 0.0f;
};

struct sCameraView {
    vorn::mat4f view;
    vorn::vec3f position;
};

// Turn speed per ms of axis reading and of held-note strength.
constexpr float cameraTurnGain = 0.00001f;

// Axis readings within +-7400 are ignored.
constexpr float turnDeadZone = 7400.0f;

// Advances the turn by one frame of dt milliseconds and returns the view
// matrix (translation by (0, 0, distance) after the orientation) and the
// camera position ((0, 0, distance) turned by the orientation). The
// orientation is brought back to unit length every frame so long runs do not
// drift.
sCameraView updateCameraRig(sCameraRigState& rig, const sTurnInput& input, float dt,
                            float gain, float distance);

// The view matrix and position of the rig as its last update left it.
sCameraView cameraView(const sCameraRigState& rig);

// A projection that draws the picture upside down: its y row negated,
// exactly, so every vertex lands where the unflipped one would, mirrored.
vorn::mat4f upsideDown(vorn::mat4f projection);

// The rig a fraction `f` (0..1) of the way from `from` to `to`, two rigs
// one update apart: the distance in a straight line, the orientation along
// the shorter arc (normalised linear blend, near enough for one update's
// turn), the position following both. The rest is `to`'s.
sCameraRigState blendCameraRig(const sCameraRigState& from, const sCameraRigState& to, float f);
