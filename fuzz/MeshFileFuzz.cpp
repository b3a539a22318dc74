// Fuzz target: arbitrary bytes as a mesh file (.obj.bin), read the way
// cMesh::read reads it (positions, indices, attribute count, then named
// attribute blocks until one is damaged), from a stream that can tell its
// length and from one that cannot. Besides the sanitizers' checks it traps
// when the readers hold more contents than the file has bytes, or hand out
// a block whose contents disagree with its sizes or whose target is not a
// mesh buffer's.
#include <cstddef>
#include <cstdint>
#include <istream>
#include <sstream>
#include <streambuf>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "vorn/MeshFile.h"

namespace {

using fuzzsupport::require;

// A stream over memory that cannot seek, like a pipe.
class cForwardOnlyBuffer : public std::streambuf {
public:
    cForwardOnlyBuffer(const uint8_t* data, size_t size)
    {
        char* begin = const_cast<char*>(reinterpret_cast<const char*>(data));
        setg(begin, begin, begin + size);
    }
};

void checkBlock(const vorn::meshFileBlock& block, uint64_t& held, size_t fileSize)
{
    require(vorn::isMeshBufferTarget(block.target));
    const int64_t size = vorn::meshBlockByteSize(block.bytesPerComponent, block.componentCount, block.elementCount);
    require(size >= 0 && uint64_t(size) == block.contents.size());
    held += block.contents.size();
    require(held <= fileSize);
}

void readMesh(std::istream& in, size_t fileSize)
{
    uint64_t held = 0;
    vorn::meshFileBlock positions, indices;
    if (!vorn::readMeshBlock(in, positions))
        return;
    checkBlock(positions, held, fileSize);
    if (!vorn::readMeshBlock(in, indices))
        return;
    checkBlock(indices, held, fileSize);
    uint32_t count = 0;
    if (!vorn::readMeshU32(in, count))
        return;
    for (uint32_t i = 0; i < count; ++i) {
        std::string name;
        if (!vorn::readMeshAttributeName(in, name))
            return;
        require(name.size() < fileSize);
        vorn::meshFileBlock block;
        if (!vorn::readMeshBlock(in, block))
            return;
        checkBlock(block, held, fileSize);
        held -= block.contents.size(); // uploaded and let go, as cMesh does
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream seekable(std::string(reinterpret_cast<const char*>(data), size));
    readMesh(seekable, size);
    cForwardOnlyBuffer buffer(data, size);
    std::istream forward(&buffer);
    readMesh(forward, size);
    return 0;
}
