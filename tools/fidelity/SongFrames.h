// Drives the production's frames off-line for the tools that look at or
// time single frames (the fidelity tool and the render benchmark; the
// capture benchmark borrows enterRepository and useSize).
//
// startUpSongFrames opens a window with the same windowing-layer settings
// as the production, runs the scene set-ups and loads the production's
// note list; the song clock then runs on a fake tick counter that moves
// only when told. The clock never goes back: ask for song times in
// increasing order.
//
// A frame's picture depends only on the effect values of that frame (every
// intermediate target is redrawn from scratch), so reachSongTime plays the
// frames before the one asked for in a small window region and draws only
// the last one at full size: same frame deltas, same picture, a fraction
// of the time.
#pragma once

#include <cstdint>
#include <string>

#include "tools/fidelity/FrameCompare.h"

// Makes the repository (the folder above the working folder that holds the
// production's data/) the working folder. False when there is none.
bool enterRepository();

// Opens the window (width x height), sets up the scenes, loads
// "data/mvl.txt". Finds the repository's data by walking up from the
// working folder. False (with a line on standard output) on failure.
bool startUpSongFrames(int width, int height);

// Draws at width x height from now on: the window target and the two window
// copies take that size, as when the production starts at that size.
void useSize(int width, int height);

// Draws frames `step` ms apart (the last one shorter) until the song time
// reaches `ms`.
void playTo(int ms, int step);

// Adds `ms` to the fake tick counter, so the next frame has that delta.
void advanceTicks(int ms);

// Reaches song time `ms` the way the snapshots do: 500 ms steps up to a
// second before, then 32 ms steps. Every frame but the last is drawn at a
// small size; the last one at width x height, left unswapped in the back
// buffer.
void reachSongTime(int ms, int width, int height);

// The window's lower-left width x height, rows bottom first as GL gives
// them (the PNG helpers below keep that order).
sRgbFrame readWindowFrame(int width, int height);

// One plain textured full-screen pass: the background's program and image,
// no blending, no depth test. The yardstick of the frame-cost figures.
void drawPlainPass(int width, int height);

bool savePngFrame(const std::string& path, const sRgbFrame& frame);
bool loadPngFrame(const std::string& path, sRgbFrame& frame);
