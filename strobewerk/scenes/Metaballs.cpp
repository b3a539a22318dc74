#include "strobewerk/scenes/Metaballs.h"

#include <GL/glew.h>

#include <cstdlib>

#include "strobewerk/NoteList.h"
#include "strobewerk/FrameState.h"
#include "strobewerk/scenes/SceneResources.h"
#include "vorn/Mesh.h"
#include "vorn/ShaderProgram.h"
#include "vorn/Texture.h"

std::vector<sParticle> particles;
float metaballClock = 0.0f;

namespace {

int productionRandom()
{
    return std::rand();
}

} // namespace

void setUpParticles()
{
    spawnParticles(particles, productionRandom);
}

void drawMetaballs()
{
    const float dt = static_cast<float>(frameDelta);
    const float speed = metaballSpeed(noteList.noteProgress(4, 3, true));
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    metaballClock = advanceMetaballClock(metaballClock, dt, speed);

    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    grad2Texture->bind(0);

    const GLint sizeLocation = metaballProgram->getUniformLocation("size");
    const GLint strengthLocation = metaballProgram->getUniformLocation("strength");
    const GLint posLocation = metaballProgram->getUniformLocation("pos");
    for (size_t i = 0; i < particles.size(); ++i) {
        sParticle& p = particles[i];
        updateParticle(p, static_cast<int>(i), frameDelta, metaballClock, productionRandom);
        glUniform1f(sizeLocation, p.size);
        glUniform1f(strengthLocation, particleStrength(p));
        glUniform2fv(posLocation, 1, p.position.data());
        quadMesh->draw(metaballProgram, GL_TRIANGLES);
    }

    metaballCopy->bind(0);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 0, 0, metaballCopy->getWidth(), metaballCopy->getHeight(), 0);

    glDisable(GL_BLEND);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
