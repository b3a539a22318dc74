// cCaptureEncoder: writes a capture's pictures and sound into an MP4 file
// through the FFmpeg libraries: H.264 (libx264, yuv420p, near visually
// lossless, a keyframe at least every 2 s) and AAC, with the index at the
// front so the file starts playing before it is fully loaded.
//
//     cCaptureEncoder encoder;
//     if (!encoder.open("out.mp4.part", settings)) ... encoder.error()
//     encoder.writeVideo(pixels, stride);     // once per frame, BGRA
//     encoder.writeAudio(samples, frames);    // interleaved stereo floats
//     encoder.finish();                       // flushes, writes the index
//
// Audio time 0 is video time 0: the first sample handed in is the first
// sample heard at the first frame. The AAC encoder's priming samples are
// written as negative time stamps, which the container turns into an edit
// list that players (and the libraries' own demuxer) skip.
//
// Not thread-safe: one thread calls it (the capture's encode thread).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVStream;
struct AVFrame;
struct AVPacket;
struct SwsContext;

// Half the machine's cores, at least one.
int defaultEncoderThreads();

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
    // "superfast"'s) at the cost of a larger file (about a quarter), not
    // of picture quality at this rate factor.
    const char* preset = "ultrafast";
    // The encoder's threads: by default half the cores, at least one. On a
    // software renderer the drawing takes every core it is given, and
    // encoder threads beyond that only contend with it and with each
    // other; on a GPU the encoder still gets enough to keep up.
    int threads = defaultEncoderThreads();
};

class cCaptureEncoder {
public:
    cCaptureEncoder() = default;
    ~cCaptureEncoder();
    cCaptureEncoder(const cCaptureEncoder&) = delete;
    cCaptureEncoder& operator=(const cCaptureEncoder&) = delete;

    // Creates the file at `path` (an MP4 whatever its name ends with).
    bool open(const std::string& path, const sEncoderSettings& settings);

    // One frame of width x height BGRA pixels; `stride` is the byte step
    // from one row to the next in the picture's top-to-bottom order, so a
    // bottom-up image (as GL reads it) passes its last row and a negative
    // stride.
    bool writeVideo(const std::uint8_t* pixels, int stride);

    // `frames` sample frames of interleaved audio (settings.channels
    // values each).
    bool writeAudio(const float* samples, int frames);

    // Drains both encoders, writes the index and closes the file.
    bool finish();

    // Closes without finishing (the file is left incomplete).
    void abandon();

    const std::string& error() const { return lastError; }
    std::int64_t videoFrames() const { return videoCount; }
    std::int64_t audioSamples() const { return audioCount; }

private:
    bool fail(const std::string& what, int code = 0);
    bool encodeAudioBlock(int frames);
    bool drain(AVCodecContext* codec, AVStream* stream);
    void release();

    sEncoderSettings config;
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    AVFrame* picture = nullptr;
    AVFrame* sound = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scaler = nullptr;
    bool headerWritten = false;
    bool finished = false;

    // Samples waiting for a whole encoder block, one vector per channel.
    std::vector<std::vector<float>> pending;
    std::int64_t videoCount = 0;
    std::int64_t audioCount = 0; // samples handed to the encoder
    std::string lastError;
};
