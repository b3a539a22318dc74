// The soundtrack pulled without a device, as the capture takes it: the
// samples from any position are the soundtrack's own, the spectrum is of
// the samples just before the position (a click shows only once the
// position has passed it), and a missing soundtrack gives silence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "strobewerk/audio/AudioSound.h"
#include "strobewerk/audio/SoundtrackRange.h"

namespace {

const std::string clickFile = std::string(TEST_DATA_DIR) + "/click_1500ms.mp3";
constexpr int audioRate = 44100;

double meanSpectrum(cSoundtrackRange& range)
{
    std::vector<float> values(512, 0.0f);
    range.fillSpectrum(values.data(), values.size());
    return std::accumulate(values.begin(), values.end(), 0.0) / 512.0;
}

TEST(SoundtrackRange, SamplesFromAnyPositionAreTheSoundtracksOwn)
{
    cAudioSound* sound = nullptr;
    ASSERT_EQ(cAudioSound::open(clickFile, true, &sound), 0);
    std::vector<float> whole(static_cast<size_t>(sound->lengthFrames()) * 2);
    ASSERT_EQ(sound->read(whole.data(), static_cast<int>(sound->lengthFrames())), sound->lengthFrames());
    delete sound;

    cSoundtrackRange range;
    ASSERT_TRUE(range.open(clickFile));
    EXPECT_EQ(range.lengthFrames(), 3 * audioRate);
    EXPECT_EQ(range.lengthMs(), 3000);
    const std::int64_t first = 66000; // 1.4966 s: the click is 150 samples in
    range.start(first);
    std::vector<float> pulled;
    range.pullTo(first + 1000, pulled);
    range.pullTo(first + 1000, pulled); // not ahead: nothing
    range.pullTo(first + 3000, pulled);
    ASSERT_EQ(pulled.size(), 3000u * 2);
    EXPECT_EQ(range.position(), first + 3000);
    for (size_t i = 0; i < pulled.size(); ++i)
        ASSERT_FLOAT_EQ(pulled[i], std::clamp(whole[static_cast<size_t>(first) * 2 + i], -1.0f, 1.0f)) << i;
    EXPECT_GT(*std::max_element(pulled.begin(), pulled.end()), 0.3f) << "the click is in the range";
}

TEST(SoundtrackRange, SpectrumIsOfTheSamplesJustBeforeThePosition)
{
    cSoundtrackRange range;
    ASSERT_TRUE(range.open(clickFile));
    std::vector<float> discarded;
    range.start(audioRate * 1450 / 1000);
    const double before = meanSpectrum(range);
    range.pullTo(audioRate * 1510 / 1000, discarded);
    const double during = meanSpectrum(range);
    // Started past the click: the spectrum at the first frame already has
    // it, as the live run's would.
    cSoundtrackRange later;
    ASSERT_TRUE(later.open(clickFile));
    later.start(audioRate * 1510 / 1000);
    const double startedDuring = meanSpectrum(later);
    later.pullTo(audioRate * 1700 / 1000, discarded);
    const double after = meanSpectrum(later);

    EXPECT_GT(during, 0.0005);
    EXPECT_LT(before, during / 20.0);
    EXPECT_LT(after, during / 20.0);
    EXPECT_NEAR(startedDuring, during, during * 0.01);
}

TEST(SoundtrackRange, MissingSoundtrackPullsSilence)
{
    cSoundtrackRange range;
    EXPECT_FALSE(range.open(std::string(TEST_DATA_DIR) + "/no_such.mp3"));
    EXPECT_EQ(range.lengthMs(), -1);
    range.start(1000);
    std::vector<float> pulled;
    range.pullTo(1500, pulled);
    EXPECT_EQ(pulled, std::vector<float>(1000, 0.0f));
    std::vector<float> values(512, 7.0f);
    range.fillSpectrum(values.data(), values.size());
    EXPECT_EQ(values[0], 7.0f) << "left alone";
}

TEST(SoundtrackRange, PastTheEndIsSilent)
{
    cSoundtrackRange range;
    ASSERT_TRUE(range.open(clickFile));
    range.start(3 * audioRate - 100);
    std::vector<float> pulled;
    range.pullTo(3 * audioRate + 5000, pulled);
    ASSERT_EQ(pulled.size(), 5100u * 2);
    EXPECT_TRUE(std::all_of(pulled.begin() + 200, pulled.end(), [](float v) { return v == 0.0f; }));
}

} // namespace
