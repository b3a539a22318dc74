// Reloading while the production plays, without a window: the watcher that
// notices edited files, the note list read whole or not at all and resumed
// at the song time, and the score converted in the program.
#include "strobewerk/NoteList.h"
#include "strobewerk/live/ReloadWatcher.h"
#include "strobewerk/live/ScoreConversion.h"

#include "TempFolder.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string repositoryData = std::string(TEST_DATA_DIR) + "/../../data";

// Moves a file's modification time, so a rewrite within the file system's
// time resolution still shows.
void touchLater(const std::string& path, int seconds)
{
    namespace fs = std::filesystem;
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(seconds));
}

TEST(ReloadWatcherTest, LooksOnceASecondAndCallsEachChangedFileOnce)
{
    cTempFolder folder;
    folder.write("data/mvl.txt", "1 0\n");
    folder.write("data/box.frag", "void main() {}\n");
    std::vector<std::string> called;
    cReloadWatcher watcher;
    auto record = [&called](const std::string& path) { called.push_back(path); };
    watcher.watch("data/mvl.txt", record);
    watcher.watch("DATA/Box.frag", record); // found whatever the letter case
    watcher.watch("data/later.txt", record);

    EXPECT_EQ(watcher.poll(5000), 0); // starts the count
    folder.write("data/mvl.txt", "2 0 0\n");
    EXPECT_EQ(watcher.poll(5999), 0); // not a second yet
    EXPECT_EQ(watcher.poll(6000), 1);
    EXPECT_EQ(called, std::vector<std::string>{"data/mvl.txt"});
    EXPECT_EQ(watcher.poll(7000), 0); // unchanged since

    // Same size, only the time moved (an editor saving the same text).
    touchLater(folder.path() + "/data/box.frag", 2);
    // A file missing at the start counts once it appears.
    folder.write("data/later.txt", "x");
    EXPECT_EQ(watcher.poll(8000), 2);
    EXPECT_EQ(called, (std::vector<std::string>{"data/mvl.txt", "DATA/Box.frag", "data/later.txt"}));

    // Gone (an editor saving through a rename): nothing to reload until
    // it is back.
    std::filesystem::remove(folder.path() + "/data/mvl.txt");
    EXPECT_EQ(watcher.check(), 0);
    folder.write("data/mvl.txt", "1 0\n");
    EXPECT_EQ(watcher.check(), 1);
    EXPECT_EQ(called.back(), "data/mvl.txt");
}

TEST(ReloadWatcherTest, AFileThatVanishesOrBecomesAFolderIsToldOnceEachTime)
{
    cTempFolder folder;
    folder.write("data/mvl.txt", "1 0\n");
    std::vector<std::string> changed;
    std::vector<std::string> lost;
    cReloadWatcher watcher;
    watcher.watch("data/mvl.txt", [&changed](const std::string& path) { changed.push_back(path); },
                  [&lost](const std::string& path, const std::string& why) { lost.push_back(path + ": " + why); });
    const std::string path = folder.path() + "/data/mvl.txt";
    std::filesystem::remove(path);
    EXPECT_EQ(watcher.check(), 0);
    EXPECT_EQ(watcher.check(), 0); // still gone: not told again
    std::filesystem::create_directory(path);
    watcher.check();
    watcher.check();
    EXPECT_EQ(lost, (std::vector<std::string>{"data/mvl.txt: it is gone", "data/mvl.txt: it is a folder now"}));
    std::filesystem::remove(path);
    folder.write("data/mvl.txt", "1 0\n");
    EXPECT_EQ(watcher.check(), 1);
    EXPECT_EQ(changed, std::vector<std::string>{"data/mvl.txt"});
    EXPECT_EQ(lost.size(), 2u); // back as a file: reloaded, nothing lost
}

struct NoteReloadTest : ::testing::Test {
    cTempFolder folder;
    cNoteList list;
    std::string why;

    // Track 0: a hit at 100, a held note 200..400, a hit at 500.
    void SetUp() override
    {
        folder.write("data/mvl.txt", "1\n3\nn 100 0\nhn 200 400 1\nn 500 2\n");
        list.load("data/mvl.txt");
    }
    bool reloadWith(const std::string& text, int32_t songTime)
    {
        folder.write("data/mvl.txt", text);
        return list.reload("data/mvl.txt", songTime, why);
    }
};

TEST_F(NoteReloadTest, ReloadKeepsTheSongTimeAndNothingFiresTwiceInOnePass)
{
    list.update(100); // the hit at 100 has fired in this frame
    list.update(250); // the held note sounds
    ASSERT_TRUE(list.isNoteActive(0, 1, true));
    // The same notes and one more hit at 250, reloaded at 250.
    ASSERT_TRUE(reloadWith("1\n4\nn 100 0\nhn 200 400 1\nn 250 3\nn 500 2\n", 250)) << why;
    EXPECT_EQ(list.noteCount(), 4u);
    list.update(266);
    EXPECT_FALSE(list.isNoteActive(0, 0, false)) << "the hit at 100 fired before the reload";
    EXPECT_FALSE(list.isNoteActive(0, 3, false)) << "the hit at 250 was met in the frame at 250";
    EXPECT_TRUE(list.isNoteActive(0, 1, true)) << "a sounding held note goes on";
    EXPECT_NEAR(list.noteProgress(0, 1, true), 0.33f, 0.01f);
    list.update(510);
    EXPECT_TRUE(list.isNoteActive(0, 2, false));
}

TEST_F(NoteReloadTest, NoteListThatCannotBeReadKeepsTheLastNotesAndSaysWhy)
{
    const std::vector<std::pair<std::string, std::string>> broken = {
        {"", "no track count"},
        {"1\n3\nn 100 0\nhn 200 400 1\n", "breaks off in track 0 after 2 of 3"},
        {"1\n2\nn 100 0\nx 200 1\n", "\"x\" is no note"},
        {"1\n1\nhn 200 oops 1\n", "not whole"},
        {"2\n0\n", "track 1 has no note count"},
    };
    for (const auto& [text, reason] : broken) {
        why.clear();
        EXPECT_FALSE(reloadWith(text, 0)) << text;
        EXPECT_NE(why.find(reason), std::string::npos) << "'" << why << "' for " << text;
        EXPECT_EQ(list.noteCount(), 3u);
    }
    std::filesystem::remove(folder.path() + "/data/mvl.txt");
    EXPECT_FALSE(list.reload("data/mvl.txt", 0, why));
    EXPECT_EQ(why, "cannot open it");
    list.update(110);
    EXPECT_TRUE(list.isNoteActive(0, 0, false)) << "the kept notes still play";
}

TEST(ScoreReloadTest, ScoreConvertsToTheNotesTheConverterWrites)
{
    cNoteList fromFile;
    fromFile.load(repositoryData + "/mvl.txt");
    ASSERT_GT(fromFile.noteCount(), 100u);

    cNoteList fromScore;
    std::string why;
    ASSERT_TRUE(reloadScore(fromScore, repositoryData + "/morvelane.mid", 60000, why)) << why;
    ASSERT_EQ(fromScore.trackCount(), fromFile.trackCount());
    for (uint32_t t = 0; t < fromFile.trackCount(); ++t) {
        ASSERT_EQ(fromScore.trackNotes(t).size(), fromFile.trackNotes(t).size()) << "track " << t;
        for (size_t i = 0; i < fromFile.trackNotes(t).size(); ++i) {
            const sNote& a = fromScore.trackNotes(t)[i];
            const sNote& b = fromFile.trackNotes(t)[i];
            ASSERT_TRUE(a.startMs == b.startMs && a.endMs == b.endMs && a.held == b.held
                        && a.pitchCode == b.pitchCode)
                << "track " << t << " note " << i;
            // Resumed at 1:00.
            EXPECT_EQ(a.done, a.held ? a.endMs <= 60000 : a.startMs <= 60000);
        }
    }
}

TEST(ScoreReloadTest, ScoreThatCannotBeReadKeepsTheLastNotesAndSaysWhy)
{
    cTempFolder folder;
    std::ifstream in(repositoryData + "/morvelane.mid", std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(whole.size(), 1000u);
    folder.write("data/cut.mid", whole.substr(0, 300));
    folder.write("data/mvl.txt", "1\n1\nn 100 0\n");
    cNoteList list;
    list.load("data/mvl.txt");

    std::string why;
    EXPECT_FALSE(reloadScore(list, "data/cut.mid", 0, why));
    EXPECT_NE(why.find("at byte"), std::string::npos) << why;
    EXPECT_FALSE(reloadScore(list, "data/none.mid", 0, why));
    EXPECT_FALSE(why.empty());
    folder.write("data/text.mid", "not a score at all");
    EXPECT_FALSE(reloadScore(list, "data/text.mid", 0, why));
    EXPECT_EQ(list.noteCount(), 1u);
}

} // namespace
