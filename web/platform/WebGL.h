// What WebGL 1 under the GL emulation lacks, made up for in one place. The
// web build includes this header before every source file, so the engine
// keeps its desktop GL calls:
//  - framebuffer objects are core in WebGL: the ...EXT entry points are the
//    core ones under their old names;
//  - there is no texture storage: the engine's check for it reads false and
//    every level is uploaded on its own;
//  - a buffer cannot be mapped or read back: the data last given to each
//    buffer is kept here, and mapping a buffer hands out that copy.
#pragma once

#include <GL/glew.h>
#include <GL/glu.h>

#ifdef __cplusplus
extern "C" {
#endif
void webglBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage);
const void* webglMapBuffer(GLenum target);
GLboolean webglUnmapBuffer(GLenum target);
#ifdef __cplusplus
}
#endif

#define glGenFramebuffersEXT glGenFramebuffers
#define glBindFramebufferEXT glBindFramebuffer
#define glFramebufferTexture2DEXT glFramebufferTexture2D
#define glCheckFramebufferStatusEXT glCheckFramebufferStatus
#define glGenerateMipmapEXT glGenerateMipmap
#define glDeleteFramebuffersEXT glDeleteFramebuffers

#define glTexStorage2D ((void (*)(GLenum, GLsizei, GLenum, GLsizei, GLsizei))0)

#define glBufferData webglBufferData
#define glMapBuffer(target, access) webglMapBuffer(target)
#define glUnmapBuffer webglUnmapBuffer
