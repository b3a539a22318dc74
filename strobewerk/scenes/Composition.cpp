#include "strobewerk/scenes/Composition.h"

#include <GL/glew.h>

#include "strobewerk/FrameState.h"
#include "strobewerk/scenes/BlurChain.h"
#include "strobewerk/scenes/CameraRig.h"
#include "strobewerk/scenes/CompositionLogic.h"
#include "strobewerk/scenes/Metaballs.h"
#include "strobewerk/scenes/SceneResources.h"
#include "strobewerk/scenes/SceneState.h"
#include "strobewerk/scenes/SeedBoxes.h"
#include "vorn/DrawState.h"
#include "vorn/Mesh.h"
#include "vorn/ShaderProgram.h"
#include "vorn/Texture.h"

namespace {

LayerObserver layerObserver = nullptr;
bool drawEveryLayer = false;

void layerDone(eLayer layer)
{
    if (layerObserver != nullptr)
        layerObserver(layer);
}

void setUniform(vorn::cShaderProgram* program, const char* name, float value)
{
    glUniform1f(program->getUniformLocation(name), value);
}

void setUniform(vorn::cShaderProgram* program, const char* name, float x, float y, float z, float w)
{
    glUniform4f(program->getUniformLocation(name), x, y, z, w);
}

// Gives a window copy the window's current size (the window may have been
// resized since the copy was made or last used).
void followWindowSize(vorn::cTexture* copy)
{
    if (copy->getWidth() == windowWidth && copy->getHeight() == windowHeight)
        return;
    giveEmptyImage(copy, windowWidth, windowHeight);
}

void drawBackground(float t, float energy, bool alternate)
{
    const sBackgroundUniforms u = backgroundUniforms(t, energy, alternate);
    setUniform(terskelProgram, "blackTer", u.blackTer);
    setUniform(terskelProgram, "scroller", u.scroller);
    setUniform(terskelProgram, "whiteTer", u.whiteTer);
    happyTexture->bind(0);
    drawOverlayColoured(terskelProgram, {1.0f, 1.0f, 1.0f, 1.0f}, 1.0f, 1.0f);
}

void applyShake(float t, float bump)
{
    const sShakeTransform shake = shakeTransform(t, bump);
    glTranslatef(shake.translation.x, shake.translation.y, shake.translation.z);
    glRotatef(shake.angleDegrees, shake.axis.x, shake.axis.y, shake.axis.z);
}

void drawPointLines(const sCompositionState& s, float t)
{
    lineProgram->use();
    glLineWidth(7.0f);
    glPointSize(20.0f);
    setUniform(lineProgram, "col", 1.0f, 1.0f, 1.0f, 0.6f);
    const std::vector<sLineSegment> segments = pointLineSegments(s.points, t, s.pointFlash);
    if (segments.empty())
        return;
    glBegin(GL_LINES);
    for (const sLineSegment& segment : segments) {
        glVertex3f(segment.start.x, segment.start.y, segment.start.z);
        glVertex3f(segment.end.x, segment.end.y, segment.end.z);
    }
    glEnd();
}

// The final composite, which finishes the frame in the same pass: it
// reads the window as the layers below left it from screenCopy (copied for
// the blur) and draws, where it reads it, the glow, the warm fill flash,
// the flash image, the eye and the card (blurryHAX.frag); then ripples,
// splits and lights that through the boosts and darkens the corners
// (lolvarlay.frag). Each overlay used to be a pass of its own blended onto
// the window and the composite read a second copy of it; the program now
// works every layer's blend out itself, clamping after each as the colour
// buffer did, and replaces the window's pixels. An overlay whose level is
// 0 or below adds nothing and its lookups are skipped.
void drawFinalComposite(const sCompositionState& s, float t, const sFinalBoosts& boosts)
{
    vorn::cTexture* units[finalCompositeUnits] = {metaballCopy, blurTargetA, screenCopy, nullptr, nullptr, nullptr};
    const float flashLevel = s.flashIndex < flashImages.size() ? s.flashLevel : 0.0f;
    if (flashLevel > 0.0f)
        units[3] = flashImages[s.flashIndex];
    const float cardFlash = s.cardIndex < cardImages.size() ? s.cardFlash : 0.0f;
    if (cardFlash > 0.0f) {
        units[4] = eyeTexture;
        units[5] = cardImages[s.cardIndex];
    }
    for (int unit = finalCompositeUnits - 1; unit >= 0; --unit)
        if (units[unit] != nullptr)
            units[unit]->bind(unit);
    vorn::useDrawState({vorn::eBlend::off, false});
    const int variant = drawEveryLayer ? finalCompositeVariants - 1 : finalCompositeParts(s, boosts).variant();
    vorn::cShaderProgram* p = finalCompositePrograms[variant];
    setUniform(p, "col", 1.0f, 1.0f, 1.0f, 1.0f);
    setUniform(p, "fill", 0.0f, 0.0f, 0.0f, 0.0f);
    setUniform(p, "flashCol", 1.0f, 0.95f, 0.6f, s.fillFlash + 0.4f);
    setUniform(p, "flashFill", 1.0f, 0.95f, 0.6f, s.fillFlash);
    setUniform(p, "flashLevel", flashLevel);
    setUniform(p, "flashDisto", s.flashDisto);
    setUniform(p, "cardFlash", cardFlash);
    setUniform(p, "cardDisto", s.cardDisto);
    setUniform(p, "t", t * 0.001f);
    setUniform(p, "mixBoost", boosts.mixBoost);
    setUniform(p, "specBoost", boosts.specBoost);
    setUniform(p, "distBoost", boosts.distBoost);
    drawOverlay(p, 1.0f, 1.0f);
}

} // namespace

const char* layerName(eLayer layer)
{
    switch (layer) {
    case eLayer::metaballs: return "metaballs";
    case eLayer::background: return "background";
    case eLayer::pointLines: return "pointLines";
    case eLayer::seedBoxes: return "seedBoxes";
    case eLayer::blur: return "blur";
    case eLayer::finalComposite: return "finalComposite";
    }
    return "?";
}

void setLayerObserver(LayerObserver observer)
{
    layerObserver = observer;
}

void setDrawEveryLayer(bool on)
{
    drawEveryLayer = on;
}

sSceneCounts sceneCounts()
{
    return {static_cast<unsigned>(cardImages.size()), static_cast<unsigned>(flashImages.size())};
}

void composeFrame(const sSceneState& state, std::int32_t songTimeMs)
{
    const sCompositionState& s = state.effects;
    const float t = static_cast<float>(songTimeMs);

    // Every layer states its whole blend and depth set-up (the metaballs,
    // first, take nothing the caller left as known).
    drawMetaballs(state);
    layerDone(eLayer::metaballs);

    glLoadIdentity();
    vorn::useDrawState({vorn::eBlend::off, false});
    drawBackground(t, state.backgroundEnergy, s.alternateBackground);
    layerDone(eLayer::background);

    vorn::useDrawState({vorn::eBlend::over, false});
    partyTexture->bind(0);
    glClear(GL_DEPTH_BUFFER_BIT);

    loadCameraRig(state.camera);
    applyShake(t, s.bump);
    drawPointLines(s, t);
    layerDone(eLayer::pointLines);

    vorn::useDrawState({vorn::eBlend::over, true});
    drawSeedBoxes(state.seedBoxes, t);
    layerDone(eLayer::seedBoxes);

    // The blur's passes are opaque and its target has no depth: they draw
    // the same whatever is set, and nothing need be.
    followWindowSize(screenCopy);
    screenCopy->bind(0);
    copyWindowInto(screenCopy);
    blurTexture(screenCopy, 4);
    layerDone(eLayer::blur);

    drawFinalComposite(s, t, finalBoosts(state.cues.distortion, state.cues.colourSplit, state.cues.fieldMix));
    layerDone(eLayer::finalComposite);
}
