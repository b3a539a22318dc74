#include "strobewerk/audio/AudioSystem.h"

#include "strobewerk/audio/AudioChannel.h"
#include "strobewerk/audio/AudioSound.h"
#include "strobewerk/audio/OutputDelay.h"
#include "strobewerk/audio/SoundLibraryQuiet.h"
#include "vorn/ConsoleLog.h"

#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <mpg123.h>
#include <new>

namespace {

constexpr int maxChannelLimit = 4093;
constexpr int deviceBufferFrames = 1024;
// The silent output renders in steps of at most this many frames.
constexpr int silentStepFrames = 512;

} // namespace

int32_t audioSystemCreate(cAudioSystem** system)
{
    if (!system)
        return AUDIO_ERR_INVALID_PARAM;
    *system = nullptr;
    // Once per process; a no-op in current decoder versions.
    static const int decoderReady = mpg123_init();
    if (decoderReady != MPG123_OK)
        return AUDIO_ERR_DECODER;
    cAudioSystem* made = new (std::nothrow) cAudioSystem();
    if (!made)
        return AUDIO_ERR_MEMORY;
    *system = made;
    return AUDIO_OK;
}

cAudioSystem::~cAudioSystem()
{
    stopOutput();
}

int32_t cAudioSystem::init(int maxChannels, uint32_t flags, void* /*extraDriverData*/)
{
    if (initialised)
        return AUDIO_ERR_INITIALIZED;
    if (maxChannels < 1 || maxChannels > maxChannelLimit)
        return AUDIO_ERR_INVALID_PARAM;
    if ((flags & ~AUDIO_INIT_NO_OUTPUT) != 0)
        return AUDIO_ERR_INVALID_PARAM;

    channelLimit = maxChannels;
    mixScratch.resize(static_cast<size_t>(deviceBufferFrames) * audioOutputChannels);
    initialised = true;
    if (flags & AUDIO_INIT_NO_OUTPUT)
        return AUDIO_OK;

    // The outcome of the probing below is reported in our own words.
    quietSoundLibraryDiagnostics();
    bool haveSdlAudio = SDL_WasInit(SDL_INIT_AUDIO) != 0;
    if (!haveSdlAudio && SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        haveSdlAudio = true;
        startedSdlAudio = true;
    }
    if (haveSdlAudio) {
        SDL_AudioSpec wanted{};
        wanted.freq = audioOutputRate;
        wanted.format = AUDIO_S16SYS;
        wanted.channels = audioOutputChannels;
        wanted.samples = deviceBufferFrames;
        wanted.callback = &cAudioSystem::deviceCallback;
        wanted.userdata = this;
        // No "obtained" spec: SDL converts to whatever the device takes.
        if (SDL_OpenAudio(&wanted, nullptr) == 0) {
            deviceOpen = true;
            // SDL has settled the buffer size in `wanted`.
            latencyFrames = wanted.samples > 0 ? wanted.samples : deviceBufferFrames;
            SDL_PauseAudio(0);
            return AUDIO_OK;
        }
    }

    // No sound card: the channels still move on in real time.
    vorn::consoleLog.line("no audio device (", SDL_GetError(), "), playing in silence");
    silentRunning = true;
    try {
        silentOutput = std::thread(&cAudioSystem::runSilentOutput, this);
    } catch (...) {
        silentRunning = false;
        initialised = false;
        return AUDIO_ERR_OUTPUT;
    }
    return AUDIO_OK;
}

int32_t cAudioSystem::createStream(const char* name, uint32_t mode, void* /*extraInfo*/, cAudioSound** sound)
{
    if (!sound)
        return AUDIO_ERR_INVALID_PARAM;
    *sound = nullptr;
    if (!initialised)
        return AUDIO_ERR_UNINITIALIZED;
    if (!name)
        return AUDIO_ERR_INVALID_PARAM;
    cAudioSound* made = nullptr;
    const int32_t result = cAudioSound::open(name, (mode & AUDIO_ACCURATETIME) != 0, &made);
    if (result != AUDIO_OK)
        return result;
    std::lock_guard<std::mutex> hold(mixLock);
    sounds.emplace_back(made);
    *sound = made;
    return AUDIO_OK;
}

int32_t cAudioSystem::playSound(int channelIndex, cAudioSound* sound, bool paused, cAudioChannel** channel)
{
    if (channel)
        *channel = nullptr;
    if (!initialised)
        return AUDIO_ERR_UNINITIALIZED;
    std::lock_guard<std::mutex> hold(mixLock);
    const bool known = std::any_of(sounds.begin(), sounds.end(),
        [sound](const std::unique_ptr<cAudioSound>& s) { return s.get() == sound; });
    if (!sound || !known)
        return AUDIO_ERR_INVALID_HANDLE;

    size_t slot = channels.size();
    if (channelIndex == AUDIO_CHANNEL_FREE) {
        for (size_t i = 0; i < channels.size(); ++i) {
            if (!channels[i]->busy()) {
                slot = i;
                break;
            }
        }
        if (slot == channels.size() && channels.size() >= static_cast<size_t>(channelLimit))
            return AUDIO_ERR_CHANNEL_ALLOC;
    } else if (channelIndex >= 0 && channelIndex < channelLimit) {
        slot = static_cast<size_t>(channelIndex);
    } else {
        return AUDIO_ERR_INVALID_PARAM;
    }
    while (channels.size() <= slot) {
        cAudioChannel* made = new (std::nothrow) cAudioChannel();
        if (!made)
            return AUDIO_ERR_MEMORY;
        channels.emplace_back(made);
    }
    // A stream has one decoder, so it leaves the channel it played on.
    for (const std::unique_ptr<cAudioChannel>& other : channels) {
        if (other->boundSound() == sound)
            other->stop();
    }
    channels[slot]->start(sound, paused);
    if (channel)
        *channel = channels[slot].get();
    return AUDIO_OK;
}

int32_t cAudioSystem::release()
{
    delete this;
    return AUDIO_OK;
}

void cAudioSystem::stopOutput()
{
    if (deviceOpen) {
        SDL_CloseAudio();
        deviceOpen = false;
    }
    if (startedSdlAudio) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        startedSdlAudio = false;
    }
    if (silentRunning) {
        silentRunning = false;
        silentOutput.join();
    }
}

int64_t cAudioSystem::audibleOutputFrame(int64_t nowNs) const
{
    sOutputStamp last;
    {
        std::lock_guard<std::mutex> hold(outputStampLock);
        last = outputStamp;
    }
    return last.valid ? audibleFrame(last, nowNs, latencyFrames) : 0;
}

void cAudioSystem::mix(float* out, int frames)
{
    const size_t values = static_cast<size_t>(frames) * audioOutputChannels;
    std::fill(out, out + values, 0.0f);
    {
        std::lock_guard<std::mutex> hold(outputStampLock);
        outputStamp = sOutputStamp{outputFrames, outputClockNs(), frames, true, true};
        outputFrames += frames;
    }
    std::lock_guard<std::mutex> hold(mixLock);
    if (mixScratch.size() < values)
        mixScratch.resize(values);
    for (const std::unique_ptr<cAudioChannel>& channel : channels) {
        if (!channel->boundSound())
            continue;
        channel->render(mixScratch.data(), frames);
        for (size_t i = 0; i < values; ++i)
            out[i] += mixScratch[i];
    }
}

void cAudioSystem::deviceCallback(void* userData, uint8_t* stream, int length)
{
    cAudioSystem* system = static_cast<cAudioSystem*>(userData);
    const int frames = length / static_cast<int>(sizeof(int16_t) * audioOutputChannels);
    system->latencyFrames = outputDelayFrames(frames);
    // The callback's own buffer: the device asks for the same size each time.
    thread_local std::vector<float> mixed;
    mixed.resize(static_cast<size_t>(frames) * audioOutputChannels);
    system->mix(mixed.data(), frames);
    int16_t* samples = reinterpret_cast<int16_t*>(stream);
    for (size_t i = 0; i < mixed.size(); ++i) {
        const float v = std::clamp(mixed[i], -1.0f, 1.0f);
        samples[i] = static_cast<int16_t>(std::lrint(v * 32767.0f));
    }
}

void cAudioSystem::runSilentOutput()
{
    using clock = std::chrono::steady_clock;
    const clock::time_point started = clock::now();
    std::vector<float> discarded(static_cast<size_t>(silentStepFrames) * audioOutputChannels);
    int64_t rendered = 0;
    while (silentRunning) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const double seconds = std::chrono::duration<double>(clock::now() - started).count();
        const int64_t due = static_cast<int64_t>(seconds * audioOutputRate);
        while (rendered < due && silentRunning) {
            const int step = static_cast<int>(std::min<int64_t>(due - rendered, silentStepFrames));
            mix(discarded.data(), step);
            rendered += step;
        }
    }
}
