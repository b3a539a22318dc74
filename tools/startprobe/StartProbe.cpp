// startprobe: a library preloaded into the production (LD_PRELOAD) that
// marks how long its start-up takes, from the moment the process was
// launched (STARTPROBE_T0, wall-clock milliseconds, taken by the launcher
// just before) to its first frame on screen. It writes one line per mark on
// standard output:
//     startprobe: sdl_init 71.2 98.3          (begin and end, ms)
//     startprobe: window 121.5 247.9
//     startprobe: set_ups_done 512.4          (the cursor is hidden just
//                                             before the main loop)
//     startprobe: first_frame 640.7           (the first buffer swap)
// With STARTPROBE_EXIT set, the process ends right after the first swap.
// tools/startup_time.sh runs it.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

struct SDL_Surface;

namespace {

double launchedAt()
{
    static const double t0 = [] {
        const char* text = std::getenv("STARTPROBE_T0");
        return text != nullptr ? std::atof(text) : 0.0;
    }();
    return t0;
}

double sinceLaunch()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6 - launchedAt();
}

void mark(const char* name, double begin, double end = -1.0)
{
    if (end < 0.0)
        std::printf("startprobe: %s %.1f\n", name, begin);
    else
        std::printf("startprobe: %s %.1f %.1f\n", name, begin, end);
    std::fflush(stdout);
}

template <typename Function>
Function next(const char* name)
{
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

int SDL_Init(unsigned int flags)
{
    static auto real = next<int (*)(unsigned int)>("SDL_Init");
    const double begin = sinceLaunch();
    const int result = real(flags);
    mark("sdl_init", begin, sinceLaunch());
    return result;
}

SDL_Surface* SDL_SetVideoMode(int width, int height, int bits, unsigned int flags)
{
    static auto real = next<SDL_Surface* (*)(int, int, int, unsigned int)>("SDL_SetVideoMode");
    const double begin = sinceLaunch();
    SDL_Surface* surface = real(width, height, bits, flags);
    mark("window", begin, sinceLaunch());
    return surface;
}

int SDL_ShowCursor(int toggle)
{
    static auto real = next<int (*)(int)>("SDL_ShowCursor");
    mark("set_ups_done", sinceLaunch());
    return real(toggle);
}

void SDL_GL_SwapBuffers()
{
    static auto real = next<void (*)()>("SDL_GL_SwapBuffers");
    static bool first = true;
    real();
    if (!first)
        return;
    first = false;
    mark("first_frame", sinceLaunch());
    if (std::getenv("STARTPROBE_EXIT") != nullptr)
        _exit(0);
}

} // extern "C"
