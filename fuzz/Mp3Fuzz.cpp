// Fuzz target: arbitrary bytes as the soundtrack, through the audio layer
// without a device: the stream is opened with accurate time, played, moved
// to positions the input picks (also at and past its end) and pulled
// through the mixer, with the spectrum read as the frames do. Besides the
// sanitizers' checks it traps when a channel reports a position past its
// stream's length, plays on past its end, or hands out samples outside
// -1 to 1 or not numbers.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "strobewerk/audio/AudioChannel.h"
#include "strobewerk/audio/AudioSound.h"
#include "strobewerk/audio/AudioSystem.h"
#include "vorn/ConsoleLog.h"

using fuzzsupport::require;

namespace {

// The layer opens streams by name: the input goes to a file of this process.
const std::string& streamFile()
{
    static const std::string path = "/tmp/strobewerk-mp3-fuzz-" + std::to_string(::getpid()) + ".mp3";
    return path;
}

void pull(cAudioSystem* system, int frames)
{
    std::vector<float> out(size_t(frames) * audioOutputChannels);
    system->mix(out.data(), frames);
    for (float v : out)
        require(std::isfinite(v) && v >= -1.0f && v <= 1.0f);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vorn::consoleLog.setStream(&fuzzsupport::nullStream());
    {
        std::FILE* f = std::fopen(streamFile().c_str(), "wb");
        require(f != nullptr);
        if (size > 0)
            std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    cAudioSystem* system = nullptr;
    require(audioSystemCreate(&system) == AUDIO_OK);
    require(system->init(4, AUDIO_INIT_NO_OUTPUT, nullptr) == AUDIO_OK);
    cAudioSound* sound = nullptr;
    if (system->createStream(streamFile().c_str(), AUDIO_SOFTWARE | AUDIO_ACCURATETIME, nullptr, &sound) == AUDIO_OK) {
        const int64_t length = sound->lengthFrames();
        cAudioChannel* channel = nullptr;
        require(system->playSound(AUDIO_CHANNEL_FREE, sound, false, &channel) == AUDIO_OK);
        // A position from the last byte of the input, as a fraction of the
        // length (up to twice it), then the end itself and one past it
        // (the channel has ended by then and refuses it).
        const uint8_t pick = size > 0 ? data[size - 1] : 0;
        const int64_t positions[] = {length * pick / 128, length, length + 1};
        std::vector<float> bins(512);
        for (int64_t p : positions) {
            const int32_t set = channel->setPosition(uint32_t(std::min<int64_t>(p, UINT32_MAX)), AUDIO_TIMEUNIT_PCM);
            require(set == (p > length ? AUDIO_ERR_INVALID_POSITION : AUDIO_OK) || set == AUDIO_ERR_INVALID_HANDLE);
            for (int i = 0; i < 2; ++i) {
                pull(system, 1152);
                uint32_t at = 0;
                if (channel->getPosition(&at, AUDIO_TIMEUNIT_PCM) == AUDIO_OK)
                    require(int64_t(at) <= length);
            }
            channel->getSpectrum(bins.data(), 512, 0, AUDIO_FFT_WINDOW_RECT);
            for (float b : bins)
                require(std::isfinite(b) && b >= 0.0f);
            bool playing = true;
            channel->isPlaying(&playing);
            if (p >= length)
                require(!playing);
        }
    }
    system->release();
    std::remove(streamFile().c_str());
    return 0;
}
