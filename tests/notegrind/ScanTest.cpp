// The program as a whole: which files the folder scan takes, in which
// order, and what happens to the command-line paths.
#include "../smfkit/SmfBytes.h"
#include "TempFolder.h"

#include "notegrind/MidiScan.h"
#include "notegrind/Notegrind.h"

#include <gtest/gtest.h>

#include <sstream>

using notegrind::findMidiFiles;
using notegrind::hasMidiExtension;
using smftest::cSmfBytes;
using smftest::cTrackBytes;

namespace {

std::vector<uint8_t> oneNote(int note)
{
    cTrackBytes t;
    t.tempo(0, 500000).noteOn(0, 0, note).noteOff(480, 0, note).end();
    return cSmfBytes().header(0, 1, 480).track(t).bytes;
}

std::vector<std::string> reportedFiles(const std::string& report)
{
    std::vector<std::string> names;
    std::istringstream in(report);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("file:", 0) == 0)
            names.push_back(line.substr(5));
    return names;
}

} // namespace

TEST(Scan, ExtensionInAnyCase)
{
    for (const char* yes : {"a.mid", "B.MID", "c.Mid", ".mid", "x.y.mId"})
        EXPECT_TRUE(hasMidiExtension(yes)) << yes;
    for (const char* no : {"a.midi", "mid", "a.mi", "a_mid", "a.mid.txt", ""})
        EXPECT_FALSE(hasMidiExtension(no)) << no;
}

TEST(Scan, RegularFilesInNameOrder)
{
    ngtest::cTempFolder folder;
    for (const char* name : {"b.mid", "A.MID", "c.Mid", "d.midi", "e.txt", ".mid", "a.b.mid"})
        folder.write(name, {});
    std::filesystem::create_directories(folder.path / "f.mid");
    EXPECT_EQ(findMidiFiles(folder.path.string()),
              (std::vector<std::string>{".mid", "A.MID", "a.b.mid", "b.mid", "c.Mid"}));
    EXPECT_TRUE(findMidiFiles(folder.file("nothing-here")).empty());
}

TEST(Program, NoMatchPrintsItsLineThenConvertsTheArguments)
{
    ngtest::cTempFolder folder;
    std::filesystem::create_directories(folder.path / "sub");
    folder.write("sub/x.mid", oneNote(60));
    folder.write("sub/y.mid", oneNote(64));
    folder.enter();
    const char* argv[] = {"./notegrind", "sub/x.mid", "sub/y.mid"};
    std::ostringstream report;
    EXPECT_EQ(notegrind::runNotegrind(3, argv, report), 0);
    EXPECT_EQ(report.str().rfind("found no midi files in this directory./notegrind\nfile:sub/x.mid\n", 0), 0u);
    EXPECT_EQ(reportedFiles(report.str()), (std::vector<std::string>{"sub/x.mid", "sub/y.mid"}));
    EXPECT_EQ(folder.read("sub/x.txt").substr(0, 14), "21\n0\n1\nn 0 0\n0");
    EXPECT_TRUE(folder.exists("sub/y.txt"));

    std::ostringstream alone;
    EXPECT_EQ(notegrind::runNotegrind(1, argv, alone), 0) << "nothing to convert is no failure";
    EXPECT_EQ(alone.str(), "found no midi files in this directory./notegrind\n");
}

TEST(Program, FolderInNameOrderThenArguments)
{
    ngtest::cTempFolder folder;
    std::filesystem::create_directories(folder.path / "sub.d");
    folder.write("a.mid", oneNote(60));   // a hit
    folder.write("a.b.mid", oneNote(64)); // a held note, converted first
    folder.write("sub.d/x.mid", oneNote(71));
    folder.enter();
    const char* argv[] = {"notegrind", "sub.d/x.mid", "gone.mid"};
    std::ostringstream report;
    EXPECT_EQ(notegrind::runNotegrind(3, argv, report), 1) << "gone.mid cannot be read";
    EXPECT_EQ(reportedFiles(report.str()),
              (std::vector<std::string>{"a.b.mid", "a.mid", "sub.d/x.mid", "gone.mid"}));
    EXPECT_EQ(folder.read("a.txt").substr(0, 14), "21\n0\n1\nn 0 0\n0") << "a.mid comes later and wins";
    EXPECT_EQ(folder.read("sub.d/x.txt").substr(0, 18), "21\n0\n1\nhn 0 500 3\n");
    EXPECT_TRUE(folder.exists("gone.txt"));
}
