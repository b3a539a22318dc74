#include "vorn/DirectFrameBuffer.h"

namespace vorn {

void cDirectFrameBuffer::begin()
{
    beginCommon();
}

void cDirectFrameBuffer::end()
{
    popAndRestore();
}

void cDirectFrameBuffer::clear()
{
    glClear(clearMask);
}

} // namespace vorn
