// The maker's keys while the production plays live, and the window title
// that shows where the song is.
//
//     Space              pause / resume (sound and clock together)
//     Left / Right       5 s back / forward
//     Page Up / Down     30 s back / forward
//     Home               back to the start
//
// The main loop turns each key-down event into an ePlayAction
// (playActionForKey) and carries it out; seekTarget gives the song time a
// seek goes to. The title (windowTitle) shows the song time as m:ss.mmm
// and the frames per second that cFrameRateMeter counts, refreshed twice
// a second. Pure functions and values: no SDL calls here.
#pragma once

#include <cstdint>
#include <string>

enum class ePlayAction {
    none,
    togglePause,
    seekBack5,
    seekForward5,
    seekBack30,
    seekForward30,
    seekStart,
};

// The action of a key-down event of SDL key symbol `key`.
ePlayAction playActionForKey(int key);

// Whether the action moves the song time.
bool isSeek(ePlayAction action);

// The song time a seek action goes to from `current`, kept within
// 0 .. lengthMs (lengthMs < 0: no end known, only 0 bounds it). Any other
// action leaves `current`.
std::int32_t seekTarget(ePlayAction action, std::int32_t current, std::int32_t lengthMs);

// "strobewerk 2:15.250 | 60 fps" (and " | paused" while paused).
std::string windowTitle(std::int32_t songTimeMs, int framesPerSecond, bool paused);

// Counts frames against a millisecond tick counter and says when half a
// second has passed, with the frames per second over that time.
class cFrameRateMeter {
public:
    static constexpr std::uint32_t periodMs = 500;

    // One frame drawn at `nowMs`. True when the title is due: then
    // framesPerSecond() holds the rate of the period just ended.
    bool frame(std::uint32_t nowMs);
    int framesPerSecond() const { return rate; }

private:
    bool started = false;
    std::uint32_t periodStart = 0;
    int frames = 0;
    int rate = 0;
};
