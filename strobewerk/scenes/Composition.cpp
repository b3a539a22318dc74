#include "strobewerk/scenes/Composition.h"

#include <GL/glew.h>

#include <algorithm>
#include <functional>
#include <vector>

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
#include "vorn/OffscreenFrameBuffer.h"
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

// The layers below the blur (the background, the point lines and the seed
// boxes) are drawn straight into screenCopy, through a framebuffer with a
// depth buffer of its own, instead of into the window and copied out of it:
// the blur and the final composite read them from there, and the final
// composite is the one pass that draws into the window.
//
// They are drawn upside down (the background's quad mirrored, the camera's
// projection flipped; upsideDown): a renderer draws into a window from
// the top row down and into a texture from the bottom row up, and which
// pixel an edge that runs exactly through a pixel's centre falls to
// follows that direction. Drawn upside down, every edge falls as it did
// in the window, and the picture is the same to the bit. The blur is
// symmetric and works on it as it is; the final composite reads the layers
// and the blur the right way up.
sTextureTarget layersTarget;

void beginLayers()
{
    layersTarget.prepare(screenCopy, windowWidth, windowHeight, GL_RGBA, 0, true);
    layersTarget.frameBuffer->begin();
}

void drawBackground(float t, float energy, bool alternate)
{
    const sBackgroundUniforms u = backgroundUniforms(t, energy, alternate);
    setUniform(terskelProgram, "blackTer", u.blackTer);
    setUniform(terskelProgram, "scroller", u.scroller);
    setUniform(terskelProgram, "whiteTer", u.whiteTer);
    const GLint minFilter =
        backgroundNeedsMipmaps(windowWidth, windowHeight, happyTexture->getWidth(), happyTexture->getHeight())
            ? GL_LINEAR_MIPMAP_LINEAR
            : GL_LINEAR;
    if (happyTexture->isMipmapped() != (minFilter == GL_LINEAR_MIPMAP_LINEAR))
        happyTexture->setParameter(GL_TEXTURE_MIN_FILTER, minFilter);
    happyTexture->bind(0);
    drawOverlayColoured(terskelProgram, {1.0f, 1.0f, 1.0f, 1.0f}, 1.0f, -1.0f);
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

// A split frame's finished frame (its first pass draws it; the split
// reads it), the window's size, through a framebuffer of its own.
vorn::cTexture* finishedCopy = nullptr;
sTextureTarget finishTarget;

// Gives finishedCopy the window's size (before the composite's textures
// are bound: making its image binds it).
void prepareFinishTarget()
{
    if (finishedCopy == nullptr)
        finishedCopy = new vorn::cTexture(true);
    finishTarget.prepare(finishedCopy, windowWidth, windowHeight, GL_RGBA, 0);
}

void setCompositeUniforms(vorn::cShaderProgram* p, const sCompositionState& s, float t, const sFinalBoosts& boosts,
                          float flashLevel, float cardFlash)
{
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
}

// How far the frame's eye and card reach (from where their images show
// anything), so that the parts of the screen they cannot reach are drawn
// without them.
sOverlayReach overlayReach(const sCompositionState& s, const sFinalCompositeParts& parts, vorn::cTexture* card)
{
    sOverlayReach reach;
    reach.eye = parts.eye;
    if (parts.eye) {
        reach.eyeLitRadius = eyeTexture->coverage().litRadius;
        reach.eyeScale = 1.0f + s.cardDisto * 0.15f; // as blurryHAX.frag's swirledAt shrinks it
    }
    reach.card = parts.card && card != nullptr;
    if (reach.card) {
        reach.cardOpaqueFromT = card->coverage().opaqueFromT;
        reach.cardOpaqueToT = card->coverage().opaqueToT;
    }
    return reach;
}

// Draws a pass of the final composite once per cell, through the scissor
// where there is more than one, each with the program of `parts` less the
// eye and the card where the cell cannot show them (programs[variant &
// mask]); each program drawn with is given the frame's uniforms once.
void drawInCells(const std::vector<sCompositeCell>& cells, const sFinalCompositeParts& parts,
                 vorn::cShaderProgram* const* programs, int mask,
                 const std::function<void(vorn::cShaderProgram*)>& setUniforms)
{
    std::vector<vorn::cShaderProgram*> given;
    const bool scissor = cells.size() > 1;
    if (scissor)
        glEnable(GL_SCISSOR_TEST);
    for (const sCompositeCell& cell : cells) {
        sFinalCompositeParts here = parts;
        here.eye = here.eye && cell.eye;
        here.card = here.card && cell.card;
        vorn::cShaderProgram* p = programs[here.variant() & mask];
        if (std::find(given.begin(), given.end(), p) == given.end()) {
            setUniforms(p);
            given.push_back(p);
        }
        if (scissor)
            glScissor(cell.x, cell.y, cell.width, cell.height);
        drawOverlay(p, 1.0f, 1.0f);
    }
    if (scissor)
        glDisable(GL_SCISSOR_TEST);
}

// The final composite, which finishes the frame: it reads the layers below
// from screenCopy and draws, where it reads them, the glow, the warm fill
// flash, the flash image, the eye and the card (blurryHAX.frag); then
// ripples, splits and lights that through the boosts and darkens the
// corners (lolvarlay.frag). Each overlay used to be a pass of its own
// blended onto the window, and the composite read a copy of the window;
// the program works every layer's blend out itself, clamping after each as
// the colour buffer did, and replaces the window's pixels. A frame that is
// split is finished in a first pass into finishedCopy, which the split
// reads once per colour channel (the window's copy, as it used to be).
//
// The pass that draws the overlays is drawn in cells (compositeCells),
// each through the scissor by the program without the eye or the card
// where they cannot reach: those programs leave out lookups that could
// only read nothing, and draw the same pixels. With every layer drawn
// (setDrawEveryLayer) it is one cell with everything. The flash image and
// the eye kicked together are read at one swirled point (sharedSwirl).
void drawFinalComposite(const sCompositionState& s, float t, const sFinalBoosts& boosts, int variant)
{
    const sFinalCompositeParts parts = sFinalCompositeParts::ofVariant(variant);
    vorn::cTexture* units[finalCompositeUnits] = {metaballCopy, blurTargetA, screenCopy, nullptr,
                                                  nullptr,      nullptr,     nullptr,    nullptr};
    if (parts.split)
        prepareFinishTarget();
    if (parts.ripple)
        units[6] = metaballSlope;
    const float flashLevel = s.flashIndex < flashImages.size() ? s.flashLevel : 0.0f;
    if (parts.flash && flashLevel > 0.0f)
        units[3] = flashImages[s.flashIndex];
    const float cardFlash = s.cardIndex < cardImages.size() ? s.cardFlash : 0.0f;
    vorn::cTexture* card = s.cardIndex < cardImages.size() ? cardImages[s.cardIndex] : nullptr;
    if ((parts.eye || parts.card) && cardFlash > 0.0f) {
        units[4] = eyeTexture;
        units[5] = card;
    }
    for (int unit = finalCompositeUnits - 1; unit >= 0; --unit)
        if (units[unit] != nullptr)
            units[unit]->bind(unit);
    vorn::useDrawState({vorn::eBlend::off, false});

    const std::vector<sCompositeCell> cells =
        drawEveryLayer ? std::vector<sCompositeCell>{{0, 0, windowWidth, windowHeight, true, true}}
                       : compositeCells(windowWidth, windowHeight, overlayReach(s, parts, card));
    const auto setUniforms = [&](vorn::cShaderProgram* p) {
        setCompositeUniforms(p, s, t, boosts, flashLevel, cardFlash);
    };

    if (parts.split) {
        finishTarget.frameBuffer->begin();
        drawInCells(cells, parts, finalFinishPrograms, finalFinishVariants - 1, setUniforms);
        finishTarget.frameBuffer->end();
        finishedCopy->bind(7);
    }
    vorn::cShaderProgram* p = finalCompositePrograms[variant];
    if (p->generation() == 0) {
        // Without its program (its files missing or broken) the window
        // shows black rather than whatever it held.
        glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    if (parts.split) {
        setUniforms(p);
        drawOverlay(p, 1.0f, 1.0f);
    } else {
        drawInCells(cells, parts, finalCompositePrograms, finalCompositeVariants - 1, setUniforms);
    }
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

    const sFinalBoosts boosts = finalBoosts(state.cues.distortion, state.cues.colourSplit, state.cues.fieldMix);
    sFinalCompositeParts parts = finalCompositeParts(s, boosts);
    if (drawEveryLayer) {
        // Every part that shows nothing where it is not needed; the shared
        // swirl is a different picture unless its images swirl alike.
        const bool sharedSwirl = parts.sharedSwirl;
        parts = sFinalCompositeParts::ofVariant(finalCompositeVariants - 1);
        parts.sharedSwirl = sharedSwirl;
    }
    const int variant = parts.variant();

    // Every layer states its whole blend and depth set-up (the metaballs,
    // first, take nothing the caller left as known).
    drawMetaballs(state);
    if (parts.ripple)
        drawMetaballSlope();
    layerDone(eLayer::metaballs);

    glLoadIdentity();
    beginLayers();
    vorn::useDrawState({vorn::eBlend::off, false});
    drawBackground(t, state.backgroundEnergy, s.alternateBackground);
    layerDone(eLayer::background);

    vorn::useDrawState({vorn::eBlend::over, false});
    partyTexture->bind(0);
    glClear(GL_DEPTH_BUFFER_BIT);

    loadCameraRig(state.camera, true);
    applyShake(t, s.bump);
    drawPointLines(s, t);
    layerDone(eLayer::pointLines);

    // The boxes are opaque (alpha 1): blending them over would give their
    // own colour to the bit, at the cost of reading every pixel back.
    vorn::useDrawState({vorn::eBlend::off, true});
    drawSeedBoxes(state.seedBoxes, t);
    layerDone(eLayer::seedBoxes);
    layersTarget.frameBuffer->end();

    // The blur's passes are opaque and its target has no depth: they draw
    // the same whatever is set, and nothing need be.
    blurTexture(screenCopy, 4);
    layerDone(eLayer::blur);

    drawFinalComposite(s, t, boosts, variant);
    layerDone(eLayer::finalComposite);
}
