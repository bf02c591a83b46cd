#include <gtest/gtest.h>

#include <string>

#include "common/run_records.h"
#include "console/output_stream.h"

namespace {

// The console output stream writing into a pipe the test reads.
class OutputStreamTest : public testing::Test {
protected:
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;

    void SetUp() override
    {
        resetRunRecords();
        ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 1 << 16));
        openConsoleStream(writeEnd);
    }
    void TearDown() override
    {
        closeConsoleStream();
        CloseHandle(writeEnd);
        CloseHandle(readEnd);
    }
    std::string written()
    {
        std::string bytes;
        DWORD available = 0;
        while (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            char block[4096];
            DWORD got = 0;
            if (!ReadFile(readEnd, block, sizeof block, &got, nullptr))
                break;
            bytes.append(block, got);
        }
        return bytes;
    }
};

TEST_F(OutputStreamTest, WritesFullBlocksOnlyWhenTheNextByteArrives)
{
    std::string first(511, 'a');
    insertText(first.c_str());
    EXPECT_EQ(written(), "");
    insertText("b");
    EXPECT_EQ(written(), "") << "512 bytes stay buffered";
    insertText("c");
    EXPECT_EQ(written(), first + "b") << "byte 513 pushes out the first block";
    closeConsoleStream();
    EXPECT_EQ(written(), "c") << "the rest goes out at exit";
}

TEST_F(OutputStreamTest, LineFeedsBecomeCarriageReturnLineFeed)
{
    insertText("\nA\r\nB\n\n");
    closeConsoleStream();
    EXPECT_EQ(written(), "\r\nA\r\r\nB\r\n\r\n");
}

TEST_F(OutputStreamTest, TranslationDoesNotMoveTheFlushPoint)
{
    std::string lines(512, '\n');
    insertText(lines.c_str());
    EXPECT_EQ(written(), "");
    insertText("x");
    EXPECT_EQ(written().size(), 1024u);
}

TEST_F(OutputStreamTest, FailedWriteDropsEverythingAfter)
{
    CloseHandle(readEnd);
    readEnd = nullptr;
    std::string block(513, 'a');
    insertText(block.c_str());
    EXPECT_TRUE(consoleStreamFailed());
    insertText("more");
    EXPECT_TRUE(consoleStreamFailed()) << "the failed state never clears";
}

TEST_F(OutputStreamTest, EmitHonoursQuietUnlessForced)
{
    struct {
        bool quiet;
        int force;
        const char* expected;
    } cases[] = {{false, 0, "x"}, {false, 1, "x"}, {true, 0, ""}, {true, 1, "x"}};
    for (const auto& c : cases) {
        openConsoleStream(writeEnd);
        runOptions.quiet = c.quiet;
        emit("x", c.force);
        emit("", 1);
        closeConsoleStream();
        EXPECT_EQ(written(), c.expected) << "quiet " << c.quiet << " force " << c.force;
    }
}

} // namespace
