// The header check that stands between image files and the image library:
// which PNG and DDS headers pass, and which sizes would make the library's
// 32-bit size arithmetic wrap.
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

std::vector<uint8_t> ddsHead(uint32_t width, uint32_t height, uint32_t depth)
{
    std::vector<uint8_t> h(128, 0);
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            h[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    h[0] = 'D', h[1] = 'D', h[2] = 'S', h[3] = ' ';
    put(4, 124);
    put(12, height);
    put(16, width);
    put(24, depth);
    return h;
}

} // namespace

TEST(ImageHeaderTest, PngSizes)
{
    EXPECT_TRUE(imageHeaderFitsLibrary(pngHead(256, 128)));
    EXPECT_TRUE(imageHeaderFitsLibrary(pngHead(1, 1)));
    EXPECT_TRUE(imageHeaderFitsLibrary(pngHead(8192, 8192)));
    EXPECT_TRUE(imageHeaderFitsLibrary(pngHead(1, uint32_t(maxImagePixels))));
    EXPECT_FALSE(imageHeaderFitsLibrary(pngHead(1, uint32_t(maxImagePixels) + 1)));
    EXPECT_FALSE(imageHeaderFitsLibrary(pngHead(16384, 8192)));
    // 65536 x 65536 RGBA is 2^34 bytes: 0 in 32 bits.
    EXPECT_FALSE(imageHeaderFitsLibrary(pngHead(65536, 65536)));
    EXPECT_FALSE(imageHeaderFitsLibrary(pngHead(0xFFFFFFFFu, 0xFFFFFFFFu)));
    EXPECT_FALSE(imageHeaderFitsLibrary(pngHead(0, 16)));
    EXPECT_FALSE(imageHeaderFitsLibrary(pngHead(16, 0)));
}

TEST(ImageHeaderTest, DdsSizesCountTheDepth)
{
    EXPECT_TRUE(imageHeaderFitsLibrary(ddsHead(512, 512, 0)));
    EXPECT_TRUE(imageHeaderFitsLibrary(ddsHead(64, 64, 64)));
    EXPECT_FALSE(imageHeaderFitsLibrary(ddsHead(4096, 4096, 16)));
    EXPECT_FALSE(imageHeaderFitsLibrary(ddsHead(65536, 65536, 1)));
    EXPECT_FALSE(imageHeaderFitsLibrary(ddsHead(0, 512, 1)));
}

TEST(ImageHeaderTest, CutOffAndForeignHeadersAreRefused)
{
    const std::vector<uint8_t> png = pngHead(16, 16);
    EXPECT_FALSE(imageHeaderFitsLibrary({}));
    EXPECT_FALSE(imageHeaderFitsLibrary(std::vector<uint8_t>(png.begin(), png.begin() + 8)));
    EXPECT_FALSE(imageHeaderFitsLibrary(std::vector<uint8_t>(png.begin(), png.begin() + 23)));
    std::vector<uint8_t> noIhdr = png;
    noIhdr[12] = 'X';
    EXPECT_FALSE(imageHeaderFitsLibrary(noIhdr));
    const std::vector<uint8_t> dds = ddsHead(16, 16, 1);
    EXPECT_FALSE(imageHeaderFitsLibrary(std::vector<uint8_t>(dds.begin(), dds.begin() + 100)));
    EXPECT_FALSE(imageHeaderFitsLibrary({'G', 'I', 'F', '8', '9', 'a', 16, 0, 16, 0}));
    EXPECT_FALSE(imageHeaderFitsLibrary(std::vector<uint8_t>(128, 0xFF)));
}

TEST(ImageHeaderTest, ReadsTheStartOfAFile)
{
    const std::string path = "image_header_test.bin";
    std::vector<uint8_t> bytes = pngHead(4, 4);
    bytes.resize(300, 0x55);
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    const std::vector<uint8_t> head = readImageHeader(path);
    EXPECT_EQ(head, std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(imageHeaderBytes)));
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), 10);
    }
    EXPECT_EQ(readImageHeader(path).size(), 10u);
    std::remove(path.c_str());
    EXPECT_TRUE(readImageHeader(path).empty());
}
