#include "vorn/ConsoleLog.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

struct ConsoleLogTest : ::testing::Test {
    std::ostringstream captured;
    void SetUp() override { vorn::consoleLog.setStream(&captured); }
    void TearDown() override { vorn::consoleLog.setStream(nullptr); }
};

TEST_F(ConsoleLogTest, PartsJoinWithoutSeparatorsIntoOneLine)
{
    vorn::consoleLog.line("ait:", 10);
    vorn::consoleLog.line("file error:", "a.vert");
    vorn::consoleLog.line();
    EXPECT_EQ(captured.str(), "ait:10\nfile error:a.vert\n\n");
}

} // namespace
