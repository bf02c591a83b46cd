#include <gtest/gtest.h>

#include <string>

#include "common/run_records.h"
#include "console/error_text.h"
#include "scratch.h"

namespace {

TEST(SystemErrorText, GivesTheSystemsTextOrNothing)
{
    struct {
        DWORD code;
        std::string expected;
    } cases[] = {
        {0, systemText(0)},
        {ERROR_PATH_NOT_FOUND, systemText(ERROR_PATH_NOT_FOUND)},
        {ERROR_FILENAME_EXCED_RANGE, systemText(ERROR_FILENAME_EXCED_RANGE)},
        {0x2000FFFF, ""},  // a code the system has no text for
    };
    for (const auto& c : cases) {
        char text[MESSAGE_BUFFER];
        lstrcpyA(text, "left over from before");
        systemErrorText(c.code, text);
        EXPECT_EQ(text, c.expected) << c.code;
    }
    EXPECT_FALSE(systemText(0).empty());
    EXPECT_EQ(systemText(0).substr(systemText(0).size() - 2), "\r\n") << "the system's line end stays part of the text";
}

TEST(SystemErrorText, NetworkCodesNeverFail)
{
    for (DWORD code : {2099u, 2100u, 2102u, 2999u, 3000u}) {
        char text[MESSAGE_BUFFER];
        lstrcpyA(text, "left over from before");
        systemErrorText(code, text);
        EXPECT_NE(std::string(text), "left over from before") << code;
        EXPECT_LT(lstrlenA(text), MESSAGE_BUFFER);
    }
}

} // namespace
