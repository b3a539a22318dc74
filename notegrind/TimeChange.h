// sTimeChange: one entry of the tempo map.
//
// The tick at which the tempo changes, the song time in milliseconds at that
// tick, and the new tempo as beats per minute times 32.
#pragma once

#include <cstdint>

namespace notegrind {

struct sTimeChange {
    int32_t tick = 0;
    int32_t ms = 0;
    int32_t bpm32 = 0;
};

} // namespace notegrind
