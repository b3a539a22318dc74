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
#include <optional>
#include <string>
#include <vector>

#include "strobewerk/Config.h"
#include "strobewerk/FrameState.h"
#include "strobewerk/NoteList.h"
#include "strobewerk/ProgramPath.h"
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
constexpr const char* underXvfbVariable = "STROBEWERK_CAPTURE_UNDER_XVFB";
constexpr std::size_t queuedFrames = 3;

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
    if (std::getenv(underXvfbVariable) != nullptr || xvfbRun.empty()) {
        vorn::consoleLog.line("strobewerk: no OpenGL for the capture (", why, ")",
                              xvfbRun.empty() ? "; install xvfb to capture under a virtual X server" : "");
        return 1;
    }
    const std::string self = programPath();
    if (self.empty()) {
        vorn::consoleLog.line("strobewerk: no OpenGL for the capture (", why, ") and cannot find this program");
        return 1;
    }
    vorn::consoleLog.line("capture: no OpenGL without a display (", why, "); running under a virtual X server");
    // -noreset: the capture closes its first, small surface and opens the
    // real one; a server that resets when its last client leaves refuses
    // that second connection while it resets ("x11 not available").
    const std::string screen = "-noreset -screen 0 " + std::to_string(plan.width < 1600 ? 1600 : plan.width) + "x"
                               + std::to_string(plan.height < 1200 ? 1200 : plan.height) + "x24";
    std::vector<std::string> words = {xvfbRun, "-a", "-s", screen};
    const std::vector<std::string> capture =
        captureCommandLine(self, plan, options.captureFile, options.part, options.parts, options.replayInput);
    words.insert(words.end(), capture.begin(), capture.end());
    setenv(underXvfbVariable, "1", 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    std::fflush(stdout);
    execProgram(words);
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
    if (std::getenv(underXvfbVariable) == nullptr)
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

// The soundtrack's samples for the capture, opened once.
cSoundtrackRange& captureSound()
{
    static cSoundtrackRange sound;
    return sound;
}

// What a capture keeps from its start to its end, in the order it is made.
struct sCaptureRun {
    // From the start on, Ctrl-C, SIGTERM and SIGHUP only ask the capture
    // to stop; it looks before every frame.
    cStopSignals signals;
    sCaptureOutput output;
    sCapturePlan plan;
    cInputLog replayed;
    bool haveSound = false;
    // What this process writes: the output, or its part's file.
    std::string file;
    cOutputClaim claim;
    cCaptureEncoder encoder;
    sEncoderSettings settings;
    // The last line's words for where the result is.
    std::string result;
    std::optional<cFrameReadback> readback;
    std::optional<cEncodeThread> encoding;
    std::optional<cCaptureProgress> progress;
    std::chrono::steady_clock::time_point started;
    std::int64_t first = 0;
    std::int64_t frames = 0;
    std::int64_t done = 0;
    bool escaped = false;
    bool broken = false;
};

// Everything that can be checked without writing: the output's name, the
// plan, the recording to replay. An exit code (2, said why) when something
// is wrong.
std::optional<int> checkCapture(const sOptions& options, sCaptureRun& run)
{
    std::string problem;
    if (!parseCaptureOutput(options.captureFile, run.output, problem)) {
        vorn::consoleLog.line(problem);
        return 2;
    }
    // As in live play, a missing data folder is told before the soundtrack
    // that it would hold.
    checkDataFolder();
    const sWindowConfig config = readWindowConfig();
    cSoundtrackRange& sound = captureSound();
    run.haveSound = sound.open(soundtrackFile);
    if (!planCapture(options, config.width, config.height, sound.lengthMs(), run.plan, problem)
        || !(problem = checkEncoderLimits(run.plan.width, run.plan.height, run.plan.fps, run.output.isSequence()))
                .empty()) {
        vorn::consoleLog.line(problem);
        return 2;
    }
    if (run.output.isSequence() && (options.jobs > 1 || options.parts > 0)) {
        vorn::consoleLog.line("strobewerk: --jobs, --part and --join make a video file (.mp4, .mov, .mkv), "
                              "not an image sequence");
        return 2;
    }
    if (!options.replayInput.empty()) {
        if (const std::string why = run.replayed.load(options.replayInput); !why.empty()) {
            vorn::consoleLog.line("strobewerk: cannot replay ", options.replayInput, ": ", why);
            return 2;
        }
    }
    run.plan.inputs = inputsDescription(run.replayed.linesFrom(0), run.replayed.size());
    return std::nullopt;
}

// Claims what this process writes. An exit code (said why) when it cannot.
std::optional<int> claimCaptureOutput(const sOptions& options, sCaptureRun& run)
{
    const sCaptureOutput& output = run.output;
    run.file = options.part > 0 ? partFileName(output.owned, options.part, options.parts) : output.owned;
    // A part of a --jobs capture, which found no part of this name before
    // it started, never replaces one.
    if (options.part > 0 && cPartJobs::startedBySplitCapture())
        run.claim.keepExisting();
    cOutputClaim::NameTest ownsName;
    if (output.isSequence())
        ownsName = [&output](const std::string& name) { return isSequenceFile(output, name); };
    if (const int exitCode = run.claim.claimSaying(run.file, ownsName))
        return exitCode;
    return std::nullopt;
}

// Opens the encoder into the claimed output and the read-back and encode
// thread before it. False when the encoder cannot write (said why).
bool openCaptureEncoder(const sOptions& options, sCaptureRun& run)
{
    const sCapturePlan& plan = run.plan;
    const sCaptureOutput& output = run.output;
    run.settings = encoderSettingsFor(plan, output.isSequence() ? "png" : output.container());
    run.settings.audio = options.part == 0;
    if (options.part > 0)
        run.settings.tag = partTag(plan, options.part, options.parts);
    run.settings.framePrefix = run.claim.workPath() + "/" + output.prefix;
    run.settings.frameDigits = output.digits;
    run.settings.soundFile = run.claim.workPath() + "/" + output.soundName;
    if (!run.encoder.open(run.claim.workPath(), run.settings)) {
        vorn::consoleLog.line("strobewerk: cannot write the capture to \"", run.file, "\": ", run.encoder.error());
        return false;
    }
    run.result = output.isSequence() ? "the frames and " + output.soundName + " are in " + run.file
                                     : "the video is " + run.file;
    run.readback.emplace(plan.width, plan.height);
    const int rowBytes = plan.width * 4;
    // GL reads rows bottom first: the encoder starts at the last row and
    // steps back.
    run.encoding.emplace(run.encoder, run.readback->frameBytes(), queuedFrames, -rowBytes,
                         static_cast<std::ptrdiff_t>(plan.height - 1) * rowBytes);
    return true;
}

// The oldest frame read back handed to the encode thread.
bool collectFrame(sCaptureRun& run)
{
    std::uint8_t* buffer = run.encoding->acquire();
    if (!buffer)
        return false;
    if (!run.readback->collect(buffer))
        return false;
    run.encoding->submitFrame(buffer);
    return true;
}

// The sound up to frame n's start goes in before it (a part has none).
void submitSoundTo(sCaptureRun& run, std::int64_t n)
{
    std::vector<float> samples;
    captureSound().pullTo(frameSampleStart(run.plan, n), samples);
    if (!samples.empty() && run.settings.audio)
        run.encoding->submitAudio(std::move(samples));
}

// The capture's start-up, up to the first frame: the checks, a split
// capture handed over, the output claimed, the GL context, the show and
// the encoder. An exit code when it is over (failed, refused, rendered by
// other processes: said why), nothing when the frames may be drawn.
std::optional<int> startCapture(const sOptions& options, sCaptureRun& run)
{
    if (const std::optional<int> refused = checkCapture(options, run))
        return refused;
    const sCapturePlan& plan = run.plan;
    // Told once: by the split capture, not again by each of its parts.
    if (!plan.note.empty() && !cPartJobs::startedBySplitCapture())
        vorn::consoleLog.line(plan.note);

    if (options.jobs > 1 || (options.parts > 0 && options.part == 0))
        return cSplitCapture(run.plan, run.output, captureSound()).run(options);

    // The capture owns what it writes from here on.
    if (const std::optional<int> refused = claimCaptureOutput(options, run))
        return refused;
    if (!run.haveSound)
        vorn::consoleLog.line("capture: no soundtrack (", soundtrackFile, " is missing or cannot be decoded): the ",
                              run.output.isSequence() ? "sound file is silent" : "video gets a silent audio track");

    std::string problem;
    switch (openCaptureVideo(plan, problem)) {
    case eVideo::ready:
        break;
    case eVideo::badSize:
        vorn::consoleLog.line(problem);
        SDL_Quit();
        return 2;
    case eVideo::rerun:
        // The run under the virtual X server claims the output itself.
        run.claim.abandon();
        return rerunUnderXvfb(plan, options, problem);
    case eVideo::failed:
        vorn::consoleLog.line("strobewerk: ", problem);
        SDL_Quit();
        return 1;
    }

    run.first = plan.firstFrame;
    run.frames = plan.endFrame - plan.firstFrame;
    onResize(plan.width, plan.height);
    setUpShow(noteListFile);
    showTimeline.useInputs(run.replayed);
    const std::int32_t songTime = frameSongTime(plan, run.first);
    captureSound().start(frameSampleStart(plan, run.first));

    const std::string part = options.part == 0 ? ""
                                               : " (part " + std::to_string(options.part) + " of "
                                                     + std::to_string(options.parts) + ": frames "
                                                     + std::to_string(run.first) + " to "
                                                     + std::to_string(plan.endFrame) + ")";
    vorn::consoleLog.line("capture: ", framesText(run.frames), " of ", plan.width, "x", plan.height, " at ", plan.fps,
                          " fps, song time ", formatSongTime(songTime), " to ",
                          formatSongTime(plan.endFrame < plan.frameCount ? frameSongTime(plan, plan.endFrame) : plan.to),
                          ", into ", run.file, part);

    if (!openCaptureEncoder(options, run)) {
        run.claim.abandon();
        SDL_Quit();
        return 1;
    }
    run.progress.emplace(run.frames, isatty(STDOUT_FILENO) == 1);
    run.started = std::chrono::steady_clock::now();
    return std::nullopt;
}

// One frame of the capture: its sound and picture drawn at its song time,
// read back, and the frame before it handed to the encoder. False, with
// nothing drawn, once every frame is done or a stop was asked; false too
// when the read-back or the encoder broke (run.broken).
bool captureFrame(sCaptureRun& run)
{
    if (run.done >= run.frames || cStopSignals::received() != 0 || (run.escaped = escapeAsked()))
        return false;
    const std::int64_t n = run.first + run.done;
    submitSoundTo(run, n);
    drawShowFrame(frameSongTime(run.plan, n));
    run.readback->request();
    if (run.readback->pending() > 1 && !collectFrame(run)) {
        run.broken = true;
        return false;
    }
    ++run.done;
    run.progress->update(run.done, secondsSince(run.started));
    cPartJobs::reportProgress(run.done);
    return true;
}

// After the last frame: the frames still in flight and the sound to the
// end encoded, the output committed (or abandoned when it cannot be
// whole), the last line, SDL closed. Returns the exit code.
int endCapture(sCaptureRun& run)
{
    const sCapturePlan& plan = run.plan;
    while (!run.broken && run.readback->pending() > 0)
        run.broken = !collectFrame(run);
    // The sound up to the end of the last frame shown (or to --to).
    submitSoundTo(run, run.first + run.done);
    run.progress->close(run.done, secondsSince(run.started));

    const int stopSignal = cStopSignals::received();
    const bool stoppedEarly = run.done < run.frames;
    std::string why;
    if (run.broken || run.done == 0 || !run.encoding->finish(!run.broken && run.done > 0) || !run.claim.commit(why)) {
        if (why.empty())
            why = run.broken || run.encoding->failed() ? run.encoding->error()
                  : run.done == 0                     ? "stopped before the first frame"
                                                      : "";
        vorn::consoleLog.line("capture failed: ", why.empty() ? "cannot read the frames back" : why,
                              "; nothing written");
        run.encoding->finish(false);
        run.encoder.abandon();
        run.claim.abandon();
        SDL_Quit();
        return stopSignal != 0 ? 128 + stopSignal : 1;
    }
    const double seconds = secondsSince(run.started);
    if (stoppedEarly)
        vorn::consoleLog.line("capture: stopped early at song time ",
                              formatSongTime(frameSongTime(plan, run.first + run.done)), " (",
                              run.escaped ? "Escape" : "signal", "), ", run.done, " of ", framesText(run.frames), "; ",
                              run.result);
    else
        vorn::consoleLog.line("capture: done in ", durationText(seconds), ", ", framesText(run.done), "; ",
                              run.result);
    SDL_Quit();
    if (stoppedEarly && stopSignal != 0)
        return 128 + stopSignal;
    return 0;
}

} // namespace

int runCapture(const sOptions& options)
{
    sCaptureRun run;
    if (const std::optional<int> over = startCapture(options, run))
        return *over;
    while (captureFrame(run)) {
    }
    return endCapture(run);
}
