// cFrameReadback: reads the window's frames back through pixel buffer
// objects, one frame behind, so the GL copies frame n into a buffer while
// the program goes on to draw frame n + 1, and the pixels of frame n are
// only mapped once that is under way.
//
//     cFrameReadback readback(width, height);
//     for each frame: draw it; readback.request();
//                     if (readback.pending() > 1) readback.collect(dest);
//     at the end:     while (readback.pending() > 0) readback.collect(dest);
//
// Pixels come as BGRA, rows bottom first (GL's order), width * 4 bytes a
// row. Needs the GL context; the buffers are freed with the object.
#pragma once

#include <GL/glew.h>

#include <cstddef>
#include <cstdint>

class cFrameReadback {
public:
    cFrameReadback(int width, int height);
    ~cFrameReadback();
    cFrameReadback(const cFrameReadback&) = delete;
    cFrameReadback& operator=(const cFrameReadback&) = delete;

    std::size_t frameBytes() const { return bytes; }

    // Starts reading the window framebuffer's back buffer into the next
    // buffer. With two reads pending, collect one first.
    void request();

    // Reads requested but not yet collected.
    int pending() const { return waiting; }

    // Copies the oldest pending frame into `destination` (frameBytes()
    // bytes). False when none is pending or the buffer cannot be mapped.
    bool collect(std::uint8_t* destination);

private:
    static constexpr int bufferCount = 2;
    int width;
    int height;
    std::size_t bytes;
    GLuint buffers[bufferCount] = {};
    int next = 0;
    int waiting = 0;
};
