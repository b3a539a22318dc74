#include "vorn/MeshFile.h"

#include <algorithm>
#include <limits>

namespace vorn {

namespace {

// From a stream that cannot tell its length, contents are read in pieces of
// at most this size, so a header that claims more bytes than the stream
// holds costs no more memory than the stream itself.
constexpr int64_t readPiece = 1 << 16;

bool readExactly(std::istream& in, uint8_t* to, std::streamsize count)
{
    in.read(reinterpret_cast<char*>(to), count);
    return in.gcount() == count;
}

// Bytes between the read position and the end, or -1 when the stream cannot
// tell (it cannot seek).
int64_t bytesLeft(std::istream& in)
{
    const std::streampos here = in.tellg();
    if (here == std::streampos(-1))
        return -1;
    in.seekg(0, std::ios::end);
    const std::streampos end = in.tellg();
    in.seekg(here);
    if (end == std::streampos(-1) || !in.good()) {
        in.clear();
        in.seekg(here);
        return -1;
    }
    return int64_t(end - here);
}

} // namespace

int64_t meshBlockByteSize(int32_t bytesPerComponent, int32_t componentCount, int32_t elementCount)
{
    if (bytesPerComponent < 0 || componentCount < 0 || elementCount < 0)
        return -1;
    const int64_t perElement = int64_t(bytesPerComponent) * componentCount;
    if (perElement == 0 || elementCount == 0)
        return 0;
    if (perElement > std::numeric_limits<int32_t>::max() / elementCount)
        return -1;
    return perElement * elementCount;
}

bool isMeshBufferTarget(int32_t target)
{
    return target == 0x8892 || target == 0x8893; // GL_ARRAY_BUFFER, GL_ELEMENT_ARRAY_BUFFER
}

bool readMeshU32(std::istream& in, uint32_t& value)
{
    uint8_t b[4];
    if (!readExactly(in, b, 4))
        return false;
    value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return true;
}

bool readMeshBlock(std::istream& in, meshFileBlock& block)
{
    uint32_t fields[6];
    for (uint32_t& f : fields)
        if (!readMeshU32(in, f))
            return false;
    block.usage = int32_t(fields[0]);
    block.target = int32_t(fields[1]);
    block.bytesPerComponent = int32_t(fields[2]);
    block.elementCount = int32_t(fields[3]);
    block.componentCount = int32_t(fields[4]);
    block.type = int32_t(fields[5]);

    const int64_t size = meshBlockByteSize(block.bytesPerComponent, block.componentCount, block.elementCount);
    block.contents.clear();
    if (size < 0 || !isMeshBufferTarget(block.target))
        return false;
    // A stream that knows its length answers at once whether the contents
    // are there; then they are read in one piece.
    const int64_t left = bytesLeft(in);
    if (left >= 0) {
        if (left < size)
            return false;
        block.contents.resize(size_t(size));
        if (size > 0 && !readExactly(in, block.contents.data(), std::streamsize(size))) {
            block.contents.clear();
            return false;
        }
        return true;
    }
    while (int64_t(block.contents.size()) < size) {
        const size_t have = block.contents.size();
        const int64_t piece = std::min(readPiece, size - int64_t(have));
        block.contents.resize(have + size_t(piece));
        if (!readExactly(in, block.contents.data() + have, std::streamsize(piece))) {
            block.contents.clear();
            block.contents.shrink_to_fit();
            return false;
        }
    }
    return true;
}

bool readMeshAttributeName(std::istream& in, std::string& name)
{
    name.clear();
    for (;;) {
        const int c = in.get();
        if (c == std::char_traits<char>::eof())
            return false;
        if (c == 0)
            return true;
        name.push_back(char(c));
    }
}

void writeMeshU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

void writeMeshBlock(std::vector<uint8_t>& out, const meshFileBlock& block)
{
    writeMeshU32(out, uint32_t(block.usage));
    writeMeshU32(out, uint32_t(block.target));
    writeMeshU32(out, uint32_t(block.bytesPerComponent));
    writeMeshU32(out, uint32_t(block.elementCount));
    writeMeshU32(out, uint32_t(block.componentCount));
    writeMeshU32(out, uint32_t(block.type));
    out.insert(out.end(), block.contents.begin(), block.contents.end());
}

} // namespace vorn
