// startfloor: the least a program of this kind can do before its first
// frame is on screen: start SDL as the production does, open a GL window of
// the same size, clear it and swap. tools/startup_time.sh measures it like
// the production, as the floor under the production's start-up.
// Usage: startfloor [WIDTH HEIGHT]   (default 1280 720)
#include <GL/gl.h>
#include <SDL.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    const int width = argc > 2 ? std::atoi(argv[1]) : 1280;
    const int height = argc > 2 ? std::atoi(argv[2]) : 720;
    setenv("SDL12COMPAT_OPENGL_SCALING", "0", 0);
    if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0)
        return 1;
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (SDL_SetVideoMode(width, height, 32, SDL_OPENGL) == nullptr)
        return 1;
    SDL_ShowCursor(SDL_DISABLE);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapBuffers();
    SDL_Quit();
    return 0;
}
