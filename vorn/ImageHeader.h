// A look at the first bytes of an image file before the image library reads
// it.
//
// The image library sizes its pixel buffers with 32-bit arithmetic: a header
// that claims, say, 65536 x 65536 RGBA pixels makes the size wrap around to a
// tiny buffer, and decoding the first row then writes far past it. cTexture
// therefore hands a file to the library only when its header is a PNG or DDS
// header whose pixel count stays below maxImagePixels:
//     if (imageHeaderFitsLibrary(firstBytes)) ilLoadImage(path);
// Anything else (another kind of file, a header cut off, a size too large)
// is treated as an image that does not load.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorn {

// Bytes of the file start that the check needs (the DDS header is longest).
constexpr size_t imageHeaderBytes = 128;

// The most pixels (width x height x depth) an image may have: at 16 bytes a
// pixel (four 32-bit float channels, the widest the library keeps) that is
// below 2^31 bytes, so no size the library or the upload computes wraps.
// An 8192 x 8192 image loads; 16384 x 8192 does not.
constexpr uint64_t maxImagePixels = (uint64_t(1) << 27) - 1;

// True when `head` (the first bytes of a file, up to imageHeaderBytes) is a
// PNG or DDS header whose size is not zero and not above maxImagePixels.
bool imageHeaderFitsLibrary(const std::vector<uint8_t>& head);

// Reads the first imageHeaderBytes bytes of the file at path (fewer when it
// is shorter; none when it cannot be opened).
std::vector<uint8_t> readImageHeader(const std::string& path);

} // namespace vorn
