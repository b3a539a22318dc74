#include "strobewerk/show/Show.h"

#include <GL/glew.h>
#include <SDL.h>

#include "strobewerk/FrameState.h"
#include "strobewerk/NoteList.h"
#include "strobewerk/audio/Soundtrack.h"
#include "strobewerk/audio/SoundtrackLevels.h"
#include "strobewerk/scenes/BlurChain.h"
#include "strobewerk/scenes/Composition.h"
#include "strobewerk/scenes/SceneResources.h"
#include "vorn/ConsoleLog.h"
#include "vorn/DirectFrameBuffer.h"

namespace {

constexpr int blurSize = 256;

} // namespace

cShowTimeline showTimeline;
cSoundtrackLevels soundtrackLevels;

void requestShowSurface()
{
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
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

void runSceneSetUps()
{
    setUpScene1();
    setUpScene2();
    setUpEyeOverlay();
    setUpIntro();
    setUpBlurChain(blurSize, blurSize);
}

void attachShowTimeline()
{
    showTimeline.attach(&noteList, &soundtrackLevels, sceneCounts());
}

void setUpShow(const std::string& noteListFile)
{
    runSceneSetUps();
    if (const std::string problem = noteList.load(noteListFile); !problem.empty())
        vorn::consoleLog.line(noteListFile, ": ", problem);
    soundtrackLevels.open(soundtrackFile, showTicksPerSecond);
    attachShowTimeline();
}

const sSceneState& drawShowFrame(std::int32_t ms)
{
    const sSceneState& state = showTimeline.stateAt(ms);
    windowFrameBuffer.setClearColour(vorn::vec4f(0.0f, 0.0f, 0.0f, 0.0f));
    windowFrameBuffer.begin();
    glEnable(GL_DEPTH_TEST);
    glLoadIdentity();
    composeFrame(state, ms);
    windowFrameBuffer.end();
    return state;
}
