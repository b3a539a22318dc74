#include "vorn/Mesh.h"

#include <fstream>

#include "vorn/DataFile.h"
#include "vorn/MeshFile.h"
#include "vorn/ShaderProgram.h"

namespace vorn {

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
                buffer.target != GL_ARRAY_BUFFER)
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
    if (positions.hasData && positions.componentCount >= 2 && positions.componentCount <= 4 &&
        positions.target == GL_ARRAY_BUFFER) {
        glVertexPointer(positions.componentCount, positions.type, 0, nullptr);
        if (mode != GL_POINTS) {
            if (indices.hasData && indices.target == GL_ELEMENT_ARRAY_BUFFER) {
                glBindBuffer(indices.target, indices.id);
                glDrawElements(mode, indices.elementCount * indices.componentCount, indices.type, nullptr);
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
