#include "tools/objbake/ObjBake.h"

#include <cmath>
#include <map>
#include <utility>

#include <tiny_obj_loader.h>

namespace objbake {

namespace {

struct sCorner {
    float position[3];
    float normal[3];
};

void normalise(float v[3]) {
    float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0.0f && std::isfinite(length))
        for (int i = 0; i < 3; ++i) v[i] /= length;
    else
        v[0] = v[1] = v[2] = 0.0f;
}

void faceNormal(const sCorner c[3], float out[3]) {
    float a[3], b[3];
    for (int i = 0; i < 3; ++i) {
        a[i] = c[1].position[i] - c[0].position[i];
        b[i] = c[2].position[i] - c[0].position[i];
    }
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
    normalise(out);
}

} // namespace

bool bakeObj(std::istream& in, sBakedMesh& mesh, std::string& error) {
    mesh = sBakedMesh();
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warn, err;
    // No material reader: an OBJ's "mtllib" line is reported as a warning only.
    bool ok = tinyobj::LoadObj(&attrib, &shapes, &materials, &warn, &err, &in, nullptr, true);
    if (!ok) {
        error = err.empty() ? "cannot parse the OBJ text" : err;
        return false;
    }
    const size_t positionCount = attrib.vertices.size() / 3;
    const size_t normalCount = attrib.normals.size() / 3;

    // (position index, normal index) -> vertex; a corner without a normal uses
    // (position index, -1 - triangle number) so that it is never shared.
    std::map<std::pair<long, long>, uint32_t> vertexOf;
    long triangleNumber = 0;
    for (const tinyobj::shape_t& shape : shapes) {
        size_t offset = 0;
        for (size_t f = 0; f < shape.mesh.num_face_vertices.size(); ++f) {
            const size_t corners = shape.mesh.num_face_vertices[f];
            if (corners != 3) {
                // Triangulation leaves only triangles; anything else is skipped.
                offset += corners;
                continue;
            }
            sCorner c[3];
            bool hasNormal[3];
            long keys[3][2];
            for (size_t k = 0; k < 3; ++k) {
                const tinyobj::index_t& idx = shape.mesh.indices[offset + k];
                if (idx.vertex_index < 0 || static_cast<size_t>(idx.vertex_index) >= positionCount) {
                    error = "a face refers to a position that the file does not have";
                    return false;
                }
                if (idx.normal_index >= 0 && static_cast<size_t>(idx.normal_index) >= normalCount) {
                    error = "a face refers to a normal that the file does not have";
                    return false;
                }
                for (int i = 0; i < 3; ++i)
                    c[k].position[i] = attrib.vertices[3 * idx.vertex_index + i];
                hasNormal[k] = idx.normal_index >= 0;
                if (hasNormal[k]) {
                    for (int i = 0; i < 3; ++i)
                        c[k].normal[i] = attrib.normals[3 * idx.normal_index + i];
                    normalise(c[k].normal);
                }
                keys[k][0] = idx.vertex_index;
                keys[k][1] = hasNormal[k] ? idx.normal_index : -1 - triangleNumber;
            }
            float flat[3];
            faceNormal(c, flat);
            for (size_t k = 0; k < 3; ++k) {
                if (!hasNormal[k])
                    for (int i = 0; i < 3; ++i) c[k].normal[i] = flat[i];
                auto key = std::make_pair(keys[k][0], keys[k][1]);
                auto found = vertexOf.find(key);
                uint32_t vertex;
                if (found != vertexOf.end()) {
                    vertex = found->second;
                } else {
                    vertex = static_cast<uint32_t>(mesh.vertexCount());
                    vertexOf.emplace(key, vertex);
                    mesh.positions.insert(mesh.positions.end(), c[k].position, c[k].position + 3);
                    mesh.normals.insert(mesh.normals.end(), c[k].normal, c[k].normal + 3);
                }
                mesh.indices.push_back(vertex);
            }
            ++triangleNumber;
            offset += corners;
        }
    }
    if (mesh.indices.empty()) {
        error = "the OBJ text holds no faces";
        return false;
    }
    return true;
}

} // namespace objbake
