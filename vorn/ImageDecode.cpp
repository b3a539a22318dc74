#include "vorn/ImageDecode.h"

#include <IL/il.h>
#include <IL/ilu.h>

#include <limits>

namespace vorn {

namespace {

ILenum libraryType(eImageKind kind)
{
    return kind == eImageKind::png ? IL_PNG : IL_DDS;
}

} // namespace

void initImageDecoderOnce()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    ilInit();
    iluInit();
}

bool decodeImage(const std::vector<uint8_t>& file, eImageKind expected)
{
    if (expected == eImageKind::none || file.size() > std::numeric_limits<ILuint>::max())
        return false;
    if (imageFitsLibrary(file.data(), file.size()) != expected)
        return false;
    return ilLoadL(libraryType(expected), file.data(), ILuint(file.size())) == IL_TRUE;
}

bool decodeImageFile(const std::string& path, eImageKind expected)
{
    std::vector<uint8_t> file;
    return readImageFile(path, file) && decodeImage(file, expected);
}

void makeSafeAfterLoad(bool loaded)
{
    const ILint w = ilGetInteger(IL_IMAGE_WIDTH);
    const ILint h = ilGetInteger(IL_IMAGE_HEIGHT);
    if (loaded && ilGetData() && w > 0 && h > 0)
        return;
    static const ILubyte clear[4] = {0, 0, 0, 0};
    ilTexImage(1, 1, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, const_cast<ILubyte*>(clear));
}

void makeUploadable()
{
    ILint format = ilGetInteger(IL_IMAGE_FORMAT);
    const ILint type = ilGetInteger(IL_IMAGE_TYPE);
    bool convert = type != IL_UNSIGNED_BYTE;
    if (format == IL_COLOUR_INDEX) {
        const ILint palette = ilGetInteger(IL_PALETTE_TYPE);
        format = (palette == IL_PAL_RGBA32 || palette == IL_PAL_BGRA32) ? IL_RGBA : IL_RGB;
        convert = true;
    }
    if (convert)
        ilConvertImage(ILenum(format), IL_UNSIGNED_BYTE);
}

} // namespace vorn
