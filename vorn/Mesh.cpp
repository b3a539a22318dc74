#include "vorn/Mesh.h"

#include <fstream>

#include "vorn/DataFile.h"
#include "vorn/MeshFile.h"
#include "vorn/ShaderProgram.h"

namespace vorn {

namespace {

// Bytes of one component of a GL data type; 0 for a type GL does not take
// for vertex or index data.
long long componentBytes(GLenum type)
{
    switch (type) {
    case GL_BYTE:
    case GL_UNSIGNED_BYTE: return 1;
    case GL_SHORT:
    case GL_UNSIGNED_SHORT:
    case GL_HALF_FLOAT: return 2;
    case GL_INT:
    case GL_UNSIGNED_INT:
    case GL_FLOAT: return 4;
    case GL_DOUBLE: return 8;
    default: return 0;
    }
}

// True when GL, reading `components` components of the buffer as its type
// says, stays inside the bytes the buffer holds. A damaged mesh file can
// give a buffer fewer bytes per component than its type (down to none at
// all, with counts in the millions): GL would read past the buffer, or
// spend minutes on a draw of nothing.
bool holdsComponents(const cBufferObject& buffer, long long components)
{
    const long long bytes = componentBytes(buffer.type);
    return bytes > 0 && components * bytes <= buffer.byteSize();
}

long long componentTotal(const cBufferObject& buffer)
{
    return (long long)buffer.elementCount * buffer.componentCount;
}

} // namespace

void cMesh::load(const std::string& name)
{
    std::ifstream in(resolveDataPath(dataFile(name)), std::ios::binary);
    read(in);
}

void cMesh::read(std::istream& in)
{
    if (!in.good())
        return;
    // Reading stops at the first part that is damaged or cut off; what was
    // read before stays usable.
    if (!positions.read(in))
        return;
    if (!indices.read(in))
        return;
    uint32_t count = 0;
    if (!readMeshU32(in, count))
        return;
    for (uint32_t i = 0; i < count; ++i) {
        std::string name;
        if (!readMeshAttributeName(in, name))
            return;
        meshFileBlock block;
        if (!readMeshBlock(in, block))
            return;
        cBufferObject buffer;
        buffer.setData(GLenum(block.target), block.bytesPerComponent, block.componentCount, block.elementCount,
                       GLenum(block.type), block.contents.empty() ? nullptr : block.contents.data(),
                       GLenum(block.usage));
        attributes.insert_or_assign(name, buffer);
    }
}

void cMesh::draw(cShaderProgram* program, GLenum mode)
{
    if (program) {
        program->use();
        for (auto& [name, buffer] : attributes) {
            const GLint location = program->getAttribLocation(name);
            // An attribute of a layout GL cannot take (from a damaged file)
            // is left out rather than enabled with no valid pointer. So is
            // one not filed as vertex data: the pointer call reads the
            // array-buffer binding, and with none there GL would take
            // offset 0 as an address in client memory.
            if (location == -1 || buffer.componentCount < 1 || buffer.componentCount > 4 ||
                buffer.target != GL_ARRAY_BUFFER || !holdsComponents(buffer, componentTotal(buffer)))
                continue;
            glEnableVertexAttribArray(GLuint(location));
            glBindBuffer(buffer.target, buffer.id);
            glVertexAttribPointer(GLuint(location), buffer.componentCount, buffer.type, GL_FALSE, 0, nullptr);
        }
    }

    glEnableClientState(GL_VERTEX_ARRAY);
    glBindBuffer(positions.target, positions.id);
    // A mesh without positions (never filled, or its file missing), or with
    // positions GL cannot take as vertices, has nothing to draw; GL is not
    // handed a description that would leave an old vertex pointer in use.
    // Positions and indices must sit where the pointer and draw calls look
    // for them (array and element-array buffer); otherwise GL would read
    // client memory at address 0.
    // Neither draw call may read more than the buffers hold.
    if (positions.hasData && positions.componentCount >= 2 && positions.componentCount <= 4 &&
        positions.target == GL_ARRAY_BUFFER && holdsComponents(positions, componentTotal(positions))) {
        glVertexPointer(positions.componentCount, positions.type, 0, nullptr);
        if (mode != GL_POINTS) {
            if (indices.hasData && indices.target == GL_ELEMENT_ARRAY_BUFFER &&
                holdsComponents(indices, componentTotal(indices))) {
                glBindBuffer(indices.target, indices.id);
                glDrawElements(mode, GLsizei(componentTotal(indices)), indices.type, nullptr);
            }
        } else {
            glDrawArrays(GL_POINTS, 0, positions.elementCount);
        }
    }

    if (program) {
        for (auto& [name, buffer] : attributes) {
            const auto cached = program->attributeCache().find(name);
            if (cached != program->attributeCache().end() && cached->second != -1)
                glDisableVertexAttribArray(GLuint(cached->second));
        }
    }
    glDisableClientState(GL_VERTEX_ARRAY);
}

} // namespace vorn
