// A cloud of one hundred boxes around the world origin, built once from the
// box template "aBox.obj.bin" into one mesh whose vertices carry a per-copy
// random "seedHax". Invisible until its cue (joystick button 9 or the note
// (4, 0, hit)) first fires; from then on drawn every frame under the camera
// with box2Program ("anim", "powah"; colorschemeTexture on unit 0), kicked
// by the same cue.
//
//   buildSeedBoxesMesh();   in the eye-overlay set-up, after box2Program,
//                           colorschemeTexture and flashImages exist
//   drawSeedBoxes();        in the 3D part of the frame, depth test on
#pragma once

#include "strobewerk/scenes/SeedBoxesLogic.h"

namespace vorn {
class cMesh;
class cMeshData;
}

extern vorn::cMesh* seedBoxesMesh;
extern sSeedBoxesState seedBoxes;

// Turns the template into the 100-copy cloud: copy k of `plan` is the
// template scaled, moved and tagged with "seedHax" = its seed. The first
// copy is the start of the result, the rest are appended in order.
// Template triangles that name a vertex the template lacks (a damaged file)
// are left out of every copy.
vorn::cMeshData buildSeedCloud(const vorn::cMeshData& boxTemplate,
                               const std::vector<sSeedCopy>& plan);

void buildSeedBoxesMesh();
void drawSeedBoxes();
