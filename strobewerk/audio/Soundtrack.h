// cSoundtrack: a soundtrack played through the audio layer in the order
// live play's start-up and its frames need it (create, initialise and open
// the stream; play from the start position; follow, pause and seek it):
//     cSoundtrack soundtrack;
//     if (int32_t result = soundtrack.open(soundtrackFile); result != AUDIO_OK) {
//         vorn::consoleLog.line(audioFatalMessage(result)); // the layer could not start
//         ... close SDL, exit code -1
//     }
//     ...                                    // window, show, note list
//     soundtrack.play(startMs);              // from the start position
//     soundtrack.audiblePositionMs(heardMs); // the song clock follows it
//     soundtrack.reportBreakOff();           // each frame
// A soundtrack that is missing or cannot be decoded is no error: the
// production then runs in silence and the spectrum stays 0, after one
// console line that names the file and the reason. A soundtrack that
// breaks off while playing (the file cut or damaged after it was opened)
// is told in one line too, from the first spectrum request after it.
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
    // done), AUDIO_OK otherwise, whether or not the stream opened; a stream
    // that did not open is reported in one console line.
    int32_t open(const std::string& path, uint32_t initFlags = AUDIO_INIT_NORMAL);

    // Plays the stream at once, from `startMs`. Without a stream: nothing.
    void play(int32_t startMs);

    // The song position heard now, in milliseconds: the channel's position
    // less the output's latency, moved on in real time between the
    // output's blocks. Without a stream the output's own position counts
    // from the start position instead (the silent soundtrack). False when
    // there is nothing to follow: no audio system, nothing played yet, or
    // the stream has played to its end.
    bool audiblePositionMs(int32_t& ms) const;

    // Pauses or resumes the sound (a no-op before play).
    void setPaused(bool pause);
    bool isPaused() const { return paused; }

    // Moves playback to `ms` (clamped to 0 .. lengthMs()); a stream that
    // has played to its end starts again from there. Returns the position
    // it moved to.
    int32_t seek(int32_t ms);

    // The stream's length in milliseconds; -1 without a stream.
    int32_t lengthMs() const;

    // Fills `values[0 .. count)` with the spectrum of the playing channel
    // (first output channel, no window); leaves them alone when nothing
    // was ever played. Then reports a break-off (see reportBreakOff).
    void fillSpectrum(float* values, size_t count);

    // Writes one console line, once, when the stream has broken off
    // before its length.
    void reportBreakOff();

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
    bool started = false;
    bool paused = false;
    // The silent soundtrack: song time `silentStartMs` at output frame
    // `silentBaseFrame`; held at silentStartMs while paused.
    int32_t silentStartMs = 0;
    int64_t silentBaseFrame = 0;
    std::string name;
    bool breakOffReported = false;
};

// Why the soundtrack does not play, from the result of opening its stream.
std::string soundtrackProblem(int32_t result);

// The phrase for a stream that broke off at `atFrame` of `lengthFrames`.
std::string soundtrackBreakOff(int64_t atFrame, int64_t lengthFrames);

// The fatal start-up message for a result: "FMOD error! (<code>) <text>".
std::string audioFatalMessage(int32_t result);
