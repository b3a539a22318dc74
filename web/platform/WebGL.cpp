#include "WebGL.h"
#include "WideLines.h"

#include <emscripten/html5.h>

#include <cstdint>
#include <map>
#include <vector>

#undef glBufferData
#undef glMapBuffer
#undef glUnmapBuffer
#undef glTexImage2D
#undef glTexParameteri
#undef glRenderbufferStorageEXT
#undef glFramebufferRenderbufferEXT
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
#undef glBindBuffer
#undef glBindFramebuffer
#undef glActiveTexture
#undef glBindTexture
#undef glUseProgram
#undef glViewport
#undef glPixelStorei
#undef glGetIntegerv
#undef glCheckFramebufferStatus
#undef glLinkProgram

namespace {

// The GL state the engine and this layer ask about, kept as it is set.
// WebGL is asked only for what was never set (the viewport before the
// first glViewport), once.
struct sKeptState {
    GLint framebuffer = 0;
    GLint arrayBuffer = 0;
    GLint elementArrayBuffer = 0;
    GLint program = 0;
    GLenum activeUnit = 0;
    std::vector<GLint> texture2D = std::vector<GLint>(32, 0); // by unit
    GLint unpackAlignment = 4;
    GLint viewport[4] = {};
    bool viewportKnown = false;
};
sKeptState kept;

// What is known of each 2D texture, by GL name: its level 0 as uploaded
// and its parameters as the engine asked for them (before they were made
// fit for WebGL). The format and type say what a framebuffer it is
// attached to renders into; a format with an extension behind it belongs
// here too.
struct sTextureState {
    GLsizei width = 0;
    GLsizei height = 0;
    GLenum format = 0;
    GLenum type = 0;
    GLint minFilter = GL_NEAREST_MIPMAP_LINEAR;
    GLint wrapS = GL_REPEAT;
    GLint wrapT = GL_REPEAT;
};
std::map<GLint, sTextureState> textures;

GLint boundTexture()
{
    return kept.texture2D[kept.activeUnit];
}

struct sAttached {
    GLenum textureTarget = GL_TEXTURE_2D;
    GLuint texture = 0;
    GLint level = 0;
};
// The textures attached to each framebuffer, by attachment.
std::map<GLint, std::map<GLenum, sAttached>> attachments;
// The texture WebGL has at each attachment of each framebuffer (the one
// colour attachment follows the draw buffer).
std::map<GLint, std::map<GLenum, GLuint>> attachedInWebGL;

// The contents of every buffer, by GL name, as last uploaded.
std::map<GLint, std::vector<std::uint8_t>> bufferContents;

GLint boundBuffer(GLenum target)
{
    return target == GL_ELEMENT_ARRAY_BUFFER ? kept.elementArrayBuffer : kept.arrayBuffer;
}

void attachInWebGL(GLenum attachment, GLenum textureTarget, GLuint texture, GLint level)
{
    attachedInWebGL[kept.framebuffer][attachment] = texture;
    glFramebufferTexture2D(GL_FRAMEBUFFER, attachment, textureTarget, texture, level);
}

} // namespace

extern "C" void webglBindBuffer(GLenum target, GLuint buffer)
{
    (target == GL_ELEMENT_ARRAY_BUFFER ? kept.elementArrayBuffer : kept.arrayBuffer) = GLint(buffer);
    glBindBuffer(target, buffer);
}

extern "C" void webglBindFramebuffer(GLenum target, GLuint framebuffer)
{
    kept.framebuffer = GLint(framebuffer);
    glBindFramebuffer(target, framebuffer);
}

extern "C" void webglActiveTexture(GLenum unit)
{
    const GLenum index = unit - GL_TEXTURE0;
    if (index < kept.texture2D.size())
        kept.activeUnit = index;
    glActiveTexture(unit);
}

extern "C" void webglBindTexture(GLenum target, GLuint texture)
{
    if (target == GL_TEXTURE_2D)
        kept.texture2D[kept.activeUnit] = GLint(texture);
    glBindTexture(target, texture);
}

extern "C" void webglUseProgram(GLuint program)
{
    kept.program = GLint(program);
    glUseProgram(program);
}

extern "C" void webglViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    kept.viewport[0] = x;
    kept.viewport[1] = y;
    kept.viewport[2] = width;
    kept.viewport[3] = height;
    kept.viewportKnown = true;
    glViewport(x, y, width, height);
}

extern "C" void webglPixelStorei(GLenum name, GLint value)
{
    if (name == GL_UNPACK_ALIGNMENT)
        kept.unpackAlignment = value;
    glPixelStorei(name, value);
}

extern "C" void webglGetIntegerv(GLenum name, GLint* values)
{
    switch (name) {
    case GL_FRAMEBUFFER_BINDING: *values = kept.framebuffer; return;
    case GL_ARRAY_BUFFER_BINDING: *values = kept.arrayBuffer; return;
    case GL_ELEMENT_ARRAY_BUFFER_BINDING: *values = kept.elementArrayBuffer; return;
    case GL_CURRENT_PROGRAM: *values = kept.program; return;
    case GL_TEXTURE_BINDING_2D: *values = boundTexture(); return;
    case GL_ACTIVE_TEXTURE: *values = GLint(GL_TEXTURE0 + kept.activeUnit); return;
    case GL_UNPACK_ALIGNMENT: *values = kept.unpackAlignment; return;
    case GL_VIEWPORT:
        if (!kept.viewportKnown) {
            glGetIntegerv(GL_VIEWPORT, kept.viewport);
            kept.viewportKnown = true;
        }
        for (int i = 0; i < 4; ++i)
            values[i] = kept.viewport[i];
        return;
    default: glGetIntegerv(name, values);
    }
}

extern "C" GLenum webglCheckFramebufferStatus(GLenum target)
{
    // The status depends on the formats and sizes attached: it is asked
    // once for each such set (at start-up, and when the canvas takes a
    // size not seen before).
    static std::map<std::vector<GLint>, GLenum> known;
    std::vector<GLint> key;
    for (const auto& [attachment, texture] : attachedInWebGL[kept.framebuffer]) {
        const sTextureState& t = textures[GLint(texture)];
        key.insert(key.end(), {GLint(attachment), GLint(texture != 0), t.width, t.height, GLint(t.format),
                               GLint(t.type)});
    }
    const auto it = known.find(key);
    if (it != known.end())
        return it->second;
    return known[key] = glCheckFramebufferStatus(target);
}

extern "C" void webglLinkProgram(GLuint program)
{
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked == GL_TRUE)
        glGetUniformLocation(program, "u_modelView");
}

extern "C" void webglBufferData(GLenum target, GLsizeiptr size, const void* data, GLenum usage)
{
    std::vector<std::uint8_t>& contents = bufferContents[boundBuffer(target)];
    if (data != nullptr)
        contents.assign(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size);
    else
        contents.assign(static_cast<std::size_t>(size), 0);
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

bool isPowerOfTwo(GLsizei n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

// WebGL 1 samples a 2D texture whose size is not a power of two as black
// unless it clamps at the edges and has no mipmaps.
bool isPowerOfTwo(const sTextureState& texture)
{
    return isPowerOfTwo(texture.width) && isPowerOfTwo(texture.height);
}

// What a texture parameter becomes on a texture that is (or is not) a
// power of two.
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

// Notes level 0 of the bound 2D texture; when its being a power of two
// changed, its parameters are given to WebGL again as they fit now.
void noteLevel(GLenum target, GLint level, GLsizei width, GLsizei height, GLenum format, GLenum type)
{
    if (target != GL_TEXTURE_2D || level != 0)
        return;
    sTextureState& texture = textures[boundTexture()];
    const bool wasPowerOfTwo = texture.width == 0 || isPowerOfTwo(texture);
    texture.width = width;
    texture.height = height;
    texture.format = format;
    texture.type = type;
    const bool powerOfTwo = isPowerOfTwo(texture);
    if (powerOfTwo == wasPowerOfTwo)
        return;
    glTexParameteri(target, GL_TEXTURE_WRAP_S, allowedValue(GL_TEXTURE_WRAP_S, texture.wrapS, powerOfTwo));
    glTexParameteri(target, GL_TEXTURE_WRAP_T, allowedValue(GL_TEXTURE_WRAP_T, texture.wrapT, powerOfTwo));
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER,
                    allowedValue(GL_TEXTURE_MIN_FILTER, texture.minFilter, powerOfTwo));
}

} // namespace

namespace {

// Whether textures of 16-bit floats can be drawn into, blended and filtered
// linearly: three extensions in WebGL 1, asked for once, at the first
// floating-point texture (the metaball field, made at start-up).
bool halfFloatTargets()
{
    static const bool enabled = [] {
        const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_get_current_context();
        bool all = context != 0;
        for (const char* name : {"OES_texture_half_float", "OES_texture_half_float_linear", "EXT_color_buffer_half_float"})
            all = all && emscripten_webgl_enable_extension(context, name);
        return all;
    }();
    return enabled;
}

// WebGL 1's type of 16-bit floats (the extension's own, not the desktop's).
constexpr GLenum halfFloatType = 0x8D61;

bool isFloatFormat(GLint internalFormat)
{
    return internalFormat == GL_RGBA16F_ARB || internalFormat == GL_RGBA32F_ARB || internalFormat == GL_RG16F ||
           internalFormat == GL_RG32F;
}

} // namespace

extern "C" void webglTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                                GLint border, GLenum format, GLenum type, const void* pixels)
{
    // A floating-point texture (the metaball field; it is never uploaded,
    // only drawn into) is kept in 16-bit floats, or in bytes where the
    // browser cannot draw into those.
    if (isFloatFormat(internalFormat) && pixels == nullptr)
        type = halfFloatTargets() ? halfFloatType : GL_UNSIGNED_BYTE;
    glTexImage2D(target, level, GLint(format), width, height, border, format, type, pixels);
    noteLevel(target, level, width, height, format, type);
}

extern "C" void webglTexParameteri(GLenum target, GLenum name, GLint value)
{
    if (target != GL_TEXTURE_2D) {
        glTexParameteri(target, name, allowedValue(name, value, true));
        return;
    }
    sTextureState& texture = textures[boundTexture()];
    if (name == GL_TEXTURE_MIN_FILTER)
        texture.minFilter = value;
    else if (name == GL_TEXTURE_WRAP_S)
        texture.wrapS = value;
    else if (name == GL_TEXTURE_WRAP_T)
        texture.wrapT = value;
    glTexParameteri(target, name, allowedValue(name, value, texture.width == 0 || isPowerOfTwo(texture)));
}

extern "C" void webglRenderbufferStorage(GLenum target, GLenum internalFormat, GLsizei width, GLsizei height)
{
    if (internalFormat == GL_DEPTH_COMPONENT24)
        internalFormat = GL_DEPTH_STENCIL;
    glRenderbufferStorage(target, internalFormat, width, height);
}

extern "C" void webglFramebufferRenderbuffer(GLenum target, GLenum attachment, GLenum renderbufferTarget,
                                             GLuint renderbuffer)
{
    if (attachment == GL_DEPTH_ATTACHMENT)
        attachment = GL_DEPTH_STENCIL_ATTACHMENT;
    glFramebufferRenderbuffer(target, attachment, renderbufferTarget, renderbuffer);
}

extern "C" void webglFramebufferTexture2D(GLenum target, GLenum attachment, GLenum textureTarget, GLuint texture,
                                          GLint level)
{
    attachments[kept.framebuffer][attachment] = sAttached{textureTarget, texture, level};
    if (attachment == GL_COLOR_ATTACHMENT0 || attachment == GL_DEPTH_ATTACHMENT || attachment == GL_STENCIL_ATTACHMENT)
        attachInWebGL(attachment, textureTarget, texture, level);
    (void)target;
}

extern "C" void webglDrawBuffer(GLenum buffer)
{
    const auto framebuffer = attachments.find(kept.framebuffer);
    if (framebuffer == attachments.end())
        return;
    const auto it = framebuffer->second.find(buffer);
    if (it != framebuffer->second.end())
        attachInWebGL(GL_COLOR_ATTACHMENT0, it->second.textureTarget, it->second.texture, it->second.level);
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
    const GLint program = kept.program;
    if (program == 0)
        return false;
    // Programs are linked once on the web (files are not reloaded there).
    static std::map<GLint, std::pair<GLint, GLint>> matrixLocations;
    auto found = matrixLocations.find(program);
    if (found == matrixLocations.end())
        found = matrixLocations
                    .emplace(program, std::make_pair(glGetUniformLocation(GLuint(program), "u_modelView"),
                                                     glGetUniformLocation(GLuint(program), "u_projection")))
                    .first;
    const auto [modelView, projection] = found->second;
    GLfloat matrix[16];
    if (modelView >= 0) {
        glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
        glUniformMatrix4fv(modelView, 1, GL_FALSE, matrix);
    }
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
        webglGetIntegerv(GL_VIEWPORT, viewport);
        const std::vector<vorn::vec3f> corners =
            wideLineTriangles(modelView, projection, viewport[2], viewport[3], lineWidth, linePoints);
        if (!corners.empty())
            drawDeviceTriangles(corners);
    }
    glBindBuffer(GL_ARRAY_BUFFER, GLuint(arrayBufferBeforeBegin));
}
