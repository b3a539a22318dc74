#include "strobewerk/audio/Soundtrack.h"

#include "strobewerk/audio/AudioChannel.h"
#include "strobewerk/audio/AudioSystem.h"
#include "vorn/ConsoleLog.h"

#include <cstdlib>

const char* const soundtrackFile = "Data/morvelane.mp3";

namespace {

constexpr int kMaxChannels = 100;

} // namespace

int32_t cSoundtrack::open(const std::string& path, uint32_t initFlags)
{
    int32_t result = audioSystemCreate(&system);
    if (result != AUDIO_OK)
        return result;
    result = system->init(kMaxChannels, initFlags, nullptr);
    if (result != AUDIO_OK)
        return result;
    openResult = system->createStream(path.c_str(), AUDIO_SOFTWARE | AUDIO_ACCURATETIME, nullptr, &sound);
    return AUDIO_OK;
}

void cSoundtrack::play(int32_t startMs)
{
    if (!system || !sound)
        return;
    system->playSound(AUDIO_CHANNEL_FREE, sound, false, &channel);
    if (channel && startMs >= 0)
        channel->setPosition(static_cast<uint32_t>(startMs), AUDIO_TIMEUNIT_MS);
}

void cSoundtrack::fillSpectrum(float* values, size_t count)
{
    if (!channel)
        return;
    channel->getSpectrum(values, static_cast<int>(count), 0, AUDIO_FFT_WINDOW_RECT);
}

void cSoundtrack::release()
{
    if (system)
        system->release();
    system = nullptr;
    sound = nullptr;
    channel = nullptr;
    openResult = AUDIO_ERR_UNINITIALIZED;
}

std::string audioFatalMessage(int32_t result)
{
    return "FMOD error! (" + std::to_string(result) + ") " + audioErrorString(result);
}

void exitOnAudioError(int32_t result)
{
    vorn::consoleLog.line(audioFatalMessage(result));
    std::exit(-1);
}
