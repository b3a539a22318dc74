// The check that stands between image files and the image library: which PNG
// and DDS headers pass, which sizes would make the library's 32-bit size
// arithmetic wrap, and which DDS layouts or lengths it would read past.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "vorn/ImageHeader.h"

using namespace vorn;

namespace {

std::vector<uint8_t> pngHead(uint32_t width, uint32_t height)
{
    std::vector<uint8_t> h = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            h.push_back(uint8_t(v >> shift));
    h.insert(h.end(), {8, 6, 0, 0, 0}); // 8-bit RGBA, then the CRC (not checked here)
    h.insert(h.end(), 4, 0);
    return h;
}

struct ddsLayout {
    uint32_t width = 16, height = 16, depth = 0, mipmaps = 0;
    const char* fourCC = nullptr; // else uncompressed
    uint32_t bitCount = 32;
    bool cube = false;
};

std::vector<uint8_t> ddsHead(const ddsLayout& l)
{
    std::vector<uint8_t> h(128, 0);
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    h[0] = 'D', h[1] = 'D', h[2] = 'S', h[3] = ' ';
    put(4, 124);
    put(8, 0x1007 | (l.mipmaps ? 0x20000u : 0u));
    put(12, l.height);
    put(16, l.width);
    put(24, l.depth);
    put(28, l.mipmaps);
    put(76, 32);
    if (l.fourCC) {
        put(80, 0x4);
        for (int i = 0; i < 4; ++i)
            h[84 + size_t(i)] = uint8_t(l.fourCC[i]);
    } else {
        put(80, 0x41);
        put(88, l.bitCount);
    }
    put(112, l.cube ? 0xFE00u : 0u);
    return h;
}

} // namespace

TEST(ImageHeaderTest, PngSizes)
{
    const uint64_t any = 1000;
    EXPECT_TRUE(imageHeaderFitsLibrary(pngHead(256, 128), any));
    EXPECT_TRUE(imageHeaderFitsLibrary(pngHead(1, 1), any));
    EXPECT_TRUE(imageHeaderFitsLibrary(pngHead(8192, 8192), any));
    EXPECT_TRUE(imageHeaderFitsLibrary(pngHead(1, uint32_t(maxImagePixels)), any));
    EXPECT_FALSE(imageHeaderFitsLibrary(pngHead(1, uint32_t(maxImagePixels) + 1), any));
    EXPECT_FALSE(imageHeaderFitsLibrary(pngHead(16384, 8192), any));
    // 65536 x 65536 RGBA is 2^34 bytes: 0 in 32 bits.
    EXPECT_FALSE(imageHeaderFitsLibrary(pngHead(65536, 65536), any));
    EXPECT_FALSE(imageHeaderFitsLibrary(pngHead(0xFFFFFFFFu, 0xFFFFFFFFu), any));
    EXPECT_FALSE(imageHeaderFitsLibrary(pngHead(0, 16), any));
    EXPECT_FALSE(imageHeaderFitsLibrary(pngHead(16, 0), any));
}

TEST(ImageHeaderTest, DdsLayoutsAndTheirData)
{
    // 16 x 16 at 32 bits: 1024 bytes after the header.
    EXPECT_TRUE(imageHeaderFitsLibrary(ddsHead({}), 128 + 1024));
    EXPECT_FALSE(imageHeaderFitsLibrary(ddsHead({}), 128 + 1023));
    for (uint32_t bits : {8u, 16u, 24u})
        EXPECT_TRUE(imageHeaderFitsLibrary(ddsHead({16, 16, 0, 0, nullptr, bits}), 128 + 256 * bits / 8)) << bits;
    for (uint32_t bits : {0u, 4u, 12u, 48u, 128u, 0x9C35BC7u})
        EXPECT_FALSE(imageHeaderFitsLibrary(ddsHead({16, 16, 0, 0, nullptr, bits}), 1 << 20)) << bits;

    // Blocks of 4 x 4: DXT1 8 bytes each, DXT2 to DXT5 16; a 13 x 7 image
    // has 4 x 2 blocks.
    EXPECT_TRUE(imageHeaderFitsLibrary(ddsHead({13, 7, 0, 0, "DXT1"}), 128 + 64));
    EXPECT_FALSE(imageHeaderFitsLibrary(ddsHead({13, 7, 0, 0, "DXT1"}), 128 + 63));
    EXPECT_TRUE(imageHeaderFitsLibrary(ddsHead({13, 7, 0, 0, "DXT5"}), 128 + 128));
    EXPECT_FALSE(imageHeaderFitsLibrary(ddsHead({13, 7, 0, 0, "DXT5"}), 128 + 127));
    for (const char* other : {"DXT0", "DXT6", "DX10", "ATI2", "\x74\0\0\0"})
        EXPECT_FALSE(imageHeaderFitsLibrary(ddsHead({16, 16, 0, 0, other}), 1 << 20)) << other;

    // Mipmaps: 16x16, 8x8, 4x4, 2x2, 1x1 DXT1 blocks are 16+4+1+1+1 = 23
    // blocks; a cube map holds six such chains; a volume counts its slices.
    EXPECT_TRUE(imageHeaderFitsLibrary(ddsHead({16, 16, 0, 5, "DXT1"}), 128 + 23 * 8));
    EXPECT_FALSE(imageHeaderFitsLibrary(ddsHead({16, 16, 0, 5, "DXT1"}), 128 + 23 * 8 - 1));
    // A cube map is refused whatever it holds: the library's reader of
    // them crashes on damaged ones.
    ddsLayout cube{16, 16, 0, 5, "DXT1"};
    cube.cube = true;
    EXPECT_FALSE(imageHeaderFitsLibrary(ddsHead(cube), 128 + 6 * 23 * 8));
    EXPECT_FALSE(imageHeaderFitsLibrary(ddsHead(cube), 1 << 20));
    EXPECT_FALSE(imageHeaderFitsLibrary(ddsHead({16, 16, 0, 33, "DXT1"}), 1 << 30));
    EXPECT_TRUE(imageHeaderFitsLibrary(ddsHead({4, 4, 4, 0}), 128 + 256));
    EXPECT_FALSE(imageHeaderFitsLibrary(ddsHead({4, 4, 4, 0}), 128 + 255));

    // A pitch or linear size beyond the file's data (the image library
    // sizes its read buffer by it) counts only when the flags name it.
    for (uint32_t flag : {0x8u, 0x80000u}) {
        std::vector<uint8_t> sized = ddsHead({});
        sized[8] |= uint8_t(flag), sized[10] |= uint8_t(flag >> 16);
        sized[20] = 0x00, sized[21] = 0x04; // 1024
        EXPECT_TRUE(imageHeaderFitsLibrary(sized, 128 + 1024)) << flag;
        sized[21] = 0x05;
        EXPECT_FALSE(imageHeaderFitsLibrary(sized, 128 + 1024)) << flag;
        sized[23] = 0xB5;
        EXPECT_FALSE(imageHeaderFitsLibrary(sized, 128 + 1024)) << flag;
    }
    std::vector<uint8_t> unflagged = ddsHead({});
    unflagged[23] = 0xB5;
    EXPECT_TRUE(imageHeaderFitsLibrary(unflagged, 128 + 1024));

    EXPECT_FALSE(imageHeaderFitsLibrary(ddsHead({4096, 4096, 16, 0}), uint64_t(1) << 40));
    EXPECT_FALSE(imageHeaderFitsLibrary(ddsHead({65536, 65536, 0, 0}), uint64_t(1) << 40));
    EXPECT_FALSE(imageHeaderFitsLibrary(ddsHead({0, 16, 0, 0}), 1 << 20));
}

TEST(ImageHeaderTest, CutOffAndForeignHeadersAreRefused)
{
    const std::vector<uint8_t> png = pngHead(16, 16);
    EXPECT_FALSE(imageHeaderFitsLibrary({}, 0));
    EXPECT_FALSE(imageHeaderFitsLibrary(std::vector<uint8_t>(png.begin(), png.begin() + 8), 8));
    EXPECT_FALSE(imageHeaderFitsLibrary(std::vector<uint8_t>(png.begin(), png.begin() + 23), 23));
    std::vector<uint8_t> noIhdr = png;
    noIhdr[12] = 'X';
    EXPECT_FALSE(imageHeaderFitsLibrary(noIhdr, 1000));
    const std::vector<uint8_t> dds = ddsHead({});
    EXPECT_FALSE(imageHeaderFitsLibrary(std::vector<uint8_t>(dds.begin(), dds.begin() + 100), 100));
    std::vector<uint8_t> badSize = dds;
    badSize[4] = 125;
    EXPECT_FALSE(imageHeaderFitsLibrary(badSize, 1 << 20));
    EXPECT_FALSE(imageHeaderFitsLibrary({'G', 'I', 'F', '8', '9', 'a', 16, 0, 16, 0}, 1000));
    EXPECT_FALSE(imageHeaderFitsLibrary(std::vector<uint8_t>(128, 0xFF), 1000));
}

TEST(ImageHeaderTest, FilesAreJudgedByTheirStartAndLength)
{
    const std::string path = "image_header_test.dds";
    auto write = [&](const std::vector<uint8_t>& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    };
    std::vector<uint8_t> bytes = ddsHead({});
    bytes.resize(128 + 1024, 0x55);
    write(bytes);
    EXPECT_TRUE(imageFileFitsLibrary(path));
    bytes.pop_back();
    write(bytes);
    EXPECT_FALSE(imageFileFitsLibrary(path));
    std::remove(path.c_str());
    EXPECT_FALSE(imageFileFitsLibrary(path));
}

namespace {

// A PNG built chunk by chunk; checksums are zero (the check leaves them to
// the image library).
struct pngBuilder {
    std::vector<uint8_t> bytes;

    pngBuilder()
    {
        static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        bytes.assign(signature, signature + 8);
    }

    pngBuilder& chunk(const char* type, const std::vector<uint8_t>& data, uint32_t claimedLength)
    {
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(uint8_t(claimedLength >> shift));
        bytes.insert(bytes.end(), type, type + 4);
        bytes.insert(bytes.end(), data.begin(), data.end());
        bytes.insert(bytes.end(), 4, 0);
        return *this;
    }
    pngBuilder& chunk(const char* type, const std::vector<uint8_t>& data = {})
    {
        return chunk(type, data, uint32_t(data.size()));
    }
    pngBuilder& header(uint32_t w, uint32_t h, uint8_t depth = 8, uint8_t colour = 6, uint8_t interlace = 0)
    {
        std::vector<uint8_t> d;
        for (uint32_t v : {w, h})
            for (int shift = 24; shift >= 0; shift -= 8)
                d.push_back(uint8_t(v >> shift));
        d.insert(d.end(), {depth, colour, 0, 0, interlace});
        return chunk("IHDR", d);
    }
    eImageKind kind() const { return imageFitsLibrary(bytes.data(), bytes.size()); }
};

} // namespace

TEST(ImageHeaderTest, PngChunksMustLieInTheFileAndReachTheEnd)
{
    const std::vector<uint8_t> idat(100, 0x11);
    EXPECT_EQ(pngBuilder().header(16, 16).chunk("IDAT", idat).chunk("IEND").kind(), eImageKind::png);
    // Ancillary chunks, several data chunks and bytes after the end are fine.
    EXPECT_EQ(pngBuilder().header(16, 16).chunk("gAMA", {0, 0, 0xB1, 0x8F}).chunk("IDAT", idat).chunk("IDAT", idat)
                  .chunk("IEND").chunk("junk", {1, 2}).kind(),
              eImageKind::png);

    // A real image whose gAMA chunk claims 65535 bytes: the library would
    // spin for ever on the missing bytes.
    EXPECT_EQ(pngBuilder().header(16, 16).chunk("gAMA", {0, 0, 0xB1, 0x8F}, 65535).chunk("IDAT", idat)
                  .chunk("IEND").kind(),
              eImageKind::none);
    // A length just one past the file, and one with the top bit set.
    pngBuilder overByOne;
    overByOne.header(16, 16).chunk("IDAT", idat).chunk("IEND");
    overByOne.bytes.pop_back();
    EXPECT_EQ(overByOne.kind(), eImageKind::none);
    EXPECT_EQ(pngBuilder().header(16, 16).chunk("IDAT", idat, 0x80000064u).chunk("IEND").kind(), eImageKind::none);
    // No end, no data, the header not first or twice, a type of non-letters.
    EXPECT_EQ(pngBuilder().header(16, 16).chunk("IDAT", idat).kind(), eImageKind::none);
    EXPECT_EQ(pngBuilder().header(16, 16).chunk("IEND").kind(), eImageKind::none);
    EXPECT_EQ(pngBuilder().header(16, 16).header(16, 16).chunk("IDAT", idat).chunk("IEND").kind(), eImageKind::none);
    EXPECT_EQ(pngBuilder().header(16, 16).chunk("ID\x01T", idat).chunk("IEND").kind(), eImageKind::none);
    pngBuilder late;
    late.chunk("gAMA", {0, 0, 0xB1, 0x8F}).header(16, 16).chunk("IDAT", idat).chunk("IEND");
    EXPECT_EQ(late.kind(), eImageKind::none);
}

TEST(ImageHeaderTest, PngPixelLayoutAndDataMustAgree)
{
    const std::vector<uint8_t> idat(100, 0x11);
    // Every colour type with its depths; the rest are not PNG layouts.
    for (auto [colour, depth] : std::vector<std::pair<uint8_t, uint8_t>>{
             {0, 1}, {0, 16}, {2, 8}, {2, 16}, {3, 1}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}})
        EXPECT_EQ(pngBuilder().header(16, 16, depth, colour).chunk("IDAT", idat).chunk("IEND").kind(), eImageKind::png)
            << int(colour) << "/" << int(depth);
    for (auto [colour, depth] :
         std::vector<std::pair<uint8_t, uint8_t>>{{0, 3}, {2, 4}, {3, 16}, {4, 1}, {6, 2}, {1, 8}, {5, 8}, {7, 8}})
        EXPECT_EQ(pngBuilder().header(16, 16, depth, colour).chunk("IDAT", idat).chunk("IEND").kind(), eImageKind::none)
            << int(colour) << "/" << int(depth);
    EXPECT_EQ(pngBuilder().header(16, 16, 8, 6, 1).chunk("IDAT", idat).chunk("IEND").kind(), eImageKind::png);
    EXPECT_EQ(pngBuilder().header(16, 16, 8, 6, 2).chunk("IDAT", idat).chunk("IEND").kind(), eImageKind::none);

    // 8192 x 8192 RGBA is 256 MiB of pixels: 100 bytes of data cannot
    // unpack to that, 260 KB can.
    EXPECT_EQ(pngBuilder().header(8192, 8192).chunk("IDAT", idat).chunk("IEND").kind(), eImageKind::none);
    const uint64_t pixels = uint64_t(8192) * 8192 * 4;
    const std::vector<uint8_t> enough(size_t(pixels / 1032) + 1, 0x11);
    EXPECT_EQ(pngBuilder().header(8192, 8192).chunk("IDAT", enough).chunk("IEND").kind(), eImageKind::png);
    EXPECT_EQ(imageKindOfName("a.png"), eImageKind::png);
    EXPECT_EQ(imageKindOfName("data/A.Dds"), eImageKind::dds);
    EXPECT_EQ(imageKindOfName("a.pngx"), eImageKind::none);
    EXPECT_EQ(imageKindOfName("png"), eImageKind::none);
}
