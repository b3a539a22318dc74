#include "WebGL.h"

#include <cstdint>
#include <map>
#include <vector>

#undef glBufferData
#undef glMapBuffer
#undef glUnmapBuffer
#undef glTexImage2D
#undef glTexParameteri
#undef glCopyTexImage2D

namespace {

struct sAttached {
    GLenum textureTarget = GL_TEXTURE_2D;
    GLuint texture = 0;
    GLint level = 0;
};
// The textures attached to each framebuffer, by attachment.
std::map<GLint, std::map<GLenum, sAttached>> attachments;

GLint boundFramebuffer()
{
    GLint id = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &id);
    return id;
}

// The contents of every buffer, by GL name, as last uploaded.
std::map<GLint, std::vector<std::uint8_t>> bufferContents;

GLint boundBuffer(GLenum target)
{
    GLint id = 0;
    glGetIntegerv(target == GL_ELEMENT_ARRAY_BUFFER ? GL_ELEMENT_ARRAY_BUFFER_BINDING : GL_ARRAY_BUFFER_BINDING, &id);
    return id;
}

} // namespace

extern "C" void webglBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage)
{
    std::vector<std::uint8_t>& kept = bufferContents[boundBuffer(target)];
    if (data != nullptr)
        kept.assign(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size);
    else
        kept.assign(static_cast<std::size_t>(size), 0);
    glBufferData(target, size, data, usage);
}

extern "C" const void* webglMapBuffer(GLenum target)
{
    const auto it = bufferContents.find(boundBuffer(target));
    return it == bufferContents.end() || it->second.empty() ? nullptr : it->second.data();
}

extern "C" GLboolean webglUnmapBuffer(GLenum)
{
    return GL_TRUE;
}

extern "C" void webglTexImage2D(GLenum target, GLint level, GLint, GLsizei width, GLsizei height, GLint border,
                                GLenum format, GLenum type, const void* pixels)
{
    glTexImage2D(target, level, GLint(format), width, height, border, format, type, pixels);
}

extern "C" void webglTexParameteri(GLenum target, GLenum name, GLint value)
{
    glTexParameteri(target, name, value == GL_CLAMP ? GL_CLAMP_TO_EDGE : value);
}

extern "C" void webglCopyTexImage2D(GLenum target, GLint level, GLenum internalFormat, GLint x, GLint y,
                                    GLsizei width, GLsizei height, GLint border)
{
    glCopyTexImage2D(target, level, internalFormat == GL_RGBA ? GL_RGB : internalFormat, x, y, width, height, border);
}

extern "C" void webglFramebufferTexture2D(GLenum target, GLenum attachment, GLenum textureTarget, GLuint texture,
                                          GLint level)
{
    attachments[boundFramebuffer()][attachment] = sAttached{textureTarget, texture, level};
    if (attachment == GL_COLOR_ATTACHMENT0 || attachment == GL_DEPTH_ATTACHMENT || attachment == GL_STENCIL_ATTACHMENT)
        glFramebufferTexture2D(target, attachment, textureTarget, texture, level);
}

extern "C" void webglDrawBuffer(GLenum buffer)
{
    const auto framebuffer = attachments.find(boundFramebuffer());
    if (framebuffer == attachments.end())
        return;
    const auto it = framebuffer->second.find(buffer);
    if (it != framebuffer->second.end())
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, it->second.textureTarget, it->second.texture,
                               it->second.level);
}
