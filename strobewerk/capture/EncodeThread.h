// cEncodeThread: runs a capture's colour conversion and encoding on a
// thread of its own, so the renderer draws the next frame meanwhile.
//
// Frames travel in a fixed pool of picture buffers: the render thread
// takes a free one (waiting while all are queued: the queue is bounded by
// the pool), fills it and submits it; the encode thread converts and
// encodes it and hands the buffer back. Audio blocks travel in the same
// queue, so pictures and sound reach the file in the order submitted.
//
//     cEncodeThread thread(encoder, frameBytes, 3, stride, rowOffset);
//     std::uint8_t* buffer = thread.acquire();  // nullptr once it failed
//     ... fill it ...
//     thread.submitFrame(buffer);
//     thread.submitAudio(std::move(samples));
//     bool ok = thread.finish();                // drains and finishes the file
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class cCaptureEncoder;

class cEncodeThread {
public:
    // `frameBytes`: size of one picture buffer; `depth`: buffers in the
    // pool (at least 1); a frame is handed to the encoder as
    // writeVideo(buffer + rowOffset, stride).
    cEncodeThread(cCaptureEncoder& encoder, std::size_t frameBytes, std::size_t depth, int stride,
                  std::ptrdiff_t rowOffset);
    ~cEncodeThread();
    cEncodeThread(const cEncodeThread&) = delete;
    cEncodeThread& operator=(const cEncodeThread&) = delete;

    // A free picture buffer; waits while every buffer is queued. nullptr
    // after the encoder failed.
    std::uint8_t* acquire();
    void submitFrame(std::uint8_t* buffer);
    // Interleaved stereo samples, in song order.
    void submitAudio(std::vector<float> samples);

    // Encodes what is queued, then finishes the file (or, with
    // `complete` false, only stops). Returns false when any step failed.
    bool finish(bool complete = true);

    // Waits until every queued item is encoded (the encoder may still hold
    // frames it delays for its own look-ahead).
    void waitUntilIdle();

    bool failed() const;
    std::string error() const;
    // Frames waiting for the encoder now, and the most that ever waited at
    // once (for the benchmark).
    std::size_t queuedFrames() const;
    std::size_t deepestQueue() const;

private:
    struct sItem {
        std::uint8_t* frame = nullptr;
        std::vector<float> audio;
    };
    void run();

    cCaptureEncoder& encoder;
    const int stride;
    const std::ptrdiff_t rowOffset;
    std::vector<std::vector<std::uint8_t>> pool;

    mutable std::mutex lock;
    std::condition_variable changed;
    std::vector<std::uint8_t*> freeBuffers;
    std::deque<sItem> queue;
    std::size_t waitingFrames = 0;
    std::size_t deepest = 0;
    bool working = false;
    bool stopping = false;
    bool broken = false;
    std::string message;
    std::thread worker;
};
