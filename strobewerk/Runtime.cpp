#include "strobewerk/Runtime.h"

#include <GL/glew.h>
#include <SDL.h>

#include "strobewerk/Config.h"
#include "strobewerk/LiveReload.h"
#include "strobewerk/NoteList.h"
#include "strobewerk/PlayControls.h"
#include "strobewerk/ReloadWatcher.h"
#include "strobewerk/audio/Soundtrack.h"
#include "strobewerk/capture/CaptureDriver.h"
#include "strobewerk/scenes/BlurChain.h"
#include "strobewerk/scenes/Composition.h"
#include "strobewerk/scenes/CompositionLogic.h"
#include "strobewerk/scenes/SceneResources.h"
#include "vorn/ConsoleLog.h"
#include "vorn/DirectFrameBuffer.h"

namespace {

std::uint32_t sdlTicks()
{
    return SDL_GetTicks();
}

constexpr int spectrumSize = 512;
constexpr int blurSize = 256;
const char* const noteListFile = "data/mvl.txt";

// The soundtrack and its channel, played from the start position.
cSoundtrack soundtrack;

} // namespace

std::uint32_t (*frameTicks)() = sdlTicks;

cSongClock songClock = [] {
    cSongClock clock;
    // Through the pointer, so a test that swaps frameTicks is followed.
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

void onResize(std::int32_t width, std::int32_t height)
{
    windowWidth = width;
    windowHeight = height;
    // Aspect 1 whatever the window's shape: the production is framed square.
    makePerspective(projectionMatrix, 90.0f, 1.0f, 0.01f, 20000.0f);
    windowFrameBuffer.setSize(vorn::vec2f(static_cast<float>(width), static_cast<float>(height)));
    glMatrixMode(GL_MODELVIEW);
}

void resetFrameClock()
{
    songClock.restart();
}

void runFrame()
{
    soundtrack.fillSpectrum(spectrum.data(), spectrum.size());
    windowFrameBuffer.setClearColour(vorn::vec4f(0.0f, 0.0f, 0.0f, 0.0f));
    windowFrameBuffer.begin();
    glEnable(GL_DEPTH_TEST);
    glLoadIdentity();
    const sClockStep step = songClock.advance(songTime);
    songTime = step.songTime;
    frameDelta = step.frameDelta;
    noteList.update(songTime);
    composeFrame();
    windowFrameBuffer.end();
}

std::int32_t seekSong(std::int32_t target)
{
    songTime = soundtrack.seek(target);
    noteList.rewind(songTime);
    settleEffects(compositionState);
    return songTime;
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
        seekSong(seekTarget(action, songTime, soundtrack.lengthMs()));
}

void runSceneSetUps()
{
    setUpScene1();
    setUpScene2();
    setUpEyeOverlay();
    setUpIntro();
    setUpBlurChain(blurSize, blurSize);
    setUpFinalVignette();
}

void runMainLoop()
{
    bool quit = false;
    cFrameRateMeter meter;
    cReloadWatcher watcher;
    watchEditedFiles(watcher);
    for (;;) {
        SDL_Event event;
        if (SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT)
                quit = true;
            else if (event.type == SDL_VIDEORESIZE)
                onResize(event.resize.w, event.resize.h);
            else if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)
                // A tap shorter than one frame is over before the keyboard
                // state is copied; its key-down event still counts.
                quit = true;
            else if (event.type == SDL_KEYDOWN)
                applyPlayAction(playActionForKey(event.key.keysym.sym));
            continue;
        }
        SDL_PumpEvents();
        readKeyboard();
        readJoystick(joystick);
        if (isKeyDown(SDLK_ESCAPE))
            quit = true;
        watcher.poll(SDL_GetTicks());
        runFrame();
        SDL_GL_SwapBuffers();
        if (meter.frame(SDL_GetTicks()))
            SDL_WM_SetCaption(windowTitle(songTime, meter.framesPerSecond(), isSongPaused()).c_str(), nullptr);
        if (quit)
            break;
    }
}

namespace {

// Closing SDL stops the audio thread before the program's globals (the
// soundtrack among them) are torn down at exit; every way out goes through
// here.
int shutDown(int exitCode)
{
    if (joystick != nullptr)
        SDL_JoystickClose(joystick);
    joystick = nullptr;
    SDL_Quit();
    return exitCode;
}

} // namespace

int runProduction(const sOptions& options)
{
    vorn::consoleLog.line("hello world!");
    vorn::consoleLog.line("hahah HAI");
    vorn::consoleLog.line("ait:", 10);

    // A capture renders into a video file with no window and no audio
    // device: it has a start-up of its own.
    if (options.capturing())
        return runCapture(options);

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

    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, 1);
    // Without a window there is no GL context, and every GL call after this
    // point would crash: say why and stop instead.
    if (SDL_SetVideoMode(config.width, config.height, 32, flags) == nullptr) {
        vorn::consoleLog.line("no window: ", SDL_GetError());
        return shutDown(1);
    }

    windowWidth = config.width;
    windowHeight = config.height;
    onResize(windowWidth, windowHeight);

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

    runSceneSetUps();

    spectrum.assign(spectrumSize, 0.0f);
    // A later start (--from) is a seek before the first frame: the notes
    // before it are passed without firing, and like every seek it stops at
    // the end of the song.
    songTime = options.from;
    if (const std::int32_t length = soundtrack.lengthMs(); length >= 0 && songTime > length)
        songTime = length;
    if (const std::string problem = noteList.load(noteListFile); !problem.empty())
        vorn::consoleLog.line(noteListFile, ": ", problem);
    noteList.rewind(songTime);
    soundtrack.play(songTime);
    SDL_ShowCursor(SDL_DISABLE);

    runMainLoop();
    return shutDown(0);
}
