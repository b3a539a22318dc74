// cMp4Encoder: writes a capture's pictures and sound into an MP4 file (or
// MOV or MKV, as the settings' container says) through the FFmpeg
// libraries: H.264 (libx264, yuv420p, near visually lossless, a keyframe
// at least every 2 s) and AAC, with the index at the front of an MP4 or
// MOV so the file starts playing before it is fully loaded.
//
// A split capture's join (openJoin) copies the video of its parts packet
// for packet instead of encoding pictures, and encodes the sound as usual.
//
//     cMp4Encoder encoder;
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
// It is the encoder module's (VideoEncoder.h): the program reaches it
// through cCaptureEncoder. Not thread-safe: one thread calls it (the
// capture's encode thread).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "strobewerk/capture/PartReader.h"
#include "strobewerk/capture/VideoEncoder.h"

struct AVFormatContext;
struct AVCodecContext;
struct AVStream;
struct AVFrame;
struct AVPacket;
struct SwsContext;

class cMp4Encoder : public cVideoEncoder {
public:
    cMp4Encoder() = default;
    ~cMp4Encoder() override;
    cMp4Encoder(const cMp4Encoder&) = delete;
    cMp4Encoder& operator=(const cMp4Encoder&) = delete;

    // Creates the file at `path` in settings.container.
    bool open(const std::string& path, const sEncoderSettings& settings) override;

    bool openJoin(const std::string& path, const sEncoderSettings& settings,
                  const std::vector<sVideoPart>& parts) override;
    std::int64_t partFrames(std::size_t k) const override;
    bool copyVideo(std::int64_t frames) override;

    // One frame of width x height BGRA pixels; `stride` is the byte step
    // from one row to the next in the picture's top-to-bottom order, so a
    // bottom-up image (as GL reads it) passes its last row and a negative
    // stride.
    bool writeVideo(const std::uint8_t* pixels, int stride) override;

    // `frames` sample frames of interleaved audio (settings.channels
    // values each).
    bool writeAudio(const float* samples, int frames) override;

    // Drains both encoders, writes the index and closes the file.
    bool finish() override;

    // Closes without finishing (the file is left incomplete).
    void abandon() override;

    const std::string& error() const override { return lastError; }
    std::int64_t videoFrames() const override { return videoCount; }
    std::int64_t audioSamples() const override { return audioCount; }

private:
    bool fail(const std::string& what, int code = 0);
    bool startFile(const std::string& path, const sEncoderSettings& settings);
    bool addAudio();
    bool writeHeader(const std::string& path);
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

    // A join's parts, and the one being copied.
    std::vector<std::unique_ptr<cPartReader>> parts;
    std::size_t nextPart = 0;
};
