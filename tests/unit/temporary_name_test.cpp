#include <gtest/gtest.h>

#include "common/ansi_text.h"
#include "common/run_records.h"
#include "sweep/temporary_name.h"

namespace {

struct NameCase {
    const char* name;
    int temporary;
};

class TemporaryNameTest : public testing::TestWithParam<NameCase> {
protected:
    void SetUp() override
    {
        resetRunRecords();
        setAnsiCodePage(1252);
    }
};

TEST_P(TemporaryNameTest, FollowsTheSevenRules)
{
    EXPECT_EQ(isTemporaryName(GetParam().name), GetParam().temporary) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Names, TemporaryNameTest, testing::Values(
    NameCase{"setup.TMP", 1}, NameCase{"REPORT.TMP", 1}, NameCase{".tmp", 1}, NameCase{"a.b.tmp", 1},
    NameCase{"mse.tmp", 1}, NameCase{"a.tmp.bak", 0}, NameCase{"a.tmpx", 0}, NameCase{"tmp", 0},
    NameCase{"~", 1}, NameCase{"~abc", 1}, NameCase{"~file.", 1}, NameCase{"~$letter.doc", 1},
    NameCase{"_", 1}, NameCase{"_x.txt", 1},
    NameCase{"gl.exe", 1}, NameCase{"GLOBE.Exe", 1}, NameCase{"Glance.EXE", 1}, NameCase{"g.exe", 0},
    NameCase{"agl.exe", 0}, NameCase{"glass.exe.bak", 0}, NameCase{"glass.com", 0}, NameCase{"glow.exe.old", 0},
    NameCase{"mse0", 1}, NameCase{"MSE0", 1}, NameCase{"mse0123", 1}, NameCase{"MSE0A.LOG", 1},
    NameCase{"mse", 0}, NameCase{"mse1.tmpx", 0},
    NameCase{"a.~", 1}, NameCase{"a.~bak", 1}, NameCase{"x.~y.txt", 0},
    NameCase{"b._", 1}, NameCase{"a.b._c", 1}, NameCase{"a._c.txt", 0},
    NameCase{"readme", 0}, NameCase{"file.", 0}, NameCase{"autoexec.bat", 0}, NameCase{"", 0}));

TEST(TemporaryNameAllFiles, EveryNameQualifies)
{
    resetRunRecords();
    runOptions.allFiles = true;
    for (const char* name : {"readme", "autoexec.bat", "file."})
        EXPECT_EQ(isTemporaryName(name), 1) << name;
}

// On code page 932 a name that starts with a double-byte character never
// matches a one-byte beginning, whatever its trail byte is.
TEST(TemporaryNameDoubleByte, LeadingDoubleByteCharacterIsNoPrefix)
{
    resetRunRecords();
    setAnsiCodePage(932);
    struct {
        const char* name;
        int temporary;
    } cases[] = {
        {"\x81\x60x", 0},       // full-width wave dash, not "~"
        {"\x81\x51x", 0},       // full-width low line, not "_"
        {"\x95\x5c.tmp", 1},    // "表.tmp": the extension still counts
        {"~\x95\x5c", 1},
        {"a.\x95\x5c", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isTemporaryName(c.name), c.temporary) << c.name;
    setAnsiCodePage(1252);
}

} // namespace
