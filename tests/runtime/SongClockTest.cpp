#include "strobewerk/SongClock.h"

#include <gtest/gtest.h>
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

TEST(SongClockTest, FixedStepShowsRoundedFrameTimesAndTheirDifferences)
{
    cSongClock clock;
    clock.useFixedStep(2000, 60);
    std::vector<std::int32_t> times;
    std::vector<std::int32_t> deltas;
    for (int n = 0; n < 7; ++n) {
        const sClockStep step = clock.advance(-1);
        times.push_back(step.songTime);
        deltas.push_back(step.frameDelta);
    }
    EXPECT_EQ(times, (std::vector<std::int32_t>{2000, 2017, 2033, 2050, 2067, 2083, 2100}));
    EXPECT_EQ(deltas, (std::vector<std::int32_t>{0, 17, 16, 17, 17, 16, 17}));

    // The sum of the deltas never drifts from the exact frame times.
    EXPECT_EQ(fixedStepTime(0, 30, 30 * 3600), 3600 * 1000);
    EXPECT_EQ(fixedStepTime(0, 7, 1), 143);   // 142.857
    EXPECT_EQ(fixedStepTime(0, 8, 1), 125);
    EXPECT_EQ(fixedStepTime(0, 16, 1), 63);   // 62.5 rounds up

    clock.restart();
    EXPECT_EQ(clock.advance(0).songTime, 2000);
    EXPECT_EQ(clock.frameIndex(), 1);
}

} // namespace
