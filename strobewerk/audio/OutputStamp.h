// sOutputStamp: when the audio output last took samples, and from where.
//
// The output thread hands samples out in blocks (a device buffer, or a step
// of the silent output). Each block stamps where it started (in sample
// frames), when it was handed out (steady clock, nanoseconds) and how long
// it was. Between two blocks the main thread works out what is heard now:
// the block's first frame sounds one output latency after it was handed
// out, and the sound moves on in real time from there, but never past the
// end of the last block (an output that stalls stops being heard). Pure
// arithmetic, so tests check it with made-up times.
#pragma once

#include <cstdint>

struct sOutputStamp {
    int64_t frame = 0;        // first frame of the block
    int64_t timeNs = 0;       // when it was handed out
    int frames = 0;           // frames in the block
    bool advancing = false;   // false while paused: the position holds
    bool valid = false;       // no block handed out yet
};

// Steady-clock time in nanoseconds, the time base of the stamps.
int64_t outputClockNs();

// The frame heard at `nowNs`, `latencyFrames` after the stamp's block was
// handed out; never below 0.
int64_t audibleFrame(const sOutputStamp& stamp, int64_t nowNs, int latencyFrames);
