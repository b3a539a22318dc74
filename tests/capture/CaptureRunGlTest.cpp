// Whole captures made by the program as a user makes them, in a folder of
// the production's data with a short test soundtrack (a click at 1.5 s)
// and a note list of one fill flash at 2.01 s, read back with the FFmpeg
// libraries: the file's streams, frame count and duration; the sound
// against the soundtrack's own samples; the cue's first frame; two
// captures of one range alike; the option errors; an interrupted capture;
// and the frames against the live path drawn directly in this process.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <SDL.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "strobewerk/NoteList.h"
#include "strobewerk/FrameState.h"
#include "strobewerk/SongClock.h"
#include "strobewerk/show/Show.h"
#include "strobewerk/audio/SoundtrackRange.h"
#include "strobewerk/capture/CapturePlan.h"
#include "tests/capture/DecodedVideo.h"

namespace fs = std::filesystem;

namespace {

const fs::path repository = CAPTURE_TEST_REPOSITORY;
const std::string program = STROBEWERK_PROGRAM;
constexpr int kFps = 30;
constexpr int kWidth = 320;
constexpr int kHeight = 180;
constexpr int kRate = 44100;
// The fill flash of the test note list, and the first frame at or past it.
constexpr int kFlashMs = 2010;
constexpr int kFlashFrame = 61; // 2033 ms; frame 60 is at 2000 ms

// The run folder: res.conf (640 x 360, so --size is what counts), the
// production's data, the click as the soundtrack and the test note list.
const fs::path& runFolder()
{
    static const fs::path folder = [] {
        char name[] = "/tmp/capture_run_XXXXXX";
        const fs::path made = mkdtemp(name);
        fs::create_directories(made / "data");
        for (const fs::directory_entry& entry : fs::directory_iterator(repository / "data")) {
            const std::string file = entry.path().filename().string();
            if (file != "mvl.txt" && file != "morvelane.mp3")
                fs::create_symlink(entry.path(), made / "data" / file);
        }
        fs::copy_file(repository / "tests" / "data" / "click_1500ms.mp3", made / "data" / "morvelane.mp3");
        std::ofstream(made / "data" / "mvl.txt") << "5\n0\n1\nn " << kFlashMs << " 0\n0\n0\n0\n";
        std::ofstream(made / "res.conf") << "fullscreen:0\nwidth:640\nheight:360\n";
        return made;
    }();
    return folder;
}

// Removes the run folder when the tests are over.
class cRemoveRunFolder : public ::testing::Environment {
public:
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(runFolder(), ignored);
    }
};
const ::testing::Environment* const removeRunFolder = ::testing::AddGlobalTestEnvironment(new cRemoveRunFolder);

struct sRun {
    int exitCode = -1;
    std::vector<std::string> lines;
    std::string errors;
    std::string last() const { return lines.empty() ? "" : lines.back(); }
};

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The same without a soundtrack.
const fs::path& silentFolder()
{
    static const fs::path folder = [] {
        const fs::path made = runFolder() / "silent";
        fs::create_directories(made / "data");
        for (const fs::directory_entry& entry : fs::directory_iterator(runFolder() / "data"))
            if (entry.path().filename() != "morvelane.mp3")
                fs::create_symlink(fs::absolute(entry.path()), made / "data" / entry.path().filename());
        fs::copy_file(runFolder() / "res.conf", made / "res.conf");
        return made;
    }();
    return folder;
}

// Starts the program in `folder` (the run folder unless named), its console
// into `tag`.out and its error stream into `tag`.err there.
pid_t startProgram(const std::vector<std::string>& arguments, const std::string& tag,
                   const fs::path& folder = runFolder(), const char* environment = nullptr)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0)
            _exit(126);
        const int out = open((tag + ".out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open((tag + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        if (environment)
            putenv(const_cast<char*>(environment));
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

sRun finishProgram(pid_t pid, const std::string& tag, const fs::path& folder = runFolder())
{
    sRun run;
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    std::istringstream text(readAll(folder / (tag + ".out")));
    for (std::string line; std::getline(text, line);)
        run.lines.push_back(line);
    run.errors = readAll(folder / (tag + ".err"));
    return run;
}

sRun runProgram(const std::vector<std::string>& arguments, const std::string& tag,
                const fs::path& folder = runFolder(), const char* environment = nullptr)
{
    return finishProgram(startProgram(arguments, tag, folder, environment), tag, folder);
}

// The main capture of these tests: the whole 3 s soundtrack.
struct sMainCapture {
    sRun run;
    sDecodedVideo video;
};
const sMainCapture& mainCapture()
{
    static const sMainCapture capture = [] {
        sMainCapture made;
        made.run = runProgram({"--capture", "main.mp4", "--size", "320x180", "--fps", "30"}, "main");
        made.video = decodeVideoFile((runFolder() / "main.mp4").string());
        return made;
    }();
    return capture;
}

// The soundtrack's own samples from `first` on, channel 0, as the audio
// layer decodes them.
std::vector<float> soundtrackSamples(std::int64_t first, std::int64_t count)
{
    cSoundtrackRange range;
    EXPECT_TRUE(range.open((runFolder() / "data" / "morvelane.mp3").string()));
    range.start(first);
    std::vector<float> samples;
    range.pullTo(first + count, samples);
    return channelOf(samples, 2, 0);
}

TEST(CaptureRun, FileHoldsBothStreamsWithExactFramesAndDuration)
{
    const sMainCapture& capture = mainCapture();
    ASSERT_EQ(capture.run.exitCode, 0) << capture.run.last();
    EXPECT_EQ(capture.run.errors, "");
    EXPECT_NE(capture.run.last().find("capture: done in"), std::string::npos) << capture.run.last();
    EXPECT_NE(capture.run.last().find("main.mp4"), std::string::npos);
    EXPECT_FALSE(fs::exists(runFolder() / "main.mp4.part"));

    const sDecodedVideo& video = capture.video;
    ASSERT_TRUE(video.ok) << video.error;
    EXPECT_EQ(video.streamCount, 2);
    EXPECT_EQ(video.videoCodec, "h264");
    EXPECT_EQ(video.audioCodec, "aac");
    EXPECT_EQ(video.pixelFormat, "yuv420p");
    EXPECT_EQ(video.width, kWidth);
    EXPECT_EQ(video.height, kHeight);
    EXPECT_DOUBLE_EQ(video.frameRate, kFps);
    // To the soundtrack's end (3 s) by default: 90 frames, 3.000 s.
    EXPECT_EQ(video.frameCount, 90);
    EXPECT_NEAR(video.videoDuration, 3.0, 1e-9);
    EXPECT_NEAR(video.formatDuration, 3.0, 0.001);
    EXPECT_DOUBLE_EQ(video.firstPictureTime, 0.0);
    EXPECT_LE(video.longestKeyframeGap, 2 * kFps - 1);
    EXPECT_TRUE(video.indexAtFront);
    EXPECT_EQ(video.sampleRate, kRate);
    EXPECT_EQ(video.channels, 2);
    EXPECT_DOUBLE_EQ(video.firstSampleTime, 0.0);
    EXPECT_GE(video.samples.size() / 2, 3u * kRate);
}

TEST(CaptureRun, SoundLinesUpWithTheSoundtrackWithinAMillisecond)
{
    const sDecodedVideo& video = mainCapture().video;
    ASSERT_TRUE(video.ok) << video.error;
    const std::vector<float> reference = soundtrackSamples(0, 3 * kRate);
    const int lag = bestLag(channelOf(video.samples, 2, 0), reference, kRate / 100);
    RecordProperty("lag_samples", lag);
    EXPECT_LE(std::abs(lag), kRate / 1000) << "lag " << lag << " samples";
    // The click itself is there, loud, at 1.5 s.
    float peak = 0.0f;
    for (size_t i = kRate * 3 / 2; i < kRate * 3 / 2 + 200; ++i)
        peak = std::max(peak, std::abs(video.samples[i * 2]));
    EXPECT_GT(peak, 0.3f);
}

TEST(CaptureRun, AFillFlashCueFirstShowsInTheFrameCoveringItsNote)
{
    const sDecodedVideo& video = mainCapture().video;
    ASSERT_EQ(video.pictures.size(), 90u);
    const double before = meanLevel(video.pictures[kFlashFrame - 1]);
    const double earlier = meanLevel(video.pictures[kFlashFrame - 2]);
    const double flash = meanLevel(video.pictures[kFlashFrame]);
    RecordProperty("mean_levels", std::to_string(earlier) + " " + std::to_string(before) + " " + std::to_string(flash));
    EXPECT_LT(std::abs(before - earlier), 3.0) << "no flash before the note";
    EXPECT_GT(flash - before, 20.0) << "the flash in frame " << kFlashFrame;
}

TEST(CaptureRun, TwoCapturesOfARangeAreAlikeAndInTime)
{
    const std::vector<std::string> options = {"--size", "160x90", "--fps", "30", "--from", "1000", "--to", "0:02"};
    std::vector<std::string> first = options, second = options;
    first.insert(first.begin(), {"--capture", "first.mp4"});
    second.insert(second.begin(), {"--capture", "second.mp4"});
    ASSERT_EQ(runProgram(first, "first").exitCode, 0);
    ASSERT_EQ(runProgram(second, "second").exitCode, 0);
    const sDecodedVideo a = decodeVideoFile((runFolder() / "first.mp4").string());
    const sDecodedVideo b = decodeVideoFile((runFolder() / "second.mp4").string());
    ASSERT_TRUE(a.ok && b.ok);
    EXPECT_EQ(a.frameCount, 30);
    ASSERT_EQ(a.pictures.size(), b.pictures.size());
    for (size_t n = 0; n < a.pictures.size(); ++n)
        EXPECT_TRUE(a.pictures[n] == b.pictures[n]) << "frame " << n;
    EXPECT_TRUE(a.samples == b.samples);
    // Started at 1 s: the click is heard 0.5 s in, as the soundtrack has it.
    const int lag = bestLag(channelOf(a.samples, 2, 0), soundtrackSamples(kRate, kRate), kRate / 100);
    RecordProperty("lag_samples_from_1s", lag);
    EXPECT_LE(std::abs(lag), kRate / 1000) << "lag " << lag << " samples";
}

TEST(CaptureRun, BadOptionsStopBeforeWritingAnything)
{
    const struct {
        std::vector<std::string> arguments;
        const char* says;
    } cases[] = {
        {{"--size", "321x180"}, "--size 321x180 is not even"},
        {{"--size", "65534x65534"}, "exceeds what the renderer can draw"},
        {{"--fps", "0"}, "bad value \"0\" for --fps"},
        {{"--from", "0:04"}, "--from 0:04.000 is past the soundtrack's end at 0:03.000"},
        {{"--from", "2000", "--to", "1000"}, "--from 0:02.000 is not before --to 0:01.000"},
        {{"--frames", "3"}, "unknown option \"--frames\""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {"--capture", "bad.mp4"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const sRun run = runProgram(arguments, "bad");
        EXPECT_EQ(run.exitCode, 2) << c.says;
        EXPECT_NE(run.last().find(c.says), std::string::npos) << run.last();
        EXPECT_EQ(run.errors, "");
        EXPECT_FALSE(fs::exists(runFolder() / "bad.mp4")) << c.says;
        EXPECT_FALSE(fs::exists(runFolder() / "bad.mp4.part")) << c.says;
    }
    const sRun run = runProgram({"--capture", "no/such/folder/bad.mp4", "--size", "320x180"}, "bad");
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.last().find("cannot write the capture to \"no/such/folder/bad.mp4\": no folder"), std::string::npos)
        << run.last();
}

TEST(CaptureRun, WithoutASoundtrackTheAudioTrackIsSilent)
{
    const sRun noEnd = runProgram({"--capture", "silent.mp4", "--size", "160x90"}, "silent", silentFolder());
    EXPECT_EQ(noEnd.exitCode, 2);
    EXPECT_EQ(noEnd.last(), "strobewerk: no soundtrack tells where the song ends: give --to");

    const sRun run =
        runProgram({"--capture", "silent.mp4", "--size", "160x90", "--fps", "30", "--to", "1000"}, "silent", silentFolder());
    ASSERT_EQ(run.exitCode, 0) << run.last();
    size_t said = 0;
    for (const std::string& line : run.lines)
        said += line.find("no soundtrack") != std::string::npos;
    EXPECT_EQ(said, 1u);
    const sDecodedVideo video = decodeVideoFile((silentFolder() / "silent.mp4").string(), false);
    ASSERT_TRUE(video.ok) << video.error;
    EXPECT_EQ(video.streamCount, 2);
    EXPECT_EQ(video.frameCount, 30);
    EXPECT_GE(video.samples.size(), 2u * kRate);
    EXPECT_TRUE(std::all_of(video.samples.begin(), video.samples.end(), [](float v) { return v == 0.0f; }));
}

TEST(CaptureRun, WhereEglCannotServeItRunsItselfUnderAVirtualXServer)
{
    if (system("command -v xvfb-run >/dev/null") != 0)
        GTEST_SKIP() << "no xvfb-run";
    // No EGL vendor library: the offscreen video cannot make a context.
    const sRun run = runProgram({"--capture", "xvfb.mp4", "--size", "160x90", "--fps", "10", "--to", "1000"}, "xvfb",
                                runFolder(), "__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent/vendor.json");
    ASSERT_EQ(run.exitCode, 0) << run.last();
    bool rerun = false;
    for (const std::string& line : run.lines)
        rerun = rerun || line.find("running under a virtual X server") != std::string::npos;
    EXPECT_TRUE(rerun);
    EXPECT_EQ(run.errors, "");
    const sDecodedVideo video = decodeVideoFile((runFolder() / "xvfb.mp4").string(), false);
    ASSERT_TRUE(video.ok) << video.error;
    EXPECT_EQ(video.frameCount, 10);
}

TEST(CaptureRun, InterruptedCaptureIsFinishedIntoAPlayableFile)
{
    // A minute past a 3 s soundtrack: the rest is silent, and Ctrl-C comes
    // long before the end.
    const pid_t pid = startProgram({"--capture", "cut.mp4", "--size", "320x180", "--fps", "30", "--to", "60000"}, "cut");
    const fs::path out = runFolder() / "cut.out";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (readAll(out).find("capture: expecting about") == std::string::npos
           && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    kill(pid, SIGINT);
    const sRun run = finishProgram(pid, "cut");
    EXPECT_EQ(run.exitCode, 128 + SIGINT);
    EXPECT_NE(run.last().find("capture: stopped early at song time"), std::string::npos) << run.last();
    EXPECT_NE(run.last().find("the video is cut.mp4"), std::string::npos) << run.last();
    EXPECT_FALSE(fs::exists(runFolder() / "cut.mp4.part"));

    const sDecodedVideo video = decodeVideoFile((runFolder() / "cut.mp4").string(), false);
    ASSERT_TRUE(video.ok) << video.error;
    EXPECT_GT(video.frameCount, 0);
    EXPECT_LT(video.frameCount, 1800);
    EXPECT_NEAR(video.videoDuration, static_cast<double>(video.frameCount) / kFps, 1e-9);
    // The sound ends with the pictures (to within one AAC block).
    EXPECT_NEAR(static_cast<double>(video.samples.size() / 2) / kRate, video.videoDuration, 1024.0 / kRate + 0.002);
    // The line names the song time of the first frame left out.
    const std::int32_t stoppedAt = fixedStepTime(0, kFps, video.frameCount);
    EXPECT_NE(run.last().find(formatSongTime(stoppedAt)), std::string::npos) << run.last();
}

// The show's frames at the capture's song times, drawn in this process
// straight at each of the three times, against the decoded frames.
TEST(CaptureRun, DecodedFramesMatchTheLivePathDrawnDirectly)
{
    const sDecodedVideo& video = mainCapture().video;
    ASSERT_EQ(video.pictures.size(), 90u);

    const fs::path previous = fs::current_path();
    fs::current_path(runFolder());
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    ASSERT_NE(SDL_SetVideoMode(kWidth, kHeight, 32, SDL_OPENGL), nullptr) << SDL_GetError();
    const GLenum glew = glewInit();
    ASSERT_TRUE(captureGlUsable(glew, GLEW_VERSION_2_0, GLEW_EXT_framebuffer_object));
    onResize(kWidth, kHeight);
    setUpShow("data/mvl.txt");

    for (int n : {89, 15, kFlashFrame}) {
        drawShowFrame(fixedStepTime(0, kFps, n));
        std::vector<std::uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3), top(rgb.size());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        const size_t row = static_cast<size_t>(kWidth) * 3;
        for (int y = 0; y < kHeight; ++y)
            std::copy_n(&rgb[static_cast<size_t>(kHeight - 1 - y) * row], row, &top[static_cast<size_t>(y) * row]);
        const double db = psnr(video.pictures[static_cast<size_t>(n)], top);
        RecordProperty("psnr_frame_" + std::to_string(n), std::to_string(db));
        EXPECT_GE(db, 35.0) << "frame " << n;
    }
    SDL_Quit();
    fs::current_path(previous);
}

} // namespace
