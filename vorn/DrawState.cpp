#include "vorn/DrawState.h"

#include <GL/glew.h>

namespace vorn {

namespace {

bool known = false;
sDrawState current{eBlend::off, false};

void setBlend(eBlend blend)
{
    if (blend == eBlend::off) {
        glDisable(GL_BLEND);
        return;
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, blend == eBlend::over ? GL_ONE_MINUS_SRC_ALPHA : GL_ONE);
}

void setDepthTest(bool on)
{
    if (on)
        glEnable(GL_DEPTH_TEST);
    else
        glDisable(GL_DEPTH_TEST);
}

} // namespace

void useDrawState(const sDrawState& state)
{
    if (!known || state.blend != current.blend)
        setBlend(state.blend);
    if (!known || state.depthTest != current.depthTest)
        setDepthTest(state.depthTest);
    current = state;
    known = true;
}

void forgetDrawState()
{
    known = false;
}

} // namespace vorn
