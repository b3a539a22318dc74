// The GL test fixture itself: drawing into a scratch target reads back, and
// the PNG writer makes images the image library accepts.
#include <fstream>

#include "tests/glsupport/GlTestSupport.h"

using gltest::GlTest;
using gltest::rgba;

TEST_F(GlTest, ScratchTargetReadsBackWhatWasDrawn)
{
    gltest::ScratchTarget target(16, 8);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1, 0, 0, 1);
    glBegin(GL_QUADS); // left half
    glVertex2f(-1, -1);
    glVertex2f(0, -1);
    glVertex2f(0, 1);
    glVertex2f(-1, 1);
    glEnd();
    EXPECT_EQ(target.pixel(2, 4), rgba(255, 0, 0, 255));
    EXPECT_EQ(target.pixel(13, 4), rgba(0, 0, 255, 255));
    EXPECT_TRUE(gltest::takeGlErrors().empty());
}

TEST_F(GlTest, TempDataFolderIsTheWorkingFolder)
{
    std::string inside;
    {
        gltest::TempDataFolder folder;
        folder.write("sub/x.txt", "hello");
        std::ifstream in("data/sub/x.txt");
        std::getline(in, inside);
        EXPECT_EQ(inside, "hello");
    }
    EXPECT_FALSE(std::ifstream("data/sub/x.txt").is_open());
}
