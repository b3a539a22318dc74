// cImageSequenceEncoder: writes a capture as lossless frames: every picture
// a PNG file (8-bit RGB, through the FFmpeg libraries' PNG encoder) named
// settings.framePrefix + its number from 0 in settings.frameDigits digits
// + ".png", and the sound as one WAV file (settings.soundFile: 16-bit PCM,
// the settings' rate and channels), sample for sample as it is handed in.
//
//     cImageSequenceEncoder encoder;
//     settings.framePrefix = "shots.part/take"; settings.soundFile = "shots.part/take.wav";
//     if (!encoder.open("", settings)) ... encoder.error()
//     encoder.writeVideo(pixels, stride);     // take00000.png, take00001.png, ...
//     encoder.writeAudio(samples, frames);    // interleaved floats, -1 to 1
//     encoder.finish();                       // the WAV's sizes filled in
//
// Part of the encoder module (VideoEncoder.h). Not thread-safe.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "strobewerk/capture/VideoEncoder.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

class cImageSequenceEncoder : public cVideoEncoder {
public:
    cImageSequenceEncoder() = default;
    ~cImageSequenceEncoder() override;
    cImageSequenceEncoder(const cImageSequenceEncoder&) = delete;
    cImageSequenceEncoder& operator=(const cImageSequenceEncoder&) = delete;

    // `path` is not used: the names come from the settings.
    bool open(const std::string& path, const sEncoderSettings& settings) override;
    bool writeVideo(const std::uint8_t* pixels, int stride) override;
    bool writeAudio(const float* samples, int frames) override;
    bool finish() override;
    void abandon() override;

    const std::string& error() const override { return lastError; }
    std::int64_t videoFrames() const override { return videoCount; }
    std::int64_t audioSamples() const override { return audioCount; }

private:
    bool fail(const std::string& what, int code = 0);
    bool writeSoundHeader();
    void release();

    sEncoderSettings config;
    AVCodecContext* png = nullptr;
    AVFrame* picture = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* converter = nullptr;
    std::FILE* sound = nullptr;
    std::vector<std::int16_t> soundBlock;
    std::int64_t videoCount = 0;
    std::int64_t audioCount = 0;
    std::string lastError;
};
