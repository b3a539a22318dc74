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

// The sample that ends the window of tick n.
std::int64_t tickSample(int ticksPerSecond, std::int64_t tick)
{
    return sampleAtSongTime(fixedStepTime(0, ticksPerSecond, tick), audioOutputRate);
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
    decodingStarted = false;
    ticksReady = 0;
    finished = false;
    for (std::unique_ptr<float[]>& chunk : chunks)
        chunk.reset();
    path = soundtrackPath;
    ticksPerSecond = rate;
    started = true;
}

void cSoundtrackLevels::startDecoding()
{
    if (!started || decodingStarted)
        return;
    decodingStarted = true;
    runDecoding();
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
    // Read from the start to the end, the decoder needs no scan of the file
    // first: the first levels are there within a millisecond or two.
    cAudioSound* sound = nullptr;
    if (cAudioSound::open(path, false, &sound) != AUDIO_OK || sound == nullptr) {
        publish(0, true);
        return;
    }
    cSpectrumAnalyser analyser;
    std::vector<float> spectrum(bands);
    // The first channel from sample `base` on; the song starts after
    // `window` samples of silence, so the first ticks see silence too.
    std::vector<float> channel(window, 0.0f);
    std::int64_t base = -window;
    std::int64_t songEnd = -1; // the song's length in samples, once met
    std::vector<float> stereo(static_cast<std::size_t>(block) * 2);
    std::int64_t tick = 0;
    const std::int64_t most = static_cast<std::int64_t>(chunks.size()) * chunkTicks;
    // Every tick whose window still reaches a sample of the song.
    while (tick < most && !stopping) {
        const std::int64_t end = tickSample(ticksPerSecond, tick);
        while (songEnd < 0 && base + static_cast<std::int64_t>(channel.size()) < end) {
            const int got = sound->read(stereo.data(), block);
            for (int f = 0; f < got; ++f)
                channel.push_back(std::clamp(stereo[static_cast<std::size_t>(f) * 2], -1.0f, 1.0f));
            if (got < block)
                songEnd = base + static_cast<std::int64_t>(channel.size());
        }
        if (songEnd >= 0 && end - window >= songEnd)
            break;
        // Silence past the end, as the channel hands out.
        if (base + static_cast<std::int64_t>(channel.size()) < end)
            channel.resize(static_cast<std::size_t>(end - base), 0.0f);
        analyser.analyse(channel.data() + (end - base - window), bands, spectrum.data());
        std::unique_ptr<float[]>& chunk = chunks[static_cast<std::size_t>(tick / chunkTicks)];
        if (!chunk)
            chunk.reset(new float[chunkTicks]);
        chunk[static_cast<std::size_t>(tick % chunkTicks)] = meanOf(spectrum.data(), bands);
        ++tick;
        publish(tick, false);
        // Drop what no later tick reads.
        if (end - base > 8 * block) {
            const std::int64_t drop = end - base - window;
            channel.erase(channel.begin(), channel.begin() + drop);
            base += drop;
        }
    }
    delete sound;
    publish(tick, true);
}

float cSoundtrackLevels::level(std::int64_t tick)
{
    // Before the song, or a window that ends where it starts: silence.
    if (!started || tick < 0 || tickSample(ticksPerSecond, tick) <= 0)
        return 0.0f;
    startDecoding();
    std::unique_lock<std::mutex> hold(lock);
    advanced.wait(hold, [&] { return finished || ticksReady > tick; });
    if (tick >= ticksReady)
        return 0.0f;
    return chunks[static_cast<std::size_t>(tick / chunkTicks)][static_cast<std::size_t>(tick % chunkTicks)];
}

void cSoundtrackLevels::waitUntilDecoded()
{
    if (!started)
        return;
    startDecoding();
    std::unique_lock<std::mutex> hold(lock);
    advanced.wait(hold, [&] { return finished; });
}
