// The show's state as a function of the song time: the production's own
// random numbers, the note cues worked out between two song times, the
// timeline reached along different paths, and the joystick's log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "strobewerk/NoteList.h"
#include "strobewerk/SongClock.h"
#include "strobewerk/show/InputLog.h"
#include "strobewerk/show/ShowTimeline.h"

namespace fs = std::filesystem;

namespace {

// Cues of every kind in the first 12 s: fill flashes, shakes, dollies, the
// seed boxes, flash images (each draws a random number) and greetings, and
// held notes that turn the camera, pulse the blobs and ripple the frame.
const char* const cueText = "5\n"
                            "0\n"
                            "2\nn 1000 0\nn 7000 0\n"
                            "0\n"
                            "6\nn 500 0\nn 3000 1\nn 9000 2\nhn 2000 2500 0\nhn 4000 6000 1\nn 8000 0\n"
                            "6\nn 1500 0\nn 2500 1\nn 5500 1\nn 6000 2\nhn 4000 5000 3\nhn 10000 11000 0\n";

cNoteList cueNotes()
{
    cNoteList notes;
    std::istringstream in(cueText);
    EXPECT_EQ(notes.load(in), "");
    return notes;
}

// The parts of two states that differ, for a failure's message.
std::string differingParts(const sSceneState& a, const sSceneState& b)
{
    std::string parts;
    const auto note = [&parts](bool same, const char* name) {
        if (!same)
            parts += std::string(" ") + name;
    };
    note(a.effects == b.effects, "effects");
    note(a.backgroundEnergy == b.backgroundEnergy, "backgroundEnergy");
    note(a.camera == b.camera, "camera");
    note(a.particles == b.particles, "particles");
    note(a.metaballClock == b.metaballClock, "metaballClock");
    note(a.seedBoxes == b.seedBoxes, "seedBoxes");
    note(a.cues == b.cues, "cues");
    note(a.input == b.input, "input");
    note(a.random == b.random, "random");
    return parts;
}

// Whole states compared: a field that differs anywhere fails the test.
void expectSameState(const sSceneState& a, const sSceneState& b, const std::string& where)
{
    EXPECT_TRUE(a == b) << where << ": differing" << differingParts(a, b);
}

class ShowTimeline : public ::testing::Test {
protected:
    cNoteList notes = cueNotes();
    const sSceneCounts counts{9, 2};

    void attach(cShowTimeline& timeline) { timeline.attach(&notes, nullptr, counts); }
};

TEST(SceneRandom, DrawsTheCLibrarysSequenceAndACopyGoesOnAlike)
{
    std::srand(1);
    cSceneRandom random;
    for (int i = 0; i < 20000; ++i)
        ASSERT_EQ(random.next(), std::rand()) << "number " << i;
    cSceneRandom copy = random;
    cSceneRandom skipped = random;
    skipped.discard(5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(copy.next(), random.next());
    EXPECT_TRUE(copy == skipped);
}

// findNoteBetween answers from the notes alone what the list's own update
// gives along a pass from 0, for random notes and random frame steps.
TEST(NoteCues, BetweenTwoUpdatesAgreesWithTheListsOwnPlayback)
{
    std::mt19937 gen(7);
    std::ostringstream text;
    text << "2\n0\n60\n";
    for (int i = 0; i < 60; ++i) {
        const int start = static_cast<int>(gen() % 3000);
        const int pitch = static_cast<int>(gen() % 2);
        if (gen() % 2)
            text << "n " << start << ' ' << pitch << '\n';
        else
            text << "hn " << start << ' ' << start + 1 + static_cast<int>(gen() % 80) << ' ' << pitch << '\n';
    }
    cNoteList played;
    std::istringstream in(text.str());
    ASSERT_EQ(played.load(in), "");
    played.rewind(0);
    std::int32_t previous = -1;
    for (std::int32_t now = 0; now < 3200; now += 1 + static_cast<std::int32_t>(gen() % 40)) {
        played.update(now);
        for (int pitch = 0; pitch < 2; ++pitch) {
            for (bool held : {false, true}) {
                const sNote expected = played.findNote(1, pitch, held);
                const sNote got = played.findNoteBetween(1, pitch, held, previous, now);
                ASSERT_EQ(got.active, expected.active) << "at " << now << " pitch " << pitch << " held " << held;
                ASSERT_EQ(got.startMs, expected.startMs) << "at " << now;
                ASSERT_EQ(got.progress, expected.progress) << "at " << now;
                ASSERT_EQ(got.invDuration, expected.invDuration) << "at " << now;
            }
        }
        previous = now;
    }
}

TEST(Ticks, SixtyASecondFromSongTimeZero)
{
    EXPECT_EQ(tickTime(0), 0);
    EXPECT_EQ(tickTime(1), 17);
    EXPECT_EQ(tickTime(2), 33);
    EXPECT_EQ(tickTime(60), 1000);
    for (std::int32_t ms = 0; ms < 2100; ++ms) {
        const std::int64_t tick = tickAtOrBefore(ms);
        ASSERT_LE(tickTime(tick), ms);
        ASSERT_GT(tickTime(tick + 1), ms);
    }
    EXPECT_EQ(tickAtOrBefore(-5), 0);
}

TEST(Ticks, AFramesShareOfTheWayToTheNextTick)
{
    // Ticks at 0, 17 and 33 ms.
    EXPECT_EQ(tickFraction(0), 0.0f);
    EXPECT_EQ(tickFraction(17), 0.0f);
    EXPECT_FLOAT_EQ(tickFraction(8), 8.0f / 17.0f);
    EXPECT_FLOAT_EQ(tickFraction(25), 8.0f / 16.0f);
    EXPECT_EQ(tickFraction(-5), 0.0f);
    float last = 0.0f;
    for (std::int32_t ms = 1; ms < 2100; ++ms) {
        const float f = tickFraction(ms);
        ASSERT_GE(f, 0.0f);
        ASSERT_LT(f, 1.0f);
        ASSERT_TRUE(f == 0.0f ? tickTime(tickAtOrBefore(ms)) == ms : f > last) << "at " << ms;
        last = f;
    }
}

// Frames at 25, 60 and 144 a second, a cold start and a seek back all see
// the same state at the same song time, between ticks as well as on them.
TEST_F(ShowTimeline, SameStateWhateverTheFrameRateStartOrSeek)
{
    const std::vector<std::int32_t> checks{1000, 2200, 5517, 6250, 9001, 10400, 11999};
    std::vector<sSceneState> seen[3];
    const int rates[3] = {25, 60, 144};
    for (int r = 0; r < 3; ++r) {
        cShowTimeline timeline;
        attach(timeline);
        // The frames of this rate, with the checked times drawn among them.
        size_t next = 0;
        for (std::int64_t frame = 0; next < checks.size(); ++frame) {
            const std::int32_t ms = fixedStepTime(0, rates[r], frame);
            for (; next < checks.size() && checks[next] <= ms; ++next)
                seen[r].push_back(timeline.stateAt(checks[next]));
            timeline.stateAt(ms);
        }
    }
    cShowTimeline cold;
    attach(cold);
    for (size_t i = checks.size(); i-- > 0;) {
        const sSceneState state = cold.stateAt(checks[i]); // back through the song
        for (int r = 0; r < 3; ++r) {
            ASSERT_EQ(seen[r].size(), checks.size());
            expectSameState(seen[r][i], state, std::to_string(rates[r]) + " fps at " + std::to_string(checks[i]));
        }
    }
    // The state moved: the cues did something.
    EXPECT_TRUE(seen[1].back().seedBoxes.seedBoxesOn);
    EXPECT_NE(seen[1].back().effects.cardIndex, 8u);
}

TEST_F(ShowTimeline, HeldNoteSoundingAtASeeksTargetTurnsTheCameraRightAway)
{
    cShowTimeline timeline;
    attach(timeline);
    // (3, 0) is held from 2000 to 2500 ms: a jump to 2200 finds it sounding.
    const sSceneState& state = timeline.stateAt(2200);
    EXPECT_TRUE(state.cues.sideTurn.active);
    EXPECT_NEAR(state.cues.sideTurn.progress, 0.4f, 1e-6f);
    EXPECT_GT(state.camera.turnVelocity.y, 0.0f);
    EXPECT_EQ(timeline.snapshotCount(), 3u); // passed 0, 1 s and 2 s
}

// While a held note turns the camera, frames between two ticks show it
// part of the way from one tick's orientation to the next, in step with
// their song time.
TEST_F(ShowTimeline, CameraGlidesBetweenTicks)
{
    cShowTimeline timeline;
    attach(timeline);
    const std::int64_t tick = tickAtOrBefore(4500);
    const quatf from = timeline.stateAtTick(tick).camera.cameraOrientation;
    const quatf to = timeline.stateAtTick(tick + 1).camera.cameraOrientation;
    // The turn from a to b, from the vector part of a^-1 b (precise for
    // the small angles of one tick).
    const auto angle = [](const quatf& a, const quatf& b) {
        const quatf d = a.inverse() * b;
        return 2.0f * std::asin(std::min(1.0f, std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z)));
    };
    const float whole = angle(from, to);
    ASSERT_GT(whole, 1e-4f);
    float last = 0.0f;
    for (std::int32_t ms = tickTime(tick) + 1; ms < tickTime(tick + 1); ++ms) {
        const float moved = angle(from, timeline.stateAt(ms).camera.cameraOrientation);
        const float share = float(ms - tickTime(tick)) / float(tickTime(tick + 1) - tickTime(tick));
        EXPECT_NEAR(moved, share * whole, 0.05f * whole) << "at " << ms;
        EXPECT_GT(moved, last);
        last = moved;
    }
}

// A frame between two ticks is the earlier tick's state taken one partial
// step on to the frame's time (with the later tick's input), its camera
// blended between the two ticks' rigs: whatever order the frames come in
// (forward, back, to and fro across a tick, far jumps) and while live input
// keeps changing the later tick.
TEST_F(ShowTimeline, AFrameBetweenTwoTicksIsTheEarlierTickStepOnPartWay)
{
    cShowTimeline timeline;
    attach(timeline);
    cShowTimeline ticks;
    attach(ticks);
    const auto expected = [&](std::int32_t ms) {
        const std::int64_t n = tickAtOrBefore(ms);
        if (tickTime(n) == ms)
            return ticks.stateAtTick(n);
        const sSceneState later = ticks.stateAtTick(n + 1);
        const sSceneState earlier = ticks.stateAtTick(n);
        sSceneState frame = earlier;
        stepScene(frame, noteCuesBetween(notes, tickTime(n), ms), ticks.inputs().at(n + 1), 0.0f, ms - tickTime(n),
                  ms, counts);
        blendBetweenTicks(frame, earlier, later, ms);
        return frame;
    };
    // While a held note turns the camera (4000 to 6000 ms).
    std::vector<std::int32_t> times;
    for (std::int32_t ms = 4499; ms <= 4535; ++ms)
        times.push_back(ms);
    for (std::int32_t ms = 4535; ms >= 4499; --ms)
        times.push_back(ms);
    for (std::int32_t ms : {4516, 4518, 4515, 4517, 4533, 4510, 9001, 2005, 2004, 11999})
        times.push_back(ms);
    for (std::int32_t ms : times)
        expectSameState(timeline.stateAt(ms), expected(ms), "at " + std::to_string(ms));
    // The camera moves from frame to frame between the ticks.
    const sCameraRigState camera = timeline.stateAt(4508).camera;
    EXPECT_FALSE(timeline.stateAt(4509).camera == camera);

    // Live input given from the next tick on, as live play gives it, a
    // different turn every frame.
    sSceneInput input;
    for (std::int32_t ms = 4600; ms < 4700; ms += 7) {
        input.axes[0] = static_cast<std::int16_t>(ms * 6);
        timeline.setInput(tickAtOrBefore(ms) + 1, input);
        ticks.useInputs(timeline.inputs());
        expectSameState(timeline.stateAt(ms), expected(ms), "with live input at " + std::to_string(ms));
    }
}

TEST_F(ShowTimeline, KeptCopiesResumeWithTheGeneratorInsideTheState)
{
    cShowTimeline timeline;
    attach(timeline);
    // Flash images at 2500 and 5500 ms each draw a number: the choice at
    // 5500 after going back to a copy from before 2500 is the one of the
    // pass through.
    const sSceneState through = timeline.stateAt(6000);
    timeline.stateAt(1800);
    EXPECT_EQ(timeline.currentTick(), tickAtOrBefore(1800));
    expectSameState(timeline.stateAt(6000), through, "after going back");
    cShowTimeline fresh;
    attach(fresh);
    expectSameState(fresh.stateAt(6000), through, "fresh");
    EXPECT_NE(through.random, initialSceneState().random);
}

TEST_F(ShowTimeline, RecordedInputReplaysTheSamePerformance)
{
    cShowTimeline live;
    attach(live);
    // A performance: the dolly axis, a held point button, a fill flash and
    // the hat, given tick by tick as live play does, with frames between.
    sSceneInput input;
    std::vector<sSceneState> shown;
    for (std::int32_t ms = 0; ms <= 8000; ms += 23) {
        input.axes[2] = ms > 1000 && ms < 1400 ? -20000 : 0;
        input.buttons = (ms > 3000 && ms < 3100 ? 1u << 2 : 0u) | (ms > 4000 && ms < 4050 ? 1u << 8 : 0u);
        input.hat = ms > 6000 && ms < 6040 ? 1 : 0;
        live.setInput(tickAtOrBefore(ms) + 1, input);
        shown.push_back(live.stateAt(ms));
    }
    EXPECT_EQ(shown.back().effects.points.size(), 1u);
    EXPECT_GT(live.inputs().size(), 4u);

    const fs::path file = fs::temp_directory_path() / "show-timeline-input.txt";
    ASSERT_EQ(live.inputs().save(file.string()), "");
    cInputLog loaded;
    ASSERT_EQ(loaded.load(file.string()), "");
    cShowTimeline replay;
    attach(replay);
    replay.useInputs(loaded);
    size_t frame = 0;
    for (std::int32_t ms = 0; ms <= 8000; ms += 23, ++frame) {
        if (frame % 10 == 0 || ms > 7900)
            expectSameState(replay.stateAt(ms), shown[frame], "replayed at " + std::to_string(ms));
    }

    // A file that is not a recording is refused with its reason.
    std::ofstream(file) << "strobewerk input 1\n12 0 0 0 0 4 0\n7 0 0 0 0 0 0\n";
    EXPECT_EQ(loaded.load(file.string()), "line 3 is not a change of input after the one before");
    EXPECT_TRUE(loaded.empty());
    std::ofstream(file) << "hello\n";
    EXPECT_NE(loaded.load(file.string()).find("not an input recording"), std::string::npos);
    fs::remove(file);
}

TEST_F(ShowTimeline, LiveInputThatDiffersFromTheLogRewritesWhatFollows)
{
    cShowTimeline timeline;
    attach(timeline);
    const sSceneState before = timeline.stateAt(9000);
    sSceneInput dolly;
    dolly.axes[2] = 30000;
    // Given from tick 300 (5 s) on, after the song has passed it: the state
    // from there is worked out again and equals a fresh run of the log.
    timeline.setInput(300, dolly);
    const sSceneState after = timeline.stateAt(9000);
    EXPECT_NE(after.camera.cameraDistance, before.camera.cameraDistance);
    cShowTimeline fresh;
    attach(fresh);
    fresh.useInputs(timeline.inputs());
    expectSameState(fresh.stateAt(9000), after, "fresh with the same log");
    expectSameState(timeline.stateAt(4000), fresh.stateAt(4000), "before the change");
}

TEST(InputLog, OneEntryPerChangeAndLaterEntriesGiveWayToLiveInput)
{
    cInputLog log;
    sSceneInput a;
    a.buttons = 1;
    sSceneInput b;
    b.axes[0] = 100;
    EXPECT_EQ(log.set(10, sSceneInput{}), -1); // neutral is what the log gives
    EXPECT_EQ(log.set(10, a), 10);
    EXPECT_EQ(log.set(11, a), -1);
    EXPECT_EQ(log.set(20, b), 20);
    EXPECT_EQ(log.size(), 2u);
    EXPECT_EQ(log.at(9), sSceneInput{});
    EXPECT_EQ(log.at(15), a);
    EXPECT_EQ(log.at(1000), b);
    // Back at tick 15 with input a: what the log held from 20 on is gone.
    EXPECT_EQ(log.set(15, a), 20);
    EXPECT_EQ(log.at(1000), a);
    EXPECT_EQ(log.size(), 1u);
    // Changed and changed back within one tick leaves no entry.
    EXPECT_EQ(log.set(30, b), 30);
    EXPECT_EQ(log.set(30, a), 30);
    EXPECT_EQ(log.size(), 1u);
}

} // namespace
