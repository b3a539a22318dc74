#include "strobewerk/scenes/SceneResources.h"

#include <GL/glew.h>

#include <memory>

#include "strobewerk/FrameState.h"
#include "strobewerk/scenes/BlurChain.h"
#include "strobewerk/scenes/Metaballs.h"
#include "strobewerk/scenes/SeedBoxes.h"
#include "vorn/ConsoleLog.h"
#include "vorn/Mesh.h"
#include "vorn/OffscreenFrameBuffer.h"
#include "vorn/ShaderProgram.h"
#include "vorn/Texture.h"

vorn::cShaderProgram* finalCompositePrograms[finalCompositeVariants] = {};
vorn::cShaderProgram* finalFinishPrograms[finalFinishVariants] = {};
vorn::cShaderProgram* terskelProgram = nullptr;
vorn::cShaderProgram* lineProgram = nullptr;
vorn::cShaderProgram* box2Program = nullptr;
vorn::cShaderProgram* metaballProgram = nullptr;
vorn::cShaderProgram* fieldSlopeProgram = nullptr;

vorn::cTexture* happyTexture = nullptr;
vorn::cTexture* partyTexture = nullptr;
std::vector<vorn::cTexture*> cardImages;
vorn::cTexture* eyeTexture = nullptr;
vorn::cTexture* screenCopy = nullptr;
vorn::cTexture* metaballCopy = nullptr;
vorn::cTexture* metaballSlope = nullptr;
vorn::cTexture* colorschemeTexture = nullptr;
std::vector<vorn::cTexture*> flashImages;
vorn::cTexture* grad2Texture = nullptr;

vorn::cMesh* quadMesh = nullptr;

const char* const finalCompositeSamplers[finalCompositeUnits] = {"field",    "blur",      "frame", "flashImage",
                                                                 "eyeImage", "cardImage", "slope", "finished"};

namespace {

vorn::cShaderProgram* loadProgram(const char* vertexFile, const char* fragmentFile)
{
    auto* program = new vorn::cShaderProgram();
    program->load(vertexFile, fragmentFile);
    return program;
}

vorn::cTexture* loadImage(const char* file, bool mipmaps = true)
{
    auto* texture = new vorn::cTexture(false);
    texture->load(file, GL_TEXTURE_2D, mipmaps);
    return texture;
}

// The card, eye and flash images are drawn over the whole window, larger
// than they are, and at most a little smaller where a swirl squeezes them:
// they have no mipmaps, which spared nothing to be seen and cost the final
// composite most of its time when all three show at once.
vorn::cTexture* loadOverlayImage(const char* file)
{
    return loadImage(file, false);
}

// The card and flash images (overlay images) are handed out through lists of plain
// pointers, which are let go at exit; the textures themselves belong here,
// so they go with them instead of being left behind unreachable. (Letting
// a texture go makes no GL call.)
std::vector<std::unique_ptr<vorn::cTexture>> listedImages;

vorn::cTexture* loadListedImage(const char* file)
{
    listedImages.emplace_back(loadOverlayImage(file));
    return listedImages.back().get();
}

// An empty RGBA texture of the window's size at start-up, filtered
// linearly, for copies of the window.
vorn::cTexture* makeWindowCopyTexture()
{
    auto* texture = new vorn::cTexture(true);
    giveEmptyImage(texture, windowWidth, windowHeight);
    return texture;
}

} // namespace

vorn::cMesh* makeQuadMesh()
{
    static const float corners[4 * 3] = {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0};
    static const GLuint triangles[2 * 3] = {0, 1, 3, 1, 2, 3};
    auto* mesh = new vorn::cMesh();
    mesh->positions.setData(GL_ARRAY_BUFFER, 4, 3, 4, GL_FLOAT, corners, GL_STATIC_DRAW);
    mesh->indices.setData(GL_ELEMENT_ARRAY_BUFFER, 4, 3, 2, GL_UNSIGNED_INT, triangles, GL_STATIC_DRAW);
    return mesh;
}

void setUpScene1()
{
    vorn::consoleLog.line("initing scene1");
}

void setUpScene2()
{
    vorn::consoleLog.line("initing scene2");

    // The final composite finishes the frame where it reads it: the glow
    // and the overlays (blurryHAX.frag) are functions it calls. One program
    // for each combination of the parts a frame may need
    // (sFinalCompositeParts), and one for each combination of overlays in
    // a split frame's first pass. Each reads what it needs from units of
    // their own.
    const auto loadComposite = [](const std::vector<std::string>& defines) {
        auto* program = new vorn::cShaderProgram();
        program->load({"lolvarlay.vert"}, {"blurryHAX.frag", "lolvarlay.frag"}, defines);
        program->setUpUniforms([](vorn::cShaderProgram& linked) {
            for (int unit = 0; unit < finalCompositeUnits; ++unit)
                glUniform1i(linked.getUniformLocation(finalCompositeSamplers[unit]), unit);
        });
        return program;
    };
    for (int variant = 0; variant < finalCompositeVariants; ++variant)
        if (finalCompositeProgramVariant(variant) == variant)
            finalCompositePrograms[variant] = loadComposite(finalCompositeDefines(variant));
    for (int variant = 0; variant < finalCompositeVariants; ++variant)
        finalCompositePrograms[variant] = finalCompositePrograms[finalCompositeProgramVariant(variant)];
    for (int overlays = 0; overlays < finalFinishVariants; ++overlays)
        if (finalFinishProgramVariant(overlays) == overlays)
            finalFinishPrograms[overlays] = loadComposite(finalFinishDefines(overlays));
    for (int overlays = 0; overlays < finalFinishVariants; ++overlays)
        finalFinishPrograms[overlays] = finalFinishPrograms[finalFinishProgramVariant(overlays)];

    quadMesh = makeQuadMesh();

    // With its mipmaps; the background reads them only where the window
    // needs them (backgroundNeedsMipmaps).
    happyTexture = loadImage("happy.png");
    partyTexture = loadImage("party.png");
    for (const char* card : {"OST.png", "oc.png", "cred.png", "greets1.png", "greets2.png", "greets3.png",
                             "greets4.png", "greets5.png", "greets6.png"})
        cardImages.push_back(loadListedImage(card));
    eyeTexture = loadOverlayImage("eye.png");

    terskelProgram = loadProgram("terskel.vert", "terskel.frag");
    lineProgram = loadProgram("line.vert", "line.frag");

    screenCopy = makeWindowCopyTexture();
}

void setUpEyeOverlay()
{
    box2Program = loadProgram("box2.vert", "box2.frag");
    // A box reads one colour of the scheme, the same over the whole box:
    // mipmaps show nothing there either.
    colorschemeTexture = loadImage("colorscheme.png", false);
    flashImages.push_back(loadListedImage("f1.png"));
    flashImages.push_back(loadListedImage("f2.png"));
    buildSeedBoxesMesh();
}

void setUpIntro()
{
    // The field's textures get their images, of the field's size and
    // format, from the field's targets (setUpParticles, the slope's first
    // draw), not a window-sized one first.
    metaballCopy = new vorn::cTexture(true);
    metaballSlope = new vorn::cTexture(true);
    grad2Texture = loadImage("grad2.png");
    metaballProgram = loadProgram("metaball2.vert", "metaball2.frag");
    fieldSlopeProgram = loadProgram("overlayShade.vert", "fieldSlope.frag");
    setUpParticles();
}

void drawOverlay(vorn::cShaderProgram* program, float sizeX, float sizeY)
{
    glUniform1f(program->getUniformLocation("sizeX"), sizeX);
    glUniform1f(program->getUniformLocation("sizeY"), sizeY);
    quadMesh->draw(program, GL_TRIANGLES);
}

void drawOverlayColoured(vorn::cShaderProgram* program, const vorn::vec4f& colour, float sizeX, float sizeY)
{
    glUniform1f(program->getUniformLocation("sizeX"), sizeX);
    glUniform1f(program->getUniformLocation("sizeY"), sizeY);
    glUniform4f(program->getUniformLocation("col"), colour.x, colour.y, colour.z, colour.w);
    quadMesh->draw(program, GL_TRIANGLES);
}

void giveEmptyImage(vorn::cTexture* texture, int width, int height, GLint internalFormat)
{
    const GLenum type = internalFormat == GL_RGBA ? GL_UNSIGNED_BYTE : GL_FLOAT;
    texture->setImage(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, 0, GL_RGBA, type, nullptr);
    texture->setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    texture->setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    texture->setParameter(GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    texture->setParameter(GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

void sTextureTarget::prepare(vorn::cTexture* texture, int width, int height, GLint internalFormat,
                             GLbitfield clearMask, bool depth)
{
    if (texture->getWidth() != width || texture->getHeight() != height || attached != texture)
        giveEmptyImage(texture, width, height, internalFormat);
    if (frameBuffer == nullptr) {
        frameBuffer = new vorn::cOffscreenFrameBuffer(width, height, static_cast<int>(clearMask));
        frameBuffer->setClearColour(vorn::vec4f(0.0f, 0.0f, 0.0f, 0.0f));
    }
    if (attached != texture) {
        frameBuffer->attachTexture(texture, GL_COLOR_ATTACHMENT0_EXT, 0);
        attached = texture;
    }
    if (depth)
        frameBuffer->attachDepthBuffer(width, height);
    frameBuffer->setSize(vorn::vec2f(static_cast<float>(width), static_cast<float>(height)));
}
