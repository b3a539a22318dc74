// The encoder and its thread on made-up pictures and sound, read back with
// the FFmpeg libraries as a player reads the file: the streams and their
// format, every picture the right way up and close to what went in, the
// sound at the same time as the pictures (the AAC priming skipped), the
// index at the front; and a file, or an encoder module, that cannot be
// had says why.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "strobewerk/capture/CaptureEncoder.h"
#include "strobewerk/capture/EncodeThread.h"
#include "tests/capture/DecodedVideo.h"

namespace fs = std::filesystem;

namespace {

constexpr int videoWidth = 96;
constexpr int videoHeight = 54;
constexpr int videoFps = 25;
constexpr int frameTotal = 50;
constexpr int audioRate = 44100;

// Frame n as GL reads it (BGRA, bottom row first): red rising towards the
// top, green across, blue moving with n.
std::vector<std::uint8_t> glPicture(int n)
{
    std::vector<std::uint8_t> bgra(static_cast<size_t>(videoWidth) * videoHeight * 4);
    for (int glRow = 0; glRow < videoHeight; ++glRow) {
        const int top = videoHeight - 1 - glRow;
        for (int x = 0; x < videoWidth; ++x) {
            std::uint8_t* p = &bgra[(static_cast<size_t>(glRow) * videoWidth + x) * 4];
            p[2] = static_cast<std::uint8_t>(255 - top * 255 / (videoHeight - 1));
            p[1] = static_cast<std::uint8_t>(x * 255 / (videoWidth - 1));
            p[0] = static_cast<std::uint8_t>((x + n * 4) % videoWidth * 255 / videoWidth);
            p[3] = 255;
        }
    }
    return bgra;
}

// The same picture as RGB, top row first.
std::vector<std::uint8_t> expectedRgb(int n)
{
    const std::vector<std::uint8_t> bgra = glPicture(n);
    std::vector<std::uint8_t> rgb(static_cast<size_t>(videoWidth) * videoHeight * 3);
    for (int y = 0; y < videoHeight; ++y)
        for (int x = 0; x < videoWidth; ++x) {
            const std::uint8_t* p = &bgra[(static_cast<size_t>(videoHeight - 1 - y) * videoWidth + x) * 4];
            std::uint8_t* q = &rgb[(static_cast<size_t>(y) * videoWidth + x) * 3];
            q[0] = p[2];
            q[1] = p[1];
            q[2] = p[0];
        }
    return rgb;
}

// Two seconds of quiet noise with two clicks (left at 0.25 s and 1.3 s,
// right at 0.9 s), interleaved stereo.
std::vector<float> testSound(int frames)
{
    std::vector<float> sound(static_cast<size_t>(frames) * 2);
    std::uint32_t seed = 12345;
    for (size_t i = 0; i < sound.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        sound[i] = (static_cast<float>(seed >> 8) / 16777216.0f - 0.5f) * 0.01f;
    }
    auto click = [&](int at, int channel) {
        for (int i = 0; i < 88; ++i)
            sound[static_cast<size_t>(at + i) * 2 + static_cast<size_t>(channel)] = (i / 11) % 2 ? 0.8f : -0.8f;
    };
    click(11025, 0);
    click(57330, 0);
    click(39690, 1);
    return sound;
}

class CaptureEncoderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("capture_encoder_" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    sEncoderSettings settings() const
    {
        sEncoderSettings s;
        s.width = videoWidth;
        s.height = videoHeight;
        s.fps = videoFps;
        s.sampleRate = audioRate;
        return s;
    }

    fs::path folder;
};

TEST_F(CaptureEncoderTest, ThreadedEncodeGivesAFilePlayersRead)
{
    const std::string path = (folder / "out.mp4.part").string();
    cCaptureEncoder encoder;
    ASSERT_TRUE(encoder.open(path, settings())) << encoder.error();
    const size_t frameBytes = static_cast<size_t>(videoWidth) * videoHeight * 4;
    const int stride = videoWidth * 4;
    std::vector<float> sound = testSound(2 * audioRate);
    {
        cEncodeThread thread(encoder, frameBytes, 2, -stride, static_cast<std::ptrdiff_t>(videoHeight - 1) * stride);
        const size_t perFrame = audioRate / videoFps;
        for (int n = 0; n < frameTotal; ++n) {
            std::uint8_t* buffer = thread.acquire();
            ASSERT_NE(buffer, nullptr);
            const std::vector<std::uint8_t> picture = glPicture(n);
            std::copy(picture.begin(), picture.end(), buffer);
            thread.submitFrame(buffer);
            if (n == frameTotal / 2) {
                // Idle means every frame handed over is in the encoder.
                thread.waitUntilIdle();
                EXPECT_EQ(encoder.videoFrames(), n + 1);
            }
            thread.submitAudio(std::vector<float>(sound.begin() + static_cast<std::ptrdiff_t>(n * perFrame * 2),
                                                  sound.begin() + static_cast<std::ptrdiff_t>((n + 1) * perFrame * 2)));
        }
        ASSERT_TRUE(thread.finish()) << thread.error();
        EXPECT_LE(thread.deepestQueue(), 2u) << "frames wait only in the pool's buffers";
    }
    EXPECT_EQ(encoder.videoFrames(), frameTotal);
    EXPECT_EQ(encoder.audioSamples(), 2 * audioRate);

    const sDecodedVideo video = decodeVideoFile(path);
    ASSERT_TRUE(video.ok) << video.error;
    EXPECT_EQ(video.streamCount, 2);
    EXPECT_EQ(video.videoCodec, "h264");
    EXPECT_EQ(video.audioCodec, "aac");
    EXPECT_EQ(video.pixelFormat, "yuv420p");
    EXPECT_EQ(video.width, videoWidth);
    EXPECT_EQ(video.height, videoHeight);
    EXPECT_DOUBLE_EQ(video.frameRate, videoFps);
    EXPECT_EQ(video.frameCount, frameTotal);
    EXPECT_NEAR(video.videoDuration, 2.0, 1e-9);
    EXPECT_NEAR(video.formatDuration, 2.0, 0.001);
    EXPECT_DOUBLE_EQ(video.firstPictureTime, 0.0);
    EXPECT_LE(video.longestKeyframeGap, 2 * videoFps - 1) << "a keyframe at least every 2 s";
    EXPECT_TRUE(video.indexAtFront);

    ASSERT_EQ(video.pictures.size(), static_cast<size_t>(frameTotal));
    for (int n : {0, 17, frameTotal - 1})
        EXPECT_GE(psnr(video.pictures[static_cast<size_t>(n)], expectedRgb(n)), 35.0) << "picture " << n;
    // Upside down would put the red top row at the bottom.
    EXPECT_GT(video.pictures[0][0], 200);

    // The sound: the first sample heard is the first handed in.
    EXPECT_EQ(video.sampleRate, audioRate);
    EXPECT_EQ(video.channels, 2);
    EXPECT_DOUBLE_EQ(video.firstSampleTime, 0.0);
    ASSERT_GE(video.samples.size(), sound.size());
    for (int channel : {0, 1})
        EXPECT_EQ(bestLag(channelOf(video.samples, 2, channel), channelOf(sound, 2, channel), 300), 0)
            << "channel " << channel;
}

TEST_F(CaptureEncoderTest, FailuresSayWhy)
{
    cCaptureEncoder encoder;
    EXPECT_FALSE(encoder.open((folder / "no" / "such" / "out.mp4").string(), settings()));
    EXPECT_NE(encoder.error().find("cannot create the file"), std::string::npos) << encoder.error();

    sEncoderSettings odd = settings();
    odd.width = 95;
    EXPECT_FALSE(encoder.open((folder / "odd.mp4").string(), odd));
    EXPECT_FALSE(fs::exists(folder / "odd.mp4"));

    EXPECT_FALSE(encoder.writeVideo(nullptr, 0)) << "nothing open";
    EXPECT_FALSE(encoder.finish());
}

// The encoder lives in a module loaded when a file is opened: one that is
// missing, or a library that is no encoder, fails the open with the reason
// and leaves no file; the module found afterwards serves.
TEST_F(CaptureEncoderTest, AnEncoderModuleThatDoesNotLoadSaysWhy)
{
    struct sModuleChoice {
        explicit sModuleChoice(const std::string& path) { setenv("STROBEWERK_ENCODER_MODULE", path.c_str(), 1); }
        ~sModuleChoice() { unsetenv("STROBEWERK_ENCODER_MODULE"); }
    };
    const fs::path out = folder / "out.mp4";
    {
        const sModuleChoice missing((folder / "nowhere.so").string());
        cCaptureEncoder encoder;
        EXPECT_FALSE(encoder.open(out.string(), settings()));
        EXPECT_NE(encoder.error().find("could not be loaded"), std::string::npos) << encoder.error();
        EXPECT_NE(encoder.error().find("nowhere.so"), std::string::npos) << encoder.error();
        EXPECT_FALSE(encoder.writeVideo(nullptr, 0));
    }
    {
        const sModuleChoice notAnEncoder("libm.so.6");
        cCaptureEncoder encoder;
        EXPECT_FALSE(encoder.open(out.string(), settings()));
        EXPECT_NE(encoder.error().find("has no encoder in it"), std::string::npos) << encoder.error();
    }
    EXPECT_FALSE(fs::exists(out));
    cCaptureEncoder encoder;
    EXPECT_TRUE(encoder.open(out.string(), settings())) << encoder.error();
    encoder.abandon();
}

TEST_F(CaptureEncoderTest, AThreadWhoseEncoderFailedHandsOutNoMoreBuffers)
{
    cCaptureEncoder encoder;
    ASSERT_TRUE(encoder.open((folder / "out.mp4").string(), settings()));
    // Finishing early makes every later write fail, as a full disk would.
    ASSERT_TRUE(encoder.finish());
    cEncodeThread thread(encoder, static_cast<size_t>(videoWidth) * videoHeight * 4, 1, videoWidth * 4, 0);
    std::uint8_t* buffer = thread.acquire();
    ASSERT_NE(buffer, nullptr);
    thread.submitFrame(buffer);
    EXPECT_EQ(thread.acquire(), nullptr) << "waits for the failed frame, then refuses";
    EXPECT_TRUE(thread.failed());
    EXPECT_FALSE(thread.finish());
    EXPECT_EQ(thread.error(), "the file is not open");
}

} // namespace
