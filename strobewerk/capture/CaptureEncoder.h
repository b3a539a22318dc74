// cCaptureEncoder: the capture's writer as the program sees it. It loads
// the encoder module (VideoEncoder.h) when a file is opened and hands every
// call to the encoder made there for the settings' container; the
// encoder's library messages become console lines ("capture: ...").
//
//     cCaptureEncoder encoder;
//     if (!encoder.open("out.mp4.part", settings)) ... encoder.error()
//     encoder.writeVideo(pixels, stride);     // once per frame, BGRA
//     encoder.writeAudio(samples, frames);    // interleaved stereo floats
//     encoder.finish();                       // flushes, writes the index
//
// The module is looked for at the path in STROBEWERK_ENCODER_MODULE when
// that is set, else beside the running program, else where the build put
// it. When none loads, open fails and error() says why.
//
// Not thread-safe: one thread calls it (the capture's encode thread).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "strobewerk/capture/VideoEncoder.h"

class cCaptureEncoder {
public:
    bool open(const std::string& path, const sEncoderSettings& settings);
    // A split capture's join (cVideoEncoder::openJoin).
    bool openJoin(const std::string& path, const sEncoderSettings& settings, const std::vector<sVideoPart>& parts);
    std::int64_t partFrames(std::size_t k) const { return encoder ? encoder->partFrames(k) : 0; }
    bool copyVideo(std::int64_t frames);
    bool writeVideo(const std::uint8_t* pixels, int stride);
    bool writeAudio(const float* samples, int frames);
    bool finish();
    void abandon();

    const std::string& error() const;
    std::int64_t videoFrames() const { return encoder ? encoder->videoFrames() : 0; }
    std::int64_t audioSamples() const { return encoder ? encoder->audioSamples() : 0; }

private:
    bool notOpen();
    bool load(const std::string& container);

    std::unique_ptr<cVideoEncoder> encoder;
    std::string lastError;
};

// The encoder module's file name.
inline constexpr const char* encoderModuleName = "libstrobewerk_encoder.so";
