// cTexture in a real context: mipmap chains, the filter flag, the pixel
// formats that reach GL, cube maps and the console lines.
#include <fstream>

#include "tests/glsupport/GlTestSupport.h"
#include "vorn/Texture.h"

using gltest::GlTest;
using gltest::rgba;
using vorn::cTexture;

namespace {

// A solid RGB image of w x h.
std::vector<uint8_t> solidPng(int w, int h, int r, int g, int b)
{
    std::vector<uint16_t> samples;
    for (int i = 0; i < w * h; ++i)
        samples.insert(samples.end(), {uint16_t(r), uint16_t(g), uint16_t(b)});
    return gltest::encodePng(w, h, gltest::pngRgb, 8, samples);
}

// Makes a PNG's header claim another size (with a valid checksum), leaving
// the pixel data behind it as it was.
void claimPngSize(std::vector<uint8_t>& png, uint32_t width, uint32_t height)
{
    for (int i = 0; i < 4; ++i) {
        png[size_t(16 + i)] = uint8_t(width >> (24 - 8 * i));
        png[size_t(20 + i)] = uint8_t(height >> (24 - 8 * i));
    }
    // The header chunk's CRC covers its type and data, bytes 12 to 28.
    uint32_t crc = ~0u;
    for (size_t i = 12; i < 29; ++i) {
        crc ^= png[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    crc = ~crc;
    for (int i = 0; i < 4; ++i)
        png[size_t(29 + i)] = uint8_t(crc >> (24 - 8 * i));
}

int levelWidth(GLenum target, int level)
{
    GLint w = 0;
    glGetTexLevelParameteriv(target, level, GL_TEXTURE_WIDTH, &w);
    return w;
}

int levelHeight(GLenum target, int level)
{
    GLint h = 0;
    glGetTexLevelParameteriv(target, level, GL_TEXTURE_HEIGHT, &h);
    return h;
}

// The texels of one level as RGBA, rows in upload order.
std::vector<rgba> texels(GLenum target, int level)
{
    const int w = levelWidth(target, level), h = levelHeight(target, level);
    std::vector<rgba> out(size_t(w) * size_t(h));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(target, level, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
    return out;
}

} // namespace

TEST_F(GlTest, MipmapChainOfPowerOfTwoImage)
{
    gltest::TempDataFolder data;
    gltest::ConsoleCapture console;
    data.write("wide.png", solidPng(256, 128, 200, 100, 50));
    cTexture texture(false);
    texture.load("wide.png", GL_TEXTURE_2D, true);
    EXPECT_EQ(console.text(), "");
    EXPECT_NE(texture.getId(), 0u);
    EXPECT_TRUE(texture.isMipmapped());
    glBindTexture(GL_TEXTURE_2D, texture.getId());
    const int expected[9][2] = {{256, 128}, {128, 64}, {64, 32}, {32, 16}, {16, 8}, {8, 4}, {4, 2}, {2, 1}, {1, 1}};
    for (int level = 0; level < 9; ++level) {
        EXPECT_EQ(levelWidth(GL_TEXTURE_2D, level), expected[level][0]) << "level " << level;
        EXPECT_EQ(levelHeight(GL_TEXTURE_2D, level), expected[level][1]) << "level " << level;
    }
    EXPECT_EQ(levelWidth(GL_TEXTURE_2D, 9), 0);
    // The texture's size is its first level's, not its last's.
    EXPECT_EQ(texture.getWidth(), 256);
    EXPECT_EQ(texture.getHeight(), 128);
    EXPECT_TRUE(texels(GL_TEXTURE_2D, 8)[0].near(rgba(200, 100, 50, 255), 2));
    GLint minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
    // All levels allocated at once where GL can (the quick start-up).
    GLint immutable = GL_FALSE;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_IMMUTABLE_FORMAT, &immutable);
    EXPECT_EQ(immutable, GLEW_ARB_texture_storage ? GL_TRUE : GL_FALSE);

    texture.setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    EXPECT_FALSE(texture.isMipmapped());
    texture.setParameter(GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
    EXPECT_TRUE(texture.isMipmapped());
    texture.setParameter(GL_TEXTURE_MAG_FILTER, GL_NEAREST); // only the min filter counts
    EXPECT_TRUE(texture.isMipmapped());
}

TEST_F(GlTest, MipmapChainOfOddSizedImageWarnsAndEndsAtOne)
{
    gltest::TempDataFolder data;
    gltest::ConsoleCapture console;
    data.write("odd.PNG", solidPng(100, 100, 10, 220, 30));
    cTexture texture(false);
    texture.load("odd.PNG", GL_TEXTURE_2D, true); // the extension test ignores case
    EXPECT_EQ(console.lines(),
              (std::vector<std::string>{"warning texture not power of two. mipmap gen will maybe be mongis"}));
    glBindTexture(GL_TEXTURE_2D, texture.getId());
    const int sizes[7] = {100, 50, 25, 12, 6, 3, 1};
    for (int level = 0; level < 7; ++level) {
        EXPECT_EQ(levelWidth(GL_TEXTURE_2D, level), sizes[level]);
        EXPECT_EQ(levelHeight(GL_TEXTURE_2D, level), sizes[level]);
    }
    EXPECT_EQ(levelWidth(GL_TEXTURE_2D, 7), 0);
    // RGB rows of 25 and 3 pixels are not 4-byte aligned: every texel of
    // those levels must still be the image's colour.
    for (int level : {2, 5})
        for (const rgba& t : texels(GL_TEXTURE_2D, level))
            ASSERT_TRUE(t.near(rgba(10, 220, 30, 255), 2)) << "level " << level << ": " << t;
}

TEST_F(GlTest, WithoutMipmapsOneLevel)
{
    gltest::TempDataFolder data;
    data.write("one.png", solidPng(16, 8, 1, 2, 3));
    cTexture texture(false);
    texture.load("one.png", GL_TEXTURE_2D, false);
    EXPECT_FALSE(texture.isMipmapped());
    EXPECT_EQ(texture.getWidth(), 16);
    EXPECT_EQ(texture.getHeight(), 8);
    glBindTexture(GL_TEXTURE_2D, texture.getId());
    EXPECT_EQ(levelWidth(GL_TEXTURE_2D, 0), 16);
    EXPECT_EQ(levelWidth(GL_TEXTURE_2D, 1), 0);
    GLint minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR);
}

TEST_F(GlTest, ExtensionsAndMissingFiles)
{
    gltest::TempDataFolder data;
    gltest::ConsoleCapture console;
    data.write("pic.jpg", solidPng(4, 4, 1, 2, 3));
    cTexture jpg(false);
    jpg.load("pic.jpg", GL_TEXTURE_2D, true); // not a handled kind: nothing at all
    EXPECT_EQ(jpg.getId(), 0u);
    cTexture bare(false);
    bare.load("noextension", GL_TEXTURE_2D, true);
    EXPECT_EQ(bare.getId(), 0u);
    EXPECT_EQ(console.text(), "");

    cTexture missing(false);
    missing.load("missing.png", GL_TEXTURE_2D, false);
    EXPECT_EQ(console.lines(), (std::vector<std::string>{"OH SHIT. the devil fails:missing.png"}));
    EXPECT_NE(missing.getId(), 0u); // a texture exists all the same
    gltest::takeGlErrors();

    // A file that is not an image at all fails the same way.
    console.reset();
    data.write("junk.png", std::string("not an image"));
    cTexture junk(false);
    junk.load("junk.png", GL_TEXTURE_2D, true);
    ASSERT_FALSE(console.lines().empty());
    EXPECT_EQ(console.lines()[0], "OH SHIT. the devil fails:junk.png");
    gltest::takeGlErrors();
}

TEST_F(GlTest, DamagedImagesLeaveOneClearPixel)
{
    gltest::TempDataFolder data;
    // A valid header claiming 60000 x 60000 pixels, with 16 x 16 behind it.
    std::vector<uint8_t> png = gltest::encodePng(16, 16, gltest::pngRgb, 8, std::vector<uint16_t>(768, 90));
    claimPngSize(png, 60000, 60000);
    data.write("huge.png", png);
    const std::vector<uint8_t> whole = solidPng(16, 16, 1, 2, 3);
    data.write("cut.png", std::vector<uint8_t>(whole.begin(), whole.begin() + long(whole.size() / 2)));

    gltest::ConsoleCapture console;
    for (const char* name : {"huge.png", "cut.png"}) {
        for (bool mipmaps : {false, true}) {
            cTexture texture(false);
            texture.load(name, GL_TEXTURE_2D, mipmaps); // scaling a phantom image would crash
            EXPECT_EQ(texture.getWidth(), 1) << name;
            EXPECT_EQ(texture.getHeight(), 1) << name;
            glBindTexture(GL_TEXTURE_2D, texture.getId());
            EXPECT_EQ(texels(GL_TEXTURE_2D, 0).at(0), rgba(0, 0, 0, 0)) << name;
        }
    }
    EXPECT_EQ(console.lines(), (std::vector<std::string>{"OH SHIT. the devil fails:huge.png",
                                                         "OH SHIT. the devil fails:huge.png",
                                                         "OH SHIT. the devil fails:cut.png",
                                                         "OH SHIT. the devil fails:cut.png"}));
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}

TEST_F(GlTest, HeadersThatMisleadTheImageLibraryDoNotLoad)
{
    // Two real rows of 65536 RGBA pixels under a header claiming 65536 rows:
    // 2^34 bytes, which the image library's 32-bit sizes make 0, and the
    // first decoded row would be written far past that.
    gltest::TempDataFolder data;
    std::vector<uint8_t> png =
        gltest::encodePng(65536, 2, gltest::pngRgba, 8, std::vector<uint16_t>(65536 * 2 * 4, 7));
    claimPngSize(png, 65536, 65536);
    data.write("wrap.png", png);
    data.write("wrap.dds", png); // the same bytes under the other name
    // A 16 x 16 DDS whose bit count says 163 million bits a pixel.
    std::vector<uint8_t> dds(128 + 1024, 0x40);
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            dds[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    dds[0] = 'D', dds[1] = 'D', dds[2] = 'S', dds[3] = ' ';
    for (size_t at = 4; at < 128; at += 4)
        put(at, 0);
    put(4, 124), put(8, 0x100F), put(12, 16), put(16, 16), put(20, 64), put(76, 32), put(80, 0x41);
    put(88, 0x09C35BC7), put(92, 0xFF0000), put(96, 0xFF00), put(100, 0xFF), put(104, 0xFF000000), put(108, 0x1000);
    data.write("lying.dds", dds);
    data.write("face.png", solidPng(4, 4, 9, 9, 9));
    data.writeOutside("sky.cub", "mode:none\nxp:wrap.png\nxn:face.png\nyp:face.png\nyn:face.png\n"
                                 "zp:face.png\nzn:face.png\n");

    gltest::ConsoleCapture console;
    for (const char* name : {"wrap.png", "wrap.dds", "lying.dds"}) {
        cTexture texture(false);
        texture.load(name, GL_TEXTURE_2D, true);
        EXPECT_EQ(texture.getWidth(), 1) << name;
        EXPECT_EQ(texture.getHeight(), 1) << name;
        glBindTexture(GL_TEXTURE_2D, texture.getId());
        EXPECT_EQ(texels(GL_TEXTURE_2D, 0).at(0), rgba(0, 0, 0, 0)) << name;
    }
    cTexture sky(false);
    sky.load("sky.cub", GL_TEXTURE_2D, true);
    EXPECT_EQ(levelWidth(GL_TEXTURE_CUBE_MAP_POSITIVE_X, 0), 1);
    EXPECT_EQ(levelWidth(GL_TEXTURE_CUBE_MAP_NEGATIVE_X, 0), 4);
    EXPECT_EQ(console.lines(), (std::vector<std::string>{"OH SHIT. the devil fails:wrap.png",
                                                         "OH SHIT. the devil fails:wrap.dds",
                                                         "OH SHIT. the devil fails:lying.dds",
                                                         "OH SHIT. the devil fails"}));
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}

TEST_F(GlTest, ChunkThatClaimsMoreThanTheFileDoesNotReachTheLibrary)
{
    // A real image with a gAMA chunk after its header whose length says
    // 65535 bytes: the image library would spin on the missing bytes for
    // ever. The file is reported and leaves one clear pixel, at once.
    gltest::TempDataFolder data;
    std::vector<uint8_t> png = solidPng(16, 16, 200, 100, 50);
    const std::vector<uint8_t> gama = {0x00, 0x00, 0xFF, 0xFF, 'g', 'A', 'M', 'A',
                                       0x00, 0x00, 0xB1, 0x8F, 0x0B, 0xFC, 0x61, 0x05};
    png.insert(png.begin() + 33, gama.begin(), gama.end());
    data.write("gamma.png", png);
    data.write("whole.png", solidPng(16, 16, 200, 100, 50));

    gltest::ConsoleCapture console;
    cTexture texture(false);
    texture.load("gamma.png", GL_TEXTURE_2D, true);
    EXPECT_EQ(texture.getWidth(), 1);
    glBindTexture(GL_TEXTURE_2D, texture.getId());
    EXPECT_EQ(texels(GL_TEXTURE_2D, 0).at(0), rgba(0, 0, 0, 0));
    cTexture whole(false);
    whole.load("whole.png", GL_TEXTURE_2D, false);
    EXPECT_EQ(whole.getWidth(), 16);
    EXPECT_EQ(console.lines(), (std::vector<std::string>{"OH SHIT. the devil fails:gamma.png"}));
}

TEST_F(GlTest, SixteenBitPalettedAndGreyImagesArriveAsEightBit)
{
    gltest::TempDataFolder data;
    // 16-bit RGBA: 2 x 1, full red and half-transparent green.
    data.write("deep.png", gltest::encodePng(2, 1, gltest::pngRgba, 16,
                                             {65535, 0, 0, 65535, 0, 65535, 0, 32896}));
    // 16-bit RGB.
    data.write("deep3.png", gltest::encodePng(1, 1, gltest::pngRgb, 16, {0, 0, 65535}));
    // Palette: three colours, 3 x 1.
    data.write("pal.png", gltest::encodePng(3, 1, gltest::pngPalette, 8, {2, 0, 1},
                                            {255, 0, 0, 0, 255, 0, 0, 0, 255}));
    // Grey, 5 x 3 (rows of 5 bytes): each texel its own value.
    std::vector<uint16_t> grey;
    for (int i = 0; i < 15; ++i)
        grey.push_back(uint16_t(i * 10));
    data.write("grey.png", gltest::encodePng(5, 3, gltest::pngGrey, 8, grey));
    data.write("grey16.png", gltest::encodePng(1, 1, gltest::pngGrey, 16, {65535}));

    gltest::ConsoleCapture console;
    cTexture deep(false), deep3(false), pal(false), greyTex(false), grey16(false);
    deep.load("deep.png", GL_TEXTURE_2D, false);
    deep3.load("deep3.png", GL_TEXTURE_2D, false);
    pal.load("pal.png", GL_TEXTURE_2D, false);
    greyTex.load("grey.png", GL_TEXTURE_2D, false);
    grey16.load("grey16.png", GL_TEXTURE_2D, false);
    EXPECT_EQ(console.text(), "");
    EXPECT_TRUE(gltest::takeGlErrors().empty());

    glBindTexture(GL_TEXTURE_2D, deep.getId());
    std::vector<rgba> t = texels(GL_TEXTURE_2D, 0);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0], rgba(255, 0, 0, 255));
    EXPECT_TRUE(t[1].near(rgba(0, 255, 0, 128), 1)) << t[1];

    glBindTexture(GL_TEXTURE_2D, deep3.getId());
    EXPECT_EQ(texels(GL_TEXTURE_2D, 0).at(0), rgba(0, 0, 255, 255));

    glBindTexture(GL_TEXTURE_2D, pal.getId());
    t = texels(GL_TEXTURE_2D, 0);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0], rgba(0, 0, 255, 255));
    EXPECT_EQ(t[1], rgba(255, 0, 0, 255));
    EXPECT_EQ(t[2], rgba(0, 255, 0, 255));

    glBindTexture(GL_TEXTURE_2D, greyTex.getId());
    t = texels(GL_TEXTURE_2D, 0);
    ASSERT_EQ(t.size(), 15u);
    // A luminance texture reads back with its value in red. Rows stay in the
    // image library's order.
    const bool topFirst = t[0].r == 0;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const int row = topFirst ? y : 2 - y;
            EXPECT_EQ(t[size_t(y * 5 + x)].r, (row * 5 + x) * 10) << x << "," << y;
        }

    glBindTexture(GL_TEXTURE_2D, grey16.getId());
    EXPECT_EQ(texels(GL_TEXTURE_2D, 0).at(0).r, 255);
    GLint luminanceBits = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_LUMINANCE_SIZE, &luminanceBits);
    EXPECT_EQ(luminanceBits, 8);
}

TEST_F(GlTest, SetImageRecordsAndUploadsUnlessOneOrThreeDimensional)
{
    cTexture target(true);
    EXPECT_NE(target.getId(), 0u);
    target.setImage(GL_TEXTURE_2D, 0, GL_RGBA, 64, 32, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(levelWidth(GL_TEXTURE_2D, 0), 64);
    EXPECT_EQ(target.getTarget(), GLenum(GL_TEXTURE_2D));

    cTexture volume(true);
    volume.setImage(GL_TEXTURE_3D, 0, GL_RGBA, 8, 4, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(volume.getTarget(), GLenum(GL_TEXTURE_3D));
    EXPECT_EQ(volume.getWidth(), 8);
    EXPECT_EQ(volume.getHeight(), 4);
    EXPECT_EQ(volume.getDepth(), 2);
    EXPECT_EQ(levelWidth(GL_TEXTURE_3D, 0), 0); // nothing uploaded
    EXPECT_TRUE(gltest::takeGlErrors().empty());

    target.bind(2);
    GLint active = 0, bound = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(active, GL_TEXTURE2);
    EXPECT_EQ(GLuint(bound), target.getId());
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(GlTest, CubeMapFromDescription)
{
    gltest::TempDataFolder data;
    const int colours[6][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};
    std::string description = "mode:mipmap\n";
    for (int face = 0; face < 6; ++face) {
        const std::string name = "face" + std::to_string(face) + ".png";
        data.write(name, solidPng(8, 8, colours[face][0], colours[face][1], colours[face][2]));
        description += "side " + std::to_string(face) + ":" + name + "\n";
    }
    data.writeOutside("sky.cub", description); // the description is found by its bare name

    gltest::ConsoleCapture console;
    cTexture sky(false);
    sky.load("sky.cub", GL_TEXTURE_2D, true);
    EXPECT_EQ(console.text(), "");
    EXPECT_EQ(sky.getTarget(), GLenum(GL_TEXTURE_CUBE_MAP));
    EXPECT_TRUE(sky.isMipmapped());
    glBindTexture(GL_TEXTURE_CUBE_MAP, sky.getId());
    for (int face = 0; face < 6; ++face) {
        const GLenum faceTarget = GL_TEXTURE_CUBE_MAP_POSITIVE_X + GLenum(face);
        EXPECT_EQ(levelWidth(faceTarget, 3), 1);
        EXPECT_EQ(texels(faceTarget, 3).at(0), rgba(colours[face][0], colours[face][1], colours[face][2], 255));
    }
}

TEST_F(GlTest, CubeMapWithoutDescriptionReportsEveryFace)
{
    gltest::TempDataFolder data;
    gltest::ConsoleCapture console;
    cTexture sky(false);
    sky.load("absent.cub", GL_TEXTURE_2D, true);
    EXPECT_EQ(console.lines(), std::vector<std::string>(6, "OH SHIT. the devil fails"));
    EXPECT_FALSE(sky.isMipmapped());
    EXPECT_EQ(sky.getTarget(), GLenum(GL_TEXTURE_CUBE_MAP));
    gltest::takeGlErrors();
}
