#include "WebGL.h"
#include "WideLines.h"

#include <cstdint>
#include <map>
#include <vector>

#undef glBufferData
#undef glMapBuffer
#undef glUnmapBuffer
#undef glTexImage2D
#undef glTexParameteri
#undef glCopyTexImage2D
#undef glEnableClientState
#undef glDisableClientState
#undef glVertexPointer
#undef glDrawElements
#undef glDrawArrays
#undef glBlendFunc
#undef glLineWidth
#undef glBegin
#undef glVertex3f
#undef glEnd

namespace {

struct sAttached {
    GLenum textureTarget = GL_TEXTURE_2D;
    GLuint texture = 0;
    GLint level = 0;
};
// The textures attached to each framebuffer, by attachment.
std::map<GLint, std::map<GLenum, sAttached>> attachments;

GLint boundFramebuffer()
{
    GLint id = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &id);
    return id;
}

// The contents of every buffer, by GL name, as last uploaded.
std::map<GLint, std::vector<std::uint8_t>> bufferContents;

GLint boundBuffer(GLenum target)
{
    GLint id = 0;
    glGetIntegerv(target == GL_ELEMENT_ARRAY_BUFFER ? GL_ELEMENT_ARRAY_BUFFER_BINDING : GL_ARRAY_BUFFER_BINDING, &id);
    return id;
}

} // namespace

extern "C" void webglBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage)
{
    std::vector<std::uint8_t>& kept = bufferContents[boundBuffer(target)];
    if (data != nullptr)
        kept.assign(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size);
    else
        kept.assign(static_cast<std::size_t>(size), 0);
    glBufferData(target, size, data, usage);
}

extern "C" const void* webglMapBuffer(GLenum target)
{
    const auto it = bufferContents.find(boundBuffer(target));
    return it == bufferContents.end() || it->second.empty() ? nullptr : it->second.data();
}

extern "C" GLboolean webglUnmapBuffer(GLenum)
{
    return GL_TRUE;
}

namespace {

// The 2D textures whose size is not a power of two, by GL name: WebGL 1
// samples them as black unless they clamp at the edges and have no mipmaps.
std::map<GLint, bool> notPowerOfTwo;

GLint boundTexture()
{
    GLint id = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &id);
    return id;
}

bool isPowerOfTwo(GLsizei n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

// What a texture parameter becomes on a texture that is not a power of two.
GLint allowedValue(GLenum name, GLint value, bool powerOfTwo)
{
    if (value == GL_CLAMP)
        value = GL_CLAMP_TO_EDGE;
    if (powerOfTwo)
        return value;
    if (name == GL_TEXTURE_WRAP_S || name == GL_TEXTURE_WRAP_T)
        return GL_CLAMP_TO_EDGE;
    if (name == GL_TEXTURE_MIN_FILTER && value != GL_NEAREST && value != GL_LINEAR)
        return value == GL_NEAREST_MIPMAP_NEAREST ? GL_NEAREST : GL_LINEAR;
    return value;
}

// Notes the size of level 0 of the bound 2D texture; one that is not a
// power of two gets the parameters WebGL 1 samples it with.
void noteSize(GLenum target, GLint level, GLsizei width, GLsizei height)
{
    if (target != GL_TEXTURE_2D || level != 0)
        return;
    const bool powerOfTwo = isPowerOfTwo(width) && isPowerOfTwo(height);
    notPowerOfTwo[boundTexture()] = !powerOfTwo;
    if (powerOfTwo)
        return;
    glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    GLint minFilter = GL_LINEAR;
    glGetTexParameteriv(target, GL_TEXTURE_MIN_FILTER, &minFilter);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, allowedValue(GL_TEXTURE_MIN_FILTER, minFilter, false));
}

} // namespace

extern "C" void webglTexImage2D(GLenum target, GLint level, GLint, GLsizei width, GLsizei height, GLint border,
                                GLenum format, GLenum type, const void* pixels)
{
    glTexImage2D(target, level, GLint(format), width, height, border, format, type, pixels);
    noteSize(target, level, width, height);
}

extern "C" void webglTexParameteri(GLenum target, GLenum name, GLint value)
{
    const auto it = target == GL_TEXTURE_2D ? notPowerOfTwo.find(boundTexture()) : notPowerOfTwo.end();
    glTexParameteri(target, name, allowedValue(name, value, it == notPowerOfTwo.end() || !it->second));
}

extern "C" void webglCopyTexImage2D(GLenum target, GLint level, GLenum internalFormat, GLint x, GLint y,
                                    GLsizei width, GLsizei height, GLint border)
{
    glCopyTexImage2D(target, level, internalFormat == GL_RGBA ? GL_RGB : internalFormat, x, y, width, height, border);
    noteSize(target, level, width, height);
}

extern "C" void webglFramebufferTexture2D(GLenum target, GLenum attachment, GLenum textureTarget, GLuint texture,
                                          GLint level)
{
    attachments[boundFramebuffer()][attachment] = sAttached{textureTarget, texture, level};
    if (attachment == GL_COLOR_ATTACHMENT0 || attachment == GL_DEPTH_ATTACHMENT || attachment == GL_STENCIL_ATTACHMENT)
        glFramebufferTexture2D(target, attachment, textureTarget, texture, level);
}

extern "C" void webglDrawBuffer(GLenum buffer)
{
    const auto framebuffer = attachments.find(boundFramebuffer());
    if (framebuffer == attachments.end())
        return;
    const auto it = framebuffer->second.find(buffer);
    if (it != framebuffer->second.end())
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, it->second.textureTarget, it->second.texture,
                               it->second.level);
}

namespace {

// The position array of the meshes, as glVertexPointer gave it.
struct sPositionArray {
    bool enabled = false;
    GLint buffer = 0;
    GLint size = 4;
    GLenum type = GL_FLOAT;
    GLsizei stride = 0;
    const void* pointer = nullptr;
};
sPositionArray positionArray;

// The emulation binds the attribute it renames gl_Vertex to at location 0.
constexpr GLuint positionLocation = 0;

// Hands the current program the position array and the two matrices its
// rewritten shaders read; returns whether the position was enabled.
bool prepareDraw()
{
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    if (program == 0)
        return false;
    GLfloat matrix[16];
    const GLint modelView = glGetUniformLocation(GLuint(program), "u_modelView");
    if (modelView >= 0) {
        glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
        glUniformMatrix4fv(modelView, 1, GL_FALSE, matrix);
    }
    const GLint projection = glGetUniformLocation(GLuint(program), "u_projection");
    if (projection >= 0) {
        glGetFloatv(GL_PROJECTION_MATRIX, matrix);
        glUniformMatrix4fv(projection, 1, GL_FALSE, matrix);
    }
    if (!positionArray.enabled)
        return false;
    const GLint bound = boundBuffer(GL_ARRAY_BUFFER);
    glBindBuffer(GL_ARRAY_BUFFER, GLuint(positionArray.buffer));
    glEnableVertexAttribArray(positionLocation);
    glVertexAttribPointer(positionLocation, positionArray.size, positionArray.type, GL_FALSE, positionArray.stride,
                          positionArray.pointer);
    glBindBuffer(GL_ARRAY_BUFFER, GLuint(bound));
    return true;
}

} // namespace

void webglEnableClientState(GLenum array)
{
    if (array == GL_VERTEX_ARRAY)
        positionArray.enabled = true;
    else
        glEnableClientState(array);
}

void webglDisableClientState(GLenum array)
{
    if (array == GL_VERTEX_ARRAY)
        positionArray.enabled = false;
    else
        glDisableClientState(array);
}

void webglVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    positionArray.buffer = boundBuffer(GL_ARRAY_BUFFER);
    positionArray.size = size;
    positionArray.type = type;
    positionArray.stride = stride;
    positionArray.pointer = pointer;
}

void webglDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices)
{
    const bool position = prepareDraw();
    glDrawElements(mode, count, type, indices);
    if (position)
        glDisableVertexAttribArray(positionLocation);
}

void webglDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    const bool position = prepareDraw();
    glDrawArrays(mode, first, count);
    if (position)
        glDisableVertexAttribArray(positionLocation);
}

void webglBlendFunc(GLenum source, GLenum destination)
{
    if (source == GL_ZERO && destination == GL_SRC_COLOR)
        glBlendFunc(GL_DST_COLOR, GL_ZERO);
    else
        glBlendFunc(source, destination);
}

namespace {

GLfloat lineWidth = 1.0f;
// Between glBegin(GL_LINES) and glEnd while lines are wider than a pixel:
// the points given, drawn at glEnd.
bool collectingLines = false;
std::vector<vorn::vec3f> linePoints;
// The engine's array buffer binding, unbound from glBegin to glEnd and put
// back afterwards.
GLint arrayBufferBeforeBegin = 0;

} // namespace

void webglLineWidth(GLfloat width)
{
    lineWidth = width;
    glLineWidth(1.0f);
}

void webglBegin(GLenum mode)
{
    arrayBufferBeforeBegin = boundBuffer(GL_ARRAY_BUFFER);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    collectingLines = mode == GL_LINES && lineWidth > 1.0f;
    if (collectingLines)
        linePoints.clear();
    else
        glBegin(mode);
}

void webglVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    if (collectingLines)
        linePoints.emplace_back(x, y, z);
    else
        glVertex3f(x, y, z);
}

namespace {

// Draws triangles given in device coordinates, whatever the matrices (the
// engine keeps the modelview matrix current between draws).
void drawDeviceTriangles(const std::vector<vorn::vec3f>& corners)
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glBegin(GL_TRIANGLES);
    for (const vorn::vec3f& c : corners)
        glVertex3f(c.x, c.y, c.z);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

} // namespace

void webglEnd(void)
{
    if (!collectingLines) {
        glEnd();
    } else {
        collectingLines = false;
        vorn::mat4f modelView;
        vorn::mat4f projection;
        GLint viewport[4] = {};
        glGetFloatv(GL_MODELVIEW_MATRIX, modelView.m);
        glGetFloatv(GL_PROJECTION_MATRIX, projection.m);
        glGetIntegerv(GL_VIEWPORT, viewport);
        const std::vector<vorn::vec3f> corners =
            wideLineTriangles(modelView, projection, viewport[2], viewport[3], lineWidth, linePoints);
        if (!corners.empty())
            drawDeviceTriangles(corners);
    }
    glBindBuffer(GL_ARRAY_BUFFER, GLuint(arrayBufferBeforeBegin));
}
