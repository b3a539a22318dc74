#include <IL/il.h>
#include <IL/ilu.h>

#include <cstdint>
#include <map>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

namespace {

struct sImage {
    ILuint width = 0;
    ILuint height = 0;
    ILuint bpp = 0;
    std::vector<ILubyte> pixels;
};

std::map<ILuint, sImage> images;
ILuint nextName = 1;
ILuint bound = 0;

sImage* boundImage()
{
    const auto it = images.find(bound);
    return it == images.end() ? nullptr : &it->second;
}

ILenum formatOf(ILuint bpp)
{
    switch (bpp) {
    case 1:
        return IL_LUMINANCE;
    case 2:
        return IL_LUMINANCE_ALPHA;
    case 3:
        return IL_RGB;
    default:
        return IL_RGBA;
    }
}

} // namespace

void ilInit() {}
void iluInit() {}

void ilGenImages(ILint count, ILuint* names)
{
    for (ILint i = 0; i < count; ++i) {
        names[i] = nextName++;
        images[names[i]] = sImage{};
    }
}

void ilBindImage(ILuint image)
{
    bound = image;
}

void ilDeleteImages(ILint count, const ILuint* names)
{
    for (ILint i = 0; i < count; ++i)
        images.erase(names[i]);
}

ILboolean ilLoadL(ILenum type, const void* data, ILuint size)
{
    sImage* image = boundImage();
    if (image == nullptr || type != IL_PNG)
        return IL_FALSE;
    int w = 0;
    int h = 0;
    int channels = 0;
    stbi_uc* decoded = stbi_load_from_memory(static_cast<const stbi_uc*>(data), static_cast<int>(size), &w, &h, &channels, 0);
    if (decoded == nullptr)
        return IL_FALSE;
    image->width = ILuint(w);
    image->height = ILuint(h);
    image->bpp = ILuint(channels);
    image->pixels.assign(decoded, decoded + std::size_t(w) * std::size_t(h) * std::size_t(channels));
    stbi_image_free(decoded);
    return IL_TRUE;
}

ILint ilGetInteger(ILenum mode)
{
    const sImage* image = boundImage();
    if (image == nullptr)
        return 0;
    switch (mode) {
    case IL_IMAGE_WIDTH:
        return ILint(image->width);
    case IL_IMAGE_HEIGHT:
        return ILint(image->height);
    case IL_IMAGE_BPP:
        return ILint(image->bpp);
    case IL_IMAGE_FORMAT:
        return ILint(formatOf(image->bpp));
    case IL_IMAGE_TYPE:
        return IL_UNSIGNED_BYTE;
    default:
        return 0;
    }
}

ILubyte* ilGetData()
{
    sImage* image = boundImage();
    return image == nullptr || image->pixels.empty() ? nullptr : image->pixels.data();
}

ILboolean ilTexImage(ILuint width, ILuint height, ILuint, ILubyte bpp, ILenum, ILenum, void* data)
{
    sImage* image = boundImage();
    if (image == nullptr)
        return IL_FALSE;
    image->width = width;
    image->height = height;
    image->bpp = bpp;
    const ILubyte* bytes = static_cast<const ILubyte*>(data);
    image->pixels.assign(bytes, bytes + std::size_t(width) * height * bpp);
    return IL_TRUE;
}

// Images are decoded to 8 bits a channel and never to a palette: there is
// nothing to convert.
ILboolean ilConvertImage(ILenum, ILenum)
{
    return IL_TRUE;
}

// Destination pixel (x, y) takes source pixel (x * w / width, y * h /
// height), rounded down: the desktop library's default filter.
ILboolean iluScale(ILuint width, ILuint height, ILuint)
{
    sImage* image = boundImage();
    if (image == nullptr || width == 0 || height == 0)
        return IL_FALSE;
    std::vector<ILubyte> scaled(std::size_t(width) * height * image->bpp);
    for (ILuint y = 0; y < height; ++y) {
        const std::size_t sy = std::size_t(y) * image->height / height;
        for (ILuint x = 0; x < width; ++x) {
            const std::size_t sx = std::size_t(x) * image->width / width;
            for (ILuint c = 0; c < image->bpp; ++c)
                scaled[(std::size_t(y) * width + x) * image->bpp + c] =
                    image->pixels[(sy * image->width + sx) * image->bpp + c];
        }
    }
    image->width = width;
    image->height = height;
    image->pixels.swap(scaled);
    return IL_TRUE;
}
