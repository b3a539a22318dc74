// cVideoEncoder: what the capture asks of the encoder that writes its MP4
// file, and the settings it writes with.
//
// The encoder itself (cMp4Encoder, over the FFmpeg libraries) is built as
// a module of its own, libstrobewerk_encoder.so, with one entry point,
// strobewerkNewVideoEncoder. The program loads it only when a capture
// starts (cCaptureEncoder does), so the live production never loads the
// hundred-odd libraries that the encoders bring with them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <thread>

// Half the machine's cores, at least one.
inline int defaultEncoderThreads()
{
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency() / 2));
}

struct sEncoderSettings {
    int width = 0;
    int height = 0;
    int fps = 60;
    int sampleRate = 44100;
    int channels = 2;
    // x264's constant rate factor: 14 keeps even small pictures near
    // visually lossless (their sharp coloured edges lose most to the
    // halved colour resolution of yuv420p).
    int crf = 14;
    // x264's speed: on a software renderer the encoder shares the cores
    // with the drawing, and "ultrafast" keeps its share smallest (half of
    // "superfast"'s) at the cost of a larger file (about a third), not
    // of picture quality at this rate factor.
    const char* preset = "ultrafast";
    // The encoder's threads: by default half the cores, at least one. On a
    // software renderer the drawing takes every core it is given, and
    // encoder threads beyond that only contend with it and with each
    // other; on a GPU the encoder still gets enough to keep up.
    int threads = defaultEncoderThreads();
};

class cVideoEncoder {
public:
    virtual ~cVideoEncoder() = default;

    // Creates the file at `path` (an MP4 whatever its name ends with).
    virtual bool open(const std::string& path, const sEncoderSettings& settings) = 0;
    // One frame of width x height BGRA pixels; `stride` is the byte step
    // from one row to the next in the picture's top-to-bottom order.
    virtual bool writeVideo(const std::uint8_t* pixels, int stride) = 0;
    // `frames` sample frames of interleaved audio.
    virtual bool writeAudio(const float* samples, int frames) = 0;
    // Drains both encoders, writes the index and closes the file.
    virtual bool finish() = 0;
    // Closes without finishing (the file is left incomplete).
    virtual void abandon() = 0;

    virtual const std::string& error() const = 0;
    virtual std::int64_t videoFrames() const = 0;
    virtual std::int64_t audioSamples() const = 0;
};

// Where the encoder's libraries send their error messages, one line each.
using tEncoderMessageSink = void (*)(const char* line);

// The module's entry point: a new encoder, owned by the caller.
extern "C" cVideoEncoder* strobewerkNewVideoEncoder(tEncoderMessageSink sink);
inline constexpr const char* kNewVideoEncoderSymbol = "strobewerkNewVideoEncoder";
