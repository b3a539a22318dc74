#include "WebGL.h"

#include <cstdint>
#include <map>
#include <vector>

#undef glBufferData
#undef glMapBuffer
#undef glUnmapBuffer

namespace {

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
