// Live play: the production in its window with its sound, played by the
// maker's keys and the joystick.
//
// runLivePlay starts in a fixed order: SDL, the data folder, the audio
// system and the soundtrack (the only fatal failure), "res.conf", the
// OpenGL window, joystick 0, the show (show/Show.h), the start position
// and playback, then runs the main loop until Escape or a quit event.
// Every loop iteration drains all pending events, reads the inputs
// (Input.h), hands the joystick to the show's input log, reloads edited
// files, draws the frame at the song clock's time and swaps buffers.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "strobewerk/Options.h"
#include "strobewerk/SongClock.h"
#include "strobewerk/live/PlayControls.h"
#include "strobewerk/live/ReloadWatcher.h"

// The song clock's tick source, SDL_GetTicks by default; a measuring tool
// replaces it to note when each frame read the clock.
extern std::uint32_t (*frameTicks)();

// The song clock of live play: frameTicks, kept with the heard sound.
extern cSongClock songClock;
// Live play's song time: where the song clock stands, the time of the last
// frame drawn (after a seek, of the next). It reaches the show as an
// argument (drawShowFrame) and the reloads through watchEditedFiles.
extern std::int32_t liveSongTime;

// The SDL video-mode flags of the window: OpenGL, hardware surface,
// asynchronous blits, resizable, hardware palette; full screen when asked;
// hardware acceleration when the video info reports accelerated blits
// (a null info adds neither capability flag).
struct SDL_VideoInfo;
std::uint32_t videoModeFlags(bool fullscreen, const SDL_VideoInfo* info);

// A seek: the soundtrack and the clock go to `target` (kept within the
// song); the next frame shows the show's exact state there. Returns the
// song time it went to.
std::int32_t seekSong(std::int32_t target);

// Pauses or resumes the sound and the clock together; frames go on being
// drawn at the held song time while paused.
void setSongPaused(bool paused);
bool isSongPaused();

// Carries out one of the maker's keys (PlayControls.h).
void applyPlayAction(ePlayAction action);

// One frame of live play: the clock advanced, the joystick (unless a
// recording plays) written to the show's input log from the next tick on,
// the frame drawn, points added by the joystick and a soundtrack that broke
// off reported.
void runLiveFrame();

// What the main loop keeps from one iteration to the next.
struct sLiveLoop {
    bool quit = false;
    cFrameRateMeter meter;
    cReloadWatcher watcher;
};

// Before the first iteration: the edited files to watch (LiveReload.h).
void startMainLoop(sLiveLoop& loop);

// One iteration of the main loop: drains every pending event (quit,
// resize, the maker's keys; Escape's key-down counts as well), then reads
// the inputs, reloads edited files (looked at once a second), draws one
// frame and swaps; the window title shows song time and frame rate. False
// once the frame after Escape or a quit event has been drawn and shown.
// The desktop loop calls it until then; the web page calls it once per
// animation frame.
bool runLoopIteration(sLiveLoop& loop);

// The desktop main loop: startMainLoop, then iterations until one returns
// false, the take (--record-input) written to its file between them at
// least every 250 ms. Needs everything start-up makes.
void runMainLoop();

// Live play's start-up, up to the sound playing from the start position:
// the recording to replay read, the take's file (--record-input) claimed
// before the window opens (cTakeFile: 2 when it cannot be kept), SIGHUP
// made to end the main loop as SIGTERM and SIGINT do. An exit code when it
// failed (the failure has been told), nothing when the main loop may run.
std::optional<int> startLivePlay(const sOptions& options);

// After the main loop: the take saved (TAKE.part renamed to TAKE), SDL
// closed. The exit code: 0, or 1 when the take could not be saved.
int endLivePlay(const sOptions& options);

// The whole of live play: start-up, main loop, end. Returns the exit code.
int runLivePlay(const sOptions& options);
