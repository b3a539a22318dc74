#include "tests/glsupport/GlTestSupport.h"

#include <SDL.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>

#include "vorn/ConsoleLog.h"

namespace gltest {

int windowWidth = 0;
int windowHeight = 0;

namespace {
bool windowOpen = false;
}

bool openWindow(int width, int height)
{
    if (windowOpen)
        return true;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::cerr << "gltest: SDL_Init failed: " << SDL_GetError() << "\n";
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (!SDL_SetVideoMode(width, height, 0, SDL_OPENGL)) {
        std::cerr << "gltest: no GL window: " << SDL_GetError() << "\n";
        return false;
    }
    if (glewInit() != GLEW_OK) {
        std::cerr << "gltest: glewInit failed\n";
        return false;
    }
    windowWidth = width;
    windowHeight = height;
    windowOpen = true;
    return true;
}

void swapWindow()
{
    SDL_GL_SwapBuffers();
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
}

std::vector<GLenum> takeGlErrors()
{
    std::vector<GLenum> errors;
    for (GLenum e = glGetError(); e != GL_NO_ERROR && errors.size() < 64; e = glGetError())
        errors.push_back(e);
    return errors;
}

void resetGlState()
{
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glUseProgram(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    for (int unit = 7; unit >= 0; --unit) {
        glActiveTexture(GLenum(GL_TEXTURE0 + unit));
        glBindTexture(GL_TEXTURE_2D, 0);
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_TEXTURE_CUBE_MAP);
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    GLint attribs = 0;
    glGetIntegerv(GL_MAX_VERTEX_ATTRIBS, &attribs);
    for (GLint i = 0; i < attribs; ++i)
        glDisableVertexAttribArray(GLuint(i));
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(1, 1, 1, 1);
    glPointSize(1);
    glViewport(0, 0, windowWidth, windowHeight);
    glClearColor(0, 0, 0, 0);
    takeGlErrors();
}

bool rgba::near(const rgba& o, int tolerance) const
{
    return std::abs(r - o.r) <= tolerance && std::abs(g - o.g) <= tolerance && std::abs(b - o.b) <= tolerance &&
           std::abs(a - o.a) <= tolerance;
}

std::ostream& operator<<(std::ostream& out, const rgba& c)
{
    return out << "rgba(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ", " << int(c.a) << ")";
}

rgba readPixel(int x, int y)
{
    return readPixels(x, y, 1, 1)[0];
}

std::vector<rgba> readPixels(int x, int y, int width, int height)
{
    std::vector<rgba> pixels(size_t(width) * size_t(height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

ScratchTarget::ScratchTarget(int width, int height) : w(width), h(height)
{
    glGenFramebuffersEXT(1, &fbo);
    glGenRenderbuffersEXT(1, &colour);
    glGenRenderbuffersEXT(1, &depthBuffer);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, colour);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_RGBA8, w, h);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depthBuffer);
    glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, w, h);
    glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, fbo);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT, colour);
    glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, depthBuffer);
    bind();
}

ScratchTarget::~ScratchTarget()
{
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glDeleteFramebuffersEXT(1, &fbo);
    glDeleteRenderbuffersEXT(1, &colour);
    glDeleteRenderbuffersEXT(1, &depthBuffer);
}

void ScratchTarget::bind()
{
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, fbo);
    glDrawBuffer(GL_COLOR_ATTACHMENT0_EXT);
    glReadBuffer(GL_COLOR_ATTACHMENT0_EXT);
    glViewport(0, 0, w, h);
}

rgba ScratchTarget::pixel(int x, int y)
{
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, fbo);
    glReadBuffer(GL_COLOR_ATTACHMENT0_EXT);
    const rgba p = readPixel(x, y);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, GLuint(bound));
    return p;
}

TempDataFolder::TempDataFolder()
{
    namespace fs = std::filesystem;
    previous = fs::current_path().string();
    std::string pattern = (fs::temp_directory_path() / "gltest-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("gltest: cannot make a temporary folder");
    rootPath = pattern;
    fs::create_directories(fs::path(rootPath) / "data");
    fs::current_path(rootPath);
}

TempDataFolder::~TempDataFolder()
{
    namespace fs = std::filesystem;
    std::error_code ignored;
    fs::current_path(previous, ignored);
    fs::remove_all(rootPath, ignored);
}

void TempDataFolder::write(const std::string& name, const std::string& bytes)
{
    writeOutside("data/" + name, bytes);
}

void TempDataFolder::write(const std::string& name, const std::vector<uint8_t>& bytes)
{
    write(name, std::string(bytes.begin(), bytes.end()));
}

void TempDataFolder::writeOutside(const std::string& name, const std::string& bytes)
{
    namespace fs = std::filesystem;
    const fs::path path = fs::path(rootPath) / name;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

ConsoleCapture::ConsoleCapture()
{
    vorn::consoleLog.setStream(&buffer);
}

ConsoleCapture::~ConsoleCapture()
{
    vorn::consoleLog.setStream(nullptr);
}

std::vector<std::string> ConsoleCapture::lines() const
{
    std::vector<std::string> out;
    std::istringstream in(buffer.str());
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

namespace {

uint32_t crc32(const uint8_t* data, size_t size, uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putU32(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void putChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body)
{
    putU32(out, uint32_t(body.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    out.insert(out.end(), typed.begin(), typed.end());
    putU32(out, crc32(typed.data(), typed.size()));
}

int channelsOf(pngColour colour)
{
    switch (colour) {
    case pngGrey: return 1;
    case pngRgb: return 3;
    case pngPalette: return 1;
    case pngGreyAlpha: return 2;
    case pngRgba: return 4;
    }
    return 1;
}

} // namespace

std::vector<uint8_t> encodePng(int width, int height, pngColour colour, int bitDepth,
                               const std::vector<uint16_t>& samples, const std::vector<uint8_t>& palette)
{
    const int channels = channelsOf(colour);
    // Raw scanlines, each led by filter type 0.
    std::vector<uint8_t> raw;
    size_t next = 0;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        for (int i = 0; i < width * channels; ++i) {
            const uint16_t v = next < samples.size() ? samples[next] : 0;
            ++next;
            if (bitDepth == 16)
                raw.push_back(uint8_t(v >> 8));
            raw.push_back(uint8_t(v));
        }
    }
    // zlib stream of stored deflate blocks.
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t at = 0;
    do {
        const size_t len = std::min<size_t>(65535, raw.size() - at);
        z.push_back(at + len == raw.size() ? 1 : 0);
        z.push_back(uint8_t(len));
        z.push_back(uint8_t(len >> 8));
        z.push_back(uint8_t(~len));
        z.push_back(uint8_t(~len >> 8));
        z.insert(z.end(), raw.begin() + long(at), raw.begin() + long(at + len));
        at += len;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putU32(z, (b << 16) | a);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    putU32(header, uint32_t(width));
    putU32(header, uint32_t(height));
    header.push_back(uint8_t(bitDepth));
    header.push_back(uint8_t(colour));
    header.push_back(0);
    header.push_back(0);
    header.push_back(0);
    putChunk(png, "IHDR", header);
    if (colour == pngPalette)
        putChunk(png, "PLTE", palette);
    putChunk(png, "IDAT", z);
    putChunk(png, "IEND", {});
    return png;
}

void GlTest::SetUpTestSuite()
{
    ASSERT_TRUE(openWindow()) << "a GL window is needed (run under xvfb-run)";
}

void GlTest::SetUp()
{
    ASSERT_TRUE(openWindow()) << "a GL window is needed (run under xvfb-run)";
    resetGlState();
}

} // namespace gltest
