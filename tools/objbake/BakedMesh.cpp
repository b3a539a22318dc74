#include "tools/objbake/BakedMesh.h"

#include <cstring>
#include <fstream>

namespace objbake {

const char* const normalAttributeName = "normal";

namespace {

void putU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void putI32(std::vector<uint8_t>& out, int32_t value) { putU32(out, static_cast<uint32_t>(value)); }

// One buffer block: usage, target, bytes per component, element count,
// component count, type, then the contents.
template <typename T>
void putBlock(std::vector<uint8_t>& out, int32_t target, int32_t type, const std::vector<T>& values) {
    static_assert(sizeof(T) == 4, "mesh file components are 4 bytes");
    putI32(out, glStaticDraw);
    putI32(out, target);
    putI32(out, 4);
    putI32(out, static_cast<int32_t>(values.size() / 3));
    putI32(out, 3);
    putI32(out, type);
    for (T v : values) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        putU32(out, bits);
    }
}

} // namespace

std::vector<uint8_t> encodeMeshFile(const sBakedMesh& mesh) {
    std::vector<uint8_t> out;
    putBlock(out, glArrayBuffer, glFloat, mesh.positions);
    putBlock(out, glElementArrayBuffer, glUnsignedInt, mesh.indices);
    putU32(out, 1);
    for (const char* c = normalAttributeName; *c; ++c)
        out.push_back(static_cast<uint8_t>(*c));
    out.push_back(0);
    putBlock(out, glArrayBuffer, glFloat, mesh.normals);
    return out;
}

bool writeMeshFile(const sBakedMesh& mesh, const std::string& path, std::string& error) {
    std::vector<uint8_t> bytes = encodeMeshFile(mesh);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        error = "cannot create " + path;
        return false;
    }
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

} // namespace objbake
