// Framebuffers in a real context: begin and end on the stack, viewports,
// clear colours, ping-pong between two attachments with mipmaps, status.
#include "tests/glsupport/GlTestSupport.h"
#include "vorn/DirectFrameBuffer.h"
#include "vorn/FrameBufferStack.h"
#include "vorn/OffscreenFrameBuffer.h"
#include "vorn/Texture.h"

using gltest::GlTest;
using gltest::rgba;
using namespace vorn;

namespace {

struct viewport {
    GLint x, y, w, h;
};

viewport currentViewport()
{
    GLint v[4];
    glGetIntegerv(GL_VIEWPORT, v);
    return {v[0], v[1], v[2], v[3]};
}

GLint boundFbo()
{
    GLint fbo = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &fbo);
    return fbo;
}

cTexture* renderTexture(int w, int h, GLint minFilter)
{
    auto* t = new cTexture(true);
    t->setImage(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    t->setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    t->setParameter(GL_TEXTURE_MIN_FILTER, minFilter);
    return t;
}

std::vector<rgba> texels(const cTexture& t, int level)
{
    glBindTexture(GL_TEXTURE_2D, t.getId());
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
    std::vector<rgba> out(size_t(w) * size_t(h));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!out.empty())
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
    return out;
}

void quad(float x0, float x1, bool textured)
{
    glBegin(GL_QUADS);
    if (textured) glTexCoord2f(0, 0);
    glVertex2f(x0, -1);
    if (textured) glTexCoord2f(1, 0);
    glVertex2f(x1, -1);
    if (textured) glTexCoord2f(1, 1);
    glVertex2f(x1, 1);
    if (textured) glTexCoord2f(0, 1);
    glVertex2f(x0, 1);
    glEnd();
}

class FrameBufferTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        frameBufferStack.clear();
    }
};

} // namespace

TEST_F(FrameBufferTest, NewTargetClearsToTransparentWhite)
{
    cDirectFrameBuffer window(gltest::windowWidth, gltest::windowHeight, GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    EXPECT_EQ(window.getClearColour(), vec4f(1, 1, 1, 0));
    EXPECT_TRUE(window.getClearOnBegin());
    EXPECT_EQ(window.getClearMask(), GLbitfield(0x4100));

    cOffscreenFrameBuffer target(32, 32, GL_COLOR_BUFFER_BIT);
    cTexture* texture = renderTexture(32, 32, GL_LINEAR);
    target.attachTexture(texture, GL_COLOR_ATTACHMENT0_EXT, 0);
    target.setDrawReadBuffers(GL_COLOR_ATTACHMENT0_EXT, GL_COLOR_ATTACHMENT0_EXT);
    target.begin();
    EXPECT_EQ(gltest::readPixel(5, 5), rgba(255, 255, 255, 0));
    target.end();

    window.setClearColour({0, 0, 1, 1});
    window.begin();
    EXPECT_EQ(gltest::readPixel(5, 5), rgba(0, 0, 255, 255));
    window.end();
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}

TEST_F(FrameBufferTest, ViewportSizeIsTruncated)
{
    cDirectFrameBuffer window(800, 600, GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(window.getSize(), vec2f(800, 600));
    window.setSize({799.9f, 10.5f});
    window.applyViewport();
    const viewport v = currentViewport();
    EXPECT_EQ(v.w, 799);
    EXPECT_EQ(v.h, 10);
}

TEST_F(FrameBufferTest, EndingOffscreenRestoresWindowViewportAndBinding)
{
    cDirectFrameBuffer window(gltest::windowWidth, gltest::windowHeight, GL_COLOR_BUFFER_BIT);
    cOffscreenFrameBuffer target(64, 32, GL_COLOR_BUFFER_BIT);
    target.attachTexture(renderTexture(64, 32, GL_LINEAR), GL_COLOR_ATTACHMENT0_EXT, 0);
    target.setClearColour({0.5f, 0, 0, 1});

    window.begin();
    ASSERT_EQ(frameBufferStack.size(), 1u);
    target.begin();
    EXPECT_EQ(boundFbo(), GLint(target.getFrameBufferObject()));
    EXPECT_EQ(currentViewport().w, 64);
    EXPECT_EQ(currentViewport().h, 32);
    ASSERT_EQ(frameBufferStack.size(), 2u);
    EXPECT_EQ(frameBufferStack.back(), &target);

    target.end();
    EXPECT_EQ(boundFbo(), 0);
    EXPECT_EQ(currentViewport().w, gltest::windowWidth);
    EXPECT_EQ(currentViewport().h, gltest::windowHeight);
    ASSERT_EQ(frameBufferStack.size(), 1u);
    EXPECT_EQ(frameBufferStack.back(), &window);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear); // only the viewport is restored
    EXPECT_FLOAT_EQ(clear[0], 0.5f);

    window.end();
    EXPECT_TRUE(frameBufferStack.empty());
    glViewport(0, 0, 7, 7);
    window.end(); // on an empty stack: nothing happens
    EXPECT_TRUE(frameBufferStack.empty());
    EXPECT_EQ(currentViewport().w, 7);
}

TEST_F(FrameBufferTest, PingPongBetweenTwoAttachmentsRegeneratesMipmaps)
{
    gltest::ConsoleCapture console;
    cDirectFrameBuffer window(gltest::windowWidth, gltest::windowHeight, GL_COLOR_BUFFER_BIT);
    cOffscreenFrameBuffer blur(64, 64, GL_COLOR_BUFFER_BIT);
    cTexture* plain = renderTexture(64, 64, GL_LINEAR);
    cTexture* mipmapped = renderTexture(64, 64, GL_LINEAR_MIPMAP_LINEAR);
    blur.attachTexture(plain, GL_COLOR_ATTACHMENT0_EXT, 0);
    blur.attachTexture(mipmapped, GL_COLOR_ATTACHMENT1_EXT, 0);
    EXPECT_EQ(blur.getAttachedTextures(), (std::vector<cTexture*>{plain, mipmapped}));
    EXPECT_TRUE(blur.checkStatus());
    EXPECT_EQ(console.text(), "");

    window.begin();
    // Pass 1 into the plain texture: white, transparent; green on the left.
    blur.setDrawReadBuffers(GL_COLOR_ATTACHMENT0_EXT, GL_COLOR_ATTACHMENT0_EXT);
    blur.begin();
    glDisable(GL_TEXTURE_2D); // attaching a mipmapped texture bound and enabled it
    glColor4f(0, 1, 0, 1);
    quad(-1, 0, false);
    blur.end();
    EXPECT_EQ(currentViewport().w, gltest::windowWidth);

    // Pass 2 into the mipmapped texture, reading the plain one.
    blur.setClearColour({0, 0, 0, 1});
    blur.setDrawReadBuffers(GL_COLOR_ATTACHMENT1_EXT, GL_COLOR_ATTACHMENT0_EXT);
    blur.begin();
    plain->bind(0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    quad(-1, 1, true);
    glDisable(GL_TEXTURE_2D);
    blur.end();
    window.end();
    EXPECT_TRUE(gltest::takeGlErrors().empty());

    const std::vector<rgba> first = texels(*plain, 0);
    EXPECT_EQ(first[32 * 64 + 5], rgba(0, 255, 0, 255));
    EXPECT_EQ(first[32 * 64 + 60], rgba(255, 255, 255, 0));
    const std::vector<rgba> second = texels(*mipmapped, 0);
    EXPECT_EQ(second[32 * 64 + 5], rgba(0, 255, 0, 255));
    EXPECT_EQ(second[32 * 64 + 60], rgba(255, 255, 255, 0));

    // end regenerated the mipmapped texture's chain: its 1 x 1 level is the
    // average of both halves. The plain texture has no chain.
    const std::vector<rgba> smallest = texels(*mipmapped, 6);
    ASSERT_EQ(smallest.size(), 1u);
    EXPECT_TRUE(smallest[0].near(rgba(128, 255, 128, 128), 3)) << smallest[0];
    EXPECT_TRUE(texels(*plain, 1).empty());
}

TEST_F(FrameBufferTest, AttachingMipmappedTextureRegeneratesItFirst)
{
    std::vector<uint8_t> red(16 * 16 * 4);
    for (size_t i = 0; i < red.size(); i += 4) {
        red[i] = 255;
        red[i + 3] = 255;
    }
    cTexture texture(true);
    texture.setImage(GL_TEXTURE_2D, 0, GL_RGBA, 16, 16, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, red.data());
    texture.setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    cOffscreenFrameBuffer target(16, 16, GL_COLOR_BUFFER_BIT);
    target.attachTexture(&texture, GL_COLOR_ATTACHMENT0_EXT, 0);
    const std::vector<rgba> level4 = texels(texture, 4);
    ASSERT_EQ(level4.size(), 1u);
    EXPECT_EQ(level4[0], rgba(255, 0, 0, 255));
    EXPECT_EQ(boundFbo(), 0);
}

TEST_F(FrameBufferTest, NonFlatTexturesAreNotAttached)
{
    gltest::ConsoleCapture console;
    cTexture cube(true);
    for (GLenum face = 0; face < 6; ++face)
        cube.setCubeFace(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGBA, 8, 8, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                         nullptr);
    cOffscreenFrameBuffer target(8, 8, GL_COLOR_BUFFER_BIT);
    target.attachTexture(&cube, GL_COLOR_ATTACHMENT0_EXT, 0);
    EXPECT_TRUE(target.getAttachedTextures().empty());
    EXPECT_FALSE(target.checkStatus());
    EXPECT_EQ(console.lines(), (std::vector<std::string>{"GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT_EXT"}));
    EXPECT_EQ(boundFbo(), 0);
}

TEST_F(FrameBufferTest, EmptyAttachmentIsReportedAndTheTargetStaysUsable)
{
    gltest::ConsoleCapture console;
    cTexture empty(true);
    empty.setImage(GL_TEXTURE_2D, 0, GL_RGBA, 0, 0, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    cOffscreenFrameBuffer target(8, 8, GL_COLOR_BUFFER_BIT);
    target.attachTexture(&empty, GL_COLOR_ATTACHMENT0_EXT, 0);
    EXPECT_EQ(target.getAttachedTextures().size(), 1u);
    EXPECT_FALSE(target.checkStatus());
    EXPECT_EQ(console.lines(), (std::vector<std::string>{"GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT"}));
    EXPECT_EQ(boundFbo(), 0);
    // Used all the same: begin and end keep the stack and the binding sound.
    target.begin();
    target.end();
    EXPECT_TRUE(frameBufferStack.empty());
    EXPECT_EQ(boundFbo(), 0);
    gltest::takeGlErrors(); // drawing into an incomplete target is GL's error, not ours
}
