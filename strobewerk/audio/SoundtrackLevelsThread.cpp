// The soundtrack's levels are decoded on a thread of their own, far ahead
// of play.
#include "strobewerk/audio/SoundtrackLevels.h"

void cSoundtrackLevels::runDecoding()
{
    worker = std::thread([this] { decode(); });
}
