// The seed-boxes layer's arithmetic: a cloud of one hundred boxes scattered
// over a rough shell around the world origin, off until its cue first fires,
// then drawn every frame and pulsing with a "powah" that the same cue kicks.
//
//   planSeedCopies   where each of the 100 copies of the template box goes,
//                    how it is scaled and which seed its vertices carry;
//   placeSeedCopy    applies one plan to a copy of the template's positions;
//   buildSeedCloud   the cloud's mesh data from the template and the plan,
//                    after seedTemplateProblem has let the template in;
//   advanceSeedBoxes one frame of the on switch, the start time and the kick
//                    with its decay; tells whether the layer draws.
//
// Pure functions over plain values; SeedBoxes.h builds the mesh and draws.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "strobewerk/scenes/SceneRandom.h"
#include "vorn/MeshData.h"
#include "vorn/Vec3f.h"

// One copy of the template box in the cloud.
struct sSeedCopy {
    vorn::vec3f offset;   // where the copy sits
    float scale = 1.0f;   // -2..4; a negative scale mirrors the copy
    float seed = 0.0f;    // the copy's "seedHax", 0..0.999
};

constexpr int seedCopiesPerSide = 10;
constexpr int seedCopyCount = seedCopiesPerSide * seedCopiesPerSide;

// The 100 copies, outer index i from -5 to 4, inner j from -5 to 4, drawing
// three random numbers per copy.
std::vector<sSeedCopy> planSeedCopies(const RandomSource& random);

// Scales every position by the copy's scale, then moves it by its offset;
// appends the copy's seed to seeds once per position.
void placeSeedCopy(std::vector<vorn::vec3f>& positions, std::vector<float>& seeds,
                   const sSeedCopy& copy);

// The largest template the cloud takes. The box has a few dozen vertices;
// the cloud holds 100 copies of whatever the template holds, so a mesh of
// a million vertices would take gigabytes.
constexpr int64_t seedTemplateMaxVertices = 65536;
constexpr int64_t seedTemplateMaxTriangles = 2 * seedTemplateMaxVertices;

// Why a template of this many vertices and triangles is not taken (one
// phrase naming the count and the limit), or "" when it is.
std::string seedTemplateProblem(int64_t vertices, int64_t triangles);

// Turns the template into the 100-copy cloud: copy k of `plan` is the
// template scaled, moved and tagged with "seedHax" = its seed. The first
// copy is the start of the result, the rest are appended in order.
// Template triangles that name a vertex the template lacks (a damaged file)
// are left out of every copy. A template that seedTemplateProblem refuses
// gives an empty cloud.
vorn::cMeshData buildSeedCloud(const vorn::cMeshData& boxTemplate,
                               const std::vector<sSeedCopy>& plan);

// The layer's state for the whole run.
struct sSeedBoxesState {
    bool seedBoxesOn = false;   // switched on by the first cue, never off
    bool animSet = false;       // seedAnim has been given its value
    float seedAnim = 0.0f;      // song time in seconds at the first drawn frame
    float seedPower = 0.0f;     // kick value, decays to 0
};

// Every field equal.
bool operator==(const sSeedBoxesState& a, const sSeedBoxesState& b);

// A cue re-kicks only once seedPower has fallen below this.
constexpr float seedRearmPower = 0.8f;

// One frame at song time t with dt ms since the last: cue is joystick button
// 9 or the note (4, 0, hit). Returns false (and changes nothing) while the
// layer has never been cued.
bool advanceSeedBoxes(sSeedBoxesState& state, bool cue, float t, float dt);

// The "powah" uniform: idles between 0 and 0.84, up to about 14.8 at a kick.
float seedPowah(const sSeedBoxesState& state, float t);

// The cloud's drift along z, between -85 and 45 over about 63 s.
float seedDrift(float t);
