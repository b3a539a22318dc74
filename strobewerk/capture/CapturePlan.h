// sCapturePlan: what a capture renders, worked out from the command line
// before anything is opened: the picture size, the frame rate, the song
// range, how many frames that makes and which soundtrack samples go with
// them. It needs no window and is tested without one: arithmetic, apart
// from checkOutputPath, which looks at the file system, and
// captureGlUsable, which judges what the GL loader answered.
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
#include <vector>

#include "strobewerk/Options.h"
#include "strobewerk/SongClock.h"
#include "strobewerk/capture/VideoEncoder.h"

struct sCapturePlan {
    int width = 0;
    int height = 0;
    int fps = 60;
    std::int32_t from = 0;
    std::int32_t to = 0;       // exclusive: the first song time not captured
    std::int64_t frameCount = 0;
    int sampleRate = 44100;
    // The frames this process renders: all of them, or one part's.
    std::int64_t firstFrame = 0;
    std::int64_t endFrame = 0;
    // What the show is played from: "no recorded input", or the recording's
    // content (inputsDescription). Parts carry it in their tags.
    std::string inputs = "no recorded input";
    // A line to tell before the capture ("" when none): --to past the
    // soundtrack's end, which the capture stops at.
    std::string note;
};

// "1 frame", "2 frames".
std::string framesText(std::int64_t count);

// What a recorded performance is, by its content (not its file's name):
// "no recorded input" for none (or one of no changes), else the number of
// changes and a 64-bit FNV-1a hash of its lines.
std::string inputsDescription(const std::string& recordingLines, std::size_t changes);


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
// soundtrack's end, --from not before --to, no end known, more parts than
// the range has keyframe intervals. A --to past the soundtrack's end ends
// the range there (there is no sound or show after it), and plan.note
// says so. A part (--part K/N) renders its share of
// the frames; anything else all of them.
bool planCapture(const sOptions& options, int configWidth, int configHeight, std::int32_t songLengthMs,
                 sCapturePlan& plan, std::string& problem);

// The frames [first, end) of part k (1 to parts) of a split capture of
// frameCount frames: the parts are consecutive, cover every frame once and
// start on the encoder's keyframe interval (every keyframeInterval frames
// from frame 0, where a whole capture has its keyframes), as evenly as
// that allows. False when there are fewer intervals than parts.
bool splitFrames(std::int64_t frameCount, int keyframeInterval, int parts, int k, std::int64_t& first,
                 std::int64_t& end);

// The command line that runs `program` as the capture of the plan into
// `file` (the name as given to --capture): its rate, size and range as
// numbers, part k of `parts` when k > 0, the recording to replay when
// `replayInput` is not empty. Parsed again, it plans the same capture.
std::vector<std::string> captureCommandLine(const std::string& program, const sCapturePlan& plan,
                                            const std::string& file, int k, int parts,
                                            const std::string& replayInput);

// What part k of `parts` of the plan says it is, in its file's tag: the
// range, rate, size and its frames, so that a join takes no part of
// another capture.
std::string partTag(const sCapturePlan& plan, int k, int parts);

// A picture size or frame rate that the encoder of the output cannot take
// gives the line naming it; empty when it can. H.264 (in every container)
// takes what its highest level does: at most 139264 macroblocks of 16 x 16
// a frame, 16384 pixels a side and 16711680 macroblocks a second. PNG takes
// what the image library addresses: (8 x width + 1024) x (height + 128)
// below 2^31.
std::string checkEncoderLimits(int width, int height, int fps, bool pngSequence);

// The encoder's settings for the plan's pictures and sound in `container`
// (sEncoderSettings::container).
sEncoderSettings encoderSettingsFor(const sCapturePlan& plan, const char* container);

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
