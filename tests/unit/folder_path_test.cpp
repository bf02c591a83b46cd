#include <gtest/gtest.h>

#include <string>

#include "common/ansi_text.h"
#include "common/folder_path.h"
#include "common/run_records.h"

namespace {

struct FolderCase {
    unsigned codePage;
    const char* path;
    const char* normal;
};

class NormalizeFolderTest : public testing::TestWithParam<FolderCase> {};

TEST_P(NormalizeFolderTest, EndsInExactlyOneBackslash)
{
    setAnsiCodePage(GetParam().codePage);
    char path[PATH_BUFFER];
    lstrcpyA(path, GetParam().path);
    EXPECT_EQ(normalizeFolder(path), 1);
    EXPECT_STREQ(path, GetParam().normal);
    setAnsiCodePage(1252);
}

INSTANTIATE_TEST_SUITE_P(Paths, NormalizeFolderTest, testing::Values(
    FolderCase{1252, "C:", "C:\\"},
    FolderCase{1252, "C:\\Temp", "C:\\Temp\\"},
    FolderCase{1252, "C:\\Temp\\\\\\", "C:\\Temp\\"},
    FolderCase{1252, "\\\\\\", "\\"},
    FolderCase{1252, "", "\\"},
    FolderCase{1252, "C:/Temp/", "C:/Temp/\\"},
    // Code page 932: the trail byte 0x5C of "表" and "ソ" is not a backslash.
    FolderCase{932, "C:\\x\\\x95\x5c", "C:\\x\\\x95\x5c\\"},
    FolderCase{932, "C:\\x\\\x95\x5c\\\\", "C:\\x\\\x95\x5c\\"},
    FolderCase{932, "\x83\x5c", "\x83\x5c\\"},
    FolderCase{1252, "C:\\x\\\x95\x5c", "C:\\x\\\x95\\"}));

TEST(NormalizeFolderLimits, FullPathWithoutBackslashDoesNotFit)
{
    setAnsiCodePage(1252);
    std::string fits(259, 'a');
    std::string tooLong(260, 'a');
    char path[PATH_BUFFER];

    lstrcpyA(path, fits.c_str());
    EXPECT_EQ(normalizeFolder(path), 1);
    EXPECT_EQ(std::string(path), fits + "\\");

    lstrcpyA(path, tooLong.c_str());
    EXPECT_EQ(normalizeFolder(path), 0);
    EXPECT_EQ(std::string(path), tooLong) << "a path that does not fit is left as it was";

    lstrcpyA(path, (std::string(259, 'a') + "\\").c_str());
    EXPECT_EQ(normalizeFolder(path), 1);
}

} // namespace
