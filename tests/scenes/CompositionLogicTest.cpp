// The effect values of the composition: triggers, decays, the card
// sequence, the energy and the per-layer numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "strobewerk/scenes/CompositionLogic.h"

namespace {
constexpr unsigned cardCount = 9;
constexpr float frameMs = 16.0f;
} // namespace

TEST(TriggerAndDecay, FillFlashFiringOnTwoFramesKicksOnce)
{
    sCompositionState s;
    updateFillFlash(s, true, frameMs);
    EXPECT_FLOAT_EQ(s.fillFlash, 0.6f - frameMs * 0.001f);
    updateFillFlash(s, true, frameMs);
    EXPECT_FLOAT_EQ(s.fillFlash, 0.6f - 2 * frameMs * 0.001f);
    // Once it has fallen below the re-arm threshold the cue kicks again.
    s.fillFlash = 0.19f;
    updateFillFlash(s, true, frameMs);
    EXPECT_FLOAT_EQ(s.fillFlash, 0.6f - frameMs * 0.001f);
}

TEST(TriggerAndDecay, PlainDecayMayDipBelowZeroForOneFrameThenRests)
{
    sCompositionState s;
    s.fillFlash = 0.005f;
    updateFillFlash(s, false, frameMs);
    EXPECT_LT(s.fillFlash, 0.0f);
    updateFillFlash(s, false, frameMs);
    EXPECT_EQ(s.fillFlash, 0.0f);
}

TEST(TriggerAndDecay, ShakeAndPointFlashRestartOnEveryCueAndStopAtZero)
{
    sCompositionState s;
    updateBump(s, true, frameMs);
    updatePointFlash(s, true, frameMs);
    EXPECT_FLOAT_EQ(s.bump, 1.0f - frameMs * 0.001f);
    updateBump(s, true, frameMs);
    EXPECT_FLOAT_EQ(s.bump, 1.0f - frameMs * 0.001f);
    for (int i = 0; i < 100; ++i) {
        updateBump(s, false, frameMs);
        updatePointFlash(s, false, frameMs);
        ASSERT_GE(s.bump, 0.0f);
        ASSERT_GE(s.pointFlash, 0.0f);
    }
    EXPECT_EQ(s.bump, 0.0f);
    EXPECT_EQ(s.pointFlash, 0.0f);
}

TEST(Cards, FirstFrameShowsTheLastCardAndTheFirstTitleCueCardOne)
{
    sCompositionState s;
    updateCards(s, false, false, cardCount, 0.0f);
    EXPECT_TRUE(s.cardIndexSet);
    EXPECT_EQ(s.cardIndex, 8u);
    EXPECT_EQ(s.cardFlash, 0.0f);

    updateCards(s, true, false, cardCount, frameMs);
    EXPECT_EQ(s.cardIndex, 1u);
    EXPECT_FLOAT_EQ(s.cardFlash, 1.6f - frameMs * 0.001f);
    EXPECT_FLOAT_EQ(s.cardDisto, 1.6f - frameMs * 0.002f);
}

TEST(Cards, GreetingsRunFromTwoToEightThenWrap)
{
    sCompositionState s;
    std::vector<unsigned> shown;
    for (int cue = 0; cue < 8; ++cue) {
        s.cardFlash = 0.0f; // let the previous card fade out
        updateCards(s, false, true, cardCount, frameMs);
        shown.push_back(s.cardIndex);
    }
    EXPECT_EQ(shown, (std::vector<unsigned>{2, 3, 4, 5, 6, 7, 8, 2}));
}

TEST(Cards, GreetingsContinueFromTheTitleCardsIndex)
{
    bool started = false;
    unsigned index = 8;
    index = nextCardIndex(index, false, started, cardCount);
    EXPECT_EQ(index, 1u);
    index = nextCardIndex(index, false, started, cardCount);
    EXPECT_EQ(index, 0u);
    // The first greetings cue always starts from card 2 ...
    EXPECT_EQ(nextCardIndex(index, true, started, cardCount), 2u);
    // ... a later one continues from wherever the title cue left the index.
    EXPECT_EQ(nextCardIndex(0, true, started, cardCount), 1u);
}

TEST(Cards, ACueWhileTheCardIsStillBrightIsIgnored)
{
    sCompositionState s;
    updateCards(s, true, false, cardCount, frameMs);
    const unsigned shown = s.cardIndex;
    updateCards(s, true, false, cardCount, frameMs);
    EXPECT_EQ(s.cardIndex, shown);
    EXPECT_FLOAT_EQ(s.cardFlash, 1.6f - 2 * frameMs * 0.001f);
}

TEST(FlashImage, PicksByTheRandomValueAndDrawsOnlyWhenItKicks)
{
    int draws = 0;
    int next = 7;
    const auto random = [&] { ++draws; return next; };
    sCompositionState s;
    EXPECT_FALSE(updateFlashImage(s, false, random, 2, frameMs));
    EXPECT_EQ(draws, 0);
    EXPECT_TRUE(updateFlashImage(s, true, random, 2, frameMs));
    EXPECT_EQ(s.flashIndex, 1u);
    EXPECT_FLOAT_EQ(s.flashLevel, 1.6f - frameMs * 0.001f);
    EXPECT_FLOAT_EQ(s.flashDisto, 1.6f - frameMs * 0.002f);
    // Still bright: the cue neither restarts it nor uses up a random number.
    next = 4;
    EXPECT_FALSE(updateFlashImage(s, true, random, 2, frameMs));
    EXPECT_EQ(s.flashIndex, 1u);
    EXPECT_EQ(draws, 1);
    s.flashLevel = 0.5f;
    EXPECT_TRUE(updateFlashImage(s, true, random, 2, frameMs));
    EXPECT_EQ(s.flashIndex, 0u);
    // No images: the index stays 0 rather than dividing by zero.
    sCompositionState empty;
    EXPECT_TRUE(updateFlashImage(empty, true, random, 0, frameMs));
    EXPECT_EQ(empty.flashIndex, 0u);
}

TEST(Points, AddedOnlyOnTheFrameTheButtonGoesDown)
{
    sCompositionState s;
    const vorn::vec3f a{1, 2, 3}, b{4, 5, 6};
    EXPECT_TRUE(updatePoints(s, true, a));
    EXPECT_FALSE(updatePoints(s, true, b));
    EXPECT_FALSE(updatePoints(s, false, b));
    EXPECT_TRUE(updatePoints(s, true, b));
    ASSERT_EQ(s.points.size(), 2u);
    EXPECT_EQ(s.points[0], a);
    EXPECT_EQ(s.points[1], b);
}

TEST(PointLines, OneSegmentPerNeighbourPairWithUnequalOffsetsWhileFlashing)
{
    std::vector<vorn::vec3f> points{{0, 0, 0}};
    EXPECT_TRUE(pointLineSegments(points, 1000.0f, 0.0f).empty());
    points.push_back({100, 0, 0});
    points.push_back({100, 100, 0});
    const auto quiet = pointLineSegments(points, 1000.0f, 0.0f);
    ASSERT_EQ(quiet.size(), 2u);
    // Without the flash a shared point gets the same offset on both segments.
    EXPECT_FLOAT_EQ(quiet[0].end.x, quiet[1].start.x);
    EXPECT_FLOAT_EQ(quiet[0].end.z, quiet[1].start.z);
    // The wobble is small around the stored point.
    EXPECT_NEAR(quiet[0].start.x, 0.0f, 5.3f);
    EXPECT_NEAR(quiet[1].end.y, 100.0f, 5.3f);

    const auto flashing = pointLineSegments(points, 1000.0f, 1.0f);
    EXPECT_NE(flashing[0].end.x, flashing[1].start.x);
    EXPECT_FLOAT_EQ(flashing[0].end.z, flashing[1].start.z);
    // w = 60 at full flash: the start points swing much wider than at rest.
    EXPECT_GT(std::fabs(flashing[0].start.x), 5.0f * std::fabs(quiet[0].start.x));
}

TEST(Energy, LevelFeedsASquareAndLeaksTowardsZero)
{
    // level = 2: +4 dt, -0.01 dt.
    EXPECT_FLOAT_EQ(updateEnergy(0.0f, 0.01f, 10.0f), 39.9f);
    // Silence drains it and it never goes below 0.
    EXPECT_FLOAT_EQ(updateEnergy(1.0f, 0.0f, 10.0f), 0.9f);
    EXPECT_EQ(updateEnergy(0.05f, 0.0f, 10.0f), 0.0f);
}

TEST(Energy, AxisThreeNudgesBothWays)
{
    EXPECT_FLOAT_EQ(nudgeEnergy(5.0f, axisValue(32000), 10.0f), 6.0f);
    EXPECT_FLOAT_EQ(nudgeEnergy(5.0f, axisValue(-16000), 10.0f), 4.5f);
    EXPECT_FLOAT_EQ(nudgeEnergy(5.0f, axisValue(7999), 10.0f), 5.0f);
}

TEST(AxisValue, DeadZoneAndScale)
{
    EXPECT_EQ(axisValue(0), 0.0f);
    EXPECT_EQ(axisValue(7999), 0.0f);
    EXPECT_EQ(axisValue(-7999), 0.0f);
    EXPECT_FLOAT_EQ(axisValue(8000), 0.25f);
    EXPECT_FLOAT_EQ(axisValue(-32768), -1.024f);
}

TEST(Background, AlternateModeFlickersFasterAndEnergyPullsTheScrollerBack)
{
    const auto normal = backgroundUniforms(0.0f, 0.0f, false);
    EXPECT_FLOAT_EQ(normal.blackTer, 1.0f);
    EXPECT_FLOAT_EQ(normal.whiteTer, 0.5f);
    EXPECT_FLOAT_EQ(normal.scroller, 0.0f);
    // Over 300 ms the normal levels barely move; the alternate ones swing.
    const auto range = [](bool alternate) {
        float lo = 1.0f, hi = 0.0f;
        for (float t = 20000.0f; t < 20300.0f; t += 10.0f) {
            lo = std::min(lo, backgroundUniforms(t, 0.0f, alternate).whiteTer);
            hi = std::max(hi, backgroundUniforms(t, 0.0f, alternate).whiteTer);
        }
        return hi - lo;
    };
    const float normalSwing = range(false), alternateSwing = range(true);
    EXPECT_LT(normalSwing, 0.2f);
    EXPECT_GT(alternateSwing, 0.5f);
    // Energy pulls the scroller back by up to 10, never forward.
    for (float energy = 0.0f; energy < 5000.0f; energy += 250.0f) {
        const float scroller = backgroundUniforms(20000.0f, energy, false).scroller;
        EXPECT_LE(scroller, 2.0f + 1e-5f);
        EXPECT_GE(scroller, 2.0f - 10.0f - 1e-5f);
    }
}

TEST(Shake, IdentityAtRestAndBoundedByTheLevel)
{
    const auto rest = shakeTransform(12345.0f, 0.0f);
    EXPECT_EQ(rest.translation, vorn::vec3f(0, 0, 0));
    EXPECT_EQ(rest.angleDegrees, 0.0f);
    for (float t = 0.0f; t < 1000.0f; t += 37.0f) {
        const auto s = shakeTransform(t, 0.5f);
        EXPECT_LE(std::fabs(s.translation.x), 4.0f);
        EXPECT_LE(std::fabs(s.translation.y), 4.0f);
        EXPECT_LE(std::fabs(s.translation.z), 4.0f);
        EXPECT_FLOAT_EQ(s.angleDegrees, 4.0f);
    }
}

TEST(FinalBoosts, SpecBoostAcrossAHeldNoteFromOneToTwoSeconds)
{
    // The (4, 1) held note runs 1000..2000 ms, so its progress is (t - 1000) / 1000.
    const auto at = [](float ms) { return finalBoosts(0.0f, (ms - 1000.0f) / 1000.0f, 0.0f).specBoost; };
    EXPECT_NEAR(at(1000.0f), 0.0f, 1e-6);
    EXPECT_NEAR(at(1250.0f), 0.3f, 1e-6);
    EXPECT_NEAR(at(1500.0f), 0.15f, 1e-6);
    EXPECT_NEAR(at(1750.0f), 0.0f, 1e-6);
    EXPECT_LT(at(1875.0f), 0.0f);
    EXPECT_GT(at(1875.0f), -0.011f);
    const auto peak = finalBoosts(0.25f, 0.25f, 0.25f);
    EXPECT_FLOAT_EQ(peak.distBoost, 0.2f);
    EXPECT_FLOAT_EQ(peak.mixBoost, 0.3f);
}

// The parts' bits in a variant's number.
constexpr int flash = 1, eye = 2, card = 4, shared = 8, ripple = 16, split = 32, light = 64;

TEST(LeftOutLayers, TheFinalCompositesProgramLeavesOutOnlyWhatCannotShow)
{
    sCompositionState s;
    const sFinalBoosts none{0.0f, 0.0f, 0.0f};
    EXPECT_EQ(finalCompositeParts(s, none).variant(), 0);
    // A decay that overshoots below 0 still adds nothing.
    s.flashLevel = -0.01f;
    s.cardFlash = -0.015f;
    EXPECT_FALSE(finalCompositeParts(s, none).overlays());
    // The faintest level of either overlay shows, and only that overlay
    // (the eye and the card go together).
    s.flashLevel = 1e-6f;
    EXPECT_EQ(finalCompositeParts(s, none).variant(), flash);
    s.flashLevel = 0.0f;
    s.cardFlash = 1e-6f;
    EXPECT_EQ(finalCompositeParts(s, none).variant(), eye | card);
    // Distortion and colour split act at either sign, the field's light
    // only above 0.
    s.cardFlash = 0.0f;
    EXPECT_EQ(finalCompositeParts(s, {-0.001f, 0.0f, 0.0f}).variant(), ripple);
    EXPECT_EQ(finalCompositeParts(s, {0.0f, -0.001f, 0.0f}).variant(), split);
    EXPECT_EQ(finalCompositeParts(s, {0.0f, 0.0f, 0.3f}).variant(), light);
    EXPECT_EQ(finalCompositeParts(s, {0.0f, 0.0f, -0.01f}).variant(), 0);
    // The flash image and the eye share their swirl only while their
    // distortions are the same.
    s.flashLevel = s.cardFlash = 1.0f;
    s.flashDisto = s.cardDisto = 0.5f;
    EXPECT_EQ(finalCompositeParts(s, {0.2f, 0.3f, 0.3f}).variant(), finalCompositeVariants - 1);
    s.cardDisto = std::nextafter(0.5f, 1.0f);
    EXPECT_EQ(finalCompositeParts(s, none).variant(), flash | eye | card);
}

TEST(LeftOutLayers, ASplitFramesOverlaysAreDrawnByItsFirstPassAlone)
{
    const auto defines = [](const std::vector<std::string>& names) {
        std::string all;
        for (const std::string& name : names)
            all += name + " ";
        return all;
    };
    // Neither split nor rippled, a variant's program has its own parts and
    // the light, light or not; rippled, exactly its own parts; the shared
    // swirl only with both images that share it.
    EXPECT_EQ(defines(finalCompositeDefines(0)), "LIGHT ");
    EXPECT_EQ(defines(finalCompositeDefines(flash | eye | card)), "FLASH EYE CARD LIGHT ");
    EXPECT_EQ(finalCompositeProgramVariant(flash), flash | light);
    EXPECT_EQ(defines(finalCompositeDefines(flash | eye | shared | ripple)), "FLASH EYE SHARED_SWIRL RIPPLE ");
    EXPECT_EQ(finalCompositeProgramVariant(flash | card | shared | ripple), flash | card | ripple);
    // Split, its last pass only ripples, splits and lights as the frame
    // does, whatever overlays its first pass draws.
    for (int overlays = 0; overlays < 16; ++overlays) {
        EXPECT_EQ(finalCompositeProgramVariant(split | overlays), split) << overlays;
        EXPECT_EQ(finalCompositeProgramVariant(split | light | overlays), split | light) << overlays;
        EXPECT_EQ(defines(finalCompositeDefines(split | ripple | overlays)), "RIPPLE SPLIT ") << overlays;
    }
    EXPECT_EQ(defines(finalFinishDefines(flash | eye | card | shared | ripple | split)),
              "FINISH FLASH EYE CARD SHARED_SWIRL ");
    EXPECT_EQ(defines(finalFinishDefines(eye | card | split)), "FINISH EYE CARD ");
    EXPECT_EQ(finalFinishProgramVariant(flash | shared | split), flash);
}

TEST(LeftOutLayers, FinalCompositeShortensOnlyWithoutDistortionSplitOrLight)
{
    EXPECT_TRUE(finalCompositeIsVignetteOnly({0.0f, 0.0f, 0.0f}));
    // The curve's dip below 0 pours in no light (the shader takes max(0, m)).
    EXPECT_TRUE(finalCompositeIsVignetteOnly({0.0f, 0.0f, -0.01f}));
    EXPECT_FALSE(finalCompositeIsVignetteOnly({0.0f, 0.0f, 0.001f}));
    // Distortion and colour split act at either sign.
    EXPECT_FALSE(finalCompositeIsVignetteOnly({-0.001f, 0.0f, 0.0f}));
    EXPECT_FALSE(finalCompositeIsVignetteOnly({0.0f, -0.001f, 0.0f}));
    EXPECT_FALSE(finalCompositeIsVignetteOnly({0.2f, 0.3f, 0.3f}));
    // Between held notes the boosts come out exactly 0.
    EXPECT_TRUE(finalCompositeIsVignetteOnly(finalBoosts(0.0f, 0.0f, 0.0f)));
}

TEST(Background, ReadsItsMipmapsOnlyWhereTheWindowShrinksItsImage)
{
    // 512 x 512 tiled twice across and one and a half times up: 1280 x 720
    // puts 0.8 and 1.07 texels on a pixel.
    EXPECT_FALSE(backgroundNeedsMipmaps(1280, 720, 512, 512));
    EXPECT_FALSE(backgroundNeedsMipmaps(1920, 1080, 512, 512));
    EXPECT_FALSE(backgroundNeedsMipmaps(1024, 768, 512, 512));
    // Smaller windows, along either side.
    EXPECT_TRUE(backgroundNeedsMipmaps(800, 600, 512, 512));
    EXPECT_TRUE(backgroundNeedsMipmaps(480, 270, 512, 512));
    EXPECT_TRUE(backgroundNeedsMipmaps(1280, 640, 512, 512));
    EXPECT_TRUE(backgroundNeedsMipmaps(900, 1080, 512, 512));
}

// The overlays' cells: every pixel drawn once, and the eye or the card left
// out only where it cannot show (any swirl turns a point about the centre,
// so the eye reaches it when its distance, scaled, comes within the lit
// radius of a repeat's centre).
TEST(CompositeCells, CoverTheScreenOnceAndLeaveAnOverlayOutOnlyWhereItCannotShow)
{
    sOverlayReach busy; // as at the production's busiest frame
    busy.eye = busy.card = true;
    busy.eyeLitRadius = 0.382f;
    busy.eyeScale = 1.23f;
    busy.cardOpaqueFromT = 0.179f;
    busy.cardOpaqueToT = 0.837f;
    sOverlayReach small = busy, shrunk = busy, dark = busy;
    small.eyeLitRadius = 0.15f;
    shrunk.eyeScale = 3.5f; // the repeats come onto the screen
    dark.eyeLitRadius = -1.0f;
    for (const sOverlayReach& reach : {busy, small, shrunk, dark, sOverlayReach{}})
        for (const auto& [w, h] : {std::pair{640, 360}, {401, 301}, {1, 1}}) {
            std::vector<int> count(size_t(w) * size_t(h), 0);
            for (const sCompositeCell& c : compositeCells(w, h, reach))
                for (int y = c.y; y < c.y + c.height; ++y)
                    for (int x = c.x; x < c.x + c.width; ++x) {
                        ++count[size_t(y) * size_t(w) + size_t(x)];
                        const double r = std::hypot((x + 0.5) / w - 0.5, (y + 0.5) / h - 0.5) * reach.eyeScale;
                        bool eyeReaches = false;
                        for (double k : {0.0, 1.0, std::sqrt(2.0), 2.0, std::sqrt(5.0), std::sqrt(8.0)})
                            eyeReaches = eyeReaches || std::fabs(r - k) <= reach.eyeLitRadius;
                        const double t = 1.0 - (y + 0.5) / h;
                        // Marked only where the frame has it and its image
                        // has light; left out only where it cannot reach.
                        ASSERT_TRUE(!c.eye || (reach.eye && reach.eyeLitRadius >= 0.0f));
                        ASSERT_TRUE(!c.card || reach.card);
                        ASSERT_TRUE(c.eye || !reach.eye || !eyeReaches) << x << ", " << y;
                        ASSERT_TRUE(c.card || !reach.card || t <= reach.cardOpaqueFromT ||
                                    t >= reach.cardOpaqueToT) << x << ", " << y;
                    }
            ASSERT_EQ(std::count(count.begin(), count.end(), 1), static_cast<long>(count.size()));
        }

    // And they do leave a good part out: at the busiest frame the eye is
    // out of a third of the screen and the card of a quarter, in a few
    // dozen cells; an eye of unknown reach is drawn everywhere.
    double eyeShare = 0.0, cardShare = 0.0;
    const std::vector<sCompositeCell> cells = compositeCells(1280, 720, busy);
    for (const sCompositeCell& c : cells) {
        eyeShare += c.eye ? c.width * c.height / (1280.0 * 720.0) : 0.0;
        cardShare += c.card ? c.width * c.height / (1280.0 * 720.0) : 0.0;
    }
    EXPECT_LT(eyeShare, 0.67);
    EXPECT_GT(cardShare, 0.6);
    EXPECT_LT(cardShare, 0.75);
    EXPECT_LE(cells.size(), 80u);
    sOverlayReach unknown;
    unknown.eye = true;
    unknown.eyeLitRadius = std::numeric_limits<float>::infinity();
    EXPECT_EQ(compositeCells(640, 360, unknown).size(), 1u);
    EXPECT_TRUE(compositeCells(640, 360, unknown)[0].eye);
}
