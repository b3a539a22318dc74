#include "strobewerk/scenes/Metaballs.h"

#include <GL/glew.h>

#include <cmath>

#include "strobewerk/FrameState.h"
#include "strobewerk/scenes/MetaballsLogic.h"
#include "strobewerk/scenes/SceneState.h"
#include "strobewerk/scenes/SceneResources.h"
#include "vorn/DrawState.h"
#include "vorn/Mesh.h"
#include "vorn/OffscreenFrameBuffer.h"
#include "vorn/ShaderProgram.h"
#include "vorn/Texture.h"
#include "vorn/Vec2f.h"

namespace {

bool exactField = false;

// Every blob is drawn as a polygon of blobCorners corners around the unit
// circle, as a fan of triangles (a quad would shade a fifth more pixels
// that the blob never reaches). All blobs are one mesh drawn at once: the
// corners and the triangles stay, and each frame hands every corner its
// blob's place, size and strength (blobAttributes), so the field costs one
// draw instead of one per particle. The triangles are drawn in particle
// order, so the blobs add up in the same order as one draw each would.
vorn::cMesh* blobMesh = nullptr;
std::size_t blobMeshParticles = 0;

void makeBlobMesh(std::size_t particles)
{
    if (blobMesh == nullptr)
        blobMesh = new vorn::cMesh();
    std::vector<float> corners;
    const float outer = 1.0f / std::cos(3.14159265f / blobCorners);
    for (int i = 0; i < blobCorners; ++i) {
        const float a = (static_cast<float>(i) + 0.5f) * 2.0f * 3.14159265f / blobCorners;
        corners.insert(corners.end(), {std::cos(a) * outer, std::sin(a) * outer, 0.0f});
    }
    std::vector<float> allCorners;
    std::vector<GLuint> triangles;
    for (std::size_t p = 0; p < particles; ++p) {
        allCorners.insert(allCorners.end(), corners.begin(), corners.end());
        const auto first = static_cast<GLuint>(p * blobCorners);
        for (GLuint i = 1; i + 1 < blobCorners; ++i)
            triangles.insert(triangles.end(), {first, first + i, first + i + 1});
    }
    const auto count = static_cast<GLint>(particles);
    blobMesh->positions.setData(GL_ARRAY_BUFFER, 4, 3, count * blobCorners, GL_FLOAT, allCorners.data(),
                                GL_STATIC_DRAW);
    blobMesh->indices.setData(GL_ELEMENT_ARRAY_BUFFER, 4, 3, count * (blobCorners - 2), GL_UNSIGNED_INT,
                              triangles.data(), GL_STATIC_DRAW);
    blobMeshParticles = particles;
}

// The blobs are added up into metaballCopy (cleared first); the slope is
// drawn into metaballSlope (every texel, nothing to clear).
sTextureTarget fieldTarget;
sTextureTarget slopeTarget;

void prepareFieldTarget()
{
    const int w = exactField ? windowWidth : metaballFieldSize(windowWidth);
    const int h = exactField ? windowHeight : metaballFieldSize(windowHeight);
    fieldTarget.prepare(metaballCopy, w, h, fieldFormat, GL_COLOR_BUFFER_BIT);
}

// Runs `draw` with `target` begun, and puts back the viewport whoever
// called had (the frame has the window target begun, which the target's
// end restores; a caller without one gets its own viewport back all the
// same).
template <typename Draw>
void drawInto(sTextureTarget& target, Draw draw)
{
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    target.frameBuffer->begin();
    draw();
    target.frameBuffer->end();
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

} // namespace

void setUpParticles()
{
    prepareFieldTarget();
}

void drawMetaballSlope()
{
    slopeTarget.prepare(metaballSlope, metaballCopy->getWidth(), metaballCopy->getHeight(), slopeFormat, 0);
    drawInto(slopeTarget, [] {
        vorn::useDrawState({vorn::eBlend::off, false});
        metaballCopy->bind(0);
        quadMesh->draw(fieldSlopeProgram, GL_TRIANGLES);
    });
}

void setExactMetaballField(bool on)
{
    exactField = on;
}

void drawMetaballs(const sSceneState& state)
{
    // The first layer: whoever called may have set blending and depth
    // testing any way, so nothing of them is taken as known.
    vorn::forgetDrawState();
    prepareFieldTarget();
    if (blobMesh == nullptr || blobMeshParticles != state.particles.size())
        makeBlobMesh(state.particles.size());
    const std::vector<float> blobs = blobAttributes(state.particles);
    blobMesh->attributes["blob"].setData(GL_ARRAY_BUFFER, 4, 4, static_cast<GLint>(blobs.size() / 4), GL_FLOAT,
                                         blobs.data(), GL_STREAM_DRAW);
    drawInto(fieldTarget, [&] {
        vorn::useDrawState({vorn::eBlend::add, false});
        if (!state.particles.empty())
            blobMesh->draw(metaballProgram, GL_TRIANGLES);
    });
    vorn::useDrawState({vorn::eBlend::off, false});
}
