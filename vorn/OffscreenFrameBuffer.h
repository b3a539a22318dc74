// cOffscreenFrameBuffer: renders into 2D textures through a framebuffer
// object (GL_EXT_framebuffer_object).
//
//     auto* target = new vorn::cOffscreenFrameBuffer(256, 256, GL_COLOR_BUFFER_BIT);
//     target->attachTexture(texA, GL_COLOR_ATTACHMENT0_EXT, 0);
//     target->attachTexture(texB, GL_COLOR_ATTACHMENT1_EXT, 0);
//     target->checkStatus();
//     target->setDrawReadBuffers(GL_COLOR_ATTACHMENT1_EXT, GL_COLOR_ATTACHMENT0_EXT);
//     target->begin(); ...draw, reading texA... target->end();
// end binds the window again, regenerates the mipmaps of every attached
// texture whose minification filter uses them, and restores the viewport of
// the enclosing target. Textures are not owned.
#pragma once

#include <vector>

#include "vorn/FrameBuffer.h"

namespace vorn {

class cTexture;

class cOffscreenFrameBuffer : public cFrameBuffer {
public:
    cOffscreenFrameBuffer(int width, int height, int clearMask);

    void begin() override;
    void end() override;
    void clear() override;

    // Attaches a 2D texture (other targets are ignored); a mipmapped texture
    // gets its mipmaps regenerated first.
    void attachTexture(cTexture* texture, GLenum attachment, GLint level);
    // Gives the framebuffer a depth buffer of its own, width x height (a
    // renderbuffer, made again when asked for at another size).
    void attachDepthBuffer(int width, int height);
    void setDrawReadBuffers(GLenum drawBuffer, GLenum readBuffer);
    // True when the framebuffer object is complete; otherwise the reason is
    // written to the console.
    bool checkStatus();

    GLuint getFrameBufferObject() const { return fbo; }
    const std::vector<cTexture*>& getAttachedTextures() const { return attached; }

private:
    GLuint fbo = 0;
    std::vector<cTexture*> attached;
    GLuint depthBuffer = 0;
    int depthWidth = 0;
    int depthHeight = 0;
};

} // namespace vorn
