// The audio layer driven without a device: the test pulls the samples the
// output would take (cAudioSystem::mix), so positions and spectra are exact.
#include "strobewerk/audio/AudioChannel.h"
#include "strobewerk/audio/AudioSound.h"
#include "strobewerk/audio/AudioSystem.h"
#include "strobewerk/audio/Soundtrack.h"

#include "TempFolder.h"
#include "vorn/ConsoleLog.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string dataDir = TEST_DATA_DIR;
const std::string toneFile = dataDir + "/tone_l40_r80.mp3";   // 1 s; left bin 40, right bin 80, 0.5
const std::string clickFile = dataDir + "/click_1500ms.mp3";  // 3 s mono; click at 1500 ms
const std::string silentFile = dataDir + "/silence.mp3";      // 0.5 s

constexpr int audioRate = audioOutputRate;

struct AudioLayerTest : ::testing::Test {
    cAudioSystem* system = nullptr;

    void SetUp() override
    {
        ASSERT_EQ(audioSystemCreate(&system), AUDIO_OK);
        ASSERT_EQ(system->init(100, AUDIO_INIT_NO_OUTPUT, nullptr), AUDIO_OK);
    }
    void TearDown() override
    {
        if (system)
            system->release();
    }

    cAudioChannel* play(const std::string& file, bool paused = false)
    {
        cAudioSound* sound = nullptr;
        EXPECT_EQ(system->createStream(file.c_str(), AUDIO_SOFTWARE | AUDIO_ACCURATETIME, nullptr, &sound), AUDIO_OK);
        cAudioChannel* channel = nullptr;
        EXPECT_EQ(system->playSound(AUDIO_CHANNEL_FREE, sound, paused, &channel), AUDIO_OK);
        return channel;
    }

    // The next `frames` frames of the output, first channel only.
    std::vector<float> pullLeft(int frames)
    {
        std::vector<float> both(static_cast<size_t>(frames) * 2);
        system->mix(both.data(), frames);
        std::vector<float> left(frames);
        for (int i = 0; i < frames; ++i)
            left[i] = both[2 * i];
        return left;
    }

    static int firstLoud(const std::vector<float>& samples, float level)
    {
        for (size_t i = 0; i < samples.size(); ++i) {
            if (std::fabs(samples[i]) > level)
                return static_cast<int>(i);
        }
        return -1;
    }

    static float peak(const std::vector<float>& samples)
    {
        float most = 0.0f;
        for (float s : samples)
            most = std::max(most, std::fabs(s));
        return most;
    }
};

TEST(AudioLayerStartTest, CallsOutOfOrderOrWithBadArgumentsAreRefused)
{
    EXPECT_EQ(audioSystemCreate(nullptr), AUDIO_ERR_INVALID_PARAM);
    cAudioSystem* system = nullptr;
    ASSERT_EQ(audioSystemCreate(&system), AUDIO_OK);
    cAudioSound* sound = reinterpret_cast<cAudioSound*>(&system);
    EXPECT_EQ(system->createStream(toneFile.c_str(), AUDIO_DEFAULT, nullptr, &sound), AUDIO_ERR_UNINITIALIZED);
    EXPECT_EQ(sound, nullptr);
    EXPECT_EQ(system->init(0, AUDIO_INIT_NORMAL, nullptr), AUDIO_ERR_INVALID_PARAM);
    EXPECT_EQ(system->init(5000, AUDIO_INIT_NORMAL, nullptr), AUDIO_ERR_INVALID_PARAM);
    EXPECT_EQ(system->init(100, 0x80, nullptr), AUDIO_ERR_INVALID_PARAM);
    EXPECT_EQ(system->init(100, AUDIO_INIT_NO_OUTPUT, nullptr), AUDIO_OK);
    EXPECT_EQ(system->init(100, AUDIO_INIT_NO_OUTPUT, nullptr), AUDIO_ERR_INITIALIZED);
    EXPECT_EQ(system->createStream(nullptr, AUDIO_DEFAULT, nullptr, &sound), AUDIO_ERR_INVALID_PARAM);
    cAudioChannel* channel = nullptr;
    EXPECT_EQ(system->playSound(AUDIO_CHANNEL_FREE, nullptr, false, &channel), AUDIO_ERR_INVALID_HANDLE);
    EXPECT_EQ(system->playSound(AUDIO_CHANNEL_FREE, reinterpret_cast<cAudioSound*>(&channel), false, &channel),
        AUDIO_ERR_INVALID_HANDLE);
    EXPECT_EQ(channel, nullptr);
    system->release();
}

TEST(AudioLayerStartTest, FatalMessageCarriesCodeAndText)
{
    EXPECT_EQ(audioFatalMessage(AUDIO_ERR_OUTPUT), "FMOD error! (9) The audio output could not be started.");
    // Every code has a text of its own.
    for (int32_t a = AUDIO_OK; a <= AUDIO_ERR_CHANNEL_ALLOC; ++a) {
        for (int32_t b = a + 1; b <= AUDIO_ERR_CHANNEL_ALLOC; ++b)
            EXPECT_STRNE(audioErrorString(a), audioErrorString(b));
    }
}

TEST_F(AudioLayerTest, MissingOrUnreadableFilesGiveNoSound)
{
    cTempFolder folder;
    folder.write("notes.mp3", std::string(20000, 'x') + "not an mp3 at all\n");
    cAudioSound* sound = reinterpret_cast<cAudioSound*>(this);
    EXPECT_EQ(system->createStream("Data/none.mp3", AUDIO_ACCURATETIME, nullptr, &sound), AUDIO_ERR_FILE_NOTFOUND);
    EXPECT_EQ(sound, nullptr);
    EXPECT_EQ(system->createStream("notes.mp3", AUDIO_ACCURATETIME, nullptr, &sound), AUDIO_ERR_FORMAT);
    EXPECT_EQ(sound, nullptr);
}

TEST_F(AudioLayerTest, StreamFoundWhateverItsLetterCase)
{
    cTempFolder folder;
    folder.write("Data/Song.MP3", "");
    cAudioSound* sound = nullptr;
    // An empty file is found but holds no sound.
    EXPECT_EQ(system->createStream("data/song.mp3", AUDIO_ACCURATETIME, nullptr, &sound), AUDIO_ERR_FORMAT);
}

TEST_F(AudioLayerTest, AccurateStreamsKnowTheirExactLength)
{
    cAudioSound* tone = nullptr;
    cAudioSound* click = nullptr;
    ASSERT_EQ(system->createStream(toneFile.c_str(), AUDIO_SOFTWARE | AUDIO_ACCURATETIME, nullptr, &tone), AUDIO_OK);
    ASSERT_EQ(system->createStream(clickFile.c_str(), AUDIO_SOFTWARE | AUDIO_ACCURATETIME, nullptr, &click), AUDIO_OK);
    // The encoder's delay and padding are gone: as long as the recording.
    EXPECT_EQ(tone->lengthFrames(), audioRate);
    EXPECT_EQ(click->lengthFrames(), 3 * audioRate);
}

TEST_F(AudioLayerTest, SpectrumOfAToneShowsItsBinAndScaleForTheAskedChannel)
{
    cAudioChannel* channel = play(toneFile);
    ASSERT_NE(channel, nullptr);
    std::vector<float> bins(512, -1.0f);
    // Nothing handed out yet: silence.
    ASSERT_EQ(channel->getSpectrum(bins.data(), 512, 0, AUDIO_FFT_WINDOW_RECT), AUDIO_OK);
    for (float v : bins)
        ASSERT_EQ(v, 0.0f);

    pullLeft(10000);
    ASSERT_EQ(channel->getSpectrum(bins.data(), 512, 0, AUDIO_FFT_WINDOW_RECT), AUDIO_OK);
    EXPECT_NEAR(bins[40], 0.5f, 0.03f);
    EXPECT_LT(bins[80], 0.02f);
    int loudest = 0;
    for (int k = 0; k < 512; ++k) {
        ASSERT_GE(bins[k], 0.0f);
        if (bins[k] > bins[loudest])
            loudest = k;
    }
    EXPECT_EQ(loudest, 40);

    ASSERT_EQ(channel->getSpectrum(bins.data(), 512, 1, AUDIO_FFT_WINDOW_RECT), AUDIO_OK);
    EXPECT_NEAR(bins[80], 0.5f, 0.03f);
    EXPECT_LT(bins[40], 0.02f);
}

TEST_F(AudioLayerTest, SpectrumRequestsOutsideTheOfferAreRefused)
{
    cAudioChannel* channel = play(toneFile);
    std::vector<float> bins(16384, 2.0f);
    EXPECT_EQ(channel->getSpectrum(bins.data(), 500, 0, AUDIO_FFT_WINDOW_RECT), AUDIO_ERR_INVALID_PARAM);
    EXPECT_EQ(channel->getSpectrum(bins.data(), 16384, 0, AUDIO_FFT_WINDOW_RECT), AUDIO_ERR_INVALID_PARAM);
    EXPECT_EQ(channel->getSpectrum(bins.data(), 512, 2, AUDIO_FFT_WINDOW_RECT), AUDIO_ERR_INVALID_PARAM);
    EXPECT_EQ(channel->getSpectrum(bins.data(), 512, 0, 3), AUDIO_ERR_INVALID_PARAM);
    EXPECT_EQ(channel->getSpectrum(nullptr, 512, 0, AUDIO_FFT_WINDOW_RECT), AUDIO_ERR_INVALID_PARAM);
    EXPECT_EQ(bins[0], 2.0f);
}

TEST_F(AudioLayerTest, SilentStreamReadsZero)
{
    cAudioChannel* channel = play(silentFile);
    pullLeft(4096);
    std::vector<float> bins(512, -1.0f);
    ASSERT_EQ(channel->getSpectrum(bins.data(), 512, 0, AUDIO_FFT_WINDOW_RECT), AUDIO_OK);
    for (float v : bins)
        ASSERT_LT(v, 1e-4f);
}

TEST_F(AudioLayerTest, SettingThePositionOfAClickYieldsItAtOnce)
{
    cAudioChannel* channel = play(clickFile);
    ASSERT_LT(peak(pullLeft(1000)), 0.01f); // silence at the start
    ASSERT_EQ(channel->setPosition(1500, AUDIO_TIMEUNIT_MS), AUDIO_OK);
    std::vector<float> after = pullLeft(512);
    EXPECT_GT(peak(after), 0.4f);
    const int onset = firstLoud(after, 0.2f);
    EXPECT_GE(onset, 0);
    EXPECT_LE(onset, 4);

    // From 100 ms before the click, it arrives 4410 frames later.
    ASSERT_EQ(channel->setPosition(1400, AUDIO_TIMEUNIT_MS), AUDIO_OK);
    std::vector<float> lead = pullLeft(6000);
    EXPECT_NEAR(firstLoud(lead, 0.2f), 4410, 4);
    // The same position asked in frames.
    ASSERT_EQ(channel->setPosition(1500 * audioRate / 1000 - 100, AUDIO_TIMEUNIT_PCM), AUDIO_OK);
    EXPECT_NEAR(firstLoud(pullLeft(1000), 0.2f), 100, 4);
}

TEST_F(AudioLayerTest, PositionCountsTheFramesHandedOut)
{
    cAudioChannel* channel = play(clickFile);
    uint32_t position = 99;
    ASSERT_EQ(channel->getPosition(&position, AUDIO_TIMEUNIT_MS), AUDIO_OK);
    EXPECT_EQ(position, 0u);
    ASSERT_EQ(channel->setPosition(1000, AUDIO_TIMEUNIT_MS), AUDIO_OK);
    ASSERT_EQ(channel->getPosition(&position, AUDIO_TIMEUNIT_MS), AUDIO_OK);
    EXPECT_EQ(position, 1000u); // as soon as it is asked for
    pullLeft(441);
    ASSERT_EQ(channel->getPosition(&position, AUDIO_TIMEUNIT_MS), AUDIO_OK);
    EXPECT_EQ(position, 1010u);
    ASSERT_EQ(channel->getPosition(&position, AUDIO_TIMEUNIT_PCM), AUDIO_OK);
    EXPECT_EQ(position, static_cast<uint32_t>(audioRate + 441));
    EXPECT_EQ(channel->setPosition(0, 7), AUDIO_ERR_INVALID_PARAM);
    ASSERT_EQ(channel->getPosition(&position, AUDIO_TIMEUNIT_MS), AUDIO_OK);
    EXPECT_EQ(position, 1010u);
}

namespace {

std::string fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST_F(AudioLayerTest, PositionNeverPassesTheLengthAndPastTheEndEndsTheChannel)
{
    // Past the end: the channel goes to its end and stops there, as when
    // it plays there.
    cAudioChannel* channel = play(clickFile);
    EXPECT_EQ(channel->setPosition(3001, AUDIO_TIMEUNIT_MS), AUDIO_ERR_INVALID_POSITION);
    uint32_t position = 0;
    ASSERT_EQ(channel->getPosition(&position, AUDIO_TIMEUNIT_PCM), AUDIO_OK);
    EXPECT_EQ(position, uint32_t(3 * audioRate));
    EXPECT_EQ(peak(pullLeft(1024)), 0.0f);
    bool playing = true;
    channel->isPlaying(&playing);
    EXPECT_FALSE(playing);
    ASSERT_EQ(channel->getPosition(&position, AUDIO_TIMEUNIT_PCM), AUDIO_OK);
    EXPECT_EQ(position, uint32_t(3 * audioRate));

    // Exactly at the end ends it too.
    channel = play(clickFile);
    EXPECT_EQ(channel->setPosition(3 * audioRate, AUDIO_TIMEUNIT_PCM), AUDIO_OK);
    pullLeft(16);
    channel->isPlaying(&playing);
    EXPECT_FALSE(playing);

    // A stream whose file grows after it was opened (a damaged stream whose
    // decoder goes on past the length it was scanned to) still ends at
    // that length.
    cTempFolder folder;
    const std::string click = fileBytes(clickFile);
    folder.write("growing.mp3", click);
    channel = play("growing.mp3");
    folder.write("growing.mp3", click + click);
    ASSERT_EQ(channel->setPosition(2990, AUDIO_TIMEUNIT_MS), AUDIO_OK);
    const std::vector<float> tail = pullLeft(2 * audioRate);
    channel->isPlaying(&playing);
    EXPECT_FALSE(playing);
    ASSERT_EQ(channel->getPosition(&position, AUDIO_TIMEUNIT_PCM), AUDIO_OK);
    EXPECT_EQ(position, uint32_t(3 * audioRate));
    // The second copy's click (1.51 s after the end) is never heard.
    EXPECT_EQ(peak({tail.begin() + audioRate / 100 + 1, tail.end()}), 0.0f);
    EXPECT_EQ(channel->brokenOffFrame(), -1);
}

TEST_F(AudioLayerTest, StreamCutWhilePlayingTellsWhereItBrokeOff)
{
    cTempFolder folder;
    const std::string click = fileBytes(clickFile);
    folder.write("cut.mp3", click);
    cAudioChannel* channel = play("cut.mp3");
    EXPECT_EQ(channel->brokenOffFrame(), -1);
    folder.write("cut.mp3", click.substr(0, click.size() / 3));
    pullLeft(2 * audioRate);
    bool playing = true;
    channel->isPlaying(&playing);
    EXPECT_FALSE(playing);
    const int64_t at = channel->brokenOffFrame();
    EXPECT_GT(at, 0);
    EXPECT_LT(at, 2 * audioRate);
    uint32_t position = 0;
    channel->getPosition(&position, AUDIO_TIMEUNIT_PCM);
    EXPECT_EQ(int64_t(position), at);
}

TEST_F(AudioLayerTest, PausedChannelHandsOutSilenceAndStaysPut)
{
    cAudioChannel* channel = play(toneFile, true);
    EXPECT_EQ(peak(pullLeft(2048)), 0.0f);
    uint32_t position = 1;
    channel->getPosition(&position, AUDIO_TIMEUNIT_PCM);
    EXPECT_EQ(position, 0u);
    channel->setPaused(false);
    EXPECT_GT(peak(pullLeft(2048)), 0.4f);
}

TEST_F(AudioLayerTest, StreamThatEndsStopsAndItsSpectrumFallsToZero)
{
    cAudioChannel* channel = play(toneFile);
    ASSERT_EQ(channel->setPosition(990, AUDIO_TIMEUNIT_MS), AUDIO_OK);
    std::vector<float> tail = pullLeft(1024);
    bool playing = true;
    channel->isPlaying(&playing);
    EXPECT_FALSE(playing);
    // 10 ms of tone, then silence.
    EXPECT_GT(peak({tail.begin(), tail.begin() + 400}), 0.4f);
    EXPECT_EQ(peak({tail.begin() + 441, tail.end()}), 0.0f);
    pullLeft(1024);
    std::vector<float> bins(512, -1.0f);
    ASSERT_EQ(channel->getSpectrum(bins.data(), 512, 0, AUDIO_FFT_WINDOW_RECT), AUDIO_OK);
    EXPECT_EQ(peak(bins), 0.0f);
    EXPECT_EQ(channel->setPosition(0, AUDIO_TIMEUNIT_MS), AUDIO_ERR_INVALID_HANDLE);
}

TEST_F(AudioLayerTest, ChannelsMixAndAStreamPlaysOnOneChannelAtATime)
{
    cAudioSound* tone = nullptr;
    ASSERT_EQ(system->createStream(toneFile.c_str(), AUDIO_ACCURATETIME, nullptr, &tone), AUDIO_OK);
    cAudioChannel* first = nullptr;
    cAudioChannel* second = nullptr;
    ASSERT_EQ(system->playSound(AUDIO_CHANNEL_FREE, tone, false, &first), AUDIO_OK);
    ASSERT_EQ(system->playSound(AUDIO_CHANNEL_FREE, tone, false, &second), AUDIO_OK);
    EXPECT_NE(first, second);
    bool playing = true;
    first->isPlaying(&playing);
    EXPECT_FALSE(playing);
    cAudioChannel* click = play(clickFile);
    click->setPosition(1500, AUDIO_TIMEUNIT_MS);
    // The click adds onto the tone.
    std::vector<float> mixed = pullLeft(200);
    EXPECT_GT(peak(mixed), 0.9f);
    EXPECT_EQ(system->playSound(100, tone, false, nullptr), AUDIO_ERR_INVALID_PARAM);
}

TEST_F(AudioLayerTest, ChannelLimitIsKept)
{
    system->release();
    ASSERT_EQ(audioSystemCreate(&system), AUDIO_OK);
    ASSERT_EQ(system->init(1, AUDIO_INIT_NO_OUTPUT, nullptr), AUDIO_OK);
    cAudioSound* tone = nullptr;
    cAudioSound* click = nullptr;
    ASSERT_EQ(system->createStream(toneFile.c_str(), AUDIO_DEFAULT, nullptr, &tone), AUDIO_OK);
    ASSERT_EQ(system->createStream(clickFile.c_str(), AUDIO_DEFAULT, nullptr, &click), AUDIO_OK);
    ASSERT_EQ(system->playSound(AUDIO_CHANNEL_FREE, tone, false, nullptr), AUDIO_OK);
    EXPECT_EQ(system->playSound(AUDIO_CHANNEL_FREE, click, false, nullptr), AUDIO_ERR_CHANNEL_ALLOC);
    // Once the tone has ended its channel is free again.
    pullLeft(audioRate + 1);
    EXPECT_EQ(system->playSound(AUDIO_CHANNEL_FREE, click, false, nullptr), AUDIO_OK);
}

// The start-up sequence as the production runs it.
struct SoundtrackTest : ::testing::Test {
    cSoundtrack track;
    void TearDown() override { track.release(); }

    std::vector<float> pullLeft(int frames)
    {
        std::vector<float> both(static_cast<size_t>(frames) * 2);
        track.audioSystem()->mix(both.data(), frames);
        std::vector<float> left(frames);
        for (int i = 0; i < frames; ++i)
            left[i] = both[2 * i];
        return left;
    }
};

TEST_F(SoundtrackTest, MissingSoundtrackRunsInSilenceWithTheSpectrumAtZero)
{
    cTempFolder folder;
    ASSERT_EQ(track.open(soundtrackFile, AUDIO_INIT_NO_OUTPUT), AUDIO_OK);
    EXPECT_EQ(track.streamResult(), AUDIO_ERR_FILE_NOTFOUND);
    track.play(0);
    EXPECT_EQ(track.audioChannel(), nullptr);
    std::vector<float> spectrum(512, 0.0f);
    pullLeft(2048);
    track.fillSpectrum(spectrum.data(), spectrum.size());
    for (float v : spectrum)
        EXPECT_EQ(v, 0.0f);
}

TEST_F(SoundtrackTest, PlaysFromTheStartPositionAndFillsTheSpectrum)
{
    ASSERT_EQ(track.open(clickFile, AUDIO_INIT_NO_OUTPUT), AUDIO_OK);
    ASSERT_EQ(track.streamResult(), AUDIO_OK);
    track.play(1500);
    std::vector<float> first = pullLeft(1024);
    EXPECT_GT(std::fabs(first[2]), 0.2f);
    std::vector<float> spectrum(512, 0.0f);
    track.fillSpectrum(spectrum.data(), spectrum.size());
    float sum = 0.0f;
    for (float v : spectrum)
        sum += v;
    EXPECT_GT(sum, 0.1f);
}

TEST_F(SoundtrackTest, SoundtrackThatDoesNotPlayIsToldOnceWithItsReason)
{
    std::ostringstream console;
    vorn::consoleLog.setStream(&console);
    cTempFolder folder;
    EXPECT_EQ(track.open(soundtrackFile, AUDIO_INIT_NO_OUTPUT), AUDIO_OK);
    track.release();
    folder.write("Data/morvelane.mp3", "");
    EXPECT_EQ(track.open(soundtrackFile, AUDIO_INIT_NO_OUTPUT), AUDIO_OK);
    track.release();
    folder.write("Data/morvelane.mp3", std::string(5000, 'x'));
    EXPECT_EQ(track.open(soundtrackFile, AUDIO_INIT_NO_OUTPUT), AUDIO_OK);

    // Cut while playing: told once, from the next spectrum request.
    track.release();
    const std::string click = fileBytes(clickFile);
    folder.write("Data/morvelane.mp3", click);
    ASSERT_EQ(track.open(soundtrackFile, AUDIO_INIT_NO_OUTPUT), AUDIO_OK);
    track.play(0);
    std::vector<float> spectrum(512, 0.0f);
    pullLeft(audioRate / 2);
    track.fillSpectrum(spectrum.data(), spectrum.size());
    folder.write("Data/morvelane.mp3", click.substr(0, click.size() / 2));
    for (int i = 0; i < 4; ++i) {
        pullLeft(audioRate);
        track.fillSpectrum(spectrum.data(), spectrum.size());
    }
    vorn::consoleLog.setStream(nullptr);

    std::istringstream text(console.str());
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u) << console.str();
    EXPECT_EQ(lines[0], "Data/morvelane.mp3: cannot be opened (missing or unreadable), playing without sound");
    const std::string undecodable =
        "Data/morvelane.mp3: cannot be decoded (empty, cut short or not an mp3 stream), playing without sound";
    EXPECT_EQ(lines[1], undecodable);
    EXPECT_EQ(lines[2], undecodable);
    EXPECT_EQ(lines[3].rfind("Data/morvelane.mp3: the soundtrack breaks off at 1.", 0), 0u) << lines[3];
    EXPECT_NE(lines[3].find(" of its 3.0 s (file cut or damaged), playing on without sound"), std::string::npos)
        << lines[3];
}

TEST_F(SoundtrackTest, FailingStartIsReported)
{
    // An output mode the layer does not know makes initialisation fail.
    EXPECT_EQ(track.open(clickFile, 0x8), AUDIO_ERR_INVALID_PARAM);
}

} // namespace
