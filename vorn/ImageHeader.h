// A look at an image file before the image library reads it.
//
// The image library trusts what a file's header says: it sizes its pixel
// buffers with 32-bit arithmetic (a header that claims 65536 x 65536 RGBA
// pixels wraps around to a tiny buffer, and decoding the first row writes
// far past it), and it takes a DDS file's bit count, block format and
// level sizes as given and reads or writes past its buffers when they lie.
// cTexture therefore hands a file to the library only when
//     imageHeaderFitsLibrary(head, fileSize)
// holds: the file is a PNG whose size stays below maxImagePixels, or a DDS
// file of a plainly described layout (DXT1 to DXT5 blocks, or 8, 16, 24 or
// 32 bits a pixel) of such a size whose every level, face and slice is in
// the file, whose pitch or linear size (when its flags name one) is no
// larger than the data in the file, and which is not a cube map (the
// library's cube-map reader crashes on damaged ones; the engine builds its
// cube maps from six images). Anything else counts as an image that does not load.
//
// The header alone is not enough: the library's PNG reader takes every
// chunk length as given and, when a chunk claims more bytes than the file
// has, spins on the missing bytes for ever. So a whole file is judged by
//     imageFitsLibrary(bytes)
// which also walks a PNG's chunks (each one inside the file, the sequence
// reaching IEND, and enough compressed data behind the size the header
// claims that decoding cannot ask for memory out of proportion to the file).
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

// The kinds of image file the engine loads.
enum class eImageKind { none, png, dds };

// The largest image file the engine reads (it is read whole into memory).
constexpr uint64_t maxImageFileBytes = uint64_t(256) << 20;

// The most bytes of pixel data that a deflate stream of n bytes can
// unpack to (each 2-bit code of a full-length match gives 258 bytes).
constexpr uint64_t deflateMostOutput(uint64_t n) { return n * 1032 + 1032; }

// The kind of the whole file in data[0 .. size) when it is one the library
// can read safely: its header passes imageHeaderFitsLibrary and, for a PNG,
// every chunk lies within the file, the chunks run from IHDR to IEND, the
// header describes a valid pixel layout and the IDAT chunks hold enough
// bytes to unpack to the pixels it claims. eImageKind::none otherwise.
eImageKind imageFitsLibrary(const uint8_t* data, size_t size);

// The kind the engine expects from a file name's extension (PNG or DDS,
// any letter case), eImageKind::none for any other.
eImageKind imageKindOfName(const std::string& name);

// Reads the whole file at path into bytes. False when it cannot be read
// or is larger than maxImageFileBytes.
bool readImageFile(const std::string& path, std::vector<uint8_t>& bytes);

// The same check for the file at path (false when it cannot be read).
bool imageFileFitsLibrary(const std::string& path);

} // namespace vorn
