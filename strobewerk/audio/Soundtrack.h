// cSoundtrack: a soundtrack played through the audio layer in the order
// start-up and the frame driver need it (create, initialise and open the
// stream; play and position; read the spectrum each frame):
//     cSoundtrack soundtrack;
//     if (int32_t result = soundtrack.open(soundtrackFile); result != AUDIO_OK)
//         exitOnAudioError(result);          // the layer could not start
//     ...                                    // scenes, note list
//     soundtrack.play(songTime);             // from the start position
//     soundtrack.fillSpectrum(spectrum.data(), spectrum.size()); // each frame
// A soundtrack that is missing or cannot be decoded is no error: the
// production then runs in silence and the spectrum stays 0.
#pragma once

#include "strobewerk/audio/AudioResult.h"

#include <cstddef>
#include <cstdint>
#include <string>

class cAudioSystem;
class cAudioSound;
class cAudioChannel;

// The soundtrack's file name as the production asks for it.
extern const char* const soundtrackFile;

class cSoundtrack {
public:
    // Creates and starts the audio system (up to 100 channels) and opens
    // `path` as a stream with accurate time. Returns the result of the
    // creation or initialisation when either failed (then nothing else is
    // done), AUDIO_OK otherwise, whether or not the stream opened.
    int32_t open(const std::string& path, uint32_t initFlags = AUDIO_INIT_NORMAL);

    // Plays the stream at once, from `startMs`. Without a stream: nothing.
    void play(int32_t startMs);

    // Fills `values[0 .. count)` with the spectrum of the playing channel
    // (first output channel, no window); leaves them alone when nothing
    // was ever played.
    void fillSpectrum(float* values, size_t count);

    // The result of opening the stream (AUDIO_OK when it plays).
    int32_t streamResult() const { return openResult; }
    cAudioSystem* audioSystem() const { return system; }
    cAudioChannel* audioChannel() const { return channel; }

    // Frees the audio system (the production never does; tests do).
    void release();

private:
    cAudioSystem* system = nullptr;
    cAudioSound* sound = nullptr;
    cAudioChannel* channel = nullptr;
    int32_t openResult = AUDIO_ERR_UNINITIALIZED;
};

// The fatal start-up message for a result: "FMOD error! (<code>) <text>".
std::string audioFatalMessage(int32_t result);

// Writes audioFatalMessage(result) to the console and ends the process
// with exit code -1.
[[noreturn]] void exitOnAudioError(int32_t result);
