// What the listener hears now, as the audio layer works it out, and the
// song clock that follows it. The output is driven by the test (the layer
// runs without a device and the test pulls its blocks), so a stalled or
// late output is simply one that the test does not pull from.
#include "strobewerk/SongClock.h"
#include "strobewerk/audio/AudioSystem.h"
#include "strobewerk/audio/OutputStamp.h"
#include "strobewerk/audio/Soundtrack.h"

#include "TempFolder.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string clickFile = std::string(TEST_DATA_DIR) + "/click_1500ms.mp3"; // 3 s

constexpr int64_t nanosecondsPerMs = 1000000; // nanoseconds

TEST(OutputStampTest, HeardPositionMovesInRealTimeUpToWhatWasHandedOut)
{
    const sOutputStamp block{44100, 0, 1024, true, true};
    // The block's first frame sounds one latency (1024 frames) after it was
    // handed out.
    EXPECT_EQ(audibleFrame(block, 0, 1024), 44100 - 1024);
    EXPECT_EQ(audibleFrame(block, 10 * nanosecondsPerMs, 1024), 44100 - 1024 + 441);
    // Its last frame has sounded after latency and block: then it holds.
    EXPECT_EQ(audibleFrame(block, 1000 * nanosecondsPerMs, 1024), 44100 + 1024);
    EXPECT_EQ(audibleFrame(block, int64_t(1) << 62, 1024), 44100 + 1024);
    // A clock read before the stamp does not run back.
    EXPECT_EQ(audibleFrame(block, -5 * nanosecondsPerMs, 1024), 44100 - 1024);
    // Paused: the position holds; near the start it never goes below 0.
    EXPECT_EQ(audibleFrame(sOutputStamp{44100, 0, 1024, false, true}, 500 * nanosecondsPerMs, 1024), 44100 - 1024);
    EXPECT_EQ(audibleFrame(sOutputStamp{100, 0, 1024, true, true}, 0, 1024), 0);
}

struct AudibleSoundtrackTest : ::testing::Test {
    cSoundtrack track;
    void TearDown() override { track.release(); }

    void pull(int frames)
    {
        std::vector<float> out(static_cast<size_t>(frames) * audioOutputChannels);
        track.audioSystem()->mix(out.data(), frames);
    }
    int32_t heard()
    {
        int32_t ms = -1;
        EXPECT_TRUE(track.audiblePositionMs(ms));
        return ms;
    }
    static void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

TEST_F(AudibleSoundtrackTest, StreamIsHeardFromItsStartAndAStalledOutputStopsBeingHeard)
{
    ASSERT_EQ(track.open(clickFile, AUDIO_INIT_NO_OUTPUT), AUDIO_OK);
    int32_t ms = 0;
    EXPECT_FALSE(track.audiblePositionMs(ms)) << "nothing plays yet";
    track.play(1000);
    EXPECT_EQ(heard(), 1000);
    sleepMs(50);
    EXPECT_EQ(heard(), 1000) << "the output has taken nothing from the start position yet";
    pull(441);
    EXPECT_GE(heard(), 1000);
    sleepMs(60);
    // The output took 10 ms and then stalled: no more than that is heard.
    EXPECT_EQ(heard(), 1010);
    pull(441);
    sleepMs(60);
    EXPECT_EQ(heard(), 1020);
}

TEST_F(AudibleSoundtrackTest, PauseHoldsAndSeeksAreHeardFromTheirTargetWithinTheSong)
{
    ASSERT_EQ(track.open(clickFile, AUDIO_INIT_NO_OUTPUT), AUDIO_OK);
    ASSERT_EQ(track.lengthMs(), 3000);
    track.play(0);
    pull(4410);
    track.setPaused(true);
    EXPECT_TRUE(track.isPaused());
    pull(4410);
    const int32_t held = heard();
    EXPECT_EQ(held, 100);
    sleepMs(30);
    pull(4410);
    EXPECT_EQ(heard(), held);
    track.setPaused(false);
    pull(441);
    sleepMs(30);
    EXPECT_EQ(heard(), 110);

    EXPECT_EQ(track.seek(2500), 2500);
    EXPECT_EQ(heard(), 2500);
    EXPECT_EQ(track.seek(99999), 3000);
    EXPECT_EQ(track.seek(-20), 0);
    EXPECT_EQ(heard(), 0);

    // Played to its end there is nothing to follow; a seek plays it again.
    track.seek(2900);
    pull(44100);
    int32_t ms = 0;
    EXPECT_FALSE(track.audiblePositionMs(ms));
    EXPECT_EQ(track.seek(1000), 1000);
    EXPECT_EQ(heard(), 1000);
    pull(4410);
    sleepMs(150);
    EXPECT_EQ(heard(), 1100);
}

TEST_F(AudibleSoundtrackTest, WithoutAStreamTheSilentOutputsPositionServes)
{
    cTempFolder folder;
    ASSERT_EQ(track.open(soundtrackFile, AUDIO_INIT_NO_OUTPUT), AUDIO_OK);
    ASSERT_NE(track.streamResult(), AUDIO_OK);
    EXPECT_EQ(track.lengthMs(), -1);
    track.play(2000);
    EXPECT_EQ(heard(), 2000);
    pull(4410);
    sleepMs(150);
    EXPECT_EQ(heard(), 2100);
    track.setPaused(true);
    pull(4410);
    sleepMs(150);
    EXPECT_EQ(heard(), 2100);
    track.setPaused(false);
    pull(4410);
    sleepMs(150);
    EXPECT_EQ(heard(), 2200);
    EXPECT_EQ(track.seek(60000), 60000);
    pull(441);
    sleepMs(50);
    EXPECT_EQ(heard(), 60010);
}

// The clock of live play over the real audio layer, with a tick counter the
// test moves: each frame is 16 ms on the ticks.
struct ClockOverAudioLayerTest : AudibleSoundtrackTest {
    std::uint32_t ticks = 0;
    std::int32_t songTime = 0;
    cSongClock clock;

    void start(int32_t from)
    {
        ASSERT_EQ(track.open(clickFile, AUDIO_INIT_NO_OUTPUT), AUDIO_OK);
        clock.useSound([this] { return ticks; },
                       [this](std::int32_t& ms) { return track.audiblePositionMs(ms); });
        songTime = from;
        track.play(from);
        frame();
    }
    void frame()
    {
        ticks += 16;
        const sClockStep step = clock.advance(songTime);
        ASSERT_GE(step.frameDelta, 0);
        songTime = step.songTime;
    }
};

TEST_F(ClockOverAudioLayerTest, LateOutputKeepsTheClockAtTheStart)
{
    start(1500);
    // 20 frames go by on the ticks before the output takes anything.
    for (int i = 0; i < 20; ++i)
        frame();
    EXPECT_LE(songTime, 1500 + syncToleranceMs);
}

TEST_F(ClockOverAudioLayerTest, StalledOutputStopsTheClockWithinTheTolerance)
{
    start(0);
    pull(882); // 20 ms
    for (int i = 0; i < 100; ++i)
        frame();
    // 1.6 s on the ticks, 20 ms heard.
    EXPECT_LE(songTime, 20 + syncToleranceMs);
    // The output comes back and races ahead (as after a stopped process):
    // the clock goes to what is heard.
    pull(44100);
    sleepMs(200);
    frame();
    EXPECT_GE(songTime, 200);
    EXPECT_LE(songTime, 1020);
}

} // namespace
