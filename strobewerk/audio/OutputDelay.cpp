#include "strobewerk/audio/OutputDelay.h"

int outputDelayFrames(int bufferFrames)
{
    return bufferFrames;
}
