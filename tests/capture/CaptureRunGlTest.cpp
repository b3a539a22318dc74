// Whole captures made by the program as a user makes them, in a folder of
// the production's data with a short test soundtrack (a click at 1.5 s)
// and a note list of one fill flash at 2.01 s, read back with the FFmpeg
// libraries: the file's streams, frame count and duration; the sound
// against the soundtrack's own samples; the cue's first frame; two
// captures of one range alike; the option errors; an interrupted capture;
// and the frames against the live path drawn directly in this process;
// lossless frames and their sound, the other containers, the output owned
// against other captures and things not its own, and a capture split into
// parts (by the program itself and by GNU parallel) and joined.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <SDL.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
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
constexpr int videoFps = 30;
constexpr int videoWidth = 320;
constexpr int videoHeight = 180;
constexpr int audioRate = 44100;
// The fill flash of the test note list, and the first frame at or past it.
constexpr int flashMs = 2010;
constexpr int flashFrame = 61; // 2033 ms; frame 60 is at 2000 ms

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
        std::ofstream(made / "data" / "mvl.txt") << "5\n0\n1\nn " << flashMs << " 0\n0\n0\n0\n";
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

// A WAV's 16-bit samples (after its 44-byte header) and its format.
struct sWav {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::vector<std::int16_t> samples;
};
sWav readWav(const fs::path& path)
{
    const std::string bytes = readAll(path);
    sWav wav;
    if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(36, 4, "data") != 0)
        return wav;
    auto word = [&bytes](size_t at, int size) {
        std::uint32_t value = 0;
        for (int i = size - 1; i >= 0; --i)
            value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
        return value;
    };
    wav.channels = static_cast<int>(word(22, 2));
    wav.rate = static_cast<int>(word(24, 4));
    wav.bits = static_cast<int>(word(34, 2));
    wav.samples.resize(word(40, 4) / 2);
    std::copy_n(bytes.data() + 44, std::min(bytes.size() - 44, wav.samples.size() * 2),
                reinterpret_cast<char*>(wav.samples.data()));
    return wav;
}

// The soundtrack's channel 0 from `first` on, as 16-bit samples.
std::vector<std::int16_t> soundtrack16(std::int64_t first, std::int64_t count)
{
    std::vector<std::int16_t> out;
    for (float v : soundtrackSamples(first, count))
        out.push_back(static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f)));
    return out;
}

// The whole 3 s again as an image sequence, for the lossless checks.
const sRun& sequenceCapture()
{
    static const sRun run =
        runProgram({"--capture", "seq/f%05d.png", "--size", "320x180", "--fps", "30"}, "sequence");
    return run;
}

bool said(const sRun& run, const std::string& text)
{
    return std::any_of(run.lines.begin(), run.lines.end(),
                       [&text](const std::string& line) { return line.find(text) != std::string::npos; });
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
    EXPECT_EQ(video.width, videoWidth);
    EXPECT_EQ(video.height, videoHeight);
    EXPECT_DOUBLE_EQ(video.frameRate, videoFps);
    // To the soundtrack's end (3 s) by default: 90 frames, 3.000 s.
    EXPECT_EQ(video.frameCount, 90);
    EXPECT_NEAR(video.videoDuration, 3.0, 1e-9);
    EXPECT_NEAR(video.formatDuration, 3.0, 0.001);
    EXPECT_DOUBLE_EQ(video.firstPictureTime, 0.0);
    EXPECT_LE(video.longestKeyframeGap, 2 * videoFps - 1);
    EXPECT_TRUE(video.indexAtFront);
    EXPECT_EQ(video.sampleRate, audioRate);
    EXPECT_EQ(video.channels, 2);
    EXPECT_DOUBLE_EQ(video.firstSampleTime, 0.0);
    EXPECT_GE(video.samples.size() / 2, 3u * audioRate);
}

TEST(CaptureRun, SoundLinesUpWithTheSoundtrackWithinAMillisecond)
{
    const sDecodedVideo& video = mainCapture().video;
    ASSERT_TRUE(video.ok) << video.error;
    const std::vector<float> reference = soundtrackSamples(0, 3 * audioRate);
    const int lag = bestLag(channelOf(video.samples, 2, 0), reference, audioRate / 100);
    RecordProperty("lag_samples", lag);
    EXPECT_LE(std::abs(lag), audioRate / 1000) << "lag " << lag << " samples";
    // The click itself is there, loud, at 1.5 s.
    float peak = 0.0f;
    for (size_t i = audioRate * 3 / 2; i < audioRate * 3 / 2 + 200; ++i)
        peak = std::max(peak, std::abs(video.samples[i * 2]));
    EXPECT_GT(peak, 0.3f);
}

TEST(CaptureRun, AFillFlashCueFirstShowsInTheFrameCoveringItsNote)
{
    const sDecodedVideo& video = mainCapture().video;
    ASSERT_EQ(video.pictures.size(), 90u);
    const double before = meanLevel(video.pictures[flashFrame - 1]);
    const double earlier = meanLevel(video.pictures[flashFrame - 2]);
    const double flash = meanLevel(video.pictures[flashFrame]);
    RecordProperty("mean_levels", std::to_string(earlier) + " " + std::to_string(before) + " " + std::to_string(flash));
    EXPECT_LT(std::abs(before - earlier), 3.0) << "no flash before the note";
    EXPECT_GT(flash - before, 20.0) << "the flash in frame " << flashFrame;
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
    const int lag = bestLag(channelOf(a.samples, 2, 0), soundtrackSamples(audioRate, audioRate), audioRate / 100);
    RecordProperty("lag_samples_from_1s", lag);
    EXPECT_LE(std::abs(lag), audioRate / 1000) << "lag " << lag << " samples";
}

TEST(CaptureRun, BadOptionsStopBeforeWritingAnything)
{
    const struct {
        std::vector<std::string> arguments;
        const char* says;
    } cases[] = {
        {{"--size", "321x180"}, "--size 321x180 is not even"},
        {{"--size", "16384x16384"}, "16384x16384 is more than H.264 video takes"},
        {{"--size", "7680x4320", "--fps", "200"}, "200 frames a second at 7680x4320 are more than H.264"},
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
    // Names of no format, and what only a video file can do.
    const struct {
        std::vector<std::string> arguments;
        const char* says;
    } names[] = {
        {{"--capture", "bad.avi"}, "the name gives the format"},
        {{"--capture", "bad%05d.png"}, "a folder of its own"},
        {{"--capture", "badseq/f%05d.png", "--jobs", "2"}, "not an image sequence"},
    };
    for (const auto& c : names) {
        const sRun refused = runProgram(c.arguments, "bad");
        EXPECT_EQ(refused.exitCode, 2) << c.says;
        EXPECT_NE(refused.last().find(c.says), std::string::npos) << refused.last();
    }
    EXPECT_FALSE(fs::exists(runFolder() / "bad.avi"));
    EXPECT_FALSE(fs::exists(runFolder() / "badseq"));
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
    EXPECT_GE(video.samples.size(), 2u * audioRate);
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
    // A minute without a soundtrack (a --to past a soundtrack's end stops
    // there): the audio track is silent, and Ctrl-C comes long before the
    // end.
    const fs::path folder = silentFolder();
    const pid_t pid =
        startProgram({"--capture", "cut.mp4", "--size", "320x180", "--fps", "30", "--to", "60000"}, "cut", folder);
    const fs::path out = folder / "cut.out";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (readAll(out).find("capture: expecting about") == std::string::npos
           && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    kill(pid, SIGINT);
    const sRun run = finishProgram(pid, "cut", folder);
    EXPECT_EQ(run.exitCode, 128 + SIGINT);
    EXPECT_NE(run.last().find("capture: stopped early at song time"), std::string::npos) << run.last();
    EXPECT_NE(run.last().find("the video is cut.mp4"), std::string::npos) << run.last();
    EXPECT_FALSE(fs::exists(folder / "cut.mp4.part"));

    const sDecodedVideo video = decodeVideoFile((folder / "cut.mp4").string(), false);
    ASSERT_TRUE(video.ok) << video.error;
    EXPECT_GT(video.frameCount, 0);
    EXPECT_LT(video.frameCount, 1800);
    EXPECT_NEAR(video.videoDuration, static_cast<double>(video.frameCount) / videoFps, 1e-9);
    // The sound ends with the pictures (to within one AAC block).
    EXPECT_NEAR(static_cast<double>(video.samples.size() / 2) / audioRate, video.videoDuration,
                1024.0 / audioRate + 0.002);
    // The line names the song time of the first frame left out.
    const std::int32_t stoppedAt = fixedStepTime(0, videoFps, video.frameCount);
    EXPECT_NE(run.last().find(formatSongTime(stoppedAt)), std::string::npos) << run.last();
}

TEST(CaptureRun, AnImageSequenceHoldsEveryFrameAndTheRangesSoundSampleForSample)
{
    const sRun& run = sequenceCapture();
    ASSERT_EQ(run.exitCode, 0) << run.last();
    EXPECT_EQ(run.last().find("capture: done in"), 0u) << run.last();
    EXPECT_NE(run.last().find("the frames and f.wav are in seq"), std::string::npos) << run.last();
    EXPECT_EQ(run.errors, "");
    EXPECT_FALSE(fs::exists(runFolder() / "seq.part"));
    std::vector<std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(runFolder() / "seq"))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    ASSERT_EQ(files.size(), 91u);
    EXPECT_EQ(files.front(), "f.wav");
    EXPECT_EQ(files[1], "f00000.png");
    EXPECT_EQ(files.back(), "f00089.png");
    const sWav wav = readWav(runFolder() / "seq" / "f.wav");
    EXPECT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.rate, audioRate);
    EXPECT_EQ(wav.bits, 16);
    ASSERT_EQ(wav.samples.size(), 2u * 3 * audioRate);
    std::vector<std::int16_t> left;
    for (size_t i = 0; i < wav.samples.size(); i += 2)
        left.push_back(wav.samples[i]);
    EXPECT_TRUE(left == soundtrack16(0, 3 * audioRate)) << "the sound from 0";

    // From 1 s: the frames numbered from 0 and the sound from that sample.
    const sRun later = runProgram({"--capture", "later/g%02d.png", "--size", "160x90", "--fps", "30", "--from", "1000",
                                   "--to", "1100"},
                                  "later");
    ASSERT_EQ(later.exitCode, 0) << later.last();
    EXPECT_TRUE(fs::exists(runFolder() / "later" / "g00.png"));
    EXPECT_TRUE(fs::exists(runFolder() / "later" / "g02.png"));
    EXPECT_FALSE(fs::exists(runFolder() / "later" / "g03.png"));
    const sWav part = readWav(runFolder() / "later" / "g.wav");
    ASSERT_EQ(part.samples.size(), 2u * audioRate / 10);
    left.clear();
    for (size_t i = 0; i < part.samples.size(); i += 2)
        left.push_back(part.samples[i]);
    EXPECT_TRUE(left == soundtrack16(audioRate, audioRate / 10)) << "the sound from 1 s";
}

TEST(CaptureRun, MovAndMkvHoldTheSameStreamsInTheirContainers)
{
    for (const char* name : {"other.mov", "other.mkv"}) {
        const sRun run = runProgram({"--capture", name, "--size", "160x90", "--fps", "30", "--to", "1000"}, "other");
        ASSERT_EQ(run.exitCode, 0) << run.last();
        const sDecodedVideo video = decodeVideoFile((runFolder() / name).string(), false);
        ASSERT_TRUE(video.ok) << name << ": " << video.error;
        EXPECT_EQ(video.videoCodec, "h264") << name;
        EXPECT_EQ(video.audioCodec, "aac") << name;
        EXPECT_EQ(video.frameCount, 30) << name;
        EXPECT_GE(video.samples.size(), 2u * audioRate) << name;
    }
    // Each in its own container, whatever the name says.
    EXPECT_EQ(readAll(runFolder() / "other.mkv").compare(0, 4, "\x1a\x45\xdf\xa3"), 0);
    EXPECT_EQ(readAll(runFolder() / "other.mov").compare(4, 8, "ftypqt  "), 0);
}

TEST(CaptureRun, ACaptureWritesOnlyWhatIsItsOwn)
{
    const fs::path folder = runFolder();
    // Not regular files: refused, and left as they are.
    ASSERT_EQ(mkfifo((folder / "fifo.mp4").c_str(), 0644), 0);
    fs::create_symlink("/dev/null", folder / "null.mp4");
    for (const char* name : {"fifo.mp4", "null.mp4"}) {
        const sRun run = runProgram({"--capture", name, "--size", "160x90"}, "own");
        EXPECT_EQ(run.exitCode, 2) << name;
        EXPECT_EQ(run.last(), "strobewerk: cannot write the capture to \"" + std::string(name)
                                  + "\": it is not a regular file");
    }
    EXPECT_TRUE(fs::is_fifo(folder / "fifo.mp4"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));

    // A second capture into a file that one is writing stops at once and
    // touches nothing of the first's; the terminal closing (SIGHUP) ends
    // the first as SIGTERM does, with a playable file.
    // (Without a soundtrack, so that --to can go a minute on.)
    const fs::path silent = silentFolder();
    const pid_t first = startProgram({"--capture", "busy.mp4", "--size", "160x90", "--fps", "30", "--to", "60000"},
                                     "busy", silent);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (readAll(silent / "busy.out").find("capture: expecting about") == std::string::npos
           && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const sRun second = runProgram({"--capture", "busy.mp4", "--size", "160x90", "--from", "1000", "--to", "2000"},
                                   "second", silent);
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_EQ(second.last(), "strobewerk: another capture is writing \"busy.mp4\" (busy.mp4.part is in use)");
    EXPECT_FALSE(said(second, "capture: done"));
    kill(first, SIGHUP);
    const sRun hungUp = finishProgram(first, "busy", silent);
    EXPECT_EQ(hungUp.exitCode, 128 + SIGHUP);
    EXPECT_NE(hungUp.last().find("stopped early"), std::string::npos) << hungUp.last();
    EXPECT_FALSE(fs::exists(silent / "busy.mp4.part"));
    const sDecodedVideo video = decodeVideoFile((silent / "busy.mp4").string(), false);
    ASSERT_TRUE(video.ok) << video.error;
    EXPECT_GT(video.frameCount, 0);

    // A .part left by a killed capture: named first, and replaced.
    std::ofstream(folder / "stale.mp4.part") << "half a file";
    const sRun stale = runProgram({"--capture", "stale.mp4", "--size", "160x90", "--to", "500"}, "stale");
    ASSERT_EQ(stale.exitCode, 0) << stale.last();
    const auto firstCaptureLine = std::find_if(stale.lines.begin(), stale.lines.end(),
                                               [](const std::string& line) { return line.rfind("capture:", 0) == 0; });
    ASSERT_NE(firstCaptureLine, stale.lines.end());
    EXPECT_EQ(*firstCaptureLine, "capture: stale.mp4.part was left by a capture that did not finish; replacing it");
    EXPECT_TRUE(decodeVideoFile((folder / "stale.mp4").string(), false).ok);

    // Without its data folder a capture says so, as live play does.
    const fs::path bare = folder / "bare";
    fs::create_directories(bare);
    const sRun noData = runProgram({"--capture", "x.mp4", "--size", "160x90", "--to", "500"}, "bare", bare);
    EXPECT_TRUE(said(noData, "data folder missing: looked for " + bare.string() + "/data")) << noData.last();
}

// The range in parts: by the program itself, and by GNU parallel with a
// join. Until a frame depends on its song time alone, a part after the
// first shows other pictures than a whole capture; the frames, their
// times, the keyframes and the sound must be the whole capture's.
TEST(CaptureRun, ASplitCaptureHasTheRangesFramesAndSamplesWithNothingAtTheJoins)
{
    const std::vector<std::string> options = {"--size", "160x90", "--fps", "30"};
    auto with = [&options](std::vector<std::string> more) {
        more.insert(more.end(), options.begin(), options.end());
        return more;
    };
    ASSERT_EQ(runProgram(with({"--capture", "whole.mp4"}), "whole").exitCode, 0);
    const sRun split = runProgram(with({"--capture", "split.mp4", "--jobs", "2"}), "split");
    ASSERT_EQ(split.exitCode, 0) << split.last();
    EXPECT_NE(split.last().find("90 frames from 2 parts; the video is split.mp4"), std::string::npos) << split.last();
    EXPECT_EQ(split.errors, "");
    EXPECT_FALSE(fs::exists(runFolder() / "split-part1of2.mp4"));
    EXPECT_FALSE(fs::exists(runFolder() / "split.mp4.part"));

    const sDecodedVideo whole = decodeVideoFile((runFolder() / "whole.mp4").string());
    const sDecodedVideo joined = decodeVideoFile((runFolder() / "split.mp4").string());
    ASSERT_TRUE(whole.ok && joined.ok) << joined.error;
    ASSERT_EQ(joined.frameCount, 90);
    EXPECT_TRUE(joined.indexAtFront);
    for (size_t n = 0; n < joined.pictureTimes.size(); ++n)
        ASSERT_NEAR(joined.pictureTimes[n], n / double(videoFps), 1e-9) << "picture " << n;
    EXPECT_EQ(joined.keyframes, (std::vector<std::int64_t>{0, 60}));
    EXPECT_EQ(joined.keyframes, whole.keyframes);
    // The sound encoded once, as a whole capture's: the same samples.
    EXPECT_TRUE(joined.samples == whole.samples);
    // Each part starts at the show's exact state: no jump at the join. The
    // second part's pictures went through an encoder of their own, which
    // rounds them a little otherwise (a frame of another state reads about
    // 15 dB).
    for (size_t n = 0; n < 90; ++n)
        EXPECT_GE(psnr(joined.pictures[n], whole.pictures[n]), n < 60 ? 40.0 : 35.0) << "frame " << n;

    // Parts rendered by GNU parallel (here on local slots) and joined.
    if (system("command -v parallel >/dev/null") != 0)
        GTEST_SKIP() << "no GNU parallel";
    const std::string parts = "cd " + runFolder().string() + " && parallel -j2 --halt now,fail=1 " + program
                              + " --capture par.mp4 --size 160x90 --fps 30 --part {}/2 ::: 1 2 >parallel.out 2>&1";
    ASSERT_EQ(system(parts.c_str()), 0) << readAll(runFolder() / "parallel.out");
    // A join of another range's parts is refused, and keeps them.
    const sRun other = runProgram(with({"--capture", "par.mp4", "--to", "2900", "--join", "2"}), "join");
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_NE(other.last().find("par-part1of2.mp4: is not strobewerk capture part 1 of 2: frames 0 to 60 of "
                                "0:00.000 to 0:02.900"),
              std::string::npos)
        << other.last();
    EXPECT_FALSE(fs::exists(runFolder() / "par.mp4"));
    const sRun join = runProgram(with({"--capture", "par.mp4", "--join", "2"}), "join");
    ASSERT_EQ(join.exitCode, 0) << join.last();
    const sDecodedVideo distributed = decodeVideoFile((runFolder() / "par.mp4").string(), false);
    ASSERT_TRUE(distributed.ok) << distributed.error;
    EXPECT_EQ(distributed.frameCount, 90);
    EXPECT_TRUE(distributed.samples == whole.samples);
}

// The show's frames at the capture's song times, drawn in this process
// straight at each of the three times, against the decoded frames.
TEST(CaptureRun, DecodedFramesMatchTheLivePathDrawnDirectly)
{
    const sDecodedVideo& video = mainCapture().video;
    ASSERT_EQ(video.pictures.size(), 90u);
    ASSERT_EQ(sequenceCapture().exitCode, 0) << sequenceCapture().last();

    const fs::path previous = fs::current_path();
    fs::current_path(runFolder());
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    requestShowSurface();
    ASSERT_NE(SDL_SetVideoMode(videoWidth, videoHeight, 32, SDL_OPENGL), nullptr) << SDL_GetError();
    const GLenum glew = glewInit();
    ASSERT_TRUE(captureGlUsable(glew, GLEW_VERSION_2_0, GLEW_EXT_framebuffer_object));
    onResize(videoWidth, videoHeight);
    setUpShow("data/mvl.txt");

    for (int n : {89, 15, flashFrame}) {
        drawShowFrame(fixedStepTime(0, videoFps, n));
        std::vector<std::uint8_t> rgb(static_cast<size_t>(videoWidth) * videoHeight * 3), top(rgb.size());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, videoWidth, videoHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        const size_t row = static_cast<size_t>(videoWidth) * 3;
        for (int y = 0; y < videoHeight; ++y)
            std::copy_n(&rgb[static_cast<size_t>(videoHeight - 1 - y) * row], row, &top[static_cast<size_t>(y) * row]);
        const double db = psnr(video.pictures[static_cast<size_t>(n)], top);
        RecordProperty("psnr_frame_" + std::to_string(n), std::to_string(db));
        EXPECT_GE(db, 35.0) << "frame " << n;
        // The image sequence's frame is the very picture.
        int width = 0, height = 0;
        const std::vector<std::uint8_t> png =
            decodeImageFile((runFolder() / "seq" / ("f000" + std::string(n < 10 ? "0" : "") + std::to_string(n) + ".png")).string(),
                            width, height);
        EXPECT_EQ(width, videoWidth);
        EXPECT_TRUE(png == top) << "PNG frame " << n << " differs from the frame drawn (PSNR " << psnr(png, top) << ")";
    }
    SDL_Quit();
    fs::current_path(previous);
}

// A capture shows the picture the window shows: its frame at a song time
// with seed boxes against the window's frame kept for the fidelity tool.
// (An offscreen surface left with a 16-bit depth buffer showed the boxes'
// back faces through their fronts: 28 dB.)
TEST(CaptureRun, ACapturedFrameIsTheFrameTheWindowShows)
{
    const fs::path folder = runFolder() / "production";
    fs::create_directories(folder);
    fs::create_symlink(repository / "data", folder / "data");
    fs::copy_file(repository / "res.conf", folder / "res.conf");
    const sRun run = runProgram({"--capture", "frame/f%05d.png", "--size", "800x600", "--from", "33000", "--to", "33010"},
                                "window", folder);
    ASSERT_EQ(run.exitCode, 0) << run.last();
    int width = 0, height = 0, windowWidth = 0, windowHeight = 0;
    const std::vector<std::uint8_t> captured = decodeImageFile((folder / "frame" / "f00000.png").string(), width, height);
    const std::vector<std::uint8_t> shown = decodeImageFile(
        (repository / "tools" / "fidelity" / "reference" / "frame33000-800x600.png").string(), windowWidth, windowHeight);
    ASSERT_EQ(width, 800);
    ASSERT_EQ(windowWidth, 800);
    EXPECT_GE(psnr(captured, shown), 40.0);
}


// Fault 1: a split capture claims its parts' names as it claims its output:
// parts that are there (rendered elsewhere, or kept for a --join) are
// refused before anything renders and left as they are; it removes only
// the parts it wrote.
TEST(CaptureRun, ASplitCaptureNeverWritesOverPartsThatAreNotItsOwn)
{
    const fs::path folder = runFolder();
    const std::vector<std::string> options = {"--capture", "claim.mp4", "--size", "160x90", "--fps", "30",
                                              "--jobs", "2"};
    std::ofstream(folder / "claim-part1of2.mp4") << "rendered elsewhere, an hour's work";
    std::ofstream(folder / "claim-part2of2.mp4") << "rendered elsewhere too";
    const sRun refused = runProgram(options, "claim");
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.last(), "strobewerk: cannot render the capture into \"claim.mp4\" in 2 parts: "
                              "claim-part1of2.mp4 exists and is not this capture's (join it with --join 2, or move "
                              "it away)");
    EXPECT_EQ(readAll(folder / "claim-part1of2.mp4"), "rendered elsewhere, an hour's work");
    EXPECT_EQ(readAll(folder / "claim-part2of2.mp4"), "rendered elsewhere too");
    EXPECT_FALSE(fs::exists(folder / "claim.mp4"));
    EXPECT_FALSE(fs::exists(folder / "claim.mp4.part"));
    // One part there is enough to refuse.
    fs::remove(folder / "claim-part1of2.mp4");
    EXPECT_EQ(runProgram(options, "claim").exitCode, 2);
    EXPECT_EQ(readAll(folder / "claim-part2of2.mp4"), "rendered elsewhere too");
    fs::remove(folder / "claim-part2of2.mp4");
    const sRun made = runProgram(options, "claim");
    ASSERT_EQ(made.exitCode, 0) << made.last();
    EXPECT_FALSE(fs::exists(folder / "claim-part1of2.mp4"));
    EXPECT_FALSE(fs::exists(folder / "claim-part2of2.mp4"));
}

// Faults 5 and 6: a join checks what it joins. A part with damaged bytes
// does not decode whole and is refused; a part of another performance
// (another recording's content, or none) is refused, whatever the file's
// name; a refused join exits 1 and keeps the parts.
TEST(CaptureRun, AJoinRefusesADamagedPartAndPartsOfAnotherPerformance)
{
    const fs::path folder = runFolder();
    std::ofstream(folder / "perf.txt") << "strobewerk input 1\n30 0 0 0 0 768 0\n80 0 0 30000 0 0 0\n";
    // The same performance under another name, edited on Windows.
    std::ofstream(folder / "perf-copy.txt") << "strobewerk input 1\r\n30 0 0 0 0 768 0\r\n80 0 0 30000 0 0 0\r\n";
    const std::vector<std::string> options = {"--capture", "jn.mp4", "--size", "160x90", "--fps", "30"};
    auto with = [&options](std::vector<std::string> more) {
        more.insert(more.begin(), options.begin(), options.end());
        return more;
    };
    ASSERT_EQ(runProgram(with({"--part", "1/2", "--replay-input", "perf.txt"}), "jn1").exitCode, 0);
    ASSERT_EQ(runProgram(with({"--part", "2/2"}), "jn2").exitCode, 0);
    const std::string part1 = readAll(folder / "jn-part1of2.mp4");
    const std::string part2 = readAll(folder / "jn-part2of2.mp4");

    // Part 2 played without the recording: another show.
    const sRun mixed = runProgram(with({"--join", "2", "--replay-input", "perf.txt"}), "jnjoin");
    EXPECT_EQ(mixed.exitCode, 1);
    EXPECT_NE(mixed.last().find("jn-part2of2.mp4: is not strobewerk capture part 2 of 2"), std::string::npos)
        << mixed.last();
    EXPECT_NE(mixed.last().find("(it is "), std::string::npos) << mixed.last();
    EXPECT_NE(mixed.last().find("no recorded input)"), std::string::npos) << mixed.last();
    EXPECT_NE(mixed.last().find("the parts are kept"), std::string::npos) << mixed.last();
    EXPECT_FALSE(fs::exists(folder / "jn.mp4"));
    EXPECT_EQ(readAll(folder / "jn-part1of2.mp4"), part1);
    EXPECT_EQ(readAll(folder / "jn-part2of2.mp4"), part2);
    // Nor without it: part 1 is of the recording.
    const sRun mixed2 = runProgram(with({"--join", "2"}), "jnjoin");
    EXPECT_EQ(mixed2.exitCode, 1);
    EXPECT_NE(mixed2.last().find("jn-part1of2.mp4: is not strobewerk capture part 1 of 2"), std::string::npos)
        << mixed2.last();

    // Both parts of the same performance: joined, whatever the file's name.
    ASSERT_EQ(runProgram(with({"--part", "2/2", "--replay-input", "perf-copy.txt"}), "jn2").exitCode, 0);
    const std::string sameShow = readAll(folder / "jn-part2of2.mp4");

    // 5000 random bytes in the middle of part 1.
    std::string damaged = part1;
    std::mt19937 random(27);
    const std::size_t at = damaged.size() / 2 - 2500;
    ASSERT_GT(damaged.size(), 6000u);
    for (std::size_t i = 0; i < 5000; ++i)
        damaged[at + i] = static_cast<char>(random());
    std::ofstream(folder / "jn-part1of2.mp4", std::ios::binary) << damaged;
    const sRun broken = runProgram(with({"--join", "2", "--replay-input", "perf.txt"}), "jnjoin");
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_NE(broken.last().find("jn-part1of2.mp4: is damaged"), std::string::npos) << broken.last();
    EXPECT_FALSE(said(broken, "capture: done"));
    EXPECT_FALSE(fs::exists(folder / "jn.mp4"));
    EXPECT_EQ(readAll(folder / "jn-part1of2.mp4"), damaged);
    EXPECT_EQ(readAll(folder / "jn-part2of2.mp4"), sameShow);
    EXPECT_EQ(broken.errors, "");

    std::ofstream(folder / "jn-part1of2.mp4", std::ios::binary) << part1;
    const sRun joined = runProgram(with({"--join", "2", "--replay-input", "perf-copy.txt"}), "jnjoin");
    ASSERT_EQ(joined.exitCode, 0) << joined.last();
    const sDecodedVideo video = decodeVideoFile((folder / "jn.mp4").string(), false);
    ASSERT_TRUE(video.ok) << video.error;
    EXPECT_EQ(video.frameCount, 90);
}

// Fault 8: when one process of a split capture dies, the finished parts are
// kept for a --join, the dead part's unfinished file goes, and the line says
// which part failed and why, in its own words.
TEST(CaptureRun, ADeadPartKeepsTheFinishedOnes)
{
    // Without a soundtrack: 8 s at 30 fps, two parts of 120 frames.
    const fs::path folder = silentFolder();
    const std::vector<std::string> options = {"--capture", "dead.mp4", "--size", "160x90", "--fps", "30",
                                              "--to", "8000"};
    auto with = [&options](std::vector<std::string> more) {
        more.insert(more.begin(), options.begin(), options.end());
        return more;
    };
    const pid_t pid = startProgram(with({"--jobs", "2"}), "dead", folder);
    // Part 2's process, once it has claimed its file: killed.
    pid_t second = -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (second < 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!fs::exists(folder / "dead-part2of2.mp4.part"))
            continue;
        std::istringstream children(readAll("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid)
                                            + "/children"));
        for (pid_t child = 0; children >> child;)
            if (readAll("/proc/" + std::to_string(child) + "/cmdline").find("2/2") != std::string::npos)
                second = child;
    }
    ASSERT_GT(second, 0);
    kill(second, SIGKILL);
    const sRun run = finishProgram(pid, "dead", folder);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.last(), "capture failed: part 2 of 2 was killed by signal 9 (Killed); the finished parts are kept "
                          "(dead-part1of2.mp4): render --part 2/2 again, then join them with --join 2");
    EXPECT_EQ(std::count_if(run.lines.begin(), run.lines.end(),
                            [](const std::string& line) { return line.find("nothing written") != std::string::npos; }),
              0);
    EXPECT_TRUE(fs::exists(folder / "dead-part1of2.mp4"));
    EXPECT_FALSE(fs::exists(folder / "dead-part2of2.mp4.part"));
    EXPECT_FALSE(fs::exists(folder / "dead-part2of2.mp4"));
    EXPECT_FALSE(fs::exists(folder / "dead.mp4"));
    EXPECT_FALSE(fs::exists(folder / "dead.mp4.part"));
    // As the line says: the dead part again, and the join.
    ASSERT_EQ(runProgram(with({"--part", "2/2"}), "dead2", folder).exitCode, 0);
    const sRun join = runProgram(with({"--join", "2"}), "deadjoin", folder);
    ASSERT_EQ(join.exitCode, 0) << join.last();
    EXPECT_EQ(decodeVideoFile((folder / "dead.mp4").string(), false).frameCount, 240);
}

} // namespace
