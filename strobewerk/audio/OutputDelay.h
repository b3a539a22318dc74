// How long after the audio output takes a block from the mixer its first
// frame is heard, in frames. SDL's desktop output plays one device buffer
// while the callback fills the next (OutputDelay.cpp); the web build's
// output queues blocks ahead on the browser's audio clock and measures the
// delay of each (web/platform/OutputDelay.cpp).
#pragma once

// Asked by the output each time it takes a block of `bufferFrames` frames.
int outputDelayFrames(int bufferFrames);
