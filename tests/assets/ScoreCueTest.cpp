// The committed note list, played through the runtime's own note-list store
// and camera rig frame by frame, fires every note cue of the composition in
// a sensible place, and keeps the camera in view.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "strobewerk/Config.h"
#include "strobewerk/NoteList.h"
#include "strobewerk/scenes/CameraRigLogic.h"

namespace {

const std::string root = ASSET_ROOT;

struct sCue {
    const char* effect;
    uint32_t track;
    int32_t code;
    bool held;
};

// Every note cue the composition reads.
const sCue cueTable[] = {
    {"dolly in", 3, 1, false},          {"dolly out", 3, 2, false},
    {"turn (side)", 3, 0, true},        {"turn (up)", 3, 1, true},
    {"shake", 3, 0, false},             {"seed boxes", 4, 0, false},
    {"fill flash", 1, 0, false},        {"title card", 1, 1, false},
    {"greetings card", 4, 2, false},    {"flash image", 4, 1, false},
    {"distortion boost", 4, 0, true},   {"spectrum boost", 4, 1, true},
    {"mix boost", 4, 2, true},          {"metaball speed", 4, 3, true},
};

struct sPlayback {
    int32_t songEndMs = 0;
    // For every cue: the song times at which it became active.
    std::map<std::string, std::vector<int32_t>> firings;
    float farthestCamera = 0.0f;   // largest distance from the origin
    float nearestCamera = 1e9f;
};

// Plays the note list from 0 to its last note at a fixed frame time.
sPlayback play(int32_t frameMs) {
    sPlayback result;
    cNoteList notes;
    notes.load(root + "/data/mvl.txt");
    for (size_t t = 0; t < notes.trackCount(); ++t)
        for (const sNote& n : notes.trackNotes(static_cast<uint32_t>(t)))
            result.songEndMs = std::max(result.songEndMs, n.held ? n.endMs : n.startMs);

    std::map<std::string, bool> wasActive;
    sCameraRigState rig;
    for (int32_t songTime = 0; songTime <= result.songEndMs + frameMs; songTime += frameMs) {
        notes.update(songTime);
        for (const sCue& cue : cueTable) {
            const bool active = notes.isNoteActive(cue.track, cue.code, cue.held);
            // A hit is active in one update only; a held note for several.
            if (active && (!cue.held || !wasActive[cue.effect]))
                result.firings[cue.effect].push_back(songTime);
            wasActive[cue.effect] = active;
        }
        applyDollyCues(rig, 0.0f, notes.isNoteActive(3, 1, false), notes.isNoteActive(3, 2, false));
        advanceDolly(rig, static_cast<float>(frameMs));
        result.farthestCamera = std::max(result.farthestCamera, std::fabs(rig.cameraDistance));
        result.nearestCamera = std::min(result.nearestCamera, std::fabs(rig.cameraDistance));
    }
    return result;
}

// Each frame time is played once and shared by the tests below.
sPlayback& playback(int32_t frameMs) {
    static std::map<int32_t, sPlayback> played;
    auto found = played.find(frameMs);
    if (found == played.end())
        found = played.emplace(frameMs, play(frameMs)).first;
    return found->second;
}

class ScoreCues : public ::testing::TestWithParam<int32_t> {};

TEST_P(ScoreCues, EveryNoteCueFires) {
    sPlayback& p = playback(GetParam());
    ASSERT_GT(p.songEndMs, 150000) << "note list missing or too short";
    for (const sCue& cue : cueTable)
        EXPECT_FALSE(p.firings[cue.effect].empty()) << cue.effect << " never fires";
}

TEST_P(ScoreCues, TitleCardsOpenAndGreetingsCloseTheSong) {
    sPlayback& p = playback(GetParam());
    const std::vector<int32_t>& titles = p.firings["title card"];
    const std::vector<int32_t>& greetings = p.firings["greetings card"];
    ASSERT_GE(titles.size(), 2u);
    EXPECT_LE(titles[0], 1000) << "the first title card comes with the first notes";
    EXPECT_LE(titles[1], 15000);
    // Credits and the six greetings cards all show: seven cues at least, in the
    // last third, far enough apart that each card's flash re-arms (1.6 down to
    // 0.2 at 0.001 per ms).
    ASSERT_GE(greetings.size(), 7u);
    EXPECT_GE(greetings.front(), p.songEndMs * 2 / 3);
    for (size_t i = 1; i < greetings.size(); ++i)
        EXPECT_GE(greetings[i] - greetings[i - 1], 1400) << "greetings cue " << i;
    // No greetings cue lands inside a title card's flash, and the reverse.
    for (int32_t g : greetings)
        for (int32_t t : titles)
            EXPECT_GE(std::abs(g - t), 1400);
}

TEST_P(ScoreCues, CameraStaysInView) {
    sPlayback& p = playback(GetParam());
    EXPECT_FALSE(p.firings["dolly out"].empty());
    EXPECT_GE(p.firings["dolly in"].size(), p.firings["dolly out"].size())
        << "every move out is answered by a move in";
    EXPECT_GE(p.nearestCamera, 200.0f);
    EXPECT_GT(p.farthestCamera, 400.0f) << "the camera never pulls back";
    EXPECT_LT(p.farthestCamera, 800.0f) << "the camera drifts away from the scene";
}

TEST_P(ScoreCues, KicksShakeTheBeatWithoutBlurringIt) {
    sPlayback& p = playback(GetParam());
    const std::vector<int32_t>& kicks = p.firings["shake"];
    ASSERT_GE(kicks.size(), 40u);
    // The shake decays over 1000 ms: kicks at least half a second apart keep
    // it a pulse rather than a constant tremble.
    for (size_t i = 1; i < kicks.size(); ++i)
        EXPECT_GE(kicks[i] - kicks[i - 1], 450) << "kick " << i;
}

INSTANTIATE_TEST_SUITE_P(FrameTimes, ScoreCues, ::testing::Values(16, 33),
                         [](const ::testing::TestParamInfo<int32_t>& info) {
                             return "frame" + std::to_string(info.param) + "ms";
                         });

TEST(ProductionConfig, OpensAWindowNotTheFullScreen) {
    const sWindowConfig config = readWindowConfig(root + "/res.conf");
    EXPECT_FALSE(config.fullscreen);
    EXPECT_GE(config.width, 640);
    EXPECT_GE(config.height, 360);
    EXPECT_EQ(config.width * 9, config.height * 16) << "the cards are drawn for 16:9";
}

} // namespace
