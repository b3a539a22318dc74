#include "strobewerk/live/PlayControls.h"

#include <SDL_keysym.h>

#include <algorithm>

#include "strobewerk/Options.h"

ePlayAction playActionForKey(int key)
{
    switch (key) {
    case SDLK_SPACE: return ePlayAction::togglePause;
    case SDLK_LEFT: return ePlayAction::seekBack5;
    case SDLK_RIGHT: return ePlayAction::seekForward5;
    case SDLK_PAGEUP: return ePlayAction::seekBack30;
    case SDLK_PAGEDOWN: return ePlayAction::seekForward30;
    case SDLK_HOME: return ePlayAction::seekStart;
    default: return ePlayAction::none;
    }
}

bool isSeek(ePlayAction action)
{
    return action != ePlayAction::none && action != ePlayAction::togglePause;
}

std::int32_t seekTarget(ePlayAction action, std::int32_t current, std::int32_t lengthMs)
{
    std::int64_t target = current;
    switch (action) {
    case ePlayAction::seekBack5: target -= 5000; break;
    case ePlayAction::seekForward5: target += 5000; break;
    case ePlayAction::seekBack30: target -= 30000; break;
    case ePlayAction::seekForward30: target += 30000; break;
    case ePlayAction::seekStart: target = 0; break;
    case ePlayAction::none:
    case ePlayAction::togglePause: return current;
    }
    target = std::max<std::int64_t>(target, 0);
    if (lengthMs >= 0)
        target = std::min<std::int64_t>(target, lengthMs);
    return static_cast<std::int32_t>(std::min<std::int64_t>(target, INT32_MAX));
}

std::string windowTitle(std::int32_t songTimeMs, int framesPerSecond, bool paused)
{
    std::string title = "strobewerk " + formatSongTime(songTimeMs) + " | " + std::to_string(framesPerSecond) + " fps";
    if (paused)
        title += " | paused";
    return title;
}

bool cFrameRateMeter::frame(std::uint32_t nowMs)
{
    if (!started) {
        // The first frame opens the period; the frames after it fill it.
        started = true;
        periodStart = nowMs;
        frames = 0;
        return false;
    }
    ++frames;
    const std::uint32_t elapsed = nowMs - periodStart;
    if (elapsed < periodMs)
        return false;
    rate = static_cast<int>((std::uint64_t(frames) * 1000 + elapsed / 2) / elapsed);
    frames = 0;
    periodStart = nowMs;
    return true;
}
