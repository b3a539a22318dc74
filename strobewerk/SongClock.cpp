#include "strobewerk/SongClock.h"

#include <utility>

std::int32_t fixedStepTime(std::int32_t from, int fps, std::int64_t frame)
{
    // round(frame * 1000 / fps) in integers, halves away from zero.
    const std::int64_t scaled = frame * 1000;
    const std::int64_t offset = (scaled * 2 + fps) / (2 * static_cast<std::int64_t>(fps));
    return static_cast<std::int32_t>(from + offset);
}

std::int32_t followSound(std::int32_t previous, std::int32_t ticked, std::int32_t audible)
{
    const std::int64_t apart = std::int64_t(ticked) - audible;
    if (apart <= syncToleranceMs && apart >= -syncToleranceMs)
        return ticked;
    return audible > previous ? audible : previous;
}

void cSongClock::useTicks(TickSource source)
{
    ticks = std::move(source);
    audible = nullptr;
    fixedStep = false;
    restart();
}

void cSongClock::useSound(TickSource tickSource, AudibleSource audibleSource)
{
    ticks = std::move(tickSource);
    audible = std::move(audibleSource);
    fixedStep = false;
    restart();
}

void cSongClock::useFixedStep(std::int32_t start, int framesPerSecond, std::int64_t first)
{
    fixedStep = true;
    firstFrame = first;
    from = start;
    fps = framesPerSecond > 0 ? framesPerSecond : 1;
    restart();
}

void cSongClock::restart()
{
    started = false;
    frame = firstFrame;
}

sClockStep cSongClock::advance(std::int32_t current)
{
    sClockStep step;
    if (fixedStep) {
        step.songTime = fixedStepTime(from, fps, frame);
        step.frameDelta = frame == firstFrame ? 0 : step.songTime - fixedStepTime(from, fps, frame - 1);
        ++frame;
        return step;
    }
    const std::uint32_t now = ticks ? ticks() : 0;
    if (!started) {
        lastTicks = now;
        started = true;
    }
    // Unsigned difference: a counter that wraps still gives the true delta.
    const std::int32_t ticked = static_cast<std::int32_t>(now - lastTicks);
    lastTicks = now;
    step.songTime = current;
    if (held)
        return step;
    step.songTime = current + ticked;
    std::int32_t heard = 0;
    if (audible && audible(heard))
        step.songTime = followSound(current, step.songTime, heard);
    step.frameDelta = step.songTime - current;
    return step;
}
