#include "vorn/ImageHeader.h"

#include <cstring>
#include <fstream>

namespace vorn {

namespace {

uint32_t bigEndian32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

uint32_t littleEndian32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool sizeFits(uint64_t width, uint64_t height, uint64_t depth)
{
    if (width == 0 || height == 0 || depth == 0)
        return false;
    // Each factor is below 2^32, so the first product cannot overflow 64 bits.
    const uint64_t area = width * height;
    return area <= maxImagePixels && area * depth <= maxImagePixels;
}

} // namespace

bool imageHeaderFitsLibrary(const std::vector<uint8_t>& head)
{
    // PNG: the signature, then the IHDR chunk (length 13) with the width and
    // height as big-endian 32-bit values.
    static const uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (head.size() >= 8 && std::memcmp(head.data(), pngSignature, 8) == 0) {
        if (head.size() < 24 || std::memcmp(head.data() + 12, "IHDR", 4) != 0)
            return false;
        return sizeFits(bigEndian32(head.data() + 16), bigEndian32(head.data() + 20), 1);
    }
    // DDS: "DDS " and a 124-byte header: height at 12, width at 16, depth
    // at 24 (counted whenever it is set, whatever the flags say).
    if (head.size() >= 4 && std::memcmp(head.data(), "DDS ", 4) == 0) {
        if (head.size() < imageHeaderBytes)
            return false;
        const uint32_t depth = littleEndian32(head.data() + 24);
        return sizeFits(littleEndian32(head.data() + 16), littleEndian32(head.data() + 12), depth ? depth : 1);
    }
    return false;
}

std::vector<uint8_t> readImageHeader(const std::string& path)
{
    std::vector<uint8_t> head(imageHeaderBytes);
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open())
        return {};
    in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()));
    head.resize(size_t(in.gcount()));
    return head;
}

} // namespace vorn
