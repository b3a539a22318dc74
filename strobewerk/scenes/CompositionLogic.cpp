#include "strobewerk/scenes/CompositionLogic.h"

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

int finalCompositeProgramVariant(int variant)
{
    const sFinalCompositeParts parts = sFinalCompositeParts::ofVariant(variant);
    if (parts.split)
        return sFinalCompositeParts{false, false, parts.ripple, true, parts.light}.variant();
    return sFinalCompositeParts{parts.flash, parts.card, parts.ripple, false, parts.light || !parts.ripple}
        .variant();
}

std::vector<std::string> finalCompositeDefines(int variant)
{
    std::vector<std::string> defines;
    const sFinalCompositeParts parts = sFinalCompositeParts::ofVariant(finalCompositeProgramVariant(variant));
    if (parts.flash)
        defines.push_back("FLASH");
    if (parts.card)
        defines.push_back("CARD");
    if (parts.ripple)
        defines.push_back("RIPPLE");
    if (parts.split)
        defines.push_back("SPLIT");
    if (parts.light)
        defines.push_back("LIGHT");
    return defines;
}

std::vector<std::string> finalFinishDefines(int variant)
{
    std::vector<std::string> defines{"FINISH"};
    const sFinalCompositeParts parts = sFinalCompositeParts::ofVariant(variant);
    if (parts.flash)
        defines.push_back("FLASH");
    if (parts.card)
        defines.push_back("CARD");
    return defines;
}

sFinalCompositeParts finalCompositeParts(const sCompositionState& s, const sFinalBoosts& boosts)
{
    return {s.flashLevel > 0.0f, s.cardFlash > 0.0f, boosts.distBoost != 0.0f, boosts.specBoost != 0.0f,
            boosts.mixBoost > 0.0f};
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
