#include "strobewerk/live/LivePlay.h"

#include <GL/glew.h>
#include <SDL.h>

#include <csignal>

#include "strobewerk/Config.h"
#include "strobewerk/NoteList.h"
#include "strobewerk/audio/Soundtrack.h"
#include "strobewerk/audio/SoundtrackLevels.h"
#include "strobewerk/live/Input.h"
#include "strobewerk/live/LiveReload.h"
#include "strobewerk/live/ReloadWatcher.h"
#include "strobewerk/show/Show.h"
#include "vorn/ConsoleLog.h"

namespace {

// The soundtrack and its channel, played from the start position.
cSoundtrack soundtrack;
// A recorded performance plays: the joystick is not read into the log.
bool replaying = false;
// The points the frames have shown, to report those the joystick adds.
std::size_t pointsShown = 0;
// --record-input: the take, written as it is played.
cTakeFile take;
// The terminal closed (SIGHUP): live play ends as on SIGTERM, which SDL
// turns into a quit event.
volatile std::sig_atomic_t hungUp = 0;
// Start-up reached the main loop.
bool playStarted = false;

void onHangUp(int)
{
    hungUp = 1;
}

// The take brought up to the show's input log, at most every 250 ms; a
// failure is told once.
void writeTake(std::uint32_t now)
{
    static std::uint32_t lastWrite = 0;
    static bool told = false;
    if (!take.isOpen() || now - lastWrite < 250)
        return;
    lastWrite = now;
    if (const std::string problem = take.write(showTimeline.inputs()); !problem.empty() && !told) {
        told = true;
        vorn::consoleLog.line("input recording: cannot write ", take.workPath(), ": ", problem);
    }
}

void reportNewPoints(const std::vector<vorn::vec3f>& points)
{
    for (std::size_t i = pointsShown; i < points.size(); ++i)
        vorn::consoleLog.line("adding point:", points[i].x, " ", points[i].y, " ", points[i].z);
    pointsShown = points.size();
}

std::uint32_t sdlTicks()
{
    return SDL_GetTicks();
}

} // namespace

std::int32_t liveSongTime = 0;
std::uint32_t (*frameTicks)() = sdlTicks;

cSongClock songClock = [] {
    cSongClock clock;
    // Through the pointer, so a tool that swaps frameTicks is followed.
    // Until the soundtrack plays there is no sound to follow.
    clock.useSound([] { return frameTicks(); },
                   [](std::int32_t& heard) { return soundtrack.audiblePositionMs(heard); });
    return clock;
}();

std::uint32_t videoModeFlags(bool fullscreen, const SDL_VideoInfo* info)
{
    std::uint32_t flags = SDL_OPENGL | SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_RESIZABLE | SDL_HWPALETTE;
    if (fullscreen)
        flags |= SDL_FULLSCREEN;
    if (info != nullptr && info->hw_available)
        flags |= SDL_HWSURFACE;
    if (info != nullptr && info->blit_hw)
        flags |= SDL_HWACCEL;
    return flags;
}

std::int32_t seekSong(std::int32_t target)
{
    liveSongTime = soundtrack.seek(target);
    return liveSongTime;
}

void setSongPaused(bool paused)
{
    soundtrack.setPaused(paused);
    songClock.setHeld(paused);
}

bool isSongPaused()
{
    return songClock.isHeld();
}

void applyPlayAction(ePlayAction action)
{
    if (action == ePlayAction::togglePause)
        setSongPaused(!isSongPaused());
    else if (isSeek(action))
        seekSong(seekTarget(action, liveSongTime, soundtrack.lengthMs()));
}

void runLiveFrame()
{
    liveSongTime = songClock.advance(liveSongTime).songTime;
    // What the joystick does now holds from the next tick on: the tick of
    // this frame and those before it have been met already.
    if (!replaying)
        showTimeline.setInput(tickAtOrBefore(liveSongTime) + 1, sceneInputOf(joystickState));
    reportNewPoints(drawShowFrame(liveSongTime).effects.points);
    soundtrack.reportBreakOff();
}

void startMainLoop(sLiveLoop& loop)
{
    watchEditedFiles(loop.watcher, [] { return liveSongTime; });
}

bool runLoopIteration(sLiveLoop& loop)
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT)
            loop.quit = true;
        else if (event.type == SDL_VIDEORESIZE)
            onResize(event.resize.w, event.resize.h);
        else if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)
            // A tap shorter than one frame is over before the keyboard
            // state is copied; its key-down event still counts.
            loop.quit = true;
        else if (event.type == SDL_KEYDOWN)
            applyPlayAction(playActionForKey(event.key.keysym.sym));
    }
    if (hungUp != 0)
        loop.quit = true;
    SDL_PumpEvents();
    readKeyboard();
    readJoystick(joystick);
    if (isKeyDown(SDLK_ESCAPE))
        loop.quit = true;
    loop.watcher.poll(SDL_GetTicks());
    runLiveFrame();
    SDL_GL_SwapBuffers();
    // After the first frame is on screen.
    soundtrackLevels.startDecoding();
    if (loop.meter.frame(SDL_GetTicks()))
        SDL_WM_SetCaption(windowTitle(liveSongTime, loop.meter.framesPerSecond(), isSongPaused()).c_str(), nullptr);
    return !loop.quit;
}

void runMainLoop()
{
    sLiveLoop loop;
    startMainLoop(loop);
    while (runLoopIteration(loop))
        writeTake(SDL_GetTicks());
}

namespace {

// Closing SDL stops the audio thread before the program's globals (the
// soundtrack among them) are torn down at exit; every way out goes through
// here.
int shutDown(int exitCode)
{
    // A start that failed played nothing: its empty take goes.
    if (!playStarted)
        take.abandon();
    if (joystick != nullptr)
        SDL_JoystickClose(joystick);
    joystick = nullptr;
    SDL_Quit();
    return exitCode;
}

// False when the take could not be saved (said why).
bool saveRecording(const std::string& path)
{
    if (path.empty() || !take.isOpen())
        return true;
    const cInputLog& log = showTimeline.inputs();
    const std::size_t size = log.size();
    if (const std::string problem = take.finish(log); !problem.empty()) {
        vorn::consoleLog.line("input not recorded to ", path, ": ", problem, "; what was written is in ",
                              take.workPath());
        return false;
    }
    vorn::consoleLog.line("input recorded: ", static_cast<unsigned long long>(size), size == 1 ? " change" : " changes",
                          " in ", path);
    return true;
}

} // namespace

std::optional<int> startLivePlay(const sOptions& options)
{
    // The terminal closing ends live play as SIGTERM does (SDL_Init makes
    // SIGINT and SIGTERM a quit event): the take is kept.
    struct sigaction hangUp {};
    hangUp.sa_handler = onHangUp;
    sigemptyset(&hangUp.sa_mask);
    sigaction(SIGHUP, &hangUp, nullptr);

    // A recording to replay is read before anything starts.
    cInputLog replayed;
    if (!options.replayInput.empty()) {
        if (const std::string problem = replayed.load(options.replayInput); !problem.empty()) {
            vorn::consoleLog.line("strobewerk: cannot replay ", options.replayInput, ": ", problem);
            return 2;
        }
        replaying = true;
    }
    // The take's file is claimed before the window opens: a take that
    // cannot be kept is told now, not when the performance is over.
    if (!options.recordInput.empty()) {
        std::string line;
        if (const int code = take.open(options.recordInput, line)) {
            vorn::consoleLog.line(line);
            return code;
        }
    }

    if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0)
        vorn::consoleLog.line("EROREROC OCK");

    checkDataFolder();

    // Only an audio layer that cannot start is fatal; a missing soundtrack
    // plays in silence.
    if (const std::int32_t result = soundtrack.open(soundtrackFile); result != AUDIO_OK) {
        vorn::consoleLog.line(audioFatalMessage(result));
        return shutDown(-1);
    }

    const sWindowConfig config = readWindowConfig();

    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    if (info == nullptr)
        vorn::consoleLog.line("EROREROC OCK 55");
    const std::uint32_t flags = videoModeFlags(config.fullscreen, info);

    requestShowSurface();
    SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, 1);
    // Without a window there is no GL context, and every GL call after this
    // point would crash: say why and stop instead.
    if (SDL_SetVideoMode(config.width, config.height, 32, flags) == nullptr) {
        vorn::consoleLog.line("no window: ", SDL_GetError());
        return shutDown(1);
    }

    onResize(config.width, config.height);

    const GLenum glewResult = glewInit();
    if (glewResult != GLEW_OK || !GLEW_VERSION_2_0) {
        vorn::consoleLog.line("no OpenGL 2.0: ", reinterpret_cast<const char*>(glewGetErrorString(glewResult)));
        return shutDown(1);
    }

    joystick = SDL_JoystickOpen(0);
    if (joystick != nullptr) {
        vorn::consoleLog.line("joystick opened hurray");
        vorn::consoleLog.line("num axes:", SDL_JoystickNumAxes(joystick));
    }

    setUpShow(noteListFile);
    if (replaying)
        showTimeline.useInputs(replayed);

    // A later start (--from) is a seek before the first frame; like every
    // seek it stops at the end of the song.
    liveSongTime = options.from;
    if (const std::int32_t length = soundtrack.lengthMs(); length >= 0 && liveSongTime > length)
        liveSongTime = length;
    soundtrack.play(liveSongTime);
    SDL_ShowCursor(SDL_DISABLE);
    playStarted = true;
    return std::nullopt;
}

int endLivePlay(const sOptions& options)
{
    const bool saved = saveRecording(options.recordInput);
    return shutDown(saved ? 0 : 1);
}

int runLivePlay(const sOptions& options)
{
    if (const std::optional<int> failed = startLivePlay(options))
        return *failed;
    runMainLoop();
    return endLivePlay(options);
}
