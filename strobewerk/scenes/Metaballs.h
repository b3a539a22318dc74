// The back layer of every frame: 169 soft blobs rising in streams across the
// screen, added up into a metaball field.
//
//   setUpParticles();   last step of the intro set-up, after metaballCopy,
//                       grad2Texture and metaballProgram exist
//   drawMetaballs();    first step of every frame
//
// drawMetaballs clears the window, draws each particle as a small quad around
// its blob with additive blending (metaballProgram: "size", "strength",
// "pos"; grad2Texture on unit 0), copies the window into metaballCopy and
// clears the window again. It leaves depth testing and blending disabled.
// A held note (4, 3) makes the blobs pulse faster.
#pragma once

#include <vector>

#include "strobewerk/scenes/MetaballsLogic.h"

extern std::vector<sParticle> particles;
// Phase of the blobs' size pulsation.
extern float metaballClock;

void setUpParticles();
void drawMetaballs();
