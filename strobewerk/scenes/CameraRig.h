// The one camera of the 3D layers (point lines, seed boxes). The rig's
// arithmetic is in CameraRigLogic.h and its state moves on with the show's
// state (SceneState.h); this is the frame's camera step, one call after
// the background layer and before any 3D layer:
//     loadCameraRig(state.camera, upsideDown);
// It multiplies the rig's view onto the modelview matrix and loads the
// scenes' projection (loadCamera(view, projectionMatrix)), upside down
// when asked (the layers are drawn upside down into their texture; see
// Composition.cpp).
#pragma once

#include "strobewerk/scenes/CameraRigLogic.h"

void loadCameraRig(const sCameraRigState& rig, bool upsideDownPicture);
