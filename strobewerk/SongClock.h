// The song clock of live play: where in the song each frame is, and how far
// it moved since the frame before.
//
// One clock, interchangeable sources:
//  - ticks: each frame advances by the milliseconds a tick counter (SDL's
//    by default) moved since the previous frame; the first frame after a
//    restart shows a delta of 0.
//  - sound: live play. The tick deltas as above, but every frame the
//    result is compared with the song position the listener hears now
//    (the soundtrack's audible position). When the two differ by more than
//    syncToleranceMs (the process was stopped, the device stalled or
//    started late) the clock goes to the heard position; when the sound is
//    behind the previous frame's time the clock waits for it (delta 0), so
//    no frame ever runs back. A source with no position to give (nothing
//    plays) leaves the tick deltas alone.
//
// Live play asks it once per frame (advance) and draws the frame at the
// time it gives; tests drive it with a tick counter of their own. A capture
// needs no clock: its frame n shows exactly fixedStepTime(from, fps, n).
#pragma once

#include <cstdint>
#include <functional>

// Song time in milliseconds of frame `frame` of a run of frames that starts
// at `from` and shows `fps` frames a second (fps > 0): from + round(frame x
// 1000 / fps). The show's ticks and a capture's frames are such runs.
std::int32_t fixedStepTime(std::int32_t from, int fps, std::int64_t frame);

// Sample frame of song time `ms` at `rate` (rounded down, as the audio
// layer positions a channel).
std::int64_t sampleAtSongTime(std::int32_t ms, int rate);

// Largest difference between the clock and the heard sound that the clock
// lets pass before it follows the sound.
constexpr std::int32_t syncToleranceMs = 20;

// The song time of a frame that the tick counter puts at `ticked`, one
// frame after `previous`, while the sound is heard at `audible`: ticked
// when the two agree within syncToleranceMs, else the heard position, but
// never before `previous`.
std::int32_t followSound(std::int32_t previous, std::int32_t ticked, std::int32_t audible);

// One frame's reading of the clock.
struct sClockStep {
    std::int32_t songTime = 0;
    std::int32_t frameDelta = 0;
};

class cSongClock {
public:
    using TickSource = std::function<std::uint32_t()>;
    // Writes the heard song position in ms and returns true, or returns
    // false when there is nothing to follow.
    using AudibleSource = std::function<bool(std::int32_t&)>;

    // Frame deltas from `ticks` alone. The next frame starts afresh.
    void useTicks(TickSource ticks);
    // Live play: frame deltas from `ticks`, kept with the sound `audible`.
    void useSound(TickSource ticks, AudibleSource audible);
    // The next advance shows a delta of 0 and, for the fixed step, its
    // first frame.
    void restart();

    // While held (paused), every advance keeps the song time with a delta
    // of 0; the tick counter is still read, so a release does not jump.
    void setHeld(bool hold) { held = hold; }
    bool isHeld() const { return held; }

    // One frame: returns the new song time (from `current`) and its delta.
    sClockStep advance(std::int32_t current);

private:
    TickSource ticks;
    AudibleSource audible;
    bool held = false;
    bool started = false;
    std::uint32_t lastTicks = 0;
};
