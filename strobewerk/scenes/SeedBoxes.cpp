#include "strobewerk/scenes/SeedBoxes.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "strobewerk/Input.h"
#include "strobewerk/NoteList.h"
#include "strobewerk/FrameState.h"
#include "strobewerk/scenes/SceneResources.h"
#include "vorn/Mesh.h"
#include "vorn/MeshData.h"
#include "vorn/ShaderProgram.h"
#include "vorn/Texture.h"

vorn::cMesh* seedBoxesMesh = nullptr;
sSeedBoxesState seedBoxes;

vorn::cMeshData buildSeedCloud(const vorn::cMeshData& boxTemplate, const std::vector<sSeedCopy>& plan)
{
    // A damaged template file may name vertices it does not hold. In the
    // cloud such a triangle would reach into the next copy or past the end
    // of the vertex buffer, where GL reads undefined memory; it is left out.
    vorn::cMeshData source = boxTemplate;
    const size_t vertexCount = source.positions.size();
    source.triangles.erase(std::remove_if(source.triangles.begin(), source.triangles.end(),
                                          [vertexCount](const vorn::meshTriangle& t) {
                                              return t[0] >= vertexCount || t[1] >= vertexCount
                                                  || t[2] >= vertexCount;
                                          }),
                           source.triangles.end());

    vorn::cMeshData merged;
    bool first = true;
    for (const sSeedCopy& copy : plan) {
        vorn::cMeshData box = source;
        std::vector<float> seeds;
        seeds.reserve(box.positions.size());
        placeSeedCopy(box.positions, seeds, copy);
        box.floatAttributes["seedHax"] = std::move(seeds);
        if (first) {
            merged = std::move(box);
            first = false;
        } else {
            merged.append(box);
        }
    }
    return merged;
}

void buildSeedBoxesMesh()
{
    vorn::cMesh boxMesh;
    boxMesh.load("aBox.obj.bin");
    vorn::cMeshData boxTemplate;
    boxTemplate.readBack(boxMesh);

    const vorn::cMeshData cloud = buildSeedCloud(boxTemplate, planSeedCopies([] { return std::rand(); }));
    seedBoxesMesh = new vorn::cMesh();
    cloud.upload(*seedBoxesMesh, GL_STATIC_DRAW, GL_STATIC_DRAW, GL_STATIC_DRAW);
}

void drawSeedBoxes()
{
    const float t = static_cast<float>(songTime);
    const float dt = static_cast<float>(frameDelta);
    const bool cue = joystickButton(9) || noteList.isNoteActive(4, 0, false);
    if (!cue && !seedBoxes.seedBoxesOn)
        return;

    colorschemeTexture->bind(0);
    advanceSeedBoxes(seedBoxes, cue, t, dt);

    glUniform1f(box2Program->getUniformLocation("anim"), seedBoxes.seedAnim);
    glUniform1f(box2Program->getUniformLocation("powah"), seedPowah(seedBoxes, t));

    glPushMatrix();
    glTranslatef(0.0f, 0.0f, seedDrift(t));
    seedBoxesMesh->draw(box2Program, GL_TRIANGLES);
    glPopMatrix();
}
