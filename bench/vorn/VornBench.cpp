#include <benchmark/benchmark.h>

#include <sstream>

#include "vorn/MeshData.h"
#include "vorn/MeshFile.h"

using namespace vorn;

namespace {

std::string blockBytes(int elements)
{
    meshFileBlock b;
    b.usage = 0x88E4;
    b.target = 0x8892;
    b.bytesPerComponent = 4;
    b.componentCount = 3;
    b.elementCount = elements;
    b.type = 0x1406;
    b.contents.assign(size_t(elements) * 12, 1);
    std::vector<uint8_t> out;
    writeMeshBlock(out, b);
    return std::string(out.begin(), out.end());
}

// A vertex-position block read from a seekable stream (one read) and
// through a stream that cannot seek (pieces of 1 MiB).
void readBlock(benchmark::State& state, bool seekable)
{
    const std::string bytes = blockBytes(int(state.range(0)));
    struct pipe : std::streambuf {
        explicit pipe(std::string& s) { setg(s.data(), s.data(), s.data() + s.size()); }
    };
    std::string copy = bytes;
    std::istringstream file(bytes);
    for (auto _ : state) {
        meshFileBlock block;
        if (seekable) {
            file.clear();
            file.seekg(0);
            benchmark::DoNotOptimize(readMeshBlock(file, block));
        } else {
            pipe buffer(copy);
            std::istream in(&buffer);
            benchmark::DoNotOptimize(readMeshBlock(in, block));
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}
void BM_ReadBlockSeekable(benchmark::State& state) { readBlock(state, true); }
void BM_ReadBlockPiecewise(benchmark::State& state) { readBlock(state, false); }
BENCHMARK(BM_ReadBlockSeekable)->Arg(1000)->Arg(1000000);
BENCHMARK(BM_ReadBlockPiecewise)->Arg(1000)->Arg(1000000);

// Merging n copies of a 24-vertex, 12-triangle box with a per-copy float
// attribute, as the eye overlay builds its grid.
void BM_AppendBoxes(benchmark::State& state)
{
    cMeshData box;
    for (int i = 0; i < 24; ++i)
        box.positions.push_back({float(i), 0, 0});
    for (uint32_t t = 0; t < 12; ++t)
        box.triangles.push_back({t, t + 1, t + 2});
    box.floatAttributes["seedHax"].assign(24, 0.5f);
    box.vec3Attributes["normal"].assign(24, {0, 0, 1});
    for (auto _ : state) {
        cMeshData grid;
        grid.floatAttributes["seedHax"];
        grid.vec3Attributes["normal"];
        for (int64_t i = 0; i < state.range(0); ++i)
            grid.append(box);
        benchmark::DoNotOptimize(grid.positions.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_AppendBoxes)->Arg(100)->Arg(10000);

} // namespace

BENCHMARK_MAIN();
