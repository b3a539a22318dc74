#include "strobewerk/SongClock.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <vector>

namespace {

TEST(SongClockTest, TicksAdvanceByTheirDeltaAndARestartShowsZero)
{
    std::uint32_t now = 5000;
    cSongClock clock;
    clock.useTicks([&now] { return now; });
    EXPECT_EQ(clock.advance(0).frameDelta, 0);
    now += 17;
    sClockStep step = clock.advance(0);
    EXPECT_EQ(step.frameDelta, 17);
    EXPECT_EQ(step.songTime, 17);
    now += 16;
    EXPECT_EQ(clock.advance(step.songTime).songTime, 33);

    now += 1000;
    clock.restart();
    step = clock.advance(33);
    EXPECT_EQ(step.frameDelta, 0);
    EXPECT_EQ(step.songTime, 33);

    // A tick counter that wraps past 2^32 still moves forward.
    now = 0xFFFFFFF0u;
    clock.restart();
    clock.advance(0);
    now = 0x10u;
    EXPECT_EQ(clock.advance(0).frameDelta, 0x20);
}

TEST(SongClockTest, FixedStepTimesAreRoundedAndNeverDrift)
{
    std::vector<std::int32_t> times;
    for (int n = 0; n < 7; ++n)
        times.push_back(fixedStepTime(2000, 60, n));
    EXPECT_EQ(times, (std::vector<std::int32_t>{2000, 2017, 2033, 2050, 2067, 2083, 2100}));
    EXPECT_EQ(fixedStepTime(0, 30, 30 * 3600), 3600 * 1000);
    EXPECT_EQ(fixedStepTime(0, 7, 1), 143);   // 142.857
    EXPECT_EQ(fixedStepTime(0, 8, 1), 125);
    EXPECT_EQ(fixedStepTime(0, 16, 1), 63);   // 62.5 rounds up
}

TEST(SongClockTest, FollowSoundKeepsTicksWithinToleranceAndNeverRunsBack)
{
    // Agreement within 20 ms: the tick counter's time stands.
    EXPECT_EQ(followSound(1000, 1016, 1000), 1016);
    EXPECT_EQ(followSound(1000, 1016, 1036), 1016);
    EXPECT_EQ(followSound(1000, 1016, 996), 1016);
    // The sound is ahead (the output was late, the process stopped): jump.
    EXPECT_EQ(followSound(1000, 1016, 1037), 1037);
    EXPECT_EQ(followSound(1000, 6000, 1040), 1040);
    // The sound is behind the tick time but ahead of the last frame: go back
    // to it, which is still forward from the last frame.
    EXPECT_EQ(followSound(1000, 1060, 1030), 1030);
    // The sound is behind the last frame: wait there, never run back.
    EXPECT_EQ(followSound(1000, 1016, 900), 1000);
    EXPECT_EQ(followSound(1000, 1016, 0), 1000);
}

// A tick counter and a heard position that the test moves by hand.
struct SoundDrivenClock : ::testing::Test {
    std::uint32_t ticks = 100000;
    std::int32_t heard = 0;
    bool sounding = true;
    std::int32_t songTime = 0;
    cSongClock clock;

    void SetUp() override
    {
        clock.useSound([this] { return ticks; },
                       [this](std::int32_t& ms) {
                           ms = heard;
                           return sounding;
                       });
    }
    // One frame `ms` later on the tick counter; returns its delta.
    std::int32_t frame(std::uint32_t ms)
    {
        ticks += ms;
        const sClockStep step = clock.advance(songTime);
        EXPECT_GE(step.frameDelta, 0) << "at song time " << songTime;
        songTime = step.songTime;
        return step.frameDelta;
    }
};

TEST_F(SoundDrivenClock, StalledSoundHoldsTheClockUntilItMovesAgain)
{
    frame(0);
    for (int i = 0; i < 30; ++i) {
        heard += 16;
        EXPECT_EQ(frame(16), 16);
    }
    EXPECT_EQ(songTime, 480);
    // The output stalls: its position stays while the ticks run on. The
    // clock runs ahead by at most the tolerance, then waits.
    std::vector<std::int32_t> deltas;
    for (int i = 0; i < 20; ++i)
        deltas.push_back(frame(16));
    EXPECT_EQ(songTime, 496);
    EXPECT_EQ(deltas[0], 16);
    EXPECT_EQ(deltas[5], 0);
    EXPECT_EQ(deltas[19], 0);
    // The sound comes back: the clock goes on with it.
    heard = 520;
    EXPECT_EQ(frame(16), 16);
    EXPECT_EQ(songTime, 512);
    heard = 530;
    frame(16);
    EXPECT_EQ(songTime, 528);
    // It moved on faster than the ticks: the clock catches up.
    heard = 580;
    EXPECT_EQ(frame(16), 52);
}

TEST_F(SoundDrivenClock, LateDeviceStartKeepsTheFirstCueWithTheFirstSound)
{
    // Started at 2:00 (--from); the device gives nothing for 300 ms.
    songTime = 120000;
    heard = 120000;
    frame(0);
    for (int i = 0; i < 18; ++i)
        frame(16);
    EXPECT_LE(songTime, 120020);
    heard = 120000;
    frame(16);
    EXPECT_LE(songTime, 120020);
    // The sound starts moving: within two frames the clock is with it.
    for (int i = 0; i < 10; ++i) {
        heard += 16;
        frame(16);
    }
    EXPECT_LE(std::abs(songTime - heard), syncToleranceMs);
}

TEST_F(SoundDrivenClock, StoppedProcessJumpsToTheHeardPositionNotTheTicks)
{
    frame(0);
    for (int i = 0; i < 10; ++i) {
        heard += 16;
        frame(16);
    }
    // Stopped for 5 s with the audio thread: the output only played what
    // it had queued.
    heard += 40;
    EXPECT_EQ(frame(5000), heard - 160);
    EXPECT_EQ(songTime, heard);
    // A device that rushes ahead pulls the clock forward as well.
    heard += 500;
    frame(16);
    EXPECT_EQ(songTime, heard);
}

TEST_F(SoundDrivenClock, HeldClockShowsZeroDeltasAndResumesWithoutAJump)
{
    frame(0);
    heard = 16;
    frame(16);
    clock.setHeld(true);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(frame(100), 0);
    EXPECT_EQ(songTime, 16);
    clock.setHeld(false);
    heard = 32;
    EXPECT_EQ(frame(16), 16);
}

TEST_F(SoundDrivenClock, NothingToFollowLeavesTheTickDeltas)
{
    sounding = false;
    heard = 0;
    frame(0);
    for (int i = 0; i < 100; ++i)
        frame(17);
    EXPECT_EQ(songTime, 1700);
}

} // namespace
