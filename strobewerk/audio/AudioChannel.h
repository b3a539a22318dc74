// cAudioChannel: one playing voice of the audio layer.
//
// A channel plays one stream from a position, keeps track of where it is
// (the sample frames it has handed to the output) and answers spectrum
// requests from the samples it handed out last. The position and the
// analysed samples belong to the channel, not to the output device, so an
// offline render that pulls samples through cAudioSystem::mix sees the same
// spectrum as the live output. setPosition, getPosition and getSpectrum may
// be called from the main thread while the output plays; they never wait
// for the decoder.
#pragma once

#include "strobewerk/audio/AudioResult.h"
#include "strobewerk/audio/OutputStamp.h"
#include "strobewerk/audio/SpectrumAnalyser.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

class cAudioSound;

class cAudioChannel {
public:
    cAudioChannel();

    // Moves playback to `position` (AUDIO_TIMEUNIT_MS or _PCM); the next
    // samples the channel hands out are the ones at that position. A
    // position past the stream's length moves the channel to the end,
    // where it stops as it does when it plays there, and gives
    // AUDIO_ERR_INVALID_POSITION.
    int32_t setPosition(uint32_t position, uint32_t unit);
    // Never more than the stream's length, also for a damaged stream whose
    // decoder would hand out more.
    int32_t getPosition(uint32_t* position, uint32_t unit) const;

    // The frame at which the stream broke off before its length (the file
    // was cut or damaged while playing), or -1 while it has not.
    int64_t brokenOffFrame() const;

    // Fills `values` with `count` magnitudes (a power of two, 64 to 8192),
    // lowest band first, of the 2 * count samples of channel
    // `channelOffset` that this channel handed out last. Only the
    // rectangular window is offered.
    int32_t getSpectrum(float* values, int count, int channelOffset, int window);

    // The frame of the stream heard at `nowNs` (outputClockNs) when the
    // output plays what it took `latencyFrames` later: the last block's
    // start moved on in real time (held while paused), or a pending seek's
    // target less the latency until the output has taken from there.
    int32_t getAudibleFrame(int64_t nowNs, int latencyFrames, int64_t* frame) const;

    // True until the stream has played to its end.
    int32_t isPlaying(bool* playing) const;
    int32_t setPaused(bool paused);

    // Used by cAudioSystem.
    void start(cAudioSound* sound, bool paused);
    void stop();
    cAudioSound* boundSound() const { return sound; }
    bool busy() const { return playing.load(); }
    // Writes the next `frames` frames of this channel into `out` (silence
    // when stopped or paused) and advances the position.
    void render(float* out, int frames);

    static constexpr int maxSpectrum = 8192;

private:
    void remember(const float* samples, int frames);

    cAudioSound* sound = nullptr; // set on the main thread under the system's lock
    std::atomic<bool> playing{false};
    std::atomic<bool> paused{false};
    std::atomic<int64_t> positionFrames{0};
    std::atomic<int64_t> pendingSeek{-1};
    std::atomic<int64_t> brokenOffAt{-1};

    // The last samples handed out, interleaved, as a ring.
    mutable std::mutex historyLock;
    std::vector<float> history;
    size_t historyWrite = 0;

    // Where the last block the output took started, and when.
    mutable std::mutex stampLock;
    sOutputStamp stamp;

    std::vector<float> analysed; // main thread only
    cSpectrumAnalyser analyser;  // main thread only
};
