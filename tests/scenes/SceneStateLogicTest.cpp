// The cue table of the show's step: which note of the note list and which
// joystick input reaches which effect, and the order the step keeps (the
// background's energy before the joystick's nudge); the state's equality.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "strobewerk/scenes/SceneState.h"

namespace {

cNoteList notesFrom(const std::string& text)
{
    cNoteList notes;
    std::istringstream in(text);
    EXPECT_EQ(notes.load(in), "");
    return notes;
}

// One step of 16 ms at 1000 ms from the state at rest.
sSceneState stepped(const sNoteCues& cues, const sSceneInput& input = {}, float level = 0.0f)
{
    sSceneState state = initialSceneState();
    stepScene(state, cues, input, level, 16, 1000, sSceneCounts{9, 2});
    return state;
}

TEST(SceneCues, EachNoteOfTheCueTableReachesItsCueAndNoOther)
{
    // Each hit at a time of its own: (track, pitch code) and the cue.
    struct sHit {
        int track;
        int pitch;
        bool sNoteCues::*cue;
    };
    const std::vector<sHit> hits = {{1, 0, &sNoteCues::fillFlash}, {1, 1, &sNoteCues::titleCard},
                                    {3, 0, &sNoteCues::shake},     {3, 1, &sNoteCues::dollyIn},
                                    {3, 2, &sNoteCues::dollyOut},  {4, 0, &sNoteCues::seedBoxes},
                                    {4, 1, &sNoteCues::flashImage}, {4, 2, &sNoteCues::greetings}};
    std::vector<std::string> tracks(5);
    std::vector<int> counts(5, 0);
    for (size_t k = 0; k < hits.size(); ++k) {
        tracks[size_t(hits[k].track)] += "n " + std::to_string(1000 + 100 * k) + " " +
                                         std::to_string(hits[k].pitch) + "\n";
        ++counts[size_t(hits[k].track)];
    }
    // Held notes from 5000 to 6000 ms, (3, 0) and (3, 1) turning, (4, k)
    // driving the composite and the pulse at different progress.
    tracks[3] += "hn 5000 6000 0\nhn 5500 6000 1\n";
    counts[3] += 2;
    tracks[4] += "hn 5000 6000 0\nhn 5100 6000 1\nhn 5200 6000 2\nhn 5300 6000 3\n";
    counts[4] += 4;
    std::string text = "5\n";
    for (size_t t = 0; t < 5; ++t)
        text += std::to_string(counts[t]) + "\n" + tracks[t];
    const cNoteList notes = notesFrom(text);

    for (size_t k = 0; k < hits.size(); ++k) {
        const std::int32_t at = std::int32_t(1000 + 100 * k);
        const sNoteCues cues = noteCuesBetween(notes, at - 1, at);
        for (size_t j = 0; j < hits.size(); ++j)
            EXPECT_EQ(cues.*(hits[j].cue), j == k) << "the hit (" << hits[k].track << ", " << hits[k].pitch << ")";
        // Met once: not by the next update.
        EXPECT_FALSE(noteCuesBetween(notes, at, at + 16).*(hits[k].cue));
    }
    const sNoteCues held = noteCuesBetween(notes, 5790, 5800);
    EXPECT_TRUE(held.sideTurn.active);
    EXPECT_FLOAT_EQ(held.sideTurn.invDuration, 0.001f);
    EXPECT_TRUE(held.upTurn.active);
    EXPECT_FLOAT_EQ(held.upTurn.invDuration, 0.002f);
    EXPECT_FLOAT_EQ(held.distortion, 0.8f);
    EXPECT_FLOAT_EQ(held.colourSplit, 0.7f / 0.9f);
    EXPECT_FLOAT_EQ(held.fieldMix, 0.75f);
    EXPECT_FLOAT_EQ(held.pulse, 0.5f / 0.7f);
    EXPECT_FALSE(noteCuesBetween(notes, 5000, 5400).upTurn.active);
}

TEST(SceneCues, EachCueAndJoystickInputMovesItsEffect)
{
    const sSceneState rest = stepped({});
    struct sCase {
        const char* name;
        std::function<void(sNoteCues&, sSceneInput&)> give;
        std::function<bool(const sSceneState&)> moved;
    };
    const std::vector<sCase> cases = {
        {"fill flash note", [](sNoteCues& c, sSceneInput&) { c.fillFlash = true; },
         [](const sSceneState& s) { return s.effects.fillFlash > 0.5f; }},
        {"fill flash button 8", [](sNoteCues&, sSceneInput& i) { i.buttons = 1u << 8; },
         [](const sSceneState& s) { return s.effects.fillFlash > 0.5f; }},
        {"shake note", [](sNoteCues& c, sSceneInput&) { c.shake = true; },
         [](const sSceneState& s) { return s.effects.bump > 0.9f; }},
        {"shake button 4", [](sNoteCues&, sSceneInput& i) { i.buttons = 1u << 4; },
         [](const sSceneState& s) { return s.effects.bump > 0.9f; }},
        {"dolly in note", [](sNoteCues& c, sSceneInput&) { c.dollyIn = true; },
         [](const sSceneState& s) { return s.camera.dollyPhase > 0.0f && s.camera.dollyDirection == 1.0f; }},
        {"dolly out note", [](sNoteCues& c, sSceneInput&) { c.dollyOut = true; },
         [](const sSceneState& s) { return s.camera.dollyPhase > 0.0f && s.camera.dollyDirection == -1.0f; }},
        {"dolly axis 2", [](sNoteCues&, sSceneInput& i) { i.axes[2] = 20000; },
         [](const sSceneState& s) { return s.camera.dollyPhase > 0.0f && s.camera.dollyDirection == -1.0f; }},
        {"side turn note", [](sNoteCues& c, sSceneInput&) { c.sideTurn.active = true; c.sideTurn.invDuration = 0.005f; },
         [](const sSceneState& s) { return s.camera.turnAngle.y > 0.0f && s.camera.turnAngle.x == 0.0f; }},
        {"up turn note", [](sNoteCues& c, sSceneInput&) { c.upTurn.active = true; c.upTurn.invDuration = 0.005f; },
         [](const sSceneState& s) { return s.camera.turnAngle.x > 0.0f && s.camera.turnAngle.y == 0.0f; }},
        {"turn axis 0", [](sNoteCues&, sSceneInput& i) { i.axes[0] = 30000; },
         [](const sSceneState& s) { return s.camera.turnAngle.x > 0.0f; }},
        {"turn axis 1", [](sNoteCues&, sSceneInput& i) { i.axes[1] = -30000; },
         [](const sSceneState& s) { return s.camera.turnAngle.y < 0.0f; }},
        {"seed boxes note", [](sNoteCues& c, sSceneInput&) { c.seedBoxes = true; },
         [](const sSceneState& s) { return s.seedBoxes.seedBoxesOn && s.seedBoxes.seedAnim == 1.0f; }},
        {"seed boxes button 9", [](sNoteCues&, sSceneInput& i) { i.buttons = 1u << 9; },
         [](const sSceneState& s) { return s.seedBoxes.seedBoxesOn; }},
        {"title card note", [](sNoteCues& c, sSceneInput&) { c.titleCard = true; },
         [](const sSceneState& s) { return s.effects.cardIndex == 1 && s.effects.cardFlash > 1.5f; }},
        {"title card hat", [](sNoteCues&, sSceneInput& i) { i.hat = 1; },
         [](const sSceneState& s) { return s.effects.cardIndex == 1 && s.effects.cardFlash > 1.5f; }},
        {"greetings note", [](sNoteCues& c, sSceneInput&) { c.greetings = true; },
         [](const sSceneState& s) { return s.effects.cardIndex == 2; }},
        {"flash image note", [](sNoteCues& c, sSceneInput&) { c.flashImage = true; },
         [&rest](const sSceneState& s) { return s.effects.flashLevel > 1.5f && s.random != rest.random; }},
        {"point flash button 3", [](sNoteCues&, sSceneInput& i) { i.buttons = 1u << 3; },
         [](const sSceneState& s) { return s.effects.pointFlash > 0.9f; }},
        {"point button 2", [](sNoteCues&, sSceneInput& i) { i.buttons = 1u << 2; },
         [](const sSceneState& s) {
             return s.effects.points.size() == 1 && s.effects.points[0] == s.camera.cameraPosition;
         }},
        {"pulse note", [](sNoteCues& c, sSceneInput&) { c.pulse = 0.25f; },
         [&rest](const sSceneState& s) { return s.metaballClock > rest.metaballClock * 10.0f; }},
        {"alternate background button 10", [](sNoteCues&, sSceneInput& i) { i.buttons = 1u << 10; },
         [](const sSceneState& s) { return s.effects.alternateBackground; }},
    };
    for (const sCase& c : cases) {
        sNoteCues cues;
        sSceneInput input;
        c.give(cues, input);
        EXPECT_TRUE(c.moved(stepped(cues, input))) << c.name;
        EXPECT_FALSE(c.moved(rest)) << c.name << " moves without its cue";
    }
}

TEST(SceneCues, TheBackgroundGetsTheEnergyBeforeTheJoysticksNudge)
{
    sSceneInput nudge;
    nudge.axes[3] = 32000;
    const sSceneState plain = stepped({}, {}, 0.01f);
    const sSceneState nudged = stepped({}, nudge, 0.01f);
    EXPECT_GT(plain.backgroundEnergy, 0.0f);
    // The nudge raises the energy the next step starts from, not the one
    // this step's background was drawn with.
    EXPECT_EQ(nudged.backgroundEnergy, plain.backgroundEnergy);
    EXPECT_GT(nudged.effects.energy, plain.effects.energy);
    sSceneState next = nudged;
    stepScene(next, {}, {}, 0.01f, 16, 1016, sSceneCounts{9, 2});
    sSceneState plainNext = plain;
    stepScene(plainNext, {}, {}, 0.01f, 16, 1016, sSceneCounts{9, 2});
    EXPECT_GT(next.backgroundEnergy, plainNext.backgroundEnergy);
}

// Two states are equal only when every part is: a change anywhere, the
// camera's orientation, the input and every kind of cue included, tells
// them apart, and a copy (a snapshot) equals its original.
TEST(SceneStateEquality, AChangeToAnyPartTellsTwoStatesApart)
{
    sNoteCues cues;
    cues.upTurn.active = true;
    cues.upTurn.invDuration = 0.005f;
    sSceneInput input;
    input.axes[0] = 20000;
    const sSceneState base = stepped(cues, input);
    const sSceneState copy = base;
    EXPECT_TRUE(copy == base);
    EXPECT_FALSE(copy != base);

    const std::vector<std::pair<const char*, std::function<void(sSceneState&)>>> changes = {
        {"energy", [](sSceneState& s) { s.effects.energy += 1.0f; }},
        {"a point", [](sSceneState& s) { s.effects.points.push_back({1.0f, 2.0f, 3.0f}); }},
        {"point button memory", [](sSceneState& s) { s.effects.pointButtonWasDown = !s.effects.pointButtonWasDown; }},
        {"card index set", [](sSceneState& s) { s.effects.cardIndexSet = !s.effects.cardIndexSet; }},
        {"greetings started", [](sSceneState& s) { s.effects.greetingsStarted = !s.effects.greetingsStarted; }},
        {"flash index", [](sSceneState& s) { s.effects.flashIndex += 1; }},
        {"alternate background", [](sSceneState& s) { s.effects.alternateBackground = !s.effects.alternateBackground; }},
        {"background energy", [](sSceneState& s) { s.backgroundEnergy += 1.0f; }},
        {"camera orientation", [](sSceneState& s) { s.camera.cameraOrientation.x += 0.001f; }},
        {"dolly direction", [](sSceneState& s) { s.camera.dollyDirection = -s.camera.dollyDirection; }},
        {"turn velocity", [](sSceneState& s) { s.camera.turnVelocity.x += 0.001f; }},
        {"a particle's velocity", [](sSceneState& s) { s.particles[7].velocity.y += 0.001f; }},
        {"a particle's life at spawn", [](sSceneState& s) { s.particles[3].maxLife += 1; }},
        {"one particle fewer", [](sSceneState& s) { s.particles.pop_back(); }},
        {"metaball clock", [](sSceneState& s) { s.metaballClock += 1.0f; }},
        {"seed boxes' start set", [](sSceneState& s) { s.seedBoxes.animSet = !s.seedBoxes.animSet; }},
        {"seed power", [](sSceneState& s) { s.seedBoxes.seedPower += 0.5f; }},
        {"a hit cue", [](sSceneState& s) { s.cues.greetings = !s.cues.greetings; }},
        {"a held note's progress", [](sSceneState& s) { s.cues.upTurn.progress += 0.1f; }},
        {"a held note's start", [](sSceneState& s) { s.cues.sideTurn.startMs += 1; }},
        {"colour split", [](sSceneState& s) { s.cues.colourSplit += 0.1f; }},
        {"an axis", [](sSceneState& s) { s.input.axes[3] = 100; }},
        {"the hat", [](sSceneState& s) { s.input.hat = 1; }},
        {"the random generator", [](sSceneState& s) { s.random.next(); }},
    };
    for (const auto& [name, change] : changes) {
        sSceneState changed = base;
        change(changed);
        EXPECT_FALSE(changed == base) << name;
        EXPECT_TRUE(changed != base) << name;
    }
}

} // namespace
