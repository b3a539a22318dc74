// cSoundtrackLevels: how loud the soundtrack is at every tick of the show,
// as the background's energy reads it.
//
// The level of tick n is the mean of the 512-band spectrum of the 1024
// samples (first channel) just before the tick's song time, round(n x 1000
// / ticksPerSecond) ms: the spectrum the playing channel reports at that
// moment. It comes from the soundtrack file itself, not from the audio
// device, so live play and a capture read the same levels whatever the
// device does.
//
//     cSoundtrackLevels levels;
//     levels.open(soundtrackFile, 60);   // names the file, decodes nothing
//     levels.startDecoding();            // on a thread of its own
//     float l = levels.level(n);         // waits until tick n is decoded
//
// Decoding the whole song takes a few tenths of a second, far ahead of
// play; only a jump far into the song right after start-up waits for it.
// The first tick (song time 0) needs no decoding, so live play shows its
// first frame before it starts the thread, which would otherwise take a
// core from that frame; the first level that needs decoding starts it too.
// Without a soundtrack (missing or undecodable) every level is 0, as is
// every level past the soundtrack's end.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class cSoundtrackLevels {
public:
    cSoundtrackLevels() = default;
    // Stops and joins the decoding thread.
    ~cSoundtrackLevels();
    cSoundtrackLevels(const cSoundtrackLevels&) = delete;
    cSoundtrackLevels& operator=(const cSoundtrackLevels&) = delete;

    // Names the file to decode at `ticksPerSecond` (opened before, it
    // starts afresh). A file that cannot be opened or decoded gives levels
    // that are all 0.
    void open(const std::string& path, int ticksPerSecond);

    // Starts the decoding thread (once; no-op without a file).
    void startDecoding();

    // The level of tick `tick` (0 before the song, past its end and
    // without a soundtrack).
    float level(std::int64_t tick);

    // Waits until the whole soundtrack is decoded.
    void waitUntilDecoded();

private:
    // Runs decode(): on the worker thread (SoundtrackLevelsThread.cpp), or
    // at once where there are no threads (the web build's own version).
    void runDecoding();
    void decode();
    void publish(std::int64_t ready, bool finished);

    std::string path;
    int ticksPerSecond = 60;
    bool started = false;
    bool decodingStarted = false;
    // The levels in chunks of chunkTicks, allocated as the decoding thread
    // reaches them (it never moves one a reader may be reading); room for
    // some 19 hours at 60 ticks a second.
    static constexpr std::int64_t chunkTicks = 1024;
    std::vector<std::unique_ptr<float[]>> chunks = std::vector<std::unique_ptr<float[]>>(4096);
    // Guarded by `lock`.
    std::int64_t ticksReady = 0;
    bool finished = false;
    std::atomic<bool> stopping{false};
    std::mutex lock;
    std::condition_variable advanced;
    std::thread worker;
};
