// Tempo maths: the time formula, its guards, and the tempo-map lookup
// checked against the plain walk over the map that it replaces.
#include "notegrind/TempoMap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using notegrind::cTempoMap;
using notegrind::sTimeChange;
using notegrind::tickSpanToMs;
using notegrind::truncToInt32;

TEST(TimeFormula, WholeBeatsAtCommonTempos)
{
    EXPECT_EQ(tickSpanToMs(480, 480, 3840, 0), 500);
    EXPECT_EQ(tickSpanToMs(-480, 480, 3840, 0), -500);
    EXPECT_EQ(tickSpanToMs(480, 480, 1920, 2000), 3000);
    EXPECT_EQ(tickSpanToMs(1920, 480, 3840, 0), 2000);
    EXPECT_EQ(tickSpanToMs(96, 96, 3056, 10), 638) << "95.5 beats per minute: 628.27 ms after 10";
}

TEST(TimeFormula, CutsTowardZero)
{
    EXPECT_EQ(tickSpanToMs(1, 480, 3840, 0), 1);   // 1.04
    EXPECT_EQ(tickSpanToMs(-1, 480, 3840, 0), -1); // -1.04, not -2
    EXPECT_EQ(tickSpanToMs(-1, 480, 3840, 100), 98); // 98.96
    EXPECT_EQ(tickSpanToMs(0, 0, 0, -7), -7);
}

TEST(TimeFormula, ZeroDivisionAndZeroTempoCountAsOne)
{
    EXPECT_EQ(tickSpanToMs(1, 0, 3840, 0), 500);
    EXPECT_EQ(tickSpanToMs(1, 480, 0, 0), 4000);
    EXPECT_EQ(tickSpanToMs(2, 0, 0, 5), 3840005);
}

TEST(TimeFormula, ResultsStopAtThe32BitEnds)
{
    EXPECT_EQ(tickSpanToMs(INT32_MAX, 1, 1, 0), INT32_MAX);
    EXPECT_EQ(tickSpanToMs(INT32_MIN, 1, 1, 0), INT32_MIN);
    EXPECT_EQ(tickSpanToMs(0, 480, 3840, INT32_MAX), INT32_MAX);
    EXPECT_EQ(truncToInt32(2147483647.9), INT32_MAX);
    EXPECT_EQ(truncToInt32(2147483648.0), INT32_MAX);
    EXPECT_EQ(truncToInt32(-2147483648.9), INT32_MIN);
    EXPECT_EQ(truncToInt32(-2147483649.0), INT32_MIN);
    EXPECT_EQ(truncToInt32(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(truncToInt32(-std::numeric_limits<double>::infinity()), INT32_MIN);
}

namespace {

// The walk the lookup must agree with: start with the first entry, take
// every later one whose tick lies before the note's.
size_t walkedEntry(const std::vector<sTimeChange>& map, int32_t tick)
{
    size_t chosen = 0;
    for (size_t i = 1; i < map.size(); ++i)
        if (tick > map[i].tick)
            chosen = i;
    return chosen;
}

void checkAgainstWalk(std::mt19937& rng, int32_t tickRange, bool ordered)
{
    std::uniform_int_distribution<int32_t> step(0, 5);
    std::uniform_int_distribution<int32_t> anyTick(-tickRange, tickRange);
    std::uniform_int_distribution<int> length(1, 40);
    cTempoMap map;
    std::vector<sTimeChange> plain;
    int32_t tick = anyTick(rng);
    int n = length(rng);
    for (int i = 0; i < n; ++i) {
        tick = ordered ? tick + step(rng) : anyTick(rng);
        sTimeChange c{tick, i, 3840};
        map.add(c);
        plain.push_back(c);
        for (int q = 0; q < 20; ++q) {
            int32_t t = anyTick(rng);
            ASSERT_EQ(static_cast<size_t>(map.entryFor(t).ms), walkedEntry(plain, t)) << "tick " << t;
        }
        for (const sTimeChange& e : plain)
            for (int32_t d : {-1, 0, 1})
                ASSERT_EQ(static_cast<size_t>(map.entryFor(e.tick + d).ms), walkedEntry(plain, e.tick + d));
    }
}

} // namespace

TEST(TempoMapLookup, FirstEntryWhenNothingLiesBefore)
{
    cTempoMap map;
    map.add({960, 0, 3840});
    map.add({1920, 1000, 1920});
    EXPECT_EQ(map.entryFor(480).tick, 960);
    EXPECT_EQ(map.entryFor(960).tick, 960) << "strictly before";
    EXPECT_EQ(map.entryFor(1920).tick, 960);
    EXPECT_EQ(map.entryFor(1921).tick, 1920);
}

TEST(TempoMapLookup, AgreesWithTheWalkOnOrderedMaps)
{
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round)
        checkAgainstWalk(rng, 50, true);
}

TEST(TempoMapLookup, AgreesWithTheWalkOnUnorderedMaps)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 200; ++round)
        checkAgainstWalk(rng, 30, false);
}

TEST(TempoMapLookup, ClearForgetsEverything)
{
    cTempoMap map;
    map.add({100, 1, 1});
    map.add({200, 2, 2});
    map.clear();
    EXPECT_TRUE(map.empty());
    map.add({300, 3, 3});
    EXPECT_EQ(map.entryFor(1000).ms, 3);
    EXPECT_EQ(map.size(), 1u);
}
