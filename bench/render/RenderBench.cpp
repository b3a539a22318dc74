// Frame cost of the composition at two window sizes (the Time column is
// milliseconds per frame), with the production's
// own data and note list: the whole frame, and each layer group timed
// between glFinish calls. The song clock runs on a fake tick counter in
// fixed 16 ms steps from 60 s into the song, where every layer is busy.
//
// --snapshots=<folder> --at=<ms>,<ms>,... writes the frames at those song
// times as PNG files instead of timing anything.
#include <benchmark/benchmark.h>

#include <GL/glew.h>
#include <IL/il.h>
#include <SDL.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "strobewerk/NoteList.h"
#include "strobewerk/Runtime.h"
#include "strobewerk/scenes/Composition.h"
#include "strobewerk/scenes/SceneResources.h"
#include "vorn/Texture.h"

namespace fs = std::filesystem;

namespace {

constexpr int windowW = 1280;
constexpr int windowH = 720;
constexpr int frameStepMs = 16;
constexpr int benchStartMs = 60000;

std::uint32_t fakeTicks = 1000;
std::uint32_t readFakeTicks()
{
    return fakeTicks;
}

bool startedUp = false;

// The repository root: the folder above the working folder that holds the
// production's data.
bool enterRepository()
{
    for (fs::path dir = fs::current_path();; dir = dir.parent_path()) {
        if (fs::exists(dir / "data" / "lolvarlay.frag")) {
            fs::current_path(dir);
            return true;
        }
        if (dir == dir.root_path())
            return false;
    }
}

bool startUp()
{
    if (startedUp)
        return true;
    if (!enterRepository()) {
        std::printf("render_bench: run it from inside the repository\n");
        return false;
    }
    if (SDL_Init(SDL_INIT_VIDEO) < 0)
        return false;
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (SDL_SetVideoMode(windowW, windowH, 32, SDL_OPENGL) == nullptr) {
        std::printf("render_bench: no window (%s)\n", SDL_GetError());
        return false;
    }
    if (glewInit() != GLEW_OK)
        return false;
    windowWidth = windowW;
    windowHeight = windowH;
    onResize(windowWidth, windowHeight);
    runSceneSetUps();
    spectrum.assign(512, 0.0f);
    songTime = 0;
    noteList.load("data/mvl.txt");
    frameTicks = readFakeTicks;
    startedUp = true;
    return true;
}

// Draws frames at `step` ms intervals until the song time reaches `ms`.
void playTo(int ms, int step)
{
    while (songTime < ms) {
        fakeTicks += static_cast<std::uint32_t>(std::min(step, ms - songTime));
        runFrame();
    }
}

// Draws at `width` x `height`: the window target and the two window copies
// take that size, as they would when the production starts at that size.
void useSize(int width, int height)
{
    onResize(width, height);
    for (vorn::cTexture* copy : {screenCopy, metaballCopy}) {
        copy->setImage(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        copy->setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        copy->setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
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
    playTo(benchStartMs, 1000);
    glFinish();
}

void BM_Frame(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    prepare(state, width, height);
    for (auto _ : state) {
        fakeTicks += frameStepMs;
        runFrame();
        glFinish();
    }
}

// The yardstick: one plain full-screen pass (the background's textured
// quad, no blending), so layer costs can be read as a number of passes.
void BM_PlainFullScreenPass(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    prepare(state, width, height);
    glViewport(0, 0, width, height);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    happyTexture->bind(0);
    for (auto _ : state) {
        drawOverlayColoured(terskelProgram, {1.0f, 1.0f, 1.0f, 1.0f}, 1.0f, 1.0f);
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
        fakeTicks += frameStepMs;
        layerStart = Clock::now();
        runFrame();
        glFinish();
    }
    setLayerObserver(nullptr);
    const double frames = static_cast<double>(state.iterations());
    for (int i = 0; i < layerCount; ++i)
        state.counters[std::string(layerName(static_cast<eLayer>(i))) + "_ms"] = layerSeconds[i] * 1000.0 / frames;
}

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

bool savePng(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb)
{
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilTexImage(width, height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, const_cast<unsigned char*>(rgb.data()));
    ilEnable(IL_FILE_OVERWRITE);
    const bool saved = ilSaveImage(path.c_str()) == IL_TRUE;
    ilDeleteImages(1, &image);
    return saved;
}

// The window's lower-left `width` x `height`, rows bottom first.
std::vector<unsigned char> readWindow(int width, int height)
{
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

// The metaball field as the frame last copied it.
std::vector<unsigned char> readField()
{
    std::vector<unsigned char> rgb(static_cast<size_t>(metaballCopy->getWidth()) *
                                   static_cast<size_t>(metaballCopy->getHeight()) * 3);
    metaballCopy->bind(0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
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
        // Coarse steps up to a second before the frame, then frame-sized
        // ones so the decays look as they do live.
        playTo(ms - 1000, 500);
        playTo(ms, frameStepMs * 2);
        const std::string name = (out / ("frame" + std::to_string(ms))).string();
        if (!savePng(name + ".png", windowWidth, windowHeight, readWindow(windowWidth, windowHeight)) ||
            !savePng(name + "-field.png", metaballCopy->getWidth(), metaballCopy->getHeight(), readField()))
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
