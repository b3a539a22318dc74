// cTexture: one OpenGL texture object.
//
// Two uses:
//  - images from the data folder: cTexture(false) then load("pic.png",
//    GL_TEXTURE_2D, true) loads a PNG (or DDS) with the image library and
//    uploads it with a full mipmap chain built on the CPU, one level at a
//    time; a ".cub" description names the six images of a cube map;
//  - empty render or copy targets: cTexture(true), then
//    setImage(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr)
//    and setParameter for the filters.
// Images always reach GL at 8 bits per channel: 16-bit images are converted
// and palette images expanded before upload. A file is handed to the image
// library only when its header is a PNG or DDS header of a sane size and,
// for DDS, of a plain layout whose data is all in the file (ImageHeader.h);
// any other file counts as one that does not load. Problems are reported on the
// console and the texture is used all the same. Textures are never deleted.
// Where GL can, a 2D image's levels are allocated together (immutable
// storage) and filled in place; its size is then fixed, so such a texture
// is never given a new image.
#pragma once

#include <GL/glew.h>

#include <string>

#include "vorn/ImageCoverage.h"

namespace vorn {

class cTexture {
public:
    explicit cTexture(bool generate);

    void load(const std::string& name, GLenum target, bool buildMipmaps);

    void setImage(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLsizei depth,
                  GLint border, GLenum format, GLenum type, const void* pixels);
    void setCubeFace(GLenum faceTarget, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                     GLsizei depth, GLint border, GLenum format, GLenum type, const void* pixels);
    void setParameter(GLenum parameter, GLint value);
    void bind(int unit);

    GLuint getId() const { return id; }
    GLenum getTarget() const { return target; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    int getDepth() const { return depth; }
    bool isMipmapped() const { return mipmapped; }
    // Where the image loaded into it can show anything (everywhere for a
    // texture given its images by setImage).
    const sImageCoverage& coverage() const { return covered; }

private:
    void loadImage(const std::string& path, const std::string& name, GLenum target, bool buildMipmaps);
    void loadCube(const std::string& name);
    // `inPlace`: into levels allocated before (glTexSubImage2D), else a
    // level of its own (glTexImage2D).
    void uploadCurrentImage(GLenum target, GLint level, bool inPlace = false);
    // What the last image given to the texture was: its target and size.
    void record(GLenum target, GLsizei width, GLsizei height, GLsizei depth);

    GLuint id = 0;
    GLenum target = GL_TEXTURE_2D;
    int width = 0;
    int height = 0;
    int depth = 0;
    bool mipmapped = false;
    sImageCoverage covered;
};

} // namespace vorn
