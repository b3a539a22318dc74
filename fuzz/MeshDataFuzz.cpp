// Fuzz target: arbitrary bytes as a template mesh in CPU memory (positions,
// triangles that may name any vertex, attribute lists of any length) turned
// into the seed-box cloud (of its first few copies), appended to itself and
// to a copy. Besides the sanitizers' checks it traps when the cloud is not
// its copies of the template, a cloud triangle names a vertex the cloud lacks or lies
// outside its own copy, or an append loses vertices or triangles.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "strobewerk/scenes/SeedBoxesLogic.h"
#include "vorn/MeshData.h"

namespace {

using fuzzsupport::require;

class cBytes {
public:
    cBytes(const uint8_t* d, size_t n) : data(d), size(n) {}
    bool empty() const { return at >= size; }
    uint32_t take(size_t n)
    {
        uint32_t v = 0;
        for (size_t i = 0; i < n; ++i)
            v = v << 8 | (at < size ? data[at++] : 0u);
        return v;
    }
    float takeFloat()
    {
        const uint32_t bits = take(4);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

template <typename T>
void fillList(std::vector<T>& list, cBytes& in, size_t count)
{
    list.resize(count);
    for (T& v : list) {
        float parts[sizeof(T) / sizeof(float)];
        for (float& p : parts)
            p = in.takeFloat();
        std::memcpy(&v, parts, sizeof v);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    cBytes in(data, size);
    vorn::cMeshData box;
    const size_t vertices = in.take(1) % 48;
    fillList(box.positions, in, vertices);
    const size_t triangles = in.take(1) % 64;
    for (size_t t = 0; t < triangles; ++t) {
        // Mostly indices near the vertex count, now and then any value.
        vorn::meshTriangle tri;
        for (uint32_t& index : tri)
            index = in.take(1) == 0xFF ? in.take(4) : in.take(1) % (vertices + 2);
        box.triangles.push_back(tri);
    }
    // Attribute lists of each kind, of lengths that need not match.
    const uint32_t kinds = in.take(1);
    if (kinds & 1)
        fillList(box.floatAttributes["a"], in, in.take(1) % 64);
    if (kinds & 2)
        fillList(box.vec2Attributes["b"], in, in.take(1) % 64);
    if (kinds & 4)
        fillList(box.vec3Attributes["normal"], in, in.take(1) % 64);
    if (kinds & 8)
        fillList(box.vec4Attributes["c"], in, in.take(1) % 64);
    if (kinds & 16)
        box.floatAttributes["seedHax"].assign(in.take(1) % 64, 0.5f);

    uint32_t state = in.take(4);
    std::vector<sSeedCopy> plan = planSeedCopies([&state] {
        state = state * 1103515245u + 12345u;
        return int((state >> 16) & 0x7FFF);
    });
    // The first few copies show all the cloud's arithmetic; all 100 would
    // only make each run slower.
    plan.resize(1 + in.take(1) % 4);
    const vorn::cMeshData cloud = buildSeedCloud(box, plan);
    require(cloud.positions.size() == plan.size() * vertices || (vertices == 0 && cloud.positions.empty()));
    require(cloud.triangles.size() <= plan.size() * triangles);
    const size_t perCopy = vertices;
    const size_t trianglesPerCopy = plan.empty() ? 0 : cloud.triangles.size() / plan.size();
    for (size_t i = 0; i < cloud.triangles.size(); ++i) {
        const size_t first = trianglesPerCopy ? (i / trianglesPerCopy) * perCopy : 0;
        for (uint32_t v : cloud.triangles[i])
            require(v >= first && v < first + perCopy && v < cloud.positions.size());
    }
    for (const auto& [name, list] : cloud.floatAttributes)
        if (name == "seedHax")
            require(list.size() == cloud.positions.size());

    vorn::cMeshData grown = box;
    grown.append(grown);
    require(grown.positions.size() == 2 * box.positions.size());
    require(grown.triangles.size() == 2 * box.triangles.size());
    vorn::cMeshData other;
    other.append(box);
    require(other.positions.size() == box.positions.size());
    while (!in.empty())
        in.take(1);
    return 0;
}
