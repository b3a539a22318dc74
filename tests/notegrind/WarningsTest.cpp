// Failures said out loud: the "warning: " lines after a file not read whole
// or a note list not written, and the exit code.
#include "../smfkit/SmfBytes.h"
#include "TempFolder.h"

#include "notegrind/Notegrind.h"

#include <gtest/gtest.h>

#include <sstream>

using smftest::cSmfBytes;
using smftest::cTrackBytes;

namespace {

// Four notes, the damage, a fifth note. The fifth note and the end of the
// track take the last kTail bytes, so the damage starts kTail bytes before
// the end of the undamaged file.
constexpr size_t kTail = 13;

std::vector<uint8_t> scale(const std::vector<uint8_t>& damage = {})
{
    cTrackBytes t;
    t.tempo(0, 500000);
    for (int n = 60; n < 64; ++n)
        t.noteOn(0, 0, n).noteOff(240, 0, n);
    t.data.insert(t.data.end(), damage.begin(), damage.end());
    t.noteOn(0, 0, 72).noteOff(240, 0, 72).end();
    return cSmfBytes().header(0, 1, 480).track(t).bytes;
}

std::string emptySections(int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += "0\n";
    return s;
}

const std::string kFourNotes = "21\n0\n4\nn 0 0\nn 250 1\nn 500 2\nn 750 3\n" + emptySections(19);

std::vector<std::string> warnings(const std::string& report)
{
    std::vector<std::string> lines;
    std::istringstream in(report);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("warning: ", 0) == 0)
            lines.push_back(line);
    return lines;
}

std::string withoutWarnings(const std::string& report)
{
    std::string out;
    std::istringstream in(report);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("warning: ", 0) != 0)
            out += line + "\n";
    return out;
}

struct sRun {
    int code = -1;
    std::string report;
};

// Runs the program in the folder last entered.
sRun run(std::vector<const char*> args = {})
{
    args.insert(args.begin(), "notegrind");
    std::ostringstream out;
    sRun r;
    r.code = notegrind::runNotegrind(static_cast<int>(args.size()), args.data(), out);
    r.report = out.str();
    return r;
}

} // namespace

TEST(ReadWarning, DamagedFilesNameTheErrorAndWhereReadingStopped)
{
    const std::vector<uint8_t> whole = scale();
    const size_t damage = whole.size() - kTail;
    struct sCase {
        const char* name;
        std::vector<uint8_t> bytes;
        std::string warning;
    } cases[] = {
        {"realtime.mid", scale({0x00, 0xF8}),
         "warning: realtime.mid was not read whole: Unexpected Byte at byte " + std::to_string(damage + 1) +
             "; its note list holds the notes read before that"},
        {"after_meta.mid", scale({0x00, 0xFF, 0x01, 0x00, 0x00, 0x3C, 0x40}),
         "warning: after_meta.mid was not read whole: Unexpected Byte at byte " + std::to_string(damage + 5) +
             "; its note list holds the notes read before that"},
        {"cut.mid", std::vector<uint8_t>(whole.begin(), whole.end() - 9),
         "warning: cut.mid was not read whole: Unexpected Stream Error at byte " +
             std::to_string(whole.size() - 9) + "; its note list holds the notes read before that"},
    };
    ngtest::cTempFolder folder;
    for (const sCase& c : cases)
        folder.write(c.name, c.bytes);
    folder.write("whole.mid", whole);
    folder.enter();
    sRun r = run();
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(warnings(r.report), (std::vector<std::string>{cases[1].warning, cases[2].warning, cases[0].warning}));
    // Each warning follows its own file's report.
    EXPECT_LT(r.report.find(cases[2].warning), r.report.find("file:realtime.mid"));
    // The notes read before the damage are written; whole.mid has all five.
    for (const char* list : {"after_meta.txt", "realtime.txt", "cut.txt"})
        EXPECT_EQ(folder.read(list), kFourNotes) << list;
    EXPECT_EQ(folder.read("whole.txt"),
              "21\n0\n5\nn 0 0\nn 250 1\nn 500 2\nn 750 3\nn 1000 0\n" + emptySections(19));
}

TEST(ReadWarning, TheReportAroundItIsUnchanged)
{
    ngtest::cTempFolder folder;
    folder.write("bad.mid", scale({0x00, 0xF8}));
    folder.enter();
    sRun r = run();
    std::ostringstream plain;
    notegrind::convertMidiFile("bad.mid", &plain);
    EXPECT_EQ(withoutWarnings(r.report), plain.str());
    EXPECT_EQ(warnings(r.report).size(), 1u);
}

TEST(ReadWarning, UnopenableInputsGiveTheSystemsReason)
{
    ngtest::cTempFolder folder;
    folder.write("a.mid", scale());
    std::filesystem::create_directories(folder.path / "dir.mid");
    folder.enter();
    sRun r = run({"gone.mid"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(warnings(r.report),
              (std::vector<std::string>{
                  "warning: gone.mid was not read whole: Unexpected Stream Error at byte 0 (No such file or "
                  "directory); its note list holds the notes read before that"}));
    EXPECT_EQ(folder.read("gone.txt"), "21\n" + emptySections(21));

    sRun dir = run({"dir.mid"});
    ASSERT_EQ(warnings(dir.report).size(), 1u);
    EXPECT_NE(warnings(dir.report)[0].find("dir.mid was not read whole: Unexpected Stream Error at byte 0 (Is a "
                                           "directory)"),
              std::string::npos);
}

TEST(WriteWarning, NoteListsThatCannotBeWrittenAreNamedWithTheReason)
{
    ngtest::cTempFolder folder;
    folder.write("a.mid", scale());
    folder.write("b.mid", scale());
    folder.write("c.mid", scale());
    std::filesystem::create_directories(folder.path / "b.txt");
    std::filesystem::create_symlink("/dev/full", folder.path / "c.txt");
    folder.enter();
    sRun r = run({"no/such/folder/d.mid"});
    EXPECT_EQ(r.code, 1);
    std::vector<std::string> w = warnings(r.report);
    ASSERT_EQ(w.size(), 4u);
    EXPECT_EQ(w[0], "warning: the note list b.txt was not written: Is a directory");
    EXPECT_EQ(w[1], "warning: the note list c.txt was not written: No space left on device");
    EXPECT_EQ(w[2].rfind("warning: no/such/folder/d.mid was not read whole: ", 0), 0u);
    EXPECT_EQ(w[3], "warning: the note list no/such/folder/d.txt was not written: No such file or directory");
    EXPECT_EQ(folder.read("a.txt"), "21\n0\n5\nn 0 0\nn 250 1\nn 500 2\nn 750 3\nn 1000 0\n" + emptySections(19));
}

TEST(ExitCode, ZeroOnlyWhenEverythingWasReadAndWritten)
{
    ngtest::cTempFolder folder;
    folder.write("a.mid", scale());
    folder.write("b.mid", scale());
    folder.enter();
    sRun ok = run();
    EXPECT_EQ(ok.code, 0);
    EXPECT_TRUE(warnings(ok.report).empty());

    // One damaged file among good ones: every note list is still written.
    folder.write("b.mid", scale({0x00, 0xF4}));
    std::filesystem::remove(folder.path / "a.txt");
    sRun bad = run();
    EXPECT_EQ(bad.code, 1);
    EXPECT_TRUE(folder.exists("a.txt"));
    EXPECT_EQ(warnings(bad.report).size(), 1u);

    // An input named like its own note list is kept, and that counts too.
    ngtest::cTempFolder other;
    other.write("x.mid", scale());
    other.write("song.txt", scale());
    other.enter();
    sRun self = run({"song.txt"});
    EXPECT_EQ(self.code, 1);
    EXPECT_NE(self.report.find("not writing song.txt: it is the input itself\n"
                               "warning: the note list song.txt was not written: it is the input file itself\n"),
              std::string::npos);
}
