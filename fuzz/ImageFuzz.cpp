// Fuzz target: arbitrary bytes as an image file through the container check
// and, when it lets them in, the image library's load, the clean-up after a
// failed load, the conversion to 8 bits a channel and the whole mipmap
// chain, as cTexture does it (without GL). Each chunk's checksum is set
// right before the load, so mutations reach the library's decoders instead
// of its checksum test. Besides the sanitizers' checks it traps when the
// prepared image is not a non-empty 8-bit image.
#include <IL/il.h>
#include <IL/ilu.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "vorn/ImageDecode.h"
#include "vorn/MipmapChain.h"

namespace {

uint32_t crc32(const uint8_t* p, size_t n)
{
    static uint32_t table[256];
    static bool made = false;
    if (!made) {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
            table[i] = c;
        }
        made = true;
    }
    uint32_t c = ~0u;
    for (size_t i = 0; i < n; ++i)
        c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return ~c;
}

// Rewrites the checksum of every chunk that lies within the file.
void fixPngChecksums(std::vector<uint8_t>& png)
{
    size_t at = 8;
    while (png.size() - at >= 12) {
        const uint32_t length = uint32_t(png[at]) << 24 | uint32_t(png[at + 1]) << 16 | uint32_t(png[at + 2]) << 8 |
                                uint32_t(png[at + 3]);
        if (uint64_t(length) + 12 > png.size() - at)
            return;
        const uint32_t crc = crc32(png.data() + at + 4, size_t(length) + 4);
        uint8_t* out = png.data() + at + 8 + length;
        for (int i = 0; i < 4; ++i)
            out[i] = uint8_t(crc >> (24 - 8 * i));
        at += 12 + size_t(length);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    vorn::initImageDecoderOnce();
    std::vector<uint8_t> file(data, data + size);
    const vorn::eImageKind kind = vorn::imageFitsLibrary(file.data(), file.size());
    if (kind == vorn::eImageKind::png)
        fixPngChecksums(file);

    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    const bool loaded = vorn::decodeImage(file, kind == vorn::eImageKind::none ? vorn::eImageKind::png : kind);
    fuzzsupport::require(!loaded || kind != vorn::eImageKind::none);
    vorn::makeSafeAfterLoad(loaded);
    vorn::makeUploadable();
    const int w = ilGetInteger(IL_IMAGE_WIDTH), h = ilGetInteger(IL_IMAGE_HEIGHT);
    fuzzsupport::require(w > 0 && h > 0 && ilGetData() != nullptr);
    fuzzsupport::require(ilGetInteger(IL_IMAGE_TYPE) == IL_UNSIGNED_BYTE);
    const std::vector<vorn::mipmapLevelSize> levels = vorn::mipmapLevelSizes(w, h);
    for (size_t i = 1; i < levels.size(); ++i) {
        iluScale(ILuint(levels[i].width), ILuint(levels[i].height), 1);
        fuzzsupport::require(ilGetData() != nullptr);
    }
    ilDeleteImages(1, &image);
    while (ilGetError() != IL_NO_ERROR) {
    }
    return 0;
}
