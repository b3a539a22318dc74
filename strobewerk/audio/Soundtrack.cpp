#include "strobewerk/audio/Soundtrack.h"

#include "strobewerk/audio/AudioChannel.h"
#include "strobewerk/audio/AudioSound.h"
#include "strobewerk/audio/AudioSystem.h"
#include "vorn/ConsoleLog.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

const char* const soundtrackFile = "Data/morvelane.mp3";

namespace {

constexpr int maxChannels = 100;

} // namespace

int32_t cSoundtrack::open(const std::string& path, uint32_t initFlags)
{
    int32_t result = audioSystemCreate(&system);
    if (result != AUDIO_OK)
        return result;
    result = system->init(maxChannels, initFlags, nullptr);
    if (result != AUDIO_OK)
        return result;
    name = path;
    openResult = system->createStream(path.c_str(), AUDIO_SOFTWARE | AUDIO_ACCURATETIME, nullptr, &sound);
    if (openResult != AUDIO_OK)
        vorn::consoleLog.line(path, ": ", soundtrackProblem(openResult), ", playing without sound");
    return AUDIO_OK;
}

void cSoundtrack::play(int32_t startMs)
{
    if (!system)
        return;
    started = true;
    silentStartMs = std::max<int32_t>(0, startMs);
    silentBaseFrame = system->audibleOutputFrame(outputClockNs());
    if (!sound)
        return;
    system->playSound(AUDIO_CHANNEL_FREE, sound, paused, &channel);
    if (channel && startMs >= 0)
        channel->setPosition(static_cast<uint32_t>(startMs), AUDIO_TIMEUNIT_MS);
}

bool cSoundtrack::audiblePositionMs(int32_t& ms) const
{
    if (!system || !started)
        return false;
    const int64_t now = outputClockNs();
    if (!sound) {
        if (paused) {
            ms = silentStartMs;
            return true;
        }
        const int64_t moved = std::max<int64_t>(0, system->audibleOutputFrame(now) - silentBaseFrame);
        ms = static_cast<int32_t>(std::min<int64_t>(silentStartMs + moved * 1000 / audioOutputRate, INT32_MAX));
        return true;
    }
    bool playing = false;
    if (!channel || channel->isPlaying(&playing) != AUDIO_OK || !playing)
        return false;
    int64_t frame = 0;
    if (channel->getAudibleFrame(now, system->outputLatencyFrames(), &frame) != AUDIO_OK)
        return false;
    ms = static_cast<int32_t>(std::min<int64_t>(frame * 1000 / audioOutputRate, INT32_MAX));
    return true;
}

void cSoundtrack::setPaused(bool pause)
{
    if (!system || !started || pause == paused)
        return;
    if (!sound) {
        // The silent soundtrack holds its song time over the pause.
        int32_t now = silentStartMs;
        if (pause)
            audiblePositionMs(now);
        silentStartMs = now;
        silentBaseFrame = system->audibleOutputFrame(outputClockNs());
    }
    paused = pause;
    if (channel)
        channel->setPaused(pause);
}

int32_t cSoundtrack::lengthMs() const
{
    if (!sound || sound->lengthFrames() <= 0)
        return -1;
    return static_cast<int32_t>(std::min<int64_t>(sound->lengthFrames() * 1000 / audioOutputRate, INT32_MAX));
}

int32_t cSoundtrack::seek(int32_t ms)
{
    ms = std::max<int32_t>(0, ms);
    if (const int32_t length = lengthMs(); length >= 0)
        ms = std::min(ms, length);
    if (!system || !started)
        return ms;
    if (!sound) {
        silentStartMs = ms;
        silentBaseFrame = system->audibleOutputFrame(outputClockNs());
        return ms;
    }
    bool playing = false;
    if (!channel || channel->isPlaying(&playing) != AUDIO_OK || !playing) {
        // Played to its end (or never started): play it again from there.
        play(ms);
        return ms;
    }
    channel->setPosition(static_cast<uint32_t>(ms), AUDIO_TIMEUNIT_MS);
    return ms;
}

void cSoundtrack::fillSpectrum(float* values, size_t count)
{
    if (!channel)
        return;
    channel->getSpectrum(values, static_cast<int>(count), 0, AUDIO_FFT_WINDOW_RECT);
    reportBreakOff();
}

void cSoundtrack::reportBreakOff()
{
    if (breakOffReported || !channel || !sound)
        return;
    const int64_t at = channel->brokenOffFrame();
    if (at < 0)
        return;
    breakOffReported = true;
    vorn::consoleLog.line(name, ": ", soundtrackBreakOff(at, sound->lengthFrames()), ", playing on without sound");
}

void cSoundtrack::release()
{
    if (system)
        system->release();
    system = nullptr;
    sound = nullptr;
    channel = nullptr;
    openResult = AUDIO_ERR_UNINITIALIZED;
    started = false;
    paused = false;
    breakOffReported = false;
}

std::string soundtrackProblem(int32_t result)
{
    switch (result) {
    case AUDIO_ERR_FILE_NOTFOUND: return "cannot be opened (missing or unreadable)";
    case AUDIO_ERR_FORMAT: return "cannot be decoded (empty, cut short or not an mp3 stream)";
    default: return std::string("cannot be played (") + audioErrorString(result) + ")";
    }
}

std::string soundtrackBreakOff(int64_t atFrame, int64_t lengthFrames)
{
    auto seconds = [](int64_t frames) {
        char text[32];
        std::snprintf(text, sizeof text, "%.1f s", double(frames) / audioOutputRate);
        return std::string(text);
    };
    return "the soundtrack breaks off at " + seconds(atFrame) + " of its " + seconds(lengthFrames)
        + " (file cut or damaged)";
}

std::string audioFatalMessage(int32_t result)
{
    return "FMOD error! (" + std::to_string(result) + ") " + audioErrorString(result);
}
