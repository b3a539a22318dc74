// syncmeasure: plays the production live with SDL's disk audio driver and
// measures, frame by frame, how far the song time drawn is from the sound
// the output has played at that moment (see SyncAnalysis.h).
//
// Usage (in a folder with res.conf and data/, under an X server):
//     syncmeasure OUT.raw SECONDS [FROM [LOG.csv]]
// It plays from FROM (m:ss or ms, default 0:30, a point where the music
// sounds) for SECONDS of song time, then quits by itself. A second thread
// looks at the size of OUT.raw every millisecond to time each write of the
// output; every frame logs its song time. If the process is stopped and
// continued meanwhile (kill -STOP / -CONT), the report says how the clock
// came back. With SYNC_TICKS_ONLY=1 in the environment the clock follows the
// tick counter alone, as it did before it followed the sound (for
// comparison). tools/measure_sync.sh builds the folder and runs it.
#include <SDL.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <thread>
#include <vector>

#include "strobewerk/FrameState.h"
#include "strobewerk/Options.h"
#include "strobewerk/ProcessSetup.h"
#include "strobewerk/live/LivePlay.h"
#include "strobewerk/scenes/Composition.h"
#include "tools/syncmeasure/SyncAnalysis.h"
#include "vorn/ConsoleLog.h"

namespace {

constexpr std::int64_t kBytesPerFrame = 4; // 16-bit stereo

std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Each frame: when the clock read the tick counter (the song time's own
// moment), and when the frame was finished drawing.
std::vector<sFrame> frames;
std::vector<sFrame> finished;
std::int64_t clockReadNs = 0;

std::uint32_t recordingTicks()
{
    clockReadNs = nowNs();
    return SDL_GetTicks();
}
std::int32_t stopAtSongTime = 0;
std::int64_t wallLimitNs = 0;
bool quitSent = false;

void onLayer(eLayer layer)
{
    if (layer != eLayer::finalComposite)
        return;
    const std::int64_t now = nowNs();
    frames.push_back(sFrame{clockReadNs, liveSongTime});
    finished.push_back(sFrame{now, liveSongTime});
    if (!quitSent && (liveSongTime >= stopAtSongTime || now > wallLimitNs)) {
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
        quitSent = true;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        vorn::consoleLog.line("usage: syncmeasure OUT.raw SECONDS [FROM [LOG.csv]]");
        return 2;
    }
    const std::string rawFile = argv[1];
    const int seconds = std::atoi(argv[2]);
    sOptions options;
    options.from = 30000;
    if (argc > 3 && !parseSongTime(argv[3], options.from)) {
        vorn::consoleLog.line("syncmeasure: bad start time ", argv[3]);
        return 2;
    }
    const std::string logFile = argc > 4 ? argv[4] : "";
    if (seconds <= 0) {
        vorn::consoleLog.line("syncmeasure: SECONDS must be above 0");
        return 2;
    }
    std::remove(rawFile.c_str());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", rawFile.c_str(), 1);
    prepareProcess();

    std::vector<sWrite> writes;
    std::atomic<bool> watching{true};
    std::thread watcher([&] {
        std::int64_t last = -1;
        while (watching) {
            struct stat info {};
            if (stat(rawFile.c_str(), &info) == 0 && info.st_size != last) {
                last = info.st_size;
                writes.push_back(sWrite{nowNs(), last / kBytesPerFrame});
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });

    stopAtSongTime = options.from + seconds * 1000;
    wallLimitNs = nowNs() + std::int64_t(seconds) * 3 * 1000000000 + std::int64_t(60) * 1000000000;
    frames.reserve(static_cast<std::size_t>(seconds) * 120);
    finished.reserve(frames.capacity());
    frameTicks = recordingTicks;
    if (const char* ticksOnly = std::getenv("SYNC_TICKS_ONLY"); ticksOnly && std::string(ticksOnly) == "1")
        songClock.useTicks([] { return frameTicks(); });
    setLayerObserver(onLayer);
    const int code = runLivePlay(options);
    watching = false;
    watcher.join();
    if (code != 0)
        return code;

    std::ifstream in(rawFile, std::ios::binary);
    std::vector<std::int16_t> samples;
    {
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        samples.resize(bytes.size() / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    }
    const std::int64_t block = blockFrames(writes);
    const std::int64_t start = firstSoundingFrame(samples);
    const std::int64_t end = endOfSound(samples);
    if (block <= 0 || start < 0) {
        vorn::consoleLog.line("syncmeasure: the output wrote no sound (", static_cast<long long>(writes.size()),
                              " writes)");
        return 1;
    }
    const std::vector<double> offsets = syncOffsets(writes, frames, block, start, end, options.from);
    const sOffsetSummary all = summariseOffsets(offsets);
    // The frames before the output's first write have no offset.
    std::size_t skipped = 0;
    while (skipped < frames.size() && frames[skipped].timeNs < writes.front().timeNs)
        ++skipped;
    vorn::consoleLog.line("sync: ", static_cast<unsigned long long>(all.count), " frames from ",
                          formatSongTime(options.from), " to ",
                          formatSongTime(all.count ? frames[skipped + all.count - 1].songTime : options.from),
                          ", output block ", static_cast<long long>(block), " frames (",
                          static_cast<double>(block) * 1000.0 / 44100.0, " ms)");
    vorn::consoleLog.line("sync: offset song time - heard when the clock is read: median ", all.median,
                          " ms, largest ", all.largest, " ms, within 20 ms: ", all.within20 * 100.0, " %");
    const sOffsetSummary drawn = summariseOffsets(syncOffsets(writes, finished, block, start, end, options.from));
    vorn::consoleLog.line("sync: offset song time - heard when the frame is drawn: median ", drawn.median,
                          " ms, largest ", drawn.largest, " ms (the drawing time of a frame included)");

    // A stop (the frames pause for over a second): how the clock came back.
    for (std::size_t i = 1; i < offsets.size(); ++i) {
        const sFrame& before = frames[skipped + i - 1];
        const sFrame& after = frames[skipped + i];
        if (after.timeNs - before.timeNs < 1000000000)
            continue;
        std::size_t back = i;
        while (back < offsets.size() && std::abs(offsets[back]) > 20.0)
            ++back;
        const std::string recovery = back < offsets.size()
                                         ? "within 20 ms again after " + std::to_string(back - i) + " frames"
                                         : "never within 20 ms again";
        vorn::consoleLog.line("sync: stopped ", (after.timeNs - before.timeNs) / 1000000, " ms at ",
                              formatSongTime(before.songTime), ": next frame offset ", offsets[i], " ms, ",
                              recovery);
    }
    if (!logFile.empty()) {
        std::ofstream log(logFile);
        log << "time_ms,song_ms,offset_ms\n";
        for (std::size_t i = 0; i < offsets.size(); ++i)
            log << (frames[skipped + i].timeNs - frames.front().timeNs) / 1000000 << ','
                << frames[skipped + i].songTime << ',' << offsets[i] << '\n';
    }
    return 0;
}
