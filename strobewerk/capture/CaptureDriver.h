// The capture: the production rendered frame by frame at exact song times
// into a video file with its soundtrack, without a window on screen.
//
// runCapture does the whole run for `strobewerk --capture FILE ...`, in
// the shape of live play: a start (startCapture), one frame at a time
// (captureFrame) until the last or a stop, and an end (endCapture):
//  1. plans the frames and checks the options, the output path and the
//     soundtrack before anything is written (a problem: one line, exit 2);
//  2. opens a GL context with no window through SDL's offscreen video
//     (Mesa's EGL); where that cannot serve, it runs itself again under
//     a virtual X server (xvfb-run);
//  3. sets the show up (with the recording to replay, if any) and starts
//     the soundtrack's samples at the first frame;
//  4. draws each frame at its own song time (frameSongTime: no clock),
//     reads it back through pixel buffer objects and hands it with its
//     samples to the encode thread; FILE.part becomes FILE when the file
//     is complete.
// Escape, Ctrl-C (SIGINT), SIGTERM and SIGHUP (the terminal closed) stop
// it early: what is done is finished into a playable FILE and the last
// line says where it stopped.
//
// Exit codes: 0 when complete or stopped with Escape, 128 + the signal
// when stopped by one (the file is still finished), 2 for a bad option,
// 1 when the capture failed (no file is left behind).
#pragma once

#include "strobewerk/Options.h"

int runCapture(const sOptions& options);
