// sBakedMesh: a triangle mesh ready to be written as an .obj.bin mesh file.
//
// objbake fills one from a Wavefront OBJ (ObjBake.h) and encodes it with
// encodeMeshFile: the positions' buffer block (3 floats per vertex), the
// indices' buffer block (3 unsigned 32-bit indices per triangle), then one
// named attribute, "normal" (3 floats per vertex). Every value is written
// little-endian, without padding, with GL_STATIC_DRAW as usage, exactly as
// the engine's mesh reader expects it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace objbake {

// GL enums as stored in the file.
constexpr int32_t glStaticDraw = 0x88E4;
constexpr int32_t glArrayBuffer = 0x8892;
constexpr int32_t glElementArrayBuffer = 0x8893;
constexpr int32_t glFloat = 0x1406;
constexpr int32_t glUnsignedInt = 0x1405;

// Name under which the normals are stored; vertex shaders that want them
// declare "attribute vec3 normal;".
extern const char* const normalAttributeName;

struct sBakedMesh {
    std::vector<float> positions;   // x, y, z per vertex
    std::vector<float> normals;     // x, y, z per vertex, unit length or 0
    std::vector<uint32_t> indices;  // three per triangle

    size_t vertexCount() const { return positions.size() / 3; }
    size_t triangleCount() const { return indices.size() / 3; }
};

// The bytes of the mesh file for mesh.
std::vector<uint8_t> encodeMeshFile(const sBakedMesh& mesh);

// Writes the encoded mesh to path; false (with a reason) when it cannot.
bool writeMeshFile(const sBakedMesh& mesh, const std::string& path, std::string& error);

} // namespace objbake
