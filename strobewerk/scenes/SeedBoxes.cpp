#include "strobewerk/scenes/SeedBoxes.h"

#include <GL/glew.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "strobewerk/scenes/SceneRandom.h"
#include "strobewerk/scenes/SceneResources.h"
#include "vorn/ConsoleLog.h"
#include "vorn/DataFile.h"
#include "vorn/Mesh.h"
#include "vorn/MeshData.h"
#include "vorn/ShaderProgram.h"
#include "vorn/Texture.h"

vorn::cMesh* seedBoxesMesh = nullptr;

const char* const seedTemplateFile = "aBox.obj.bin";

namespace {

// Why the template file gave no box to copy: one phrase, "" when it did.
std::string templateFileProblem(const vorn::cMesh& box)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path path = vorn::resolveDataPath(vorn::dataFile(seedTemplateFile));
    if (!fs::is_regular_file(path, error))
        return fs::exists(path, error) ? "is not a file" : "cannot be opened (missing or unreadable)";
    if (fs::file_size(path, error) == 0)
        return "is empty";
    if (box.positions.elementCount <= 0 || box.indices.elementCount <= 0)
        return "is not a mesh (no vertices and triangles could be read from it)";
    return "";
}

} // namespace

void buildSeedBoxesMesh()
{
    seedBoxesMesh = new vorn::cMesh();
    vorn::cMesh boxMesh;
    boxMesh.load(seedTemplateFile);
    if (const std::string problem = templateFileProblem(boxMesh); !problem.empty()) {
        vorn::consoleLog.line(seedTemplateFile, ": ", problem, ", no seed boxes");
        return;
    }
    // The sizes are judged before anything is read back: a template too
    // large for the cloud leaves it empty, and an empty mesh draws nothing.
    const std::string problem =
        seedTemplateProblem(boxMesh.positions.elementCount, boxMesh.indices.elementCount);
    if (!problem.empty()) {
        vorn::consoleLog.line(seedTemplateFile, ": ", problem, ", no seed boxes");
        return;
    }
    vorn::cMeshData boxTemplate;
    boxTemplate.readBack(boxMesh);

    // The scatter takes the first numbers of the production's sequence.
    cSceneRandom random;
    const vorn::cMeshData cloud = buildSeedCloud(boxTemplate, planSeedCopies([&random] { return random.next(); }));
    cloud.upload(*seedBoxesMesh, GL_STATIC_DRAW, GL_STATIC_DRAW, GL_STATIC_DRAW);
}

void drawSeedBoxes(const sSeedBoxesState& state, float t)
{
    if (!state.seedBoxesOn)
        return;
    colorschemeTexture->bind(0);
    glUniform1f(box2Program->getUniformLocation("anim"), state.seedAnim);
    glUniform1f(box2Program->getUniformLocation("powah"), seedPowah(state, t));

    glPushMatrix();
    glTranslatef(0.0f, 0.0f, seedDrift(t));
    seedBoxesMesh->draw(box2Program, GL_TRIANGLES);
    glPopMatrix();
}
