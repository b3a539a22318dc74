// cMeshData's transfers between CPU lists and a cMesh's GL buffers.
#include <cstring>

#include "vorn/ConsoleLog.h"
#include "vorn/Mesh.h"
#include "vorn/MeshData.h"

namespace vorn {

namespace {

// Copies `count` values of T, each from the start of an element `stride`
// bytes apart, bit for bit.
template <typename T>
std::vector<T> copyElements(const void* mapped, size_t count, size_t stride)
{
    std::vector<T> out(count);
    const auto* bytes = static_cast<const unsigned char*>(mapped);
    for (size_t i = 0; i < count; ++i)
        std::memcpy(&out[i], bytes + i * stride, sizeof(T));
    return out;
}

// Maps the buffer and hands its contents to `use` when it holds at least
// `need` bytes per element; skips buffers that cannot be mapped.
template <typename Use>
void withMapped(cBufferObject& buffer, size_t need, Use use)
{
    const size_t stride = size_t(buffer.bytesPerComponent) * size_t(buffer.componentCount);
    if (!buffer.hasData || buffer.elementCount <= 0 || stride < need)
        return;
    buffer.bind();
    const void* data = buffer.map();
    if (data)
        use(data, size_t(buffer.elementCount), stride);
    buffer.unmap();
}

template <typename T>
void uploadKind(cMesh& mesh, const std::map<std::string, std::vector<T>>& lists, GLint components, size_t vertices,
                GLenum attributeUsage, const std::map<std::string, unsigned>* usageByName)
{
    for (const auto& [name, list] : lists) {
        GLenum usage = attributeUsage;
        if (usageByName) {
            const auto it = usageByName->find(name);
            if (it != usageByName->end())
                usage = it->second;
        }
        // A list shorter than the positions is completed with zeros, so the
        // buffer covers every vertex the indices can name.
        const std::vector<T>* data = &list;
        std::vector<T> completed;
        if (list.size() < vertices) {
            completed = meshAttributeForVertices(list, vertices);
            data = &completed;
        }
        cBufferObject buffer;
        buffer.setData(GL_ARRAY_BUFFER, 4, components, GLint(data->size()), GL_FLOAT,
                       data->empty() ? nullptr : data->data(), usage);
        mesh.attributes.insert_or_assign(name, buffer);
    }
}

} // namespace

void cMeshData::readBack(cMesh& mesh)
{
    clear();
    for (auto& [name, buffer] : mesh.attributes) {
        if (buffer.bytesPerComponent != 4 || buffer.componentCount < 1 || buffer.componentCount > 4)
            continue;
        const std::string key = name;
        // A readable layout gives its list even when the buffer holds no
        // elements: an empty list under that name, like any other length.
        if (buffer.elementCount <= 0) {
            switch (buffer.componentCount) {
            case 1: floatAttributes[key].clear(); break;
            case 2: vec2Attributes[key].clear(); break;
            case 3: vec3Attributes[key].clear(); break;
            default: vec4Attributes[key].clear(); break;
            }
            continue;
        }
        // A structured binding cannot be captured in C++17 (clang refuses it).
        const GLint components = buffer.componentCount;
        withMapped(buffer, size_t(4 * components), [&](const void* data, size_t count, size_t stride) {
            switch (components) {
            case 1: floatAttributes[key] = copyElements<float>(data, count, stride); break;
            case 2: vec2Attributes[key] = copyElements<vec2f>(data, count, stride); break;
            case 3: vec3Attributes[key] = copyElements<vec3f>(data, count, stride); break;
            default: vec4Attributes[key] = copyElements<vec4f>(data, count, stride); break;
            }
        });
    }
    withMapped(mesh.positions, sizeof(vec3f), [&](const void* data, size_t count, size_t stride) {
        positions = copyElements<vec3f>(data, count, stride);
    });
    withMapped(mesh.indices, sizeof(meshTriangle), [&](const void* data, size_t count, size_t stride) {
        triangles = copyElements<meshTriangle>(data, count, stride);
    });
}

void cMeshData::upload(cMesh& mesh, unsigned indexUsage, unsigned positionUsage, unsigned attributeUsage,
                       const std::map<std::string, unsigned>* usageByName) const
{
    mesh.indices.setData(GL_ELEMENT_ARRAY_BUFFER, 4, 3, GLint(triangles.size()), GL_UNSIGNED_INT,
                         triangles.empty() ? nullptr : triangles.data(), indexUsage);
    mesh.positions.setData(GL_ARRAY_BUFFER, 4, 3, GLint(positions.size()), GL_FLOAT,
                           positions.empty() ? nullptr : positions.data(), positionUsage);
    const size_t vertices = positions.size();
    uploadKind(mesh, floatAttributes, 1, vertices, attributeUsage, usageByName);
    uploadKind(mesh, vec2Attributes, 2, vertices, attributeUsage, usageByName);
    uploadKind(mesh, vec3Attributes, 3, vertices, attributeUsage, usageByName);
    uploadKind(mesh, vec4Attributes, 4, vertices, attributeUsage, usageByName);
    for (size_t i = 0; i < matrixAttributes.size(); ++i)
        consoleLog.line("fix sending of vertex attribute mat3x3");
}

} // namespace vorn
