#include "strobewerk/scenes/SeedBoxesLogic.h"

#include <algorithm>
#include <cmath>
#include <tuple>

using vorn::vec3f;

namespace {

// 0 to 0.999, whatever sign the source's number has.
float randomFraction(const RandomSource& random)
{
    int v = random() % 1000;
    if (v < 0)
        v += 1000;
    return static_cast<float>(v) / 1000.0f;
}

} // namespace

std::vector<sSeedCopy> planSeedCopies(const RandomSource& random)
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

std::string seedTemplateProblem(int64_t vertices, int64_t triangles)
{
    if (vertices > seedTemplateMaxVertices)
        return std::to_string(vertices) + " vertices, the seed-box template takes at most "
            + std::to_string(seedTemplateMaxVertices);
    if (triangles > seedTemplateMaxTriangles)
        return std::to_string(triangles) + " triangles, the seed-box template takes at most "
            + std::to_string(seedTemplateMaxTriangles);
    return {};
}

vorn::cMeshData buildSeedCloud(const vorn::cMeshData& boxTemplate, const std::vector<sSeedCopy>& plan)
{
    // A damaged template file may name vertices it does not hold. In the
    // cloud such a triangle would reach into the next copy or past the end
    // of the vertex buffer, where GL reads undefined memory; it is left out.
    if (!seedTemplateProblem(int64_t(boxTemplate.positions.size()), int64_t(boxTemplate.triangles.size())).empty())
        return {};
    vorn::cMeshData source = boxTemplate;
    const size_t vertexCount = source.positions.size();
    source.triangles.erase(std::remove_if(source.triangles.begin(), source.triangles.end(),
                                          [vertexCount](const vorn::meshTriangle& t) {
                                              return t[0] >= vertexCount || t[1] >= vertexCount
                                                  || t[2] >= vertexCount;
                                          }),
                           source.triangles.end());

    vorn::cMeshData merged;
    bool first = true;
    for (const sSeedCopy& copy : plan) {
        vorn::cMeshData box = source;
        std::vector<float> seeds;
        seeds.reserve(box.positions.size());
        placeSeedCopy(box.positions, seeds, copy);
        box.floatAttributes["seedHax"] = std::move(seeds);
        if (first) {
            merged = std::move(box);
            first = false;
        } else {
            merged.append(box);
        }
    }
    return merged;
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

// Each field is bound by name: a field added to the struct stops this from
// compiling until it is compared too.
bool operator==(const sSeedBoxesState& a, const sSeedBoxesState& b)
{
    const auto& [aOn, aAnimSet, aAnim, aPower] = a;
    const auto& [bOn, bAnimSet, bAnim, bPower] = b;
    return std::tie(aOn, aAnimSet, aAnim, aPower) == std::tie(bOn, bAnimSet, bAnim, bPower);
}
