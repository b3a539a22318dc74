// Result codes, flags and constants of the production's audio layer.
//
// Every call of the layer returns one of the eAudioResult codes; 0 is
// success. audioErrorString gives the text of a code, used in the fatal
// start-up message when the layer cannot start.
#pragma once

#include <cstdint>

enum eAudioResult : int32_t {
    AUDIO_OK = 0,
    AUDIO_ERR_INVALID_PARAM = 1,
    AUDIO_ERR_INITIALIZED = 2,
    AUDIO_ERR_UNINITIALIZED = 3,
    AUDIO_ERR_FILE_NOTFOUND = 4,
    AUDIO_ERR_FORMAT = 5,
    AUDIO_ERR_MEMORY = 6,
    AUDIO_ERR_INVALID_HANDLE = 7,
    AUDIO_ERR_DECODER = 8,
    AUDIO_ERR_OUTPUT = 9,
    AUDIO_ERR_INVALID_POSITION = 10,
    AUDIO_ERR_CHANNEL_ALLOC = 11,
};

// The text of a result code ("unknown result code" for others).
const char* audioErrorString(int32_t result);

// cAudioSystem::init flags.
constexpr uint32_t AUDIO_INIT_NORMAL = 0x0;
// No device and no silent output: nothing plays by itself and whoever
// renders (an offline render, a test) pulls the samples with mix().
constexpr uint32_t AUDIO_INIT_NO_OUTPUT = 0x1;

// cAudioSystem::createStream modes.
constexpr uint32_t AUDIO_DEFAULT = 0x0;
constexpr uint32_t AUDIO_SOFTWARE = 0x40;      // mixed by the layer (always so)
constexpr uint32_t AUDIO_ACCURATETIME = 0x4000; // scan the file: exact length and positions

// cAudioSystem::playSound channel index: take a free channel.
constexpr int AUDIO_CHANNEL_FREE = -1;

// Time units of cAudioChannel::setPosition and getPosition.
constexpr uint32_t AUDIO_TIMEUNIT_MS = 1;
constexpr uint32_t AUDIO_TIMEUNIT_PCM = 2; // sample frames at the output rate

// cAudioChannel::getSpectrum windows (only the rectangular one, i.e. none).
constexpr int AUDIO_FFT_WINDOW_RECT = 0;

// The one output format the layer mixes and plays in: every stream is
// decoded to it.
constexpr int audioOutputRate = 44100;
constexpr int audioOutputChannels = 2;
