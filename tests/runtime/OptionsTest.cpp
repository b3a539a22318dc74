#include "strobewerk/Options.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(OptionsTest, SongTimesInMillisecondsOrMinutesAndSeconds)
{
    std::int32_t ms = -1;
    EXPECT_TRUE(parseSongTime("135000", ms));
    EXPECT_EQ(ms, 135000);
    EXPECT_TRUE(parseSongTime("2:15", ms));
    EXPECT_EQ(ms, 135000);
    EXPECT_TRUE(parseSongTime("0:01.5", ms));
    EXPECT_EQ(ms, 1500);
    EXPECT_TRUE(parseSongTime("12:00.007", ms));
    EXPECT_EQ(ms, 720007);
    for (const char* bad : {"", "-5", "2:5", "2:60", "1:00.1234", "abc", "1:xx", "99999999999", ":30"})
        EXPECT_FALSE(parseSongTime(bad, ms)) << bad;

    EXPECT_EQ(formatSongTime(135250), "2:15.250");
    EXPECT_EQ(formatSongTime(7), "0:00.007");
}

sOptionsResult parse(std::vector<const char*> args)
{
    args.insert(args.begin(), "strobewerk");
    return parseOptions(static_cast<int>(args.size()), args.data());
}

TEST(OptionsTest, CaptureOptionsAndTheirDefaults)
{
    sOptionsResult none = parse({});
    ASSERT_TRUE(none.ok);
    EXPECT_FALSE(none.options.capturing());
    EXPECT_EQ(none.options.from, 0);

    sOptionsResult all = parse({"--capture", "out.mp4", "--fps", "30", "--size", "640x360", "--from", "1:00", "--to",
                                "90000"});
    ASSERT_TRUE(all.ok) << all.error;
    EXPECT_EQ(all.options.captureFile, "out.mp4");
    EXPECT_EQ(all.options.fps, 30);
    EXPECT_EQ(all.options.width, 640);
    EXPECT_EQ(all.options.height, 360);
    EXPECT_EQ(all.options.from, 60000);
    EXPECT_EQ(all.options.to, 90000);

    sOptionsResult defaults = parse({"--capture", "a.mp4"});
    EXPECT_EQ(defaults.options.fps, 60);
    EXPECT_EQ(defaults.options.width, 0);
    EXPECT_EQ(defaults.options.to, -1);

    EXPECT_TRUE(parse({"--from", "2:15"}).ok);
    EXPECT_TRUE(parse({"--help"}).options.help);

    // The ways of splitting a capture.
    EXPECT_EQ(parse({"--capture", "a.mp4", "--jobs", "4"}).options.jobs, 4);
    const sOptions part = parse({"--capture", "a.mp4", "--part", "2/3"}).options;
    EXPECT_EQ(part.part, 2);
    EXPECT_EQ(part.parts, 3);
    const sOptions join = parse({"--capture", "a.mp4", "--join", "3"}).options;
    EXPECT_EQ(join.part, 0);
    EXPECT_EQ(join.parts, 3);
}

TEST(OptionsTest, EveryBadOptionGivesOneLineNamingIt)
{
    const struct {
        std::vector<const char*> args;
        const char* named;
    } cases[] = {
        {{"--bogus"}, "--bogus"},
        {{"--from"}, "--from"},
        {{"--from", "soon"}, "soon"},
        {{"--capture", "a.mp4", "--fps", "0"}, "--fps"},
        {{"--capture", "a.mp4", "--size", "640"}, "--size"},
        {{"--capture", "a.mp4", "--size", "0x360"}, "0x360"},
        {{"--capture", "a.mp4", "--from", "10000", "--to", "5000"}, "--to"},
        {{"--capture", "a.mp4", "--from", "5000", "--to", "5000"}, "--from"},
        {{"--fps", "30"}, "--capture"},
        {{"--to", "1:00"}, "--capture"},
        {{"--jobs", "2"}, "--capture"},
        {{"--capture", "a.mp4", "--jobs", "65"}, "--jobs"},
        {{"--capture", "a.mp4", "--part", "3/2"}, "3/2"},
        {{"--capture", "a.mp4", "--part", "0/2"}, "0/2"},
        {{"--capture", "a.mp4", "--jobs", "2", "--join", "2"}, "give one of them"},
        {{"--capture", "a.mp4", "--part", "1/2", "--join", "2"}, "give one of them"},
    };
    for (const auto& c : cases) {
        const sOptionsResult result = parse(c.args);
        EXPECT_FALSE(result.ok) << c.named;
        EXPECT_NE(result.error.find(c.named), std::string::npos) << result.error;
        EXPECT_EQ(result.error.find('\n'), std::string::npos) << result.error;
    }
}

} // namespace

TEST(OptionsTest, HelpListsTheStartTimeAndEveryKeyOfLivePlay)
{
    const std::string help = optionsHelp();
    for (const char* named : {"--from TIME", "Space", "Left/Right", "Page Up/Page Down", "Home", "Escape",
                              "data/morvelane.mid"})
        EXPECT_NE(help.find(named), std::string::npos) << named;
}

namespace {

TEST(OptionsTest, RecordingIsForLivePlayAndReplayingForBoth)
{
    const sOptionsResult live = parse({"--record-input", "take.txt", "--replay-input", "old.txt"});
    ASSERT_TRUE(live.ok) << live.error;
    EXPECT_EQ(live.options.recordInput, "take.txt");
    EXPECT_EQ(live.options.replayInput, "old.txt");
    const sOptionsResult captured = parse({"--capture", "o.mp4", "--replay-input", "take.txt"});
    ASSERT_TRUE(captured.ok) << captured.error;
    EXPECT_EQ(captured.options.replayInput, "take.txt");

    EXPECT_FALSE(parse({"--capture", "o.mp4", "--record-input", "take.txt"}).ok);
    EXPECT_FALSE(parse({"--record-input", "take.txt", "--replay-input", "take.txt"}).ok);
    EXPECT_FALSE(parse({"--replay-input"}).ok);
}

} // namespace
