#include "strobewerk/scenes/SeedBoxesLogic.h"

#include <cmath>

using vorn::vec3f;

namespace {

// 0 to 0.999, whatever sign the source's number has.
float randomFraction(const SeedRandom& random)
{
    int v = random() % 1000;
    if (v < 0)
        v += 1000;
    return static_cast<float>(v) / 1000.0f;
}

} // namespace

std::vector<sSeedCopy> planSeedCopies(const SeedRandom& random)
{
    std::vector<sSeedCopy> copies;
    copies.reserve(seedCopyCount);
    const int half = seedCopiesPerSide / 2;
    for (int i = -half; i < half; ++i) {
        for (int j = -half; j < half; ++j) {
            const float u = static_cast<float>(j) / 5.0f;
            const float v = static_cast<float>(i) / 5.0f;
            const float r1 = randomFraction(random);
            const float r2 = randomFraction(random);
            const float r3 = randomFraction(random);
            sSeedCopy copy;
            copy.offset = vec3f(std::sin(u * 4.23f + r1 * 2.1f) * 140.0f,
                                std::sin(v * 3.2321f + r2 * 1.1f) * 140.0f,
                                std::cos(u * 3.2321f + r3 * 3.1f) * 140.0f);
            copy.scale = std::sin(r1 + r2 + u * 2.3f) * 3.0f + 1.0f;
            copy.seed = r1;
            copies.push_back(copy);
        }
    }
    return copies;
}

void placeSeedCopy(std::vector<vec3f>& positions, std::vector<float>& seeds,
                   const sSeedCopy& copy)
{
    for (vec3f& p : positions) {
        p = p * copy.scale;
        p = p + copy.offset;
        seeds.push_back(copy.seed);
    }
}

bool advanceSeedBoxes(sSeedBoxesState& state, bool cue, float t, float dt)
{
    if (cue)
        state.seedBoxesOn = true;
    if (!state.seedBoxesOn)
        return false;
    if (!state.animSet) {
        state.seedAnim = t * 0.001f;
        state.animSet = true;
    }
    if (cue && state.seedPower < seedRearmPower)
        state.seedPower = 5.0f;
    if (state.seedPower > 0.0f)
        state.seedPower -= dt * 0.008f;
    else
        state.seedPower = 0.0f;
    return true;
}

float seedPowah(const sSeedBoxesState& state, float t)
{
    return (state.seedPower + 0.3f) * (std::sin(t * 0.001f) * 1.4f + 1.4f);
}

float seedDrift(float t)
{
    return std::sin(t * 0.0001f) * 65.0f - 20.0f;
}
