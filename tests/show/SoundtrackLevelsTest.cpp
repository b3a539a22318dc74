// The soundtrack's level at each tick, decoded from the file, against the
// spectrum the playing channel reports at the same song time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "strobewerk/SongClock.h"
#include "strobewerk/audio/SoundtrackLevels.h"
#include "strobewerk/audio/SoundtrackRange.h"

namespace {

const std::string clickFile = std::string(TEST_DATA_DIR) + "/click_1500ms.mp3";

std::int64_t sampleOfTick(std::int64_t tick)
{
    return static_cast<std::int64_t>(fixedStepTime(0, 60, tick)) * 44100 / 1000;
}

TEST(SoundtrackLevels, EveryTickReadsTheSpectrumTheChannelReportsThere)
{
    cSoundtrackLevels levels;
    levels.open(clickFile, 60);
    cSoundtrackRange channel;
    ASSERT_TRUE(channel.open(clickFile));
    channel.start(0);
    std::vector<float> spectrum(512), discarded;
    int loud = 0;
    // The click sits at 1500 ms of a 3 s file: silence, the click, silence,
    // and past the end.
    for (std::int64_t tick = 0; tick < 200; ++tick) {
        channel.pullTo(sampleOfTick(tick), discarded);
        std::fill(spectrum.begin(), spectrum.end(), 0.0f);
        channel.fillSpectrum(spectrum.data(), spectrum.size());
        float sum = 0.0f;
        for (float band : spectrum)
            sum += band;
        ASSERT_EQ(levels.level(tick), sum / 512.0f) << "tick " << tick;
        loud += levels.level(tick) > 0.001f;
    }
    // The click is heard by the ticks whose 1024 samples reach it, no more.
    EXPECT_GE(loud, 1);
    EXPECT_LE(loud, 3);
    EXPECT_LT(levels.level(30), 1e-5f);
    EXPECT_EQ(levels.level(100000), 0.0f);
    EXPECT_EQ(levels.level(-1), 0.0f);
}

TEST(SoundtrackLevels, WithoutASoundtrackEveryLevelIsZero)
{
    cSoundtrackLevels missing;
    missing.open(std::string(TEST_DATA_DIR) + "/no-such.mp3", 60);
    missing.waitUntilDecoded();
    EXPECT_EQ(missing.level(0), 0.0f);
    EXPECT_EQ(missing.level(5000), 0.0f);
    cSoundtrackLevels unopened;
    EXPECT_EQ(unopened.level(10), 0.0f);
}

} // namespace
