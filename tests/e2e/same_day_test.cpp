// /O on real folder trees whose times the test sets. Wine reports a file's
// last-write time as its creation time, and listing a folder stamps the
// folder as accessed today: times are set last, and nothing lists a folder
// the sweep has yet to judge.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "dustrel_process.h"
#include "scratch.h"

namespace {

// A run straddling midnight would compare with two different days.
void waitPastMidnight()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    if (now.wHour == 23 && now.wMinute >= 58)
        Sleep(((59 - now.wMinute) * 60 + (60 - now.wSecond)) * 1000 + 2000);
}

std::string todayText()
{
    SYSTEMTIME today;
    GetLocalTime(&today);
    char text[32];
    std::snprintf(text, sizeof text, "%u/%02u/%02u", today.wYear, today.wMonth, today.wDay);
    return text;
}

FILETIME noonOn(WORD year, WORD month, WORD day)
{
    SYSTEMTIME local = {year, month, 0, day, 12, 0, 0, 0};
    FILETIME localStamp;
    FILETIME stamp;
    SystemTimeToFileTime(&local, &localStamp);
    LocalFileTimeToFileTime(&localStamp, &stamp);
    return stamp;
}

FILETIME now()
{
    FILETIME stamp;
    GetSystemTimeAsFileTime(&stamp);
    return stamp;
}

bool contains(const std::string& output, const std::string& text)
{
    return output.find(crlf(text)) != std::string::npos;
}

class SameDaySweep : public testing::Test {
protected:
    std::string top;
    void SetUp() override
    {
        waitPastMidnight();
        top = scratchFolder();
    }
};

TEST_F(SameDaySweep, SparesWhatWasTouchedTodayAndDeletesTheRest)
{
    const FILETIME old = noonOn(2019, 3, 4);
    struct {
        const char* name;
        FILETIME modified, accessed;
        bool spared;
    } files[] = {
        {"old.tmp", old, old, false},
        {"read.tmp", old, now(), true},
        {"written.tmp", now(), old, true},
        {"new.tmp", now(), now(), true},
    };
    for (const auto& file : files) {
        makeFile(top + "\\" + file.name);
        setTimes(top + "\\" + file.name, file.modified, file.modified, file.accessed);
    }
    makeFile(top + "\\keep.txt");
    makeOld(top + "\\keep.txt");
    // Touched today, holding an old file: spared whole.
    makeFolder(top + "\\~today");
    makeFile(top + "\\~today\\old.txt");
    makeOld(top + "\\~today\\old.txt");
    // Old, holding an old and a new file: entered, and left not empty.
    makeFolder(top + "\\~old");
    makeFile(top + "\\~old\\old.txt");
    makeFile(top + "\\~old\\new.txt");
    makeOld(top + "\\~old\\old.txt");
    makeOld(top + "\\~old");

    DustrelRun run = runDustrel("/y /o /p:" + top);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    for (const auto& file : files) {
        std::string path = top + "\\" + file.name;
        EXPECT_EQ(exists(path), file.spared) << path;
        EXPECT_EQ(contains(run.output, "\nSkipDate  " + path + "\n"), file.spared) << path << "\n" << run.output;
        EXPECT_EQ(contains(run.output, "\nDeleting  " + path + "\n"), !file.spared) << path << "\n" << run.output;
    }
    EXPECT_TRUE(contains(run.output, "\nSkipping  " + top + "\\keep.txt\n"));
    EXPECT_TRUE(exists(top + "\\keep.txt"));

    EXPECT_TRUE(contains(run.output, "\nSkipDate  " + top + "\\~today\\\n")) << run.output;
    EXPECT_TRUE(exists(top + "\\~today\\old.txt"));
    EXPECT_EQ(run.output.find("~today\\old.txt"), std::string::npos) << "the spared folder was entered";

    for (const std::string& line : {"\nScanning  " + top + "\\~old\\", "\nDeleting  " + top + "\\~old\\old.txt",
                                    "\nSkipDate  " + top + "\\~old\\new.txt",
                                    "\nRemoving  " + top + "\\~old\\\nNotEmpty  " + top + "\\~old\\\n"})
        EXPECT_TRUE(contains(run.output, line)) << line << "\n" << run.output;
    EXPECT_FALSE(exists(top + "\\~old\\old.txt"));
    EXPECT_TRUE(exists(top + "\\~old\\new.txt"));
}

// The diagnostic switch makes a dry run that traces every step: the dates
// of each entry the name rule lets through, before the entry's own line.
TEST_F(SameDaySweep, DiagnosticTraceShowsTheDatesUnlessQuiet)
{
    makeFile(top + "\\old.tmp");
    setTimes(top + "\\old.tmp", noonOn(2019, 3, 4), noonOn(2019, 3, 4), noonOn(2021, 1, 30));
    makeFile(top + "\\new.tmp");
    makeFile(top + "\\keep.txt");
    makeOld(top + "\\keep.txt");
    const std::string today = todayText();
    const std::string oldPath = top + "\\old.tmp";
    const std::string keepPath = top + "\\keep.txt";
    auto length = [](const std::string& path) { return "  [" + std::to_string(path.size()) + "]"; };

    DustrelRun loud = runDustrel("/y /o /DuskHawk /p:" + top);
    for (const std::string& block :
         {"\n[old.tmp]\t[.tmp]\nCreated Date : 2019/03/04\nModified Date: 2019/03/04\nAccessed Date: 2021/01/30"
          "\nSystem Date  : " + today + "\nDeleting  " + oldPath + length(oldPath) + "\n",
          "\n[new.tmp]\t[.tmp]\nCreated Date : " + today + "\nModified Date: " + today + "\nAccessed Date: " + today +
              "\nSystem Date  : " + today + "\nSkipDate  " + top + "\\new.tmp\n",
          "\n[keep.txt]\t[.txt]\nSkipping  " + keepPath + length(keepPath) + "\n"})
        EXPECT_TRUE(contains(loud.output, block)) << block << "\n" << loud.output;

    DustrelRun quiet = runDustrel("/y /o /q /DuskHawk /p:" + top);
    for (const char* label : {"Created Date", "Modified Date", "Accessed Date", "System Date"})
        EXPECT_EQ(quiet.output.find(label), std::string::npos) << quiet.output;
    // Quiet drops the final report, so the last entry's trace ends the output.
    for (const std::string& block : {"\nCurrentFolder: [" + top + "\\]", "\n[old.tmp]\t[.tmp]" + length(oldPath),
                                     std::string("\n[new.tmp]\t[.tmp]"), "\n[keep.txt]\t[.txt]" + length(keepPath)})
        EXPECT_TRUE(contains(quiet.output, block)) << block << "\n" << quiet.output;
    EXPECT_FALSE(contains(quiet.output, "\n[new.tmp]\t[.tmp]  [")) << "a spared entry has no length trailer";
    EXPECT_TRUE(exists(oldPath)) << "a dry run deletes nothing";
}

} // namespace
