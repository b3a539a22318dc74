// cAudioSound: one mp3 stream of the audio layer, decoded while it plays.
//
// cAudioSystem::createStream makes it; it decodes to the layer's output
// format (audioOutputRate, stereo, float). Opened with accurate time, the
// whole file is scanned first and the encoder's delay and padding are
// dropped, so a position in sample frames lands on the exact sample of the
// original recording.
#pragma once

#include <cstdint>
#include <string>

struct mpg123_handle_struct;

class cAudioSound {
public:
    ~cAudioSound();
    cAudioSound(const cAudioSound&) = delete;
    cAudioSound& operator=(const cAudioSound&) = delete;

    // Length in sample frames of the output rate (0 when unknown).
    int64_t lengthFrames() const { return frameCount; }

    // Used by the system and its channels.
    static int32_t open(const std::string& path, bool accurate, cAudioSound** sound);
    // Moves the decoder to `frame`; false when that fails.
    bool seekFrame(int64_t frame);
    // Decodes up to `frames` frames into `out`; returns the frames written
    // (fewer at the end of the stream or on a damaged frame).
    int read(float* out, int frames);

private:
    cAudioSound() = default;
    mpg123_handle_struct* decoder = nullptr;
    int64_t frameCount = 0;
};
