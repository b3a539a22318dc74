#include "strobewerk/scenes/SceneState.h"

#include <tuple>

// Each equality binds every field of its struct by name: a field added to
// the struct stops it from compiling until it is compared too.
bool sSceneInput::operator==(const sSceneInput& other) const
{
    const auto& [aAxes, aButtons, aHat] = *this;
    const auto& [bAxes, bButtons, bHat] = other;
    return std::tie(aAxes, aButtons, aHat) == std::tie(bAxes, bButtons, bHat);
}

namespace {

bool sameNote(const sNote& a, const sNote& b)
{
    const auto& [aStart, aEnd, aHeld, aPitch, aActive, aProgress, aInvDuration, aDone] = a;
    const auto& [bStart, bEnd, bHeld, bPitch, bActive, bProgress, bInvDuration, bDone] = b;
    return std::tie(aStart, aEnd, aHeld, aPitch, aActive, aProgress, aInvDuration, aDone)
           == std::tie(bStart, bEnd, bHeld, bPitch, bActive, bProgress, bInvDuration, bDone);
}

} // namespace

bool operator==(const sNoteCues& a, const sNoteCues& b)
{
    const auto& [aFill, aTitle, aShake, aIn, aOut, aSeed, aFlash, aGreet, aSide, aUp, aDisto, aSplit, aMix, aPulse] = a;
    const auto& [bFill, bTitle, bShake, bIn, bOut, bSeed, bFlash, bGreet, bSide, bUp, bDisto, bSplit, bMix, bPulse] = b;
    return std::tie(aFill, aTitle, aShake, aIn, aOut, aSeed, aFlash, aGreet, aDisto, aSplit, aMix, aPulse)
               == std::tie(bFill, bTitle, bShake, bIn, bOut, bSeed, bFlash, bGreet, bDisto, bSplit, bMix, bPulse)
           && sameNote(aSide, bSide) && sameNote(aUp, bUp);
}

bool operator==(const sSceneState& a, const sSceneState& b)
{
    const auto& [aEffects, aEnergy, aCamera, aParticles, aClock, aSeedBoxes, aCues, aInput, aRandom] = a;
    const auto& [bEffects, bEnergy, bCamera, bParticles, bClock, bSeedBoxes, bCues, bInput, bRandom] = b;
    return std::tie(aEffects, aEnergy, aCamera, aParticles, aClock, aSeedBoxes, aCues, aInput, aRandom)
           == std::tie(bEffects, bEnergy, bCamera, bParticles, bClock, bSeedBoxes, bCues, bInput, bRandom);
}

sNoteCues noteCuesBetween(const cNoteList& notes, std::int32_t previous, std::int32_t now)
{
    const auto hit = [&](std::uint32_t track, std::int32_t pitch) {
        return notes.findNoteBetween(track, pitch, false, previous, now).active;
    };
    const auto held = [&](std::uint32_t track, std::int32_t pitch) {
        return notes.findNoteBetween(track, pitch, true, previous, now);
    };
    sNoteCues cues;
    cues.fillFlash = hit(1, 0);
    cues.titleCard = hit(1, 1);
    cues.shake = hit(3, 0);
    cues.dollyIn = hit(3, 1);
    cues.dollyOut = hit(3, 2);
    cues.seedBoxes = hit(4, 0);
    cues.flashImage = hit(4, 1);
    cues.greetings = hit(4, 2);
    cues.sideTurn = held(3, 0);
    cues.upTurn = held(3, 1);
    cues.distortion = held(4, 0).progress;
    cues.colourSplit = held(4, 1).progress;
    cues.fieldMix = held(4, 2).progress;
    cues.pulse = held(4, 3).progress;
    return cues;
}

sSceneState initialSceneState()
{
    sSceneState state;
    state.random.discard(seedScatterDraws);
    spawnParticles(state.particles, [&state] { return state.random.next(); });
    return state;
}

namespace {

void stepMetaballs(sSceneState& s, std::int32_t dt)
{
    s.metaballClock = advanceMetaballClock(s.metaballClock, static_cast<float>(dt), metaballSpeed(s.cues.pulse));
    const RandomSource random = [&s] { return s.random.next(); };
    for (size_t i = 0; i < s.particles.size(); ++i)
        updateParticle(s.particles[i], static_cast<int>(i), dt, s.metaballClock, random);
}

void stepCamera(sSceneState& s, float dt)
{
    applyDollyCues(s.camera, static_cast<float>(s.input.axis(sceneInput::dollyAxis)), s.cues.dollyIn,
                   s.cues.dollyOut);
    advanceDolly(s.camera, dt);
    sTurnInput turn;
    turn.axis0 = static_cast<float>(s.input.axis(0));
    turn.axis1 = static_cast<float>(s.input.axis(1));
    turn.sideNoteActive = s.cues.sideTurn.active;
    turn.sideNoteInvDuration = s.cues.sideTurn.invDuration;
    turn.upNoteActive = s.cues.upTurn.active;
    turn.upNoteInvDuration = s.cues.upTurn.invDuration;
    updateCameraRig(s.camera, turn, dt, cameraTurnGain, s.camera.cameraDistance);
}

} // namespace

void stepScene(sSceneState& s, const sNoteCues& cues, const sSceneInput& input, float level, std::int32_t dt,
               std::int32_t t, const sSceneCounts& counts)
{
    using namespace sceneInput;
    s.cues = cues;
    s.input = input;
    const float dtf = static_cast<float>(dt);
    sCompositionState& e = s.effects;

    stepMetaballs(s, dt);

    e.energy = updateEnergy(e.energy, level, dtf);
    s.backgroundEnergy = e.energy;

    stepCamera(s, dtf);
    e.alternateBackground = input.button(alternateBackgroundButton);
    updateBump(e, input.button(shakeButton) || cues.shake, dtf);
    updatePoints(e, input.button(pointButton), s.camera.cameraPosition);
    updatePointFlash(e, input.button(pointFlashButton), dtf);

    e.energy = nudgeEnergy(e.energy, axisValue(input.axis(energyAxis)), dtf);

    advanceSeedBoxes(s.seedBoxes, input.button(seedBoxesButton) || cues.seedBoxes, static_cast<float>(t), dtf);

    updateFillFlash(e, input.button(fillFlashButton) || cues.fillFlash, dtf);
    updateCards(e, input.hat == hatUp || cues.titleCard, cues.greetings, counts.cards, dtf);
    updateFlashImage(e, cues.flashImage, [&s] { return s.random.next(); }, counts.flashImages, dtf);
}
