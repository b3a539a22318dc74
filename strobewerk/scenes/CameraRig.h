// The one camera of the 3D layers (point lines, seed boxes). The arithmetic
// is in CameraRigLogic.h; this file holds the live rig and feeds it the
// frame's inputs: joystick axes 0 to 2 (Input.h) and the note cues of track
// 3 (dolly in (3, 1, hit), out (3, 2, hit); turns from the held notes
// (3, 0) and (3, 1)).
//
// The frame's camera step is one call, after the background layer and
// before any 3D layer:
//     const vorn::vec3f position = runCameraRig();
// It runs the dolly cues and motion, turns the rig, and loads the camera
// into GL (loadCamera(view, projectionMatrix)); the position it returns is
// the one the point cue stores.
#pragma once

#include "strobewerk/scenes/CameraRigLogic.h"

// The live rig; cameraRig.cameraDistance and cameraRig.cameraPosition are
// the rig's distance and position as of the last frame.
extern sCameraRigState cameraRig;

// Advances the turn of the live rig with this frame's axes 0 and 1 and held
// notes, over frameDelta; returns the view matrix and the camera position.
sCameraView updateCameraRig(float gain, float distance);

// The whole camera step of a frame (see above).
vorn::vec3f runCameraRig();
