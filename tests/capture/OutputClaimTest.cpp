// A capture's hold on its output, without a window: the .part made
// exclusively and held, a second claim on it refused, a stale one named
// and replaced, targets that are not the capture's kind refused, and a
// sequence's folder replaced only when it holds nothing but its own files.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "strobewerk/capture/CaptureOutput.h"
#include "strobewerk/capture/OutputClaim.h"

namespace fs = std::filesystem;

namespace {

struct OutputClaimTest : ::testing::Test {
    void SetUp() override
    {
        char name[] = "/tmp/output_claim_XXXXXX";
        folder = mkdtemp(name);
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string at(const std::string& name) const { return (folder / name).string(); }
    static std::string contents(const std::string& path)
    {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path folder;
    std::string line;
};

TEST_F(OutputClaimTest, AFileIsWrittenAsItsPartHeldAgainstOthersAndRenamedWhenDone)
{
    std::ofstream(at("out.mp4")) << "the last capture";
    cOutputClaim first;
    ASSERT_EQ(first.claim(at("out.mp4"), nullptr, line), cOutputClaim::eResult::claimed) << line;
    EXPECT_EQ(first.workPath(), at("out.mp4.part"));
    EXPECT_EQ(first.staleLine(), "");
    std::ofstream(first.workPath()) << "new";

    // A second capture into the same file, while the first runs.
    cOutputClaim second;
    EXPECT_EQ(second.claim(at("out.mp4"), nullptr, line), cOutputClaim::eResult::busy);
    EXPECT_EQ(line, "strobewerk: another capture is writing \"" + at("out.mp4") + "\" (" + at("out.mp4.part")
                        + " is in use)");
    second.abandon();
    EXPECT_EQ(contents(at("out.mp4.part")), "new") << "the first's work is untouched";
    EXPECT_EQ(contents(at("out.mp4")), "the last capture");

    ASSERT_TRUE(first.commit(line)) << line;
    EXPECT_EQ(contents(at("out.mp4")), "new");
    EXPECT_FALSE(fs::exists(at("out.mp4.part")));

    // Abandoned (a failed capture): nothing is left.
    {
        cOutputClaim failed;
        ASSERT_EQ(failed.claim(at("out.mp4"), nullptr, line), cOutputClaim::eResult::claimed);
    }
    EXPECT_FALSE(fs::exists(at("out.mp4.part")));
    EXPECT_EQ(contents(at("out.mp4")), "new");
}

TEST_F(OutputClaimTest, AStalePartIsNamedAndReplacedAndWhatIsNotACapturesIsRefused)
{
    std::ofstream(at("killed.mp4.part")) << "half a file";
    cOutputClaim claim;
    ASSERT_EQ(claim.claim(at("killed.mp4"), nullptr, line), cOutputClaim::eResult::claimed) << line;
    EXPECT_EQ(claim.staleLine(), "capture: " + at("killed.mp4.part")
                                     + " was left by a capture that did not finish; replacing it");
    EXPECT_EQ(fs::file_size(at("killed.mp4.part")), 0u);
    claim.abandon();

    ASSERT_EQ(mkfifo(at("pipe.mp4").c_str(), 0644), 0);
    fs::create_directory(at("folder.mp4"));
    fs::create_symlink("/dev/null", at("null.mp4"));
    fs::create_directory(at("odd.mp4.part"));
    const struct {
        const char* name;
        const char* says;
    } refused[] = {
        {"pipe.mp4", "it is not a regular file"},
        {"folder.mp4", "it is a folder"},
        {"null.mp4", "it is not a regular file"},
        {"odd.mp4", "odd.mp4.part is in the way and is not a regular file left by a capture"},
        {"no/such/out.mp4", "no folder"},
    };
    for (const auto& c : refused) {
        cOutputClaim other;
        EXPECT_EQ(other.claim(at(c.name), nullptr, line), cOutputClaim::eResult::refused) << c.name;
        EXPECT_NE(line.find(c.says), std::string::npos) << line;
    }
    EXPECT_TRUE(fs::is_fifo(at("pipe.mp4")));
    EXPECT_TRUE(fs::is_directory(at("odd.mp4.part")));
}

TEST_F(OutputClaimTest, ASequenceOwnsItsFolderAndReplacesOnlyItsOwnFiles)
{
    sCaptureOutput output;
    std::string problem;
    ASSERT_TRUE(parseCaptureOutput(at("shots/take%03d.png"), output, problem));
    const cOutputClaim::NameTest owns = [&output](const std::string& name) { return isSequenceFile(output, name); };
    fs::create_directory(at("shots"));
    for (const char* name : {"take000.png", "take001.png", "take002.png", "take.wav"})
        std::ofstream(at(std::string("shots/") + name)) << "old";

    cOutputClaim claim;
    ASSERT_EQ(claim.claim(output.owned, owns, line), cOutputClaim::eResult::claimed) << line;
    EXPECT_EQ(claim.workPath(), at("shots.part"));
    EXPECT_TRUE(fs::is_directory(claim.workPath()));
    cOutputClaim second;
    EXPECT_EQ(second.claim(output.owned, owns, line), cOutputClaim::eResult::busy);
    second.abandon();
    std::ofstream(claim.workPath() + "/take000.png") << "new";
    ASSERT_TRUE(claim.commit(line)) << line;
    // The last sequence's three frames are gone with it: only the new one.
    EXPECT_EQ(std::distance(fs::directory_iterator(at("shots")), fs::directory_iterator()), 1);
    EXPECT_EQ(contents(at("shots/take000.png")), "new");

    std::ofstream(at("shots/notes.txt")) << "mine";
    EXPECT_EQ(claim.claim(output.owned, owns, line), cOutputClaim::eResult::refused);
    EXPECT_NE(line.find("(notes.txt): give a folder of its own"), std::string::npos) << line;
    std::ofstream(at("file")) << "x";
    EXPECT_EQ(claim.claim(at("file"), owns, line), cOutputClaim::eResult::refused);
    EXPECT_NE(line.find("it is not a folder"), std::string::npos) << line;
}

} // namespace
