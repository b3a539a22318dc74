// cShowTimeline: the show's state at any song time, the same however the
// song got there.
//
// The state (scenes/SceneState.h) moves on in fixed ticks of song time:
// tick n at round(n x 1000 / 60) ms, counted from song time 0. Tick n
// steps from tick n - 1 with the note cues between the two, the input the
// log holds for tick n and the soundtrack's level at tick n. A frame at a
// tick time shows that tick's state. Between two ticks the timeline holds
// both, as a fixed-step loop does: stepped once to the later tick, it keeps
// the earlier one's state beside it, and every frame between them draws
// from the pair (blendBetweenTicks): the earlier state taken one partial
// step on to the frame's time (with the later tick's input and level), and
// the camera blended from the earlier tick's rig to the later one's by the
// share of the way the frame is (tickFraction), so a screen faster than
// 60 Hz still sees smooth motion. Either way the picture is a function of
// the song time alone: the frame rate, the start and any seek change
// nothing.
//
// A copy of the state is kept every second of song time it passes; a jump
// goes back to the nearest copy at or before its target and steps on from
// there, so it costs at most a second of ticks once the song has been
// played through, and the whole song (about 11 000 ticks) when cold.
//
//     cShowTimeline timeline;
//     timeline.attach(&notes, &levels, counts);
//     const sSceneState& state = timeline.stateAt(songTime);
//
// What the state depends on can change while the production runs: new
// notes (notesChanged) or a live input that differs from the log (the log
// says from which tick; inputChangedFrom). The copies from then on are
// dropped and the state is worked out again.
#pragma once

#include <cstdint>
#include <vector>

#include "strobewerk/scenes/SceneState.h"
#include "strobewerk/show/InputLog.h"

class cNoteList;
class cSoundtrackLevels;

constexpr int showTicksPerSecond = 60;
// Song time of tick n.
std::int32_t tickTime(std::int64_t tick);
// The last tick at or before song time `ms` (0 for times before 0).
std::int64_t tickAtOrBefore(std::int32_t ms);
// How far song time `ms` is from the tick at or before it to the next one:
// 0 at a tick, below 1 before the next.
float tickFraction(std::int32_t ms);

// The state a frame at song time `ms` between two ticks draws: `partial`
// (the earlier tick's state stepped on to `ms`) with its camera blended from
// `earlier`'s rig to `later`'s by tickFraction(ms).
void blendBetweenTicks(sSceneState& partial, const sSceneState& earlier, const sSceneState& later, std::int32_t ms);

class cShowTimeline {
public:
    // Ticks between two kept copies of the state.
    static constexpr std::int64_t snapshotEvery = showTicksPerSecond;

    // What the steps read. `levels` may be null (every level 0).
    void attach(const cNoteList* notes, cSoundtrackLevels* levels, const sSceneCounts& counts);

    // The state after tick `tick` (>= 0).
    const sSceneState& stateAtTick(std::int64_t tick);
    // The state a frame at song time `ms` draws (see above). The reference
    // holds until the next call.
    const sSceneState& stateAt(std::int32_t ms);

    // The joystick log the steps read; live play writes it through
    // setInput.
    const cInputLog& inputs() const { return inputLog; }
    // Replaces the log (a recorded performance to replay).
    void useInputs(const cInputLog& log);
    // Sets the input from `tick` on, as cInputLog::set, dropping what it
    // makes stale.
    void setInput(std::int64_t tick, const sSceneInput& input);

    void notesChanged();
    void inputChangedFrom(std::int64_t tick);

    // The last tick the state has been stepped to (-1: none yet); after a
    // frame between two ticks, the later of the two.
    std::int64_t currentTick() const { return tick; }
    // Copies of the state kept so far.
    std::size_t snapshotCount() const;

private:
    void forget();
    void stepTo(std::int64_t target);
    void stepToPair(std::int64_t target);
    void restoreBefore(std::int64_t target);
    void step(sSceneState& state, std::int32_t fromMs, std::int32_t toMs, std::int64_t inputTick,
              std::int64_t levelTick) const;

    const cNoteList* notes = nullptr;
    cSoundtrackLevels* levels = nullptr;
    sSceneCounts counts;
    cInputLog inputLog;
    sSceneState initial = initialSceneState();
    sSceneState current = initial;
    std::int64_t tick = -1;
    // The state after tick - 1, when previousKept: the earlier of the pair a
    // frame between two ticks draws from.
    sSceneState previous;
    bool previousKept = false;
    // snapshots[k]: the state after tick k x snapshotEvery, when kept.
    std::vector<sSceneState> snapshots;
    std::vector<bool> kept;
    sSceneState frame;
};
