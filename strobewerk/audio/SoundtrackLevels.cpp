#include "strobewerk/audio/SoundtrackLevels.h"

#include <algorithm>

#include "strobewerk/SongClock.h"
#include "strobewerk/audio/AudioResult.h"
#include "strobewerk/audio/AudioSound.h"
#include "strobewerk/audio/SpectrumAnalyser.h"

namespace {

constexpr int bands = 512;
constexpr int window = 2 * bands;
constexpr int block = 4096;

std::int64_t sampleAt(std::int32_t ms)
{
    return static_cast<std::int64_t>(ms) * kAudioOutputRate / 1000;
}

// The mean of the bands, summed in band order in single precision.
float meanOf(const float* values, int count)
{
    float sum = 0.0f;
    for (int i = 0; i < count; ++i)
        sum += values[i];
    return sum / static_cast<float>(count);
}

} // namespace

cSoundtrackLevels::~cSoundtrackLevels()
{
    stopping = true;
    if (worker.joinable())
        worker.join();
}

void cSoundtrackLevels::open(const std::string& soundtrackPath, int rate)
{
    // Opened again: the last decoding stops first.
    stopping = true;
    if (worker.joinable())
        worker.join();
    stopping = false;
    ticksReady = 0;
    finished = false;
    tickCount = 0;
    path = soundtrackPath;
    ticksPerSecond = rate;
    started = true;
    startDecoding();
}

void cSoundtrackLevels::publish(std::int64_t ready, bool done)
{
    {
        std::lock_guard<std::mutex> hold(lock);
        ticksReady = ready;
        finished = done;
    }
    advanced.notify_all();
}

void cSoundtrackLevels::decode()
{
    cAudioSound* sound = nullptr;
    if (cAudioSound::open(path, true, &sound) != AUDIO_OK || sound == nullptr) {
        publish(0, true);
        return;
    }
    // Every tick whose window still reaches a sample of the song.
    std::int64_t count = 0;
    while (sampleAt(fixedStepTime(0, ticksPerSecond, count)) < sound->lengthFrames() + window)
        ++count;
    levels.assign(static_cast<std::size_t>(count), 0.0f);
    tickCount = count;

    cSpectrumAnalyser analyser;
    std::vector<float> spectrum(bands);
    // The first channel from sample `base` on; the song starts after
    // `window` samples of silence, so the first ticks see silence too.
    std::vector<float> channel(window, 0.0f);
    std::int64_t base = -window;
    std::vector<float> stereo(static_cast<std::size_t>(block) * 2);
    bool ended = false;
    std::int64_t tick = 0;
    while (tick < count && !stopping) {
        const std::int64_t end = sampleAt(fixedStepTime(0, ticksPerSecond, tick));
        while (base + static_cast<std::int64_t>(channel.size()) < end) {
            const int got = ended ? 0 : sound->read(stereo.data(), block);
            if (got < block)
                ended = true;
            // Silence past the end, as the channel hands out.
            for (int f = 0; f < block; ++f)
                channel.push_back(f < got ? std::clamp(stereo[static_cast<std::size_t>(f) * 2], -1.0f, 1.0f) : 0.0f);
        }
        analyser.analyse(channel.data() + (end - base - window), bands, spectrum.data());
        levels[static_cast<std::size_t>(tick)] = meanOf(spectrum.data(), bands);
        ++tick;
        // Drop what no later tick reads; publish now and then.
        if (end - base > 8 * block) {
            const std::int64_t drop = end - base - window;
            channel.erase(channel.begin(), channel.begin() + drop);
            base += drop;
            publish(tick, false);
        }
    }
    delete sound;
    publish(tick, true);
}

float cSoundtrackLevels::level(std::int64_t tick)
{
    if (!started || tick < 0)
        return 0.0f;
    std::unique_lock<std::mutex> hold(lock);
    advanced.wait(hold, [&] { return finished || ticksReady > tick; });
    return tick < ticksReady ? levels[static_cast<std::size_t>(tick)] : 0.0f;
}

void cSoundtrackLevels::waitUntilDecoded()
{
    if (!started)
        return;
    std::unique_lock<std::mutex> hold(lock);
    advanced.wait(hold, [&] { return finished; });
}
