// Decoding an image file into the image library's bound image, without GL.
//
// cTexture loads every picture through here, and the image fuzz target
// drives the same steps, so what the fuzzer finds is what the production
// would meet:
//     ILuint image; ilGenImages(1, &image); ilBindImage(image);
//     const bool loaded = decodeImageFile(path, imageKindOfName(path));
//     makeSafeAfterLoad(loaded);   // a failed load leaves one clear pixel
//     makeUploadable();            // 8 bits a channel, no palette
// A file reaches the library only when its whole container passes
// imageFitsLibrary (see ImageHeader.h) and is of the kind its name says;
// the library then reads it from memory, so it sees exactly the bytes that
// were checked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vorn/ImageHeader.h"

namespace vorn {

// Starts the image library and its utility part once per process.
void initImageDecoderOnce();

// Loads the file's bytes into the bound image when they pass the check and
// are of kind `expected`. False when they do not, or the library fails.
bool decodeImage(const std::vector<uint8_t>& file, eImageKind expected);

// Reads the file at path (see readImageFile) and decodes it as above.
bool decodeImageFile(const std::string& path, eImageKind expected);

// After a failed load the bound image may be half made (a damaged file can
// leave the size from its header with no pixels behind it): it is then
// replaced by one transparent black pixel, the same thing a missing file
// gives, so nothing reads or scales pixels that are not there.
void makeSafeAfterLoad(bool loaded);

// Brings the bound image to 8 bits per channel in a format GL takes as it
// is: 16-bit and float images are converted, palette images expanded to
// RGB(A).
void makeUploadable();

} // namespace vorn
