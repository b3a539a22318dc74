// The metaball particles: spawning, ageing, respawning, strength and clock.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "strobewerk/scenes/MetaballsLogic.h"

using vorn::vec2f;

namespace {

// Hands out a fixed list of numbers in turn, over and over.
struct sScriptedRandom {
    std::vector<int> numbers;
    size_t next = 0;
    int operator()() { return numbers[next++ % numbers.size()]; }
};

sParticle liveParticle(int32_t life, int32_t maxLife)
{
    sParticle p;
    p.life = life;
    p.maxLife = maxLife;
    p.velocity = vec2f(0.6f, -0.8f);
    p.position = vec2f(0.1f, 0.2f);
    return p;
}

} // namespace

TEST(Particles, FirstGenerationStartsTogetherAndDrawsInOrder)
{
    sScriptedRandom script{{1234, 7, 25}};
    std::vector<sParticle> list;
    spawnParticles(list, std::ref(script));
    ASSERT_EQ(list.size(), 169u);
    EXPECT_EQ(script.next, 3u * 169u);
    const sParticle& p = list.front();
    EXPECT_EQ(p.life, 1234 % 500 + 250);
    EXPECT_EQ(p.maxLife, p.life);
    // life, then r1 = 7 mod 3, then r2 = 25 mod 40.
    const vec2f expected = vorn::normalize(vec2f(25.0f - 20.3f, 1.0f - 5.3f));
    EXPECT_FLOAT_EQ(p.velocity.x, expected.x);
    EXPECT_FLOAT_EQ(p.velocity.y, expected.y);
    EXPECT_EQ(p.position, vec2f(0.6f, 0.6f));
    // Life equal to its maximum: the first frame draws every blob at strength 0.
    EXPECT_EQ(particleStrength(p), 0.0f);
}

TEST(Particles, FirstGenerationRangesWithTheProductionSource)
{
    std::srand(99);
    std::vector<sParticle> list;
    spawnParticles(list, [] { return std::rand(); });
    for (const sParticle& p : list) {
        ASSERT_GE(p.life, 250);
        ASSERT_LE(p.life, 749);
        ASSERT_NEAR(vorn::length(p.velocity), 1.0f, 1e-5f);
        // Downward, spreading to both sides.
        ASSERT_LT(p.velocity.y, 0.0f);
    }
}

TEST(Particles, LifeReachingExactlyZeroRespawnsInThatFrame)
{
    sScriptedRandom script{{100, 10, 20}};
    sParticle p = liveParticle(16, 500);
    updateParticle(p, 0, 16, 0.0f, std::ref(script));
    EXPECT_EQ(p.life, 100 + 3250);
    EXPECT_EQ(p.maxLife, p.life);
    // r1 = 10 then r2 = 20, both mod 40.
    vec2f velocity = vorn::normalize(vec2f(-0.3f - 20.0f, 10.0f + 0.3f));
    velocity.y += 16.0f * 0.0001f;
    EXPECT_FLOAT_EQ(p.velocity.x, velocity.x);
    EXPECT_FLOAT_EQ(p.velocity.y, velocity.y);
    EXPECT_FLOAT_EQ(p.position.x, 0.5f + velocity.x * 16.0f * 0.0003f);
    EXPECT_FLOAT_EQ(p.position.y, -0.5f + velocity.y * 16.0f * 0.0003f);

    // One millisecond more life and it only ages.
    sParticle q = liveParticle(17, 500);
    updateParticle(q, 0, 16, 0.0f, std::ref(script));
    EXPECT_EQ(q.life, 1);
    EXPECT_EQ(q.maxLife, 500);
}

TEST(Particles, RespawnedParticlesHeadUpAndLeftForThreeToFiveSeconds)
{
    std::srand(7);
    auto source = [] { return std::rand(); };
    for (int i = 0; i < 500; ++i) {
        sParticle p = liveParticle(0, 300);
        respawnParticle(p, source);
        ASSERT_GE(p.life, 3250);
        ASSERT_LE(p.life, 4749);
        ASSERT_LT(p.velocity.x, 0.0f);
        ASSERT_GT(p.velocity.y, 0.0f);
        ASSERT_NEAR(vorn::length(p.velocity), 1.0f, 1e-5f);
    }
    // A source that hands out negative numbers still lands in range.
    sScriptedRandom negative{{-1, -41, -3}};
    sParticle p = liveParticle(0, 300);
    respawnParticle(p, std::ref(negative));
    EXPECT_EQ(p.life, 1499 + 3250);
    EXPECT_GT(p.velocity.y, 0.0f);
}

TEST(Particles, ZeroFrameDeltaMovesNothing)
{
    sScriptedRandom script{{5}};
    sParticle p = liveParticle(1, 500);
    const sParticle before = p;
    updateParticle(p, 3, 0, 0.25f, std::ref(script));
    EXPECT_EQ(p.life, before.life);
    EXPECT_EQ(p.position, before.position);
    EXPECT_EQ(p.velocity, before.velocity);
    EXPECT_EQ(script.next, 0u);
    EXPECT_FLOAT_EQ(p.size, std::sin(0.25f * 3.1f + 3 * 0.3f) * 0.11f + 0.2f);
    EXPECT_EQ(advanceMetaballClock(0.25f, 0.0f, metaballSpeed(0.4f)), 0.25f);
}

TEST(Particles, StrengthRisesToHalfLifeAndFallsToDeath)
{
    EXPECT_FLOAT_EQ(particleStrength(liveParticle(400, 400)), 0.0f);
    EXPECT_FLOAT_EQ(particleStrength(liveParticle(300, 400)), 0.5f);
    EXPECT_FLOAT_EQ(particleStrength(liveParticle(200, 400)), 1.0f);
    EXPECT_FLOAT_EQ(particleStrength(liveParticle(100, 400)), 0.5f);
    EXPECT_FLOAT_EQ(particleStrength(liveParticle(0, 400)), 0.0f);
    // A particle that never lived is invisible rather than a division by 0.
    EXPECT_EQ(particleStrength(sParticle()), 0.0f);
}

TEST(MetaballClock, AdvancesSlowlyWithoutTheNoteAndFastAtItsPeak)
{
    EXPECT_EQ(metaballSpeed(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(advanceMetaballClock(1.0f, 16.0f, metaballSpeed(0.0f)), 1.0f + 16.0f * 0.0001f);
    EXPECT_NEAR(metaballSpeed(0.25f), 0.007f, 1e-7f);
    EXPECT_NEAR(metaballSpeed(0.5f), 0.0035f, 1e-7f);
    // The last quarter of the note dips below 0: the clock runs backwards.
    const float dip = metaballSpeed(0.875f);
    EXPECT_LT(dip + 0.0001f, 0.0f);
    EXPECT_GT(dip + 0.0001f, -0.0002f);
}

TEST(MetaballField, AQuarterOfTheWindowButAtLeast180TexelsAcross)
{
    EXPECT_EQ(metaballFieldSize(1280), 320);
    EXPECT_EQ(metaballFieldSize(1922), 481);
    // 720 / 4 = 180: the floor itself.
    EXPECT_EQ(metaballFieldSize(720), 180);
    EXPECT_EQ(metaballFieldSize(600), 180);
    EXPECT_EQ(metaballFieldSize(800), 200);
    // Small windows keep every pixel.
    EXPECT_EQ(metaballFieldSize(180), 180);
    EXPECT_EQ(metaballFieldSize(160), 160);
    EXPECT_EQ(metaballFieldSize(1), 1);
    EXPECT_EQ(metaballFieldSize(0), 1);
}

TEST(MetaballField, EveryCornerOfABlobCarriesItsParticleInParticleOrder)
{
    sParticle fading;
    fading.position = {0.25f, -0.5f};
    fading.size = 0.2f;
    fading.maxLife = 1000;
    fading.life = 250; // three quarters through its life: strength 0.5
    sParticle newborn = fading;
    newborn.position = {-0.75f, 0.125f};
    newborn.life = newborn.maxLife; // strength 0: the blob collapses
    const std::vector<float> a = blobAttributes({fading, newborn});
    ASSERT_EQ(a.size(), size_t(2 * blobCorners * 4));
    for (int corner = 0; corner < 2 * blobCorners; ++corner) {
        const sParticle& p = corner < blobCorners ? fading : newborn;
        const float* at = &a[size_t(corner) * 4];
        EXPECT_EQ(at[0], p.position.x) << corner;
        EXPECT_EQ(at[1], p.position.y) << corner;
        EXPECT_EQ(at[2], p.size) << corner;
        EXPECT_EQ(at[3], particleStrength(p)) << corner;
    }
    EXPECT_FLOAT_EQ(a[3], 0.5f);
    EXPECT_EQ(a[blobCorners * 4 + 3], 0.0f);
    EXPECT_TRUE(blobAttributes({}).empty());
}
