// The capture's arithmetic and texts, without a window: which frames a
// range makes and which samples go with them, the checks made before
// anything is written, the progress lines and the GL start-up verdict.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "strobewerk/SongClock.h"
#include "strobewerk/capture/CapturePlan.h"
#include "strobewerk/capture/CaptureOutput.h"
#include "strobewerk/capture/CaptureProgress.h"

namespace {

sOptions captureOptions()
{
    sOptions options;
    options.captureFile = "out.mp4";
    return options;
}

TEST(CapturePlan, FrameCountCoversEverySongTimeBeforeTheEnd)
{
    EXPECT_EQ(captureFrameCount(0, 3000, 30), 90);
    EXPECT_EQ(captureFrameCount(0, 3000, 60), 180);
    EXPECT_EQ(captureFrameCount(60000, 63000, 30), 90);
    // 3 fps: frames at 0, 333, 667; a range ending at 1000 stops before
    // the fourth, one ending at 1001 takes it.
    EXPECT_EQ(captureFrameCount(0, 1000, 3), 3);
    EXPECT_EQ(captureFrameCount(0, 1001, 3), 4);
    EXPECT_EQ(captureFrameCount(0, 1, 60), 1);
    EXPECT_EQ(captureFrameCount(500, 500, 60), 0);
    // Every counted frame is before the end, the next one is not.
    for (int fps : {7, 24, 25, 30, 60, 144}) {
        const std::int64_t count = captureFrameCount(1234, 98765, fps);
        EXPECT_LT(fixedStepTime(1234, fps, count - 1), 98765) << fps;
        EXPECT_GE(fixedStepTime(1234, fps, count), 98765) << fps;
    }
}

TEST(CapturePlan, SamplesOfTheFramesJoinUpToExactlyTheRange)
{
    sCapturePlan plan;
    plan.fps = 30;
    plan.from = 1000;
    plan.to = 2000;
    plan.frameCount = captureFrameCount(plan.from, plan.to, plan.fps);
    EXPECT_EQ(frameSampleStart(plan, 0), 44100);
    EXPECT_EQ(frameSampleStart(plan, plan.frameCount), 88200);
    std::int64_t total = 0;
    for (std::int64_t n = 0; n < plan.frameCount; ++n) {
        const std::int64_t length = frameSampleStart(plan, n + 1) - frameSampleStart(plan, n);
        // A frame at 30 fps carries 1470 samples, give or take the
        // millisecond rounding of its song time.
        EXPECT_NEAR(static_cast<double>(length), 1470.0, 45.0) << n;
        total += length;
    }
    EXPECT_EQ(total, 44100);
    EXPECT_EQ(sampleAtSongTime(1, 44100), 44);
    EXPECT_EQ(sampleAtSongTime(135000, 44100), 135000LL * 441 / 10);
}

TEST(CapturePlan, DefaultsComeFromResConfAndTheSoundtrack)
{
    sCapturePlan plan;
    std::string problem;
    ASSERT_TRUE(planCapture(captureOptions(), 1280, 720, 225500, plan, problem)) << problem;
    EXPECT_EQ(plan.width, 1280);
    EXPECT_EQ(plan.height, 720);
    EXPECT_EQ(plan.fps, 60);
    EXPECT_EQ(plan.from, 0);
    EXPECT_EQ(plan.to, 225500);
    EXPECT_EQ(plan.frameCount, 13530);

    sOptions options = captureOptions();
    options.width = 320;
    options.height = 180;
    options.fps = 25;
    options.from = 1000;
    options.to = 3000;
    ASSERT_TRUE(planCapture(options, 1280, 720, 4000, plan, problem)) << problem;
    EXPECT_EQ(plan.width, 320);
    EXPECT_EQ(plan.to, 3000);
    EXPECT_EQ(plan.frameCount, 50);
    EXPECT_EQ(plan.note, "");
}

// Fault 7: --to past the song stops at its end, and a line says so.
TEST(CapturePlan, ToPastTheSongsEndStopsAtTheEnd)
{
    sCapturePlan plan;
    std::string problem;
    sOptions options = captureOptions();
    options.fps = 60;
    options.from = 186000;
    options.to = 600000;
    ASSERT_TRUE(planCapture(options, 320, 180, 225500, plan, problem)) << problem;
    EXPECT_EQ(plan.to, 225500);
    EXPECT_EQ(plan.frameCount, captureFrameCount(186000, 225500, 60));
    EXPECT_EQ(plan.note, "capture: --to 10:00.000 is past the soundtrack's end at 3:45.500: the capture ends there");
    // Up to the end exactly is no note; without a soundtrack --to is the end.
    options.to = 225500;
    ASSERT_TRUE(planCapture(options, 320, 180, 225500, plan, problem));
    EXPECT_EQ(plan.note, "");
    options.to = 600000;
    ASSERT_TRUE(planCapture(options, 320, 180, -1, plan, problem));
    EXPECT_EQ(plan.to, 600000);
}

// The command line a capture runs itself again with (a part, or the
// whole under a virtual X server) plans the very same frames, whatever
// "res.conf" says where it runs.
TEST(CapturePlan, CommandLinePlansTheSameCapture)
{
    auto planned = [](const std::vector<std::string>& words, int configWidth, int configHeight, sOptions& parsed) {
        std::vector<const char*> argv;
        for (const std::string& word : words)
            argv.push_back(word.c_str());
        const sOptionsResult result = parseOptions(static_cast<int>(argv.size()), argv.data());
        EXPECT_TRUE(result.ok) << result.error;
        parsed = result.options;
        sCapturePlan plan;
        std::string why;
        EXPECT_TRUE(planCapture(parsed, configWidth, configHeight, 225500, plan, why)) << why;
        return plan;
    };
    sOptions parsed;
    const sCapturePlan plan = planned({"prog", "--capture", "out.mp4", "--fps", "30", "--size", "640x360", "--from",
                                       "0:01.5", "--to", "1:30", "--part", "2/3"},
                                      1280, 720, parsed);
    auto replanned = [&](int k, int parts, const std::string& replay, sOptions& again) {
        const std::vector<std::string> words = captureCommandLine("prog", plan, "out.mp4", k, parts, replay);
        EXPECT_EQ(words.front(), "prog");
        return planned(words, 800, 600, again);
    };
    const sCapturePlan part = replanned(2, 3, "take.txt", parsed);
    EXPECT_EQ(parsed.captureFile, "out.mp4");
    EXPECT_EQ(parsed.part, 2);
    EXPECT_EQ(parsed.parts, 3);
    EXPECT_EQ(parsed.replayInput, "take.txt");
    EXPECT_EQ(part.width, 640);
    EXPECT_EQ(part.height, 360);
    EXPECT_EQ(part.fps, 30);
    EXPECT_EQ(part.from, 1500);
    EXPECT_EQ(part.to, 90000);
    EXPECT_EQ(part.firstFrame, plan.firstFrame);
    EXPECT_EQ(part.endFrame, plan.endFrame);

    // The whole capture, no recording: neither --part nor --replay-input.
    const sCapturePlan whole = replanned(0, 0, "", parsed);
    EXPECT_EQ(parsed.part, 0);
    EXPECT_EQ(parsed.parts, 0);
    EXPECT_TRUE(parsed.replayInput.empty());
    EXPECT_EQ(whole.firstFrame, 0);
    EXPECT_EQ(whole.endFrame, plan.frameCount);
}

// Faults 6 and 8: a part's tag names the performance by its content; the
// texts count one frame as one; a sequence of numbers alone has a visible
// sound file.
TEST(CapturePlan, APartsTagNamesThePerformanceByItsContent)
{
    sCapturePlan plan;
    std::string problem;
    sOptions options = captureOptions();
    options.fps = 30;
    options.to = 3000;
    options.jobs = 2;
    ASSERT_TRUE(planCapture(options, 320, 180, 3000, plan, problem)) << problem;
    EXPECT_EQ(partTag(plan, 1, 2), "strobewerk capture part 1 of 2: frames 0 to 60 of 0:00.000 to 0:03.000 at 30 fps, "
                                   "320x180, no recorded input");
    const std::string take = "12 0 0 0 0 4 0\n";
    plan.inputs = inputsDescription(take, 1);
    EXPECT_EQ(plan.inputs, inputsDescription(take, 1));
    EXPECT_EQ(plan.inputs.rfind("recorded input of 1 change (", 0), 0u) << plan.inputs;
    EXPECT_NE(plan.inputs, inputsDescription("12 0 0 0 0 8 0\n", 1));
    EXPECT_NE(partTag(plan, 1, 2).find(plan.inputs), std::string::npos);
    EXPECT_EQ(inputsDescription("", 0), "no recorded input");

    EXPECT_EQ(framesText(1), "1 frame");
    EXPECT_EQ(framesText(0), "0 frames");
    EXPECT_EQ(framesText(90), "90 frames");
    EXPECT_NE(expectationText(1, 1, 2.0).find(" for 1 frame ("), std::string::npos) << expectationText(1, 1, 2.0);
    EXPECT_EQ(progressText(1, 1, 1.0), "1/1 frame 100%    1.0 fps   0 s left");

    sCaptureOutput output;
    ASSERT_TRUE(parseCaptureOutput("seq/%05d.png", output, problem)) << problem;
    EXPECT_EQ(output.soundName, "seq.wav");
    EXPECT_TRUE(isSequenceFile(output, "seq.wav"));
    EXPECT_TRUE(isSequenceFile(output, "00012.png"));
}

TEST(CapturePlan, ProblemsAreOneLineNamingThem)
{
    sCapturePlan plan;
    std::string problem;
    sOptions options = captureOptions();
    options.width = 321;
    options.height = 180;
    EXPECT_FALSE(planCapture(options, 1280, 720, 5000, plan, problem));
    EXPECT_NE(problem.find("--size 321x180 is not even"), std::string::npos) << problem;

    EXPECT_FALSE(planCapture(captureOptions(), 1279, 720, 5000, plan, problem));
    EXPECT_NE(problem.find("res.conf, 1279x720, is not even"), std::string::npos) << problem;

    options = captureOptions();
    options.from = 5000;
    EXPECT_FALSE(planCapture(options, 1280, 720, 5000, plan, problem));
    EXPECT_NE(problem.find("--from 0:05.000 is past the soundtrack's end at 0:05.000"), std::string::npos)
        << problem;

    options.to = 4000;
    EXPECT_FALSE(planCapture(options, 1280, 720, 9000, plan, problem));
    EXPECT_NE(problem.find("is not before --to 0:04.000"), std::string::npos) << problem;

    EXPECT_FALSE(planCapture(captureOptions(), 1280, 720, -1, plan, problem));
    EXPECT_EQ(problem, "strobewerk: no soundtrack tells where the song ends: give --to");
    options = captureOptions();
    options.to = 2000;
    EXPECT_TRUE(planCapture(options, 1280, 720, -1, plan, problem)) << "no soundtrack, but an end given";
}

TEST(CapturePlan, SizeLimitsAndOutputPath)
{
    EXPECT_EQ(checkSizeLimits(16384, 16384, 16384, 16384, 16384), "");
    EXPECT_NE(checkSizeLimits(16386, 720, 16384, 16384, 16384).find("exceeds what the renderer can draw (16384x16384"),
              std::string::npos);
    EXPECT_NE(checkSizeLimits(4096, 720, 8192, 8192, 2048), "") << "the window copies are textures";

    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("capture_plan_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    EXPECT_EQ(checkOutputPath((folder / "out.mp4").string()), "");
    EXPECT_NE(checkOutputPath((folder / "missing" / "out.mp4").string()).find("no folder"), std::string::npos);
    EXPECT_NE(checkOutputPath(folder.string()).find("it is a folder"), std::string::npos);
    EXPECT_FALSE(fs::exists(folder / "out.mp4")) << "checking writes nothing";
    fs::remove_all(folder);
}

TEST(CapturePlan, PartsAreConsecutiveCoverEveryFrameOnceAndStartOnAKeyframe)
{
    for (const std::int64_t frames : {1, 59, 60, 61, 5590, 18000}) {
        for (int parts = 1; parts <= 7; ++parts) {
            const std::int64_t intervals = (frames + 59) / 60;
            std::int64_t first = -1;
            std::int64_t end = -1;
            if (intervals < parts) {
                EXPECT_FALSE(splitFrames(frames, 60, parts, 1, first, end)) << frames << " in " << parts;
                continue;
            }
            std::int64_t next = 0;
            std::int64_t shortest = frames;
            std::int64_t longest = 0;
            for (int k = 1; k <= parts; ++k) {
                ASSERT_TRUE(splitFrames(frames, 60, parts, k, first, end));
                EXPECT_EQ(first, next) << frames << " part " << k << " of " << parts;
                EXPECT_EQ(first % 60, 0);
                EXPECT_GT(end, first);
                next = end;
                if (k < parts) {
                    shortest = std::min(shortest, end - first);
                    longest = std::max(longest, end - first);
                }
            }
            EXPECT_EQ(next, frames);
            // As even as whole keyframe intervals allow.
            EXPECT_LE(longest - shortest, 60) << frames << " in " << parts;
        }
    }
    // A part's plan renders its frames only, and its tag names them.
    sOptions options = captureOptions();
    options.fps = 30;
    options.part = 2;
    options.parts = 2;
    sCapturePlan plan;
    std::string problem;
    ASSERT_TRUE(planCapture(options, 640, 360, 3000, plan, problem)) << problem;
    EXPECT_EQ(plan.firstFrame, 60);
    EXPECT_EQ(plan.endFrame, 90);
    EXPECT_EQ(partTag(plan, 2, 2), "strobewerk capture part 2 of 2: frames 60 to 90 of 0:00.000 to 0:03.000 at 30 fps, 640x360, "
                                   "no recorded input");
    options.parts = 3;
    EXPECT_FALSE(planCapture(options, 640, 360, 3000, plan, problem));
    EXPECT_EQ(problem, "strobewerk: 3 parts are more than the range has keyframe intervals (2 of 60 frames)");
}

TEST(CapturePlan, EncoderLimitsAreTheHighestH264LevelsAndWhatPngAddresses)
{
    EXPECT_EQ(checkEncoderLimits(8192, 4320, 120, false), "");
    EXPECT_EQ(checkEncoderLimits(16384, 16, 1000, false), "");
    EXPECT_NE(checkEncoderLimits(16384, 16384, 30, false).find("more than H.264 video takes (1048576 macroblocks"),
              std::string::npos);
    EXPECT_NE(checkEncoderLimits(16400, 16, 30, false).find("at most 16384 a side"), std::string::npos);
    EXPECT_EQ(checkEncoderLimits(8192, 4320, 129, false),
              "strobewerk: 129 frames a second at 8192x4320 are more than H.264 video takes (at most 120 at this size)");
    EXPECT_EQ(checkEncoderLimits(1920, 1080, 1000, false), "");
    // PNG: the image library's addressing, not H.264's levels.
    EXPECT_EQ(checkEncoderLimits(16384, 8192, 1000, true), "");
    EXPECT_NE(checkEncoderLimits(16384, 16384, 30, true), "");
}

TEST(CaptureOutput, TheNameGivesTheFormat)
{
    sCaptureOutput output;
    std::string problem;
    const struct {
        const char* name;
        eCaptureFormat format;
        const char* owned;
    } good[] = {
        {"out.mp4", eCaptureFormat::mp4, "out.mp4"},
        {"dir/Out.MOV", eCaptureFormat::mov, "dir/Out.MOV"},
        {"/tmp/a.b.mkv", eCaptureFormat::mkv, "/tmp/a.b.mkv"},
        {"shots/take%05d.png", eCaptureFormat::pngSequence, "shots"},
        {"/a/b/f%01d.png", eCaptureFormat::pngSequence, "/a/b"},
    };
    for (const auto& c : good) {
        ASSERT_TRUE(parseCaptureOutput(c.name, output, problem)) << c.name << ": " << problem;
        EXPECT_EQ(output.format, c.format) << c.name;
        EXPECT_EQ(output.owned, c.owned) << c.name;
    }
    EXPECT_EQ(output.prefix, "f");
    EXPECT_EQ(output.soundName, "f.wav");
    for (const char* bad : {"out.avi", "out", ".mp4", "f%05d.png", "./f%05d.png", "s/f%5d.png", "s/f%05d.jpg",
                            "s/f%05d%05d.png", "s/f%010d.png", "s/x.png", "s%d/f%05d.png"}) {
        EXPECT_FALSE(parseCaptureOutput(bad, output, problem)) << bad;
        EXPECT_EQ(problem.find("strobewerk: --capture \"" + std::string(bad) + "\": "), 0u) << problem;
    }
    ASSERT_TRUE(parseCaptureOutput("s/take%03d.png", output, problem));
    EXPECT_EQ(sequenceFrameName("s.part/take", 3, 7), "s.part/take007.png");
    EXPECT_EQ(sequenceFrameName("s/take", 3, 12345), "s/take12345.png");
    EXPECT_TRUE(isSequenceFile(output, "take000.png"));
    EXPECT_TRUE(isSequenceFile(output, "take1000.png"));
    EXPECT_TRUE(isSequenceFile(output, "take.wav"));
    EXPECT_FALSE(isSequenceFile(output, "take00.png"));
    EXPECT_FALSE(isSequenceFile(output, "take0x0.png"));
    EXPECT_FALSE(isSequenceFile(output, "notes.txt"));
    EXPECT_EQ(partFileName("dir.v2/show.mp4", 2, 4), "dir.v2/show-part2of4.mp4");
    EXPECT_EQ(partFileName("show.mkv", 10, 12), "show-part10of12.mkv");
}

TEST(CaptureProgress, TextsSayDoneRateAndTimeLeft)
{
    EXPECT_EQ(progressText(45, 90, 1.5), "45/90 frames  50%   30.0 fps   2 s left");
    EXPECT_EQ(progressText(0, 90, 0.0), "0/90 frames   0%    0.0 fps   -- left");
    EXPECT_EQ(progressText(1000, 7000, 100.0), "1000/7000 frames  14%   10.0 fps   10 min 00 s left");
    EXPECT_EQ(expectationText(30, 6000, 2.0), "expecting about 6 min 40 s for 6000 frames (15.0 frames a second so far)");
    EXPECT_EQ(durationText(3725), "1 h 02 min");
    EXPECT_EQ(durationText(59.6), "1 min 00 s");
    EXPECT_EQ(durationText(-3), "0 s");
    // Plain lines at every tenth: 9 of 90 is the first.
    EXPECT_EQ(tenthReached(8, 90), 0);
    EXPECT_EQ(tenthReached(9, 90), 1);
    EXPECT_EQ(tenthReached(89, 90), 9);
    EXPECT_EQ(tenthReached(90, 90), 10);
    EXPECT_EQ(tenthReached(3, 7), 4);
}

TEST(CaptureGlStartUp, NoGlxDisplayCountsOnlyWithGl20AndFramebufferObjects)
{
    EXPECT_TRUE(captureGlUsable(GLEW_OK, true, true));
    EXPECT_TRUE(captureGlUsable(GLEW_ERROR_NO_GLX_DISPLAY, true, true));
    EXPECT_FALSE(captureGlUsable(GLEW_ERROR_NO_GLX_DISPLAY, false, true));
    EXPECT_FALSE(captureGlUsable(GLEW_ERROR_NO_GLX_DISPLAY, true, false));
    EXPECT_FALSE(captureGlUsable(GLEW_OK, false, true));
    EXPECT_FALSE(captureGlUsable(GLEW_ERROR_NO_GL_VERSION, true, true));
}

} // namespace
