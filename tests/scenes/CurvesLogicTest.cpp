// The key-list samplers against the curves' worked numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "strobewerk/scenes/CurvesLogic.h"

TEST(CatmullRom, PassesItsInnerKeysAndBlendsBetween)
{
    EXPECT_FLOAT_EQ(catmullRom(3, 7, -2, 9, 0.0f), 7.0f);
    EXPECT_FLOAT_EQ(catmullRom(3, 7, -2, 9, 1.0f), -2.0f);
    EXPECT_FLOAT_EQ(catmullRom(0, 0, 15, 12, 0.5f), 7.6875f);
}

TEST(SampleCurve, BoostShapeHitsEveryKeyOnItsGridAndEndsOnTheLastKey)
{
    const std::vector<float> keys{0, 1, 0.5f, 0};
    EXPECT_FLOAT_EQ(sampleCurve(keys, 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(sampleCurve(keys, 0.25f), 1.0f);
    EXPECT_FLOAT_EQ(sampleCurve(keys, 0.5f), 0.5f);
    EXPECT_NEAR(sampleCurve(keys, 0.75f), 0.0f, 1e-6);
    // The last segment repeats the last key and dips a little below 0.
    EXPECT_NEAR(sampleCurve(keys, 0.875f), -0.03125f, 1e-6);
    EXPECT_FLOAT_EQ(sampleCurve(keys, 1.0f), 0.0f);
    // Between keys it is smooth, not linear: the rise overshoots the chord.
    EXPECT_GT(sampleCurve(keys, 0.125f), 0.0f);
    EXPECT_LT(sampleCurve(keys, 0.125f), 1.0f);
}

TEST(SampleCurve, UsesOnlyTheFirstNKeysWhenAsked)
{
    const std::vector<float> keys{2, 4, 8, 100};
    // With n = 2 the last two keys never reach the result.
    EXPECT_FLOAT_EQ(sampleCurve(keys, 0.0f, 2), 2.0f);
    EXPECT_FLOAT_EQ(sampleCurve(keys, 0.5f, 2), 4.0f);
    // The last segment repeats key 1: catmullRom(2, 4, 4, 4, 0.5).
    EXPECT_FLOAT_EQ(sampleCurve(keys, 0.75f, 2), 4.125f);
    const std::vector<float> firstTwo{2, 4};
    for (float x = 0.0f; x <= 1.0f; x += 0.0625f)
        EXPECT_FLOAT_EQ(sampleCurve(keys, x, 2), sampleCurve(firstTwo, x));
    EXPECT_FLOAT_EQ(sampleCurve(keys, 1.0f, 2), 4.0f);
}

TEST(SampleCurve, StrayArgumentsStayInsideTheList)
{
    const std::vector<float> keys{0, 1, 0.5f, 0};
    EXPECT_FLOAT_EQ(sampleCurve(keys, -3.0f), 0.0f);
    EXPECT_FLOAT_EQ(sampleCurve(keys, 7.0f), 0.0f);
    EXPECT_FLOAT_EQ(sampleCurve(keys, std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_FLOAT_EQ(sampleCurve(keys, 0.25f, 99), 1.0f);
    EXPECT_FLOAT_EQ(sampleCurve({5.0f}, 0.3f), 5.0f);
    EXPECT_FLOAT_EQ(sampleCurve({}, 0.3f), 0.0f);
}

TEST(SampleCurveThrough, DollyShapeAndIdleValue)
{
    const std::vector<float> keys{0, 15, 12, 0};
    EXPECT_FLOAT_EQ(sampleCurveThrough(keys, 0.0f), 0.0f);
    EXPECT_FLOAT_EQ(sampleCurveThrough(keys, 0.25f), 15.0f);
    EXPECT_NEAR(sampleCurveThrough(keys, 0.5f), 12.0f, 1e-4);
    EXPECT_NEAR(sampleCurveThrough(keys, 0.75f), 0.0f, 1e-4);
    EXPECT_NEAR(sampleCurveThrough(keys, 0.9f), 4.608f, 1e-3);
    EXPECT_FLOAT_EQ(sampleCurveThrough(keys, 1.0f), 0.0f);
    EXPECT_FLOAT_EQ(sampleCurveThrough(keys, -1.0f), 0.0f);
}

TEST(SampleCurveThrough, OutOfRangeReadsTheLastKey)
{
    const std::vector<float> keys{1, 2, 3, 9};
    EXPECT_FLOAT_EQ(sampleCurveThrough(keys, -1.0f), 9.0f);
    EXPECT_FLOAT_EQ(sampleCurveThrough(keys, 1.0f), 9.0f);
    EXPECT_FLOAT_EQ(sampleCurveThrough(keys, 1.0e9f), 9.0f);
    EXPECT_FLOAT_EQ(sampleCurveThrough(keys, std::numeric_limits<float>::quiet_NaN()), 9.0f);
    EXPECT_FLOAT_EQ(sampleCurveThrough({4.0f}, 0.5f), 4.0f);
}
