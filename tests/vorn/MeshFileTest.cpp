// Reading mesh-file parts: whole blocks, and files that are cut off or lie
// about their sizes.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "vorn/MeshFile.h"

using namespace vorn;

namespace {

std::string bytes(const std::vector<uint8_t>& v)
{
    return std::string(v.begin(), v.end());
}

meshFileBlock floatBlock(int elements, int components)
{
    meshFileBlock b;
    b.usage = 0x88E4;
    b.target = 0x8892;
    b.bytesPerComponent = 4;
    b.elementCount = elements;
    b.componentCount = components;
    b.type = 0x1406;
    for (int i = 0; i < elements * components; ++i) {
        const float f = float(i) + 0.5f;
        uint8_t raw[4];
        std::memcpy(raw, &f, 4);
        b.contents.insert(b.contents.end(), raw, raw + 4);
    }
    return b;
}

std::vector<uint8_t> header(int32_t bpc, int32_t elements, int32_t components)
{
    std::vector<uint8_t> out;
    for (int32_t v : {0x88E4, 0x8892, bpc, elements, components, 0x1406})
        writeMeshU32(out, uint32_t(v));
    return out;
}

// A stream that cannot seek (like a pipe): it cannot tell its length.
class pipeBuffer : public std::streambuf {
public:
    explicit pipeBuffer(std::string bytes) : data(std::move(bytes))
    {
        setg(data.data(), data.data(), data.data() + data.size());
    }

private:
    std::string data;
};

} // namespace

TEST(MeshFileTest, BlockRoundTripIsLittleEndianAndUnpadded)
{
    std::vector<uint8_t> file;
    writeMeshBlock(file, floatBlock(4, 3));
    ASSERT_EQ(file.size(), 24u + 48u);
    EXPECT_EQ(file[0], 0xE4); // usage, low byte first
    EXPECT_EQ(file[1], 0x88);
    EXPECT_EQ(file[12], 4);   // element count at offset 12
    EXPECT_EQ(file[16], 3);   // component count at offset 16

    std::istringstream in(bytes(file));
    meshFileBlock b;
    ASSERT_TRUE(readMeshBlock(in, b));
    EXPECT_EQ(b.usage, 0x88E4);
    EXPECT_EQ(b.target, 0x8892);
    EXPECT_EQ(b.elementCount, 4);
    EXPECT_EQ(b.componentCount, 3);
    EXPECT_EQ(b.type, 0x1406);
    EXPECT_EQ(b.contents, floatBlock(4, 3).contents);
    EXPECT_EQ(in.peek(), std::char_traits<char>::eof());
}

TEST(MeshFileTest, EmptyBlockIsAccepted)
{
    std::istringstream in(bytes(header(4, 0, 3)));
    meshFileBlock b;
    EXPECT_TRUE(readMeshBlock(in, b));
    EXPECT_TRUE(b.contents.empty());
}

TEST(MeshFileTest, CutOffBlocksAreRefused)
{
    std::vector<uint8_t> whole;
    writeMeshBlock(whole, floatBlock(2, 3));
    for (size_t cut : {size_t(0), size_t(3), size_t(23), size_t(24), size_t(47)}) {
        std::istringstream in(bytes(std::vector<uint8_t>(whole.begin(), whole.begin() + long(cut))));
        meshFileBlock b;
        EXPECT_FALSE(readMeshBlock(in, b)) << "cut at " << cut;
        EXPECT_TRUE(b.contents.empty());
    }
}

TEST(MeshFileTest, OnlyVertexAndIndexTargetsAreAccepted)
{
    // GL_ARRAY_BUFFER and GL_ELEMENT_ARRAY_BUFFER; a pixel-unpack buffer, a
    // zero and a nonsense target are damage.
    for (int32_t target : {0x8892, 0x8893, 0x88EC, 0, 0x1234}) {
        meshFileBlock block = floatBlock(1, 3);
        block.target = target;
        std::vector<uint8_t> file;
        writeMeshBlock(file, block);
        std::istringstream in(bytes(file));
        meshFileBlock b;
        EXPECT_EQ(readMeshBlock(in, b), target == 0x8892 || target == 0x8893) << target;
    }
}

TEST(MeshFileTest, AbsurdSizesAreRefusedWithoutAllocating)
{
    EXPECT_EQ(meshBlockByteSize(4, 3, 2), 24);
    EXPECT_EQ(meshBlockByteSize(-4, 3, 2), -1);
    EXPECT_EQ(meshBlockByteSize(4, -3, 2), -1);
    EXPECT_EQ(meshBlockByteSize(4, 3, -2), -1);
    EXPECT_EQ(meshBlockByteSize(0x7fffffff, 0x7fffffff, 0x7fffffff), -1);
    EXPECT_EQ(meshBlockByteSize(4, 4, 0x7fffffff / 16), int64_t(0x7fffffff / 16) * 16);
    EXPECT_EQ(meshBlockByteSize(4, 4, 0x7fffffff / 16 + 1), -1);

    // A header that claims nearly 2 GiB followed by a few bytes: refused
    // after reading what is there (the sanitizer build would report a huge
    // allocation).
    std::vector<uint8_t> file = header(4, 0x7fffffff / 16, 4);
    file.resize(file.size() + 100, 7);
    std::istringstream in(bytes(file));
    meshFileBlock b;
    EXPECT_FALSE(readMeshBlock(in, b));
    EXPECT_LT(b.contents.capacity(), size_t(1) << 22);

    std::istringstream negative(bytes(header(4, -1, 3)));
    EXPECT_FALSE(readMeshBlock(negative, b));
}

TEST(MeshFileTest, UnseekableStreamsReadInPieces)
{
    std::vector<uint8_t> file;
    writeMeshBlock(file, floatBlock(100000, 4)); // 1.6 MB: more than one piece
    {
        pipeBuffer buffer(bytes(file));
        std::istream in(&buffer);
        ASSERT_EQ(in.tellg(), std::streampos(-1));
        meshFileBlock b;
        ASSERT_TRUE(readMeshBlock(in, b));
        EXPECT_EQ(b.contents, floatBlock(100000, 4).contents);
    }
    {
        file.resize(file.size() - 1);
        pipeBuffer buffer(bytes(file));
        std::istream in(&buffer);
        meshFileBlock b;
        EXPECT_FALSE(readMeshBlock(in, b));
    }
    {
        std::vector<uint8_t> lying = header(4, 0x7fffffff / 16, 4);
        lying.resize(lying.size() + 100);
        pipeBuffer buffer(bytes(lying));
        std::istream in(&buffer);
        meshFileBlock b;
        EXPECT_FALSE(readMeshBlock(in, b));
        EXPECT_LT(b.contents.capacity(), size_t(1) << 22);
    }
}

TEST(MeshFileTest, AttributeNames)
{
    std::istringstream in(std::string("seedHax\0\0tail", 13));
    std::string name;
    ASSERT_TRUE(readMeshAttributeName(in, name));
    EXPECT_EQ(name, "seedHax");
    ASSERT_TRUE(readMeshAttributeName(in, name));
    EXPECT_EQ(name, ""); // an empty name is still a name
    EXPECT_FALSE(readMeshAttributeName(in, name)); // "tail" has no end
}

TEST(MeshFileTest, U32)
{
    std::istringstream in(std::string("\x01\x02\x03\x04\x05", 5));
    uint32_t v = 0;
    ASSERT_TRUE(readMeshU32(in, v));
    EXPECT_EQ(v, 0x04030201u);
    EXPECT_FALSE(readMeshU32(in, v));
}
