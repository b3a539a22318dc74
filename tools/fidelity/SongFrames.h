// Drives the production's frames off-line for the tools that look at or
// time single frames (the fidelity tool and the render benchmark; the
// capture benchmark borrows useSize).
//
// startUpSongFrames opens a window with the same windowing-layer settings
// as the production and sets the show up (scenes, note list, soundtrack's
// levels). The frame at a song time is then drawn straight away, in any
// order: the show works its state out from the song time alone.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/RepositoryRoot.h"
#include "tools/fidelity/FrameCompare.h"

// The song times the fidelity tool compares and the frame-cost table
// times, in song order: every 21 s from 12 s (a spacing out of step with
// the song's 15 s phrases, so the cued layers are on about as often as in
// the whole song), more between them, and a time in every note of the
// held distortion (track 4, pitch 0), most of them a third into the
// note, where its ripple is strongest.
const std::vector<int>& songFrameTimes();


// Opens the window (width x height), sets up the show with
// "data/mvl.txt". Finds the repository's data by walking up from the
// working folder. False (with a line on standard output) on failure.
bool startUpSongFrames(int width, int height);

// Draws at width x height from now on: the window target takes that size,
// and the frame's own textures follow it at the next frame, as when the
// production starts at that size.
void useSize(int width, int height);

// Draws the frame at song time `ms` at width x height, left unswapped in
// the back buffer.
void drawSongFrame(int ms, int width, int height);

// The window's lower-left width x height, rows bottom first as GL gives
// them (the PNG helpers below keep that order).
sRgbFrame readWindowFrame(int width, int height);

// One plain textured full-screen pass: the background's program and image,
// the image with its mipmaps (as the background had them when the frame
// costs were first measured, so the unit stays the same), no blending, no
// depth test. The yardstick of the frame-cost figures.
void drawPlainPass(int width, int height);

bool savePngFrame(const std::string& path, const sRgbFrame& frame);
bool loadPngFrame(const std::string& path, sRgbFrame& frame);
