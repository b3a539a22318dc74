#include "tools/fidelity/SongFrames.h"

#include <GL/glew.h>
#include <IL/il.h>
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "strobewerk/FrameState.h"
#include "strobewerk/NoteList.h"
#include "strobewerk/ProcessSetup.h"
#include "strobewerk/show/Show.h"
#include "strobewerk/scenes/SceneResources.h"
#include "vorn/Texture.h"


namespace {

bool startedUp = false;

} // namespace

const std::vector<int>& songFrameTimes()
{
    static const std::vector<int> times{12000, 21000, 33000, 38750, 40500, 45000, 54000,  66000,  75000,  85000,
                                        88500, 96000, 98750, 105000, 113750, 117000, 128750, 138000, 150000, 159000};
    return times;
}

bool startUpSongFrames(int width, int height)
{
    if (startedUp)
        return true;
    if (!enterRepository()) {
        std::printf("run it from inside the repository\n");
        return false;
    }
    prepareProcess();
    if (SDL_Init(SDL_INIT_VIDEO) < 0)
        return false;
    requestShowSurface();
    if (SDL_SetVideoMode(width, height, 32, SDL_OPENGL) == nullptr) {
        std::printf("no window (%s)\n", SDL_GetError());
        return false;
    }
    if (glewInit() != GLEW_OK)
        return false;
    onResize(width, height);
    setUpShow(noteListFile);
    startedUp = true;
    return true;
}

void useSize(int width, int height)
{
    // The layers' texture and the metaball field follow the window's size
    // themselves, each in its own format.
    onResize(width, height);
}

void drawSongFrame(int ms, int width, int height)
{
    useSize(width, height);
    drawShowFrame(ms);
}

sRgbFrame readWindowFrame(int width, int height)
{
    sRgbFrame frame;
    frame.width = width;
    frame.height = height;
    frame.rgb.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, frame.rgb.data());
    return frame;
}

void drawPlainPass(int width, int height)
{
    glViewport(0, 0, width, height);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    static vorn::cTexture* const image = [] {
        auto* texture = new vorn::cTexture(false);
        texture->load("happy.png", GL_TEXTURE_2D, true);
        return texture;
    }();
    image->bind(0);
    drawOverlayColoured(terskelProgram, {1.0f, 1.0f, 1.0f, 1.0f}, 1.0f, 1.0f);
}

namespace {

void startImageLibrary()
{
    static bool started = false;
    if (!started) {
        ilInit();
        started = true;
    }
}

} // namespace

bool savePngFrame(const std::string& path, const sRgbFrame& frame)
{
    startImageLibrary();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilTexImage(frame.width, frame.height, 1, 3, IL_RGB, IL_UNSIGNED_BYTE, const_cast<unsigned char*>(frame.rgb.data()));
    ilEnable(IL_FILE_OVERWRITE);
    const bool saved = ilSaveImage(path.c_str()) == IL_TRUE;
    ilDeleteImages(1, &image);
    return saved;
}

bool loadPngFrame(const std::string& path, sRgbFrame& frame)
{
    startImageLibrary();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    bool loaded = ilLoadImage(path.c_str()) == IL_TRUE && ilConvertImage(IL_RGB, IL_UNSIGNED_BYTE) == IL_TRUE;
    if (loaded) {
        frame.width = ilGetInteger(IL_IMAGE_WIDTH);
        frame.height = ilGetInteger(IL_IMAGE_HEIGHT);
        frame.rgb.assign(static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height) * 3, 0);
        ilCopyPixels(0, 0, 0, static_cast<ILuint>(frame.width), static_cast<ILuint>(frame.height), 1, IL_RGB,
                     IL_UNSIGNED_BYTE, frame.rgb.data());
    }
    ilDisable(IL_ORIGIN_SET);
    ilDeleteImages(1, &image);
    return loaded;
}
