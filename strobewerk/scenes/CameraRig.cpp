#include "strobewerk/scenes/CameraRig.h"

#include "strobewerk/FrameState.h"

void loadCameraRig(const sCameraRigState& rig, bool upsideDownPicture)
{
    loadCamera(cameraView(rig).view, upsideDownPicture ? upsideDown(projectionMatrix) : projectionMatrix);
}
