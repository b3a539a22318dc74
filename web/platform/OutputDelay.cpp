// The browser's SDL output schedules each block it takes on the page's
// audio clock: right after the blocks already queued, and never sooner than
// its fixed buffering delay from now; the audio device adds its own output
// latency on top.
#include "strobewerk/audio/OutputDelay.h"

#include <emscripten.h>

#include "strobewerk/audio/AudioResult.h"

int outputDelayFrames(int bufferFrames)
{
    const double seconds = EM_ASM_DOUBLE({
        if (typeof SDL === 'undefined' || !SDL.audio || !SDL.audioContext)
            return -1;
        var now = SDL.audioContext.currentTime;
        var start = Math.max(now + SDL.audio.bufferingDelay, SDL.audio.nextPlayTime);
        var device = SDL.audioContext.outputLatency || SDL.audioContext.baseLatency || 0;
        return start - now + device;
    });
    return seconds < 0 ? bufferFrames : static_cast<int>(seconds * audioOutputRate + 0.5);
}
