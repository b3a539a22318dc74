// A cloud of one hundred boxes around the world origin, built once from the
// box template "aBox.obj.bin" into one mesh whose vertices carry a per-copy
// random "seedHax". Invisible until its cue (joystick button 9 or the note
// (4, 0, hit)) first fires; from then on drawn every frame under the camera
// with box2Program ("anim", "powah"; colorschemeTexture on unit 0), kicked
// by the same cue. The on switch and the kick live in the show's state
// (SceneState.h); drawing only reads them.
//
//   buildSeedBoxesMesh();   in the eye-overlay set-up, after box2Program,
//                           colorschemeTexture and flashImages exist; a
//                           template missing, empty, not a mesh or too
//                           large for the cloud (see seedTemplateProblem)
//                           is reported in one line naming the file and
//                           leaves the cloud empty
//   drawSeedBoxes(state, t);  in the 3D part of the frame, depth test on
#pragma once

#include "strobewerk/scenes/SeedBoxesLogic.h"

namespace vorn {
class cMesh;
}

// The template's file in the data folder.
extern const char* const seedTemplateFile;

extern vorn::cMesh* seedBoxesMesh;

void buildSeedBoxesMesh();
// Draws the cloud at song time `t` (ms) as `state` says: nothing before
// its first cue.
void drawSeedBoxes(const sSeedBoxesState& state, float t);
