// Test support for code that draws with OpenGL: a real window and GL context
// (SDL 1.2, GLEW) opened once per test program, usually under a virtual X
// server (xvfb-run, Mesa's software renderer), plus helpers to draw into a
// framebuffer and read the pixels back.
//
// Write a test as a GlTest fixture:
//
//     #include "tests/glsupport/GlTestSupport.h"
//     using gltest::GlTest;
//
//     TEST_F(GlTest, ClearsToRed) {
//         gltest::ScratchTarget target(64, 32);   // an FBO, bound, viewport set
//         glClearColor(1, 0, 0, 1);
//         glClear(GL_COLOR_BUFFER_BIT);
//         EXPECT_EQ(target.pixel(3, 3), gltest::rgba(255, 0, 0, 255));
//     }
//
// Before every test, GlTest resets the state a test may have left behind
// (framebuffer 0, no program, no bound buffers or textures, identity
// matrices, the full window viewport, GL errors drained). The window is
// gltest::windowWidth x gltest::windowHeight (800 x 600 unless the first
// openWindow call asks otherwise).
//
// Also here: TempDataFolder (a fresh working folder with a data/ subfolder,
// for code that opens "data/..."), ConsoleCapture (collects the console
// lines written through vorn::consoleLog) and writePng (makes test images
// of any PNG colour type and bit depth).
#pragma once

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace gltest {

// Opens the window and GL context once per process; later calls return at
// once. False (with a message on stderr) when no display is reachable.
bool openWindow(int width = 800, int height = 600);
extern int windowWidth;
extern int windowHeight;

// Swaps the window's buffers and pumps its events (for tests that show
// frames).
void swapWindow();

// Resets the GL state listed above and drains GL errors.
void resetGlState();

// Drains and returns the pending GL errors (0 entries when none).
std::vector<GLenum> takeGlErrors();

struct rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    rgba() = default;
    rgba(int r_, int g_, int b_, int a_) : r(uint8_t(r_)), g(uint8_t(g_)), b(uint8_t(b_)), a(uint8_t(a_)) {}
    bool operator==(const rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    bool operator!=(const rgba& o) const { return !(*this == o); }
    // Every channel within `tolerance` of o (software rasterisers round).
    bool near(const rgba& o, int tolerance) const;
};
std::ostream& operator<<(std::ostream& out, const rgba& c);

// Reads pixels of the framebuffer bound for reading (its current read
// buffer); rows bottom first.
rgba readPixel(int x, int y);
std::vector<rgba> readPixels(int x, int y, int width, int height);

// An offscreen target of its own (framebuffer object with an RGBA8 colour
// and a depth renderbuffer). The constructor binds it and sets the viewport;
// the destructor binds framebuffer 0 and frees it.
class ScratchTarget {
public:
    ScratchTarget(int width, int height);
    ~ScratchTarget();
    ScratchTarget(const ScratchTarget&) = delete;
    ScratchTarget& operator=(const ScratchTarget&) = delete;

    void bind();
    rgba pixel(int x, int y);
    GLuint frameBufferObject() const { return fbo; }
    int width() const { return w; }
    int height() const { return h; }

private:
    GLuint fbo = 0, colour = 0, depthBuffer = 0;
    int w, h;
};

// A fresh folder under the system's temporary folder with an empty data/
// subfolder, made the working folder for the object's lifetime (the former
// working folder is restored and the folder removed afterwards).
class TempDataFolder {
public:
    TempDataFolder();
    ~TempDataFolder();
    TempDataFolder(const TempDataFolder&) = delete;
    TempDataFolder& operator=(const TempDataFolder&) = delete;

    // Writes data/<name> (name may hold subfolders, created as needed).
    void write(const std::string& name, const std::string& bytes);
    void write(const std::string& name, const std::vector<uint8_t>& bytes);
    // Writes <name> in the working folder itself, outside data/.
    void writeOutside(const std::string& name, const std::string& bytes);
    const std::string& root() const { return rootPath; }

private:
    std::string rootPath;
    std::string previous;
};

// Points vorn::consoleLog at a buffer for the object's lifetime.
class ConsoleCapture {
public:
    ConsoleCapture();
    ~ConsoleCapture();
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    std::string text() const { return buffer.str(); }
    // The lines written so far, without their newlines.
    std::vector<std::string> lines() const;
    void reset() { buffer.str(""); }

private:
    std::ostringstream buffer;
};

// PNG colour types.
enum pngColour { pngGrey = 0, pngRgb = 2, pngPalette = 3, pngGreyAlpha = 4, pngRgba = 6 };

// Encodes a PNG (stored, uncompressed deflate). `samples` holds the rows top
// first, each sample one value (for bitDepth 16 values up to 65535; for the
// palette type the palette index); `palette` holds RGB triples.
std::vector<uint8_t> encodePng(int width, int height, pngColour colour, int bitDepth,
                               const std::vector<uint16_t>& samples, const std::vector<uint8_t>& palette = {});

// The fixture: opens the window (once) and resets the state before each test.
class GlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
};

} // namespace gltest
