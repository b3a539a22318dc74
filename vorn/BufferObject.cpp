#include "vorn/BufferObject.h"

#include "vorn/MeshFile.h"

namespace vorn {

cBufferObject::cBufferObject()
{
    glGenBuffers(1, &id);
}

void cBufferObject::setData(GLenum newTarget, GLint newBytesPerComponent, GLint newComponentCount,
                            GLint newElementCount, GLenum newType, const void* data, GLenum newUsage)
{
    target = newTarget;
    bytesPerComponent = newBytesPerComponent;
    componentCount = newComponentCount;
    elementCount = newElementCount;
    type = newType;
    usage = newUsage;
    hasData = true;
    glBindBuffer(target, id);
    glBufferData(target, GLsizeiptr(byteSize()), data, usage);
}

void cBufferObject::bind()
{
    glBindBuffer(target, id);
}

const void* cBufferObject::map()
{
    return glMapBuffer(target, GL_READ_ONLY);
}

void cBufferObject::unmap()
{
    glUnmapBuffer(target);
}

bool cBufferObject::read(std::istream& in)
{
    meshFileBlock block;
    if (!readMeshBlock(in, block))
        return false;
    setData(GLenum(block.target), block.bytesPerComponent, block.componentCount, block.elementCount,
            GLenum(block.type), block.contents.empty() ? nullptr : block.contents.data(), GLenum(block.usage));
    return true;
}

} // namespace vorn
