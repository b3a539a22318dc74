// cAudioSystem: the production's audio layer. It decodes mp3 streams
// (libmpg123), mixes its channels and plays them through SDL's audio
// output; channels report their position and spectrum (see cAudioChannel).
//
// Use it in this order, each call returning an eAudioResult:
//     cAudioSystem* system = nullptr;
//     audioSystemCreate(&system);
//     system->init(100, AUDIO_INIT_NORMAL, nullptr);
//     system->createStream("Data/song.mp3", AUDIO_SOFTWARE | AUDIO_ACCURATETIME, nullptr, &sound);
//     system->playSound(AUDIO_CHANNEL_FREE, sound, false, &channel);
//     channel->setPosition(0, AUDIO_TIMEUNIT_MS);
//     channel->getSpectrum(values, 512, 0, AUDIO_FFT_WINDOW_RECT); // each frame
// Decoding and mixing happen on the output's own thread (SDL's audio
// callback), never on the caller's. Without an audio device the system
// plays into a silent output that still moves the channels on in real
// time, and says so in one console line. The objects live until release().
#pragma once

#include "strobewerk/audio/AudioResult.h"
#include "strobewerk/audio/OutputStamp.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class cAudioSound;
class cAudioChannel;
class cAudioSystem;

// Creates a system, not yet initialised.
int32_t audioSystemCreate(cAudioSystem** system);

class cAudioSystem {
public:
    ~cAudioSystem();

    // Starts the layer with at most `maxChannels` channels (1 to 4093) and
    // opens the output. `extraDriverData` is not used.
    int32_t init(int maxChannels, uint32_t flags, void* extraDriverData);

    // Opens the mp3 file `name` (looked up ignoring letter case) as a
    // stream decoded while it plays.
    int32_t createStream(const char* name, uint32_t mode, void* extraInfo, cAudioSound** sound);

    // Plays `sound` from its start on channel `channelIndex` (or a free one
    // for AUDIO_CHANNEL_FREE). A stream plays on one channel at a time:
    // playing it again takes it off its old channel.
    int32_t playSound(int channelIndex, cAudioSound* sound, bool paused, cAudioChannel** channel);

    // Stops the output and frees the system with its sounds and channels.
    // Every pointer handed out before is invalid afterwards.
    int32_t release();

    // False while the system plays into the silent output (or none).
    bool hasDevice() const { return deviceOpen; }

    // How long after the output takes a block it is heard, in frames
    // (OutputDelay.h), as of the last block; 0 for the silent output and
    // without an output.
    int outputLatencyFrames() const { return latencyFrames; }

    // The output's own frame count heard at `nowNs` (outputClockNs): the
    // frames it has taken since start-up, less the latency, moved on in
    // real time since the last block. A production without a soundtrack
    // follows this position.
    int64_t audibleOutputFrame(int64_t nowNs) const;

    // Mixes the next `frames` frames of every playing channel into `out`
    // (interleaved, audioOutputChannels floats a frame). The output calls
    // it; with AUDIO_INIT_NO_OUTPUT the caller does.
    void mix(float* out, int frames);

private:
    friend int32_t audioSystemCreate(cAudioSystem** system);
    cAudioSystem() = default;

    static void deviceCallback(void* system, uint8_t* stream, int length);
    void runSilentOutput();
    void stopOutput();

    bool initialised = false;
    bool deviceOpen = false;
    bool startedSdlAudio = false;
    int channelLimit = 0;

    std::mutex mixLock; // channel bindings and the decoders, while mixing
    std::vector<std::unique_ptr<cAudioSound>> sounds;
    std::vector<std::unique_ptr<cAudioChannel>> channels;
    std::vector<float> mixScratch;
    std::atomic<int> latencyFrames{0};

    // Frames every mix call has produced so far, and the last call's stamp.
    mutable std::mutex outputStampLock;
    sOutputStamp outputStamp;
    int64_t outputFrames = 0;

    std::thread silentOutput;
    std::atomic<bool> silentRunning{false};
};
