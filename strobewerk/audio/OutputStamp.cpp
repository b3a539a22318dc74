#include "strobewerk/audio/OutputStamp.h"

#include "strobewerk/audio/AudioResult.h"

#include <algorithm>
#include <chrono>

int64_t outputClockNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int64_t audibleFrame(const sOutputStamp& stamp, int64_t nowNs, int latencyFrames)
{
    int64_t moved = 0;
    if (stamp.advancing) {
        // Bounded first, so a stamp from long ago cannot overflow the product.
        const int64_t elapsedNs = std::clamp<int64_t>(nowNs - stamp.timeNs, 0, int64_t(3600) * 1000000000);
        moved = elapsedNs * audioOutputRate / 1000000000;
        // What was handed out is heard by the time the latency and the block
        // have passed; after that an output that took nothing new is silent.
        moved = std::min<int64_t>(moved, int64_t(stamp.frames) + latencyFrames);
    }
    return std::max<int64_t>(0, stamp.frame - latencyFrames + moved);
}
