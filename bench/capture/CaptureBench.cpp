// Render-only against capture, frame for frame, at two sizes. Both draw the
// production at fixed 30 fps steps from 60 s into the song (every layer
// busy), with the soundtrack's samples; render-only waits for each frame
// to be drawn (glFinish), capture reads it back through the pixel buffers
// and hands it to the encode thread, which writes a real MP4 file in the
// system's temporary folder. The two alternate in blocks of frames, so a
// machine shared with other work loads both alike; the capture's encoder
// stays open from block to block, as in a capture of the whole song. The counters are the
// figures: render_fps, capture_fps and capture_per_render (the capture's
// time per frame over render-only's).
#include <benchmark/benchmark.h>

#include <GL/glew.h>
#include <SDL.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "strobewerk/FrameState.h"
#include "strobewerk/NoteList.h"
#include "strobewerk/ProcessSetup.h"
#include "strobewerk/SongClock.h"
#include "strobewerk/audio/SoundtrackRange.h"
#include "strobewerk/capture/CaptureEncoder.h"
#include "strobewerk/capture/CapturePlan.h"
#include "strobewerk/capture/EncodeThread.h"
#include "strobewerk/capture/FrameReadback.h"
#include "strobewerk/scenes/SceneResources.h"
#include "strobewerk/show/Show.h"
#include "tools/fidelity/SongFrames.h"
#include "vorn/Texture.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMaxWidth = 1280;
constexpr int kMaxHeight = 720;
constexpr int kFps = 30;
constexpr int kStartMs = 60000;

bool startedUp = false;
cSoundtrackRange sound;
std::int64_t frame = 0;

bool startUp()
{
    if (startedUp)
        return true;
    if (!enterRepository()) {
        std::printf("capture_bench: run it from inside the repository\n");
        return false;
    }
    prepareProcess();
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_Init(SDL_INIT_VIDEO) < 0)
        return false;
    requestShowSurface();
    if (SDL_SetVideoMode(kMaxWidth, kMaxHeight, 32, SDL_OPENGL) == nullptr)
        return false;
    const GLenum glew = glewInit();
    if (!captureGlUsable(glew, GLEW_VERSION_2_0, GLEW_EXT_framebuffer_object))
        return false;
    onResize(kMaxWidth, kMaxHeight);
    setUpShow(noteListFile);
    sound.open(soundtrackFile);
    sound.start(sampleAtSongTime(kStartMs, 44100));
    startedUp = true;
    return true;
}

// The next frame of the fixed step, with its samples.
void drawFrame(std::vector<float>& samples)
{
    const std::int32_t time = fixedStepTime(kStartMs, kFps, frame++);
    sound.pullTo(sampleAtSongTime(time, 44100), samples);
    drawShowFrame(time);
}

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// One capture running through the whole benchmark, as a real capture runs
// through the song: one encoder, one file in the system's temporary folder.
struct sCaptureRun {
    sCaptureRun(int width, int height, cFrameReadback& source)
        : readback(source),
          path((fs::temp_directory_path() / ("capture_bench_" + std::to_string(getpid()) + ".mp4")).string())
    {
        sEncoderSettings settings;
        settings.width = width;
        settings.height = height;
        settings.fps = kFps;
        if (!encoder.open(path, settings)) {
            error = encoder.error();
            return;
        }
        const int row = width * 4;
        encoding = std::make_unique<cEncodeThread>(encoder, readback.frameBytes(), 3, -row,
                                                   static_cast<std::ptrdiff_t>(height - 1) * row);
    }
    ~sCaptureRun()
    {
        encoding.reset();
        encoder.abandon();
        std::remove(path.c_str());
    }

    // Captures `frames` more frames, from the first one's drawing until the
    // encode thread has encoded the last: every frame's read-back,
    // conversion and encoding is in the time.
    double block(int frames)
    {
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < frames; ++i) {
            std::vector<float> samples;
            drawFrame(samples);
            encoding->submitAudio(std::move(samples));
            readback.request();
            if (readback.pending() > 1)
                collect();
        }
        while (readback.pending() > 0)
            collect();
        encoding->waitUntilIdle();
        return secondsSince(start);
    }

    // Drains what the encoder still holds and writes the index.
    double finish()
    {
        const Clock::time_point start = Clock::now();
        if (!encoding->finish())
            error = encoding->error();
        return secondsSince(start);
    }

    void collect()
    {
        std::uint8_t* buffer = encoding->acquire();
        if (buffer && readback.collect(buffer))
            encoding->submitFrame(buffer);
    }

    cFrameReadback& readback;
    const std::string path;
    cCaptureEncoder encoder;
    std::unique_ptr<cEncodeThread> encoding;
    std::string error;
};

// One iteration: a block of render-only frames (each drawn to the end,
// nothing read back, the encoder idle), then a block captured. The
// iteration's time is the capture block's; the counters give both rates
// and their ratio. The encoder's final drain counts to the capture.
void BM_RenderThenCapture(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    constexpr int kBlock = 24;
    if (!startUp()) {
        state.SkipWithError("no GL context");
        return;
    }
    useSize(width, height);
    cFrameReadback readback(width, height);
    sCaptureRun capture(width, height, readback);
    if (!capture.error.empty()) {
        state.SkipWithError(capture.error.c_str());
        return;
    }
    double renderTime = 0.0, captureTime = 0.0;
    std::int64_t frames = 0;
    for (auto _ : state) {
        std::vector<float> samples;
        const Clock::time_point start = Clock::now();
        for (int i = 0; i < kBlock; ++i) {
            drawFrame(samples);
            glFinish();
        }
        renderTime += secondsSince(start);

        const double seconds = capture.block(kBlock);
        if (capture.encoding->failed()) {
            state.SkipWithError(capture.encoding->error().c_str());
            return;
        }
        captureTime += seconds;
        state.SetIterationTime(seconds);
        frames += kBlock;
    }
    captureTime += capture.finish();
    if (!capture.error.empty()) {
        state.SkipWithError(capture.error.c_str());
        return;
    }
    state.counters["render_fps"] = static_cast<double>(frames) / renderTime;
    state.counters["capture_fps"] = static_cast<double>(frames) / captureTime;
    state.counters["capture_per_render"] = captureTime / renderTime;
}

BENCHMARK(BM_RenderThenCapture)
    ->Args({640, 360})
    ->Args({1280, 720})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(4);

} // namespace

BENCHMARK_MAIN();
