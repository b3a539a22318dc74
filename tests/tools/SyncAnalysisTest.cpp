#include "tools/syncmeasure/SyncAnalysis.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t kMs = 1000000;

// An output that writes 2048 frames (46.44 ms) every 46.44 ms from t = 0.
std::vector<sWrite> steadyWrites(int count)
{
    std::vector<sWrite> writes;
    for (int i = 1; i <= count; ++i)
        writes.push_back(sWrite{static_cast<std::int64_t>((i - 1) * 2048 * 1e9 / 44100), i * 2048});
    return writes;
}

TEST(SyncAnalysisTest, BlockIsTheMostCommonWriteAndSoundStartsAtTheFirstNonZeroSample)
{
    std::vector<sWrite> writes = steadyWrites(10);
    writes.push_back(sWrite{writes.back().timeNs + 1, writes.back().totalFrames + 100});
    EXPECT_EQ(blockFrames(writes), 2048);
    EXPECT_EQ(blockFrames({}), 0);
    EXPECT_EQ(firstSoundingFrame({0, 0, 0, 0, 0, 7, 1, 1}), 2);
    EXPECT_EQ(firstSoundingFrame({0, 0}), -1);
    EXPECT_EQ(endOfSound({0, 0, 3, 0, 0, 0}), 2);
    EXPECT_EQ(endOfSound({0, 0}), 0);
}

TEST(SyncAnalysisTest, HeardTimeMovesWithinTheBlockAndHoldsWhenTheOutputStalls)
{
    const std::vector<sWrite> writes = steadyWrites(3); // the sound starts at frame 0, song time 30 s
    double heard = 0.0;
    EXPECT_FALSE(heardSongTime(writes, -1, 2048, 0, 30000, heard));
    ASSERT_TRUE(heardSongTime(writes, 0, 2048, 0, 30000, heard));
    EXPECT_NEAR(heard, 30000.0, 0.01);
    ASSERT_TRUE(heardSongTime(writes, 20 * kMs, 2048, 0, 30000, heard));
    EXPECT_NEAR(heard, 30020.0, 0.01);
    // After the third write nothing more comes: the last block plays out.
    ASSERT_TRUE(heardSongTime(writes, 5000 * kMs, 2048, 0, 30000, heard));
    EXPECT_NEAR(heard, 30000.0 + 3 * 2048 * 1000.0 / 44100, 0.01);
    // Silence written before the soundtrack started does not count.
    ASSERT_TRUE(heardSongTime(writes, 0, 2048, 1024, 30000, heard));
    EXPECT_NEAR(heard, 30000.0 - 1024 * 1000.0 / 44100, 0.01);
}

TEST(SyncAnalysisTest, OffsetsAreSongTimeLessHeardSummarisedByMedianAndLargest)
{
    const std::vector<sWrite> writes = steadyWrites(100);
    const std::vector<sFrame> frames = {
        {-5 * kMs, 30000},  // before the first write: left out
        {0, 30010},         // +10
        {100 * kMs, 30090}, // -10
        {200 * kMs, 30230}, // +30
        {300 * kMs, 30300}, // 0
    };
    const std::vector<double> offsets = syncOffsets(writes, frames, 2048, 0, 44100, 30000);
    ASSERT_EQ(offsets.size(), 4u);
    // After the soundtrack's end (150 ms into it) nothing counts.
    EXPECT_EQ(syncOffsets(writes, frames, 2048, 0, 6615, 30000).size(), 2u);
    EXPECT_NEAR(offsets[0], 10.0, 0.01);
    EXPECT_NEAR(offsets[2], 30.0, 0.01);
    const sOffsetSummary summary = summariseOffsets(offsets);
    EXPECT_EQ(summary.count, 4u);
    EXPECT_NEAR(summary.median, 5.0, 0.01);
    EXPECT_NEAR(summary.largest, 30.0, 0.01);
    EXPECT_DOUBLE_EQ(summary.within20, 0.75);
    EXPECT_NEAR(summariseOffsets({-40.0, 1.0, 2.0}).largest, -40.0, 1e-9);
    EXPECT_EQ(summariseOffsets({}).count, 0u);
}

} // namespace
