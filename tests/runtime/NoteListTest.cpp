#include "strobewerk/NoteList.h"

#include "TempFolder.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>

namespace {

// A note list of `tracks` sections where the sections given are filled in
// and all others are empty, as notegrind writes it.
std::string noteFile(int tracks, const std::vector<std::pair<int, std::string>>& sections)
{
    std::string text = std::to_string(tracks) + "\n";
    for (int t = 0; t < tracks; ++t) {
        std::string body;
        for (const auto& section : sections) {
            if (section.first == t)
                body = section.second;
        }
        if (body.empty()) {
            text += "0\n";
            continue;
        }
        int lines = 0;
        for (char c : body)
            lines += c == '\n';
        text += std::to_string(lines) + "\n" + body;
    }
    return text;
}

struct NoteListTest : ::testing::Test {
    cTempFolder folder;
    cNoteList list;

    std::string load(const std::string& text)
    {
        folder.write("data/mvl.txt", text);
        return list.load("data/mvl.txt");
    }
};

TEST_F(NoteListTest, ReadsEveryFieldOfHitAndHeldLines)
{
    load(noteFile(21, {{1, "n 0 0\nhn 500 1250 1\n"}, {20, "n -35 3\n"}}));
    ASSERT_EQ(list.trackCount(), 21u);
    EXPECT_TRUE(list.trackNotes(0).empty());
    const auto& notes = list.trackNotes(1);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_FALSE(notes[0].held);
    EXPECT_EQ(notes[0].startMs, 0);
    EXPECT_EQ(notes[0].endMs, 0);
    EXPECT_EQ(notes[0].pitchCode, 0);
    EXPECT_TRUE(notes[1].held);
    EXPECT_EQ(notes[1].startMs, 500);
    EXPECT_EQ(notes[1].endMs, 1250);
    EXPECT_EQ(notes[1].pitchCode, 1);
    for (const sNote& n : notes) {
        EXPECT_FALSE(n.active);
        EXPECT_FALSE(n.done);
        EXPECT_EQ(n.progress, 0.0f);
        EXPECT_EQ(n.invDuration, 0.0f);
    }
    ASSERT_EQ(list.trackNotes(20).size(), 1u);
    EXPECT_EQ(list.trackNotes(20)[0].startMs, -35);
    EXPECT_EQ(list.trackNotes(20)[0].pitchCode, 3);
}

TEST_F(NoteListTest, HitIsActiveInExactlyOneUpdate)
{
    load(noteFile(21, {{3, "n 1000 0\n"}}));
    list.update(990);
    EXPECT_FALSE(list.isNoteActive(3, 0, false));
    list.update(1010);
    EXPECT_TRUE(list.isNoteActive(3, 0, false));
    EXPECT_FLOAT_EQ(list.noteProgress(3, 0, false), 1.0f);
    sNote hit = list.findNote(3, 0, false);
    EXPECT_TRUE(hit.active);
    EXPECT_EQ(hit.startMs, 1000);
    // The same time again, or any later time: never active again.
    list.update(1010);
    EXPECT_FALSE(list.isNoteActive(3, 0, false));
    EXPECT_EQ(list.noteProgress(3, 0, false), 0.0f);
    list.update(100000);
    EXPECT_FALSE(list.isNoteActive(3, 0, false));
}

TEST_F(NoteListTest, HitsPassedInOneLongFrameAreAllActiveOnce)
{
    load(noteFile(2, {{0, "n 10 1\nn 20 2\nn -5 1\n"}}));
    list.update(5000);
    EXPECT_TRUE(list.isNoteActive(0, 1, false));
    EXPECT_TRUE(list.isNoteActive(0, 2, false));
    EXPECT_EQ(list.findNote(0, 1, false).startMs, 10); // first in file
    list.update(5001);
    EXPECT_FALSE(list.isNoteActive(0, 1, false));
    EXPECT_FALSE(list.isNoteActive(0, 2, false));
}

TEST_F(NoteListTest, HeldNoteKeepsItsLastValuesInTheFrameThatReachesItsEnd)
{
    load(noteFile(21, {{5, "hn 500 1250 1\n"}}));
    list.update(499);
    EXPECT_FALSE(list.isNoteActive(5, 1, true));
    list.update(500);
    EXPECT_TRUE(list.isNoteActive(5, 1, true));
    EXPECT_FLOAT_EQ(list.noteProgress(5, 1, true), 0.0f);
    list.update(875);
    sNote held = list.findNote(5, 1, true);
    EXPECT_TRUE(held.active);
    EXPECT_FLOAT_EQ(held.progress, 0.5f);
    EXPECT_FLOAT_EQ(held.invDuration, 1.0f / 750.0f);
    EXPECT_EQ(held.endMs, 1250);
    list.update(1240);
    const float last = list.noteProgress(5, 1, true);
    EXPECT_FLOAT_EQ(last, 740.0f / 750.0f);
    list.update(1300); // past the end: still active with the previous values
    EXPECT_TRUE(list.isNoteActive(5, 1, true));
    EXPECT_FLOAT_EQ(list.noteProgress(5, 1, true), last);
    EXPECT_TRUE(list.trackNotes(5)[0].done);
    list.update(1316);
    EXPECT_FALSE(list.isNoteActive(5, 1, true));
    EXPECT_EQ(list.noteProgress(5, 1, true), 0.0f);
    sNote over = list.findNote(5, 1, true);
    EXPECT_FALSE(over.active);
    EXPECT_EQ(over.progress, 0.0f);
    EXPECT_EQ(over.invDuration, 0.0f);
}

TEST_F(NoteListTest, HeldNoteBetweenTwoFramesIsNeverActive)
{
    load(noteFile(1, {{0, "hn 100 200 2\n"}}));
    list.update(50);
    list.update(300);
    EXPECT_FALSE(list.isNoteActive(0, 2, true));
    EXPECT_TRUE(list.trackNotes(0)[0].done);
    list.update(310);
    EXPECT_FALSE(list.isNoteActive(0, 2, true));
}

TEST_F(NoteListTest, QueriesMatchTrackCodeAndKindAndTheFirstInFileWins)
{
    load(noteFile(21, {{2, "hn 0 1000 0\nhn 500 3000 0\nn 600 0\nhn 0 1000 1\n"}}));
    list.update(600);
    // Both held notes of code 0 are active; the first in the file answers.
    EXPECT_FLOAT_EQ(list.noteProgress(2, 0, true), 0.6f);
    EXPECT_EQ(list.findNote(2, 0, true).startMs, 0);
    EXPECT_TRUE(list.isNoteActive(2, 0, false)); // the hit of code 0
    EXPECT_TRUE(list.isNoteActive(2, 1, true));
    EXPECT_FALSE(list.isNoteActive(2, 1, false));
    EXPECT_FALSE(list.isNoteActive(2, 2, true));
    EXPECT_FALSE(list.isNoteActive(1, 0, true)); // another track
    list.update(1000);
    list.update(1500); // the first is over: the second answers
    EXPECT_EQ(list.findNote(2, 0, true).startMs, 500);
    EXPECT_FLOAT_EQ(list.noteProgress(2, 0, true), 0.4f);
}

TEST_F(NoteListTest, TrackPastTheLastMatchesNothing)
{
    load(noteFile(21, {{20, "n 0 0\n"}}));
    list.update(0);
    EXPECT_TRUE(list.isNoteActive(20, 0, false));
    for (uint32_t track : {21u, 64u, UINT32_MAX}) {
        EXPECT_FALSE(list.isNoteActive(track, 0, false));
        EXPECT_EQ(list.noteProgress(track, 0, false), 0.0f);
        EXPECT_FALSE(list.findNote(track, 0, false).active);
        EXPECT_TRUE(list.trackNotes(track).empty());
    }
}

TEST_F(NoteListTest, ExtremeTimesDoNotOverflow)
{
    load(noteFile(1, {{0, "hn -2147483648 2147483647 0\n"}}));
    list.update(0);
    EXPECT_TRUE(list.isNoteActive(0, 0, true));
    EXPECT_NEAR(list.noteProgress(0, 0, true), 0.5f, 1e-6f);
}

TEST_F(NoteListTest, MissingOrEmptyFileGivesAnEmptyStoreAndSaysWhy)
{
    EXPECT_EQ(list.load("data/none.txt"), "cannot be opened (missing or unreadable), playing without note cues");
    EXPECT_EQ(list.trackCount(), 0u);
    list.update(0);
    EXPECT_FALSE(list.isNoteActive(0, 0, false));
    // A folder where the file should be cannot be read either.
    folder.write("data/folder.txt/x", "");
    EXPECT_NE(list.load("data/folder.txt"), "");
    EXPECT_EQ(list.trackCount(), 0u);
    const std::string noCount = "holds no track count (empty or damaged), playing without note cues";
    EXPECT_EQ(load(""), noCount);
    EXPECT_EQ(list.trackCount(), 0u);
    EXPECT_EQ(load("garbage words only\n"), noCount);
    EXPECT_EQ(list.trackCount(), 0u);
    EXPECT_EQ(load("-3\n"), noCount);
    // A whole file says nothing, even one without tracks.
    EXPECT_EQ(load("0\n"), "");
    EXPECT_EQ(load(noteFile(21, {{1, "n 0 0\nhn 500 1250 1\n"}})), "");
}

TEST_F(NoteListTest, FileThatBreaksOffKeepsOnlyWholeNotes)
{
    // Track 1 announces three notes but breaks off inside the second.
    EXPECT_EQ(load("4\n0\n3\nn 700 2\nhn 500\n"), "breaks off in track 1, playing with the 1 notes before it");
    ASSERT_EQ(list.trackCount(), 2u);
    ASSERT_EQ(list.trackNotes(1).size(), 1u);
    EXPECT_EQ(list.trackNotes(1)[0].startMs, 700);
    // Nothing of the damaged part fires at the start.
    list.update(0);
    for (uint32_t track = 0; track < 4; ++track) {
        for (int code = 0; code < 4; ++code) {
            EXPECT_FALSE(list.isNoteActive(track, code, false));
            EXPECT_FALSE(list.isNoteActive(track, code, true));
        }
    }
    list.update(700);
    EXPECT_TRUE(list.isNoteActive(1, 2, false));
}

TEST_F(NoteListTest, DamagedLinesAreLeftOut)
{
    // An unknown keyword is skipped; a number that is not a number ends the read.
    EXPECT_EQ(load("3\n2\nx\nn 40 1\n2\nhn 10 20 3\nn abc 0\n1\nn 5 0\n"),
              "breaks off in track 1, playing with the 2 notes before it");
    ASSERT_EQ(list.trackCount(), 2u);
    ASSERT_EQ(list.trackNotes(0).size(), 1u);
    EXPECT_EQ(list.trackNotes(0)[0].startMs, 40);
    ASSERT_EQ(list.trackNotes(1).size(), 1u);
    EXPECT_EQ(list.trackNotes(1)[0].endMs, 20);
    list.update(0);
    EXPECT_FALSE(list.isNoteActive(0, 0, false));

    EXPECT_EQ(load("1\n3\nx\nn 40 1\nyy\n"), "2 lines that are not notes left out");

    // Counts far beyond the file's content allocate nothing ahead.
    EXPECT_EQ(load("2000000000\n4000000000\nn 1 1\n"), "breaks off in track 0, playing with the 1 notes before it");
    ASSERT_EQ(list.trackCount(), 1u);
    EXPECT_EQ(list.trackNotes(0).size(), 1u);
}

TEST_F(NoteListTest, LoadFindsTheFileWhateverItsLetterCaseAndReplacesTheStore)
{
    load(noteFile(3, {{0, "n 1 0\n"}}));
    folder.write("Songs/Other.TXT", noteFile(1, {{0, "hn 1 9 0\nhn 2 9 0\n"}}));
    list.load("songs/other.txt");
    ASSERT_EQ(list.trackCount(), 1u);
    EXPECT_EQ(list.trackNotes(0).size(), 2u);
}

} // namespace

TEST_F(NoteListTest, RewindFiresEachNoteOncePerPassAndNothingBeforeTheNewTime)
{
    load(noteFile(2, {{0, "n 100 0\nhn 200 400 1\nn 500 2\n"}}));
    list.update(450); // the hit at 100 fires, the held note runs out
    list.update(600); // the hit at 500 fires
    EXPECT_TRUE(list.isNoteActive(0, 2, false));

    // Back to 150: the first hit lies behind and stays silent; the held
    // note and the later hit are fresh for the second pass.
    list.rewind(150);
    for (const sNote& n : list.trackNotes(0))
        EXPECT_FALSE(n.active);
    list.update(160);
    EXPECT_FALSE(list.isNoteActive(0, 0, false));
    list.update(250);
    EXPECT_TRUE(list.isNoteActive(0, 1, true));
    EXPECT_FLOAT_EQ(list.noteProgress(0, 1, true), 0.25f);
    list.update(520);
    EXPECT_TRUE(list.isNoteActive(0, 2, false));
    list.update(530);
    EXPECT_FALSE(list.isNoteActive(0, 2, false));

    // A seek onto a note's start keeps it: it fires in the first update.
    list.rewind(500);
    list.update(500);
    EXPECT_TRUE(list.isNoteActive(0, 2, false));
    // A held note that had begun before the new time does not resume.
    list.rewind(300);
    list.update(310);
    EXPECT_FALSE(list.isNoteActive(0, 1, true));
}
