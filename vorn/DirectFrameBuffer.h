// cDirectFrameBuffer: the window as a render target. The runtime's
// windowFrameBuffer is one; it wraps every frame (begin at the start, end at
// the end), and offscreen targets begun inside it restore its viewport when
// they end.
#pragma once

#include "vorn/FrameBuffer.h"

namespace vorn {

class cDirectFrameBuffer : public cFrameBuffer {
public:
    using cFrameBuffer::cFrameBuffer;

    void begin() override;
    void end() override;
    void clear() override;
};

} // namespace vorn
