#include "strobewerk/SongClock.h"

#include <utility>

std::int32_t fixedStepTime(std::int32_t from, int fps, std::int64_t frame)
{
    // round(frame * 1000 / fps) in integers, halves away from zero.
    const std::int64_t scaled = frame * 1000;
    const std::int64_t offset = (scaled * 2 + fps) / (2 * static_cast<std::int64_t>(fps));
    return static_cast<std::int32_t>(from + offset);
}

std::int64_t sampleAtSongTime(std::int32_t ms, int rate)
{
    return static_cast<std::int64_t>(ms) * rate / 1000;
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
    restart();
}

void cSongClock::useSound(TickSource tickSource, AudibleSource audibleSource)
{
    ticks = std::move(tickSource);
    audible = std::move(audibleSource);
    restart();
}

void cSongClock::restart()
{
    started = false;
}

sClockStep cSongClock::advance(std::int32_t current)
{
    sClockStep step;
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
