#include "strobewerk/scenes/Metaballs.h"

#include <GL/glew.h>

#include <cmath>

#include "strobewerk/FrameState.h"
#include "strobewerk/scenes/CompositionLogic.h"
#include "strobewerk/scenes/SceneState.h"
#include "strobewerk/scenes/SceneResources.h"
#include "vorn/Mesh.h"
#include "vorn/OffscreenFrameBuffer.h"
#include "vorn/ShaderProgram.h"
#include "vorn/Texture.h"
#include "vorn/Vec2f.h"

vorn::cShaderProgram* exactBlobProgram = nullptr;

namespace {

// The polygon every blob is drawn as: 16 corners around the unit circle,
// as a fan of triangles (a quad would shade a fifth more pixels that the
// blob never reaches).
vorn::cMesh* blobMesh = nullptr;
constexpr int blobCorners = 16;

vorn::cMesh* makeBlobMesh()
{
    std::vector<float> corners;
    const float outer = 1.0f / std::cos(3.14159265f / blobCorners);
    for (int i = 0; i < blobCorners; ++i) {
        const float a = (static_cast<float>(i) + 0.5f) * 2.0f * 3.14159265f / blobCorners;
        corners.insert(corners.end(), {std::cos(a) * outer, std::sin(a) * outer, 0.0f});
    }
    std::vector<GLuint> triangles;
    for (GLuint i = 1; i + 1 < blobCorners; ++i)
        triangles.insert(triangles.end(), {0, i, i + 1});
    auto* mesh = new vorn::cMesh();
    mesh->positions.setData(GL_ARRAY_BUFFER, 4, 3, blobCorners, GL_FLOAT, corners.data(), GL_STATIC_DRAW);
    mesh->indices.setData(GL_ELEMENT_ARRAY_BUFFER, 4, 3, blobCorners - 2, GL_UNSIGNED_INT, triangles.data(),
                          GL_STATIC_DRAW);
    return mesh;
}

// The framebuffer the blobs are drawn into, with metaballCopy as its colour.
vorn::cOffscreenFrameBuffer* fieldTarget = nullptr;
vorn::cTexture* fieldTargetTexture = nullptr;

// Gives metaballCopy the field's size for the current window and makes it
// the field target's colour (again, when a test or a resize replaced it).
void prepareFieldTarget(bool fullResolution)
{
    const int w = fullResolution ? windowWidth : metaballFieldSize(windowWidth);
    const int h = fullResolution ? windowHeight : metaballFieldSize(windowHeight);
    if (metaballCopy->getWidth() != w || metaballCopy->getHeight() != h) {
        metaballCopy->setImage(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        metaballCopy->setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        metaballCopy->setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    if (fieldTarget == nullptr) {
        fieldTarget = new vorn::cOffscreenFrameBuffer(w, h, GL_COLOR_BUFFER_BIT);
        fieldTarget->setClearColour(vorn::vec4f(0.0f, 0.0f, 0.0f, 0.0f));
    }
    if (fieldTargetTexture != metaballCopy) {
        fieldTarget->attachTexture(metaballCopy, GL_COLOR_ATTACHMENT0_EXT, 0);
        fieldTargetTexture = metaballCopy;
    }
    fieldTarget->setSize(vorn::vec2f(static_cast<float>(w), static_cast<float>(h)));
}

} // namespace

void setUpParticles()
{
    exactBlobProgram = new vorn::cShaderProgram();
    exactBlobProgram->load("metaball2.vert", "metaballExact.frag");
    prepareFieldTarget(false);
}

void drawMetaballs(const sSceneState& state)
{
    // The final composite ripples the frame along the field's slope while
    // its distortion boost is on, and the slope's finest grain shows there:
    // the field is then drawn exactly, at full resolution with the tint
    // read from the gradient image. Otherwise at a third of the resolution
    // with the tint worked out in the shader.
    const bool rippled = finalBoosts(state.cues.distortion, 0.0f, 0.0f).distBoost != 0.0f;
    prepareFieldTarget(rippled);
    if (blobMesh == nullptr)
        blobMesh = makeBlobMesh();
    vorn::cShaderProgram* program = metaballProgram;
    if (rippled && exactBlobProgram != nullptr) {
        program = exactBlobProgram;
        grad2Texture->bind(0);
    }
    // The window's viewport, put back afterwards whoever called (the frame
    // has the window target begun, which the field target's end restores;
    // a caller without one gets its own viewport back all the same).
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    fieldTarget->begin();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);

    const GLint sizeLocation = program->getUniformLocation("size");
    const GLint strengthLocation = program->getUniformLocation("strength");
    const GLint posLocation = program->getUniformLocation("pos");
    for (const sParticle& p : state.particles) {
        glUniform1f(sizeLocation, p.size);
        glUniform1f(strengthLocation, particleStrength(p));
        glUniform2fv(posLocation, 1, p.position.data());
        blobMesh->draw(program, GL_TRIANGLES);
    }
    fieldTarget->end();
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glDisable(GL_BLEND);
}
