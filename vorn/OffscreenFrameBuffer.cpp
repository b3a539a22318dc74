#include "vorn/OffscreenFrameBuffer.h"

#include "vorn/ConsoleLog.h"
#include "vorn/Texture.h"

namespace vorn {

cOffscreenFrameBuffer::cOffscreenFrameBuffer(int width, int height, int mask) : cFrameBuffer(width, height, mask)
{
    glGenFramebuffersEXT(1, &fbo);
}

void cOffscreenFrameBuffer::begin()
{
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, fbo);
    beginCommon();
}

void cOffscreenFrameBuffer::end()
{
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    for (cTexture* texture : attached) {
        if (!texture->isMipmapped())
            continue;
        texture->bind(0);
        glGenerateMipmapEXT(GL_TEXTURE_2D);
    }
    popAndRestore();
}

void cOffscreenFrameBuffer::clear()
{
    glClear(clearMask);
}

void cOffscreenFrameBuffer::attachTexture(cTexture* texture, GLenum attachment, GLint level)
{
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, fbo);
    if (texture->getTarget() == GL_TEXTURE_2D) {
        if (texture->isMipmapped()) {
            texture->bind(0);
            glGenerateMipmapEXT(GL_TEXTURE_2D);
        }
        glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, attachment, texture->getTarget(), texture->getId(), level);
        attached.push_back(texture);
    }
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

void cOffscreenFrameBuffer::attachDepthBuffer(int width, int height)
{
    if (depthBuffer != 0 && width == depthWidth && height == depthHeight)
        return;
    if (depthBuffer == 0)
        glGenRenderbuffersEXT(1, &depthBuffer);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depthBuffer);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, width, height);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, fbo);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, depthBuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    depthWidth = width;
    depthHeight = height;
}

void cOffscreenFrameBuffer::setDrawReadBuffers(GLenum drawBuffer, GLenum readBuffer)
{
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, fbo);
    glDrawBuffer(drawBuffer);
    glReadBuffer(readBuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

bool cOffscreenFrameBuffer::checkStatus()
{
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, fbo);
    const GLenum status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    switch (status) {
    case GL_FRAMEBUFFER_COMPLETE_EXT:
        return true;
    case GL_FRAMEBUFFER_UNSUPPORTED_EXT:
        consoleLog.line("framebuffer unsupported!");
        break;
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT:
        consoleLog.line("GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT");
        break;
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT:
        consoleLog.line("GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT");
        break;
    case GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT:
        consoleLog.line("GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT");
        break;
    case GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT:
        consoleLog.line("GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT");
        break;
    case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT:
        consoleLog.line("GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER_EXT");
        break;
    case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER_EXT:
        consoleLog.line("incomplete read buffer oops");
        break;
    default:
        consoleLog.line("framebuffer error, some bad stuff happen");
        break;
    }
    return false;
}

} // namespace vorn
