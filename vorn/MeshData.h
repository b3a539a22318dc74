// cMeshData: a mesh held in CPU memory, for editing geometry that lives on the
// GPU.
//
// Fill it from a drawable mesh with readBack, copy it, change positions and
// attributes, append other meshes (indices are shifted), and turn it into a
// new drawable mesh with upload:
//     vorn::cMeshData box;  box.readBack(*loadedBox);
//     vorn::cMeshData grid; grid.append(box); ...
//     auto* mesh = new vorn::cMesh(); grid.upload(*mesh, GL_STATIC_DRAW, GL_STATIC_DRAW, GL_STATIC_DRAW);
// Positions are three floats, triangles three unsigned 32-bit indices, and
// each per-vertex attribute list lives under its name in the map of its kind;
// every list is meant to hold one entry per position. Lists that break that
// rule are handled safely: append and upload never read past the end of a
// list, they fill the missing entries with zeros.
//
// append and the copies need no GL; readBack and upload need a current GL
// context (they are built into the GL library).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "vorn/Mat3f.h"
#include "vorn/Vec2f.h"
#include "vorn/Vec3f.h"
#include "vorn/Vec4f.h"

namespace vorn {

class cMesh;

using meshTriangle = std::array<uint32_t, 3>;

class cMeshData {
public:
    std::vector<meshTriangle> triangles;
    std::vector<vec3f> positions;
    std::map<std::string, std::vector<vec3f>> vec3Attributes;
    std::map<std::string, std::vector<vec2f>> vec2Attributes;
    std::map<std::string, std::vector<vec4f>> vec4Attributes;
    std::map<std::string, std::vector<float>> floatAttributes;
    std::map<std::string, std::vector<mat3f>> matrixAttributes;

    // Replaces everything with what the mesh's GL buffers hold. Attribute
    // buffers of 4-byte components with 1 to 4 components become float,
    // vec2f, vec3f or vec4f lists; other layouts are skipped. Position and
    // index buffers whose elements are shorter than 12 bytes, and buffers that
    // cannot be mapped, are left out instead of read past their end.
    void readBack(cMesh& mesh);

    // Gives the mesh new index, position and attribute buffers (new GL
    // names); usageByName overrides attributeUsage per attribute name.
    // Matrix attributes are not uploaded: one console line per list says so.
    void upload(cMesh& mesh, unsigned indexUsage, unsigned positionUsage, unsigned attributeUsage,
                const std::map<std::string, unsigned>* usageByName = nullptr) const;

    // Appends other: its attribute lists are appended to this mesh's lists of
    // the same kind and name (lists this mesh lacks are dropped, lists other
    // lacks are not extended), then its positions, then its triangles with
    // their indices shifted by this mesh's former position count.
    void append(const cMeshData& other);

    void clear();
};

// An attribute list as it is to be stored for count vertices: its first count
// entries, with zero entries added where the list is shorter.
template <typename T>
std::vector<T> meshAttributeForVertices(const std::vector<T>& list, size_t count)
{
    std::vector<T> out(list.begin(), list.begin() + std::min(list.size(), count));
    out.resize(count, T());
    return out;
}

} // namespace vorn
