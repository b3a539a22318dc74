// The glow's blur: a separable filter run as alternating horizontal and
// vertical full-screen passes at a fixed 256 x 256, ping-ponging between two
// textures attached to one offscreen framebuffer.
//
//   setUpBlurChain(256, 256);          once, last of the scene set-ups
//   blurTexture(screenCopy, 4);        once per frame; result in blurTargetA
//
// Every call starts with a horizontal pass from the source into blurTargetA
// and ends with a horizontal pass into blurTargetA; n extra passes (rounded
// up to even) alternate vertical into blurTargetB and horizontal back. The
// passes run with whatever blend and depth state the caller left.
// The kernels live in the shader files: "horblur.frag" + "postprocBlurh.frag"
// and "verblur.frag" + "postprocBlurv.frag", both with "overlayShade.vert".
#pragma once

#include <vector>

namespace vorn {
class cTexture;
class cOffscreenFrameBuffer;
class cShaderProgram;
}

extern vorn::cTexture* blurTargetA;   // colour attachment 0: every result
extern vorn::cTexture* blurTargetB;   // colour attachment 1: scratch
extern vorn::cOffscreenFrameBuffer* blurFrameBuffer;
extern vorn::cShaderProgram* horBlurProgram;
extern vorn::cShaderProgram* verBlurProgram;

void setUpBlurChain(int width, int height);

// Blurs `source` (sampled whole, whatever its size) into blurTargetA.
void blurTexture(vorn::cTexture* source, unsigned passes);

// One pass of the chain: which way it blurs, what it reads, what it writes.
struct sBlurPass {
    enum eInput { sourceTexture, targetA, targetB };
    bool vertical = false;
    eInput input = sourceTexture;
    bool intoB = false;   // false: into blurTargetA
};

// The passes blurTexture runs for `passes`, in order: 1 for 0, 3 for 1 and
// 2, 5 for 3 and 4, ...
std::vector<sBlurPass> blurPassPlan(unsigned passes);
