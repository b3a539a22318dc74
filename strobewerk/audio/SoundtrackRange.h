// cSoundtrackRange: a soundtrack's samples pulled in song order without an
// audio device, for rendering the production offline.
//
// It plays the soundtrack on a channel of an audio system that has no
// output (AUDIO_INIT_NO_OUTPUT) and moves that channel on exactly as far
// as the song clock asks, so the samples it hands out are the soundtrack's
// own from any sample on, and the channel's spectrum is the one the live
// run reads at that song time (the samples just before it).
//
//     cSoundtrackRange range;
//     if (!range.open(soundtrackFile)) ... silent: pull gives zeros
//     range.start(firstSample);
//     range.pullTo(sample, block);          // appends [position, sample)
//     range.fillSpectrum(spectrum.data(), spectrum.size());
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "strobewerk/audio/Soundtrack.h"

class cSoundtrackRange {
public:
    cSoundtrackRange() = default;
    // Frees the audio system (it has no output thread to stop).
    ~cSoundtrackRange();
    cSoundtrackRange(const cSoundtrackRange&) = delete;
    cSoundtrackRange& operator=(const cSoundtrackRange&) = delete;

    // Opens `path`. False when the audio layer cannot start or the stream
    // cannot be opened or decoded; pulling then gives silence.
    bool open(const std::string& path);

    // The soundtrack's length in sample frames (0 without one).
    std::int64_t lengthFrames() const { return length; }
    // Its length in milliseconds, rounded up so that the range up to it
    // holds every sample (-1 without a soundtrack).
    std::int32_t lengthMs() const;

    // Moves to sample frame `first`: the next samples pulled start there,
    // and the spectrum sees the samples before it.
    void start(std::int64_t first);

    // Appends the interleaved stereo samples from the current position up
    // to (not including) sample frame `end` to `out`; silence past the
    // soundtrack's end or without one. Nothing when `end` is not ahead.
    void pullTo(std::int64_t end, std::vector<float>& out);

    std::int64_t position() const { return current; }

    // The spectrum of the samples just before the current position, as
    // cSoundtrack::fillSpectrum gives it live; leaves `values` alone
    // without a soundtrack.
    void fillSpectrum(float* values, std::size_t count);

private:
    cSoundtrack soundtrack;
    bool playing = false;
    std::int64_t length = 0;
    std::int64_t current = 0;
    std::vector<float> scratch;
};
