// What WebGL 1 under the GL emulation lacks, made up for in one place. The
// web build includes this header before every source file, so the engine
// keeps its desktop GL calls:
//  - framebuffer objects are core in WebGL: the ...EXT entry points are the
//    core ones under their old names;
//  - there is no texture storage: the engine's check for it reads false and
//    every level is uploaded on its own;
//  - a buffer cannot be mapped or read back: the data last given to each
//    buffer is kept here, and mapping a buffer hands out that copy;
//  - a texture's internal format is its format (no component counts, no
//    sized formats); a floating-point one (the metaball field) is made of
//    16-bit floats when the browser can draw into, blend and filter those
//    (three extensions), and of bytes otherwise, where the distortion's
//    ripple then shows the field's 8-bit steps;
//  - there is no GL_CLAMP (edge texels blended with the border colour): the
//    edge is clamped to (GL_CLAMP_TO_EDGE), which differs only in the
//    outermost half texel;
//  - a framebuffer has one colour attachment: the textures attached at the
//    others are kept here, and choosing one as the draw buffer attaches it
//    in the first place (the read buffer follows, as the engine always
//    picks the two alike);
//  - a depth renderbuffer is a depth-and-stencil one (WebGL 1's only
//    depth format with more than 16 bits, which the seed boxes' range of
//    depths needs);
//  - meshes are drawn from buffer objects with the position as the vertex
//    array: the emulation hands such draws to WebGL as they are, so the
//    position goes to the attribute the emulation renames gl_Vertex to
//    (location 0) and the shaders get the modelview and projection
//    matrices they were rewritten to read, here, right before each draw;
//  - a multiplying blend written as (zero, source colour) leaves the canvas
//    black under the browser's software renderer: it is given as the same
//    product the other way round, (destination colour, zero);
//  - lines are one pixel wide: lines drawn wider are drawn as the
//    triangles that cover the pixels the desktop's wide lines cover
//    (WideLines.h);
//  - the emulation's glBegin/glEnd take their vertices from the bound array
//    buffer when there is one (the desktop never does): none is bound while
//    they run;
//  - asking WebGL anything (a binding, the viewport, a texture parameter, a
//    framebuffer's status) makes the page wait until the GPU has done all
//    that is queued: the bindings, the viewport, the unpack alignment and
//    each texture's size, format and parameters are kept here as they are
//    set, glGetIntegerv answers from them, and a framebuffer's status is
//    asked once for each set of attachment formats, and a program's table
//    of uniforms (which the runtime fills at the first lookup of a name in
//    it, asking WebGL) is filled when it is linked. Nothing that plays a
//    frame reaches WebGL with a question.
#pragma once

#include <GL/glew.h>
#include <GL/glu.h>

#ifdef __cplusplus
extern "C" {
#endif
void webglBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage);
const void* webglMapBuffer(GLenum target);
GLboolean webglUnmapBuffer(GLenum target);
void webglTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                     GLenum format, GLenum type, const void* pixels);
void webglFramebufferTexture2D(GLenum target, GLenum attachment, GLenum textureTarget, GLuint texture, GLint level);
void webglDrawBuffer(GLenum buffer);
void webglTexParameteri(GLenum target, GLenum name, GLint value);
void webglRenderbufferStorage(GLenum target, GLenum internalFormat, GLsizei width, GLsizei height);
void webglFramebufferRenderbuffer(GLenum target, GLenum attachment, GLenum renderbufferTarget, GLuint renderbuffer);
void webglEnableClientState(GLenum array);
void webglDisableClientState(GLenum array);
void webglVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer);
void webglDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices);
void webglDrawArrays(GLenum mode, GLint first, GLsizei count);
void webglBlendFunc(GLenum source, GLenum destination);
void webglLineWidth(GLfloat width);
void webglBegin(GLenum mode);
void webglVertex3f(GLfloat x, GLfloat y, GLfloat z);
void webglEnd(void);
void webglBindBuffer(GLenum target, GLuint buffer);
void webglBindFramebuffer(GLenum target, GLuint framebuffer);
void webglActiveTexture(GLenum unit);
void webglBindTexture(GLenum target, GLuint texture);
void webglUseProgram(GLuint program);
void webglViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void webglPixelStorei(GLenum name, GLint value);
void webglGetIntegerv(GLenum name, GLint* values);
GLenum webglCheckFramebufferStatus(GLenum target);
void webglLinkProgram(GLuint program);
#ifdef __cplusplus
}
#endif

#define glGenFramebuffersEXT glGenFramebuffers
#define glBindFramebufferEXT webglBindFramebuffer
#define glBindFramebuffer webglBindFramebuffer
#define glFramebufferTexture2DEXT webglFramebufferTexture2D
#define glDrawBuffer webglDrawBuffer
#define glReadBuffer(buffer) ((void)(buffer))
#define glCheckFramebufferStatusEXT webglCheckFramebufferStatus
#define glCheckFramebufferStatus webglCheckFramebufferStatus
#define glGenerateMipmapEXT glGenerateMipmap
#define glDeleteFramebuffersEXT glDeleteFramebuffers

#define glTexStorage2D ((void (*)(GLenum, GLsizei, GLenum, GLsizei, GLsizei))0)

#define glBufferData webglBufferData
#define glMapBuffer(target, access) webglMapBuffer(target)
#define glUnmapBuffer webglUnmapBuffer
#define glTexImage2D webglTexImage2D
#define glTexParameteri webglTexParameteri
#define glGenRenderbuffersEXT glGenRenderbuffers
#define glBindRenderbufferEXT glBindRenderbuffer
#define glRenderbufferStorageEXT webglRenderbufferStorage
#define glFramebufferRenderbufferEXT webglFramebufferRenderbuffer
#define glEnableClientState webglEnableClientState
#define glDisableClientState webglDisableClientState
#define glVertexPointer webglVertexPointer
#define glDrawElements webglDrawElements
#define glDrawArrays webglDrawArrays
#define glBlendFunc webglBlendFunc
#define glLineWidth webglLineWidth
#define glBegin webglBegin
#define glVertex3f webglVertex3f
#define glEnd webglEnd
#define glBindBuffer webglBindBuffer
#define glActiveTexture webglActiveTexture
#define glBindTexture webglBindTexture
#define glUseProgram webglUseProgram
#define glViewport webglViewport
#define glPixelStorei webglPixelStorei
#define glGetIntegerv webglGetIntegerv
#define glLinkProgram webglLinkProgram
