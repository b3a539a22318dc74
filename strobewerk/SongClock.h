// The song clock: where in the song each frame is, and how far it moved
// since the frame before (the frame delta every decaying effect uses).
//
// One clock, interchangeable sources:
//  - ticks: live play. Each frame advances by the milliseconds a tick
//    counter (SDL's by default) moved since the previous frame; the first
//    frame after a restart shows a delta of 0.
//  - fixed step: capture. Frame n shows `from + round(n * 1000 / fps)` and
//    its delta is the difference to frame n - 1, so every frame sits at an
//    exact, known song time whatever the renderer's speed.
//
// The runtime asks it once per frame (advance) and copies the result into
// the frame state; tests drive it with a tick counter of their own.
#pragma once

#include <cstdint>
#include <functional>

// Song time in milliseconds of frame `frame` of a capture that starts at
// `from` and shows `fps` frames a second (fps > 0).
std::int32_t fixedStepTime(std::int32_t from, int fps, std::int64_t frame);

// One frame's reading of the clock.
struct sClockStep {
    std::int32_t songTime = 0;
    std::int32_t frameDelta = 0;
};

class cSongClock {
public:
    using TickSource = std::function<std::uint32_t()>;

    // Live: frame deltas from `ticks`. The next frame starts afresh.
    void useTicks(TickSource ticks);
    // Capture: frame n at from + round(n * 1000 / fps), starting with
    // frame 0 at `from` on the next advance.
    void useFixedStep(std::int32_t from, int fps);

    bool isFixedStep() const { return fixedStep; }
    // Frames advanced since the fixed step began (0 before the first).
    std::int64_t frameIndex() const { return frame; }

    // The next advance shows a delta of 0 and, for the fixed step, frame 0.
    void restart();

    // One frame: returns the new song time (from `current` for ticks, from
    // the frame index for the fixed step) and its delta.
    sClockStep advance(std::int32_t current);

private:
    TickSource ticks;
    bool fixedStep = false;
    std::int32_t from = 0;
    int fps = 60;
    std::int64_t frame = 0;
    bool started = false;
    std::uint32_t lastTicks = 0;
};
