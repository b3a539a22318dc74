// frameBufferStack: the render targets that have begun and not yet ended,
// innermost last. cFrameBuffer::begin pushes, end pops and restores the
// viewport of the new top. Used from the rendering thread only.
#pragma once

#include <vector>

namespace vorn {

class cFrameBuffer;

extern std::vector<cFrameBuffer*> frameBufferStack;

} // namespace vorn
