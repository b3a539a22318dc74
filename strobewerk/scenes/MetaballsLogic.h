// The metaball layer's particles: 169 soft blobs that rise in streams across
// the screen and are recycled forever.
//
// The first generation starts together in the upper right (spawnParticles);
// every later one respawns low on the right and heads up and to the left,
// bending upward as it goes (updateParticle, once per particle per frame).
// A blob fades in from 0 to full strength at half its life and out again by
// its death (particleStrength); its size pulses with the layer's clock.
//
// Pure functions over plain values: the random numbers come from a source
// that the caller passes in (the show's cSceneRandom in the production, a
// script in tests).
#pragma once

#include <cstdint>
#include <vector>

#include "strobewerk/scenes/SceneRandom.h"
#include "vorn/Vec2f.h"

struct sParticle {
    int32_t life = 0;          // remaining life, ms; respawns at 0 or below
    int32_t maxLife = 0;       // life at the last spawn
    vorn::vec2f velocity;      // unit length at spawn, then bent upward
    vorn::vec2f position;      // in the quad's corner units, -1..1 across the screen
    float size = 0.0f;         // blob size, recomputed every frame
};

// Every field equal.
bool operator==(const sParticle& a, const sParticle& b);

constexpr int particleCount = 169;

// Fills the list with the first generation: particleCount particles at
// (0.6, 0.6), each living 250 to 749 ms.
void spawnParticles(std::vector<sParticle>& list, const RandomSource& random);

// Gives a dead particle its next life: at (0.5, -0.5), 3250 to 4749 ms.
void respawnParticle(sParticle& p, const RandomSource& random);

// One frame of one particle (index i in the list) with frameDelta ms: ages
// it, respawns it when its life is over, moves it and sets its size from the
// layer clock.
void updateParticle(sParticle& p, int index, int32_t frameDelta, float metaballClock,
                    const RandomSource& random);

// 0 at spawn and at death, 1 at half life.
float particleStrength(const sParticle& p);

// The pulsation speed per ms for the progress of the held note (4, 3)
// (0 when no such note sounds): peaks at 0.007 a quarter into the note.
float metaballSpeed(float heldNoteProgress);

// The layer clock after a frame of dt ms at that speed.
float advanceMetaballClock(float clock, float dt, float speed);

// The metaball field is drawn at a quarter of the window's resolution
// (rounded up) and sampled back with linear filtering: the field is soft,
// so the frame cannot tell, and the layer costs a sixteenth of the
// fragments. The field keeps at least 180 texels across (all of the
// window's pixels below that): its rim is a narrow band that frays when
// coarser.
int metaballFieldSize(int windowSize);

// The corners of the polygon a blob is drawn as.
constexpr int blobCorners = 16;

// What each corner of the blobs' mesh is handed: for every particle in
// order, blobCorners copies of (x, y, size, strength), four floats each.
std::vector<float> blobAttributes(const std::vector<sParticle>& particles);
