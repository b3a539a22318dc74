#include "strobewerk/capture/SplitCapture.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "strobewerk/audio/SoundtrackRange.h"
#include "strobewerk/capture/CaptureEncoder.h"
#include "strobewerk/capture/CaptureProgress.h"
#include "strobewerk/capture/OutputClaim.h"
#include "strobewerk/capture/PartJobs.h"
#include "vorn/ConsoleLog.h"

namespace fs = std::filesystem;

namespace {

// Removes a part's `.part` that no capture holds (its process is gone).
void removeStaleWork(const std::string& work)
{
    const int fd = open(work.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && flock(fd, LOCK_EX | LOCK_NB) == 0)
        unlink(work.c_str());
    close(fd);
}

} // namespace

cSplitCapture::cSplitCapture(const sCapturePlan& whole, const sCaptureOutput& out, cSoundtrackRange& soundtrack)
    : plan(whole), output(out), sound(soundtrack)
{
}

void cSplitCapture::removeParts(int parts) const
{
    // Only the parts this run wrote: a part that was there before it
    // refused to start.
    for (int k = 1; k <= parts; ++k)
        if (static_cast<std::size_t>(k) <= wrote.size() && wrote[static_cast<std::size_t>(k - 1)])
            std::remove(partFileName(output.owned, k, parts).c_str());
}

std::string cSplitCapture::claimParts(int parts) const
{
    for (int k = 1; k <= parts; ++k) {
        const std::string name = partFileName(output.owned, k, parts);
        struct stat info {};
        if (lstat(name.c_str(), &info) == 0)
            return "strobewerk: cannot render the capture into \"" + output.owned + "\" in " + std::to_string(parts)
                   + " parts: " + name + " exists and is not this capture's (join it with --join "
                   + std::to_string(parts) + ", or move it away)";
    }
    return {};
}

std::int64_t cSplitCapture::join(const std::string& path, int parts, int count, bool stopped, std::string& line)
{
    std::vector<sVideoPart> files;
    for (int k = 1; k <= count; ++k)
        files.push_back(sVideoPart{partFileName(output.owned, k, parts), partTag(plan, k, parts)});
    cCaptureEncoder encoder;
    if (!encoder.openJoin(path, encoderSettingsFor(plan, output.container()), files)) {
        line = encoder.error();
        return -1;
    }
    std::int64_t total = 0;
    for (int k = 1; k <= count; ++k) {
        std::int64_t first = 0;
        std::int64_t end = 0;
        splitFrames(plan.frameCount, keyframeInterval(plan.fps), parts, k, first, end);
        const std::int64_t frames = encoder.partFrames(static_cast<std::size_t>(k - 1));
        total += frames;
        if (frames == end - first)
            continue;
        if (stopped && frames < end - first)
            break;
        line = files[static_cast<std::size_t>(k - 1)].path + " holds " + framesText(frames) + ", not "
               + std::to_string(end - first) + ": render it again with --part " + std::to_string(k) + "/"
               + std::to_string(parts);
        return -1;
    }
    // The sound of the frames joined, encoded once, a second at a time
    // between the video it goes with.
    sound.start(frameSampleStart(plan, 0));
    for (std::int64_t n = 0; n < total;) {
        const std::int64_t next = std::min(total, n + plan.fps);
        std::vector<float> samples;
        sound.pullTo(frameSampleStart(plan, next), samples);
        if ((!samples.empty() && !encoder.writeAudio(samples.data(), static_cast<int>(samples.size() / 2)))
            || !encoder.copyVideo(next - n)) {
            line = encoder.error();
            return -1;
        }
        n = next;
    }
    if (!encoder.finish()) {
        line = encoder.error();
        return -1;
    }
    return total;
}

int cSplitCapture::run(const sOptions& options)
{
    const bool local = options.jobs > 1;
    const int parts = local ? options.jobs : options.parts;
    const std::string& file = output.owned;
    // The parts' names are claimed as the output is: a part there already
    // (rendered elsewhere, or left for a --join) is never written over.
    if (local) {
        if (const std::string refused = claimParts(parts); !refused.empty()) {
            vorn::consoleLog.line(refused);
            return 2;
        }
    }
    cOutputClaim claim;
    if (const int exitCode = claim.claimSaying(file, nullptr))
        return exitCode;
    std::string line;

    const auto started = std::chrono::steady_clock::now();
    int stopSignal = 0;
    int count = parts;
    if (local) {
        vorn::consoleLog.line("capture: ", framesText(plan.frameCount), " of ", plan.width, "x", plan.height, " at ",
                              plan.fps, " fps, song time ", formatSongTime(plan.from), " to ",
                              formatSongTime(plan.to), ", into ", file, ", in ", parts, " parts side by side");
        cPartJobs jobs(plan, file, parts, options.replayInput);
        const bool ran = jobs.run();
        stopSignal = jobs.stopSignalNumber();
        wrote.assign(static_cast<std::size_t>(parts), false);
        for (int k = 1; k <= parts; ++k)
            wrote[static_cast<std::size_t>(k - 1)] =
                jobs.partMayHaveWritten(k) && fs::exists(partFileName(file, k, parts));
        if (!ran) {
            // The parts that finished are kept for a --join; a failed
            // part's file (or what its process left unfinished) goes.
            std::string failedParts;
            std::string kept;
            for (int k = 1; k <= parts; ++k) {
                const std::string name = partFileName(file, k, parts);
                if (jobs.partFailed(k)) {
                    if (wrote[static_cast<std::size_t>(k - 1)])
                        std::remove(name.c_str());
                    wrote[static_cast<std::size_t>(k - 1)] = false;
                    removeStaleWork(name + ".part");
                    failedParts += (failedParts.empty() ? "--part " : ", --part ") + std::to_string(k) + "/"
                                   + std::to_string(parts);
                } else if (wrote[static_cast<std::size_t>(k - 1)]) {
                    kept += (kept.empty() ? "" : ", ") + name;
                }
            }
            vorn::consoleLog.line(jobs.failure(), kept.empty() ? "; no part was finished"
                                                               : "; the finished parts are kept (" + kept + "): render "
                                                                     + failedParts
                                                                     + " again, then join them with --join "
                                                                     + std::to_string(parts));
            return 1;
        }
        // What was done from the start of the range on.
        count = 0;
        while (count < parts && fs::exists(partFileName(file, count + 1, parts)))
            ++count;
        if (count == 0) {
            removeParts(parts);
            vorn::consoleLog.line("capture: stopped before the first frame; nothing written");
            return 128 + stopSignal;
        }
    }
    const std::int64_t joined = join(claim.workPath(), parts, count, stopSignal != 0, line);
    if (joined < 0 || !claim.commit(line)) {
        vorn::consoleLog.line("capture failed: ", line, "; the parts are kept (a part rendered again with --part K/",
                              parts, " is joined with --join ", parts, ")");
        return 1;
    }
    if (local)
        removeParts(parts);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (joined < plan.frameCount) {
        vorn::consoleLog.line("capture: stopped early at song time ", formatSongTime(frameSongTime(plan, joined)),
                              " (signal), ", joined, " of ", framesText(plan.frameCount), "; the video is ", file);
        return 128 + stopSignal;
    }
    vorn::consoleLog.line("capture: done in ", durationText(seconds), ", ", framesText(joined), " from ", parts,
                          " parts; the video is ", file);
    return 0;
}
