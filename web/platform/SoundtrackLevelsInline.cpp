// The web build has no threads: the soundtrack's levels are decoded whole
// when they are opened, during the page's loading, before the first frame.
#include "strobewerk/audio/SoundtrackLevels.h"

void cSoundtrackLevels::runDecoding()
{
    decode();
}
