#include "vorn/Texture.h"

#include <IL/il.h>
#include <IL/ilu.h>
#include <IL/ilut.h>

#include <cctype>
#include <fstream>

#include "vorn/ConsoleLog.h"
#include "vorn/DataFile.h"
#include "vorn/ImageDecode.h"
#include "vorn/MipmapChain.h"

namespace vorn {

namespace {

void initImageLibraryOnce()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    initImageDecoderOnce();
    ilutRenderer(ILUT_OPENGL);
}

std::string upperExtension(const std::string& path)
{
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return "";
    std::string ext = path.substr(dot + 1);
    for (char& c : ext)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

// Reads "label:value" lines; the value is everything after the first colon.
std::string readDescriptionValue(std::istream& in)
{
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    const size_t colon = line.find(':');
    return colon == std::string::npos ? std::string() : line.substr(colon + 1);
}

// Rows of the image library are tightly packed (an RGB level 25 pixels wide
// has 75-byte rows), so uploads read with an alignment of 1.
class tightUnpack {
public:
    tightUnpack()
    {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &saved);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    ~tightUnpack() { glPixelStorei(GL_UNPACK_ALIGNMENT, saved); }

private:
    GLint saved = 4;
};

// A texture whose levels arrive one glTexImage2D at a time is built twice
// by some drivers: each level on its own, then all of them copied into one
// complete texture when it is first used. Allocating every level at once and
// filling them in place spares the copy and the cleared memory it takes
// (on a software renderer, about 80 ms of the production's start-up).
bool canAllocateAllLevels(GLenum textureTarget)
{
    return textureTarget == GL_TEXTURE_2D && GLEW_ARB_texture_storage && glTexStorage2D != nullptr;
}

// The sized internal format for the image library's 1 to 4 bytes per pixel,
// meaning what the unsized 1 to 4 of a plain upload mean.
GLenum sizedFormat(GLint bytesPerPixel)
{
    switch (bytesPerPixel) {
    case 1:
        return GL_LUMINANCE8;
    case 2:
        return GL_LUMINANCE8_ALPHA8;
    case 3:
        return GL_RGB8;
    default:
        return GL_RGBA8;
    }
}

} // namespace

cTexture::cTexture(bool generate)
{
    if (generate)
        glGenTextures(1, &id);
}

void cTexture::load(const std::string& name, GLenum textureTarget, bool buildMipmaps)
{
    const std::string path = dataFile(name);
    initImageLibraryOnce();
    const std::string ext = upperExtension(path);
    if (ext == "PNG" || ext == "DDS")
        loadImage(path, name, textureTarget, buildMipmaps);
    else if (ext == "CUB")
        loadCube(name);
}

void cTexture::uploadCurrentImage(GLenum levelTarget, GLint level, bool inPlace)
{
    const tightUnpack unpack;
    const GLint bpp = ilGetInteger(IL_IMAGE_BPP);
    const GLsizei w = ilGetInteger(IL_IMAGE_WIDTH);
    const GLsizei h = ilGetInteger(IL_IMAGE_HEIGHT);
    const GLenum format = GLenum(ilGetInteger(IL_IMAGE_FORMAT));
    if (inPlace) {
        glBindTexture(levelTarget, id);
        if (level == 0)
            record(levelTarget, w, h, 0);
        glTexSubImage2D(levelTarget, level, 0, 0, w, h, format, GL_UNSIGNED_BYTE, ilGetData());
    } else if (levelTarget >= GL_TEXTURE_CUBE_MAP_POSITIVE_X && levelTarget <= GL_TEXTURE_CUBE_MAP_NEGATIVE_Z)
        setCubeFace(levelTarget, level, bpp, w, h, 0, 0, format, GL_UNSIGNED_BYTE, ilGetData());
    else
        setImage(levelTarget, level, bpp, w, h, 0, 0, format, GL_UNSIGNED_BYTE, ilGetData());
}

void cTexture::loadImage(const std::string& path, const std::string& name, GLenum textureTarget, bool buildMipmaps)
{
    glGenTextures(1, &id);
    glBindTexture(textureTarget, id);

    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    const bool loaded = decodeImageFile(resolveDataPath(path), imageKindOfName(path));
    if (!loaded)
        consoleLog.line("OH SHIT. the devil fails:", name);
    makeSafeAfterLoad(loaded);
    makeUploadable();

    const int w = ilGetInteger(IL_IMAGE_WIDTH);
    const int h = ilGetInteger(IL_IMAGE_HEIGHT);
    const ILint format = ilGetInteger(IL_IMAGE_FORMAT);
    covered = (format == IL_RGBA || format == IL_BGRA) ? imageCoverage(ilGetData(), w, h)
                                                          : sImageCoverage::everywhere();
    // mipmapLevelSizes gives GL's own level sizes, so levels allocated
    // together take them as they are.
    const std::vector<mipmapLevelSize> levels =
        buildMipmaps ? mipmapLevelSizes(w, h) : std::vector<mipmapLevelSize>{{w, h}};
    const bool inPlace = canAllocateAllLevels(textureTarget);
    if (inPlace)
        glTexStorage2D(textureTarget, GLsizei(levels.size()), sizedFormat(ilGetInteger(IL_IMAGE_BPP)), w, h);
    if (!buildMipmaps) {
        uploadCurrentImage(textureTarget, 0, inPlace);
        setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    } else {
        if (!isPowerOfTwoSize(w) || !isPowerOfTwoSize(h))
            consoleLog.line("warning texture not power of two. mipmap gen will maybe be mongis");
        for (size_t i = 0; i < levels.size(); ++i) {
            // Each level is scaled from the one before.
            if (i > 0)
                iluScale(ILuint(levels[i].width), ILuint(levels[i].height), 1);
            uploadCurrentImage(textureTarget, GLint(i), inPlace);
        }
        setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    }
    ilDeleteImages(1, &image);
}

void cTexture::loadCube(const std::string& name)
{
    // The description is opened by its bare name; an unreadable one reads as
    // empty text (no mipmaps, six empty face names).
    std::ifstream description(resolveDataPath(name));
    const bool mipmaps = readDescriptionValue(description) == "mipmap";

    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_CUBE_MAP, id);
    target = GL_TEXTURE_CUBE_MAP;

    for (GLenum face = 0; face < 6; ++face) {
        const std::string faceName = readDescriptionValue(description);
        const GLenum faceTarget = GL_TEXTURE_CUBE_MAP_POSITIVE_X + face;
        ILuint image = 0;
        ilGenImages(1, &image);
        ilBindImage(image);
        const bool loaded = decodeImageFile(resolveDataPath(dataFile(faceName)), imageKindOfName(faceName));
        if (!loaded)
            consoleLog.line("OH SHIT. the devil fails");
        makeSafeAfterLoad(loaded);
        makeUploadable();

        if (mipmaps) {
            const int w = ilGetInteger(IL_IMAGE_WIDTH);
            const int h = ilGetInteger(IL_IMAGE_HEIGHT);
            if (!isPowerOfTwoSize(w) || !isPowerOfTwoSize(h))
                consoleLog.line("warning texture not power of two. mipmap gen will be mongis");
            const std::vector<mipmapLevelSize> levels = cubeMipmapLevelSizes(w, h);
            for (size_t k = 0; k < levels.size(); ++k) {
                if (k > 0)
                    iluScale(ILuint(levels[k].width), ILuint(levels[k].height), 1);
                uploadCurrentImage(faceTarget, GLint(k));
            }
            setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        } else {
            uploadCurrentImage(faceTarget, 0);
            setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        }
        ilDeleteImages(1, &image);
    }
}

void cTexture::setImage(GLenum imageTarget, GLint level, GLint internalFormat, GLsizei w, GLsizei h, GLsizei d,
                        GLint border, GLenum format, GLenum type, const void* pixels)
{
    glBindTexture(imageTarget, id);
    // The texture's size is its first level's.
    if (level == 0)
        record(imageTarget, w, h, d);
    if (imageTarget == GL_TEXTURE_3D || imageTarget == GL_TEXTURE_1D)
        return;
    glTexImage2D(imageTarget, level, internalFormat, w, h, border, format, type, pixels);
}

void cTexture::setCubeFace(GLenum faceTarget, GLint level, GLint internalFormat, GLsizei w, GLsizei h, GLsizei d,
                           GLint border, GLenum format, GLenum type, const void* pixels)
{
    glBindTexture(GL_TEXTURE_CUBE_MAP, id);
    record(GL_TEXTURE_CUBE_MAP, w, h, d);
    glTexImage2D(faceTarget, level, internalFormat, w, h, border, format, type, pixels);
}

void cTexture::record(GLenum imageTarget, GLsizei w, GLsizei h, GLsizei d)
{
    width = w;
    height = h;
    depth = d;
    target = imageTarget;
}

void cTexture::setParameter(GLenum parameter, GLint value)
{
    glBindTexture(target, id);
    if (parameter == GL_TEXTURE_MIN_FILTER)
        mipmapped = value == GL_NEAREST_MIPMAP_NEAREST || value == GL_LINEAR_MIPMAP_NEAREST ||
                    value == GL_NEAREST_MIPMAP_LINEAR || value == GL_LINEAR_MIPMAP_LINEAR;
    glTexParameteri(target, parameter, value);
}

void cTexture::bind(int unit)
{
    glActiveTexture(GLenum(GL_TEXTURE0 + unit));
    glEnable(target);
    glBindTexture(target, id);
}

} // namespace vorn
