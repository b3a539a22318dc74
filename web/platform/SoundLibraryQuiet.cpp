// The browser's audio output has no system sound library behind it that
// could print diagnostics of its own: there is nothing to quiet.
#include "strobewerk/audio/SoundLibraryQuiet.h"

bool quietSoundLibraryDiagnostics()
{
    return false;
}
