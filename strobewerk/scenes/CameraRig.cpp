#include "strobewerk/scenes/CameraRig.h"

#include "strobewerk/FrameState.h"

void loadCameraRig(const sCameraRigState& rig)
{
    loadCamera(cameraView(rig).view, projectionMatrix);
}
