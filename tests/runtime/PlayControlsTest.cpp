#include "strobewerk/live/PlayControls.h"

#include <SDL_keysym.h>
#include <gtest/gtest.h>

namespace {

TEST(PlayControlsTest, KeysMapToTheirActions)
{
    EXPECT_EQ(playActionForKey(SDLK_SPACE), ePlayAction::togglePause);
    EXPECT_EQ(playActionForKey(SDLK_LEFT), ePlayAction::seekBack5);
    EXPECT_EQ(playActionForKey(SDLK_RIGHT), ePlayAction::seekForward5);
    EXPECT_EQ(playActionForKey(SDLK_PAGEUP), ePlayAction::seekBack30);
    EXPECT_EQ(playActionForKey(SDLK_PAGEDOWN), ePlayAction::seekForward30);
    EXPECT_EQ(playActionForKey(SDLK_HOME), ePlayAction::seekStart);
    EXPECT_EQ(playActionForKey(SDLK_ESCAPE), ePlayAction::none);
    EXPECT_EQ(playActionForKey(SDLK_a), ePlayAction::none);
    EXPECT_FALSE(isSeek(ePlayAction::none));
    EXPECT_FALSE(isSeek(ePlayAction::togglePause));
    EXPECT_TRUE(isSeek(ePlayAction::seekStart));
}

TEST(PlayControlsTest, SeeksStopAtTheStartAndTheEnd)
{
    EXPECT_EQ(seekTarget(ePlayAction::seekForward5, 10000, 200000), 15000);
    EXPECT_EQ(seekTarget(ePlayAction::seekBack5, 10000, 200000), 5000);
    EXPECT_EQ(seekTarget(ePlayAction::seekForward30, 10000, 200000), 40000);
    EXPECT_EQ(seekTarget(ePlayAction::seekBack30, 10000, 200000), 0);
    EXPECT_EQ(seekTarget(ePlayAction::seekBack5, 3000, 200000), 0);
    EXPECT_EQ(seekTarget(ePlayAction::seekForward30, 190000, 200000), 200000);
    EXPECT_EQ(seekTarget(ePlayAction::seekStart, 190000, 200000), 0);
    EXPECT_EQ(seekTarget(ePlayAction::togglePause, 1234, 200000), 1234);
    // No known end: only 0 bounds it, and nothing overflows.
    EXPECT_EQ(seekTarget(ePlayAction::seekForward30, 500000, -1), 530000);
    EXPECT_EQ(seekTarget(ePlayAction::seekForward30, INT32_MAX - 10, -1), INT32_MAX);
}

TEST(PlayControlsTest, TitleShowsSongTimeFramesAndPause)
{
    EXPECT_EQ(windowTitle(135250, 60, false), "strobewerk 2:15.250 | 60 fps");
    EXPECT_EQ(windowTitle(5, 59, true), "strobewerk 0:00.005 | 59 fps | paused");
}

TEST(PlayControlsTest, FrameRateIsDueTwiceASecond)
{
    cFrameRateMeter meter;
    int due = 0;
    for (int i = 0; i <= 120; ++i) {
        if (meter.frame(1000 + static_cast<std::uint32_t>(i * 1000 / 60))) {
            ++due;
            EXPECT_EQ(meter.framesPerSecond(), 60);
        }
    }
    EXPECT_EQ(due, 4);
    // A slow stretch shows as such.
    for (int i = 1; i <= 5; ++i)
        meter.frame(3000 + 100 * i);
    EXPECT_EQ(meter.framesPerSecond(), 10);
}

} // namespace
