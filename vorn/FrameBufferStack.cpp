#include "vorn/FrameBufferStack.h"

namespace vorn {

std::vector<cFrameBuffer*> frameBufferStack;

} // namespace vorn
