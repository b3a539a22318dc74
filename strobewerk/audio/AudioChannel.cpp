#include "strobewerk/audio/AudioChannel.h"

#include "strobewerk/audio/AudioSound.h"

#include <algorithm>
#include <limits>

namespace {

constexpr size_t historyFrames = 2 * cAudioChannel::maxSpectrum;

} // namespace

cAudioChannel::cAudioChannel()
    : history(historyFrames * audioOutputChannels, 0.0f)
{
}

void cAudioChannel::start(cAudioSound* newSound, bool startPaused)
{
    sound = newSound;
    sound->seekFrame(0);
    positionFrames = 0;
    pendingSeek = -1;
    brokenOffAt = -1;
    paused = startPaused;
    {
        std::lock_guard<std::mutex> hold(historyLock);
        std::fill(history.begin(), history.end(), 0.0f);
        historyWrite = 0;
    }
    {
        std::lock_guard<std::mutex> hold(stampLock);
        stamp = sOutputStamp{};
    }
    playing = true;
}

void cAudioChannel::stop()
{
    playing = false;
    sound = nullptr;
}

int32_t cAudioChannel::setPosition(uint32_t position, uint32_t unit)
{
    if (!playing || !sound)
        return AUDIO_ERR_INVALID_HANDLE;
    int64_t frame = 0;
    if (unit == AUDIO_TIMEUNIT_MS)
        frame = int64_t(position) * audioOutputRate / 1000;
    else if (unit == AUDIO_TIMEUNIT_PCM)
        frame = position;
    else
        return AUDIO_ERR_INVALID_PARAM;
    // The output thread moves the decoder before it renders again. A
    // position past the end moves the channel to its end, where it stops
    // as it does when it plays there; the caller hears of it.
    const int64_t length = sound->lengthFrames();
    pendingSeek = std::min(frame, length);
    return frame > length ? AUDIO_ERR_INVALID_POSITION : AUDIO_OK;
}

int32_t cAudioChannel::getPosition(uint32_t* position, uint32_t unit) const
{
    if (!position)
        return AUDIO_ERR_INVALID_PARAM;
    if (!sound)
        return AUDIO_ERR_INVALID_HANDLE;
    const int64_t pending = pendingSeek.load();
    const int64_t frame = std::min(pending >= 0 ? pending : positionFrames.load(), sound->lengthFrames());
    int64_t value = 0;
    if (unit == AUDIO_TIMEUNIT_MS)
        value = frame * 1000 / audioOutputRate;
    else if (unit == AUDIO_TIMEUNIT_PCM)
        value = frame;
    else
        return AUDIO_ERR_INVALID_PARAM;
    *position = static_cast<uint32_t>(std::min<int64_t>(value, std::numeric_limits<uint32_t>::max()));
    return AUDIO_OK;
}

int32_t cAudioChannel::getAudibleFrame(int64_t nowNs, int latencyFrames, int64_t* frame) const
{
    if (!frame)
        return AUDIO_ERR_INVALID_PARAM;
    if (!sound)
        return AUDIO_ERR_INVALID_HANDLE;
    sOutputStamp last;
    {
        std::lock_guard<std::mutex> hold(stampLock);
        last = stamp;
    }
    const int64_t pending = pendingSeek.load();
    if (pending >= 0 || !last.valid) {
        // Nothing from the new position has been taken yet: it is heard
        // one latency after the next block at the earliest.
        last = sOutputStamp{pending >= 0 ? pending : positionFrames.load(), nowNs, 0, false, true};
    }
    *frame = audibleFrame(last, nowNs, latencyFrames);
    return AUDIO_OK;
}

int32_t cAudioChannel::isPlaying(bool* isOn) const
{
    if (!isOn)
        return AUDIO_ERR_INVALID_PARAM;
    *isOn = playing.load();
    return AUDIO_OK;
}

int32_t cAudioChannel::setPaused(bool pause)
{
    if (!sound)
        return AUDIO_ERR_INVALID_HANDLE;
    paused = pause;
    return AUDIO_OK;
}

int32_t cAudioChannel::getSpectrum(float* values, int count, int channelOffset, int window)
{
    if (!values || count < 64 || count > maxSpectrum || (count & (count - 1)) != 0)
        return AUDIO_ERR_INVALID_PARAM;
    if (channelOffset < 0 || channelOffset >= audioOutputChannels)
        return AUDIO_ERR_INVALID_PARAM;
    if (window != AUDIO_FFT_WINDOW_RECT)
        return AUDIO_ERR_INVALID_PARAM;

    // Copy the newest 2 * count samples of the channel, oldest first, then
    // analyse outside the lock so the output thread never waits on the FFT.
    const size_t blockFrames = 2 * static_cast<size_t>(count);
    analysed.resize(blockFrames);
    {
        std::lock_guard<std::mutex> hold(historyLock);
        size_t frame = (historyWrite + historyFrames - blockFrames) % historyFrames;
        for (size_t i = 0; i < blockFrames; ++i) {
            analysed[i] = history[frame * audioOutputChannels + channelOffset];
            frame = (frame + 1) % historyFrames;
        }
    }
    analyser.analyse(analysed.data(), count, values);
    return AUDIO_OK;
}

void cAudioChannel::render(float* out, int frames)
{
    const size_t values = static_cast<size_t>(frames) * audioOutputChannels;
    std::fill(out, out + values, 0.0f);
    if (!sound)
        return;
    if (!playing || paused) {
        // A channel that has ended or is paused hands out silence, so its
        // spectrum falls to 0 instead of holding the last sound.
        remember(out, frames);
        if (!playing)
            return;
    }

    int64_t seek = pendingSeek.load();
    if (seek >= 0) {
        sound->seekFrame(seek);
        positionFrames = seek;
        // A newer request that came in meanwhile stays for the next call.
        pendingSeek.compare_exchange_strong(seek, -1);
    }
    {
        std::lock_guard<std::mutex> hold(stampLock);
        stamp = sOutputStamp{positionFrames.load(), outputClockNs(), frames, !paused, true};
    }
    if (paused)
        return;

    // Never past the stream's length, whatever a damaged stream's decoder
    // would still hand out beyond it.
    const int64_t left = std::max<int64_t>(0, sound->lengthFrames() - positionFrames.load());
    const int wanted = static_cast<int>(std::min<int64_t>(frames, left));
    const int got = wanted > 0 ? sound->read(out, wanted) : 0;
    positionFrames += got;
    for (size_t i = 0; i < values; ++i)
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
    remember(out, frames);
    if (got < wanted) {
        // The decoder gave out before the length found when the stream was
        // opened: the file was cut or is damaged from here on.
        brokenOffAt = positionFrames.load();
    }
    if (got < frames || positionFrames.load() >= sound->lengthFrames()) {
        // Played to the end: what follows is silence.
        playing = false;
    }
}

int64_t cAudioChannel::brokenOffFrame() const
{
    return brokenOffAt.load();
}

void cAudioChannel::remember(const float* samples, int frames)
{
    std::lock_guard<std::mutex> hold(historyLock);
    for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < audioOutputChannels; ++c)
            history[historyWrite * audioOutputChannels + c] = samples[f * audioOutputChannels + c];
        historyWrite = (historyWrite + 1) % historyFrames;
    }
}
