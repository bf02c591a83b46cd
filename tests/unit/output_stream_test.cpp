// The console output stream on a pipe that the test reads, and the
// system's error texts.
#include <gtest/gtest.h>

#include <string>

#include "common/run_records.h"
#include "console/error_text.h"
#include "console/output_stream.h"
#include "harness.h"

namespace {

TEST(OutputStream, WritesBlocksOf512BytesWithCrLfAndAfterAFailureNothing)
{
    resetRunRecords();
    HANDLE readEnd;
    HANDLE writeEnd;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 1 << 16));
    openConsoleStream(writeEnd);
    std::string lines(511, '\n');
    insertText(lines.c_str());
    emit("a", 0);
    EXPECT_EQ(readAvailable(readEnd), "") << "512 bytes stay buffered";
    runOptions.quiet = true;
    emit("hidden", 0);
    emit("\r\n", 1);
    EXPECT_EQ(readAvailable(readEnd), crlf(lines + "a")) << "byte 513 pushes out the block, each LF as CR LF";
    closeConsoleStream();
    EXPECT_EQ(readAvailable(readEnd), "\r\r\n") << "the rest at exit; a CR before an LF is left alone";

    openConsoleStream(INVALID_HANDLE_VALUE);
    insertText(std::string(513, 'a').c_str());
    EXPECT_TRUE(consoleStreamFailed());
    CloseHandle(readEnd);
    CloseHandle(writeEnd);
}

TEST(SystemErrorText, GivesTheSystemsTextOrNothingAndNeverWhatWasThere)
{
    for (DWORD code : {0u, 3u, 206u, 2100u, 2999u, 0x2000FFFFu}) {
        char text[MESSAGE_BUFFER] = "left over";
        systemErrorText(code, text);
        EXPECT_NE(std::string(text), "left over") << code;
        if (code < 2100 || code > 2999) {
            EXPECT_EQ(text, systemText(code)) << code;
        }
    }
}

} // namespace
