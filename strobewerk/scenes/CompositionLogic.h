// The arithmetic of the frame composition, free of GL so that it can be
// tested without a window.
//
// The composition keeps a set of effect values (flashes, a shake, a card
// index, the audio energy) that cues push up and that decay with time.
// Every value follows one pattern, evaluated once per frame in this order:
//   trigger: if the cue fires and the value is below its re-arm threshold,
//            the value jumps to its kick;
//   decay:   if the value is above 0 it loses dt x rate, otherwise it is 0.
// The re-arm threshold keeps a cue that fires on consecutive frames from
// restarting a flash that is still running.
//
// The show's step (SceneState.h) calls the update functions below with the
// cues of its tick; the drawing code (Composition.cpp) hands the results to
// GL.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "strobewerk/scenes/SceneRandom.h"
#include "vorn/Vec3f.h"

// The boosts of the final composite rise from 0 to a peak and fall back
// across a held note: (0, 1, 0.5, 0) read with sampleCurve.
extern const std::vector<float> boostCurve;

// --- The trigger-and-decay pattern -------------------------------------

// Re-arm threshold of the values that restart on every cue.
constexpr float alwaysRearm = 1.0e30f;

struct sKickRule {
    float rearmBelow;
    float kick;
    float ratePerMs;
};

constexpr sKickRule bumpRule{alwaysRearm, 1.0f, 0.001f};
constexpr sKickRule pointFlashRule{alwaysRearm, 1.0f, 0.001f};
constexpr sKickRule fillFlashRule{0.2f, 0.6f, 0.001f};
constexpr sKickRule cardFlashRule{0.2f, 1.6f, 0.001f};
constexpr float cardDistoRate = 0.002f;
constexpr sKickRule flashLevelRule{0.8f, 1.6f, 0.001f};
constexpr float flashDistoRate = 0.002f;

// Sets value to the kick when the cue fires below the threshold; returns
// whether it did.
bool trigger(float& value, bool cue, const sKickRule& rule);

// If value > 0 it loses dt x rate (and may end up a little below 0 for one
// frame), otherwise it becomes 0.
void decay(float& value, float dt, float ratePerMs);

// Loses dt x rate, then is held at 0 from below (the shake and the point
// flash).
void decayClamped(float& value, float dt, float ratePerMs);

// --- Effect values --------------------------------------------------------

struct sCompositionState {
    float energy = 0.0f;
    float bump = 0.0f;
    float pointFlash = 0.0f;
    std::vector<vorn::vec3f> points;
    bool pointButtonWasDown = false;
    float fillFlash = 0.0f;
    unsigned cardIndex = 0;
    bool cardIndexSet = false;
    bool greetingsStarted = false;
    float cardFlash = 0.0f;
    float cardDisto = 0.0f;
    unsigned flashIndex = 0;
    float flashLevel = 0.0f;
    float flashDisto = 0.0f;
    // Joystick button 10 held at the step: the background's other look.
    bool alternateBackground = false;
};

// Every field equal.
bool operator==(const sCompositionState& a, const sCompositionState& b);

// Shake: trigger then clamped decay.
void updateBump(sCompositionState& s, bool cue, float dt);
// Point-line flash: trigger then clamped decay.
void updatePointFlash(sCompositionState& s, bool cue, float dt);
// Warm full-screen flash.
void updateFillFlash(sCompositionState& s, bool cue, float dt);

// Appends the camera position when the point button has just gone down;
// returns whether a point was added.
bool updatePoints(sCompositionState& s, bool buttonDown, const vorn::vec3f& cameraPosition);

// The next card after `index`: the greetings cue steps through 2 .. count-1
// (starting at 2 the first time it fires), the title cue alternates 0 and 1.
unsigned nextCardIndex(unsigned index, bool greetingsCue, bool& greetingsStarted, unsigned cardCount);

// Card state of one frame. titleCue is the hat or the (1, 1) hit,
// greetingsCue the (4, 2) hit. On the first call the index starts at the
// last card. Both flash and distortion kick together, then decay.
void updateCards(sCompositionState& s, bool titleCue, bool greetingsCue, unsigned cardCount, float dt);

// Flash image of one frame. When the cue kicks, one number is drawn from
// `random` (the show's cSceneRandom in the production) and picks the image modulo the
// count; nothing is drawn otherwise. Returns whether it kicked.
bool updateFlashImage(sCompositionState& s, bool cue, const RandomSource& random, unsigned imageCount,
                      float dt);

// --- Energy and inputs ----------------------------------------------------

// The soundtrack's level (the mean of its spectrum) drives the energy:
// level = mean x 200; energy += level^2 dt; energy -= 0.01 dt; never below 0.
float updateEnergy(float energy, float spectrumMeanValue, float dt);

// The live nudge from joystick axis 3 (already through axisValue).
float nudgeEnergy(float energy, float axis, float dt);

// A joystick axis as the composition reads it: 0 inside the dead zone
// (|reading| < 8000), otherwise reading / 32000.
float axisValue(std::int16_t reading);

// --- Per-frame values of the layers ---------------------------------------

struct sBackgroundUniforms {
    float blackTer;
    float scroller;
    float whiteTer;
};
// t in ms; `alternate` while joystick button 10 is held.
sBackgroundUniforms backgroundUniforms(float t, float energy, bool alternate);

// The background tiles its image twice across the window and one and a
// half times up it. Its mipmaps show only where that puts more than 1.1
// texels on a pixel (a smaller window); elsewhere it is read without them,
// which spares a software renderer a third of the pass (choosing a level
// for every pixel) and shows the same picture.
bool backgroundNeedsMipmaps(int windowWidth, int windowHeight, int imageWidth, int imageHeight);

struct sShakeTransform {
    vorn::vec3f translation;
    float angleDegrees;
    vorn::vec3f axis;
};
// The camera shake for the level `bump` (identity at 0).
sShakeTransform shakeTransform(float t, float bump);

struct sLineSegment {
    vorn::vec3f start;
    vorn::vec3f end;
};
// The point-line segments: one per neighbouring pair of points, each end
// moved by its wobble offset. Fewer than two points give none.
std::vector<sLineSegment> pointLineSegments(const std::vector<vorn::vec3f>& points, float t, float pointFlash);

struct sFinalBoosts {
    float distBoost;
    float specBoost;
    float mixBoost;
};
// From the progress of the held notes (4, 0), (4, 1) and (4, 2).
sFinalBoosts finalBoosts(float distProgress, float specProgress, float mixProgress);

// What the final composite has to draw besides the glow and the vignette,
// and so which of its programs draws it (a software renderer runs every
// branch of a shader, even one that no pixel takes, so each combination
// has a program of its own that leaves the rest out):
//  - flash: the flash image (flashLevel) can change the picture;
//  - eye, card: the eye and the card (both at cardFlash) can; at a level
//    of 0 or below (a decay may overshoot below 0 for one frame) an overlay
//    adds black or is fully transparent. A frame has both or neither; the
//    parts of the screen one cannot reach are drawn without it
//    (compositeCells);
//  - sharedSwirl: the flash image and the eye swirl alike (the same
//    distortion: they were kicked together), so both are read at one
//    swirled point; only with both;
//  - ripple: the distortion boost is on;
//  - split: the colour-split boost is on. A split frame is finished in
//    two passes: the frame with its glow and overlays into a texture, then
//    the split reads that three times (once per colour channel) instead of
//    finishing the frame three times over;
//  - light: the field's light is poured in (mixBoost above 0). A frame
//    that is neither split nor rippled has it in its program whether it
//    shows or not: the light reads the field where the glow does.
struct sFinalCompositeParts {
    bool flash;
    bool eye;
    bool card;
    bool sharedSwirl;
    bool ripple;
    bool split;
    bool light;

    // 0 .. finalCompositeVariants - 1: flash 1, eye 2, card 4, sharedSwirl
    // 8, ripple 16, split 32, light 64.
    int variant() const
    {
        return (flash ? 1 : 0) | (eye ? 2 : 0) | (card ? 4 : 0) | (sharedSwirl ? 8 : 0) | (ripple ? 16 : 0) |
               (split ? 32 : 0) | (light ? 64 : 0);
    }
    // The parts of a variant's number.
    static sFinalCompositeParts ofVariant(int variant)
    {
        return {(variant & 1) != 0,  (variant & 2) != 0,  (variant & 4) != 0, (variant & 8) != 0,
                (variant & 16) != 0, (variant & 32) != 0, (variant & 64) != 0};
    }
    bool overlays() const { return flash || eye || card; }
    // The overlays' bits of the variant (flash, eye, card, sharedSwirl):
    // 0 .. 15.
    int overlayBits() const { return variant() & 15; }
};
constexpr int finalCompositeVariants = 128;
sFinalCompositeParts finalCompositeParts(const sCompositionState& s, const sFinalBoosts& boosts);
// The names a variant's program defines: "FLASH", "EYE", "CARD",
// "SHARED_SWIRL", "RIPPLE", "SPLIT", "LIGHT". A split variant's program
// only splits (and ripples and lights): the overlays are drawn by the first
// pass, so the split variants with and without them are one program; a
// variant neither split nor rippled always lights.
std::vector<std::string> finalCompositeDefines(int variant);
// The names the program of a split frame's first pass defines for the
// overlays of `variant`: "FINISH", with "FLASH", "EYE", "CARD" and
// "SHARED_SWIRL" as the variant has them.
std::vector<std::string> finalFinishDefines(int variant);
// The variant whose program draws the overlays of `variant`'s split frame
// in its first pass: its overlay bits, without the shared swirl unless it
// has both the flash image and the eye.
int finalFinishProgramVariant(int variant);
// The variant whose program draws `variant`'s last pass (a split variant
// with overlays is drawn by the one without, a variant neither split nor
// rippled by the one with the light, the shared swirl left out unless the
// variant has both the flash image and the eye).
int finalCompositeProgramVariant(int variant);

// How far the eye and the card can reach on the screen in a frame, from
// where their images show anything (vorn::sImageCoverage):
//  - the eye is its image swirled about the screen's centre and shrunk by
//    eyeScale (1 + its distortion x 0.15): a point at distance r from the
//    centre (in screen coordinates, 0..1 across) reads the image at
//    distance r x eyeScale from the image's centre, whatever the swirl's
//    angle; the image repeats, so it also reads the light around the
//    centres of the repeats (distance 1 and beyond);
//  - the card reads its image's row 1 - y at the screen's height y (its
//    tear only moves it sideways), so it shows only in the rows whose
//    image rows are opaque.
struct sOverlayReach {
    bool eye = false;
    float eyeLitRadius = 0.0f; // sImageCoverage::litRadius
    float eyeScale = 1.0f;
    bool card = false;
    float cardOpaqueFromT = 0.0f; // sImageCoverage::opaqueFromT, opaqueToT
    float cardOpaqueToT = 0.0f;
};
// A rectangle of the screen in pixels (x from the left, y from the bottom,
// as the scissor takes it), and whether the eye and the card can show in it.
struct sCompositeCell {
    int x, y, width, height;
    bool eye, card;
};
// The screen cut into rectangles that cover it once, each marked with the
// overlays that can show in it, so each can be drawn by the program that
// leaves the others out. The pixels are tested at their centres, with a
// margin of a few thousandths of the screen kept around the eye's and the
// card's reach. Horizontal bands follow the eye's disc (bandCount of them)
// and the card's rows; within a band the ring where the eye cannot reach
// is cut out on either side. Cells next to each other in a band with the
// same marks are one cell; so are bands cut alike.
std::vector<sCompositeCell> compositeCells(int width, int height, const sOverlayReach& reach, int bandCount = 12);

// True while the final composite does nothing but darken the corners: no
// distortion, no colour split and no field light (mixBoost at or below 0
// pours in nothing).
bool finalCompositeIsVignetteOnly(const sFinalBoosts& boosts);
