// The note-list file: its name beside the input and every byte of its text.
#include "../smfkit/SmfBytes.h"
#include "TempFolder.h"

#include "notegrind/DecimalText.h"
#include "notegrind/NoteListFile.h"
#include "notegrind/Notegrind.h"

#include <gtest/gtest.h>

#include <sstream>

using notegrind::formatNoteList;
using notegrind::noteListName;
using notegrind::sNoteBlock;
using Lists = std::vector<std::vector<sNoteBlock>>;

namespace {

std::string emptySections(int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += "0\n";
    return s;
}

} // namespace

TEST(NoteListName, CutAtTheFirstDotOfTheFileName)
{
    EXPECT_EQ(noteListName("song.mid"), "song.txt");
    EXPECT_EQ(noteListName("my.song.mid"), "my.txt");
    EXPECT_EQ(noteListName("../music/song.mid"), "../music/song.txt");
    EXPECT_EQ(noteListName("./x.mid"), "./x.txt");
    EXPECT_EQ(noteListName("v1.2/take.3.MID"), "v1.2/take.txt");
    EXPECT_EQ(noteListName("/abs/dir.d/song"), "/abs/dir.d/song.txt");
    EXPECT_EQ(noteListName(".hidden.mid"), ".txt");
    EXPECT_EQ(noteListName("noext"), "noext.txt");
}

TEST(NoteListText, NoNotesGivesTwentyTwoLines)
{
    EXPECT_EQ(formatNoteList(Lists(64)), "21\n" + emptySections(21));
}

TEST(NoteListText, HitsAndHeldNotes)
{
    Lists lists(64);
    lists[1] = {{0, 250, 0}, {500, 1250, 5}};
    lists[20] = {{-500, -20, 3}, {7, 9, 4}, {10, 20, 11}, {30, 40, 8}, {2, 0, 1}};
    lists[21] = {{1, 2, 3}};
    EXPECT_EQ(formatNoteList(lists), "21\n0\n2\nn 0 0\nhn 500 1250 1\n" + emptySections(18) +
                                         "5\nn -500 3\nhn 7 9 0\nhn 10 20 3\nhn 30 40 0\nn 2 1\n");
}

TEST(NoteListText, FewerListsThanSections)
{
    Lists lists(2);
    lists[0] = {{1, 2, 6}};
    EXPECT_EQ(formatNoteList(lists), "2\n1\nhn 1 2 2\n0\n");
}

TEST(NoteListFile, WrittenBesideTheInputAndReplaced)
{
    ngtest::cTempFolder folder;
    std::filesystem::create_directories(folder.path / "v1.2");
    smftest::cTrackBytes t;
    t.tempo(0, 500000).noteOn(0, 0, 64).noteOff(480, 0, 64).end();
    folder.write("v1.2/take.one.mid", smftest::cSmfBytes().header(0, 1, 480).track(t).bytes);
    folder.write("v1.2/take.txt", std::vector<uint8_t>(500, 'x'));

    std::ostringstream report;
    notegrind::convertFile(folder.file("v1.2/take.one.mid"), report);
    EXPECT_EQ(folder.read("v1.2/take.txt"), "21\n0\n1\nhn 0 500 0\n" + emptySections(19));
    EXPECT_EQ(report.str().rfind("file:" + folder.file("v1.2/take.one.mid") + "\n", 0), 0u);
}

TEST(NoteListFile, UnreadableInputStillWritesEmptySections)
{
    ngtest::cTempFolder folder;
    std::ostringstream report;
    notegrind::convertFile(folder.file("absent.mid"), report);
    EXPECT_EQ(folder.read("absent.txt"), "21\n" + emptySections(21));
    EXPECT_NE(report.str().find("the division? well it is:0\n"), std::string::npos);
}

TEST(NoteListFile, InputNamedLikeItsNoteListIsNeverOverwritten)
{
    ngtest::cTempFolder folder;
    smftest::cTrackBytes t;
    t.tempo(0, 500000).noteOn(0, 0, 64).noteOff(480, 0, 64).end();
    std::vector<uint8_t> bytes = smftest::cSmfBytes().header(0, 1, 480).track(t).bytes;
    folder.write("score.txt", bytes);

    std::ostringstream report;
    notegrind::convertFile(folder.file("score.txt"), report);
    EXPECT_EQ(folder.read("score.txt"), std::string(bytes.begin(), bytes.end()));
    EXPECT_NE(report.str().find("not writing " + folder.file("score.txt") + ": it is the input itself\n"),
              std::string::npos);
}

TEST(NoteListFile, UncreatableOutputIsReportedAndNothingIsCreated)
{
    ngtest::cTempFolder folder;
    std::ostringstream report;
    EXPECT_FALSE(notegrind::convertFile(folder.file("no/such/folder/x.mid"), report));
    EXPECT_FALSE(folder.exists("no"));
    EXPECT_NE(report.str().find("millisex:0\n"), std::string::npos);
    EXPECT_NE(report.str().find("warning: the note list " + folder.file("no/such/folder/x.txt") +
                                " was not written: No such file or directory\n"),
              std::string::npos);
}

TEST(DecimalText, SameDigitsAsTheStream)
{
    std::vector<int64_t> values = {0, 1, 9, 10, 11, 99, 100, 101, 999, 1000, 4095, 65535, 1000000, -1, -9, -10, -99,
                                   -100, -500, INT32_MAX, INT32_MIN, INT64_MAX, INT64_MIN};
    for (int64_t v = 1; v < INT64_MAX / 7; v = v * 7 + 3)
        values.insert(values.end(), {v, -v});
    for (int64_t v : values) {
        char text[notegrind::kMaxDecimalChars + 1];
        char* end = notegrind::writeDecimal(text, v);
        EXPECT_EQ(std::string(text, end), std::to_string(v));
    }
}
