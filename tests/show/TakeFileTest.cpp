// A live take and a replayed one, as files: the take is on the disk as it
// is played and claimed before anything plays; a replay reads only a
// regular file of bounded size, with LF or CRLF line ends.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "strobewerk/show/InputLog.h"

namespace fs = std::filesystem;

namespace {

struct cFolder {
    cFolder()
    {
        char name[] = "/tmp/take_file_XXXXXX";
        path = mkdtemp(name);
    }
    ~cFolder()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    fs::path path;
};

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

sSceneInput withButtons(std::uint32_t buttons)
{
    sSceneInput input;
    input.buttons = buttons;
    return input;
}

// Fault 2: the take is on the disk while it is played (TAKE.part, a whole
// recording at every write), also after live input replaced what followed
// a seek back, and TAKE only when it ends.
TEST(TakeFile, TheTakeIsOnTheDiskAsItIsPlayed)
{
    cFolder folder;
    const std::string path = folder / "take.txt";
    cTakeFile take;
    std::string line;
    ASSERT_EQ(take.open(path, line), 0) << line;
    EXPECT_EQ(take.workPath(), path + ".part");
    EXPECT_EQ(readAll(path + ".part"), "strobewerk input 1\n");
    EXPECT_FALSE(fs::exists(path));

    cInputLog log;
    log.set(10, withButtons(1));
    log.set(20, withButtons(2));
    ASSERT_EQ(take.write(log), "");
    cInputLog onDisk;
    ASSERT_EQ(onDisk.load(path + ".part"), "");
    EXPECT_EQ(onDisk.size(), 2u);
    log.set(30, withButtons(4));
    ASSERT_EQ(take.write(log), "");
    ASSERT_EQ(onDisk.load(path + ".part"), "");
    EXPECT_EQ(onDisk.size(), 3u);
    EXPECT_EQ(onDisk.at(35), withButtons(4));
    // A seek back: what followed tick 15 gives way to live input.
    log.set(15, withButtons(8));
    ASSERT_EQ(take.write(log), "");
    ASSERT_EQ(onDisk.load(path + ".part"), "");
    EXPECT_EQ(onDisk.size(), 2u);
    EXPECT_EQ(onDisk.at(35), withButtons(8));
    // An entry changed within its tick: its line is written again.
    log.set(40, withButtons(16));
    ASSERT_EQ(take.write(log), "");
    log.set(40, withButtons(32));
    ASSERT_EQ(take.write(log), "");
    EXPECT_EQ(readAll(path + ".part"), "strobewerk input 1\n" + log.linesFrom(0));
    log.set(40, withButtons(16));
    ASSERT_EQ(take.finish(log), "");
    EXPECT_FALSE(fs::exists(path + ".part"));
    ASSERT_EQ(onDisk.load(path), "");
    EXPECT_EQ(onDisk.size(), 3u);
    EXPECT_EQ(readAll(path), "strobewerk input 1\n" + log.linesFrom(0));

    // A take whose run was killed stays: a later run does not replace it,
    // and one that is still recording is busy.
    std::ofstream(path + ".part") << "strobewerk input 1\n5 0 0 0 0 1 0\n";
    cTakeFile next;
    EXPECT_EQ(next.open(path, line), 2);
    EXPECT_EQ(line, "strobewerk: cannot record the input to \"" + path + "\": " + path
                        + ".part holds a take of a run that did not finish: rename it to keep it, or remove it");
    EXPECT_EQ(readAll(path + ".part"), "strobewerk input 1\n5 0 0 0 0 1 0\n");
    fs::remove(path + ".part");
    cTakeFile first;
    ASSERT_EQ(first.open(path, line), 0) << line;
    EXPECT_EQ(next.open(path, line), 1);
    EXPECT_EQ(line, "strobewerk: another run is recording the input to \"" + path + "\" (" + path
                        + ".part is in use)");
    // A start that played nothing leaves nothing.
    first.abandon();
    EXPECT_FALSE(fs::exists(path + ".part"));
}

// Fault 3: a take that cannot be kept is refused before anything plays.
TEST(TakeFile, ATargetThatCannotHoldTheTakeIsRefusedAtOnce)
{
    cFolder folder;
    std::string line;
    const std::string start = "strobewerk: cannot record the input to \"";
    {
        cTakeFile take;
        EXPECT_EQ(take.open(folder / "missing/take.txt", line), 2);
        EXPECT_EQ(line, start + folder / "missing/take.txt" + "\": no folder " + folder / "missing");
    }
    {
        fs::create_directories(folder.path / "sub");
        cTakeFile take;
        EXPECT_EQ(take.open(folder / "sub", line), 2);
        EXPECT_EQ(line, start + folder / "sub" + "\": it is a folder");
        EXPECT_EQ(take.open(folder / "sub/", line), 2);
    }
    {
        std::ofstream(folder / "notes.txt") << "my notes\nof the show\n";
        cTakeFile take;
        EXPECT_EQ(take.open(folder / "notes.txt", line), 2);
        EXPECT_EQ(line, start + folder / "notes.txt"
                            + "\": it exists and is not an input recording (its first line is not \"strobewerk "
                              "input 1\"): give another name");
        EXPECT_EQ(readAll(folder / "notes.txt"), "my notes\nof the show\n");
        EXPECT_FALSE(fs::exists(folder / "notes.txt.part"));
    }
    {
        cTakeFile take;
        EXPECT_EQ(take.open("/dev/null", line), 2);
        EXPECT_EQ(line, start + "/dev/null\": it is not a regular file");
    }
    if (geteuid() != 0) {
        fs::create_directories(folder.path / "locked");
        fs::permissions(folder.path / "locked", fs::perms::owner_read | fs::perms::owner_exec);
        cTakeFile take;
        EXPECT_EQ(take.open(folder / "locked/take.txt", line), 2);
        EXPECT_NE(line.find("the folder " + folder / "locked" + " cannot be written"), std::string::npos) << line;
    }
    // A take of an earlier run (CRLF or LF) is a recording: replaced when
    // the new one is done, not before.
    std::ofstream(folder / "old.txt") << "strobewerk input 1\r\n3 0 0 0 0 1 0\r\n";
    cTakeFile take;
    ASSERT_EQ(take.open(folder / "old.txt", line), 0) << line;
    EXPECT_EQ(readAll(folder / "old.txt"), "strobewerk input 1\r\n3 0 0 0 0 1 0\r\n");
    ASSERT_EQ(take.finish(cInputLog()), "");
    EXPECT_EQ(readAll(folder / "old.txt"), "strobewerk input 1\n");
}

// Fault 4: a replay reads only a regular file, bounded, at once.
TEST(TakeFile, AReplayReadsOnlyARegularFileOfBoundedSize)
{
    cFolder folder;
    cInputLog log;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(log.load("/dev/zero"), "it is not a regular file (a pipe, a device or a socket is not a recording)");
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0644), 0);
    EXPECT_EQ(log.load(folder / "fifo"), "it is not a regular file (a pipe, a device or a socket is not a recording)");
    EXPECT_EQ(log.load(folder.path.string()), "it is a folder");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));

    // Larger than the bound: refused from its size, without reading it.
    {
        std::ofstream big(folder / "big.txt");
        big << "strobewerk input 1\n";
    }
    fs::resize_file(folder.path / "big.txt", static_cast<std::uintmax_t>(cInputLog::maxFileBytes) + 1);
    EXPECT_NE(log.load(folder / "big.txt").find("it is larger than a recording can be"), std::string::npos);
    // A line longer than any change.
    std::ofstream(folder / "long.txt") << "strobewerk input 1\n5" << std::string(2000, ' ') << "0 0 0 0 0 0\n";
    EXPECT_EQ(log.load(folder / "long.txt"), "line 2 is longer than a change of input can be (more than 1024 bytes)");

    // CRLF line ends (a file edited on Windows) read as LF.
    std::ofstream(folder / "crlf.txt") << "strobewerk input 1\r\n5 0 0 100 0 1 0\r\n9 0 0 0 0 0 2\r\n";
    ASSERT_EQ(log.load(folder / "crlf.txt"), "");
    EXPECT_EQ(log.size(), 2u);
    EXPECT_EQ(log.at(6).axes[2], 100);
    EXPECT_EQ(log.at(9).hat, 2);
}

} // namespace
