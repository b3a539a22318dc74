#include "strobewerk/audio/SoundtrackRange.h"

#include "strobewerk/audio/AudioChannel.h"
#include "strobewerk/audio/AudioSound.h"
#include "strobewerk/audio/AudioSystem.h"

#include <algorithm>

namespace {

// Samples the channel hands out before the range starts, so that its
// spectrum at the first frame is of the music just before it, as live.
constexpr std::int64_t prerollFrames = 2 * cAudioChannel::maxSpectrum;
constexpr int blockFrames = 4096;

} // namespace

cSoundtrackRange::~cSoundtrackRange()
{
    soundtrack.release();
}

bool cSoundtrackRange::open(const std::string& path)
{
    if (soundtrack.open(path, AUDIO_INIT_NO_OUTPUT) != AUDIO_OK || soundtrack.streamResult() != AUDIO_OK)
        return false;
    soundtrack.play(0);
    cAudioChannel* channel = soundtrack.audioChannel();
    if (!channel || !channel->boundSound())
        return false;
    length = channel->boundSound()->lengthFrames();
    playing = true;
    return true;
}

std::int32_t cSoundtrackRange::lengthMs() const
{
    if (!playing)
        return -1;
    return static_cast<std::int32_t>((length * 1000 + audioOutputRate - 1) / audioOutputRate);
}

void cSoundtrackRange::start(std::int64_t first)
{
    current = std::max<std::int64_t>(first, 0);
    if (!playing)
        return;
    const std::int64_t from = std::max<std::int64_t>(current - prerollFrames, 0);
    soundtrack.play(0);
    cAudioChannel* channel = soundtrack.audioChannel();
    if (from > 0 && channel)
        channel->setPosition(static_cast<std::uint32_t>(std::min<std::int64_t>(from, length)), AUDIO_TIMEUNIT_PCM);
    std::vector<float> discarded;
    std::int64_t at = from;
    current = at;
    pullTo(std::max<std::int64_t>(first, 0), discarded);
}

void cSoundtrackRange::pullTo(std::int64_t end, std::vector<float>& out)
{
    if (end <= current)
        return;
    const std::int64_t frames = end - current;
    if (!playing) {
        out.insert(out.end(), static_cast<std::size_t>(frames) * audioOutputChannels, 0.0f);
        current = end;
        return;
    }
    cAudioSystem* system = soundtrack.audioSystem();
    scratch.resize(static_cast<std::size_t>(blockFrames) * audioOutputChannels);
    for (std::int64_t left = frames; left > 0;) {
        const int step = static_cast<int>(std::min<std::int64_t>(left, blockFrames));
        std::fill(scratch.begin(), scratch.end(), 0.0f);
        system->mix(scratch.data(), step);
        out.insert(out.end(), scratch.begin(), scratch.begin() + static_cast<std::ptrdiff_t>(step) * audioOutputChannels);
        left -= step;
    }
    current = end;
}

void cSoundtrackRange::fillSpectrum(float* values, std::size_t count)
{
    if (playing)
        soundtrack.fillSpectrum(values, count);
}
