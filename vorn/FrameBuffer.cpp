#include "vorn/FrameBuffer.h"

#include "vorn/FrameBufferStack.h"

namespace vorn {

cFrameBuffer::cFrameBuffer(int width, int height, int mask)
    : size(float(width), float(height)), clearMask(GLbitfield(mask))
{
}

void cFrameBuffer::applyViewport()
{
    glViewport(0, 0, GLsizei(size.x), GLsizei(size.y));
}

void cFrameBuffer::beginCommon()
{
    cFrameBuffer::applyViewport();
    glClearColor(clearColour.x, clearColour.y, clearColour.z, clearColour.w);
    if (clearOnBegin)
        clear();
    frameBufferStack.push_back(this);
}

void cFrameBuffer::popAndRestore()
{
    if (frameBufferStack.empty())
        return;
    frameBufferStack.pop_back();
    if (!frameBufferStack.empty())
        frameBufferStack.back()->applyViewport();
}

} // namespace vorn
