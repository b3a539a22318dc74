// Playback through SDL's audio output: the "disk" driver writes what the
// device would play into a file that the test reads back, the "dummy"
// driver plays nowhere at the device's pace, and an unknown driver leaves
// the layer without a device. The system's own ALSA back end is probed too:
// whatever it finds, nothing reaches the error stream.
#include "strobewerk/audio/AudioChannel.h"
#include "strobewerk/audio/AudioSystem.h"
#include "strobewerk/audio/SpectrumAnalyser.h"

#include "TempFolder.h"
#include "vorn/ConsoleLog.h"

#include <chrono>
#include <cmath>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

const std::string dataDir = TEST_DATA_DIR;
const std::string toneFile = dataDir + "/tone_l40_r80.mp3";   // 1 s; left bin 40, right bin 80, 0.5
const std::string clickFile = dataDir + "/click_1500ms.mp3";  // 3 s mono

using Clock = std::chrono::steady_clock;

struct PlaybackTest : ::testing::Test {
    cTempFolder folder;
    std::ostringstream console;
    cAudioSystem* system = nullptr;

    void SetUp() override { vorn::consoleLog.setStream(&console); }
    void TearDown() override
    {
        if (system)
            system->release();
        vorn::consoleLog.setStream(nullptr);
        unsetenv("SDL_AUDIODRIVER");
    }

    void start(const char* driver)
    {
        setenv("SDL_AUDIODRIVER", driver, 1);
        ASSERT_EQ(audioSystemCreate(&system), AUDIO_OK);
        ASSERT_EQ(system->init(100, AUDIO_INIT_NORMAL, nullptr), AUDIO_OK);
    }

    cAudioChannel* play(const std::string& file, bool paused)
    {
        cAudioSound* sound = nullptr;
        EXPECT_EQ(system->createStream(file.c_str(), AUDIO_SOFTWARE | AUDIO_ACCURATETIME, nullptr, &sound), AUDIO_OK);
        cAudioChannel* channel = nullptr;
        EXPECT_EQ(system->playSound(AUDIO_CHANNEL_FREE, sound, paused, &channel), AUDIO_OK);
        return channel;
    }

    static uint32_t positionMs(cAudioChannel* channel)
    {
        uint32_t ms = 0;
        channel->getPosition(&ms, AUDIO_TIMEUNIT_MS);
        return ms;
    }

    // Waits (at most 5 s) until `done` holds; false when it never did.
    template <typename Condition>
    static bool waitFor(Condition done)
    {
        const Clock::time_point limit = Clock::now() + std::chrono::seconds(5);
        while (!done()) {
            if (Clock::now() > limit)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }
};

TEST_F(PlaybackTest, DiskDriverReceivesTheToneFromTheAskedPosition)
{
    setenv("SDL_DISKAUDIOFILE", "played.raw", 1);
    setenv("SDL_DISKAUDIODELAY", "5", 1);
    start("disk");
    ASSERT_TRUE(system->hasDevice());
    EXPECT_EQ(console.str(), "");

    // 100 ms before the end of the tone.
    cAudioChannel* channel = play(toneFile, true);
    ASSERT_EQ(channel->setPosition(900, AUDIO_TIMEUNIT_MS), AUDIO_OK);
    ASSERT_EQ(channel->setPaused(false), AUDIO_OK);
    ASSERT_TRUE(waitFor([&] {
        bool playing = true;
        channel->isPlaying(&playing);
        return !playing;
    }));
    system->release();
    system = nullptr;

    std::ifstream in("played.raw", std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t frames = bytes.size() / 4;
    ASSERT_GT(frames, 4410u);
    std::vector<float> left(frames);
    std::vector<float> right(frames);
    for (size_t i = 0; i < frames; ++i) {
        int16_t l = 0;
        int16_t r = 0;
        std::memcpy(&l, &bytes[4 * i], 2);
        std::memcpy(&r, &bytes[4 * i + 2], 2);
        left[i] = l / 32768.0f;
        right[i] = r / 32768.0f;
    }
    size_t first = frames;
    size_t last = 0;
    for (size_t i = 0; i < frames; ++i) {
        if (std::fabs(left[i]) > 0.05f) {
            first = std::min(first, i);
            last = i;
        }
    }
    ASSERT_LT(first, frames);
    // Exactly the last 100 ms of the tone reached the device.
    EXPECT_NEAR(static_cast<double>(last + 1 - first), 4410.0, 30.0);

    cSpectrumAnalyser analyser;
    std::vector<float> bins(512);
    ASSERT_GE(last - first, 1024u);
    ASSERT_TRUE(analyser.analyse(&left[first + 1000], 512, bins.data()));
    EXPECT_NEAR(bins[40], 0.5f, 0.03f);
    EXPECT_LT(bins[80], 0.02f);
    ASSERT_TRUE(analyser.analyse(&right[first + 1000], 512, bins.data()));
    EXPECT_NEAR(bins[80], 0.5f, 0.03f);
    unsetenv("SDL_DISKAUDIOFILE");
    unsetenv("SDL_DISKAUDIODELAY");
}

TEST_F(PlaybackTest, SpectrumFollowsTheChannelWhileItPlays)
{
    start("dummy");
    ASSERT_TRUE(system->hasDevice());
    cAudioChannel* channel = play(toneFile, false);
    ASSERT_TRUE(waitFor([&] { return positionMs(channel) >= 200; }));
    std::vector<float> bins(512);
    ASSERT_EQ(channel->getSpectrum(bins.data(), 512, 0, AUDIO_FFT_WINDOW_RECT), AUDIO_OK);
    EXPECT_NEAR(bins[40], 0.5f, 0.03f);
}

TEST_F(PlaybackTest, WithoutADeviceTheChannelStillMovesOnInRealTime)
{
    start("no-such-driver");
    EXPECT_FALSE(system->hasDevice());
    const std::string said = console.str();
    EXPECT_NE(said.find("playing in silence"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);

    const Clock::time_point started = Clock::now();
    cAudioChannel* channel = play(clickFile, false);
    ASSERT_TRUE(waitFor([&] { return positionMs(channel) >= 250; }));
    const uint32_t reached = positionMs(channel);
    const double elapsedMs = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    // Never ahead of the wall clock (beyond one render step).
    EXPECT_LE(reached, elapsedMs + 15.0);
    // The stream goes on: it is not stopped by the missing device.
    bool playing = false;
    channel->isPlaying(&playing);
    EXPECT_TRUE(playing);
    // The spectrum sees the click once the silent output has passed it.
    ASSERT_EQ(channel->setPosition(1495, AUDIO_TIMEUNIT_MS), AUDIO_OK);
    ASSERT_TRUE(waitFor([&] { return positionMs(channel) >= 1505; }));
    std::vector<float> bins(512);
    ASSERT_EQ(channel->getSpectrum(bins.data(), 512, 0, AUDIO_FFT_WINDOW_RECT), AUDIO_OK);
    float sum = 0.0f;
    for (float v : bins)
        sum += v;
    EXPECT_GT(sum, 0.05f);
}

TEST_F(PlaybackTest, ProbingTheSystemBackEndLeavesTheErrorStreamEmpty)
{
    // Where there is no sound card (as on build machines) ALSA would print
    // its failed look-ups; where there is one, the device simply opens.
    fflush(stderr);
    const int savedError = dup(STDERR_FILENO);
    ASSERT_GE(savedError, 0);
    const std::string captured = folder.path() + "/stderr.txt";
    FILE* sink = fopen(captured.c_str(), "w");
    ASSERT_NE(sink, nullptr);
    dup2(fileno(sink), STDERR_FILENO);
    start("alsa");
    fflush(stderr);
    dup2(savedError, STDERR_FILENO);
    close(savedError);
    fclose(sink);

    std::ifstream in(captured);
    const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, "");
    // The outcome is still told: either a device or one console line.
    const std::string said = console.str();
    if (!system->hasDevice()) {
        EXPECT_NE(said.find("playing in silence"), std::string::npos) << said;
    }
}

} // namespace
