#include "strobewerk/capture/EncodeThread.h"

#include "strobewerk/capture/CaptureEncoder.h"

#include <algorithm>

cEncodeThread::cEncodeThread(cCaptureEncoder& target, std::size_t frameBytes, std::size_t depth, int rowStride,
                             std::ptrdiff_t firstRow)
    : encoder(target), stride(rowStride), rowOffset(firstRow)
{
    pool.resize(depth > 0 ? depth : 1);
    for (std::vector<std::uint8_t>& buffer : pool) {
        buffer.resize(frameBytes);
        freeBuffers.push_back(buffer.data());
    }
    worker = std::thread([this] { run(); });
}

cEncodeThread::~cEncodeThread()
{
    finish(false);
}

std::uint8_t* cEncodeThread::acquire()
{
    std::unique_lock<std::mutex> hold(lock);
    changed.wait(hold, [this] { return broken || !freeBuffers.empty(); });
    if (broken)
        return nullptr;
    std::uint8_t* buffer = freeBuffers.back();
    freeBuffers.pop_back();
    return buffer;
}

void cEncodeThread::submitFrame(std::uint8_t* buffer)
{
    std::lock_guard<std::mutex> hold(lock);
    sItem item;
    item.frame = buffer;
    queue.push_back(std::move(item));
    ++waitingFrames;
    deepest = std::max(deepest, waitingFrames);
    changed.notify_all();
}

void cEncodeThread::submitAudio(std::vector<float> samples)
{
    std::lock_guard<std::mutex> hold(lock);
    sItem item;
    item.audio = std::move(samples);
    queue.push_back(std::move(item));
    changed.notify_all();
}

void cEncodeThread::run()
{
    for (;;) {
        sItem item;
        {
            std::unique_lock<std::mutex> hold(lock);
            changed.wait(hold, [this] { return stopping || !queue.empty(); });
            if (queue.empty())
                return;
            item = std::move(queue.front());
            queue.pop_front();
            working = true;
            if (item.frame)
                --waitingFrames;
        }
        bool ok = true;
        if (item.frame)
            ok = encoder.writeVideo(item.frame + rowOffset, stride);
        else if (!item.audio.empty())
            ok = encoder.writeAudio(item.audio.data(), static_cast<int>(item.audio.size() / 2));
        std::lock_guard<std::mutex> hold(lock);
        working = false;
        if (item.frame)
            freeBuffers.push_back(item.frame);
        if (!ok && !broken) {
            broken = true;
            message = encoder.error();
            queue.clear();
            waitingFrames = 0;
        }
        changed.notify_all();
    }
}

bool cEncodeThread::finish(bool complete)
{
    {
        std::lock_guard<std::mutex> hold(lock);
        if (!worker.joinable())
            return !broken;
        stopping = true;
        changed.notify_all();
    }
    worker.join();
    std::lock_guard<std::mutex> hold(lock);
    if (complete && !broken && !encoder.finish()) {
        broken = true;
        message = encoder.error();
    }
    return !broken;
}

void cEncodeThread::waitUntilIdle()
{
    std::unique_lock<std::mutex> hold(lock);
    changed.wait(hold, [this] { return broken || (queue.empty() && !working); });
}

bool cEncodeThread::failed() const
{
    std::lock_guard<std::mutex> hold(lock);
    return broken;
}

std::string cEncodeThread::error() const
{
    std::lock_guard<std::mutex> hold(lock);
    return message;
}

std::size_t cEncodeThread::deepestQueue() const
{
    std::lock_guard<std::mutex> hold(lock);
    return deepest;
}

std::size_t cEncodeThread::queuedFrames() const
{
    std::lock_guard<std::mutex> hold(lock);
    return waitingFrames;
}
