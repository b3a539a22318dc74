#include "strobewerk/Config.h"

#include "TempFolder.h"
#include "vorn/ConsoleLog.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <sstream>

namespace {

struct ConfigTest : ::testing::Test {
    cTempFolder folder;
    std::ostringstream console;

    void SetUp() override { vorn::consoleLog.setStream(&console); }
    void TearDown() override { vorn::consoleLog.setStream(nullptr); }

    sWindowConfig read(const std::string& text)
    {
        folder.write("res.conf", text);
        return readWindowConfig();
    }

    int consoleLines() const
    {
        int lines = 0;
        for (char c : console.str())
            lines += c == '\n';
        return lines;
    }

    void expectDefaultsWithOneLine(const sWindowConfig& config, const std::string& name = "res.conf")
    {
        EXPECT_FALSE(config.fullscreen);
        EXPECT_EQ(config.width, 800);
        EXPECT_EQ(config.height, 600);
        EXPECT_EQ(consoleLines(), 1) << console.str();
        EXPECT_NE(console.str().find(name), std::string::npos);
    }
};

TEST_F(ConfigTest, ReadsTheThreeValuesAfterTheirLabels)
{
    sWindowConfig config = read("fullscreen:0\nwidth:1024\nheight:768\n");
    EXPECT_FALSE(config.fullscreen);
    EXPECT_EQ(config.width, 1024);
    EXPECT_EQ(config.height, 768);
    EXPECT_EQ(consoleLines(), 0);
}

TEST_F(ConfigTest, LabelsAreFreeTextAndMayBeEmpty)
{
    sWindowConfig config = read(":1 trailing words\n:  1600 ignored\n  some label : 900\nmore: 5\n");
    EXPECT_TRUE(config.fullscreen);
    EXPECT_EQ(config.width, 1600);
    EXPECT_EQ(config.height, 900);
    EXPECT_EQ(consoleLines(), 0);
}

TEST_F(ConfigTest, MissingFileGivesTheDefaultWindow)
{
    expectDefaultsWithOneLine(readWindowConfig("no-such.conf"), "no-such.conf");
}

TEST_F(ConfigTest, FileFoundWhateverItsLetterCase)
{
    folder.write("Res.Conf", "a:1\nb:640\nc:480\n");
    sWindowConfig config = readWindowConfig();
    EXPECT_TRUE(config.fullscreen);
    EXPECT_EQ(config.width, 640);
}

TEST_F(ConfigTest, UnreadableValuesGiveTheDefaultWindowAndOneLine)
{
    const char* const files[] = {
        "fullscreen:true\nwidth:1024\nheight:768\n", // a word, not a digit
        "fullscreen:2\nwidth:1024\nheight:768\n",    // neither 0 nor 1
        "fullscreen:1\nwidth:wide\nheight:768\n",    // fullscreen is not kept either
        "fullscreen:0\nwidth:1024\n",                 // no height
        "fullscreen:0 width 1024 height 768\n",        // no colons
        "f:0\nw:0\nh:768\n",                          // no size
        "f:0\nw:640\nh:-1\n",
        "f:0\nw:99999999999\nh:768\n",                // out of range
    };
    for (const char* text : files) {
        console.str("");
        SCOPED_TRACE(text);
        expectDefaultsWithOneLine(read(text));
    }
}

TEST_F(ConfigTest, MissingDataFolderIsToldWithWhereItWasLookedFor)
{
    EXPECT_FALSE(checkDataFolder());
    EXPECT_EQ(console.str(), "data folder missing: looked for " + folder.path() + "/data\n");
    // A file of that name is no folder.
    folder.write("data", "");
    EXPECT_FALSE(checkDataFolder());
    std::filesystem::remove(folder.path() + "/data");
    // Found whatever its letter case, and then nothing is said.
    folder.write("DATA/x.txt", "");
    console.str("");
    EXPECT_TRUE(checkDataFolder());
    EXPECT_EQ(console.str(), "");
}

} // namespace
