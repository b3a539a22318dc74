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
// The scenes read the frame state (FrameState.h); only the runtime writes it.
#pragma once

#include <cstdint>
#include <vector>

#include "strobewerk/FrameState.h"
#include "strobewerk/Input.h"
#include "strobewerk/Options.h"
#include "strobewerk/PlayControls.h"
#include "strobewerk/SongClock.h"

// The song clock's tick source, SDL_GetTicks by default. Tests and the
// benchmark replace it with a counter of their own to draw frames at
// chosen song times.
extern std::uint32_t (*frameTicks)();

// The song clock runFrame advances; live play reads frameTicks through it.
extern cSongClock songClock;

// The SDL video-mode flags of the window: OpenGL, hardware surface,
// asynchronous blits, resizable, hardware palette; full screen when asked;
// hardware acceleration when the video info reports accelerated blits
// (a null info adds neither capability flag).
struct SDL_VideoInfo;
std::uint32_t videoModeFlags(bool fullscreen, const SDL_VideoInfo* info);

// Window size changed: stores it, rebuilds the projection (90 degrees,
// aspect 1), resizes the window framebuffer.
void onResize(std::int32_t width, std::int32_t height);

// One frame: spectrum, window target begun, clock, note list, composition,
// window target ended.
void runFrame();

// Restarts the song clock: the next runFrame takes a fresh tick reading
// and shows a delta of 0 (start-up state; tests use it between renders).
void resetFrameClock();

// A seek of live play: the soundtrack and the clock go to `target` (kept
// within the song), the note list is rewound there (notes before it done,
// the rest fresh) and the decaying effect values are put at rest; the
// camera, the boxes and the particles keep their state. Returns the song
// time it went to.
std::int32_t seekSong(std::int32_t target);

// Pauses or resumes the sound and the clock together; frames go on being
// drawn with a delta of 0 while paused.
void setSongPaused(bool paused);
bool isSongPaused();

// Carries out one of the maker's keys (PlayControls.h).
void applyPlayAction(ePlayAction action);

// The scene set-ups in their start-up order (needs the GL context and the
// window size in place).
void runSceneSetUps();

// The main loop: drains every pending event (quit, resize, the maker's keys;
// Escape's key-down counts as well), then reads the inputs, reloads edited
// files (LiveReload.h, looked at once a second), draws one frame and swaps;
// the window title shows song time and frame rate; after
// Escape or a quit event exactly one more frame is drawn and shown before
// it returns. Needs everything start-up makes.
void runMainLoop();

// The whole program: start-up and main loop (or a capture, when the options
// ask for one). Returns the exit code.
int runProduction(const sOptions& options);
