#include "strobewerk/scenes/MetaballsLogic.h"

#include <algorithm>

#include <cmath>
#include <tuple>

#include "strobewerk/scenes/CurvesLogic.h"

using vorn::vec2f;

namespace {

// Rises from 0 to a peak and falls back across a held note.
const std::vector<float> metaballBoostCurve = {0.0f, 1.0f, 0.5f, 0.0f};

// A draw from 0 to n - 1, whatever sign the source's number has.
int randomBelow(const RandomSource& random, int n)
{
    const int v = random() % n;
    return v < 0 ? v + n : v;
}

} // namespace

void spawnParticles(std::vector<sParticle>& list, const RandomSource& random)
{
    list.assign(particleCount, sParticle());
    for (sParticle& p : list) {
        p.life = randomBelow(random, 500) + 250;
        p.maxLife = p.life;
        const int r1 = randomBelow(random, 3);
        const int r2 = randomBelow(random, 40);
        p.velocity = vorn::normalize(vec2f(static_cast<float>(r2) - 20.3f,
                                           static_cast<float>(r1) - 5.3f));
        p.position = vec2f(0.6f, 0.6f);
    }
}

void respawnParticle(sParticle& p, const RandomSource& random)
{
    p.position = vec2f(0.5f, -0.5f);
    p.life = randomBelow(random, 1500) + 3250;
    p.maxLife = p.life;
    const int r1 = randomBelow(random, 40);
    const int r2 = randomBelow(random, 40);
    p.velocity = vorn::normalize(vec2f(-0.3f - static_cast<float>(r2),
                                       static_cast<float>(r1) + 0.3f));
}

void updateParticle(sParticle& p, int index, int32_t frameDelta, float metaballClock,
                    const RandomSource& random)
{
    const float dt = static_cast<float>(frameDelta);
    p.life -= frameDelta;
    if (p.life <= 0)
        respawnParticle(p, random);
    p.velocity.y += dt * 0.0001f;
    p.position += p.velocity * dt * 0.0003f;
    p.size = std::sin(metaballClock * 3.1f + static_cast<float>(index) * 0.3f) * 0.11f + 0.2f;
}

float particleStrength(const sParticle& p)
{
    // Every spawn gives at least 250 ms, so maxLife is never 0 for a
    // particle that went through spawnParticles or respawnParticle; a
    // hand-made particle without a life reads as invisible.
    if (p.maxLife <= 0)
        return 0.0f;
    const float lived = static_cast<float>(p.life) / static_cast<float>(p.maxLife);
    return 1.0f - 2.0f * std::fabs(lived - 0.5f);
}

float metaballSpeed(float heldNoteProgress)
{
    return sampleCurve(metaballBoostCurve, heldNoteProgress) * 0.007f;
}

float advanceMetaballClock(float clock, float dt, float speed)
{
    return clock + dt * (speed + 0.0001f);
}

int metaballFieldSize(int windowSize)
{
    // The rim of the field is a narrow band: below some 180 texels across
    // it frays, so small windows keep more of their resolution.
    constexpr int fewestTexels = 180;
    if (windowSize <= fewestTexels)
        return windowSize < 1 ? 1 : windowSize;
    return std::max((windowSize + 3) / 4, fewestTexels);
}

std::vector<float> blobAttributes(const std::vector<sParticle>& particles)
{
    std::vector<float> attributes;
    attributes.reserve(particles.size() * blobCorners * 4);
    for (const sParticle& p : particles) {
        const float blob[4] = {p.position.x, p.position.y, p.size, particleStrength(p)};
        for (int corner = 0; corner < blobCorners; ++corner)
            attributes.insert(attributes.end(), blob, blob + 4);
    }
    return attributes;
}

// Each field is bound by name: a field added to the struct stops this from
// compiling until it is compared too.
bool operator==(const sParticle& a, const sParticle& b)
{
    const auto& [aLife, aMaxLife, aVelocity, aPosition, aSize] = a;
    const auto& [bLife, bMaxLife, bVelocity, bPosition, bSize] = b;
    return std::tie(aLife, aMaxLife, aVelocity, aPosition, aSize) == std::tie(bLife, bMaxLife, bVelocity, bPosition, bSize);
}
