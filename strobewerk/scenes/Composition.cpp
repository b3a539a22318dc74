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
    copy->setImage(GL_TEXTURE_2D, 0, GL_RGBA, windowWidth, windowHeight, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    copy->setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    copy->setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
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

// The glow and the warm fill flash in one draw. The glow used to be laid
// over the frame (source alpha, one minus source alpha) and the flash added
// on top twice (source alpha, one); the shader now works out all three
// layers' colours and opacities from one pair of lookups and hands the
// blend their sum, laid over the frame with (one, one minus source alpha).
// The flash's second draw was depth-tested against the seed boxes, which
// lie far behind the overlay's depth and never held it back.
void drawGlowAndFillFlash(const sCompositionState& s)
{
    blurTargetA->bind(0);
    metaballCopy->bind(1);
    glUniform1i(blurryProgram->getUniformLocation("tex2"), 1);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    setUniform(blurryProgram, "col", 1.0f, 1.0f, 1.0f, 1.0f);
    setUniform(blurryProgram, "fill", 0.0f, 0.0f, 0.0f, 0.0f);
    setUniform(blurryProgram, "flashCol", 1.0f, 0.95f, 0.6f, s.fillFlash + 0.4f);
    setUniform(blurryProgram, "flashFill", 1.0f, 0.95f, 0.6f, s.fillFlash);
    drawOverlay(blurryProgram, 1.0f, 1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

void drawImageOverlay(vorn::cShaderProgram* program, vorn::cTexture* image, float disto, float t, float r, float g,
                      float b, float a)
{
    image->bind(0);
    setUniform(program, "disto", disto);
    setUniform(program, "t", t * 0.001f);
    setUniform(program, "col", r, g, b, a);
    drawOverlay(program, 1.0f, 1.0f);
}

void drawFlashEyeAndCard(const sCompositionState& s, float t)
{
    // A layer whose level is 0 or below adds nothing: its draw is left out.
    const sOverlayDraws draws = drawEveryLayer ? sOverlayDraws{true, true, true} : overlayDraws(s);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_ONE_MINUS_SRC_COLOR, GL_ONE);
    if (draws.flash && s.flashIndex < flashImages.size())
        drawImageOverlay(flashOverlayProgram, flashImages[s.flashIndex], s.flashDisto, t, s.flashLevel,
                         s.flashLevel, s.flashLevel, s.flashLevel);

    glBlendFunc(GL_ONE_MINUS_SRC_COLOR, GL_ONE);
    if (draws.eye)
        drawImageOverlay(eyeOverlayProgram, eyeTexture, s.cardDisto, t, s.cardFlash, s.cardFlash, s.cardFlash,
                         s.cardFlash);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (draws.card && s.cardIndex < cardImages.size())
        drawImageOverlay(textOverlayProgram, cardImages[s.cardIndex], s.cardDisto, t, 1.0f, 1.0f, 1.0f,
                         s.cardFlash);
}

// The final composite. While its boosts are 0 it only darkens the frame
// towards the corners: that is drawn straight onto the window as a
// multiplying pass (zero, source colour), with no copy of the window and no
// lookups. Otherwise the window is copied and laid over itself through the
// boosts.
void drawFinalComposite(const sNoteCues& cues)
{
    const sFinalBoosts boosts = finalBoosts(cues.distortion, cues.colourSplit, cues.fieldMix);
    if (!drawEveryLayer && finalCompositeIsVignetteOnly(boosts) && vignetteProgram != nullptr) {
        glBlendFunc(GL_ZERO, GL_SRC_COLOR);
        drawOverlay(vignetteProgram, 1.0f, 1.0f);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        return;
    }
    followWindowSize(screenCopy);
    screenCopy->bind(1);
    copyWindowInto(screenCopy);

    metaballCopy->bind(0);
    setUniform(lolvarlayProgram, "mixBoost", boosts.mixBoost);
    setUniform(lolvarlayProgram, "specBoost", boosts.specBoost);
    setUniform(lolvarlayProgram, "distBoost", boosts.distBoost);
    drawOverlay(lolvarlayProgram, 1.0f, 1.0f);
}

} // namespace

vorn::cShaderProgram* vignetteProgram = nullptr;

const char* layerName(eLayer layer)
{
    switch (layer) {
    case eLayer::metaballs: return "metaballs";
    case eLayer::background: return "background";
    case eLayer::pointLines: return "pointLines";
    case eLayer::seedBoxes: return "seedBoxes";
    case eLayer::blur: return "blur";
    case eLayer::overlays: return "overlays";
    case eLayer::finalComposite: return "finalComposite";
    }
    return "?";
}

void setUpFinalVignette()
{
    vignetteProgram = new vorn::cShaderProgram();
    vignetteProgram->load("overlay.vert", "vignette.frag");
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

    drawMetaballs(state);
    layerDone(eLayer::metaballs);

    glLoadIdentity();
    drawBackground(t, state.backgroundEnergy, s.alternateBackground);
    layerDone(eLayer::background);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    partyTexture->bind(0);
    glDisable(GL_DEPTH_TEST);
    glClear(GL_DEPTH_BUFFER_BIT);

    loadCameraRig(state.camera);
    applyShake(t, s.bump);
    drawPointLines(s, t);
    layerDone(eLayer::pointLines);

    glEnable(GL_DEPTH_TEST);
    drawSeedBoxes(state.seedBoxes, t);
    layerDone(eLayer::seedBoxes);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    followWindowSize(screenCopy);
    screenCopy->bind(0);
    copyWindowInto(screenCopy);
    blurTexture(screenCopy, 4);
    layerDone(eLayer::blur);

    drawGlowAndFillFlash(s);
    drawFlashEyeAndCard(s, t);
    layerDone(eLayer::overlays);

    drawFinalComposite(state.cues);
    layerDone(eLayer::finalComposite);
}
