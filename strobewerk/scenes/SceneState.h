// sSceneState: everything the layers carry from one frame to the next, as
// one value, and stepScene, the one function that moves it on.
//
// The show advances the state at fixed ticks of song time (see
// show/ShowTimeline.h) and the layers only read it when they draw. A step
// takes what its tick meets: the note cues between the tick before and
// this one (noteCuesBetween), the joystick as it stands, the soundtrack's
// level, and the milliseconds since the tick before. It runs the layers'
// updates in the order a frame has always run them (metaballs, energy,
// camera, shake, points, seed boxes, flashes, cards, flash image), so one
// step per frame at 60 frames a second is the production frame by frame.
// The step turns the joystick into effects: the layers' drawing knows
// nothing of which button does what.
//
//     sSceneState state = initialSceneState();
//     stepScene(state, noteCuesBetween(notes, -1, 0), input, level, 0, 0, counts);
//     composeFrame(state, 0);     // draws, changes nothing
//
// A plain value: copying it is a snapshot of the show, random generator
// included. Two states are equal when every field of every part is, so a
// test compares whole states (two ways to one song time give equal ones).
// The equalities bind each struct's fields by name: a field added to a
// struct stops the build until its equality compares it too.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "strobewerk/NoteList.h"
#include "strobewerk/scenes/CameraRigLogic.h"
#include "strobewerk/scenes/CompositionLogic.h"
#include "strobewerk/scenes/MetaballsLogic.h"
#include "strobewerk/scenes/SceneRandom.h"
#include "strobewerk/scenes/SeedBoxesLogic.h"

// The joystick as the layers read it: axes 0 to 3 and every button and the
// hat. A neutral input (released, centred) is all zero.
struct sSceneInput {
    static constexpr int axisCount = 4;
    std::array<std::int16_t, axisCount> axes{};
    std::uint32_t buttons = 0; // bit i: button i held
    std::uint8_t hat = 0;      // SDL hat bits, 1 = up

    bool button(int index) const { return index >= 0 && index < 32 && ((buttons >> index) & 1u) != 0; }
    std::int16_t axis(int index) const { return index >= 0 && index < axisCount ? axes[index] : 0; }
    bool operator==(const sSceneInput& other) const;
    bool operator!=(const sSceneInput& other) const { return !(*this == other); }
};

// What the note list says to the layers at one song time.
struct sNoteCues {
    // Hits: (track, pitch code).
    bool fillFlash = false;   // (1, 0)
    bool titleCard = false;   // (1, 1)
    bool shake = false;       // (3, 0)
    bool dollyIn = false;     // (3, 1)
    bool dollyOut = false;    // (3, 2)
    bool seedBoxes = false;   // (4, 0)
    bool flashImage = false;  // (4, 1)
    bool greetings = false;   // (4, 2)
    // Held notes.
    sNote sideTurn;           // (3, 0): turns the camera about its side
    sNote upTurn;             // (3, 1): turns it about the up axis
    float distortion = 0.0f;  // (4, 0) progress: the final composite's ripple
    float colourSplit = 0.0f; // (4, 1) progress
    float fieldMix = 0.0f;    // (4, 2) progress
    float pulse = 0.0f;       // (4, 3) progress: the metaballs' pulse speed
};

// Every cue equal, the held notes' every field included.
bool operator==(const sNoteCues& a, const sNoteCues& b);

// The cues of an update at `now` after one at `previous` (-1 before the
// first update of a pass from 0).
sNoteCues noteCuesBetween(const cNoteList& notes, std::int32_t previous, std::int32_t now);

// How many card and flash images the composition holds (the step picks
// among them).
struct sSceneCounts {
    unsigned cards = 0;
    unsigned flashImages = 0;
};

struct sSceneState {
    sCompositionState effects;
    // The energy the background was drawn with: the level's rise, before
    // joystick axis 3 nudges it on for the next step.
    float backgroundEnergy = 0.0f;
    sCameraRigState camera;
    std::vector<sParticle> particles;
    float metaballClock = 0.0f;
    sSeedBoxesState seedBoxes;
    // What the last step met. The layers' draws read the cues; the input
    // only the step reads (the draws see the effects it became).
    sNoteCues cues;
    sSceneInput input;
    cSceneRandom random;
};

bool operator==(const sSceneState& a, const sSceneState& b);
inline bool operator!=(const sSceneState& a, const sSceneState& b)
{
    return !(a == b);
}

// The seed boxes' scatter takes the first numbers of the generator, three
// per copy, when the cloud is built.
constexpr int seedScatterDraws = seedCopyCount * 3;

// The state before the first step: the generator past the seed boxes'
// scatter and the particles' first generation, everything else at rest.
sSceneState initialSceneState();

// One step of `dt` ms ending at song time `t` (see above). `level` is the
// mean of the soundtrack's spectrum just before t.
void stepScene(sSceneState& state, const sNoteCues& cues, const sSceneInput& input, float level, std::int32_t dt,
               std::int32_t t, const sSceneCounts& counts);

// The joystick buttons and axes the step reads.
namespace sceneInput {
constexpr int pointButton = 2;
constexpr int pointFlashButton = 3;
constexpr int shakeButton = 4;
constexpr int fillFlashButton = 8;
constexpr int seedBoxesButton = 9;
constexpr int alternateBackgroundButton = 10;
constexpr int dollyAxis = 2;
constexpr int energyAxis = 3;
constexpr std::uint8_t hatUp = 1;
} // namespace sceneInput
