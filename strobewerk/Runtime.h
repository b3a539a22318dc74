// The runtime of the production: its program-wide state and the frame
// driver.
//
// Start-up (runProduction) greets, starts SDL and the soundtrack, reads
// "res.conf", opens the OpenGL window, opens joystick 0, runs the scene
// set-ups, loads the note list, starts playback and then runs the main
// loop until Escape or a quit event. Every loop iteration drains all
// pending events, reads the inputs (Input.h), runs one frame (runFrame)
// and swaps buffers.
//
// The scenes read the globals below; only the runtime writes them.
#pragma once

#include <cstdint>
#include <vector>

#include "strobewerk/Input.h"
#include "vorn/Mat4f.h"

namespace vorn {
class cDirectFrameBuffer;
}

// Song clock in milliseconds: the start position plus all frame deltas.
extern std::int32_t songTime;
// Milliseconds between the last two frames (SDL ticks).
extern std::int32_t frameDelta;
// The soundtrack's spectrum, 512 magnitudes, lowest band first.
extern std::vector<float> spectrum;
// Current window size in pixels.
extern std::int32_t windowWidth;
extern std::int32_t windowHeight;
// Perspective projection of the scenes (identity until the first onResize).
extern vorn::mat4f projectionMatrix;
// The render target that stands for the window.
extern vorn::cDirectFrameBuffer windowFrameBuffer;

// The song clock's tick source, SDL_GetTicks by default. Tests and the
// benchmark replace it with a counter of their own to draw frames at
// chosen song times.
extern std::uint32_t (*frameTicks)();

// The SDL video-mode flags of the window: OpenGL, hardware surface,
// asynchronous blits, resizable, hardware palette; full screen when asked;
// hardware acceleration when the video info reports accelerated blits
// (a null info adds neither capability flag).
struct SDL_VideoInfo;
std::uint32_t videoModeFlags(bool fullscreen, const SDL_VideoInfo* info);

// Fills `matrix` with gluPerspective(fov, aspect, zNear, zFar), computed on
// the GL projection stack (saved and restored); leaves modelview mode.
void makePerspective(vorn::mat4f& matrix, float fovDegrees, float aspect, float zNear, float zFar);

// Multiplies `view` onto the modelview matrix and loads `projection` as
// the projection matrix; leaves modelview mode.
void loadCamera(const vorn::mat4f& view, const vorn::mat4f& projection);

// Window size changed: stores it, rebuilds the projection (90 degrees,
// aspect 1), resizes the window framebuffer.
void onResize(std::int32_t width, std::int32_t height);

// One frame: spectrum, window target begun, clock, note list, composition,
// window target ended.
void runFrame();

// Restarts the song clock: the next runFrame takes a fresh tick reading
// and shows a delta of 0 (start-up state; tests use it between renders).
void resetFrameClock();

// The scene set-ups in their start-up order (needs the GL context and the
// window size in place).
void runSceneSetUps();

// The main loop: drains every pending event (quit, resize; Escape's key-down
// counts as well), then reads the inputs, draws one frame and swaps; after
// Escape or a quit event exactly one more frame is drawn and shown before
// it returns. Needs everything start-up makes.
void runMainLoop();

// The whole program: start-up and main loop. Returns the exit code.
int runProduction();
