// The seed-boxes layer: the cloud's plan, placing a copy, and the on switch
// with its kick.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "strobewerk/scenes/SeedBoxesLogic.h"

using vorn::vec3f;

namespace {

struct sCountingRandom {
    int next = 0;
    int operator()() { return next++ * 37; }
};

} // namespace

TEST(SeedCloud, HundredCopiesOuterIndexFirstWithThreeDrawsEach)
{
    sCountingRandom counter;
    const std::vector<sSeedCopy> copies = planSeedCopies(std::ref(counter));
    ASSERT_EQ(copies.size(), 100u);
    EXPECT_EQ(counter.next, 300);

    // Copy 1 is i = -5, j = -4: u = -0.8, v = -1, draws 3, 4, 5 (times 37).
    const float r1 = 111.0f / 1000.0f, r2 = 148.0f / 1000.0f, r3 = 185.0f / 1000.0f;
    const float u = -0.8f, v = -1.0f;
    EXPECT_FLOAT_EQ(copies[1].seed, r1);
    EXPECT_FLOAT_EQ(copies[1].offset.x, std::sin(u * 4.23f + r1 * 2.1f) * 140.0f);
    EXPECT_FLOAT_EQ(copies[1].offset.y, std::sin(v * 3.2321f + r2 * 1.1f) * 140.0f);
    EXPECT_FLOAT_EQ(copies[1].offset.z, std::cos(u * 3.2321f + r3 * 3.1f) * 140.0f);
    EXPECT_FLOAT_EQ(copies[1].scale, std::sin(r1 + r2 + u * 2.3f) * 3.0f + 1.0f);

    std::srand(3);
    for (const sSeedCopy& c : planSeedCopies([] { return std::rand(); })) {
        ASSERT_GE(c.seed, 0.0f);
        ASSERT_LT(c.seed, 1.0f);
        ASSERT_GE(c.scale, -2.0f);
        ASSERT_LE(c.scale, 4.0f);
        ASSERT_LE(vorn::length(c.offset), 140.0f * std::sqrt(3.0f) + 1e-3f);
    }
}

TEST(SeedCloud, PlacingScalesThenMovesAndTagsEveryVertex)
{
    std::vector<vec3f> positions = {{1.0f, 0.0f, 0.0f}, {0.0f, -2.0f, 0.5f}};
    std::vector<float> seeds = {0.9f};
    sSeedCopy copy;
    copy.offset = {10.0f, 20.0f, 30.0f};
    copy.scale = -2.0f;
    copy.seed = 0.25f;
    placeSeedCopy(positions, seeds, copy);
    EXPECT_EQ(positions[0], vec3f(8.0f, 20.0f, 30.0f));
    EXPECT_EQ(positions[1], vec3f(10.0f, 24.0f, 29.0f));
    ASSERT_EQ(seeds.size(), 3u);
    EXPECT_EQ(seeds[1], 0.25f);
    EXPECT_EQ(seeds[2], 0.25f);
}

TEST(SeedBoxes, NothingHappensBeforeTheFirstCue)
{
    sSeedBoxesState s;
    for (int i = 0; i < 10; ++i)
        EXPECT_FALSE(advanceSeedBoxes(s, false, 1000.0f + i * 16.0f, 16.0f));
    EXPECT_FALSE(s.seedBoxesOn);
    EXPECT_FALSE(s.animSet);
    EXPECT_EQ(s.seedPower, 0.0f);
}

TEST(SeedBoxes, FirstCueSwitchesOnForGoodAndFixesTheStartTime)
{
    sSeedBoxesState s;
    EXPECT_TRUE(advanceSeedBoxes(s, true, 12000.0f, 16.0f));
    EXPECT_FLOAT_EQ(s.seedAnim, 12.0f);
    EXPECT_FLOAT_EQ(s.seedPower, 5.0f - 16.0f * 0.008f);
    for (int i = 1; i < 200; ++i)
        EXPECT_TRUE(advanceSeedBoxes(s, false, 12000.0f + i * 16.0f, 16.0f));
    EXPECT_FLOAT_EQ(s.seedAnim, 12.0f);
    EXPECT_EQ(s.seedPower, 0.0f);
}

TEST(SeedBoxes, SecondCueWithinAboutHalfASecondDoesNotKickAgain)
{
    sSeedBoxesState s;
    advanceSeedBoxes(s, true, 0.0f, 10.0f);
    float t = 0.0f;
    // 52 frames of 10 ms: 5 - 0.53 * 8 = 0.76 is the first value below 0.8.
    for (int i = 0; i < 51; ++i) {
        t += 10.0f;
        advanceSeedBoxes(s, false, t, 10.0f);
    }
    ASSERT_GE(s.seedPower, seedRearmPower);
    const float before = s.seedPower;
    advanceSeedBoxes(s, true, t + 10.0f, 10.0f);
    EXPECT_FLOAT_EQ(s.seedPower, before - 0.08f);
    EXPECT_LT(s.seedPower, seedRearmPower);
    advanceSeedBoxes(s, true, t + 20.0f, 10.0f);
    EXPECT_FLOAT_EQ(s.seedPower, 5.0f - 0.08f);
}

TEST(SeedBoxes, PowahIdlesLowAndPeaksAtAKick)
{
    sSeedBoxesState s;
    const float quarterTurn = 3.14159265f / 2.0f * 1000.0f;
    EXPECT_NEAR(seedPowah(s, quarterTurn), 0.3f * 2.8f, 1e-5f);
    EXPECT_NEAR(seedPowah(s, -quarterTurn), 0.0f, 1e-5f);
    s.seedPower = 5.0f;
    EXPECT_NEAR(seedPowah(s, quarterTurn), 14.84f, 1e-4f);
    EXPECT_NEAR(seedDrift(quarterTurn * 10.0f), 45.0f, 1e-3f);
    EXPECT_NEAR(seedDrift(-quarterTurn * 10.0f), -85.0f, 1e-3f);
}

TEST(SeedBoxes, TemplatesAboveTheLimitsAreRefusedAndGiveAnEmptyCloud)
{
    EXPECT_EQ(seedTemplateProblem(24, 12), "");
    EXPECT_EQ(seedTemplateProblem(seedTemplateMaxVertices, seedTemplateMaxTriangles), "");
    EXPECT_EQ(seedTemplateProblem(1000000, 12), "1000000 vertices, the seed-box template takes at most 65536");
    EXPECT_EQ(seedTemplateProblem(8, seedTemplateMaxTriangles + 1),
              "131073 triangles, the seed-box template takes at most 131072");

    vorn::cMeshData big;
    big.positions.resize(size_t(seedTemplateMaxVertices) + 1);
    big.triangles = {{0, 1, 2}};
    const std::vector<sSeedCopy> plan(seedCopyCount);
    const vorn::cMeshData refused = buildSeedCloud(big, plan);
    EXPECT_TRUE(refused.positions.empty());
    EXPECT_TRUE(refused.triangles.empty());
    big.positions.resize(3);
    EXPECT_EQ(buildSeedCloud(big, plan).positions.size(), 300u);
}
