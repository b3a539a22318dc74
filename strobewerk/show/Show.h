// The production at a song time: what live play, the capture, the
// benchmarks and the tools share to put the show on screen.
//
//     setUpShow(noteListFile);   once there is a GL context of the window's
//                                size: the scene set-ups in their order, the
//                                note list, the soundtrack's levels and the
//                                timeline that steps the show's state
//     drawShowFrame(ms);         the frame at song time ms, drawn into the
//                                window target
//
// The frame at a song time is the same however the caller got there (the
// timeline, ShowTimeline.h, works its state out from the song time alone),
// so live play may skip, repeat or jump and a capture may start anywhere.
#pragma once

#include <cstdint>
#include <string>

#include "strobewerk/show/ShowTimeline.h"

class cSoundtrackLevels;

// The show's timeline over the production's note list and soundtrack.
extern cShowTimeline showTimeline;
// The soundtrack's level at every tick (decoded on a thread of its own).
extern cSoundtrackLevels soundtrackLevels;

// Asks SDL for the GL surface the show is drawn on, before each
// SDL_SetVideoMode: double-buffered, with a 24-bit depth buffer. The seed
// boxes lie far from the camera, where a 16-bit depth buffer cannot tell a
// box's front faces from its back ones (an offscreen surface gets 16 bits
// unless asked for more).
void requestShowSurface();

// Window size changed: stores it, rebuilds the projection (90 degrees,
// aspect 1), resizes the window framebuffer.
void onResize(std::int32_t width, std::int32_t height);

// The scene set-ups in their start-up order (needs the GL context and the
// window size in place).
void runSceneSetUps();

// The scene set-ups, then the note list at `noteListFile` (a problem with
// it gets one console line naming the file), the soundtrack's levels and
// the timeline over both.
void setUpShow(const std::string& noteListFile);

// Points the timeline at the production's note list, the soundtrack's
// levels and the images the set-ups loaded; again after the notes change.
void attachShowTimeline();

// The frame at song time `ms`: the window target begun (cleared, depth test
// on, identity modelview), the composition drawn from the state at `ms`,
// the target ended. Returns the state drawn (valid until the timeline is
// asked again).
const sSceneState& drawShowFrame(std::int32_t ms);
