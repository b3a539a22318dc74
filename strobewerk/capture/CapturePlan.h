// sCapturePlan: what a capture renders, worked out from the command line
// before anything is opened: the picture size, the frame rate, the song
// range, how many frames that makes and which soundtrack samples go with
// them. Everything here is arithmetic, so it is tested without a window.
//
//     sCapturePlan plan;
//     std::string problem;
//     if (!planCapture(options, configWidth, configHeight, songLengthMs, plan, problem))
//         ... print problem, exit code 2
//     for (int64_t n = 0; n < plan.frameCount; ++n)
//         ... frame n shows frameSongTime(plan, n) and carries the samples
//             [frameSampleStart(plan, n), frameSampleStart(plan, n + 1))
#pragma once

#include <cstdint>
#include <string>

#include "strobewerk/Options.h"

struct sCapturePlan {
    int width = 0;
    int height = 0;
    int fps = 60;
    std::int32_t from = 0;
    std::int32_t to = 0;       // exclusive: the first song time not captured
    std::int64_t frameCount = 0;
    int sampleRate = 44100;
};

// Sample frame of song time `ms` at `rate` (rounded down, as the audio
// layer positions a channel).
std::int64_t sampleAtSongTime(std::int32_t ms, int rate);

// Frames from `from` (inclusive) to `to` (exclusive) at `fps`: every n with
// from + round(n * 1000 / fps) < to.
std::int64_t captureFrameCount(std::int32_t from, std::int32_t to, int fps);

// Song time of frame n.
std::int32_t frameSongTime(const sCapturePlan& plan, std::int64_t frame);

// First sample (absolute, in the soundtrack) that frame n carries; frame
// `frameCount` gives the end of the range, the sample of `to`. The audio
// track is thus exactly the soundtrack's samples from `from` to `to`.
std::int64_t frameSampleStart(const sCapturePlan& plan, std::int64_t frame);

// Fills `plan` from the options: the size of "res.conf" (configWidth x
// configHeight) unless --size is given, the soundtrack's end unless --to
// is given (songLengthMs < 0: no soundtrack). False with `problem` set to
// the one line naming what is wrong: an odd size, --from at or past the
// soundtrack's end, --from not before --to, no end known.
bool planCapture(const sOptions& options, int configWidth, int configHeight, std::int32_t songLengthMs,
                 sCapturePlan& plan, std::string& problem);

// A size larger than the GL limits (maximum viewport and texture size)
// gives the line naming it; empty when it fits.
std::string checkSizeLimits(int width, int height, int maxViewportWidth, int maxViewportHeight, int maxTexture);

// Whether the output path can be written: its folder exists and is
// writable and the path is not a folder. Empty when it can, otherwise the
// line naming the problem. Writes nothing.
std::string checkOutputPath(const std::string& path);

// GLEW's start-up result is good enough for the capture: GLEW_OK, or
// GLEW_ERROR_NO_GLX_DISPLAY (which a context made through EGL, without X,
// gives after the entry points are loaded) with OpenGL 2.0 and framebuffer
// objects present.
bool captureGlUsable(unsigned glewResult, bool version20, bool frameBufferObjects);
