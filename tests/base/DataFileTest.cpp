#include "vorn/DataFile.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Runs each test inside a fresh temporary folder holding Data/Song.MP3 and
// data/shaders/a.vert, so that relative lookups start where they would in
// the production's run folder.
struct DataFileTest : ::testing::Test {
    std::string oldDir;
    std::string root;

    void SetUp() override
    {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        oldDir = cwd;
        char pattern[] = "/tmp/datafileXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        ASSERT_EQ(chdir(root.c_str()), 0);
        mkdir("Data", 0755);
        mkdir("Data/Shaders", 0755);
        touch("Data/Song.MP3");
        touch("Data/Shaders/a.vert");
    }

    void TearDown() override
    {
        ASSERT_EQ(chdir(oldDir.c_str()), 0);
        std::system(("rm -rf " + root).c_str());
    }

    static void touch(const char* path) { std::ofstream(path) << "x"; }
};

TEST_F(DataFileTest, ExactPathIsKept)
{
    EXPECT_EQ(vorn::resolveDataPath("Data/Song.MP3"), "Data/Song.MP3");
}

TEST_F(DataFileTest, FolderAndFileMayDifferInCase)
{
    EXPECT_EQ(vorn::resolveDataPath("data/song.mp3"), "Data/Song.MP3");
    EXPECT_EQ(vorn::resolveDataPath("DATA/shaders/A.VERT"), "Data/Shaders/a.vert");
    EXPECT_EQ(vorn::resolveDataPath("./data/song.mp3"), "./Data/Song.MP3");
}

TEST_F(DataFileTest, BackslashesAreSeparators)
{
    EXPECT_EQ(vorn::resolveDataPath("data\\song.mp3"), "Data/Song.MP3");
}

TEST_F(DataFileTest, MissingFileKeepsTheAskedName)
{
    EXPECT_EQ(vorn::resolveDataPath("data\\nothing.png"), "data/nothing.png");
    EXPECT_EQ(vorn::resolveDataPath("other/song.mp3"), "other/song.mp3");
}

TEST_F(DataFileTest, AbsolutePathsResolveToo)
{
    EXPECT_EQ(vorn::resolveDataPath(root + "/data/SONG.mp3"), root + "/Data/Song.MP3");
}

TEST(DataFilePrefix, BareNamesLiveInTheDataFolder)
{
    EXPECT_EQ(vorn::dataFile("quad.vert"), "data/quad.vert");
}

} // namespace
