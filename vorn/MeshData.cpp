#include "vorn/MeshData.h"

#include <algorithm>

namespace vorn {

namespace {

// Appends the first `count` entries of `from` to `to` (zeros where `from` is
// shorter), after padding `to` to `base` entries so the appended entries line
// up with the appended positions.
template <typename T>
void appendKind(std::map<std::string, std::vector<T>>& to, const std::map<std::string, std::vector<T>>& from,
                size_t base, size_t count)
{
    if (count == 0)
        return;
    for (const auto& [name, list] : from) {
        auto it = to.find(name);
        if (it == to.end())
            continue;
        std::vector<T>& mine = it->second;
        if (mine.size() < base)
            mine.resize(base, T());
        const size_t take = std::min(list.size(), count);
        mine.insert(mine.end(), list.begin(), list.begin() + take);
        mine.resize(mine.size() + (count - take), T());
    }
}

} // namespace

void cMeshData::append(const cMeshData& other)
{
    // Appending a mesh to itself reads the lists it is growing: take a copy.
    if (&other == this) {
        const cMeshData copy(other);
        append(copy);
        return;
    }
    const size_t base = positions.size();
    const size_t count = other.positions.size();
    appendKind(floatAttributes, other.floatAttributes, base, count);
    appendKind(vec2Attributes, other.vec2Attributes, base, count);
    appendKind(vec3Attributes, other.vec3Attributes, base, count);
    appendKind(vec4Attributes, other.vec4Attributes, base, count);
    appendKind(matrixAttributes, other.matrixAttributes, base, count);
    positions.insert(positions.end(), other.positions.begin(), other.positions.end());
    const uint32_t shift = uint32_t(base);
    for (const meshTriangle& t : other.triangles)
        triangles.push_back({t[0] + shift, t[1] + shift, t[2] + shift});
}

void cMeshData::clear()
{
    triangles.clear();
    positions.clear();
    vec3Attributes.clear();
    vec2Attributes.clear();
    vec4Attributes.clear();
    floatAttributes.clear();
    matrixAttributes.clear();
}

} // namespace vorn
