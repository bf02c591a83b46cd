// The temporary-name rule, folder normal form and text building, in a
// single-byte code page and in code page 932, where a trail byte may be 0x5C.
#include <gtest/gtest.h>

#include <string>

#include "common/ansi_text.h"
#include "common/folder_path.h"
#include "common/run_records.h"
#include "sweep/temporary_name.h"

namespace {

const std::string hyou = "\x95\x5c";  // a double-byte character whose trail byte is 0x5C

TEST(Names, TemporaryNameRule)
{
    resetRunRecords();
    for (unsigned codePage : {1252u, 932u}) {
        setAnsiCodePage(codePage);
        for (const char* name : {"setup.TMP", ".tmp", "a.b.tmp", "~", "~file.", "_", "gl.exe", "GLOBE.Exe", "mse0",
                                 "MSE0A.LOG", "mse.tmp", "a.~", "b._", "a.b._c", "\x95\x5c.tmp"})
            EXPECT_EQ(isTemporaryName(name), 1) << name;
        for (const char* name : {"readme", "file.", "a.tmp.bak", "g.exe", "agl.exe", "glass.exe.bak", "glass.com",
                                 "mse", "mse1.tmpx", "x.~y.txt", "", "\x81\x60x", "a.\x95\x5c"})
            EXPECT_EQ(isTemporaryName(name), 0) << name;  // 81 60 is a full-width tilde, not "~"
    }
    runOptions.allFiles = true;
    EXPECT_EQ(isTemporaryName("readme"), 1);
    EXPECT_TRUE(equalsNoCase("\x82\x60", "\x82\x81")) << "full-width A and a are a case pair in 932";
}

TEST(Names, FolderNormalFormStepsOverWholeCharacters)
{
    struct {
        unsigned codePage;
        std::string path, normal;
    } cases[] = {{1252, "C:", "C:\\"}, {1252, "C:\\Temp\\\\\\", "C:\\Temp\\"}, {1252, "", "\\"},
                 {1252, "C:/T/", "C:/T/\\"}, {932, "C:\\" + hyou + "\\\\", "C:\\" + hyou + "\\"},
                 {932, "C:\\" + hyou, "C:\\" + hyou + "\\"}, {1252, "C:\\" + hyou, "C:\\\x95\\"}};
    for (const auto& c : cases) {
        setAnsiCodePage(c.codePage);
        char path[PATH_BUFFER];
        lstrcpyA(path, c.path.c_str());
        EXPECT_EQ(normalizeFolder(path), 1);
        EXPECT_EQ(path, c.normal);
    }
    char full[PATH_BUFFER];
    lstrcpyA(full, std::string(260, 'a').c_str());
    EXPECT_EQ(normalizeFolder(full), 0) << "no room for the backslash";
    EXPECT_EQ(std::string(full), std::string(260, 'a')) << "and the path is not cut";
}

TEST(Names, TextIsCutAtWholeCharactersAndNumbersAreSigned)
{
    setAnsiCodePage(932);
    char buffer[6] = "-----";
    TextBuilder text;
    startText(&text, buffer, 5);
    appendText(&text, ("ab" + hyou + hyou).c_str());
    EXPECT_EQ(std::string(buffer, 6), "ab" + hyou + std::string(2, '\0'));
    char number[64];
    startText(&text, number, sizeof number);
    for (DWORD value : {0u, 206u, 2147483648u, 0xFFFFFFFFu})
        appendNumber(&text, value), appendText(&text, " ");
    EXPECT_STREQ(number, "0 206 -2147483648 -1 ");
}

} // namespace
