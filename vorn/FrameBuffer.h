// cFrameBuffer: a render target, entered with begin and left with end.
//
// begin sets the viewport to the target's size, the clear colour, clears (the
// clear-on-begin flag is set from construction) and pushes the target on
// frameBufferStack; end pops it and restores the viewport of the target
// below, so an offscreen pass inside the window's frame hands the window its
// own viewport back:
//     windowFrameBuffer.begin();   blur.begin(); ... blur.end();   ...   windowFrameBuffer.end();
// The kinds: cDirectFrameBuffer (the window) and cOffscreenFrameBuffer
// (textures through a framebuffer object).
#pragma once

#include <GL/glew.h>

#include "vorn/Vec2f.h"
#include "vorn/Vec4f.h"

namespace vorn {

class cFrameBuffer {
public:
    cFrameBuffer(int width, int height, int clearMask);
    virtual ~cFrameBuffer() = default;

    virtual void begin() = 0;
    virtual void end() = 0;
    virtual void clear() = 0;
    // glViewport(0, 0, width, height), the float sizes truncated.
    virtual void applyViewport();

    void setClearColour(const vec4f& colour) { clearColour = colour; }
    void setSize(const vec2f& newSize) { size = newSize; }

    vec2f& getSize() { return size; }
    const vec2f& getSize() const { return size; }
    vec4f& getClearColour() { return clearColour; }
    const vec4f& getClearColour() const { return clearColour; }
    GLbitfield getClearMask() const { return clearMask; }
    bool getClearOnBegin() const { return clearOnBegin; }

protected:
    // What begin of every kind does once its own binding is made: viewport,
    // clear colour, clear when asked, push.
    void beginCommon();
    // Removes the top of frameBufferStack (the target that ends) and applies
    // the viewport of the new top, if any.
    static void popAndRestore();

    vec4f clearColour{1.0f, 1.0f, 1.0f, 0.0f};
    vec2f size;
    GLbitfield clearMask;
    bool clearOnBegin = true;
};

} // namespace vorn
