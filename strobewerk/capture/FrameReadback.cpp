#include "strobewerk/capture/FrameReadback.h"

#include <cstring>

cFrameReadback::cFrameReadback(int w, int h)
    : width(w), height(h), bytes(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4)
{
    glGenBuffers(bufferCount, buffers);
    for (GLuint buffer : buffers) {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
        glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

cFrameReadback::~cFrameReadback()
{
    glDeleteBuffers(bufferCount, buffers);
}

void cFrameReadback::request()
{
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers[next]);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    next = (next + 1) % bufferCount;
    ++waiting;
}

bool cFrameReadback::collect(std::uint8_t* destination)
{
    if (waiting == 0)
        return false;
    const int oldest = (next - waiting + bufferCount) % bufferCount;
    --waiting;
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers[oldest]);
    const void* pixels = glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
    const bool mapped = pixels != nullptr;
    if (mapped) {
        std::memcpy(destination, pixels, bytes);
        glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    return mapped;
}
