#include "strobewerk/scenes/CompositionLogic.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <tuple>

#include "strobewerk/scenes/CurvesLogic.h"

const std::vector<float> boostCurve{0.0f, 1.0f, 0.5f, 0.0f};

bool trigger(float& value, bool cue, const sKickRule& rule)
{
    if (cue && value < rule.rearmBelow) {
        value = rule.kick;
        return true;
    }
    return false;
}

void decay(float& value, float dt, float ratePerMs)
{
    if (value > 0.0f)
        value -= dt * ratePerMs;
    else
        value = 0.0f;
}

void decayClamped(float& value, float dt, float ratePerMs)
{
    value -= dt * ratePerMs;
    if (value < 0.0f)
        value = 0.0f;
}

void updateBump(sCompositionState& s, bool cue, float dt)
{
    trigger(s.bump, cue, bumpRule);
    decayClamped(s.bump, dt, bumpRule.ratePerMs);
}

void updatePointFlash(sCompositionState& s, bool cue, float dt)
{
    trigger(s.pointFlash, cue, pointFlashRule);
    decayClamped(s.pointFlash, dt, pointFlashRule.ratePerMs);
}

void updateFillFlash(sCompositionState& s, bool cue, float dt)
{
    trigger(s.fillFlash, cue, fillFlashRule);
    decay(s.fillFlash, dt, fillFlashRule.ratePerMs);
}

bool updatePoints(sCompositionState& s, bool buttonDown, const vorn::vec3f& cameraPosition)
{
    const bool add = buttonDown && !s.pointButtonWasDown;
    if (add)
        s.points.push_back(cameraPosition);
    s.pointButtonWasDown = buttonDown;
    return add;
}

unsigned nextCardIndex(unsigned index, bool greetingsCue, bool& greetingsStarted, unsigned cardCount)
{
    if (greetingsCue) {
        if (!greetingsStarted) {
            index = 1;
            greetingsStarted = true;
        }
        index += 1;
        if (index >= cardCount)
            index = 2;
        return index;
    }
    return (index + 1) % 2;
}

void updateCards(sCompositionState& s, bool titleCue, bool greetingsCue, unsigned cardCount, float dt)
{
    if (!s.cardIndexSet) {
        s.cardIndex = cardCount > 0 ? cardCount - 1 : 0;
        s.cardIndexSet = true;
    }
    if ((titleCue || greetingsCue) && s.cardFlash < cardFlashRule.rearmBelow) {
        s.cardIndex = nextCardIndex(s.cardIndex, greetingsCue, s.greetingsStarted, cardCount);
        s.cardFlash = cardFlashRule.kick;
        s.cardDisto = cardFlashRule.kick;
    }
    decay(s.cardDisto, dt, cardDistoRate);
    decay(s.cardFlash, dt, cardFlashRule.ratePerMs);
}

bool updateFlashImage(sCompositionState& s, bool cue, const RandomSource& random, unsigned imageCount,
                      float dt)
{
    const bool kicked = cue && s.flashLevel < flashLevelRule.rearmBelow;
    if (kicked) {
        const unsigned value = static_cast<unsigned>(random());
        s.flashIndex = imageCount > 0 ? value % imageCount : 0;
        s.flashLevel = flashLevelRule.kick;
        s.flashDisto = flashLevelRule.kick;
    }
    decay(s.flashDisto, dt, flashDistoRate);
    decay(s.flashLevel, dt, flashLevelRule.ratePerMs);
    return kicked;
}

float updateEnergy(float energy, float spectrumMeanValue, float dt)
{
    const float level = spectrumMeanValue * 200.0f;
    energy += level * level * dt;
    energy -= dt * 0.01f;
    if (energy < 0.0f)
        energy = 0.0f;
    return energy;
}

float nudgeEnergy(float energy, float axis, float dt)
{
    return energy + axis * dt * 0.1f;
}

float axisValue(std::int16_t reading)
{
    if (std::abs(static_cast<int>(reading)) < 8000)
        return 0.0f;
    return static_cast<float>(reading) / 32000.0f;
}

sBackgroundUniforms backgroundUniforms(float t, float energy, bool alternate)
{
    sBackgroundUniforms u{};
    if (alternate) {
        u.blackTer = std::sin(t * 0.01f + energy * 0.01f) * 0.5f + 0.5f;
        u.whiteTer = std::cos(t * 0.0113f) * 0.5f + 0.5f;
    } else {
        u.blackTer = std::cos(t * 0.0001f + energy * 0.01f) * 0.5f + 0.5f;
        u.whiteTer = std::sin(t * 0.000113f) * 0.5f + 0.5f;
    }
    u.scroller = t * 0.0001f - std::fabs(std::sin(energy * 0.001f) * 10.0f);
    return u;
}

sShakeTransform shakeTransform(float t, float bump)
{
    const float a = bump * 8.0f;
    sShakeTransform s;
    s.translation = {std::sin(t * 1.533f + bump * 0.0123f) * a,
                     std::sin(t * 1.53543f + bump * 0.02f + 2.34f) * a,
                     std::sin(t * 1.43f + bump * 0.0122f - 1.54f) * a};
    s.angleDegrees = bump * 8.0f;
    s.axis = {std::sin(t * 0.13542f + bump * 0.01f) + 1.0f,
              std::sin(t * 0.1235f + bump * 0.02f + 1.34f),
              std::cos(t * 0.13f + bump * 0.02f + 0.54f)};
    return s;
}

namespace {

// The wobble of point k; xy and z carry their own amplitudes because a
// segment's end uses the flash in x and y differently from its start.
vorn::vec3f pointOffset(float t, int k, float xyAmp, float zAmp)
{
    const float kf = static_cast<float>(k);
    return {std::sin(t * 0.0034f + kf * 2.1f) * (xyAmp + 5.2972393f),
            std::cos(t * 0.00324f + kf * 1.7f) * (xyAmp + 5.250172458995879f),
            std::cos(t * 0.0031224f + kf * 1.723f + 1.23f) * (zAmp + 5.8617095719546075f)};
}

} // namespace

std::vector<sLineSegment> pointLineSegments(const std::vector<vorn::vec3f>& points, float t, float pointFlash)
{
    std::vector<sLineSegment> segments;
    if (points.size() < 2)
        return segments;
    const float w = pointFlash * pointFlash * 60.0f;
    segments.reserve(points.size() - 1);
    for (size_t j = 0; j + 1 < points.size(); ++j) {
        const int k = static_cast<int>(j) + 1;
        sLineSegment seg;
        seg.start = points[j] + pointOffset(t, static_cast<int>(j), w, w);
        seg.end = points[j + 1] + pointOffset(t, k, pointFlash * 12.0f, w);
        segments.push_back(seg);
    }
    return segments;
}

bool backgroundNeedsMipmaps(int windowWidth, int windowHeight, int imageWidth, int imageHeight)
{
    constexpr float mostTexelsAPixel = 1.1f;
    return 2.0f * static_cast<float>(imageWidth) > mostTexelsAPixel * static_cast<float>(windowWidth) ||
           1.5f * static_cast<float>(imageHeight) > mostTexelsAPixel * static_cast<float>(windowHeight);
}

sFinalBoosts finalBoosts(float distProgress, float specProgress, float mixProgress)
{
    return {sampleCurve(boostCurve, distProgress) * 0.2f,
            sampleCurve(boostCurve, specProgress) * 0.3f,
            sampleCurve(boostCurve, mixProgress) * 0.3f};
}

namespace {

// The overlays of `parts` as their program has them: the shared swirl
// only with both of the images that share it.
sFinalCompositeParts programOverlays(sFinalCompositeParts parts)
{
    parts.sharedSwirl = parts.sharedSwirl && parts.flash && parts.eye;
    return parts;
}

// The name each part defines in its program.
struct sPartDefine {
    bool sFinalCompositeParts::*part;
    const char* name;
};
constexpr sPartDefine overlayDefines[] = {{&sFinalCompositeParts::flash, "FLASH"},
                                          {&sFinalCompositeParts::eye, "EYE"},
                                          {&sFinalCompositeParts::card, "CARD"},
                                          {&sFinalCompositeParts::sharedSwirl, "SHARED_SWIRL"}};
constexpr sPartDefine lastPassDefines[] = {{&sFinalCompositeParts::ripple, "RIPPLE"},
                                           {&sFinalCompositeParts::split, "SPLIT"},
                                           {&sFinalCompositeParts::light, "LIGHT"}};

template <size_t N>
void addDefines(std::vector<std::string>& defines, const sFinalCompositeParts& parts, const sPartDefine (&table)[N])
{
    for (const sPartDefine& entry : table)
        if (parts.*entry.part)
            defines.push_back(entry.name);
}

} // namespace

int finalCompositeProgramVariant(int variant)
{
    const sFinalCompositeParts parts = programOverlays(sFinalCompositeParts::ofVariant(variant));
    if (parts.split)
        return sFinalCompositeParts{false, false, false, false, parts.ripple, true, parts.light}.variant();
    return sFinalCompositeParts{parts.flash,  parts.eye, parts.card, parts.sharedSwirl,
                                parts.ripple, false,     parts.light || !parts.ripple}
        .variant();
}

int finalFinishProgramVariant(int variant)
{
    return programOverlays(sFinalCompositeParts::ofVariant(variant)).overlayBits();
}

std::vector<std::string> finalCompositeDefines(int variant)
{
    std::vector<std::string> defines;
    const sFinalCompositeParts parts = sFinalCompositeParts::ofVariant(finalCompositeProgramVariant(variant));
    addDefines(defines, parts, overlayDefines);
    addDefines(defines, parts, lastPassDefines);
    return defines;
}

std::vector<std::string> finalFinishDefines(int variant)
{
    std::vector<std::string> defines{"FINISH"};
    addDefines(defines, sFinalCompositeParts::ofVariant(finalFinishProgramVariant(variant)), overlayDefines);
    return defines;
}

sFinalCompositeParts finalCompositeParts(const sCompositionState& s, const sFinalBoosts& boosts)
{
    const bool flash = s.flashLevel > 0.0f, cards = s.cardFlash > 0.0f;
    return {flash,
            cards,
            cards,
            flash && cards && s.flashDisto == s.cardDisto,
            boosts.distBoost != 0.0f,
            boosts.specBoost != 0.0f,
            boosts.mixBoost > 0.0f};
}

namespace {

// Kept around the overlays' reach, in screen coordinates (0..1 across):
// about 4 pixels at 1280 wide, far more than the float arithmetic of the
// shader and of the tests here can disagree by.
constexpr double reachMargin = 0.003;

// A run of columns in a band, and whether the eye can show in it.
struct sColumnRun {
    int x, width;
    bool eye;
    bool operator==(const sColumnRun& o) const { return x == o.x && width == o.width && eye == o.eye; }
};

// The distances from the screen's centre between which the eye cannot
// show: its image's light around the image's centre reaches out to
// litRadius, and that around the nearest repeats (distance 1) in to
// 1 - litRadius; both shrink by the scale. Empty (from > to) where no
// such ring exists.
struct sEyeRing {
    double from, to;
};

sEyeRing eyeFreeRing(const sOverlayReach& reach)
{
    if (!(reach.eyeScale > 0.01f) || !std::isfinite(reach.eyeLitRadius))
        return {1.0, 0.0};
    const double r = reach.eyeLitRadius, s = reach.eyeScale;
    return {r / s + reachMargin, (1.0 - r) / s - reachMargin};
}

// The column runs of a band of rows [firstRow, endRow).
std::vector<sColumnRun> bandRuns(int width, int height, int firstRow, int endRow, bool eye, const sEyeRing& ring)
{
    std::vector<sColumnRun> runs;
    // The rows' centres' distances from the middle, nearest and farthest.
    const double dyLow = (firstRow + 0.5) / height - 0.5, dyHigh = (endRow - 0.5) / height - 0.5;
    const double dyNear = (dyLow <= 0.0 && dyHigh >= 0.0) ? 0.0 : std::min(std::fabs(dyLow), std::fabs(dyHigh));
    const double dyFar = std::max(std::fabs(dyLow), std::fabs(dyHigh));
    // A column is clear of the eye when its centre is outside the inner
    // disc at the nearest row and inside the outer edge at the farthest.
    const double innerSquared = ring.from * ring.from - dyNear * dyNear;
    const double outerSquared = ring.to * ring.to - dyFar * dyFar;
    for (int x = 0; x < width; ++x) {
        const double dx = (x + 0.5) / width - 0.5;
        const bool clear = ring.from < ring.to && dx * dx > innerSquared && dx * dx < outerSquared;
        const bool eyeHere = eye && !clear;
        if (!runs.empty() && runs.back().eye == eyeHere)
            ++runs.back().width;
        else
            runs.push_back({x, 1, eyeHere});
    }
    return runs;
}

} // namespace

std::vector<sCompositeCell> compositeCells(int width, int height, const sOverlayReach& reach, int bandCount)
{
    std::vector<sCompositeCell> cells;
    if (width <= 0 || height <= 0)
        return cells;
    bandCount = std::max(1, std::min(bandCount, height));
    const sEyeRing ring = eyeFreeRing(reach);
    // An image without light adds nothing anywhere.
    const bool eyeAnywhere = reach.eye && reach.eyeLitRadius >= 0.0f;
    // The card shows in row y (from the bottom) when its image row 1 - y,
    // at the row's centre, lies in the opaque range (with the margin).
    auto cardAt = [&](int row) {
        const double t = 1.0 - (row + 0.5) / height;
        return reach.card && t > reach.cardOpaqueFromT - reachMargin && t < reach.cardOpaqueToT + reachMargin;
    };
    std::vector<sColumnRun> lastRuns;
    bool lastCard = false;
    size_t lastBandCells = 0;
    int row = 0;
    while (row < height) {
        // The band ends at the next of the even band edges or where the
        // card starts or stops showing.
        const int band = row * bandCount / height;
        int end = std::min(height, ((band + 1) * height + bandCount - 1) / bandCount);
        if (end <= row)
            end = row + 1;
        const bool card = cardAt(row);
        for (int r = row + 1; r < end; ++r)
            if (cardAt(r) != card) {
                end = r;
                break;
            }
        std::vector<sColumnRun> runs = bandRuns(width, height, row, end, eyeAnywhere, ring);
        if (!cells.empty() && card == lastCard && runs == lastRuns) {
            for (size_t i = cells.size() - lastBandCells; i < cells.size(); ++i)
                cells[i].height += end - row;
        } else {
            for (const sColumnRun& run : runs)
                cells.push_back({run.x, row, run.width, end - row, run.eye, card});
            lastBandCells = runs.size();
            lastRuns = std::move(runs);
            lastCard = card;
        }
        row = end;
    }
    return cells;
}

bool finalCompositeIsVignetteOnly(const sFinalBoosts& boosts)
{
    return boosts.distBoost == 0.0f && boosts.specBoost == 0.0f && boosts.mixBoost <= 0.0f;
}

// Each field is bound by name: a field added to the struct stops this from
// compiling until it is compared too.
bool operator==(const sCompositionState& a, const sCompositionState& b)
{
    const auto& [aEnergy, aBump, aPointFlash, aPoints, aPointDown, aFillFlash, aCardIndex, aCardSet, aGreetings,
                 aCardFlash, aCardDisto, aFlashIndex, aFlashLevel, aFlashDisto, aAlternate] = a;
    const auto& [bEnergy, bBump, bPointFlash, bPoints, bPointDown, bFillFlash, bCardIndex, bCardSet, bGreetings,
                 bCardFlash, bCardDisto, bFlashIndex, bFlashLevel, bFlashDisto, bAlternate] = b;
    return std::tie(aEnergy, aBump, aPointFlash, aPoints, aPointDown, aFillFlash, aCardIndex, aCardSet, aGreetings,
                    aCardFlash, aCardDisto, aFlashIndex, aFlashLevel, aFlashDisto, aAlternate)
           == std::tie(bEnergy, bBump, bPointFlash, bPoints, bPointDown, bFillFlash, bCardIndex, bCardSet, bGreetings,
                       bCardFlash, bCardDisto, bFlashIndex, bFlashLevel, bFlashDisto, bAlternate);
}
