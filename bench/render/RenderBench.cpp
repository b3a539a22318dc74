// Frame cost of the composition, with the production's own data and note
// list, in a real window (run it under an X server).
//
// BM_FrameCost (first, so that it can start early in the song): at the
// fidelity tool's song times (songFrameTimes: twenty, one in every note of
// the held distortion among them), and at 800 x 600 and 1280 x 720, the whole
// frame and each layer group as a ratio to one plain textured full-screen
// pass of the same size, measured side by side in the same run (each frame
// is timed between glFinish calls next to plain passes drawn just before
// it). It prints a table per song time and reports the medians over the
// song times as counters: frame_x, <layer>_x, and overlays_off_x /
// finalComposite_off_x, the final composite's medians (it draws the
// overlays too) over the song times where the flash, eye and card overlays
// are off and where the final boosts are 0; beside
// them the dearest frame, frame_worst_x, and its song time, worst_ms (the
// "worst" row of the table).
//
// BM_Frame, BM_PlainFullScreenPass, BM_FrameByLayer: milliseconds per frame
// (Time column) in fixed 16 ms steps from 60 s into the song, where every
// layer is busy.
//
// --snapshots=<folder> --at=<ms>,<ms>,... writes the frames at those song
// times as PNG files instead of timing anything.
#include <benchmark/benchmark.h>

#include <GL/glew.h>
#include <IL/il.h>
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "strobewerk/FrameState.h"
#include "strobewerk/scenes/Composition.h"
#include "strobewerk/scenes/CompositionLogic.h"
#include "strobewerk/scenes/SceneResources.h"
#include "strobewerk/show/Show.h"
#include "tools/fidelity/SongFrames.h"
#include "vorn/Texture.h"

namespace fs = std::filesystem;

namespace {

constexpr int windowW = 1280;
constexpr int windowH = 720;
constexpr int frameStepMs = 16;
constexpr int benchStartMs = 60000;

constexpr int costFramesPerTime = 5;
constexpr int plainPassesPerFrame = 3;

// The song time of the next frame the benchmarks draw.
int benchMs = benchStartMs;

// Draws the frame at benchMs and moves it on by a frame step.
void drawNextFrame()
{
    drawShowFrame(benchMs);
    benchMs += frameStepMs;
}

bool startUp()
{
    return startUpSongFrames(windowW, windowH);
}

using Clock = std::chrono::steady_clock;
Clock::time_point layerStart;
double layerSeconds[layerCount] = {};

void timeLayer(eLayer layer)
{
    glFinish();
    const Clock::time_point now = Clock::now();
    layerSeconds[static_cast<int>(layer)] += std::chrono::duration<double>(now - layerStart).count();
    layerStart = now;
}

void prepare(benchmark::State& state, int width, int height)
{
    if (!startUp()) {
        state.SkipWithError("no GL window");
        return;
    }
    useSize(width, height);
    benchMs = benchStartMs;
    drawNextFrame();
    glFinish();
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0.0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

double secondsOf(void (*draw)(int, int), int width, int height)
{
    glFinish();
    const Clock::time_point start = Clock::now();
    draw(width, height);
    glFinish();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// One row of the table: ratios to a plain pass at one song time and size.
struct sCostRow {
    double frame = 0.0;
    double layers[layerCount] = {};
    bool overlaysOff = false;
    bool boostsZero = false;
    bool rippled = false; // the distortion boost is on
};

sCostRow measureCosts(int ms, int width, int height)
{
    useSize(width, height);
    benchMs = ms;
    const sSceneState& state = showTimeline.stateAt(benchMs);
    sCostRow row;
    const sFinalBoosts boosts = finalBoosts(state.cues.distortion, state.cues.colourSplit, state.cues.fieldMix);
    row.overlaysOff = !finalCompositeParts(state.effects, boosts).overlays();
    row.boostsZero = finalCompositeIsVignetteOnly(boosts);
    row.rippled = boosts.distBoost != 0.0f;
    drawNextFrame(); // the first frame at a new size settles the copies

    std::vector<double> plain, frame, layers[layerCount];
    setLayerObserver(timeLayer);
    for (int f = 0; f < costFramesPerTime; ++f) {
        for (int p = 0; p < plainPassesPerFrame; ++p)
            plain.push_back(secondsOf(drawPlainPass, width, height));
        for (double& l : layerSeconds)
            l = 0.0;
        glFinish();
        const Clock::time_point start = Clock::now();
        layerStart = start;
        drawNextFrame();
        glFinish();
        frame.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        for (int i = 0; i < layerCount; ++i)
            layers[i].push_back(layerSeconds[i]);
    }
    setLayerObserver(nullptr);
    const double pass = median(plain);
    row.frame = median(frame) / pass;
    for (int i = 0; i < layerCount; ++i)
        row.layers[i] = median(layers[i]) / pass;
    return row;
}

void printCostHeader(int width, int height)
{
    std::printf("\nframe cost at %dx%d, in plain full-screen passes\n%-9s %7s", width, height, "song ms", "frame");
    for (int i = 0; i < layerCount; ++i)
        std::printf(" %9.9s", layerName(static_cast<eLayer>(i)));
    std::printf("  overlays boosts\n");
}

void BM_FrameCost(benchmark::State& state)
{
    if (!startUp()) {
        state.SkipWithError("no GL window");
        return;
    }
    const int sizes[2][2] = {{800, 600}, {1280, 720}};
    std::vector<int> times;
    std::vector<sCostRow> rows[2];
    for (auto _ : state) {
        for (int ms : songFrameTimes()) {
            times.push_back(ms);
            for (int s = 0; s < 2; ++s)
                rows[s].push_back(measureCosts(ms, sizes[s][0], sizes[s][1]));
        }
    }
    for (int s = 0; s < 2; ++s) {
        printCostHeader(sizes[s][0], sizes[s][1]);
        std::vector<double> frame, layers[layerCount], overlaysOff, compositeOff;
        const int composite = static_cast<int>(eLayer::finalComposite);
        for (size_t r = 0; r < rows[s].size(); ++r) {
            const sCostRow& row = rows[s][r];
            std::printf("%-9d %7.2f", times[r], row.frame);
            for (int i = 0; i < layerCount; ++i)
                std::printf(" %9.2f", row.layers[i]);
            std::printf("  %-8s %s\n", row.overlaysOff ? "off" : "on",
                        row.boostsZero ? "0" : (row.rippled ? "on, rippled" : "on"));
            frame.push_back(row.frame);
            for (int i = 0; i < layerCount; ++i)
                layers[i].push_back(row.layers[i]);
            if (row.overlaysOff)
                overlaysOff.push_back(row.layers[composite]);
            if (row.boostsZero)
                compositeOff.push_back(row.layers[composite]);
        }
        std::printf("%-9s %7.2f", "median", median(frame));
        for (int i = 0; i < layerCount; ++i)
            std::printf(" %9.2f", median(layers[i]));
        const size_t worst = static_cast<size_t>(std::max_element(frame.begin(), frame.end()) - frame.begin());
        std::printf("\n%-9s %7.2f  at %d ms\n", "worst", frame[worst], times[worst]);
        const std::string suffix = "_" + std::to_string(sizes[s][0]) + "x" + std::to_string(sizes[s][1]);
        state.counters["frame_x" + suffix] = median(frame);
        state.counters["frame_worst_x" + suffix] = frame[worst];
        state.counters["worst_ms" + suffix] = times[worst];
        for (int i = 0; i < layerCount; ++i)
            state.counters[std::string(layerName(static_cast<eLayer>(i))) + "_x" + suffix] = median(layers[i]);
        state.counters["overlays_off_x" + suffix] = median(overlaysOff);
        state.counters["finalComposite_off_x" + suffix] = median(compositeOff);
    }
    std::printf("\n");
    std::fflush(stdout);
}

void BM_Frame(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    prepare(state, width, height);
    for (auto _ : state) {
        drawNextFrame();
        glFinish();
    }
}

// The yardstick: one plain full-screen pass (the background's textured
// quad, no blending), so layer costs can be read as a number of passes.
void BM_PlainFullScreenPass(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    prepare(state, width, height);
    for (auto _ : state) {
        drawPlainPass(width, height);
        glFinish();
    }
}

void BM_FrameByLayer(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    prepare(state, width, height);
    for (double& s : layerSeconds)
        s = 0.0;
    setLayerObserver(timeLayer);
    for (auto _ : state) {
        layerStart = Clock::now();
        drawNextFrame();
        glFinish();
    }
    setLayerObserver(nullptr);
    const double frames = static_cast<double>(state.iterations());
    for (int i = 0; i < layerCount; ++i)
        state.counters[std::string(layerName(static_cast<eLayer>(i))) + "_ms"] = layerSeconds[i] * 1000.0 / frames;
}

BENCHMARK(BM_FrameCost)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(BM_Frame)->Args({800, 600})->Args({1280, 720})->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_PlainFullScreenPass)
    ->Args({800, 600})
    ->Args({1280, 720})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0);
BENCHMARK(BM_FrameByLayer)
    ->Args({800, 600})
    ->Args({1280, 720})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(3.0);

// The metaball field as the frame last copied it.
sRgbFrame readField()
{
    sRgbFrame field;
    field.width = metaballCopy->getWidth();
    field.height = metaballCopy->getHeight();
    field.rgb.resize(static_cast<size_t>(field.width) * static_cast<size_t>(field.height) * 3);
    metaballCopy->bind(0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, field.rgb.data());
    return field;
}

int writeSnapshots(const std::string& folder, const std::string& times)
{
    const fs::path out = fs::absolute(folder);
    if (!startUp())
        return 1;
    fs::create_directories(out);
    std::istringstream list(times);
    std::string item;
    while (std::getline(list, item, ',')) {
        const int ms = std::stoi(item);
        drawShowFrame(ms);
        const std::string name = (out / ("frame" + std::to_string(ms))).string();
        if (!savePngFrame(name + ".png", readWindowFrame(windowWidth, windowHeight)) ||
            !savePngFrame(name + "-field.png", readField()))
            std::printf("render_bench: could not write %s\n", name.c_str());
        SDL_GL_SwapBuffers();
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    std::string snapshots, times = "1000,5000,15000,30000,45000,60000";
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--snapshots=", 0) == 0)
            snapshots = arg.substr(12);
        else if (arg.rfind("--at=", 0) == 0)
            times = arg.substr(5);
        else
            rest.push_back(argv[i]);
    }
    if (!snapshots.empty())
        return writeSnapshots(snapshots, times);
    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
