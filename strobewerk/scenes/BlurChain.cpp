#include "strobewerk/scenes/BlurChain.h"

#include <GL/glew.h>

#include <cstdint>

#include "strobewerk/scenes/SceneResources.h"
#include "vorn/Mesh.h"
#include "vorn/OffscreenFrameBuffer.h"
#include "vorn/ShaderProgram.h"
#include "vorn/Texture.h"

vorn::cTexture* blurTargetA = nullptr;
vorn::cTexture* blurTargetB = nullptr;
vorn::cOffscreenFrameBuffer* blurFrameBuffer = nullptr;
vorn::cShaderProgram* horBlurProgram = nullptr;
vorn::cShaderProgram* verBlurProgram = nullptr;

namespace {

vorn::cTexture* makeBlurTarget(int width, int height)
{
    auto* texture = new vorn::cTexture(true);
    giveEmptyImage(texture, width, height);
    return texture;
}

vorn::cShaderProgram* loadBlurProgram(const char* directionFile, const char* kernelFile)
{
    auto* program = new vorn::cShaderProgram();
    program->load(std::vector<std::string>{"overlayShade.vert"},
                  std::vector<std::string>{directionFile, kernelFile});
    return program;
}

} // namespace

void setUpBlurChain(int width, int height)
{
    blurTargetA = makeBlurTarget(width, height);
    blurTargetB = makeBlurTarget(width, height);

    blurFrameBuffer = new vorn::cOffscreenFrameBuffer(width, height, GL_COLOR_BUFFER_BIT);
    blurFrameBuffer->attachTexture(blurTargetA, GL_COLOR_ATTACHMENT0_EXT, 0);
    blurFrameBuffer->attachTexture(blurTargetB, GL_COLOR_ATTACHMENT1_EXT, 0);
    blurFrameBuffer->checkStatus(); // reports an incomplete target; it is used anyway
    blurFrameBuffer->setClearColour(vorn::vec4f(0.0f, 0.0f, 0.0f, 0.0f));

    horBlurProgram = loadBlurProgram("horblur.frag", "postprocBlurh.frag");
    verBlurProgram = loadBlurProgram("verblur.frag", "postprocBlurv.frag");
}

std::vector<sBlurPass> blurPassPlan(unsigned passes)
{
    std::vector<sBlurPass> plan;
    plan.push_back(sBlurPass{false, sBlurPass::sourceTexture, false});
    // Rounded up to even so the last pass is horizontal into target A
    // (counted wide so the largest odd count cannot wrap to 0).
    uint64_t n = passes;
    n += n & 1u;
    for (uint64_t i = 0; i < n; ++i) {
        if (i % 2 == 0)
            plan.push_back(sBlurPass{true, sBlurPass::targetA, true});
        else
            plan.push_back(sBlurPass{false, sBlurPass::targetB, false});
    }
    return plan;
}

namespace {

void runPass(vorn::cTexture* input, vorn::cShaderProgram* program, GLenum attachment)
{
    blurFrameBuffer->setDrawReadBuffers(attachment, attachment);
    blurFrameBuffer->begin();
    input->bind(0);
    quadMesh->draw(program, GL_TRIANGLES);
    blurFrameBuffer->end();
}

} // namespace

void blurTexture(vorn::cTexture* source, unsigned passes)
{
    for (const sBlurPass& pass : blurPassPlan(passes)) {
        vorn::cTexture* input = pass.input == sBlurPass::sourceTexture ? source
            : pass.input == sBlurPass::targetA                         ? blurTargetA
                                                                       : blurTargetB;
        runPass(input, pass.vertical ? verBlurProgram : horBlurProgram,
                pass.intoB ? GL_COLOR_ATTACHMENT1_EXT : GL_COLOR_ATTACHMENT0_EXT);
    }
}
