#include "strobewerk/capture/CaptureDriver.h"

#include <GL/glew.h>
#include <SDL.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "strobewerk/Config.h"
#include "strobewerk/FrameState.h"
#include "strobewerk/audio/SoundtrackRange.h"
#include "strobewerk/capture/CaptureEncoder.h"
#include "strobewerk/capture/CaptureOutput.h"
#include "strobewerk/capture/CapturePlan.h"
#include "strobewerk/capture/CaptureProgress.h"
#include "strobewerk/capture/EncodeThread.h"
#include "strobewerk/capture/FrameReadback.h"
#include "strobewerk/capture/OutputClaim.h"
#include "strobewerk/capture/PartJobs.h"
#include "strobewerk/capture/SplitCapture.h"
#include "strobewerk/capture/StopSignals.h"
#include "strobewerk/show/Show.h"
#include "vorn/ConsoleLog.h"

namespace {

// Set by a run of the program that runCapture started under xvfb-run.
constexpr const char* kUnderXvfb = "STROBEWERK_CAPTURE_UNDER_XVFB";
constexpr std::size_t kQueuedFrames = 3;

// Escape or a quit event (a window under the X server fallback).
bool escapeAsked()
{
    bool asked = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT || (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE))
            asked = true;
    }
    return asked;
}

std::string findProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = dirs.find(':', start);
        const std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return {};
}

// Runs this program again, with the planned options, under a virtual X
// server. Returns only when that cannot be done.
int rerunUnderXvfb(const sCapturePlan& plan, const sOptions& options, const std::string& why)
{
    SDL_Quit();
    const std::string xvfbRun = findProgram("xvfb-run");
    if (std::getenv(kUnderXvfb) != nullptr || xvfbRun.empty()) {
        vorn::consoleLog.line("strobewerk: no OpenGL for the capture (", why, ")",
                              xvfbRun.empty() ? "; install xvfb to capture under a virtual X server" : "");
        return 1;
    }
    char self[4096] = {};
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        vorn::consoleLog.line("strobewerk: no OpenGL for the capture (", why, ") and cannot find this program");
        return 1;
    }
    vorn::consoleLog.line("capture: no OpenGL without a display (", why, "); running under a virtual X server");
    // -noreset: the capture closes its first, small surface and opens the
    // real one; a server that resets when its last client leaves refuses
    // that second connection while it resets ("x11 not available").
    const std::string screen = "-noreset -screen 0 " + std::to_string(plan.width < 1600 ? 1600 : plan.width) + "x"
                               + std::to_string(plan.height < 1200 ? 1200 : plan.height) + "x24";
    std::vector<std::string> words = {xvfbRun, "-a", "-s", screen, self,
                                      "--capture", options.captureFile, "--fps", std::to_string(plan.fps),
                                      "--size", std::to_string(plan.width) + "x" + std::to_string(plan.height),
                                      "--from", std::to_string(plan.from), "--to", std::to_string(plan.to)};
    if (options.part > 0)
        words.insert(words.end(), {"--part", std::to_string(options.part) + "/" + std::to_string(options.parts)});
    if (!options.replayInput.empty())
        words.insert(words.end(), {"--replay-input", options.replayInput});
    std::vector<char*> argv;
    for (const std::string& word : words)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    setenv(kUnderXvfb, "1", 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    std::fflush(stdout);
    execv(xvfbRun.c_str(), argv.data());
    vorn::consoleLog.line("strobewerk: could not start xvfb-run for the capture");
    return 1;
}

enum class eVideo { ready, badSize, rerun, failed };

// The GL context the capture draws in, at the plan's size, with no window
// on screen. A small one comes first to learn the renderer's limits.
eVideo openCaptureVideo(const sCapturePlan& plan, std::string& problem)
{
    // SDL's 1.2 layer names the X11 driver itself for a program that links
    // X libraries; the capture wants none, whatever was named.
    if (std::getenv(kUnderXvfb) == nullptr)
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        problem = std::string("no video: ") + SDL_GetError();
        return eVideo::rerun;
    }
    requestShowSurface();
    // A small surface first, to learn the renderer's limits.
    if (SDL_SetVideoMode(16, 16, 32, SDL_OPENGL) == nullptr) {
        problem = std::string("no GL surface: ") + SDL_GetError();
        return eVideo::rerun;
    }
    GLenum result = glewInit();
    if (!captureGlUsable(result, GLEW_VERSION_2_0, GLEW_EXT_framebuffer_object)) {
        problem = std::string("no OpenGL 2.0 with framebuffer objects: ")
                  + reinterpret_cast<const char*>(glewGetErrorString(result));
        return eVideo::rerun;
    }
    GLint viewport[2] = {0, 0};
    GLint texture = 0;
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    problem = checkSizeLimits(plan.width, plan.height, viewport[0], viewport[1], texture);
    if (!problem.empty())
        return eVideo::badSize;
    // A fresh start of the video for the real size: resizing the first
    // surface leaves a context that draws wrongly.
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    const bool restarted = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (restarted)
        requestShowSurface();
    if (!restarted || SDL_SetVideoMode(plan.width, plan.height, 32, SDL_OPENGL) == nullptr) {
        problem = std::string("no GL surface of the capture's size: ") + SDL_GetError();
        return eVideo::failed;
    }
    result = glewInit();
    if (!captureGlUsable(result, GLEW_VERSION_2_0, GLEW_EXT_framebuffer_object)) {
        problem = "no OpenGL 2.0 with framebuffer objects";
        return eVideo::failed;
    }
    return eVideo::ready;
}

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int runCapture(const sOptions& options)
{
    // From here on Ctrl-C, SIGTERM and SIGHUP only ask the capture to stop;
    // it looks before every frame.
    cStopSignals signals;

    // Everything that can be checked without writing, first.
    sCaptureOutput output;
    std::string problem;
    if (!parseCaptureOutput(options.captureFile, output, problem)) {
        vorn::consoleLog.line(problem);
        return 2;
    }
    // As in live play, a missing data folder is told before the soundtrack
    // that it would hold.
    checkDataFolder();
    const sWindowConfig config = readWindowConfig();
    static cSoundtrackRange sound;
    const bool haveSound = sound.open(soundtrackFile);
    sCapturePlan plan;
    if (!planCapture(options, config.width, config.height, sound.lengthMs(), plan, problem)
        || !(problem = checkEncoderLimits(plan.width, plan.height, plan.fps, output.isSequence())).empty()) {
        vorn::consoleLog.line(problem);
        return 2;
    }
    if (output.isSequence() && (options.jobs > 1 || options.parts > 0)) {
        vorn::consoleLog.line("strobewerk: --jobs, --part and --join make a video file (.mp4, .mov, .mkv), "
                              "not an image sequence");
        return 2;
    }
    cInputLog replayed;
    if (!options.replayInput.empty()) {
        if (const std::string why = replayed.load(options.replayInput); !why.empty()) {
            vorn::consoleLog.line("strobewerk: cannot replay ", options.replayInput, ": ", why);
            return 2;
        }
    }
    plan.inputs = inputsDescription(replayed.linesFrom(0), replayed.size());
    // Told once: by the split capture, not again by each of its parts.
    if (!plan.note.empty() && std::getenv("STROBEWERK_PART_PROGRESS_FD") == nullptr)
        vorn::consoleLog.line(plan.note);

    if (options.jobs > 1 || (options.parts > 0 && options.part == 0))
        return cSplitCapture(plan, output, sound).run(options);

    // The capture owns what it writes from here on.
    const std::string file = options.part > 0 ? partFileName(output.owned, options.part, options.parts) : output.owned;
    cOutputClaim claim;
    // A part of a --jobs capture, which found no part of this name before
    // it started, never replaces one.
    if (options.part > 0 && cPartJobs::startedBySplitCapture())
        claim.keepExisting();
    const cOutputClaim::NameTest ownsName =
        output.isSequence() ? cOutputClaim::NameTest([&output](const std::string& name) {
            return isSequenceFile(output, name);
        })
                            : nullptr;
    if (const int exitCode = claim.claimSaying(file, ownsName))
        return exitCode;
    if (!haveSound)
        vorn::consoleLog.line("capture: no soundtrack (", soundtrackFile,
                              " is missing or cannot be decoded): the ",
                              output.isSequence() ? "sound file is silent" : "video gets a silent audio track");

    switch (openCaptureVideo(plan, problem)) {
    case eVideo::ready:
        break;
    case eVideo::badSize:
        vorn::consoleLog.line(problem);
        SDL_Quit();
        return 2;
    case eVideo::rerun:
        // The run under the virtual X server claims the output itself.
        claim.abandon();
        return rerunUnderXvfb(plan, options, problem);
    case eVideo::failed:
        vorn::consoleLog.line("strobewerk: ", problem);
        SDL_Quit();
        return 1;
    }

    const std::int64_t first = plan.firstFrame;
    const std::int64_t frames = plan.endFrame - plan.firstFrame;
    onResize(plan.width, plan.height);
    setUpShow("data/mvl.txt");
    showTimeline.useInputs(replayed);
    const std::int32_t songTime = frameSongTime(plan, first);
    sound.start(frameSampleStart(plan, first));

    const std::string part = options.part == 0 ? ""
                                               : " (part " + std::to_string(options.part) + " of "
                                                     + std::to_string(options.parts) + ": frames "
                                                     + std::to_string(first) + " to " + std::to_string(plan.endFrame)
                                                     + ")";
    vorn::consoleLog.line("capture: ", framesText(frames), " of ", plan.width, "x", plan.height, " at ", plan.fps,
                          " fps, song time ", formatSongTime(songTime), " to ",
                          formatSongTime(plan.endFrame < plan.frameCount ? frameSongTime(plan, plan.endFrame) : plan.to),
                          ", into ", file, part);

    cCaptureEncoder encoder;
    sEncoderSettings settings = encoderSettingsFor(plan, output.isSequence() ? "png" : output.container());
    settings.audio = options.part == 0;
    if (options.part > 0)
        settings.tag = partTag(plan, options.part, options.parts);
    settings.framePrefix = claim.workPath() + "/" + output.prefix;
    settings.frameDigits = output.digits;
    settings.soundFile = claim.workPath() + "/" + output.soundName;
    if (!encoder.open(claim.workPath(), settings)) {
        vorn::consoleLog.line("strobewerk: cannot write the capture to \"", file, "\": ", encoder.error());
        claim.abandon();
        SDL_Quit();
        return 1;
    }
    const std::string result = output.isSequence()
                                   ? "the frames and " + output.soundName + " are in " + file
                                   : "the video is " + file;

    cFrameReadback readback(plan.width, plan.height);
    const int rowBytes = plan.width * 4;
    // GL reads rows bottom first: the encoder starts at the last row and
    // steps back.
    cEncodeThread encoding(encoder, readback.frameBytes(), kQueuedFrames, -rowBytes,
                           static_cast<std::ptrdiff_t>(plan.height - 1) * rowBytes);
    auto collectFrame = [&]() {
        std::uint8_t* buffer = encoding.acquire();
        if (!buffer)
            return false;
        if (!readback.collect(buffer))
            return false;
        encoding.submitFrame(buffer);
        return true;
    };
    // The sound up to frame n's start goes in before it (a part has none).
    auto submitSoundTo = [&](std::int64_t n) {
        std::vector<float> samples;
        sound.pullTo(frameSampleStart(plan, n), samples);
        if (!samples.empty() && settings.audio)
            encoding.submitAudio(std::move(samples));
    };

    cCaptureProgress progress(frames, isatty(STDOUT_FILENO) == 1);
    const auto started = std::chrono::steady_clock::now();
    std::int64_t done = 0;
    bool escaped = false;
    bool broken = false;
    for (; done < frames; ++done) {
        if (cStopSignals::received() != 0 || (escaped = escapeAsked()))
            break;
        submitSoundTo(first + done);
        drawShowFrame(frameSongTime(plan, first + done));
        readback.request();
        if (readback.pending() > 1 && !collectFrame()) {
            broken = true;
            break;
        }
        progress.update(done + 1, secondsSince(started));
        cPartJobs::reportProgress(done + 1);
    }
    while (!broken && readback.pending() > 0)
        broken = !collectFrame();
    // The sound up to the end of the last frame shown (or to --to).
    submitSoundTo(first + done);
    progress.close(done, secondsSince(started));

    const int stopSignal = cStopSignals::received();
    const bool stoppedEarly = done < frames;
    std::string why;
    if (broken || done == 0 || !encoding.finish(!broken && done > 0) || !claim.commit(why)) {
        if (why.empty())
            why = broken || encoding.failed() ? encoding.error() : done == 0 ? "stopped before the first frame" : "";
        vorn::consoleLog.line("capture failed: ", why.empty() ? "cannot read the frames back" : why,
                              "; nothing written");
        encoding.finish(false);
        encoder.abandon();
        claim.abandon();
        SDL_Quit();
        return stopSignal != 0 ? 128 + stopSignal : 1;
    }
    const double seconds = secondsSince(started);
    if (stoppedEarly)
        vorn::consoleLog.line("capture: stopped early at song time ",
                              formatSongTime(frameSongTime(plan, first + done)), " (", escaped ? "Escape" : "signal",
                              "), ", done, " of ", framesText(frames), "; ", result);
    else
        vorn::consoleLog.line("capture: done in ", durationText(seconds), ", ", framesText(done), "; ", result);
    SDL_Quit();
    if (stoppedEarly && stopSignal != 0)
        return 128 + stopSignal;
    return 0;
}
