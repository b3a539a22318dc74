// A look at an image file before the image library reads it.
//
// The image library trusts what a file's header says: it sizes its pixel
// buffers with 32-bit arithmetic (a header that claims 65536 x 65536 RGBA
// pixels wraps around to a tiny buffer, and decoding the first row writes
// far past it), and it takes a DDS file's bit count, block format and
// level sizes as given and reads or writes past its buffers when they lie.
// cTexture therefore hands a file to the library only when
//     imageFileFitsLibrary(path)
// holds: the file is a PNG whose size stays below maxImagePixels, or a DDS
// file of a plainly described layout (DXT1 to DXT5 blocks, or 8, 16, 24 or
// 32 bits a pixel) of such a size whose every level, face and slice is in
// the file. Anything else counts as an image that does not load.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorn {

// Bytes of the file start that the check looks at (the DDS header).
constexpr size_t imageHeaderBytes = 128;

// The most pixels (width x height x depth) an image may have: at 16 bytes a
// pixel (the widest the library keeps) that is below 2^31 bytes, so no size
// the library or the upload computes wraps. An 8192 x 8192 image loads;
// 16384 x 8192 does not.
constexpr uint64_t maxImagePixels = (uint64_t(1) << 27) - 1;

// True when `head` (the first bytes of a file, up to imageHeaderBytes) is a
// PNG or DDS header as described above, for a file of fileSize bytes.
bool imageHeaderFitsLibrary(const std::vector<uint8_t>& head, uint64_t fileSize);

// The same for the file at path (false when it cannot be read).
bool imageFileFitsLibrary(const std::string& path);

} // namespace vorn
