#include "vorn/ImageHeader.h"

#include <algorithm>
#include <cctype>
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
    // Each factor is below 2^32, so the first product cannot overflow.
    const uint64_t area = width * height;
    return area <= maxImagePixels && area * depth <= maxImagePixels;
}

bool pngFits(const std::vector<uint8_t>& head)
{
    // The IHDR chunk (length 13) comes first, width and height big-endian.
    if (head.size() < 24 || std::memcmp(head.data() + 12, "IHDR", 4) != 0)
        return false;
    return sizeFits(bigEndian32(head.data() + 16), bigEndian32(head.data() + 20), 1);
}

// DDS header fields (offsets from the file start, "DDS " included).
constexpr size_t ddsSize = 4, ddsFlags = 8, ddsHeight = 12, ddsWidth = 16, ddsPitch = 20, ddsDepth = 24, ddsMipmaps = 28,
                 ddsFormatSize = 76, ddsFormatFlags = 80, ddsFourCC = 84, ddsBitCount = 88, ddsCaps2 = 112;
constexpr uint32_t ddsMipmapCountFlag = 0x20000, ddsFourCCFlag = 0x4, ddsCubeMapCaps = 0x200, ddsPitchFlag = 0x8,
                   ddsLinearSizeFlag = 0x80000;

bool ddsFits(const std::vector<uint8_t>& head, uint64_t fileSize)
{
    if (head.size() < imageHeaderBytes || fileSize < imageHeaderBytes)
        return false;
    auto field = [&](size_t at) { return littleEndian32(head.data() + at); };
    if (field(ddsSize) != 124 || field(ddsFormatSize) != 32)
        return false;
    // The depth is counted whenever it is set, whatever the flags say: a
    // file that is not a volume has 0 or 1 there.
    const uint64_t width = field(ddsWidth), height = field(ddsHeight);
    const uint64_t depth = std::max<uint32_t>(1, field(ddsDepth));
    if (!sizeFits(width, height, depth))
        return false;

    // Bytes of one level of w x h x d: 4 x 4 blocks, or whole bytes a pixel.
    uint64_t blockBytes = 0, pixelBytes = 0;
    if (field(ddsFormatFlags) & ddsFourCCFlag) {
        const uint8_t* code = head.data() + ddsFourCC;
        if (std::memcmp(code, "DXT", 3) != 0 || code[3] < '1' || code[3] > '5')
            return false;
        blockBytes = code[3] == '1' ? 8 : 16;
    } else {
        const uint32_t bits = field(ddsBitCount);
        if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
            return false;
        pixelBytes = bits / 8;
    }
    auto levelBytes = [&](uint64_t w, uint64_t h, uint64_t d) {
        if (blockBytes)
            return ((w + 3) / 4) * ((h + 3) / 4) * blockBytes * d;
        return w * h * d * pixelBytes;
    };

    uint64_t levels = 1;
    if (field(ddsFlags) & ddsMipmapCountFlag) {
        levels = std::max<uint32_t>(1, field(ddsMipmaps));
        if (levels > 32)
            return false;
    }
    // The image library sizes the buffer it reads the top level into from
    // the pitch or linear size field when the flags say it is there: a
    // wild value makes it ask for gigabytes. A true one never exceeds the
    // data in the file.
    if ((field(ddsFlags) & (ddsPitchFlag | ddsLinearSizeFlag)) && field(ddsPitch) > fileSize - imageHeaderBytes)
        return false;
    // The library's reader of DDS cube maps writes and reads outside its
    // buffers on a damaged file, and the engine makes its cube maps from
    // six images of their own (a .cub description): a DDS cube map is not
    // let in.
    if (field(ddsCaps2) & ddsCubeMapCaps)
        return false;
    uint64_t needed = 0;
    uint64_t w = width, h = height, d = depth;
    for (uint64_t level = 0; level < levels; ++level) {
        needed += levelBytes(w, h, d);
        w = std::max<uint64_t>(1, w / 2);
        h = std::max<uint64_t>(1, h / 2);
        d = std::max<uint64_t>(1, d / 2);
    }
    return needed <= fileSize - imageHeaderBytes;
}

// Bits a pixel of a PNG colour type and bit depth; 0 for a combination the
// format does not have.
unsigned pngBitsPerPixel(uint8_t colourType, uint8_t depth)
{
    const bool low = depth == 1 || depth == 2 || depth == 4;
    const bool whole = depth == 8 || depth == 16;
    switch (colourType) {
    case 0: return (low || whole) ? depth : 0u;               // grey
    case 2: return whole ? 3u * depth : 0u;                   // RGB
    case 3: return (low || depth == 8) ? depth : 0u;          // palette
    case 4: return whole ? 2u * depth : 0u;                   // grey and alpha
    case 6: return whole ? 4u * depth : 0u;                   // RGBA
    default: return 0;
    }
}

bool isChunkLetter(uint8_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Walks the chunks after the signature: each is a 4-byte length, a 4-letter
// type, the data and a 4-byte checksum, all of it inside the file. The
// checksums are left to the library.
bool pngChunksFit(const uint8_t* data, size_t size)
{
    size_t at = 8;
    bool first = true;
    uint64_t pixelBits = 0;
    uint64_t compressedBytes = 0;
    bool sawData = false;
    while (size - at >= 12) {
        const uint32_t length = bigEndian32(data + at);
        const uint8_t* type = data + at + 4;
        if (length > 0x7FFFFFFFu || uint64_t(length) + 12 > size - at)
            return false;
        for (int i = 0; i < 4; ++i)
            if (!isChunkLetter(type[i]))
                return false;
        const bool header = std::memcmp(type, "IHDR", 4) == 0;
        if (first != header)
            return false;
        if (header) {
            const uint8_t* h = type + 4;
            if (length != 13 || h[10] != 0 || h[11] != 0 || h[12] > 1)
                return false;
            const unsigned bits = pngBitsPerPixel(h[9], h[8]);
            if (bits == 0)
                return false;
            pixelBits = uint64_t(bigEndian32(h)) * bigEndian32(h + 4) * bits;
            first = false;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            compressedBytes += length;
            sawData = true;
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            // The pixels (without the filter bytes) must be within what
            // the compressed data can unpack to.
            return sawData && pixelBits / 8 <= deflateMostOutput(compressedBytes);
        }
        at += 12 + size_t(length);
    }
    return false;
}

} // namespace

bool imageHeaderFitsLibrary(const std::vector<uint8_t>& head, uint64_t fileSize)
{
    static const uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (head.size() >= 8 && std::memcmp(head.data(), pngSignature, 8) == 0)
        return pngFits(head);
    if (head.size() >= 4 && std::memcmp(head.data(), "DDS ", 4) == 0)
        return ddsFits(head, fileSize);
    return false;
}

eImageKind imageFitsLibrary(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> head(data, data + std::min(size, imageHeaderBytes));
    if (!imageHeaderFitsLibrary(head, size))
        return eImageKind::none;
    if (head[0] == 'D')
        return eImageKind::dds;
    return pngChunksFit(data, size) ? eImageKind::png : eImageKind::none;
}

eImageKind imageKindOfName(const std::string& name)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.size() - dot != 4)
        return eImageKind::none;
    std::string ext = name.substr(dot + 1);
    for (char& c : ext)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    if (ext == "PNG")
        return eImageKind::png;
    if (ext == "DDS")
        return eImageKind::dds;
    return eImageKind::none;
}

bool readImageFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in.is_open())
        return false;
    const std::streamoff size = in.tellg();
    if (size < 0 || uint64_t(size) > maxImageFileBytes)
        return false;
    in.seekg(0);
    bytes.resize(size_t(size));
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    bytes.resize(size_t(in.gcount()));
    return true;
}

bool imageFileFitsLibrary(const std::string& path)
{
    std::vector<uint8_t> bytes;
    return readImageFile(path, bytes) && imageFitsLibrary(bytes.data(), bytes.size()) != eImageKind::none;
}

} // namespace vorn
