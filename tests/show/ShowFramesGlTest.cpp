// The production's frames as a function of their song time: the same song
// time drawn after playing up to it at 30 frames a second, cold, and after
// a jump back from later in the song gives the same pixels.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "strobewerk/FrameState.h"
#include "strobewerk/SongClock.h"
#include "strobewerk/show/Show.h"
#include "tests/glsupport/GlTestSupport.h"

namespace {

constexpr int width = 160;
constexpr int height = 90;

class ShowFrames : public gltest::GlTest {
protected:
    static void SetUpTestSuite()
    {
        gltest::GlTest::SetUpTestSuite();
        std::filesystem::current_path(SHOW_TEST_REPOSITORY);
        onResize(width, height);
        setUpShow("data/mvl.txt");
    }
};

std::vector<gltest::rgba> frameAt(std::int32_t ms)
{
    drawShowFrame(ms);
    return gltest::readPixels(0, 0, width, height);
}

TEST_F(ShowFrames, SameSongTimeSamePixelsWhicheverWayTheSongGotThere)
{
    // Inside a distortion note, on a tick and between two ticks.
    const std::int32_t times[2] = {38500, 38525};
    std::vector<gltest::rgba> played[2];
    for (std::int64_t frame = 0; fixedStepTime(35000, 30, frame) <= times[1]; ++frame) {
        const std::int32_t ms = fixedStepTime(35000, 30, frame);
        frameAt(ms);
        if (ms == times[0])
            played[0] = frameAt(times[0]);
    }
    played[1] = frameAt(times[1]);
    ASSERT_FALSE(played[0].empty());

    showTimeline.notesChanged(); // every kept state forgotten
    for (int i : {1, 0})
        EXPECT_EQ(frameAt(times[i]), played[i]) << "cold at " << times[i];

    frameAt(60000);
    for (int i : {0, 1})
        EXPECT_EQ(frameAt(times[i]), played[i]) << "back from 60 s to " << times[i];
    EXPECT_NE(played[0], played[1]);
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}

} // namespace
