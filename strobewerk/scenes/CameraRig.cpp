#include "strobewerk/scenes/CameraRig.h"

#include "strobewerk/Input.h"
#include "strobewerk/NoteList.h"
#include "strobewerk/FrameState.h"

sCameraRigState cameraRig;

namespace {

// Turn speed per ms of axis reading and of held-note strength.
constexpr float cameraTurnGain = 0.00001f;

} // namespace

sCameraView updateCameraRig(float gain, float distance)
{
    sTurnInput input;
    input.axis0 = static_cast<float>(joystickAxis(0));
    input.axis1 = static_cast<float>(joystickAxis(1));
    const sNote side = noteList.findNote(3, 0, true);
    const sNote up = noteList.findNote(3, 1, true);
    input.sideNoteActive = side.active;
    input.sideNoteInvDuration = side.invDuration;
    input.upNoteActive = up.active;
    input.upNoteInvDuration = up.invDuration;
    return updateCameraRig(cameraRig, input, static_cast<float>(frameDelta), gain, distance);
}

vorn::vec3f runCameraRig()
{
    const float dt = static_cast<float>(frameDelta);
    applyDollyCues(cameraRig, static_cast<float>(joystickAxis(2)), noteList.isNoteActive(3, 1, false),
                   noteList.isNoteActive(3, 2, false));
    advanceDolly(cameraRig, dt);
    const sCameraView camera = updateCameraRig(cameraTurnGain, cameraRig.cameraDistance);
    loadCamera(camera.view, projectionMatrix);
    return camera.position;
}
