#include "strobewerk/audio/SoundLibraryQuiet.h"

#include <dlfcn.h>

namespace {

// The shape of ALSA's error handler and of the call that installs it.
using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int err,
                                  const char* format, ...);
using AlsaSetErrorHandler = int (*)(AlsaErrorHandler handler);

void dropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

bool installQuietHandler()
{
    // The library stays loaded for the life of the process, so the handler
    // is still in place when SDL loads it for its own use.
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
    if (!alsa)
        return false;
    auto setHandler = reinterpret_cast<AlsaSetErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (!setHandler)
        return false;
    return setHandler(&dropAlsaMessage) == 0;
}

} // namespace

bool quietSoundLibraryDiagnostics()
{
    static const bool quiet = installQuietHandler();
    return quiet;
}
