// Test support: a video file opened and decoded with the FFmpeg libraries,
// as a player would, with what the capture tests check: the streams, every
// picture as RGB (rows top first), the sound as interleaved floats placed
// at its time stamps, and where the index sits in the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct sDecodedVideo {
    bool ok = false;
    std::string error;

    int streamCount = 0;
    std::string videoCodec;
    std::string audioCodec;
    std::string pixelFormat;
    int width = 0;
    int height = 0;
    double frameRate = 0.0;      // the stream's average frame rate
    double formatDuration = 0.0; // seconds, as the container states it
    double videoDuration = 0.0;  // seconds: last picture's end
    std::int64_t frameCount = 0;
    double firstPictureTime = 0.0;
    int longestKeyframeGap = 0;  // pictures from one keyframe to the next
    std::vector<double> pictureTimes;     // seconds, in the order shown
    std::vector<std::int64_t> keyframes;  // the keyframes' picture numbers
    std::vector<std::vector<std::uint8_t>> pictures; // RGB, top row first

    int sampleRate = 0;
    int channels = 0;
    double firstSampleTime = 0.0; // seconds, after the priming is skipped
    std::vector<float> samples;   // interleaved
    bool indexAtFront = false;    // 'moov' before 'mdat'
};

// Decodes `path`; with `keepPictures` false the pictures are counted only.
sDecodedVideo decodeVideoFile(const std::string& path, bool keepPictures = true);

// An image file (a PNG) decoded to RGB, top row first; empty when it
// cannot be read.
std::vector<std::uint8_t> decodeImageFile(const std::string& path, int& width, int& height);

// Peak signal-to-noise ratio in dB of two same-sized 8-bit images.
double psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b);

// Mean of all channels of an RGB image (0 to 255).
double meanLevel(const std::vector<std::uint8_t>& rgb);

// The shift (in samples, within +-maxLag) at which `heard` lines up best
// with `reference`: heard[i + lag] ~ reference[i]. Both mono.
int bestLag(const std::vector<float>& heard, const std::vector<float>& reference, int maxLag);

// One channel of interleaved samples.
std::vector<float> channelOf(const std::vector<float>& interleaved, int channels, int channel);
