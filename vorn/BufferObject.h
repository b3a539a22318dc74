// cBufferObject: one GL buffer object with the description of what it holds:
// binding target, usage hint, and the layout (elements of componentCount
// components of one GL type, bytesPerComponent bytes each).
//
//     vorn::cBufferObject positions;                 // generates a GL name
//     positions.setData(GL_ARRAY_BUFFER, 4, 3, vertexCount, GL_FLOAT, data, GL_STATIC_DRAW);
//
// read fills it from one buffer block of a mesh file (see MeshFile.h). The GL
// buffer is never freed.
#pragma once

#include <GL/glew.h>

#include <istream>

namespace vorn {

class cBufferObject {
public:
    cBufferObject();

    void setData(GLenum target, GLint bytesPerComponent, GLint componentCount, GLint elementCount, GLenum type,
                 const void* data, GLenum usage);
    void bind();
    // Maps the bound buffer read-only; null when GL refuses.
    const void* map();
    void unmap();
    // Reads one buffer block and uploads it. False, leaving the buffer as it
    // was, when the block is damaged or the stream ends inside it.
    bool read(std::istream& in);

    // Bytes of contents: bytesPerComponent * componentCount * elementCount.
    long long byteSize() const { return (long long)bytesPerComponent * componentCount * elementCount; }

    GLuint id = 0;
    GLenum usage = GL_STATIC_DRAW;
    GLenum target = GL_ELEMENT_ARRAY_BUFFER;
    GLint bytesPerComponent = 0;
    GLint elementCount = 0;
    GLint componentCount = 0;
    GLenum type = 0;
    bool hasData = false;
};

} // namespace vorn
