// Reading the parts of a mesh file (.obj.bin) without a window.
//
// A mesh file is, little-endian and unpadded: the positions' buffer block, the
// indices' buffer block, an unsigned 32-bit attribute count, then per
// attribute its name ended by a zero byte and its buffer block. A buffer block
// is six 32-bit fields (usage, target, bytes per component, element count,
// component count, type) followed by bytesPerComponent * componentCount *
// elementCount bytes of contents.
//
// These readers never read past the end of the stream and never allocate more
// than the stream actually delivers: a block whose sizes are negative, whose
// byte size overflows, whose contents the stream does not hold, or whose
// target is neither vertex nor index data is refused (false), and the caller
// stops reading there. cBufferObject::read and
// cMesh::read are built on them; tests use them directly.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace vorn {

struct meshFileBlock {
    int32_t usage = 0;
    int32_t target = 0;
    int32_t bytesPerComponent = 0;
    int32_t elementCount = 0;
    int32_t componentCount = 0;
    int32_t type = 0;
    std::vector<uint8_t> contents;
};

// Byte size of a block's contents from its three size fields, or -1 when a
// field is negative or the product does not fit in 32 bits (GL sizes are
// signed, and a real mesh never comes near that).
int64_t meshBlockByteSize(int32_t bytesPerComponent, int32_t componentCount, int32_t elementCount);

// True for the two binding targets a mesh's buffers can have: vertex data
// (GL_ARRAY_BUFFER) and indices (GL_ELEMENT_ARRAY_BUFFER). A block filed
// under any other target is damage: uploading it would leave the buffer
// bound where later pixel transfers or other GL calls would pick it up.
bool isMeshBufferTarget(int32_t target);

// Reads one little-endian 32-bit value; false at the end of the stream.
bool readMeshU32(std::istream& in, uint32_t& value);

// Reads one buffer block. False (block left unusable) when the header or the
// contents end early, the sizes are absurd or the target is not a mesh
// buffer's.
bool readMeshBlock(std::istream& in, meshFileBlock& block);

// Reads an attribute name: bytes up to a zero byte, which ends it and is not
// part of it. False when the stream ends before the zero byte.
bool readMeshAttributeName(std::istream& in, std::string& name);

// Appends one buffer block to out, as readMeshBlock reads it (for writing
// mesh files from tools and tests).
void writeMeshBlock(std::vector<uint8_t>& out, const meshFileBlock& block);
void writeMeshU32(std::vector<uint8_t>& out, uint32_t value);

} // namespace vorn
