#include "strobewerk/show/ShowTimeline.h"

#include <algorithm>
#include <utility>

#include "strobewerk/NoteList.h"
#include "strobewerk/SongClock.h"
#include "strobewerk/audio/SoundtrackLevels.h"

std::int32_t tickTime(std::int64_t tick)
{
    return fixedStepTime(0, showTicksPerSecond, tick);
}

std::int64_t tickAtOrBefore(std::int32_t ms)
{
    if (ms <= 0)
        return 0;
    std::int64_t tick = static_cast<std::int64_t>(ms) * showTicksPerSecond / 1000;
    while (tickTime(tick + 1) <= ms)
        ++tick;
    while (tick > 0 && tickTime(tick) > ms)
        --tick;
    return tick;
}

float tickFraction(std::int32_t ms)
{
    const std::int64_t before = tickAtOrBefore(ms);
    const std::int32_t tickMs = tickTime(before);
    const std::int32_t nextMs = tickTime(before + 1);
    return static_cast<float>(std::max(ms, 0) - tickMs) / static_cast<float>(nextMs - tickMs);
}

void blendBetweenTicks(sSceneState& partial, const sSceneState& earlier, const sSceneState& later, std::int32_t ms)
{
    // The camera turns by a whole update's angle in any step, however
    // short: between two ticks it glides from one tick's rig to the next.
    partial.camera = blendCameraRig(earlier.camera, later.camera, tickFraction(ms));
}

void cShowTimeline::attach(const cNoteList* noteList, cSoundtrackLevels* soundtrackLevels, const sSceneCounts& sceneCounts)
{
    notes = noteList;
    levels = soundtrackLevels;
    counts = sceneCounts;
    forget();
}

void cShowTimeline::step(sSceneState& state, std::int32_t fromMs, std::int32_t toMs, std::int64_t inputTick,
                         std::int64_t levelTick) const
{
    static const cNoteList noNotes;
    const sNoteCues cues = noteCuesBetween(notes ? *notes : noNotes, fromMs, toMs);
    const float level = levels ? levels->level(levelTick) : 0.0f;
    // The first tick has no tick before it: a step of 0 ms.
    const std::int32_t dt = fromMs < 0 ? 0 : toMs - fromMs;
    stepScene(state, cues, inputLog.at(inputTick), level, dt, toMs, counts);
}

void cShowTimeline::restoreBefore(std::int64_t target)
{
    for (std::int64_t k = std::min<std::int64_t>(target / snapshotEvery, std::int64_t(kept.size()) - 1); k >= 0; --k) {
        if (kept[static_cast<std::size_t>(k)]) {
            current = snapshots[static_cast<std::size_t>(k)];
            tick = k * snapshotEvery;
            previousKept = false;
            return;
        }
    }
    current = initial;
    tick = -1;
    previousKept = false;
}

void cShowTimeline::stepTo(std::int64_t target)
{
    // One tick back: the state kept from before the last step.
    if (target == tick - 1 && previousKept) {
        std::swap(current, previous);
        tick = target;
        previousKept = false;
        return;
    }
    // Back, or further ahead than a kept copy (more than the one step that
    // keeps the state before it): start from the copy.
    const std::int64_t nearest = target / snapshotEvery;
    const bool copyAhead = nearest < std::int64_t(kept.size()) && kept[static_cast<std::size_t>(nearest)]
                           && nearest * snapshotEvery > tick + 1;
    if (target < tick || copyAhead)
        restoreBefore(target);
    while (tick < target) {
        const std::int64_t next = tick + 1;
        if (next == target) {
            previous = current;
            previousKept = true;
        }
        step(current, next == 0 ? -1 : tickTime(tick), tickTime(next), next, next);
        tick = next;
        if (tick % snapshotEvery == 0) {
            const std::size_t k = static_cast<std::size_t>(tick / snapshotEvery);
            if (k >= kept.size()) {
                kept.resize(k + 1, false);
                snapshots.resize(k + 1);
            }
            if (!kept[k]) {
                snapshots[k] = current;
                kept[k] = true;
            }
        }
    }
}

const sSceneState& cShowTimeline::stateAtTick(std::int64_t target)
{
    stepTo(target < 0 ? 0 : target);
    return current;
}

void cShowTimeline::stepToPair(std::int64_t target)
{
    if (tick == target && previousKept)
        return;
    stepTo(target - 1);
    stepTo(target);
}

const sSceneState& cShowTimeline::stateAt(std::int32_t ms)
{
    if (ms < 0)
        ms = 0;
    const std::int64_t before = tickAtOrBefore(ms);
    const std::int32_t tickMs = tickTime(before);
    if (ms == tickMs)
        return stateAtTick(before);
    // The pair: the later tick in `current`, the earlier in `previous`.
    stepToPair(before + 1);
    frame = previous;
    step(frame, tickMs, ms, before + 1, before + 1);
    blendBetweenTicks(frame, previous, current, ms);
    return frame;
}

void cShowTimeline::setInput(std::int64_t fromTick, const sSceneInput& input)
{
    const std::int64_t changed = inputLog.set(fromTick, input);
    if (changed >= 0)
        inputChangedFrom(changed);
}

void cShowTimeline::forget()
{
    snapshots.clear();
    kept.clear();
    current = initial;
    tick = -1;
    previousKept = false;
}

void cShowTimeline::notesChanged()
{
    forget();
}

void cShowTimeline::useInputs(const cInputLog& log)
{
    inputLog = log;
    forget();
}

void cShowTimeline::inputChangedFrom(std::int64_t changedTick)
{
    for (std::size_t k = 0; k < kept.size(); ++k) {
        if (std::int64_t(k) * snapshotEvery >= changedTick)
            kept[k] = false;
    }
    if (tick == changedTick && previousKept)
        stepTo(changedTick - 1); // the state kept from before the last step
    else if (tick >= changedTick)
        restoreBefore(changedTick - 1);
}

std::size_t cShowTimeline::snapshotCount() const
{
    std::size_t count = 0;
    for (bool k : kept)
        count += k ? 1 : 0;
    return count;
}
