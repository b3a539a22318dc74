#include "strobewerk/audio/AudioResult.h"

const char* audioErrorString(int32_t result)
{
    switch (result) {
    case AUDIO_OK: return "No errors.";
    case AUDIO_ERR_INVALID_PARAM: return "An invalid parameter was passed to this function.";
    case AUDIO_ERR_INITIALIZED: return "The audio system has already been initialised.";
    case AUDIO_ERR_UNINITIALIZED: return "The audio system has not been initialised.";
    case AUDIO_ERR_FILE_NOTFOUND: return "File not found.";
    case AUDIO_ERR_FORMAT: return "The file is not an mp3 stream that can be played.";
    case AUDIO_ERR_MEMORY: return "Not enough memory.";
    case AUDIO_ERR_INVALID_HANDLE: return "The sound or channel is not valid.";
    case AUDIO_ERR_DECODER: return "The mp3 decoder could not be started.";
    case AUDIO_ERR_OUTPUT: return "The audio output could not be started.";
    case AUDIO_ERR_INVALID_POSITION: return "The position lies outside the sound.";
    case AUDIO_ERR_CHANNEL_ALLOC: return "No free channel is left.";
    default: return "Unknown result code.";
    }
}
