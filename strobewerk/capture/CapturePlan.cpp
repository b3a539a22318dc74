#include "strobewerk/capture/CapturePlan.h"

#include <GL/glew.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "strobewerk/SongClock.h"
#include "strobewerk/capture/VideoEncoder.h"

namespace fs = std::filesystem;


std::string framesText(std::int64_t count)
{
    return std::to_string(count) + (count == 1 ? " frame" : " frames");
}

std::string inputsDescription(const std::string& recordingLines, std::size_t changes)
{
    if (changes == 0)
        return "no recorded input";
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : recordingLines) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return "recorded input of " + std::to_string(changes) + (changes == 1 ? " change" : " changes") + " (" + hex
           + ")";
}

std::int64_t captureFrameCount(std::int32_t from, std::int32_t to, int fps)
{
    if (fps <= 0 || to <= from)
        return 0;
    // First guess from the span, then settle on the exact boundary that
    // the rounding of the frame times gives.
    std::int64_t count = (static_cast<std::int64_t>(to - from) * fps) / 1000;
    while (count > 0 && fixedStepTime(from, fps, count - 1) >= to)
        --count;
    while (fixedStepTime(from, fps, count) < to)
        ++count;
    return count;
}

std::int32_t frameSongTime(const sCapturePlan& plan, std::int64_t frame)
{
    return fixedStepTime(plan.from, plan.fps, frame);
}

std::int64_t frameSampleStart(const sCapturePlan& plan, std::int64_t frame)
{
    if (frame >= plan.frameCount)
        return sampleAtSongTime(plan.to, plan.sampleRate);
    return sampleAtSongTime(frameSongTime(plan, frame), plan.sampleRate);
}

bool planCapture(const sOptions& options, int configWidth, int configHeight, std::int32_t songLengthMs,
                 sCapturePlan& plan, std::string& problem)
{
    plan = sCapturePlan();
    const bool sizeGiven = options.width > 0 && options.height > 0;
    plan.width = sizeGiven ? options.width : configWidth;
    plan.height = sizeGiven ? options.height : configHeight;
    plan.fps = options.fps;
    plan.from = options.from;

    const std::string size = std::to_string(plan.width) + "x" + std::to_string(plan.height);
    if (plan.width <= 0 || plan.height <= 0) {
        problem = "strobewerk: capture size " + size + " is empty";
        return false;
    }
    if (plan.width % 2 != 0 || plan.height % 2 != 0) {
        problem = sizeGiven ? "strobewerk: --size " + size + " is not even: the video needs an even width and height"
                            : "strobewerk: the size in res.conf, " + size + ", is not even: give an even --size";
        return false;
    }
    if (songLengthMs >= 0 && options.from >= songLengthMs) {
        problem = "strobewerk: --from " + formatSongTime(options.from) + " is past the soundtrack's end at "
                  + formatSongTime(songLengthMs);
        return false;
    }
    if (options.to >= 0 && songLengthMs >= 0 && options.to > songLengthMs) {
        plan.to = songLengthMs;
        plan.note = "capture: --to " + formatSongTime(options.to) + " is past the soundtrack's end at "
                    + formatSongTime(songLengthMs) + ": the capture ends there";
    } else if (options.to >= 0) {
        plan.to = options.to;
    } else if (songLengthMs >= 0) {
        plan.to = songLengthMs;
    } else {
        problem = "strobewerk: no soundtrack tells where the song ends: give --to";
        return false;
    }
    if (plan.to <= plan.from) {
        problem = "strobewerk: --from " + formatSongTime(plan.from) + " is not before --to " + formatSongTime(plan.to);
        return false;
    }
    plan.frameCount = captureFrameCount(plan.from, plan.to, plan.fps);
    plan.endFrame = plan.frameCount;
    const int parts = std::max(options.jobs, options.parts);
    if (parts > 1 && !splitFrames(plan.frameCount, keyframeInterval(plan.fps), parts, std::max(options.part, 1),
                                  plan.firstFrame, plan.endFrame)) {
        problem = "strobewerk: " + std::to_string(parts) + " parts are more than the range has keyframe intervals ("
                  + std::to_string((plan.frameCount + keyframeInterval(plan.fps) - 1) / keyframeInterval(plan.fps))
                  + " of " + std::to_string(keyframeInterval(plan.fps)) + " frames)";
        return false;
    }
    if (options.part == 0) {
        plan.firstFrame = 0;
        plan.endFrame = plan.frameCount;
    }
    return true;
}

bool splitFrames(std::int64_t frameCount, int keyframeInterval, int parts, int k, std::int64_t& first,
                 std::int64_t& end)
{
    const std::int64_t intervals = (frameCount + keyframeInterval - 1) / keyframeInterval;
    if (parts < 1 || k < 1 || k > parts || intervals < parts)
        return false;
    first = intervals * (k - 1) / parts * keyframeInterval;
    end = std::min(frameCount, intervals * k / parts * keyframeInterval);
    return true;
}

sEncoderSettings encoderSettingsFor(const sCapturePlan& plan, const char* container)
{
    sEncoderSettings settings;
    settings.container = container;
    settings.width = plan.width;
    settings.height = plan.height;
    settings.fps = plan.fps;
    settings.sampleRate = plan.sampleRate;
    return settings;
}

std::vector<std::string> captureCommandLine(const std::string& program, const sCapturePlan& plan,
                                            const std::string& file, int k, int parts,
                                            const std::string& replayInput)
{
    std::vector<std::string> words = {program, "--capture", file, "--fps", std::to_string(plan.fps),
                                      "--size", std::to_string(plan.width) + "x" + std::to_string(plan.height),
                                      "--from", std::to_string(plan.from), "--to", std::to_string(plan.to)};
    if (k > 0)
        words.insert(words.end(), {"--part", std::to_string(k) + "/" + std::to_string(parts)});
    if (!replayInput.empty())
        words.insert(words.end(), {"--replay-input", replayInput});
    return words;
}

std::string partTag(const sCapturePlan& plan, int k, int parts)
{
    std::int64_t first = 0;
    std::int64_t end = 0;
    splitFrames(plan.frameCount, keyframeInterval(plan.fps), parts, k, first, end);
    return "strobewerk capture part " + std::to_string(k) + " of " + std::to_string(parts) + ": frames "
           + std::to_string(first) + " to " + std::to_string(end) + " of " + formatSongTime(plan.from) + " to "
           + formatSongTime(plan.to) + " at " + std::to_string(plan.fps) + " fps, " + std::to_string(plan.width) + "x"
           + std::to_string(plan.height) + ", " + plan.inputs;
}

std::string checkEncoderLimits(int width, int height, int fps, bool pngSequence)
{
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    if (pngSequence) {
        const std::int64_t addressed = (8 * static_cast<std::int64_t>(width) + 1024) * (height + 128);
        if (addressed < (std::int64_t(1) << 31) - 1)
            return {};
        return "strobewerk: capture size " + size + " is more than the PNG encoder takes (about 16000x16000 at most)";
    }
    constexpr std::int64_t maxFrameMacroblocks = 139264;
    constexpr std::int64_t maxMacroblockRate = 16711680;
    constexpr int maxSide = 16384;
    const std::int64_t macroblocks = static_cast<std::int64_t>((width + 15) / 16) * ((height + 15) / 16);
    if (width > maxSide || height > maxSide || macroblocks > maxFrameMacroblocks)
        return "strobewerk: capture size " + size + " is more than H.264 video takes (" + std::to_string(macroblocks)
               + " macroblocks a frame, at most " + std::to_string(maxFrameMacroblocks)
               + ", as 8192x4320, and at most 16384 a side)";
    if (macroblocks * fps > maxMacroblockRate)
        return "strobewerk: " + std::to_string(fps) + " frames a second at " + size
               + " are more than H.264 video takes (at most " + std::to_string(maxMacroblockRate / macroblocks)
               + " at this size)";
    return {};
}

std::string checkSizeLimits(int width, int height, int maxViewportWidth, int maxViewportHeight, int maxTexture)
{
    const int maxWidth = maxViewportWidth < maxTexture ? maxViewportWidth : maxTexture;
    const int maxHeight = maxViewportHeight < maxTexture ? maxViewportHeight : maxTexture;
    if (width <= maxWidth && height <= maxHeight)
        return {};
    return "strobewerk: capture size " + std::to_string(width) + "x" + std::to_string(height)
           + " exceeds what the renderer can draw (" + std::to_string(maxWidth) + "x" + std::to_string(maxHeight)
           + " at most)";
}

std::string checkOutputPath(const std::string& path)
{
    const std::string start = "strobewerk: cannot write the capture to \"" + path + "\": ";
    std::error_code error;
    const fs::path file(path);
    if (file.filename().empty() || fs::is_directory(file, error))
        return start + "it is a folder";
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, error))
        return start + "no folder " + folder.string();
    if (access(folder.c_str(), W_OK) != 0)
        return start + std::strerror(errno);
    if (fs::exists(file, error) && access(file.c_str(), W_OK) != 0)
        return start + std::strerror(errno);
    return {};
}

bool captureGlUsable(unsigned glewResult, bool version20, bool frameBufferObjects)
{
    const bool loaded = glewResult == GLEW_OK || glewResult == GLEW_ERROR_NO_GLX_DISPLAY;
    return loaded && version20 && frameBufferObjects;
}
